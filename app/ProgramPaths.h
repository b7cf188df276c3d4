#pragma once
// Where the program keeps its files: the program's folder, and in it the
// options file and the help file. Tests point the folder at a scratch
// directory so that nothing touches the real one.
#include <filesystem>

#include "platform/FileTrust.h"

namespace app {

inline constexpr const char* kOptionsFileName = "velk1_4.ini";

// The program's folder: the one set by SetProgramFolder, else the one
// chosen at the first call and kept for the whole process (ChooseProgramFolder
// of the executable's folder, the per-user data folder and the system's
// temporary folder). Empty when no folder can be had.
std::filesystem::path ProgramFolder();
// An empty path goes back to the folder chosen for the process.
void SetProgramFolder(const std::filesystem::path& folder);

// The per-user data folder, not made here: $XDG_DATA_HOME/velk where that
// is an absolute path (a relative one is ignored, as its convention says),
// else ~/.local/share/velk (the home folder taken from the user database
// when HOME is unset). Empty when there is no home, or when the home is no
// folder: the program never makes a home.
std::filesystem::path UserDataFolder();

// The program's folder, a folder that nobody else may write
// (platform::IsFolderOfUserAlone), out of: the executable's folder, when
// `executableMayBeTaken` says so; else the per-user data folder
// `dataFolder`, made (readable by this user alone) with whatever of its
// parents is missing, when it then is such a folder; else a private folder of the
// temporary folder `tempFolder` (PrivateFolderIn). Empty when none can be
// had. A folder other than the executable's that has no options file is
// first given a copy of the one beside the executable, the one the
// installation placed, so that a first start reads it; a file already there
// is never replaced.
std::filesystem::path ChooseProgramFolder(
    const std::filesystem::path& executableFolder, const std::filesystem::path& dataFolder,
    const std::filesystem::path& tempFolder,
    bool (*executableMayBeTaken)(const std::filesystem::path&) = platform::IsFolderOfUserAlone);

// The first of the folders `shared`/velk-<uid>, velk-<uid>-1, ...
// velk-<uid>-15 (a fixed series, so that every start finds the same one
// while one of them is free) that is this user's alone
// (platform::IsPrivateFolder). When none is, the first free name is made
// such a folder; when others have taken every name, a fresh folder of a name
// nobody can foresee, which the next start does not find. Empty when none
// can be had.
std::filesystem::path PrivateFolderIn(const std::filesystem::path& shared);

// ProgramFolder()/velk1_4.ini and ProgramFolder()/velk1_4help.chm; empty
// when the program has no folder, so that nothing lands in the current one.
std::filesystem::path OptionsFilePath();
std::filesystem::path HelpFilePath();

}  // namespace app
