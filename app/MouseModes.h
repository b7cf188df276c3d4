#pragma once
// The main window's mouse handlers. Positions are device pixels of the
// drawing area, x from the left, y downwards from the top. button: 1 left,
// 2 right, 4 middle (for a move, the sum of the buttons held); shift: the sum
// of 1 Shift, 2 Ctrl, 4 Alt.
class frmMenu;

namespace app {

void Form_MouseDown(frmMenu& window, int button, int shift, float x, float y);
void Form_MouseMove(frmMenu& window, int button, int shift, float x, float y);
void Form_MouseUp(frmMenu& window, int button, int shift, float x, float y);
// The second click of a double-click brings no press, only this.
void Form_DblClick(frmMenu& window);
// The stress under the pointer goes to the stress window, read back from the
// colour of the frame on the screen; nothing while that frame shows no
// stress plot, since the model's colours stand for no stress.
void ShowStressUnderPointer(frmMenu& window, float x, float y);

}  // namespace app
