#include "model/BeamShape.h"

#include "model/RecordIO.h"

namespace model {

// The file lists the sizes in its own order, not the order of the properties.
void BeamShape::StoreData1_4(platform::TextFile& file) const {
  RecordWriter(file)
      .Single(Bot_Flange_T_)
      .Single(Bot_Flange_W_)
      .Single(Length_)
      .Single(Top_Flange_T_)
      .Single(Top_Flange_W_)
      .Single(Web_H_)
      .Single(Web_T_)
      .EndLine();
  RecordWriter(file)
      .Single(Bot_Flange_TE_)
      .Single(Bot_Flange_WE_)
      .Single(Top_Flange_TE_)
      .Single(Top_Flange_WE_)
      .Single(Web_HE_)
      .Single(Web_TE_)
      .Single(Offset_)
      .Integer(ProportionalMesh_)
      .EndLine();
}

void BeamShape::ReadData1_4(platform::TextFile& file) {
  InRecord("Girder record", 0, [&] {
    RecordReader r(file);
    Bot_Flange_T_ = r.Single("Bot_Flange_T");
    Bot_Flange_W_ = r.Single("Bot_Flange_W");
    Length_ = r.Single("Length");
    Top_Flange_T_ = r.Single("Top_Flange_T");
    Top_Flange_W_ = r.Single("Top_Flange_W");
    Web_H_ = r.Single("Web_H");
    Web_T_ = r.Single("Web_T");
    Bot_Flange_TE_ = r.Single("Bot_Flange_TE");
    Bot_Flange_WE_ = r.Single("Bot_Flange_WE");
    Top_Flange_TE_ = r.Single("Top_Flange_TE");
    Top_Flange_WE_ = r.Single("Top_Flange_WE");
    Web_HE_ = r.Single("Web_HE");
    Web_TE_ = r.Single("Web_TE");
    Offset_ = r.Single("Offset");
    ProportionalMesh_ = r.Integer("ProportionalMesh");
  });
}

}  // namespace model
