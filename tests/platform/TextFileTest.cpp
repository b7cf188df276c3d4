#include "platform/TextFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/Descriptor.h"
#include "platform/RuntimeError.h"
#include "tests/platform/FileTestSupport.h"

namespace fs = std::filesystem;
using platform::FileMode;
using platform::FileTable;
using platform::RuntimeError;
using platform::TextFile;
using velk_test::ReadBytes;
using velk_test::ShortPipeWaits;
using velk_test::WriteBytes;

namespace {

class TempDir : public ::testing::Test {
 protected:
  fs::path Path(const std::string& name) const { return scratch_.path() / name; }
  velk_test::ScratchFolder scratch_;
};

int ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

}  // namespace

TEST_F(TempDir, FileNumbersAreHandedOutLowestFirstAndReused) {
  FileTable table;
  EXPECT_EQ(table.FreeFile(), 1);
  table.Open(1, Path("a.txt"), FileMode::Output);
  EXPECT_EQ(table.FreeFile(), 2);
  table.Open(2, Path("b.txt"), FileMode::Output);
  table.Close(1);
  EXPECT_FALSE(table.IsOpen(1));
  EXPECT_EQ(table.FreeFile(), 1);
  EXPECT_EQ(ErrorOf([&] { table.Open(2, Path("c.txt"), FileMode::Output); }), 55);
  EXPECT_EQ(ErrorOf([&] { table.Open(0, Path("c.txt"), FileMode::Output); }), 52);
  EXPECT_EQ(ErrorOf([&] { table.Open(512, Path("c.txt"), FileMode::Output); }), 52);
  EXPECT_EQ(ErrorOf([&] { table.Get(7); }), 52);
  table.CloseAll();
  EXPECT_FALSE(table.IsOpen(2));
  EXPECT_EQ(table.FreeFile(), 1);
}

TEST_F(TempDir, CloseAllFlushesWhatWasWritten) {
  {
    FileTable table;
    table.Open(1, Path("a.txt"), FileMode::Output).WriteLine("one");
    table.Open(2, Path("b.txt"), FileMode::Output).Write("two");
    table.CloseAll();
  }
  EXPECT_EQ(ReadBytes(Path("a.txt")), "one\r\n");
  EXPECT_EQ(ReadBytes(Path("b.txt")), "two");
  {
    FileTable table;  // the destructor closes what is left open
    table.Open(1, Path("c.txt"), FileMode::Output).Write("three");
  }
  EXPECT_EQ(ReadBytes(Path("c.txt")), "three");
}

TEST_F(TempDir, OpenFailuresCarryFileErrorNumbers) {
  EXPECT_EQ(ErrorOf([&] { TextFile f(Path("missing.txt"), FileMode::Input); }), 53);
  EXPECT_EQ(ErrorOf([&] { TextFile f(Path("no/such/dir/x.txt"), FileMode::Output); }), 76);
  EXPECT_EQ(ErrorOf([&] { TextFile f("", FileMode::Input); }), 64);
  FileTable table;
  EXPECT_NE(ErrorOf([&] { table.Open(1, Path("missing.txt"), FileMode::Input); }), 0);
  EXPECT_FALSE(table.IsOpen(1));  // a failed open takes no number
}

TEST_F(TempDir, WrongDirectionIsBadFileMode) {
  TextFile out(Path("a.txt"), FileMode::Output);
  EXPECT_EQ(ErrorOf([&] { out.Get(); }), 54);
  out.Close();
  TextFile in(Path("a.txt"), FileMode::Input);
  EXPECT_EQ(ErrorOf([&] { in.Write("x"); }), 54);
}

TEST_F(TempDir, ColumnsCountFromTheLineStart) {
  TextFile f(Path("a.txt"), FileMode::Output);
  f.Write("ab");
  EXPECT_EQ(f.column(), 3);
  f.WriteLine();
  EXPECT_EQ(f.column(), 1);
  f.Close();
  f.Close();  // a second close does nothing
  EXPECT_EQ(ReadBytes(Path("a.txt")), "ab\r\n");
}

