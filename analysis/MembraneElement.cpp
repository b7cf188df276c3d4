#include "analysis/MembraneElement.h"

#include <string>

#include "analysis/ElementChecks.h"

namespace analysis {

namespace {

// The Gauss coordinate of the 2x2 rule, as the decimal the element has always used.
constexpr double kGauss = 0.577350269189626;

ElementName Plate(int e) { return {"plate element", e}; }

}  // namespace

CornerDifferences Corner_Differences(const Corners4& x, const Corners4& y) {
  CornerDifferences d{};
  d.x12 = x[0] - x[1];
  d.x13 = x[0] - x[2];
  d.x14 = x[0] - x[3];
  d.x23 = x[1] - x[2];
  d.x24 = x[1] - x[3];
  d.x34 = x[2] - x[3];
  d.y12 = y[0] - y[1];
  d.y13 = y[0] - y[2];
  d.y14 = y[0] - y[3];
  d.y23 = y[1] - y[2];
  d.y24 = y[1] - y[3];
  d.y34 = y[2] - y[3];
  d.A0 = d.x13 * d.y24 - d.x24 * d.y13;
  return d;
}

std::array<double, 9> Invert_Jacobian(double a, double b, double c, double d, double det) {
  RequireNonZero(det, {"the determinant", kCornersTogether});
  const double dd = d / det, ad = a / det, bd = b / det, cd = c / det;
  return {0.0, -bd, ad, bd, -ad, dd, -cd, -dd, cd};
}

ShapeDerivatives Quad_Shape_Derivatives(int e, double xi, double eta, const CornerDifferences& d,
                                        const Corners4& x, const Corners4& y) {
  ShapeDerivatives r;
  const double S = d.A0 + xi * (d.x34 * d.y12 - d.x12 * d.y34) + eta * (d.x23 * d.y14 - d.x14 * d.y23);
  RequirePositiveSize(S, {"the Jacobian", kDistorted}, Plate(e));
  r.detJ = S / 8.0;

  r.dNdx[1] = (d.y24 - d.y34 * xi - d.y23 * eta) / S;
  r.dNdx[2] = (-d.y13 + d.y34 * xi + d.y14 * eta) / S;
  r.dNdx[3] = (-d.y24 + d.y12 * xi - d.y14 * eta) / S;
  r.dNdx[4] = (d.y13 - d.y12 * xi + d.y23 * eta) / S;
  r.dNdy[1] = (-d.x24 + d.x34 * xi + d.x23 * eta) / S;
  r.dNdy[2] = (d.x13 - d.x34 * xi - d.x14 * eta) / S;
  r.dNdy[3] = (d.x24 - d.x12 * xi + d.x14 * eta) / S;
  r.dNdy[4] = (-d.x13 + d.x12 * xi - d.x23 * eta) / S;

  const double xXi = 0.25 * (-(1 - eta) * x[0] + (1 - eta) * x[1] + (1 + eta) * x[2] - (1 + eta) * x[3]);
  const double xEta = 0.25 * (-(1 - xi) * x[0] - (1 + xi) * x[1] + (1 + xi) * x[2] + (1 - xi) * x[3]);
  const double yXi = 0.25 * (-(1 - eta) * y[0] + (1 - eta) * y[1] + (1 + eta) * y[2] - (1 + eta) * y[3]);
  const double yEta = 0.25 * (-(1 - xi) * y[0] - (1 + xi) * y[1] + (1 + xi) * y[2] + (1 - xi) * y[3]);
  const double p = eta * (1 - xi * xi);
  const double q = xi * (1 - eta * eta);
  r.dNdx[5] = 2.0 * (p * yXi - q * yEta) / r.detJ;
  r.dNdy[5] = -2.0 * (p * xXi - q * xEta) / r.detJ;
  return r;
}

Mat8 Plate_InPlane_Stiffness(int e, const Corners4& x, const Corners4& y, double thickness, double E,
                             double nu) {
  Matrix<10, 10> K;

  const double oneMinusNu2 = 1.0 - nu * nu;
  RequireNonZero(oneMinusNu2, {"1 - Poisson ratio squared", kPoissonRatio});
  const double f = E * thickness / oneMinusNu2;
  Mat3 D;
  D(1, 1) = f;
  D(1, 2) = f * nu;
  D(2, 1) = f * nu;
  D(2, 2) = f;
  D(3, 3) = (1.0 - nu) * f * 0.5;

  const CornerDifferences d = Corner_Differences(x, y);
  RequirePositiveSize(d.A0, {"the area", kCornersTogether}, Plate(e));
  const std::array<double, 9> centre = Invert_Jacobian(d.x13, d.x24, d.y13, d.y24, d.A0);

  for (int g = 1; g <= 4; ++g) {
    const ShapeDerivatives sd = Quad_Shape_Derivatives(e, kCornerXi[g] * kGauss, kCornerEta[g] * kGauss, d, x, y);
    Matrix<3, 10> B;
    for (int k = 1; k <= 5; ++k) {
      B(1, 2 * k - 1) = sd.dNdx[k];
      B(2, 2 * k) = sd.dNdy[k];
    }
    // The shear strain is taken at the centre, the same at every point.
    for (int k = 1; k <= 4; ++k) {
      B(3, 2 * k - 1) = centre[k];
      B(3, 2 * k) = centre[4 + k];
    }
    Matrix<3, 10> DB;
    for (int r = 1; r <= 3; ++r)
      for (int c = 1; c <= 10; ++c) {
        double s = 0.0;
        for (int m = 1; m <= 3; ++m) s += D(r, m) * B(m, c);
        DB(r, c) = sd.detJ * s;
      }
    for (int i = 1; i <= 10; ++i)
      for (int j = 1; j <= 10; ++j) {
        double s = 0.0;
        for (int m = 1; m <= 3; ++m) s += B(m, i) * DB(m, j);
        K(i, j) += s;
      }
  }

  // Condense the bubble amplitudes, v5 first, then u5.
  for (int m = 10; m >= 9; --m) {
    RequireNonZero(K(m, m), {"a bubble pivot", kNoStiffness}, Plate(e));
    for (int i = 1; i <= m - 1; ++i) {
      const double q = K(m, i) / K(m, m);
      for (int j = 1; j <= m - 1; ++j) K(j, i) -= q * K(j, m);
    }
  }

  const Mat8 result = LeadingBlock<8>(K);
  RequireFinite(result, {"the membrane stiffness"}, Plate(e));
  return result;
}

}  // namespace analysis
