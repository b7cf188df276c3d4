#include "platform/RuntimeError.h"

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
    case kErrBadFileNameOrNumber: return "Bad file name or number";
    case kErrFileNotFound: return "File not found";
    case kErrBadFileMode: return "Bad file mode";
    case kErrFileAlreadyOpen: return "File already open";
    case kErrDeviceIO: return "Device I/O error";
    case kErrDiskFull: return "Disk full";
    case kErrInputPastEnd: return "Input past end of file";
    case kErrBadFileName: return "Bad file name";
    case 67: return "Too many files";
    case 75: return "Path/File access error";
    case kErrDeviceUnavailable: return "Device unavailable";
    case kErrDiskNotReady: return "Disk not ready";
    case kErrPathNotFound: return "Path not found";
    case kErrBadFileFormat: return "Invalid file format";
    case kErrDialogCancelled: return "Cancel was selected.";
    default: return "Application-defined or object-defined error";
  }
}

void Raise(int number) { throw RuntimeError(number, DescribeError(number)); }

void Raise(int number, const std::string& description) { throw RuntimeError(number, description); }

}  // namespace platform
