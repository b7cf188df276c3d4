#pragma once
// The elements' part of a stress colour plot: each defined plate smoothly
// shaded from its corner nodes' stresses, each defined stiffener strip in one
// colour, all with black outlines. White is zero, red positive, blue
// negative, at full strength at StressMax.
namespace model {
class fourNode;
class twoNode;
}  // namespace model

namespace view {

struct StressColour {
  float r, g, b;
};
// The colour that stands for stress s on a plot whose scale is M (> 0).
StressColour StressToColour(float s, float M);
// The scale of a plot from its extremes: the larger magnitude, floored to
// 1E-16 when below 1E-40.
float StressScale(float largest, float smallest);
// The stress that a pixel's blue and red stand for on a plot of scale
// maxStress; false for a pixel whose blue equals its red (no value).
bool StressFromColour(float CB, float CR, double maxStress, float& value);

void DrawStressSX(const model::fourNode& plate, float StressMax);
void DrawStressSY(const model::fourNode& plate, float StressMax);
void DrawStressSXY(const model::fourNode& plate, float StressMax);
void DrawStressMises(const model::fourNode& plate, float StressMax);
void DrawStress(const model::twoNode& stiffener, float StressMax);

}  // namespace view
