#pragma once
// The program's folder: where the options file and the solver's two files
// live. It is the folder of the executable; when that folder cannot be
// written, the per-user application data folder takes its place.
#include <filesystem>

namespace analysis {

// The folder holding the running executable (empty when it cannot be found).
std::filesystem::path ExecutableFolder();

// True when a file can be created in the folder.
bool IsWritableFolder(const std::filesystem::path& folder);

// The per-user data folder ($XDG_DATA_HOME/velk or ~/.local/share/velk), created if needed.
std::filesystem::path UserDataFolder();

// The executable's folder when writable, otherwise the per-user data folder.
std::filesystem::path ProgramFolder();

}  // namespace analysis
