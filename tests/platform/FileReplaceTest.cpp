#include "platform/FileReplace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/RuntimeError.h"
#include "tests/platform/FileTestSupport.h"

namespace fs = std::filesystem;
using velk_test::ReadBytes;
using velk_test::WriteBytes;

namespace {

// "done", or the failure's number and description, after "damaged " when
// the file was left damaged.
std::string Outcome(const fs::path& target, const std::string& text) {
  try {
    platform::ReplaceFile(target, [&](platform::TextFile& f) { f.Write(text); });
    return "done";
  } catch (const platform::FileDamaged& e) {
    return "damaged " + std::to_string(e.number()) + " " + e.description();
  } catch (const platform::RuntimeError& e) {
    return std::to_string(e.number()) + " " + e.description();
  }
}

// The disk fails `call` once with `err`: a write where it reaches byte
// `at` of the file, after the bytes before it; any other call the first
// time it comes. Every later call succeeds.
platform::DiskFault FailOnce(platform::DiskCall which, std::int64_t at, int err) {
  auto failed = std::make_shared<bool>(false);
  return [=](platform::DiskCall call, std::int64_t offset, std::size_t& length) {
    if (*failed || call != which) return 0;
    if (call == platform::DiskCall::Write && offset + static_cast<std::int64_t>(length) <= at) return 0;
    if (call == platform::DiskCall::Write && offset < at) {
      length = static_cast<std::size_t>(at - offset);
      return 0;
    }
    *failed = true;
    return err;
  };
}

// Every extended attribute of the file, by name.
std::map<std::string, std::string> Attributes(const fs::path& path) {
  std::map<std::string, std::string> all;
  char names[4096];
  const ssize_t size = ::listxattr(path.c_str(), names, sizeof names);
  for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(names + at)) + 1) {
    char value[4096];
    const ssize_t n = ::getxattr(path.c_str(), names + at, value, sizeof value);
    all[names + at] = n < 0 ? "?" : std::string(value, static_cast<std::size_t>(n));
  }
  return all;
}

