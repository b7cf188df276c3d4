#include "app/MouseOperations.h"

#include <algorithm>
#include <cmath>

#include "app/frmMenu.h"

namespace app {

MouseState& MouseStateOf(frmMenu& window) {
  auto* state = window.findChild<MouseState*>(QString(), Qt::FindDirectChildrenOnly);
  if (!state) state = new MouseState(&window);
  return *state;
}

int RoundPixel(double v) { return static_cast<int>(std::nearbyint(v)); }

int PointerRow(float y, int viewportHeight) {
  return RoundPixel(static_cast<double>(viewportHeight) - y + 1.0);
}

std::array<int, 4> FocusRectOf(float startX, float startY, float cornerX, float cornerY) {
  return {RoundPixel(std::min(startX, cornerX)), RoundPixel(std::min(startY, cornerY)),
          RoundPixel(std::max(startX, cornerX)), RoundPixel(std::max(startY, cornerY))};
}

void TranslateView(double& viewX, double& viewY, float dx, float dy, double W, double H,
                   double sLimitX0, double sLimitX1, double sLimitY0, double sLimitY1,
                   double viewRX, double viewRY) {
  // The fractions of the area are single precision; the angle factor uses
  // 3.14159 as the view always has.
  const double fx = static_cast<float>(dx / W);
  const double fy = static_cast<float>(dy / H);
  viewX = viewX + fx * (sLimitX1 - sLimitX0) / std::cos(viewRX * 3.14159 / 180);
  viewY = viewY - fy * (sLimitY1 - sLimitY0) / std::cos(viewRY * 3.14159 / 180);
}

void RotateView(double& viewRX, double& viewRY, float dx, float dy, double W, double H) {
  viewRX = viewRX + (90 / W) * dx;
  viewRY = viewRY - (90 / H) * dy;
  if (viewRX > 360) viewRX -= 360;
  if (viewRY > 360) viewRY -= 360;
  if (viewRX < 0) viewRX += 360;
  if (viewRY < 0) viewRY += 360;
}

float DragZoom(float viewZoom, float dx, double W) {
  if (viewZoom >= 0.05f || dx >= 0) return viewZoom + static_cast<float>(dx / W);
  return viewZoom;
}

BitmapBox BitmapBoxOf(float startX, float startY, float endX, float endY) {
  BitmapBox box;
  const float dx = endX - startX, dy = endY - startY;
  if (dx == 0 || dy == 0) return box;
  box.save = true;
  box.left = RoundPixel(std::min(startX, endX));
  box.bottom = RoundPixel(std::max(startY, endY));
  box.width = RoundPixel(std::fabs(dx));
  box.height = RoundPixel(std::fabs(dy));
  return box;
}

}  // namespace app
