#pragma once
// Width and thickness of the selected stiffener elements.
#include <memory>

#include "dialogs/PropertyDialog.h"

namespace Ui {
class frmStiffener;
}

class frmStiffener : public dialogs::PropertyDialog {
  Q_OBJECT

 public:
  explicit frmStiffener(QWidget* parent = nullptr);
  ~frmStiffener() override;

  Ui::frmStiffener& form() { return *ui_; }

 protected:
  std::string RangeMessage(const std::vector<float>& v) const override;
  void FollowUp() override;

 private:
  std::unique_ptr<Ui::frmStiffener> ui_;
};
