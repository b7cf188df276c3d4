#include "model/NodeMoves.h"

#include <cstddef>
#include <unordered_map>

#include "model/Mesh.h"
#include "model/ValueChecks.h"

namespace model {
namespace {

// Moves the nodes one after the other on working copies of their
// coordinates; shift(x, y) gives the distance for a node now at (x, y).
template <typename Shift>
MovePlan Plan(const std::vector<Nodeb*>& nodes, MoveAxis axis, Shift shift) {
  MovePlan plan;
  std::unordered_map<const Nodeb*, std::size_t> entry;
  for (Nodeb* node : nodes) {
    auto [it, first] = entry.try_emplace(node, plan.size());
    if (first) plan.push_back({node, node->xcoord(), node->ycoord()});
    NodePlacement& p = plan[it->second];
    const float s = shift(p.xcoord, p.ycoord);
    float& c = axis == MoveAxis::X ? p.xcoord : p.ycoord;
    c = checks::NearestSingle(static_cast<double>(c) + s);
  }
  return plan;
}

}  // namespace

float DirectionWeight(float p, float r, float t, float coincident) {
  if (r == t) return coincident;
  return checks::NearestSingle((static_cast<double>(p) - r) / (static_cast<double>(t) - r));
}

MovePlan PlanPlainMove(const std::vector<Nodeb*>& nodes, float d, MoveAxis axis) {
  return Plan(nodes, axis, [d](float, float) { return d; });
}

MovePlan PlanWeightedMove(const std::vector<Nodeb*>& nodes, float xr, float yr, float xt, float yt,
                          float d, MoveAxis axis, float coincident) {
  return Plan(nodes, axis, [=](float x, float y) {
    const float wx = DirectionWeight(x, xr, xt, coincident);
    const float wy = DirectionWeight(y, yr, yt, coincident);
    return checks::NearestSingle(static_cast<double>(wx) * wy * d);
  });
}

void ApplyMovePlan(const MovePlan& plan, Mesh& mesh) {
  for (const NodePlacement& p : plan) {
    p.node->set_xcoord(p.xcoord);
    p.node->set_ycoord(p.ycoord);
  }
  RecomputeElementCentres(mesh);
}

void RecomputeElementCentres(Mesh& mesh) {
  mesh.twoNodes().GenerateCP();
  mesh.fourNodes().GenerateCP();
}

}  // namespace model
