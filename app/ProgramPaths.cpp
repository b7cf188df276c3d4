#include "app/ProgramPaths.h"

#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "platform/FileReplace.h"
#include "platform/TextFile.h"

namespace app {

namespace {
std::filesystem::path& FolderOverride() {
  static std::filesystem::path folder;
  return folder;
}

// Copies `from` to `to` when nothing stands at `to`. A failure leaves no file
// (the first start then says that the options could not be read).
void SeedFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code ec;  // set for a missing file too: the type tells
  if (std::filesystem::symlink_status(to, ec).type() != std::filesystem::file_type::not_found) return;
  if (!std::filesystem::is_regular_file(from, ec)) return;
  std::ifstream in(from, std::ios::binary);
  if (!in) return;
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return;
  try {
    platform::ReplaceFile(to, [&](platform::TextFile& out) { out.Write(text); });
  } catch (const std::exception&) {
    // Nothing was left behind; reading the options says what is missing.
  }
}
}  // namespace

std::filesystem::path ProgramFolder() {
  if (!FolderOverride().empty()) return FolderOverride();
  return ChooseProgramFolder(analysis::ExecutableFolder(), analysis::UserDataFolder());
}

void SetProgramFolder(const std::filesystem::path& folder) { FolderOverride() = folder; }

std::filesystem::path ChooseProgramFolder(const std::filesystem::path& executableFolder,
                                          const std::filesystem::path& fallbackFolder,
                                          bool (*canWrite)(const std::filesystem::path&)) {
  if (canWrite(executableFolder)) return executableFolder;
  std::error_code ec;
  std::filesystem::create_directories(fallbackFolder, ec);
  if (!executableFolder.empty())
    SeedFile(executableFolder / kOptionsFileName, fallbackFolder / kOptionsFileName);
  return fallbackFolder;
}

std::filesystem::path OptionsFilePath() { return ProgramFolder() / kOptionsFileName; }

std::filesystem::path HelpFilePath() { return ProgramFolder() / "velk1_4help.chm"; }

}  // namespace app
