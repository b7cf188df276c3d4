// Where the focus goes as windows come and go, delivered by the window system
// as it activates them.
//
// Typing over a dialog's boxes: a dialog opens with the focus in the first box
// of the page it shows, tabbed or not. A box's whole text is selected when the
// focus arrives in it as the dialog opens, by Tab or by a click, so that typing
// replaces the old value; when the focus only comes back with the dialog's
// window, typing goes on where the caret was. The about box stays open while
// another application is in front.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

#include "analysis/ui/frmAnalysisOption.h"
#include "analysis/ui/frmEigen.h"
#include "app/ProgramPaths.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmBeamShape.h"
#include "dialogs/frmBoundary.h"
#include "dialogs/frmBrace.h"
#include "dialogs/frmLoad.h"
#include "dialogs/frmOption.h"
#include "dialogs/frmPlate.h"
#include "dialogs/frmStiffener.h"
#include "model/fourNodes.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "ui_frmAbout.h"

namespace {

// How the focus gets to a box: a click on a tab of the dialog (or none),
// then keys pressed.
struct Route {
  int page;
  std::vector<int> keys;
};

struct FocusCase {
  const char* dialog;
  std::function<std::unique_ptr<QDialog>(frmMenu& main, testsupport::Handed& handed)> open;
  const char* opensOn;  // the box that has the focus as the dialog opens
  Route toFirst;  // from where the dialog opens
  const char* first;
  Route toNext;  // from the first box
  const char* next;
  Route toClicked;  // from the next box; then the box is clicked
  const char* clicked;
};

constexpr int kTab = Qt::Key_Tab;

std::vector<FocusCase> Cases() {
  using testsupport::Handed;
  using testsupport::SelectNodes;
  using Made = std::unique_ptr<QDialog>;
  auto nodeDialog = [](auto make) {
    return [make](frmMenu&, Handed& handed) -> Made {
      SelectNodes({1});
      return make(handed);
    };
  };
  return {
      {"Plate",
       [](frmMenu&, Handed& handed) -> Made {
         globals::Mesh().fourNodes().Item(1).set_Thickness(12);
         testsupport::SelectPlates({1});
         return std::make_unique<frmPlate>(handed.selected, globals::Mesh());
       },
       "txtthick", {-1, {}}, "txtthick", {-1, {kTab, Qt::Key_Backtab}}, "txtthick", {-1, {kTab}}, "txtthick"},
      {"Stiffener",
       [](frmMenu&, Handed& handed) -> Made {
         testsupport::SelectStiffeners({1});
         return std::make_unique<frmStiffener>(handed.selected, globals::Mesh());
       },
       "txtWidth", {-1, {}}, "txtWidth", {-1, {kTab}}, "txtthick", {-1, {}}, "txtWidth"},
      {"Boundary", nodeDialog([](Handed& h) { return std::make_unique<frmBoundary>(h.selected); }),
       "Check1_0", {-1, {kTab}}, "txtX", {-1, {kTab, kTab}}, "txtY", {-1, {}}, "txtX"},
      {"Brace", nodeDialog([](Handed& h) { return std::make_unique<frmBrace>(h.selected); }),
       "txtX", {-1, {}}, "txtX", {-1, {kTab}}, "txtY", {-1, {}}, "txtYR"},
      {"Load", nodeDialog([](Handed& h) { return std::make_unique<frmLoad>(h.selected); }),
       "txtLoadX", {-1, {}}, "txtLoadX", {-1, {kTab}}, "txtLoadY", {-1, {}}, "txtLoadX"},
      {"Run",
       [](frmMenu&, Handed&) -> Made {
         return std::make_unique<frmEigen>(globals::Analysis(), globals::Mesh(), globals::Material(),
                                           app::ProgramFolder());
       },
       "txtTitle", {-1, {}}, "txtTitle", {-1, {kTab}}, "txtDiscription", {-1, {}}, "txtEstimation"},
      {"AnalysisOption",
       [](frmMenu&, Handed&) -> Made { return std::make_unique<frmAnalysisOption>(globals::Analysis()); },
       "txtShift", {-1, {}}, "txtShift", {-1, {kTab}}, "txtCycle", {-1, {}}, "txtFactor"},
      {"Girder",
       [](frmMenu&, Handed& handed) -> Made {
         return std::make_unique<frmBeamShape>(handed.girder, globals::View());
       },
       "txtBTFW", {-1, {}}, "txtBTFW", {-1, {kTab}}, "txtBTFT", {3, {}}, "txtNumXElements"},
      {"GirderEnd2",
       [](frmMenu&, Handed& handed) -> Made {
         return std::make_unique<frmBeamShape>(handed.girder, globals::View());
       },
       "txtBTFW", {1, {kTab}}, "txtBTFWE", {-1, {kTab}}, "txtBTFTE", {2, {}}, "txtMOE"},
      {"ViewOption",
       [](frmMenu& main, Handed&) -> Made { return std::make_unique<frmOption>(globals::View(), &main); },
       "chkCoordinate", {1, {kTab}}, "txtInpMag", {-1, {kTab}}, "txtOutpMag", {2, {}}, "txtSelectedMarker"},
  };
}

QString TextOf(const QWidget* box) {
  if (auto* line = qobject_cast<const QLineEdit*>(box)) return line->text();
  if (auto* plain = qobject_cast<const QPlainTextEdit*>(box)) return plain->toPlainText();
  return {};
}

std::string FocusName() {
  const QWidget* w = QApplication::focusWidget();
  return w ? w->objectName().toStdString() : "(none)";
}

class TextBoxFocus : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::DefaultGirder();
    testsupport::StartMainWindow(main);
    prompter.Clear();
  }

  // Opens the dialog modally; the window system activates it.
  static void Open(QDialog& dialog) {
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QApplication::processEvents();
  }

  // A modal box comes over the dialog and goes, and the dialog is in front
  // again, as after a message box.
  static void MessageBoxOver(QDialog& dialog) {
    QDialog front(&dialog);
    front.setWindowModality(Qt::ApplicationModal);
    front.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&front));
    front.hide();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QApplication::processEvents();
  }

  // Clicks and keys as the user gives them: the keys go to the focus.
  static void Follow(QDialog& dialog, const Route& route) {
    if (route.page >= 0) {
      QTabBar* tabs = dialog.findChild<QTabWidget*>()->tabBar();
      QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(route.page).center());
      QApplication::processEvents();
    }
    for (int key : route.keys) {
      // The scroll arrows of a tab strip too narrow for its tabs take a Tab
      // of their own, depending on the font.
      do {
        QTest::keyClick(dialog.windowHandle(), static_cast<Qt::Key>(key));
        QApplication::processEvents();
      } while (QApplication::focusWidget() &&
               qobject_cast<QTabBar*>(QApplication::focusWidget()->parentWidget()));
    }
  }
  static void Type(QDialog& dialog, char c) {
    QTest::keyClick(dialog.windowHandle(), c);
    QApplication::processEvents();
  }

  std::unique_ptr<frmMenu> main;
  platform::ScriptedPrompter prompter;
};

}  // namespace