// What is written for output (the run's scratch files, which hold the
// whole model) is a new file, readable by its owner alone whatever the umask
// lets through: one an earlier run left open to others is replaced by a new
// file, so that a descriptor kept on the old one sees nothing of the new
// contents.
TEST_F(TempDir, AFileWrittenForOutputIsNewAndItsOwnersAlone) {
  auto modeOf = [](const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0);
    return std::pair<unsigned, ino_t>(st.st_mode & 07777, st.st_ino);
  };
  for (const mode_t mask : {mode_t{022}, mode_t{0277}}) {
    const mode_t previous = ::umask(mask);
    {
      TextFile f(Path("new.vlk"), FileMode::Output);
      f.Write("model");
      f.Close();
    }
    ::umask(previous);
    EXPECT_EQ(modeOf(Path("new.vlk")).first, 0600u) << "umask " << std::oct << mask;
    EXPECT_EQ(ReadBytes(Path("new.vlk")), "model");
    fs::remove(Path("new.vlk"));
  }

  const mode_t mask = ::umask(022);
  WriteBytes(Path("old.vlk"), "an earlier run");
  ASSERT_EQ(::chmod(Path("old.vlk").c_str(), 0644), 0);
  const ino_t before = modeOf(Path("old.vlk")).second;
  platform::Descriptor kept(::open(Path("old.vlk").c_str(), O_RDONLY));
  ASSERT_TRUE(kept.valid());
  {
    TextFile f(Path("old.vlk"), FileMode::Output);
    f.Write("this run");
    f.Close();
  }
  EXPECT_EQ(modeOf(Path("old.vlk")).first, 0600u);
  EXPECT_NE(modeOf(Path("old.vlk")).second, before) << "a new file, not the old one emptied";
  EXPECT_EQ(ReadBytes(Path("old.vlk")), "this run");
  char held[64];
  const ssize_t n = ::pread(kept.get(), held, sizeof held, 0);
  EXPECT_EQ(std::string(held, n > 0 ? static_cast<std::size_t>(n) : 0), "an earlier run");
  ::umask(mask);
}

TEST_F(TempDir, ReadLineTakesEveryLineEndAndFailsAtTheEnd) {
  WriteBytes(Path("a.txt"), "crlf\r\nlf\nlone\rlast");
  TextFile f(Path("a.txt"), FileMode::Input);
  EXPECT_EQ(f.ReadLine(), "crlf");
  EXPECT_EQ(f.ReadLine(), "lf");
  EXPECT_EQ(f.ReadLine(), "lone");
  EXPECT_FALSE(f.AtEnd());
  EXPECT_EQ(f.ReadLine(), "last");
  EXPECT_TRUE(f.AtEnd());
  EXPECT_EQ(f.Peek(), EOF);
  EXPECT_EQ(f.Get(), EOF);
  EXPECT_EQ(ErrorOf([&] { f.ReadLine(); }), 62);
}

// What stays in the stream's buffer reaches the disk only at close, which
// then reports the full disk.
TEST_F(TempDir, AFullDiskIsReportedOnCloseAsDiskFull) {
  {
    // A file size limit stops such a write as a full disk would, anywhere.
    velk_test::FileSizeLimit limit(8);
    ASSERT_TRUE(limit.on());
    FileTable table;
    TextFile& f = table.Open(1, Path("limited.txt"), FileMode::Output);
    f.WriteLine("a short line that stays in the buffer");
    EXPECT_EQ(ErrorOf([&] { table.Close(1); }), platform::kErrFileTooLarge);
    EXPECT_FALSE(table.IsOpen(1));
  }
  const fs::path small = Path("small");
  fs::create_directory(small);
  const std::string said = velk_test::OnAFullDisk(small, [&] {
    FileTable table;
    TextFile& f = table.Open(1, small / "a.txt", FileMode::Output);
    f.WriteLine("a short line that stays in the buffer");
    const int number = ErrorOf([&] { table.Close(1); });
    return std::to_string(number) + (table.IsOpen(1) ? " still open" : "");
  });
  if (said.rfind("skip:", 0) == 0) GTEST_SKIP() << said;
  EXPECT_EQ(said, "61");
}

