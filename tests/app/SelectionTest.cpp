// Picking on a saved picture, without OpenGL: the matrices map model
// coordinates straight onto window pixels, so every expected pick can be
// worked out by hand.
#include <gtest/gtest.h>

#include "app/Selection.h"
#include "model/Mesh.h"
#include "platform/RuntimeError.h"
#include "tests/model/MeshTestSupport.h"

namespace {

constexpr int kW = 200;
constexpr int kH = 100;

// Identity model view; an orthographic projection of [0, kW] x [0, kH] onto
// the viewport, so that window x = model x and window y = model y.
app::PickMatrices PixelMatrices() {
  app::PickMatrices m;
  m.viewport = {0, 0, kW, kH};
  m.mvmatrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  m.projmatrix = {2.0 / kW, 0, 0, 0, 0, 2.0 / kH, 0, 0, 0, 0, -1, 0, -1, -1, 0, 1};
  return m;
}

// A grid of nx by ny nodes over [x0, x1] x [y0, y1] with its stiffeners and
// plates and their centres.
void BuildGrid(model::Mesh& mesh, float x0, float y0, float x1, float y1, int nx, int ny) {
  velk_test::GenerateGrid(mesh, x0, y0, x0, y1, x1, y0, x1, y1, nx, ny);
  mesh.twoNodes().GenerateCP();
  mesh.fourNodes().GenerateCP();
}

// The window y that the mouse must report for a window row.
float MouseYForRow(float row) { return kH - row + 1; }

TEST(SelectionList, EmptyListAndIndexing) {
  app::Selection s;
  EXPECT_EQ(s.SelectedCounter(), 0);
  EXPECT_TRUE(app::IsEmpty(s.Item(1)));  // the one empty entry
  EXPECT_THROW(s.Item(2), platform::RuntimeError);
  EXPECT_THROW(s.Item(0), platform::RuntimeError);

  model::Mesh mesh;
  BuildGrid(mesh, 10, 10, 110, 60, 3, 2);
  s.Append(&mesh.Nodes().Item(1));
  EXPECT_EQ(s.SelectedCounter(), 1);
  EXPECT_EQ(app::AsNode(s.Item(1)), &mesh.Nodes().Item(1));
  EXPECT_THROW(s.Item(2), platform::RuntimeError);

  // Clearing the list keeps the clipboard.
  s.SetCopiedItem(s.Item(1));
  s.ClearSelectedItem();
  EXPECT_EQ(s.SelectedCounter(), 0);
  EXPECT_EQ(app::AsNode(s.CopiedItem()), &mesh.Nodes().Item(1));
  s.ClearCopiedItem();
  EXPECT_TRUE(app::IsEmpty(s.CopiedItem()));
}

TEST(PickOne, TakesTheNearestReferencePoint) {
  model::Mesh mesh;
  BuildGrid(mesh, 10, 10, 110, 60, 3, 2);  // nodes at x 10, 60, 110 and y 10, 60
  const app::PickMatrices m = PixelMatrices();
  app::Selection s;

  s.SelectItemOne(mesh, 1, m, 58, MouseYForRow(57));
  ASSERT_EQ(s.SelectedCounter(), 1);
  EXPECT_EQ(app::AsNode(s.Item(1)), &mesh.Nodes().Item(4));  // column 2, row 2

  // Plates: centres at (35, 35) and (85, 35).
  s.SelectItemOne(mesh, 3, m, 80, MouseYForRow(30));
  ASSERT_EQ(s.SelectedCounter(), 1);
  EXPECT_EQ(app::AsPlate(s.Item(1)), &mesh.fourNodes().Item(2));

  // Stiffeners: the nearest midpoint, here the vertical edge at x = 110.
  s.SelectItemOne(mesh, 2, m, 112, MouseYForRow(34));
  ASSERT_EQ(s.SelectedCounter(), 1);
  const model::twoNode* taken = app::AsStiffener(s.Item(1));
  ASSERT_NE(taken, nullptr);
  EXPECT_FLOAT_EQ(taken->CPX(), 110);
  EXPECT_FLOAT_EQ(taken->CPY(), 35);

  // Far outside the model the nearest item is still taken.
  s.SelectItemOne(mesh, 1, m, 1000, MouseYForRow(-500));
  ASSERT_EQ(s.SelectedCounter(), 1);
  EXPECT_EQ(app::AsNode(s.Item(1)), &mesh.Nodes().Item(5));  // (110, 10)

  // Beyond 1E7 squared pixels nothing is nearer than the start value: the
  // first item of the collection.
  s.SelectItemOne(mesh, 1, m, 1e5f, MouseYForRow(1e5f));
  ASSERT_EQ(s.SelectedCounter(), 1);
  EXPECT_EQ(app::AsNode(s.Item(1)), &mesh.Nodes().Item(1));
}

TEST(PickOne, TiesGoToTheEarlierItem) {
  model::Mesh mesh;
  BuildGrid(mesh, 10, 10, 110, 60, 3, 2);
  // Move node 3 onto node 2: both project to the same pixel.
  mesh.Nodes().Item(3).set_xcoord(mesh.Nodes().Item(2).xcoord());
  mesh.Nodes().Item(3).set_ycoord(mesh.Nodes().Item(2).ycoord());
  app::Selection s;
  s.SelectItemOne(mesh, 1, PixelMatrices(), 10, MouseYForRow(60));
  ASSERT_EQ(s.SelectedCounter(), 1);
  EXPECT_EQ(app::AsNode(s.Item(1)), &mesh.Nodes().Item(2));

  // A pointer halfway between nodes 1 and 2 (and as far from 3) takes 1.
  s.SelectItemOne(mesh, 1, PixelMatrices(), 10, MouseYForRow(35));
  EXPECT_EQ(app::AsNode(s.Item(1)), &mesh.Nodes().Item(1));
}

TEST(PickOne, FlipsThePointerWithPlusOne) {
  // Two nodes a column apart in rows 91 and 89: a pointer y of 10 is row
  // 100 - 10 + 1 = 91. A flip with minus one would give row 89.
  model::Mesh mesh;
  auto& nodes = mesh.Nodes();
  nodes.Add(50, 89, 1, "1");
  nodes.Add(50, 91, 2, "2");
  nodes.Add(150, 50, 3, "3");
  mesh.fourNodes().Add(nodes.Item(1), nodes.Item(2), nodes.Item(3), nodes.Item(3), 1, "1");
  mesh.twoNodes().Add(nodes.Item(1), nodes.Item(3), 1, "1");
  app::Selection s;
  s.SelectItemOne(mesh, 1, PixelMatrices(), 50, 10);
  EXPECT_EQ(app::AsNode(s.Item(1)), &nodes.Item(2));
  s.SelectItemOne(mesh, 1, PixelMatrices(), 50, 12);
  EXPECT_EQ(app::AsNode(s.Item(1)), &nodes.Item(1));
  // The top row of the window (y = 0) is compared as height + 1.
  EXPECT_FLOAT_EQ(app::FlipPointerY(0, kH), kH + 1.0f);
}

TEST(PickOne, NeedsAllThreeCollectionsAndAKnownKind) {
  app::Selection s;
  model::Mesh nodesOnly;
  nodesOnly.Nodes().Add(10, 10, 1, "1");
  model::Mesh full;
  BuildGrid(full, 10, 10, 110, 60, 3, 2);
  s.Append(&full.Nodes().Item(1));

  s.AddItemOne(nodesOnly, 1, PixelMatrices(), 10, MouseYForRow(10));
  EXPECT_EQ(s.SelectedCounter(), 1);  // unchanged
  s.SelectItemOne(nodesOnly, 1, PixelMatrices(), 10, MouseYForRow(10));
  EXPECT_EQ(s.SelectedCounter(), 0);  // cleared, nothing taken

  s.Append(&full.Nodes().Item(1));
  s.SelectItemOne(full, 4, PixelMatrices(), 10, MouseYForRow(10));
  EXPECT_EQ(s.SelectedCounter(), 0);
  s.Append(&full.Nodes().Item(1));
  s.SelectItemBox(full, 0, PixelMatrices(), 0, 0, kW, kH);
  EXPECT_EQ(s.SelectedCounter(), 0);
}

TEST(PickOne, ShiftAddsEvenAnItemAlreadyListed) {
  model::Mesh mesh;
  BuildGrid(mesh, 10, 10, 110, 60, 3, 2);
  app::Selection s;
  s.SelectItemOne(mesh, 3, PixelMatrices(), 35, MouseYForRow(35));
  s.AddItemOne(mesh, 3, PixelMatrices(), 35, MouseYForRow(35));
  s.AddItemOne(mesh, 3, PixelMatrices(), 85, MouseYForRow(35));
  ASSERT_EQ(s.SelectedCounter(), 3);
  EXPECT_EQ(app::AsPlate(s.Item(1)), &mesh.fourNodes().Item(1));
  EXPECT_EQ(app::AsPlate(s.Item(2)), &mesh.fourNodes().Item(1));
  EXPECT_EQ(app::AsPlate(s.Item(3)), &mesh.fourNodes().Item(2));
}

TEST(PickBox, TakesWhatLiesStrictlyInside) {
  model::Mesh mesh;
  BuildGrid(mesh, 10, 10, 110, 60, 3, 2);
  const app::PickMatrices m = PixelMatrices();
  app::Selection s;

  // Rows 10..60 exactly on the box's edges: nothing; one pixel wider: all
  // nodes of columns 1 and 2, in collection order.
  s.SelectItemBox(mesh, 1, m, 0, MouseYForRow(10), 70, MouseYForRow(60));
  EXPECT_EQ(s.SelectedCounter(), 0);
  s.SelectItemBox(mesh, 1, m, 0, MouseYForRow(9), 60, MouseYForRow(61));
  EXPECT_EQ(s.SelectedCounter(), 2);  // x = 60 lies on the right edge
  s.SelectItemBox(mesh, 1, m, 0, MouseYForRow(9), 61, MouseYForRow(61));
  ASSERT_EQ(s.SelectedCounter(), 4);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(app::AsNode(s.Item(k)), &mesh.Nodes().Item(k));

  // Dragged from bottom right to top left: the same items.
  s.SelectItemBox(mesh, 1, m, 61, MouseYForRow(61), 0, MouseYForRow(9));
  EXPECT_EQ(s.SelectedCounter(), 4);

  // A box of no width takes nothing.
  s.SelectItemBox(mesh, 1, m, 10, 0, 10, kH);
  EXPECT_EQ(s.SelectedCounter(), 0);
}

TEST(PickBox, ShiftAppendsAgain) {
  model::Mesh mesh;
  BuildGrid(mesh, 10, 10, 110, 60, 3, 2);
  const app::PickMatrices m = PixelMatrices();
  app::Selection s;
  s.SelectItemOne(mesh, 2, m, 35, MouseYForRow(10));  // a bottom stiffener
  ASSERT_EQ(s.SelectedCounter(), 1);
  // Every stiffener: 2 bottom, 2 top, 3 vertical.
  s.AddItemBox(mesh, 2, m, 0, 0, kW, kH);
  EXPECT_EQ(s.SelectedCounter(), 1 + 7);
  EXPECT_EQ(app::AsStiffener(s.Item(1)), app::AsStiffener(s.Item(2)));
}

}  // namespace
