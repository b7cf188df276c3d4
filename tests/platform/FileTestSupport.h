#pragma once
// Scratch folders, file bytes, a full disk and a prompter for its error
// boxes, for the tests that read and write files. Plain C++ without Qt or
// GoogleTest, so that the tests of the sanitizer build and the fuzz seed
// writer use it too.
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

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

// A disk that fills up after `bytes` bytes of any one file, until the end
// of the scope: the process's file size limit, with its signal ignored so
// that a write past it fails as a write to a full disk does. Check on()
// before relying on it.
class FullDisk {
 public:
  explicit FullDisk(rlim_t bytes) {
    previousAction_ = ::signal(SIGXFSZ, SIG_IGN);
    if (::getrlimit(RLIMIT_FSIZE, &previous_) != 0) return;
    rlimit small = previous_;
    small.rlim_cur = bytes;
    on_ = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
  }
  ~FullDisk() {
    if (on_) ::setrlimit(RLIMIT_FSIZE, &previous_);
    ::signal(SIGXFSZ, previousAction_);
  }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;
  bool on() const { return on_; }

 private:
  rlimit previous_{};
  void (*previousAction_)(int) = SIG_DFL;
  bool on_ = false;
};

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
