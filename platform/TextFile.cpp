#include "platform/TextFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/RuntimeError.h"

namespace platform {
namespace {

// The file error number of an errno from opening a file: a file missing
// for input is "File not found", a missing folder "Path not found".
int OpenErrorNumber(int err, FileMode mode) {
  if (err == ENOENT && mode == FileMode::Input) return kErrFileNotFound;
  return FileErrorNumber(err);
}

}  // namespace

TextFile::TextFile(const std::filesystem::path& path, FileMode mode) : path_(path), mode_(mode) {
  if (path.empty()) Raise(kErrBadFileName);
  const char* how = mode == FileMode::Input ? "rb" : mode == FileMode::Output ? "wb" : "ab";
  if (mode == FileMode::Input) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
      Raise(kErrPathFileAccess, path.string() + " is a folder, not a file");
  }
  errno = 0;
  file_ = std::fopen(path.c_str(), how);
  if (!file_) {
    const int err = errno;
    Raise(OpenErrorNumber(err, mode), SystemErrorText(err, "Cannot open " + path.string()));
  }
  struct stat st {};
  seekable_ = ::fstat(::fileno(file_), &st) == 0 && S_ISREG(st.st_mode);
}

TextFile::TextFile(InMemory, std::string_view text) : mode_(FileMode::Input), memory_(text) {
  // glibc reads an empty buffer as an empty file; data() is never null.
  file_ = ::fmemopen(memory_.data(), memory_.size(), "rb");
  if (!file_) Raise(kErrOutOfMemory);
}

TextFile::TextFile(InMemory) : mode_(FileMode::Output) {
  file_ = ::open_memstream(&memoryBuffer_, &memorySize_);
  if (!file_) Raise(kErrOutOfMemory);
}

TextFile::~TextFile() {
  if (file_) std::fclose(file_);
  std::free(memoryBuffer_);
}

void TextFile::CheckWritable() const {
  if (!file_ || mode_ == FileMode::Input) Raise(kErrBadFileMode);
}

void TextFile::CheckReadable() const {
  if (!file_ || mode_ != FileMode::Input) Raise(kErrBadFileMode);
}

void TextFile::RaiseWriteError(int err) const {
  const int number = err == ENOSPC || err == EDQUOT ? kErrDiskFull
                     : err == EFBIG                ? kErrFileTooLarge
                                                   : kErrDeviceIO;
  if (err == 0 || path_.empty()) Raise(number);
  Raise(number, SystemErrorText(err, "Cannot write " + path_.string()));
}

void TextFile::Write(std::string_view text) {
  CheckWritable();
  if (text.empty()) return;
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
    writeFailed_ = true;
    writeErrno_ = errno;
    RaiseWriteError(errno);
  }
  for (char c : text) column_ = (c == '\n' || c == '\r') ? 1 : column_ + 1;
}

void TextFile::WriteLine(std::string_view text) {
  Write(text);
  Write("\r\n");
}

int TextFile::Next() {
  // One file is read by one thread: the stream's lock would only cost time.
  const int c = ::getc_unlocked(file_);
  if (c > '\r') {  // most characters: neither CR nor LF
    afterCR_ = false;
  } else if (c == '\r') {
    ++line_;
    afterCR_ = true;
  } else if (c == '\n') {
    if (!afterCR_) ++line_;
    afterCR_ = false;
  }
  return c;
}

int TextFile::Get() {
  CheckReadable();
  return Next();
}

int TextFile::Peek() {
  CheckReadable();
  int c = std::fgetc(file_);
  if (c != EOF) std::ungetc(c, file_);
  return c;
}

bool TextFile::AtEnd() { return Peek() == EOF; }

std::string TextFile::ReadLine() {
  CheckReadable();
  int c = Next();
  if (c == EOF) Raise(kErrInputPastEnd);
  std::string line;
  while (c != EOF && c != '\n' && c != '\r') {
    line.push_back(static_cast<char>(c));
    c = Next();
  }
  if (c == '\r' && Peek() == '\n') Next();
  return line;
}

namespace {

// A stream that gives the bytes read ahead of it first, then the rest of the
// stream they were read from, which it owns.
struct ReadAhead {
  std::string bytes;
  std::size_t at = 0;
  std::FILE* rest = nullptr;

