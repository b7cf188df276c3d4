#pragma once
// The node moves of the Edit Geometry submenu, on the global model, selection
// and view. Each asks for its numbers in input boxes and takes no argument.
//
// Plain moves (edit modes 3 to 5 with a selection): every selected node by
// the distance asked for; any failure ends silently. Without a node to move
// they only recompute the element centres and redraw.
//
// Proportional moves and tapers (pick kind 1 only): a reference and a target
// node are named by number, and each selected node moves by the distance times
// its weights in x and y, which run from 0 at the reference to 1 at the
// target. Where the two share a coordinate, that weight is 1 for a
// proportional move and 0 for a taper. A failure shows the operation's
// message; a node number above the node count ends silently.
//
// Every move is checked whole before any node changes, and the element
// centres are recomputed after it.
namespace app {

void Edit_Mesh_Move_NodeX();
void Edit_Mesh_Move_NodeY();
void Edit_Mesh_PMove_NodeX();
void Edit_Mesh_PMove_NodeY();
void Edit_Mesh_Rotate_NodeX();
void Edit_Mesh_Rotate_NodeY();

}  // namespace app
