#include "model/twoNodes.h"

#include <limits>
#include <utility>
#include <vector>

#include "model/Nodes.h"
#include "model/RecordIO.h"
#include "model/ValueChecks.h"
#include "platform/RuntimeError.h"

namespace model {

void twoNodes::Calculate_MaxMinStress(float& maxStress, float& minStress, short opt) const {
  maxStress = -1E37f;
  minStress = 1E37f;
  if (opt != 0) return;
  for (const twoNode& e : items_) {
    if (e.vID() == 0) continue;
    if (e.Stress() > maxStress) maxStress = e.Stress();
    if (e.Stress() < minStress) minStress = e.Stress();
  }
}

void twoNodes::Generate(const Nodes& nodes) {
  const long nx = nodes.NumberNodesX();
  const long ny = nodes.NumberNodesY();
  if (nx < 0 || ny < 0 || nx * ny > nodes.Count())
    platform::Raise(platform::kErrSubscript, "The node collection does not hold the whole grid");
  // Positions of the two ends of every grid edge, in numbering order.
  std::vector<std::pair<long, long>> edges;
  for (long j = 1; j <= ny; ++j)
    for (long i = 1; i <= nx - 1; ++i) {
      long k = ny * (i - 1) + j;
      edges.emplace_back(k, k + ny);
    }
  for (long i = 1; i <= nx; ++i)
    for (long j = 1; j <= ny - 1; ++j) {
      long k = ny * (i - 1) + j;
      edges.emplace_back(k, k + 1);
    }
  for (std::size_t n = 1; n <= edges.size(); ++n)
    if (items_.Contains(std::to_string(n)))
      platform::Raise(platform::kErrDuplicateKey);
  for (std::size_t n = 1; n <= edges.size(); ++n)
    Add(nodes.Item(edges[n - 1].first), nodes.Item(edges[n - 1].second), static_cast<int32_t>(n),
        std::to_string(n));
}

twoNode& twoNodes::Add(Nodeb& vNode1, Nodeb& vNode2, int32_t ID, const std::string& sKey) {
  auto e = std::make_unique<twoNode>();
  e->set_Node1(vNode1);
  e->set_Node2(vNode2);
  e->set_ID(ID);
  return items_.Add(std::move(e), sKey);
}

void twoNodes::GenerateCP() {
  for (twoNode& e : items_) e.GenerateCP();
}

void twoNodes::GeneratevID() {
  int32_t m = 0;
  for (twoNode& e : items_) e.set_vID(e.PropertyDefined() ? ++m : 0);
  MaxvID_ = m;
}

void twoNodes::GenerateUvID() {
  for (const twoNode& e : items_) checks::CheckIndex(e.vID(), 0, Count());
  for (twoNode& e : items_) e.set_UvID(0);
  for (long i = 1; i <= Count(); ++i) {
    int32_t v = items_.Item(i).vID();
    if (v != 0) items_.Item(v).set_UvID(static_cast<int32_t>(i));
  }
}

void twoNodes::StoreData1_4(platform::TextFile& file) const {
  RecordWriter(file).Long(static_cast<int32_t>(Count())).Long(MaxvID_).EndLine();
  for (const twoNode& e : items_) e.StoreData1_4(file);
}

void twoNodes::ReadData1_4(platform::TextFile& file, const Nodes& nodes) {
  RecordReader r(file);
  int32_t count = checks::CheckCount(r.Long(), std::numeric_limits<int32_t>::max());
  MaxvID_ = checks::CheckCount(r.Long(), count);
  for (int32_t i = 1; i <= count; ++i) {
    // An element joins the collection only once its record is whole and its
    // nodes exist; the elements are made one by one as the file backs them.
    auto e = std::make_unique<twoNode>();
    e->ReadData1_4(file, nodes);
    checks::CheckIndex(e->vID(), 0, count);
    items_.Add(std::move(e), std::to_string(i));
  }
}

void twoNodes::ReadData(platform::TextFile& file, const Nodes& nodes) { ReadData1_4(file, nodes); }

}  // namespace model
