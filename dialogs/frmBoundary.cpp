#include "dialogs/frmBoundary.h"

#include <QCheckBox>
#include <QPushButton>

#include <cmath>
#include <exception>

#include "platform/MessageBox.h"
#include "platform/qt/TextBoxes.h"
#include "ui_frmBoundary.h"

namespace {
const char* const kFlags[5] = {"XTDir", "YTDir", "ZTDir", "XRDir", "YRDir"};
}

frmBoundary::frmBoundary(dialogs::SelectedItems& items, QWidget* parent)
    : PropertyDialog(items, parent), ui_(std::make_unique<Ui::frmBoundary>()) {
  ui_->setupUi(this);
  check1_ = {ui_->Check1_0, ui_->Check1_1, ui_->Check1_2, ui_->Check1_3, ui_->Check1_4};
  platform::qt::SelectAllOnFocus(ui_->txtX);
  platform::qt::SelectAllOnFocus(ui_->txtY);
  connect(ui_->Command1, &QPushButton::clicked, this, [this] { Apply(); });
  connect(ui_->Command2, &QPushButton::clicked, this, &QDialog::reject);
}

frmBoundary::~frmBoundary() = default;

void frmBoundary::Display_SelectedProperty() {
  try {
    if (items_.SelectedCounter() == 0) return;
    for (int k = 0; k < 5; ++k) Check1(k)->setChecked(std::fabs(items_.GetMember(1, kFlags[k])) != 0.0);
    auto value = [this](const char* member) {
      return platform::qt::FormatSingleQ(static_cast<float>(items_.GetMember(1, member)));
    };
    ui_->txtX->setText(Check1(0)->isChecked() ? value("XTDirValue") : QString("0.0"));
    ui_->txtY->setText(Check1(1)->isChecked() ? value("YTDirValue") : QString("0.0"));
  } catch (const std::exception&) {
    platform::MsgBox("Error...");
  }
}

bool frmBoundary::Apply() {
  const bool prescribeX = Check1(0)->isChecked(), prescribeY = Check1(1)->isChecked();
  float x = 0, y = 0;
  // Only a ticked row's value is read.
  if (prescribeX && !dialogs::ReadSingle(ui_->txtX, x)) {
    platform::MsgBox("Input Data Error : Numbers!");
    return false;
  }
  if (prescribeY && !dialogs::ReadSingle(ui_->txtY, y)) {
    platform::MsgBox("Input Data Error : Numbers!");
    return false;
  }
  std::vector<std::string> members(std::begin(kFlags), std::end(kFlags));
  members.push_back("XTDirValue");
  members.push_back("YTDirValue");
  if (!SelectedItemsHave(members)) return false;
  try {
    const long n = items_.SelectedCounter();
    for (long i = 1; i <= n; ++i) {
      for (int k = 0; k < 5; ++k) items_.SetMember(i, kFlags[k], Check1(k)->isChecked() ? 1 : 0);
      if (prescribeX) items_.SetMember(i, "XTDirValue", x);
      if (prescribeY) items_.SetMember(i, "YTDirValue", y);
      items_.UpdatePropertyDefined(i);
    }
  } catch (const std::exception&) {
    platform::MsgBox("Error...");
    return false;
  }
  accept();
  return true;
}
