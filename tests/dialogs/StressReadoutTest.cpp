// The stress plot window's read-out of the stress under the display's own
// pointer. These tests move the pointer, so they run on a display of their
// own: tests running beside them would find it where they did not put it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QRadioButton>

#include <memory>

#include "app/CommandSet.h"
#include "app/Globals.h"
#include "app/MouseModes.h"
#include "app/frmMenu.h"
#include "dialogs/frmStress.h"
#include "model/Analysis.h"
#include "model/Mesh.h"
#include "platform/MessageBox.h"
#include "platform/qt/GLSurface.h"
#include "tests/analysis/RunTestSupport.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "ui_frmStress.h"
#include "view/View.h"

namespace {

class StressReadout : public ::testing::Test {
 protected:
  void SetUp() override {
    globals::ReleaseAll();
    testsupport::StartMainWindow(window);
    prompter.Clear();
  }
  void TearDown() override {
    window.reset();
    globals::ReleaseAll();
  }

  // Puts the display's pointer over a model point and moves it there, as the
  // window system tells the window; false when the view is not under it.
  bool PointAt(double x, double y) {
    float px = 0, py = 0;
    testsupport::PointerAt(*window, x, y, px, py);
    platform::qt::GLSurface* surface = window->Surface();
    const QPoint global = surface->mapToGlobal(surface->ToLogical(QPointF(px, py)).toPoint());
    QCursor::setPos(global);
    QApplication::processEvents();
    app::Form_MouseMove(*window, 0, 0, px, py);
    return QApplication::widgetAt(QCursor::pos()) == surface;
  }
  // Apply in the stress window with the option ticked (none for null), and
  // the frame shown.
  void Apply(QRadioButton* option) {
    for (QRadioButton* b : {w->form().optSx, w->form().optSy, w->form().optSxy, w->form().optMises}) {
      b->setAutoExclusive(false);
      b->setChecked(b == option);
      b->setAutoExclusive(true);
    }
    w->OKButton_Click();
    QApplication::processEvents();
  }
  std::string Readout() const { return w->form().lblStress->text().toStdString(); }

  platform::ScriptedPrompter prompter;
  std::unique_ptr<frmMenu> window;
  frmStress* w = nullptr;
};

}  // namespace

// Apply shows the value under the pointer of the plot it brings, not the
// value of the plot before; with the pointer off the view no value of the
// plot before is left standing. Apply with no plot keeps the last value, and
// the read-out stops following the pointer until a plot is back.
TEST_F(StressReadout, ApplyReadsTheNewPlotUnderThePointerAtOnce) {
  testsupport::FreshModel();
  model::Mesh& mesh = globals::Mesh();
  runtest::BuildPanel(mesh, 20, 10, 2, 1, 1);
  runtest::Number(mesh);
  for (model::Nodeb& n : mesh.Nodes()) {
    n.set_Sx(-2.51f);  // pure blue
    n.set_Sy(4.0f);    // pure red
  }
  globals::Analysis().EigenValue = 1;  // the stresses are a run's result
  globals::View().Initialization(mesh.Nodes());
  app::CommandSet::Of(*window)->Run("mnuStressPlot");
  w = window->StressWindow();
  ASSERT_NE(w, nullptr);
  w->move(window->frameGeometry().right() + 20, 0);  // off the view
  QApplication::processEvents();

  Apply(w->form().optSx);
  ASSERT_TRUE(PointAt(5, 5));
  EXPECT_EQ(Readout(), "-2.51E+00");
  Apply(w->form().optSy);
  EXPECT_EQ(Readout(), "4.00E+00") << "the plot Apply brought, without a move of the pointer";
  Apply(nullptr);
  EXPECT_EQ(Readout(), "4.00E+00") << "no plot: the value labels keep their last text";
  ASSERT_TRUE(PointAt(6, 5));
  EXPECT_EQ(Readout(), "4.00E+00") << "the model's colours stand for no stress";

  Apply(w->form().optSx);
  EXPECT_EQ(Readout(), "-2.51E+00");
  QCursor::setPos(w->mapToGlobal(w->rect().center()));  // over the stress window
  QApplication::processEvents();
  Apply(w->form().optSy);
  EXPECT_EQ(Readout(), "") << "the pointer is off the view";
  EXPECT_TRUE(prompter.messages().empty());
}
