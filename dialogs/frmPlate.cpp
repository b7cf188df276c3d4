#include "dialogs/frmPlate.h"

#include <QPushButton>

#include "app/Globals.h"
#include "model/Mesh.h"
#include "ui_frmPlate.h"

frmPlate::frmPlate(QWidget* parent) : PropertyDialog(parent), ui_(std::make_unique<Ui::frmPlate>()) {
  ui_->setupUi(this);
  SetFields({{ui_->txtthick, "Thickness"}});
  connect(ui_->cmdApply, &QPushButton::clicked, this, [this] { Apply(); });
  connect(ui_->cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

frmPlate::~frmPlate() = default;

std::string frmPlate::RangeMessage(const std::vector<float>& v) const {
  // Zero and tiny negative thicknesses pass: they take the plate out of the analysis.
  if (v[0] < -1E-5f) return "Input Error!";
  return {};
}

void frmPlate::FollowUp() {
  model::Mesh& mesh = globals::Mesh();
  mesh.fourNodes().UpdateMaxThickness();
  mesh.GeneratevID();
}
