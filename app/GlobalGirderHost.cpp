#include "app/GlobalGirderHost.h"

#include "app/GlobalProjectHost.h"
#include "app/Globals.h"
#include "app/Selection.h"
#include "app/frmMenu.h"

namespace app {

model::BeamShape& GlobalGirderHost::BeamShape() { return globals::BeamShape(); }
model::Material& GlobalGirderHost::Material() { return globals::Material(); }
model::Mesh& GlobalGirderHost::Mesh() { return globals::Mesh(); }

bool GlobalGirderHost::SaveChangesFirst() {
  if (!window_) return true;
  GlobalProjectHost host(window_);
  return app::SaveChangesFirst(host, window_->cdlFile);
}

void GlobalGirderHost::New_Data() {
  // Without the window, so that the mesh generated next does not count as
  // saved; ShowGeneratedModel then shows it.
  GlobalProjectHost host(nullptr);
  app::New_Data(host);
}

void GlobalGirderHost::ClearSelectedItem() { globals::Selection().ClearSelectedItem(); }

void GlobalGirderHost::ShowGeneratedModel() {
  if (!window_) return;
  window_->updateToolBar();
  window_->ShowNewModel();
}

}  // namespace app
