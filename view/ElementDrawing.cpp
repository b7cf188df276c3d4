#include "view/ElementDrawing.h"

#include <GL/gl.h>

#include <array>
#include <cmath>

#include "model/fourNode.h"
#include "model/fourNodes.h"
#include "model/twoNode.h"
#include "model/twoNodes.h"
#include "platform/NumberText.h"
#include "view/FrameDrawing.h"
#include "view/GLHelpers.h"
#include "view/SymbolFrame.h"
#include "view/View.h"

namespace view {

namespace {

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

void Vertices(const std::array<Point3, 4>& p) {
  for (const Point3& q : p) glVertex3f(q.x, q.y, q.z);
}

// Which grid line parallel to an axis a strip stands on: 1 with y for a line
// along x, 2 with x for a line along y, 0 for any other line.
struct StripLine {
  int axis;
  float at;
  bool operator==(const StripLine& o) const { return axis != 0 && axis == o.axis && at == o.at; }
};

StripLine LineOf(const model::twoNode& stiffener) {
  const model::Nodeb& a = stiffener.Node1();
  const model::Nodeb& b = stiffener.Node2();
  if (a.ycoord() == b.ycoord()) return {1, a.ycoord()};
  if (a.xcoord() == b.xcoord()) return {2, a.xcoord()};
  return {0, 0};
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

// Read before any drawing starts, so that a plate whose nodes are missing
// fails without leaving a primitive open.
std::array<Point3, 4> PlateCorners(const model::fourNode& plate) {
  const model::Nodeb* n[4] = {&plate.Node1(), &plate.Node4(), &plate.Node3(), &plate.Node2()};
  std::array<Point3, 4> p{};
  for (int k = 0; k < 4; ++k) p[k] = {n[k]->xcoord(), n[k]->ycoord(), 0};
  return p;
}

ClipTest::ClipTest() {
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview_);
  glGetDoublev(GL_PROJECTION_MATRIX, projection_);
  // A thousandth of the half width of the view box, in eye units.
  margin_ = projection_[0] != 0 ? 1e-3 / std::fabs(projection_[0]) : 0;
  GLint maxPlanes = 0;
  glGetIntegerv(GL_MAX_CLIP_PLANES, &maxPlanes);
  for (int i = 0; i < maxPlanes; ++i) {
    if (!glIsEnabled(GL_CLIP_PLANE0 + i)) continue;
    if (planeCount_ == kMaxPlanes) {
      unknown_ = true;
      break;
    }
    double* plane = planes_[planeCount_++];
    glGetClipPlane(GL_CLIP_PLANE0 + i, plane);
    const double length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
    for (int k = 0; k < 4; ++k) plane[k] = length > 0 ? plane[k] / length : 0;
  }
}

Clipping ClipTest::Of(const std::array<Point3, 4>& corners) const {
  // Per face of the volume: how many corners lie clearly inside, how many
  // clearly outside. Comparisons with a number that is not finite fail, so
  // such a corner is neither.
  if (unknown_) return Clipping::Part;
  constexpr int kFaces = 6 + kMaxPlanes;
  int inside[kFaces] = {}, outside[kFaces] = {};
  for (const Point3& p : corners) {
    double eye[4], clip[4];
    for (int r = 0; r < 4; ++r)
      eye[r] = modelview_[r] * p.x + modelview_[4 + r] * p.y + modelview_[8 + r] * p.z + modelview_[12 + r];
    for (int r = 0; r < 4; ++r)
      clip[r] = projection_[r] * eye[0] + projection_[4 + r] * eye[1] + projection_[8 + r] * eye[2] +
                projection_[12 + r] * eye[3];
    const double within = (1 - 1e-3) * clip[3], beyond = (1 + 1e-3) * clip[3];
    for (int axis = 0; axis < 3; ++axis) {
      inside[2 * axis] += clip[axis] < within;
      outside[2 * axis] += clip[axis] > beyond;
      inside[2 * axis + 1] += -clip[axis] < within;
      outside[2 * axis + 1] += -clip[axis] > beyond;
    }
    for (int i = 0; i < planeCount_; ++i) {
      const double* q = planes_[i];
      const double d = q[0] * eye[0] + q[1] * eye[1] + q[2] * eye[2] + q[3] * eye[3];
      inside[6 + i] += d > margin_;
      outside[6 + i] += d < -margin_;
    }
  }
  bool clear = true;
  for (int f = 0; f < 6 + planeCount_; ++f) {
    if (outside[f] == 4) return Clipping::Whole;
    clear = clear && inside[f] == 4;
  }
  return clear ? Clipping::None : Clipping::Part;
}

StripRuns CollectStripRuns(const model::twoNodes& stiffeners) {
  StripRuns runs;
  StripLine line{0, 0};
  for (const model::twoNode& stiffener : stiffeners) {
    if (!stiffener.PropertyDefined()) continue;
    if (!stiffener.HasNodes()) {
      runs.broken = &stiffener;
      break;
    }
    const StripLine next = LineOf(stiffener);
    if (!runs.strips.empty() && !(next == line)) runs.runEnds.push_back(runs.strips.size());
    line = next;
    runs.strips.push_back(&stiffener);
  }
  if (!runs.strips.empty()) runs.runEnds.push_back(runs.strips.size());
  return runs;
}

PlateList CollectPlates(const model::fourNodes& plates, bool withPropertyOnly) {
  PlateList list;
  list.plates.reserve(static_cast<std::size_t>(plates.Count()));
  for (const model::fourNode& plate : plates) {
    if (withPropertyOnly && !plate.PropertyDefined()) continue;
    if (!plate.HasNodes()) {
      list.broken = &plate;
      break;
    }
    list.plates.push_back(&plate);
  }
  return list;
}

void DrawPlates(const model::fourNodes& plates, bool NV, bool PV, bool itemByItem) {
  const float maxThickness = plates.MaxThickness();
  if (itemByItem || (NV && PV)) {
    for (const model::fourNode& plate : plates) Draw(plate, maxThickness, NV, PV);
    return;
  }
  const PlateList list = CollectPlates(plates, false);
  ForEachBatch(
      list.plates, {list.plates.size()}, PlateCorners,
      [&](const std::vector<const model::fourNode*>& batch) {
        glColor3f(0, 0, 0);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glBegin(GL_QUADS);
        for (const model::fourNode* plate : batch) Vertices(PlateCorners(*plate));
        glEnd();
        if (!PV) return;
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(2, 2);
        glBegin(GL_QUADS);
        for (const model::fourNode* plate : batch) {
          glColor4f(1, 1, PlateShade(plate->Thickness(), maxThickness), 0.2f);
          Vertices(PlateCorners(*plate));
        }
        glEnd();
        glDisable(GL_POLYGON_OFFSET_FILL);
      },
      [&](const model::fourNode& plate) { Draw(plate, maxThickness, NV, PV); });
  if (list.broken) PlateCorners(*list.broken);  // fails as Draw fails on it
}

void DrawStiffeners(const model::twoNodes& stiffeners, bool NV, bool itemByItem) {
  if (itemByItem || NV) {
    for (const model::twoNode& stiffener : stiffeners) Draw(stiffener, NV);
    return;
  }
  const StripRuns runs = CollectStripRuns(stiffeners);
  ForEachBatch(
      runs.strips, runs.runEnds, StiffenerStrip,
      [](const std::vector<const model::twoNode*>& batch) {
        glColor3f(0, 0, 0);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glBegin(GL_QUADS);
        for (const model::twoNode* s : batch) Vertices(StiffenerStrip(*s));
        glEnd();
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(1, 1);
        glColor4f(1, 1, 0.7f, 0.2f);
        glBegin(GL_QUADS);
        for (const model::twoNode* s : batch) Vertices(StiffenerStrip(*s));
        glEnd();
        glDisable(GL_POLYGON_OFFSET_FILL);
      },
      [NV](const model::twoNode& stiffener) { Draw(stiffener, NV); });
  if (runs.broken) StiffenerStrip(*runs.broken);  // fails as Draw fails on it
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
