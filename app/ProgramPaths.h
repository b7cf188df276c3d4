#pragma once
// Where the program keeps its files: the program's folder, and in it the
// options file and the help file. Tests point the folder at a scratch
// directory so that nothing touches the real one.
#include <filesystem>

namespace app {

inline constexpr const char* kOptionsFileName = "velk1_4.ini";

// The program's folder: the one set by SetProgramFolder, else the
// executable's folder, or the per-user data folder ($XDG_DATA_HOME/velk or
// ~/.local/share/velk, the home folder taken from the user database when
// HOME is unset) when that cannot be written. A user without any home gets
// a private folder in the system's temporary folder.
std::filesystem::path ProgramFolder();
// An empty path goes back to the executable's folder.
void SetProgramFolder(const std::filesystem::path& folder);

// True when a file can be created in the folder.
bool IsWritableFolder(const std::filesystem::path& folder);

// The program's folder out of the executable's folder and the per-user
// fallback folder: the executable's when `canWrite` says a file can be
// created in it; otherwise the fallback, created when missing. A fallback
// that has no options file is first given a copy of the one beside the
// executable, the one the installation placed, so that a first start reads
// it; a file already there is never replaced.
std::filesystem::path ChooseProgramFolder(
    const std::filesystem::path& executableFolder, const std::filesystem::path& fallbackFolder,
    bool (*canWrite)(const std::filesystem::path&) = IsWritableFolder);

// The folder `shared`/velk-<uid>, created readable by this user alone; when
// that name is taken by anything else (another user's folder, a link, a
// folder others may enter), a fresh private folder beside it. Empty when
// neither can be had.
std::filesystem::path PrivateFolderIn(const std::filesystem::path& shared);

std::filesystem::path OptionsFilePath();  // ProgramFolder()/velk1_4.ini
std::filesystem::path HelpFilePath();     // ProgramFolder()/velk1_4help.chm

}  // namespace app
