#include "analysis/RunFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <utility>

#include "analysis/SolverInputFile.h"
#include "platform/FileTrust.h"
#include "platform/RuntimeError.h"

namespace analysis {
namespace {

// How long a waiting run sleeps between its tries: short enough for Cancel
// and repaints to feel immediate, long enough to cost nothing.
constexpr std::chrono::milliseconds kWaitSlice{20};

enum class Lock { Taken, Busy, None };

// Tries to lock the folder open as `folder` for this run alone.
Lock TryLock(const platform::Descriptor& folder) {
  if (!folder.valid()) return Lock::None;
  for (;;) {
    if (::flock(folder.get(), LOCK_EX | LOCK_NB) == 0) return Lock::Taken;
    if (errno == EINTR) continue;
    return errno == EWOULDBLOCK ? Lock::Busy : Lock::None;
  }
}

platform::Descriptor OpenFolder(const std::filesystem::path& folder) {
  if (folder.empty()) return platform::Descriptor();
  return platform::Descriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

}  // namespace

RunFiles::RunFiles(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::filesystem::path RunFiles::InputPath() const { return TempInputFile(folder_); }

std::filesystem::path RunFiles::ListingPath() const { return TempOutputFile(folder_); }

bool RunFiles::TryTakeTurn() { return Take(nullptr); }

bool RunFiles::TakeTurn(RunUi& ui) { return Take(&ui); }

bool RunFiles::Take(RunUi* waiting) {
  if (turn_) return true;
  platform::Descriptor folder = OpenFolder(folder_);
  Lock lock = TryLock(folder);
  if (lock == Lock::Busy) {
    if (!waiting) return false;
    waiting->Progress("Waiting for another run in " + folder_.string() + " to end...");
    while ((lock = TryLock(folder)) == Lock::Busy) {
      waiting->Yield();
      if (waiting->Cancelled()) {
        waiting->Progress("Process Interrupted...");
        return false;
      }
      std::this_thread::sleep_for(kWaitSlice);
    }
    waiting->Progress("Creating Input File...");
  }
  if (lock == Lock::Taken) lock_ = std::move(folder);
  turn_ = true;
  return true;
}

void RunFiles::EndTurn() {
  turn_ = false;
  lock_.Close();  // the system lets the lock go with the last descriptor
}

void RunFiles::RequireTurn() const {
  if (!turn_) platform::Raise(platform::kErrInternal, "the run's files were made without the run's turn in " +
                                                          folder_.string());
}

std::unique_ptr<platform::TextFile> RunFiles::MakeInput() {
  RequireTurn();
  written_.Close();
  platform::Descriptor fd = platform::MakeFileAnew(InputPath());
  platform::Descriptor kept(::fcntl(fd.get(), F_DUPFD_CLOEXEC, 0));
  if (!kept.valid()) platform::RaiseSystemError(errno, "Cannot open " + InputPath().string());
  auto file = std::make_unique<platform::TextFile>(std::move(fd), InputPath(), platform::FileMode::Output);
  written_ = std::move(kept);
  return file;
}

std::unique_ptr<platform::TextFile> RunFiles::ReadInputBack() const {
  const std::filesystem::path path = InputPath();
  if (!written_.valid())
    platform::Raise(platform::kErrFileNotFound, "Cannot open " + path.string() + ": this run has not written it");
  struct stat st {};
  if (::fstat(written_.get(), &st) != 0) platform::RaiseSystemError(errno, "Cannot read " + path.string());
  platform::CheckStillTheFileWritten(path, st);
  platform::Descriptor fd(::fcntl(written_.get(), F_DUPFD_CLOEXEC, 0));
  if (!fd.valid()) platform::RaiseSystemError(errno, "Cannot read " + path.string());
  return std::make_unique<platform::TextFile>(std::move(fd), path, platform::FileMode::Input);
}

std::unique_ptr<platform::TextFile> RunFiles::MakeListing() const {
  RequireTurn();
  return std::make_unique<platform::TextFile>(ListingPath(), platform::FileMode::Output);
}

std::string Busy_Folder_Detail(const std::filesystem::path& folder) {
  return "Another run is under way in " + folder.string() +
         ", where this run writes its input file and listing: wait until it has ended, and run again.";
}

}  // namespace analysis
