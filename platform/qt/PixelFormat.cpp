#include "platform/qt/PixelFormat.h"

#include <GL/gl.h>

#include <QOffscreenSurface>
#include <QOpenGLContext>

namespace platform::qt {

QSurfaceFormat ViewSurfaceFormat() {
  QSurfaceFormat f;
  f.setRenderableType(QSurfaceFormat::OpenGL);
  f.setProfile(QSurfaceFormat::CompatibilityProfile);
  f.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  f.setRedBufferSize(8);
  f.setGreenBufferSize(8);
  f.setBlueBufferSize(8);
  f.setDepthBufferSize(24);
  f.setSamples(0);
  return f;
}

void InstallViewSurfaceFormat() { QSurfaceFormat::setDefaultFormat(ViewSurfaceFormat()); }

bool CurrentContextIsLegacy() {
  QOpenGLContext* ctx = QOpenGLContext::currentContext();
  if (!ctx || ctx->isOpenGLES()) return false;
  if (ctx->format().profile() == QSurfaceFormat::CoreProfile) return false;
  while (glGetError() != GL_NO_ERROR) {
  }
  // A core context refuses the matrix stack; a legacy one takes it.
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  glMatrixMode(GL_MODELVIEW);
  const bool ok = glGetError() == GL_NO_ERROR;
  if (ok && mode != 0) glMatrixMode(static_cast<GLenum>(mode));
  return ok;
}

int ChoosePixelFormat(const QSurfaceFormat& wanted) {
  QOpenGLContext probe;
  probe.setFormat(wanted);
  if (!probe.create()) return 0;
  QOffscreenSurface surface;
  surface.setFormat(probe.format());
  surface.create();
  if (!surface.isValid() || !probe.makeCurrent(&surface)) return 0;
  const bool legacy = CurrentContextIsLegacy();
  const bool depth = probe.format().depthBufferSize() >= 16 || probe.format().depthBufferSize() < 0;
  probe.doneCurrent();
  return legacy && depth ? 1 : 0;
}

PixelFormatDescriptor DescribePixelFormat(const QSurfaceFormat& obtained) {
  PixelFormatDescriptor d;
  d.flags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
  if (obtained.swapBehavior() != QSurfaceFormat::SingleBuffer) d.flags |= PFD_DOUBLEBUFFER;
  const int bits = obtained.redBufferSize() + obtained.greenBufferSize() + obtained.blueBufferSize();
  d.colorBits = bits > 0 ? bits : 24;
  d.depthBits = obtained.depthBufferSize();
  // Only an indexed display of eight bits or fewer needs a palette.
  if (d.colorBits <= 8) d.flags |= PFD_NEED_PALETTE;
  return d;
}

}  // namespace platform::qt
