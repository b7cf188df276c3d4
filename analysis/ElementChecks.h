#pragma once
// Guards for the element routines. The arithmetic is not trapped, so every
// divisor that can vanish and every shape that would enter a negative
// stiffness is tested before use.
#include <string>

#include "analysis/ElementMatrix.h"

namespace analysis {

// Throws error 11 when the divisor is exactly zero; `what` names it.
void RequireNonZero(double divisor, const std::string& what);

// Throws error 11 for an exactly zero size, error 5 for a negative one and
// error 6 for one that is not finite; `what` names the element and the
// quantity (area, Jacobian).
void RequirePositiveSize(double size, const std::string& what);

// Throws error 6 (overflow) when any value is infinite or not a number.
void RequireFinite(const double* values, int count, const std::string& what);

template <int R, int C>
void RequireFinite(const Matrix<R, C>& m, const std::string& what) {
  RequireFinite(m.a.data(), R * C, what);
}

}  // namespace analysis
