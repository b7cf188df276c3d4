#pragma once
// Builds the main window's menu bar, pop-up menu and toolbar and connects
// their commands.
class frmMenu;

namespace app {

void InstallCommands(frmMenu& window);

}  // namespace app
