// Reading the results in the main window: the stress plot window with its
// extremes and the value under the pointer, the property listing window with
// its tabs, Save to File and Print, every way each of them closes, and the
// two reports from the File menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPdfWriter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <GL/gl.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/ui/frmAnalysisOption.h"
#include "analysis/ui/frmEigen.h"
#include "app/CommandSet.h"
#include "app/GlobalProjectHost.h"
#include "app/Globals.h"
#include "app/MouseModes.h"
#include "app/MouseOperations.h"
#include "app/ProgramPaths.h"
#include "app/Selection.h"
#include "app/frmMenu.h"
#include "dialogs/PropertyListing.h"
#include "dialogs/frmCoord.h"
#include "dialogs/frmPropertyView.h"
#include "dialogs/frmStress.h"
#include "model/Analysis.h"
#include "model/BeamShape.h"
#include "model/Mesh.h"
#include "platform/MessageBox.h"
#include "platform/qt/CommonDialog.h"
#include "platform/qt/GLSurface.h"
#include "platform/qt/KeyedStatusBar.h"
#include "platform/qt/QtPrompter.h"
#include "platform/qt/RichTextBox.h"
#include "tests/analysis/RunTestSupport.h"
#include "tests/app/reports/AnalysedModel.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/platform/FileTestSupport.h"
#include "ui_frmAnalysisOption.h"
#include "ui_frmCoord.h"
#include "ui_frmPropertyView.h"
#include "ui_frmStress.h"
#include "view/View.h"

namespace fs = std::filesystem;
using platform::Answer;
using reporttest::Sci;
using testsupport::PointerAt;
using velk_test::BoxScript;
using velk_test::ReadBytes;

namespace {

class ResultWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    globals::ReleaseAll();
    testsupport::StartMainWindow(window);
    prompter.Clear();  // the missing options file of a first start
  }
  void TearDown() override {
    window.reset();
    DeleteClosed();
    globals::ReleaseAll();
  }

  app::CommandSet& commands() { return *app::CommandSet::Of(*window); }
  void Trigger(const char* name) {
    QAction* a = window->Action(name);
    ASSERT_NE(a, nullptr) << name;
    a->trigger();
  }
  bool Checked(const char* name) { return window->Action(name)->isChecked(); }
  frmStress* Stress() { return window->StressWindow(); }
  frmPropertyView* Listing() { return qobject_cast<frmPropertyView*>(window->PropertyViewWindow()); }
  static void DeleteClosed() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  // The default girder on fork supports, analysed.
  void AnalysedGirder() {
    testsupport::SupportedGirder();
    runtest::ScriptedRunUi ui;
    const analysis::RunResult r =
        runtest::RunModel(globals::Mesh(), globals::Analysis(), globals::Material(), app::ProgramFolder(), ui);
    ASSERT_EQ(r.outcome, analysis::RunOutcome::Completed);
    globals::View().Initialization(globals::Mesh().Nodes());
  }

  // Runs the analysis as Analysis > Run does: the dialog's Run, then Close;
  // `atYield` is called at every yield of the run, with the dialog.
  void RunFromTheMenu(const std::function<void(frmEigen&)>& atYield = {}) {
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&timer, &atYield] {
      if (auto* d = qobject_cast<frmEigen*>(QApplication::activeModalWidget())) {
        timer.stop();
        if (atYield) d->SetYieldHook([d, &atYield] { atYield(*d); });
        d->cmdApply_Click();
        d->cmdClose_Click();
      }
    });
    timer.start();
    Trigger("mnuRun_Run");
  }
  // The frame on the screen, as it is: nothing drawn for it.
  std::vector<unsigned char> ShownFrame() {
    const QSize size = window->Surface()->ShownFrameSize();
    std::vector<unsigned char> rgba(static_cast<std::size_t>(4 * size.width() * size.height()));
    if (!window->Surface()->ReadShownFrame(0, 0, size.width(), size.height(), GL_RGBA, GL_UNSIGNED_BYTE,
                                           rgba.data()))
      rgba.clear();
    return rgba;
  }
  // The frame the model and the view's state give when drawn now.
  std::vector<unsigned char> FrameDrawnNow() {
    window->Paint();
    return ShownFrame();
  }
  std::string Panel() { return window->StatusBar1().Text("eigenvalue"); }
  // Line 6 of a report: the eigenvalue line.
  static std::string Line6(const std::string& bytes) {
    std::size_t at = 0;
    for (int line = 1; line < 6; ++line) at = bytes.find("\r\n", at) + 2;
    return bytes.substr(at, bytes.find("\r\n", at) - at);
  }

  velk_test::ScratchFolder scratch;
  const fs::path dir = scratch.path();
  BoxScript prompter;
  platform::ScriptedFileDialogBackend files;  // before the window: no real dialog
  std::unique_ptr<frmMenu> window;
};

