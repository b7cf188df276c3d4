#include "platform/FileReplace.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace platform {
namespace {

// A file descriptor, closed at the end of its scope.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Descriptor& operator=(Descriptor&& other) noexcept {
    Close();
    fd_ = other.fd_;
    other.fd_ = -1;
    return *this;
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes; the errno of a failed close (a write the disk refused late), else 0.
  int Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd >= 0 && ::close(fd) != 0 ? errno : 0;
  }

 private:
  int fd_;
};

DiskFault& Fault() {
  static DiskFault fault;
  return fault;
}

int Ask(DiskCall call, std::int64_t offset, std::size_t& length) {
  const DiskFault& fault = Fault();
  return fault ? fault(call, offset, length) : 0;
}

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe (FIFO)";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "of an unknown kind";
}

[[noreturn]] void RaiseNotRegular(const fs::path& target, mode_t mode) {
  Raise(kErrPathFileAccess, target.string() + " is " + KindOf(mode) + ", not a regular file");
}

// The calls that change the file return 0, or the errno of the call that failed.

int WriteAt(int fd, std::string_view bytes, std::int64_t offset) {
  while (!bytes.empty()) {
    std::size_t length = bytes.size();
    if (const int err = Ask(DiskCall::Write, offset, length)) return err;
    const ssize_t n = ::pwrite(fd, bytes.data(), std::min(length, bytes.size()), offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    bytes.remove_prefix(static_cast<std::size_t>(n));
    offset += n;
  }
  return 0;
}

int Resize(int fd, std::int64_t size) {
  std::size_t none = 0;
  if (const int err = Ask(DiskCall::Resize, size, none)) return err;
  return ::ftruncate(fd, size) == 0 ? 0 : errno;
}

int Flush(int fd) {
  std::size_t none = 0;
  if (const int err = Ask(DiskCall::Flush, 0, none)) return err;
  // Some file systems cannot sync; that is no failure of the write.
  return ::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP ? errno : 0;
}

// Reserves the disk blocks for `size` bytes without changing the file, so
// that a full disk shows before anything is written over. A file system that
// cannot reserve is no failure: putting the old contents back covers it.
int Reserve(int fd, std::int64_t size) {
  std::size_t length = static_cast<std::size_t>(size);
  if (const int err = Ask(DiskCall::Reserve, 0, length)) return err;
  if (size == 0 || ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) == 0) return 0;
  return errno == ENOSPC || errno == EDQUOT || errno == EFBIG ? errno : 0;
}

// EFBIG when the process may not write a file of `size` bytes.
int SizeLimit(std::int64_t size) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 0;
  return static_cast<rlim_t>(size) > limit.rlim_cur ? EFBIG : 0;
}

