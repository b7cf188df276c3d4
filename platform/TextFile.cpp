#include "platform/TextFile.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <utility>

#include "platform/Descriptor.h"
#include "platform/FileTrust.h"
#include "platform/NumberText.h"
#include "platform/RuntimeError.h"

namespace platform {
namespace {

// The file error number of an errno from opening a file: a file missing
// for input is "File not found", a missing folder "Path not found".
int OpenErrorNumber(int err, FileMode mode) {
  if (err == ENOENT && mode == FileMode::Input) return kErrFileNotFound;
  return FileErrorNumber(err);
}

PipeWaits& CurrentPipeWaits() {
  static PipeWaits waits;
  return waits;
}

std::function<void(const std::filesystem::path&)>& BeforeCreate() {
  static std::function<void(const std::filesystem::path&)> call;
  return call;
}

// "5 seconds", "0.2 seconds", "1 second".
std::string Seconds(std::chrono::milliseconds wait) {
  const double seconds = static_cast<double>(wait.count()) / 1000.0;
  return FormatShortest(seconds) + (seconds == 1.0 ? " second" : " seconds");
}

// Refuses (75) what is not a file to read, by its kind; a regular file and
// a named pipe pass.
void RefuseNonFile(const std::filesystem::path& path, mode_t mode) {
  if (S_ISREG(mode) || S_ISFIFO(mode)) return;
  const char* kind = KindOfFile(mode);
  Raise(kErrPathFileAccess, path.string() + (kind ? std::string(" is ") + kind + ", not a file" : " is not a file"));
}

constexpr std::chrono::milliseconds kSlice{50};

// The slices a wait takes, at least one.
long long SlicesOf(std::chrono::milliseconds wait) {
  const long long whole = wait.count() / kSlice.count();
  return std::max<long long>(1, whole + (wait.count() % kSlice.count() > 0 ? 1 : 0));
}

}  // namespace

void SetPipeWaitsForTests(PipeWaits waits) { CurrentPipeWaits() = waits; }

void SetBeforeCreateForTests(std::function<void(const std::filesystem::path&)> call) {
  BeforeCreate() = std::move(call);
}

// A named pipe read without blocking. On Linux a pipe opened so before any
// writer reads as at its end and polls as quiet until a writer comes; only
// once one has come does an empty read mean the end. Reads wait in slices,
// calling `meanwhile` between them, and fail with their reason when nothing
// comes in time.
class PipeSource {
 public:
  PipeSource(int fd, std::filesystem::path path, std::function<void()> meanwhile)
      : fd_(fd), path_(std::move(path)), waits_(CurrentPipeWaits()), meanwhile_(std::move(meanwhile)) {}
  ~PipeSource() { ::close(fd_); }
  PipeSource(const PipeSource&) = delete;
  PipeSource& operator=(const PipeSource&) = delete;

  // Returns once a program has opened the other end, written into it or
  // closed it again; raises 75 when none has within the writer wait.
  void AwaitWriter();
  // At most `size` bytes, 0 at the end; -1 once it failed, with the reason
  // kept. Called by the C library: nothing is thrown out of it.
  ssize_t Read(char* buffer, std::size_t size) noexcept;

  bool failed() const { return failure_ != 0; }
  [[noreturn]] void RaiseFailure() const {
    if (reason_.empty()) Raise(failure_);
    Raise(failure_, reason_);
  }

  static ssize_t CookieRead(void* cookie, char* buffer, std::size_t size) {
    return static_cast<PipeSource*>(cookie)->Read(buffer, size);
  }
  static int CookieClose(void* cookie) {
    const std::unique_ptr<PipeSource> self(static_cast<PipeSource*>(cookie));
    return 0;
  }

 private:
  // One slice of waiting: true when the pipe has something to tell (bytes,
  // a writer that came and went, an error), which a read then takes.
  bool PollSlice();
  ssize_t Fail(int number, std::string reason) noexcept;