TEST_F(TextBoxFocus, TypingReplacesTheTextOfABoxTheFocusArrivesIn) {
  testsupport::Handed handed;
  for (const FocusCase& c : Cases()) {
    SCOPED_TRACE(c.dialog);
    const std::unique_ptr<QDialog> dialog = c.open(*main, handed);
    Open(*dialog);
    auto box = [&dialog](const char* name) { return dialog->findChild<QWidget*>(name); };

    // What the user types first goes into the first box of the page shown,
    // never to the tabs: a text box takes it (below), a check box the space.
    ASSERT_EQ(FocusName(), c.opensOn);
    if (auto* check = qobject_cast<QAbstractButton*>(box(c.opensOn))) {
      const bool was = check->isChecked();
      Type(*dialog, ' ');
      EXPECT_NE(check->isChecked(), was);
      Type(*dialog, ' ');
    }

    // The first box, as the dialog opens; typing goes on after a message box.
    Follow(*dialog, c.toFirst);
    ASSERT_EQ(FocusName(), c.first);
    EXPECT_FALSE(TextOf(box(c.first)).isEmpty());
    Type(*dialog, '1');
    EXPECT_EQ(TextOf(box(c.first)), "1");
    MessageBoxOver(*dialog);
    ASSERT_EQ(FocusName(), c.first);
    Type(*dialog, '0');
    EXPECT_EQ(TextOf(box(c.first)), "10");

    // A box reached by Tab.
    Follow(*dialog, c.toNext);
    ASSERT_EQ(FocusName(), c.next);
    Type(*dialog, '7');
    EXPECT_EQ(TextOf(box(c.next)), "7");

    // A click into a box that has not got the focus (a click on a tab takes
    // it to the tabs).
    Follow(*dialog, c.toClicked);
    QTest::mouseClick(box(c.clicked), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(FocusName(), c.clicked);
    Type(*dialog, '3');
    EXPECT_EQ(TextOf(box(c.clicked)), "3");
    dialog->hide();
  }
  EXPECT_TRUE(prompter.prompts().empty());
}

TEST(AboutBox, StaysOpenBehindAnotherApplicationAndClosesWhenItsOwnWindowLosesTheFocus) {
  frmAbout box;
  int closed = 0;
  QObject::connect(&box, &QDialog::finished, [&closed] { ++closed; });
  // While it is being shown, a loss of the focus is not the user leaving.
  QFocusEvent early(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(&box, &early);
  EXPECT_EQ(closed, 0);

  // Another application's window comes to the front as the window system
  // activates it; the box keeps its focus on OK and stays open behind it.
  box.show();
  box.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
  EXPECT_TRUE(box.form().cmdOK->hasFocus());
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  EXPECT_EQ(closed, 0);
  EXPECT_TRUE(box.isVisible());

  // With the focus on the box's own window, losing it closes the box.
  box.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
  box.setFocus();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(box.isVisible());
}
