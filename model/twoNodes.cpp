#include "model/twoNodes.h"

#include <limits>
#include <utility>
#include <vector>

#include "model/ElementRecords.h"
#include "model/Nodes.h"
#include "model/RecordIO.h"
#include "model/ValueChecks.h"
#include "platform/NumberText.h"
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
  items_.RequireFreeNumberKeys(edges.size());
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
  RecordReader header(file);
  ElementCounts counts;
  InRecord("Stiffener header", 0,
           [&] { counts = ReadElementCounts(header, MinRecordBytes(9, 1), "stiffeners"); });
  MaxvID_ = counts.maxvID;
  const int32_t defined = ReadElementRecords(
      file, items_, counts.count, "Stiffener record", "stiffener",
      [&](twoNode& e, RecordReader& r) { e.ReadData1_4(r, nodes); },
      [](const twoNode& e) {
        return "width " + platform::FormatShortest(e.width()) + " and thickness " +
               platform::FormatShortest(e.Thickness());
      });
  InRecord("Stiffener header", 0, [&] {
    checks::CheckNumberedCount(header, counts.maxvID, defined, "stiffeners", "have their property");
  });
}

void twoNodes::ReadData(platform::TextFile& file, const Nodes& nodes) { ReadData1_4(file, nodes); }

}  // namespace model
