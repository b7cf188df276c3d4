// The run dialog and the analysis option dialog, and the tab strips of the
// tabbed dialogs.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/RunFiles.h"
#include "analysis/SolverInputFile.h"
#include "analysis/ui/RunGuard.h"
#include "analysis/ui/frmAnalysisOption.h"
#include "analysis/ui/frmEigen.h"
#include "app/ProgramPaths.h"
#include "dialogs/frmBeamShape.h"
#include "dialogs/frmOption.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/model/MeshTestSupport.h"
#include "tests/platform/FileTestSupport.h"
#include "ui_frmAnalysisOption.h"
#include "ui_frmEigen.h"

namespace {

struct ButtonStates {
  bool run, cancel, close;
};

ButtonStates States(frmEigen& dialog) {
  return {dialog.form().cmdApply->isEnabled(), dialog.form().cmdCancel->isEnabled(),
          dialog.form().cmdClose->isEnabled()};
}

class RunDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::FreshModel();
    std::filesystem::remove(analysis::TempInputFile(app::ProgramFolder()));
  }
  platform::ScriptedPrompter prompter;
};

}  // namespace

TEST_F(RunDialog, OpensWithTheRunDataAndReady) {
  frmEigen dialog(globals::Analysis(), globals::Mesh(), globals::Material(), app::ProgramFolder());
  dialog.show();
  auto& ui = dialog.form();
  EXPECT_EQ(dialog.windowTitle(), "Run Analysis");
  EXPECT_EQ(ui.txtTitle->text(), "No Title");
  EXPECT_EQ(ui.txtDiscription->toPlainText(), "No Discription");
  EXPECT_EQ(ui.txtRunNumber->text(), "0");
  EXPECT_EQ(ui.txtEstimation->text(), "0");
  EXPECT_EQ(dialog.ProgressText(), "Ready...");
  const ButtonStates s = States(dialog);
  EXPECT_TRUE(s.run);
  EXPECT_FALSE(s.cancel);
  EXPECT_TRUE(s.close);
}

TEST_F(RunDialog, EstimateMustBeANumber) {
  frmEigen dialog(globals::Analysis(), globals::Mesh(), globals::Material(), app::ProgramFolder());
  dialog.show();
  dialog.form().txtTitle->setText("Changed");
  for (const char* text : {"", "nan", "1e39", "two"}) {
    prompter.Clear();
    dialog.form().txtEstimation->setText(text);
    dialog.cmdApply_Click();
    EXPECT_EQ(prompter.prompts(), (std::vector<std::string>{"Input Data Error : Numbers!"}));
  }
  EXPECT_EQ(globals::Analysis().Title, "No Title");
}

TEST_F(RunDialog, TooFewNodesStoresTheRunDataThenFails) {
  globals::Mesh().Nodes().Add(0, 0, 1, "1");
  globals::Mesh().Nodes().Add(1, 0, 2, "2");
  globals::Mesh().Nodes().Add(1, 1, 3, "3");
  frmEigen dialog(globals::Analysis(), globals::Mesh(), globals::Material(), app::ProgramFolder());
  dialog.show();
  dialog.form().txtTitle->setText("Three \"nodes\"");
  dialog.form().txtDiscription->setPlainText("line one\nline two");
  dialog.form().txtRunNumber->setText("7\r\n");
  dialog.form().txtEstimation->setText("2.5");
  dialog.cmdApply_Click();
  EXPECT_EQ(prompter.prompts(), (std::vector<std::string>{"Error..."}));
  EXPECT_NE(prompter.messages()[0].detail.find("The model has 3 nodes; an analysis needs at least 4"),
            std::string::npos);
  // What a record cannot hold never reaches Analysis.
  EXPECT_EQ(globals::Analysis().Title, "Three 'nodes'");
  EXPECT_EQ(globals::Analysis().Discription, "line one line two");
  EXPECT_EQ(globals::Analysis().RunID, "7 ");
  EXPECT_FLOAT_EQ(globals::Analysis().EigenValueEstimation, 2.5f);
  EXPECT_FALSE(std::filesystem::exists(analysis::TempInputFile(app::ProgramFolder())));
  EXPECT_TRUE(States(dialog).run);
  EXPECT_FALSE(States(dialog).cancel);
}

