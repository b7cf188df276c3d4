#pragma once
// Run data and the options of the eigenvalue iteration: title, description,
// run number, the eigenvalue estimate and result, and the solver switches.
// A plain state holder.
#include <string>

#include "platform/TextFile.h"

namespace model {

class Analysis {
 public:
  std::string Title = "No Title";
  std::string Discription = "No Discription";
  std::string RunID = "0";
  float EigenValueEstimation = 0.0f;
  float EigenValue = 0.0f;
  // True when EigenValue is the last estimate of an iteration that did not
  // converge. Only a run sets it; no file keeps it, so a model read from a
  // file or emptied has it false.
  bool EigenValueNotConverged = false;
  short MaxShift = 3;
  short MaxCycle = 8;
  float ShiftFactor = 0.8f;
  bool IGSTF = false;
  bool ISHEAR = false;
  short OutputOption = 1;
  short OptionInitialB = 0;

  // The four run lines of the project file (the same in 1.3 and 1.4 files).
  // The model holds the result of a run: a run leaves its eigenvalue, which
  // is never 0, and the project file keeps it. Stresses a cancelled or failed
  // first run stored are no result.
  bool HasResult() const { return EigenValue != 0.0f; }

  void StoreData1_4(platform::TextFile& file) const;
  void ReadData1_4(platform::TextFile& file);
  void ReadData(platform::TextFile& file);

  // The solver options line of the options file. The reader never fails: on
  // any read failure it puts the six options back to their defaults.
  void StoreData1_4Option(platform::TextFile& file) const;
  void ReadData1_4Option(platform::TextFile& file) noexcept;
};

}  // namespace model
