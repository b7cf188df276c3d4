#include "dialogs/frmBoundary.h"

#include <QCheckBox>
#include <QPushButton>

#include <cmath>
#include <exception>

#include "app/Globals.h"
#include "dialogs/DialogText.h"
#include "platform/MessageBox.h"
#include "ui_frmBoundary.h"

namespace {
const char* const kFlags[5] = {"XTDir", "YTDir", "ZTDir", "XRDir", "YRDir"};
}

frmBoundary::frmBoundary(QWidget* parent)
    : PropertyDialog(parent), ui_(std::make_unique<Ui::frmBoundary>()) {
  ui_->setupUi(this);
  check1_ = {ui_->Check1_0, ui_->Check1_1, ui_->Check1_2, ui_->Check1_3, ui_->Check1_4};
  dialogs::SelectAllOnFocus(ui_->txtX);
  dialogs::SelectAllOnFocus(ui_->txtY);
  connect(ui_->Command1, &QPushButton::clicked, this, [this] { Apply(); });
  connect(ui_->Command2, &QPushButton::clicked, this, &QDialog::reject);
}

frmBoundary::~frmBoundary() = default;

void frmBoundary::Display_SelectedProperty() {
  try {
    app::Selection& selection = globals::Selection();
    if (selection.SelectedCounter() == 0) return;
    const app::SelectedItemRef first = selection.Item(1);
    for (int k = 0; k < 5; ++k)
      Check1(k)->setChecked(std::fabs(dialogs::GetMember(first, kFlags[k])) != 0.0);
    ui_->txtX->setText(Check1(0)->isChecked()
                           ? dialogs::FormatSingleQ(
                                 static_cast<float>(dialogs::GetMember(first, "XTDirValue")))
                           : QString("0.0"));
    ui_->txtY->setText(Check1(1)->isChecked()
                           ? dialogs::FormatSingleQ(
                                 static_cast<float>(dialogs::GetMember(first, "YTDirValue")))
                           : QString("0.0"));
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
    app::Selection& selection = globals::Selection();
    const long n = selection.SelectedCounter();
    for (long i = 1; i <= n; ++i) {
      const app::SelectedItemRef item = selection.Item(i);
      for (int k = 0; k < 5; ++k) dialogs::SetMember(item, kFlags[k], Check1(k)->isChecked() ? 1 : 0);
      if (prescribeX) dialogs::SetMember(item, "XTDirValue", x);
      if (prescribeY) dialogs::SetMember(item, "YTDirValue", y);
      dialogs::UpdatePropertyDefined(item);
    }
  } catch (const std::exception&) {
    platform::MsgBox("Error...");
    return false;
  }
  accept();
  return true;
}