TEST_F(RunDialog, AnInputFileThatCannotBeWrittenSaysWhatToChange) {
  // 180 x 180 nodes: 64440 stiffener slots, beyond the file's 16-bit numbers.
  velk_test::GenerateGrid(globals::Mesh(), 0, 0, 0, 1000, 1000, 0, 1000, 1000, 180, 180);
  frmEigen dialog(globals::Analysis(), globals::Mesh(), globals::Material(), app::ProgramFolder());
  dialog.show();
  dialog.cmdApply_Click();
  ASSERT_EQ(prompter.prompts(), (std::vector<std::string>{"Error..."}));
  const std::string detail = prompter.messages()[0].detail;
  EXPECT_NE(detail.find("The model has 64440 stiffener slots"), std::string::npos) << detail;
  EXPECT_NE(detail.find("Generate the mesh with fewer nodes"), std::string::npos) << detail;
  EXPECT_TRUE(States(dialog).run);

  // A folder where the input file should be.
  testsupport::SupportedGirder();
  velk_test::ScratchFolder folder;
  std::filesystem::create_directory(analysis::TempInputFile(folder.path()));
  frmEigen elsewhere(globals::Analysis(), globals::Mesh(), globals::Material(), folder.path());
  elsewhere.show();
  prompter.Clear();
  elsewhere.cmdApply_Click();
  ASSERT_EQ(prompter.prompts(), (std::vector<std::string>{"Error..."}));
  EXPECT_NE(prompter.messages()[0].detail.find("velktempin.vlk is a folder, not a file, and no file made anew takes "
                                                "its place: remove it or give it another name. Then run again."),
            std::string::npos)
      << prompter.messages()[0].detail;
}

TEST_F(RunDialog, CompletedRunDisablesRunAndCloseMeanwhile) {
  testsupport::SupportedGirder();
  frmEigen dialog(globals::Analysis(), globals::Mesh(), globals::Material(), app::ProgramFolder());
  dialog.show();
  std::vector<ButtonStates> during;
  bool guarded = true;
  dialog.SetYieldHook([&] {
    during.push_back(States(dialog));
    guarded = guarded && analysis::ui::RunInProgress();
    // Neither the frame's close nor Escape ends the dialog during a run.
    dialog.close();
    dialog.reject();
  });
  dialog.cmdApply_Click();
  ASSERT_FALSE(during.empty());
  for (const ButtonStates& s : during) {
    EXPECT_FALSE(s.run);
    EXPECT_TRUE(s.cancel);
    EXPECT_FALSE(s.close);
  }
  EXPECT_TRUE(guarded);
  EXPECT_FALSE(analysis::ui::RunInProgress());
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.ProgressText(), "Ready...");
  EXPECT_TRUE(States(dialog).run);
  EXPECT_FALSE(States(dialog).cancel);
  EXPECT_TRUE(States(dialog).close);
  ASSERT_FALSE(prompter.prompts().empty());
  EXPECT_EQ(prompter.prompts().back().rfind("Eigenvalue of ", 0), 0u) << prompter.prompts().back();
  EXPECT_GT(globals::Analysis().EigenValue, 0.0f);
  RecordProperty("eigenvalue", prompter.prompts().back());
}

