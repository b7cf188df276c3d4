#pragma once
// One grid node: position, restraints with prescribed in-plane values, brace
// springs, in-plane loads, the results a run writes back (displacements,
// mode-shape ordinate, stresses) and its identifiers. Elements refer to nodes,
// never copy them.
#include <cstdint>
#include <string_view>

#include "platform/TextFile.h"

namespace model {

class RecordReader;

class Nodeb {
 public:
  int32_t vID() const { return vID_; }
  void set_vID(int32_t v) { vID_ = v; }
  int32_t UvID() const { return UvID_; }
  void set_UvID(int32_t v) { UvID_ = v; }
  bool Connected() const { return Connected_; }
  void set_Connected(bool v) { Connected_ = v; }
  float InPDispX() const { return InPDispX_; }
  void set_InPDispX(float v) { InPDispX_ = v; }
  float InPDispY() const { return InPDispY_; }
  void set_InPDispY(float v) { InPDispY_ = v; }
  float xcoord() const { return xcoord_; }
  void set_xcoord(float v) { xcoord_ = v; }
  float ycoord() const { return ycoord_; }
  void set_ycoord(float v) { ycoord_ = v; }
  float zcoord() const { return zcoord_; }
  void set_zcoord(float v) { zcoord_ = v; }

  // Restraint flags: any nonzero value sets the restraint; a set restraint
  // reads back as -1, a free one as 0.
  short XTDir() const { return XTDir_ ? -1 : 0; }
  void set_XTDir(short v) { XTDir_ = v != 0; }
  short YTDir() const { return YTDir_ ? -1 : 0; }
  void set_YTDir(short v) { YTDir_ = v != 0; }
  short ZTDir() const { return ZTDir_ ? -1 : 0; }
  void set_ZTDir(short v) { ZTDir_ = v != 0; }
  short XRDir() const { return XRDir_ ? -1 : 0; }
  void set_XRDir(short v) { XRDir_ = v != 0; }
  short YRDir() const { return YRDir_ ? -1 : 0; }
  void set_YRDir(short v) { YRDir_ = v != 0; }

  float XTDirValue() const { return XTDirValue_; }
  void set_XTDirValue(float v) { XTDirValue_ = v; }
  float YTDirValue() const { return YTDirValue_; }
  void set_YTDirValue(float v) { YTDirValue_ = v; }
  float xtstiff() const { return xtstiff_; }
  void set_xtstiff(float v) { xtstiff_ = v; }
  float YTStiff() const { return YTStiff_; }
  void set_YTStiff(float v) { YTStiff_ = v; }
  float ZTStiff() const { return ZTStiff_; }
  void set_ZTStiff(float v) { ZTStiff_ = v; }
  float XRStiff() const { return XRStiff_; }
  void set_XRStiff(float v) { XRStiff_ = v; }
  float YRStiff() const { return YRStiff_; }
  void set_YRStiff(float v) { YRStiff_ = v; }
  float XLoad() const { return XLoad_; }
  void set_XLoad(float v) { XLoad_ = v; }
  float YLoad() const { return YLoad_; }
  void set_YLoad(float v) { YLoad_ = v; }
  int32_t ID() const { return ID_; }
  void set_ID(int32_t v) { ID_ = v; }
  short NCP() const { return NCP_; }
  void set_NCP(short v) { NCP_ = v; }
  float Sx() const { return Sx_; }
  void set_Sx(float v) { Sx_ = v; }
  float Sy() const { return Sy_; }
  void set_Sy(float v) { Sy_ = v; }
  float SXY() const { return SXY_; }
  void set_SXY(float v) { SXY_ = v; }
  float Mises() const { return Mises_; }
  void set_Mises(float v) { Mises_ = v; }

  // Which kinds of property the node carries, as last derived by
  // UpdatePropertyDefined or read from a file.
  bool PropertyDefined() const { return PropertyDefined_; }
  bool BoundaryDefined() const { return BoundaryDefined_; }
  bool BraceDefined() const { return BraceDefined_; }
  bool LoadDefined() const { return LoadDefined_; }
  void UpdatePropertyDefined();

  // Any property above by its name, as the dialogs and the clipboard reach
  // them (names compare without regard to case). Truth values read as -1/0.
  // An unknown name raises 438; a value that does not fit the property's
  // type raises 6.
  double GetByName(std::string_view name) const;
  void SetByName(std::string_view name, double value);

  void StoreData1_4(platform::TextFile& file) const;
  void ReadData1_4(platform::TextFile& file);
  void ReadData(platform::TextFile& file);  // the 1.3 record
  // The same through a reader of the caller's, which can then tell where
  // each field stood.
  void ReadData1_4(RecordReader& r);
  void ReadData(RecordReader& r);

 private:
  void ReadCommonLines(RecordReader& r);

  float xcoord_ = 0, ycoord_ = 0, zcoord_ = 0;
  float InPDispX_ = 0, InPDispY_ = 0;
  bool PropertyDefined_ = false, BoundaryDefined_ = false, BraceDefined_ = false, LoadDefined_ = false;
  bool XTDir_ = false, YTDir_ = false, ZTDir_ = false, XRDir_ = false, YRDir_ = false;
  float XTDirValue_ = 0, YTDirValue_ = 0;
  float xtstiff_ = 0, YTStiff_ = 0, ZTStiff_ = 0, XRStiff_ = 0, YRStiff_ = 0;
  float XLoad_ = 0, YLoad_ = 0;
  float Sx_ = 0, Sy_ = 0, SXY_ = 0, Mises_ = 0;
  short NCP_ = 0;
  int32_t ID_ = 0, vID_ = 0, UvID_ = 0;
  bool Connected_ = false;
};

}  // namespace model
