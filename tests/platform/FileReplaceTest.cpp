#include "platform/FileReplace.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/ptrace.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/RuntimeError.h"
#include "platform/TextFile.h"
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

// The disk fails `which` with `err` as FailOnce does, and from then on fails
// every write, size change and flush with it, as a disk that stays full;
// `afterwards`, if given, counts those later calls.
platform::DiskFault FailFrom(platform::DiskCall which, std::int64_t at, int err, std::shared_ptr<int> afterwards = {}) {
  auto first = FailOnce(which, at, err);
  auto failed = std::make_shared<bool>(false);
  return [=](platform::DiskCall call, std::int64_t offset, std::size_t& length) {
    using platform::DiskCall;
    const bool changes = call == DiskCall::Write || call == DiskCall::Resize || call == DiskCall::Flush;
    if (*failed && changes) {
      if (afterwards) ++*afterwards;
      return err;
    }
    const int got = first(call, offset, length);
    *failed = got != 0;
    return got;
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

// A POSIX access ACL: owner rw, user `reader` r, group r, mask r, others
// nothing; the mode it gives a file is 0640.
std::string AccessAcl(uint32_t reader) {
  return velk_test::PosixAcl({{1, 6}, {2, 4, reader}, {4, 4}, {16, 4}, {32, 0}});
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
    // The disk stays full from byte `at` on, or the flush keeps failing, so
    // that nothing could be put back: only where the file no longer holds its
    // old contents (a byte written that differs, or its size) is it called
    // damaged; otherwise the failure is the disk's, nothing is written back
    // and the file stays as it was.
    auto checkStuck = [&](const std::string& what, const std::string& text, platform::DiskCall call, std::size_t at,
                          int err, bool differs) {
      auto afterwards = std::make_shared<int>(0);
      platform::SetDiskFaultForTests(FailFrom(call, static_cast<std::int64_t>(at), err, afterwards));
      const std::string outcome = Outcome(target, text);
      platform::SetDiskFaultForTests({});
      const std::string reason = std::generic_category().message(err);
      const std::string want = differs ? "damaged " + std::to_string(platform::FileErrorNumber(err)) + " The file " +
                                             target.string() + " on disk is damaged: writing it failed (" + reason +
                                             "), and so did putting its old contents back (" + reason +
                                             "). Save it again, or under another name."
                                       : std::to_string(platform::FileErrorNumber(err)) + " " + cannot + reason;
      if (outcome != want) wrong += what + ": " + outcome + "\n";
      if (!differs && ReadBytes(target) != old) wrong += what + ": the old contents are lost\n";
      if (!differs && *afterwards != 0) wrong += what + ": the unchanged file was written back\n";
      WriteBytes(target, old);
    };
    using platform::DiskCall;
    // Shorter and longer than the old contents, the same, one that begins as
    // they do, one that only cuts them short and one that adds to them.
    for (const std::string& text : {std::string("short\r\n"), std::string(100, 'n'), old,
                                    std::string("the old contents, but new ones\r\n"), old.substr(0, 17),
                                    old + "and more\r\n"}) {
      const std::string size = std::to_string(text.size()) + " bytes, ";
      for (std::size_t at = 0; at < text.size(); ++at) {
        check(size + "write fails at " + std::to_string(at), text, FailOnce(DiskCall::Write, at, EIO),
              "57 " + cannot + "Input/output error");
        const bool differs = at > old.size() || text.compare(0, at, old, 0, at) != 0;
        checkStuck(size + "disk full from " + std::to_string(at), text, DiskCall::Write, at, ENOSPC, differs);
      }
      checkStuck(size + "every flush fails", text, DiskCall::Flush, 0, EIO, text != old);
      if (text.size() < old.size())
        checkStuck(size + "cutting it short keeps failing", text, DiskCall::Resize, 0, EIO,
                   old.compare(0, text.size(), text) != 0);
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

namespace {

using platform::DiskCall;
using platform::DiskFiles;

// The two ways a new file comes to stand beside the target: unnamed, where
// the file system offers such files, or named, as where it does not.
enum class Beside { Unnamed, Named };
const char* NameOf(Beside way) { return way == Beside::Unnamed ? "unnamed" : "named"; }

// `fault` on the new file beside the target, with unnamed files refused as
// a file system without them refuses them when `way` is Named.
void FaultOnNewFile(Beside way, platform::DiskFault fault = {}) {
  platform::SetDiskFaultForTests(
      [way, fault](DiskCall call, std::int64_t offset, std::size_t& length) {
        if (way == Beside::Named && call == DiskCall::CreateUnnamed) return EOPNOTSUPP;
        return fault ? fault(call, offset, length) : 0;
      },
      DiskFiles::New);
}

// The names in `folder` but `except`, in order, each followed by a blank.
std::string OthersIn(const fs::path& folder, const fs::path& except) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path() != except) names.insert(e.path().filename().string());
  std::string others;
  for (const std::string& name : names) others += name + " ";
  return others;
}

// The inode flags of the file, or nothing where its file system has none.
std::optional<int> FlagsOf(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  int flags = 0;
  const bool got = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (fd >= 0) ::close(fd);
  return got ? std::optional<int>(flags) : std::nullopt;
}

bool SetFlags(const fs::path& path, int flags) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  const bool set = fd >= 0 && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  if (fd >= 0) ::close(fd);
  return set;
}

// A second user who, each time the save stops, opens for reading and for
// writing every file in the folder and every descriptor of the saver it can
// reach, keeping what it got; once the save is over it reads through each
// and writes "spy" through each, and says what it managed. It runs in a
// child process of its own; Stop() ends its watch and returns its report.
class Spy {
 public:
  Spy(const fs::path& folder, const std::string& saved, const velk_test::User& user) {
    previousAction_ = ::signal(SIGPIPE, SIG_IGN);  // a spy that ended early
    if (::pipe(requests_) != 0 || ::pipe(answers_) != 0) throw std::runtime_error("no pipes for the spy");
    child_ = std::make_unique<velk_test::Child>(
        [=, this] {
          ::close(requests_[1]);
          ::close(answers_[0]);
          return Watch(folder, saved);
        },
        user);
    ::close(requests_[0]);
    ::close(answers_[1]);
  }
  ~Spy() {
    Stop();
    ::signal(SIGPIPE, previousAction_);
  }
  Spy(const Spy&) = delete;
  Spy& operator=(const Spy&) = delete;

  // Lets the spy try everything once, while the saver `saver` stands still.
  void Look(pid_t saver) {
    if (::write(requests_[1], &saver, sizeof saver) == sizeof saver) {
      char done;
      [[maybe_unused]] const ssize_t n = ::read(answers_[0], &done, 1);
    }
  }
  std::string Stop() {
    if (requests_[1] >= 0) {
      ::close(requests_[1]);
      ::close(answers_[0]);
      requests_[1] = -1;
      report_ = child_->Result();
    }
    return report_;
  }

 private:
  struct Held {
    std::string name;
    int fd;
    bool writes;
  };

  std::string Watch(const fs::path& folder, const std::string& saved) {
    std::vector<Held> held;
    std::set<std::tuple<dev_t, ino_t, bool>> seen;
    auto tryOpen = [&](const std::string& path) {
      for (bool writes : {false, true}) {
        const int fd = ::open(path.c_str(), (writes ? O_WRONLY : O_RDONLY) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        struct stat st {};
        if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            seen.emplace(st.st_dev, st.st_ino, writes).second)
          held.push_back({path, fd, writes});
        else if (fd >= 0)
          ::close(fd);
      }
    };
    auto tryAll = [&](const std::string& where) {
      if (DIR* d = ::opendir(where.c_str())) {
        while (const dirent* e = ::readdir(d))
          if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) tryOpen(where + "/" + e->d_name);
        ::closedir(d);
      }
    };
    for (pid_t saver; ::read(requests_[0], &saver, sizeof saver) == sizeof saver;) {
      tryAll(folder.string());
      tryAll("/proc/" + std::to_string(saver) + "/fd");
      [[maybe_unused]] const ssize_t n = ::write(answers_[1], "d", 1);
    }
    std::string report;
    for (const Held& h : held) {
      if (h.writes && ::pwrite(h.fd, "spy", 3, 0) == 3) report += "wrote through " + h.name + "\n";
      std::string bytes(saved.size() + 64, '\0');
      const ssize_t n = h.writes ? -1 : ::pread(h.fd, bytes.data(), bytes.size(), 0);
      if (n > 0 && std::string(bytes.data(), static_cast<std::size_t>(n)).find(saved) != std::string::npos)
        report += "read the saved bytes through " + h.name + "\n";
      ::close(h.fd);
    }
    return report;
  }

  int requests_[2] = {-1, -1};
  int answers_[2] = {-1, -1};
  std::unique_ptr<velk_test::Child> child_;
  std::string report_;
  void (*previousAction_)(int) = SIG_DFL;
};

// Runs `save` in a child process as `user`, stopped before and after each of
// its system calls while `atEachStop` runs; returns what `save` returned, a
// text starting "child:" when it could not run or ended abnormally, or one
// starting "skip:" where the system lets no process be traced.
std::string Stepped(const velk_test::User& user, const std::function<std::string()>& save,
                    const std::function<void(pid_t)>& atEachStop) {
  int out[2];
  if (::pipe(out) != 0) return "child: no pipe";
  const pid_t pid = ::fork();
  if (pid < 0) return "child: no fork";
  if (pid == 0) {
    ::close(out[0]);
    std::string result;
    if (!velk_test::BecomeUser(user)) {
      result = "child: cannot become user " + std::to_string(user.uid);
    } else if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) {
      result = "skip: no process may be traced here: " + std::string(std::strerror(errno));
    } else {
      ::raise(SIGSTOP);  // until the tracer is ready
      result = save();
    }
    for (std::size_t done = 0; done < result.size();) {
      const ssize_t n = ::write(out[1], result.data() + done, result.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::_exit(0);
  }
  ::close(out[1]);
  int status = 0;
  for (bool started = false; ::waitpid(pid, &status, 0) == pid && WIFSTOPPED(status);) {
    int signal = 0;
    if (!started && WSTOPSIG(status) == SIGSTOP) {
      started = true;
      ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    } else if (WSTOPSIG(status) == (SIGTRAP | 0x80)) {
      atEachStop(pid);
    } else {
      signal = WSTOPSIG(status);
    }
    ::ptrace(PTRACE_SYSCALL, pid, nullptr, signal);
  }
  std::string result;
  char buffer[512];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) result.append(buffer, static_cast<std::size_t>(n));
  ::close(out[0]);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child: ended abnormally " + result;
  return result;
}

class FileReplaceSafetyTest : public FileReplaceTest {
 protected:
  static constexpr gid_t kTeam = 65530;
  static constexpr uid_t kOther = 65533;

  // The save of `text` to `target` by `saver` with `mask` as umask, stepped
  // system call by system call with a second user looking at each step
  // (Spy); "done" and the spy's report, or why it could not run.
  std::string SpiedSave(const fs::path& target, const std::string& text, const velk_test::User& saver,
                        const velk_test::User& spy, mode_t mask, Beside way) {
    Spy watcher(target.parent_path(), text, spy);
    const std::string outcome = Stepped(
        saver,
        [&] {
          ::umask(mask);
          FaultOnNewFile(way);
          return Outcome(target, text);
        },
        [&](pid_t saverPid) { watcher.Look(saverPid); });
    return outcome + "\n" + watcher.Stop();
  }

  // A file of the saver's with `bytes` that nobody else may read, in the
  // saver's private folder "own", which another user may reach only
  // through a link.
  fs::path SaversSecret(const std::string& bytes) {
    const fs::path secret = PlainUsersFile("own", bytes, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(::chmod(secret.parent_path().c_str(), 0700), 0);
    return secret;
  }

  // Root's folders in the test's folder that others may write in: "sticky"
  // (1777, as /tmp), "team" (1775, the team's group) and "open" (0777,
  // without the sticky bit).
  struct Shared {
    fs::path sticky, team, open;
  };
  Shared SharedFolders() {
    auto folder = [this](const char* name, gid_t group, mode_t mode) {
      const fs::path f = dir_ / name;
      fs::create_directory(f);
      EXPECT_EQ(::chown(f.c_str(), 0, group), 0);
      EXPECT_EQ(::chmod(f.c_str(), mode), 0);
      return f;
    };
    return {folder("sticky", 0, 01777), folder("team", kTeam, 01775), folder("open", 0, 0777)};
  }

  // Stops the test where only root can set it up, or where the system offers no way.
  static bool Unavailable(const std::string& result) { return result.rfind("skip:", 0) == 0; }
};

// Another user who opens every file in the folder at every step of the save
// never holds a file that comes to hold the saved bytes, unless the saved
// file itself is open to that user, and never writes into a file the user
// may not write: neither in a folder of the saver's own (a file only the
// saver may read, a new file that the umask makes so) nor in a set-group-ID
// folder the team may write in, where the file is the team's to read only.
TEST_F(FileReplaceSafetyTest, NoOtherUserCanOpenTheNewFileBeforeItIsTheTarget) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can run a second user; see the companion test below";
  const fs::path secret = PlainUsersFile("own", "old secret\r\n", fs::perms::owner_read | fs::perms::owner_write);
  const fs::path own = secret.parent_path();
  fs::permissions(own, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                           fs::perms::others_exec);
  fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  const fs::path team = dir_ / "team", shared = team / "team.inp";
  fs::create_directory(team);
  ASSERT_EQ(::chown(team.c_str(), 0, kTeam), 0);
  ASSERT_EQ(::chmod(team.c_str(), 02775), 0);
  const velk_test::User saver{velk_test::PlainUid(), velk_test::PlainGid(), {kTeam}};
  const velk_test::User stranger{kOther, kOther, {}}, teamMate{kOther, kOther, {kTeam}};

  for (Beside way : {Beside::Unnamed, Beside::Named}) {
    const std::string text = std::string("the saved secret, ") + NameOf(way) + "\r\n";
    std::string said = SpiedSave(secret, text, saver, stranger, 022, way);
    if (Unavailable(said)) GTEST_SKIP() << said;
    EXPECT_EQ(said, "done\n") << NameOf(way);
    EXPECT_EQ(ReadBytes(secret), text);
    EXPECT_EQ(StatOf(secret).st_mode & 07777, 0600u);

    const fs::path fresh = own / (std::string("new-") + NameOf(way) + ".txt");
    EXPECT_EQ(SpiedSave(fresh, text, saver, stranger, 077, way), "done\n") << NameOf(way);
    EXPECT_EQ(StatOf(fresh).st_mode & 07777, 0600u) << "as a plain create with umask 077 makes it";

    WriteBytes(shared, "the team's old text\r\n");
    ASSERT_EQ(::chown(shared.c_str(), velk_test::PlainUid(), kTeam), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 0644), 0);
    said = SpiedSave(shared, text, saver, teamMate, 002, way);
    EXPECT_EQ(said.substr(0, 5), "done\n") << said;
    EXPECT_EQ(said.find("wrote"), std::string::npos) << said;
    EXPECT_EQ(ReadBytes(shared), text) << NameOf(way);
    EXPECT_EQ(StatOf(shared).st_mode & 07777, 0644u);
    EXPECT_EQ(StatOf(shared).st_gid, kTeam);
    EXPECT_EQ(OthersIn(team, shared), "");
  }
  EXPECT_EQ(OthersIn(own, secret), "new-named.txt new-unnamed.txt ");
}