  int fd_;
  std::filesystem::path path_;
  PipeWaits waits_;
  std::function<void()> meanwhile_;
  bool writerCame_ = false;
  std::string early_;  // bytes AwaitWriter took while looking for a writer
  std::size_t earlyAt_ = 0;
  int failure_ = 0;
  std::string reason_;
};

bool PipeSource::PollSlice() {
  pollfd p{fd_, POLLIN, 0};
  return ::poll(&p, 1, static_cast<int>(kSlice.count())) > 0;
}

void PipeSource::AwaitWriter() {
  for (long long slice = 1, slices = SlicesOf(waits_.writer);; ++slice) {
    if (PollSlice()) {
      writerCame_ = true;
      return;
    }
    // A writer that has opened its end but written nothing yet shows only
    // in a read, which then finds no bytes instead of the end.
    char buffer[1 << 12];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    const int err = n < 0 ? errno : 0;
    if (n > 0) early_.assign(buffer, static_cast<std::size_t>(n));
    if (n > 0 || err == EAGAIN) {
      writerCame_ = true;
      return;
    }
    if (n < 0 && err != EINTR) RaiseSystemError(err, "Cannot read " + path_.string());
    if (slice >= slices)
      Raise(kErrPathFileAccess, "No program opened the named pipe " + path_.string() + " to write into it within " +
                                    Seconds(waits_.writer));
    if (meanwhile_) meanwhile_();
  }
}

ssize_t PipeSource::Read(char* buffer, std::size_t size) noexcept {
  if (failed()) return -1;
  if (earlyAt_ < early_.size()) {
    const std::size_t n = std::min(size, early_.size() - earlyAt_);
    std::memcpy(buffer, early_.data() + earlyAt_, n);
    earlyAt_ += n;
    return static_cast<ssize_t>(n);
  }
  try {
    for (long long slice = 0, slices = SlicesOf(waits_.silence);;) {
      const ssize_t n = ::read(fd_, buffer, size);
      const int err = n < 0 ? errno : 0;
      if (n > 0) return n;
      if (n == 0 && writerCame_) return 0;  // every writer has closed its end
      if (err == EINTR) continue;
      if (n < 0 && err != EAGAIN)
        return Fail(FileErrorNumber(err), SystemErrorText(err, "Cannot read " + path_.string()));
      if (n < 0) writerCame_ = true;  // a writer, who has sent nothing yet
      if (slice++ >= slices)
        return Fail(kErrPathFileAccess, "The program writing into the named pipe " + path_.string() +
                                            " sent nothing for " + Seconds(waits_.silence));
      if (!PollSlice() && meanwhile_) meanwhile_();
    }
  } catch (const std::bad_alloc&) {
    return Fail(kErrOutOfMemory, {});
  } catch (...) {  // from `meanwhile`: the read ends, and says no more
    return Fail(kErrInternal, {});
  }
}

ssize_t PipeSource::Fail(int number, std::string reason) noexcept {
  failure_ = number;
  reason_.swap(reason);
  errno = EIO;
  return -1;
}

TextFile::TextFile(const std::filesystem::path& path, FileMode mode, std::function<void()> meanwhile)
    : path_(path), mode_(mode) {
  if (path.empty()) Raise(kErrBadFileName);
  if (mode == FileMode::Input) {
    OpenForInput(std::move(meanwhile));
    return;
  }
  OpenForOutput();
}

TextFile::TextFile(Descriptor fd, const std::filesystem::path& path, FileMode mode) : path_(path), mode_(mode) {
  if (!fd.valid()) Raise(kErrBadFileNameOrNumber);
  Adopt(std::move(fd));
}

Descriptor MakeFileAnew(const std::filesystem::path& path) {
  if (path.empty()) Raise(kErrBadFileName);
  // The user's own old file is removed first and the new one created only
  // where nothing stands, so that nothing written reaches a file that anyone
  // else made, linked or holds open.
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) {
    CheckReplaceable(path, st);
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
      RaiseSystemError(errno, "The old file " + path.string() + " cannot be removed to make it anew");
  } else if (errno != ENOENT) {
    RaiseSystemError(errno, "Cannot open " + path.string());
  }
  if (BeforeCreate()) BeforeCreate()(path);
  Descriptor fd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600));
  if (!fd.valid()) {
    const int err = errno;
    if (err == EEXIST)
      throw NameRefused(kErrPathFileAccess, path.string() + " was made by someone else while this program made it "
                                            "anew, just after it removed the old file: see who else writes into " +
                                                path.parent_path().string() + ", and remove it");
    Raise(OpenErrorNumber(err, FileMode::Output), SystemErrorText(err, "Cannot open " + path.string()));
  }
  // The umask may have taken the owner's own rights; nobody else has any.
  ::fchmod(fd.get(), 0600);
  return fd;
}

