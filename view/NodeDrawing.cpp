#include "view/NodeDrawing.h"

#include <GL/gl.h>

#include <charconv>
#include <cmath>
#include <string>

#include "model/Nodeb.h"
#include "platform/NumberText.h"
#include "platform/RuntimeError.h"
#include "view/FrameDrawing.h"
#include "view/GLHelpers.h"
#include "view/SymbolFrame.h"
#include "view/View.h"

namespace view {

namespace {

constexpr float kTiny = 1E-5f;

void Segment(float x0, float y0, float z0, float x1, float y1, float z1) {
  glVertex3f(x0, y0, z0);
  glVertex3f(x1, y1, z1);
}

void LabelAt(float x, float y, float z, const std::string& text) {
  glColor3f(0, 0, 0);
  glRasterPos3f(x, y, z);
  DrawLabel(text);
}

// One load arrow; direction 1 +x, 2 +y, 3 -x, 4 -y. The head's tip lies on
// the node, the shaft on the side the load comes from.
void Draw_Load_Arrow(const model::Nodeb& node, const View& view, float x, float y, float s,
                     short code, bool label) {
  glColor3f(1, 0, 0);
  SymbolFrame frame(view, x, y, 0);
  if (code == 1)
    glRotatef(180, 0, 0, 1);
  else if (code == 2)
    glRotatef(-90, 0, 0, 1);
  else if (code == 4)
    glRotatef(90, 0, 0, 1);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glEnable(GL_POLYGON_OFFSET_LINE);
  glPolygonOffset(-1, -1);
  glBegin(GL_TRIANGLES);
  glVertex3f(0, 0, 0);
  glVertex3f(0.5f * s, 0.125f * s, 0);
  glVertex3f(0.5f * s, -0.125f * s, 0);
  glEnd();
  glBegin(GL_LINES);
  Segment(0.5f * s, 0, 0, s, 0, 0);
  glEnd();
  glDisable(GL_POLYGON_OFFSET_LINE);
  if (label) {
    const float value = (code == 1 || code == 3) ? node.XLoad() : node.YLoad();
    LabelAt(s, 0, 0, FormatGeneralNumber(std::fabs(value)));
  }
}

// The steps that supports and springs share before their glyph: the frame on
// the symbol layer, outline mode with its offset, and the dashed connector
// up to the node's plane.
void BeginLayerSymbol(float l) {
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glEnable(GL_POLYGON_OFFSET_LINE);
  glPolygonOffset(-1, -1);
  glColor3f(0, 0, 0);
  glEnable(GL_LINE_STIPPLE);
  glLineStipple(4, 0xAAAA);
  glBegin(GL_LINES);
  Segment(0, 0, 0, 0, 0, 2 * l);
  glEnd();
  glDisable(GL_LINE_STIPPLE);
}

void Draw_Boundary_Symbol(const model::Nodeb& node, const View& view, float x, float y, float s,
                          float l, char code, bool label) {
  SymbolFrame frame(view, x, y, -2 * l);
  BeginLayerSymbol(l);
  glColor3f(0.1f, 0.4f, 0.1f);
  switch (code) {
    case '1':
      glBegin(GL_LINES);
      Segment(0, 0, 0, s, 0, 0);
      Segment(s, 0, 0.25f * s, s, 0, -0.25f * s);
      Segment(s, 0.25f * s, 0, s, -0.25f * s, 0);
      glEnd();
      if (label) LabelAt(1.2f * s, 0, 0, FormatSymbolValue(node.InPDispX()));
      break;
    case '2':
      glBegin(GL_LINES);
      Segment(0, 0, 0, 0, -s, 0);
      Segment(-0.2f * s, -s, 0, 0.2f * s, -s, 0);
      Segment(0, -s, 0.2f * s, 0, -s, -0.2f * s);
      glEnd();
      if (label) LabelAt(0, -1.4f * s, 0, FormatSymbolValue(node.InPDispY()));
      break;
    case '3':
      glBegin(GL_LINES);
      Segment(0, 0, 0, 0, 0, -s);
      Segment(0.2f * s, 0, -s, -0.2f * s, 0, -s);
      Segment(0, 0.2f * s, -s, 0, -0.2f * s, -s);
      glEnd();
      break;
    case '4':
      glBegin(GL_LINES);
      Segment(0, 0, 0, 0.4f * s, 0, 0);
      glEnd();
      glBegin(GL_QUADS);
      glVertex3f(0.4f * s, 0.2f * s, 0);
      glVertex3f(0.6f * s, 0.2f * s, 0);
      glVertex3f(0.6f * s, -0.2f * s, 0);
      glVertex3f(0.4f * s, -0.2f * s, 0);
      glEnd();
      break;
    case '5':
      glBegin(GL_LINES);
      Segment(0, 0, 0, 0, -0.4f * s, 0);
      glEnd();
      glBegin(GL_QUADS);
      glVertex3f(-0.2f * s, -0.4f * s, 0);
      glVertex3f(0.2f * s, -0.4f * s, 0);
      glVertex3f(0.2f * s, -0.6f * s, 0);
      glVertex3f(-0.2f * s, -0.6f * s, 0);
      glEnd();
      break;
    default:
      break;
  }
  glDisable(GL_POLYGON_OFFSET_LINE);
}

void Strip(std::initializer_list<Point3> points) {
  glBegin(GL_LINE_STRIP);
  for (const Point3& p : points) glVertex3f(p.x, p.y, p.z);
  glEnd();
}

void Draw_Brace_Spring(const model::Nodeb& node, const View& view, float x, float y, float s,
                       float l, char code, bool label) {
  SymbolFrame frame(view, x, y, -2 * l);
  BeginLayerSymbol(l);
  glColor3f(0, 0, 0.8f);
  switch (code) {
    case '1':
      Strip({{0, 0, 0}, {0.3f * s, 0, 0}, {0.4f * s, 0.2f * s, 0}, {0.5f * s, -0.2f * s, 0},
             {0.6f * s, 0, 0}, {s, 0, 0}});
      glBegin(GL_LINES);
      Segment(s, 0.2f * s, 0, s, -0.2f * s, 0);
      glEnd();
      if (label) LabelAt(1.2f * s, 0, 0, FormatSymbolValue(node.xtstiff()));
      break;
    case '2':
      Strip({{0, 0, 0}, {0, -0.3f * s, 0}, {0.2f * s, -0.4f * s, 0}, {-0.2f * s, -0.5f * s, 0},
             {0, -0.6f * s, 0}, {0, -s, 0}});
      glBegin(GL_LINES);
      Segment(0.2f * s, -s, 0, -0.2f * s, -s, 0);
      glEnd();
      if (label) LabelAt(0, -1.2f * s, 0, FormatSymbolValue(node.YTStiff()));
      break;
    case '3':
      Strip({{0, 0, 0}, {0, 0, -0.3f * s}, {0.2f * s, 0, -0.4f * s}, {-0.2f * s, 0, -0.5f * s},
             {0, 0, -0.6f * s}, {0, 0, -s}});
      glBegin(GL_LINES);
      Segment(0.2f * s, 0, -s, -0.2f * s, 0, -s);
      glEnd();
      if (label) LabelAt(0.2f * s, 0, -s, FormatSymbolValue(node.ZTStiff()));
      break;
    case '4':
      Strip({{0.6f * s, 0.2f * s, 0}, {0.3f * s, 0.2f * s, 0}, {0.3f * s, -0.2f * s, 0},
             {0.6f * s, -0.2f * s, 0}});
      glBegin(GL_LINES);
      Segment(0, 0, 0, 0.3f * s, 0, 0);
      glEnd();
      if (label) LabelAt(0.8f * s, 0, 0, FormatSymbolValue(node.XRStiff()));
      break;
    case '5':
      Strip({{0.2f * s, -0.6f * s, 0}, {0.2f * s, -0.3f * s, 0}, {-0.2f * s, -0.3f * s, 0},
             {-0.2f * s, -0.6f * s, 0}});
      glBegin(GL_LINES);
      Segment(0, 0, 0, 0, -0.3f * s, 0);
      glEnd();
      if (label) LabelAt(0, -s, 0, FormatSymbolValue(node.YRStiff()));
      break;
    default:
      break;
  }
  glDisable(GL_POLYGON_OFFSET_LINE);
}

}  // namespace

std::string FormatSymbolValue(double value) {
  if (!std::isfinite(value)) return platform::FormatShortest(value);
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 3);
  if (res.ec != std::errc()) return platform::FormatShortest(value);
  std::string text(buf, res.ptr);
  // The third decimal is shown only when it is not zero.
  if (text.size() >= 1 && text.back() == '0') text.pop_back();
  // A value that rounds to zero shows without a sign.
  if (text == "-0.00") text = "0.00";
  return text;
}

