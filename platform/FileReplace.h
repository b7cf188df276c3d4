#pragma once
// Writes every file the program writes for the user (project files, the
// options file, reports, listings, bitmaps), and treats the user's rights as
// opening the file for writing would: what the user may not write, or what
// is no regular file, is refused before anything is touched.
#include <filesystem>
#include <functional>

#include "platform/TextFile.h"

namespace platform {

// Writes the file whole or not at all. `write` fills a file in memory; the
// target is then checked and written:
// - no such file yet, or a regular file the user may write in a folder the
//   user may write: the text goes to a temporary file beside the target,
//   which is flushed to the disk, given the mode and, where the user may set
//   them, the owner and group of the file it replaces, and renamed over the
//   target; the folder is flushed too, so the rename survives a power cut. A
//   full disk, a removed folder or a power cut never leaves a truncated file
//   where a good one stood.
// - a regular file the user may write in a folder that allows no new file
//   (or no rename over this file): the file is truncated and written in place,
//   then flushed. In this one case the write is not whole or nothing, since
//   the folder allows nothing else; `write` has run before the file is
//   touched, so only the disk itself can fail half way.
// - a file the user may not write: refused with the system's reason
//   (70 Permission denied; 75 on a read-only disk).
// - a folder, pipe, device or socket: refused with 75 and a description that
//   names the file and what it is.
// A target that is a symbolic link has the file it points at written. On any
// failure no temporary file is left, and the failure (a RuntimeError with a
// file error number and a description naming the file and the system's
// reason, or whatever `write` threw) reaches the caller.
void ReplaceFile(const std::filesystem::path& target, const std::function<void(TextFile&)>& write);

}  // namespace platform
