#include "app/frmMenu.h"

#include <GL/gl.h>

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QOpenGLContext>
#include <QRubberBand>
#include <QTimer>
#include <QToolBar>

#include <cmath>
#include <cstdlib>
#include <exception>

#include "analysis/EigenSolver.h"
#include "analysis/ui/RunGuard.h"
#include "app/Commands.h"
#include "app/FileErrors.h"
#include "app/GlobalProjectHost.h"
#include "app/Globals.h"
#include "app/MouseModes.h"
#include "app/MouseOperations.h"
#include "app/OptionsFile.h"
#include "app/ProgramPaths.h"
#include "app/Selection.h"
#include "app/SelectionItems.h"
#include "app/ToolImages.h"
#include "dialogs/frmCoord.h"
#include "dialogs/frmStress.h"
#include "model/Analysis.h"
#include "model/Mesh.h"
#include "platform/MessageBox.h"
#include "platform/qt/GLFontBitmaps.h"
#include "platform/qt/GLSurface.h"
#include "platform/qt/KeyedStatusBar.h"
#include "platform/qt/PixelFormat.h"
#include "view/FrameDrawing.h"
#include "view/View.h"

namespace {

constexpr const char* kNoTitleCaption = "VELK V1.4.0: No Title";

}  // namespace

namespace platform::qt {

// Makes the surface's context current for the scope unless it already is
// (as inside the surface's own paint and resize).
class ContextScope {
 public:
  explicit ContextScope(GLSurface* surface) : surface_(surface) {
    if (surface_ && surface_->context() && QOpenGLContext::currentContext() != surface_->context()) {
      surface_->makeCurrent();
      made_ = true;
    }
  }
  ~ContextScope() {
    if (made_) surface_->doneCurrent();
  }
  ContextScope(const ContextScope&) = delete;
  ContextScope& operator=(const ContextScope&) = delete;
  bool current() const {
    return surface_ && surface_->context() && QOpenGLContext::currentContext() == surface_->context();
  }

 private:
  GLSurface* surface_;
  bool made_ = false;
};

}  // namespace platform::qt

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
    editor.exec();
  };
  app::MouseStateOf(*this).saveBitmap = [this](int left, int bottom, int width, int height) {
    view::Save_Bitmap(cdlBitmap, left, bottom, width, height, *this, *this);
  };
  globals::View().SetHost(this);
  Form_Load();
  app::GlobalProjectHost host(this);
  app::MarkUnchanged(host);
}

frmMenu::~frmMenu() {
  // The view outlives this window only when the close handler did not run.
  if (!unloaded_) globals::View().ReleaseHost(this);
}

// ---------------------------------------------------------------- ViewHost

double frmMenu::ScaleWidth() const { return surface_ ? surface_->DeviceWidth() : 0; }

double frmMenu::ScaleHeight() const { return surface_ ? surface_->DeviceHeight() : 0; }

void frmMenu::Paint() {
  if (!surface_ || !contextReady_ || inPaint_ || !surface_->isVisible()) return;
  const unsigned long before = framesDrawn_;
  surface_->repaint();
  if (framesDrawn_ != before) return;
  // The window system may hold a repaint back while the last frame is still
  // on its way to the screen. The frame is then drawn into the surface's
  // buffer here, so that it is finished (and its matrices saved) on return;
  // the screen shows it at the next composition.
  {
    platform::qt::ContextScope scope(surface_);
    if (!scope.current()) return;
    glViewport(0, 0, surface_->DeviceWidth(), surface_->DeviceHeight());
    surface_->RenderFrame();
    glFlush();
  }
  surface_->update();
}

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

void frmMenu::Form_Load() {
  loading_ = true;
  try {
    helpFile_ = app::HelpFilePath();
    OGL_Load();
    app::Read_Option(app::OptionsFilePath(), globals::Analysis(), globals::View());
    Update();
    UpdateFont(globals::View().OptionFontSize);
  } catch (const std::exception&) {
    platform::MsgBox("Error..[Form_Load]");
  }
  loading_ = false;
}

