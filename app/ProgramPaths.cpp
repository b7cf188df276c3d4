#include "app/ProgramPaths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

// Makes `folder` and whatever of its parents is missing, each readable by
// its owner alone, as the per-user data folders are to be made; a folder
// already there is left as it is.
void MakeFolderOfOwnerAlone(const std::filesystem::path& folder) {
  if (folder.empty()) return;
  std::error_code ec;
  if (std::filesystem::symlink_status(folder, ec).type() != std::filesystem::file_type::not_found) return;
  if (folder.has_relative_path() && folder.parent_path() != folder) MakeFolderOfOwnerAlone(folder.parent_path());
  ::mkdir(folder.c_str(), 0700);
}

// The number of names PrivateFolderIn tries before it takes one nobody can foresee.
constexpr int kPrivateFolderNames = 16;

// The k-th name of this user's series in `shared`: velk-<uid>, velk-<uid>-1, ...
std::filesystem::path PrivateFolderName(const std::filesystem::path& shared, int k) {
  const std::string me = "velk-" + std::to_string(::geteuid());
  return shared / (k == 0 ? me : me + "-" + std::to_string(k));
}

// True for a folder of this user's, not a link, that nobody else may enter.
bool IsOwnPrivateFolder(const std::filesystem::path& folder) {
  struct stat st {};
  return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
         (st.st_mode & 077) == 0;
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
  // Anyone may have made a name first, as a folder of theirs or a link: the
  // run's files written through it would be theirs to read or redirect. The
  // names are the same at every start, so that the next start finds the
  // options this one saves: a folder of this user's is looked for first, and
  // only then is the first free name made one.
  for (int k = 0; k < kPrivateFolderNames; ++k)
    if (IsOwnPrivateFolder(PrivateFolderName(shared, k))) return PrivateFolderName(shared, k);
  for (int k = 0; k < kPrivateFolderNames; ++k) {
    const std::filesystem::path name = PrivateFolderName(shared, k);
    if (::mkdir(name.c_str(), 0700) == 0) return IsOwnPrivateFolder(name) ? name : std::filesystem::path();
    if (errno != EEXIST) return {};
  }
  // Someone has taken every name: a folder of a name nobody can foresee,
  // which the next start does not find.
  std::string fresh = (shared / ("velk-" + std::to_string(::geteuid()) + "-XXXXXX")).string();
  if (::mkdtemp(fresh.data())) return fresh;
  return {};
}

std::filesystem::path ProgramFolder() {
  if (!FolderOverride().empty()) return FolderOverride();
  // Chosen once: a choice may make a folder, and the options saved at exit
  // belong where the start read them.
  static const std::filesystem::path chosen = ChooseProgramFolder(ExecutableFolder(), UserDataFolder());
  return chosen;
}

void SetProgramFolder(const std::filesystem::path& folder) { FolderOverride() = folder; }

bool IsWritableByThisUserAlone(const std::filesystem::path& folder) {
  if (folder.empty()) return false;
  // An ACL with named entries shows its mask as the group bits of the mode:
  // an entry that lets anyone else write shows as the group's write bit.
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if (st.st_uid != ::geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) return false;
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::filesystem::path ChooseProgramFolder(const std::filesystem::path& executableFolder,
                                          const std::filesystem::path& fallbackFolder,
                                          bool (*canWrite)(const std::filesystem::path&)) {
  if (canWrite(executableFolder)) return executableFolder;
  MakeFolderOfOwnerAlone(fallbackFolder);
  if (!executableFolder.empty())
    SeedFile(executableFolder / kOptionsFileName, fallbackFolder / kOptionsFileName);
  return fallbackFolder;
}

std::filesystem::path OptionsFilePath() { return ProgramFolder() / kOptionsFileName; }

std::filesystem::path HelpFilePath() { return ProgramFolder() / "velk1_4help.chm"; }

}  // namespace app
