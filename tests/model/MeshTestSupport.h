#pragma once
// A grid of nodes with its elements, as the tests of every layer build their
// models on. Plain C++ without Qt or GoogleTest.
#include "model/Mesh.h"

namespace velk_test {

// An nx by ny grid of nodes on the quadrilateral with corners a, b, c and d,
// taken as Nodes::Generate takes them, with the grid's counts set, a
// stiffener on every grid edge and a plate on every cell, none with a
// property.
inline void GenerateGrid(model::Mesh& mesh, float ax, float ay, float bx, float by, float cx, float cy,
                         float dx, float dy, int nx, int ny) {
  model::Nodes& nodes = mesh.Nodes();
  nodes.Generate(ax, ay, bx, by, cx, cy, dx, dy, nx, ny);
  nodes.set_NumberNodesX(static_cast<short>(nx));
  nodes.set_NumberNodesY(static_cast<short>(ny));
  mesh.twoNodes().Generate(nodes);
  mesh.fourNodes().Generate(nodes);
}

}  // namespace velk_test
