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
  ::mkdir(folder.c_str(), 0700);  // a failure shows when the folder is checked
}

// The number of names PrivateFolderIn tries before it takes one nobody can foresee.
constexpr int kPrivateFolderNames = 16;

// The k-th name of this user's series in `shared`: velk-<uid>, velk-<uid>-1, ...
std::filesystem::path PrivateFolderName(const std::filesystem::path& shared, int k) {
  const std::string me = "velk-" + std::to_string(::geteuid());
  return shared / (k == 0 ? me : me + "-" + std::to_string(k));
}

// `base`/`below` where `base` is an absolute path of a folder; empty
// otherwise, since the program never makes a home.
std::filesystem::path BelowFolder(const std::filesystem::path& base, const std::filesystem::path& below) {
  std::error_code ec;
  return base.is_absolute() && std::filesystem::is_directory(base, ec) ? base / below : std::filesystem::path();
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
    if (platform::IsPrivateFolder(PrivateFolderName(shared, k))) return PrivateFolderName(shared, k);
  for (int k = 0; k < kPrivateFolderNames; ++k) {
    const std::filesystem::path name = PrivateFolderName(shared, k);
    if (::mkdir(name.c_str(), 0700) == 0) return platform::IsPrivateFolder(name) ? name : std::filesystem::path();
    if (errno != EEXIST) return {};
  }
  // Someone has taken every name: a folder of a name nobody can foresee,
  // which the next start does not find.
  std::string fresh = (shared / ("velk-" + std::to_string(::geteuid()) + "-XXXXXX")).string();
  if (::mkdtemp(fresh.data())) return fresh;
  return {};
}

std::filesystem::path UserDataFolder() {
  // As the variable's convention has it: a relative value is ignored, and a
  // folder that is missing is made, with its missing parents.
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && std::filesystem::path(xdg).is_absolute())
    return std::filesystem::path(xdg) / "velk";
  const std::filesystem::path share = std::filesystem::path(".local") / "share" / "velk";
  if (const char* home = std::getenv("HOME"); home && *home) return BelowFolder(home, share);
  if (const passwd* user = ::getpwuid(::geteuid()); user && user->pw_dir && *user->pw_dir)
    return BelowFolder(user->pw_dir, share);
  return {};
}

std::filesystem::path ProgramFolder() {
  if (!FolderOverride().empty()) return FolderOverride();
  // Chosen once: a choice may make a folder, and the options saved at exit
  // belong where the start read them.
  static const std::filesystem::path chosen = [] {
    std::error_code ec;
    return ChooseProgramFolder(ExecutableFolder(), UserDataFolder(), std::filesystem::temp_directory_path(ec));
  }();
  return chosen;
}

void SetProgramFolder(const std::filesystem::path& folder) { FolderOverride() = folder; }

std::filesystem::path ChooseProgramFolder(const std::filesystem::path& executableFolder,
                                          const std::filesystem::path& dataFolder,
                                          const std::filesystem::path& tempFolder,
                                          bool (*executableMayBeTaken)(const std::filesystem::path&)) {
  if (executableMayBeTaken(executableFolder)) return executableFolder;
  std::filesystem::path chosen;
  if (!dataFolder.empty()) {
    MakeFolderOfOwnerAlone(dataFolder);
    if (platform::IsFolderOfUserAlone(dataFolder)) chosen = dataFolder;
  }
  // No home, a home that is missing or read-only, or a data folder that
  // others may write: the temporary folder's series.
  if (chosen.empty()) chosen = PrivateFolderIn(tempFolder);
  if (!chosen.empty() && !executableFolder.empty())
    SeedFile(executableFolder / kOptionsFileName, chosen / kOptionsFileName);
  return chosen;
}

std::filesystem::path OptionsFilePath() {
  const std::filesystem::path folder = ProgramFolder();
  return folder.empty() ? folder : folder / kOptionsFileName;
}

std::filesystem::path HelpFilePath() {
  const std::filesystem::path folder = ProgramFolder();
  return folder.empty() ? folder : folder / "velk1_4help.chm";
}

}  // namespace app
