#include "model/Analysis.h"

#include <exception>

#include "model/RecordIO.h"

namespace model {

void Analysis::StoreData1_4(platform::TextFile& file) const {
  RecordWriter(file).String(Title).EndLine();
  RecordWriter(file).String(Discription).EndLine();
  RecordWriter(file).String(RunID).EndLine();
  RecordWriter(file).Single(EigenValueEstimation).Single(EigenValue).EndLine();
}

void Analysis::ReadData1_4(platform::TextFile& file) {
  InRecord("Analysis record", 0, [&] {
    RecordReader r(file);
    Title = r.String("Title");
    Discription = r.String("Discription");
    RunID = r.String("RunID");
    EigenValueEstimation = r.Single("EigenValueEstimation");
    EigenValue = r.Single("EigenValue");
  });
}

void Analysis::ReadData(platform::TextFile& file) { ReadData1_4(file); }

void Analysis::StoreData1_4Option(platform::TextFile& file) const {
  RecordWriter(file)
      .Integer(MaxShift)
      .Integer(MaxCycle)
      .Single(ShiftFactor)
      .Boolean(IGSTF)
      .Boolean(ISHEAR)
      .Integer(OptionInitialB)
      .EndLine();
}

void Analysis::ReadData1_4Option(platform::TextFile& file) noexcept {
  try {
    RecordReader r(file);
    MaxShift = r.Integer();
    MaxCycle = r.Integer();
    ShiftFactor = r.Single();
    IGSTF = r.Boolean();
    ISHEAR = r.Boolean();
    OptionInitialB = r.Integer();
  } catch (const std::exception&) {
    // A damaged or short options line is not worth a message: the solver
    // options simply start from their defaults.
    MaxShift = 3;
    MaxCycle = 8;
    ShiftFactor = 0.8f;
    IGSTF = false;
    ISHEAR = false;
    OptionInitialB = 0;
  }
}

}  // namespace model