// The same without a second user: at every step of the save the disk is
// asked about, no file in the folder but the target is open to anyone but
// its writer, until the complete file is about to take the target's name.
TEST_F(FileReplaceSafetyTest, TheNewFileIsOnlyItsWritersUntilComplete) {
  const fs::path secret = PlainUsersFile("own", "old secret\r\n", fs::perms::owner_read | fs::perms::owner_write);
  const fs::path folder = secret.parent_path(), fresh = folder / "new.txt";
  const std::string wrong = velk_test::AsPlainUser([&] {
    ::umask(022);
    std::string wrong;
    for (Beside way : {Beside::Unnamed, Beside::Named}) {
      for (const fs::path& target : {secret, fresh}) {
        const std::string text = "saved " + target.filename().string() + " " + NameOf(way) + "\r\n";
        FaultOnNewFile(way, [&](DiskCall call, std::int64_t, std::size_t&) {
          for (const auto& e : fs::directory_iterator(folder)) {
            const struct stat st = StatOf(e.path());
            const bool complete = call == DiskCall::Rename && ReadBytes(e.path()) == text;
            if (e.path() != target && e.path() != secret && (st.st_mode & 077) != 0 && !complete)
              wrong += NameOf(way) + std::string(": ") + e.path().filename().string() + " is open to others\n";
          }
          return 0;
        });
        if (Outcome(target, text) != "done" || ReadBytes(target) != text) wrong += "not saved\n";
        platform::SetDiskFaultForTests({});
      }
      ::unlink(fresh.c_str());
    }
    return wrong;
  });
  EXPECT_EQ(wrong, "");
  EXPECT_EQ(StatOf(secret).st_mode & 07777, 0600u);
  EXPECT_EQ(FileCount(folder), 1);
}

