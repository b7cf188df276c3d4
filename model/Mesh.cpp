#include "model/Mesh.h"

#include <string>
#include <vector>

#include "platform/RuntimeError.h"

namespace model {
namespace {

// What numbering decides for one item: whether it takes part, and its number.
struct Numbering {
  bool flag;
  int32_t vID;
  bool operator==(const Numbering&) const = default;
};

template <typename Collection, typename Flag>
std::vector<Numbering> NumberingOf(const Collection& items, Flag flag) {
  std::vector<Numbering> out;
  out.reserve(static_cast<std::size_t>(items.Count()));
  for (const auto& item : items) out.push_back({flag(item), item.vID()});
  return out;
}

[[noreturn]] void RaiseBadNumbering(const char* what) {
  platform::Raise(platform::kErrBadFileFormat, std::string("The numbering of the ") + what +
                                                   " does not follow their properties");
}

}  // namespace

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
  Nodes().ReadData1_4(file);
  twoNodes().ReadData1_4(file, Nodes());
  fourNodes().ReadData1_4(file, Nodes());
  CheckNumbering();
}

void Mesh::ReadData(platform::TextFile& file) {
  Nodes().ReadData(file);
  twoNodes().ReadData(file, Nodes());
  fourNodes().ReadData(file, Nodes());
  CheckNumbering();
}

// The stored flags and numbers are compared with what the model's own
// numbering makes of the stored sizes. The numbering runs on the mesh itself:
// where it agrees nothing changes, and a mesh that disagrees is refused.
void Mesh::CheckNumbering() {
  auto defined = [](const auto& e) { return e.PropertyDefined(); };
  auto connected = [](const Nodeb& n) { return n.Connected(); };
  const auto plates = NumberingOf(fourNodes(), defined);
  const auto stiffeners = NumberingOf(twoNodes(), defined);
  const auto nodes = NumberingOf(Nodes(), connected);
  const int32_t maxPlates = fourNodes().MaxvID();
  const int32_t maxStiffeners = twoNodes().MaxvID();
  const int32_t maxNodes = Nodes().MaxvID();

  for (fourNode& p : fourNodes()) p.UpdatePropertyDefined();
  for (twoNode& s : twoNodes()) s.UpdatePropertyDefined();
  fourNodes().GeneratevID();
  twoNodes().GeneratevID();
  Nodes().GeneratevID(fourNodes(), twoNodes());

  if (NumberingOf(fourNodes(), defined) != plates || fourNodes().MaxvID() != maxPlates)
    RaiseBadNumbering("plates");
  if (NumberingOf(twoNodes(), defined) != stiffeners || twoNodes().MaxvID() != maxStiffeners)
    RaiseBadNumbering("stiffeners");
  if (NumberingOf(Nodes(), connected) != nodes || Nodes().MaxvID() != maxNodes)
    RaiseBadNumbering("nodes");
}

}  // namespace model
