#pragma once
// In-plane point loads of the selected nodes.
#include <memory>

#include "dialogs/PropertyDialog.h"

namespace Ui {
class frmLoad;
}

class frmLoad : public dialogs::PropertyDialog {
  Q_OBJECT

 public:
  explicit frmLoad(dialogs::SelectedItems& items, QWidget* parent = nullptr);
  ~frmLoad() override;

  Ui::frmLoad& form() { return *ui_; }

 protected:

 private:
  std::unique_ptr<Ui::frmLoad> ui_;
};
