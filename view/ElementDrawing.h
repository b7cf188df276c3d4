#pragma once
// Plates and stiffeners in the model pass: a plate as its outline with a fill
// whose shade tells its thickness, a stiffener as an upright strip whose
// height is its width, each optionally numbered, and the cross of a selected
// element at its centre. The caller has loaded the view's model-view matrix.
#include <array>

#include "view/GLHelpers.h"

namespace model {
class fourNode;
class twoNode;
}  // namespace model

namespace view {

class View;

// The blue component of a plate's fill, 1 - 0.3 * Thickness / MaxThickness.
// A MaxThickness of 0 or less (or not a number) divides by nothing: a plate
// with a thickness above 0 then takes the full shade (0.7), one without
// stays white.
float PlateShade(float Thickness, float MaxThickness);

// The corners A, B, C, D of a stiffener's upright strip: its two nodes at
// heights -width/2 and +width/2. Raises 91 when a node is not set.
std::array<Point3, 4> StiffenerStrip(const model::twoNode& stiffener);

// Outline always; fill and (when NV, numbered and defined) number when PV.
// MaxThickness: the largest plate thickness of the mesh.
void Draw(const model::fourNode& plate, float MaxThickness, bool NV, bool PV);
// Outline, fill and (when NV and numbered) number of the strip; nothing for
// a stiffener without a property.
void Draw(const model::twoNode& stiffener, bool NV);

void DrawSelected(const model::fourNode& plate, const View& view, float SelectedMarkerSize);
void DrawSelected(const model::twoNode& stiffener, const View& view, float SelectedMarkerSize);

}  // namespace view
