#include "dialogs/PropertyDialog.h"

#include <QLineEdit>
#include <QShowEvent>

#include <cfloat>
#include <cmath>
#include <exception>

#include "app/Globals.h"
#include "dialogs/DialogText.h"
#include "model/Nodeb.h"
#include "model/fourNode.h"
#include "model/twoNode.h"
#include "platform/MessageBox.h"
#include "platform/NumberText.h"
#include "platform/RuntimeError.h"

namespace dialogs {
namespace {
constexpr int kErrObjectNotSet = 91;
}

double GetMember(const app::SelectedItemRef& item, const std::string& name) {
  if (auto* n = app::AsNode(item)) return n->GetByName(name);
  if (auto* s = app::AsStiffener(item)) return s->GetByName(name);
  if (auto* p = app::AsPlate(item)) return p->GetByName(name);
  platform::Raise(kErrObjectNotSet);
}

void SetMember(const app::SelectedItemRef& item, const std::string& name, double value) {
  if (auto* n = app::AsNode(item)) return n->SetByName(name, value);
  if (auto* s = app::AsStiffener(item)) return s->SetByName(name, value);
  if (auto* p = app::AsPlate(item)) return p->SetByName(name, value);
  platform::Raise(kErrObjectNotSet);
}

void UpdatePropertyDefined(const app::SelectedItemRef& item) {
  if (auto* n = app::AsNode(item)) return n->UpdatePropertyDefined();
  if (auto* s = app::AsStiffener(item)) return s->UpdatePropertyDefined();
  if (auto* p = app::AsPlate(item)) return p->UpdatePropertyDefined();
  platform::Raise(kErrObjectNotSet);
}

bool ReadSingle(const QLineEdit* box, float& value) {
  double v = 0;
  if (!platform::ParseDouble(ToStd(box->text()), v) || std::fabs(v) > FLT_MAX) return false;
  value = static_cast<float>(v);
  return true;
}

PropertyDialog::PropertyDialog(QWidget* parent) : QDialog(parent) {}

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
    app::Selection& selection = globals::Selection();
    if (selection.SelectedCounter() == 0) return;
    const app::SelectedItemRef first = selection.Item(1);
    for (const Field& f : fields_)
      f.box->setText(FormatSingleQ(static_cast<float>(GetMember(first, f.member))));
  } catch (const std::exception&) {
    platform::MsgBox("Error...");
  }
}

std::string PropertyDialog::RangeMessage(const std::vector<float>&) const { return {}; }

void PropertyDialog::FollowUp() {}

bool PropertyDialog::SelectedItemsHave(const std::vector<std::string>& members) const {
  try {
    app::Selection& selection = globals::Selection();
    for (long i = 1; i <= selection.SelectedCounter(); ++i)
      for (const std::string& m : members) GetMember(selection.Item(i), m);
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
    app::Selection& selection = globals::Selection();
    const long n = selection.SelectedCounter();
    for (long i = 1; i <= n; ++i) {
      const app::SelectedItemRef item = selection.Item(i);
      for (std::size_t k = 0; k < fields_.size(); ++k) SetMember(item, fields_[k].member, values[k]);
      UpdatePropertyDefined(item);
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
