#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/RuntimeError.h"
#include "tests/platform/FileTestSupport.h"

namespace fs = std::filesystem;
using platform::FileMode;
using platform::FileTable;
using platform::RuntimeError;
using platform::TextFile;
using velk_test::ReadBytes;
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
