#pragma once
// The plate's bending stiffness in the buckling problem: the Clough-Felippa
// quadrilateral of four linear-curvature-compatible triangles meeting at the
// mean of the corners, with the inner degrees of freedom condensed out.
// Per node: w, thx = dw/dy, thy = -dw/dx.
#include <array>

#include "analysis/ElementMatrix.h"

namespace analysis {

// Bending stiffness of the composite triangle with vertices (x1, y1),
// (x2, y2), (x3, y3), counter-clockwise, and vertex thicknesses t1..t3, on
// w, thx, thy of the vertices then the mid-side normal slopes s1, s2, s3;
// n = 9..12 keeps the first n of them, the slopes of edges 3, 2, 1 (in that
// order) being tied to the vertex rotations. Entries beyond n are zero.
Mat12 Triangle_Bending_Stiffness(double E, double nu, double t1, double t2, double t3, double x1,
                                 double x2, double x3, double y1, double y2, double y3, int n);

// The condensed 12x12 bending stiffness of plate e, corners counter-clockwise.
Mat12 Plate_Bending_Stiffness(int e, double E, double nu, double thickness,
                              const std::array<double, 4>& x, const std::array<double, 4>& y);

}  // namespace analysis
