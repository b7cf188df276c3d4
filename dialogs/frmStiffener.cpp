#include "dialogs/frmStiffener.h"

#include <QPushButton>

#include "model/Mesh.h"
#include "ui_frmStiffener.h"

frmStiffener::frmStiffener(dialogs::SelectedItems& items, model::Mesh& mesh, QWidget* parent)
    : PropertyDialog(items, parent), mesh_(mesh), ui_(std::make_unique<Ui::frmStiffener>()) {
  ui_->setupUi(this);
  SetFields({{ui_->txtWidth, "width"}, {ui_->txtthick, "Thickness"}});
  connect(ui_->cmdApply, &QPushButton::clicked, this, [this] { Apply(); });
  connect(ui_->cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

frmStiffener::~frmStiffener() = default;

std::string frmStiffener::RangeMessage(const std::vector<float>& v) const {
  if (v[0] < 1E-5f) return "Input Error!";
  if (v[1] < 1E-5f) return "Input Error!";
  return {};
}

void frmStiffener::FollowUp() {
  mesh_.GeneratevID();
}
