#pragma once
// What the stiffener and plate collections share in reading their records:
// the counts of the header, and the element records checked one by one
// against the numbering the model would give them, so that a refused file
// names the record, line and field at fault.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/RecordIO.h"
#include "model/ValueChecks.h"
#include "platform/KeyedCollection.h"
#include "platform/TextFile.h"

namespace model {

struct ElementCounts {
  int32_t count = 0;
  int32_t maxvID = 0;
};

// Count and MaxvID of a collection's header: a count that the rest of the
// file can hold, records of at least `recordBytes` (62 otherwise, before
// anything is made for them), and MaxvID within 0..count (6 otherwise).
inline ElementCounts ReadElementCounts(RecordReader& r, int64_t recordBytes, std::string_view items) {
  ElementCounts c;
  c.count = r.Long("Count");
  if (c.count < 0) r.Refuse(platform::kErrOverflow, "Count", std::to_string(c.count) + " is not a count");
  c.maxvID = r.Long("MaxvID");
  if (c.maxvID < 0 || c.maxvID > c.count)
    r.Refuse(platform::kErrOverflow, "MaxvID",
             "the number of " + std::string(items) + " in the analysis must lie between 0 and the " +
                 std::to_string(c.count) + " in the file, not " + std::to_string(c.maxvID));
  if (const int64_t room = r.RoomFor(recordBytes, c.count); c.count > room)
    r.Refuse(platform::kErrInputPastEnd, "Count",
             "the file says " + std::to_string(c.count) + " " + std::string(items) +
                 ", but the rest of it has room for at most " + std::to_string(room));
  return c;
}

// Reads `count` element records into `items` under the keys "1", "2", ...;
// an element joins only once its record is whole, its nodes exist and its
// numbering holds. `readOne(element, reader)` reads one record, `sizes(e)`
// names the sizes that decide its property ("thickness 0.5"). Returns how
// many elements have their property.
template <typename Element, typename ReadOne, typename Sizes>
int32_t ReadElementRecords(platform::TextFile& file, platform::KeyedCollection<Element>& items, int32_t count,
                           std::string_view record, std::string_view kind, ReadOne readOne, Sizes sizes) {
  const std::string numbered = std::string(kind) + "s with their property";
  int32_t defined = 0;
  for (int32_t i = 1; i <= count; ++i) {
    auto e = std::make_unique<Element>();
    InRecord(record, i, [&] {
      RecordReader r(file);
      readOne(*e, r);
      checks::CheckNumber(r, e->vID(), count, kind);
      const bool stored = e->PropertyDefined();
      e->UpdatePropertyDefined();
      checks::CheckPropertyFlag(r, stored, e->PropertyDefined(), sizes(*e), kind);
      checks::CheckNumbering(r, e->vID(), stored ? ++defined : 0, numbered, kind);
    });
    items.Add(std::move(e), std::to_string(i));
  }
  return defined;
}

}  // namespace model
