#pragma once
// The mouse modes' state and arithmetic: the drag's press, corner and
// release points, the rubber box, the last depth pick, and the pure
// computations of pan, rotation, drag zoom and the bitmap box. The state lives
// on the main window (a child object of it); the arithmetic needs no window.
#include <QObject>

#include <array>
#include <functional>

class frmMenu;

namespace app {

// What a left drag has gathered, and the hooks of the modes whose windows
// belong elsewhere (the bitmap export and the node coordinate editor).
class MouseState : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;
  float StartX = 0, StartY = 0;
  float CornerX = 0, CornerY = 0;
  float EndX = 0, EndY = 0;
  std::array<int, 4> FocusRect{0, 0, 0, 0};  // left, top, right, bottom
  bool FocusRectDrawn = false;
  float PixelDepth = 0;
  int PickWinY = 0;
  double objx = 0, objy = 0, objz = 0;

  // Save_Bitmap(left, bottom, width, height) in window pixels, y down; none
  // installed: the bitmap box saves nothing.
  std::function<void(int, int, int, int)> saveBitmap;
  // Shows the node coordinate editor modally for the one selected node.
  std::function<void()> editNode;
};

// The window's mouse state, made on first use.
MouseState& MouseStateOf(frmMenu& window);

// A pointer coordinate to a whole pixel, ties to even.
int RoundPixel(double v);
// The OpenGL window row of a pointer y: viewport height - y + 1, ties to even.
int PointerRow(float y, int viewportHeight);
// The rubber box of press and corner points: left, top, right, bottom.
std::array<int, 4> FocusRectOf(float startX, float startY, float cornerX, float cornerY);

// Pan after a translate drag of (dx, dy) pixels over a W x H drawing area.
void TranslateView(double& viewX, double& viewY, float dx, float dy, double W, double H,
                   double sLimitX0, double sLimitX1, double sLimitY0, double sLimitY1,
                   double viewRX, double viewRY);
// Angles after a rotate drag: a drag across the whole area turns by 90 degrees.
void RotateView(double& viewRX, double& viewRY, float dx, float dy, double W, double H);
// Zoom after a drag zoom: a full-width drag adds 1; reducing stops below 0.05.
float DragZoom(float viewZoom, float dx, double W);

// The box a bitmap-box drag saves; `save` false when it has no area.
struct BitmapBox {
  bool save = false;
  int left = 0, bottom = 0, width = 0, height = 0;
};
BitmapBox BitmapBoxOf(float startX, float startY, float endX, float endY);

}  // namespace app
