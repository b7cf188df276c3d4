#pragma once
// Scratch folders, file bytes, a full disk, a file size limit, a named pipe,
// a user whom file permissions bind and a prompter for the error boxes, for
// the tests that read and write files. Plain C++ without Qt or GoogleTest, so
// that the tests of the sanitizer build and the fuzz seed writer use it too.
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/FileReplace.h"
#include "platform/MessageBox.h"

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

// Runs `f` in a child process as PlainUid/PlainGid, so that a file the user
// may not write stays unwritable even when the tests run as root, and
// returns what `f` returned; a text starting "child:" when the child could
// not run it. The files the child uses must be reachable by that user.
inline std::string AsPlainUser(const std::function<std::string()>& f) {
  int out[2];
  if (::pipe(out) != 0) return "child: no pipe";
  const pid_t pid = ::fork();
  if (pid < 0) return "child: no fork";
  if (pid == 0) {
    ::close(out[0]);
    std::string result;
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(PlainGid()) != 0 || ::setuid(PlainUid()) != 0)) {
      result = "child: cannot become user 65534";
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
    ::_exit(0);  // no destructors: the scratch folder belongs to the parent
  }
  ::close(out[1]);
  std::string result;
  char buffer[512];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
    result.append(buffer, static_cast<std::size_t>(n));
  ::close(out[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child: ended abnormally " + result;
  return result;
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
