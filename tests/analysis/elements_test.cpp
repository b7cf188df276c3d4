// Checks of each element routine on its own: symmetry, rigid-body modes,
// exact energies of constant states, and hand-worked values.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/MembraneElement.h"
#include "analysis/PlateBendingElement.h"
#include "analysis/PlateStressGeometric.h"
#include "analysis/StiffenerBendingElement.h"
#include "analysis/StiffenerInPlane.h"
#include "platform/RuntimeError.h"
#include "tests/analysis/ElementTestSupport.h"

using namespace analysis;
using namespace elementtest;

namespace {

// An irregular convex quadrilateral, corners counter-clockwise.
const Corners4 kQx{0.3, 4.1, 3.6, -0.4};
const Corners4 kQy{-0.2, 0.4, 2.9, 2.2};

double QuadArea(const Corners4& x, const Corners4& y) {
  return 0.5 * ((x[2] - x[0]) * (y[3] - y[1]) - (x[3] - x[1]) * (y[2] - y[0]));
}

// Bending dofs w, dw/dy, -dw/dx at the corners for w = a x^2/2 + b y^2/2 + c x y + p x + q y + w0.
std::vector<double> BendingState(const Corners4& x, const Corners4& y, double a, double b, double c,
                                 double p, double q, double w0) {
  std::vector<double> d;
  for (int k = 0; k < 4; ++k) {
    const double X = x[k], Y = y[k];
    d.push_back(a * X * X / 2 + b * Y * Y / 2 + c * X * Y + p * X + q * Y + w0);
    d.push_back(b * Y + c * X + q);
    d.push_back(-(a * X + c * Y + p));
  }
  return d;
}

}  // namespace

// ---------------------------------------------------------------- membrane

TEST(MembraneElement, RectangleIsSymmetricAndRigidModesAreFree) {
  const double a = 3.0, b = 2.0;
  const Corners4 x{0, a, a, 0}, y{0, 0, b, b};
  const CornerDifferences d = Corner_Differences(x, y);
  EXPECT_DOUBLE_EQ(d.A0, 2 * a * b);
  const ShapeDerivatives sd = Quad_Shape_Derivatives(1, 0.3, -0.7, d, x, y);
  EXPECT_DOUBLE_EQ(sd.detJ, a * b / 4);

  const Mat8 K = Plate_InPlane_Stiffness(1, x, y, 0.25, 200000.0, 0.3);
  EXPECT_LT(Asymmetry(K), 1e-9 * MaxAbs(K));
  std::vector<double> tx, ty, rot;
  for (int k = 0; k < 4; ++k) {
    tx.insert(tx.end(), {1.0, 0.0});
    ty.insert(ty.end(), {0.0, 1.0});
    rot.insert(rot.end(), {-y[k], x[k]});
  }
  for (const auto& mode : {tx, ty, rot})
    for (double f : Multiply(K, mode)) EXPECT_NEAR(f, 0.0, 1e-9 * MaxAbs(K));
  const std::vector<double> ev = Eigenvalues(K);
  EXPECT_NEAR(ev[2], 0.0, 1e-9 * MaxAbs(K));
  EXPECT_GT(ev[3], 1e-3 * MaxAbs(K));
}

TEST(MembraneElement, ConstantStrainGivesExactEnergyOnIrregularQuad) {
  const double E = 70000.0, nu = 0.25, t = 0.4;
  const double ex = 1e-3, ey = -2e-3, gxy = 5e-4;
  const Mat8 K = Plate_InPlane_Stiffness(1, kQx, kQy, t, E, nu);
  std::vector<double> d;
  for (int k = 0; k < 4; ++k) d.insert(d.end(), {ex * kQx[k] + 0.5 * gxy * kQy[k], ey * kQy[k] + 0.5 * gxy * kQx[k]});
  const double f = E / (1 - nu * nu);
  const double density = 0.5 * (f * (ex * ex + ey * ey + 2 * nu * ex * ey) + 0.5 * (1 - nu) * f * gxy * gxy);
  EXPECT_NEAR(Energy(K, d), density * t * QuadArea(kQx, kQy), 1e-10);
}

