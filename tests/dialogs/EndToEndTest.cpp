// What a user does: generate a girder in the generator dialog, pick nodes
// with the mouse, give them supports and loads through the property dialogs,
// run the analysis in the run dialog and look at the buckled shape.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRubberBand>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "analysis/ui/frmEigen.h"
#include "app/CommandSet.h"
#include "app/Globals.h"
#include "app/MouseModes.h"
#include "app/Selection.h"
#include "app/frmMenu.h"
#include "dialogs/frmBeamShape.h"
#include "dialogs/frmBoundary.h"
#include "dialogs/frmCoord.h"
#include "dialogs/frmLoad.h"
#include "model/Analysis.h"
#include "model/Mesh.h"
#include "model/Nodes.h"
#include "platform/MessageBox.h"
#include "platform/qt/GLSurface.h"
#include "platform/qt/KeyedStatusBar.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/view/ViewTestSupport.h"
#include "ui_frmBeamShape.h"
#include "ui_frmBoundary.h"
#include "ui_frmCoord.h"
#include "ui_frmEigen.h"
#include "ui_frmLoad.h"
#include "view/View.h"

namespace {

using testsupport::PointerAt;

// Runs `act` on the modal dialog of type T once the command has shown it.
template <typename T>
void WhenShown(std::function<void(T&)> act, bool* done) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, act, done] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      act(*dialog);
      *done = true;
    }
  });
  timer->start();
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    globals::ReleaseAll();
    testsupport::StartMainWindow(window);
    prompter.Clear();  // the missing options file of a first start
  }
  void TearDown() override {
    window.reset();
    globals::ReleaseAll();
  }

  app::CommandSet& commands() { return *app::CommandSet::Of(*window); }

  template <typename T>
  void RunWithDialog(const std::string& menu, std::function<void(T&)> act) {
    bool done = false;
    WhenShown<T>(act, &done);
    commands().Run(menu);
    EXPECT_TRUE(done) << menu;
    QApplication::processEvents();
  }

  // A left drag in select mode around the model points between the corners.
  void DragBox(double x0, double y0, double x1, double y1, int shift = 0) {
    float ax = 0, ay = 0, bx = 0, by = 0;
    PointerAt(*window, x0, y0, ax, ay);
    PointerAt(*window, x1, y1, bx, by);
    app::Form_MouseDown(*window, 1, shift, ax, ay);
    app::Form_MouseMove(*window, 1, shift, (ax + bx) / 2, (ay + by) / 2);
    app::Form_MouseMove(*window, 1, shift, bx, by);
    app::Form_MouseUp(*window, 1, shift, bx, by);
  }
  void Click(double x, double y, int shift = 0) {
    float px = 0, py = 0;
    PointerAt(*window, x, y, px, py);
    app::Form_MouseDown(*window, 1, shift, px, py);
    app::Form_MouseUp(*window, 1, shift, px, py);
  }

  // Ticks the boundary dialog's rows and applies.
  void SetBoundary(std::initializer_list<int> rows) {
    RunWithDialog<frmBoundary>("mnuProperty_SetProperty", [rows](frmBoundary& d) {
      for (int k = 0; k < 5; ++k) d.Check1(k)->setChecked(false);
      for (int k : rows) d.Check1(k)->setChecked(true);
      d.form().txtX->setText("0");
      d.form().txtY->setText("0");
      QTest::mouseClick(d.form().Command1, Qt::LeftButton);
    });
  }

  platform::ScriptedPrompter prompter;
  std::unique_ptr<frmMenu> window;
};

}  // namespace

