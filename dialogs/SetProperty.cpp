#include "dialogs/SetProperty.h"

#include <memory>

#include "analysis/ui/RunGuard.h"
#include "app/Globals.h"
#include "app/Selection.h"
#include "dialogs/frmBoundary.h"
#include "dialogs/frmBrace.h"
#include "dialogs/frmLoad.h"
#include "dialogs/frmPlate.h"
#include "dialogs/frmStiffener.h"
#include "view/View.h"

namespace dialogs {

void OpenPropertyDialog(QWidget* parent) {
  if (analysis::ui::RunInProgress()) return;
  if (globals::Selection().SelectedCounter() == 0) return;
  std::unique_ptr<QDialog> dialog;
  switch (globals::View().PropertyMode) {
    case 1: dialog = std::make_unique<frmPlate>(parent); break;
    case 2: dialog = std::make_unique<frmStiffener>(parent); break;
    case 3: dialog = std::make_unique<frmBoundary>(parent); break;
    case 4: dialog = std::make_unique<frmBrace>(parent); break;
    case 5: dialog = std::make_unique<frmLoad>(parent); break;
    default: return;
  }
  dialog->exec();
}

}  // namespace dialogs
