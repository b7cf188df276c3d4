// The girder generator dialog driven as a user drives it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "app/GlobalGirderHost.h"
#include "dialogs/frmBeamShape.h"
#include "model/Nodes.h"
#include "model/twoNodes.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "ui_frmBeamShape.h"
#include "view/View.h"

using platform::Answer;

namespace {

class GirderDialog : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::FreshModel(); }
  platform::ScriptedPrompter prompter;
  app::GlobalGirderHost host{nullptr};  // the global model, no main window
};

// Answers as scripted, and takes the focus from a box and gives it back
// around each message as the window system does when a modal box opens and
// closes.
class ModalPrompter : public platform::ScriptedPrompter {
 public:
  explicit ModalPrompter(QWidget* box) : box_(box) {}
  Answer Message(const platform::MessageRequest& request) override {
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(box_, &out);
    const Answer answer = ScriptedPrompter::Message(request);
    QFocusEvent in(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(box_, &in);
    return answer;
  }

 private:
  QWidget* box_;
};

}  // namespace

TEST_F(GirderDialog, OpensOnEnd1WithDefaultsAndSketches) {
  frmBeamShape dialog(host, globals::View());
  dialog.show();
  auto& ui = dialog.form();
  EXPECT_EQ(dialog.windowTitle(), "Beam");
  EXPECT_EQ(ui.SSTab1->currentIndex(), 0);
  EXPECT_EQ(ui.SSTab1->count(), 4);
  EXPECT_EQ(ui.txtBTFW->text(), "12");
  EXPECT_EQ(ui.txtBWT->text(), "0.5");
  EXPECT_EQ(ui.txtBL->text(), "120");
  EXPECT_EQ(ui.txtMOE->text(), "29000");
  EXPECT_EQ(ui.txtPR->text(), "0.3");
  EXPECT_EQ(ui.txtNumXElements->text(), "14");
  EXPECT_EQ(ui.txtNumYElements->text(), "3");
  EXPECT_EQ(ui.txtOffset->text(), "0");
  ASSERT_EQ(ui.Picture1->Boxes().size(), 3u);
  EXPECT_NEAR(ui.Picture1->ScaleRight(), 20.4, 1e-5);
  EXPECT_NEAR(ui.Picture1->ScaleTop(), 20.4, 1e-5);
  EXPECT_NEAR(ui.Picture1->Boxes()[0].x, 4.2, 1e-5);
  EXPECT_NEAR(ui.Picture1->Boxes()[0].y, 18.2, 1e-5);
  EXPECT_NEAR(ui.Picture1->Boxes()[1].x, 9.95, 1e-5);
  EXPECT_NEAR(ui.Picture1->Boxes()[2].y, 1.7, 1e-5);
  EXPECT_EQ(ui.Picture2->Boxes().size(), 3u);
  EXPECT_TRUE(prompter.prompts().empty());
}

TEST_F(GirderDialog, CountsComeFromTheGrid) {
  globals::Mesh().Nodes().set_NumberNodesX(11);
  globals::Mesh().Nodes().set_NumberNodesY(5);
  frmBeamShape dialog(host, globals::View());
  dialog.show();
  EXPECT_EQ(dialog.form().txtNumXElements->text(), "10");
  EXPECT_EQ(dialog.form().txtNumYElements->text(), "4");
}

TEST_F(GirderDialog, SketchFollowsTypingAndEnterRaisesNothing) {
  frmBeamShape dialog(host, globals::View());
  dialog.show();
  auto& ui = dialog.form();
  ui.txtBWT->setFocus();
  ui.txtBWT->selectAll();
  QTest::keyClick(ui.txtBWT, Qt::Key_Backspace);
  // An empty box hides its picture without a message.
  EXPECT_TRUE(ui.Picture1->isHidden());
  QTest::keyClick(ui.txtBWT, '0');
  QTest::keyClick(ui.txtBWT, '.');
  ASSERT_EQ(prompter.prompts(),
            (std::vector<std::string>{dialogs::kMsgBeamWeb, dialogs::kMsgBeamWeb}));
  // The Enter that closes a message box changes no text and so raises nothing.
  QTest::keyClick(ui.txtBWT, Qt::Key_Return);
  EXPECT_EQ(prompter.prompts().size(), 2u);
  QTest::keyClick(ui.txtBWT, '5');
  EXPECT_EQ(prompter.prompts().size(), 2u);
  EXPECT_FALSE(ui.Picture1->isHidden());
  EXPECT_EQ(ui.Picture1->Boxes().size(), 3u);
  // A letter hides the picture silently; End 2 is unaffected.
  QTest::keyClick(ui.txtBWT, 'x');
  EXPECT_TRUE(ui.Picture1->isHidden());
  EXPECT_FALSE(ui.Picture2->isHidden());
  EXPECT_EQ(prompter.prompts().size(), 2u);
}