  static ssize_t Read(void* cookie, char* buffer, std::size_t size) {
    auto* self = static_cast<ReadAhead*>(cookie);
    if (self->at < self->bytes.size()) {
      const std::size_t n = std::min(size, self->bytes.size() - self->at);
      std::memcpy(buffer, self->bytes.data() + self->at, n);
      self->at += n;
      return static_cast<ssize_t>(n);
    }
    const std::size_t n = std::fread(buffer, 1, size, self->rest);
    return n == 0 && std::ferror(self->rest) ? -1 : static_cast<ssize_t>(n);
  }
  static int Close(void* cookie) {
    const std::unique_ptr<ReadAhead> self(static_cast<ReadAhead*>(cookie));
    return std::fclose(self->rest);
  }
};

}  // namespace

std::int64_t TextFile::RemainingBytes(std::int64_t atMost) {
  CheckReadable();
  if (!seekable_) {
    // Read ahead, and let the stream give those bytes again before the rest.
    auto ahead = std::make_unique<ReadAhead>();
    char buffer[1 << 16];
    for (std::int64_t have = 0; have < atMost; have = static_cast<std::int64_t>(ahead->bytes.size())) {
      const auto want = std::min<std::int64_t>(sizeof buffer, atMost - have);
      const std::size_t n = std::fread(buffer, 1, static_cast<std::size_t>(want), file_);
      ahead->bytes.append(buffer, n);
      if (n < static_cast<std::size_t>(want)) break;
    }
    const int err = std::ferror(file_) ? errno : 0;
    const auto got = static_cast<std::int64_t>(ahead->bytes.size());
    ahead->rest = file_;
    const cookie_io_functions_t calls{ReadAhead::Read, nullptr, nullptr, ReadAhead::Close};
    std::FILE* chained = ::fopencookie(ahead.get(), "rb", calls);
    if (!chained) Raise(kErrOutOfMemory);
    ahead.release();  // the stream owns it now
    file_ = chained;
    if (err) Raise(kErrDeviceIO, SystemErrorText(err, "Cannot read " + path_.string()));
    return got;
  }
  const long at = std::ftell(file_);
  std::int64_t size = static_cast<std::int64_t>(memory_.size());  // a file in memory
  if (!path_.empty()) {
    struct stat st {};
    if (::fstat(::fileno(file_), &st) != 0) Raise(kErrDeviceIO);
    size = st.st_size;
  }
  if (at < 0) Raise(kErrDeviceIO);
  return std::min<std::int64_t>(size > at ? size - at : 0, atMost);
}

void TextFile::Close() {
  if (!file_) return;
  std::FILE* f = file_;
  file_ = nullptr;
  if (mode_ == FileMode::Input) {
    std::fclose(f);
    return;
  }
  // A short write may only show when the buffer is flushed or the file closed.
  errno = 0;
  bool flushed = std::fflush(f) == 0 && !std::ferror(f);
  int err = errno;
  bool closed = std::fclose(f) == 0;
  if (!closed && err == 0) err = errno;
  if (memoryBuffer_) {
    memory_.assign(memoryBuffer_, memorySize_);
    std::free(memoryBuffer_);
    memoryBuffer_ = nullptr;
  }
  if (writeFailed_) RaiseWriteError(writeErrno_);
  if (!flushed || !closed) RaiseWriteError(err);
}

FileTable::~FileTable() { CloseAll(); }

int FileTable::FreeFile() const {
  for (int n = 1; n <= kMaxFileNumber; ++n)
    if (!files_.count(n)) return n;
  Raise(kErrTooManyFiles);
}

TextFile& FileTable::Open(int number, const std::filesystem::path& path, FileMode mode) {
  if (number < 1 || number > kMaxFileNumber) Raise(kErrBadFileNameOrNumber);
  if (files_.count(number)) Raise(kErrFileAlreadyOpen);
  auto file = std::make_unique<TextFile>(path, mode);
  TextFile& ref = *file;
  files_.emplace(number, std::move(file));
  return ref;
}

TextFile& FileTable::Get(int number) {
  auto it = files_.find(number);
  if (it == files_.end()) Raise(kErrBadFileNameOrNumber);
  return *it->second;
}

void FileTable::Close(int number) {
  auto it = files_.find(number);
  if (it == files_.end()) return;
  std::unique_ptr<TextFile> file = std::move(it->second);
  files_.erase(it);
  file->Close();
}

void FileTable::CloseAll() noexcept {
  for (auto& [n, f] : files_) {
    try {
      f->Close();
    } catch (...) {
    }
  }
  files_.clear();
}

}  // namespace platform
