#include "analysis/StiffenerInPlane.h"

#include <cmath>
#include <string>

#include "analysis/ElementChecks.h"

namespace analysis {

namespace {
ElementName Stiffener(int e) { return {"stiffener element", e}; }
}  // namespace

StiffenerGeometry Stiffener_Geometry(int e, const Ends2& x, const Ends2& y) {
  const double dx = x[1] - x[0];
  const double dy = y[1] - y[0];
  StiffenerGeometry g;
  g.L = std::sqrt(dx * dx + dy * dy);
  RequireNonZero(g.L, {"the length", kEndsTogether}, Stiffener(e));
  g.c = dx / g.L;
  g.s = dy / g.L;
  return g;
}

Mat4 Beam_InPlane_Stiffness(int e, const Ends2& x, const Ends2& y, double thickness, double width,
                            double E) {
  const StiffenerGeometry g = Stiffener_Geometry(e, x, y);
  const double k = width * thickness * E / g.L;
  const double cc = g.c * g.c * k, ss = g.s * g.s * k, cs = g.c * g.s * k;
  const std::array<double, 16> rows{cc,  cs,  -cc, -cs,  //
                                    cs,  ss,  -cs, -ss,  //
                                    -cc, -cs, cc,  cs,   //
                                    -cs, -ss, cs,  ss};
  Mat4 K;
  K.a = rows;
  RequireFinite(K, {"the bar stiffness"}, Stiffener(e));
  return K;
}

BeamStressGeometric Beam_Stress_Geometric(int e, const Ends2& x, const Ends2& y, double thickness,
                                          double width, const std::array<double, 4>& endDisplacements,
                                          const SolverConstants& constants) {
  const StiffenerGeometry g = Stiffener_Geometry(e, x, y);
  const double a1 = g.c * endDisplacements[0] + g.s * endDisplacements[1];
  const double a2 = g.c * endDisplacements[2] + g.s * endDisplacements[3];

  BeamStressGeometric r;
  r.stress = (a2 - a1) * constants.E / g.L;

  const double gw = r.stress * width * thickness / g.L;
  r.kg(1, 1) = gw;
  r.kg(4, 4) = gw;
  r.kg(1, 4) = -gw;
  r.kg(4, 1) = -gw;

  if (constants.igstf) {
    const double h = r.stress * thickness * width * width * width / (12.0 * g.L);
    const double T[2][2] = {{g.c * g.c, g.c * g.s}, {g.c * g.s, g.s * g.s}};
    for (int i = 0; i < 2; ++i)
      for (int j = 0; j < 2; ++j) {
        r.kg(2 + i, 2 + j) = h * T[i][j];
        r.kg(5 + i, 5 + j) = h * T[i][j];
        r.kg(2 + i, 5 + j) = -h * T[i][j];
        r.kg(5 + i, 2 + j) = -h * T[i][j];
      }
  }
  RequireFinite(&r.stress, 1, {"the stress"}, Stiffener(e));
  RequireFinite(r.kg, {"the geometric stiffness"}, Stiffener(e));
  return r;
}

}  // namespace analysis
