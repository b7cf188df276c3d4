#include "app/frmMenu.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QRubberBand>
#include <QToolBar>

#include <exception>

#include "analysis/EigenSolver.h"
#include "app/Commands.h"
#include "app/FileErrors.h"
#include "app/GlobalProjectHost.h"
#include "app/Globals.h"
#include "app/MouseModes.h"
#include "app/MouseOperations.h"
#include "app/ProjectFile.h"
#include "app/ResultNotes.h"
#include "app/Selection.h"
#include "app/SelectionItems.h"
#include "app/ToolImages.h"
#include "dialogs/frmCoord.h"
#include "dialogs/frmStress.h"
#include "model/Analysis.h"
#include "model/Mesh.h"
#include "platform/MessageBox.h"
#include "platform/qt/GLSurface.h"
#include "platform/qt/KeyedStatusBar.h"
#include "view/View.h"

namespace {

constexpr const char* kNoTitleCaption = "VELK V1.4.0: No Title";

}  // namespace

frmMenu::frmMenu(QWidget* parent) : QMainWindow(parent) {
  setObjectName("frmMenu");
  resize(900, 680);

  surface_ = new platform::qt::GLSurface(this);
  surface_->setObjectName("Surface");
  setCentralWidget(surface_);
  surface_->onInitialise = [this] {
    try {
      InitialiseContext();
    } catch (const std::exception&) {
      // Shown after the first paint, not from inside the surface's set-up.
      queuedErrors_.push_back("Error..[OGL_Load]");
    }
  };
  surface_->onResize = [this](int w, int h) {
    inResizeGL_ = true;
    try {
      Form_Resize(w, h);
    } catch (const std::exception&) {
      // A resize is not expected to fail; the next paint shows the state.
    }
    inResizeGL_ = false;
  };
  surface_->onPaint = [this] { return Form_Paint(); };
  surface_->onMouse = [this](platform::qt::SurfaceMouse kind, int button, int shift, float x,
                             float y) {
    try {
      switch (kind) {
        case platform::qt::SurfaceMouse::Down: app::Form_MouseDown(*this, button, shift, x, y); break;
        case platform::qt::SurfaceMouse::Move: app::Form_MouseMove(*this, button, shift, x, y); break;
        case platform::qt::SurfaceMouse::Up: app::Form_MouseUp(*this, button, shift, x, y); break;
        case platform::qt::SurfaceMouse::DoubleClick:
          if (button == 1) app::Form_DblClick(*this);
          break;
      }
    } catch (const std::exception&) {
      platform::MsgBox("Error...");
    }
  };
  rubberBand_ = new QRubberBand(QRubberBand::Rectangle, surface_);
  rubberBand_->hide();

  statusBar_ = new platform::qt::KeyedStatusBar(this);
  statusBar_->setObjectName("StatusBar1");
  setStatusBar(statusBar_);
  // Each panel holds its widest text whole (coordinates up to five digits,
  // an eigenvalue in the solver's form, the longest mode and scale names),
  // so that no digit or sign is cut off and nothing moves as texts change.
  statusBar_->AddPanel("x", "X Coordinate", "X: -99999.99");
  statusBar_->AddPanel("y", "Y Coordinate", "Y: -99999.99");
  statusBar_->AddPanel("eigenvalue", "Eigenvalue", "Eigenvalue : -9.9999E+99");
  statusBar_->AddPanel("editmode", "Edit Mode", {},
                       QSize(app::kToolImageSize, app::kToolImageSize));
  statusBar_->AddPanel("operationmode", "Operation Mode", "ZOOM OUT/Center");
  statusBar_->AddPanel("viewscale", "View Scale", "ACTUAL VIEW");

  toolbar_ = new QToolBar(this);
  toolbar_->setObjectName("Toolbar1");
  toolbar_->setMovable(false);
  addToolBar(toolbar_);
  popup_ = new QMenu("PopUp", this);
  popup_->setObjectName("mnuPopup");

  app::InstallCommands(*this);
  app::MouseStateOf(*this).editNode = [this] {
    app::SelectionItems node(globals::Selection());
    frmCoord editor(node, globals::Mesh(), globals::View(), this);
    connect(&editor, &frmCoord::nodeMoved, this, &frmMenu::ShowResultState);
    editor.exec();
    ShowResultState();
  };
  app::MouseStateOf(*this).saveBitmap = [this](int left, int bottom, int width, int height) {
    view::Save_Bitmap(cdlBitmap, left, bottom, width, height, *this, *this);
  };
  globals::View().SetHost(this);
  Form_Load();
  app::GlobalProjectHost host(this);
  app::MarkUnchanged(host);
}

