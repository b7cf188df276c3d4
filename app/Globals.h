#pragma once
// The program's six global objects, each created on first use, and nothing
// else global. Windows and commands reach them here; the model and the solver
// never do (they are handed what they need). A reference obtained here is
// valid until the next New, which replaces Analysis, Mesh, Material and
// Selection: never keep one across a command.
namespace model {
class Analysis;
class BeamShape;
class Mesh;
class Material;
}  // namespace model
namespace app {
class Selection;
}
namespace view {
class View;
}

namespace globals {

model::Analysis& Analysis();
model::BeamShape& BeamShape();
model::Mesh& Mesh();
model::Material& Material();
app::Selection& Selection();
view::View& View();

// New: fresh Analysis, Mesh, Material and Selection, in that order.
// BeamShape and View survive.
void RenewModelObjects();

// At close: releases all six in the order BeamShape, Mesh, Material,
// Selection, Analysis, View.
void ReleaseAll();

}  // namespace globals
