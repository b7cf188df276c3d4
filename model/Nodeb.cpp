#include "model/Nodeb.h"

#include <cmath>

#include "model/RecordIO.h"
#include "model/ValueChecks.h"

namespace model {
namespace {

using checks::FromBoolean;
using checks::ToBoolean;
using checks::ToInteger;
using checks::ToLong;
using checks::ToSingle;

using Property = checks::NamedProperty<Nodeb>;
#define VELK_PROP(NAME, CONVERT) VELK_NAMED_PROPERTY(Nodeb, NAME, CONVERT)

const Property kProperties[] = {
    VELK_PROP(vID, ToLong),
    VELK_PROP(UvID, ToLong),
    Property{"Connected", [](const Nodeb& n) { return FromBoolean(n.Connected()); },
             [](Nodeb& n, double v) { n.set_Connected(ToBoolean(v)); }},
    VELK_PROP(InPDispX, ToSingle),
    VELK_PROP(InPDispY, ToSingle),
    VELK_PROP(xcoord, ToSingle),
    VELK_PROP(ycoord, ToSingle),
    VELK_PROP(zcoord, ToSingle),
    VELK_PROP(XTDir, ToInteger),
    VELK_PROP(YTDir, ToInteger),
    VELK_PROP(ZTDir, ToInteger),
    VELK_PROP(XRDir, ToInteger),
    VELK_PROP(YRDir, ToInteger),
    VELK_PROP(XTDirValue, ToSingle),
    VELK_PROP(YTDirValue, ToSingle),
    VELK_PROP(xtstiff, ToSingle),
    VELK_PROP(YTStiff, ToSingle),
    VELK_PROP(ZTStiff, ToSingle),
    VELK_PROP(XRStiff, ToSingle),
    VELK_PROP(YRStiff, ToSingle),
    VELK_PROP(XLoad, ToSingle),
    VELK_PROP(YLoad, ToSingle),
    VELK_PROP(ID, ToLong),
    VELK_PROP(NCP, ToInteger),
    VELK_PROP(Sx, ToSingle),
    VELK_PROP(Sy, ToSingle),
    VELK_PROP(SXY, ToSingle),
    VELK_PROP(Mises, ToSingle),
};

#undef VELK_PROP

const Property& Find(std::string_view name) { return checks::FindProperty(kProperties, name); }

constexpr float kDefinedThreshold = 1E-5f;

}  // namespace

double Nodeb::GetByName(std::string_view name) const { return Find(name).get(*this); }

void Nodeb::SetByName(std::string_view name, double value) { Find(name).set(*this, value); }

void Nodeb::UpdatePropertyDefined() {
  PropertyDefined_ = BoundaryDefined_ = BraceDefined_ = LoadDefined_ = false;
  if (XTDir_ || YTDir_ || ZTDir_ || XRDir_ || YRDir_) BoundaryDefined_ = PropertyDefined_ = true;
  // The signed sum: opposing springs cancel, as they do for the flag.
  double springs = static_cast<double>(xtstiff_) + YTStiff_ + ZTStiff_ + XRStiff_ + YRStiff_;
  if (static_cast<float>(springs) > kDefinedThreshold) BraceDefined_ = PropertyDefined_ = true;
  double loads = std::fabs(static_cast<double>(XLoad_)) + std::fabs(static_cast<double>(YLoad_));
  if (static_cast<float>(loads) > kDefinedThreshold) LoadDefined_ = PropertyDefined_ = true;
}

void Nodeb::StoreData1_4(platform::TextFile& file) const {
  RecordWriter(file).Single(xcoord_).Single(ycoord_).Single(zcoord_).Single(InPDispX_).Single(InPDispY_).EndLine();
  RecordWriter(file)
      .Boolean(PropertyDefined_)
      .Boolean(BoundaryDefined_)
      .Boolean(BraceDefined_)
      .Boolean(LoadDefined_)
      .EndLine();
  RecordWriter(file)
      .Boolean(XTDir_)
      .Boolean(YTDir_)
      .Boolean(ZTDir_)
      .Boolean(XRDir_)
      .Boolean(YRDir_)
      .Single(XTDirValue_)
      .Single(YTDirValue_)
      .Boolean(Connected_)
      .EndLine();
  RecordWriter(file).Single(xtstiff_).Single(YTStiff_).Single(ZTStiff_).Single(XRStiff_).Single(YRStiff_).EndLine();
  RecordWriter(file).Single(XLoad_).Single(YLoad_).EndLine();
  RecordWriter(file).Long(ID_).Long(vID_).Boolean(Connected_).EndLine();
  RecordWriter(file).Single(Sx_).Single(Sy_).Single(SXY_).Single(Mises_).EndLine();
}

// Lines 1 to 5, the same in both layouts. The fields are read one by one
// straight into the node, so that what was read before a failure stays.
void Nodeb::ReadCommonLines(RecordReader& r) {
  xcoord_ = r.Single("xcoord");
  ycoord_ = r.Single("ycoord");
  zcoord_ = r.Single("zcoord");
  InPDispX_ = r.Single("InPDispX");
  InPDispY_ = r.Single("InPDispY");
  PropertyDefined_ = r.Boolean("PropertyDefined");
  BoundaryDefined_ = r.Boolean("BoundaryDefined");
  BraceDefined_ = r.Boolean("BraceDefined");
  LoadDefined_ = r.Boolean("LoadDefined");
  XTDir_ = r.Boolean("XTDir");
  YTDir_ = r.Boolean("YTDir");
  ZTDir_ = r.Boolean("ZTDir");
  XRDir_ = r.Boolean("XRDir");
  YRDir_ = r.Boolean("YRDir");
  XTDirValue_ = r.Single("XTDirValue");
  YTDirValue_ = r.Single("YTDirValue");
  Connected_ = r.Boolean("Connected");
  xtstiff_ = r.Single("xtstiff");
  YTStiff_ = r.Single("YTStiff");
  ZTStiff_ = r.Single("ZTStiff");
  XRStiff_ = r.Single("XRStiff");
  YRStiff_ = r.Single("YRStiff");
  XLoad_ = r.Single("XLoad");
  YLoad_ = r.Single("YLoad");
}

void Nodeb::ReadData1_4(platform::TextFile& file) {
  RecordReader r(file);
  ReadData1_4(r);
}

void Nodeb::ReadData(platform::TextFile& file) {
  RecordReader r(file);
  ReadData(r);
}

void Nodeb::ReadData1_4(RecordReader& r) {
  ReadCommonLines(r);
  ID_ = r.Long("ID");
  vID_ = r.Long("vID");
  Connected_ = r.Boolean("Connected");
  Sx_ = r.Single("Sx");
  Sy_ = r.Single("Sy");
  SXY_ = r.Single("SXY");
  Mises_ = r.Single("Mises");
}

void Nodeb::ReadData(RecordReader& r) {
  ReadCommonLines(r);
  ID_ = r.Long("ID");
  vID_ = r.Long("vID");
  // The 1.3 layout repeats the displacements on its last line; that copy decides.
  InPDispX_ = r.Single("InPDispX");
  InPDispY_ = r.Single("InPDispY");
}

}  // namespace model
