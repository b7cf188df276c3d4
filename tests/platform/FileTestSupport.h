#pragma once
// Scratch folders, file bytes, a full disk, a file size limit, a named pipe,
// a user whom file permissions bind, child processes as other users or with
// mounts of their own and a prompter for the error boxes, for
// the tests that read and write files. Plain C++ without Qt or GoogleTest, so
// that the tests of the sanitizer build and the fuzz seed writer use it too.
#include <fcntl.h>
#include <grp.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/FileReplace.h"
#include "platform/MessageBox.h"
#include "platform/TextFile.h"

namespace velk_test {

// A fresh empty folder under the system's temporary folder, removed with
// everything in it at the end of the scope.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velk-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("no scratch folder in " + pattern);
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The lines of text whose lines end in CR LF, without their ends, and back.
inline std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(bytes.substr(start, end - start));
  return lines;
}
inline std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

// A disk that fills up after `bytes` bytes of any one file that ReplaceFile
// writes, until the end of the scope: its writes and reservations past that
// fail with ENOSPC, as on a full disk.
class FullDisk {
 public:
  explicit FullDisk(std::int64_t bytes) {
    platform::SetDiskFaultForTests([bytes](platform::DiskCall call, std::int64_t offset, std::size_t& length) {
      const auto end = offset + static_cast<std::int64_t>(length);
      if ((call != platform::DiskCall::Write && call != platform::DiskCall::Reserve) || end <= bytes) return 0;
      if (call == platform::DiskCall::Reserve || offset >= bytes) return ENOSPC;
      length = static_cast<std::size_t>(bytes - offset);
      return 0;
    });
  }
  ~FullDisk() { platform::SetDiskFaultForTests({}); }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;
  bool on() const { return true; }
};

// For a child process that ends with it: a file size limit of `bytes` with
// its signal at the default action, as a program meets it before it ignores
// the signal, so that a write past it ends the process. False when the
// limit cannot be set.
inline bool LimitFileSizeAsAtStart(rlim_t bytes) {
  ::signal(SIGXFSZ, SIG_DFL);
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) return false;
  limit.rlim_cur = bytes;
  return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

// Named pipes waited for no longer than `wait`, for the writer and for its
// bytes, until the end of the scope.
class ShortPipeWaits {
 public:
  explicit ShortPipeWaits(std::chrono::milliseconds wait = std::chrono::milliseconds(100)) {
    platform::SetPipeWaitsForTests({wait, wait});
  }
  ~ShortPipeWaits() { platform::SetPipeWaitsForTests({}); }
  ShortPipeWaits(const ShortPipeWaits&) = delete;
  ShortPipeWaits& operator=(const ShortPipeWaits&) = delete;
};

// A file size limit of `bytes` for the process until the end of the scope,
// with its signal ignored so that a write past it fails with EFBIG. Check
// on() before relying on it.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    previousAction_ = ::signal(SIGXFSZ, SIG_IGN);
    if (::getrlimit(RLIMIT_FSIZE, &previous_) != 0) return;
    rlimit small = previous_;
    small.rlim_cur = bytes;
    on_ = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
  }
  ~FileSizeLimit() {
    if (on_) ::setrlimit(RLIMIT_FSIZE, &previous_);
    ::signal(SIGXFSZ, previousAction_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  bool on() const { return on_; }

 private:
  rlimit previous_{};
  void (*previousAction_)(int) = SIG_DFL;
  bool on_ = false;
};

// Whether AddressSanitizer watches the tests: it ends the process on an
// allocation it cannot make, where the program would see std::bad_alloc.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif
#else
inline constexpr bool kAddressSanitizer = false;
#endif

// Lets this process have no more address space than it uses now and
// `moreBytes`, for good (meant for a child process); false when it cannot,
// or when the limit does not bind (an emulator may only say it does).
inline bool LimitAddressSpace(std::uint64_t moreBytes) {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t pages = 0;
  statm >> pages;
  const rlimit limit{pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE)) + moreBytes, RLIM_INFINITY};
  if (pages == 0 || ::setrlimit(RLIMIT_AS, &limit) != 0) return false;
  void* beyond = ::mmap(nullptr, 2 * moreBytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (beyond == MAP_FAILED) return true;
  ::munmap(beyond, 2 * moreBytes);
  return false;
}

