#pragma once
// The folders the program's folder is chosen from (app/ProgramPaths.h): the
// folder of the executable and, when that cannot be written, the per-user
// application data folder.
#include <filesystem>

namespace analysis {

// The folder holding the running executable (empty when it cannot be found).
std::filesystem::path ExecutableFolder();

// True when a file can be created in the folder.
bool IsWritableFolder(const std::filesystem::path& folder);

// The per-user data folder ($XDG_DATA_HOME/velk or ~/.local/share/velk);
// not created here.
std::filesystem::path UserDataFolder();

}  // namespace analysis
