#include "analysis/SolverInputFile.h"

#include <cmath>
#include <cstdint>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>

#include "analysis/SolverLimits.h"
#include "model/RecordIO.h"
#include "platform/FileTrust.h"
#include "platform/RuntimeError.h"
#include "platform/TextFile.h"

namespace analysis {
namespace {

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

// A numbering of the items that take part which the file cannot carry; its
// text names the item.
struct NumberingError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The k-th taking-part item of a collection (in position order) must carry
// vID k, or the records of blocks 1 to 3 would read back shifted. Returns the
// number of taking-part items.
template <typename Collection>
long CheckNumbering(const Collection& items, const char* kind) {
  long k = 0;
  for (const auto& item : items) {
    if (item.vID() == 0) continue;
    ++k;
    if (item.vID() != k)
      throw NumberingError(std::string(kind) + " " + std::to_string(item.ID()) + " carries the number " +
                           std::to_string(item.vID()) + " where " + std::to_string(k) + " is due");
  }
  return k;
}

// A corner's solver number, which must be a numbered node.
int32_t CornerNumber(const model::Nodeb& node, long nodeCount) {
  int32_t v = node.vID();
  if (v < 1 || v > nodeCount)
    throw NumberingError("node " + std::to_string(node.ID()) +
                         ", a corner of an element with a property, carries no number in the analysis");
  return v;
}

template <typename Collection, typename Test>
int32_t CountNodes(const Collection& nodes, Test test) {
  int32_t c = 0;
  for (const auto& n : nodes)
    if (n.vID() != 0 && test(n)) ++c;
  return c;
}

// Why a model is too large for the input file, and what to change.
std::string TooLargeText(long nodes, long stiffeners, long plates) {
  std::string over;
  auto add = [&](long count, const std::string& what) {
    if (count <= kMax16) return;
    over += (over.empty() ? "" : " and ") + std::to_string(count) + " " + what;
  };
  add(nodes, "nodes");
  add(stiffeners, "stiffener slots (one on every grid edge, with a section or not)");
  add(plates, "plate slots (one on every grid cell, with a thickness or not)");
  return "The model has " + over + "; the solver input file numbers at most " + std::to_string(kMax16) +
         " nodes, stiffeners or plates. Generate the mesh with fewer nodes: the solver takes at most " +
         std::to_string(kMaxNodes) + " nodes in the analysis (three equations a node, " + std::to_string(kMax16) +
         " equations at most), and this model has " + std::to_string(nodes) +
         " nodes.";
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
                        const model::Material& material, RunFiles& files) {
  std::string failure;
  return Create_Input_File(mesh, analysis, material, files, failure);
}

short Create_Input_File(model::Mesh& mesh, const model::Analysis& analysis,
                        const model::Material& material, RunFiles& files, std::string& failure) {
  failure.clear();
  const std::filesystem::path path = files.InputPath();
  if (files.folder().empty()) {
    failure = "The program has no folder of its own for the run's input file and listing: neither its own "
              "folder nor the per-user data folder (~/.local/share/velk) is yours alone, and none could be made "
              "in the temporary folder. Make ~/.local/share/velk a folder that only you may write, and start "
              "the program again.";
    return 0;
  }
  if (!files.TryTakeTurn()) {
    failure = Busy_Folder_Detail(files.folder());
    return 0;
  }
  try {
    model::Nodes& nodes = mesh.Nodes();
    model::twoNodes& stiffeners = mesh.twoNodes();
    model::fourNodes& plates = mesh.fourNodes();
    if (nodes.Count() > kMax16 || stiffeners.Count() > kMax16 || plates.Count() > kMax16) {
      failure = TooLargeText(nodes.Count(), stiffeners.Count(), plates.Count());
      return 0;
    }

    nodes.GenerateUvID();
    stiffeners.GenerateUvID();
    plates.GenerateUvID();

    // The points count is counted, not taken on trust from MaxvID: the two
    // must agree, or block 1 would hold a different number of records than
    // the header announces.
    long nodeCount = CheckNumbering(nodes, "Node");
    if (nodeCount != nodes.MaxvID())
      throw NumberingError(std::to_string(nodeCount) + " nodes are numbered, while the model counts " +
                           std::to_string(nodes.MaxvID()));
    long plateCount = CheckNumbering(plates, "Plate element");
    long stiffenerCount = CheckNumbering(stiffeners, "Stiffener element");

    const std::unique_ptr<platform::TextFile> file = files.MakeInput();
    WriteFile(*file, mesh, analysis, material, nodeCount, plateCount, stiffenerCount);
    file->Close();  // raises when anything written did not reach the disk
    return 1;
  } catch (const NumberingError& e) {
    failure = "The numbering of the items that take part in the analysis is out of date: " + std::string(e.what()) +
              ". Set the property of any plate or stiffener again (Property > Set Property): that renumbers "
              "the model.";
  } catch (const platform::RuntimeError& e) {
    if (platform::IsFileError(e.number()))
      failure = Run_File_Detail(e, path);
    else
      failure = "A value of the model cannot be written to the solver input file (" + e.description() +
                "): a coordinate, thickness, width, load, prescribed value or spring stiffness, or the "
                "material, is not a number the file can hold. Correct it and run again.";
  } catch (const std::exception& e) {
    failure = "The solver input file " + path.string() + " could not be written: " + e.what() + ".";
  }
  return 0;
}

std::string Run_File_Detail(const platform::RuntimeError& error, const std::filesystem::path& file) {
  const std::string folder = file.parent_path().string();
  // A file error raised by the file layer already names the file and the
  // system's reason, and a refusal the name it refuses (the run's turn
  // too); only a bare description needs the file in front.
  const std::string& what = error.description();
  const bool named =
      what.find(file.string()) != std::string::npos || dynamic_cast<const platform::NameRefused*>(&error);
  std::string text = (named ? what : file.string() + ": " + what) + ".";
  switch (error.number()) {
    case platform::kErrDiskFull:
      return text + " The disk that holds " + folder + " is full: free space on it and run again.";
    case platform::kErrFileNotFound:
    case platform::kErrInputPastEnd:
      return text + " The run writes this file when Run is pressed and then reads it back; another program "
                    "removed or changed it meanwhile. Run again.";
    case platform::kErrPathNotFound:
      return text + " The folder " + folder + " cannot be reached: the run writes its input file and "
                    "listing there. Make it available and run again.";
    case platform::kErrPermissionDenied:
    case platform::kErrPathFileAccess:
      // A refusal of what stands at the name says itself what to remove.
      if (dynamic_cast<const platform::NameRefused*>(&error)) return text + " Then run again.";
      return text + " The run makes its input file and listing (velktempin.vlk, velktempout.vlk) anew in the "
                    "folder " + folder + " at every run: make that folder one you may create and remove files in, "
                    "and run again.";
    default:
      return text + " The run writes its input file and listing into the folder " + folder +
             ": check that folder and its disk, and run again.";
  }
}

LoadsLeftOut Loads_Left_Out(const model::Nodes& nodes) {
  LoadsLeftOut left;
  for (const model::Nodeb& n : nodes) {
    if (n.XLoad() == 0 && n.YLoad() == 0) continue;
    if (n.vID() == 0)
      ++left.offModel;
    else if (!PassesLoad(n))
      ++left.small;
  }
  return left;
}

}  // namespace analysis
