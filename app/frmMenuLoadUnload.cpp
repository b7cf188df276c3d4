#include "app/frmMenu.h"

#include <GL/gl.h>

#include <QCloseEvent>
#include <QFont>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>

#include "analysis/ui/RunGuard.h"
#include "app/GlobalProjectHost.h"
#include "app/Globals.h"
#include "app/OptionsFile.h"
#include "app/ProgramPaths.h"
#include "dialogs/frmStress.h"
#include "platform/MessageBox.h"
#include "platform/qt/ContextScope.h"
#include "platform/qt/GLFontBitmaps.h"
#include "platform/qt/GLSurface.h"
#include "platform/qt/PixelFormat.h"
#include "view/View.h"

// ------------------------------------------------------------ load

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
    DetachSurface();
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
