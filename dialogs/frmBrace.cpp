#include "dialogs/frmBrace.h"

#include <QPushButton>

#include "ui_frmBrace.h"

frmBrace::frmBrace(dialogs::SelectedItems& items, QWidget* parent)
    : PropertyDialog(items, parent), ui_(std::make_unique<Ui::frmBrace>()) {
  ui_->setupUi(this);
  SetFields({{ui_->txtX, "xtstiff"}, {ui_->txtY, "YTStiff"}, {ui_->txtZ, "ZTStiff"}, {ui_->txtXR, "XRStiff"}, {ui_->txtYR, "YRStiff"}});
  connect(ui_->Command1, &QPushButton::clicked, this, [this] { Apply(); });
  connect(ui_->Command2, &QPushButton::clicked, this, &QDialog::reject);
}

frmBrace::~frmBrace() = default;

std::string frmBrace::RangeMessage(const std::vector<float>& v) const {
  for (float s : v)
    if (s < -1E-5f) return "Input Data Error : Positive Numbers!";
  return {};
}
