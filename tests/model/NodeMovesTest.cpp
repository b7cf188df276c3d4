// Node moves worked out on a 3 x 3 grid over [0, 20] x [0, 10], where every
// expected coordinate follows by hand:
//   3 (0,10)  6 (10,10)  9 (20,10)
//   2 (0, 5)  5 (10, 5)  8 (20, 5)
//   1 (0, 0)  4 (10, 0)  7 (20, 0)
#include <gtest/gtest.h>

#include <vector>

#include "model/Mesh.h"
#include "model/NodeMoves.h"
#include "platform/RuntimeError.h"
#include "tests/model/MeshTestSupport.h"

namespace {

using model::MoveAxis;

class NodeMoves : public ::testing::Test {
 protected:
  void SetUp() override {
    velk_test::GenerateGrid(mesh, 0, 0, 0, 10, 20, 0, 20, 10, 3, 3);
    model::RecomputeElementCentres(mesh);
  }
  model::Nodeb* N(long position) { return &mesh.Nodes().Item(position); }
  std::vector<model::Nodeb*> All() {
    std::vector<model::Nodeb*> all;
    for (long k = 1; k <= 9; ++k) all.push_back(N(k));
    return all;
  }
  // Where a node ends up after the plan.
  static const model::NodePlacement* Find(const model::MovePlan& plan, const model::Nodeb* node) {
    for (const auto& p : plan)
      if (p.node == node) return &p;
    return nullptr;
  }
  void Apply(const model::MovePlan& plan) { model::ApplyMovePlan(plan, mesh); }

  model::Mesh mesh;
};

TEST_F(NodeMoves, DirectionWeights) {
  EXPECT_EQ(model::DirectionWeight(15, 10, 20, 1), 0.5f);
  EXPECT_EQ(model::DirectionWeight(0, 10, 20, 1), -1.0f);  // behind the reference
  EXPECT_EQ(model::DirectionWeight(30, 10, 20, 0), 2.0f);  // beyond the target
  // Reference and target on one coordinate: the move's own weight.
  EXPECT_EQ(model::DirectionWeight(7, 4, 4, 1), 1.0f);
  EXPECT_EQ(model::DirectionWeight(7, 4, 4, 0), 0.0f);
  EXPECT_THROW(model::DirectionWeight(3e38f, 0, 1e-30f, 1), platform::RuntimeError);
}

TEST_F(NodeMoves, ProportionalAlongARowStretches) {
  // Reference 1 and target 7 share y = 0, so wy = 1 and wx = x / 20.
  Apply(model::PlanWeightedMove(All(), 0, 0, 20, 0, 4, MoveAxis::X, 1));
  for (long j = 1; j <= 3; ++j) {
    EXPECT_EQ(N(j)->xcoord(), 0) << j;       // the reference's column stays
    EXPECT_EQ(N(3 + j)->xcoord(), 12) << j;  // half-way: d / 2
    EXPECT_EQ(N(6 + j)->xcoord(), 24) << j;  // the target's column: d
  }
  for (long k = 1; k <= 9; ++k) EXPECT_EQ(N(k)->ycoord(), 5 * ((k - 1) % 3)) << k;
  // The centres follow: plate 1 (nodes 1, 4, 5, 2), the stiffener 4-7.
  EXPECT_FLOAT_EQ(mesh.fourNodes().Item(1).CPX(), 6);
  EXPECT_FLOAT_EQ(mesh.twoNodes().Item(2).CPX(), 18);
}

TEST_F(NodeMoves, ProportionalAlongAColumnShears) {
  // Reference 1 and target 3 share x = 0: wx = 1 and wy = y / 10.
  Apply(model::PlanWeightedMove(All(), 0, 0, 0, 10, 2, MoveAxis::X, 1));
  EXPECT_EQ(N(4)->xcoord(), 10);
  EXPECT_EQ(N(5)->xcoord(), 11);
  EXPECT_EQ(N(6)->xcoord(), 12);
  EXPECT_EQ(N(9)->xcoord(), 22);
  // The same in y moves the nodes up in proportion to their height.
  Apply(model::PlanWeightedMove({N(5), N(6)}, 0, 0, 0, 10, 2, MoveAxis::Y, 1));
  EXPECT_EQ(N(5)->ycoord(), 6);
  EXPECT_EQ(N(6)->ycoord(), 12);
}

TEST_F(NodeMoves, TaperMovesByTheProductOfBothWeights) {
  // Reference 1, target 9: shift = 8 x y / (20 * 10).
  Apply(model::PlanWeightedMove(All(), 0, 0, 20, 10, 8, MoveAxis::X, 0));
  const float expected[10] = {0, 0, 0, 0, 10, 12, 14, 20, 24, 28};
  for (long k = 1; k <= 9; ++k) EXPECT_EQ(N(k)->xcoord(), expected[k]) << k;
  // Reference and target in one row or one column: nothing moves.
  for (const auto& p : model::PlanWeightedMove(All(), 0, 0, 20, 0, 8, MoveAxis::X, 0))
    EXPECT_EQ(p.xcoord, p.node->xcoord());
  for (const auto& p : model::PlanWeightedMove(All(), 0, 0, 0, 10, 8, MoveAxis::Y, 0))
    EXPECT_EQ(p.ycoord, p.node->ycoord());
}

TEST_F(NodeMoves, OneNodeAsReferenceAndTarget) {
  const auto proportional = model::PlanWeightedMove(All(), 10, 5, 10, 5, 3, MoveAxis::Y, 1);
  for (const auto& p : proportional) EXPECT_EQ(p.ycoord, p.node->ycoord() + 3);
  const auto taper = model::PlanWeightedMove(All(), 10, 5, 10, 5, 3, MoveAxis::Y, 0);
  for (const auto& p : taper) EXPECT_EQ(p.ycoord, p.node->ycoord());
}

TEST_F(NodeMoves, ANodeListedTwiceMovesTwice) {
  // Second weight from the moved x: 12 / 20 = 0.6, so 12 + 2.4.
  const auto plan = model::PlanWeightedMove({N(5), N(7), N(5)}, 0, 0, 20, 0, 4, MoveAxis::X, 1);
  ASSERT_EQ(plan.size(), 2u);
  EXPECT_EQ(plan[0].node, N(5));
  EXPECT_FLOAT_EQ(plan[0].xcoord, 14.4f);
  EXPECT_EQ(plan[1].xcoord, 24);
  const auto plain = model::PlanPlainMove({N(2), N(2), N(3)}, -1.5f, MoveAxis::Y);
  ASSERT_EQ(plain.size(), 2u);
  EXPECT_EQ(Find(plain, N(2))->ycoord, 2);
  EXPECT_EQ(Find(plain, N(3))->ycoord, 8.5f);
  EXPECT_EQ(Find(plain, N(3))->xcoord, 0);
}

TEST_F(NodeMoves, AResultBeyondSinglePrecisionMovesNothing) {
  N(9)->set_xcoord(2e38f);
  // Node 1 would fit; node 9 would not.
  EXPECT_THROW(model::PlanPlainMove({N(1), N(9)}, 2e38f, MoveAxis::X), platform::RuntimeError);
  EXPECT_THROW(model::PlanWeightedMove({N(1), N(9)}, 0, 0, 1e-30f, 1e-30f, 1, MoveAxis::X, 1),
               platform::RuntimeError);
  EXPECT_EQ(N(1)->xcoord(), 0);
  EXPECT_EQ(N(9)->xcoord(), 2e38f);
}

}  // namespace