// A new file ends as a plain create leaves it: the mode the umask leaves,
// or the folder's default ACL gives, and in a set-group-ID folder its group.
TEST_F(FileReplaceSafetyTest, ANewFileGetsWhatAPlainCreateGives) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give the user a group of the folder's";
  fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  const fs::path plain = dir_ / "plain", team = dir_ / "team";
  for (const fs::path& f : {plain, team}) {
    fs::create_directory(f);
    ASSERT_EQ(::chown(f.c_str(), velk_test::PlainUid(), kTeam), 0);
  }
  ASSERT_EQ(::chmod(plain.c_str(), 0755), 0);
  ASSERT_EQ(::chmod(team.c_str(), 02775), 0);
  const std::string acl = AccessAcl(kOther);
  const bool acls = ::setxattr(team.c_str(), "system.posix_acl_default", acl.data(), acl.size(), 0) == 0;
  const std::string wrong =
      velk_test::Child(
          [&] {
            ::umask(027);
            std::string wrong;
            for (Beside way : {Beside::Unnamed, Beside::Named})
              for (const fs::path& folder : {plain, team}) {
                const fs::path made = folder / (std::string(NameOf(way)) + ".txt");
                const fs::path created = folder / (std::string(NameOf(way)) + "-plain.txt");
                FaultOnNewFile(way);
                if (Outcome(made, "new") != "done") wrong += made.string() + " not saved\n";
                const int fd = ::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
                if (fd < 0 || ::close(fd) != 0) wrong += "no plain create\n";
                const struct stat a = StatOf(made), b = StatOf(created);
                if (a.st_mode != b.st_mode || a.st_gid != b.st_gid || Attributes(made) != Attributes(created))
                  wrong += made.string() + " differs from a plain create\n";
              }
            platform::SetDiskFaultForTests({});
            return wrong;
          },
          velk_test::User{velk_test::PlainUid(), velk_test::PlainGid(), {kTeam}})
          .Result();
  EXPECT_EQ(wrong, "");
  EXPECT_EQ(StatOf(plain / "unnamed.txt").st_mode & 07777, 0640u);
  EXPECT_EQ(StatOf(plain / "named.txt").st_gid, velk_test::PlainGid());
  EXPECT_EQ(StatOf(team / "named.txt").st_gid, kTeam);
  if (acls) {
    EXPECT_EQ(StatOf(team / "named.txt").st_mode & 07777, 0640u) << "from the default ACL, not the umask";
  }
  EXPECT_EQ(FileCount(plain), 4);
  EXPECT_EQ(FileCount(team), 4);
}

