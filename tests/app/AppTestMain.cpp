// The main-window tests need a QApplication with the view's surface format.
#include <gtest/gtest.h>

#include <QApplication>

#include "platform/qt/PixelFormat.h"
#include "tests/CrashTrace.h"

int main(int argc, char** argv) {
  velk_test::InstallCrashTrace();
  platform::qt::InstallViewSurfaceFormat();
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
