#include "dialogs/SetProperty.h"

#include <memory>

#include "dialogs/frmBoundary.h"
#include "dialogs/frmBrace.h"
#include "dialogs/frmLoad.h"
#include "dialogs/frmPlate.h"
#include "dialogs/frmStiffener.h"
#include "view/InterfaceModes.h"

namespace dialogs {

void OpenPropertyDialog(int32_t propertyMode, SelectedItems& items, model::Mesh& mesh, QWidget* parent) {
  if (items.SelectedCounter() == 0) return;
  std::unique_ptr<QDialog> dialog;
  switch (propertyMode) {
    case view::edit_mode::kPlate: dialog = std::make_unique<frmPlate>(items, mesh, parent); break;
    case view::edit_mode::kStiffener: dialog = std::make_unique<frmStiffener>(items, mesh, parent); break;
    case view::edit_mode::kBoundary: dialog = std::make_unique<frmBoundary>(items, parent); break;
    case view::edit_mode::kBrace: dialog = std::make_unique<frmBrace>(items, parent); break;
    case view::edit_mode::kLoad: dialog = std::make_unique<frmLoad>(items, parent); break;
    default: return;
  }
  dialog->exec();
}

}  // namespace dialogs