TEST_F(RunDialog, CancelThroughAYield) {
  testsupport::SupportedGirder();
  globals::Analysis().EigenValue = 123.0f;
  frmEigen dialog(globals::Analysis(), globals::Mesh(), globals::Material(), app::ProgramFolder());
  dialog.show();
  int yields = 0;
  dialog.SetYieldHook([&] {
    if (++yields == 3) QTest::mouseClick(dialog.form().cmdCancel, Qt::LeftButton);
  });
  dialog.cmdApply_Click();
  EXPECT_TRUE(dialog.ProcessInterrupted());
  EXPECT_EQ(yields, 3);  // the driver stops at the first test after the click
  EXPECT_EQ(dialog.ProgressText(), "Ready...");
  EXPECT_FLOAT_EQ(globals::Analysis().EigenValue, 123.0f);
  const std::string listing = velk_test::ReadBytes(analysis::TempOutputFile(app::ProgramFolder()));
  EXPECT_EQ(listing.find("[Output Ends]"), std::string::npos);
  EXPECT_TRUE(States(dialog).run);
  EXPECT_FALSE(States(dialog).cancel);
}

// A run whose folder another run holds (another window of the program)
// waits for it, saying so on the progress line with Cancel at hand: Cancel
// ends the wait at once and leaves the model and the folder as they were.
// Once the other run has ended, the run goes on with its own model.
TEST_F(RunDialog, ARunWaitsForAnotherRunInItsFolderAndCancelEndsTheWait) {
  testsupport::SupportedGirder();
  globals::Analysis().EigenValue = 123.0f;
  const std::filesystem::path folder = app::ProgramFolder();
  analysis::RunFiles other(folder);
  ASSERT_TRUE(other.TryTakeTurn());
  frmEigen dialog(globals::Analysis(), globals::Mesh(), globals::Material(), folder);
  dialog.show();
  std::vector<std::string> seen;
  std::vector<ButtonStates> during;
  int yields = 0;
  dialog.SetYieldHook([&] {
    seen.push_back(dialog.ProgressText());
    during.push_back(States(dialog));
    if (++yields == 3) QTest::mouseClick(dialog.form().cmdCancel, Qt::LeftButton);
  });
  dialog.cmdApply_Click();
  EXPECT_EQ(yields, 3) << "the wait ends at the first look after the click";
  EXPECT_EQ(seen, std::vector<std::string>(3, "Waiting for another run in " + folder.string() + " to end..."));
  for (const ButtonStates& s : during) {
    EXPECT_FALSE(s.run);
    EXPECT_TRUE(s.cancel);
    EXPECT_FALSE(s.close);
  }
  EXPECT_EQ(dialog.ProgressText(), "Ready...");
  EXPECT_TRUE(prompter.prompts().empty());
  EXPECT_FALSE(std::filesystem::exists(analysis::TempInputFile(folder)));
  EXPECT_FLOAT_EQ(globals::Analysis().EigenValue, 123.0f);
  EXPECT_TRUE(States(dialog).run);

  yields = 0;
  dialog.SetYieldHook([&] {
    if (++yields == 2) other.EndTurn();
  });
  dialog.cmdApply_Click();
  EXPECT_GT(yields, 2);
  ASSERT_FALSE(prompter.prompts().empty());
  EXPECT_EQ(prompter.prompts().back().rfind("Eigenvalue of ", 0), 0u) << prompter.prompts().back();
  EXPECT_NE(globals::Analysis().EigenValue, 123.0f);
  EXPECT_EQ(dialog.ProgressText(), "Ready...");
}

