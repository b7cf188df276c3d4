#include "app/ProgramPaths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
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

// The folder holding the running executable (empty when it cannot be found).
std::filesystem::path ExecutableFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return exe.parent_path();
}

// The per-user data folder; not created here.
std::filesystem::path UserDataFolder() {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".local" / "share";
  } else if (const passwd* user = ::getpwuid(::geteuid()); user && user->pw_dir && *user->pw_dir) {
    base = std::filesystem::path(user->pw_dir) / ".local" / "share";
  } else {
    std::error_code ec;
    return PrivateFolderIn(std::filesystem::temp_directory_path(ec));
  }
  return base / "velk";
}
}  // namespace

std::filesystem::path PrivateFolderIn(const std::filesystem::path& shared) {
  if (shared.empty()) return {};
  const uid_t me = ::geteuid();
  const std::filesystem::path mine = shared / ("velk-" + std::to_string(me));
  ::mkdir(mine.c_str(), 0700);
  // Anyone may have made that name first, as a folder of theirs or a link:
  // the run's files written through it would be theirs to read or redirect.
  struct stat st {};
  if (::lstat(mine.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == me && (st.st_mode & 077) == 0)
    return mine;
  std::string fresh = (shared / ("velk-" + std::to_string(me) + "-XXXXXX")).string();
  if (::mkdtemp(fresh.data())) return fresh;
  return {};
}

std::filesystem::path ProgramFolder() {
  if (!FolderOverride().empty()) return FolderOverride();
  return ChooseProgramFolder(ExecutableFolder(), UserDataFolder());
}

void SetProgramFolder(const std::filesystem::path& folder) { FolderOverride() = folder; }

bool IsWritableFolder(const std::filesystem::path& folder) {
  if (folder.empty()) return false;
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) return false;
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

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
