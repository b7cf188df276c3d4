#include "dialogs/GirderGenerator.h"

#include <cfloat>
#include <cmath>

#include "model/Nodes.h"
#include "model/fourNodes.h"
#include "model/twoNodes.h"
#include "platform/NumberText.h"

namespace dialogs {
namespace {

// The box's text as a number that single precision can hold.
bool AsSingle(const std::string& text, double& value) {
  if (!platform::ParseDouble(text, value)) return false;
  return std::fabs(value) <= FLT_MAX;
}

bool AllSingles(std::initializer_list<const std::string*> boxes) {
  bool ok = true;
  double v = 0;
  for (const std::string* box : boxes) ok = AsSingle(*box, v) && ok;
  return ok;
}

double Value(const std::string& text) {
  double v = 0;
  platform::ParseDouble(text, v);
  return v;
}

// A count box rounded to the nearest whole number, halves to the even one.
double RoundedCount(const std::string& text) { return std::nearbyint(Value(text)); }

enum class Flange { Zero, Negative, Fine };

// The zero-flange rule: a flange with a zero box has none; otherwise neither
// size may be negative.
Flange CheckFlange(std::string& width, std::string& thickness) {
  if (Value(width) == 0.0 || Value(thickness) == 0.0) {
    width = "0";
    thickness = "0";
    return Flange::Zero;
  }
  if (Value(width) < 0.0 || Value(thickness) < 0.0) return Flange::Negative;
  return Flange::Fine;
}

// The grid must be one the solver can number; the node count bounds the
// element counts and the files' 16-bit counts too.
bool GridTooLarge(double countX, double countY) {
  return countX + 1 > kMaxGridNodes || countY + 1 > kMaxGridNodes ||
         (countX + 1) * (countY + 1) > kMaxGridNodes;
}

bool Finite(double v) { return std::isfinite(v) && std::fabs(v) <= FLT_MAX; }

}  // namespace

float TaperedSize(float end1, float end2, float length, float x) {
  double v = (static_cast<double>(end2) - end1) / length * x + end1;
  return static_cast<float>(v);
}

std::string CheckGirder(GirderTexts& t, GirderPlan& plan) {
  if (!AllSingles({&t.BTFW, &t.BTFT, &t.BWH, &t.BWT, &t.BBFW, &t.BBFT, &t.BL, &t.MOE, &t.PR,
                   &t.NumXElements, &t.NumYElements}))
    return kMsgNumbers;
  if (!AllSingles({&t.BTFWE, &t.BTFTE, &t.BWHE, &t.BWTE, &t.BBFWE, &t.BBFTE, &t.Offset}))
    return kMsgNumbers;

  const double countX = RoundedCount(t.NumXElements);
  const double countY = RoundedCount(t.NumYElements);
  if (countX < 1) return kMsgLongitudinal;
  if (countY < 1) return kMsgTransverse;
  const float moe = static_cast<float>(Value(t.MOE));
  const float pr = static_cast<float>(Value(t.PR));
  if (!model::UsableModulus(moe)) return kMsgMoE;
  if (!model::UsablePoissonRatio(pr)) return kMsgPR;

  // The zero-flange rule rewrites its boxes before any later check can fail.
  if (CheckFlange(t.BTFW, t.BTFT) == Flange::Negative) return kMsgPositive;
  if (CheckFlange(t.BBFW, t.BBFT) == Flange::Negative) return kMsgPositive;
  if (Value(t.BWT) <= 0.0 || Value(t.BWH) <= 0.0) return kMsgBeamWeb;
  if (CheckFlange(t.BTFWE, t.BTFTE) == Flange::Negative) return kMsgPositive;
  if (CheckFlange(t.BBFWE, t.BBFTE) == Flange::Negative) return kMsgPositive;
  if (Value(t.BWTE) <= 0.0 || Value(t.BWHE) <= 0.0) return kMsgBeamWeb;
  if (Value(t.BL) <= 0.0) return kMsgBeamLength;

  if (GridTooLarge(countX, countY)) return kMsgTooManyElements;

  GirderPlan p;
  model::BeamShape& s = p.shape;
  auto f = [&](const std::string& text) { return static_cast<float>(Value(text)); };
  s.set_Top_Flange_W(f(t.BTFW));
  s.set_Top_Flange_T(f(t.BTFT));
  s.set_Web_H(f(t.BWH));
  s.set_Web_T(f(t.BWT));
  s.set_Bot_Flange_W(f(t.BBFW));
  s.set_Bot_Flange_T(f(t.BBFT));
  s.set_Length(f(t.BL));
  s.set_Top_Flange_WE(f(t.BTFWE));
  s.set_Top_Flange_TE(f(t.BTFTE));
  s.set_Web_HE(f(t.BWHE));
  s.set_Web_TE(f(t.BWTE));
  s.set_Bot_Flange_WE(f(t.BBFWE));
  s.set_Bot_Flange_TE(f(t.BBFTE));
  s.set_Offset(f(t.Offset));
  s.set_ProportionalMesh(t.proportional ? 1 : 0);
  // A length or size too small to be anything but zero in single precision
  // would divide by zero in the tapering.
  if (s.Length() <= 0.0f) return kMsgBeamLength;
  if (s.Web_T() <= 0.0f || s.Web_H() <= 0.0f || s.Web_TE() <= 0.0f || s.Web_HE() <= 0.0f)
    return kMsgBeamWeb;

  p.MOE = moe;
  p.PR = pr;
  p.NX = static_cast<short>(countX + 1);
  p.NY = static_cast<short>(countY + 1);
  const double y1 = static_cast<double>(s.Top_Flange_T()) / 2 + s.Web_H() + s.Bot_Flange_T() / 2.0;
  p.y1 = static_cast<float>(y1);
  const double y2 =
      static_cast<double>(p.y1) - s.Offset() - s.Top_Flange_T() / 2.0 + s.Top_Flange_TE() / 2.0;
  p.y2 = static_cast<float>(y2);
  const double y3 = static_cast<double>(p.y2) - s.Top_Flange_TE() / 2.0 - s.Web_HE() -
                    s.Bot_Flange_TE() / 2.0;
  p.y3 = static_cast<float>(y3);
  if (!Finite(y1) || !Finite(y2) || !Finite(y3)) return kMsgNumbers;
  const double q = (static_cast<double>(p.y2) - p.y3) / p.y1;
  p.q = static_cast<float>(q);
  p.proportionalGrid = t.proportional && p.q != 1.0f;
  if (p.proportionalGrid) {
    if (p.NX < 3) return kMsgProportionalOne;
    if (!(p.q > 0.0f) || !std::isfinite(p.q)) return kMsgBeamWeb;
  }
  plan = p;
  return {};
}

std::string CheckGridSize(const GirderTexts& t) {
  if (!AllSingles({&t.NumXElements, &t.NumYElements})) return {};
  const double countX = RoundedCount(t.NumXElements);
  const double countY = RoundedCount(t.NumYElements);
  if (countX < 1 || countY < 1 || !GridTooLarge(countX, countY)) return {};
  return kMsgTooManyElements;
}

void BuildGirder(const GirderPlan& plan, model::BeamShape& beamShape, model::Material& material,
                 model::Mesh& mesh) {
  beamShape = plan.shape;
  material.set_MOE(plan.MOE);
  material.set_PR(plan.PR);
  const model::BeamShape& s = beamShape;
  const float L = s.Length();

  model::Nodes& nodes = mesh.Nodes();
  nodes.set_NumberNodesX(plan.NX);
  nodes.set_NumberNodesY(plan.NY);
  if (plan.proportionalGrid)
    nodes.GenerateProportional(0, 0, 0, plan.y1, L, plan.y3, L, plan.y2, plan.NX, plan.NY);
  else
    nodes.Generate(0, 0, 0, plan.y1, L, plan.y3, L, plan.y2, plan.NX, plan.NY);

  model::twoNodes& stiffeners = mesh.twoNodes();
  model::fourNodes& plates = mesh.fourNodes();
  stiffeners.Generate(nodes);
  plates.Generate(nodes);
  stiffeners.GenerateCP();
  plates.GenerateCP();

  const long nx = plan.NX, ny = plan.NY;
  for (long i = 1; i <= nx - 1; ++i) {
    model::twoNode& e = stiffeners.Item(i);
    e.set_Thickness(TaperedSize(s.Bot_Flange_T(), s.Bot_Flange_TE(), L, e.CPX()));
    e.set_width(TaperedSize(s.Bot_Flange_W(), s.Bot_Flange_WE(), L, e.CPX()));
    e.UpdatePropertyDefined();
  }
  for (long i = (nx - 1) * (ny - 1) + 1; i <= (nx - 1) * ny; ++i) {
    model::twoNode& e = stiffeners.Item(i);
    e.set_Thickness(TaperedSize(s.Top_Flange_T(), s.Top_Flange_TE(), L, e.CPX()));
    e.set_width(TaperedSize(s.Top_Flange_W(), s.Top_Flange_WE(), L, e.CPX()));
    e.UpdatePropertyDefined();
  }
  for (long i = 1; i <= plates.Count(); ++i) {
    model::fourNode& e = plates.Item(i);
    e.set_Thickness(TaperedSize(s.Web_T(), s.Web_TE(), L, e.CPX()));
    e.UpdatePropertyDefined();
  }
  plates.UpdateMaxThickness();
  mesh.GeneratevID();
}

}  // namespace dialogs
