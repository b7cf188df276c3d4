#pragma once
// Explains a file failure to the user in a "Disk Error" box and turns the
// answer into what the failed command does next.

namespace app {

// What a file command does after FileErrors.
enum FileErrorResult : short {
  kFileErrorRetry = 0,    // run the failed step again
  kFileErrorSkip = 1,     // go on with the next step
  kFileErrorGiveUp = 2,   // the failure is final
  kFileErrorUnknown = 3,  // not a file failure FileErrors knows
};

// The message for a known file failure number, or nullptr.
const char* FileErrorMessage(int errorNumber);

// Shows the message of a known failure with Retry and Cancel: Retry gives 0,
// Cancel 2. An unknown number shows nothing and gives 3. There is no way to
// skip: a skipped step would leave a file that cannot be read back.
short FileErrors(int errorNumber);

}  // namespace app