TEST_F(GirderDialog, TypingGoesOnWhereItWasAfterAMessage) {
  frmBeamShape dialog(host, globals::View());
  dialog.show();
  auto& ui = dialog.form();
  ModalPrompter modal(ui.txtBWT);
  ui.txtBWT->setFocus();
  ui.txtBWT->selectAll();
  // Each key is followed by the event loop, as when a person types.
  for (const char key : {'0', '.'}) {
    QTest::keyClick(ui.txtBWT, key);
    QApplication::processEvents();
  }
  EXPECT_EQ(ui.txtBWT->text(), "0.");
  EXPECT_EQ(ui.txtBWT->cursorPosition(), 2);
  EXPECT_EQ(modal.prompts(),
            (std::vector<std::string>{dialogs::kMsgBeamWeb, dialogs::kMsgBeamWeb}));
  QTest::keyClick(ui.txtBWT, '5');
  EXPECT_EQ(ui.txtBWT->text(), "0.5");
  EXPECT_EQ(modal.prompts().size(), 2u);
  EXPECT_EQ(ui.Picture1->Boxes().size(), 3u);

  // A click that moves the focus into a box still selects its whole text.
  QFocusEvent click(QEvent::FocusIn, Qt::MouseFocusReason);
  QApplication::sendEvent(ui.txtBWH, &click);
  QApplication::processEvents();
  EXPECT_EQ(ui.txtBWH->selectedText(), ui.txtBWH->text());
}

TEST_F(GirderDialog, SetEqualCopiesEnd1AndRedrawsEnd2) {
  frmBeamShape dialog(host, globals::View());
  dialog.show();
  auto& ui = dialog.form();
  ui.txtBTFW->setText("8");
  ui.txtBTFT->setText("1");
  ui.txtBWH->setText("20");
  ui.txtBWT->setText("0.375");
  ui.txtBBFW->setText("10");
  ui.txtBBFT->setText("0.75");
  ui.txtOffset->setText("3");
  QTest::mouseClick(ui.setEqual, Qt::LeftButton);
  EXPECT_EQ(ui.txtBWTE->text(), "0.375");
  EXPECT_EQ(ui.txtOffset->text(), "3");
  ASSERT_EQ(ui.Picture2->Boxes().size(), 3u);
  EXPECT_NEAR(ui.Picture2->Boxes()[0].y, 22.925, 1e-5);
  EXPECT_NEAR(ui.Picture2->Boxes()[1].x, 12.8625, 1e-5);
  EXPECT_TRUE(prompter.prompts().empty());
}

