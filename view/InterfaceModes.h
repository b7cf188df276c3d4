#pragma once
// The values of the interface state's integer variables on View. The
// variables stay plain integers: the options file stores some of them as
// numbers, and these values are what it holds.
#include <cstdint>

namespace view {

// View::ViewMode: what a left-button release in the view does.
namespace operation {
inline constexpr int32_t kSelect = 0;
inline constexpr int32_t kTranslate = 1;
inline constexpr int32_t kRotate = 2;
inline constexpr int32_t kDragZoom = 4;
inline constexpr int32_t kBitmapBox = 6;
inline constexpr int32_t kZoomInAtPoint = 7;
inline constexpr int32_t kZoomOutAtPoint = 8;
inline constexpr int32_t kMoveToCentre = 9;
}  // namespace operation

// View::PropertyMode: the property that Set Property, Copy, Paste and Delete
// work on.
namespace edit_mode {
inline constexpr int32_t kPlate = 1;
inline constexpr int32_t kStiffener = 2;
inline constexpr int32_t kBoundary = 3;
inline constexpr int32_t kBrace = 4;
inline constexpr int32_t kLoad = 5;
}  // namespace edit_mode

// View::MeshMode: the kind of item a pick takes.
namespace pick {
inline constexpr int32_t kNode = 1;
inline constexpr int32_t kStiffener = 2;
inline constexpr int32_t kPlate = 3;
}  // namespace pick

// View::OptionShowStress: the stress component plotted, or none.
namespace stress_plot {
inline constexpr int32_t kNone = 0;
inline constexpr int32_t kSx = 1;
inline constexpr int32_t kSy = 2;
inline constexpr int32_t kSxy = 3;
inline constexpr int32_t kMises = 4;
}  // namespace stress_plot

// View::ScreenMode: the model at its own proportions, or stretched to fill
// the window.
namespace screen {
inline constexpr int32_t kActualView = 0;
inline constexpr int32_t kFitView = 1;
}  // namespace screen

}  // namespace view
