#include "model/fourNode.h"

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

using Property = checks::NamedProperty<fourNode>;
#define VELK_PROP(NAME, CONVERT) VELK_NAMED_PROPERTY(fourNode, NAME, CONVERT)

const Property kProperties[] = {
    Property{"PropertyDefined", [](const fourNode& e) { return FromBoolean(e.PropertyDefined()); },
             [](fourNode& e, double v) { e.set_PropertyDefined(ToBoolean(v)); }},
    VELK_PROP(vID, ToLong),
    VELK_PROP(UvID, ToLong),
    VELK_PROP(CPX, ToSingle),
    VELK_PROP(CPY, ToSingle),
    VELK_PROP(Thickness, ToSingle),
    VELK_PROP(ID, ToLong),
};

#undef VELK_PROP

const Property& Find(std::string_view name) { return checks::FindProperty(kProperties, name); }

}  // namespace

Nodeb& fourNode::Node1() const { return checks::NodeRef(Node_[0]); }
Nodeb& fourNode::Node2() const { return checks::NodeRef(Node_[1]); }
Nodeb& fourNode::Node3() const { return checks::NodeRef(Node_[2]); }
Nodeb& fourNode::Node4() const { return checks::NodeRef(Node_[3]); }

double fourNode::GetByName(std::string_view name) const { return Find(name).get(*this); }
void fourNode::SetByName(std::string_view name, double value) { Find(name).set(*this, value); }

void fourNode::UpdatePropertyDefined() { PropertyDefined_ = Thickness_ > 1E-5f; }

void fourNode::GenerateCP() {
  double x = 0, y = 0;
  for (int c = 0; c < 4; ++c) {
    const Nodeb& n = checks::NodeRef(Node_[c]);
    x += n.xcoord();
    y += n.ycoord();
  }
  CPX_ = static_cast<float>(x * 0.25);
  CPY_ = static_cast<float>(y * 0.25);
}

void fourNode::StoreData1_4(platform::TextFile& file) const {
  RecordWriter(file).Long(Node1().ID()).Long(Node2().ID()).Long(Node3().ID()).Long(Node4().ID()).EndLine();
  RecordWriter(file).Single(CPX_).Single(CPY_).EndLine();
  RecordWriter(file).Single(Thickness_).EndLine();
  RecordWriter(file).Boolean(PropertyDefined_).EndLine();
  RecordWriter(file).Long(ID_).Long(vID_).EndLine();
}

void fourNode::ReadData1_4(platform::TextFile& file, const Nodes& nodes) {
  RecordReader r(file);
  ReadData1_4(r, nodes);
}

void fourNode::ReadData(platform::TextFile& file, const Nodes& nodes) {
  RecordReader r(file);
  ReadData(r, nodes);
}

void fourNode::ReadData1_4(RecordReader& r, const Nodes& nodes) {
  // Read the whole record first so that a failure leaves the element as it was.
  static constexpr std::string_view kCorners[4] = {"Node1", "Node2", "Node3", "Node4"};
  fourNode e;
  for (int c = 0; c < 4; ++c) e.Node_[c] = &nodes.ReadReference(r, kCorners[c]);
  e.CPX_ = r.Single("CPX");
  e.CPY_ = r.Single("CPY");
  e.Thickness_ = r.Single("Thickness");
  e.PropertyDefined_ = r.Boolean("PropertyDefined");
  e.ID_ = r.Long("ID");
  e.vID_ = r.Long("vID");
  e.UvID_ = UvID_;
  *this = e;
}

void fourNode::ReadData(RecordReader& r, const Nodes& nodes) {
  fourNode e = *this;
  e.ReadData1_4(r, nodes);
  // The 1.3 record carries nine more values that nothing uses any longer.
  for (int k = 0; k < 9; ++k) r.Single("one of the nine values after the record");
  *this = e;
}

}  // namespace model
