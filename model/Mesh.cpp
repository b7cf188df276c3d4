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
// is whether Connected is what the elements make it. Node IDs are their
// positions by then.
void Mesh::CheckConnected(const std::vector<std::int64_t>& lines) const {
  std::vector<char> used(static_cast<std::size_t>(Nodes().Count()), 0);
  auto use = [&](const Nodeb& n) {
    const auto k = static_cast<std::size_t>(n.ID() - 1);
    if (n.ID() >= 1 && k < used.size()) used[k] = 1;
  };
  for (const fourNode& p : fourNodes()) {
    if (!p.PropertyDefined()) continue;
    use(p.Node1());
    use(p.Node2());
    use(p.Node3());
    use(p.Node4());
  }
  for (const twoNode& s : twoNodes()) {
    if (!s.PropertyDefined()) continue;
    use(s.Node1());
    use(s.Node2());
  }
  for (long i = 1; i <= Nodes().Count(); ++i) {
    const bool connected = used[static_cast<std::size_t>(i - 1)] != 0;
    if (Nodes().Item(i).Connected() == connected) continue;
    InRecord("Node record", i, [&] {
      RefuseAt(platform::kErrBadFileFormat, lines.at(static_cast<std::size_t>(i - 1)), "Connected",
               connected ? "#FALSE#, but a plate or stiffener with its property uses the node"
                         : "#TRUE#, but no plate or stiffener with its property uses the node");
    });
  }
}

}  // namespace model