std::string FormatGeneralNumber(float value) {
  std::string text = platform::FormatShortest(value);
  for (char& c : text)
    if (c == 'e') c = 'E';
  return text;
}

void DrawSelected(const model::Nodeb& node, const View& view, float SelectedMarkerSize) {
  const float s = SelectedMarkerSize;
  SymbolFrame frame(view, node.xcoord(), node.ycoord(), 0);
  glBegin(GL_LINES);
  Segment(-s, -s, 0, s, s, 0);
  Segment(-s, s, 0, s, -s, 0);
  glEnd();
}

void Draw(const model::Nodeb& node, float /*MarkerSize*/, bool NV) {
  if (!NV || node.vID() == 0) return;
  LabelAt(node.xcoord(), node.ycoord(), 0, platform::FormatInteger(node.vID()));
}

void DrawBoundary(const model::Nodeb& node, const View& view, float MarkerSize, float LayerOffset,
                  bool BV) {
  if (!node.BoundaryDefined()) return;
  const float x = node.xcoord(), y = node.ycoord();
  if (node.XTDir()) Draw_Boundary_Symbol(node, view, x, y, MarkerSize, LayerOffset, '1', BV);
  if (node.YTDir()) Draw_Boundary_Symbol(node, view, x, y, MarkerSize, LayerOffset, '2', BV);
  if (node.ZTDir()) Draw_Boundary_Symbol(node, view, x, y, MarkerSize, LayerOffset, '3', BV);
  if (node.XRDir()) Draw_Boundary_Symbol(node, view, x, y, MarkerSize, LayerOffset, '4', BV);
  if (node.YRDir()) Draw_Boundary_Symbol(node, view, x, y, MarkerSize, LayerOffset, '5', BV);
}

