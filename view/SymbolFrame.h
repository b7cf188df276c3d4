#pragma once
// The frame in which a symbol or selection cross is drawn: the model-view
// matrix pushed, moved to the symbol's place and, in the fit view, unstretched
// so that the symbol keeps its proportions. Popped when it leaves scope.
#include <GL/gl.h>

#include "platform/RuntimeError.h"
#include "view/GLHelpers.h"
#include "view/View.h"

namespace view {

class SymbolFrame {
 public:
  SymbolFrame(const View& view, float x, float y, float z0) : scale_(FitScale(view)) {
    glTranslatef(x, y, z0);
    if (view.ScreenMode == screen::kFitView) glScalef(scale_.x, scale_.y, 1);
  }

 private:
  // The scale that undoes the fit view's stretch by 0.8 and 0.7 times its
  // factors; a factor of 0 cannot be undone.
  static Point3 FitScale(const View& view) {
    if (view.ScreenMode != screen::kFitView) return {1, 1, 1};
    if (view.ScreenModeFactorX == 0 || view.ScreenModeFactorY == 0)
      platform::Raise(platform::kErrDivideByZero);
    return {1 / (0.8f * view.ScreenModeFactorX), 1 / (0.7f * view.ScreenModeFactorY), 1};
  }

  Point3 scale_;          // computed first: a failure there pushes nothing
  ModelViewGuard guard_;  // pushed after the checks, popped at scope end
};

}  // namespace view
