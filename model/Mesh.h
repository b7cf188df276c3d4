#pragma once
// The model's three collections: nodes, stiffeners and plates. Each is made
// empty the first time it is asked for. Writes and reads the mesh part of a
// project file, nodes first because the elements refer to them.
#include <memory>

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

  model::Nodes& Nodes() const;
  model::twoNodes& twoNodes() const;
  model::fourNodes& fourNodes() const;

  void StoreData1_4(platform::TextFile& file) const;
  void ReadData1_4(platform::TextFile& file);
  void ReadData(platform::TextFile& file);  // a 1.3 project file

 private:
  // Declared so that destruction releases the plates, the stiffeners, then
  // the nodes they refer to.
  mutable std::unique_ptr<model::Nodes> nodes_;
  mutable std::unique_ptr<model::twoNodes> twoNodes_;
  mutable std::unique_ptr<model::fourNodes> fourNodes_;
};

}  // namespace model
