#pragma once
// Conversions and checks shared by the model classes: values set by property
// name, and counts and indices read from a file, which are checked before
// anything relies on them.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace model {
class Nodeb;
class RecordReader;
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

// A number that names an item must lie in lo..hi (9 otherwise).
int32_t CheckIndex(int32_t value, int64_t lo, int64_t hi);

// The rules of the numbering, checked on each record as it is read, so that
// a refused file names the record and field that break them (`r` read the
// record). The analysis numbers the items that take part in it 1, 2, ... in
// file order and the others 0.
// vID within 0..count, the items of its kind (9 otherwise).
void CheckNumber(const RecordReader& r, int32_t vID, int64_t count, std::string_view kind);
// vID as the numbering makes it, `expected` (0: the item takes no part);
// 321 otherwise. `numbered` names the items numbered ("plates with their
// property"), `kind` one item ("plate").
void CheckNumbering(const RecordReader& r, int32_t vID, int32_t expected, std::string_view numbered,
                    std::string_view kind);
// An element's PropertyDefined as its sizes make it (321 otherwise); `sizes`
// names them with their values ("thickness 0.5").
void CheckPropertyFlag(const RecordReader& r, bool stored, bool fromSizes, const std::string& sizes,
                       std::string_view kind);
// The header's MaxvID (read by `header`) against the items numbered.
void CheckNumberedCount(const RecordReader& header, int32_t maxvID, int32_t numbered, std::string_view items,
                        std::string_view how);

}  // namespace model::checks