// A named pipe at `path` that a thread fills with `bytes` once a reader opens
// it, as a program writing into a pipe would, until the end of the scope.
class PipeWriter {
 public:
  PipeWriter(const std::filesystem::path& path, std::string bytes) : path_(path) {
    if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("no named pipe at " + path.string());
    previousAction_ = ::signal(SIGPIPE, SIG_IGN);  // a reader that stops early
    thread_ = std::thread([this, bytes = std::move(bytes)] {
      const int fd = ::open(path_.c_str(), O_WRONLY);
      for (std::size_t done = 0; fd >= 0 && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
      }
      if (fd >= 0) ::close(fd);
    });
  }
  ~PipeWriter() {
    // A reader that never came: opening the other end lets the writer go.
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
    thread_.join();
    if (fd >= 0) ::close(fd);
    ::signal(SIGPIPE, previousAction_);
  }
  PipeWriter(const PipeWriter&) = delete;
  PipeWriter& operator=(const PipeWriter&) = delete;

 private:
  std::filesystem::path path_;
  std::thread thread_;
  void (*previousAction_)(int) = SIG_DFL;
};

// The user whom file permissions bind: as root (where the tests run) the
// unprivileged user 65534, otherwise the user the tests run as.
inline uid_t PlainUid() { return ::geteuid() == 0 ? 65534 : ::geteuid(); }
inline gid_t PlainGid() { return ::geteuid() == 0 ? 65534 : ::getegid(); }

// Who a child process runs as: user, group and supplementary groups.
struct User {
  uid_t uid;
  gid_t gid;
  std::vector<gid_t> groups;
};
inline User PlainUser() { return {PlainUid(), PlainGid(), {}}; }

// Makes this process `user`; false when it cannot. Only root can become
// another user; anyone else may only stay who they are.
inline bool BecomeUser(const User& user) {
  if (::geteuid() != 0) return user.uid == ::geteuid();
  return ::setgroups(user.groups.size(), user.groups.data()) == 0 && ::setgid(user.gid) == 0 && ::setuid(user.uid) == 0;
}

