#include "model/twoNode.h"

#include "model/Nodes.h"
#include "model/RecordIO.h"
#include "model/ValueChecks.h"
#include "platform/RuntimeError.h"

namespace model {
namespace {

using checks::FromBoolean;
using checks::ToBoolean;
using checks::ToLong;
using checks::ToSingle;

using Property = checks::NamedProperty<twoNode>;
#define VELK_PROP(NAME, CONVERT) VELK_NAMED_PROPERTY(twoNode, NAME, CONVERT)

const Property kProperties[] = {
    Property{"PropertyDefined", [](const twoNode& e) { return FromBoolean(e.PropertyDefined()); },
             [](twoNode& e, double v) { e.set_PropertyDefined(ToBoolean(v)); }},
    VELK_PROP(CPX, ToSingle),
    VELK_PROP(CPY, ToSingle),
    VELK_PROP(Thickness, ToSingle),
    VELK_PROP(width, ToSingle),
    VELK_PROP(Stress, ToSingle),
    VELK_PROP(vID, ToLong),
    VELK_PROP(UvID, ToLong),
    VELK_PROP(ID, ToLong),
};

#undef VELK_PROP

const Property& Find(std::string_view name) { return checks::FindProperty(kProperties, name); }

}  // namespace

Nodeb& twoNode::Node1() const { return checks::NodeRef(Node1_); }
Nodeb& twoNode::Node2() const { return checks::NodeRef(Node2_); }

double twoNode::GetByName(std::string_view name) const { return Find(name).get(*this); }
void twoNode::SetByName(std::string_view name, double value) { Find(name).set(*this, value); }

void twoNode::UpdatePropertyDefined() { PropertyDefined_ = width_ > 1E-5f && Thickness_ > 1E-5f; }

void twoNode::GenerateCP() {
  const Nodeb& a = Node1();
  const Nodeb& b = Node2();
  CPX_ = static_cast<float>((static_cast<double>(a.xcoord()) + b.xcoord()) * 0.5);
  CPY_ = static_cast<float>((static_cast<double>(a.ycoord()) + b.ycoord()) * 0.5);
}

void twoNode::StoreData1_4(platform::TextFile& file) const {
  RecordWriter(file).Long(Node1().ID()).Long(Node2().ID()).EndLine();
  RecordWriter(file).Single(CPX_).Single(CPY_).EndLine();
  RecordWriter(file).Single(Thickness_).Single(width_).EndLine();
  RecordWriter(file).Boolean(PropertyDefined_).EndLine();
  RecordWriter(file).Long(vID_).Single(Stress_).EndLine();
  RecordWriter(file).Long(ID_).EndLine();
}

void twoNode::ReadData1_4(platform::TextFile& file, const Nodes& nodes) {
  RecordReader r(file);
  ReadData1_4(r, nodes);
}

void twoNode::ReadData(platform::TextFile& file, const Nodes& nodes) { ReadData1_4(file, nodes); }

void twoNode::ReadData1_4(RecordReader& r, const Nodes& nodes) {
  // Read the whole record first so that a failure leaves the element as it was.
  Nodeb& n1 = nodes.ReadReference(r, "Node1");
  Nodeb& n2 = nodes.ReadReference(r, "Node2");
  twoNode e;
  e.CPX_ = r.Single("CPX");
  e.CPY_ = r.Single("CPY");
  e.Thickness_ = r.Single("Thickness");
  e.width_ = r.Single("width");
  e.PropertyDefined_ = r.Boolean("PropertyDefined");
  e.vID_ = r.Long("vID");
  e.Stress_ = r.Single("Stress");
  e.ID_ = r.Long("ID");
  e.Node1_ = &n1;
  e.Node2_ = &n2;
  e.UvID_ = UvID_;
  *this = e;
}

void twoNode::ReadData(RecordReader& r, const Nodes& nodes) { ReadData1_4(r, nodes); }

}  // namespace model
