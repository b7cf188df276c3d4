#pragma once
// The frame that the five property dialogs share: filled from the first
// selected item when the dialog opens; Apply reads and checks every box, then
// writes the values by member name into every selected item, lets each item
// recompute whether its property is defined, runs the dialog's follow-up and
// closes. A refused value writes nothing.
#include <QDialog>
#include <string>
#include <vector>

#include "dialogs/SelectedItems.h"

class QLineEdit;

namespace dialogs {

// The box's text as a single-precision value; false when it is not a number
// or lies beyond single precision.
bool ReadSingle(const QLineEdit* box, float& value);

class PropertyDialog : public QDialog {
  Q_OBJECT

 public:
  // items: the selected items the dialog is filled from and writes to.
  explicit PropertyDialog(SelectedItems& items, QWidget* parent = nullptr);

  // Fills the boxes from the first selected item.
  virtual void Display_SelectedProperty();
  // Apply: true when the values were written and the dialog closed.
  virtual bool Apply();

 protected:
  struct Field {
    QLineEdit* box;
    std::string member;
  };
  // The dialog's boxes in table order; set by the subclass after setupUi.
  void SetFields(std::vector<Field> fields);
  // The message of a refused value set, or empty when they pass.
  virtual std::string RangeMessage(const std::vector<float>& values) const;
  // What runs after every item was written.
  virtual void FollowUp();

  // True when every selected item has all of the members; shows "Error..."
  // otherwise.
  bool SelectedItemsHave(const std::vector<std::string>& members) const;

  void showEvent(QShowEvent* event) override;

  SelectedItems& items_;
  std::vector<Field> fields_;

 private:
  bool filled_ = false;
};

}  // namespace dialogs
