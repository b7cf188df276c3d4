#include "app/GlobalProjectHost.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "app/Globals.h"
#include "app/OptionsFile.h"
#include "app/ProgramPaths.h"
#include "app/frmMenu.h"
#include "model/Mesh.h"
#include "view/View.h"

namespace app {

model::Analysis& GlobalProjectHost::Analysis() { return globals::Analysis(); }
model::BeamShape& GlobalProjectHost::BeamShape() { return globals::BeamShape(); }
model::Mesh& GlobalProjectHost::Mesh() { return globals::Mesh(); }
model::Material& GlobalProjectHost::Material() { return globals::Material(); }

void GlobalProjectHost::RenewModelObjects() { globals::RenewModelObjects(); }

void GlobalProjectHost::Save_Option() {
  app::Save_Option(OptionsFilePath(), globals::Analysis(), globals::View());
}

void GlobalProjectHost::Read_Option() {
  app::Read_Option(OptionsFilePath(), globals::Analysis(), globals::View());
}

void GlobalProjectHost::RefreshView() { globals::View().Refresh(); }

void GlobalProjectHost::InitializeView() { globals::View().Initialization(globals::Mesh().Nodes()); }

void GlobalProjectHost::Update() {
  if (window_) window_->Update();
}

void GlobalProjectHost::updateToolBar() {
  if (window_) window_->updateToolBar();
}

void GlobalProjectHost::SetCaption(const std::string& caption) {
  if (window_) window_->SetCaption(caption);
}

void GlobalProjectHost::ShowNewModel() {
  if (window_) window_->ShowNewModel();
}

std::string GlobalProjectHost::ProjectFileName() const {
  return window_ ? window_->ProjectFileName() : std::string();
}

void GlobalProjectHost::SetProjectFileName(const std::string& name) {
  if (window_) window_->SetProjectFileName(name);
}

ModelChanges* GlobalProjectHost::Changes() { return window_ ? &window_->Changes() : nullptr; }

void GlobalProjectHost::WaitingForFile() {
  if (!window_) return;
  if (!busy_) window_->SetBusyPointer(true);
  busy_ = true;
  // Paints, timers and the window system's notices, but no keys, clicks or
  // close requests: those wait until Open is over.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void GlobalProjectHost::DoneWaitingForFile() {
  if (busy_) window_->SetBusyPointer(false);
  busy_ = false;
}

}  // namespace app
