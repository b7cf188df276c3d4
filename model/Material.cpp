#include "model/Material.h"

#include "model/RecordIO.h"

namespace model {

void Material::StoreData1_4(platform::TextFile& file) const {
  RecordWriter(file).Single(MOE_).Single(PR_).EndLine();
}

void Material::ReadData1_4(platform::TextFile& file) {
  RecordReader r(file);
  MOE_ = r.Single();
  PR_ = r.Single();
}

void Material::ReadData(platform::TextFile& file) { ReadData1_4(file); }

}  // namespace model
