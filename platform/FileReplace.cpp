#include "platform/FileReplace.h"

#include <fcntl.h>
#include <limits.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/Descriptor.h"
#include "platform/FileTrust.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

// The faults of the tests: one for the target, one for the new file beside it.
struct Faults {
  DiskFault target, fresh;
};

Faults& Fault() {
  static Faults faults;
  return faults;
}

int Ask(DiskFiles file, DiskCall call, std::int64_t offset, std::size_t& length) {
  const DiskFault& fault = file == DiskFiles::New ? Fault().fresh : Fault().target;
  return fault ? fault(call, offset, length) : 0;
}

int Ask(DiskFiles file, DiskCall call) {
  std::size_t none = 0;
  return Ask(file, call, 0, none);
}

[[noreturn]] void RaiseNotRegular(const fs::path& target, mode_t mode) {
  const char* kind = KindOfFile(mode);
  Raise(kErrPathFileAccess, target.string() + " is " + (kind ? kind : "of an unknown kind") + ", not a regular file");
}

// The calls that change the file return 0, or the errno of the call that failed.

// Writes `bytes` at `offset`, counting in `written` those that got there
// before any failure.
int WriteAt(DiskFiles file, int fd, std::string_view bytes, std::int64_t offset, std::size_t& written) {
  written = 0;
  while (written < bytes.size()) {
    const std::string_view rest = bytes.substr(written);
    std::size_t length = rest.size();
    const std::int64_t at = offset + static_cast<std::int64_t>(written);
    if (const int err = Ask(file, DiskCall::Write, at, length)) return err;
    const ssize_t n = ::pwrite(fd, rest.data(), std::min(length, rest.size()), at);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    written += static_cast<std::size_t>(n);
  }
  return 0;
}

int WriteAt(DiskFiles file, int fd, std::string_view bytes, std::int64_t offset) {
  std::size_t written = 0;
  return WriteAt(file, fd, bytes, offset, written);
}

int Resize(int fd, std::int64_t size) {
  std::size_t none = 0;
  if (const int err = Ask(DiskFiles::Target, DiskCall::Resize, size, none)) return err;
  return ::ftruncate(fd, size) == 0 ? 0 : errno;
}

int Flush(DiskFiles file, int fd) {
  if (const int err = Ask(file, DiskCall::Flush)) return err;
  // Some file systems cannot sync; that is no failure of the write.
  return ::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP ? errno : 0;
}

// Reserves the disk blocks for `size` bytes without changing the file, so
// that a full disk shows before anything is written over. A file system that
// cannot reserve is no failure: putting the old contents back covers it.
int Reserve(DiskFiles file, int fd, std::int64_t size) {
  std::size_t length = static_cast<std::size_t>(size);
  if (const int err = Ask(file, DiskCall::Reserve, 0, length)) return err;
  if (size == 0 || ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) == 0) return 0;
  return errno == ENOSPC || errno == EDQUOT || errno == EFBIG ? errno : 0;
}

// EFBIG when the process may not write a file of `size` bytes.
int SizeLimit(std::int64_t size) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 0;
  return static_cast<rlim_t>(size) > limit.rlim_cur ? EFBIG : 0;
}

// The whole file from its start, room for `expected` bytes taken at once;
// throws std::bad_alloc (or std::length_error) when that does not fit in
// memory.
int ReadAll(int fd, std::int64_t expected, std::string& bytes) {
  bytes.clear();
  bytes.reserve(static_cast<std::size_t>(std::max<std::int64_t>(expected, 0)));
  char buffer[1 << 16];
  for (std::int64_t at = 0;;) {
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    bytes.append(buffer, static_cast<std::size_t>(n));
    at += n;
  }
}

// The folder a name stands in, opened only to look names up in it, so that
// what is checked there is what is opened there.
struct Folder {
  fs::path path;
  Descriptor fd;
  struct stat st {};
};

