// The property clipboard on a 3 x 2 node grid with its two plates and seven
// stiffeners: Delete, Copy and Paste by edit mode and item kind, the
// renumbering after them, and the prescribed displacements that travel with
// their restraint flags.
#include <gtest/gtest.h>

#include "app/Selection.h"
#include "model/Mesh.h"
#include "platform/RuntimeError.h"
#include "tests/model/MeshTestSupport.h"

namespace {

constexpr int kPlate = 1, kStiffener = 2, kBoundary = 3, kBrace = 4, kLoad = 5;

class Clipboard : public ::testing::Test {
 protected:
  void SetUp() override {
    velk_test::GenerateGrid(mesh, 0, 0, 0, 10, 40, 0, 40, 10, 3, 2);
    Plate(1).set_Thickness(2);
    Plate(2).set_Thickness(1);
    Stiffener(1).set_width(4);
    Stiffener(1).set_Thickness(0.5f);
    for (auto& p : mesh.fourNodes()) p.UpdatePropertyDefined();
    for (auto& s : mesh.twoNodes()) s.UpdatePropertyDefined();
    mesh.fourNodes().UpdateMaxThickness();
    Renumber();
  }
  void Renumber() {
    mesh.fourNodes().GeneratevID();
    mesh.twoNodes().GeneratevID();
    mesh.Nodes().GeneratevID(mesh.fourNodes(), mesh.twoNodes());
  }
  model::Nodeb& Node(long k) { return mesh.Nodes().Item(k); }
  model::twoNode& Stiffener(long k) { return mesh.twoNodes().Item(k); }
  model::fourNode& Plate(long k) { return mesh.fourNodes().Item(k); }
  void Pick(std::initializer_list<app::SelectedItemRef> items) {
    s.ClearSelectedItem();
    for (const auto& item : items) s.Append(item);
  }

