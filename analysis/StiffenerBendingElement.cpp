#include "analysis/StiffenerBendingElement.h"

#include <algorithm>
#include <string>

#include "analysis/ElementChecks.h"
#include "analysis/StiffenerInPlane.h"

namespace analysis {

void Beam_Bending_Block(const BeamBlockTerms& t, int rowOffset, int columnOffset, Mat6& k) {
  const double cc = t.c * t.c, ss = t.s * t.s, cs = t.c * t.s;
  const int r = rowOffset, c = columnOffset;
  k(r + 1, c + 1) = t.kww;
  k(r + 1, c + 2) = -t.s * t.kwth;
  k(r + 1, c + 3) = t.c * t.kwth;
  k(r + 2, c + 1) = -t.s * t.kthw;
  k(r + 2, c + 2) = cc * t.kT + ss * t.kthth;
  k(r + 2, c + 3) = cs * (t.kT - t.kthth);
  k(r + 3, c + 1) = t.c * t.kthw;
  k(r + 3, c + 2) = cs * (t.kT - t.kthth);
  k(r + 3, c + 3) = ss * t.kT + cc * t.kthth;
}

double Torsion_Constant(double width, double thickness) {
  // The thin-rectangle formula b a^3 (1 - 0.63 a/b) / 3 holds for a <= b only;
  // with the sides the other way round it turns negative for a thick stiffener.
  const double b = std::max(width, thickness);
  const double a = std::min(width, thickness);
  RequireNonZero(b, {"the stiffener section", "its width and thickness are zero"});
  return b * a * a * a * (1.0 - 0.63 * a / b) / 3.0;
}

Mat6 Beam_Bending_Stiffness(int e, const std::array<double, 2>& x, const std::array<double, 2>& y,
                            double thickness, double width, const SolverConstants& constants) {
  const ElementName name{"stiffener element", e};
  const StiffenerGeometry g = Stiffener_Geometry(e, x, y);
  const double L = g.L;
  const double E = constants.E, nu = constants.nu;
  RequireNonZero(width, {"the width", kNoWidth}, name);

  const double phi = constants.ishear ? 0.5 * width * width * (1.0 - nu) / (L * L) : 0.0;
  const double a1 = 4.0 * phi + 1.0;
  const double a2 = 1.0 + phi;
  const double a3 = 1.0 - 2.0 * phi;
  const Quantity shearFactor{"the shear factor", "the shear distortion option does not suit its width and length"};
  RequireNonZero(a1, shearFactor, name);
  RequireNonZero(a2, shearFactor, name);
  RequireNonZero(1.0 + nu, {"1 + Poisson ratio", kPoissonRatio});

  const double EI = E * thickness * width * width * width / 12.0;
  const double k1 = 12.0 * EI / (L * L * L * a1);
  const double k2 = 6.0 * EI / (L * L * a1);
  const double GJ = E / (2.0 * (1.0 + nu)) * Torsion_Constant(width, thickness);

  BeamBlockTerms t;
  t.c = g.c;
  t.s = g.s;
  t.kww = k1;
  t.kthw = -k2;
  t.kwth = -k2;
  t.kT = GJ / L;
  t.kthth = 4.0 * EI * a2 / (L * a1);

  Mat6 K;
  Beam_Bending_Block(t, 0, 0, K);
  t.kthw = -t.kthw;
  t.kwth = -t.kwth;
  Beam_Bending_Block(t, 3, 3, K);
  t.kT = -t.kT;
  t.kthw = -t.kthw;
  t.kww = -t.kww;
  t.kthth = 0.5 * t.kthth * a3 / a2;
  Beam_Bending_Block(t, 3, 0, K);
  t.kthw = -t.kthw;
  t.kwth = -t.kwth;
  Beam_Bending_Block(t, 0, 3, K);

  RequireFinite(K, {"the bending stiffness"}, name);
  return K;
}

}  // namespace analysis
