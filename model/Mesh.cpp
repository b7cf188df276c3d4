#include "model/Mesh.h"

namespace model {

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
}

void Mesh::ReadData(platform::TextFile& file) {
  Nodes().ReadData(file);
  twoNodes().ReadData(file, Nodes());
  fourNodes().ReadData(file, Nodes());
}

}  // namespace model
