#pragma once
// The model's three collections: nodes, stiffeners and plates. Each is made
// empty the first time it is asked for. Writes and reads the mesh part of a
// project file, nodes first because the elements refer to them.
#include <cstdint>
#include <memory>
#include <vector>

#include "model/Nodes.h"
#include "model/fourNodes.h"
#include "model/twoNodes.h"
#include "platform/TextFile.h"

namespace model {

class Mesh {
 public:
  Mesh() = default;
  Mesh(const Mesh&) = delete;
  Mesh& operator=(const Mesh&) = delete;
  // A mesh read elsewhere takes this one's place whole; its items keep their
  // addresses, and this mesh's items go in the release order below.
  Mesh(Mesh&&) noexcept = default;
  Mesh& operator=(Mesh&& other) noexcept;

  model::Nodes& Nodes() const;
  model::twoNodes& twoNodes() const;
  model::fourNodes& fourNodes() const;

  // Numbers the items that take part in the analysis: the stiffeners and
  // plates with their property, then the nodes on them, which follow from
  // the elements (vID, MaxvID, Connected).
  void GeneratevID();

  // Some numbered node or stiffener holds a stress other than 0: a run has
  // stored its stresses here, since a model that no run has touched holds none.
  bool HoldsStresses() const;

  void StoreData1_4(platform::TextFile& file) const;
  // Both readers refuse (error 321) a mesh whose stored numbering is not the
  // one the model's own rules give: an element's PropertyDefined must match
  // its sizes, vID must number the defined elements and the nodes on them
  // 1, 2, ... in collection order, and MaxvID must count them. The reason
  // names the record, line and field at fault.
  void ReadData1_4(platform::TextFile& file);
  void ReadData(platform::TextFile& file);  // a 1.3 project file

 private:
  // Each node's stored Connected against the elements with their property;
  // `lines` holds the line of each node's Connected field.
  void CheckConnected(const std::vector<std::int64_t>& lines);

  // Declared so that destruction releases the plates, the stiffeners, then
  // the nodes they refer to.
  mutable std::unique_ptr<model::Nodes> nodes_;
  mutable std::unique_ptr<model::twoNodes> twoNodes_;
  mutable std::unique_ptr<model::fourNodes> fourNodes_;
};

}  // namespace model
