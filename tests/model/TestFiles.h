#pragma once
// Scratch files for the model tests: write bytes, open them for the readers,
// and catch the error number a call raises.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/RuntimeError.h"
#include "platform/TextFile.h"
#include "tests/platform/FileTestSupport.h"

namespace testfiles {

// One folder per process, so that builds running their tests side by side
// do not share scratch files; removed when the test program ends.
inline const std::filesystem::path& ScratchDir() {
  static const velk_test::ScratchFolder folder;
  return folder.path();
}

inline std::filesystem::path ScratchPath(const std::string& name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return ScratchDir() / (std::string(info->test_suite_name()) + "." + info->name() + "." + name);
}

using velk_test::ReadBytes;
using velk_test::WriteBytes;

// An input file holding exactly these bytes.
inline std::unique_ptr<platform::TextFile> InputOf(const std::string& bytes, const std::string& name = "in.txt") {
  auto p = ScratchPath(name);
  WriteBytes(p, bytes);
  return std::make_unique<platform::TextFile>(p, platform::FileMode::Input);
}

// What `write` puts into a file.
inline std::string Written(const std::function<void(platform::TextFile&)>& write,
                           const std::string& name = "out.txt") {
  auto p = ScratchPath(name);
  {
    platform::TextFile f(p, platform::FileMode::Output);
    write(f);
    f.Close();
  }
  return ReadBytes(p);
}

inline int ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const platform::RuntimeError& e) {
    return e.number();
  }
  return 0;
}

}  // namespace testfiles
