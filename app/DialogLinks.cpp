#include "app/DialogLinks.h"

#include "analysis/ui/frmEigen.h"
#include "app/frmMenu.h"
#include "dialogs/frmOption.h"

namespace app {

void LinkToWindow(frmOption& dialog, frmMenu& window) {
  QObject::connect(&dialog, &frmOption::fontSizeChanged, &window, &frmMenu::UpdateFont);
  QObject::connect(&dialog, &frmOption::optionsChanged, &window, &frmMenu::Paint);
}

void LinkToWindow(frmEigen& dialog, frmMenu& window) {
  QObject::connect(&dialog, &frmEigen::stressesStored, &window, &frmMenu::StressesStored);
  QObject::connect(&dialog, &frmEigen::resultStored, &window, &frmMenu::ResultStored);
  QObject::connect(&dialog, &frmEigen::runEnded, &window, &frmMenu::RunEnded);
}

}  // namespace app
