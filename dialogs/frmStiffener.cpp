#include "dialogs/frmStiffener.h"

#include <QPushButton>

#include "app/Globals.h"
#include "model/Mesh.h"
#include "ui_frmStiffener.h"

frmStiffener::frmStiffener(QWidget* parent) : PropertyDialog(parent), ui_(std::make_unique<Ui::frmStiffener>()) {
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
  model::Mesh& mesh = globals::Mesh();
  mesh.GeneratevID();
}
