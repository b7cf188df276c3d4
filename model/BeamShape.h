#pragma once
// The plate girder the mesh generator lays out: web and flange sizes at both
// ends (the End 2 names carry an E), length, End 2 offset, and whether the
// grid columns are spaced geometrically.
#include "platform/TextFile.h"

namespace model {

class BeamShape {
 public:
  float Web_T() const { return Web_T_; }
  void set_Web_T(float v) { Web_T_ = v; }
  float Web_H() const { return Web_H_; }
  void set_Web_H(float v) { Web_H_ = v; }
  float Top_Flange_W() const { return Top_Flange_W_; }
  void set_Top_Flange_W(float v) { Top_Flange_W_ = v; }
  float Top_Flange_T() const { return Top_Flange_T_; }
  void set_Top_Flange_T(float v) { Top_Flange_T_ = v; }
  float Length() const { return Length_; }
  void set_Length(float v) { Length_ = v; }
  float Bot_Flange_W() const { return Bot_Flange_W_; }
  void set_Bot_Flange_W(float v) { Bot_Flange_W_ = v; }
  float Bot_Flange_T() const { return Bot_Flange_T_; }
  void set_Bot_Flange_T(float v) { Bot_Flange_T_ = v; }
  float Web_TE() const { return Web_TE_; }
  void set_Web_TE(float v) { Web_TE_ = v; }
  float Web_HE() const { return Web_HE_; }
  void set_Web_HE(float v) { Web_HE_ = v; }
  float Top_Flange_WE() const { return Top_Flange_WE_; }
  void set_Top_Flange_WE(float v) { Top_Flange_WE_ = v; }
  float Top_Flange_TE() const { return Top_Flange_TE_; }
  void set_Top_Flange_TE(float v) { Top_Flange_TE_ = v; }
  float Bot_Flange_WE() const { return Bot_Flange_WE_; }
  void set_Bot_Flange_WE(float v) { Bot_Flange_WE_ = v; }
  float Bot_Flange_TE() const { return Bot_Flange_TE_; }
  void set_Bot_Flange_TE(float v) { Bot_Flange_TE_ = v; }
  float Offset() const { return Offset_; }
  void set_Offset(float v) { Offset_ = v; }
  short ProportionalMesh() const { return ProportionalMesh_; }
  void set_ProportionalMesh(short v) { ProportionalMesh_ = v; }

  // The two girder lines; 1.3 files hold none.
  void StoreData1_4(platform::TextFile& file) const;
  void ReadData1_4(platform::TextFile& file);

 private:
  float Web_T_ = 0.5f;
  float Web_H_ = 16.0f;
  float Top_Flange_W_ = 12.0f;
  float Top_Flange_T_ = 0.5f;
  float Length_ = 120.0f;
  float Bot_Flange_W_ = 12.0f;
  float Bot_Flange_T_ = 0.5f;
  float Web_TE_ = 0.5f;
  float Web_HE_ = 16.0f;
  float Top_Flange_WE_ = 12.0f;
  float Top_Flange_TE_ = 0.5f;
  float Bot_Flange_WE_ = 12.0f;
  float Bot_Flange_TE_ = 0.5f;
  float Offset_ = 0.0f;
  short ProportionalMesh_ = 0;
};

}  // namespace model