// A box the run shows holds no run of another window: by the time the
// eigenvalue's box, or the box of a band store overflow in the middle of a
// run, waits for the user, the run has written its files and let the folder
// go, and a second copy of the program takes its turn at once. The
// eigenvalue is stored when the box comes, and the listing is whole.
TEST_F(RunDialog, ABoxTheRunShowsHoldsNoRunOfAnotherWindow) {
  class SecondCopyAtEveryBox : public platform::ScriptedPrompter {
   public:
    explicit SecondCopyAtEveryBox(std::filesystem::path folder) : folder_(std::move(folder)) {}
    platform::Answer Message(const platform::MessageRequest& request) override {
      const std::string second = velk_test::Child(
                                     [this] {
                                       analysis::RunFiles files(folder_);
                                       return std::string(files.TryTakeTurn() ? "took its turn" : "waits");
                                     },
                                     std::nullopt)
                                     .Result();
      const std::vector<std::string> listing =
          velk_test::Lines(velk_test::ReadBytes(analysis::TempOutputFile(folder_)));
      seen.push_back(request.prompt + ": the second copy " + second + ", the listing ends " +
                     (listing.empty() ? std::string("nowhere") : listing.back()) + "; eigenvalue " +
                     std::to_string(globals::Analysis().EigenValue));
      return ScriptedPrompter::Message(request);
    }
    std::vector<std::string> seen;

   private:
    std::filesystem::path folder_;
  };
  const std::filesystem::path folder = app::ProgramFolder();
  testsupport::SupportedGirder();
  globals::Analysis().EigenValue = 123.0f;
  SecondCopyAtEveryBox boxes(folder);
  frmEigen dialog(globals::Analysis(), globals::Mesh(), globals::Material(), folder);
  dialog.show();
  dialog.cmdApply_Click();
  ASSERT_EQ(boxes.seen.size(), 1u);
  EXPECT_EQ(boxes.seen[0], boxes.prompts()[0] + ": the second copy took its turn, the listing ends [Output Ends]; "
                           "eigenvalue " + std::to_string(globals::Analysis().EigenValue));
  EXPECT_NE(globals::Analysis().EigenValue, 123.0f);
  EXPECT_EQ(dialog.ProgressText(), "Ready...");

  // A grid size that understates the column length: the band store is too narrow.
  globals::Mesh().Nodes().set_NumberNodesY(2);
  boxes.seen.clear();
  dialog.cmdApply_Click();
  ASSERT_EQ(boxes.seen.size(), 1u);
  EXPECT_EQ(boxes.seen[0].rfind("Dimesnison of Stiffness Matrix Exceeded!:: the second copy took its turn, the "
                                "listing ends Band Width ",
                                0),
            0u)
      << boxes.seen[0];
}

TEST_F(RunDialog, AFailedRunGivesItsReasonAsTheBoxDetail) {
  testsupport::SupportedGirder();
  for (model::Nodeb& n : globals::Mesh().Nodes()) n.set_ZTDir(0);
  frmEigen dialog(globals::Analysis(), globals::Mesh(), globals::Material(), app::ProgramFolder());
  dialog.show();
  dialog.cmdApply_Click();
  ASSERT_FALSE(prompter.messages().empty());
  const platform::MessageRequest& box = prompter.messages().back();
  EXPECT_EQ(box.prompt, "Error: Divide by Zero!");
  EXPECT_NE(box.detail.find("without resistance"), std::string::npos) << box.detail;
  EXPECT_NE(box.detail.find("the model has no out-of-plane supports"), std::string::npos) << box.detail;
  EXPECT_EQ(dialog.ProgressText(), "Ready...");
}

TEST_F(RunDialog, ANonConvergedRunSaysSoInTheBox) {
  testsupport::SupportedGirder();
  globals::Analysis().MaxShift = 1;
  globals::Analysis().MaxCycle = 1;
  frmEigen dialog(globals::Analysis(), globals::Mesh(), globals::Material(), app::ProgramFolder());
  dialog.show();
  dialog.cmdApply_Click();
  ASSERT_FALSE(prompter.prompts().empty());
  const std::string box = prompter.prompts().back();
  EXPECT_EQ(box.rfind("Eigenvalue of ", 0), 0u) << box;
  EXPECT_EQ(box.substr(box.size() - 19), " (did not converge)") << box;
}