// Past the file size limit a save fails with 60 before any new file exists,
// on every path, also where the limit's signal would end the program; once
// the program ignores that signal, any write past the limit fails as
// "File too large" instead of ending it.
TEST_F(FileReplaceSafetyTest, ASizeLimitFailsBeforeAnythingIsWrittenAndEndsNoProgram) {
  const fs::path target = PlainUsersFile("limited", "old contents\r\n", fs::perms::owner_read | fs::perms::owner_write);
  const fs::path folder = target.parent_path(), fresh = folder / "new.txt";
  const std::string text(200, 'n');
  const auto tooLarge = [](const fs::path& file) {
    return "60 Cannot write " + file.string() +
           ": File too large (larger than the file size limit set for this program, or than the disk allows)";
  };
  const std::string said = velk_test::AsPlainUser([&] {
    if (!velk_test::LimitFileSizeAsAtStart(100)) return std::string("no size limit");
    std::string said;
    for (Beside way : {Beside::Unnamed, Beside::Named}) {
      FaultOnNewFile(way);
      said += Outcome(target, text) + "\n" + Outcome(fresh, text) + "\n";
    }
    platform::SetDiskFaultForTests({});
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);  // written in place
    said += Outcome(target, text) + "\n";
    fs::permissions(folder, fs::perms::owner_all);
    said += OthersIn(folder, target) + "|\n";

    platform::IgnoreFileSizeSignal();
    try {
      platform::TextFile out(fresh, platform::FileMode::Output);
      out.Write(text);
      out.Close();
      said += "written past the limit";
    } catch (const platform::RuntimeError& e) {
      said += std::to_string(e.number());
    }
    return said;
  });
  const std::string refused = tooLarge(target) + "\n" + tooLarge(fresh) + "\n";
  EXPECT_EQ(said, refused + refused + tooLarge(target) + "\n|\n60");
  EXPECT_EQ(ReadBytes(target), "old contents\r\n");
}

// A rename the system refuses since the target is mounted on its own (a
// bind mount) leaves writing it in place, as a plain write would.
TEST_F(FileReplaceSafetyTest, AFileMountedOnItsOwnIsWrittenInPlace) {
  const fs::path target = PlainUsersFile("mounted", "old contents\r\n", fs::perms::owner_read | fs::perms::owner_write);
  const ino_t inode = StatOf(target).st_ino;
  const std::string said = velk_test::InPrivateMounts([&] {
    if (::mount(target.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) != 0)
      return "skip: no bind mount: " + std::string(std::strerror(errno));
    return velk_test::AsPlainUser([&] {
      std::string said;
      for (Beside way : {Beside::Unnamed, Beside::Named}) {
        FaultOnNewFile(way);
        said += Outcome(target, std::string("saved ") + NameOf(way)) + " ";
        said += ReadBytes(target) + " " + std::to_string(StatOf(target).st_ino == inode) + " " +
                OthersIn(target.parent_path(), target) + "|";
      }
      platform::SetDiskFaultForTests({});
      return said;
    });
  });
  if (Unavailable(said)) GTEST_SKIP() << said;
  EXPECT_EQ(said, "done saved unnamed 1 |done saved named 1 |");
  EXPECT_EQ(ReadBytes(target), "saved named");
  EXPECT_EQ(StatOf(target).st_ino, inode);
}

