#pragma once
// The modal dialogs that tell the main window of what they changed, linked to
// it as the commands open them.
class frmEigen;
class frmMenu;
class frmOption;

namespace app {

// A new font size rebuilds the window's font; applied options redraw it.
void LinkToWindow(frmOption& dialog, frmMenu& window);
// The eigenvalue a run finds goes to the window's panel "eigenvalue".
void LinkToWindow(frmEigen& dialog, frmMenu& window);

}  // namespace app
