// GoogleTest with a QApplication for the dialog tests. Listing the tests (as
// the build does to register them) needs no display.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/CrashTrace.h"
#include "tests/app/AppTestSupport.h"

int main(int argc, char** argv) {
  velk_test::InstallCrashTrace();
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  QApplication app(argc, argv);
  // The options file and the solver's files go to a scratch folder.
  const velk_test::ScratchProgramFolder folder;
  return RUN_ALL_TESTS();
}
