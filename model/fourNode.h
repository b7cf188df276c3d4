#pragma once
// One plate: a four-node quadrilateral over a grid cell, with its centroid,
// thickness and identifiers. The corners belong to the node collection; the
// element only refers to them.
#include <cstdint>
#include <string_view>

#include "model/Nodeb.h"
#include "platform/TextFile.h"

namespace model {

class Nodes;
class RecordReader;

class fourNode {
 public:
  bool PropertyDefined() const { return PropertyDefined_; }
  void set_PropertyDefined(bool v) { PropertyDefined_ = v; }
  int32_t vID() const { return vID_; }
  void set_vID(int32_t v) { vID_ = v; }
  int32_t UvID() const { return UvID_; }
  void set_UvID(int32_t v) { UvID_ = v; }
  // Raise 91 while the node is not set.
  Nodeb& Node1() const;
  void set_Node1(Nodeb& n) { Node_[0] = &n; }
  Nodeb& Node2() const;
  void set_Node2(Nodeb& n) { Node_[1] = &n; }
  Nodeb& Node3() const;
  void set_Node3(Nodeb& n) { Node_[2] = &n; }
  Nodeb& Node4() const;
  void set_Node4(Nodeb& n) { Node_[3] = &n; }
  bool HasNodes() const { return Node_[0] && Node_[1] && Node_[2] && Node_[3]; }
  float CPX() const { return CPX_; }
  void set_CPX(float v) { CPX_ = v; }
  float CPY() const { return CPY_; }
  void set_CPY(float v) { CPY_ = v; }
  float Thickness() const { return Thickness_; }
  void set_Thickness(float v) { Thickness_ = v; }
  int32_t ID() const { return ID_; }
  void set_ID(int32_t v) { ID_ = v; }

  // Defined when Thickness is above 1E-5.
  void UpdatePropertyDefined();
  // The mean of the four corners.
  void GenerateCP();

  // CPX, CPY, Thickness, vID, UvID, ID, PropertyDefined by name (any case);
  // 438 for another name, 6 for a value that does not fit.
  double GetByName(std::string_view name) const;
  void SetByName(std::string_view name, double value);

  // The element record; the node numbers are positions in `nodes`. A number
  // that is not a position raises 9, and the element is left unchanged.
  // ReadData reads the 1.3 record, which carries nine more values.
  void StoreData1_4(platform::TextFile& file) const;
  void ReadData1_4(platform::TextFile& file, const Nodes& nodes);
  void ReadData(platform::TextFile& file, const Nodes& nodes);
  // The same through a reader of the caller's, which can then tell where
  // each field stood.
  void ReadData1_4(RecordReader& r, const Nodes& nodes);
  void ReadData(RecordReader& r, const Nodes& nodes);

 private:
  int32_t ID_ = 0, vID_ = 0, UvID_ = 0;
  Nodeb* Node_[4] = {nullptr, nullptr, nullptr, nullptr};
  float CPX_ = 0, CPY_ = 0;
  float Thickness_ = 0;
  bool PropertyDefined_ = false;
};

}  // namespace model
