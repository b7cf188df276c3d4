#pragma once
// The run-wide values the element routines read: material and the two
// stiffener options of the analysis. The driver fills one per run.

namespace analysis {

struct SolverConstants {
  double E = 0.0;       // elastic modulus (MOE)
  double nu = 0.0;      // Poisson ratio (PR)
  bool igstf = false;   // torsional geometric stiffness of stiffeners
  bool ishear = false;  // approximate shear distortion of stiffeners
};

}  // namespace analysis
