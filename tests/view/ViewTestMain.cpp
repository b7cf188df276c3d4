// The view's tests need a QApplication for the OpenGL widget of the render
// tests; the state tests run under it too.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSurfaceFormat>
#include <string_view>

int main(int argc, char** argv) {
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  format.setVersion(2, 1);
  format.setDepthBufferSize(16);
  format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  format.setSamples(0);
  QSurfaceFormat::setDefaultFormat(format);
  // Listing the tests needs no display.
  for (int i = 1; i < argc; ++i)
    if (std::string_view(argv[i]) == "--gtest_list_tests") {
      ::testing::InitGoogleTest(&argc, argv);
      return RUN_ALL_TESTS();
    }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
