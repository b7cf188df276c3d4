#include "app/MouseModes.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <exception>

#include "app/Globals.h"
#include "app/MouseOperations.h"
#include "app/Selection.h"
#include "app/frmMenu.h"
#include "model/Mesh.h"
#include "platform/MessageBox.h"
#include "platform/NumberText.h"
#include "view/View.h"

namespace app {
namespace {

namespace operation = view::operation;

constexpr int kLeft = 1, kRight = 2;
constexpr int kShift = 1;

// Reads the depth under the pointer and, when it lies on the model, the model
// point there into objx, objy. The viewport and matrices are those the last
// paint left.
bool DepthPick(frmMenu& window, MouseState& s, float x, float y) {
  view::View& v = globals::View();
  s.PickWinY = PointerRow(y, v.lastViewport[3]);
  s.PixelDepth = window.ReadPixelDepth(RoundPixel(x), s.PickWinY);
  if (s.PixelDepth >= 0.9f || s.PixelDepth <= 0.1f) return false;
  GLint viewport[4] = {v.lastViewport[0], v.lastViewport[1], v.lastViewport[2], v.lastViewport[3]};
  gluUnProject(x, s.PickWinY, s.PixelDepth, v.lastModelview, v.lastProjection, viewport, &s.objx,
               &s.objy, &s.objz);
  return true;
}

void EraseFocusRect(frmMenu& window, MouseState& s) {
  if (!s.FocusRectDrawn) return;
  window.DrawFocusRect(s.FocusRect[0], s.FocusRect[1], s.FocusRect[2], s.FocusRect[3]);
  s.FocusRectDrawn = false;
}

}  // namespace

void Form_MouseDown(frmMenu& window, int button, int, float x, float y) {
  try {
    MouseState& s = MouseStateOf(window);
    if (button == kLeft) {
      window.ButtonReleased = 0;
      window.MouseMoved = 0;
      EraseFocusRect(window, s);
      s.StartX = s.CornerX = x;
      s.StartY = s.CornerY = y;
    } else if (button == kRight) {
      window.ShowPopupMenu(x, y);
    }
  } catch (const std::exception&) {
    platform::MsgBox("Error..[Form_MouseDown]");
  }
}

void Form_MouseMove(frmMenu& window, int button, int, float x, float y) {
  try {
    MouseState& s = MouseStateOf(window);
    view::View& v = globals::View();
    const bool boxMode = v.ViewMode == operation::kSelect || v.ViewMode == operation::kBitmapBox;
    if (button == kLeft && window.ButtonReleased == 0 && boxMode) {
      window.MouseMoved = 1;
      s.CornerX = x;
      s.CornerY = y;
      EraseFocusRect(window, s);
      s.FocusRect = FocusRectOf(s.StartX, s.StartY, s.CornerX, s.CornerY);
      window.DrawFocusRect(s.FocusRect[0], s.FocusRect[1], s.FocusRect[2], s.FocusRect[3]);
      s.FocusRectDrawn = true;
    }

    if (v.ViewMode != operation::kSelect) {
      window.SetPanelText("x", "");
      window.SetPanelText("y", "");
    } else if (!DepthPick(window, s, x, y)) {
      window.SetPanelText("x", "");
      window.SetPanelText("y", "");
    } else {
      window.SetPanelText("x", "X: " + platform::FormatTwoDecimals(s.objx));
      window.SetPanelText("y", "Y: " + platform::FormatTwoDecimals(s.objy));
    }

    if (window.StressWindowShown() && v.lastStressPlot != view::stress_plot::kNone) {
      s.PickWinY = PointerRow(y, v.lastViewport[3]);
      ShowStressUnderPointer(window, x, y);
    }
  } catch (const std::exception&) {
    platform::MsgBox("Error..[Form_MouseMove]");
  }
}

void ShowStressUnderPointer(frmMenu& window, float x, float y) {
  view::View& v = globals::View();
  if (!window.StressWindowShown() || v.lastStressPlot == view::stress_plot::kNone) return;
  float blue = 0, red = 0;
  window.ReadPixelBlueRed(RoundPixel(x), PointerRow(y, v.lastViewport[3]), blue, red);
  v.ShowStressValue(blue, red);
}

void Form_MouseUp(frmMenu& window, int button, int shift, float x, float y) {
  if (button != kLeft) return;
  try {
    MouseState& s = MouseStateOf(window);
    view::View& v = globals::View();
    // The box leaves before anything else happens: the bitmap is read from
    // the frame, and the repaint below does not remove an overlay.
    EraseFocusRect(window, s);
    s.EndX = x;
    s.EndY = y;
    const float dx = s.EndX - s.StartX, dy = s.EndY - s.StartY;
    const double W = window.ScaleWidth(), H = window.ScaleHeight();
    switch (v.ViewMode) {
      case operation::kSelect: {
        Selection& selection = globals::Selection();
        const model::Mesh& mesh = globals::Mesh();
        const PickMatrices m = LastPaintMatrices(v);
        if (window.MouseMoved == 0) {
          if (shift == kShift)
            selection.AddItemOne(mesh, v.MeshMode, m, s.StartX, s.StartY);
          else
            selection.SelectItemOne(mesh, v.MeshMode, m, s.StartX, s.StartY);
        } else {
          if (shift == kShift)
            selection.AddItemBox(mesh, v.MeshMode, m, s.StartX, s.StartY, s.EndX, s.EndY);
          else
            selection.SelectItemBox(mesh, v.MeshMode, m, s.StartX, s.StartY, s.EndX, s.EndY);
        }
        break;
      }
      case operation::kTranslate:
        TranslateView(v.ViewX, v.ViewY, dx, dy, W, H, v.SLimitX0, v.SLimitX1, v.SLimitY0,
                      v.SLimitY1, v.ViewRX, v.ViewRY);
        break;
      case operation::kRotate:
        RotateView(v.ViewRX, v.ViewRY, dx, dy, W, H);
        break;
      case operation::kDragZoom:
        v.ViewZoom = DragZoom(v.ViewZoom, dx, W);
        break;
      case operation::kBitmapBox: {
        const BitmapBox box = BitmapBoxOf(s.StartX, s.StartY, s.EndX, s.EndY);
        if (box.save && s.saveBitmap) s.saveBitmap(box.left, box.bottom, box.width, box.height);
        break;
      }
      case operation::kZoomInAtPoint:
      case operation::kZoomOutAtPoint:
      case operation::kMoveToCentre:
        if (DepthPick(window, s, x, y)) {
          const float px = static_cast<float>(s.objx), py = static_cast<float>(s.objy);
          if (v.ViewMode == operation::kZoomInAtPoint)
            v.ZoomInOutCenter(px, py, 0);
          else if (v.ViewMode == operation::kZoomOutAtPoint)
            v.ZoomInOutCenter(px, py, 1);
          else
            v.Center(px, py);
        }
        break;
      default:
        break;
    }
    window.MouseMoved = 0;
    window.ButtonReleased = 1;
    window.Paint();
  } catch (const std::exception&) {
    platform::MsgBox("Error..[Form_MouseUp]");
  }
}

void Form_DblClick(frmMenu& window) {
  view::View& v = globals::View();
  const int32_t meshMode = v.MeshMode;
  try {
    MouseState& s = MouseStateOf(window);
    v.MeshMode = view::pick::kNode;
    Selection& selection = globals::Selection();
    selection.SelectItemOne(globals::Mesh(), v.MeshMode, LastPaintMatrices(v), s.CornerX, s.CornerY);
    if (selection.SelectedCounter() == 1 && s.editNode) s.editNode();
  } catch (const std::exception&) {
    platform::MsgBox("Error..[Form_DblClick]");
  }
  // Also after a failure: a node left in the list under another pick kind
  // would reach the dialogs of that kind.
  globals::Selection().ClearSelectedItem();
  v.MeshMode = meshMode;
}

}  // namespace app
