// The dialogs work on what they are handed and tell their host what they
// need of the program: here a model of the test's own, a view without a
// window, and hosts that record what is asked of them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "app/Selection.h"
#include "app/SelectionItems.h"
#include "dialogs/GirderHost.h"
#include "dialogs/ListingHost.h"
#include "dialogs/PropertyListing.h"
#include "dialogs/frmBeamShape.h"
#include "dialogs/frmPlate.h"
#include "dialogs/frmPropertyView.h"
#include "dialogs/frmStress.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "platform/MessageBox.h"
#include "platform/qt/RichTextBox.h"
#include "tests/dialogs/generator/GirderTestSupport.h"
#include "tests/view/ViewTestSupport.h"
#include "ui_frmBeamShape.h"
#include "ui_frmPlate.h"
#include "ui_frmPropertyView.h"
#include "ui_frmStress.h"
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

class FakeListingHost : public dialogs::ListingHost {
 public:
  const model::Mesh& Mesh() const override { return *mesh; }
  dialogs::FileStepEnd RunFileStep(const std::function<void()>&, std::string&) override { return stepEnd; }

  std::unique_ptr<model::Mesh> mesh = std::make_unique<model::Mesh>();
  dialogs::FileStepEnd stepEnd = dialogs::FileStepEnd::GaveUp;
};

class HandedDialogs : public ::testing::Test {
 protected:
  static void DeleteClosed() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  platform::ScriptedPrompter prompter;
  view::View view;
  viewtest::FakeHost window;
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

TEST_F(HandedDialogs, TheStressWindowEndsThePlotOfItsViewOnceAndThenRepaints) {
  view.SetHost(&window);
  view.OptionShowStress = 3;
  QPointer<frmStress> w = new frmStress(view);  // as the command makes it: gone once closed
  EXPECT_TRUE(w->form().optSxy->isChecked());
  w->form().optSy->setChecked(true);
  QTest::mouseClick(w->form().OKButton, Qt::LeftButton);
  EXPECT_EQ(view.OptionShowStress, 2);
  EXPECT_EQ(window.paints, 1);

  std::vector<std::pair<int, int>> atUnload;  // the plot and the paints when it is told
  QObject::connect(w, &frmStress::unloaded,
                   [&] { atUnload.push_back({view.OptionShowStress, window.paints}); });
  w->show();
  w->close();
  EXPECT_EQ(atUnload, (std::vector<std::pair<int, int>>{{0, 1}}));
  EXPECT_EQ(window.paints, 2);
  DeleteClosed();
  EXPECT_TRUE(w.isNull());
  view.SetHost(nullptr);
}

TEST_F(HandedDialogs, TheListingFollowsTheHostsModelAndItsFileSteps) {
  FakeListingHost host;
  viewtest::BuildPlateGrid(*host.mesh, 120, 48, 3, 2, 0.5f);
  QPointer<frmPropertyView> w = new frmPropertyView(host);
  platform::qt::RichTextBox* box = w->form().rtbProperty;
  EXPECT_EQ(box->Text(), dialogs::List_Coordinate(*host.mesh));

  // New replaces the model while the window stays; the next tab switch lists the new one.
  host.mesh = std::make_unique<model::Mesh>();
  viewtest::BuildPlateGrid(*host.mesh, 60, 24, 2, 2, 0.5f);
  w->form().SSTab1->setCurrentIndex(0);
  w->form().SSTab1->setCurrentIndex(2);
  EXPECT_EQ(box->Text(), dialogs::List_Coordinate(*host.mesh));

  // A cancelled step ends Save to File silently; one the user gave up on is a file error.
  host.stepEnd = dialogs::FileStepEnd::Cancelled;
  w->Command1_Click();
  EXPECT_TRUE(prompter.prompts().empty());
  host.stepEnd = dialogs::FileStepEnd::GaveUp;
  w->Command1_Click();
  EXPECT_EQ(prompter.prompts(), Steps{"File Error!"});

  int unloaded = 0;
  QObject::connect(w, &frmPropertyView::unloaded, [&unloaded] { ++unloaded; });
  w->show();
  w->close();
  EXPECT_EQ(unloaded, 1);
  DeleteClosed();
  EXPECT_TRUE(w.isNull());
}