void DrawBrace(const model::Nodeb& node, const View& view, float MarkerSize, float LayerOffset,
               bool BrV) {
  if (!node.BraceDefined()) return;
  const float x = node.xcoord(), y = node.ycoord();
  const float stiff[5] = {node.xtstiff(), node.YTStiff(), node.ZTStiff(), node.XRStiff(),
                          node.YRStiff()};
  for (int k = 0; k < 5; ++k)
    if (std::fabs(stiff[k]) > kTiny)
      Draw_Brace_Spring(node, view, x, y, MarkerSize, LayerOffset, static_cast<char>('1' + k), BrV);
}

void DrawLoad(const model::Nodeb& node, const View& view, float MarkerSize, float /*LayerOffset*/,
              bool LV) {
  if (!node.LoadDefined()) return;
  const float x = node.xcoord(), y = node.ycoord();
  if (node.XLoad() > kTiny)
    Draw_Load_Arrow(node, view, x, y, MarkerSize, 1, LV);
  else if (node.XLoad() < -kTiny)
    Draw_Load_Arrow(node, view, x, y, MarkerSize, 3, LV);
  if (node.YLoad() > kTiny)
    Draw_Load_Arrow(node, view, x, y, MarkerSize, 2, LV);
  else if (node.YLoad() < -kTiny)
    Draw_Load_Arrow(node, view, x, y, MarkerSize, 4, LV);
}

}  // namespace view
