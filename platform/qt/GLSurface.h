#pragma once
// The OpenGL drawing area of a window: a QOpenGLWidget that hands its
// context set-up, resize, paint and mouse events to its owner. Mouse
// positions leave here in device pixels, the units of the GL viewport; this
// is the one place where logical pixels are scaled.
#include <QOpenGLWidget>
#include <QPointF>

#include <functional>

namespace platform::qt {

enum class SurfaceMouse { Down, Move, Up, DoubleClick };

class GLSurface : public QOpenGLWidget {
  Q_OBJECT

 public:
  explicit GLSurface(QWidget* parent = nullptr);

  // Called with the context current.
  std::function<void()> onInitialise;
  std::function<void(int deviceWidth, int deviceHeight)> onResize;
  std::function<void()> onPaint;
  // button: 1 left, 2 right, 4 middle (for a move, the buttons held);
  // shift: 1 Shift, 2 Ctrl, 4 Alt; x, y in device pixels.
  std::function<void(SurfaceMouse kind, int button, int shift, float x, float y)> onMouse;

  // The drawing area in device pixels.
  int DeviceWidth() const;
  int DeviceHeight() const;
  QPointF ToDevice(const QPointF& logical) const;
  QPointF ToLogical(const QPointF& device) const;

  static int ButtonFlags(Qt::MouseButtons buttons);
  static int ShiftFlags(Qt::KeyboardModifiers modifiers);

 protected:
  void initializeGL() override;
  void resizeGL(int w, int h) override;
  void paintGL() override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void Forward(SurfaceMouse kind, int button, QMouseEvent* event);
};

}  // namespace platform::qt
