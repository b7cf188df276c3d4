#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "model/Mesh.h"
#include "tests/model/MeshTestSupport.h"
#include "tests/model/TestFiles.h"

using namespace testfiles;

namespace {

// A mesh with an nx x ny grid over [0, 10(nx-1)] x [0, 10(ny-1)] and all its elements.
void Grid(model::Mesh& mesh, short nx, short ny) {
  velk_test::GenerateGrid(mesh, 0, 0, 0, 10.0f * (ny - 1), 10.0f * (nx - 1), 0, 10.0f * (nx - 1),
                          10.0f * (ny - 1), nx, ny);
}


}  // namespace

TEST(NodesGenerate, EvenGridColumnByColumn) {
  model::Nodes nodes;
  nodes.Generate(0, 0, 0, 10, 20, 0, 20, 10, 3, 2);
  ASSERT_EQ(nodes.Count(), 6);
  const float expect[6][2] = {{0, 0}, {0, 10}, {10, 0}, {10, 10}, {20, 0}, {20, 10}};
  for (int k = 1; k <= 6; ++k) {
    const model::Nodeb& n = nodes.Item(std::to_string(k));
    EXPECT_EQ(&n, &nodes.Item(k));
    EXPECT_EQ(n.ID(), k);
    EXPECT_EQ(n.xcoord(), expect[k - 1][0]);
    EXPECT_EQ(n.ycoord(), expect[k - 1][1]);
    EXPECT_FALSE(n.PropertyDefined());
  }
}

TEST(NodesGenerate, ProportionalColumnsGrowGeometrically) {
  model::Nodes nodes;
  nodes.GenerateProportional(0, 0, 0, 10, 30, 0, 30, 40, 3, 2);
  ASSERT_EQ(nodes.Count(), 6);
  EXPECT_FLOAT_EQ(nodes.Item(1).xcoord(), 0);
  EXPECT_FLOAT_EQ(nodes.Item(3).xcoord(), 6);
  EXPECT_FLOAT_EQ(nodes.Item(5).xcoord(), 30);
  EXPECT_FLOAT_EQ(nodes.Item(6).ycoord(), 40);
  EXPECT_FLOAT_EQ(nodes.Item(4).ycoord(), 0.2f * 40 + 0.8f * 10);
}

TEST(NodesGenerate, OutsideItsDomainFailsAndAddsNothing) {
  model::Nodes nodes;
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(ErrorOf([&] { nodes.Generate(0, 0, 0, 10, 20, 0, 20, 10, 1, 2); }), 5);
  EXPECT_EQ(ErrorOf([&] { nodes.Generate(0, 0, 0, 10, 20, 0, 20, 10, 3, 1); }), 5);
  EXPECT_EQ(ErrorOf([&] { nodes.Generate(0, 0, 0, 10, 20, 0, 20, 10, -4, 0); }), 5);
  EXPECT_EQ(ErrorOf([&] { nodes.Generate(0, 0, 0, 10, inf, 0, 20, 10, 3, 2); }), 6);
  EXPECT_EQ(ErrorOf([&] { nodes.Generate(0, 0, 0, 10, 20, 0, 20, 10, 100000, 100000); }), 6);
  EXPECT_EQ(ErrorOf([&] { nodes.GenerateProportional(0, 0, 0, 10, 30, 0, 30, 40, 2, 2); }), 5);
  EXPECT_EQ(ErrorOf([&] { nodes.GenerateProportional(0, 0, 0, 10, 30, 0, 30, 10, 4, 2); }), 5);   // ratio 1
  EXPECT_EQ(ErrorOf([&] { nodes.GenerateProportional(0, 0, 0, 10, 30, 0, 30, -5, 4, 2); }), 5);   // ratio < 0
  EXPECT_EQ(ErrorOf([&] { nodes.GenerateProportional(0, 0, 0, 10, 30, 10, 30, 10, 4, 2); }), 5);  // ratio 0
  EXPECT_EQ(ErrorOf([&] { nodes.GenerateProportional(0, 5, 0, 5, 30, 0, 30, 10, 4, 2); }), 5);    // by = ay
  EXPECT_EQ(ErrorOf([&] { nodes.Generate(0, 0, 0, 10, -3e38f, 0, 3e38f, 10, 3, 2); }), 0);
  for (const model::Nodeb& n : nodes) EXPECT_TRUE(std::isfinite(n.xcoord()) && std::isfinite(n.ycoord()));
  for (long k = nodes.Count(); k >= 1; --k) nodes.Remove(k);
  EXPECT_EQ(ErrorOf([&] { nodes.GenerateProportional(0, 0, 0, 10, 30, 0, 30, 10.000001f, 4, 2); }), 0);
  EXPECT_EQ(nodes.Count(), 8);
  for (const model::Nodeb& n : nodes) EXPECT_TRUE(std::isfinite(n.xcoord()) && std::isfinite(n.ycoord()));
  // A second grid clashes with the first one's keys and is refused whole.
  EXPECT_EQ(ErrorOf([&] { nodes.Generate(0, 0, 0, 1, 1, 0, 1, 1, 3, 3); }), 457);
  EXPECT_EQ(nodes.Count(), 8);
}

