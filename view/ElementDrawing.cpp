#include "view/ElementDrawing.h"

#include <GL/gl.h>

#include <array>
#include <cmath>

#include "model/fourNode.h"
#include "model/twoNode.h"
#include "platform/NumberText.h"
#include "view/FrameDrawing.h"
#include "view/GLHelpers.h"
#include "view/SymbolFrame.h"
#include "view/View.h"

namespace view {

namespace {

// The plate's corners in drawing order Node1, Node4, Node3, Node2, in the
// model plane. Read before any drawing starts, so that a plate whose nodes
// are missing fails without leaving a primitive open.
std::array<Point3, 4> PlateCorners(const model::fourNode& plate) {
  const model::Nodeb* n[4] = {&plate.Node1(), &plate.Node4(), &plate.Node3(), &plate.Node2()};
  std::array<Point3, 4> p{};
  for (int k = 0; k < 4; ++k) p[k] = {n[k]->xcoord(), n[k]->ycoord(), 0};
  return p;
}

void Quad(const std::array<Point3, 4>& p) {
  glBegin(GL_QUADS);
  for (const Point3& q : p) glVertex3f(q.x, q.y, q.z);
  glEnd();
}

void NumberAt(float x, float y, int32_t number) {
  glColor3f(0, 0, 0);
  glRasterPos3f(x, y, 0);
  DrawLabel(platform::FormatInteger(number));
}

void Cross(float s) {
  glBegin(GL_LINES);
  glVertex3f(-s, -s, 0);
  glVertex3f(s, s, 0);
  glVertex3f(-s, s, 0);
  glVertex3f(s, -s, 0);
  glEnd();
}

}  // namespace

std::array<Point3, 4> StiffenerStrip(const model::twoNode& stiffener) {
  const model::Nodeb& a = stiffener.Node1();
  const model::Nodeb& b = stiffener.Node2();
  const float h = stiffener.width() / 2;
  return {{{a.xcoord(), a.ycoord(), -h},
           {b.xcoord(), b.ycoord(), -h},
           {b.xcoord(), b.ycoord(), h},
           {a.xcoord(), a.ycoord(), h}}};
}

float PlateShade(float Thickness, float MaxThickness) {
  if (!(MaxThickness > 0) || !std::isfinite(MaxThickness)) return Thickness > 0 ? 0.7f : 1.0f;
  return 1 - 0.3f * Thickness / MaxThickness;
}

void Draw(const model::fourNode& plate, float MaxThickness, bool NV, bool PV) {
  const float c = PlateShade(plate.Thickness(), MaxThickness);
  const std::array<Point3, 4> p = PlateCorners(plate);

  glColor3f(0, 0, 0);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  Quad(p);

  if (!PV) return;
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glEnable(GL_POLYGON_OFFSET_FILL);
  glPolygonOffset(2, 2);
  glColor4f(1, 1, c, 0.2f);
  Quad(p);
  glDisable(GL_POLYGON_OFFSET_FILL);
  if (plate.PropertyDefined() && NV && plate.vID() != 0) NumberAt(plate.CPX(), plate.CPY(), plate.vID());
}

void Draw(const model::twoNode& stiffener, bool NV) {
  if (!stiffener.PropertyDefined()) return;
  const std::array<Point3, 4> p = StiffenerStrip(stiffener);

  glColor3f(0, 0, 0);
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  Quad(p);

  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glEnable(GL_POLYGON_OFFSET_FILL);
  glPolygonOffset(1, 1);
  glColor4f(1, 1, 0.7f, 0.2f);
  Quad(p);
  glDisable(GL_POLYGON_OFFSET_FILL);

  if (NV && stiffener.vID() != 0) NumberAt(stiffener.CPX(), stiffener.CPY(), stiffener.vID());
}

void DrawSelected(const model::fourNode& plate, const View& view, float SelectedMarkerSize) {
  SymbolFrame frame(view, plate.CPX(), plate.CPY(), 0);
  Cross(SelectedMarkerSize);
}

void DrawSelected(const model::twoNode& stiffener, const View& view, float SelectedMarkerSize) {
  SymbolFrame frame(view, stiffener.CPX(), stiffener.CPY(), 0);
  Cross(SelectedMarkerSize);
}

}  // namespace view
