#pragma once
// The project file commands' host in the program: the global model objects,
// the options file in the program's folder, and the main window's side when
// there is one. Without a window (the girder generator's New) the caption,
// the panels and the indicators stay as they are, and nothing counts as saved.
#include "app/ProjectFile.h"

class frmMenu;

namespace app {

class GlobalProjectHost : public ProjectFileHost {
 public:
  explicit GlobalProjectHost(frmMenu* window) : window_(window) {}

  model::Analysis& Analysis() override;
  model::BeamShape& BeamShape() override;
  model::Mesh& Mesh() override;
  model::Material& Material() override;
  void RenewModelObjects() override;
  void Save_Option() override;
  void Read_Option() override;
  void RefreshView() override;
  void InitializeView() override;
  void Update() override;
  void updateToolBar() override;
  void SetCaption(const std::string& caption) override;
  void ShowNewModel() override;
  std::string ProjectFileName() const override;
  void SetProjectFileName(const std::string& name) override;
  ModelChanges* Changes() override;
  // The window paints (the event loop runs without user input) under the
  // busy pointer.
  void WaitingForFile() override;
  void DoneWaitingForFile() override;

 private:
  frmMenu* window_;
  bool busy_ = false;  // the busy pointer is this host's
};

}  // namespace app
