// The dialogs work on what they are handed: here a model of the test's own.
#include <gtest/gtest.h>

#include <QLineEdit>

#include <string>

#include "app/Selection.h"
#include "app/SelectionItems.h"
#include "dialogs/frmPlate.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "platform/MessageBox.h"
#include "tests/dialogs/generator/GirderTestSupport.h"
#include "ui_frmPlate.h"

namespace {

class HandedDialogs : public ::testing::Test {
 protected:
  platform::ScriptedPrompter prompter;
};

}  // namespace

TEST_F(HandedDialogs, APropertyDialogWritesAndRenumbersTheModelItIsHanded) {
  model::BeamShape beamShape;
  model::Material material;
  model::Mesh mesh;
  velk_test::BuildDefaultGirder("14", "3", beamShape, material, mesh);
  app::Selection selection;
  selection.Append(&mesh.fourNodes().Item(1));
  app::SelectionItems items(selection);
  frmPlate dialog(items, mesh);
  dialog.show();
  dialog.form().txtthick->setText("0");
  EXPECT_TRUE(dialog.Apply());
  EXPECT_FALSE(mesh.fourNodes().Item(1).PropertyDefined());
  EXPECT_EQ(mesh.fourNodes().Item(2).vID(), 1);
  EXPECT_EQ(mesh.fourNodes().MaxvID(), 41);
  EXPECT_TRUE(prompter.prompts().empty());
}