TEST(ElementsGenerate, EdgeAndCellNumbering) {
  model::Mesh mesh;
  Grid(mesh, 3, 2);
  const long stiff[7][2] = {{1, 3}, {3, 5}, {2, 4}, {4, 6}, {1, 2}, {3, 4}, {5, 6}};
  ASSERT_EQ(mesh.twoNodes().Count(), 7);
  for (int e = 1; e <= 7; ++e) {
    const model::twoNode& s = mesh.twoNodes().Item(std::to_string(e));
    EXPECT_EQ(s.ID(), e);
    EXPECT_EQ(s.Node1().ID(), stiff[e - 1][0]) << e;
    EXPECT_EQ(s.Node2().ID(), stiff[e - 1][1]) << e;
  }
  ASSERT_EQ(mesh.fourNodes().Count(), 2);
  const model::fourNode& p1 = mesh.fourNodes().Item(1);
  const model::fourNode& p2 = mesh.fourNodes().Item(2);
  EXPECT_EQ(std::vector<int32_t>({p1.Node1().ID(), p1.Node2().ID(), p1.Node3().ID(), p1.Node4().ID()}),
            std::vector<int32_t>({1, 3, 4, 2}));
  EXPECT_EQ(std::vector<int32_t>({p2.Node1().ID(), p2.Node2().ID(), p2.Node3().ID(), p2.Node4().ID()}),
            std::vector<int32_t>({3, 5, 6, 4}));
  EXPECT_EQ(&p1.Node2(), &mesh.Nodes().Item(3));  // shared, not copied

  model::Mesh small;
  Grid(small, 2, 2);
  ASSERT_EQ(small.twoNodes().Count(), 4);
  EXPECT_EQ(small.twoNodes().Item(3).Node1().ID(), 1);
  EXPECT_EQ(small.twoNodes().Item(3).Node2().ID(), 2);
  EXPECT_EQ(small.twoNodes().Item(4).Node1().ID(), 3);
  ASSERT_EQ(small.fourNodes().Count(), 1);
  small.fourNodes().GenerateCP();
  small.twoNodes().GenerateCP();
  EXPECT_EQ(small.fourNodes().Item(1).CPX(), 5.0f);
  EXPECT_EQ(small.fourNodes().Item(1).CPY(), 5.0f);
  EXPECT_EQ(small.twoNodes().Item(1).CPX(), 5.0f);
  EXPECT_EQ(small.twoNodes().Item(1).CPY(), 0.0f);
}

TEST(ElementsGenerate, GridLargerThanTheNodesIsRefused) {
  model::Mesh mesh;
  mesh.Nodes().Generate(0, 0, 0, 1, 1, 0, 1, 1, 2, 2);
  mesh.Nodes().set_NumberNodesX(3);
  mesh.Nodes().set_NumberNodesY(2);
  EXPECT_EQ(ErrorOf([&] { mesh.twoNodes().Generate(mesh.Nodes()); }), 9);
  EXPECT_EQ(ErrorOf([&] { mesh.fourNodes().Generate(mesh.Nodes()); }), 9);
  EXPECT_EQ(mesh.twoNodes().Count(), 0);
  EXPECT_EQ(mesh.fourNodes().Count(), 0);
}

