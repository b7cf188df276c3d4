#include "app/FileErrors.h"

#include <string>

#include "platform/MessageBox.h"
#include "platform/RuntimeError.h"

namespace app {

const char* FileErrorMessage(int errorNumber) {
  using namespace platform;
  switch (errorNumber) {
    case kErrDeviceUnavailable: return "That device appears unavailable.";
    case kErrDiskNotReady:
      return "Insert a disk in the drive "
             "and close the door.";
    case kErrDeviceIO: return "Internal disk error.";
    case kErrDiskFull: return "Disk is full. Continue?";
    case kErrBadFileNameOrNumber:
    case kErrBadFileName: return "That filename is illegal.";
    case kErrPathNotFound: return "That path doesn't exist.";
    case kErrBadFileMode:
      return "Can't open your file for that "
             "type of access.";
    case kErrFileAlreadyOpen: return "This file is already open.";
    case kErrInputPastEnd:
      // The opening quotation mark without a closing one is the message as
      // users have always seen it.
      return "This file has a nonstandard "
             "end-of-file marker, "
             "or an attempt was made \u201C"
             "to read beyond "
             "the end-of-file marker.";
    default: return nullptr;
  }
}

short FileErrors(int errorNumber, const std::string& description) {
  const char* message = FileErrorMessage(errorNumber);
  if (!message) return kFileErrorUnknown;
  // The standard description says no more than the message.
  const std::string detail =
      description == platform::DescribeError(errorNumber) ? std::string() : description;
  const bool nameStaysIllegal =
      errorNumber == platform::kErrBadFileNameOrNumber || errorNumber == platform::kErrBadFileName;
  if (nameStaysIllegal) {
    platform::MsgBox(message, platform::Buttons::Ok, platform::Icon::Exclamation, "Disk Error", detail);
    return kFileErrorGiveUp;
  }
  switch (platform::MsgBox(message, platform::Buttons::RetryCancel, platform::Icon::Exclamation,
                           "Disk Error", detail)) {
    case platform::Answer::Ok:
    case platform::Answer::Retry: return kFileErrorRetry;
    case platform::Answer::Cancel: return kFileErrorGiveUp;
    default: return kFileErrorUnknown;
  }
}

}  // namespace app
