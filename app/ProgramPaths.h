#pragma once
// Where the program keeps its files: the program's folder, and in it the
// options file and the help file. Tests point the folder at a scratch
// directory so that nothing touches the real one.
#include <filesystem>

namespace app {

// The program's folder: the one set by SetProgramFolder, else the
// executable's folder (or the per-user data folder when that is read-only).
std::filesystem::path ProgramFolder();
// An empty path goes back to the executable's folder.
void SetProgramFolder(const std::filesystem::path& folder);

std::filesystem::path OptionsFilePath();  // ProgramFolder()/velk1_4.ini
std::filesystem::path HelpFilePath();     // ProgramFolder()/velk1_4help.chm

}  // namespace app
