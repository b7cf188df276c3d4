#include "platform/RuntimeError.h"

#include <cerrno>
#include <system_error>

namespace platform {

RuntimeError::RuntimeError(int number, const std::string& description)
    : std::runtime_error(description), number_(number), description_(description) {}

std::string DescribeError(int number) {
  switch (number) {
    case kErrInvalidCall: return "Invalid procedure call or argument";
    case kErrOverflow: return "Overflow";
    case kErrOutOfMemory: return "Out of memory";
    case kErrSubscript: return "Subscript out of range";
    case kErrDivideByZero: return "Division by zero";
    case kErrTypeMismatch: return "Type mismatch";
    case kErrInternal: return "Internal error";
    case kErrBadFileNameOrNumber: return "Bad file name or number";
    case kErrFileNotFound: return "File not found";
    case kErrBadFileMode: return "Bad file mode";
    case kErrFileAlreadyOpen: return "File already open";
    case kErrDeviceIO: return "Device I/O error";
    case kErrFileTooLarge: return "File too large";
    case kErrDiskFull: return "Disk full";
    case kErrInputPastEnd: return "Input past end of file";
    case kErrBadFileName: return "Bad file name";
    case kErrTooManyFiles: return "Too many files";
    case kErrDeviceUnavailable: return "Device unavailable";
    case kErrPermissionDenied: return "Permission denied";
    case kErrDiskNotReady: return "Disk not ready";
    case kErrPathFileAccess: return "Path/File access error";
    case kErrPathNotFound: return "Path not found";
    case kErrObjectNotSet: return "Object variable or With block variable not set";
    case kErrBadFileFormat: return "Invalid file format";
    case kErrNoSuchProperty: return "Object doesn't support this property or method";
    case kErrDuplicateKey: return "This key is already associated with an element of this collection";
    case kErrDialogCancelled: return "Cancel was selected.";
    default: return "Application-defined or object-defined error";
  }
}

void Raise(int number) { throw RuntimeError(number, DescribeError(number)); }

void Raise(int number, const std::string& description) { throw RuntimeError(number, description); }

int FileErrorNumber(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR: return kErrPathNotFound;
    case ENOSPC:
    case EDQUOT: return kErrDiskFull;
    case EFBIG: return kErrFileTooLarge;
    case ENAMETOOLONG: return kErrBadFileName;
    case EACCES:
    case EPERM: return kErrPermissionDenied;
    case EROFS:
    case EISDIR:
    case EBUSY:
    case ETXTBSY:
    case ENXIO:
    case ELOOP: return kErrPathFileAccess;
    case EMFILE:
    case ENFILE: return kErrTooManyFiles;
    default: return kErrDeviceIO;
  }
}

std::string SystemErrorText(int err, const std::string& what) {
  std::string text = what + ": " + std::generic_category().message(err);
  // The system's words alone read like a fault of the disk.
  if (err == EFBIG) text += " (larger than the file size limit set for this program, or than the disk allows)";
  return text;
}

void RaiseSystemError(int err, const std::string& what) {
  Raise(FileErrorNumber(err), SystemErrorText(err, what));
}

}  // namespace platform
