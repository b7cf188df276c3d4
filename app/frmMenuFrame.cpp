#include "app/frmMenu.h"

#include <GL/gl.h>

#include <QApplication>
#include <QCursor>
#include <QRubberBand>
#include <QTimer>

#include <cmath>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "app/Globals.h"
#include "app/MouseModes.h"
#include "app/Selection.h"
#include "dialogs/frmStress.h"
#include "model/Analysis.h"
#include "model/Mesh.h"
#include "platform/MessageBox.h"
#include "platform/qt/ContextScope.h"
#include "platform/qt/GLSurface.h"
#include "view/FrameDrawing.h"
#include "view/View.h"

// ------------------------------------------------------------ paint

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
    // Stresses are looked for only when a plot wants them.
    const bool plotChosen = v.OptionShowStress != view::stress_plot::kNone;
    view::FrameInputs in{globals::Mesh(),
                         [&v, &selection](float size) { selection.DrawSelected(v, size); },
                         globals::Analysis().HasResult(), plotChosen && HoldsStresses()};
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
  // The frame is read back once it is on the screen, after this returns.
  if (drawn && StressWindowShown() && !readoutPending_) {
    readoutPending_ = true;
    QTimer::singleShot(0, this, [this] { RefreshStressReadout(); });
  }
  return drawn;
}

void frmMenu::RefreshStressReadout() {
  readoutPending_ = false;
  if (unloaded_ || !StressWindowShown() || !surface_) return;
  try {
    const view::View& v = globals::View();
    // With no plot on the screen the read-out keeps its last value, and
    // stops following the pointer.
    if (v.lastStressPlot == view::stress_plot::kNone) return;
    const std::pair<int32_t, double> shown{v.lastStressPlot, v.maxStress};
    if (shown != readoutFor_) {
      readoutFor_ = shown;
      stressWindow_->ClearStress();
    }
    const QPoint pointer = QCursor::pos();
    if (QApplication::widgetAt(pointer) != surface_) return;
    const QPointF at = surface_->ToDevice(QPointF(surface_->mapFromGlobal(pointer)));
    app::ShowStressUnderPointer(*this, static_cast<float>(at.x()), static_cast<float>(at.y()));
  } catch (const std::exception&) {
    // The read-out stays empty; the next move of the pointer reads again.
  }
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
    if (v.ScreenMode == view::screen::kActualView) {
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

// ------------------------------------------------------------ read-back

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
