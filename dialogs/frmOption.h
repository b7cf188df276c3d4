#pragma once
// The view options dialog: the display switches of the model drawing, the
// buckled shape's magnifications, hiding and shading, the marker sizes, the
// layer offset, the label font size and the zoom factor of the zoom-at-point
// modes. It shows View's values and writes them back on Apply; the font size
// and the zoom factor keep their limits. The window showing the view renews
// its font and redraws at once when told.
#include <QDialog>

#include <memory>

namespace view {
class View;
}
namespace Ui {
class frmOption;
}

class frmOption : public QDialog {
  Q_OBJECT

 public:
  // view: the display settings it edits.
  explicit frmOption(view::View& view, QWidget* parent = nullptr);
  ~frmOption() override;

  // Fills every box from View.
  void Display_Options();
  // Apply: stores the boxes into View in order and redraws. A box that is not
  // a number (or a font size beyond 16 bits) shows "Error: Input Data!" and
  // ends it; what was stored before that box stays stored. False then.
  bool cmdApply_Click();

  Ui::frmOption& form() { return *ui_; }

 signals:
  // Apply took a new label font size: the view's font is to be rebuilt.
  void fontSizeChanged(short size);
  // Apply stored the options: the view is to be redrawn now.
  void optionsChanged();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  view::View& view_;
  std::unique_ptr<Ui::frmOption> ui_;
};