TEST(MembraneElement, CentreDerivativesMatchInverseJacobian) {
  const CornerDifferences d = Corner_Differences(kQx, kQy);
  const auto o = Invert_Jacobian(d.x13, d.x24, d.y13, d.y24, d.A0);
  const ShapeDerivatives sd = Quad_Shape_Derivatives(1, 0.0, 0.0, d, kQx, kQy);
  for (int k = 1; k <= 4; ++k) {
    EXPECT_NEAR(sd.dNdy[static_cast<std::size_t>(k)], o[static_cast<std::size_t>(k)], 1e-14);
    EXPECT_NEAR(sd.dNdx[static_cast<std::size_t>(k)], o[static_cast<std::size_t>(4 + k)], 1e-14);
  }
  EXPECT_EQ(sd.dNdx[5], 0.0);
  EXPECT_EQ(sd.dNdy[5], 0.0);
}

TEST(MembraneElement, ClockwiseOrDegeneratePlateEndsTheRun) {
  const Corners4 cx{0, 0, 1, 1}, cy{0, 1, 1, 0};  // clockwise
  try {
    Plate_InPlane_Stiffness(7, cx, cy, 1.0, 1.0, 0.3);
    FAIL();
  } catch (const platform::RuntimeError& e) {
    EXPECT_EQ(e.number(), platform::kErrInvalidCall);
    EXPECT_NE(e.description().find("plate element 7"), std::string::npos);
  }
  const Corners4 zx{0, 1, 2, 3}, zy{0, 0, 0, 0};  // all on one line
  try {
    Plate_InPlane_Stiffness(1, zx, zy, 1.0, 1.0, 0.3);
    FAIL();
  } catch (const platform::RuntimeError& e) {
    EXPECT_EQ(e.number(), platform::kErrDivideByZero);
  }
  EXPECT_THROW(Plate_InPlane_Stiffness(1, kQx, kQy, 1.0, 1.0, 1.0), platform::RuntimeError);
}

// ------------------------------------------------------------ plate bending

TEST(PlateBendingElement, UnitSquareWorkedValues) {
  const double nu = 0.3, E = 12 * (1 - nu * nu);  // D = 1 with t = 1
  const Mat12 K = Plate_Bending_Stiffness(1, E, nu, 1.0, {0, 1, 1, 0}, {0, 0, 1, 1});
  EXPECT_NEAR(K(1, 1), 12.0, 1e-10);
  EXPECT_NEAR(K(1, 2), 3.3, 1e-10);
  EXPECT_NEAR(K(1, 3), -3.3, 1e-10);
  EXPECT_NEAR(K(1, 4), -6.0, 1e-10);
  EXPECT_NEAR(K(1, 6), -2.0, 1e-10);
  EXPECT_NEAR(K(1, 7), 0.0, 1e-10);
  EXPECT_NEAR(K(1, 8), 1.0, 1e-10);
  EXPECT_NEAR(K(2, 2), 7906.0 / 4305.0, 1e-10);
  EXPECT_NEAR(K(2, 3), -94.0 / 105.0, 1e-10);
  EXPECT_NEAR(K(2, 9), -17.0 / 42.0, 1e-10);
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(K(3 * k + 1, 3 * k + 1), 12.0, 1e-10);
    EXPECT_NEAR(K(3 * k + 2, 3 * k + 2), 7906.0 / 4305.0, 1e-10);
    EXPECT_NEAR(K(3 * k + 3, 3 * k + 3), 7906.0 / 4305.0, 1e-10);
  }
  EXPECT_LT(Asymmetry(K), 1e-12);
}