// The extremes that a stress plot of the option takes: numbered nodes, and
// for Sx the numbered stiffeners too.
void Extremes(int option, float& largest, float& smallest) {
  largest = -1E37f;
  smallest = 1E37f;
  for (const model::Nodeb& n : globals::Mesh().Nodes()) {
    if (n.vID() == 0) continue;
    const float s = option == 1 ? n.Sx() : option == 2 ? n.Sy() : option == 3 ? n.SXY() : n.Mises();
    largest = std::max(largest, s);
    smallest = std::min(smallest, s);
  }
  if (option != 1) return;
  for (const model::twoNode& t : globals::Mesh().twoNodes()) {
    if (t.vID() == 0) continue;
    largest = std::max(largest, t.Stress());
    smallest = std::min(smallest, t.Stress());
  }
}

}  // namespace

TEST_F(ResultWindows, StressPlotWindowChoosesThePlotAndShowsItsExtremes) {
  AnalysedGirder();
  globals::View().OptionShowStress = 0;
  Trigger("mnuStressPlot");
  frmStress* w = Stress();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->isModal());
  EXPECT_EQ(w->windowTitle(), "Plot");
  EXPECT_TRUE(Checked("mnuStressPlot"));
  EXPECT_EQ(w->form().optSx->text(), "Sx && Stiffener ");
  for (QRadioButton* b : {w->form().optSx, w->form().optSy, w->form().optSxy, w->form().optMises})
    EXPECT_FALSE(b->isChecked());
  EXPECT_EQ(w->form().lblMax->text(), "");
  EXPECT_EQ(w->form().lblMin->text(), "");
  EXPECT_EQ(w->form().lblStress->text(), "");
  EXPECT_EQ(w->form().lblMax->palette().color(QPalette::Window), QColor(255, 224, 192));
  EXPECT_EQ(globals::View().OptionShowStress, 0) << "opening chooses nothing";

  QRadioButton* options[] = {w->form().optSx, w->form().optSy, w->form().optSxy, w->form().optMises};
  for (int option = 1; option <= 4; ++option) {
    options[option - 1]->setChecked(true);
    const unsigned long frames = window->FramesDrawn();
    QTest::mouseClick(w->form().OKButton, Qt::LeftButton);
    EXPECT_EQ(globals::View().OptionShowStress, option);
    EXPECT_GT(window->FramesDrawn(), frames) << "Apply repaints at once";
    float largest = 0, smallest = 0;
    Extremes(option, largest, smallest);
    EXPECT_NE(largest, smallest);
    EXPECT_EQ(w->form().lblMax->text().toStdString(), Sci(largest)) << option;
    EXPECT_EQ(w->form().lblMin->text().toStdString(), Sci(smallest)) << option;
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(Checked("mnuStressPlot"));
  }

  // Apply with nothing ticked ends the plot; the window, its values and the
  // menu tick stay.
  const QString max = w->form().lblMax->text();
  for (QRadioButton* b : options) {
    b->setAutoExclusive(false);
    b->setChecked(false);
  }
  QTest::mouseClick(w->form().OKButton, Qt::LeftButton);
  EXPECT_EQ(globals::View().OptionShowStress, 0);
  EXPECT_EQ(w->form().lblMax->text(), max);
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(Checked("mnuStressPlot"));

  // A second Stress Plot tick while it is open (Update unticked the entry)
  // brings the same window forward.
  window->Update();
  EXPECT_FALSE(Checked("mnuStressPlot"));
  Trigger("mnuStressPlot");
  EXPECT_EQ(Stress(), w);
  EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(ResultWindows, TheColourUnderThePointerGivesItsStress) {
  testsupport::FreshModel();
  model::Mesh& mesh = globals::Mesh();
  runtest::BuildPanel(mesh, 20, 10, 2, 1, 1);  // 3 by 2 nodes, two plates
  runtest::Number(mesh);
  // Plate 1 (x from 0 to 10) is at -50 all over, plate 2 runs to +100.
  for (long k = 1; k <= 6; ++k) mesh.Nodes().Item(k).set_Sy(k <= 4 ? -50.0f : 100.0f);
  globals::Analysis().EigenValue = 1;  // the stresses are a run's result
  globals::View().Initialization(mesh.Nodes());
  Trigger("mnuStressPlot");
  frmStress* w = Stress();
  ASSERT_NE(w, nullptr);
  w->form().optSy->setChecked(true);
  QTest::mouseClick(w->form().OKButton, Qt::LeftButton);
  EXPECT_EQ(w->form().lblMax->text(), "1.00E+02");
  EXPECT_EQ(w->form().lblMin->text(), "-5.00E+01");
  EXPECT_DOUBLE_EQ(globals::View().maxStress, 100.0);

  float px = 0, py = 0;
  PointerAt(*window, 5, 5, px, py);
  app::Form_MouseMove(*window, 0, 0, px, py);
  // The pixel there: white at 0 and pure blue at -M, so -50 of 100 is
  // (0.5, 0.5, 1) up to the colour buffer's depth.
  float blue = 0, red = 0;
  window->ReadPixelBlueRed(app::RoundPixel(px), app::PointerRow(py, globals::View().lastViewport[3]), blue, red);
  EXPECT_EQ(blue, 1.0f);
  EXPECT_NEAR(red, 0.5, 1.0 / 255);
  const float expected = static_cast<float>(-(1.0 - static_cast<double>(red)) * 100.0);
  EXPECT_NEAR(expected, -50, 0.5);
  EXPECT_EQ(w->form().lblStress->text().toStdString(), Sci(expected));

  // The white background names no value: the last one stays.
  app::Form_MouseMove(*window, 0, 0, 3, 3);
  EXPECT_EQ(w->form().lblStress->text().toStdString(), Sci(expected));
  EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(ResultWindows, EveryWayOfClosingTheStressWindowEndsThePlotOnce) {
  AnalysedGirder();
  enum Route { kClose, kCloseBox, kEscape, kMenu, kBuckledShape, kMainWindow };
  for (Route route : {kClose, kCloseBox, kEscape, kMenu, kBuckledShape, kMainWindow}) {
    SCOPED_TRACE(route);
    Trigger("mnuStressPlot");
    QPointer<frmStress> w = Stress();
    ASSERT_FALSE(w.isNull());
    w->form().optSx->setChecked(true);
    QTest::mouseClick(w->form().OKButton, Qt::LeftButton);
    ASSERT_EQ(globals::View().OptionShowStress, 1);
    QAction* entry = window->Action("mnuStressPlot");
    // The tick changes once, and no command runs again from inside the close
    // (a click on the entry itself toggles it and puts it back before its
    // command runs).
    int toggles = 0, commandsRun = 0;
    const auto toggled = QObject::connect(entry, &QAction::toggled, [&toggles](bool) { ++toggles; });
    const auto triggered = QObject::connect(entry, &QAction::triggered, [&commandsRun] { ++commandsRun; });
    const unsigned long frames = window->FramesDrawn();

    switch (route) {
      case kClose: QTest::mouseClick(w->form().CancelButton, Qt::LeftButton); break;
      case kCloseBox: w->close(); break;
      case kEscape: QTest::keyClick(w, Qt::Key_Escape); break;
      case kMenu: Trigger("mnuStressPlot"); break;
      case kBuckledShape: Trigger("mnuResult_Show"); break;
      case kMainWindow: {
        app::GlobalProjectHost saved(window.get());  // a saved model: closing asks nothing
        app::MarkUnchanged(saved);
        window->close();
        break;
      }
    }
    QObject::disconnect(toggled);
    QObject::disconnect(triggered);
    EXPECT_EQ(globals::View().OptionShowStress, 0);
    EXPECT_FALSE(entry->isChecked());
    EXPECT_EQ(commandsRun, route == kMenu ? 1 : 0);
    EXPECT_EQ(toggles, route == kMenu ? 3 : 1);
    EXPECT_EQ(window->StressWindow(), nullptr);
    if (route != kMainWindow) {
      EXPECT_GT(window->FramesDrawn(), frames) << "the view is repainted";
    }
    DeleteClosed();
    EXPECT_TRUE(w.isNull()) << "a closed window is gone";
    if (route == kBuckledShape) {
      EXPECT_TRUE(Checked("mnuResult_Show"));
      EXPECT_TRUE(globals::View().OptionShowResult);
      // Ticking Stress Plot again takes the buckled shape off.
      Trigger("mnuStressPlot");
      EXPECT_FALSE(Checked("mnuResult_Show"));
      EXPECT_FALSE(globals::View().OptionShowResult);
      Trigger("mnuStressPlot");
    }
  }
  EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(ResultWindows, PropertyWindowOpensOnTheCoordinateTabAndFollowsTheTabs) {
  AnalysedGirder();
  Trigger("mnuProperty_ShowProperty");
  frmPropertyView* w = Listing();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->isModal());
  EXPECT_EQ(w->windowTitle(), "Properties");
  EXPECT_TRUE(Checked("mnuProperty_ShowProperty"));
  EXPECT_TRUE(Checked("property"));
  QTabWidget* tabs = w->form().SSTab1;
  ASSERT_EQ(tabs->count(), 8);
  const char* captions[] = {"Plate", "Stiffener", "Coordinate", "Boundary", "Brace", "Load", "Stress", "Buckled Shape"};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(tabs->tabText(k).toStdString(), captions[k]);
  EXPECT_EQ(tabs->currentIndex(), 2);
  platform::qt::RichTextBox* box = w->form().rtbProperty;
  EXPECT_EQ(box->Text(), dialogs::List_Coordinate(globals::Mesh()));
  EXPECT_TRUE(box->isReadOnly());
  EXPECT_TRUE(box->font().fixedPitch());

  for (int tab : {0, 1, 3, 4, 5, 6, 7}) {
    tabs->setCurrentIndex(tab);
    EXPECT_EQ(box->Text(), dialogs::ListTab(tab, globals::Mesh())) << tab;
  }
  // A change in the model shows only after a switch to another tab and back;
  // a click on the tab already shown does not rebuild the listing.
  tabs->setCurrentIndex(5);
  const std::string before = box->Text();
  globals::Mesh().Nodes().Item(1).set_XLoad(7);
  QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(5).center());
  EXPECT_EQ(box->Text(), before);
  tabs->setCurrentIndex(0);
  tabs->setCurrentIndex(5);
  EXPECT_NE(box->Text(), before);
  EXPECT_NE(box->Text().find("7.00E+00"), std::string::npos);

  // The close box releases the entry and the button; the next opening is a
  // fresh window on the Coordinate tab.
  QPointer<frmPropertyView> old = w;
  w->close();
  EXPECT_FALSE(Checked("mnuProperty_ShowProperty"));
  EXPECT_FALSE(Checked("property"));
  DeleteClosed();
  EXPECT_TRUE(old.isNull());
  Trigger("mnuProperty_ShowProperty");
  ASSERT_NE(Listing(), nullptr);
  EXPECT_EQ(Listing()->form().SSTab1->currentIndex(), 2);
  EXPECT_EQ(Listing()->form().rtbProperty->Text(), dialogs::List_Coordinate(globals::Mesh()));

  // The toolbar button, clicked twice, closes and opens it, always in step
  // with the menu entry.
  Trigger("property");
  EXPECT_FALSE(Checked("mnuProperty_ShowProperty"));
  EXPECT_FALSE(Checked("property"));
  EXPECT_FALSE(Listing() && Listing()->isVisible());
  Trigger("property");
  EXPECT_TRUE(Checked("mnuProperty_ShowProperty"));
  EXPECT_TRUE(Checked("property"));
  ASSERT_NE(Listing(), nullptr);
  EXPECT_TRUE(Listing()->isVisible());

  // The main window's close closes it too, with the stress window.
  Trigger("mnuStressPlot");
  QPointer<frmPropertyView> listing = Listing();
  app::GlobalProjectHost saved(window.get());  // a saved model: closing asks nothing
  app::MarkUnchanged(saved);
  window->close();
  EXPECT_FALSE(listing->isVisible());
  EXPECT_FALSE(Checked("mnuProperty_ShowProperty"));
  EXPECT_FALSE(Checked("property"));
  EXPECT_EQ(window->StressWindow(), nullptr);
  EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(ResultWindows, SaveToFileWritesTheListingAsBuilt) {
  AnalysedGirder();
  Trigger("mnuProperty_ShowProperty");
  frmPropertyView* w = Listing();
  ASSERT_NE(w, nullptr);
  w->form().SSTab1->setCurrentIndex(6);
  const std::string stress = dialogs::List_Stress(globals::Mesh());
  const fs::path target = dir / "listing.txt";
  files.QueueChoice(target.string());
  QTest::mouseClick(w->form().Command1, Qt::LeftButton);
  EXPECT_EQ(ReadBytes(target), stress);
  EXPECT_NE(stress.find("\r\n\r\nStiffener Stress-------\r\n"), std::string::npos);
  ASSERT_EQ(files.requests().size(), 1u);
  const platform::FileDialogRequest r = files.requests()[0];
  EXPECT_EQ(r.kind, platform::DialogKind::Save);
  EXPECT_EQ(r.title, "Save As");
  EXPECT_EQ(r.filter, "All Files (*.*)|*.*|Text Files|*.txt");
  EXPECT_EQ(r.filterIndex, 2);
  EXPECT_EQ(r.flags, 6);
  EXPECT_EQ(r.fileName, "");
  EXPECT_EQ(r.defaultExt, "");

  // The next save proposes that name, and replaces the file only when the
  // user agrees.
  w->form().SSTab1->setCurrentIndex(2);
  files.QueueChoice(target.string(), 0, false);
  QTest::mouseClick(w->form().Command1, Qt::LeftButton);
  EXPECT_EQ(files.requests().back().fileName, target.string());
  EXPECT_EQ(files.overwriteQuestions(), std::vector<std::string>{target.string()});
  EXPECT_EQ(ReadBytes(target), stress);
  files.QueueCancel();
  QTest::mouseClick(w->form().Command1, Qt::LeftButton);
  EXPECT_EQ(ReadBytes(target), stress);
  EXPECT_TRUE(prompter.messages().empty());

  // A full disk or a folder that is gone: the earlier file stays whole.
  {
    velk_test::FullDisk disk(256);
    ASSERT_TRUE(disk.on());
    prompter.QueueAnswer(Answer::Cancel);
    files.QueueChoice(target.string());
    QTest::mouseClick(w->form().Command1, Qt::LeftButton);
  }
  EXPECT_EQ(prompter.prompts(), (std::vector<std::string>{"Disk is full. Continue?", "File Error!"}));
  EXPECT_EQ(ReadBytes(target), stress);
  prompter.Clear();
  prompter.QueueAnswer(Answer::Cancel);
  files.QueueChoice((dir / "gone" / "listing.txt").string());
  QTest::mouseClick(w->form().Command1, Qt::LeftButton);
  EXPECT_EQ(prompter.prompts(), (std::vector<std::string>{"That path doesn't exist.", "File Error!"}));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(ResultWindows, PrintGoesToThePrinterTheDialogChose) {
  AnalysedGirder();
  Trigger("mnuProperty_ShowProperty");
  frmPropertyView* w = Listing();
  ASSERT_NE(w, nullptr);
  platform::qt::RichTextBox* box = w->form().rtbProperty;

  // Nothing selected: the whole listing, no page range to choose.
  const fs::path whole = dir / "whole.pdf";
  {
    QPdfWriter pdf(QString::fromStdString(whole.string()));
    files.SetPrinterDevice(&pdf);
    files.QueueChoice("PDF");
    QTest::mouseClick(w->form().Command2, Qt::LeftButton);
    files.SetPrinterDevice(nullptr);
  }
  ASSERT_EQ(files.requests().size(), 1u);
  EXPECT_EQ(files.requests()[0].kind, platform::DialogKind::Printer);
  EXPECT_EQ(files.requests()[0].flags, 264);
  EXPECT_EQ(box->PrintedText(), QString::fromStdString(box->Text()).replace("\r\n", "\n"));
  const std::string bytes = ReadBytes(whole);
  EXPECT_EQ(bytes.rfind("%PDF", 0), 0u);

  // A selection: the dialog opens on it, and only that is printed.
  QTextCursor c = box->textCursor();
  c.movePosition(QTextCursor::Start);
  c.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor);
  c.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
  box->setTextCursor(c);
  EXPECT_GT(box->SelLength(), 0);
  const std::string text = box->Text();
  const std::size_t end1 = text.find("\r\n"), end2 = text.find("\r\n", end1 + 2);
  EXPECT_EQ(box->PrintedText().toStdString(),
            text.substr(0, end1) + "\n" + text.substr(end1 + 2, end2 - end1 - 2));
  const fs::path part = dir / "part.pdf";
  {
    QPdfWriter pdf(QString::fromStdString(part.string()));
    files.SetPrinterDevice(&pdf);
    files.QueueChoice("PDF");
    QTest::mouseClick(w->form().Command2, Qt::LeftButton);
    files.SetPrinterDevice(nullptr);
  }
  EXPECT_EQ(files.requests().back().flags, 265);
  EXPECT_EQ(ReadBytes(part).rfind("%PDF", 0), 0u);

  // A cancelled print dialog ends the command without a word.
  files.QueueCancel();
  QTest::mouseClick(w->form().Command2, Qt::LeftButton);
  EXPECT_EQ(files.requests().size(), 3u);
  EXPECT_TRUE(prompter.messages().empty());
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

// A result is marked wherever it is shown while the model differs from the
// one the run analysed: a change, even one a failed run follows, marks it;
// taking the change back or a new run ends the mark.
TEST_F(ResultWindows, AResultOfAnotherModelIsMarkedWhereverItIsShown) {
  testsupport::SupportedGirder();
  globals::View().Initialization(globals::Mesh().Nodes());
  RunFromTheMenu();
  const std::string panel = "Eigenvalue : 7.5891E+01", note = " (model changed since the run)";
  ASSERT_EQ(Panel(), panel);
  Trigger("mnuStressPlot");
  Trigger("mnuProperty_ShowProperty");
  ASSERT_NE(Stress(), nullptr);
  ASSERT_NE(Listing(), nullptr);
  auto expectMarked = [&](bool marked, const char* after) {
    SCOPED_TRACE(after);
    EXPECT_EQ(Panel(), panel + (marked ? note : ""));
    EXPECT_EQ(Stress()->windowTitle().toStdString(), "Plot" + (marked ? note : ""));
    EXPECT_EQ(Listing()->windowTitle().toStdString(), "Properties" + (marked ? note : ""));
    files.QueueChoice((dir / "grid.txt").string());
    Trigger("mnuFile_Report_Grid");
    files.QueueChoice((dir / "all.vkr").string());
    Trigger("mnuFile_ReportAll");
    const std::string value = " 75.89";
    EXPECT_EQ(Line6(ReadBytes(dir / "grid.txt")).rfind("Eigenvalue:   " + value, 0), 0u);
    EXPECT_EQ(Line6(ReadBytes(dir / "all.vkr")).rfind("Eigenvalue          :       " + value, 0), 0u);
    const std::string end = marked ? note.substr(1) : std::string(" ");
    for (const char* report : {"grid.txt", "all.vkr"}) {
      const std::string line = Line6(ReadBytes(dir / report));
      EXPECT_TRUE(line.size() >= end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0)
          << report << ": " << line;
    }
  };
  expectMarked(false, "the run");

  // One load taken off through the menus, then pasted back from its twin.
  const long nx = globals::Mesh().Nodes().NumberNodesX(), ny = globals::Mesh().Nodes().NumberNodesY();
  commands().Run("mnuElements_Load");
  testsupport::SelectNodes({2 * ny});
  Trigger("mnuProperty_DeleteProperty");
  ASSERT_EQ(globals::Mesh().Nodes().Item(2 * ny).YLoad(), 0.0f);
  expectMarked(true, "a load taken off");
  EXPECT_GE(Stress()->width(), platform::WindowWidthForTitle(Stress()->windowTitle()))
      << "the small Plot window shows its caption whole";
  // The panel grows to show the note whole, once its layout, its frame's and
  // the status bar's have each answered their request.
  for (int level = 0; level < 3; ++level) QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  int shownWhole = 0;
  for (const QLabel* label : window->StatusBar1().findChildren<QLabel*>())
    shownWhole += label->text().toStdString() == panel + note && label->width() >= label->sizeHint().width();
  EXPECT_EQ(shownWhole, 1);
  testsupport::SelectNodes({3 * ny});
  Trigger("mnuProperty_CopyProperty");
  testsupport::SelectNodes({2 * ny});
  Trigger("mnuProperty_PasteProperty");
  expectMarked(false, "the load put back");

  // A solver option the result depends on, set in the Analysis Option
  // dialog, and set back: the full report would print the new option beside
  // the old eigenvalue.
  auto torsion = [&](bool on) {
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&timer, on] {
      if (auto* d = qobject_cast<frmAnalysisOption*>(QApplication::activeModalWidget())) {
        timer.stop();
        d->form().chktorsion->setChecked(on);
        d->cmdApply_Click();
      }
    });
    timer.start();
    Trigger("mnuRunOption");
  };
  torsion(true);
  ASSERT_TRUE(globals::Analysis().IGSTF);
  expectMarked(true, "torsional geometric stiffness ticked");
  torsion(false);
  expectMarked(false, "the option set back");

  // Every load taken off: the run fails, and the result stays marked.
  for (long i = 1; i <= nx; ++i) globals::Mesh().Nodes().Item(i * ny).set_YLoad(0);
  RunFromTheMenu();
  ASSERT_FALSE(prompter.prompts().empty());
  EXPECT_EQ(prompter.prompts().back().rfind("Error", 0), 0u) << prompter.prompts().back();
  expectMarked(true, "a failed run");
  // Loads back and a new run: the result is this model's again.
  for (long i = 1; i <= nx; ++i) globals::Mesh().Nodes().Item(i * ny).set_YLoad(-1);
  RunFromTheMenu();
  expectMarked(false, "a new run");

  // New: no result, no mark, and the window's values are gone with the model.
  prompter.QueueAnswer(Answer::No);  // do not save the model first
  Trigger("mnuFile_New");
  EXPECT_EQ(Panel(), "");
  EXPECT_EQ(Stress()->windowTitle(), "Plot");
  EXPECT_EQ(Listing()->windowTitle(), "Properties");
  EXPECT_EQ(Stress()->form().lblMax->text(), "");
  EXPECT_EQ(Stress()->form().lblStress->text(), "");
}

