#pragma once
// The elastic constants of the model: modulus and Poisson's ratio. No unit is
// stored or converted.
#include "platform/TextFile.h"

namespace model {

class Material {
 public:
  float MOE() const { return MOE_; }
  void set_MOE(float v) { MOE_ = v; }
  float PR() const { return PR_; }
  void set_PR(float v) { PR_ = v; }

  void StoreData1_4(platform::TextFile& file) const;
  // Refuses (error 321) a modulus of 0 or less and a Poisson ratio outside
  // (0, 0.5), as the girder dialog does.
  void ReadData1_4(platform::TextFile& file);
  void ReadData(platform::TextFile& file);  // the 1.3 line is the same

 private:
  float MOE_ = 29000.0f;
  float PR_ = 0.3f;
};

}  // namespace model