TEST_F(EndToEnd, GirderFromTheDialogsBucklesUnderTopFlangeLoads) {
  RunWithDialog<frmBeamShape>("mnuBeam_Beam", [](frmBeamShape& d) {
    QTest::mouseClick(d.form().cmdGenerate, Qt::LeftButton);
  });
  model::Nodes& nodes = globals::Mesh().Nodes();
  ASSERT_EQ(nodes.Count(), 60);
  const double L = 120, depth = 16.5, h = 2;  // h: a margin around the picked nodes

  // Fork supports: no out-of-plane deflection at either end.
  commands().Run("mnuElements_Boundary");
  EXPECT_EQ(globals::View().MeshMode, 1);
  DragBox(-h, -h, h, depth + h);
  EXPECT_EQ(globals::Selection().SelectedCounter(), 4);
  DragBox(L - h, -h, L + h, depth + h, 1);  // Shift adds the other end
  ASSERT_EQ(globals::Selection().SelectedCounter(), 8);
  SetBoundary({2});
  // A box that comes back to its press point takes nothing.
  float px = 0, py = 0;
  PointerAt(*window, L / 2, depth / 2, px, py);
  app::Form_MouseDown(*window, 1, 0, px, py);
  app::Form_MouseMove(*window, 1, 0, px + 30, py + 30);
  app::Form_MouseMove(*window, 1, 0, px, py);
  app::Form_MouseUp(*window, 1, 0, px, py);
  EXPECT_EQ(globals::Selection().SelectedCounter(), 0);
  // Pinned at the bottom of End 1, on a roller at the bottom of End 2. A
  // click a little off the node still takes the nearest one.
  Click(0.7, 0.4);
  ASSERT_EQ(globals::Selection().SelectedCounter(), 1);
  EXPECT_EQ(app::AsNode(globals::Selection().Item(1)), &nodes.Item(1));
  SetBoundary({0, 1, 2});
  Click(L, 0);
  SetBoundary({1, 2});
  EXPECT_EQ(nodes.Item(57).YTDir(), -1);
  EXPECT_EQ(nodes.Item(57).XTDir(), 0);

  // A downward unit load on every node of the top flange.
  commands().Run("mnuElements_Load");
  DragBox(-h, depth - h, L + h, depth + h);
  ASSERT_EQ(globals::Selection().SelectedCounter(), 15);
  RunWithDialog<frmLoad>("mnuProperty_SetProperty", [](frmLoad& d) {
    d.form().txtLoadX->setText("0");
    d.form().txtLoadY->setText("-1");
    QTest::mouseClick(d.form().cmdApply, Qt::LeftButton);
  });
  EXPECT_FLOAT_EQ(nodes.Item(60).YLoad(), -1.0f);

  window->Paint();
  const QImage before = window->Surface()->grabFramebuffer();

  prompter.Clear();
  bool windowStayed = true;
  RunWithDialog<frmEigen>("mnuRun_Run", [this, &windowStayed](frmEigen& d) {
    // The main window cannot be closed while the run yields.
    d.SetYieldHook([this, &windowStayed] {
      window->close();
      windowStayed = windowStayed && window->isVisible();
    });
    QTest::mouseClick(d.form().cmdApply, Qt::LeftButton);
    EXPECT_EQ(d.ProgressText(), "Ready...");
    QTest::mouseClick(d.form().cmdClose, Qt::LeftButton);
  });
  EXPECT_TRUE(windowStayed);
  ASSERT_FALSE(prompter.prompts().empty());
  const std::string said = prompter.prompts().back();
  ASSERT_EQ(said.rfind("Eigenvalue of ", 0), 0u) << said;
  const float eigenvalue = globals::Analysis().EigenValue;
  // The same girder built directly gives 7.5891E+01 (the run dialog test).
  EXPECT_NEAR(eigenvalue, 75.891, 0.01);
  EXPECT_EQ(said, "Eigenvalue of 7.5891E+01");
  EXPECT_NE(window->StatusBar1().Text("eigenvalue").find("7.5891E+01"), std::string::npos)
      << window->StatusBar1().Text("eigenvalue");
  double largest = 0;
  for (const model::Nodeb& n : nodes) largest = std::max(largest, std::fabs(double(n.zcoord())));
  EXPECT_GT(largest, 0.0);

  commands().Run("mnuResult_Show");
  EXPECT_TRUE(globals::View().OptionShowResult);
  window->Paint();
  const QImage after = window->Surface()->grabFramebuffer();
  ASSERT_EQ(before.size(), after.size());
  long changed = 0;
  for (int y = 0; y < after.height(); ++y)
    for (int x = 0; x < after.width(); ++x)
      if (before.pixel(x, y) != after.pixel(x, y)) ++changed;
  EXPECT_GT(changed, 100);
}

