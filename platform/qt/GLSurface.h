#pragma once
// The OpenGL drawing area of a window: a QOpenGLWidget that hands its
// context set-up, resize, paint and mouse events to its owner. Mouse
// positions leave here in device pixels, the units of the GL viewport; this
// is the one place where logical pixels are scaled.
//
// It is double buffered the way a window's pixel format is: a frame is drawn
// into a buffer of its own and becomes the frame on the screen only when it
// was drawn cleanly (the swap); a failed frame leaves the last good one on
// the screen. Read-backs (depth, colour, the bitmap export) read the frame on
// the screen, so what they see is what the user sees.
#include <QOpenGLWidget>
#include <QPointF>
#include <QSize>

#include <functional>
#include <memory>

class QOpenGLFramebufferObject;

namespace platform::qt {

enum class SurfaceMouse { Down, Move, Up, DoubleClick };

class GLSurface : public QOpenGLWidget {
  Q_OBJECT

 public:
  explicit GLSurface(QWidget* parent = nullptr);
  ~GLSurface() override;

  // Called with the context current.
  std::function<void()> onInitialise;
  std::function<void(int deviceWidth, int deviceHeight)> onResize;
  // Draws one frame into the bound drawing buffer; true when the frame is
  // complete and is to be shown, false when it failed. A failure thrown out
  // of it counts as a failed frame.
  std::function<bool()> onPaint;
  // button: 1 left, 2 right, 4 middle (for a move, the buttons held);
  // shift: 1 Shift, 2 Ctrl, 4 Alt; x, y in device pixels.
  std::function<void(SurfaceMouse kind, int button, int shift, float x, float y)> onMouse;

  // The drawing area in device pixels.
  int DeviceWidth() const;
  int DeviceHeight() const;
  QPointF ToDevice(const QPointF& logical) const;
  QPointF ToLogical(const QPointF& device) const;

  // Draws a frame through onPaint and, when it succeeded, swaps it onto the
  // screen; then puts the frame on the screen into the widget's buffer. The
  // context must be current (paintGL runs it so).
  void RenderFrame();

  // The size in device pixels of the frame on the screen: 0 x 0 until a
  // frame has been drawn cleanly. After a resize it keeps its old size until
  // a frame at the new size succeeds.
  QSize ShownFrameSize() const;
  // Reads a block of the frame on the screen, x and y from its lower left
  // corner, as glReadPixels does with its default pack alignment of 4 (each
  // row padded to a multiple of 4 bytes). Makes the context current when it
  // is not. False when there is no frame to read.
  bool ReadShownFrame(int x, int y, int w, int h, unsigned int format, unsigned int type,
                      void* data);

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
  // Copies the frame on the screen into the widget's buffer, at its top left
  // corner on a white ground when the sizes differ.
  void Present();
  void ReleaseBuffers();

  // Without framebuffer blits frames are drawn straight into the widget's
  // buffer, as a single-buffered window would show them.
  bool buffered_ = false;
  QMetaObject::Connection contextGone_;
  std::unique_ptr<QOpenGLFramebufferObject> drawing_;
  std::unique_ptr<QOpenGLFramebufferObject> shown_;
};

}  // namespace platform::qt