// A disk without a free inode, or with room for what the file grows by but
// not for a second copy, has the file written in place; a new file there,
// and a file that does not fit even so, fail with 61, and the target stays
// as it was.
TEST_F(FileReplaceSafetyTest, ADiskWithoutRoomForASecondFileHasTheTargetWrittenInPlace) {
  const fs::path roomy = PlainUsersFile("roomy", "", fs::perms::owner_read).parent_path();
  const fs::path crowded = dir_ / "crowded";
  fs::create_directory(crowded);
  const std::string said = velk_test::InPrivateMounts([&] {
    const std::string owner =
        ",uid=" + std::to_string(velk_test::PlainUid()) + ",gid=" + std::to_string(velk_test::PlainGid());
    if (::mount("velk", roomy.c_str(), "tmpfs", 0, ("size=64k,mode=0755" + owner).c_str()) != 0 ||
        ::mount("velk", crowded.c_str(), "tmpfs", 0, ("nr_inodes=4,mode=0755" + owner).c_str()) != 0)
      return "skip: no small tmpfs: " + std::string(std::strerror(errno));
    return velk_test::AsPlainUser([&] {
      std::string said;
      for (Beside way : {Beside::Unnamed, Beside::Named}) {
        // 40000 bytes of 65536, growing to 44000.
        const fs::path big = roomy / "big.bin";
        WriteBytes(big, std::string(40000, 'o'));
        const ino_t inode = StatOf(big).st_ino;
        FaultOnNewFile(way);
        said += Outcome(big, std::string(44000, 'n')) + " ";
        said += std::to_string(ReadBytes(big) == std::string(44000, 'n')) + std::to_string(StatOf(big).st_ino == inode);
        said += " " + Outcome(big, std::string(70000, 'x')).substr(0, 3);
        said += std::to_string(ReadBytes(big) == std::string(44000, 'n')) + " " + OthersIn(roomy, big) + "|";
        // The folder and three files take all four inodes.
        const fs::path small = crowded / "small.txt";
        for (const char* name : {"small.txt", "a", "b"}) WriteBytes(crowded / name, "old");
        said += Outcome(small, "new") + " ";
        said += ReadBytes(small) + " ";
        said += Outcome(crowded / "c", "x") + "|";
        for (const char* name : {"small.txt", "a", "b"}) ::unlink((crowded / name).c_str());
      }
      platform::SetDiskFaultForTests({});
      return said;
    });
  });
  if (Unavailable(said)) GTEST_SKIP() << said;
  const std::string noInode = "done new 61 Cannot create a file in " + crowded.string() + ": No space left on device|";
  EXPECT_EQ(said, "done 11 61 1 |" + noInode + "done 11 61 1 |" + noInode);
}

// The inode flags a plain write keeps (chattr +A +d here) go with the new
// file; a new file that cannot take them has the target written in place,
// which keeps them.
TEST_F(FileReplaceSafetyTest, ASaveKeepsTheInodeFlags) {
  const fs::path target = PlainUsersFile("flagged", "old", fs::perms::owner_read | fs::perms::owner_write);
  const std::string said = velk_test::AsPlainUser([&] {
    const std::optional<int> before = FlagsOf(target);
    if (!before) return std::string("skip: the scratch folder's file system keeps no inode flags");
    const int kept = *before | FS_NOATIME_FL | FS_NODUMP_FL;
    if (!SetFlags(target, kept)) return "skip: no chattr +A +d here: " + std::string(std::strerror(errno));
    std::string said;
    for (Beside way : {Beside::Unnamed, Beside::Named}) {
      const ino_t inode = StatOf(target).st_ino;
      FaultOnNewFile(way);
      said += Outcome(target, "renamed");
      said += std::to_string(FlagsOf(target) == kept) + std::to_string(StatOf(target).st_ino != inode) + " ";
      const ino_t renamed = StatOf(target).st_ino;
      FaultOnNewFile(way,
                     [](DiskCall call, std::int64_t, std::size_t&) { return call == DiskCall::Flags ? EPERM : 0; });
      said += Outcome(target, "in place");
      said += std::to_string(FlagsOf(target) == kept) + std::to_string(StatOf(target).st_ino == renamed) +
              ReadBytes(target) + " ";
    }
    platform::SetDiskFaultForTests({});
    return said + OthersIn(target.parent_path(), target);
  });
  if (Unavailable(said)) GTEST_SKIP() << said;
  EXPECT_EQ(said, "done11 done11in place done11 done11in place ");
}

