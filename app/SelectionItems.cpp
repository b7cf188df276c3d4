#include "app/SelectionItems.h"

namespace app {

int32_t SelectionItems::SelectedCounter() const { return selection_.SelectedCounter(); }

double SelectionItems::GetMember(long index, std::string_view name) const {
  return app::GetMember(selection_.Item(index), name);
}

void SelectionItems::SetMember(long index, std::string_view name, double value) {
  app::SetMember(selection_.Item(index), name, value);
}

void SelectionItems::UpdatePropertyDefined(long index) {
  app::UpdatePropertyDefined(selection_.Item(index));
}

}  // namespace app
