#pragma once
// Property > Set Property: the dialog of the current edit mode on the
// selected items (plate, stiffener, boundary, brace, load).
#include <cstdint>

class QWidget;

namespace model {
class Mesh;
}

namespace dialogs {

class SelectedItems;

// Does nothing while nothing is selected. Otherwise
// shows, modally, the dialog of the edit mode propertyMode (1 plate,
// 2 stiffener, 3 boundary, 4 brace, 5 load) on the selected items of `mesh`
// and returns once it closes.
void OpenPropertyDialog(int32_t propertyMode, SelectedItems& items, model::Mesh& mesh, QWidget* parent);

}  // namespace dialogs
