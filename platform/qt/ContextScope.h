#pragma once
// OpenGL calls outside the surface's own paint and resize need its context.
#include <QOpenGLContext>

#include "platform/qt/GLSurface.h"

namespace platform::qt {

// Makes the surface's context current for the scope unless it already is
// (as inside the surface's own paint and resize).
class ContextScope {
 public:
  explicit ContextScope(GLSurface* surface) : surface_(surface) {
    if (surface_ && surface_->context() && QOpenGLContext::currentContext() != surface_->context()) {
      surface_->makeCurrent();
      made_ = true;
    }
  }
  ~ContextScope() {
    if (made_) surface_->doneCurrent();
  }
  ContextScope(const ContextScope&) = delete;
  ContextScope& operator=(const ContextScope&) = delete;
  bool current() const {
    return surface_ && surface_->context() && QOpenGLContext::currentContext() == surface_->context();
  }

 private:
  GLSurface* surface_;
  bool made_ = false;
};

}  // namespace platform::qt
