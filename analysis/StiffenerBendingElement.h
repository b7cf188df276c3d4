#pragma once
// The stiffener's out-of-plane bending and torsion stiffness in the buckling
// problem, on w, thx, thy of its two ends.
#include <array>

#include "analysis/ElementMatrix.h"
#include "analysis/SolverConstants.h"

namespace analysis {

// The terms of one 3x3 node-pair block, in the stiffener's own axes, with the
// direction cosines that turn it into the model's axes.
struct BeamBlockTerms {
  double c = 0.0, s = 0.0;
  double kww = 0.0;    // w of the row node with w of the column node
  double kthw = 0.0;   // rotations of the row node with w of the column node
  double kwth = 0.0;   // w of the row node with rotations of the column node
  double kT = 0.0;     // torsion
  double kthth = 0.0;  // bending between the rotations
};

// Writes the block turned into the model's axes at rows r0+1..r0+3 and
// columns c0+1..c0+3 of k.
void Beam_Bending_Block(const BeamBlockTerms& t, int rowOffset, int columnOffset, Mat6& k);

// The St Venant torsion constant of a width x thickness rectangle, taking the
// longer side as the long side of the section.
double Torsion_Constant(double width, double thickness);

// The 6x6 bending and torsion stiffness of stiffener e (E, nu and the shear
// option from constants).
Mat6 Beam_Bending_Stiffness(int e, const std::array<double, 2>& x, const std::array<double, 2>& y,
                            double thickness, double width, const SolverConstants& constants);

}  // namespace analysis