TEST(PlateBendingElement, IrregularQuadRigidModesAndConstantCurvature) {
  const double E = 1.0e4, nu = 0.3, t = 0.2;
  const Mat12 K = Plate_Bending_Stiffness(1, E, nu, t, kQx, kQy);
  EXPECT_LT(Asymmetry(K), 1e-10 * MaxAbs(K));
  const std::vector<double> ev = Eigenvalues(K);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(ev[static_cast<std::size_t>(i)], 0.0, 1e-9 * MaxAbs(K));
  EXPECT_GT(ev[3], 1e-4 * MaxAbs(K));

  for (const auto& mode : {BendingState(kQx, kQy, 0, 0, 0, 0, 0, 1), BendingState(kQx, kQy, 0, 0, 0, 1, 0, 0),
                           BendingState(kQx, kQy, 0, 0, 0, 0, 1, 0)})
    for (double f : Multiply(K, mode)) EXPECT_NEAR(f, 0.0, 1e-9 * MaxAbs(K));

  const double D = E * t * t * t / (12 * (1 - nu * nu));
  const double A = QuadArea(kQx, kQy);
  // kappa = (w,xx, w,yy, 2 w,xy); energy = A/2 * D * (kx^2 + ky^2 + 2 nu kx ky + (1-nu)/2 kxy^2).
  struct Case { double a, b, c; } cases[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.7, -1.3, 0.4}};
  for (const Case& cs : cases) {
    const double kx = cs.a, ky = cs.b, kxy = 2 * cs.c;
    const double exact = 0.5 * A * D * (kx * kx + ky * ky + 2 * nu * kx * ky + 0.5 * (1 - nu) * kxy * kxy);
    EXPECT_NEAR(Energy(K, BendingState(kQx, kQy, cs.a, cs.b, cs.c, 0.2, -0.1, 0.5)), exact, 1e-9 * exact);
  }
}

TEST(PlateBendingElement, ClockwisePlateEndsTheRun) {
  try {
    Plate_Bending_Stiffness(3, 1.0, 0.3, 1.0, {0, 0, 1, 1}, {0, 1, 1, 0});
    FAIL();
  } catch (const platform::RuntimeError& e) {
    EXPECT_EQ(e.number(), platform::kErrInvalidCall);
    EXPECT_NE(e.description().find("plate element 3"), std::string::npos);
  }
  EXPECT_THROW(Plate_Bending_Stiffness(3, 1.0, 0.3, 1.0, {0, 1, 1, 1}, {0, 0, 0, 1}), platform::RuntimeError);
}

TEST(PlateBendingElement, TriangleKeepsRigidModesAndTaperedEnergy) {
  const double E = 1.0, nu = 0.25;
  const double x1 = 0.1, x2 = 2.3, x3 = 0.8, y1 = -0.3, y2 = 0.5, y3 = 1.9;
  const double t1 = 1.0, t2 = 1.4, t3 = 0.7;
  const double A = 0.5 * ((x2 - x1) * (y3 - y1) - (x3 - x1) * (y2 - y1));
  for (int n : {9, 10, 11, 12}) {
    const Mat12 K = Triangle_Bending_Stiffness(E, nu, t1, t2, t3, x1, x2, x3, y1, y2, y3, n);
    EXPECT_LT(Asymmetry(K), 1e-12 * MaxAbs(K));
    const std::vector<double> ev = Eigenvalues(K);
    const std::size_t zeros = 12 - static_cast<std::size_t>(n);  // unused rows give zero too
    for (std::size_t i = 0; i < zeros + 3; ++i) EXPECT_NEAR(ev[i], 0.0, 1e-9 * MaxAbs(K)) << n;
    EXPECT_GT(ev[zeros + 3], 1e-6 * MaxAbs(K)) << n;
  }
  // Constant curvature w = x^2/2 on the full triangle: energy (1/2) D'11 * integral of t^3/12.
  const Mat12 K = Triangle_Bending_Stiffness(E, nu, t1, t2, t3, x1, x2, x3, y1, y2, y3, 12);
  const double xs[3] = {x1, x2, x3};
  std::vector<double> d;
  for (double X : xs) d.insert(d.end(), {X * X / 2, 0.0, -X});
  // Mid-side slopes along the left-hand normal of edge m (vertex next(m) -> next(next(m))).
  const double ex[4] = {0, x1, x2, x3}, ey[4] = {0, y1, y2, y3};
  const int nx[4] = {0, 2, 3, 1};
  for (int m = 1; m <= 3; ++m) {
    const int p = nx[m], q = nx[p];
    const double dx = ex[q] - ex[p], dy = ey[q] - ey[p], L = std::hypot(dx, dy);
    const double xm = 0.5 * (ex[p] + ex[q]);
    d.push_back((-dy / L) * xm);  // normal (-dy, dx)/L dotted with grad w = (x, 0)
  }
  const double intT3 = A / 10 * (t1 * t1 * t1 + t2 * t2 * t2 + t3 * t3 * t3 + t1 * t1 * (t2 + t3) +
                                 t2 * t2 * (t1 + t3) + t3 * t3 * (t1 + t2) + t1 * t2 * t3);
  const double exact = 0.5 * E / (1 - nu * nu) * intT3 / 12;
  EXPECT_NEAR(Energy(K, d), exact, 1e-10 * exact);
}

