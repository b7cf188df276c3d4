#pragma once
// Conversions and checks shared by the model classes: values set by property
// name, and counts and indices read from a file, which are checked before
// anything relies on them.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace model {
class Nodeb;
}

namespace model::checks {

// Names of properties compare as the editing code spells them, in any case.
bool SameName(std::string_view a, std::string_view b);
[[noreturn]] void RaiseNoSuchProperty();

// One property of an item reached by name: read as a number, set from one.
template <typename T>
struct NamedProperty {
  std::string_view name;
  double (*get)(const T&);
  void (*set)(T&, double);
};

// The entry of the table with the name (any case); 438 when none has it.
template <typename T, std::size_t N>
const NamedProperty<T>& FindProperty(const NamedProperty<T> (&table)[N], std::string_view name) {
  for (const NamedProperty<T>& p : table)
    if (SameName(p.name, name)) return p;
  RaiseNoSuchProperty();
}

// A table entry for the property NAME of TYPE with its get/set pair, the
// number converted by CONVERT on the way in.
#define VELK_NAMED_PROPERTY(TYPE, NAME, CONVERT)                                     \
  ::model::checks::NamedProperty<TYPE> {                                              \
    #NAME, [](const TYPE& item) -> double { return item.NAME(); },                    \
        [](TYPE& item, double v) { item.set_##NAME(CONVERT(v)); }                     \
  }

// The node an element refers to; 91 while the reference is not set.
Nodeb& NodeRef(Nodeb* node);

// A value for a property of the given type; 6 when it does not fit.
float ToSingle(double value);
// A finite double as the nearest Single; 6 when that would be infinite.
float NearestSingle(double value);
int32_t ToLong(double value);
short ToInteger(double value);
inline bool ToBoolean(double value) { return value != 0.0; }
inline double FromBoolean(bool value) { return value ? -1.0 : 0.0; }

// A count read from a file must lie in 0..max (6 otherwise).
int32_t CheckCount(int32_t value, int64_t max);
// A number read from a file that names an item must lie in lo..hi (9 otherwise).
int32_t CheckIndex(int32_t value, int64_t lo, int64_t hi);

}  // namespace model::checks
