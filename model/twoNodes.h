#pragma once
// The model's stiffeners in creation order, with the count of those taking
// part in the analysis: generation on every grid edge, numbering for the
// solver, stress extremes, and the stiffener part of a project file.
#include <cstdint>
#include <string>

#include "model/twoNode.h"
#include "platform/KeyedCollection.h"
#include "platform/TextFile.h"

namespace model {

class Nodes;

class twoNodes {
 public:
  twoNode& Item(long position) const { return items_.Item(position); }
  twoNode& Item(const std::string& key) const { return items_.Item(key); }
  long Count() const { return items_.Count(); }
  void Remove(long position) { items_.Remove(position); }
  void Remove(const std::string& key) { items_.Remove(key); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  int32_t MaxvID() const { return MaxvID_; }

  // Extremes of Stress over the numbered stiffeners, only for opt 0 (the Sx
  // plot); otherwise the start values -1E37 and 1E37.
  void Calculate_MaxMinStress(float& maxStress, float& minStress, short opt) const;

  // One stiffener per edge of the grid of `nodes`: first the edges along x row
  // by row, then those along y column by column. Raises 9 when the collection
  // does not hold the whole grid; on failure nothing is added.
  void Generate(const Nodes& nodes);
  twoNode& Add(Nodeb& vNode1, Nodeb& vNode2, int32_t ID, const std::string& sKey = {});
  void GenerateCP();
  void GeneratevID();
  // Raises 9 when a vID is not a position of the collection.
  void GenerateUvID();

  void StoreData1_4(platform::TextFile& file) const;
  void ReadData1_4(platform::TextFile& file, const Nodes& nodes);
  void ReadData(platform::TextFile& file, const Nodes& nodes);

 private:
  platform::KeyedCollection<twoNode> items_;
  int32_t MaxvID_ = 0;
};

}  // namespace model