TEST(TextFileInMemory, WritesAndReadsWithoutADisk) {
  TextFile out{platform::InMemory{}};
  out.WriteLine("a,b");
  out.Write(std::string("c\0d", 3));
  EXPECT_TRUE(out.Text().empty()) << "handed out once closed";
  out.Close();
  EXPECT_EQ(out.Text(), std::string("a,b\r\nc\0d", 8));

  TextFile in(platform::InMemory{}, out.Text());
  EXPECT_EQ(in.ReadLine(), "a,b");
  EXPECT_EQ(in.Get(), 'c');
  EXPECT_EQ(in.Peek(), 0);
  in.Get();
  EXPECT_EQ(in.Get(), 'd');
  EXPECT_TRUE(in.AtEnd());
  EXPECT_EQ(ErrorOf([&] { in.ReadLine(); }), 62);
  EXPECT_EQ(ErrorOf([&] { in.Write("x"); }), 54);

  TextFile empty(platform::InMemory{}, "");
  EXPECT_TRUE(empty.AtEnd());
}

// What is left to read, counted no further than asked; a named pipe, which
// cannot seek, is read ahead for it and gives those bytes again.
TEST_F(TempDir, RemainingBytesAreCountedInFilesAndPipes) {
  const std::string text = "first line\r\n" + std::string(200000, 'x') + "\r\nlast\r\n";
  WriteBytes(Path("plain.txt"), text);
  velk_test::PipeWriter pipe(Path("pipe"), text);
  for (const char* name : {"plain.txt", "pipe"}) {
    TextFile file(Path(name), FileMode::Input);
    EXPECT_EQ(file.ReadLine(), "first line") << name;
    const std::int64_t left = static_cast<std::int64_t>(text.size()) - 12;
    EXPECT_EQ(file.RemainingBytes(10), 10) << name;
    EXPECT_EQ(file.Peek(), 'x') << name;
    EXPECT_EQ(file.RemainingBytes(100000), 100000) << name;
    EXPECT_EQ(file.RemainingBytes(left + 5), left) << name;
    EXPECT_EQ(file.ReadLine(), std::string(200000, 'x')) << name;
    EXPECT_EQ(file.line(), 3) << name;
    EXPECT_EQ(file.RemainingBytes(1000), 6) << name;
    EXPECT_EQ(file.ReadLine(), "last") << name;
    EXPECT_TRUE(file.AtEnd()) << name;
    EXPECT_EQ(file.RemainingBytes(1000), 0) << name;
  }
}

namespace {

std::string ReasonOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return std::to_string(e.number()) + ": " + e.description();
  }
  return "no failure";
}

// The text a reader takes with Get until the end.
std::string Rest(TextFile& file) {
  std::string s;
  for (int c; (c = file.Get()) != EOF;) s.push_back(static_cast<char>(c));
  return s;
}

// A write end of a named pipe opened from the reading thread, which works
// once the reader has its end open.
class LateWriter {
 public:
  explicit LateWriter(const fs::path& path) : path_(path) {}
  ~LateWriter() { Close(); }
  LateWriter(const LateWriter&) = delete;
  LateWriter& operator=(const LateWriter&) = delete;
  void Open() {
    if (fd_ < 0) fd_ = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
  }
  bool Write(const std::string& bytes) {
    return fd_ >= 0 && ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  fs::path path_;
  int fd_ = -1;
};

}  // namespace

// What is no file is refused by its kind before anything is read from it.
TEST_F(TempDir, DevicesSocketsAndFoldersAreRefusedBeforeTheyAreRead) {
  ASSERT_TRUE(fs::exists("/dev/zero"));
  EXPECT_EQ(ReasonOf([] { TextFile f("/dev/zero", FileMode::Input); }),
            "75: /dev/zero is a character device, not a file");
  const fs::path socket = Path("socket");
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  EXPECT_EQ(ReasonOf([&] { TextFile f(socket, FileMode::Input); }),
            "75: " + socket.string() + " is a socket, not a file");
  ::close(fd);
  fs::create_directory(Path("folder"));
  EXPECT_EQ(ReasonOf([&] { TextFile f(Path("folder"), FileMode::Input); }),
            "75: " + Path("folder").string() + " is a folder, not a file");
  // A link to a device is the device.
  fs::create_symlink("/dev/zero", Path("zero"));
  EXPECT_EQ(ReasonOf([&] { TextFile f(Path("zero"), FileMode::Input); }),
            "75: " + Path("zero").string() + " is a character device, not a file");
}