// The node editor's Apply moves the node while the editor stays open: the
// mark shows at once, and its Undo takes it away again.
TEST_F(ResultWindows, TheNodeEditorsApplyAndUndoShowWhetherTheResultIsThisModels) {
  testsupport::SupportedGirder();
  globals::View().Initialization(globals::Mesh().Nodes());
  RunFromTheMenu();
  Trigger("mnuStressPlot");
  const std::string panel = Panel(), note = " (model changed since the run)";
  ASSERT_EQ(panel.rfind("Eigenvalue : ", 0), 0u);
  const model::Nodeb& node = globals::Mesh().Nodes().Item(1);
  float px = 0, py = 0;
  PointerAt(*window, node.xcoord(), node.ycoord(), px, py);
  app::Form_MouseDown(*window, 1, 0, px, py);
  app::Form_MouseUp(*window, 1, 0, px, py);
  std::vector<std::string> panels, captions;
  QTimer timer;
  timer.setInterval(10);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    auto* d = qobject_cast<frmCoord*>(QApplication::activeModalWidget());
    if (!d) return;
    timer.stop();
    d->form().txtX->setText(QString::number(node.xcoord() + 1));
    QTest::mouseClick(d->form().cmdApply, Qt::LeftButton);
    panels.push_back(Panel());
    captions.push_back(Stress()->windowTitle().toStdString());
    QTest::mouseClick(d->form().cmdUndo, Qt::LeftButton);
    panels.push_back(Panel());
    captions.push_back(Stress()->windowTitle().toStdString());
    QTest::mouseClick(d->form().cmdClose, Qt::LeftButton);
  });
  timer.start();
  app::Form_DblClick(*window);
  EXPECT_EQ(panels, (std::vector<std::string>{panel + note, panel}));
  EXPECT_EQ(captions, (std::vector<std::string>{"Plot" + note, "Plot"}));
}

