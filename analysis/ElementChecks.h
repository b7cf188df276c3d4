#pragma once
// Guards for the element routines. The arithmetic is not trapped, so every
// divisor that can vanish and every shape that would enter a negative
// stiffness is tested before use. A failed guard raises a SolverFailure with
// the likely cause; its text is put together only then, so the guards cost
// nothing on the way through.
#include <string>

#include "analysis/ElementMatrix.h"
#include "platform/RuntimeError.h"

namespace analysis {

// What a guard tests ("a bubble pivot") and the likely cause when it is
// zero, in an engineer's words ("its thickness or the elastic modulus is zero").
struct Quantity {
  const char* what;
  const char* cause = "";
};

// The element a guard belongs to, named in its failure ("plate element 6");
// no kind: none.
struct ElementName {
  const char* kind = nullptr;  // "plate element", "stiffener element"
  int number = 0;
};

// Likely causes.
inline constexpr const char* kExtremeValues =
    "a coordinate, a property or the elastic modulus is far too large or too small";
inline constexpr const char* kCornersTogether =
    "two of its corners lie on each other, or all on one line (check the node coordinates)";
inline constexpr const char* kDistorted =
    "it is too distorted: an inner angle of 180 degrees or more (check the node coordinates)";
inline constexpr const char* kNoStiffness = "its thickness or the elastic modulus is zero";
inline constexpr const char* kPoissonRatio = "the Poisson ratio is 1 or -1";
inline constexpr const char* kEndsTogether = "its two end nodes lie on each other (check the node coordinates)";
inline constexpr const char* kNoWidth = "its width is zero";

// Error 11 when the divisor is exactly zero.
void RequireNonZero(double divisor, Quantity q, ElementName of = {});

// Error 11 for an exactly zero size, error 5 for a negative one (corners
// clockwise or not convex) and error 6 for one that is not finite.
void RequirePositiveSize(double size, Quantity q, ElementName of = {});

// Error 6 (overflow) when any value is infinite or not a number.
void RequireFinite(const double* values, int count, Quantity q, ElementName of = {});

template <int R, int C>
void RequireFinite(const Matrix<R, C>& m, Quantity q, ElementName of = {}) {
  RequireFinite(m.a.data(), R * C, q, of);
}

// The element's name as a failure gives it ("plate element 6").
std::string NameOf(ElementName of);

// Raises again a failure of a part of an element (a triangle of a plate)
// with the element named after its text: "... (plate element 6)".
[[noreturn]] void RaiseForElement(const platform::RuntimeError& failure, ElementName of);

}  // namespace analysis
