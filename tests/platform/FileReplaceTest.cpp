#include "platform/FileReplace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/RuntimeError.h"
#include "tests/platform/FileTestSupport.h"

namespace fs = std::filesystem;
using velk_test::ReadBytes;
using velk_test::WriteBytes;

namespace {

// "done", or the failure's number and description.
std::string Outcome(const fs::path& target, const std::string& text) {
  try {
    platform::ReplaceFile(target, [&](platform::TextFile& f) { f.Write(text); });
    return "done";
  } catch (const platform::RuntimeError& e) {
    return std::to_string(e.number()) + " " + e.description();
  }
}

struct stat StatOf(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

class FileReplaceTest : public ::testing::Test {
 protected:
  int FileCount(const fs::path& folder) const {
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
    return n;
  }
  int FileCount() const { return FileCount(dir_); }

  // A folder and a file in it, both the plain user's (velk_test::AsPlainUser).
  fs::path PlainUsersFile(const std::string& folderName, const std::string& bytes, fs::perms mode) {
    fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const fs::path folder = dir_ / folderName, file = folder / "file.txt";
    fs::create_directory(folder);
    WriteBytes(file, bytes);
    for (const fs::path& p : {folder, file})
      EXPECT_EQ(::chown(p.c_str(), velk_test::PlainUid(), velk_test::PlainGid()), 0);
    fs::permissions(file, mode);
    return file;
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

TEST_F(FileReplaceTest, AFullDiskAtAnyByteOrStrayTemporariesLeaveTheTargetAsItWas) {
  const fs::path target = dir_ / "c.txt";
  WriteBytes(target, "old");
  // Temporary files that an earlier run of this number left behind.
  const std::string stem = ".velk" + std::to_string(::getpid()) + "-";
  WriteBytes(dir_ / (stem + "0.tmp"), "stray 0");
  WriteBytes(dir_ / (stem + "1.tmp"), "stray 1");
  const std::string text = "a line of text\r\nand another\r\n";
  for (std::size_t limit = 0; limit < text.size(); ++limit) {
    velk_test::FullDisk disk(limit);
    ASSERT_TRUE(disk.on());
    EXPECT_EQ(Outcome(target, text).substr(0, 3), "61 ") << limit;
  }
  EXPECT_EQ(ReadBytes(target), "old");
  EXPECT_EQ(Outcome(target, text), "done");
  EXPECT_EQ(ReadBytes(target), text);
  EXPECT_EQ(ReadBytes(dir_ / (stem + "0.tmp")), "stray 0");
  EXPECT_EQ(ReadBytes(dir_ / (stem + "1.tmp")), "stray 1");
  EXPECT_EQ(FileCount(), 3);
}

TEST_F(FileReplaceTest, WhatIsNoRegularFileIsRefusedUntouched) {
  const fs::path fifo = dir_ / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_EQ(Outcome(fifo, "x"), "75 " + fifo.string() + " is a named pipe (FIFO), not a regular file");
  EXPECT_TRUE(fs::is_fifo(fifo));

  // A device node of its own where the system allows one, else /dev/null,
  // which is only looked at.
  fs::path device = dir_ / "null";
  if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) device = "/dev/null";
  EXPECT_EQ(Outcome(device, "x"), "75 " + device.string() + " is a character device, not a regular file");
  EXPECT_TRUE(fs::is_character_file(device));

  const fs::path link = dir_ / "to-pipe";
  fs::create_symlink(fifo, link);
  EXPECT_EQ(Outcome(link, "x").substr(0, 3), "75 ");
  EXPECT_EQ(Outcome(dir_, "x"), "75 " + dir_.string() + " is a folder, not a regular file");
  EXPECT_EQ(FileCount(), device == "/dev/null" ? 2 : 3) << "no temporary file is left";
}

TEST_F(FileReplaceTest, TheNewFileKeepsModeOwnerAndGroup) {
  const fs::path target = dir_ / "d.txt";
  WriteBytes(target, "old");
  // As root another owner and group; otherwise another group of the user's.
  uid_t owner = ::geteuid();
  gid_t group = ::getegid();
  if (owner == 0) {
    owner = group = 65534;
  } else {
    std::vector<gid_t> groups(static_cast<std::size_t>(::getgroups(0, nullptr)));
    groups.resize(static_cast<std::size_t>(::getgroups(static_cast<int>(groups.size()), groups.data())));
    for (gid_t g : groups)
      if (g != group) group = g;
  }
  ASSERT_EQ(::chown(target.c_str(), owner, group), 0);
  ASSERT_EQ(::chmod(target.c_str(), 0604), 0);
  const ino_t before = StatOf(target).st_ino;
  EXPECT_EQ(Outcome(target, "new"), "done");
  const struct stat after = StatOf(target);
  EXPECT_EQ(ReadBytes(target), "new");
  EXPECT_NE(after.st_ino, before) << "replaced, not written over";
  EXPECT_EQ(after.st_mode & 07777, 0604u);
  EXPECT_EQ(after.st_uid, owner);
  EXPECT_EQ(after.st_gid, group);
}

TEST_F(FileReplaceTest, AFileTheUserMayNotWriteIsRefusedWithTheSystemsReason) {
  const fs::path target = PlainUsersFile("open", "keep me", fs::perms::owner_read | fs::perms::others_read);
  EXPECT_EQ(velk_test::AsPlainUser([&] { return Outcome(target, "new"); }),
            "70 Cannot write " + target.string() + ": Permission denied");
  EXPECT_EQ(ReadBytes(target), "keep me");
  EXPECT_EQ(StatOf(target).st_mode & 07777, 0404u);
  EXPECT_EQ(FileCount(target.parent_path()), 1) << "no temporary file is left";
}

TEST_F(FileReplaceTest, AFolderThatAllowsNoNewFileHasAWritableFileWrittenInPlace) {
  const fs::path target =
      PlainUsersFile("closed", "a longer old text", fs::perms::owner_read | fs::perms::owner_write);
  const fs::path folder = target.parent_path();
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  const ino_t before = StatOf(target).st_ino;
  EXPECT_EQ(velk_test::AsPlainUser([&] { return Outcome(target, "new"); }), "done");
  EXPECT_EQ(ReadBytes(target), "new");
  EXPECT_EQ(StatOf(target).st_ino, before);
  // A new file there is refused as creating it would be.
  EXPECT_EQ(velk_test::AsPlainUser([&] { return Outcome(folder / "new.txt", "x"); }),
            "70 Cannot create a file in " + folder.string() + ": Permission denied");
  EXPECT_EQ(FileCount(folder), 1);
  fs::permissions(folder, fs::perms::owner_all);

  // A folder with the sticky bit lets the user create a file but not rename
  // it over another user's: that file too is written in place. Only root can
  // set that up.
  if (::geteuid() != 0) return;
  const fs::path shared = dir_ / "shared";
  fs::create_directory(shared);
  fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit);
  const fs::path others = shared / "others.txt";
  WriteBytes(others, "root's old text");
  fs::permissions(others, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read |
                              fs::perms::others_write);
  EXPECT_EQ(velk_test::AsPlainUser([&] { return Outcome(others, "by nobody"); }), "done");
  EXPECT_EQ(ReadBytes(others), "by nobody");
  EXPECT_EQ(StatOf(others).st_uid, 0u);
  EXPECT_EQ(FileCount(shared), 1);
}

}  // namespace
