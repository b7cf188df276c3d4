#pragma once
// What the fuzz targets share: the input as text, a finding that stops the
// run with its reason, and a scratch folder on a memory file system where
// there is one (the targets write files on every input).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

inline std::string_view Text(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A finding: libFuzzer keeps the input that led here.
[[noreturn]] inline void Finding(const std::string& what) {
  std::fprintf(stderr, "FINDING: %s\n", what.c_str());
  std::abort();
}

// A folder of the process's own, made once and removed at exit.
inline const std::filesystem::path& ScratchFolder() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path base = "/dev/shm";
    std::error_code ec;
    if (!std::filesystem::is_directory(base, ec) || ::access(base.c_str(), W_OK) != 0)
      base = std::filesystem::temp_directory_path();
    std::string pattern = (base / "velk-fuzz-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) Finding("no scratch folder");
    std::filesystem::path made = buf.data();
    static struct Remover {
      std::filesystem::path path;
      ~Remover() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
      }
    } remover{made};
    return made;
  }();
  return folder;
}

inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) Finding("cannot write " + path.string());
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

}  // namespace fuzz