// A named pipe no program opens to write is refused after the writer wait,
// with the window's work done between its slices; one whose writer comes
// during the wait reads whole.
TEST_F(TempDir, APipeIsWaitedForInSlicesAndRefusedWhenNoWriterComes) {
  ShortPipeWaits waits;
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  int slices = 0;
  EXPECT_EQ(ReasonOf([&] { TextFile f(Path("pipe"), FileMode::Input, [&] { ++slices; }); }),
            "75: No program opened the named pipe " + Path("pipe").string() +
                " to write into it within 0.1 seconds");
  EXPECT_EQ(slices, 1);

  LateWriter writer(Path("pipe"));
  auto comeLate = [&] {
    writer.Open();
    writer.Write("late\r\nbut whole");
    writer.Close();
  };
  TextFile late(Path("pipe"), FileMode::Input, comeLate);
  EXPECT_EQ(late.ReadLine(), "late");
  EXPECT_EQ(Rest(late), "but whole");
}

// A writer that opens its end and then sends nothing for the silence wait
// is refused with that reason, after what it did send, and not taken for the
// end of the file; the end comes when it closes its end.
TEST_F(TempDir, APipeWhoseWriterFallsSilentIsRefusedNotEnded) {
  ShortPipeWaits waits;
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  LateWriter writer(Path("pipe"));
  {
    int slices = 0;
    TextFile file(Path("pipe"), FileMode::Input, [&] {
      ++slices;
      writer.Open();
    });
    EXPECT_EQ(slices, 1) << "the writer came in the first slice";
    ASSERT_TRUE(writer.Write("half a li"));
    EXPECT_EQ(ReasonOf([&] { Rest(file); }),
              "75: The program writing into the named pipe " + Path("pipe").string() +
                  " sent nothing for 0.1 seconds");
    EXPECT_EQ(slices, 1 + 2);
    EXPECT_EQ(file.taken(), 9);
  }
  writer.Close();

  // Sent and closed: the bytes, then the end; the same for RemainingBytes.
  TextFile again(Path("pipe"), FileMode::Input, [&] {
    writer.Open();
    writer.Write("all of it");
    writer.Close();
  });
  EXPECT_EQ(again.RemainingBytes(100), 9);
  EXPECT_EQ(Rest(again), "all of it");
}

// A pipe is read ahead no further than kMostReadAhead: a pipe that holds
// more counts as holding what was asked, and its bytes still read in order.
TEST_F(TempDir, APipeIsReadAheadNoFurtherThanTheMost) {
  std::string text(3 * TextFile::kMostReadAhead / 2, 'x');
  for (std::size_t i = 0; i < text.size(); i += 1000) text[i] = static_cast<char>('a' + i / 1000 % 26);
  velk_test::PipeWriter pipe(Path("pipe"), text);
  TextFile file(Path("pipe"), FileMode::Input);
  EXPECT_EQ(file.RemainingBytes(std::int64_t{1} << 40), std::int64_t{1} << 40);
  EXPECT_EQ(file.RemainingBytes(TextFile::kMostReadAhead - 1), TextFile::kMostReadAhead - 1);
  EXPECT_EQ(Rest(file), text);
}

namespace {

// What `path` holds for a descriptor `user` opened on it at the start, read
// when asked: as a second user who kept a file open would see it later.
class KeptOpenBy {
 public:
  KeptOpenBy(const fs::path& path, const velk_test::User& user) {
    int ready[2], go[2];
    if (::pipe(ready) != 0 || ::pipe(go) != 0) return;
    child_ = std::make_unique<velk_test::Child>(
        [&] {
          ::close(ready[0]);
          ::close(go[1]);
          const platform::Descriptor fd(::open(path.c_str(), O_RDONLY));
          const char opened = fd.valid() ? 'y' : 'n';
          char told = 0;
          if (::write(ready[1], &opened, 1) != 1 || ::read(go[0], &told, 1) != 1) return std::string("child: no word");
          if (!fd.valid()) return std::string("not opened");
          std::string text;
          char buffer[512];
          for (ssize_t n; (n = ::pread(fd.get(), buffer, sizeof buffer, static_cast<off_t>(text.size()))) > 0;)
            text.append(buffer, static_cast<std::size_t>(n));
          return text;
        },
        user);
    ::close(ready[1]);
    ::close(go[0]);
    // Returns once the child holds the file open, or has ended.
    char opened = 0;
    while (::read(ready[0], &opened, 1) < 0 && errno == EINTR) {
    }
    ::close(ready[0]);
    go_ = go[1];
  }
  ~KeptOpenBy() {
    if (go_ >= 0) ::close(go_);
  }
  KeptOpenBy(const KeptOpenBy&) = delete;
  KeptOpenBy& operator=(const KeptOpenBy&) = delete;

