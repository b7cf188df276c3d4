#include "dialogs/frmPlate.h"

#include <QPushButton>

#include "model/Mesh.h"
#include "ui_frmPlate.h"

frmPlate::frmPlate(dialogs::SelectedItems& items, model::Mesh& mesh, QWidget* parent)
    : PropertyDialog(items, parent), mesh_(mesh), ui_(std::make_unique<Ui::frmPlate>()) {
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
  mesh_.fourNodes().UpdateMaxThickness();
  mesh_.GeneratevID();
}
