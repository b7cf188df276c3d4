#pragma once
// Sequential text files as the program's records and listings use them:
// opened for input, output or append, written in pieces, read character by
// character or a line at a time. Failures are RuntimeErrors carrying the
// file error numbers (53 not found, 55 already open, 57 device I/O, 61 disk
// full, 62 input past end, 76 path not found, ...).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

enum class FileMode { Input, Output, Append };

// Selects the constructors of a file that lives in memory.
struct InMemory {};

class TextFile {
 public:
  // Opens the file; output truncates, append keeps what is there.
  TextFile(const std::filesystem::path& path, FileMode mode);
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

  // Input. Get and Peek return EOF (-1) at the end of the file.
  int Get();
  int Peek();
  bool AtEnd();
  // Reads up to the next line end (CR LF, LF or a lone CR); the end is
  // consumed and not returned. Raises 62 when the file is already at its end.
  std::string ReadLine();
  // The line of the next character Get or ReadLine takes, from 1; CR LF, LF
  // and a lone CR each end a line. Readers name it when they refuse a file.
  std::int64_t line() const { return line_; }
  // The bytes of an input file not yet read, or `atMost` when at least that
  // many are left, so that a reader can tell a count the file cannot hold
  // before it makes anything for it. A file that cannot seek (a named pipe)
  // is read ahead for it, no further than `atMost`; the reads that follow
  // take what was read ahead first.
  std::int64_t RemainingBytes(std::int64_t atMost);

  // Flushes and closes; raises 61 (disk full) or 57 when anything written
  // did not reach the file. A second Close does nothing.
  void Close();

  // What was written to a file in memory, once it is closed.
  const std::string& Text() const { return memory_; }

 private:
  void CheckWritable() const;
  void CheckReadable() const;
  int Next();  // the next character, counting line ends
  [[noreturn]] void RaiseWriteError(int err) const;

  std::filesystem::path path_;
  FileMode mode_;
  std::FILE* file_ = nullptr;
  bool seekable_ = true;
  int column_ = 1;
  std::int64_t line_ = 1;
  bool afterCR_ = false;
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
