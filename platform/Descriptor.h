#pragma once
// What the file code below the C library shares: a descriptor that closes
// itself, and the name of a file's kind for a refusal.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace platform {

// A file descriptor, closed at the end of its scope unless handed on.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  Descriptor(Descriptor&& other) noexcept : fd_(other.release()) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    Close();
    fd_ = other.release();
    return *this;
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // The descriptor, now the caller's to close.
  int release() { return std::exchange(fd_, -1); }
  // Closes; the errno of a failed close (a write the disk refused late), else 0.
  int Close() {
    const int fd = release();
    return fd >= 0 && ::close(fd) != 0 ? errno : 0;
  }

 private:
  int fd_;
};

// "a folder", "a named pipe (FIFO)", "a character device", "a block
// device", "a socket"; nullptr for a regular file and a kind it does not know.
inline const char* KindOfFile(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe (FIFO)";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return nullptr;
}

}  // namespace platform
