#include "app/GlobalGirderHost.h"

#include "app/Globals.h"
#include "app/ProjectFile.h"
#include "app/Selection.h"
#include "app/frmMenu.h"

namespace app {

model::BeamShape& GlobalGirderHost::BeamShape() { return globals::BeamShape(); }
model::Material& GlobalGirderHost::Material() { return globals::Material(); }
model::Mesh& GlobalGirderHost::Mesh() { return globals::Mesh(); }

bool GlobalGirderHost::SaveChangesFirst() { return !window_ || app::SaveChangesFirst(*window_); }

void GlobalGirderHost::New_Data() { app::New_Data(); }

void GlobalGirderHost::ClearSelectedItem() { globals::Selection().ClearSelectedItem(); }

void GlobalGirderHost::ShowGeneratedModel() {
  if (!window_) return;
  window_->updateToolBar();
  window_->ShowNewModel();
}

}  // namespace app
