// The view's operations on the program's own model: what commands and
// windows call when they do not hand in a mesh of their own.
#include "app/Globals.h"
#include "app/Selection.h"
#include "model/Mesh.h"
#include "view/View.h"

namespace view {

void View::Draw_Model() {
  const app::Selection& selection = globals::Selection();
  Draw_Model(globals::Mesh(),
             [this, &selection](float size) { selection.DrawSelected(*this, size); });
}

void View::Set_Limits() { Set_Limits(globals::Mesh().Nodes()); }

void View::ScreenModeChange() { ScreenModeChange(globals::Mesh().Nodes()); }

void View::Initialization() { Initialization(globals::Mesh().Nodes()); }

}  // namespace view
