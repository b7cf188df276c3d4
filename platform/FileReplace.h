#pragma once
// Writes a file whole or not at all. Every file the program writes for the
// user (project files, the options file, reports, listings, bitmaps) goes
// through here, so a full disk, a removed folder or a power cut never leaves
// a truncated file where a good one stood.
#include <filesystem>
#include <functional>
#include <system_error>

#include "platform/TextFile.h"

namespace platform {

// Fills a temporary file in the target's folder through `write`, closes it,
// flushes it to the disk, gives it the permissions of the file it replaces
// and renames it over the target; then flushes the folder, so the rename
// itself survives a power cut. A target that is a symbolic link has the file
// it points at replaced. On any failure the temporary file is removed, the
// target is as it was, and the failure (a RuntimeError with a file error
// number, or whatever `write` threw) reaches the caller.
void ReplaceFile(const std::filesystem::path& target, const std::function<void(TextFile&)>& write);

// The file error number of a failed file-system call (rename, remove, sync).
int FileErrorNumber(const std::error_code& ec);

}  // namespace platform
