#include "view/StressPlot.h"

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <vector>

#include "model/Mesh.h"
#include "model/Nodes.h"
#include "model/fourNode.h"
#include "model/fourNodes.h"
#include "model/twoNode.h"
#include "model/twoNodes.h"
#include "view/ElementDrawing.h"
#include "view/GLHelpers.h"
#include "view/ModelViewTransform.h"
#include "view/View.h"
#include "view/ViewHost.h"

namespace view {

namespace {

void SetColour(float s, float M) {
  const StressColour c = StressToColour(s, M);
  glColor4f(c.r, c.g, c.b, 1);
}

// Black outlines pulled towards the viewer, in front of the fills they border.
void OutlineMode() {
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glEnable(GL_POLYGON_OFFSET_LINE);
  glPolygonOffset(-2, -2);
  glColor3f(0, 0, 0);
}

void BlackOutline(const std::array<Point3, 4>& p) {
  OutlineMode();
  glBegin(GL_QUADS);
  for (const Point3& q : p) glVertex3f(q.x, q.y, q.z);
  glEnd();
  glDisable(GL_POLYGON_OFFSET_LINE);
}

// The plate smoothly shaded from the chosen stress of its corners.
template <typename StressOf>
void DrawPlateStress(const model::fourNode& plate, float M, StressOf stressOf) {
  if (!plate.PropertyDefined()) return;
  const model::Nodeb* n[4] = {&plate.Node1(), &plate.Node4(), &plate.Node3(), &plate.Node2()};
  std::array<Point3, 4> p{};
  float stress[4];
  for (int k = 0; k < 4; ++k) {
    p[k] = {n[k]->xcoord(), n[k]->ycoord(), 0};
    stress[k] = stressOf(*n[k]);
  }
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glBegin(GL_QUADS);
  for (int k = 0; k < 4; ++k) {
    SetColour(stress[k], M);
    glVertex3f(p[k].x, p[k].y, p[k].z);
  }
  glEnd();
  BlackOutline(p);
}

// The fills of a batch of plates or strips, then their outlines.
template <typename T, typename CornersOf, typename ColourAt>
void DrawBatch(const std::vector<const T*>& batch, CornersOf cornersOf, ColourAt colourAt) {
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glBegin(GL_QUADS);
  for (const T* item : batch) {
    const std::array<Point3, 4> p = cornersOf(*item);
    for (int k = 0; k < 4; ++k) {
      colourAt(*item, k);
      glVertex3f(p[k].x, p[k].y, p[k].z);
    }
  }
  glEnd();
  OutlineMode();
  glBegin(GL_QUADS);
  for (const T* item : batch)
    for (const Point3& q : cornersOf(*item)) glVertex3f(q.x, q.y, q.z);
  glEnd();
  glDisable(GL_POLYGON_OFFSET_LINE);
}

// The plates of a plot in batches (see ForEachBatch): each plate's outline
// is pulled in front of every fill of the model plane by its offset.
template <typename StressOf>
void DrawPlatesStress(const model::fourNodes& plates, float M, StressOf stressOf) {
  const PlateList list = CollectPlates(plates, true);
  ForEachBatch(
      list.plates, {list.plates.size()}, PlateCorners,
      [&](const std::vector<const model::fourNode*>& batch) {
        DrawBatch(batch, PlateCorners, [&](const model::fourNode& plate, int k) {
          const model::Nodeb* corner[4] = {&plate.Node1(), &plate.Node4(), &plate.Node3(), &plate.Node2()};
          SetColour(stressOf(*corner[k]), M);
        });
      },
      [&](const model::fourNode& plate) { DrawPlateStress(plate, M, stressOf); });
  if (list.broken) PlateCorners(*list.broken);  // fails as the item routine fails on it
}

// The stiffeners of the Sx plot, run by run, as the plates are.
void DrawStiffenersStress(const model::twoNodes& stiffeners, float M) {
  const StripRuns runs = CollectStripRuns(stiffeners);
  ForEachBatch(
      runs.strips, runs.runEnds, StiffenerStrip,
      [&](const std::vector<const model::twoNode*>& batch) {
        DrawBatch(batch, StiffenerStrip,
                  [&](const model::twoNode& s, int) { SetColour(s.Stress(), M); });
      },
      [&](const model::twoNode& s) { DrawStress(s, M); });
  if (runs.broken) StiffenerStrip(*runs.broken);  // fails as the item routine fails on it
}

}  // namespace

StressColour StressToColour(float s, float M) {
  if (s < 0) {
    const float f = 1 + s / M;
    return {f, f, 1};
  }
  const float f = 1 - s / M;
  return {1, f, f};
}

float StressScale(float largest, float smallest) {
  float M = std::fabs(largest) > std::fabs(smallest) ? std::fabs(largest) : std::fabs(smallest);
  if (M < 1E-40f) M = 1E-16f;
  return M;
}

bool StressFromColour(float CB, float CR, double maxStress, float& value) {
  if (CB > CR) {
    value = static_cast<float>(-(1.0 - static_cast<double>(CR)) * maxStress);
    return true;
  }
  if (CR > CB) {
    value = static_cast<float>((1.0 - static_cast<double>(CB)) * maxStress);
    return true;
  }
  return false;
}

void DrawStressSX(const model::fourNode& plate, float StressMax) {
  DrawPlateStress(plate, StressMax, [](const model::Nodeb& n) { return n.Sx(); });
}
void DrawStressSY(const model::fourNode& plate, float StressMax) {
  DrawPlateStress(plate, StressMax, [](const model::Nodeb& n) { return n.Sy(); });
}
void DrawStressSXY(const model::fourNode& plate, float StressMax) {
  DrawPlateStress(plate, StressMax, [](const model::Nodeb& n) { return n.SXY(); });
}
void DrawStressMises(const model::fourNode& plate, float StressMax) {
  DrawPlateStress(plate, StressMax, [](const model::Nodeb& n) { return n.Mises(); });
}

void DrawStress(const model::twoNode& stiffener, float StressMax) {
  if (!stiffener.PropertyDefined()) return;
  const std::array<Point3, 4> p = StiffenerStrip(stiffener);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  SetColour(stiffener.Stress(), StressMax);
  glBegin(GL_QUADS);
  for (const Point3& q : p) glVertex3f(q.x, q.y, q.z);
  glEnd();
  BlackOutline(p);
}

void View::Draw_Stress(const model::Mesh& mesh) {
  const model::Nodes& nodes = mesh.Nodes();
  if (nodes.Count() < 4) return;

  const int32_t option = OptionShowStress;
  // Only a hand-edited options file could hold another option, and the
  // reader refuses one; such a plot draws nothing and keeps the last scale.
  const bool known = option >= stress_plot::kSx && option <= stress_plot::kMises;
  float largest = -1E37f, smallest = 1E37f;
  if (option == stress_plot::kSx) {
    float nMax, nMin, sMax, sMin;
    nodes.Calculate_MaxMinStress(nMax, nMin, 0);
    mesh.twoNodes().Calculate_MaxMinStress(sMax, sMin, 0);
    largest = nMax > sMax ? nMax : sMax;
    smallest = nMin < sMin ? nMin : sMin;
  } else if (known) {
    nodes.Calculate_MaxMinStress(largest, smallest, static_cast<short>(option - stress_plot::kSx));
  }
  const float M = StressScale(largest, smallest);

  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  LoadModelView(*this, ModelViewKind::StressPlot);

  if (!known) return;
  glColor3f(0, 0, 0);
  const model::fourNodes& plates = mesh.fourNodes();
  if (DrawItemByItem) {
    switch (option) {
      case stress_plot::kSx:
        for (const model::fourNode& plate : plates) DrawStressSX(plate, M);
        for (const model::twoNode& stiffener : mesh.twoNodes()) DrawStress(stiffener, M);
        break;
      case stress_plot::kSy:
        for (const model::fourNode& plate : plates) DrawStressSY(plate, M);
        break;
      case stress_plot::kSxy:
        for (const model::fourNode& plate : plates) DrawStressSXY(plate, M);
        break;
      default:
        for (const model::fourNode& plate : plates) DrawStressMises(plate, M);
        break;
    }
  } else {
    switch (option) {
      case stress_plot::kSx:
        DrawPlatesStress(plates, M, [](const model::Nodeb& n) { return n.Sx(); });
        DrawStiffenersStress(mesh.twoNodes(), M);
        break;
      case stress_plot::kSy:
        DrawPlatesStress(plates, M, [](const model::Nodeb& n) { return n.Sy(); });
        break;
      case stress_plot::kSxy:
        DrawPlatesStress(plates, M, [](const model::Nodeb& n) { return n.SXY(); });
        break;
      default:
        DrawPlatesStress(plates, M, [](const model::Nodeb& n) { return n.Mises(); });
        break;
    }
  }
  if (host_ && host_->StressWindowShown()) host_->ShowMaxMin(largest, smallest);
  maxStress = M;
}

}  // namespace view
