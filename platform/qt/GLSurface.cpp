#include "platform/qt/GLSurface.h"

#include <QMouseEvent>

#include <cmath>

#include "platform/qt/PixelFormat.h"

namespace platform::qt {

GLSurface::GLSurface(QWidget* parent) : QOpenGLWidget(parent) {
  setFormat(ViewSurfaceFormat());
  setMouseTracking(true);  // moves without a button show the cursor read-out
  setUpdateBehavior(QOpenGLWidget::NoPartialUpdate);
}

int GLSurface::DeviceWidth() const {
  return static_cast<int>(std::lround(width() * devicePixelRatioF()));
}

int GLSurface::DeviceHeight() const {
  return static_cast<int>(std::lround(height() * devicePixelRatioF()));
}

QPointF GLSurface::ToDevice(const QPointF& logical) const { return logical * devicePixelRatioF(); }

QPointF GLSurface::ToLogical(const QPointF& device) const {
  const double r = devicePixelRatioF();
  return r > 0 ? device / r : device;
}

int GLSurface::ButtonFlags(Qt::MouseButtons buttons) {
  int flags = 0;
  if (buttons & Qt::LeftButton) flags |= 1;
  if (buttons & Qt::RightButton) flags |= 2;
  if (buttons & Qt::MiddleButton) flags |= 4;
  return flags;
}

int GLSurface::ShiftFlags(Qt::KeyboardModifiers modifiers) {
  int flags = 0;
  if (modifiers & Qt::ShiftModifier) flags |= 1;
  if (modifiers & Qt::ControlModifier) flags |= 2;
  if (modifiers & Qt::AltModifier) flags |= 4;
  return flags;
}

void GLSurface::initializeGL() {
  if (onInitialise) onInitialise();
}

void GLSurface::resizeGL(int, int) {
  if (onResize) onResize(DeviceWidth(), DeviceHeight());
}

void GLSurface::paintGL() {
  if (onPaint) onPaint();
}

void GLSurface::Forward(SurfaceMouse kind, int button, QMouseEvent* event) {
  if (!onMouse) return;
  const QPointF p = ToDevice(event->position());
  onMouse(kind, button, ShiftFlags(event->modifiers()), static_cast<float>(p.x()),
          static_cast<float>(p.y()));
}

void GLSurface::mousePressEvent(QMouseEvent* event) {
  Forward(SurfaceMouse::Down, ButtonFlags(event->button()), event);
}

void GLSurface::mouseMoveEvent(QMouseEvent* event) {
  Forward(SurfaceMouse::Move, ButtonFlags(event->buttons()), event);
}

void GLSurface::mouseReleaseEvent(QMouseEvent* event) {
  Forward(SurfaceMouse::Up, ButtonFlags(event->button()), event);
}

// The second press of a double-click reaches the handlers only as this.
void GLSurface::mouseDoubleClickEvent(QMouseEvent* event) {
  Forward(SurfaceMouse::DoubleClick, ButtonFlags(event->button()), event);
}

}  // namespace platform::qt
