#include "dialogs/frmLoad.h"

#include <QPushButton>

#include "ui_frmLoad.h"

frmLoad::frmLoad(dialogs::SelectedItems& items, QWidget* parent)
    : PropertyDialog(items, parent), ui_(std::make_unique<Ui::frmLoad>()) {
  ui_->setupUi(this);
  SetFields({{ui_->txtLoadX, "XLoad"}, {ui_->txtLoadY, "YLoad"}});
  connect(ui_->cmdApply, &QPushButton::clicked, this, [this] { Apply(); });
  connect(ui_->cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

frmLoad::~frmLoad() = default;
