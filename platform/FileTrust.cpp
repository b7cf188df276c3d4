#include "platform/FileTrust.h"

#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "platform/Descriptor.h"
#include "platform/RuntimeError.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

// A folder with the sticky bit that others may write in: each user there may
// remove or rename only their own names, but may plant any name the others
// then use.
bool IsSharedSticky(const struct stat& folder) {
  return (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

// A user other than the one running the program.
bool Others(uid_t owner) { return owner != ::geteuid(); }

// Whether a link or file of `owner` in a folder may be followed or written:
// in a shared sticky folder only the user's own and the folder owner's, as
// the kernel's fs.protected_symlinks and fs.protected_regular have it. The
// kernel never sees the links the program follows itself, so this holds
// whatever those are set to.
bool OwnerTrusted(const struct stat& folder, uid_t owner) {
  return !IsSharedSticky(folder) || !Others(owner) || owner == folder.st_uid;
}

[[noreturn]] void RefuseSave(const fs::path& name, const std::string& why) {
  throw NameRefused(kErrPermissionDenied, SystemErrorText(EACCES, "Cannot write " + name.string()) + " (" + why + ")");
}

// "it" for the name saved to, else the name the save came to on its way.
std::string It(const fs::path& name, const fs::path& what) { return what == name ? "it" : what.string(); }

// What a file of the user's own at a name the program uses is refused as,
// and why, by what the program does with it.
struct OwnFileRefusals {
  const char* link;
  const char* kind;
  const char* others;
};

// Passes only the user's own regular file at `path` (its stat `st`).
void RefuseUnlessOwnFile(const fs::path& path, const struct stat& st, const OwnFileRefusals& why) {
  if (S_ISLNK(st.st_mode)) {
    std::error_code ec;
    const fs::path to = fs::read_symlink(path, ec);
    throw NameRefused(kErrPathFileAccess, path.string() + " is a symbolic link" +
                                              (ec ? std::string() : " to " + to.string()) + why.link);
  }
  if (!S_ISREG(st.st_mode)) {
    const char* kind = KindOfFile(st.st_mode);
    throw NameRefused(kErrPathFileAccess,
                      path.string() + " is " + (kind ? kind : "of an unknown kind") + ", not a file" + why.kind);
  }
  if (Others(st.st_uid))
    throw NameRefused(kErrPermissionDenied, path.string() + " is a file of another user (user " +
                                                std::to_string(st.st_uid) + ")" + why.others);
}

}  // namespace

void CheckLinkToFollow(const fs::path& name, const fs::path& link, const fs::path& folder,
                       const struct stat& folderSt, const struct stat& st) {
  if (OwnerTrusted(folderSt, st.st_uid)) return;
  RefuseSave(name, It(name, link) + " is another user's symbolic link in the shared folder " + folder.string() +
                       ", which others may write in: following it would let that user send the save to a file of "
                       "their choosing; save under another name");
}

void CheckFileToWrite(const fs::path& name, const fs::path& file, const fs::path& folder,
                      const struct stat& folderSt, const struct stat& st) {
  if (!OwnerTrusted(folderSt, st.st_uid))
    RefuseSave(name, It(name, file) + " is another user's file in the shared folder " + folder.string() +
                         ", which others may write in: that user could read what is saved in it; save under "
                         "another name");
  if (IsSharedSticky(folderSt) && st.st_nlink > 1)
    RefuseSave(name, It(name, file) + " has " + std::to_string(st.st_nlink) +
                         " names (hard links), and in the shared folder " + folder.string() +
                         ", which others may write in, a further name cannot be told apart from one that another "
                         "user gave a private file of yours to have the save written into it; save under another "
                         "name, or remove the other names first");
}

void CheckReplaceable(const fs::path& path, const struct stat& st) {
  RefuseUnlessOwnFile(path, st,
                      {", and a file made anew is never written through a link, which leads wherever its maker "
                       "chose: remove the link",
                       ", and no file made anew takes its place: remove it or give it another name",
                       ", who may read or keep open what is written into it: remove it, or ask its owner to"});
}

void CheckKeepable(const fs::path& path, const struct stat& st) {
  RefuseUnlessOwnFile(path, st,
                      {", and the program opens no file of its own through a link, which leads wherever its maker "
                       "chose: remove the link",
                       ", and the program keeps a file of its own there: remove it or give it another name",
                       ", who could hold it and so keep every run waiting: remove it, or ask its owner to"});
}

void CheckStillTheFileWritten(const fs::path& path, const struct stat& written) {
  struct stat now {};
  const bool same = ::lstat(path.c_str(), &now) == 0 && S_ISREG(now.st_mode) && now.st_dev == written.st_dev &&
                    now.st_ino == written.st_ino;
  if (same) return;
  const fs::path folder = path.parent_path();
  throw NameRefused(kErrPathFileAccess,
                    path.string() + " is no longer the file this program wrote there: another program, or another "
                                    "user who may write into the folder " +
                        folder.string() +
                        ", removed or replaced it meanwhile, and the program never reads what it did not write: see "
                        "who else writes into " +
                        folder.string());
}

bool IsFolderOfUserAlone(const fs::path& folder) {
  if (folder.empty()) return false;
  // An ACL with named entries shows its mask as the group bits of the mode:
  // an entry that lets anyone else write shows as the group's write bit.
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if (Others(st.st_uid) || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) return false;
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool IsPrivateFolder(const fs::path& folder) {
  struct stat st {};
  return !folder.empty() && ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && !Others(st.st_uid) &&
         (st.st_mode & 077) == 0 && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace platform
