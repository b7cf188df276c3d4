// The view's tests need a QApplication for the OpenGL widget of the render
// tests; the state tests run under it too.
#include <gtest/gtest.h>

#include <QApplication>
#include <string_view>

#include "tests/CrashTrace.h"
#include "tests/view/RenderHost.h"

int main(int argc, char** argv) {
  velk_test::InstallCrashTrace();
  viewtest::InstallRenderFormat();
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
