#pragma once
// Property > Set Property: the dialog of the current edit mode on the
// selected items (plate, stiffener, boundary, brace, load).
class QWidget;

namespace dialogs {

// Does nothing while nothing is selected or a run is under way. Otherwise
// shows, modally, the dialog of View.PropertyMode (1 plate, 2 stiffener,
// 3 boundary, 4 brace, 5 load) and returns once it closes.
void OpenPropertyDialog(QWidget* parent);

}  // namespace dialogs
