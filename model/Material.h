#pragma once
// The elastic constants of the model: modulus and Poisson's ratio. No unit is
// stored or converted.
#include "platform/TextFile.h"

namespace model {

// The constants the plate and stiffener formulas can use: a positive modulus
// and a Poisson ratio in (0, 1), where 1 - PR^2 stays positive. NaN is neither.
inline bool UsableModulus(float moe) { return moe > 0.0f; }
inline bool UsablePoissonRatio(float pr) { return pr > 0.0f && pr < 1.0f; }

class Material {
 public:
  float MOE() const { return MOE_; }
  void set_MOE(float v) { MOE_ = v; }
  float PR() const { return PR_; }
  void set_PR(float v) { PR_ = v; }

  void StoreData1_4(platform::TextFile& file) const;
  // Refuses (error 321) constants the girder dialog refuses: see above.
  void ReadData1_4(platform::TextFile& file);
  void ReadData(platform::TextFile& file);  // the 1.3 line is the same

 private:
  float MOE_ = 29000.0f;
  float PR_ = 0.3f;
};

}  // namespace model
