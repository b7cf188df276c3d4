#pragma once
// Plate thickness of the selected plate elements.
#include <memory>

#include "dialogs/PropertyDialog.h"

namespace Ui {
class frmPlate;
}

class frmPlate : public dialogs::PropertyDialog {
  Q_OBJECT

 public:
  explicit frmPlate(QWidget* parent = nullptr);
  ~frmPlate() override;

  Ui::frmPlate& form() { return *ui_; }

 protected:
  std::string RangeMessage(const std::vector<float>& v) const override;
  void FollowUp() override;

 private:
  std::unique_ptr<Ui::frmPlate> ui_;
};
