#pragma once
// The modal dialogs that tell the main window of what they changed, linked to
// it as the commands open them.
class frmEigen;
class frmMenu;
class frmOption;

namespace app {

// A new font size rebuilds the window's font; applied options redraw it.
void LinkToWindow(frmOption& dialog, frmMenu& window);
// The result a run stores is the window's to show.
void LinkToWindow(frmEigen& dialog, frmMenu& window);

}  // namespace app
