#pragma once
// Where the program keeps its files: the program's folder, and in it the
// options file and the help file. Tests point the folder at a scratch
// directory so that nothing touches the real one.
#include <filesystem>

namespace app {

inline constexpr const char* kOptionsFileName = "velk1_4.ini";

// The program's folder: the one set by SetProgramFolder, else the one
// chosen at the first call and kept for the whole process: the executable's
// folder when this user alone may write it, or else the per-user data folder
// ($XDG_DATA_HOME/velk or ~/.local/share/velk, the home folder taken from
// the user database when HOME is unset). A user without any home gets a
// private folder in the system's temporary folder.
std::filesystem::path ProgramFolder();
// An empty path goes back to the folder chosen for the process.
void SetProgramFolder(const std::filesystem::path& folder);

// True when this user may create a file in the folder and nobody else may:
// the user owns it, and neither its group nor others, nor anyone an ACL
// entry names, may write it.
bool IsWritableByThisUserAlone(const std::filesystem::path& folder);

// The program's folder out of the executable's folder and the per-user
// fallback folder: the executable's when `canWrite` says so; otherwise the
// fallback, created readable by this user alone when missing. A fallback
// that has no options file is first given a copy of the one beside the
// executable, the one the installation placed, so that a first start reads
// it; a file already there is never replaced.
std::filesystem::path ChooseProgramFolder(
    const std::filesystem::path& executableFolder, const std::filesystem::path& fallbackFolder,
    bool (*canWrite)(const std::filesystem::path&) = IsWritableByThisUserAlone);

// The first of the folders `shared`/velk-<uid>, velk-<uid>-1, ... (a fixed
// series, so that every start finds the same one) that is this user's alone:
// a real folder, not a link, that nobody else may enter. When none is, the
// first free name is made such a folder; when every name is taken, a fresh
// folder of a name nobody can foresee. Empty when none can be had.
std::filesystem::path PrivateFolderIn(const std::filesystem::path& shared);

std::filesystem::path OptionsFilePath();  // ProgramFolder()/velk1_4.ini
std::filesystem::path HelpFilePath();     // ProgramFolder()/velk1_4help.chm

}  // namespace app
