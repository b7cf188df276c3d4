#include "app/Globals.h"

#include <memory>

#include "app/Selection.h"
#include "model/Analysis.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "view/View.h"

namespace globals {

namespace {

std::unique_ptr<model::Analysis> gAnalysis;
std::unique_ptr<model::BeamShape> gBeamShape;
std::unique_ptr<model::Mesh> gMesh;
std::unique_ptr<model::Material> gMaterial;
std::unique_ptr<app::Selection> gSelection;
std::unique_ptr<view::View> gView;

template <typename T>
T& OnFirstUse(std::unique_ptr<T>& slot) {
  if (!slot) slot = std::make_unique<T>();
  return *slot;
}

}  // namespace

model::Analysis& Analysis() { return OnFirstUse(gAnalysis); }
model::BeamShape& BeamShape() { return OnFirstUse(gBeamShape); }
model::Mesh& Mesh() { return OnFirstUse(gMesh); }
model::Material& Material() { return OnFirstUse(gMaterial); }
app::Selection& Selection() { return OnFirstUse(gSelection); }
view::View& View() { return OnFirstUse(gView); }

void RenewModelObjects() {
  // The selection refers into the mesh: it is replaced right after it, and
  // nothing reads it in between.
  gAnalysis = std::make_unique<model::Analysis>();
  gMesh = std::make_unique<model::Mesh>();
  gMaterial = std::make_unique<model::Material>();
  gSelection = std::make_unique<app::Selection>();
}

void ReleaseAll() {
  gBeamShape.reset();
  gMesh.reset();
  gMaterial.reset();
  gSelection.reset();
  gAnalysis.reset();
  gView.reset();
}

}  // namespace globals