// A failure at any step of the new file (at any byte of its write, at its
// flush, its reservation, its name or its rename) leaves the target as it
// was or, where the step failed for want of room or of a rename, writes it
// in place; a new target is then not made. No new file or name is left.
TEST_F(FileReplaceSafetyTest, AFailureAtAnyStepOfTheNewFileLeavesNoNewName) {
  const std::string old = "the old contents\r\n";
  const fs::path target = PlainUsersFile("steps", old, fs::perms::owner_read | fs::perms::owner_write);
  const fs::path folder = target.parent_path(), fresh = folder / "new.txt";
  const std::string text = "a line of text\r\nand another\r\n";
  const std::string wrong = velk_test::AsPlainUser([&] {
    std::string wrong;
    // What a save did under `fault` on the new file: "renamed", "in place",
    // "not made" or the failure; wrong when anything is left beside the target.
    auto run = [&](Beside way, const fs::path& file, const platform::DiskFault& fault, platform::DiskFault onTarget) {
      const bool existed = fs::exists(file);
      const ino_t inode = existed ? StatOf(file).st_ino : 0;
      FaultOnNewFile(way, fault);
      platform::SetDiskFaultForTests(std::move(onTarget), DiskFiles::Target);
      std::string outcome = Outcome(file, text);
      platform::SetDiskFaultForTests({});
      const bool saved = outcome == "done";
      if (saved) outcome = !existed ? "made" : StatOf(file).st_ino == inode ? "in place" : "renamed";
      const std::string left = OthersIn(folder, target);
      if (left != (file == fresh && saved ? "new.txt " : "")) wrong += outcome + ": left " + left + "\n";
      if (saved && ReadBytes(file) != text) wrong += outcome + ": not written\n";
      if (!saved && existed && ReadBytes(file) != old) wrong += outcome + ": the old contents are lost\n";
      if (!saved && !existed && fs::exists(file)) wrong += outcome + ": made\n";
      WriteBytes(target, old);
      ::unlink(fresh.c_str());
      return outcome;
    };
    auto expect = [&](const std::string& what, const std::string& got, const std::string& want) {
      if (got.rfind(want, 0) != 0) wrong += what + ": " + got + ", not " + want + "\n";
    };
    const std::string writeTarget = "Cannot write " + target.string() + ": ",
                      writeFresh = "Cannot write " + fresh.string() + ": ";
    for (Beside way : {Beside::Unnamed, Beside::Named}) {
      const std::string on = std::string(NameOf(way)) + ", ";
      for (std::size_t at = 0; at < text.size(); ++at) {
        const std::string where = on + "byte " + std::to_string(at);
        expect(where, run(way, target, FailOnce(DiskCall::Write, at, EIO), {}),
               "57 " + writeTarget + "Input/output error");
        expect(where, run(way, fresh, FailOnce(DiskCall::Write, at, EIO), {}),
               "57 " + writeFresh + "Input/output error");
        expect(where + " full", run(way, target, FailOnce(DiskCall::Write, at, ENOSPC), {}), "in place");
        expect(where + " full", run(way, fresh, FailOnce(DiskCall::Write, at, EDQUOT), {}), "61 " + writeFresh);
        // No room for the copy, and the write in place fails there too: the old contents come back.
        expect(where + " full, then in place",
               run(way, target, FailOnce(DiskCall::Write, 0, ENOSPC), FailOnce(DiskCall::Write, at, EIO)),
               "57 " + writeTarget + "Input/output error");
      }
      // Full from the first byte, for the new file and in place alike: the
      // target is as it was, and the failure says no more than that.
      expect(on + "full everywhere",
             run(way, target, FailFrom(DiskCall::Write, 0, ENOSPC), FailFrom(DiskCall::Write, 0, ENOSPC)),
             "61 " + writeTarget + "No space left on device");
      expect(on + "flush", run(way, target, FailOnce(DiskCall::Flush, 0, EIO), {}), "57 " + writeTarget);
      expect(on + "flush", run(way, fresh, FailOnce(DiskCall::Flush, 0, EIO), {}), "57 " + writeFresh);
      expect(on + "flush full", run(way, target, FailOnce(DiskCall::Flush, 0, ENOSPC), {}), "in place");
      expect(on + "no room", run(way, target, FailOnce(DiskCall::Reserve, 0, ENOSPC), {}), "in place");
      expect(on + "no room", run(way, fresh, FailOnce(DiskCall::Reserve, 0, ENOSPC), {}), "61 " + writeFresh);
      expect(on + "too large", run(way, target, FailOnce(DiskCall::Reserve, 0, EFBIG), {}), "60 " + writeTarget);
      expect(on + "busy", run(way, target, FailOnce(DiskCall::Rename, 0, EBUSY), {}), "in place");
      expect(on + "across", run(way, target, FailOnce(DiskCall::Rename, 0, EXDEV), {}), "in place");
      expect(on + "busy", run(way, fresh, FailOnce(DiskCall::Rename, 0, EBUSY), {}),
             "75 Cannot replace " + fresh.string());
      expect(on + "rename", run(way, target, FailOnce(DiskCall::Rename, 0, EIO), {}),
             "57 Cannot replace " + target.string());
      const DiskCall create = way == Beside::Unnamed ? DiskCall::CreateUnnamed : DiskCall::Create;
      expect(on + "no inode", run(way, target, FailOnce(create, 0, ENOSPC), {}), "in place");
      expect(on + "no inode", run(way, fresh, FailOnce(create, 0, ENOSPC), {}),
             "61 Cannot create a file in " + folder.string() + ": No space left on device");
      expect(on + "flags", run(way, target, FailOnce(DiskCall::Flags, 0, EOPNOTSUPP), {}),
             FlagsOf(target) ? "in place" : "renamed");
      expect(on + "renamed", run(way, target, {}, {}), "renamed");
      expect(on + "made", run(way, fresh, {}, {}), "made");
    }
    // An unnamed file that cannot be given a name: a named one takes its
    // place, unless the folder has no room for a name.
    expect("link", run(Beside::Unnamed, target, FailOnce(DiskCall::Link, 0, EPERM), {}), "renamed");
    expect("link", run(Beside::Unnamed, fresh, FailOnce(DiskCall::Link, 0, EIO), {}), "made");
    expect("link full", run(Beside::Unnamed, target, FailOnce(DiskCall::Link, 0, ENOSPC), {}), "in place");
    expect("link full", run(Beside::Unnamed, fresh, FailOnce(DiskCall::Link, 0, ENOSPC), {}),
           "61 Cannot create a file in ");
    // A new file made from an empty one that shows what a plain create gives.
    expect("probe", run(Beside::Named, fresh, FailOnce(DiskCall::Create, 0, EACCES), {}),
           "70 Cannot create a file in ");
    return wrong;
  });
  EXPECT_EQ(wrong, "");
  EXPECT_EQ(ReadBytes(target), old);
  EXPECT_EQ(FileCount(folder), 1);
}

// Why a save into a shared sticky folder is refused: `name` was to be
// written, `what` is the link or file of another user's there.
std::string OthersLink(const fs::path& name, const fs::path& what) {
  return "70 Cannot write " + name.string() + ": Permission denied (" + (what == name ? "it" : what.string()) +
         " is another user's symbolic link in the shared folder " + what.parent_path().string() +
         ", which others may write in: following it would let that user send the save to a file of their "
         "choosing; save under another name)";
}
std::string OthersFile(const fs::path& name, const fs::path& what) {
  return "70 Cannot write " + name.string() + ": Permission denied (" + (what == name ? "it" : what.string()) +
         " is another user's file in the shared folder " + what.parent_path().string() +
         ", which others may write in: that user could read what is saved in it; save under another name)";
}

// A symbolic link at `link` to `to`, owned by `owner`.
void PlantLink(const fs::path& to, const fs::path& link, uid_t owner) {
  fs::create_symlink(to, link);
  EXPECT_EQ(::lchown(link.c_str(), owner, owner), 0) << link;
}

// A file at `path` with `bytes`, owned by `owner` and `group`, with `mode`.
void PlantFile(const fs::path& path, const std::string& bytes, uid_t owner, gid_t group, mode_t mode) {
  WriteBytes(path, bytes);
  EXPECT_EQ(::chown(path.c_str(), owner, group), 0) << path;
  EXPECT_EQ(::chmod(path.c_str(), mode), 0) << path;
}

