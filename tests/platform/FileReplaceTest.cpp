#include "platform/FileReplace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "platform/RuntimeError.h"
#include "tests/platform/FileTestSupport.h"

namespace fs = std::filesystem;
using velk_test::ReadBytes;
using velk_test::WriteBytes;

namespace {

class FileReplaceTest : public ::testing::Test {
 protected:
  int FileCount() const {
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++n;
    return n;
  }

  velk_test::ScratchFolder scratch_;
  const fs::path dir_ = scratch_.path();
};

TEST_F(FileReplaceTest, ReplacesWholeKeepingPermissionsAndLinks) {
  const fs::path target = dir_ / "a.txt";
  WriteBytes(target, "old contents");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  platform::ReplaceFile(target, [](platform::TextFile& f) { f.WriteLine("new"); });
  EXPECT_EQ(ReadBytes(target), "new\r\n");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(FileCount(), 1);

  // Through a link the file it points at is replaced; the link stays a link.
  const fs::path link = dir_ / "link.txt";
  fs::create_symlink(target, link);
  platform::ReplaceFile(link, [](platform::TextFile& f) { f.Write("via link"); });
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadBytes(target), "via link");
}

TEST_F(FileReplaceTest, AFailedWriteLeavesTheTargetAndNoTemporary) {
  const fs::path target = dir_ / "b.txt";
  WriteBytes(target, "keep me");
  EXPECT_THROW(platform::ReplaceFile(target,
                                     [](platform::TextFile& f) {
                                       f.Write("half");
                                       throw std::runtime_error("writer failed");
                                     }),
               std::runtime_error);
  EXPECT_EQ(ReadBytes(target), "keep me");
  EXPECT_EQ(FileCount(), 1);

  try {
    platform::ReplaceFile(dir_ / "missing" / "c.txt", [](platform::TextFile&) {});
    ADD_FAILURE() << "a missing folder must fail";
  } catch (const platform::RuntimeError& e) {
    EXPECT_EQ(e.number(), platform::kErrPathNotFound);
  }
  EXPECT_THROW(platform::ReplaceFile(dir_, [](platform::TextFile&) {}), platform::RuntimeError);
  EXPECT_EQ(FileCount(), 1);
}

}  // namespace
