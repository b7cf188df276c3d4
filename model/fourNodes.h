#pragma once
// The model's plates in creation order, with the largest thickness and the
// count of plates taking part in the analysis: generation on every grid cell,
// centroids, numbering for the solver, and the plate part of a project file.
#include <cstdint>
#include <string>

#include "model/fourNode.h"
#include "platform/KeyedCollection.h"
#include "platform/TextFile.h"

namespace model {

class Nodes;

class fourNodes {
 public:
  fourNode& Item(long position) const { return items_.Item(position); }
  fourNode& Item(const std::string& key) const { return items_.Item(key); }
  long Count() const { return items_.Count(); }
  void Remove(long position) { items_.Remove(position); }
  void Remove(const std::string& key) { items_.Remove(key); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  float MaxThickness() const { return MaxThickness_; }
  // max(0, largest Thickness).
  void UpdateMaxThickness();
  int32_t MaxvID() const { return MaxvID_; }

  // One plate per cell of the grid of `nodes`, column by column. Raises 9
  // when the collection does not hold the whole grid; on failure nothing is
  // added.
  void Generate(const Nodes& nodes);
  fourNode& Add(Nodeb& Node1, Nodeb& Node2, Nodeb& Node3, Nodeb& Node4, int32_t ID,
                const std::string& sKey = {});
  void GenerateCP();
  void GeneratevID();
  // Raises 9 when a vID is not a position of the collection.
  void GenerateUvID();

  void StoreData1_4(platform::TextFile& file) const;
  void ReadData1_4(platform::TextFile& file, const Nodes& nodes);
  void ReadData(platform::TextFile& file, const Nodes& nodes);

 private:
  template <bool Layout13>
  void ReadCollection(platform::TextFile& file, const Nodes& nodes);

  platform::KeyedCollection<fourNode> items_;
  float MaxThickness_ = 0;
  int32_t MaxvID_ = 0;
};

}  // namespace model
