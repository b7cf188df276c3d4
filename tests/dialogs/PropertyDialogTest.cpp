// The five property dialogs: their fills, range checks and writes.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <optional>

#include "dialogs/SetProperty.h"
#include "dialogs/frmBoundary.h"
#include "dialogs/frmBrace.h"
#include "dialogs/frmLoad.h"
#include "dialogs/frmPlate.h"
#include "dialogs/frmStiffener.h"
#include "model/Nodes.h"
#include "model/fourNodes.h"
#include "model/twoNodes.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "ui_frmBoundary.h"
#include "ui_frmBrace.h"
#include "ui_frmLoad.h"
#include "ui_frmPlate.h"
#include "ui_frmStiffener.h"

using testsupport::SelectNodes;
using testsupport::SelectPlates;
using testsupport::SelectStiffeners;

namespace {

class PropertyDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::DefaultGirder();
    handed.emplace();
  }
  dialogs::SelectedItems& selected() { return handed->selected; }
  model::Nodes& nodes() { return globals::Mesh().Nodes(); }
  model::fourNodes& plates() { return globals::Mesh().fourNodes(); }
  model::twoNodes& stiffeners() { return globals::Mesh().twoNodes(); }
  platform::ScriptedPrompter prompter;
  std::optional<testsupport::Handed> handed;
};

}  // namespace

TEST_F(PropertyDialogs, PlateRangeAndRenumbering) {
  SelectPlates({1, 2, 2});
  plates().Item(1).set_Thickness(0.75f);
  {
    frmPlate dialog(selected(), globals::Mesh());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Plate");
    EXPECT_EQ(dialog.form().txtthick->text(), "0.75");  // from the first selected
    for (const char* refused : {"-0.0001", "abc", "", "nan", "1e39"}) {
      prompter.Clear();
      dialog.form().txtthick->setText(refused);
      EXPECT_FALSE(dialog.Apply()) << refused;
      EXPECT_EQ(prompter.prompts().size(), 1u);
      EXPECT_EQ(prompter.prompts()[0], std::string(refused) == "-0.0001"
                                           ? "Input Error!"
                                           : "Input Data Error : Numbers!");
      EXPECT_FLOAT_EQ(plates().Item(1).Thickness(), 0.75f);
      EXPECT_FLOAT_EQ(plates().Item(2).Thickness(), 0.5f);
    }
    dialog.form().txtthick->setText("-0.00001");
    EXPECT_TRUE(dialog.Apply());
  }
  EXPECT_FLOAT_EQ(plates().Item(2).Thickness(), -0.00001f);
  EXPECT_FALSE(plates().Item(1).PropertyDefined());
  // Plates 1 and 2 left the analysis; node 1 belonged to plate 1 alone.
  EXPECT_EQ(plates().MaxvID(), 40);
  EXPECT_EQ(plates().Item(1).vID(), 0);
  EXPECT_EQ(plates().Item(3).vID(), 1);
  EXPECT_EQ(nodes().Item(1).vID(), 1);  // still on the bottom flange stiffener
  EXPECT_EQ(nodes().Item(2).vID(), 0);  // only on plates 1 and 2
  EXPECT_FLOAT_EQ(plates().MaxThickness(), 0.5f);
}

TEST_F(PropertyDialogs, StiffenerRefusesSmallSizesAndWritesBoth) {
  SelectStiffeners({20, 21});
  frmStiffener dialog(selected(), globals::Mesh());
  dialog.show();
  EXPECT_EQ(dialog.form().txtWidth->text(), "0");
  dialog.form().txtWidth->setText("0");
  dialog.form().txtthick->setText("1");
  EXPECT_FALSE(dialog.Apply());
  dialog.form().txtWidth->setText("4");
  dialog.form().txtthick->setText("0.000001");
  EXPECT_FALSE(dialog.Apply());
  dialog.form().txtthick->setText("x");
  EXPECT_FALSE(dialog.Apply());
  EXPECT_EQ(prompter.prompts(), (std::vector<std::string>{"Input Error!", "Input Error!",
                                                           "Input Data Error : Numbers!"}));
  EXPECT_FLOAT_EQ(stiffeners().Item(20).width(), 0.0f);
  dialog.form().txtthick->setText("0.25");
  EXPECT_TRUE(dialog.Apply());
  EXPECT_FLOAT_EQ(stiffeners().Item(21).width(), 4.0f);
  EXPECT_FLOAT_EQ(stiffeners().Item(21).Thickness(), 0.25f);
  EXPECT_TRUE(stiffeners().Item(20).PropertyDefined());
  EXPECT_EQ(stiffeners().MaxvID(), 30);
}

TEST_F(PropertyDialogs, StiffenerAtTheBoundPassesButStaysUndefined) {
  SelectStiffeners({20});
  frmStiffener dialog(selected(), globals::Mesh());
  dialog.show();
  dialog.form().txtWidth->setText("0.00001");
  dialog.form().txtthick->setText("0.00001");
  EXPECT_TRUE(dialog.Apply());
  EXPECT_FALSE(stiffeners().Item(20).PropertyDefined());
}

