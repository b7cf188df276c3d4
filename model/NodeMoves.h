#pragma once
// Moves of chosen nodes along x or y: by one distance for all, or by the
// distance times a weight that grows linearly from a reference point towards a
// target point. A move is worked out whole before any node changes, so a
// result beyond single precision leaves every node where it was.
#include <vector>

namespace model {

class Mesh;
class Nodeb;

enum class MoveAxis { X, Y };

// A node's coordinates once the move is done.
struct NodePlacement {
  Nodeb* node;
  float xcoord;
  float ycoord;
};
// One entry per node moved, in the order the nodes were first moved.
using MovePlan = std::vector<NodePlacement>;

// The weight of one direction for a node at p: `coincident` when the reference
// r and the target t are the same value, else (p - r) / (t - r) as a Single.
// Raises 6 when that lies beyond single precision.
float DirectionWeight(float p, float r, float t, float coincident);

// Every node moved by d along the axis; a node listed twice moves twice.
// Raises 6 when a new coordinate lies beyond single precision.
MovePlan PlanPlainMove(const std::vector<Nodeb*>& nodes, float d, MoveAxis axis);

// Each node, in list order, moved along the axis by wx * wy * d, where wx and
// wy are the direction weights of its x and y between the reference (xr, yr)
// and the target (xt, yt). A node listed twice takes its second weights from
// its moved position. Raises 6 when a weight, shift or coordinate lies beyond
// single precision.
MovePlan PlanWeightedMove(const std::vector<Nodeb*>& nodes, float xr, float yr, float xt, float yt,
                          float d, MoveAxis axis, float coincident);

// Writes the plan's coordinates into its nodes, then recomputes the centres.
void ApplyMovePlan(const MovePlan& plan, Mesh& mesh);

// Every stiffener's and plate's centre from its nodes' present positions.
void RecomputeElementCentres(Mesh& mesh);

}  // namespace model
