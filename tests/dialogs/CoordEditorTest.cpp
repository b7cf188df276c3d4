// The node coordinate editor on a 3 x 2 grid over [0, 120] x [0, 48] with two
// plates: node 1 (0, 0), 2 (0, 48), 3 (60, 0), 4 (60, 48), 5 (120, 0),
// 6 (120, 48); plate 1 on nodes 1, 3, 4, 2, plate 2 on 3, 5, 6, 4.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <optional>
#include <string>
#include <vector>

#include "app/Globals.h"
#include "app/Selection.h"
#include "app/SelectionItems.h"
#include "dialogs/frmCoord.h"
#include "model/Mesh.h"
#include "platform/MessageBox.h"
#include "tests/view/ViewTestSupport.h"
#include "ui_frmCoord.h"
#include "view/View.h"

namespace {

using Strings = std::vector<std::string>;

class CoordEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    globals::ReleaseAll();
    viewtest::BuildPlateGrid(globals::Mesh(), 120, 48, 3, 2, 0.5f);
    globals::View().SetHost(&host);
    selected.emplace(globals::Selection());
  }
  void TearDown() override {
    globals::View().SetHost(nullptr);
    globals::ReleaseAll();
  }
  static model::Nodeb& Node(long k) { return globals::Mesh().Nodes().Item(k); }
  static model::fourNode& Plate(long k) { return globals::Mesh().fourNodes().Item(k); }
  static void Select(std::initializer_list<long> positions) {
    globals::Selection().ClearSelectedItem();
    for (long k : positions) globals::Selection().Append(&Node(k));
  }
  // Opens the editor as the double-click does, without waiting on it.
  void Open(frmCoord& d) {
    d.show();
    QApplication::processEvents();
  }
  static void Apply(frmCoord& d, const char* x, const char* y) {
    d.form().txtX->setText(x);
    d.form().txtY->setText(y);
    QTest::mouseClick(d.form().cmdApply, Qt::LeftButton);
  }

  platform::ScriptedPrompter prompter;
  viewtest::FakeHost host;
  std::optional<app::SelectionItems> selected;  // as the double-click hands it
};

TEST_F(CoordEditor, OpensOnTheSelectedNode) {
  Node(4).set_xcoord(1.0f / 3);
  Select({4});
  frmCoord d(*selected, globals::Mesh(), globals::View());
  Open(d);
  EXPECT_TRUE(d.isVisible());
  EXPECT_TRUE(d.isModal());
  EXPECT_EQ(d.windowTitle().toStdString(), "Nodal Coordinates");
  EXPECT_EQ(d.form().lblNode->text().toStdString(), "Node: 4");
  EXPECT_EQ(d.form().txtX->text().toStdString(), "0.3333333");
  EXPECT_EQ(d.form().txtY->text().toStdString(), "48");
  EXPECT_FALSE(d.form().cmdUndo->isEnabled());
  d.close();

  // A node outside the analysis shows its vID 0.
  Node(6).set_vID(0);
  Select({6});
  frmCoord outside(*selected, globals::Mesh(), globals::View());
  Open(outside);
  EXPECT_EQ(outside.form().lblNode->text().toStdString(), "Node: 0");
  outside.close();
}

TEST_F(CoordEditor, ClosesAtOnceUnlessExactlyOneItemIsSelected) {
  for (auto positions : {std::initializer_list<long>{}, std::initializer_list<long>{2, 4}}) {
    Select(positions);
    frmCoord d(*selected, globals::Mesh(), globals::View());
    EXPECT_EQ(d.exec(), QDialog::Rejected);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.form().txtX->text(), "");
  }
  EXPECT_EQ(Node(2).xcoord(), 0);
  EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(CoordEditor, ApplyAndOneLevelOfUndo) {
  Select({4});
  frmCoord d(*selected, globals::Mesh(), globals::View());
  Open(d);
  Apply(d, "1", "2");
  Apply(d, "3", "4");
  EXPECT_EQ(Node(4).xcoord(), 3);
  EXPECT_EQ(Node(4).ycoord(), 4);
  EXPECT_TRUE(d.form().cmdUndo->isEnabled());
  EXPECT_TRUE(d.isVisible()) << "Apply keeps the dialog open";
  // The plates round the node take their new centres: picking measures there.
  EXPECT_FLOAT_EQ(Plate(1).CPX(), (0 + 60 + 3 + 0) / 4.0f);
  EXPECT_FLOAT_EQ(Plate(2).CPY(), (0 + 0 + 48 + 4) / 4.0f);

  QTest::mouseClick(d.form().cmdUndo, Qt::LeftButton);
  EXPECT_EQ(Node(4).xcoord(), 1) << "back to before the latest Apply";
  EXPECT_EQ(Node(4).ycoord(), 2);
  EXPECT_FALSE(d.form().cmdUndo->isEnabled());
  EXPECT_FLOAT_EQ(Plate(1).CPX(), (0 + 60 + 1 + 0) / 4.0f);
  // The boxes still show the applied values; Apply puts them back.
  EXPECT_EQ(d.form().txtX->text(), "3");
  QTest::mouseClick(d.form().cmdApply, Qt::LeftButton);
  EXPECT_EQ(Node(4).xcoord(), 3);
  EXPECT_EQ(host.paints, 4) << "every Apply and Undo repaints at once";
  EXPECT_TRUE(prompter.messages().empty());

  QTest::mouseClick(d.form().cmdClose, Qt::LeftButton);
  EXPECT_FALSE(d.isVisible());
}

TEST_F(CoordEditor, ABoxThatIsNotANumberChangesNothing) {
  Select({4});
  frmCoord d(*selected, globals::Mesh(), globals::View());
  Open(d);
  Apply(d, "10", "20");
  const Strings numbers{"Input Data Error : Numbers!"};
  const struct {
    const char* x;
    const char* y;
  } bad[] = {{"abc", "1"}, {"1", ""}, {"", ""}, {"5", "1e39"}, {"-1e39", "5"}};
  for (const auto& b : bad) {
    prompter.Clear();
    Apply(d, b.x, b.y);
    EXPECT_EQ(prompter.prompts(), numbers) << b.x << " " << b.y;
    EXPECT_EQ(Node(4).xcoord(), 10) << "x is not applied when y fails: " << b.y;
    EXPECT_EQ(Node(4).ycoord(), 20);
    EXPECT_TRUE(d.form().cmdUndo->isEnabled()) << "Undo keeps its state";
  }
  EXPECT_EQ(host.paints, 1);
  QTest::mouseClick(d.form().cmdUndo, Qt::LeftButton);
  EXPECT_EQ(Node(4).xcoord(), 60);
  EXPECT_EQ(Node(4).ycoord(), 48);
}

}  // namespace