// -------------------------------------------------------- stiffener bending

TEST(StiffenerBendingElement, WorkedValuesAndRigidModes) {
  const SolverConstants k{29000.0, 0.3, false, false};
  const Mat6 K = Beam_Bending_Stiffness(1, {1, 9}, {2, 8}, 0.5, 6.0, k);
  const double row1[6] = {3132, 9396, -12528, -3132, 9396, -12528};
  for (int j = 1; j <= 6; ++j) EXPECT_NEAR(K(1, j), row1[j - 1], 1e-9);
  EXPECT_NEAR(K(2, 2), 0.64 * 264.2067 + 0.36 * 104400, 1e-2);
  EXPECT_LT(Asymmetry(K), 1e-9);
  // Twist of phi0 at end 2 only: energy (GJ/L) phi0^2 / 2.
  const double phi0 = 1e-3, GJL = 29000.0 / 2.6 * 6.0 * 0.125 * (1 - 0.63 * 0.5 / 6) / 3 / 10;
  EXPECT_NEAR(GJL, 264.2067, 1e-4);
  EXPECT_NEAR(Energy(K, {0, 0, 0, 0, 0.8 * phi0, 0.6 * phi0}), 0.5 * GJL * phi0 * phi0, 1e-12);
  for (double p : {0.0, 1.0})
    for (double q : {0.0, 1.0}) {
      // w = 1 + p x + q y with thx = q and thy = -p.
      const std::vector<double> d{1 + p * 1 + q * 2, q, -p, 1 + p * 9 + q * 8, q, -p};
      for (double f : Multiply(K, d)) EXPECT_NEAR(f, 0.0, 1e-8);
    }
}

TEST(StiffenerBendingElement, CantileverMatchesBeamTheory) {
  // Along y, so w couples with thx (= dw/dy); clamp end 1, tip load P.
  const double E = 1000.0, nu = 0.3, t = 0.4, W = 3.0, L = 12.0, P = 2.0;
  const double EI = E * t * W * W * W / 12;
  for (bool shear : {false, true}) {
    const Mat6 K = Beam_Bending_Stiffness(1, {0, 0}, {0, L}, t, W, {E, nu, false, shear});
    // Solve the 3x3 block of end 2 for the load on w2 by Cramer's rule.
    Mat3 A;
    for (int i = 1; i <= 3; ++i)
      for (int j = 1; j <= 3; ++j) A(i, j) = K(3 + i, 3 + j);
    auto det3 = [](const Mat3& m) {
      return m(1, 1) * (m(2, 2) * m(3, 3) - m(2, 3) * m(3, 2)) - m(1, 2) * (m(2, 1) * m(3, 3) - m(2, 3) * m(3, 1)) +
             m(1, 3) * (m(2, 1) * m(3, 2) - m(2, 2) * m(3, 1));
    };
    Mat3 A1 = A;
    A1(1, 1) = P;
    A1(2, 1) = 0;
    A1(3, 1) = 0;
    const double w2 = det3(A1) / det3(A);
    const double phi = shear ? 0.5 * W * W * (1 - nu) / (L * L) : 0.0;
    EXPECT_NEAR(w2, P * L * L * L / (3 * EI) * (1 + phi), 1e-9 * w2) << shear;
  }
  // The shear factor of the worked case W = 6, nu = 0.3, L = 10: a1 = 1.504.
  const Mat6 Ks = Beam_Bending_Stiffness(1, {0, 10}, {0, 0}, 0.5, 6.0, {29000.0, 0.3, false, true});
  EXPECT_NEAR(Ks(1, 1), 12 * 261000.0 / (1000 * 1.504), 1e-9);
}

