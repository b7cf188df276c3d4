#pragma once
// The main window's two modeless windows, the stress plot and the property
// listing: made when their command first shows them and known to the window
// while they are open. As one closes, its menu entry (and the listing's
// toolbar button) are released and the window forgets it.
class frmMenu;
class frmPropertyView;
class frmStress;

namespace app {

// Shows the window's stress plot window, making it when there is none.
frmStress& OpenStressWindow(frmMenu& window);
// Shows the window's property listing window, making it when there is none.
frmPropertyView& OpenPropertyView(frmMenu& window);

}  // namespace app
