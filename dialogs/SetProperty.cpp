#include "dialogs/SetProperty.h"

#include <memory>

#include "analysis/ui/RunGuard.h"
#include "dialogs/frmBoundary.h"
#include "dialogs/frmBrace.h"
#include "dialogs/frmLoad.h"
#include "dialogs/frmPlate.h"
#include "dialogs/frmStiffener.h"

namespace dialogs {

void OpenPropertyDialog(int32_t propertyMode, SelectedItems& items, model::Mesh& mesh, QWidget* parent) {
  if (analysis::ui::RunInProgress()) return;
  if (items.SelectedCounter() == 0) return;
  std::unique_ptr<QDialog> dialog;
  switch (propertyMode) {
    case 1: dialog = std::make_unique<frmPlate>(items, mesh, parent); break;
    case 2: dialog = std::make_unique<frmStiffener>(items, mesh, parent); break;
    case 3: dialog = std::make_unique<frmBoundary>(items, parent); break;
    case 4: dialog = std::make_unique<frmBrace>(items, parent); break;
    case 5: dialog = std::make_unique<frmLoad>(items, parent); break;
    default: return;
  }
  dialog->exec();
}

}  // namespace dialogs
