#include "view/FrameDrawing.h"

#include <GL/gl.h>

#include <exception>

#include "model/Mesh.h"
#include "model/Nodes.h"
#include "model/fourNodes.h"
#include "model/twoNodes.h"
#include "platform/RuntimeError.h"
#include "view/ElementDrawing.h"
#include "view/GLHelpers.h"
#include "view/ModelViewTransform.h"
#include "view/NodeDrawing.h"
#include "view/View.h"

namespace view {

namespace {

// Leaves the state that a failing pass may have left on: a later pass of
// the same frame, or the next frame, starts from the usual state.
void ResetPassState() {
  glDisable(GL_POLYGON_OFFSET_LINE);
  glDisable(GL_POLYGON_OFFSET_FILL);
  glDisable(GL_LINE_STIPPLE);
  glLineWidth(1);
}

void DisableClipPlanes() {
  for (int i = 0; i < 4; ++i) glDisable(GL_CLIP_PLANE0 + i);
}

}  // namespace

void DrawLabel(const std::string& text) {
  if (text.empty()) return;
  glListBase(1000);
  glCallLists(static_cast<GLsizei>(text.size()), GL_UNSIGNED_BYTE, text.data());
}

void View::Draw_Model(const model::Mesh& mesh, const SelectionPainter& drawSelected, bool buckledShapeDrawn) {
  if (!OptionShowModel) return;
  if (buckledShapeDrawn && OptionHideModelWhenBuckle) return;
  try {
    // Symbol sizes in model units; dividing by the zoom keeps them one size
    // on the screen.
    if (ViewZoom == 0) platform::Raise(platform::kErrDivideByZero);
    const float width = static_cast<float>(SLimitMaxX);
    const float p = width * OptionPropertyMarker_Size * 0.001f / ViewZoom;
    const float l = width * OptionLayerOffset_Distance * 0.001f / ViewZoom;
    const float s = width * OptionSelectedMarker_Size * 0.001f / ViewZoom;

    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glPolygonOffset(-2, -2);
    const model::Nodes& nodes = mesh.Nodes();
    if (OptionShowNodeNumber)
      for (const model::Nodeb& n : nodes) Draw(n, p, OptionShowNodeNumber);
    if (OptionShowBoundary)
      for (const model::Nodeb& n : nodes) DrawBoundary(n, *this, p, l, OptionShowBoundaryValue);
    if (OptionShowBrace)
      for (const model::Nodeb& n : nodes) DrawBrace(n, *this, p, l, OptionShowBraceValue);
    if (OptionShowLoad)
      for (const model::Nodeb& n : nodes) DrawLoad(n, *this, p, l, OptionShowLoadValue);
    glDisable(GL_POLYGON_OFFSET_LINE);

    if (OptionShowStiffener) DrawStiffeners(mesh.twoNodes(), OptionShowStiffenerNumber, DrawItemByItem);
    DrawPlates(mesh.fourNodes(), OptionShowPlateNumber, OptionShowPlate, DrawItemByItem);

    glLineWidth(2);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glPolygonOffset(-3, -3);
    glColor3f(1, 0, 0);
    if (drawSelected) drawSelected(s);
    glDisable(GL_POLYGON_OFFSET_LINE);
    glLineWidth(1);
  } catch (const std::exception&) {
    ResetPassState();
    RecordPaintError("Error..[Draw Model]");
  }
}

void View::Draw_Coordinate() {
  if (!OptionShowCoordinate) return;
  try {
    ModelViewGuard guard;
    LoadModelView(*this, ModelViewKind::AxisTriad);

    const float cx = static_cast<float>(LimitCX), cy = LimitCY;
    glColor3f(1, 0, 0);
    if (ScreenMode == screen::kActualView) {
      const float S = SLimitMaxXY;
      glBegin(GL_LINES);
      glVertex3f(cx, cy, 0.001f * S);
      glVertex3f(cx + 0.1f * S, cy, 0.001f * S);
      glVertex3f(cx, cy, 0.001f * S);
      glVertex3f(cx, cy + 0.1f * S, 0.001f * S);
      glVertex3f(cx, cy, 0.001f * S);
      glVertex3f(cx, cy, 0.101f * S);
      glEnd();
    } else if (ScreenMode == screen::kFitView) {
      const float T = LimitMaxXY;
      glBegin(GL_LINES);
      glVertex3f(cx, cy, 0.001f * T);
      glVertex3f(cx + 0.1f * static_cast<float>(LimitMaxX), cy, 0.001f * T);
      glVertex3f(cx, cy, 0.001f * T);
      glVertex3f(cx, cy + 0.1f * static_cast<float>(LimitMaxY), 0.001f * T);
      glVertex3f(cx, cy, 0.001f * T);
      glVertex3f(cx, cy, 0.101f * T);
      glEnd();
    }

    if (ScreenMode != screen::kActualView && ScreenMode != screen::kFitView) return;
    const float sx = static_cast<float>(SLimitMaxX), sy = static_cast<float>(SLimitMaxY);
    const bool fit = ScreenMode == screen::kFitView;
    glRasterPos3f(cx + 0.1f * sx, cy, 0.001f * LimitMaxXY);
    DrawLabel("X");
    glRasterPos3f(cx, cy + 0.1f * sy, (fit ? 0.01f : 0.001f) * LimitMaxXY);
    DrawLabel("Y");
    glRasterPos3f(cx, cy, (fit ? 0.11f : 0.101f) * SLimitMaxXY);
    DrawLabel("Z");
  } catch (const std::exception&) {
    RecordPaintError("Error...");
  }
}

FrameOutcome DrawFrame(View& view, const FrameInputs& in) {
  FrameOutcome out;
  view.TakePaintErrors();  // nothing of an earlier frame belongs to this one
  // Without the result chosen the plain model stands where it would.
  const bool buckledShape = view.OptionShowResult && in.hasModeShape;
  const int32_t stressPlot = in.hasStresses ? view.OptionShowStress : stress_plot::kNone;
  try {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHTING);
    glDisable(GL_NORMALIZE);
    // The projection is loaded again for every frame from the current view
    // box, which is the box it was last loaded from; commands that change
    // the box outside a paint may have had no context to load it into.
    view.Draw_Projection();

    if (stressPlot == stress_plot::kNone) {
      const double plane[4][4] = {{1, 0, 0, -static_cast<double>(view.HClipFrom)},
                                  {-1, 0, 0, static_cast<double>(view.HClipTo)},
                                  {0, 1, 0, -static_cast<double>(view.VClipFrom)},
                                  {0, -1, 0, static_cast<double>(view.VClipTo)}};
      view.Draw_ModelView();
      for (int i = 0; i < 4; ++i) {
        glClipPlane(GL_CLIP_PLANE0 + i, plane[i]);
        glEnable(GL_CLIP_PLANE0 + i);
      }
      try {
        if (view.OptionShowCoordinate) view.Draw_Coordinate();
        if (view.OptionShowModel) view.Draw_Model(in.mesh, in.drawSelected, buckledShape);
        if (buckledShape) {
          view.Draw_Result(in.mesh);
          if (view.OptionShading) {
            view.Setup_Lighting();
            view.Draw_Result_Shade(in.mesh);
            view.Remove_Lighting();
          }
        }
      } catch (...) {
        DisableClipPlanes();
        throw;
      }
      DisableClipPlanes();
    } else {
      view.Draw_Stress(in.mesh);
    }
  } catch (...) {
    ResetPassState();
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHTING);
    glDisable(GL_NORMALIZE);
    out.drawn = false;
    view.RecordPaintError("Error..[Form_Paint]");
  }
  // Picking reads the frame on the screen, so it needs the matrices of that
  // frame: a failed frame is not shown and leaves them as they were.
  if (out.drawn) {
    view.SaveMatrices();
    view.lastStressPlot = stressPlot;
  }

  std::vector<std::string> errors = view.TakePaintErrors();
  if (errors.empty()) {
    view.paintErrorShown = false;
  } else if (!view.paintErrorShown) {
    view.paintErrorShown = true;
    out.messages = std::move(errors);
  }
  return out;
}

}  // namespace view
