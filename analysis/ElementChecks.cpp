#include "analysis/ElementChecks.h"

#include <cmath>

#include "analysis/SolverFailure.h"

namespace analysis {
namespace {

std::string Named(Quantity q, ElementName of) {
  std::string text = q.what;
  if (of.kind) text += " of " + NameOf(of);
  return text;
}

}  // namespace

std::string NameOf(ElementName of) { return of.kind ? std::string(of.kind) + " " + std::to_string(of.number) : ""; }

void RequireNonZero(double divisor, Quantity q, ElementName of) {
  if (divisor == 0.0)
    throw SolverFailure(platform::kErrDivideByZero, "Division by zero: " + Named(q, of) + " is zero", q.cause);
}

void RequirePositiveSize(double size, Quantity q, ElementName of) {
  if (!std::isfinite(size)) throw SolverFailure(platform::kErrOverflow, "Overflow in " + Named(q, of), kExtremeValues);
  if (size == 0.0)
    throw SolverFailure(platform::kErrDivideByZero, "Division by zero: " + Named(q, of) + " is zero", q.cause);
  if (size < 0.0)
    throw SolverFailure(platform::kErrInvalidCall,
                        Named(q, of) + " is negative: the corners run clockwise or the element is not convex",
                        "its corners run clockwise or it is not convex (check the node coordinates)");
}

void RequireFinite(const double* values, int count, Quantity q, ElementName of) {
  for (int i = 0; i < count; ++i)
    if (!std::isfinite(values[i]))
      throw SolverFailure(platform::kErrOverflow, "Overflow in " + Named(q, of), kExtremeValues);
}

void RaiseForElement(const platform::RuntimeError& failure, ElementName of) {
  const auto* known = dynamic_cast<const SolverFailure*>(&failure);
  throw SolverFailure(failure.number(), failure.description() + " (" + NameOf(of) + ")",
                      known ? known->cause() : std::string());
}

}  // namespace analysis
