#include "analysis/ProgramFolder.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace analysis {

std::filesystem::path ExecutableFolder() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return exe.parent_path();
}

bool IsWritableFolder(const std::filesystem::path& folder) {
  if (folder.empty()) return false;
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) return false;
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::filesystem::path UserDataFolder() {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".local" / "share";
  } else {
    base = std::filesystem::temp_directory_path();
  }
  return base / "velk";
}

}  // namespace analysis
