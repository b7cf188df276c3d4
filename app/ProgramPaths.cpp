#include "app/ProgramPaths.h"

#include "analysis/ProgramFolder.h"

namespace app {

namespace {
std::filesystem::path& FolderOverride() {
  static std::filesystem::path folder;
  return folder;
}
}  // namespace

std::filesystem::path ProgramFolder() {
  if (!FolderOverride().empty()) return FolderOverride();
  return analysis::ProgramFolder();
}

void SetProgramFolder(const std::filesystem::path& folder) { FolderOverride() = folder; }

std::filesystem::path OptionsFilePath() { return ProgramFolder() / "velk1_4.ini"; }

std::filesystem::path HelpFilePath() { return ProgramFolder() / "velk1_4help.chm"; }

}  // namespace app
