#include "model/Material.h"

#include "model/RecordIO.h"
#include "platform/RuntimeError.h"

namespace model {

void Material::StoreData1_4(platform::TextFile& file) const {
  RecordWriter(file).Single(MOE_).Single(PR_).EndLine();
}

void Material::ReadData1_4(platform::TextFile& file) {
  RecordReader r(file);
  const float moe = r.Single();
  const float pr = r.Single();
  // What the girder dialog refuses, a file may not bring in either.
  if (!UsableModulus(moe) || !UsablePoissonRatio(pr))
    platform::Raise(platform::kErrBadFileFormat, "Modulus or Poisson ratio out of range");
  MOE_ = moe;
  PR_ = pr;
}

void Material::ReadData(platform::TextFile& file) { ReadData1_4(file); }

}  // namespace model