TEST(StiffenerBendingElement, ThickStiffenerKeepsPositiveTorsion) {
  EXPECT_DOUBLE_EQ(Torsion_Constant(6.0, 0.5), 6.0 * 0.125 * (1 - 0.63 * 0.5 / 6.0) / 3);
  EXPECT_DOUBLE_EQ(Torsion_Constant(2.0, 2.0), 2.0 * 8.0 * 0.37 / 3);
  // Thickness beyond width / 0.63: the sides swap, the constant stays positive.
  EXPECT_DOUBLE_EQ(Torsion_Constant(1.0, 4.0), Torsion_Constant(4.0, 1.0));
  EXPECT_GT(Torsion_Constant(1.0, 4.0), 0.0);
  const Mat6 K = Beam_Bending_Stiffness(1, {0, 10}, {0, 0}, 4.0, 1.0, {1000.0, 0.3, false, false});
  EXPECT_GT(K(2, 2), 0.0);  // along x the torsion acts on thx alone
  EXPECT_EQ(K(1, 2), 0.0);
}

TEST(StiffenerElements, ZeroLengthIsDivisionByZero) {
  try {
    Beam_Bending_Stiffness(4, {1, 1}, {2, 2}, 0.5, 6.0, {1.0, 0.3, false, false});
    FAIL();
  } catch (const platform::RuntimeError& e) {
    EXPECT_EQ(e.number(), platform::kErrDivideByZero);
  }
  EXPECT_THROW(Beam_InPlane_Stiffness(4, {1, 1}, {2, 2}, 0.5, 6.0, 1.0), platform::RuntimeError);
  EXPECT_THROW(Beam_Stress_Geometric(4, {1, 1}, {2, 2}, 0.5, 6.0, {0, 0, 0, 0}, {1.0, 0.3, true, false}),
               platform::RuntimeError);
}

// ---------------------------------------------------- stiffener in-plane

TEST(StiffenerInPlane, BarAndStressAlongAxes) {
  const double E = 200.0, t = 0.5, W = 4.0, L = 5.0;
  const Mat4 Kx = Beam_InPlane_Stiffness(1, {0, L}, {0, 0}, t, W, E);
  EXPECT_DOUBLE_EQ(Kx(1, 1), E * W * t / L);
  EXPECT_DOUBLE_EQ(Kx(1, 3), -E * W * t / L);
  EXPECT_EQ(Kx(2, 2), 0.0);
  const Mat4 Kd = Beam_InPlane_Stiffness(1, {1, 4}, {2, 6}, t, W, E);
  for (const std::vector<double>& mode : {std::vector<double>{1, 0, 1, 0}, {0, 1, 0, 1}, {-2, 1, -6, 4}})
    for (double f : Multiply(Kd, mode)) EXPECT_NEAR(f, 0.0, 1e-12);

  const SolverConstants k{E, 0.3, true, false};
  const auto r = Beam_Stress_Geometric(1, {0, L}, {0, 0}, t, W, {0.1, 7.0, 0.15, -3.0}, k);
  EXPECT_DOUBLE_EQ(r.stress, 0.05 * E / L);
  const double g = r.stress * W * t / L, h = r.stress * t * W * W * W / (12 * L);
  EXPECT_DOUBLE_EQ(r.kg(1, 1), g);
  EXPECT_DOUBLE_EQ(r.kg(4, 1), -g);
  EXPECT_DOUBLE_EQ(r.kg(2, 2), h);
  EXPECT_DOUBLE_EQ(r.kg(2, 5), -h);
  EXPECT_EQ(r.kg(3, 3), 0.0);
  const auto ry = Beam_Stress_Geometric(1, {0, 0}, {0, L}, t, W, {0, 0, 0, 0.05}, k);
  EXPECT_DOUBLE_EQ(ry.kg(3, 3), h);
  EXPECT_EQ(ry.kg(2, 2), 0.0);
  // Reversed ends: same stress.
  const auto a = Beam_Stress_Geometric(1, {1, 4}, {2, 6}, t, W, {0.01, 0.02, 0.05, -0.01}, k);
  const auto b = Beam_Stress_Geometric(1, {4, 1}, {6, 2}, t, W, {0.05, -0.01, 0.01, 0.02}, k);
  EXPECT_NEAR(a.stress, b.stress, 1e-12);
  const auto z = Beam_Stress_Geometric(1, {1, 4}, {2, 6}, t, W, {0.3, 0.3, 0.3, 0.3}, {E, 0.3, false, false});
  EXPECT_NEAR(z.stress, 0.0, 1e-12);
  EXPECT_EQ(z.kg(2, 2), 0.0);
}

