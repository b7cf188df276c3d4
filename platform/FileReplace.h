#pragma once
// Writes every file the program writes for the user (project files, the
// options file, reports, listings, bitmaps), and treats the user's rights as
// opening the file for writing would: what the user may not write, or what
// is no regular file, is refused before anything is touched. A save keeps
// what a plain write over the file keeps, and never loses the old contents.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>

#include "platform/RuntimeError.h"
#include "platform/TextFile.h"

namespace platform {

// Writes the file whole or not at all. `write` fills a file in memory; the
// target is then checked and written:
// - a symbolic link has the file it names written, as a plain write would
//   (created when the link points at nothing); the link stays a link.
// - in a folder with the sticky bit that others may write in (/tmp,
//   /var/tmp, /dev/shm, a folder a group shares), a link is followed, and an
//   existing file written, only where it is the user's own or the folder
//   owner's, and a file only where it has no further name (hard link), which
//   there cannot be told apart from one someone else made; anything else is
//   refused (70 Permission denied) with a reason that names it and the
//   folder, whatever the system's own protections of such folders are set
//   to (FileTrust holds the rule). Each link on the way is judged in the
//   folder it stands in, the file by what was opened; a link that comes to
//   stand at the name after it was looked at is judged as a link, never
//   followed unseen. A new file there is made as anywhere.
// - no such file yet, or a regular file the user may write whose owner,
//   group, mode, extended attributes (the ACL among them) and inode flags (as
//   chattr sets them) a new file can take over: the text goes to a new file
//   beside the target that nobody but its writer can open until it is
//   complete, flushed to the disk and given all of those (a new target what
//   a plain create would give it: the umask or the folder's default ACL, the
//   folder's group in a set-group-ID folder). It is then renamed over the
//   target; the folder is flushed too, so the rename survives a power cut. A
//   full disk, a removed folder or a power cut never leaves a truncated file
//   where a good one stood.
// - a regular file that a new file cannot stand in for without loss (a
//   folder that allows no new file or no rename over this one, a file
//   mounted on its own, a disk without a free inode or without room for a
//   second copy, a second hard link, an owner, group, attribute or inode flag
//   the user cannot give a new file): the file is written over in place. Its
//   old contents are read first and kept in memory, the room for the new
//   ones is reserved where the disk can, and when any write or the flush
//   fails after the file was changed (a byte written that differs from the
//   old one there, or its size) the old contents are put back whole and
//   flushed before the failure is reported; a failure that changed nothing
//   leaves nothing to put back. If putting them back fails, FileDamaged is
//   raised. A file the user may write but not read, or whose old contents do
//   not fit in memory, has no copy to put back and is refused (70, or 7 out
//   of memory), untouched.
// - a file the user may not write: refused with the system's reason
//   (70 Permission denied; 75 on a read-only disk).
// - a folder, pipe, device or socket: refused with 75 and a description that
//   names the file and what it is.
// - more than the file size limit of the process or of the disk: 60, before
//   anything is written.
// On any failure no new file or name is left, and the failure (a
// RuntimeError with a file error number and a description naming the file
// and the reason, or whatever `write` threw) reaches the caller.
void ReplaceFile(const std::filesystem::path& target, const std::function<void(TextFile&)>& write);

// A write in place changed the file (a byte that differs from the old one
// there, or its size) and then failed, and so did putting the old contents
// back: the file on disk may no longer hold its old contents, nor the new
// ones whole. A failure that changed nothing is a plain RuntimeError. The
// number is the first failure's; the description says that the file is
// damaged and names it.
class FileDamaged : public RuntimeError {
 public:
  using RuntimeError::RuntimeError;
};

// Lets a write past the file size limit fail with EFBIG ("File too large"),
// as other write failures do, instead of the signal that would end the
// program; the program calls it once at start.
void IgnoreFileSizeSignal();

// For tests: the disk under the files ReplaceFile writes. Before the target
// is opened (once its name was looked at), before each write, reservation,
// size change and flush of such a file, and before the new file beside the
// target is created (unnamed, or under a name), given the inode flags,
// linked under a name or renamed over the target, the fault is asked;
// 0 lets the call run, an errno makes it fail with that errno. A write may
// be let through in part by lowering `length`; `offset` and `length` mean
// nothing to the calls that write no bytes. No fault (the default) lets
// every call run.
enum class DiskCall { Open, Write, Reserve, Resize, Flush, CreateUnnamed, Create, Flags, Link, Rename };
using DiskFault = std::function<int(DiskCall call, std::int64_t offset, std::size_t& length)>;
// The files a fault is asked about: the target written over in place, the
// new file beside it (with the empty file that shows what a plain create
// would give), or both.
enum class DiskFiles { Any, Target, New };
void SetDiskFaultForTests(DiskFault fault, DiskFiles on = DiskFiles::Any);

}  // namespace platform
