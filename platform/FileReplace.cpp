#include "platform/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/RuntimeError.h"

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

void WriteAll(int fd, std::string_view bytes, const fs::path& target) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) RaiseSystemError(n < 0 ? errno : EIO, "Cannot write " + target.string());
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void Flush(int fd, const fs::path& target) {
  // Some file systems cannot sync; that is no failure of the write.
  if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP)
    RaiseSystemError(errno, "Cannot write " + target.string());
}

void Close(Descriptor& fd, const fs::path& target) {
  if (const int err = fd.Close()) RaiseSystemError(err, "Cannot write " + target.string());
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

// Gives the new file what the old one had: its owner and group where the user
// may set them (a user who may not give the file away may still keep its
// group), then its mode, since a change of owner clears the set-id bits.
void KeepOwnerAndMode(int fd, const struct stat& old, const fs::path& target) {
  if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
    // Neither: the file becomes the user's, as a file the user creates does.
  }
  if (::fchmod(fd, old.st_mode & 07777) != 0)
    RaiseSystemError(errno, "Cannot give the new file the permissions of " + target.string());
}

void WriteInPlace(Descriptor& fd, std::string_view bytes, const fs::path& target) {
  if (::ftruncate(fd.get(), 0) != 0) RaiseSystemError(errno, "Cannot write " + target.string());
  WriteAll(fd.get(), bytes, target);
  Flush(fd.get(), target);
  Close(fd, target);
}

bool RefusedByFolder(int err) { return err == EACCES || err == EPERM; }

}  // namespace

void ReplaceFile(const fs::path& targetName, const std::function<void(TextFile&)>& write) {
  if (targetName.empty() || !targetName.has_filename()) Raise(kErrBadFileName);
  fs::path target = targetName;
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(target, ec))) target = fs::weakly_canonical(target, ec);
  if (ec) target = targetName;

  // The target is opened as a plain write would open it, but not truncated:
  // what the user may not write is refused here, with the system's reason.
  // Non-blocking, so that a file turned into a pipe meanwhile cannot hang the
  // program; checked before and after, so that no device is ever opened.
  struct stat old {};
  Descriptor existing;
  if (::stat(target.c_str(), &old) == 0) {
    if (!S_ISREG(old.st_mode)) RaiseNotRegular(target, old.st_mode);
    existing = Descriptor(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!existing.valid()) RaiseSystemError(errno, "Cannot write " + target.string());
    if (::fstat(existing.get(), &old) != 0) RaiseSystemError(errno, "Cannot write " + target.string());
    if (!S_ISREG(old.st_mode)) RaiseNotRegular(target, old.st_mode);
  } else if (errno != ENOENT) {
    RaiseSystemError(errno, "Cannot write " + target.string());
  }

  TextFile text{InMemory{}};
  write(text);
  text.Close();
  const std::string& bytes = text.Text();

  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  fs::path temporary;
  Descriptor fresh = CreateBeside(folder, temporary);
  if (!fresh.valid()) {
    const int err = errno;
    if (!existing.valid() || !RefusedByFolder(err))
      RaiseSystemError(err, "Cannot create a file in " + folder.string());
    WriteInPlace(existing, bytes, target);
    return;
  }
  bool replaced = false;
  try {
    if (existing.valid()) KeepOwnerAndMode(fresh.get(), old, target);
    WriteAll(fresh.get(), bytes, target);
    Flush(fresh.get(), target);
    Close(fresh, target);
    if (::rename(temporary.c_str(), target.c_str()) == 0) {
      replaced = true;
    } else if (!existing.valid() || !RefusedByFolder(errno)) {
      RaiseSystemError(errno, "Cannot replace " + target.string());
    }
  } catch (...) {
    fresh.Close();
    ::unlink(temporary.c_str());
    throw;
  }
  if (!replaced) {
    // A folder with the sticky bit lets only a file's owner replace it, but
    // anyone who may write the file may still write it.
    ::unlink(temporary.c_str());
    WriteInPlace(existing, bytes, target);
    return;
  }
  // The new file is in place; a folder that cannot be flushed leaves only the
  // rename less durable, so it is not reported as a failed write.
  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid() && ::fsync(dir.get()) != 0) {
    // Not every file system can sync a folder.
  }
}

}  // namespace platform
