#pragma once
// The view's model-view matrix: about the centre of the view box, the three
// rotations (ViewRX degrees about y, then ViewRY about x, then ViewRZ about
// z), a scale and the pan. The model, the stress plot and the axis triad all
// turn by it, each with its own scale and pan, so it is written once here.
namespace view {

class View;

enum class ModelViewKind {
  // Zoom, and in the fit view its stretch (x 0.8, y 0.7 of the factors); pan.
  Model,
  // Zoom alone, as in the actual view: a stress plot is never stretched; pan.
  StressPlot,
  // Rotation alone: the triad keeps its place and size on the screen.
  AxisTriad,
};

// Replaces the model-view matrix (the top of its stack) by the view's;
// leaves the model-view matrix current. Needs a current context.
void LoadModelView(const View& view, ModelViewKind kind);

}  // namespace view