TEST_F(GirderDialog, DefaultGenerationBuildsTheGirderAndCloses) {
  frmBeamShape dialog(host, globals::View());
  dialog.show();
  QTest::mouseClick(dialog.form().cmdGenerate, Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(prompter.prompts().empty());  // no warning on an empty model
  EXPECT_EQ(globals::Mesh().Nodes().Count(), 60);
  EXPECT_EQ(globals::Mesh().fourNodes().Count(), 42);
  EXPECT_EQ(globals::Mesh().twoNodes().Count(), 101);
  EXPECT_EQ(globals::Mesh().twoNodes().MaxvID(), 28);
  EXPECT_EQ(globals::View().PropertyMode, 1);
  EXPECT_EQ(globals::View().MeshMode, 3);
}

TEST_F(GirderDialog, RefusalsKeepTheModelSectionAndMaterial) {
  testsupport::DefaultGirder();
  model::Mesh* before = &globals::Mesh();
  globals::BeamShape().set_Web_T(0.25f);
  struct Case {
    QLineEdit* Ui::frmBeamShape::*box;
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {&Ui::frmBeamShape::txtBL, "abc", dialogs::kMsgNumbers},
      {&Ui::frmBeamShape::txtBBFTE, "nan", dialogs::kMsgNumbers},
      {&Ui::frmBeamShape::txtPR, "1", dialogs::kMsgPR},
      {&Ui::frmBeamShape::txtBWH, "-16", dialogs::kMsgBeamWeb},
      {&Ui::frmBeamShape::txtBL, "0", dialogs::kMsgBeamLength},
  };
  for (const Case& c : cases) {
    frmBeamShape dialog(host, globals::View());
    dialog.show();
    (dialog.form().*c.box)->setText(c.text);
    prompter.Clear();
    prompter.QueueAnswer(Answer::Ok);  // the warning
    dialog.cmdGenerate_Click();
    EXPECT_EQ(prompter.prompts(),
              (std::vector<std::string>{"Existing Mesh will be destroyed!", c.message}))
        << c.text;
    EXPECT_EQ(prompter.messages().at(0).title, "Warning");
    EXPECT_EQ(prompter.messages().at(0).buttons, platform::Buttons::OkCancel);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(&globals::Mesh(), before);
    EXPECT_EQ(globals::Mesh().Nodes().Count(), 60);
    EXPECT_FLOAT_EQ(globals::BeamShape().Web_T(), 0.25f);
    EXPECT_FLOAT_EQ(globals::Material().MOE(), 29000.0f);
  }
}

// A grid beyond the node limit is refused before the user is asked to give
// up the mesh for it, and whether or not there is one.
TEST_F(GirderDialog, AGridTooLargeIsRefusedBeforeTheWarning) {
  for (bool existing : {true, false}) {
    if (existing) testsupport::DefaultGirder();
    const long nodes = globals::Mesh().Nodes().Count();
    frmBeamShape dialog(host, globals::View());
    dialog.show();
    dialog.form().txtNumXElements->setText("99999");
    prompter.Clear();
    dialog.cmdGenerate_Click();
    EXPECT_EQ(prompter.prompts(), std::vector<std::string>{dialogs::kMsgTooManyElements}) << existing;
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(globals::Mesh().Nodes().Count(), nodes);
    testsupport::FreshModel();
  }
}

TEST_F(GirderDialog, ZeroFlangeRewritesItsBoxes) {
  frmBeamShape dialog(host, globals::View());
  dialog.show();
  auto& ui = dialog.form();
  ui.txtBTFW->setText("0");
  ui.txtBWT->setText("0");
  dialog.cmdGenerate_Click();
  EXPECT_EQ(prompter.prompts(), (std::vector<std::string>{dialogs::kMsgBeamWeb}));
  EXPECT_EQ(ui.txtBTFW->text(), "0");
  EXPECT_EQ(ui.txtBTFT->text(), "0");
  EXPECT_EQ(globals::Mesh().Nodes().Count(), 0);
}

TEST_F(GirderDialog, CancelKeepsEverything) {
  testsupport::DefaultGirder();
  model::Mesh* before = &globals::Mesh();
  {
    frmBeamShape dialog(host, globals::View());
    dialog.show();
    dialog.form().txtBWT->setText("0.75");
    prompter.QueueAnswer(Answer::Cancel);
    dialog.cmdGenerate_Click();
    EXPECT_EQ(prompter.prompts().size(), 1u);
    EXPECT_EQ(dialog.form().txtBWT->text(), "0.75");
    QTest::mouseClick(dialog.form().cmdClose2, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
  EXPECT_EQ(&globals::Mesh(), before);
  EXPECT_FLOAT_EQ(globals::BeamShape().Web_T(), 0.5f);
  // The next opening shows the shared section again.
  frmBeamShape again(host, globals::View());
  again.show();
  EXPECT_EQ(again.form().txtBWT->text(), "0.5");
}

TEST_F(GirderDialog, ReshowingDoesNotRefill) {
  frmBeamShape dialog(host, globals::View());
  dialog.show();
  dialog.form().txtBWH->setText("18");
  dialog.hide();
  dialog.show();
  EXPECT_EQ(dialog.form().txtBWH->text(), "18");
}
