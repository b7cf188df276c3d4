#include "analysis/RunFailure.h"

#include <exception>

#include "analysis/SolverFailure.h"
#include "analysis/SolverInputFile.h"
#include "analysis/SolverLimits.h"

namespace analysis {
namespace {

// The ID of the node whose solver number is n.
long NodeId(const model::Mesh& mesh, long n) {
  const model::Nodes& nodes = mesh.Nodes();
  return nodes.Item(nodes.Item(n).UvID()).ID();
}

// "Plate element 17 (nodes 18, 19, 30, 29)" for the plate or stiffener whose
// solver number is e.
std::string ElementText(const model::Mesh& mesh, char kind, long e) {
  std::string text;
  std::string nodes;
  long id = 0;
  if (kind == 'P') {
    const model::fourNode& p = mesh.fourNodes().Item(mesh.fourNodes().Item(e).UvID());
    id = p.ID();
    for (const model::Nodeb* n : {&p.Node1(), &p.Node2(), &p.Node3(), &p.Node4()})
      nodes += (nodes.empty() ? "" : ", ") + std::to_string(n->ID());
    text = "Plate element ";
  } else {
    const model::twoNode& s = mesh.twoNodes().Item(mesh.twoNodes().Item(e).UvID());
    id = s.ID();
    nodes = std::to_string(s.Node1().ID()) + ", " + std::to_string(s.Node2().ID());
    text = "Stiffener element ";
  }
  text += std::to_string(id) + " (nodes " + nodes + ")";
  if (id != e) text += ", number " + std::to_string(e) + " in the analysis";
  return text;
}

// A zero pivot at equation p: the node and direction that nothing holds. A
// failure with a cause is the shifted stiffness's alone (the estimate is an
// eigenvalue), not a missing support.
std::string PivotText(const model::Mesh& mesh, const RunPlace& place, int p, const std::string& cause) {
  const bool inPlane = place.stage == RunPlace::Stage::InPlane;
  const int perNode = inPlane ? 2 : 3;
  const long n = (p - 1) / perNode + 1;
  const int d = (p - 1) % perNode;
  static const char* const kInPlane[] = {"along x", "along y"};
  static const char* const kOutOfPlane[] = {"out of its plane (w)", "in rotation about x", "in rotation about y"};
  const std::string node = "Node " + std::to_string(NodeId(mesh, n));
  const std::string direction = inPlane ? kInPlane[d] : kOutOfPlane[d];
  if (!cause.empty())
    return node + ", " + direction + ": the bending stiffness shifted by the estimate has no resistance there.\n" +
           "Likely cause: " + cause + ".";
  std::string text = node + " can move " + direction + " without resistance: the " +
                     (inPlane ? "in-plane" : "bending") + " stiffness there is zero.\nLikely cause: ";
  if (inPlane)
    text += place.inPlaneSupports
                ? "a missing in-plane support: the model, or a part of it, can move or turn in its plane."
                : "the model has no in-plane supports; hold it along x and y so that it cannot move as a whole.";
  else
    text += place.outOfPlaneSupports
                ? "a missing support: the model, or a part of it, can move out of its plane or turn as a "
                  "mechanism."
                : "the model has no out-of-plane supports; hold w along its supported edges.";
  return text;
}

// "3 point loads" / "1 point load".
std::string PointLoads(long n) { return std::to_string(n) + (n == 1 ? " point load" : " point loads"); }

// An iterate of zeros: the loads give the plates and stiffeners no stress.
// Loads the input file left out are named, with what to change.
std::string NoStressText(const RunPlace& place, const model::Mesh& mesh, const std::string& cause) {
  const LoadsLeftOut left = Loads_Left_Out(mesh.Nodes());
  std::string leftOut;
  if (left.small > 0)
    leftOut += PointLoads(left.small) + " below 1E-5, which the solver ignores (it keeps only loads above "
               "1E-5): give the loads larger values; the eigenvalue is the factor on them, so their scale is free.";
  if (left.offModel > 0)
    leftOut += std::string(leftOut.empty() ? "" : "\nIt also has ") + PointLoads(left.offModel) +
               (left.offModel == 1 ? " on a node that no plate or stiffener with a property holds, which takes"
                                   : " on nodes that no plate or stiffener with a property holds, which take") +
               " no part in the analysis: put the loads on nodes of the elements.";
  if (place.loads || leftOut.empty()) {
    std::string text = "Likely cause: " + cause + ".";
    if (!leftOut.empty()) text += "\nThe model also has " + leftOut;
    return text;
  }
  return "No load reaches the solver, so there is nothing to buckle. The model has " + leftOut;
}

// The model's size against the solver's 16-bit equation numbers and band width.
std::string TooLargeText(const model::Mesh& mesh) {
  const long column = mesh.Nodes().NumberNodesY();
  if (3L * (column + 2) > kMax16)
    return "The model is too large for the solver: its grid columns have " + std::to_string(column) +
           " nodes, while the band width, three equations for each node of a column and of two more, is at most " +
           std::to_string(kMax16) + " (" + std::to_string(kMax16 / 3 - 2) +
           " nodes a column). Generate the mesh with fewer nodes across the depth.";
  return "The model is too large for the solver: it has " + std::to_string(mesh.Nodes().MaxvID()) +
         " nodes in the analysis and " + std::to_string(column) +
         " nodes a column, while the solver numbers at most " + std::to_string(kMax16) + " equations, three a node (" +
         std::to_string(kMaxNodes) + " nodes). Generate the mesh with fewer nodes.";
}

// Which of the run's files a file error concerns: the one being opened, else
// the input file for a read error, else the listing, the one file written.
std::filesystem::path FailedFile(const platform::RuntimeError& error, const RunPlace& place) {
  if (!place.file.empty()) return place.file;
  if (error.number() == platform::kErrFileNotFound || error.number() == platform::kErrInputPastEnd)
    return TempInputFile(place.folder);
  return TempOutputFile(place.folder);
}

}  // namespace

std::string Failure_Detail(const platform::RuntimeError& error, const RunPlace& place, const model::Mesh& mesh) {
  const auto* failure = dynamic_cast<const SolverFailure*>(&error);
  try {
    if (place.stage == RunPlace::Stage::Sizes && error.number() == platform::kErrOverflow) return TooLargeText(mesh);
    if (place.stage == RunPlace::Stage::Sizes && mesh.Nodes().MaxvID() < 1)
      return "No node takes part in the analysis: no plate has a thickness, and no stiffener a width and a "
             "thickness. Give the elements their properties (Property > Set Property) and run again.";
    if (platform::IsFileError(error.number())) return Run_File_Detail(error, FailedFile(error, place));
    if (place.stage == RunPlace::Stage::Input && !failure)
      return "The solver input file " + TempInputFile(place.folder).string() + " does not hold what the model wrote "
             "into it (" + error.description() + "): another program changed it while the run read it. Run again.";
    if (failure && failure->equation() > 0) return PivotText(mesh, place, failure->equation(), failure->cause());
    if (place.stage == RunPlace::Stage::Iteration && failure && error.number() == platform::kErrDivideByZero)
      return NoStressText(place, mesh, failure->cause());
    if (place.element && (failure || error.number() == platform::kErrOverflow)) {
      std::string text = ElementText(mesh, place.element, place.number) + ": ";
      text += failure && !failure->cause().empty() ? failure->cause() + "." : error.description() + ".";
      return text + "\nThe solver found: " + error.description() + ".";
    }
    if (failure && !failure->cause().empty()) return "Likely cause: " + failure->cause() + ".";
  } catch (const std::exception&) {
    // A model that does not match the run's numbers: the description alone.
  }
  return error.description().empty() ? platform::DescribeError(error.number()) : error.description();
}

std::string Band_Overflow_Detail(const RunPlace& place, const model::Mesh& mesh, int bw) {
  std::string element = "An element";
  try {
    if (place.element) element = ElementText(mesh, place.element, place.number);
  } catch (const std::exception&) {
  }
  return element + " joins nodes whose equations lie farther apart than the band width of " + std::to_string(bw) +
         ", which the solver sizes from the " + std::to_string(mesh.Nodes().NumberNodesY()) +
         " nodes of a grid column: the elements do not follow the model's node grid (the grid size stored "
         "with the model does not match its nodes). Generate the mesh again.";
}

std::string Too_Few_Nodes_Detail(long nodes) {
  return "The model has " + std::to_string(nodes) + (nodes == 1 ? " node" : " nodes") +
         "; an analysis needs at least 4, the corners of one plate element. Generate a mesh (Beam > Geometry) "
         "or read a project file, and run again.";
}

}  // namespace analysis
