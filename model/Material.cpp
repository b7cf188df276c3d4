#include "model/Material.h"

#include "model/RecordIO.h"
#include "platform/NumberText.h"
#include "platform/RuntimeError.h"

namespace model {

void Material::StoreData1_4(platform::TextFile& file) const {
  RecordWriter(file).Single(MOE_).Single(PR_).EndLine();
}

void Material::ReadData1_4(platform::TextFile& file) {
  InRecord("Material record", 0, [&] {
    RecordReader r(file);
    // What the girder dialog refuses, a file may not bring in either.
    const float moe = r.Single("MOE");
    if (!UsableModulus(moe))
      r.Refuse(platform::kErrBadFileFormat, "MOE",
               "the elastic modulus must be above 0, not " + platform::FormatShortest(moe));
    const float pr = r.Single("PR");
    if (!UsablePoissonRatio(pr))
      r.Refuse(platform::kErrBadFileFormat, "PR",
               "Poisson's ratio must lie strictly between 0 and 1, not " + platform::FormatShortest(pr));
    MOE_ = moe;
    PR_ = pr;
  });
}

void Material::ReadData(platform::TextFile& file) { ReadData1_4(file); }

}  // namespace model
