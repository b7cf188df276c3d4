#include "model/Nodes.h"

#include <cmath>
#include <limits>
#include <new>

#include "model/RecordIO.h"
#include "model/ValueChecks.h"
#include "model/fourNodes.h"
#include "model/twoNodes.h"
#include "platform/RuntimeError.h"

namespace model {
namespace {

constexpr float kNoMax = -1E37f;
constexpr float kNoMin = 1E37f;
constexpr int32_t kMaxGridSide = std::numeric_limits<short>::max();

// The grid coordinate as stored, or 6 when it does not fit a Single.
float GridCoordinate(double v) {
  constexpr double kRoundsToInfinity = 3.4028235677973366e38;
  if (!std::isfinite(v) || std::fabs(v) >= kRoundsToInfinity)
    platform::Raise(platform::kErrOverflow, "Grid coordinate out of range");
  return checks::NearestSingle(v);
}

void CheckGridSize(int32_t nx, int32_t ny, int32_t minX) {
  if (nx < minX || ny < 2)
    platform::Raise(platform::kErrInvalidCall,
                    "The grid needs at least " + std::to_string(minX) +
                        " nodes along x and 2 along y");
  if (static_cast<int64_t>(nx) * ny > std::numeric_limits<int32_t>::max())
    platform::Raise(platform::kErrOverflow, "Too many nodes in the grid");
}

// Room for the whole grid up front; a grid too large for memory is error 7.
void Reserve(std::vector<float>& xs, std::vector<float>& ys, int32_t nx, int32_t ny) {
  try {
    xs.reserve(static_cast<std::size_t>(nx) * ny);
    ys.reserve(static_cast<std::size_t>(nx) * ny);
  } catch (const std::bad_alloc&) {
    platform::Raise(platform::kErrOutOfMemory);
  }
}

}  // namespace

short Nodes::NumberNodesX() const {
  if (NumberNodesX_ > kMaxGridSide || NumberNodesX_ < std::numeric_limits<short>::min())
    platform::Raise(platform::kErrOverflow);
  return static_cast<short>(NumberNodesX_);
}

short Nodes::NumberNodesY() const {
  if (NumberNodesY_ > kMaxGridSide || NumberNodesY_ < std::numeric_limits<short>::min())
    platform::Raise(platform::kErrOverflow);
  return static_cast<short>(NumberNodesY_);
}

void Nodes::Calculate_MaxMinStress(float& maxStress, float& minStress, short opt) const {
  maxStress = kNoMax;
  minStress = kNoMin;
  if (opt < 0 || opt > 3) return;
  for (const Nodeb& n : items_) {
    if (n.vID() == 0) continue;
    float s = opt == 0 ? n.Sx() : opt == 1 ? n.Sy() : opt == 2 ? n.SXY() : n.Mises();
    if (s > maxStress) maxStress = s;
    if (s < minStress) minStress = s;
  }
}

void Nodes::Generate(float ax, float ay, float bx, float by, float cx, float cy, float dx, float dy,
                     int32_t nx, int32_t ny) {
  CheckGridSize(nx, ny, 2);
  std::vector<float> xs, ys;
  Reserve(xs, ys, nx, ny);
  for (int32_t i = 1; i <= nx; ++i) {
    double ex = ax + (i - 1) * (static_cast<double>(cx) - ax) / (nx - 1);
    double ey = ay + (i - 1) * (static_cast<double>(cy) - ay) / (nx - 1);
    double fx = bx + (i - 1) * (static_cast<double>(dx) - bx) / (nx - 1);
    double fy = by + (i - 1) * (static_cast<double>(dy) - by) / (nx - 1);
    for (int32_t j = 1; j <= ny; ++j) {
      xs.push_back(GridCoordinate(ex + (j - 1) * (fx - ex) / (ny - 1)));
      ys.push_back(GridCoordinate(ey + (j - 1) * (fy - ey) / (ny - 1)));
    }
  }
  AddGrid(xs, ys);
}

void Nodes::GenerateProportional(float ax, float ay, float bx, float by, float cx, float cy,
                                 float dx, float dy, int32_t nx, int32_t ny) {
  CheckGridSize(nx, ny, 3);
  if (by == ay) platform::Raise(platform::kErrInvalidCall, "The first column of the grid has no height");
  double ratio = (static_cast<double>(dy) - cy) / (static_cast<double>(by) - ay);
  if (!std::isfinite(ratio) || !(ratio > 0.0) || ratio == 1.0)
    platform::Raise(platform::kErrInvalidCall,
                    "Proportional spacing needs a positive height ratio other than 1");
  double r = std::exp(std::log(ratio) / (nx - 2));
  double denominator = 1.0 - std::pow(r, nx - 1);
  if (!std::isfinite(r) || !std::isfinite(denominator) || denominator == 0.0)
    platform::Raise(platform::kErrInvalidCall, "The height ratio is too close to 1 for proportional spacing");
  std::vector<float> xs, ys;
  Reserve(xs, ys, nx, ny);
  for (int32_t i = 1; i <= nx; ++i) {
    double t = (1.0 - std::pow(r, i - 1)) / denominator;
    double ex = ax + t * (static_cast<double>(cx) - ax);
    double ey = ay + t * (static_cast<double>(cy) - ay);
    double fx = bx + t * (static_cast<double>(dx) - bx);
    double fy = by + t * (static_cast<double>(dy) - by);
    for (int32_t j = 1; j <= ny; ++j) {
      xs.push_back(GridCoordinate(ex + (j - 1) * (fx - ex) / (ny - 1)));
      ys.push_back(GridCoordinate(ey + (j - 1) * (fy - ey) / (ny - 1)));
    }
  }
  AddGrid(xs, ys);
}

// Adds the computed grid under IDs and keys 1, 2, ... only when every key is
// free, so that a failed generation leaves the collection as it was.
void Nodes::AddGrid(const std::vector<float>& xs, const std::vector<float>& ys) {
  items_.RequireFreeNumberKeys(xs.size());
  for (std::size_t n = 1; n <= xs.size(); ++n)
    Add(xs[n - 1], ys[n - 1], static_cast<int32_t>(n), std::to_string(n));
}

Nodeb& Nodes::Add(float pxcoord, float pycoord, int32_t ID, const std::string& sKey) {
  auto node = std::make_unique<Nodeb>();
  node->set_xcoord(pxcoord);
  node->set_ycoord(pycoord);
  node->set_ID(ID);
  return items_.Add(std::move(node), sKey);
}

void Nodes::GeneratevID(const fourNodes& plates, const twoNodes& stiffeners) {
  for (Nodeb& n : items_) n.set_Connected(false);
  for (const fourNode& p : plates) {
    if (!p.PropertyDefined()) continue;
    p.Node1().set_Connected(true);
    p.Node2().set_Connected(true);
    p.Node3().set_Connected(true);
    p.Node4().set_Connected(true);
  }
  for (const twoNode& s : stiffeners) {
    if (!s.PropertyDefined()) continue;
    s.Node1().set_Connected(true);
    s.Node2().set_Connected(true);
  }
  int32_t m = 0;
  for (Nodeb& n : items_) n.set_vID(n.Connected() ? ++m : 0);
  MaxvID_ = m;
}

void Nodes::GenerateUvID() {
  for (const Nodeb& n : items_) checks::CheckIndex(n.vID(), 0, Count());
  for (Nodeb& n : items_) n.set_UvID(0);
  for (long i = 1; i <= Count(); ++i) {
    int32_t v = items_.Item(i).vID();
    if (v != 0) items_.Item(v).set_UvID(static_cast<int32_t>(i));
  }
}

void Nodes::StoreData1_4(platform::TextFile& file) const {
  // The reader rebuilds exactly NX x NY nodes; any other count would leave a
  // file that cannot be read back.
  if (static_cast<int64_t>(NumberNodesX_) * NumberNodesY_ != Count())
    platform::Raise(platform::kErrInvalidCall, "The nodes do not form the grid of NumberNodesX by NumberNodesY");
  RecordWriter(file).Long(NumberNodesX_).Long(NumberNodesY_).Long(MaxvID_).EndLine();
  for (const Nodeb& n : items_) n.StoreData1_4(file);
}

template <bool Layout13>
void Nodes::ReadCollection(platform::TextFile& file, std::vector<std::int64_t>* connectedLines) {
  constexpr int64_t kRecordBytes = Layout13 ? MinRecordBytes(18, 10) : MinRecordBytes(20, 11);
  RecordReader r(file);
  int32_t nx = 0, ny = 0, maxvID = 0;
  InRecord("Node header", 0, [&] {
    auto side = [&](std::string_view field) {
      const int32_t n = r.Long(field);
      if (n < 0 || n > kMaxGridSide)
        r.Refuse(platform::kErrOverflow, field,
                 "a side of the grid holds 0 to " + std::to_string(kMaxGridSide) + " nodes, not " +
                     std::to_string(n));
      return n;
    };
    nx = side("NumberNodesX");
    ny = side("NumberNodesY");
    maxvID = r.Long("MaxvID");
    if (maxvID < 0 || maxvID > nx * ny)
      r.Refuse(platform::kErrOverflow, "MaxvID",
               "the number of nodes in the analysis must lie between 0 and the " + std::to_string(nx * ny) +
                   " nodes of the grid, not " + std::to_string(maxvID));
    if (const int64_t room = r.RoomFor(kRecordBytes, int64_t{nx} * ny); int64_t{nx} * ny > room)
      r.Refuse(platform::kErrInputPastEnd, "NumberNodesY",
               "a grid of " + std::to_string(nx) + " by " + std::to_string(ny) + " nodes needs " +
                   std::to_string(nx * ny) + " node records, but the rest of the file has room for at most " +
                   std::to_string(room));
  });
  NumberNodesX_ = nx;
  NumberNodesY_ = ny;
  MaxvID_ = maxvID;
  const int32_t total = nx * ny;
  int32_t numbered = 0;
  for (int32_t i = 1; i <= total; ++i) {
    // A node joins the collection only once its whole record is read.
    auto node = std::make_unique<Nodeb>();
    InRecord("Node record", i, [&] {
      RecordReader nr(file);
      if constexpr (Layout13)
        node->ReadData(nr);
      else
        node->ReadData1_4(nr);
      // Elements are written with their nodes' IDs and read back by position:
      // a node whose ID is not its position would move every element on it.
      if (node->ID() != i)
        nr.Refuse(platform::kErrBadFileFormat, "ID",
                  "a node's ID must be its position in the file, " + std::to_string(i) + ", not " +
                      std::to_string(node->ID()));
      checks::CheckNumber(nr, node->vID(), total, "node");
      checks::CheckNumbering(nr, node->vID(), node->Connected() ? ++numbered : 0, "connected nodes", "node");
      if (connectedLines) connectedLines->push_back(nr.LineOf("Connected"));
    });
    items_.Add(std::move(node), std::to_string(i));
  }
  InRecord("Node header", 0, [&] { checks::CheckNumberedCount(r, maxvID, numbered, "nodes", "are connected"); });
}

void Nodes::ReadData1_4(platform::TextFile& file, std::vector<std::int64_t>* connectedLines) {
  ReadCollection<false>(file, connectedLines);
}

void Nodes::ReadData(platform::TextFile& file, std::vector<std::int64_t>* connectedLines) {
  ReadCollection<true>(file, connectedLines);
}

Nodeb& Nodes::ReadReference(RecordReader& r, std::string_view field) const {
  const int32_t n = r.Long(field);
  if (n < 1 || n > Count())
    r.Refuse(platform::kErrSubscript, field,
             Count() == 0 ? "the file has no nodes for an element to name"
                          : std::to_string(n) + " is not a node of the file, which has nodes 1 to " +
                                std::to_string(Count()));
  return Item(n);
}

}  // namespace model