// Opens the folder of `path`; 0, or the errno of the failure.
int OpenFolderOf(const fs::path& path, Folder& folder) {
  folder.path = path.parent_path();
  if (folder.path.empty()) folder.path = ".";
  folder.fd = Descriptor(::open(folder.path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!folder.fd.valid()) return errno;
  return ::fstat(folder.fd.get(), &folder.st) == 0 ? 0 : errno;
}

// The last part of `path`, looked up in its folder; "." for a path that ends
// in a slash, which names the folder itself.
std::string LeafOf(const fs::path& path) { return path.has_filename() ? path.filename().string() : "."; }

// What the symbolic link `leaf` in `folder` points at: 0, or the errno of
// why it cannot be read.
int ReadLink(const Folder& folder, const std::string& leaf, fs::path& to) {
  char text[PATH_MAX];
  const ssize_t n = ::readlinkat(folder.fd.get(), leaf.c_str(), text, sizeof text);
  if (n < 0) return errno;
  if (static_cast<std::size_t>(n) == sizeof text) return ENAMETOOLONG;
  to = std::string(text, static_cast<std::size_t>(n));
  return 0;
}

// The file about to be replaced, if there is one, opened for writing and,
// where the user may, for reading.
struct Target {
  fs::path path;
  bool exists = false;
  bool readable = false;
  struct stat st {};
  Descriptor fd;
};

// Opens the regular file `leaf` in `folder` as a plain write would, but
// neither truncating it nor following a link that stands there now; 0, or
// the errno of the failure (ELOOP for such a link).
int OpenRegular(const Folder& folder, const std::string& leaf, Target& t) {
  if (const int err = Ask(DiskFiles::Target, DiskCall::Open)) return err;
  constexpr int kFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
  t.fd = Descriptor(::openat(folder.fd.get(), leaf.c_str(), O_RDWR | kFlags));
  t.readable = t.fd.valid();
  if (!t.readable && errno == EACCES) t.fd = Descriptor(::openat(folder.fd.get(), leaf.c_str(), O_WRONLY | kFlags));
  if (!t.fd.valid()) return errno;
  return ::fstat(t.fd.get(), &t.st) == 0 ? 0 : errno;
}

// Opens the file a plain write to `name` would open, symbolic links followed
// to the end (where the last one may name a file that does not exist yet),
// but does not truncate it: what the user may not write is refused here,
// with the system's reason, and so is what the file rules refuse in a
// shared sticky folder (another user's link or file, a file with further
// names), each link checked in the folder it stands in.
// Non-blocking, so that a file turned into a pipe meanwhile cannot hang the
// program; checked before and after, so that no device is ever opened; the
// checks that decide are made on what was opened.
Target OpenTarget(const fs::path& name) {
  Target t;
  t.path = name;
  for (int hops = 0;; ++hops) {
    if (hops > 40) RaiseSystemError(ELOOP, "Cannot write " + name.string());
    const std::string cannot = "Cannot write " + t.path.string();
    Folder folder;
    if (const int err = OpenFolderOf(t.path, folder)) {
      if (err == ENOENT) return t;  // creating the file says so
      RaiseSystemError(err, cannot);
    }
    const std::string leaf = LeafOf(t.path);
    if (::fstatat(folder.fd.get(), leaf.c_str(), &t.st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno != ENOENT) RaiseSystemError(errno, cannot);
      return t;
    }
    if (S_ISLNK(t.st.st_mode)) {
      CheckLinkToFollow(name, t.path, folder.path, folder.st, t.st);
      fs::path to;
      if (const int err = ReadLink(folder, leaf, to)) RaiseSystemError(err, "Cannot write " + name.string());
      t.path = to.is_absolute() ? to : t.path.parent_path() / to;
      continue;
    }
    if (!S_ISREG(t.st.st_mode)) RaiseNotRegular(t.path, t.st.st_mode);
    const int err = OpenRegular(folder, leaf, t);
    // Gone, or turned into a link, since it was looked at: looked at again.
    if (err == ENOENT || err == ELOOP) continue;
    if (err) RaiseSystemError(err, cannot);
    if (!S_ISREG(t.st.st_mode)) RaiseNotRegular(t.path, t.st.st_mode);
    CheckFileToWrite(name, t.path, folder.path, folder.st, t.st);
    t.exists = true;
    return t;
  }
}

bool RefusedByFolder(int err) { return err == EACCES || err == EPERM; }
bool NoRoom(int err) { return err == ENOSPC || err == EDQUOT; }

// The name of the n-th new file of this process beside a target.
fs::path BesideName(const fs::path& folder, int n) {
  return folder / (".velk" + std::to_string(static_cast<long>(::getpid())) + "-" + std::to_string(n) + ".tmp");
}

// A file in `folder` that has no name, so that no one can open it, with the
// given mode less what the umask or the folder's default ACL takes; 0, or
// the errno of the failure.
int CreateUnnamed(const fs::path& folder, mode_t mode, Descriptor& fd) {
  if (const int err = Ask(DiskFiles::New, DiskCall::CreateUnnamed)) return err;
  fd = Descriptor(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC | O_NOCTTY, mode));
  return fd.valid() ? 0 : errno;
}

