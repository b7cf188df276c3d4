#include "model/ValueChecks.h"

#include <cfloat>
#include <cmath>
#include <limits>

#include "platform/RuntimeError.h"

namespace model::checks {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The value rounded half to even, or 6 when it is not finite or outside [lo, hi].
double RoundedIn(double value, double lo, double hi) {
  if (!std::isfinite(value)) platform::Raise(platform::kErrOverflow);
  double r = std::nearbyint(value);
  if (r < lo || r > hi) platform::Raise(platform::kErrOverflow);
  return r;
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

void RaiseNoSuchProperty() { platform::Raise(platform::kErrNoSuchProperty); }

Nodeb& NodeRef(Nodeb* node) {
  if (!node) platform::Raise(platform::kErrObjectNotSet);
  return *node;
}

float NearestSingle(double value) {
  // Halfway between FLT_MAX and the next power of two rounds to infinity; just
  // below it the value rounds to FLT_MAX (converted by hand: a cast of a value
  // beyond FLT_MAX is undefined).
  constexpr double kRoundsToInfinity = 3.4028235677973366e38;
  if (!std::isfinite(value) || std::fabs(value) >= kRoundsToInfinity) platform::Raise(platform::kErrOverflow);
  if (std::fabs(value) > static_cast<double>(FLT_MAX)) return value < 0 ? -FLT_MAX : FLT_MAX;
  return static_cast<float>(value);
}

float ToSingle(double value) { return NearestSingle(value); }

int32_t ToLong(double value) {
  return static_cast<int32_t>(RoundedIn(value, std::numeric_limits<int32_t>::min(),
                                        std::numeric_limits<int32_t>::max()));
}

short ToInteger(double value) {
  return static_cast<short>(RoundedIn(value, std::numeric_limits<short>::min(),
                                      std::numeric_limits<short>::max()));
}

int32_t CheckCount(int32_t value, int64_t max) {
  if (value < 0 || value > max) platform::Raise(platform::kErrOverflow, "Bad count in file");
  return value;
}

int32_t CheckIndex(int32_t value, int64_t lo, int64_t hi) {
  if (value < lo || value > hi) platform::Raise(platform::kErrSubscript);
  return value;
}

}  // namespace model::checks
