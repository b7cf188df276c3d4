#pragma once
// Boundary conditions of the selected nodes: five restraints, of which the x
// and y displacements can be prescribed to a value.
#include <array>
#include <memory>

#include "dialogs/PropertyDialog.h"

class QCheckBox;

namespace Ui {
class frmBoundary;
}

class frmBoundary : public dialogs::PropertyDialog {
  Q_OBJECT

 public:
  explicit frmBoundary(dialogs::SelectedItems& items, QWidget* parent = nullptr);
  ~frmBoundary() override;

  void Display_SelectedProperty() override;
  bool Apply() override;

  Ui::frmBoundary& form() { return *ui_; }
  // The indexed group Check1(0) to Check1(4).
  QCheckBox* Check1(int index) const { return check1_.at(static_cast<std::size_t>(index)); }

 private:
  std::unique_ptr<Ui::frmBoundary> ui_;
  std::array<QCheckBox*, 5> check1_{};
};