// In a folder with the sticky bit that others may write in (/tmp, /var/tmp,
// /dev/shm, or one a team shares), a link only the user or the folder's
// owner made is followed, and a file only theirs is written, as the
// kernel's protections of such folders have it whatever this machine's
// settings: another user's link there could send the save into a file of
// the user's that its owner cannot reach, and another user's file would give
// the saved model to its owner to read. Every link of a chain is checked in
// the folder it stands in. A new file is made there as anywhere; a folder
// without the sticky bit is not shared in this sense.
TEST_F(FileReplaceSafetyTest, ASharedStickyFolderFollowsAndWritesOnlyTheUsersOrItsOwnersLinksAndFiles) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a second user links and files";
  const std::string mine = "the saver's own text\r\n", spys = "the spy's text\r\n", text = "the saved model\r\n";
  const fs::path secret = SaversSecret(mine);
  const fs::path own = secret.parent_path();
  const uid_t saverId = velk_test::PlainUid();
  const gid_t saverGroup = velk_test::PlainGid();
  const auto [sticky, team, open] = SharedFolders();
  for (const char* name : {"to-mine.txt", "to-roots.txt", "to-team.txt", "to-open.txt"})
    PlantFile(own / name, mine, saverId, saverGroup, 0600);

  PlantLink(secret, sticky / "spy.inp", kOther);
  PlantFile(sticky / "spys.inp", spys, kOther, kOther, 0666);
  PlantLink(sticky / "spy.inp", sticky / "mine-to-spy.inp", saverId);
  PlantLink(sticky / "spy.inp", own / "via.inp", saverId);
  PlantLink(own / "gone.txt", sticky / "spy-to-nothing.inp", kOther);
  PlantLink(own / "to-mine.txt", sticky / "mine.inp", saverId);
  PlantLink(own / "to-roots.txt", sticky / "roots.inp", 0);
  PlantFile(sticky / "saver.txt", mine, saverId, saverGroup, 0644);
  PlantFile(sticky / "root.txt", mine, 0, 0, 0666);
  PlantLink(secret, team / "spy.inp", kOther);
  PlantFile(team / "spys.inp", spys, kOther, kTeam, 0664);
  PlantLink(own / "to-team.txt", team / "mine.inp", saverId);
  PlantLink(own / "to-open.txt", open / "spy.inp", kOther);
  PlantFile(open / "spys.inp", spys, kOther, kOther, 0666);

  // Each name saved, with what the save must end in.
  const std::vector<std::pair<fs::path, std::string>> saves = {
      {sticky / "spy.inp", OthersLink(sticky / "spy.inp", sticky / "spy.inp")},
      {sticky / "spys.inp", OthersFile(sticky / "spys.inp", sticky / "spys.inp")},
      {sticky / "mine-to-spy.inp", OthersLink(sticky / "mine-to-spy.inp", sticky / "spy.inp")},
      {own / "via.inp", OthersLink(own / "via.inp", sticky / "spy.inp")},
      {sticky / "spy-to-nothing.inp", OthersLink(sticky / "spy-to-nothing.inp", sticky / "spy-to-nothing.inp")},
      {sticky / "mine.inp", "done"},
      {sticky / "roots.inp", "done"},
      {sticky / "saver.txt", "done"},
      {sticky / "root.txt", "done"},
      {sticky / "new.inp", "done"},
      {team / "spy.inp", OthersLink(team / "spy.inp", team / "spy.inp")},
      {team / "spys.inp", OthersFile(team / "spys.inp", team / "spys.inp")},
      {team / "mine.inp", "done"},
      {team / "new.inp", "done"},
      {open / "spy.inp", "done"},
      {open / "spys.inp", "done"}};
  const auto saveAll = [&] {
    std::string said;
    for (const auto& [name, outcome] : saves) said += Outcome(name, text) + "\n";
    return said;
  };
  std::string wanted;
  for (const auto& [name, outcome] : saves) wanted += outcome + "\n";
  EXPECT_EQ(velk_test::Child(saveAll, velk_test::User{saverId, saverGroup, {kTeam}}).Result(), wanted);
  EXPECT_EQ(ReadBytes(secret), mine);
  EXPECT_EQ(StatOf(secret).st_mode & 07777, 0600u);
  EXPECT_EQ(ReadBytes(sticky / "spys.inp"), spys);
  EXPECT_EQ(ReadBytes(team / "spys.inp"), spys);
  EXPECT_FALSE(fs::exists(own / "gone.txt"));
  for (const char* name : {"to-mine.txt", "to-roots.txt", "to-team.txt", "to-open.txt"})
    EXPECT_EQ(ReadBytes(own / name), text) << name;
  for (const fs::path& written : {sticky / "saver.txt", sticky / "root.txt", sticky / "new.inp", team / "new.inp",
                                  open / "spys.inp"})
    EXPECT_EQ(ReadBytes(written), text) << written;
  EXPECT_EQ(StatOf(sticky / "root.txt").st_uid, 0u);
  EXPECT_EQ(OthersIn(sticky, {}), "mine-to-spy.inp mine.inp new.inp root.txt roots.inp saver.txt spy-to-nothing.inp "
                                  "spy.inp spys.inp ");
  EXPECT_EQ(OthersIn(team, {}), "mine.inp new.inp spy.inp spys.inp ");
}