void frmMenu::OGL_Load() {
  // The surface makes its context when it is first shown; here the format is
  // chosen, so that a display without legacy OpenGL ends the program before
  // any window appears.
  try {
    pixelFormat_ = platform::qt::ChoosePixelFormat(surface_->format());
  } catch (const std::exception&) {
    platform::MsgBox("Error..[SetupPixelFormat]");
    return;
  }
  if (pixelFormat_ == 0) {
    platform::MsgBox("ChoosePixelFormat failed");
    std::exit(EXIT_FAILURE);
  }
  const platform::qt::PixelFormatDescriptor pfd =
      platform::qt::DescribePixelFormat(surface_->format());
  if (pfd.flags & platform::qt::PFD_NEED_PALETTE) platform::MsgBox("Error..[SetupPalette]");
}

void frmMenu::InitialiseContext() {
  if (!platform::qt::CurrentContextIsLegacy()) {
    platform::MsgBox("ChoosePixelFormat failed");
    std::exit(EXIT_FAILURE);
  }
  glViewport(0, 0, static_cast<GLsizei>(std::lround(ScaleWidth())),
             static_cast<GLsizei>(std::lround(ScaleHeight())));
  glFrontFace(GL_CW);
  glShadeModel(GL_SMOOTH);
  glEnable(GL_DEPTH_TEST);
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glShadeModel(GL_SMOOTH);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
  const GLfloat material[4] = {0.3f, 0.5f, 0.7f, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, material);
  const GLfloat ambient[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  contextReady_ = true;
  UpdateFont(fontSize_);
}

bool frmMenu::HasContext() const { return contextReady_; }

void frmMenu::UpdateFont(short size) {
  fontSize_ = size;
  if (!contextReady_) return;  // built when the context is made
  platform::qt::ContextScope scope(surface_);
  if (!scope.current()) return;
  QFont font("Arial");
  font.setStyleHint(QFont::SansSerif);
  const double points = size > 0 ? size : 1;
  const double pixels = points * logicalDpiY() / 72.0 * surface_->devicePixelRatioF();
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
  glDeleteLists(platform::qt::kFontListBase, platform::qt::kFontListCount);
  platform::qt::UseFontBitmaps(font, 0, platform::qt::kFontListCount, platform::qt::kFontListBase);
  glListBase(platform::qt::kFontListBase);
}

// ------------------------------------------------------------ paint

bool frmMenu::Form_Paint() {
  inPaint_ = true;
  ++framesDrawn_;
  if (rubberBand_) rubberBand_->hide();
  if (!contextReady_) {
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    inPaint_ = false;
    return true;
  }
  bool drawn = false;
  try {
    view::View& v = globals::View();
    app::Selection& selection = globals::Selection();
    view::FrameInputs in{globals::Mesh(),
                         [&v, &selection](float size) { selection.DrawSelected(v, size); }};
    view::FrameOutcome outcome = view::DrawFrame(v, in);
    drawn = outcome.drawn;
    for (std::string& m : outcome.messages) queuedErrors_.push_back(std::move(m));
  } catch (const std::exception&) {
    queuedErrors_.push_back("Error..[Form_Paint]");
  }
  inPaint_ = false;
  // A box shown from inside paint would paint again: show it afterwards.
  if (!queuedErrors_.empty() && !errorShowPending_) {
    errorShowPending_ = true;
    QTimer::singleShot(0, this, [this] { ShowQueuedPaintErrors(); });
  }
  return drawn;
}

void frmMenu::ShowQueuedPaintErrors() {
  std::vector<std::string> messages;
  messages.swap(queuedErrors_);
  errorShowPending_ = false;
  for (const std::string& m : messages) platform::MsgBox(m);
}

// ------------------------------------------------------------ resize

void frmMenu::Form_Resize() {
  Form_Resize(static_cast<int>(std::lround(ScaleWidth())),
              static_cast<int>(std::lround(ScaleHeight())));
}

void frmMenu::Form_Resize(int width, int height) {
  if (width == 0 || height == 0) return;  // minimised
  {
    platform::qt::ContextScope scope(surface_);
    if (contextReady_ && scope.current()) glViewport(0, 0, width, height);
    view::View& v = globals::View();
    if (v.ScreenMode == 0) {
      v.Set_Limits(globals::Mesh().Nodes());
      v.Draw_Projection();
    }
  }
  if (inResizeGL_) {
    surface_->update();  // the surface paints right after its resize
  } else {
    Paint();
  }
}

// ------------------------------------------------------------ state

void frmMenu::Update() {
  ButtonReleased = 1;
  MouseMoved = 0;
  view::View& v = globals::View();
  v.MeshMode = 3;
  v.PropertyMode = 1;
  globals::Selection().ClearSelectedItem();
  if (!isVisible() || loading_) return;
  statusBar_->SetText("x", "");
  statusBar_->SetText("y", "");
  // In the run's own form: two decimals would show a small buckling load as 0.
  const model::Analysis& a = globals::Analysis();
  statusBar_->SetText("eigenvalue",
                      "Eigenvalue : " + analysis::EigenvalueText(a.EigenValue, !a.EigenValueNotConverged));
  statusBar_->SetText("operationmode", "SELECT");
  statusBar_->SetText("viewscale", "ACTUAL VIEW");
  SetCaption(kNoTitleCaption);
  if (QAction* a = Action("mnuResult_Show")) a->setChecked(v.OptionShowResult);
  if (QAction* a = Action("mnuStressPlot")) a->setChecked(v.OptionShowStress != 0);
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
    if (mode < 1 || mode > 5) return;
    if (QAction* a = Action(kEntries[mode - 1])) a->setChecked(true);
    statusBar_->SetPicture("editmode", ToolImage(kImages[mode - 1]));
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
  cdlFile.set_FileName({});
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

float frmMenu::ReadPixelDepth(int column, int row) {
  GLfloat depth = 1.0f;
  if (!ReadShownPixel(column, row, GL_DEPTH_COMPONENT, &depth)) return 1.0f;
  return depth;
}

void frmMenu::ReadPixelBlueRed(int column, int row, float& blue, float& red) {
  if (!ReadShownPixel(column, row, GL_BLUE, &blue) || !ReadShownPixel(column, row, GL_RED, &red))
    blue = red = 1.0f;
}

int frmMenu::FrameWidth() const {
  return contextReady_ && surface_ ? surface_->ShownFrameSize().width() : 0;
}

int frmMenu::FrameHeight() const {
  return contextReady_ && surface_ ? surface_->ShownFrameSize().height() : 0;
}

bool frmMenu::ReadRGB(int x, int y, int w, int h, unsigned char* out) {
  return contextReady_ && surface_ &&
         surface_->ReadShownFrame(x, y, w, h, GL_RGB, GL_UNSIGNED_BYTE, out);
}

bool frmMenu::ReadShownPixel(int column, int row, unsigned int format, float* value) {
  if (!contextReady_ || !surface_) return false;
  const QSize size = surface_->ShownFrameSize();
  // Outside the frame OpenGL leaves the value undefined.
  if (column < 0 || row < 0 || column >= size.width() || row >= size.height()) return false;
  return surface_->ReadShownFrame(column, row, 1, 1, format, GL_FLOAT, value);
}

// ------------------------------------------------------------ close

void frmMenu::closeEvent(QCloseEvent* event) {
  // A run yields to the event loop; the window must outlive it.
  if (analysis::ui::RunInProgress()) {
    event->ignore();
    return;
  }
  if (!unloaded_) {
    app::GlobalProjectHost host(this);
    if (!app::SaveChangesFirst(host, cdlFile)) {
      event->ignore();
      return;
    }
  }
  if (!unloaded_) Form_Unload();
  event->accept();
}

void frmMenu::OGL_Unload() {
  if (contextReady_) {
    platform::qt::ContextScope scope(surface_);
    if (scope.current()) glDeleteLists(platform::qt::kFontListBase, platform::qt::kFontListCount);
  }
  contextReady_ = false;
  // The context goes with the surface that owns it.
  if (surface_) {
    surface_->onPaint = nullptr;
    surface_->onResize = nullptr;
    surface_->onMouse = nullptr;
    surface_->onInitialise = nullptr;
    QWidget* w = takeCentralWidget();
    surface_ = nullptr;
    rubberBand_ = nullptr;
    delete w;
  }
}

namespace {
// The release routine of the main module.
void Close_Program() {
  app::Save_Option(app::OptionsFilePath(), globals::Analysis(), globals::View());
  globals::ReleaseAll();
}
}  // namespace

void frmMenu::Form_Unload() {
  unloaded_ = true;
  try {
    app::Save_Option(app::OptionsFilePath(), globals::Analysis(), globals::View());
    // The modeless windows repaint the view as they close, so the context
    // stays until they are gone.
    if (propertyView_ && propertyView_->isVisible()) propertyView_->close();
    if (StressWindowShown()) stressWindow_->close();
    OGL_Unload();
    globals::View().SetHost(nullptr);
    Close_Program();
  } catch (const std::exception&) {
    platform::MsgBox("Error..[Form_Unload]");
  }
}
