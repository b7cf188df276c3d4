#include "platform/qt/GLSurface.h"

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>

#include <cmath>
#include <utility>

#include "platform/qt/PixelFormat.h"

namespace platform::qt {

GLSurface::GLSurface(QWidget* parent) : QOpenGLWidget(parent) {
  setFormat(ViewSurfaceFormat());
  setMouseTracking(true);  // moves without a button show the cursor read-out
  setUpdateBehavior(QOpenGLWidget::NoPartialUpdate);
}

GLSurface::~GLSurface() {
  // The widget's own destructor destroys the context, after these members.
  disconnect(contextGone_);
  if (drawing_ || shown_) {
    makeCurrent();
    ReleaseBuffers();
    doneCurrent();
  }
}

void GLSurface::ReleaseBuffers() {
  drawing_.reset();
  shown_.reset();
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
  // The widget makes a new context when it moves to another window; the
  // buffers belong to the old one.
  ReleaseBuffers();
  buffered_ = QOpenGLFramebufferObject::hasOpenGLFramebufferObjects() &&
              QOpenGLFramebufferObject::hasOpenGLFramebufferBlit();
  disconnect(contextGone_);
  contextGone_ = connect(
      context(), &QOpenGLContext::aboutToBeDestroyed, this,
      [this] {
        makeCurrent();
        ReleaseBuffers();
        doneCurrent();
      },
      Qt::DirectConnection);
  if (onInitialise) onInitialise();
}

void GLSurface::resizeGL(int, int) {
  if (onResize) onResize(DeviceWidth(), DeviceHeight());
}

void GLSurface::paintGL() { RenderFrame(); }

namespace {

// Runs the owner's paint; true when it reports a clean frame.
bool PaintSucceeded(const std::function<bool()>& paint) {
  if (!paint) return false;
  try {
    return paint();
  } catch (...) {
    return false;  // nothing may escape into the event loop
  }
}

}  // namespace

void GLSurface::RenderFrame() {
  if (!buffered_) {
    PaintSucceeded(onPaint);
    return;
  }
  const QSize size(DeviceWidth(), DeviceHeight());
  if (size.isEmpty()) return;
  if (!drawing_ || drawing_->size() != size) {
    // No alpha channel: the translucent fills must not make the window
    // itself translucent.
    drawing_ = std::make_unique<QOpenGLFramebufferObject>(size, QOpenGLFramebufferObject::Depth,
                                                          GL_TEXTURE_2D, GL_RGB8);
  }
  if (!drawing_->isValid()) {
    // A driver that refuses the buffer draws as if unbuffered.
    ReleaseBuffers();
    buffered_ = false;
    context()->extraFunctions()->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
    PaintSucceeded(onPaint);
    return;
  }
  drawing_->bind();
  if (PaintSucceeded(onPaint)) std::swap(drawing_, shown_);
  Present();
}

void GLSurface::Present() {
  QOpenGLExtraFunctions* f = context()->extraFunctions();
  f->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
  const int w = DeviceWidth(), h = DeviceHeight();
  const QSize shown = shown_ ? shown_->size() : QSize();
  if (shown != QSize(w, h)) {
    // The frame does not cover the widget: white around it, as the view's
    // own background. The clear colour belongs to the view; it is restored.
    GLfloat clear[4] = {1, 1, 1, 1};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
  }
  if (!shown_) return;
  // Anchored at the top left corner, where the pointer's coordinates start,
  // so that picking on a frame kept from before a resize still hits.
  f->glBindFramebuffer(GL_READ_FRAMEBUFFER, shown_->handle());
  f->glBlitFramebuffer(0, 0, shown.width(), shown.height(), 0, h - shown.height(), shown.width(),
                       h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  f->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
}

QSize GLSurface::ShownFrameSize() const {
  if (!buffered_) return context() ? QSize(DeviceWidth(), DeviceHeight()) : QSize();
  return shown_ ? shown_->size() : QSize();
}

bool GLSurface::ReadShownFrame(int x, int y, int w, int h, unsigned int format, unsigned int type,
                               void* data) {
  if (!context()) return false;
  if (buffered_ && !shown_) return false;
  const bool current = QOpenGLContext::currentContext() == context();
  if (!current) makeCurrent();
  QOpenGLExtraFunctions* f = context()->extraFunctions();
  f->glBindFramebuffer(GL_FRAMEBUFFER, buffered_ ? shown_->handle() : defaultFramebufferObject());
  GLint alignment = 4;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(x, y, w, h, format, type, data);
  glPixelStorei(GL_PACK_ALIGNMENT, alignment);
  f->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
  if (!current) doneCurrent();
  return true;
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
