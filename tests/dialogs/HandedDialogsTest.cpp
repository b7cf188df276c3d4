// The dialogs work on what they are handed and tell their host what they
// need of the program: here a model of the test's own, a view without a
// window, and a host that records what is asked of it.
#include <gtest/gtest.h>

#include <QLineEdit>

#include <memory>
#include <string>
#include <vector>

#include "app/Selection.h"
#include "app/SelectionItems.h"
#include "dialogs/GirderHost.h"
#include "dialogs/frmBeamShape.h"
#include "dialogs/frmPlate.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "platform/MessageBox.h"
#include "tests/dialogs/generator/GirderTestSupport.h"
#include "ui_frmBeamShape.h"
#include "ui_frmPlate.h"
#include "view/View.h"

namespace {

using Steps = std::vector<std::string>;

// A model of its own, replaced by fresh objects at new addresses on New as
// the program's are; the old ones stay readable, so that a dialog writing
// to them shows in the new model's emptiness rather than as a crash.
class RecordingGirderHost : public dialogs::GirderHost {
 public:
  model::BeamShape& BeamShape() override { return beamShape; }
  model::Material& Material() override { return *material; }
  model::Mesh& Mesh() override { return *mesh; }
  bool SaveChangesFirst() override {
    steps.push_back("SaveChangesFirst");
    return saveAnswer;
  }
  void New_Data() override {
    steps.push_back("New_Data");
    retired.push_back(std::move(mesh));
    mesh = std::make_unique<model::Mesh>();
    material = std::make_unique<model::Material>();
  }
  void ClearSelectedItem() override { steps.push_back("ClearSelectedItem"); }
  void ShowGeneratedModel() override { steps.push_back("ShowGeneratedModel"); }

  model::BeamShape beamShape;
  std::unique_ptr<model::Material> material = std::make_unique<model::Material>();
  std::unique_ptr<model::Mesh> mesh = std::make_unique<model::Mesh>();
  std::vector<std::unique_ptr<model::Mesh>> retired;
  bool saveAnswer = true;
  Steps steps;
};

class HandedDialogs : public ::testing::Test {
 protected:
  platform::ScriptedPrompter prompter;
  view::View view;
};

}  // namespace

TEST_F(HandedDialogs, TheGirderGoesIntoTheModelTheHostHasAfterNew) {
  RecordingGirderHost host;
  velk_test::BuildDefaultGirder("14", "3", host.beamShape, *host.material, *host.mesh);
  view.PropertyMode = 4;
  frmBeamShape dialog(host, view);
  dialog.show();
  dialog.form().txtNumXElements->setText("10");

  // The user keeps the changed model: nothing goes.
  host.saveAnswer = false;
  prompter.QueueAnswer(platform::Answer::Ok);  // "Existing Mesh will be destroyed!"
  dialog.cmdGenerate_Click();
  EXPECT_EQ(host.steps, Steps{"SaveChangesFirst"});
  EXPECT_EQ(host.mesh->Nodes().Count(), 60);
  EXPECT_NE(dialog.result(), QDialog::Accepted);

  host.saveAnswer = true;
  host.steps.clear();
  prompter.QueueAnswer(platform::Answer::Ok);
  dialog.cmdGenerate_Click();
  EXPECT_EQ(host.steps, (Steps{"SaveChangesFirst", "New_Data", "ClearSelectedItem", "ShowGeneratedModel"}));
  EXPECT_EQ(host.mesh->Nodes().Count(), 11 * 4);
  EXPECT_EQ(host.retired.at(0)->Nodes().Count(), 60) << "the old model is left as it was";
  EXPECT_EQ(view.PropertyMode, 1) << "the view is reset for the girder";
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

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
