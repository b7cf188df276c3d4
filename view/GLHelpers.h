#pragma once
// Small helpers shared by the view's drawing code.
#include <GL/gl.h>

namespace view {

// Pushes the model-view matrix and pops it when it leaves scope, also when a
// failure unwinds through the drawing, so the matrix stack stays balanced.
class ModelViewGuard {
 public:
  ModelViewGuard() {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
  }
  ~ModelViewGuard() {
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
  }
  ModelViewGuard(const ModelViewGuard&) = delete;
  ModelViewGuard& operator=(const ModelViewGuard&) = delete;
};

struct Point3 {
  float x, y, z;
};

}  // namespace view
