#include "analysis/RunFailure.h"

#include <exception>

#include "analysis/SolverFailure.h"

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

// A zero pivot at equation p: the node and direction that nothing holds.
std::string PivotText(const model::Mesh& mesh, const RunPlace& place, int p) {
  const bool inPlane = place.stage == RunPlace::Stage::InPlane;
  const int perNode = inPlane ? 2 : 3;
  const long n = (p - 1) / perNode + 1;
  const int d = (p - 1) % perNode;
  static const char* const kInPlane[] = {"along x", "along y"};
  static const char* const kOutOfPlane[] = {"out of its plane (w)", "in rotation about x", "in rotation about y"};
  std::string text = "Node " + std::to_string(NodeId(mesh, n)) + " can move " +
                     (inPlane ? kInPlane[d] : kOutOfPlane[d]) + " without resistance: the " +
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

}  // namespace

std::string Failure_Detail(const platform::RuntimeError& error, const RunPlace& place, const model::Mesh& mesh) {
  const auto* failure = dynamic_cast<const SolverFailure*>(&error);
  try {
    if (place.stage == RunPlace::Stage::Sizes && error.number() == platform::kErrOverflow)
      return "The model is too large for the solver: it has " + std::to_string(mesh.Nodes().MaxvID()) +
             " nodes in the analysis and " + std::to_string(mesh.Nodes().NumberNodesY()) +
             " nodes a column, while the solver numbers at most 32767 equations, three a node (10922 nodes).";
    if (failure && failure->equation() > 0) {
      std::string text = PivotText(mesh, place, failure->equation());
      if (!failure->cause().empty()) text += "\n" + failure->cause();
      return text;
    }
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

}  // namespace analysis
