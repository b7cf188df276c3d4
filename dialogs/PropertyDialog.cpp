#include "dialogs/PropertyDialog.h"

#include <QLineEdit>
#include <QShowEvent>

#include <cfloat>
#include <cmath>
#include <exception>

#include "platform/MessageBox.h"
#include "platform/NumberText.h"
#include "platform/qt/TextBoxes.h"

using platform::qt::FormatSingleQ;
using platform::qt::ToStd;
using platform::qt::SelectAllOnFocus;

namespace dialogs {

bool ReadSingle(const QLineEdit* box, float& value) {
  double v = 0;
  if (!platform::ParseDouble(ToStd(box->text()), v) || std::fabs(v) > FLT_MAX) return false;
  value = static_cast<float>(v);
  return true;
}

PropertyDialog::PropertyDialog(SelectedItems& items, QWidget* parent)
    : QDialog(parent), items_(items) {}

void PropertyDialog::SetFields(std::vector<Field> fields) {
  fields_ = std::move(fields);
  for (const Field& f : fields_) SelectAllOnFocus(f.box);
}

void PropertyDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Filled once, when the dialog opens: a message box closing re-activates
  // the dialog and must not wipe what the user typed.
  if (filled_) return;
  filled_ = true;
  Display_SelectedProperty();
}

void PropertyDialog::Display_SelectedProperty() {
  try {
    if (items_.SelectedCounter() == 0) return;
    for (const Field& f : fields_)
      f.box->setText(FormatSingleQ(static_cast<float>(items_.GetMember(1, f.member))));
  } catch (const std::exception&) {
    platform::MsgBox("Error...");
  }
}

std::string PropertyDialog::RangeMessage(const std::vector<float>&) const { return {}; }

void PropertyDialog::FollowUp() {}

bool PropertyDialog::SelectedItemsHave(const std::vector<std::string>& members) const {
  try {
    for (long i = 1; i <= items_.SelectedCounter(); ++i)
      for (const std::string& m : members) items_.GetMember(i, m);
    return true;
  } catch (const std::exception&) {
    platform::MsgBox("Error...");
    return false;
  }
}

bool PropertyDialog::Apply() {
  std::vector<float> values;
  bool numbers = true;
  for (const Field& f : fields_) {
    float v = 0;
    numbers = ReadSingle(f.box, v) && numbers;
    values.push_back(v);
  }
  if (!numbers) {
    platform::MsgBox("Input Data Error : Numbers!");
    return false;
  }
  const std::string refused = RangeMessage(values);
  if (!refused.empty()) {
    platform::MsgBox(refused);
    return false;
  }
  std::vector<std::string> members;
  for (const Field& f : fields_) members.push_back(f.member);
  // Every item is checked before the first is written, so a failure leaves
  // all of them as they were.
  if (!SelectedItemsHave(members)) return false;
  try {
    const long n = items_.SelectedCounter();
    for (long i = 1; i <= n; ++i) {
      for (std::size_t k = 0; k < fields_.size(); ++k) items_.SetMember(i, fields_[k].member, values[k]);
      items_.UpdatePropertyDefined(i);
    }
    FollowUp();
  } catch (const std::exception&) {
    platform::MsgBox("Error...");
    return false;
  }
  accept();
  return true;
}

}  // namespace dialogs