// Runs `f` in a child process as `user` (or as the tests run, without one)
// from its start, alongside the tests; Result() waits for the child and
// returns what `f` returned, or a text starting "child:" when the child could
// not run it or did not end normally. The files the child uses must be
// reachable by that user.
class Child {
 public:
  explicit Child(const std::function<std::string()>& f, const std::optional<User>& user = PlainUser()) {
    int out[2];
    if (::pipe(out) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(out[0]);
      std::string result;
      if (user && !BecomeUser(*user)) {
        result = "child: cannot become user " + std::to_string(user->uid);
      } else {
        try {
          result = f();
        } catch (const std::exception& e) {
          result = std::string("child: ") + e.what();
        }
      }
      for (std::size_t done = 0; done < result.size();) {
        const ssize_t n = ::write(out[1], result.data() + done, result.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
      }
      ::_exit(0);  // no destructors: what the parent holds stays the parent's
    }
    ::close(out[1]);
    if (pid_ < 0)
      ::close(out[0]);
    else
      out_ = out[0];
  }
  ~Child() { Result(); }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  pid_t pid() const { return pid_; }

  std::string Result() {
    if (out_ < 0) return pid_ < 0 ? "child: no fork" : result_;
    char buffer[512];
    for (ssize_t n; (n = ::read(out_, buffer, sizeof buffer)) > 0;) result_.append(buffer, static_cast<std::size_t>(n));
    ::close(out_);
    out_ = -1;
    int status = 0;
    ::waitpid(pid_, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
      result_ = "child: ended abnormally" +
                (WIFSIGNALED(status) ? " by signal " + std::to_string(WTERMSIG(status)) : std::string()) + " " +
                result_;
    return result_;
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string result_;
};

// Runs `f` in a child process as PlainUid/PlainGid, so that a file the user
// may not write stays unwritable even when the tests run as root, and
// returns what `f` returned (see Child).
inline std::string AsPlainUser(const std::function<std::string()>& f) { return Child(f).Result(); }

// A folder a team shares, as an office's project folder: set-group-ID and
// writable by the team (2775), root's, its group a team of the plain user
// (`saver`) and a second user (`spy`). Its parent is opened for anyone to
// pass through. Only root can make it: `path` is empty otherwise.
struct TeamFolder {
  static constexpr gid_t kTeam = 65530;
  static constexpr uid_t kOther = 65533;
  explicit TeamFolder(const std::filesystem::path& parent) {
    if (::geteuid() != 0) return;
    namespace fs = std::filesystem;
    fs::permissions(parent, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const fs::path folder = parent / "team";
    fs::create_directory(folder);
    if (::chown(folder.c_str(), 0, kTeam) == 0 && ::chmod(folder.c_str(), 02775) == 0) path = folder;
  }
  std::filesystem::path path;
  User saver{PlainUid(), PlainGid(), {kTeam}};
  User spy{kOther, kOther, {kTeam}};
};

// Makes `file` with `bytes` a file of the plain user's that nobody else may
// read (0600), in a new folder of that user's that nobody else may enter
// (0700), as a user's private notes are; false when that cannot be done
// (only root can give a file away).
inline bool MakePlainUsersPrivateFile(const std::filesystem::path& file, const std::string& bytes) {
  const std::filesystem::path folder = file.parent_path();
  std::filesystem::create_directory(folder);
  WriteBytes(file, bytes);
  for (const std::filesystem::path& p : {folder, file})
    if (::chown(p.c_str(), PlainUid(), PlainGid()) != 0) return false;
  return ::chmod(folder.c_str(), 0700) == 0 && ::chmod(file.c_str(), 0600) == 0;
}

// Runs `f` as root in a child process with mounts of its own, so that what
// it mounts is gone with it and never reaches the machine; returns what `f`
// returned, or a text starting "skip:" when the tests do not run as root or
// the system gives no mounts of one's own.
inline std::string InPrivateMounts(const std::function<std::string()>& f) {
  if (::geteuid() != 0) return "skip: only root can mount";
  return Child(
             [&f] {
               if (::unshare(CLONE_NEWNS) != 0)
                 return "skip: no mounts of one's own: " + std::generic_category().message(errno);
               if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
                 return "skip: mounts cannot be made private: " + std::generic_category().message(errno);
               return f();
             },
             std::nullopt)
      .Result();
}

// From now on, for good (meant for a child process), flock() fails with
// ENOLCK, as on a network disk without its lock service; false where it
// cannot be set (a processor this does not know, an emulator that does not
// pass system call filters on).
inline bool LockNoFiles() {
#if defined(__x86_64__)
  constexpr std::uint32_t kArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
  constexpr std::uint32_t kArch = AUDIT_ARCH_AARCH64;
#else
  return false;
#endif
#if defined(__x86_64__) || defined(__aarch64__)
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArch, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_flock, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (ENOLCK & SECCOMP_RET_DATA)),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  const sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
    return false;
  // An emulator may take the filter and still let the call through.
  const int fd = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool refused = fd >= 0 && ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == ENOLCK;
  if (fd >= 0) ::close(fd);
  return refused;
#endif
}

// One entry of a POSIX ACL: its tag (1 the owner, 2 a named user, 4 the
// group, 8 a named group, 16 the mask, 32 others), its rights (4 read,
// 2 write, 1 execute) and, for a named entry, the user or group.
struct AclEntry {
  std::uint16_t tag;
  std::uint16_t rights;
  std::uint32_t id = 0xffffffffu;
};

// The entries in the kernel's form of the system.posix_acl_access attribute.
inline std::string PosixAcl(std::initializer_list<AclEntry> entries) {
  std::string acl;
  auto put = [&acl](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) acl.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
  };
  put(2, 4);  // version
  for (const AclEntry& e : entries) {
    put(e.tag, 2);
    put(e.rights, 2);
    put(e.id, 4);
  }
  return acl;
}

// Runs `f` with a full disk of its own mounted at the empty folder `at` (a
// small tmpfs, filled up) in a child process with mounts of its own; returns
// what `f` returned, or a text starting "skip:" where no such disk can be
// had (see InPrivateMounts).
inline std::string OnAFullDisk(const std::filesystem::path& at, const std::function<std::string()>& f) {
  return InPrivateMounts([&] {
    if (::mount("velk", at.c_str(), "tmpfs", 0, "size=64k") != 0)
      return "skip: no small disk of its own: " + std::generic_category().message(errno);
    std::ofstream(at / "filler", std::ios::binary) << std::string(256 * 1024, 'x');  // as much as fits
    return f();
  });
}

// Answers as scripted, but gives up on a box that keeps coming back: once the
// script runs out a Disk Error box would otherwise be retried for ever.
class BoxScript : public platform::ScriptedPrompter {
 public:
  platform::Answer Message(const platform::MessageRequest& request) override {
    const platform::Answer a = ScriptedPrompter::Message(request);
    return messages().size() > 20 ? platform::Answer::Cancel : a;
  }
};

}  // namespace velk_test
