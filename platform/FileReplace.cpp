#include "platform/FileReplace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/RuntimeError.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

constexpr int kErrPathFileAccess = 75;

// A name in the target's folder that no file has yet.
fs::path TemporaryBeside(const fs::path& target) {
  const fs::path folder = target.parent_path();
  const std::string stem = ".velk" + std::to_string(static_cast<long>(::getpid())) + "-";
  for (int n = 0;; ++n) {
    fs::path candidate = folder / (stem + std::to_string(n) + ".tmp");
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate;
    if (n > 10000) Raise(kErrPathFileAccess);
  }
}

// fsync of a path opened read-only: a file's data, or a folder's entries.
void SyncPath(const fs::path& path, int openFlags) {
  const int fd = ::open(path.c_str(), openFlags | O_RDONLY | O_CLOEXEC);
  if (fd < 0) Raise(FileErrorNumber(std::error_code(errno, std::generic_category())));
  const int synced = ::fsync(fd);
  const int err = errno;
  ::close(fd);
  // Some file systems (and /dev nodes) cannot sync a folder; that is no
  // failure of the write.
  if (synced != 0 && err != EINVAL && err != ENOTSUP)
    Raise(FileErrorNumber(std::error_code(err, std::generic_category())));
}

}  // namespace

int FileErrorNumber(const std::error_code& ec) {
  switch (ec.value()) {
    case ENOENT:
    case ENOTDIR: return kErrPathNotFound;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return kErrDiskFull;
    case ENAMETOOLONG: return kErrBadFileName;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EBUSY: return kErrPathFileAccess;
    default: return kErrDeviceIO;
  }
}

void ReplaceFile(const fs::path& targetName, const std::function<void(TextFile&)>& write) {
  if (targetName.empty() || !targetName.has_filename()) Raise(kErrBadFileName);
  fs::path target = targetName;
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(target, ec))) target = fs::weakly_canonical(target, ec);
  if (ec) target = targetName;
  if (fs::is_directory(target, ec)) Raise(kErrPathFileAccess);

  const fs::path temporary = TemporaryBeside(target);
  try {
    {
      TextFile file(temporary, FileMode::Output);
      write(file);
      file.Close();
    }
    SyncPath(temporary, 0);

    const auto old = fs::status(target, ec);
    if (!ec && fs::exists(old)) fs::permissions(temporary, old.permissions(), ec);
    ec.clear();
    fs::rename(temporary, target, ec);
    if (ec) Raise(FileErrorNumber(ec));
  } catch (...) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw;
  }
  // The new file is in place; a folder that cannot be flushed leaves only the
  // rename less durable, so it is not reported as a failed write.
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  try {
    SyncPath(folder, O_DIRECTORY);
  } catch (const RuntimeError&) {
  }
}

}  // namespace platform
