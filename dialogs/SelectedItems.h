#pragma once
// The items a property dialog or the coordinate editor works on: the user's
// selection, in the order picked. A dialog reaches the members of whatever
// item an entry holds by name, as it writes them.
#include <cstdint>
#include <string_view>

namespace dialogs {

class SelectedItems {
 public:
  virtual ~SelectedItems() = default;

  virtual int32_t SelectedCounter() const = 0;
  // Members of the entry at a position from 1 (any case). Position 1 of an
  // empty selection is an empty entry, which raises 91; a position beyond the
  // list raises 9, and a member the item lacks 438.
  virtual double GetMember(long index, std::string_view name) const = 0;
  virtual void SetMember(long index, std::string_view name, double value) = 0;
  // The item recomputes whether its property is defined.
  virtual void UpdatePropertyDefined(long index) = 0;
};

}  // namespace dialogs