TEST_F(EndToEnd, DragsPanTurnAndZoomTheView) {
  RunWithDialog<frmBeamShape>("mnuBeam_Beam", [](frmBeamShape& d) {
    QTest::mouseClick(d.form().cmdGenerate, Qt::LeftButton);
  });
  view::View& v = globals::View();
  // The rubber box is an overlay on the surface while the drag lasts; nothing
  // is picked or redrawn before the release.
  auto* band = window->findChild<QRubberBand*>();
  ASSERT_NE(band, nullptr);
  app::Form_MouseDown(*window, 1, 0, 100, 100);
  app::Form_MouseMove(*window, 1, 0, 180, 150);
  EXPECT_TRUE(band->isVisible());
  EXPECT_EQ(window->MouseMoved, 1);
  app::Form_MouseUp(*window, 1, 0, 180, 150);
  EXPECT_FALSE(band->isVisible());
  EXPECT_EQ(window->ButtonReleased, 1);
  // Turning shows nothing while the button is held.
  v.ViewMode = 2;
  app::Form_MouseDown(*window, 1, 0, 100, 100);
  app::Form_MouseMove(*window, 1, 0, 150, 100);
  EXPECT_DOUBLE_EQ(v.ViewRX, 0);
  EXPECT_FALSE(band->isVisible());
  app::Form_MouseUp(*window, 1, 0, 100, 100);
  // Zoom in at a point of the model centres on it; over the background nothing.
  v.ViewZoom = 1;
  v.ViewMode = 7;
  float px = 0, py = 0;
  PointerAt(*window, 60, 8, px, py);
  app::Form_MouseDown(*window, 1, 0, px, py);
  app::Form_MouseUp(*window, 1, 0, px, py);
  EXPECT_NEAR(v.ViewZoom, v.OptionZoomCenterFactor, 1e-5);
  EXPECT_NEAR(v.ViewX, v.SLimitCX - 60, 0.5);
  const double zoom = v.ViewZoom;
  app::Form_MouseDown(*window, 1, 0, 2, 2);
  app::Form_MouseUp(*window, 1, 0, 2, 2);
  EXPECT_DOUBLE_EQ(v.ViewZoom, zoom);
  // The read-out shows model coordinates in select mode only.
  v.ViewMode = 0;
  v.ViewX = v.ViewY = 0;
  v.ViewZoom = 1;
  PointerAt(*window, 60, 8, px, py);
  app::Form_MouseMove(*window, 0, 0, px, py);
  EXPECT_EQ(window->StatusBar1().Text("x").rfind("X: 6", 0), 0u) << window->StatusBar1().Text("x");
  EXPECT_EQ(window->StatusBar1().Text("y").rfind("Y: ", 0), 0u);
  app::Form_MouseMove(*window, 0, 0, 2, 2);
  EXPECT_EQ(window->StatusBar1().Text("x"), "");
  EXPECT_TRUE(prompter.prompts().empty()) << prompter.prompts().front();
}

// A double-click opens the coordinate editor on the node nearest the first
// press; afterwards the selection is empty, the pick kind is back, and a click
// picks a plate at its new centre.
TEST_F(EndToEnd, DoubleClickEditsANodeAndPickingFollowsIt) {
  // Node 2 at (0, 48); plates 1 and 2 centred at (30, 24) and (90, 24).
  viewtest::BuildPlateGrid(globals::Mesh(), 120, 48, 3, 2, 0.5f);
  model::Mesh& mesh = globals::Mesh();
  view::View& v = globals::View();
  v.Initialization(mesh.Nodes());
  commands().Run("mnuElements_Plate");
  ASSERT_EQ(v.MeshMode, 3);

  float px = 0, py = 0;
  PointerAt(*window, 1, 47, px, py);
  // The window system reports press, release, double-click, release.
  app::Form_MouseDown(*window, 1, 0, px, py);
  app::Form_MouseUp(*window, 1, 0, px, py);
  bool edited = false;
  const unsigned long frames = window->FramesDrawn();
  WhenShown<frmCoord>(
      [&](frmCoord& d) {
        EXPECT_EQ(d.form().lblNode->text().toStdString(), "Node: 2");
        EXPECT_EQ(v.MeshMode, 1) << "nodes are picked while the editor is open";
        d.form().txtX->setText("200");
        QTest::mouseClick(d.form().cmdApply, Qt::LeftButton);
        EXPECT_EQ(mesh.Nodes().Item(2).xcoord(), 200);
        EXPECT_GT(window->FramesDrawn(), frames) << "Apply repaints at once";
        QTest::mouseClick(d.form().cmdClose, Qt::LeftButton);
      },
      &edited);
  app::Form_DblClick(*window);
  EXPECT_TRUE(edited);
  EXPECT_EQ(globals::Selection().SelectedCounter(), 0);
  EXPECT_EQ(v.MeshMode, 3);
  // The second release picks again at the first press point, taking plates.
  app::Form_MouseUp(*window, 1, 0, px, py);
  ASSERT_EQ(globals::Selection().SelectedCounter(), 1);
  EXPECT_NE(app::AsPlate(globals::Selection().Item(1)), nullptr);

  // Plate 1's centre moved to (80, 24): a click there takes plate 1, where
  // its former centre would have lost to plate 2's at (90, 24).
  Click(80, 24);
  ASSERT_EQ(globals::Selection().SelectedCounter(), 1);
  EXPECT_EQ(app::AsPlate(globals::Selection().Item(1)), &mesh.fourNodes().Item(1));
  EXPECT_TRUE(prompter.prompts().empty()) << prompter.prompts().front();
}
