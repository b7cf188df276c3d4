#include "view/View.h"

#include <GL/gl.h>

#include <cmath>
#include <exception>

#include "model/Nodes.h"
#include "model/RecordIO.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeError.h"
#include "platform/qt/CurrentContext.h"
#include "view/ModelViewTransform.h"
#include "view/StressPlot.h"
#include "view/ViewHost.h"

namespace view {

namespace {

// Whether the drawing area has a size that a ratio can be taken of.
bool AreaHasSize(double width, double height) {
  return width > 0 && height > 0 && std::isfinite(width) && std::isfinite(height);
}

// A span that is used to divide or to size the view box: 1 when it is 0.
double UsableSpan(double span) { return span == 0 ? 1.0 : span; }

}  // namespace

View::View() {
  // Creation: modes, limits of the (still empty) model, the clip range of the
  // whole box, the transforms. No host exists yet, so nothing repaints.
  static const model::Nodes kNoNodes;
  Set_Limits(kNoNodes);
  SetUpClipEq(SLimitX0, SLimitX1, SLimitY0, SLimitY1);
  Draw_ModelView();
  Draw_Projection();
}

void View::SaveMatrices() {
  if (!platform::qt::HasCurrentContext()) return;
  glGetIntegerv(GL_VIEWPORT, lastViewport);
  glGetDoublev(GL_MODELVIEW_MATRIX, lastModelview);
  glGetDoublev(GL_PROJECTION_MATRIX, lastProjection);
}

std::vector<std::string> View::TakePaintErrors() {
  std::vector<std::string> out;
  out.swap(paintErrors_);
  return out;
}

void View::Set_Limits(const model::Nodes& nodes) {
  try {
    const long n = nodes.Count();
    if (n < 4) {
      LimitX0 = 0;
      LimitX1 = 1;
      LimitY0 = 0;
      LimitY1 = 1;
    } else {
      const model::Nodeb& first = nodes.Item(1);
      LimitX0 = first.xcoord();
      LimitX1 = first.xcoord();
      LimitY0 = first.ycoord();
      LimitY1 = first.ycoord();
      // The position counter is 16 bits wide: a larger model overflows it
      // after the nodes it could count have widened the limits.
      const long last = n > 32767 ? 32767 : n;
      for (long i = 2; i <= last; ++i) {
        const model::Nodeb& node = nodes.Item(i);
        if (node.xcoord() < LimitX0) LimitX0 = node.xcoord();
        if (node.xcoord() > LimitX1) LimitX1 = node.xcoord();
        if (node.ycoord() < LimitY0) LimitY0 = node.ycoord();
        if (node.ycoord() > LimitY1) LimitY1 = node.ycoord();
      }
      if (n > 32767) platform::Raise(platform::kErrOverflow);
    }

    LimitMaxX = std::fabs(LimitX1 - LimitX0);
    LimitMaxY = std::fabs(static_cast<double>(LimitY1) - LimitY0);
    LimitMaxXY = static_cast<float>(LimitMaxX > LimitMaxY ? LimitMaxX : LimitMaxY);
    LimitCX = LimitX0 + LimitMaxX / 2;
    LimitCY = static_cast<float>(LimitY0 + LimitMaxY / 2);

    // Nodes that all coincide give no span: the box is sized as for a span
    // of 1, so that it never collapses to a point.
    const double M = UsableSpan(LimitMaxXY);
    SLimitX0 = LimitX0 - 0.1 * M;
    SLimitX1 = LimitX1 + 0.1 * M;
    SLimitY0 = LimitY0 - 0.1 * M;
    SLimitY1 = LimitY1 + 0.1 * M;
    SLimitMaxX = SLimitX1 - SLimitX0;
    SLimitMaxY = SLimitY1 - SLimitY0;
    SLimitMaxXY = static_cast<float>(SLimitMaxX > SLimitMaxY ? SLimitMaxX : SLimitMaxY);
    SLimitZ0 = 10 * M;
    SLimitZ1 = static_cast<float>(-10 * M);
    SLimitCX = SLimitX0 + SLimitMaxX / 2;
    SLimitCY = static_cast<float>(SLimitY0 + SLimitMaxY / 2);

    // Fit the box to the shape of the drawing area.
    const double w = host_ ? host_->ScaleWidth() : 0;
    const double h = host_ ? host_->ScaleHeight() : 0;
    // An area without size (a minimised window) fits as a square.
    const bool sized = AreaHasSize(w, h);
    const double r = sized ? w / h : 1.0;
    const double rInverse = sized ? h / w : 1.0;
    if (SLimitMaxX / SLimitMaxY - r < 0) {
      SLimitMaxX = SLimitMaxY * r;
      SLimitX0 = SLimitCX - SLimitMaxX / 2;
      SLimitX1 = SLimitCX + SLimitMaxX / 2;
    } else {
      SLimitMaxY = SLimitMaxX * rInverse;
      SLimitY0 = SLimitCY - SLimitMaxY / 2;
      SLimitY1 = SLimitCY + SLimitMaxY / 2;
    }

    ScreenModeFactorX = 1;
    ScreenModeFactorY = 1;
    if (ScreenMode == screen::kFitView) {
      ScreenModeFactorX = static_cast<float>(SLimitMaxX / UsableSpan(LimitMaxX));
      ScreenModeFactorY = static_cast<float>(SLimitMaxY / UsableSpan(LimitMaxY));
    }
  } catch (const std::exception&) {
    platform::MsgBox("Error..[Set Limits]");
  }
}

void View::Refresh() {
  if (host_) host_->Paint();
}

void View::Draw_ModelView() {
  if (platform::qt::HasCurrentContext()) LoadModelView(*this, ModelViewKind::Model);
}

void View::Draw_Projection() {
  if (!platform::qt::HasCurrentContext()) return;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const double l = SLimitX0, r = SLimitX1, b = SLimitY0, t = SLimitY1;
  const double n = -SLimitZ0, f = -static_cast<double>(SLimitZ1);
  const bool usable = std::isfinite(l) && std::isfinite(r) && std::isfinite(b) &&
                      std::isfinite(t) && std::isfinite(n) && std::isfinite(f) && l != r &&
                      b != t && n != f;
  // A box without extent would make glOrtho fail and leave a stale matrix;
  // the identity is kept instead.
  if (usable) glOrtho(l, r, b, t, n, f);
}

void View::ShowStressValue(float CB, float CR) {
  float value = 0;
  if (!StressFromColour(CB, CR, maxStress, value)) return;
  if (host_) host_->ShowStress(value);
}

void View::ScreenModeChange(const model::Nodes& nodes) {
  if (ScreenMode == screen::kActualView)
    ScreenMode = screen::kFitView;
  else if (ScreenMode == screen::kFitView)
    ScreenMode = screen::kActualView;
  Set_Limits(nodes);
  Draw_Projection();
  Refresh();
}

void View::Zoom_All() {
  ViewX = ViewY = ViewZ = 0;
  ViewRX = ViewRY = ViewRZ = 0;
  ViewZoom = 1;
  Refresh();
}

void View::SetUpClipEq(double hFrom, double hTo, double vFrom, double vTo) {
  HClipFrom = static_cast<float>(hFrom);
  HClipTo = static_cast<float>(hTo);
  VClipFrom = static_cast<float>(vFrom);
  VClipTo = static_cast<float>(vTo);
  Refresh();
}

void View::StoreData1_4Option(platform::TextFile& file) const {
  using model::RecordWriter;
  RecordWriter(file)
      .Boolean(OptionShowNodeNumber)
      .Boolean(OptionShowStiffenerNumber)
      .Boolean(OptionShowPlateNumber)
      .EndLine();
  RecordWriter(file).Boolean(OptionShowCoordinate).Boolean(OptionShowStiffener).EndLine();
  RecordWriter(file)
      .Boolean(OptionShowBoundary)
      .Boolean(OptionShowBoundaryValue)
      .Boolean(OptionShowLoad)
      .Boolean(OptionShowLoadValue)
      .EndLine();
  RecordWriter(file).Boolean(OptionShowBrace).Boolean(OptionShowBraceValue).EndLine();
  RecordWriter(file)
      .Boolean(OptionShowModel)
      .Boolean(OptionShowResult)
      .Boolean(OptionHideModelWhenBuckle)
      .EndLine();
  RecordWriter(file).Single(OptionInpMagFactor).Single(OptionOutpMagFactor).EndLine();
  RecordWriter(file)
      .Single(OptionSelectedMarker_Size)
      .Single(OptionPropertyMarker_Size)
      .Single(OptionLayerOffset_Distance)
      .Integer(OptionFontSize)
      .EndLine();
  RecordWriter(file)
      .Long(OptionShowStress)
      .Single(OptionZoomCenterFactor)
      .Boolean(OptionShowPlate)
      .Boolean(OptionShading)
      .EndLine();
}

void View::SetFallbackOptions() {
  OptionShowNodeNumber = false;
  OptionShowStiffenerNumber = false;
  OptionShowPlateNumber = false;
  OptionShowCoordinate = true;
  OptionShowStiffener = true;
  OptionShowBoundary = true;
  OptionShowBoundaryValue = false;
  OptionShowLoad = true;
  OptionShowLoadValue = false;
  OptionShowBrace = true;
  OptionShowBraceValue = false;
  OptionShowModel = true;
  OptionShowResult = false;
  OptionHideModelWhenBuckle = false;
  OptionInpMagFactor = 10;
  OptionOutpMagFactor = 10;
  OptionSelectedMarker_Size = 10;
  OptionPropertyMarker_Size = 10;
  OptionLayerOffset_Distance = 10;
  OptionFontSize = 10;
  OptionShowStress = stress_plot::kNone;
  OptionZoomCenterFactor = 2;
  OptionShowPlate = true;
  OptionShading = true;
}

void View::ReadData1_4Option(platform::TextFile& file) {
  struct Group {
    bool nodeNo, stiffNo, plateNo, coord, stiff, bound, boundV, load, loadV, brace, braceV, model,
        result, hide, plate, shading;
    float inpMag, outpMag, selSize, propSize, layer, zoomFactor;
    short font;
    int32_t stress;
  } g{};
  try {
    model::RecordReader in(file);
    g.nodeNo = in.Boolean();
    g.stiffNo = in.Boolean();
    g.plateNo = in.Boolean();
    g.coord = in.Boolean();
    g.stiff = in.Boolean();
    g.bound = in.Boolean();
    g.boundV = in.Boolean();
    g.load = in.Boolean();
    g.loadV = in.Boolean();
    g.brace = in.Boolean();
    g.braceV = in.Boolean();
    g.model = in.Boolean();
    g.result = in.Boolean();
    g.hide = in.Boolean();
    g.inpMag = in.Single();
    g.outpMag = in.Single();
    g.selSize = in.Single();
    g.propSize = in.Single();
    g.layer = in.Single();
    g.font = in.Integer();
    g.stress = in.Long();
    g.zoomFactor = in.Single();
    g.plate = in.Boolean();
    g.shading = in.Boolean();
  } catch (const std::exception&) {
    SetFallbackOptions();
    return;
  }
  // Values that no dialog would accept count as a damaged group: they would
  // otherwise reach the font, the zoom steps or the stress plot unchecked.
  const bool finite = std::isfinite(g.inpMag) && std::isfinite(g.outpMag) &&
                      std::isfinite(g.selSize) && std::isfinite(g.propSize) &&
                      std::isfinite(g.layer) && std::isfinite(g.zoomFactor);
  if (!finite || g.font < 6 || g.font > 19 || !(g.zoomFactor > 0) || g.stress < stress_plot::kNone ||
      g.stress > stress_plot::kMises) {
    SetFallbackOptions();
    return;
  }
  OptionShowNodeNumber = g.nodeNo;
  OptionShowStiffenerNumber = g.stiffNo;
  OptionShowPlateNumber = g.plateNo;
  OptionShowCoordinate = g.coord;
  OptionShowStiffener = g.stiff;
  OptionShowBoundary = g.bound;
  OptionShowBoundaryValue = g.boundV;
  OptionShowLoad = g.load;
  OptionShowLoadValue = g.loadV;
  OptionShowBrace = g.brace;
  OptionShowBraceValue = g.braceV;
  OptionShowModel = g.model;
  OptionShowResult = g.result;
  OptionHideModelWhenBuckle = g.hide;
  OptionInpMagFactor = g.inpMag;
  OptionOutpMagFactor = g.outpMag;
  OptionSelectedMarker_Size = g.selSize;
  OptionPropertyMarker_Size = g.propSize;
  OptionLayerOffset_Distance = g.layer;
  OptionFontSize = g.font;
  OptionShowStress = g.stress;
  OptionZoomCenterFactor = g.zoomFactor;
  OptionShowPlate = g.plate;
  OptionShading = g.shading;
}

void View::Initialization(const model::Nodes& nodes) {
  ViewMode = operation::kSelect;
  PropertyMode = edit_mode::kPlate;
  MeshMode = pick::kPlate;
  ScreenMode = screen::kActualView;
  OutputViewMode = 1;
  Set_Limits(nodes);
  SetUpClipEq(SLimitX0, SLimitX1, SLimitY0, SLimitY1);
  ViewX = ViewY = ViewZ = 0;
  ViewRX = ViewRY = ViewRZ = 0;
  ViewZoom = 1;
  Draw_ModelView();
  Draw_Projection();
}

void View::ViewAngle() {
  ViewRX = 25;
  ViewRY = 25;
  ViewRZ = 0;
  Refresh();
}

void View::LeftView() {
  ViewRX = 89.9;
  ViewRY = 0.01;
  ViewRZ = 0.01;
  Refresh();
}

void View::TopView() {
  ViewRX = 0.01;
  ViewRY = 89.9;
  ViewRZ = 0.01;
  Refresh();
}

void View::Center(float pxcoord, float pycoord) {
  ViewX = SLimitCX - pxcoord;
  ViewY = SLimitCY - pycoord;
}

void View::ZoomInOutCenter(float pxcoord, float pycoord, short InOut) {
  if (InOut == 0) {
    Center(pxcoord, pycoord);
    ViewZoom = ViewZoom * OptionZoomCenterFactor;
    if (ViewZoom > 100) ViewZoom = 100;
  } else if (InOut == 1) {
    Center(pxcoord, pycoord);
    ViewZoom = ViewZoom / OptionZoomCenterFactor;
    if (ViewZoom < 0.01f) ViewZoom = 0.01f;
  }
}

}  // namespace view
