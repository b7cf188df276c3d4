#pragma once
// The stiffener as a bar in the in-plane problem, its axial stress after the
// in-plane solution, and the geometric stiffness that stress gives it in the
// buckling problem.
#include <array>

#include "analysis/ElementMatrix.h"
#include "analysis/SolverConstants.h"

namespace analysis {

using Ends2 = std::array<double, 2>;

// Length and direction cosines of a stiffener from end 1 to end 2.
struct StiffenerGeometry {
  double L = 0.0;
  double c = 0.0;
  double s = 0.0;
};

// Length and direction of stiffener e; a zero length is a division by zero.
StiffenerGeometry Stiffener_Geometry(int e, const Ends2& x, const Ends2& y);

// The 4x4 bar stiffness of stiffener e on u1, v1, u2, v2.
Mat4 Beam_InPlane_Stiffness(int e, const Ends2& x, const Ends2& y, double thickness, double width,
                            double E);

// Axial stress of a stiffener and its 6x6 geometric stiffness on
// w1, thx1, thy1, w2, thx2, thy2.
struct BeamStressGeometric {
  double stress = 0.0;  // positive in tension
  Mat6 kg;
};

// Stress and geometric stiffness of stiffener e from its end displacements
// u1, v1, u2, v2 of the in-plane solution.
BeamStressGeometric Beam_Stress_Geometric(int e, const Ends2& x, const Ends2& y, double thickness,
                                          double width, const std::array<double, 4>& endDisplacements,
                                          const SolverConstants& constants);

}  // namespace analysis
