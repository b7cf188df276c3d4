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

// The turn's file, opened where it stands or made where nothing does, and
// its lock.
struct Turn {
  platform::Descriptor file;
  Lock lock = Lock::None;
  int err = 0;  // why a file that was opened could not be locked
};

// Tries to lock the turn's file for this run alone. The file is open for
// writing, which a network disk needs to lock it.
void TryLock(Turn& turn) {
  if (!turn.file.valid()) return;
  for (;;) {
    if (::flock(turn.file.get(), LOCK_EX | LOCK_NB) == 0) {
      turn.lock = Lock::Taken;
      turn.err = 0;
      return;
    }
    if (errno == EINTR) continue;
    turn.err = errno;
    turn.lock = errno == EWOULDBLOCK ? Lock::Busy : Lock::None;
    return;
  }
}

// The turn's file at `path`, the user's own and readable by the user alone,
// made where nothing stands; never opened through a link, nor when anything
// else stands there (platform::CheckKeepable raises). Not valid when no file
// can be had there (a missing folder, one where no file can be made).
platform::Descriptor OpenTurnFile(const std::filesystem::path& path) {
  struct stat st {};
  // Looked at before opening: opening a device may already act on it.
  if (::lstat(path.c_str(), &st) == 0) platform::CheckKeepable(path, st);
  platform::Descriptor fd(
      ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600));
  if (!fd.valid()) {
    if (errno == ELOOP && ::lstat(path.c_str(), &st) == 0) platform::CheckKeepable(path, st);
    return fd;
  }
  if (::fstat(fd.get(), &st) != 0) return platform::Descriptor();
  platform::CheckKeepable(path, st);
  // Anyone who could read it could hold a shared lock and so every run.
  if ((st.st_mode & 07777) != 0600 && ::fchmod(fd.get(), 0600) != 0) return platform::Descriptor();
  return fd;
}

// Whether `path` still names the file open as `fd`: a turn's file removed
// while its lock was waited for leaves the next run a new one to lock.
bool StillAtItsName(const platform::Descriptor& fd, const std::filesystem::path& path) {
  struct stat held {}, named {};
  return ::fstat(fd.get(), &held) == 0 && ::lstat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

}  // namespace

RunFiles::RunFiles(std::filesystem::path folder) : folder_(std::move(folder)) {}

std::filesystem::path RunFiles::InputPath() const { return TempInputFile(folder_); }

std::filesystem::path RunFiles::ListingPath() const { return TempOutputFile(folder_); }

std::filesystem::path RunFiles::TurnPath() const { return folder_.empty() ? folder_ : folder_ / "velkturn.lock"; }

bool RunFiles::TryTakeTurn() { return Take(nullptr); }

bool RunFiles::TakeTurn(RunUi& ui) { return Take(&ui); }

bool RunFiles::Take(RunUi* waiting) {
  if (turn_) return true;
  bool waited = false;
  Turn turn;
  for (;;) {
    turn = Turn();
    refused_ = nullptr;
    try {
      if (!folder_.empty()) turn.file = OpenTurnFile(TurnPath());
    } catch (const platform::NameRefused&) {
      refused_ = std::current_exception();
    }
    TryLock(turn);
    while (turn.lock == Lock::Busy) {
      if (!waiting) return false;
      if (!waited) waiting->Progress("Waiting for another run in " + folder_.string() + " to end...");
      waited = true;
      waiting->Yield();
      if (waiting->Cancelled()) {
        waiting->Progress("Process Interrupted...");
        return false;
      }
      std::this_thread::sleep_for(kWaitSlice);
      TryLock(turn);
    }
    if (turn.lock != Lock::Taken || StillAtItsName(turn.file, TurnPath())) break;
  }
  if (waited) waiting->Progress("Creating Input File...");
  if (turn.lock == Lock::Taken)
    lock_ = std::move(turn.file);
  else if (turn.file.valid())
    noLocks_ = turn.err;  // a disk that locks no files
  turn_ = true;
  return true;
}

void RunFiles::EndTurn() {
  turn_ = false;
  noLocks_ = 0;
  refused_ = nullptr;
  lock_.Close();  // the system lets the lock go with the last descriptor
}

void RunFiles::RequireTurn() const {
  if (!turn_) platform::Raise(platform::kErrInternal, "the run's files were made without the run's turn in " +
                                                          folder_.string());
}

void RunFiles::Refuse(const platform::NameRefused& refused, const std::filesystem::path& file) const {
  struct stat st {};
  const bool ownFile = ::lstat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
  if (noLocks_ == 0 || !ownFile) throw refused;
  throw platform::NameRefused(
      refused.number(),
      file.string() + " was made anew by someone else while this run used it: most likely by a run in another "
                      "window of this program, since runs in " + folder_.string() + " cannot take turns (" +
          platform::SystemErrorText(noLocks_, "its disk locks no files") +
          "), and the program never reads or writes what it did not make: let the run in the other window end "
          "before you press Run");
}

std::unique_ptr<platform::TextFile> RunFiles::MakeInput() {
  RequireTurn();
  if (refused_) std::rethrow_exception(refused_);
  written_.Close();
  platform::Descriptor fd;
  try {
    fd = platform::MakeFileAnew(InputPath());
  } catch (const platform::NameRefused& refused) {
    Refuse(refused, InputPath());
  }
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
  try {
    platform::CheckStillTheFileWritten(path, st);
  } catch (const platform::NameRefused& refused) {
    Refuse(refused, path);
  }
  platform::Descriptor fd(::fcntl(written_.get(), F_DUPFD_CLOEXEC, 0));
  if (!fd.valid()) platform::RaiseSystemError(errno, "Cannot read " + path.string());
  return std::make_unique<platform::TextFile>(std::move(fd), path, platform::FileMode::Input);
}

std::unique_ptr<platform::TextFile> RunFiles::MakeListing() const {
  RequireTurn();
  try {
    return std::make_unique<platform::TextFile>(ListingPath(), platform::FileMode::Output);
  } catch (const platform::NameRefused& refused) {
    Refuse(refused, ListingPath());
  }
}

std::string Busy_Folder_Detail(const std::filesystem::path& folder) {
  return "Another run is under way in " + folder.string() +
         ", where this run writes its input file and listing: wait until it has ended, and run again.";
}

}  // namespace analysis
