#include "model/Mesh.h"

#include <string>
#include <vector>

#include "model/RecordIO.h"
#include "platform/RuntimeError.h"

namespace model {

Mesh& Mesh::operator=(Mesh&& other) noexcept {
  if (this == &other) return *this;
  Mesh released(std::move(*this));
  nodes_ = std::move(other.nodes_);
  twoNodes_ = std::move(other.twoNodes_);
  fourNodes_ = std::move(other.fourNodes_);
  return *this;
}

model::Nodes& Mesh::Nodes() const {
  if (!nodes_) nodes_ = std::make_unique<model::Nodes>();
  return *nodes_;
}

model::twoNodes& Mesh::twoNodes() const {
  if (!twoNodes_) twoNodes_ = std::make_unique<model::twoNodes>();
  return *twoNodes_;
}

model::fourNodes& Mesh::fourNodes() const {
  if (!fourNodes_) fourNodes_ = std::make_unique<model::fourNodes>();
  return *fourNodes_;
}

void Mesh::GeneratevID() {
  twoNodes().GeneratevID();
  fourNodes().GeneratevID();
  Nodes().GeneratevID(fourNodes(), twoNodes());
}

bool Mesh::HoldsStresses() const {
  for (const Nodeb& n : Nodes())
    if (n.vID() != 0 && (n.Sx() != 0 || n.Sy() != 0 || n.SXY() != 0 || n.Mises() != 0)) return true;
  for (const twoNode& t : twoNodes())
    if (t.vID() != 0 && t.Stress() != 0) return true;
  return false;
}

// Nodes first: the element records name their nodes by number.
void Mesh::StoreData1_4(platform::TextFile& file) const {
  Nodes().StoreData1_4(file);
  twoNodes().StoreData1_4(file);
  fourNodes().StoreData1_4(file);
}

void Mesh::ReadData1_4(platform::TextFile& file) {
  std::vector<std::int64_t> connectedLines;
  Nodes().ReadData1_4(file, &connectedLines);
  twoNodes().ReadData1_4(file, Nodes());
  fourNodes().ReadData1_4(file, Nodes());
  CheckConnected(connectedLines);
}

void Mesh::ReadData(platform::TextFile& file) {
  std::vector<std::int64_t> connectedLines;
  Nodes().ReadData(file, &connectedLines);
  twoNodes().ReadData(file, Nodes());
  fourNodes().ReadData(file, Nodes());
  CheckConnected(connectedLines);
}

// The element readers have checked each element's flag and numbering, and the
// node reader each node's number against its stored Connected; what is left
// is whether Connected is what the elements make it, so the stored flags must
// come through renumbering unchanged.
void Mesh::CheckConnected(const std::vector<std::int64_t>& lines) {
  std::vector<char> stored;
  stored.reserve(static_cast<std::size_t>(Nodes().Count()));
  for (const Nodeb& n : Nodes()) stored.push_back(n.Connected() ? 1 : 0);
  GeneratevID();
  for (long i = 1; i <= Nodes().Count(); ++i) {
    const bool connected = Nodes().Item(i).Connected();
    if ((stored[static_cast<std::size_t>(i - 1)] != 0) == connected) continue;
    InRecord("Node record", i, [&] {
      RefuseAt(platform::kErrBadFileFormat, lines.at(static_cast<std::size_t>(i - 1)), "Connected",
               connected ? "#FALSE#, but a plate or stiffener with its property uses the node"
                         : "#TRUE#, but no plate or stiffener with its property uses the node");
    });
  }
}

}  // namespace model