// Whether a file system or kernel offers no unnamed file.
bool NoUnnamedFiles(int err) { return err == EOPNOTSUPP || err == EISDIR || err == EINVAL; }

// A new file in `folder` under a name no file has, with the given mode less
// what the umask or the folder's default ACL takes; 0, or the errno of the
// failure, with `name` empty.
int CreateBeside(const fs::path& folder, mode_t mode, Descriptor& fd, fs::path& name) {
  name.clear();
  if (const int err = Ask(DiskFiles::New, DiskCall::Create)) return err;
  for (int n = 0; n <= 10000; ++n) {
    const fs::path candidate = BesideName(folder, n);
    fd = Descriptor(::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode));
    if (fd.valid()) {
      name = candidate;
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

// Gives the unnamed file a name beside the target that no file has; 0, or
// the errno of the failure, with `name` empty.
int LinkBeside(int fd, const fs::path& folder, fs::path& name) {
  name.clear();
  if (const int err = Ask(DiskFiles::New, DiskCall::Link)) return err;
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  for (int n = 0; n <= 10000; ++n) {
    const fs::path candidate = BesideName(folder, n);
    int linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW);
    // Without /proc only a process that may read every file links a descriptor.
    if (linked != 0 && errno == ENOENT) linked = ::linkat(fd, "", AT_FDCWD, candidate.c_str(), AT_EMPTY_PATH);
    if (linked == 0) {
      name = candidate;
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

// A file's owner, group, mode and extended attributes (the ACL among them),
// which a new file is given to stand in for it.
struct Standing {
  struct stat st {};
  std::vector<std::pair<std::string, std::string>> attributes;
};

// The names of the file's extended attributes: 0, or the errno of why they
// cannot be listed. A file system that has none lists none.
int ListAttributes(int fd, std::vector<std::string>& names) {
  names.clear();
  for (int attempt = 0; attempt < 3; ++attempt) {
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size < 0) return errno == ENOTSUP ? 0 : errno;
    std::string list(static_cast<std::size_t>(size), '\0');
    const ssize_t got = ::flistxattr(fd, list.data(), list.size());
    if (got < 0 && errno == ERANGE) continue;  // one was added meanwhile
    if (got < 0) return errno;
    list.resize(static_cast<std::size_t>(got));
    for (std::size_t at = 0; at < list.size();) {
      std::size_t end = list.find('\0', at);
      if (end == std::string::npos) end = list.size();
      names.push_back(list.substr(at, end - at));
      at = end + 1;
    }
    return 0;
  }
  return ERANGE;
}

// 0 with the attribute's value, or the errno of why it cannot be read.
int GetAttribute(int fd, const std::string& name, std::string& value) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
    if (size < 0) return errno;
    value.assign(static_cast<std::size_t>(size), '\0');
    const ssize_t got = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
    if (got >= 0) {
      value.resize(static_cast<std::size_t>(got));
      return 0;
    }
    if (errno != ERANGE) return errno;
  }
  return ERANGE;
}

// What a new file must be given to stand in for the file `fd`: 0, or the
// errno of why any of it cannot be read.
int ReadStanding(int fd, Standing& standing) {
  if (::fstat(fd, &standing.st) != 0) return errno;
  std::vector<std::string> names;
  if (const int err = ListAttributes(fd, names)) return err;
  standing.attributes.clear();
  for (const std::string& name : names) {
    std::string value;
    if (const int err = GetAttribute(fd, name, value)) return err;
    standing.attributes.emplace_back(name, std::move(value));
  }
  return 0;
}

// Gives `to` exactly the extended attributes listed, the ACL among them and
// none that `to` was created with (a folder's default ACL); one it holds
// already is left alone. 0, or the errno of why any cannot be set or removed.
int GiveAttributes(int to, const Standing& from) {
  std::vector<std::string> present;
  if (const int err = ListAttributes(to, present)) return err;
  std::string value;
  for (const auto& [name, wanted] : from.attributes) {
    if (GetAttribute(to, name, value) == 0 && value == wanted) continue;
    if (::fsetxattr(to, name.c_str(), wanted.data(), wanted.size(), 0) != 0) return errno;
  }
  for (const std::string& name : present) {
    const auto listed = [&name](const auto& attribute) { return attribute.first == name; };
    if (std::none_of(from.attributes.begin(), from.attributes.end(), listed) && ::fremovexattr(to, name.c_str()) != 0)
      return errno;
  }
  return 0;
}

// Gives the new file the standing of the old one (or of a plain create):
// owner and group, then the extended attributes, then the mode, since a
// change of owner clears the set-id bits and file capabilities, and an ACL
// sets the group bits. 0, or the errno of why any of it cannot be given: the
// user may not give the file away, is not in its group, or may not set an
// attribute.
int TakeOver(int fresh, const Standing& from) {
  const struct stat& st = from.st;
  if (::fchown(fresh, st.st_uid, st.st_gid) != 0) return errno;
  if (const int err = GiveAttributes(fresh, from)) return err;
  if (::fchmod(fresh, st.st_mode & 07777) != 0) return errno;
  // The system drops a set-group-ID bit it does not let the user set.
  struct stat now {};
  if (::fstat(fresh, &now) != 0) return errno;
  const bool given = now.st_uid == st.st_uid && now.st_gid == st.st_gid && (now.st_mode & 07777) == (st.st_mode & 07777);
  return given ? 0 : EPERM;
}

// The inode flags (as chattr shows them) that a write over the file keeps
// and that its owner may set; the immutable and append-only ones already
// refuse the write.
constexpr int kKeptFlags = FS_SECRM_FL | FS_UNRM_FL | FS_COMPR_FL | FS_SYNC_FL | FS_NODUMP_FL | FS_NOATIME_FL |
                           FS_NOCOMP_FL | FS_JOURNAL_DATA_FL | FS_NOTAIL_FL | FS_NOCOW_FL | FS_DAX_FL |
                           FS_PROJINHERIT_FL;

// The kept inode flags of a file and its project, which disk quotas count.
struct InodeFlags {
  int kept = 0;
  std::uint32_t project = 0;
};

// Whether an errno of reading the flags says that the file system has none.
bool NoFlags(int err) { return err == ENOTTY || err == ENOTSUP || err == EOPNOTSUPP || err == EINVAL || err == ENOSYS; }

// 0 with the file's flags, or the errno of why they cannot be read.
int ReadFlags(int fd, InodeFlags& flags) {
  int all = 0;  // an int, whatever the request's declared type
  if (::ioctl(fd, FS_IOC_GETFLAGS, &all) != 0) return errno;
  flags.kept = all & kKeptFlags;
  fsxattr extended{};
  flags.project = ::ioctl(fd, FS_IOC_FSGETXATTR, &extended) == 0 ? extended.fsx_projid : 0;
  return 0;
}

// Gives the new file, while it is still empty (some flags take only on an
// empty file), the kept flags of the old one; 0 when it ends with them and
// in the old one's project, else the errno of why not.
int GiveFlags(int fresh, const InodeFlags& old) {
  if (const int err = Ask(DiskFiles::New, DiskCall::Flags)) return err;
  int all = 0;
  if (::ioctl(fresh, FS_IOC_GETFLAGS, &all) != 0) return errno;
  if ((all & kKeptFlags) != old.kept) {
    int wanted = (all & ~kKeptFlags) | old.kept;
    if (::ioctl(fresh, FS_IOC_SETFLAGS, &wanted) != 0) return errno;
  }
  InodeFlags now;
  if (const int err = ReadFlags(fresh, now)) return err;
  return now.kept == old.kept && now.project == old.project ? 0 : EPERM;
}

// Whether a file that held `old` may hold anything else now that the first
// `written` bytes of `bytes` were written over it and, where `cut`, it was
// cut to their size: a byte that differs from the old one there, or another
// size.
bool MayDiffer(std::string_view old, std::string_view bytes, std::size_t written, bool cut) {
  if ((cut && bytes.size() != old.size()) || written > old.size()) return true;
  return bytes.substr(0, written) != old.substr(0, written);
}

// Writes the file over in place, since `why`. Its old contents are read
// first; a size the process may not write and a disk without room fail
// before anything is written over; a failed write or flush that has changed
// the file puts the old contents back. Only when that fails too is the file
// left damaged, and FileDamaged says so.
void WriteInPlace(Target& t, std::string_view bytes, const char* why) {
  const std::string name = t.path.string();
  const std::string unsafe =
      "Cannot write " + name + " safely: it has to be written over in place, since " + why + ", and ";
  if (!t.readable)
    Raise(kErrPermissionDenied,
          unsafe + "you may not read it, so its old contents could not be put back if the write failed");
  const int fd = t.fd.get();
  std::string old;
  int readErr = 0;
  bool held = true;
  try {
    readErr = ReadAll(fd, t.st.st_size, old);
  } catch (const std::bad_alloc&) {
    held = false;
  } catch (const std::length_error&) {
    held = false;
  }
  if (!held)
    Raise(kErrOutOfMemory, unsafe + "its old contents (" + std::to_string(t.st.st_size) +
                               " bytes) could not be held in memory to put them back if the write failed");
  if (readErr) RaiseSystemError(readErr, "Cannot read " + name);
  const auto largest = static_cast<std::int64_t>(std::max(old.size(), bytes.size()));
  int err = SizeLimit(largest);
  if (!err) err = Reserve(DiskFiles::Target, fd, largest);
  if (err) RaiseSystemError(err, "Cannot write " + name);

  std::size_t written = 0;
  err = WriteAt(DiskFiles::Target, fd, bytes, 0, written);
  bool cut = false;
  if (!err && bytes.size() < old.size()) {
    err = Resize(fd, static_cast<std::int64_t>(bytes.size()));
    cut = err == 0;
  }
  if (!err) err = Flush(DiskFiles::Target, fd);
  if (!err) return;
  // What failed before changing anything leaves the old file as it was.
  if (!MayDiffer(old, bytes, written, cut)) RaiseSystemError(err, "Cannot write " + name);

  int back = WriteAt(DiskFiles::Target, fd, old, 0);
  if (!back) back = Resize(fd, static_cast<std::int64_t>(old.size()));
  if (!back) back = Flush(DiskFiles::Target, fd);
  if (!back) RaiseSystemError(err, "Cannot write " + name);
  const auto reason = [](int e) { return std::generic_category().message(e); };
  throw FileDamaged(FileErrorNumber(err), "The file " + name + " on disk is damaged: writing it failed (" +
                                              reason(err) + "), and so did putting its old contents back (" +
                                              reason(back) + "). Save it again, or under another name.");
}

// Why an existing target is written over in place when the new file cannot
// take its place.
constexpr const char* kFolderAllowsNoFile = "the folder allows no new file beside it";
constexpr const char* kNoFreeInode = "the disk has no room for another file beside it";
constexpr const char* kNoRoomForCopy = "the disk has no room for a second copy of it";
constexpr const char* kStandingLost = "a new file could not keep its owner, group, mode or extended attributes";
constexpr const char* kFlagsLost = "a new file could not keep its inode flags (as chattr sets them)";
constexpr const char* kFolderAllowsNoRename = "the folder lets no other file take its name";
constexpr const char* kMountedOnItsOwn = "it is mounted on its own, so no other file can take its place";

// Why the failure `err` of creating or naming the new file leaves writing in
// place, or nullptr when nothing would mend it.
const char* CreateRefusal(int err) {
  if (RefusedByFolder(err)) return kFolderAllowsNoFile;
  return NoRoom(err) ? kNoFreeInode : nullptr;
}

// Why the failure `err` of renaming the new file over the target leaves
// writing in place, or nullptr when nothing would mend it.
const char* RenameRefusal(int err) {
  // A folder with the sticky bit lets only a file's owner replace it, but
  // anyone who may write the file may still write it.
  if (RefusedByFolder(err)) return kFolderAllowsNoRename;
  return err == EBUSY || err == EXDEV ? kMountedOnItsOwn : nullptr;
}

// The new file that is to take the target's place, unnamed or under a name
// of its own; at the end of its scope it is closed and that name removed,
// unless it has become the target's.
struct NewFile {
  Descriptor fd;
  fs::path name;
  NewFile() = default;
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;
  ~NewFile() {
    fd.Close();
    if (!name.empty()) ::unlink(name.c_str());
  }
};

// How one way of putting a new file in the target's place ended.
struct Attempt {
  bool unnamedRefused = false;    // try again with a named file
  const char* inPlace = nullptr;  // why the target is to be written over in place instead
};

// Returns why for an existing target, when `why` names a reason to write it
// in place; otherwise raises `err` as the failure of `what`.
const char* InPlaceOrRaise(const Target& t, int err, const char* why, const std::string& what) {
  if (!t.exists || !why) RaiseSystemError(err, what);
  return why;
}

// What a plain create in `folder` gives a new file, read from an empty file
// made there and removed at once; 0, or the errno of the failure.
int PlainCreateStanding(const fs::path& folder, Standing& standing) {
  Descriptor probe;
  fs::path name;
  if (const int err = CreateBeside(folder, 0666, probe, name)) return err;
  const int err = ReadStanding(probe.get(), standing);
  ::unlink(name.c_str());
  return err;
}

// Makes the new file beside the target, unnamed or else named; a named one
// for a new target after reading into `plain` what a plain create gives.
// 0, or the errno of the failure.
int MakeNewFile(const Target& t, const fs::path& folder, bool unnamed, NewFile& fresh, Standing& plain) {
  // An unnamed file for a new target is made as a plain create makes one;
  // any other first only for its writer.
  if (unnamed) return CreateUnnamed(folder, t.exists ? 0600 : 0666, fresh.fd);
  const int err = t.exists ? 0 : PlainCreateStanding(folder, plain);
  return err ? err : CreateBeside(folder, 0600, fresh.fd, fresh.name);
}

// Reserves the room for `bytes` in the new file, writes and flushes them; 0,
// or the errno of the failure.
int FillNewFile(int fd, std::string_view bytes) {
  int err = Reserve(DiskFiles::New, fd, static_cast<std::int64_t>(bytes.size()));
  if (!err) err = WriteAt(DiskFiles::New, fd, bytes, 0);
  if (!err) err = Flush(DiskFiles::New, fd);
  return err;
}

// Gives the complete new file what the target has, or for a new target what
// a plain create gives (`plain`) where the kernel has not given it already;
// false when the target's cannot be given.
bool GiveStanding(const Target& t, int fd, bool unnamed, const Standing& plain) {
  if (t.exists) {
    Standing old;
    return ReadStanding(t.fd.get(), old) == 0 && TakeOver(fd, old) == 0;
  }
  if (unnamed) return true;
  if (const int err = TakeOver(fd, plain)) RaiseSystemError(err, "Cannot write " + t.path.string());
  return true;
}

// Puts a new file with `bytes` in the target's place: written while no one
// else can open it, unnamed where the folder's file system allows
// (`unnamed`), else under a name with mode 0600, then flushed, given what
// the target had (for a new target what a plain create gives), and renamed
// over the target. Returns why the target is to be written in place
// instead, if so; raises what no write in place would mend. No new file or
// name outlives it unless it has become the target.
Attempt PutInPlaceOfTarget(const Target& t, const fs::path& folder, std::string_view bytes,
                           const std::optional<InodeFlags>& flags, bool unnamed) {
  const std::string writing = "Cannot write " + t.path.string(),
                    creating = "Cannot create a file in " + folder.string();
  NewFile fresh;
  Standing plain;
  int err = MakeNewFile(t, folder, unnamed, fresh, plain);
  if (unnamed && NoUnnamedFiles(err)) return {.unnamedRefused = true};
  if (err) return {.inPlace = InPlaceOrRaise(t, err, CreateRefusal(err), creating)};
  if (flags && GiveFlags(fresh.fd.get(), *flags) != 0) return {.inPlace = kFlagsLost};
  err = FillNewFile(fresh.fd.get(), bytes);
  if (err) return {.inPlace = InPlaceOrRaise(t, err, NoRoom(err) ? kNoRoomForCopy : nullptr, writing)};
  if (!GiveStanding(t, fresh.fd.get(), unnamed, plain)) return {.inPlace = kStandingLost};

  err = unnamed ? LinkBeside(fresh.fd.get(), folder, fresh.name) : 0;
  if (err && !NoRoom(err)) return {.unnamedRefused = true};
  if (err) return {.inPlace = InPlaceOrRaise(t, err, kNoFreeInode, creating)};
  err = fresh.fd.Close();
  if (err) return {.inPlace = InPlaceOrRaise(t, err, NoRoom(err) ? kNoRoomForCopy : nullptr, writing)};
  err = Ask(DiskFiles::New, DiskCall::Rename);
  if (!err && ::rename(fresh.name.c_str(), t.path.c_str()) != 0) err = errno;
  if (err) return {.inPlace = InPlaceOrRaise(t, err, RenameRefusal(err), "Cannot replace " + t.path.string())};
  fresh.name.clear();  // the target's now
  return {};
}

}  // namespace

