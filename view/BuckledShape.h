#pragma once
// Arithmetic of the buckled shape's shaded pass that needs no OpenGL.
#include "view/GLHelpers.h"

namespace view {

// The direction of n at unit length, worked in double so that the normals of
// very large or very small models neither overflow nor vanish. A normal with
// no direction (zero or not finite) becomes +z, the plate field's own normal.
Point3 UnitNormal(const Point3& n);

}  // namespace view
