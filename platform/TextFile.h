#pragma once
// Sequential text files as the program's records and listings use them:
// opened for input or output, written in pieces, read character by
// character or a line at a time. Failures are RuntimeErrors carrying the
// file error numbers (53 not found, 55 already open, 57 device I/O, 61 disk
// full, 62 input past end, 75 not a file, 76 path not found, ...).
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Descriptor.h"

namespace platform {

enum class FileMode { Input, Output };

// How long an input file that is a named pipe waits for the program writing
// into it: for its first bytes once the pipe is opened, or for a sign that a
// program has opened the other end; then, with a writer there, for each
// further bytes. Each wait goes in slices of a twentieth of a second, and
// lasts at least as long as given.
struct PipeWaits {
  std::chrono::milliseconds writer{5000};
  std::chrono::milliseconds silence{30000};
};
// The waits of the pipes opened from now on, for tests that cannot wait so
// long; PipeWaits{} puts the program's own back.
void SetPipeWaitsForTests(PipeWaits waits);

// Called for each file made anew (MakeFileAnew) from now on, once its old
// file is gone and before the new one is created, so that a test can put
// something at the name just then; {} for none.
void SetBeforeCreateForTests(std::function<void(const std::filesystem::path&)> call);

// A new file at `path`, open for reading and writing and its owner's alone
// whatever the umask: the user's own old file is removed and the new one
// created where nothing stands; anything else at the name (a link, another
// user's file, a folder, pipe or device, or a name put there meanwhile) is
// refused (70, 75) with what it is (NameRefused), and left as it was.
Descriptor MakeFileAnew(const std::filesystem::path& path);

class PipeSource;

// Selects the constructors of a file that lives in memory.
struct InMemory {};

class TextFile {
 public:
  // Opens the file. Output makes it anew (MakeFileAnew). For input,
  // a folder, device or socket is refused (75) with its reason before it is
  // opened. A named pipe is opened without blocking and read as it comes:
  // its waits (PipeWaits) call `meanwhile` between their slices, and a pipe
  // that nothing comes through in time is refused (75) with its reason.
  TextFile(const std::filesystem::path& path, FileMode mode, std::function<void()> meanwhile = {});
  // Takes over `fd`, open on the regular file `path`: for output written
  // from where it stands, for input read from its start.
  TextFile(Descriptor fd, const std::filesystem::path& path, FileMode mode);
  // A file in memory, read from the given text, so that readers take text
  // that never was on a disk.
  TextFile(InMemory, std::string_view text);
  // A file in memory opened for output: what is written is kept and, once
  // closed, handed out by Text().
  explicit TextFile(InMemory);
  ~TextFile();  // closes without reporting; call Close() to see write failures
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  const std::filesystem::path& path() const { return path_; }
  FileMode mode() const { return mode_; }

  // Output. Text is written as given; WriteLine ends the line with CR LF.
  void Write(std::string_view text);
  void WriteLine(std::string_view text = {});
  // The print column of the next character on the current line, from 1.
  int column() const { return column_; }

  // Input. Get and Peek return EOF (-1) at the end of the file; a read that
  // fails raises its reason (57, or 75 for a pipe gone silent), never an end.
  int Get();
  int Peek();
  bool AtEnd();
  // Reads up to the next line end (CR LF, LF or a lone CR); the end is
  // consumed and not returned. Raises 62 when the file is already at its end.
  std::string ReadLine();
  // The line of the next character Get or ReadLine takes, from 1; CR LF, LF
  // and a lone CR each end a line. Readers name it when they refuse a file.
  std::int64_t line() const { return line_; }
  // Refuses (321) a line longer than `bytes`, its end not counted, as soon
  // as a character past them is taken, so that no reader holds more of it.
  // The reason given is the rule alone: the reader says where.
  void SetLongestLine(std::int64_t bytes) { longestLine_ = bytes; }
  // How many bytes Get and ReadLine have taken so far.
  std::int64_t taken() const { return taken_; }
  // The bytes of an input file not yet read, or `atMost` when at least that
  // many are left, so that a reader can tell a count the file cannot hold
  // before it makes anything for it. A file that cannot seek (a named pipe)
  // is read ahead for it, no further than `atMost` and kMostReadAhead; the
  // reads that follow take what was read ahead first. A pipe that holds
  // more than kMostReadAhead counts as holding `atMost`: its records then
  // show whether they are there, as they come.
  std::int64_t RemainingBytes(std::int64_t atMost);
  static constexpr std::int64_t kMostReadAhead = std::int64_t{1} << 20;

  // Flushes and closes; raises 61 (disk full) or 57 when anything written
  // did not reach the file. A second Close does nothing.
  void Close();

  // What was written to a file in memory, once it is closed.
  const std::string& Text() const { return memory_; }

 private:
  void OpenForInput(std::function<void()> meanwhile);
  void OpenForOutput();
  void Adopt(Descriptor fd);
  void CheckWritable() const;
  void CheckReadable() const;
  int Next();  // the next character, counting line ends and the line's length
  [[noreturn]] void RaiseWriteError(int err) const;
  // Why a read failed: the pipe's own reason, or the system's for `err`.
  [[noreturn]] void RaiseReadError(int err) const;
  [[noreturn]] void RaiseLongLine() const;

  std::filesystem::path path_;
  FileMode mode_;
  std::FILE* file_ = nullptr;
  // A named pipe's reader, owned by the stream that reads through it.
  PipeSource* pipe_ = nullptr;
  bool seekable_ = true;
  int column_ = 1;
  std::int64_t line_ = 1;
  bool afterCR_ = false;
  std::int64_t lineBytes_ = 0;  // taken of the current line
  std::int64_t longestLine_ = std::numeric_limits<std::int64_t>::max();
  std::int64_t taken_ = 0;
  bool writeFailed_ = false;
  int writeErrno_ = 0;
  // A file in memory: the text read, or the text written once closed, and
  // the buffer the C library fills while it is open.
  std::string memory_;
  char* memoryBuffer_ = nullptr;
  std::size_t memorySize_ = 0;
};

// Open files under file numbers 1 to 511. A command keeps its own table, so
// "close all its files" closes exactly what that command opened; the table's
// destructor closes whatever is left.
class FileTable {
 public:
  static constexpr int kMaxFileNumber = 511;
  FileTable() = default;
  ~FileTable();
  FileTable(const FileTable&) = delete;
  FileTable& operator=(const FileTable&) = delete;

  // The lowest file number not in use; raises 67 (too many files) when none.
  int FreeFile() const;
  // Raises 52 for a number outside 1..511, 55 when the number is in use.
  TextFile& Open(int number, const std::filesystem::path& path, FileMode mode);
  // Raises 52 when the number is not open.
  TextFile& Get(int number);
  // Closes one file, reporting write failures as TextFile::Close does.
  void Close(int number);
  // Closes every file and reports nothing.
  void CloseAll() noexcept;
  bool IsOpen(int number) const { return files_.count(number) != 0; }

 private:
  std::map<int, std::unique_ptr<TextFile>> files_;
};

}  // namespace platform
