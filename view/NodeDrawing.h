#pragma once
// A node's marks in the 3D view: its number, one support symbol per
// restrained degree of freedom, one spring per brace, one arrow per in-plane
// load, each optionally labelled, and the cross of a selected node. All
// marks lie relative to the plane z = 0; the node's zcoord is not used.
// Sizes come in model units, already divided by the zoom. The caller has
// loaded the view's model-view matrix; each routine restores the matrix.
#include <string>

namespace model {
class Nodeb;
}

namespace view {

class View;

// The selection cross at the node, in the current colour and line width.
void DrawSelected(const model::Nodeb& node, const View& view, float SelectedMarkerSize);
// The node number (vID), when NV and the node is numbered. MarkerSize unused.
void Draw(const model::Nodeb& node, float MarkerSize, bool NV);
void DrawBoundary(const model::Nodeb& node, const View& view, float MarkerSize, float LayerOffset,
                  bool BV);
void DrawBrace(const model::Nodeb& node, const View& view, float MarkerSize, float LayerOffset,
               bool BrV);
// LayerOffset unused: load arrows lie in the model plane.
void DrawLoad(const model::Nodeb& node, const View& view, float MarkerSize, float LayerOffset,
              bool LV);

// Label of a support or spring value: at least one digit before the point,
// two decimals always, a third only when it is not zero ("0.00", "1.50",
// "0.123", "-2.00").
std::string FormatSymbolValue(double value);
// Label of a load value: the shortest general number text ("0.5", "1E-05").
std::string FormatGeneralNumber(float value);

}  // namespace view
