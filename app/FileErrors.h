#pragma once
// Explains a file failure to the user in a "Disk Error" box and turns the
// answer into what the failed command does next.
#include <exception>
#include <new>
#include <string>

#include "platform/RuntimeError.h"

namespace app {

// What a file command does after FileErrors.
enum FileErrorResult : short {
  kFileErrorRetry = 0,    // run the failed step again
  kFileErrorSkip = 1,     // go on with the next step
  kFileErrorGiveUp = 2,   // the failure is final
  kFileErrorUnknown = 3,  // not a file failure FileErrors knows
};

// The message for a file failure the "Disk Error" box explains, or nullptr.
// A refusal of rights (70), of the kind of file (75) or of its size (60) is
// none: trying again cannot mend it, and the command's own box gives its
// reason.
const char* FileErrorMessage(int errorNumber);

// Shows the message of a known failure. Where trying again can mend it the
// box has Retry and Cancel: Retry gives 0, Cancel 2; an illegal file name
// stays illegal, so its box has OK alone, which gives 2. An unknown number
// shows nothing and gives 3. There is no way to skip: a skipped step would
// leave a file that cannot be read back. A description that says more than
// the number's standard one (the file and the system's reason) is the box's
// detail.
short FileErrors(int errorNumber, const std::string& description = {});

// How one step of a file command ended.
enum class StepEnd { Done, Cancelled, GaveUp };

// Runs a step of a file command (project files, reports, listings). A
// cancelled dialog ends the command without a word; any other failure goes
// to FileErrors, whose Retry runs the step again. A step is never skipped:
// what follows it needs it complete. The caller shows its own text on
// GaveUp, with `reason` as its detail: the failure's description when no
// "Disk Error" box has shown it and it says more than the standard one,
// else empty, so that a reason is given once.
template <typename Step>
StepEnd RunStep(Step&& step, std::string* reason = nullptr) {
  for (;;) {
    int number = platform::kErrInternal;
    std::string description;
    try {
      step();
      return StepEnd::Done;
    } catch (const platform::RuntimeError& e) {
      number = e.number();
      description = e.description();
    } catch (const std::bad_alloc&) {
      number = platform::kErrOutOfMemory;
    } catch (const std::exception&) {
      number = platform::kErrInternal;
    }
    if (number == platform::kErrDialogCancelled) return StepEnd::Cancelled;
    const short result = FileErrors(number, description);
    if (result == kFileErrorRetry) continue;
    if (reason)
      *reason = result != kFileErrorUnknown || description == platform::DescribeError(number) ? std::string()
                                                                                            : description;
    return StepEnd::GaveUp;
  }
}

}  // namespace app
