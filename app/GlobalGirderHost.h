#pragma once
// The girder generator's host in the program: the global model objects, and
// the main window's side when there is one (without it, as in tests of the
// dialog alone, nothing asks to save and no indicator changes).
#include "dialogs/GirderHost.h"

class frmMenu;

namespace app {

class GlobalGirderHost : public dialogs::GirderHost {
 public:
  explicit GlobalGirderHost(frmMenu* window) : window_(window) {}

  model::BeamShape& BeamShape() override;
  model::Material& Material() override;
  model::Mesh& Mesh() override;
  bool SaveChangesFirst() override;
  void New_Data() override;
  void ClearSelectedItem() override;
  void ShowGeneratedModel() override;

 private:
  frmMenu* window_;
};

}  // namespace app
