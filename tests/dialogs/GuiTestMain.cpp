// GoogleTest with a QApplication for the dialog tests. Listing the tests (as
// the build does to register them) needs no display.
#include <gtest/gtest.h>

#include <QApplication>

#include <filesystem>
#include <string>

#include <unistd.h>

#include "app/ProgramPaths.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  QApplication app(argc, argv);
  // The options file and the solver's files go to a scratch folder.
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("velk_dialogs_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  app::SetProgramFolder(folder);
  const int result = RUN_ALL_TESTS();
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return result;
}
