#pragma once
// Width and thickness of the selected stiffener elements.
#include <memory>

#include "dialogs/PropertyDialog.h"

namespace model {
class Mesh;
}
namespace Ui {
class frmStiffener;
}

class frmStiffener : public dialogs::PropertyDialog {
  Q_OBJECT

 public:
  // mesh: the model of the items, renumbered after Apply.
  frmStiffener(dialogs::SelectedItems& items, model::Mesh& mesh, QWidget* parent = nullptr);
  ~frmStiffener() override;

  Ui::frmStiffener& form() { return *ui_; }

 protected:
  std::string RangeMessage(const std::vector<float>& v) const override;
  void FollowUp() override;

 private:
  model::Mesh& mesh_;
  std::unique_ptr<Ui::frmStiffener> ui_;
};