void TextFile::OpenForOutput() {
  // The files written so are the run's scratch files, which hold the whole
  // model: each run makes them anew.
  Adopt(MakeFileAnew(path_));
}

void TextFile::Adopt(Descriptor fd) {
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) RaiseSystemError(errno, "Cannot open " + path_.string());
  if (mode_ == FileMode::Input) {
    RefuseNonFile(path_, st.st_mode);
    if (S_ISREG(st.st_mode) && ::lseek(fd.get(), 0, SEEK_SET) != 0)
      RaiseSystemError(errno, "Cannot read " + path_.string());
  }
  seekable_ = S_ISREG(st.st_mode);
  file_ = ::fdopen(fd.get(), mode_ == FileMode::Output ? "wb" : "rb");
  if (!file_) RaiseSystemError(errno, "Cannot open " + path_.string());
  fd.release();  // the stream closes it now
}

void TextFile::OpenForInput(std::function<void()> meanwhile) {
  // Told apart before opening: opening a device may already act on it.
  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0) RefuseNonFile(path_, st.st_mode);
  // A named pipe must not block until a writer comes; a regular file
  // ignores the flag.
  Descriptor fd(::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (fd.get() < 0) {
    const int err = errno;
    Raise(OpenErrorNumber(err, mode_), SystemErrorText(err, "Cannot open " + path_.string()));
  }
  // What was opened, which need not be what was looked at a moment before.
  if (::fstat(fd.get(), &st) != 0) RaiseSystemError(errno, "Cannot read " + path_.string());
  RefuseNonFile(path_, st.st_mode);
  if (S_ISFIFO(st.st_mode)) {
    auto source = std::make_unique<PipeSource>(fd.release(), path_, std::move(meanwhile));
    source->AwaitWriter();
    const cookie_io_functions_t calls{PipeSource::CookieRead, nullptr, nullptr, PipeSource::CookieClose};
    file_ = ::fopencookie(source.get(), "rb", calls);
    if (!file_) Raise(kErrOutOfMemory);
    pipe_ = source.release();  // the stream owns it now
    seekable_ = false;
    return;
  }
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
    RaiseSystemError(errno, "Cannot read " + path_.string());
  file_ = ::fdopen(fd.get(), "rb");
  if (!file_) RaiseSystemError(errno, "Cannot read " + path_.string());
  fd.release();  // the stream closes it now
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

void TextFile::RaiseReadError(int err) const {
  if (pipe_ && pipe_->failed()) pipe_->RaiseFailure();
  if (path_.empty()) Raise(kErrDeviceIO);
  Raise(kErrDeviceIO, SystemErrorText(err != 0 ? err : EIO, "Cannot read " + path_.string()));
}

void TextFile::RaiseLongLine() const {
  Raise(kErrBadFileFormat, "the line is longer than " + std::to_string(longestLine_) +
                               " bytes, more than a line of this file can hold");
}

int TextFile::Next() {
  // One file is read by one thread: the stream's lock would only cost time.
  const int c = ::getc_unlocked(file_);
  if (c == EOF) {
    if (::ferror_unlocked(file_)) RaiseReadError(errno);
    return c;
  }
  ++taken_;
  if (c == '\r') {
    ++line_;
    afterCR_ = true;
    lineBytes_ = 0;
  } else if (c == '\n') {
    if (!afterCR_) ++line_;
    afterCR_ = false;
    lineBytes_ = 0;
  } else {
    afterCR_ = false;
    if (++lineBytes_ > longestLine_) RaiseLongLine();
  }
  return c;
}

int TextFile::Get() {
  CheckReadable();
  return Next();
}

int TextFile::Peek() {
  CheckReadable();
  const int c = std::fgetc(file_);
  if (c == EOF) {
    if (std::ferror(file_)) RaiseReadError(errno);
    return c;
  }
  std::ungetc(c, file_);
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
    const std::int64_t wanted = std::min(atMost, kMostReadAhead);
    auto ahead = std::make_unique<ReadAhead>();
    char buffer[1 << 16];
    for (std::int64_t have = 0; have < wanted; have = static_cast<std::int64_t>(ahead->bytes.size())) {
      const auto want = std::min<std::int64_t>(sizeof buffer, wanted - have);
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
    if (err) RaiseReadError(err);
    return got == wanted ? atMost : got;
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