// Without a result the plain model stands where the buckled shape or a
// stress plot would be; the menu keeps its ticks, and the first run's
// result appears in their place.
TEST_F(ResultWindows, WithoutAResultThePlainModelIsShownAndTheTicksStay) {
  testsupport::SupportedGirder();
  globals::View().Initialization(globals::Mesh().Nodes());
  window->Paint();
  const QImage plain = window->Surface()->grabFramebuffer();
  Trigger("mnuResult_Show");
  ASSERT_TRUE(Checked("mnuResult_Show"));
  window->Paint();
  EXPECT_EQ(window->Surface()->grabFramebuffer(), plain) << "a new girder has no buckled shape";
  Trigger("mnuStressPlot");
  Stress()->form().optSx->setChecked(true);
  QTest::mouseClick(Stress()->form().OKButton, Qt::LeftButton);
  EXPECT_EQ(window->Surface()->grabFramebuffer(), plain) << "nor stresses";
  EXPECT_EQ(Stress()->form().lblMax->text(), "");

  RunFromTheMenu();
  window->Paint();
  EXPECT_NE(window->Surface()->grabFramebuffer(), plain) << "the run's stress plot";
  EXPECT_NE(Stress()->form().lblMax->text(), "");
  Trigger("mnuResult_Show");  // the buckled shape instead
  window->Paint();
  const QImage buckled = window->Surface()->grabFramebuffer();
  EXPECT_NE(buckled, plain);

  // New keeps the tick and shows the empty model; a file without a result
  // shows its model plainly.
  files.QueueChoice((dir / "plain.inp").string());
  globals::Analysis().EigenValue = 0;
  Trigger("mnuFile_SaveData");
  prompter.QueueAnswer(Answer::No);  // do not save the changed model
  Trigger("mnuFile_New");
  EXPECT_TRUE(Checked("mnuResult_Show"));
  files.QueueChoice((dir / "plain.inp").string());
  Trigger("mnuFile_Open");
  EXPECT_TRUE(Checked("mnuResult_Show"));
  window->Paint();
  EXPECT_EQ(window->Surface()->grabFramebuffer(), plain);
}

