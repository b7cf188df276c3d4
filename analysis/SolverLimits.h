#pragma once
// The solver's 16-bit limits: equation numbers, band widths and the item
// numbers of its input file are 16-bit signed integers.

namespace analysis {

inline constexpr long kMax16 = 32767;
// The buckling problem has three equations a node, so this many nodes is all
// a model can hand the solver.
inline constexpr long kMaxNodes = kMax16 / 3;

}  // namespace analysis
