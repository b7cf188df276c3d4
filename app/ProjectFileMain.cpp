// The project file commands on the program's global objects and its main
// window.
#include "app/CommandSet.h"
#include "app/Globals.h"
#include "app/OptionsFile.h"
#include "app/ProjectFile.h"
#include "app/frmMenu.h"
#include "model/Mesh.h"
#include "view/View.h"

namespace app {
namespace {

class GlobalProjectHost : public ProjectFileHost {
 public:
  explicit GlobalProjectHost(frmMenu* window) : window_(window) {}

  model::Analysis& Analysis() override { return globals::Analysis(); }
  model::BeamShape& BeamShape() override { return globals::BeamShape(); }
  model::Mesh& Mesh() override { return globals::Mesh(); }
  model::Material& Material() override { return globals::Material(); }
  void RenewModelObjects() override { globals::RenewModelObjects(); }
  void Save_Option() override { app::Save_Option(); }
  void Read_Option() override { app::Read_Option(); }
  void RefreshView() override { globals::View().Refresh(); }
  void InitializeView() override { globals::View().Initialization(globals::Mesh().Nodes()); }
  void Update() override {
    if (window_) window_->Update();
  }
  void updateToolBar() override {
    if (window_) window_->updateToolBar();
  }
  void SetCaption(const std::string& caption) override {
    if (window_) window_->SetCaption(caption);
  }
  void ShowNewModel() override {
    if (window_) window_->ShowNewModel();
  }
  ModelChanges* Changes() override { return window_ ? &window_->Changes() : nullptr; }

 private:
  frmMenu* window_;
};

}  // namespace

void New_Data() {
  GlobalProjectHost host(nullptr);
  New_Data(host);
}

void New_Data(frmMenu& window) {
  GlobalProjectHost host(&window);
  New_Data(host);
}

bool Save_Data(frmMenu& window, platform::CommonDialog& cdlFile) {
  GlobalProjectHost host(&window);
  return Save_Data(host, cdlFile);
}

void Open_Data(frmMenu& window, platform::CommonDialog& cdlFile) {
  GlobalProjectHost host(&window);
  Open_Data(host, cdlFile);
}

bool SaveChangesFirst(frmMenu& window) {
  GlobalProjectHost host(&window);
  if (CommandSet* commands = CommandSet::Of(window)) return SaveChangesFirst(host, commands->cdlFile);
  platform::CommonDialog cdlFile;
  return SaveChangesFirst(host, cdlFile);
}

void MarkUnchanged(frmMenu& window) {
  GlobalProjectHost host(&window);
  MarkUnchanged(host);
}

}  // namespace app
