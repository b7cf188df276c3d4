#pragma once
// Elastic brace (spring) stiffnesses of the selected nodes.
#include <memory>

#include "dialogs/PropertyDialog.h"

namespace Ui {
class frmBrace;
}

class frmBrace : public dialogs::PropertyDialog {
  Q_OBJECT

 public:
  explicit frmBrace(dialogs::SelectedItems& items, QWidget* parent = nullptr);
  ~frmBrace() override;

  Ui::frmBrace& form() { return *ui_; }

 protected:
  std::string RangeMessage(const std::vector<float>& v) const override;

 private:
  std::unique_ptr<Ui::frmBrace> ui_;
};
