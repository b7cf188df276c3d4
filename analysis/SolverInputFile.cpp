#include "analysis/SolverInputFile.h"

#include <cmath>
#include <cstdint>
#include <exception>

#include "model/RecordIO.h"
#include "platform/RuntimeError.h"
#include "platform/TextFile.h"

namespace analysis {
namespace {

constexpr long kMax16 = 32767;

// True when |v| is strictly above 1E-5, both taken in single precision.
bool Above(float v) { return std::fabs(v) > 1e-5f; }

bool PassesLoad(const model::Nodeb& n) { return Above(n.XLoad()) || Above(n.YLoad()); }
bool PassesInPlaneRestraint(const model::Nodeb& n) { return n.XTDir() != 0 || n.YTDir() != 0; }
bool PassesInPlaneSpring(const model::Nodeb& n) { return Above(n.xtstiff()) || Above(n.YTStiff()); }
bool PassesOutOfPlaneRestraint(const model::Nodeb& n) {
  return n.ZTDir() != 0 || n.XRDir() != 0 || n.YRDir() != 0;
}
bool PassesOutOfPlaneSpring(const model::Nodeb& n) {
  return Above(n.ZTStiff()) || Above(n.XRStiff()) || Above(n.YRStiff());
}

// The k-th taking-part item of a collection (in position order) must carry
// vID k, or the records of blocks 1 to 3 would read back shifted. Returns the
// number of taking-part items, or raises 9 when the numbering disagrees.
template <typename Collection>
long CheckNumbering(const Collection& items) {
  long k = 0;
  for (const auto& item : items) {
    if (item.vID() == 0) continue;
    ++k;
    if (item.vID() != k) platform::Raise(platform::kErrSubscript, "numbering out of order");
  }
  if (k > kMax16) platform::Raise(platform::kErrOverflow);
  return k;
}

// A corner's solver number, which must be a numbered node.
int32_t CornerNumber(const model::Nodeb& node, long nodeCount) {
  int32_t v = node.vID();
  if (v < 1 || v > nodeCount) platform::Raise(platform::kErrSubscript, "corner node not numbered");
  return v;
}

template <typename Collection, typename Test>
int32_t CountNodes(const Collection& nodes, Test test) {
  int32_t c = 0;
  for (const auto& n : nodes)
    if (n.vID() != 0 && test(n)) ++c;
  return c;
}

void WriteFile(platform::TextFile& file, const model::Mesh& mesh, const model::Analysis& analysis,
               const model::Material& material, long nodeCount, long plateCount,
               long stiffenerCount) {
  const model::Nodes& nodes = mesh.Nodes();
  const model::fourNodes& plates = mesh.fourNodes();
  const model::twoNodes& stiffeners = mesh.twoNodes();

  model::RecordWriter w(file);
  w.String(analysis.Title).EndLine();
  w.String(analysis.Discription).String(analysis.RunID).EndLine();
  w.Long(static_cast<int32_t>(plateCount))
      .Long(static_cast<int32_t>(stiffenerCount))
      .Long(static_cast<int32_t>(nodeCount))
      .Long(CountNodes(nodes, PassesLoad))
      .Long(CountNodes(nodes, PassesInPlaneRestraint))
      .Long(CountNodes(nodes, PassesInPlaneSpring))
      .Long(CountNodes(nodes, PassesOutOfPlaneRestraint))
      .Long(CountNodes(nodes, PassesOutOfPlaneSpring))
      .EndLine();
  w.Single(material.MOE()).Single(material.PR()).EndLine();

  short k = 0;
  for (const model::Nodeb& n : nodes) {
    if (n.vID() == 0) continue;
    ++k;
    w.Integer(k).Integer(k).Integer(1);
    w.Single(n.xcoord()).Single(n.ycoord()).Single(n.xcoord()).Single(n.ycoord()).EndLine();
  }
  k = 0;
  for (const model::fourNode& p : plates) {
    if (p.vID() == 0) continue;
    ++k;
    w.Integer(k).Integer(k).Integer(1).Integer(1);
    w.Long(CornerNumber(p.Node1(), nodeCount)).Long(CornerNumber(p.Node2(), nodeCount));
    w.Long(CornerNumber(p.Node3(), nodeCount)).Long(CornerNumber(p.Node4(), nodeCount)).EndLine();
  }
  k = 0;
  for (const model::twoNode& s : stiffeners) {
    if (s.vID() == 0) continue;
    ++k;
    w.Integer(k).Integer(k).Integer(1).Integer(1);
    w.Long(CornerNumber(s.Node1(), nodeCount)).Long(CornerNumber(s.Node2(), nodeCount)).EndLine();
  }
  for (const model::fourNode& p : plates) {
    if (p.vID() == 0) continue;
    w.Long(p.vID()).Long(p.vID()).Integer(1).Single(p.Thickness()).EndLine();
  }
  for (const model::twoNode& s : stiffeners) {
    if (s.vID() == 0) continue;
    w.Long(s.vID()).Long(s.vID()).Integer(1).Single(s.Thickness()).Single(s.width()).EndLine();
  }
  for (const model::Nodeb& n : nodes) {
    if (n.vID() == 0 || !PassesLoad(n)) continue;
    w.Long(n.vID()).Long(n.vID()).Integer(1).Single(n.XLoad()).Single(n.YLoad()).EndLine();
  }
  for (const model::Nodeb& n : nodes) {
    if (n.vID() == 0 || !PassesInPlaneRestraint(n)) continue;
    w.Long(n.vID()).Long(n.vID()).Integer(1).Integer(n.XTDir()).Integer(n.YTDir());
    w.Single(n.XTDirValue()).Single(n.YTDirValue()).EndLine();
  }
  for (const model::Nodeb& n : nodes) {
    if (n.vID() == 0 || !PassesInPlaneSpring(n)) continue;
    w.Long(n.vID()).Long(n.vID()).Integer(1).Single(n.xtstiff()).Single(n.YTStiff()).EndLine();
  }
  for (const model::Nodeb& n : nodes) {
    if (n.vID() == 0 || !PassesOutOfPlaneRestraint(n)) continue;
    w.Long(n.vID()).Long(n.vID()).Integer(1);
    w.Integer(n.ZTDir()).Integer(n.XRDir()).Integer(n.YRDir()).EndLine();
  }
  for (const model::Nodeb& n : nodes) {
    if (n.vID() == 0 || !PassesOutOfPlaneSpring(n)) continue;
    w.Long(n.vID()).Long(n.vID()).Integer(1);
    w.Single(n.ZTStiff()).Single(n.XRStiff()).Single(n.YRStiff()).EndLine();
  }
}

}  // namespace

std::filesystem::path TempInputFile(const std::filesystem::path& programFolder) {
  return programFolder / "velktempin.vlk";
}

std::filesystem::path TempOutputFile(const std::filesystem::path& programFolder) {
  return programFolder / "velktempout.vlk";
}

short Create_Input_File(model::Mesh& mesh, const model::Analysis& analysis,
                        const model::Material& material,
                        const std::filesystem::path& programFolder) {
  try {
    model::Nodes& nodes = mesh.Nodes();
    model::twoNodes& stiffeners = mesh.twoNodes();
    model::fourNodes& plates = mesh.fourNodes();
    if (nodes.Count() > kMax16 || stiffeners.Count() > kMax16 || plates.Count() > kMax16) return 0;

    nodes.GenerateUvID();
    stiffeners.GenerateUvID();
    plates.GenerateUvID();

    // The points count is counted, not taken on trust from MaxvID: the two
    // must agree, or block 1 would hold a different number of records than
    // the header announces.
    long nodeCount = CheckNumbering(nodes);
    if (nodeCount != nodes.MaxvID()) return 0;
    long plateCount = CheckNumbering(plates);
    long stiffenerCount = CheckNumbering(stiffeners);

    platform::TextFile file(TempInputFile(programFolder), platform::FileMode::Output);
    WriteFile(file, mesh, analysis, material, nodeCount, plateCount, stiffenerCount);
    file.Close();  // raises when anything written did not reach the disk
    return 1;
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace analysis
