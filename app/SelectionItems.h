#pragma once
// The selection as the dialogs that work on selected items see it.
#include "app/Selection.h"
#include "dialogs/SelectedItems.h"

namespace app {

class SelectionItems : public dialogs::SelectedItems {
 public:
  explicit SelectionItems(Selection& selection) : selection_(selection) {}

  int32_t SelectedCounter() const override;
  double GetMember(long index, std::string_view name) const override;
  void SetMember(long index, std::string_view name, double value) override;
  void UpdatePropertyDefined(long index) override;

 private:
  Selection& selection_;
};

}  // namespace app