// ------------------------------------------- plate stress and geometric term

TEST(PlateStressGeometric, UniformStrainAndGeometricEnergy) {
  const double E = 70000.0, nu = 0.25, t = 0.4;
  const double ex = 1e-3, ey = -2e-3, gxy = 5e-4;
  std::array<double, 8> d{};
  for (int k = 0; k < 4; ++k) {
    d[static_cast<std::size_t>(2 * k)] = ex * kQx[k] + 0.5 * gxy * kQy[k];
    d[static_cast<std::size_t>(2 * k + 1)] = ey * kQy[k] + 0.5 * gxy * kQx[k];
  }
  const auto r = Plate_Stress_Geometric(1, kQx, kQy, t, d, {E, nu, false, false});
  const double f = E / (1 - nu * nu);
  const double sx = f * (ex + nu * ey), sy = f * (ey + nu * ex), txy = 0.5 * (1 - nu) * f * gxy;
  for (std::size_t k = 1; k <= 4; ++k) {
    EXPECT_NEAR(r.sx[k], sx, 1e-9);
    EXPECT_NEAR(r.sy[k], sy, 1e-9);
  }
  EXPECT_NEAR(r.sxy, txy, 1e-9);
  EXPECT_LT(Asymmetry(r.kg), 1e-12);
  for (int i = 1; i <= 12; ++i)
    for (int j = 1; j <= 12; ++j) {
      if ((i - 1) % 3 != 0 || (j - 1) % 3 != 0) {
        EXPECT_EQ(r.kg(i, j), 0.0);
      }
    }
  // For a linear w = p x + q y: d^T Kg d = t A (sx p^2 + sy q^2 + 2 txy p q).
  const double p = 0.3, q = -0.8;
  const double exact = t * QuadArea(kQx, kQy) * (sx * p * p + sy * q * q + 2 * txy * p * q);
  EXPECT_NEAR(2 * Energy(r.kg, BendingState(kQx, kQy, 0, 0, 0, p, q, 0.1)), exact, 1e-10 * std::abs(exact));

  const auto zero = Plate_Stress_Geometric(1, kQx, kQy, t, {}, {E, nu, false, false});
  EXPECT_EQ(MaxAbs(zero.kg), 0.0);
  EXPECT_EQ(zero.sx[1], 0.0);
}

TEST(PlateStressGeometric, ClockwiseTriangleEndsTheRun) {
  EXPECT_THROW(Triangle_Geometric_Stiffness({0, 0, 1}, {0, 1, 0}, 1.0, 1, 1, 0), platform::RuntimeError);
  const Mat3 K = Triangle_Geometric_Stiffness({0, 1, 0}, {0, 0, 1}, 2.0, 3.0, 0.0, 0.0);
  EXPECT_DOUBLE_EQ(K(1, 1), 3.0);  // t A sx (dN1/dx)^2 = 2 * 0.5 * 3 * 1
  EXPECT_THROW(Plate_Stress_Geometric(1, {0, 0, 1, 1}, {0, 1, 1, 0}, 1.0, {}, {1.0, 0.3, false, false}),
               platform::RuntimeError);
}
