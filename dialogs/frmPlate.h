#pragma once
// Plate thickness of the selected plate elements.
#include <memory>

#include "dialogs/PropertyDialog.h"

namespace model {
class Mesh;
}
namespace Ui {
class frmPlate;
}

class frmPlate : public dialogs::PropertyDialog {
  Q_OBJECT

 public:
  // mesh: the model of the items, renumbered after Apply.
  frmPlate(dialogs::SelectedItems& items, model::Mesh& mesh, QWidget* parent = nullptr);
  ~frmPlate() override;

  Ui::frmPlate& form() { return *ui_; }

 protected:
  std::string RangeMessage(const std::vector<float>& v) const override;
  void FollowUp() override;

 private:
  model::Mesh& mesh_;
  std::unique_ptr<Ui::frmPlate> ui_;
};