// In a shared sticky folder a file with a further name (hard link) is never
// written: where the system lets anyone link a file (fs.protected_hardlinks
// 0), a second name there for the user's private file cannot be told apart
// from the user's own, so both are refused, naming the file and the folder,
// and the private file keeps what it held. Elsewhere further names are kept
// as before: the file is written in place and every name shows the save.
TEST_F(FileReplaceSafetyTest, ASharedStickyFolderWritesNoFileWithASecondName) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can make a second user's link to a private file";
  const std::string mine = "the saver's own text\r\n", text = "the saved model\r\n";
  const fs::path secret = SaversSecret(mine);
  const uid_t saverId = velk_test::PlainUid();
  const gid_t saverGroup = velk_test::PlainGid();
  const auto [sticky, team, open] = SharedFolders();
  // The spy's second names for the private file, as root makes them where
  // the kernel would let the spy; and the saver's own pair in the folder.
  ASSERT_EQ(::link(secret.c_str(), (sticky / "team.inp").c_str()), 0);
  ASSERT_EQ(::link(secret.c_str(), (team / "team.inp").c_str()), 0);
  PlantFile(sticky / "pair-a.inp", mine, saverId, saverGroup, 0644);
  ASSERT_EQ(::link((sticky / "pair-a.inp").c_str(), (sticky / "pair-b.inp").c_str()), 0);
  PlantFile(open / "pair-a.inp", mine, saverId, saverGroup, 0644);
  ASSERT_EQ(::link((open / "pair-a.inp").c_str(), (open / "pair-b.inp").c_str()), 0);

  auto secondName = [](const fs::path& name, nlink_t names) {
    return "70 Cannot write " + name.string() + ": Permission denied (it has " + std::to_string(names) +
           " names (hard links), and in the shared folder " + name.parent_path().string() +
           ", which others may write in, a further name cannot be told apart from one that another user gave a "
           "private file of yours to have the save written into it; save under another name, or remove the other "
           "names first)";
  };
  const std::vector<std::pair<fs::path, std::string>> saves = {
      {sticky / "team.inp", secondName(sticky / "team.inp", 3)},
      {team / "team.inp", secondName(team / "team.inp", 3)},
      {sticky / "pair-a.inp", secondName(sticky / "pair-a.inp", 2)},
      {open / "pair-a.inp", "done"}};
  std::string wanted;
  for (const auto& [name, outcome] : saves) wanted += outcome + "\n";
  const std::string said = velk_test::Child(
                               [&] {
                                 std::string said;
                                 for (const auto& [name, outcome] : saves) said += Outcome(name, text) + "\n";
                                 return said;
                               },
                               velk_test::User{saverId, saverGroup, {kTeam}})
                               .Result();
  EXPECT_EQ(said, wanted);
  EXPECT_EQ(ReadBytes(secret), mine);
  EXPECT_EQ(StatOf(secret).st_nlink, 3u);
  EXPECT_EQ(ReadBytes(sticky / "pair-b.inp"), mine);
  EXPECT_EQ(ReadBytes(open / "pair-b.inp"), text) << "elsewhere both names show the save";
  EXPECT_EQ(StatOf(open / "pair-a.inp").st_ino, StatOf(open / "pair-b.inp").st_ino);
}

// What the save writes is what it checked: a name turned into another
// user's link after it was looked at is not followed when it is opened, and
// a file is judged by what was opened, not by what the name showed before.
// The saver is root here, whom the rule binds as well, so that the test can
// change the folder between the look and the open.
TEST_F(FileReplaceSafetyTest, ANameChangedBetweenTheLookAndTheOpenIsJudgedAsOpened) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can change another user's names in a shared folder";
  const std::string mine = "the saver's own text\r\n", spys = "the spy's text\r\n";
  const fs::path secret = PlainUsersFile("own", mine, fs::perms::owner_read | fs::perms::owner_write);
  const fs::path sticky = dir_ / "sticky", late = sticky / "late.inp", swapped = sticky / "swapped.inp";
  fs::create_directory(sticky);
  ASSERT_EQ(::chmod(sticky.c_str(), 01777), 0);
  PlantFile(late, spys, kOther, kOther, 0666);
  PlantFile(swapped, mine, 0, 0, 0644);
  // `change`, once, just before the target is opened.
  auto changedBeforeTheOpen = [](const fs::path& name, const std::function<void()>& change) {
    auto changed = std::make_shared<bool>(false);
    platform::SetDiskFaultForTests([=](DiskCall call, std::int64_t, std::size_t&) {
      if (call == DiskCall::Open && !std::exchange(*changed, true)) change();
      return 0;
    });
    const std::string outcome = Outcome(name, "the saved model");
    platform::SetDiskFaultForTests({});
    return outcome;
  };
  // The spy's file becomes the spy's link to the saver's secret; the
  // saver's own file becomes the spy's.
  const std::string said = changedBeforeTheOpen(late,
                                                [&] {
                                                  fs::remove(late);
                                                  PlantLink(secret, late, kOther);
                                                }) +
                           "\n" + changedBeforeTheOpen(swapped, [&] {
                             const fs::path spysOwn = sticky / "spys-own.tmp";
                             PlantFile(spysOwn, spys, kOther, kOther, 0666);
                             fs::rename(spysOwn, swapped);
                           });
  EXPECT_EQ(said, OthersLink(late, late) + "\n" + OthersFile(swapped, swapped));
  EXPECT_EQ(ReadBytes(secret), mine);
  EXPECT_EQ(ReadBytes(swapped), spys);
  EXPECT_EQ(OthersIn(sticky, {}), "late.inp swapped.inp ");
}

// A file to be written in place whose old contents do not fit in memory is
// refused untouched, and the refusal says why, naming the file and its size.
TEST_F(FileReplaceSafetyTest, AFileTooLargeToHoldIsRefusedWithItsReason) {
  if (velk_test::kAddressSanitizer) GTEST_SKIP() << "AddressSanitizer ends the process on an allocation it cannot make";
  const fs::path target = PlainUsersFile("closed", "", fs::perms::owner_read | fs::perms::owner_write);
  constexpr off_t kSize = off_t{16} << 30;
  if (::truncate(target.c_str(), kSize) != 0) GTEST_SKIP() << "no sparse file of 16 GiB here";
  fs::permissions(target.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
  const std::string said = velk_test::AsPlainUser([&] {
    if (!velk_test::LimitAddressSpace(std::uint64_t{256} << 20)) return std::string("skip: no address space limit");
    return Outcome(target, "new");
  });
  if (Unavailable(said)) GTEST_SKIP() << said;
  EXPECT_EQ(said, "7 Cannot write " + target.string() +
                      " safely: it has to be written over in place, since the folder allows no new file beside it, "
                      "and its old contents (17179869184 bytes) could not be held in memory to put them back if the "
                      "write failed");
  EXPECT_EQ(StatOf(target).st_size, kSize);
}

}  // namespace
