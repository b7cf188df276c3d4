#pragma once
// The one failure type of the program. It carries the run-time error number
// that the commands and the solver's error path dispatch on (file errors 52 to
// 76, a cancelled file dialog 32755, overflow 6, division by zero 11,
// subscript out of range 9, type mismatch 13) and a description. Every number
// the program raises is listed here and has a description of its own.
#include <stdexcept>
#include <string>

namespace platform {

enum ErrorNumber : int {
  kErrInvalidCall = 5,
  kErrOverflow = 6,
  kErrOutOfMemory = 7,
  kErrSubscript = 9,
  kErrDivideByZero = 11,
  kErrTypeMismatch = 13,
  kErrInternal = 51,  // a failure that is none of the others
  kErrBadFileNameOrNumber = 52,
  kErrFileNotFound = 53,
  kErrBadFileMode = 54,
  kErrFileAlreadyOpen = 55,
  kErrDeviceIO = 57,
  kErrFileTooLarge = 60,  // beyond the file size limit of the process or of its disk
  kErrDiskFull = 61,
  kErrInputPastEnd = 62,
  kErrBadFileName = 64,
  kErrTooManyFiles = 67,
  kErrDeviceUnavailable = 68,
  kErrPermissionDenied = 70,
  kErrDiskNotReady = 71,
  kErrPathFileAccess = 75,  // a folder, pipe or device where a file belongs; a read-only disk
  kErrPathNotFound = 76,
  kErrObjectNotSet = 91,
  kErrBadFileFormat = 321,  // a file whose records break the model's own rules
  kErrNoSuchProperty = 438,
  kErrDuplicateKey = 457,
  kErrDialogCancelled = 32755,
};

class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(int number, const std::string& description);
  int number() const noexcept { return number_; }
  const std::string& description() const noexcept { return description_; }

 private:
  int number_;
  std::string description_;
};

// Whether the number is one of the file errors (52 to 76).
constexpr bool IsFileError(int number) {
  return number >= kErrBadFileNameOrNumber && number <= kErrPathNotFound;
}

// Throws RuntimeError with the number and its standard description.
[[noreturn]] void Raise(int number);
[[noreturn]] void Raise(int number, const std::string& description);

// The file error number of an errno from a file system call.
int FileErrorNumber(int err);
// What failed and the system's reason, for a description the user reads:
// "Cannot write /home/a.inp: Permission denied".
std::string SystemErrorText(int err, const std::string& what);
// Throws the file error number of `err` with SystemErrorText as description.
[[noreturn]] void RaiseSystemError(int err, const std::string& what);

// The standard description of an error number ("Overflow", "Input past end of file").
std::string DescribeError(int number);

}  // namespace platform
