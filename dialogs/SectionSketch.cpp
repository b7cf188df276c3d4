#include "dialogs/SectionSketch.h"

#include <cfloat>
#include <cmath>

#include "dialogs/GirderGenerator.h"
#include "platform/NumberText.h"

namespace dialogs {
namespace {

bool IsNumber(const std::string& text) {
  double v = 0;
  return platform::ParseDouble(text, v);
}

double Value(const std::string& text) {
  double v = 0;
  platform::ParseDouble(text, v);
  return v;
}

bool FitsSingle(long double v) { return std::isfinite(v) && std::fabs(v) <= FLT_MAX; }

}  // namespace

SectionSketch ComputeSectionSketch(const SectionTexts& t, bool end1) {
  SectionSketch out;
  auto refuse = [&](const char* message) {
    out.outcome = SketchOutcome::Refused;
    out.message = message;
    return out;
  };
  for (const std::string* box : {&t.TFW, &t.TFT, &t.WH, &t.WT, &t.BFW, &t.BFT, &t.extra})
    if (!IsNumber(*box)) return refuse(kMsgNumbers);
  // The same refusals as the generation: a web or length that is not
  // positive gives no section at all.
  if (Value(t.WT) <= 0.0 || Value(t.WH) <= 0.0) return refuse(kMsgBeamWeb);
  if (end1 && Value(t.extra) <= 0.0) return refuse(kMsgBeamLength);
  const bool topZero = Value(t.TFW) == 0.0 || Value(t.TFT) == 0.0;
  const bool botZero = Value(t.BFW) == 0.0 || Value(t.BFT) == 0.0;
  if ((!topZero && (Value(t.TFW) < 0.0 || Value(t.TFT) < 0.0)) ||
      (!botZero && (Value(t.BFW) < 0.0 || Value(t.BFT) < 0.0)))
    return refuse(kMsgPositive);

  for (const std::string* box : {&t.TFW, &t.TFT, &t.WH, &t.WT, &t.BFW, &t.BFT, &t.extra}) {
    if (!FitsSingle(Value(*box))) {
      out.outcome = SketchOutcome::Failed;
      return out;
    }
  }
  float TFW = static_cast<float>(Value(t.TFW)), TFT = static_cast<float>(Value(t.TFT));
  const float WH = static_cast<float>(Value(t.WH)), WT = static_cast<float>(Value(t.WT));
  float BFW = static_cast<float>(Value(t.BFW)), BFT = static_cast<float>(Value(t.BFT));
  if (topZero) TFW = TFT = 0;
  if (botZero) BFW = BFT = 0;

  const long double depth = static_cast<long double>(TFT) + WH + BFT;
  if (!FitsSingle(depth)) {
    out.outcome = SketchOutcome::Failed;
    return out;
  }
  out.D = static_cast<float>(depth);
  out.W = TFW > BFW ? TFW : BFW;
  if (out.W < WT) out.W = WT;
  if (out.D == 0.0f || out.W == 0.0f) {
    out.outcome = SketchOutcome::Blank;
    return out;
  }
  const long double half = 0.6L * (out.D > out.W ? out.D : out.W);
  if (!FitsSingle(half) || !FitsSingle(2 * half)) {
    out.outcome = SketchOutcome::Failed;
    return out;
  }
  out.S = static_cast<float>(half);
  out.d = static_cast<float>((static_cast<long double>(TFT) - BFT) * 0.5L);

  const long double S = out.S, d = out.d;
  const long double corners[6] = {
      S - TFW * 0.5L, S + WH * 0.5L - d,        // top flange
      S - WT * 0.5L,  S - WH * 0.5L - d,        // web
      S - BFW * 0.5L, S - WH * 0.5L - BFT - d,  // bottom flange
  };
  for (long double c : corners) {
    if (!FitsSingle(c)) {
      out.outcome = SketchOutcome::Failed;
      return out;
    }
  }
  auto f = [](long double v) { return static_cast<float>(v); };
  out.top = {f(corners[0]), f(corners[1]), TFW, TFT};
  out.web = {f(corners[2]), f(corners[3]), WT, WH};
  out.bottom = {f(corners[4]), f(corners[5]), BFW, BFT};
  out.outcome = SketchOutcome::Drawn;
  return out;
}

}  // namespace dialogs
