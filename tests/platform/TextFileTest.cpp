#include "platform/TextFile.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

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

TEST_F(TempDir, AppendKeepsAndColumnCounts) {
  {
    TextFile f(Path("a.txt"), FileMode::Output);
    f.Write("ab");
    EXPECT_EQ(f.column(), 3);
    f.WriteLine();
    EXPECT_EQ(f.column(), 1);
    f.Close();
    f.Close();  // a second close does nothing
  }
  {
    TextFile f(Path("a.txt"), FileMode::Append);
    f.WriteLine("cd");
    f.Close();
  }
  EXPECT_EQ(ReadBytes(Path("a.txt")), "ab\r\ncd\r\n");
}

// What is written for output (the run's scratch files, which hold the
// whole model) is readable by its owner alone, whatever the umask lets
// through: a new file is created so, and one an earlier run left open to
// others is closed to them, still the same file, emptied or appended to.
TEST_F(TempDir, AFileWrittenForOutputIsItsOwnersAlone) {
  const mode_t mask = ::umask(022);
  auto modeOf = [](const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0);
    return std::pair<unsigned, ino_t>(st.st_mode & 07777, st.st_ino);
  };
  {
    TextFile f(Path("new.vlk"), FileMode::Output);
    f.Write("model");
    f.Close();
  }
  EXPECT_EQ(modeOf(Path("new.vlk")).first, 0600u);

  WriteBytes(Path("old.vlk"), "an earlier run");
  ASSERT_EQ(::chmod(Path("old.vlk").c_str(), 0644), 0);
  const ino_t before = modeOf(Path("old.vlk")).second;
  {
    TextFile f(Path("old.vlk"), FileMode::Output);
    f.Write("this run");
    f.Close();
  }
  EXPECT_EQ(modeOf(Path("old.vlk")), std::make_pair(0600u, before));
  EXPECT_EQ(ReadBytes(Path("old.vlk")), "this run");

  ASSERT_EQ(::chmod(Path("old.vlk").c_str(), 0664), 0);
  {
    TextFile f(Path("old.vlk"), FileMode::Append);
    f.Write(", and more");
    f.Close();
  }
  EXPECT_EQ(modeOf(Path("old.vlk")), std::make_pair(0600u, before));
  EXPECT_EQ(ReadBytes(Path("old.vlk")), "this run, and more");
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

TEST(TextFileDiskFull, FullDeviceIsReportedOnCloseAsDiskFull) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  FileTable table;
  TextFile& f = table.Open(1, "/dev/full", FileMode::Output);
  f.WriteLine("a short line that stays in the buffer");
  EXPECT_EQ(ErrorOf([&] { table.Close(1); }), 61);
  EXPECT_FALSE(table.IsOpen(1));
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
