#include "model/fourNodes.h"

#include <array>
#include <limits>
#include <vector>

#include "model/ElementRecords.h"
#include "model/Nodes.h"
#include "model/RecordIO.h"
#include "model/ValueChecks.h"
#include "platform/NumberText.h"
#include "platform/RuntimeError.h"

namespace model {

void fourNodes::UpdateMaxThickness() {
  float m = 0;
  for (const fourNode& e : items_)
    if (e.Thickness() >= m) m = e.Thickness();
  MaxThickness_ = m;
}

void fourNodes::Generate(const Nodes& nodes) {
  const long nx = nodes.NumberNodesX();
  const long ny = nodes.NumberNodesY();
  if (nx < 0 || ny < 0 || nx * ny > nodes.Count())
    platform::Raise(platform::kErrSubscript, "The node collection does not hold the whole grid");
  // Corner positions of every cell, counter-clockwise from (i, j).
  std::vector<std::array<long, 4>> cells;
  for (long i = 1; i <= nx - 1; ++i)
    for (long j = 1; j <= ny - 1; ++j) {
      long k = ny * (i - 1) + j;
      cells.push_back({k, k + ny, k + ny + 1, k + 1});
    }
  items_.RequireFreeNumberKeys(cells.size());
  for (std::size_t n = 1; n <= cells.size(); ++n) {
    const auto& c = cells[n - 1];
    Add(nodes.Item(c[0]), nodes.Item(c[1]), nodes.Item(c[2]), nodes.Item(c[3]), static_cast<int32_t>(n),
        std::to_string(n));
  }
}

fourNode& fourNodes::Add(Nodeb& Node1, Nodeb& Node2, Nodeb& Node3, Nodeb& Node4, int32_t ID,
                         const std::string& sKey) {
  auto e = std::make_unique<fourNode>();
  e->set_Node1(Node1);
  e->set_Node2(Node2);
  e->set_Node3(Node3);
  e->set_Node4(Node4);
  e->set_ID(ID);
  return items_.Add(std::move(e), sKey);
}

void fourNodes::GenerateCP() {
  for (fourNode& e : items_) e.GenerateCP();
}

void fourNodes::GeneratevID() {
  int32_t m = 0;
  for (fourNode& e : items_) e.set_vID(e.PropertyDefined() ? ++m : 0);
  MaxvID_ = m;
}

void fourNodes::GenerateUvID() {
  for (const fourNode& e : items_) checks::CheckIndex(e.vID(), 0, Count());
  for (fourNode& e : items_) e.set_UvID(0);
  for (long i = 1; i <= Count(); ++i) {
    int32_t v = items_.Item(i).vID();
    if (v != 0) items_.Item(v).set_UvID(static_cast<int32_t>(i));
  }
}

void fourNodes::StoreData1_4(platform::TextFile& file) const {
  RecordWriter(file).Single(MaxThickness_).EndLine();
  RecordWriter(file).Long(static_cast<int32_t>(Count())).Long(MaxvID_).EndLine();
  for (const fourNode& e : items_) e.StoreData1_4(file);
}

template <bool Layout13>
void fourNodes::ReadCollection(platform::TextFile& file, const Nodes& nodes) {
  RecordReader header(file);
  ElementCounts counts;
  InRecord("Plate header", 0, [&] {
    MaxThickness_ = header.Single("MaxThickness");
    counts = ReadElementCounts(header, Layout13 ? MinRecordBytes(18, 1) : MinRecordBytes(9, 1), "plates");
  });
  MaxvID_ = counts.maxvID;
  const int32_t defined = ReadElementRecords(
      file, items_, counts.count, "Plate record", "plate",
      [&](fourNode& e, RecordReader& r) {
        if constexpr (Layout13)
          e.ReadData(r, nodes);
        else
          e.ReadData1_4(r, nodes);
      },
      [](const fourNode& e) { return "thickness " + platform::FormatShortest(e.Thickness()); });
  InRecord("Plate header", 0,
           [&] { checks::CheckNumberedCount(header, counts.maxvID, defined, "plates", "have their property"); });
}

void fourNodes::ReadData1_4(platform::TextFile& file, const Nodes& nodes) { ReadCollection<false>(file, nodes); }
void fourNodes::ReadData(platform::TextFile& file, const Nodes& nodes) { ReadCollection<true>(file, nodes); }

}  // namespace model
