#pragma once
// Which names and folders this program may write through, read back or take
// for itself. One rule for the run's scratch files (made anew, then read
// back), for saves (through links, into existing files) and for the program's
// own folder, since a name that someone else made, linked or may swap leads
// the model wherever that user chose. Each check either passes or raises a
// RuntimeError whose description names what stands there and what to do.
#include <sys/stat.h>

#include <filesystem>

#include "platform/RuntimeError.h"

namespace platform {

// A name or folder the program will not use: the description says what
// stands there and what to do about it.
class NameRefused : public RuntimeError {
 public:
  using RuntimeError::RuntimeError;
};

// Saves. A save to `name` follows the symbolic link `link` (its lstat
// `st`) standing in `folder` (its fstat `folderSt`) only where that may not
// send it to a file of someone else's choosing: in a shared sticky folder
// (the sticky bit and a write bit for its group or others: /tmp, /var/tmp,
// /dev/shm, a team's folder), only the user's own links and the folder
// owner's. Raises 70 otherwise.
void CheckLinkToFollow(const std::filesystem::path& name, const std::filesystem::path& link,
                       const std::filesystem::path& folder, const struct stat& folderSt, const struct stat& st);

// Saves. A save to `name` writes into the existing regular file `file` (the
// fstat `st` of what was opened) standing in `folder` only where nobody else
// can have put it there: in a shared sticky folder, only a file of the
// user's or the folder owner's that has no other name, since a second name
// there cannot be told apart from one someone else linked to a private
// file. Raises 70 otherwise.
void CheckFileToWrite(const std::filesystem::path& name, const std::filesystem::path& file,
                      const std::filesystem::path& folder, const struct stat& folderSt, const struct stat& st);

// Files made anew (the run's scratch files). Passes only when what stands
// at `path` (its lstat `st`) is the user's own regular file, which the new
// file may replace; refuses a link, another user's file, a folder, pipe or
// device with 70 or 75, saying what it is and what to remove.
void CheckReplaceable(const std::filesystem::path& path, const struct stat& st);

// Files kept at their names in the program's folder and opened where they
// stand (the run's turn): the same rule as CheckReplaceable, for what stands
// at `path` (its lstat, or the fstat of what was opened).
void CheckKeepable(const std::filesystem::path& path, const struct stat& st);

// Files read back. Passes only when `path` still names the file this
// program wrote (`written`, the fstat of its descriptor); raises 75 when
// the name is gone or leads elsewhere, saying so.
void CheckStillTheFileWritten(const std::filesystem::path& path, const struct stat& written);

// Folders the program takes for its own files. True for a folder, existing,
// that this user owns and may create files in, and that neither its group
// nor others may write (an ACL entry that lets anyone else write shows as
// the group's write bit).
bool IsFolderOfUserAlone(const std::filesystem::path& folder);

// The same, stricter, for a folder in a place everyone may write (the
// temporary folder): a real folder, not a link, of this user's that nobody
// else may even enter.
bool IsPrivateFolder(const std::filesystem::path& folder);

}  // namespace platform
