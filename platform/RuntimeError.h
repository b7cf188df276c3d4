#pragma once
// The one failure type of the program. It carries the run-time error number
// that the commands and the solver's error path dispatch on (file errors 52 to
// 76, a cancelled file dialog 32755, overflow 6, division by zero 11,
// subscript out of range 9, type mismatch 13) and a description.
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
  kErrBadFileNameOrNumber = 52,
  kErrFileNotFound = 53,
  kErrBadFileMode = 54,
  kErrFileAlreadyOpen = 55,
  kErrDeviceIO = 57,
  kErrDiskFull = 61,
  kErrInputPastEnd = 62,
  kErrBadFileName = 64,
  kErrDeviceUnavailable = 68,
  kErrDiskNotReady = 71,
  kErrPathNotFound = 76,
  kErrBadFileFormat = 321,  // a file whose records break the model's own rules
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

// Throws RuntimeError with the number and its standard description.
[[noreturn]] void Raise(int number);
[[noreturn]] void Raise(int number, const std::string& description);

// The standard description of an error number ("Overflow", "Input past end of file").
std::string DescribeError(int number);

}  // namespace platform
