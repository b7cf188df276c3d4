// The buckled shape: every plate with a thickness as a quadrilateral through
// its displaced nodes, as a wire frame and, with shading, as lit surfaces
// with smooth per-node normals.
#include "view/BuckledShape.h"

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <exception>
#include <vector>

#include "model/Mesh.h"
#include "model/Nodes.h"
#include "model/fourNode.h"
#include "model/fourNodes.h"
#include "platform/RuntimeError.h"
#include "view/GLHelpers.h"
#include "view/View.h"

namespace view {

namespace {

constexpr float kTiny = 1E-5f;

// A node's displaced position: in-plane displacements times m_in, the mode
// ordinate times m_out.
Point3 Displaced(const model::Nodeb& n, float mIn, float mOut) {
  return {n.InPDispX() * mIn + n.xcoord(), n.InPDispY() * mIn + n.ycoord(), n.zcoord() * mOut};
}

// The face normal (P1 - P3) x (P2 - P3), not scaled to unit length.
Point3 FaceNormal(const Point3& p1, const Point3& p2, const Point3& p3) {
  const Point3 a{p1.x - p3.x, p1.y - p3.y, p1.z - p3.z};
  const Point3 b{p2.x - p3.x, p2.y - p3.y, p2.z - p3.z};
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

struct BuckledPlate {
  const model::Nodeb* node[4];  // Node1 .. Node4
  Point3 p[4];                  // P1 .. P4
  Point3 normal;
};

BuckledPlate Buckle(const model::fourNode& plate, float mIn, float mOut) {
  BuckledPlate b{{&plate.Node1(), &plate.Node2(), &plate.Node3(), &plate.Node4()}, {}, {}};
  for (int k = 0; k < 4; ++k) b.p[k] = Displaced(*b.node[k], mIn, mOut);
  b.normal = FaceNormal(b.p[0], b.p[1], b.p[2]);
  return b;
}

// Index of a node in the per-node arrays of the shaded pass; raises 9 for an
// ID outside 0..count.
std::size_t NodeIndex(const model::Nodeb& n, std::size_t size) {
  if (n.ID() < 0 || static_cast<std::size_t>(n.ID()) >= size) platform::Raise(platform::kErrSubscript);
  return static_cast<std::size_t>(n.ID());
}

}  // namespace

Point3 UnitNormal(const Point3& n) {
  const double x = n.x, y = n.y, z = n.z;
  const double length = std::sqrt(x * x + y * y + z * z);
  if (!(length > 0) || !std::isfinite(length)) return {0, 0, 1};
  return {static_cast<float>(x / length), static_cast<float>(y / length), static_cast<float>(z / length)};
}

void View::Draw_Result(const model::Mesh& mesh) {
  try {
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glColor3f(1, 0.3f, 0.3f);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glPolygonOffset(-2, -2);
    for (const model::fourNode& plate : mesh.fourNodes()) {
      if (!(plate.Thickness() > kTiny)) continue;
      const BuckledPlate b = Buckle(plate, OptionInpMagFactor, OptionOutpMagFactor);
      glBegin(GL_QUADS);
      glNormal3f(b.normal.x, b.normal.y, b.normal.z);
      for (int k : {0, 3, 2, 1}) glVertex3f(b.p[k].x, b.p[k].y, b.p[k].z);
      glEnd();
    }
    glDisable(GL_POLYGON_OFFSET_LINE);
  } catch (const std::exception&) {
    glDisable(GL_POLYGON_OFFSET_LINE);
    RecordPaintError("Error..[Draw Result]");
  }
}

void View::Setup_Lighting() {
  {
    ModelViewGuard guard;
    glLoadIdentity();
    const GLfloat position[4] = {static_cast<GLfloat>(SLimitMaxX), 0, 0, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
  }
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  // The shaded pass hands over unit normals, but zoom and the fit view's
  // stretch scale them again on their way to eye space; the brightness must
  // not follow the zoom either.
  glEnable(GL_NORMALIZE);
}

void View::Draw_Result_Shade(const model::Mesh& mesh) {
  try {
    const std::size_t size = static_cast<std::size_t>(mesh.Nodes().Count()) + 1;
    std::vector<Point3> normalSum(size, Point3{0, 0, 0});
    const float mIn = OptionInpMagFactor, mOut = OptionOutpMagFactor;

    for (const model::fourNode& plate : mesh.fourNodes()) {
      if (!(plate.Thickness() > kTiny)) continue;
      const BuckledPlate b = Buckle(plate, mIn, mOut);
      for (const model::Nodeb* n : b.node) {
        const std::size_t i = NodeIndex(*n, size);
        normalSum[i].x += b.normal.x;
        normalSum[i].y += b.normal.y;
        normalSum[i].z += b.normal.z;
      }
    }
    // The face normals grow with the square of the model's size; lit as they
    // are, a model in millimetres would burn out white and one in metres
    // hardly show its relief. Only the direction of the area-weighted sum
    // (the average of the plates around the node) is lit.
    std::vector<Point3> normal(size);
    for (std::size_t i = 0; i < size; ++i) normal[i] = UnitNormal(normalSum[i]);

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColor3f(0, 0, 1);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(-1, -1);
    for (const model::fourNode& plate : mesh.fourNodes()) {
      if (!(plate.Thickness() > kTiny)) continue;
      const BuckledPlate b = Buckle(plate, mIn, mOut);
      std::size_t index[4];
      for (int k = 0; k < 4; ++k) index[k] = NodeIndex(*b.node[k], size);
      glBegin(GL_QUADS);
      for (int k : {0, 3, 2, 1}) {
        const Point3& n = normal[index[k]];
        glNormal3f(n.x, n.y, n.z);
        glVertex3f(b.p[k].x, b.p[k].y, b.p[k].z);
      }
      glEnd();
    }
    glDisable(GL_POLYGON_OFFSET_FILL);
  } catch (const std::exception&) {
    glDisable(GL_POLYGON_OFFSET_FILL);
    RecordPaintError("Error..[Draw Result]");
  }
}

void View::Remove_Lighting() {
  glDisable(GL_LIGHT0);
  glDisable(GL_LIGHTING);
  glDisable(GL_NORMALIZE);
}

}  // namespace view