// A first run cancelled once it has stored its stresses leaves them in the
// model, as a paint during the run plots them: the stress plot shows them,
// with their extremes, while the buckled shape, which the run did not reach,
// stays the plain model.
TEST_F(ResultWindows, StressesAFirstRunStoredBeforeItsCancelArePlotted) {
  testsupport::SupportedGirder();
  globals::View().Initialization(globals::Mesh().Nodes());
  window->Paint();
  const QImage plain = window->Surface()->grabFramebuffer();
  runtest::ScriptedRunUi ui;
  ui.cancelAtProgress = "Calculating Eigenvalue...";
  const analysis::RunResult r =
      runtest::RunModel(globals::Mesh(), globals::Analysis(), globals::Material(), app::ProgramFolder(), ui);
  ASSERT_EQ(r.outcome, analysis::RunOutcome::Interrupted);
  ASSERT_FALSE(globals::Analysis().HasResult());

  Trigger("mnuStressPlot");
  Stress()->form().optSx->setChecked(true);
  QTest::mouseClick(Stress()->form().OKButton, Qt::LeftButton);
  EXPECT_NE(window->Surface()->grabFramebuffer(), plain) << "the stored stresses";
  EXPECT_EQ(globals::View().lastStressPlot, view::stress_plot::kSx);
  float largest = 0, smallest = 0;
  Extremes(1, largest, smallest);
  EXPECT_EQ(Stress()->form().lblMax->text().toStdString(), Sci(largest));
  EXPECT_EQ(Stress()->form().lblMin->text().toStdString(), Sci(smallest));
  Trigger("mnuView_Refresh");  // any command: the read-outs stay, as the stresses do
  EXPECT_EQ(Stress()->form().lblMax->text().toStdString(), Sci(largest));

  Trigger("mnuResult_Show");  // the buckled shape instead: there is none
  window->Paint();
  EXPECT_EQ(window->Surface()->grabFramebuffer(), plain);
}