// A POSIX access ACL in the kernel's form: owner rw, user `reader` r, group
// r, mask r, others nothing; the mode it gives a file is 0640.
std::string AccessAcl(uint32_t reader) {
  std::string acl;
  auto put = [&acl](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) acl.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
  };
  put(2, 4);  // version
  const uint32_t none = 0xffffffffu;
  const uint32_t entries[5][3] = {{0x01, 6, none}, {0x02, 4, reader}, {0x04, 4, none}, {0x10, 4, none}, {0x20, 0, none}};
  for (const auto& e : entries) {
    put(e[0], 2);
    put(e[1], 2);
    put(e[2], 4);
  }
  return acl;
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
    EXPECT_EQ(Outcome(target, text).substr(0, 3), "61 ") << limit;
  }
  // A file size limit is not a full disk, and says so.
  for (std::size_t limit = 0; limit < text.size(); limit += 7) {
    velk_test::FileSizeLimit small(limit);
    ASSERT_TRUE(small.on());
    EXPECT_EQ(Outcome(target, text),
              "60 Cannot write " + target.string() +
                  ": File too large (larger than the file size limit set for this program, or than the disk allows)")
        << limit;
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

namespace {

TEST_F(FileReplaceTest, AFailedWriteInPlaceGivesTheOldContentsBackWhole) {
  const std::string old = "the old contents, some forty bytes long\r\n";
  const fs::path target = PlainUsersFile("closed", old, fs::perms::owner_read | fs::perms::owner_write);
  const fs::path folder = target.parent_path();
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  const ino_t inode = StatOf(target).st_ino;
  const std::string cannot = "Cannot write " + target.string() + ": ";
  // Run by a user whom the folder binds, so that the file is written in place.
  const std::string wrong = velk_test::AsPlainUser([&] {
    std::string wrong;
    auto check = [&](const std::string& what, const std::string& text, platform::DiskFault fault,
                     const std::string& start) {
      platform::SetDiskFaultForTests(std::move(fault));
      const std::string outcome = Outcome(target, text);
      platform::SetDiskFaultForTests({});
      if (outcome.rfind(start, 0) != 0) wrong += what + ": " + outcome + "\n";
      if (ReadBytes(target) != old) wrong += what + ": the old contents are lost\n";
    };
    using platform::DiskCall;
    for (const std::string& text : {std::string("short\r\n"), std::string(100, 'n')}) {
      const std::string size = std::to_string(text.size()) + " bytes, ";
      for (std::size_t at = 0; at < text.size(); ++at)
        check(size + "write fails at " + std::to_string(at), text, FailOnce(DiskCall::Write, at, EIO),
              "57 " + cannot + "Input/output error");
      check(size + "disk full half way", text, FailOnce(DiskCall::Write, 3, ENOSPC),
            "61 " + cannot + "No space left on device");
      if (text.size() < old.size())
        check(size + "cutting it short fails", text, FailOnce(DiskCall::Resize, 0, EIO), "57 " + cannot);
      check(size + "flush fails", text, FailOnce(DiskCall::Flush, 0, EIO), "57 " + cannot + "Input/output error");
      check(size + "no room", text, FailOnce(DiskCall::Reserve, 0, ENOSPC), "61 ");
      // A size the process may not write fails before the file is touched.
      for (std::size_t limit = 0; limit < std::max(old.size(), text.size()); limit += 5) {
        velk_test::FileSizeLimit small(limit);
        if (!small.on()) return std::string("no file size limit");
        check(size + "limit " + std::to_string(limit), text, {}, "60 " + cannot + "File too large");
      }
      if (Outcome(target, text) != "done" || ReadBytes(target) != text) wrong += size + "not written\n";
      if (Outcome(target, old) != "done") wrong += size + "not written back\n";
    }
    return wrong;
  });
  EXPECT_EQ(wrong, "");
  EXPECT_EQ(ReadBytes(target), old);
  EXPECT_EQ(StatOf(target).st_ino, inode) << "written in place";
  EXPECT_EQ(FileCount(folder), 1) << "no temporary file is left";
}

TEST_F(FileReplaceTest, WhatCouldNotBePutBackIsRefusedOrNamedAsDamaged) {
  const fs::path target = PlainUsersFile("closed", "0123456789\r\n", fs::perms::owner_read | fs::perms::owner_write);
  const fs::path folder = target.parent_path();
  const fs::path writeOnly = folder / "write-only.txt";
  WriteBytes(writeOnly, "unread");
  ASSERT_EQ(::chown(writeOnly.c_str(), velk_test::PlainUid(), velk_test::PlainGid()), 0);
  fs::permissions(writeOnly, fs::perms::owner_write);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);

  // The write fails half way and every write after it: the file is damaged,
  // and the failure says so and names it.
  const std::string said = velk_test::AsPlainUser([&] {
    auto failed = std::make_shared<bool>(false);
    platform::SetDiskFaultForTests([failed](platform::DiskCall call, std::int64_t offset, std::size_t& length) {
      if (call != platform::DiskCall::Write) return 0;
      if (*failed) return ENOSPC;
      if (offset + static_cast<std::int64_t>(length) > 5) length = static_cast<std::size_t>(5 - offset);
      *failed = offset >= 5;
      return *failed ? EIO : 0;
    });
    return Outcome(target, "new contents, longer than the old\r\n") + "\n" + Outcome(writeOnly, "new");
  });
  EXPECT_EQ(said, "damaged 57 The file " + target.string() +
                      " on disk is damaged: writing it failed (Input/output error), and so did putting its old "
                      "contents back (No space left on device). Save it again, or under another name.\n"
                      "70 Cannot write " + writeOnly.string() +
                      " safely: it has to be written over in place, since the folder allows no new file beside "
                      "it, and you may not read it, so its old contents could not be put back if the write failed");
  EXPECT_EQ(ReadBytes(target), "new c56789\r\n");
  EXPECT_EQ(ReadBytes(writeOnly), "unread");
}

// Hard links, an owner or group the user cannot give a new file, extended
// attributes and links that point nowhere: the save keeps them all, as a
// plain write would.
TEST_F(FileReplaceTest, ASaveKeepsWhatAPlainWriteKeeps) {
  // A second name sees the new contents.
  const fs::path first = dir_ / "first.txt", second = dir_ / "second.txt";
  WriteBytes(first, "old");
  fs::create_hard_link(first, second);
  EXPECT_EQ(Outcome(second, "new"), "done");
  EXPECT_EQ(ReadBytes(first), "new");
  EXPECT_EQ(StatOf(first).st_nlink, 2u);

  // A link that points at nothing: the file it names is made, the link stays.
  fs::create_symlink("made.txt", dir_ / "link.txt");
  fs::create_symlink("link.txt", dir_ / "link-to-link.txt");
  EXPECT_EQ(Outcome(dir_ / "link-to-link.txt", "via links"), "done");
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.txt"));
  EXPECT_EQ(fs::read_symlink(dir_ / "link.txt"), "made.txt");
  EXPECT_EQ(ReadBytes(dir_ / "made.txt"), "via links");
  fs::create_symlink(dir_ / "gone" / "x.txt", dir_ / "to-gone.txt");
  EXPECT_EQ(Outcome(dir_ / "to-gone.txt", "x").substr(0, 3), "76 ");
  fs::create_symlink("loop-b", dir_ / "loop-a");
  fs::create_symlink("loop-a", dir_ / "loop-b");
  EXPECT_EQ(Outcome(dir_ / "loop-a", "x"),
            "75 Cannot write " + (dir_ / "loop-a").string() + ": Too many levels of symbolic links");
  EXPECT_TRUE(fs::is_symlink(dir_ / "loop-a"));

  // Extended attributes and an ACL go with a new file, and a folder's default
  // ACL adds none; the user's own file, saved by that user.
  const fs::path folder = PlainUsersFile("own", "old", fs::perms::owner_read | fs::perms::owner_write).parent_path();
  const fs::path withAcl = folder / "acl.txt", plain = folder / "plain.txt";
  for (const fs::path& f : {withAcl, plain}) {
    WriteBytes(f, "old");
    ASSERT_EQ(::chown(f.c_str(), velk_test::PlainUid(), velk_test::PlainGid()), 0);
  }
  const std::string acl = AccessAcl(0);
  if (::setxattr(withAcl.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0 ||
      ::setxattr(withAcl.c_str(), "user.velk", "kept", 4, 0) != 0 ||
      ::setxattr(folder.c_str(), "system.posix_acl_default", acl.data(), acl.size(), 0) != 0)
    GTEST_SKIP() << "the scratch folder's file system holds no ACLs or user attributes: " << std::strerror(errno);
  ::chmod(plain.c_str(), 0604);
  const auto attributes = Attributes(withAcl);
  ASSERT_EQ(attributes.size(), 2u);
  EXPECT_EQ(StatOf(withAcl).st_mode & 07777, 0640u);
  const ino_t before = StatOf(withAcl).st_ino;
  EXPECT_EQ(velk_test::AsPlainUser([&] { return Outcome(withAcl, "new") + " " + Outcome(plain, "new"); }),
            "done done");
  EXPECT_NE(StatOf(withAcl).st_ino, before) << "nothing is lost, so the new file takes the old one's place";
  EXPECT_EQ(Attributes(withAcl), attributes);
  EXPECT_EQ(StatOf(withAcl).st_mode & 07777, 0640u);
  EXPECT_TRUE(Attributes(plain).empty());
  EXPECT_EQ(StatOf(plain).st_mode & 07777, 0604u);
  EXPECT_EQ(ReadBytes(plain), "new");

  // Another owner, or a group that is not the user's, would be lost to a new
  // file: such a file is written in place. Only root can set that up.
  if (::geteuid() != 0) return;
  const fs::path shared = PlainUsersFile("shared", "", fs::perms::owner_read).parent_path();
  const fs::path others = shared / "others.txt", foreignGroup = shared / "foreign-group.txt";
  for (const fs::path& f : {others, foreignGroup}) WriteBytes(f, "old text");
  ASSERT_EQ(::chown(others.c_str(), 0, velk_test::PlainGid()), 0);
  ASSERT_EQ(::chown(foreignGroup.c_str(), velk_test::PlainUid(), 0), 0);
  ::chmod(others.c_str(), 0664);
  ::chmod(foreignGroup.c_str(), 0664);
  const ino_t othersInode = StatOf(others).st_ino, foreignInode = StatOf(foreignGroup).st_ino;
  EXPECT_EQ(velk_test::AsPlainUser([&] { return Outcome(others, "new") + " " + Outcome(foreignGroup, "new"); }),
            "done done");
  for (const fs::path& f : {others, foreignGroup}) EXPECT_EQ(ReadBytes(f), "new") << f;
  EXPECT_EQ(StatOf(others).st_uid, 0u);
  EXPECT_EQ(StatOf(others).st_ino, othersInode);
  EXPECT_EQ(StatOf(foreignGroup).st_gid, 0u);
  EXPECT_EQ(StatOf(foreignGroup).st_ino, foreignInode);
  EXPECT_EQ(StatOf(others).st_mode & 07777, 0664u);
}

}  // namespace
