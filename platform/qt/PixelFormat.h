#pragma once
// What the view expects of the window system's pixel format, on Qt: a
// double-buffered RGBA surface with a depth buffer and a legacy (fixed
// function) OpenGL context. A true-colour surface never needs a palette.
#include <QSurfaceFormat>

namespace platform::qt {

// Flags of a pixel format description, as the view's set-up tests them.
constexpr int PFD_DRAW_TO_WINDOW = 4;
constexpr int PFD_SUPPORT_OPENGL = 32;
constexpr int PFD_DOUBLEBUFFER = 1;
constexpr int PFD_NEED_PALETTE = 128;

struct PixelFormatDescriptor {
  int flags = 0;
  int colorBits = 0;
  int depthBits = 0;
};

// The format the view asks for: compatibility profile, double buffered, at
// least 16 depth bits, no multisampling.
QSurfaceFormat ViewSurfaceFormat();
// Makes it the application's default; call before the QApplication exists.
void InstallViewSurfaceFormat();

// A positive format number when a legacy context with the format can be made
// and made current, 0 when none can (it creates and drops a probe context).
int ChoosePixelFormat(const QSurfaceFormat& wanted);
// True when the current context accepts fixed-function calls.
bool CurrentContextIsLegacy();
// The description of a format that was obtained.
PixelFormatDescriptor DescribePixelFormat(const QSurfaceFormat& obtained);

}  // namespace platform::qt
