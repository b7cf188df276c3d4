#pragma once
// The body of the main window's paint handler: one whole frame of the 3D
// view, in its fixed order. Either the stress plot alone, or clip planes,
// axes, the model with its symbols and selection marks, the buckled shape
// and its shaded pass. The caller has made the view's context current and
// swaps the buffers afterwards.
#include <string>
#include <vector>

#include "view/View.h"

namespace model {
class Mesh;
}

namespace view {

struct FrameInputs {
  const model::Mesh& mesh;
  // The selection overlay; may be empty (nothing selected to draw).
  SelectionPainter drawSelected;
  // Whether the model holds a mode shape and stresses to plot: where the
  // chosen result is missing, the plain model is drawn in its place.
  bool hasModeShape = true;
  bool hasStresses = true;
};

struct FrameOutcome {
  // False when the frame failed as a whole ("Error..[Form_Paint]"): the
  // picture is not to be shown.
  bool drawn = true;
  // Messages the host shows after paint has returned (never from inside it).
  // A failing frame hands its messages out once; while frames keep failing
  // nothing more is handed out, until a frame draws cleanly again.
  std::vector<std::string> messages;
};

// Draws the frame and, when it is drawn, leaves the viewport and both
// matrices of the drawing in view.lastViewport, lastModelview,
// lastProjection, and the stress plot it shows in view.lastStressPlot.
// Never throws.
FrameOutcome DrawFrame(View& view, const FrameInputs& in);

// Draws text at the current raster position through the font lists 1000..1255.
void DrawLabel(const std::string& text);

}  // namespace view
