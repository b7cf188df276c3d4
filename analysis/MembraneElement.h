#pragma once
// The four-node plane-stress plate element of the in-plane problem, with an
// internal bubble on u and v condensed out, and the shape-function
// derivatives the stress recovery shares with it.
#include <array>

#include "analysis/ElementMatrix.h"

namespace analysis {

using Corners4 = std::array<double, 4>;

// The natural coordinates of corners 1..4 (index 0 unused): the points where
// the stress recovery evaluates, and scaled by the Gauss coordinate, the
// points of the membrane's 2x2 rule.
inline constexpr std::array<double, 5> kCornerXi{0.0, -1.0, 1.0, 1.0, -1.0};
inline constexpr std::array<double, 5> kCornerEta{0.0, -1.0, -1.0, 1.0, 1.0};

// Corner coordinate differences xij = xi - xj, yij = yi - yj and the diagonal
// cross product A0 = x13*y24 - x24*y13 (eight times the centre Jacobian).
struct CornerDifferences {
  double x12, x13, x14, x23, x24, x34;
  double y12, y13, y14, y23, y24, y34;
  double A0;
};

// Shape-function derivatives at one point: entries 1..4 the corners, 5 the
// bubble (index 0 unused), and the Jacobian determinant there.
struct ShapeDerivatives {
  std::array<double, 6> dNdx{};
  std::array<double, 6> dNdy{};
  double detJ = 0.0;
};

// The corner differences and A0 of corners x, y.
CornerDifferences Corner_Differences(const Corners4& x, const Corners4& y);

// The derivatives for the 2x2 matrix rows (a, b), (c, d) with determinant det:
// o1..o8 = -b, a, b, -a, d, -c, -d, c, each divided by det (index 0 unused).
std::array<double, 9> Invert_Jacobian(double a, double b, double c, double d, double det);

// Jacobian determinant and x, y derivatives of the corner shape functions and
// the bubble at (xi, eta). Plate e is named in the error of a zero or
// negative Jacobian.
ShapeDerivatives Quad_Shape_Derivatives(int e, double xi, double eta, const CornerDifferences& d,
                                        const Corners4& x, const Corners4& y);

// The condensed 8x8 membrane stiffness of plate e (order u1, v1, ..., u4, v4).
Mat8 Plate_InPlane_Stiffness(int e, const Corners4& x, const Corners4& y, double thickness, double E,
                             double nu);

}  // namespace analysis