TEST(Numbering, NodesFollowThePlatesAndStiffenersWithAProperty) {
  model::Mesh mesh;
  Grid(mesh, 3, 3);
  // Only the plate over nodes 1, 4, 5, 2 has a thickness.
  mesh.fourNodes().Item(1).set_Thickness(0.5f);
  for (model::fourNode& p : mesh.fourNodes()) p.UpdatePropertyDefined();
  mesh.GeneratevID();
  std::vector<int32_t> vid, uvid;
  mesh.Nodes().GenerateUvID();
  for (const model::Nodeb& n : mesh.Nodes()) {
    vid.push_back(n.vID());
    uvid.push_back(n.UvID());
  }
  EXPECT_EQ(vid, (std::vector<int32_t>{1, 2, 0, 3, 4, 0, 0, 0, 0}));
  EXPECT_EQ(uvid, (std::vector<int32_t>{1, 2, 4, 5, 0, 0, 0, 0, 0}));
  EXPECT_EQ(mesh.Nodes().MaxvID(), 4);
  EXPECT_EQ(mesh.fourNodes().MaxvID(), 1);

  // A stiffener with a property connects its ends as well.
  model::twoNode& top = mesh.twoNodes().Item(5);  // joins nodes 3 and 6
  top.set_width(1);
  top.set_Thickness(1);
  top.UpdatePropertyDefined();
  mesh.GeneratevID();
  EXPECT_EQ(top.vID(), 1);
  EXPECT_EQ(mesh.twoNodes().MaxvID(), 1);
  EXPECT_TRUE(mesh.Nodes().Item(3).Connected());
  EXPECT_TRUE(mesh.Nodes().Item(6).Connected());
  EXPECT_EQ(mesh.Nodes().MaxvID(), 6);
  EXPECT_EQ(mesh.Nodes().Item(6).vID(), 6);
}

TEST(Numbering, ElementCollectionsNumberTheirOwn) {
  model::Mesh mesh;
  Grid(mesh, 3, 3);
  model::twoNodes& s = mesh.twoNodes();
  for (long e : {2L, 5L}) {
    s.Item(e).set_width(0.5f);
    s.Item(e).set_Thickness(0.5f);
    s.Item(e).UpdatePropertyDefined();
  }
  s.GeneratevID();
  s.GenerateUvID();
  EXPECT_EQ(s.MaxvID(), 2);
  for (long e = 1; e <= s.Count(); ++e) {
    EXPECT_EQ(s.Item(e).vID(), e == 2 ? 1 : e == 5 ? 2 : 0) << e;
    EXPECT_EQ(s.Item(e).UvID(), e == 1 ? 2 : e == 2 ? 5 : 0) << e;
  }
  // A vID that names no position is refused rather than written somewhere.
  s.Item(1).set_vID(99);
  EXPECT_EQ(ErrorOf([&] { s.GenerateUvID(); }), 9);
  mesh.Nodes().Item(1).set_vID(-1);
  EXPECT_EQ(ErrorOf([&] { mesh.Nodes().GenerateUvID(); }), 9);
}

TEST(Extremes, OnlyNumberedItemsAndKnownOptionsCount) {
  model::Mesh mesh;
  Grid(mesh, 2, 2);
  float mx = 0, mn = 0;
  mesh.Nodes().Calculate_MaxMinStress(mx, mn, 0);
  EXPECT_EQ(mx, -1E37f);
  EXPECT_EQ(mn, 1E37f);
  mesh.Nodes().Item(1).set_vID(1);
  mesh.Nodes().Item(1).set_Mises(5);
  mesh.Nodes().Item(2).set_Mises(100);  // not numbered
  mesh.Nodes().Calculate_MaxMinStress(mx, mn, 3);
  EXPECT_EQ(mx, 5.0f);
  EXPECT_EQ(mn, 5.0f);
  mesh.Nodes().Calculate_MaxMinStress(mx, mn, 4);
  EXPECT_EQ(mx, -1E37f);

  mesh.twoNodes().Item(1).set_vID(1);
  mesh.twoNodes().Item(1).set_Stress(-2);
  mesh.twoNodes().Item(2).set_vID(2);
  mesh.twoNodes().Item(2).set_Stress(3);
  mesh.twoNodes().Calculate_MaxMinStress(mx, mn, 0);
  EXPECT_EQ(mx, 3.0f);
  EXPECT_EQ(mn, -2.0f);
  mesh.twoNodes().Calculate_MaxMinStress(mx, mn, 1);
  EXPECT_EQ(mx, -1E37f);
  EXPECT_EQ(mn, 1E37f);
}

TEST(MaxThickness, LargestOrZero) {
  model::Mesh mesh;
  mesh.fourNodes().UpdateMaxThickness();
  EXPECT_EQ(mesh.fourNodes().MaxThickness(), 0.0f);
  Grid(mesh, 4, 2);
  const float t[] = {0.5f, 0.75f, 0.25f};
  for (long e = 1; e <= 3; ++e) mesh.fourNodes().Item(e).set_Thickness(t[e - 1]);
  EXPECT_EQ(mesh.fourNodes().MaxThickness(), 0.0f);  // only on request
  mesh.fourNodes().UpdateMaxThickness();
  EXPECT_EQ(mesh.fourNodes().MaxThickness(), 0.75f);
  for (long e = 1; e <= 3; ++e) mesh.fourNodes().Item(e).set_Thickness(-1);
  mesh.fourNodes().UpdateMaxThickness();
  EXPECT_EQ(mesh.fourNodes().MaxThickness(), 0.0f);
}
