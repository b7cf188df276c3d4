#pragma once
// One stiffener: a two-node member along a grid edge, with its midpoint,
// sizes, the axial stress of the last run and its identifiers. The nodes
// belong to the node collection; the element only refers to them.
#include <cstdint>
#include <string_view>

#include "model/Nodeb.h"
#include "platform/TextFile.h"

namespace model {

class Nodes;
class RecordReader;

class twoNode {
 public:
  bool PropertyDefined() const { return PropertyDefined_; }
  void set_PropertyDefined(bool v) { PropertyDefined_ = v; }
  // Raise 91 while the node is not set.
  Nodeb& Node1() const;
  void set_Node1(Nodeb& n) { Node1_ = &n; }
  Nodeb& Node2() const;
  void set_Node2(Nodeb& n) { Node2_ = &n; }
  bool HasNodes() const { return Node1_ && Node2_; }
  float CPX() const { return CPX_; }
  void set_CPX(float v) { CPX_ = v; }
  float CPY() const { return CPY_; }
  void set_CPY(float v) { CPY_ = v; }
  float Thickness() const { return Thickness_; }
  void set_Thickness(float v) { Thickness_ = v; }
  float width() const { return width_; }
  void set_width(float v) { width_ = v; }
  float Stress() const { return Stress_; }
  void set_Stress(float v) { Stress_ = v; }
  int32_t vID() const { return vID_; }
  void set_vID(int32_t v) { vID_ = v; }
  int32_t UvID() const { return UvID_; }
  void set_UvID(int32_t v) { UvID_ = v; }
  int32_t ID() const { return ID_; }
  void set_ID(int32_t v) { ID_ = v; }

  // Defined when width and Thickness are both above 1E-5.
  void UpdatePropertyDefined();
  // The midpoint of the two nodes.
  void GenerateCP();

  // CPX, CPY, Thickness, width, Stress, vID, UvID, ID, PropertyDefined by
  // name (any case); 438 for another name, 6 for a value that does not fit.
  double GetByName(std::string_view name) const;
  void SetByName(std::string_view name, double value);

  // The element record; the node numbers are positions in `nodes`. A number
  // that is not a position raises 9, and the element is left unchanged.
  void StoreData1_4(platform::TextFile& file) const;
  void ReadData1_4(platform::TextFile& file, const Nodes& nodes);
  void ReadData(platform::TextFile& file, const Nodes& nodes);
  // The same through a reader of the caller's, which can then tell where
  // each field stood.
  void ReadData1_4(RecordReader& r, const Nodes& nodes);
  void ReadData(RecordReader& r, const Nodes& nodes);

 private:
  Nodeb* Node1_ = nullptr;
  Nodeb* Node2_ = nullptr;
  float CPX_ = 0, CPY_ = 0;
  float Thickness_ = 0, width_ = 0;
  bool PropertyDefined_ = false;
  float Stress_ = 0;
  int32_t vID_ = 0, ID_ = 0, UvID_ = 0;
};

}  // namespace model