TEST_F(PropertyDialogs, BraceOneNegativeWritesNothing) {
  SelectNodes({5, 6});
  frmBrace dialog(selected());
  dialog.show();
  auto& ui = dialog.form();
  ui.txtX->setText("10");
  ui.txtY->setText("20");
  ui.txtZ->setText("30");
  ui.txtXR->setText("-0.0001");
  ui.txtYR->setText("50");
  EXPECT_FALSE(dialog.Apply());
  EXPECT_EQ(prompter.prompts(),
            (std::vector<std::string>{"Input Data Error : Positive Numbers!"}));
  EXPECT_FLOAT_EQ(nodes().Item(5).xtstiff(), 0.0f);
  EXPECT_FLOAT_EQ(nodes().Item(6).ZTStiff(), 0.0f);
  ui.txtXR->setText("0");
  EXPECT_TRUE(dialog.Apply());
  EXPECT_FLOAT_EQ(nodes().Item(6).xtstiff(), 10.0f);
  EXPECT_FLOAT_EQ(nodes().Item(6).YRStiff(), 50.0f);
  EXPECT_TRUE(nodes().Item(5).BraceDefined());
}

TEST_F(PropertyDialogs, LoadTakesAnyNumbers) {
  SelectNodes({4, 8});
  frmLoad dialog(selected());
  dialog.show();
  EXPECT_EQ(dialog.form().txtLoadX->text(), "0");
  dialog.form().txtLoadX->setText("-1.5");
  dialog.form().txtLoadY->setText("inf");
  EXPECT_FALSE(dialog.Apply());
  EXPECT_FLOAT_EQ(nodes().Item(4).XLoad(), 0.0f);
  dialog.form().txtLoadY->setText("-2");
  EXPECT_TRUE(dialog.Apply());
  EXPECT_FLOAT_EQ(nodes().Item(8).XLoad(), -1.5f);
  EXPECT_FLOAT_EQ(nodes().Item(8).YLoad(), -2.0f);
  EXPECT_TRUE(nodes().Item(4).LoadDefined());
}

TEST_F(PropertyDialogs, BoundaryFillAndUntickedRows) {
  nodes().Item(2).set_XTDir(1);
  nodes().Item(2).set_XTDirValue(0.25f);
  nodes().Item(2).set_YTDirValue(0.5f);
  SelectNodes({2, 3});
  frmBoundary dialog(selected());
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Boundary Condition");
  EXPECT_TRUE(dialog.Check1(0)->isChecked());
  EXPECT_FALSE(dialog.Check1(1)->isChecked());
  EXPECT_EQ(dialog.form().txtX->text(), "0.25");
  EXPECT_EQ(dialog.form().txtY->text(), "0.0");
  EXPECT_EQ(dialog.Check1(1)->text(), "Set Y Displacement to ");

  dialog.form().txtX->setText("abc");
  EXPECT_FALSE(dialog.Apply());
  EXPECT_EQ(prompter.prompts(), (std::vector<std::string>{"Input Data Error : Numbers!"}));
  // Unticked, the same text is not looked at, and the stored values stay.
  dialog.Check1(0)->setChecked(false);
  dialog.Check1(2)->setChecked(true);
  dialog.form().txtY->setText("junk");
  EXPECT_TRUE(dialog.Apply());
  EXPECT_EQ(nodes().Item(2).XTDir(), 0);
  EXPECT_EQ(nodes().Item(3).ZTDir(), -1);
  EXPECT_FLOAT_EQ(nodes().Item(2).XTDirValue(), 0.25f);
  EXPECT_FLOAT_EQ(nodes().Item(2).YTDirValue(), 0.5f);
  EXPECT_TRUE(nodes().Item(3).BoundaryDefined());
}

TEST_F(PropertyDialogs, ItemOfTheWrongKindWritesNothingAtAll) {
  globals::Selection().ClearSelectedItem();
  globals::Selection().Append(&nodes().Item(1));
  globals::Selection().Append(&plates().Item(1));
  frmLoad dialog(selected());
  dialog.show();
  dialog.form().txtLoadX->setText("7");
  dialog.form().txtLoadY->setText("8");
  EXPECT_FALSE(dialog.Apply());
  EXPECT_EQ(prompter.prompts(), (std::vector<std::string>{"Error..."}));
  EXPECT_FLOAT_EQ(nodes().Item(1).XLoad(), 0.0f);
}

TEST_F(PropertyDialogs, CloseWritesNothingAndSetPropertyNeedsASelection) {
  SelectPlates({1});
  {
    frmPlate dialog(selected(), globals::Mesh());
    dialog.show();
    dialog.form().txtthick->setText("2");
    QTest::mouseClick(dialog.form().cmdClose, Qt::LeftButton);
  }
  EXPECT_FLOAT_EQ(plates().Item(1).Thickness(), 0.5f);
  globals::Selection().ClearSelectedItem();
  dialogs::OpenPropertyDialog(1, selected(), globals::Mesh(), nullptr);  // returns at once: nothing to open
  EXPECT_TRUE(prompter.prompts().empty());
}