  // What the descriptor reads now, from the start.
  std::string Read() {
    if (!child_) return "child: no pipe";
    if (go_ >= 0 && ::write(go_, "g", 1) != 1) return "child: not told";
    return child_->Result();
  }

 private:
  std::unique_ptr<velk_test::Child> child_;
  int go_ = -1;
};

// Writes `text` to `path` opened for output; "no failure" or why it was refused.
std::string WriteOutput(const fs::path& path, const std::string& text = "the model\r\n") {
  return ReasonOf([&] {
    TextFile f(path, FileMode::Output);
    f.Write(text);
    f.Close();
  });
}

// `plant` called between the removal of an old file and the making of the
// new one, until the end of the scope.
class PlantedMeanwhile {
 public:
  explicit PlantedMeanwhile(std::function<void(const fs::path&)> plant) {
    platform::SetBeforeCreateForTests(std::move(plant));
  }
  ~PlantedMeanwhile() { platform::SetBeforeCreateForTests({}); }
  PlantedMeanwhile(const PlantedMeanwhile&) = delete;
  PlantedMeanwhile& operator=(const PlantedMeanwhile&) = delete;
};

struct stat LstatOf(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

}  // namespace

// A file opened for output is made anew where nothing but the user's own
// file stood: a link (to the user's private file or to no file), a folder, a
// named pipe or a device at the name is refused with what it is and left as
// it was; so is whatever was put at the name between the removal of the old
// file and the making of the new one, and an old file the folder does not let
// go of is kept.
TEST_F(TempDir, AFileMadeAnewTakesTheNameOfNothingElse) {
  const fs::path secret = Path("secret.txt");
  WriteBytes(secret, "private\r\n");
  ASSERT_EQ(::chmod(secret.c_str(), 0600), 0);
  fs::create_symlink(secret, Path("link.vlk"));
  fs::create_symlink(Path("nowhere"), Path("dangling.vlk"));
  fs::create_directory(Path("folder.vlk"));
  EXPECT_EQ(WriteOutput(Path("link.vlk")),
            "75: " + Path("link.vlk").string() + " is a symbolic link to " + secret.string() +
                ", and a file made anew is never written through a link, which leads wherever its maker chose: "
                "remove the link");
  EXPECT_EQ(WriteOutput(Path("dangling.vlk")).substr(0, 4), "75: ");
  EXPECT_EQ(WriteOutput(Path("folder.vlk")),
            "75: " + Path("folder.vlk").string() + " is a folder, not a file, and no file made anew takes its "
                "place: remove it or give it another name");
  EXPECT_EQ(ReadBytes(secret), "private\r\n");
  EXPECT_TRUE(fs::is_symlink(Path("link.vlk")));
  EXPECT_FALSE(fs::exists(Path("nowhere")));
  EXPECT_TRUE(fs::is_directory(Path("folder.vlk")));
  if (fs::exists("/dev/full")) {
    EXPECT_EQ(WriteOutput("/dev/full").substr(0, 45), "75: /dev/full is a character device, not a fi");
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
  }

  // Put there after the old file was removed: a link a second user set.
  const fs::path out = Path("velktempout.vlk");
  WriteBytes(out, "an earlier run");
  std::string planted;
  {
    const PlantedMeanwhile spy([&](const fs::path& name) { ::symlink(secret.c_str(), name.c_str()); });
    planted = WriteOutput(out);
  }
  EXPECT_EQ(planted, "75: " + out.string() + " was made by someone else while this program made it anew, just "
                         "after it removed the old file: see who else writes into " + scratch_.path().string() +
                         ", and remove it");
  EXPECT_EQ(ReadBytes(secret), "private\r\n");
  EXPECT_TRUE(fs::is_symlink(out)) << "what was put there stays";

  // A folder the user may not change keeps its old file, whoever runs.
  fs::permissions(scratch_.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  const fs::path closed = Path("closed"), old = closed / "velktempin.vlk";
  fs::create_directory(closed);
  WriteBytes(old, "an earlier run");
  for (const fs::path& p : {closed, old})
    ASSERT_EQ(::chown(p.c_str(), velk_test::PlainUid(), velk_test::PlainGid()), 0);
  ASSERT_EQ(::chmod(closed.c_str(), 0500), 0);
  EXPECT_EQ(velk_test::AsPlainUser([&] { return WriteOutput(old); }),
            "70: The old file " + old.string() + " cannot be removed to make it anew: Permission denied");
  EXPECT_EQ(ReadBytes(old), "an earlier run");
  ASSERT_EQ(::chmod(closed.c_str(), 0700), 0);  // for the scratch folder's removal

  // A pipe last: opened for writing the way a file is, it waits for a reader.
  ASSERT_EQ(::mkfifo(Path("pipe.vlk").c_str(), 0600), 0);
  EXPECT_EQ(WriteOutput(Path("pipe.vlk")).substr(0, 4), "75: ");
  EXPECT_TRUE(S_ISFIFO(LstatOf(Path("pipe.vlk")).st_mode));
}

// In a folder a team shares, nothing a second member of the team put at the
// name takes what the user writes: not a link to the user's private file,
// not a file of that member's own that anyone may write (left empty), not a
// descriptor that member kept on the user's file of an earlier run, open to
// others then, which sees that run's contents alone.
TEST_F(TempDir, InASharedFolderNoOtherUserGetsWhatIsWritten) {
  const velk_test::TeamFolder team(scratch_.path());
  if (team.path.empty()) GTEST_SKIP() << "only root can run a second user";
  const fs::path secret = Path("own") / "secret.txt";
  ASSERT_TRUE(velk_test::MakePlainUsersPrivateFile(secret, "the user's own notes\r\n"));

  const fs::path link = team.path / "velktempin.vlk", spys = team.path / "velktempout.vlk";
  EXPECT_EQ(velk_test::Child(
                [&] {
                  ::umask(0);
                  const platform::Descriptor fd(::open(spys.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666));
                  return ::symlink(secret.c_str(), link.c_str()) == 0 && fd.valid() ? "" : "not planted";
                },
                team.spy)
                .Result(),
            "");
  const fs::path earlier = team.path / "earlier.vlk";
  WriteBytes(earlier, "an earlier run's listing");
  ASSERT_EQ(::chown(earlier.c_str(), velk_test::PlainUid(), velk_test::TeamFolder::kTeam), 0);
  ASSERT_EQ(::chmod(earlier.c_str(), 0644), 0);
  const ino_t before = LstatOf(earlier).st_ino;
  KeptOpenBy spy(earlier, team.spy);

  const std::string said =
      velk_test::Child([&] { return WriteOutput(link) + "\n" + WriteOutput(spys) + "\n" + WriteOutput(earlier); },
                       team.saver)
          .Result();
  EXPECT_EQ(said, "75: " + link.string() + " is a symbolic link to " + secret.string() +
                      ", and a file made anew is never written through a link, which leads wherever its maker "
                      "chose: remove the link\n70: " + spys.string() + " is a file of another user (user 65533), "
                      "who may read or keep open what is written into it: remove it, or ask its owner to\n"
                      "no failure");
  EXPECT_EQ(ReadBytes(secret), "the user's own notes\r\n");
  EXPECT_EQ(LstatOf(spys).st_size, 0);
  EXPECT_EQ(spy.Read(), "an earlier run's listing");
  EXPECT_EQ(ReadBytes(earlier), "the model\r\n");
  const struct stat made = LstatOf(earlier);
  EXPECT_NE(made.st_ino, before);
  EXPECT_EQ(made.st_mode & 07777, 0600u);
  EXPECT_EQ(made.st_uid, velk_test::PlainUid());
}
