#include "tests/view/RenderHost.h"

#include <QSurfaceFormat>
#include <QTest>
#include <cstdlib>

namespace viewtest {

void InstallRenderFormat() {
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  format.setVersion(2, 1);
  format.setDepthBufferSize(16);
  format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  format.setSamples(0);
  QSurfaceFormat::setDefaultFormat(format);
}

RenderHost::RenderHost(view::View& v, const model::Mesh& mesh, int w, int h)
    : view_(v), mesh_(mesh) {
  // Without an alpha channel the fills' alpha of 0.2 cannot reach the image.
  setTextureFormat(GL_RGB8);
  setFixedSize(w, h);
  view_.SetHost(this);
  show();
  (void)QTest::qWaitForWindowExposed(this);
}

RenderHost::~RenderHost() {
  view_.SetHost(nullptr);
  makeCurrent();
  glDeleteLists(1000, 256);
  doneCurrent();
}

void RenderHost::initializeGL() {
  // The initial state every frame relies on.
  glViewport(0, 0, static_cast<GLsizei>(ScaleWidth()), static_cast<GLsizei>(ScaleHeight()));
  glFrontFace(GL_CW);
  glShadeModel(GL_SMOOTH);
  glEnable(GL_DEPTH_TEST);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
  const GLfloat material[4] = {0.3f, 0.5f, 0.7f, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, material);
  const GLfloat ambient[4] = {1, 1, 1, 1};
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  // A 6 x 8 block per printable character is enough to see labels.
  static const GLubyte block[8] = {0xFC, 0xFC, 0xFC, 0xFC, 0xFC, 0xFC, 0xFC, 0xFC};
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (int c = 0; c < 256; ++c) {
    glNewList(1000 + c, GL_COMPILE);
    glBitmap(c > 32 ? 6 : 0, c > 32 ? 8 : 0, 0, 0, 7, 0, c > 32 ? block : nullptr);
    glEndList();
  }
  glListBase(1000);
  view_.Set_Limits(mesh_.Nodes());
  view_.Draw_Projection();
}

void RenderHost::resizeGL(int w, int h) {
  glViewport(0, 0, w, h);
  if (view_.ScreenMode == 0) {
    view_.Set_Limits(mesh_.Nodes());
    view_.Draw_Projection();
  }
}

void RenderHost::paintGL() {
  while (glGetError() != GL_NO_ERROR) {
  }
  outcomes.push_back(view::DrawFrame(view_, {mesh_, selectionPainter, hasModeShape, hasStresses}));
  const GLenum err = glGetError();
  if (err != GL_NO_ERROR) frameFaults.push_back("GL error " + std::to_string(err));
  GLint depth = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
  if (depth != 1) frameFaults.push_back("modelview depth " + std::to_string(depth));
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
  if (depth != 1) frameFaults.push_back("projection depth " + std::to_string(depth));
}

QImage RenderHost::Frame() { return grabFramebuffer(); }

std::vector<float> RenderHost::DepthBuffer() {
  const int w = static_cast<int>(ScaleWidth()), h = static_cast<int>(ScaleHeight());
  std::vector<float> depth(static_cast<std::size_t>(w) * h);
  makeCurrent();
  glReadPixels(0, 0, w, h, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
  doneCurrent();
  return depth;
}

QPoint RenderHost::Project(double x, double y, double z) const {
  double wx = 0, wy = 0, wz = 0;
  gluProject(x, y, z, view_.lastModelview, view_.lastProjection, view_.lastViewport, &wx, &wy, &wz);
  const int h = view_.lastViewport[3];
  return QPoint(static_cast<int>(wx), h - 1 - static_cast<int>(wy));
}

bool Near(QRgb c, int r, int g, int b, int tol) {
  return std::abs(qRed(c) - r) <= tol && std::abs(qGreen(c) - g) <= tol &&
         std::abs(qBlue(c) - b) <= tol;
}

bool AnyNear(const QImage& img, QPoint p, int radius, int r, int g, int b, int tol) {
  for (int dy = -radius; dy <= radius; ++dy)
    for (int dx = -radius; dx <= radius; ++dx) {
      const QPoint q = p + QPoint(dx, dy);
      if (img.valid(q) && Near(img.pixel(q), r, g, b, tol)) return true;
    }
  return false;
}

}  // namespace viewtest
