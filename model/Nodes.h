#pragma once
// The model's nodes in grid order (column by column) with the grid size and
// the count of nodes taking part in the analysis. Generates the grid, numbers
// the nodes for the solver and writes and reads the node part of a project
// file.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/Nodeb.h"
#include "platform/KeyedCollection.h"
#include "platform/TextFile.h"

namespace model {

class twoNodes;
class fourNodes;
class RecordReader;

class Nodes {
 public:
  short NumberNodesX() const;  // raises 6 when the stored value exceeds 16 bits
  void set_NumberNodesX(short v) { NumberNodesX_ = v; }
  short NumberNodesY() const;
  void set_NumberNodesY(short v) { NumberNodesY_ = v; }
  int32_t MaxvID() const { return MaxvID_; }

  // By 1-based position (9 outside 1..Count) or by key (5 when absent).
  Nodeb& Item(long position) const { return items_.Item(position); }
  Nodeb& Item(const std::string& key) const { return items_.Item(key); }
  long Count() const { return items_.Count(); }
  void Remove(long position) { items_.Remove(position); }
  void Remove(const std::string& key) { items_.Remove(key); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  // The largest and smallest of one stress over the numbered nodes: opt 0 Sx,
  // 1 Sy, 2 SXY, 3 Mises. Starts from -1E37 and 1E37, which any other opt
  // returns unchanged.
  void Calculate_MaxMinStress(float& maxStress, float& minStress, short opt) const;

  // The nx x ny grid of the quadrilateral with A, B the ends of the first
  // column and C, D those of the last, evenly spaced. Raises 5 for nx or ny
  // below 2, 6 for a coordinate that is not finite, 457 for a key in use; on
  // any failure nothing is added.
  void Generate(float ax, float ay, float bx, float by, float cx, float cy, float dx, float dy,
                int32_t nx, int32_t ny);
  // The same grid with columns spaced geometrically so that the last spacing
  // is the first times (dy-cy)/(by-ay). Also needs nx >= 3 and a positive
  // height ratio other than 1.
  void GenerateProportional(float ax, float ay, float bx, float by, float cx, float cy, float dx,
                            float dy, int32_t nx, int32_t ny);

  // A fresh node at (x, y) with the given ID, under sKey unless it is empty.
  Nodeb& Add(float pxcoord, float pycoord, int32_t ID, const std::string& sKey = {});

  // Marks the corners of the plates and the ends of the stiffeners whose
  // property is defined as Connected and numbers them 1.. in collection order.
  void GeneratevID(const fourNodes& plates, const twoNodes& stiffeners);
  // UvID at position k = the position of the node whose vID is k. Raises 9
  // when a vID is not a position of the collection.
  void GenerateUvID();

  // The node part of the project file. The reader refuses a file whose
  // nodes break the model's rules: an ID that is not the node's position, a
  // numbering that does not follow Connected. Into `connectedLines`, when
  // given, goes the line of each node's Connected field, for the mesh to
  // name when it finds the flag wrong once the elements are read.
  void StoreData1_4(platform::TextFile& file) const;
  void ReadData1_4(platform::TextFile& file, std::vector<std::int64_t>* connectedLines = nullptr);
  void ReadData(platform::TextFile& file, std::vector<std::int64_t>* connectedLines = nullptr);  // 1.3 records

  // The node an element record names in `field`; 9 with the reason when no
  // node stands at that position.
  Nodeb& ReadReference(RecordReader& r, std::string_view field) const;

 private:
  void AddGrid(const std::vector<float>& xs, const std::vector<float>& ys);
  template <bool Layout13>
  void ReadCollection(platform::TextFile& file, std::vector<std::int64_t>* connectedLines);

  platform::KeyedCollection<Nodeb> items_;
  int32_t NumberNodesX_ = 0;
  int32_t NumberNodesY_ = 0;
  int32_t MaxvID_ = 0;
};

}  // namespace model