void frmMenu::DetachSurface() {
  if (!surface_) return;
  surface_->onPaint = nullptr;
  surface_->onResize = nullptr;
  surface_->onMouse = nullptr;
  surface_->onInitialise = nullptr;
}

frmMenu::~frmMenu() {
  // The surface goes only after this window's members, with the children:
  // nothing it calls may reach them then.
  DetachSurface();
  // The view outlives this window only when the close handler did not run.
  if (!unloaded_) globals::View().ReleaseHost(this);
}

// ---------------------------------------------------------------- ViewHost

double frmMenu::ScaleWidth() const { return surface_ ? surface_->DeviceWidth() : 0; }

double frmMenu::ScaleHeight() const { return surface_ ? surface_->DeviceHeight() : 0; }

void frmMenu::SetPanelText(const std::string& key, const std::string& text) {
  statusBar_->SetText(key, text);
}

bool frmMenu::StressWindowShown() const { return stressWindow_ && stressWindow_->isVisible(); }

void frmMenu::ShowMaxMin(float maxS, float minS) {
  if (StressWindowShown()) stressWindow_->ShowMaxMin(maxS, minS);
}

void frmMenu::ShowStress(float stressValue) {
  if (StressWindowShown()) stressWindow_->ShowStress(stressValue);
}

bool frmMenu::RetryAfterFileError(int errorNumber) {
  return app::FileErrors(errorNumber) == app::kFileErrorRetry;
}

void frmMenu::SetBusyPointer(bool busy) {
  if (busy)
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  else
    QGuiApplication::restoreOverrideCursor();
}

// ------------------------------------------------------------ start-up

void frmMenu::StartUp() {
  SetCaption(kNoTitleCaption);
  show();
}

// ------------------------------------------------------------ state

void frmMenu::Update() {
  ButtonReleased = 1;
  MouseMoved = 0;
  view::View& v = globals::View();
  v.MeshMode = view::pick::kPlate;
  v.PropertyMode = view::edit_mode::kPlate;
  globals::Selection().ClearSelectedItem();
  if (!isVisible() || loading_) return;
  statusBar_->SetText("x", "");
  statusBar_->SetText("y", "");
  // In the run's own form: two decimals would show a small buckling load as 0.
  statusBar_->SetText("eigenvalue", analysis::EigenvaluePanelText(globals::Analysis(), ChangedSinceRun()));
  statusBar_->SetText("operationmode", "SELECT");
  statusBar_->SetText("viewscale", "ACTUAL VIEW");
  SetCaption(kNoTitleCaption);
  if (QAction* a = Action("mnuResult_Show")) a->setChecked(v.OptionShowResult);
  if (QAction* a = Action("mnuStressPlot")) a->setChecked(v.OptionShowStress != view::stress_plot::kNone);
}

void frmMenu::updateToolBar() {
  try {
    static const char* const kEntries[5] = {"mnuElements_Plate", "mnuElements_Stiffener",
                                            "mnuElements_Boundary", "mnuElements_Brace",
                                            "mnuElements_Load"};
    static const char* const kImages[5] = {"plate", "stiffener", "boundary", "brace", "load"};
    for (const char* name : kEntries)
      if (QAction* a = Action(name)) a->setChecked(false);
    const int mode = globals::View().PropertyMode;
    if (mode < view::edit_mode::kPlate || mode > view::edit_mode::kLoad) return;
    const int row = mode - view::edit_mode::kPlate;
    if (QAction* a = Action(kEntries[row])) a->setChecked(true);
    statusBar_->SetPicture("editmode", ToolImage(kImages[row]));
  } catch (const std::exception&) {
    platform::MsgBox("Error..[Toolbar]");
  }
}

