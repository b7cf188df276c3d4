#include "analysis/ElementChecks.h"

#include <cmath>

#include "platform/RuntimeError.h"

namespace analysis {

void RequireNonZero(double divisor, const std::string& what) {
  if (divisor == 0.0) platform::Raise(platform::kErrDivideByZero, "Division by zero: " + what + " is zero");
}

void RequirePositiveSize(double size, const std::string& what) {
  if (!std::isfinite(size)) platform::Raise(platform::kErrOverflow, "Overflow in " + what);
  if (size == 0.0) platform::Raise(platform::kErrDivideByZero, "Division by zero: " + what + " is zero");
  if (size < 0.0)
    platform::Raise(platform::kErrInvalidCall,
                    what + " is negative: the corners run clockwise or the element is not convex");
}

void RequireFinite(const double* values, int count, const std::string& what) {
  for (int i = 0; i < count; ++i)
    if (!std::isfinite(values[i])) platform::Raise(platform::kErrOverflow, "Overflow in " + what);
}

}  // namespace analysis
