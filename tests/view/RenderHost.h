#pragma once
// A minimal window for render tests: an OpenGL widget with the view's initial
// state and font lists, hosting a View, drawing each frame with DrawFrame and
// checking after every frame that no OpenGL error is pending and the matrix
// stacks are balanced.
#include <GL/gl.h>
#include <GL/glu.h>

#include <QImage>
#include <QOpenGLWidget>
#include <string>
#include <vector>

#include "model/Mesh.h"
#include "view/FrameDrawing.h"
#include "view/View.h"
#include "view/ViewHost.h"

namespace viewtest {

// Makes the surface format of the render hosts the application's default:
// a legacy context, double buffered, 16 depth bits, no multisampling. Call
// before the QApplication exists.
void InstallRenderFormat();

class RenderHost : public QOpenGLWidget, public view::ViewHost {
 public:
  RenderHost(view::View& v, const model::Mesh& mesh, int w = 400, int h = 300);
  ~RenderHost() override;

  double ScaleWidth() const override { return width() * devicePixelRatio(); }
  double ScaleHeight() const override { return height() * devicePixelRatio(); }
  void Paint() override {
    ++paints;
    repaint();
  }
  void SetPanelText(const std::string&, const std::string&) override {}
  bool StressWindowShown() const override { return false; }
  void ShowMaxMin(float maxS, float minS) override { maxMin.push_back({maxS, minS}); }
  void ShowStress(float) override {}
  bool RetryAfterFileError(int) override { return false; }
  void SetBusyPointer(bool) override {}

  // Draws a fresh frame and returns it.
  QImage Frame();
  // The depth buffer the last frame left, bottom row first.
  std::vector<float> DepthBuffer();
  // Image pixel of a model point, through the matrices the last frame left.
  QPoint Project(double x, double y, double z = 0) const;

  view::SelectionPainter selectionPainter;
  // Whether the model holds a mode shape and stresses to plot.
  bool hasModeShape = true;
  bool hasStresses = true;
  // Per frame: what DrawFrame handed out, and the checks after it.
  std::vector<view::FrameOutcome> outcomes;
  std::vector<std::string> frameFaults;  // GL errors, unbalanced stacks
  std::vector<std::pair<float, float>> maxMin;
  int paints = 0;  // calls of Paint

 protected:
  void initializeGL() override;
  void resizeGL(int w, int h) override;
  void paintGL() override;

 private:
  view::View& view_;
  const model::Mesh& mesh_;
};

// Colour comparisons with a tolerance for the colour buffer's depth.
bool Near(QRgb c, int r, int g, int b, int tol = 3);
// Whether any pixel within `radius` of p has the colour.
bool AnyNear(const QImage& img, QPoint p, int radius, int r, int g, int b, int tol = 3);

}  // namespace viewtest
