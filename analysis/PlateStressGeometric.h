#pragma once
// Membrane stresses of a plate from the in-plane solution, and the geometric
// stiffness they give it on the corner deflections in the buckling problem.
#include <array>

#include "analysis/ElementMatrix.h"
#include "analysis/SolverConstants.h"

namespace analysis {

// Corner stresses of one plate (entries 1..4 the corners, index 0 unused), its
// one shear stress, and its 12x12 geometric stiffness on w, thx, thy per corner.
struct PlateStressGeometric {
  std::array<double, 5> sx{};
  std::array<double, 5> sy{};
  double sxy = 0.0;
  Mat12 kg;
};

// 3x3 geometric stiffness t * A * grad(N)^T * sigma * grad(N) of a linear
// triangle with vertices x, y under constant stresses sx, sy, sxy.
Mat3 Triangle_Geometric_Stiffness(const std::array<double, 3>& x, const std::array<double, 3>& y,
                                  double thickness, double sx, double sy, double sxy);

// Stresses and geometric stiffness of plate e from its corner displacements
// u1, v1, ..., u4, v4 (E and nu from constants).
PlateStressGeometric Plate_Stress_Geometric(int e, const std::array<double, 4>& x,
                                            const std::array<double, 4>& y, double thickness,
                                            const std::array<double, 8>& cornerDisplacements,
                                            const SolverConstants& constants);

}  // namespace analysis