  model::Mesh mesh;
  app::Selection s;
};

TEST_F(Clipboard, EmptyListOrClipboardChangesNothing) {
  s.Delete(mesh, kPlate);
  s.Paste(mesh, kPlate);
  EXPECT_EQ(Plate(1).Thickness(), 2);

  Pick({&Plate(2)});
  s.Paste(mesh, kPlate);  // nothing copied yet
  EXPECT_EQ(Plate(2).Thickness(), 1);

  // Copy with an empty list empties the clipboard: a later Paste does nothing.
  Pick({&Plate(1)});
  s.Copy();
  s.ClearSelectedItem();
  s.Copy();
  EXPECT_TRUE(app::IsEmpty(s.CopiedItem()));
  Pick({&Plate(2)});
  s.Paste(mesh, kPlate);
  EXPECT_EQ(Plate(2).Thickness(), 1);
}

TEST_F(Clipboard, NodeGroupsFollowTheEditMode) {
  Node(1).set_XTDir(1);
  Node(1).set_ZTDir(1);
  Node(1).set_xtstiff(10);
  Node(1).set_YRStiff(20);
  Node(1).set_XLoad(-3);
  Node(1).UpdatePropertyDefined();
  Pick({&Node(1)});
  s.Copy();  // in boundary mode
  // Switching to brace mode empties the list; the clipboard stays.
  s.ClearSelectedItem();
  Pick({&Node(4), &Node(5)});
  s.Paste(mesh, kBrace);
  for (long k : {4, 5}) {
    EXPECT_EQ(Node(k).xtstiff(), 10) << k;
    EXPECT_EQ(Node(k).YRStiff(), 20) << k;
    EXPECT_TRUE(Node(k).BraceDefined()) << k;
    EXPECT_EQ(Node(k).XTDir(), 0) << k;  // not the boundary group
    EXPECT_EQ(Node(k).XLoad(), 0) << k;
  }
  EXPECT_EQ(s.SelectedCounter(), 2) << "Paste keeps the list";

  s.Paste(mesh, kBoundary);
  EXPECT_EQ(Node(5).XTDir(), -1);
  EXPECT_EQ(Node(5).ZTDir(), -1);
  EXPECT_EQ(Node(5).YTDir(), 0);
  s.Paste(mesh, kLoad);
  EXPECT_EQ(Node(5).XLoad(), -3);
  EXPECT_TRUE(Node(5).LoadDefined());

  // Delete takes only the edit mode's group.
  s.Delete(mesh, kLoad);
  EXPECT_EQ(Node(4).XLoad(), 0);
  EXPECT_FALSE(Node(4).LoadDefined());
  EXPECT_EQ(Node(4).xtstiff(), 10);
  EXPECT_EQ(Node(4).XTDir(), -1);
  EXPECT_EQ(s.SelectedCounter(), 0) << "Delete empties the list";
  EXPECT_EQ(app::AsNode(s.CopiedItem()), &Node(1)) << "and keeps the clipboard";
}

TEST_F(Clipboard, NodesInAnEditModeWithoutAGroup) {
  Node(2).set_YLoad(5);
  Node(2).UpdatePropertyDefined();
  Node(6).set_vID(99);  // would be renumbered by any GeneratevID
  for (int mode : {kPlate, kStiffener}) {
    Pick({&Node(2)});
    s.Copy();
    Pick({&Node(3)});
    s.Paste(mesh, mode);
    EXPECT_EQ(Node(3).YLoad(), 0);
    EXPECT_EQ(s.SelectedCounter(), 1);
    Pick({&Node(2)});
    s.Delete(mesh, mode);
    EXPECT_EQ(Node(2).YLoad(), 5);
    EXPECT_EQ(s.SelectedCounter(), 0) << "the list is emptied all the same";
  }
  EXPECT_EQ(Node(6).vID(), 99) << "nothing renumbered";
}

TEST_F(Clipboard, PasteAcrossKindsDoesNothing) {
  Pick({&Stiffener(1)});
  s.Copy();
  Pick({&Plate(2)});
  s.Paste(mesh, kPlate);
  EXPECT_EQ(Plate(2).Thickness(), 1);
  Pick({&Node(1)});
  s.Paste(mesh, kBoundary);
  EXPECT_EQ(Node(1).XTDir(), 0);
}

TEST_F(Clipboard, PasteWritesTheItemsPresentValues) {
  Pick({&Plate(2)});
  s.Copy();
  Plate(2).set_Thickness(0.75f);  // as the plate dialog would, after Copy
  Pick({&Plate(1)});
  s.Paste(mesh, kPlate);
  EXPECT_EQ(Plate(1).Thickness(), 0.75f);

  // Deleting the copied item's property, then pasting, pastes zeros.
  Pick({&Plate(1), &Plate(2)});
  s.Delete(mesh, kPlate);
  Plate(1).set_Thickness(3);
  Plate(1).UpdatePropertyDefined();
  Pick({&Plate(1)});
  s.Paste(mesh, kPlate);
  EXPECT_EQ(Plate(1).Thickness(), 0);
  EXPECT_FALSE(Plate(1).PropertyDefined());
}

TEST_F(Clipboard, StiffenerChangesRenumber) {
  ASSERT_EQ(mesh.twoNodes().MaxvID(), 1);
  // A stiffener of width 0 pasted onto the defined one takes it out.
  Pick({&Stiffener(2)});
  s.Copy();
  Pick({&Stiffener(1)});
  s.Paste(mesh, kStiffener);
  EXPECT_FALSE(Stiffener(1).PropertyDefined());
  EXPECT_EQ(Stiffener(1).vID(), 0);
  EXPECT_EQ(mesh.twoNodes().MaxvID(), 0);

  Stiffener(2).set_width(6);
  Stiffener(2).set_Thickness(0.25f);
  Pick({&Stiffener(3), &Stiffener(5)});
  s.Paste(mesh, kStiffener);
  EXPECT_EQ(Stiffener(5).width(), 6);
  EXPECT_EQ(Stiffener(5).Thickness(), 0.25f);
  EXPECT_EQ(Stiffener(3).vID(), 1);
  EXPECT_EQ(Stiffener(5).vID(), 2);

  // Delete takes every plate and stiffener out: no node is left connected.
  Pick({&Plate(1), &Plate(2)});
  s.Delete(mesh, kPlate);
  Pick({&Stiffener(3), &Stiffener(5)});
  s.Delete(mesh, kStiffener);
  EXPECT_EQ(Stiffener(3).width(), 0);
  EXPECT_EQ(mesh.twoNodes().MaxvID(), 0);
  EXPECT_EQ(mesh.Nodes().MaxvID(), 0);
  EXPECT_EQ(Node(1).vID(), 0);
}

TEST_F(Clipboard, OnlyDeleteRecomputesTheLargestThickness) {
  ASSERT_EQ(mesh.fourNodes().MaxThickness(), 2);
  Pick({&Plate(2)});
  s.Copy();
  Pick({&Plate(1)});
  s.Paste(mesh, kPlate);
  EXPECT_EQ(Plate(1).Thickness(), 1);
  EXPECT_EQ(mesh.fourNodes().MaxThickness(), 2) << "Paste leaves it";
  s.Delete(mesh, kPlate);
  EXPECT_EQ(mesh.fourNodes().MaxThickness(), 1);
  EXPECT_EQ(Plate(1).vID(), 0);
  EXPECT_EQ(Plate(2).vID(), 1);
}

TEST_F(Clipboard, PrescribedDisplacementsTravelWithTheirFlags) {
  // Node 2 carries a value left from an earlier prescribed displacement,
  // its flag since cleared.
  Node(2).set_XTDirValue(0.7f);
  Node(2).set_YTDirValue(-0.2f);
  Node(1).set_XTDir(1);
  Node(1).set_XTDirValue(0.25f);
  Node(1).UpdatePropertyDefined();
  Pick({&Node(1)});
  s.Copy();
  Pick({&Node(2)});
  s.Paste(mesh, kBoundary);
  EXPECT_EQ(Node(2).XTDir(), -1);
  EXPECT_EQ(Node(2).XTDirValue(), 0.25f) << "not the stale 0.7";
  EXPECT_EQ(Node(2).YTDirValue(), 0);

  s.Delete(mesh, kBoundary);
  EXPECT_EQ(Node(2).XTDir(), 0);
  EXPECT_EQ(Node(2).XTDirValue(), 0);
  EXPECT_FALSE(Node(2).BoundaryDefined());
  // Other modes leave the values alone.
  Node(3).set_XTDirValue(0.5f);
  Pick({&Node(3)});
  s.Paste(mesh, kBrace);
  s.Delete(mesh, kLoad);
  EXPECT_EQ(Node(3).XTDirValue(), 0.5f);
}

TEST_F(Clipboard, AFailureChangesNoItem) {
  // Entry 1 decides the kind; a plate further down lacks the node members.
  Node(1).set_YTDir(1);
  Pick({&Node(1)});
  s.Copy();
  Pick({&Node(4), &Plate(1)});
  EXPECT_THROW(s.Paste(mesh, kBoundary), platform::RuntimeError);
  EXPECT_EQ(Node(4).YTDir(), 0);
  Node(4).set_ZTDir(1);
  Pick({&Node(4), &Plate(1)});
  EXPECT_THROW(s.Delete(mesh, kBoundary), platform::RuntimeError);
  EXPECT_EQ(Node(4).ZTDir(), -1);
  EXPECT_EQ(s.SelectedCounter(), 2);
}

}  // namespace
