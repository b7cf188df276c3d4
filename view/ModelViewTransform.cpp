#include "view/ModelViewTransform.h"

#include <GL/gl.h>

#include "view/View.h"

namespace view {

void LoadModelView(const View& view, ModelViewKind kind) {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(static_cast<float>(view.SLimitCX), static_cast<float>(view.SLimitCY), 0);
  glRotatef(static_cast<float>(view.ViewRX), 0, 1, 0);
  glRotatef(static_cast<float>(view.ViewRY), 1, 0, 0);
  glRotatef(static_cast<float>(view.ViewRZ), 0, 0, 1);
  if (kind == ModelViewKind::AxisTriad) {
    glTranslatef(static_cast<float>(-view.SLimitCX), static_cast<float>(-view.SLimitCY), 0);
    return;
  }
  const float zoom = view.ViewZoom;
  if (kind == ModelViewKind::Model && view.ScreenMode != screen::kActualView)
    glScalef(zoom * view.ScreenModeFactorX * 0.8f, zoom * view.ScreenModeFactorY * 0.7f, zoom);
  else
    glScalef(zoom, zoom, zoom);
  glTranslatef(static_cast<float>(view.ViewX - view.SLimitCX),
               static_cast<float>(view.ViewY - view.SLimitCY), 0);
}

}  // namespace view