// The whole file from its start.
int ReadAll(int fd, std::string& bytes) {
  bytes.clear();
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

// The file a plain write to `name` would open: symbolic links followed to
// the end, where the last one may name a file that does not exist yet.
fs::path FollowLinks(const fs::path& name) {
  fs::path path = name;
  for (int hops = 0;; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    if (hops == 40) RaiseSystemError(ELOOP, "Cannot write " + name.string());
    std::error_code ec;
    const fs::path to = fs::read_symlink(path, ec);
    if (ec) RaiseSystemError(ec.value(), "Cannot write " + name.string());
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
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

// Opens the target as a plain write would, but does not truncate it: what the
// user may not write is refused here, with the system's reason. Non-blocking,
// so that a file turned into a pipe meanwhile cannot hang the program; checked
// before and after, so that no device is ever opened.
Target OpenTarget(const fs::path& path) {
  Target t;
  t.path = path;
  if (::stat(path.c_str(), &t.st) != 0) {
    if (errno != ENOENT) RaiseSystemError(errno, "Cannot write " + path.string());
    return t;
  }
  if (!S_ISREG(t.st.st_mode)) RaiseNotRegular(path, t.st.st_mode);
  constexpr int kFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  t.fd = Descriptor(::open(path.c_str(), O_RDWR | kFlags));
  t.readable = t.fd.valid();
  if (!t.readable && errno == EACCES) t.fd = Descriptor(::open(path.c_str(), O_WRONLY | kFlags));
  if (!t.fd.valid()) RaiseSystemError(errno, "Cannot write " + path.string());
  if (::fstat(t.fd.get(), &t.st) != 0) RaiseSystemError(errno, "Cannot write " + path.string());
  if (!S_ISREG(t.st.st_mode)) RaiseNotRegular(path, t.st.st_mode);
  t.exists = true;
  return t;
}

// A new file in `folder` under a name no file has, or an invalid descriptor
// with errno set when the folder allows none.
Descriptor CreateBeside(const fs::path& folder, fs::path& name) {
  const std::string stem = ".velk" + std::to_string(static_cast<long>(::getpid())) + "-";
  for (int n = 0; n <= 10000; ++n) {
    name = folder / (stem + std::to_string(n) + ".tmp");
    Descriptor fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
    if (fd.valid() || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return Descriptor();
}

// The names of the file's extended attributes; false when they cannot be
// listed. A file system that has none lists none.
bool ListAttributes(int fd, std::vector<std::string>& names) {
  names.clear();
  for (int attempt = 0; attempt < 3; ++attempt) {
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size < 0) return errno == ENOTSUP;
    std::string list(static_cast<std::size_t>(size), '\0');
    const ssize_t got = ::flistxattr(fd, list.data(), list.size());
    if (got < 0 && errno == ERANGE) continue;  // one was added meanwhile
    if (got < 0) return false;
    list.resize(static_cast<std::size_t>(got));
    for (std::size_t at = 0; at < list.size();) {
      std::size_t end = list.find('\0', at);
      if (end == std::string::npos) end = list.size();
      names.push_back(list.substr(at, end - at));
      at = end + 1;
    }
    return true;
  }
  return false;
}

bool GetAttribute(int fd, const std::string& name, std::string& value) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
    if (size < 0) return false;
    value.assign(static_cast<std::size_t>(size), '\0');
    const ssize_t got = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
    if (got >= 0) {
      value.resize(static_cast<std::size_t>(got));
      return true;
    }
    if (errno != ERANGE) return false;
  }
  return false;
}

// Gives `to` exactly the extended attributes of `from`, the ACL among them
// and none that `to` was created with (a folder's default ACL); false when
// any cannot be read, set or removed.
bool CopyAttributes(int from, int to) {
  std::vector<std::string> names, present;
  if (!ListAttributes(from, names) || !ListAttributes(to, present)) return false;
  std::string value;
  for (const std::string& name : names)
    if (!GetAttribute(from, name, value) || ::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0)
      return false;
  for (const std::string& name : present)
    if (std::find(names.begin(), names.end(), name) == names.end() && ::fremovexattr(to, name.c_str()) != 0)
      return false;
  return true;
}

// Gives the new file what a write in place would have kept of the old one:
// owner and group, then the extended attributes, then the mode, since a
// change of owner clears the set-id bits and file capabilities, and an ACL
// sets the group bits. False when any of it cannot be given: the user may
// not give the file away, is not in its group, or may not set an attribute.
bool TakeOver(int fresh, const Target& old) {
  if (::fchown(fresh, old.st.st_uid, old.st.st_gid) != 0) return false;
  if (!CopyAttributes(old.fd.get(), fresh)) return false;
  if (::fchmod(fresh, old.st.st_mode & 07777) != 0) return false;
  // The system drops a set-group-ID bit it does not let the user set.
  struct stat now {};
  return ::fstat(fresh, &now) == 0 && now.st_uid == old.st.st_uid && now.st_gid == old.st.st_gid &&
         (now.st_mode & 07777) == (old.st.st_mode & 07777);
}

// Writes the file over in place, since `why`. Its old contents are read
// first; a size the process may not write and a disk without room fail
// before anything is written over; a failed write or flush puts the old
// contents back. Only when that fails too is the file left damaged, and
// FileDamaged says so.
void WriteInPlace(Target& t, std::string_view bytes, const char* why) {
  const std::string name = t.path.string();
  if (!t.readable)
    Raise(kErrPermissionDenied, "Cannot write " + name + " safely: it has to be written over in place, since " +
                                    why + ", and you may not read it, so its old contents could not be put "
                                          "back if the write failed");
  const int fd = t.fd.get();
  std::string old;
  if (const int err = ReadAll(fd, old)) RaiseSystemError(err, "Cannot read " + name);
  const auto largest = static_cast<std::int64_t>(std::max(old.size(), bytes.size()));
  int err = SizeLimit(largest);
  if (!err) err = Reserve(fd, largest);
  if (err) RaiseSystemError(err, "Cannot write " + name);

  err = WriteAt(fd, bytes, 0);
  if (!err && bytes.size() < old.size()) err = Resize(fd, static_cast<std::int64_t>(bytes.size()));
  if (!err) err = Flush(fd);
  if (!err) return;

  int back = WriteAt(fd, old, 0);
  if (!back) back = Resize(fd, static_cast<std::int64_t>(old.size()));
  if (!back) back = Flush(fd);
  if (!back) RaiseSystemError(err, "Cannot write " + name);
  const auto reason = [](int e) { return std::generic_category().message(e); };
  throw FileDamaged(FileErrorNumber(err), "The file " + name + " on disk is damaged: writing it failed (" +
                                              reason(err) + "), and so did putting its old contents back (" +
                                              reason(back) + "). Save it again, or under another name.");
}

bool RefusedByFolder(int err) { return err == EACCES || err == EPERM; }

}  // namespace

void SetDiskFaultForTests(DiskFault fault) { Fault() = std::move(fault); }

void ReplaceFile(const fs::path& targetName, const std::function<void(TextFile&)>& write) {
  if (targetName.empty() || !targetName.has_filename()) Raise(kErrBadFileName);
  Target target = OpenTarget(FollowLinks(targetName));

  TextFile text{InMemory{}};
  write(text);
  text.Close();
  const std::string& bytes = text.Text();

  // A new file under this name would leave the other names with the old text.
  if (target.exists && target.st.st_nlink > 1)
    return WriteInPlace(target, bytes, "it has further names (hard links) that must show the new contents too");

  fs::path folder = target.path.parent_path();
  if (folder.empty()) folder = ".";
  fs::path temporary;
  Descriptor fresh = CreateBeside(folder, temporary);
  if (!fresh.valid()) {
    const int err = errno;
    if (!target.exists || !RefusedByFolder(err))
      RaiseSystemError(err, "Cannot create a file in " + folder.string());
    return WriteInPlace(target, bytes, "the folder allows no new file beside it");
  }
  const char* inPlace = nullptr;
  try {
    if (target.exists && !TakeOver(fresh.get(), target)) {
      inPlace = "a new file could not keep its owner, group, mode or extended attributes";
    } else {
      int err = WriteAt(fresh.get(), bytes, 0);
      if (!err) err = Flush(fresh.get());
      if (!err) err = fresh.Close();
      if (err) RaiseSystemError(err, "Cannot write " + target.path.string());
      if (::rename(temporary.c_str(), target.path.c_str()) != 0) {
        err = errno;
        // A folder with the sticky bit lets only a file's owner replace it,
        // but anyone who may write the file may still write it.
        if (!target.exists || !RefusedByFolder(err))
          RaiseSystemError(err, "Cannot replace " + target.path.string());
        inPlace = "the folder lets no other file take its name";
      }
    }
  } catch (...) {
    fresh.Close();
    ::unlink(temporary.c_str());
    throw;
  }
  if (inPlace) {
    fresh.Close();
    ::unlink(temporary.c_str());
    return WriteInPlace(target, bytes, inPlace);
  }
  // The new file is in place; a folder that cannot be flushed leaves only the
  // rename less durable, so it is not reported as a failed write.
  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid() && ::fsync(dir.get()) != 0) {
    // Not every file system can sync a folder.
  }
}

}  // namespace platform