void frmMenu::SetCaption(const std::string& caption) {
  setWindowTitle(QString::fromStdString(caption));
}

std::string frmMenu::Caption() const { return windowTitle().toStdString(); }

void frmMenu::ShowNewModel() {
  statusBar_->SetText("eigenvalue", {});  // the panel's text before any result
  SetCaption(kNoTitleCaption);
  // Otherwise Save would propose the old model's file for the new one.
  projectFileName_.clear();
}

void frmMenu::StressesStored() {
  if (unloaded_) return;
  // The read-outs were taken from the stresses just replaced; a plot on the
  // screen takes them again as it is drawn, and without one they stay empty.
  if (stressWindow_) {
    stressWindow_->ClearStress();
    if (globals::View().OptionShowStress == view::stress_plot::kNone) stressWindow_->ClearMaxMin();
  }
  ShowStoredResults();
}

void frmMenu::ResultStored() {
  app::GlobalProjectHost host(this);
  app::MarkAnalysed(host);
  ShowStoredResults();
}

void frmMenu::RunEnded() { ShowStoredResults(); }

void frmMenu::ShowStoredResults() {
  if (unloaded_) return;
  ShowResultState();
  globals::View().Refresh();
}

bool frmMenu::HoldsStresses() const {
  return globals::Analysis().HasResult() || globals::Mesh().HoldsStresses();
}

bool frmMenu::ChangedSinceRun() {
  app::GlobalProjectHost host(this);
  return app::ChangedSinceRun(host);
}

void frmMenu::ShowResultState() {
  if (unloaded_) return;  // the model is gone with the window
  const model::Analysis& a = globals::Analysis();
  const bool changed = ChangedSinceRun();
  // Without a result the panel keeps what New or Open put there.
  if (a.HasResult()) statusBar_->SetText("eigenvalue", analysis::EigenvaluePanelText(a, changed));
  app::ShowChangedNote(stressWindow_, changed);
  app::ShowChangedNote(propertyView_, changed);
  // The plot's extremes and the value under the pointer belong to a model
  // that is gone.
  if (!HoldsStresses() && stressWindow_) {
    stressWindow_->ClearMaxMin();
    stressWindow_->ClearStress();
  }
}

void frmMenu::SetStressWindow(frmStress* window) { stressWindow_ = window; }

frmStress* frmMenu::StressWindow() const { return stressWindow_; }

void frmMenu::RegisterAction(const std::string& name, QAction* action) { actions_[name] = action; }

QAction* frmMenu::Action(const std::string& name) const {
  auto it = actions_.find(name);
  return it == actions_.end() ? nullptr : it->second.data();
}

void frmMenu::SetToolImage(const std::string& key, const QPixmap& image) { iglTool_[key] = image; }

QPixmap frmMenu::ToolImage(const std::string& key) const {
  auto it = iglTool_.find(key);
  return it == iglTool_.end() ? QPixmap() : it->second;
}

void frmMenu::ShowPopupMenu(float x, float y) {
  if (!popup_ || !surface_) return;
  const QPointF logical = surface_->ToLogical(QPointF(x, y));
  popup_->popup(surface_->mapToGlobal(logical.toPoint()));
}

void frmMenu::DrawFocusRect(int left, int top, int right, int bottom) {
  if (!rubberBand_ || !surface_) return;
  const QPointF a = surface_->ToLogical(QPointF(left, top));
  const QPointF b = surface_->ToLogical(QPointF(right, bottom));
  const QRect r = QRect(a.toPoint(), b.toPoint()).normalized();
  // Drawing the same box again takes it away, as an inverting box would.
  if (rubberBand_->isVisible() && rubberBand_->geometry() == r) {
    rubberBand_->hide();
    return;
  }
  rubberBand_->setGeometry(r);
  rubberBand_->show();
}
