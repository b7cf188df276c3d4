#pragma once
// The view options dialog: the display switches of the model drawing, the
// buckled shape's magnifications, hiding and shading, the marker sizes, the
// layer offset, the label font size and the zoom factor of the zoom-at-point
// modes. It shows View's values and writes them back on Apply; the font size
// and the zoom factor keep their limits, and the view is redrawn at once.
#include <QDialog>

#include <memory>

class frmMenu;

namespace Ui {
class frmOption;
}

class frmOption : public QDialog {
  Q_OBJECT

 public:
  // main: the window whose font and view Apply renews.
  explicit frmOption(frmMenu& main);
  ~frmOption() override;

  // Fills every box from View.
  void Display_Options();
  // Apply: stores the boxes into View in order and redraws. A box that is not
  // a number (or a font size beyond 16 bits) shows "Error: Input Data!" and
  // ends it; what was stored before that box stays stored. False then.
  bool cmdApply_Click();

  Ui::frmOption& form() { return *ui_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  frmMenu& main_;
  std::unique_ptr<Ui::frmOption> ui_;
};