void SetDiskFaultForTests(DiskFault fault, DiskFiles on) {
  if (on != DiskFiles::New) Fault().target = fault;
  if (on != DiskFiles::Target) Fault().fresh = std::move(fault);
}

void IgnoreFileSizeSignal() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  ::sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGXFSZ, &ignore, nullptr);
}

void ReplaceFile(const fs::path& targetName, const std::function<void(TextFile&)>& write) {
  if (targetName.empty() || !targetName.has_filename()) Raise(kErrBadFileName);
  Target target = OpenTarget(targetName);

  TextFile text{InMemory{}};
  write(text);
  text.Close();
  const std::string& bytes = text.Text();
  // Before any new file exists; a write in place checks the old size too.
  if (const int err = SizeLimit(static_cast<std::int64_t>(bytes.size())))
    RaiseSystemError(err, "Cannot write " + target.path.string());

  // A new file under this name would leave the other names with the old text.
  if (target.exists && target.st.st_nlink > 1)
    return WriteInPlace(target, bytes, "it has further names (hard links) that must show the new contents too");
  std::optional<InodeFlags> flags;
  if (target.exists) {
    InodeFlags old;
    if (const int err = ReadFlags(target.fd.get(), old); err == 0)
      flags = old;
    else if (!NoFlags(err))
      return WriteInPlace(target, bytes, kFlagsLost);
  }

  fs::path folder = target.path.parent_path();
  if (folder.empty()) folder = ".";
  Attempt attempt = PutInPlaceOfTarget(target, folder, bytes, flags, true);
  if (attempt.unnamedRefused) attempt = PutInPlaceOfTarget(target, folder, bytes, flags, false);
  if (attempt.inPlace) return WriteInPlace(target, bytes, attempt.inPlace);
  // The new file is in place; a folder that cannot be flushed leaves only the
  // rename less durable, so it is not reported as a failed write.
  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid() && ::fsync(dir.get()) != 0) {
    // Not every file system can sync a folder.
  }
}

}  // namespace platform