// Whatever a run stores is on the screen at once: the stress plot chosen
// before a first run shows the run's stresses as soon as they are stored,
// with their extremes; each later run, cancelled or whole, shows its own;
// the buckled shape ticked before a run shows the mode shape after it.
TEST_F(ResultWindows, TheViewShowsWhatARunStoresAsItStoresIt) {
  testsupport::SupportedGirder();
  globals::View().Initialization(globals::Mesh().Nodes());
  const std::vector<unsigned char> plain = FrameDrawnNow();
  ASSERT_FALSE(plain.empty());
  Trigger("mnuStressPlot");
  Stress()->form().optSx->setChecked(true);
  QTest::mouseClick(Stress()->form().OKButton, Qt::LeftButton);
  EXPECT_EQ(ShownFrame(), plain) << "no stresses yet";
  EXPECT_EQ(Stress()->form().lblMax->text(), "");

  // What the screen shows at the first yield of the eigenvalue iteration,
  // and a cancel there when asked for.
  struct Seen {
    std::vector<unsigned char> frame;
    std::string largest;
  };
  auto runLooking = [this](bool cancel) {
    Seen seen;
    RunFromTheMenu([&](frmEigen& d) {
      if (!seen.frame.empty() || d.ProgressText() != "Calculating Eigenvalue...") return;
      seen.frame = ShownFrame();
      seen.largest = Stress()->form().lblMax->text().toStdString();
      if (cancel) d.cmdCancel_Click();
    });
    return seen;
  };
  auto shownLargest = [this] {
    float largest = 0, smallest = 0;
    Extremes(1, largest, smallest);
    EXPECT_EQ(Stress()->form().lblMin->text().toStdString(), Sci(smallest));
    return Sci(largest);
  };
  const Seen first = runLooking(false);
  ASSERT_TRUE(globals::Analysis().HasResult());
  const std::string firstLargest = shownLargest();
  EXPECT_NE(first.frame, plain) << "the stresses are plotted during the run";
  EXPECT_EQ(first.largest, firstLargest);
  EXPECT_EQ(Stress()->form().lblMax->text().toStdString(), firstLargest);
  EXPECT_EQ(ShownFrame(), FrameDrawnNow());

  // Other loads (a plot scales to its largest value, so more on one half):
  // a run cancelled once its stresses are in, then a whole one.
  for (float factor : {2.0f, 3.0f}) {
    for (model::Nodeb& n : globals::Mesh().Nodes())
      if (n.xcoord() < 0.5f * globals::BeamShape().Length()) n.set_YLoad(factor * n.YLoad());
    const std::vector<unsigned char> before = ShownFrame();
    const Seen cancelled = runLooking(factor == 2.0f);
    const std::string largest = shownLargest();
    EXPECT_NE(largest, firstLargest) << factor;
    EXPECT_EQ(cancelled.largest, largest) << factor;
    EXPECT_EQ(Stress()->form().lblMax->text().toStdString(), largest) << factor;
    const std::vector<unsigned char> after = ShownFrame();
    EXPECT_NE(after, before) << factor;
    EXPECT_EQ(after, FrameDrawnNow()) << factor;
  }

  // The buckled shape of a new model, ticked before its first run.
  Stress()->close();
  DeleteClosed();
  testsupport::SupportedGirder();
  globals::View().Initialization(globals::Mesh().Nodes());
  if (!Checked("mnuResult_Show")) Trigger("mnuResult_Show");
  ASSERT_TRUE(globals::View().OptionShowResult);
  EXPECT_EQ(FrameDrawnNow(), plain) << "no mode shape yet";
  RunFromTheMenu();
  ASSERT_TRUE(globals::Analysis().HasResult());
  const std::vector<unsigned char> shape = ShownFrame();
  EXPECT_NE(shape, plain);
  EXPECT_EQ(shape, FrameDrawnNow());
}

TEST_F(ResultWindows, TheFileMenuWritesBothReports) {
  AnalysedGirder();
  files.QueueChoice((dir / "girder.vkr").string());
  Trigger("mnuFile_ReportAll");
  files.QueueChoice((dir / "girder.txt").string());
  Trigger("mnuFile_Report_Grid");
  EXPECT_EQ(ReadBytes(dir / "girder.vkr").rfind("[VELK 1.4 Report File]\r\n", 0), 0u);
  EXPECT_EQ(ReadBytes(dir / "girder.txt").rfind("[VELK 1.4 Grid Out File]\r\n", 0), 0u);
  ASSERT_EQ(files.requests().size(), 2u);
  EXPECT_EQ(files.requests()[0].title, "Save Report File As");
  EXPECT_EQ(files.requests()[1].title, "Save Grid File As");
  EXPECT_TRUE(prompter.messages().empty());
}