TEST(AnalysisOptionDialog, ShowsRoundsAndRefuses) {
  testsupport::FreshModel();
  platform::ScriptedPrompter prompter;
  {
    frmAnalysisOption dialog(globals::Analysis());
    dialog.show();
    auto& ui = dialog.form();
    EXPECT_EQ(dialog.windowTitle(), "Analysis Option");
    EXPECT_EQ(ui.txtShift->text(), "3");
    EXPECT_EQ(ui.txtCycle->text(), "8");
    EXPECT_EQ(ui.txtFactor->text(), "0.8");
    EXPECT_FALSE(ui.chktorsion->isChecked());
    EXPECT_TRUE(ui.optOneThird->isChecked());
    EXPECT_FALSE(ui.optAll->isChecked());
    struct Case {
      const char *shift, *cycle, *factor, *message;
    };
    for (const Case& c : {Case{"", "8", "0.8", "Input Data Error : Numbers!"},
                          Case{"3", "8", "nan", "Input Data Error : Numbers!"},
                          Case{"0", "8", "0.8", "Error..."},
                          Case{"0.5", "8", "0.8", "Error..."},
                          Case{"3", "0.5", "0.8", "Error..."},
                          Case{"40000", "8", "0.8", "Error..."},
                          // Refused before anything is stored.
                          Case{"5", "9", "1e39", "Error..."}}) {
      prompter.Clear();
      ui.txtShift->setText(c.shift);
      ui.txtCycle->setText(c.cycle);
      ui.txtFactor->setText(c.factor);
      EXPECT_FALSE(dialog.cmdApply_Click()) << c.shift << " " << c.factor;
      EXPECT_EQ(prompter.prompts(), (std::vector<std::string>{c.message}));
      EXPECT_EQ(globals::Analysis().MaxShift, 3);
      EXPECT_EQ(globals::Analysis().MaxCycle, 8);
    }
    ui.txtShift->setText("2.5");  // half to even
    ui.txtCycle->setText("1.5");
    ui.txtFactor->setText("-0.5");
    ui.chkshear->setChecked(true);
    ui.optAll->setChecked(true);
    EXPECT_TRUE(dialog.cmdApply_Click());
  }
  const model::Analysis& a = globals::Analysis();
  EXPECT_EQ(a.MaxShift, 2);
  EXPECT_EQ(a.MaxCycle, 2);
  EXPECT_FLOAT_EQ(a.ShiftFactor, -0.5f);
  EXPECT_TRUE(a.ISHEAR);
  EXPECT_FALSE(a.IGSTF);
  EXPECT_EQ(a.OptionInitialB, 1);

  frmAnalysisOption again(globals::Analysis());
  again.show();
  EXPECT_TRUE(again.form().optAll->isChecked());
  EXPECT_TRUE(again.form().chkshear->isChecked());
  again.form().txtShift->setText("9");
  QTest::mouseClick(again.form().cmdClose, Qt::LeftButton);
  EXPECT_EQ(globals::Analysis().MaxShift, 2);
}

// Every tab title shows whole, without scroll arrows: the tabbed dialogs are
// as wide as their tab strips.
TEST(TabbedDialogs, ShowEveryTabTitleWhole) {
  testsupport::DefaultGirder();
  testsupport::Handed handed;
  std::vector<std::unique_ptr<QDialog>> dialogs;
  dialogs.push_back(std::make_unique<frmAnalysisOption>(globals::Analysis()));
  dialogs.push_back(std::make_unique<frmBeamShape>(handed.girder, globals::View()));
  dialogs.push_back(std::make_unique<frmOption>(globals::View()));
  for (const std::unique_ptr<QDialog>& dialog : dialogs) {
    SCOPED_TRACE(dialog->objectName().toStdString());
    dialog->show();
    QApplication::processEvents();
    const QTabBar* tabs = dialog->findChild<QTabWidget*>()->tabBar();
    for (const QToolButton* arrow : tabs->findChildren<QToolButton*>()) EXPECT_FALSE(arrow->isVisible());
    for (int i = 0; i < tabs->count(); ++i) {
      SCOPED_TRACE(tabs->tabText(i).toStdString());
      EXPECT_TRUE(tabs->rect().contains(tabs->tabRect(i)));
      EXPECT_GE(tabs->tabRect(i).width(), tabs->fontMetrics().horizontalAdvance(tabs->tabText(i)));
    }
    dialog->hide();
  }
}
