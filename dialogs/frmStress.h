#pragma once
// The stress plot window "Plot": chooses the stress component the 3D view
// plots (View.OptionShowStress) and shows the plot's largest and smallest
// values and the value under the pointer. Modeless; at most one exists, made
// by the Stress Plot command and destroyed when it closes. However it closes
// (Close, its close box, the Stress Plot or buckled-shape command, the main
// window's close), it ends the stress plot once: OptionShowStress 0, then
// `unloaded` (the menu entry is unticked), then the view repainted.
#include <QDialog>

#include <memory>

namespace view {
class View;
}
namespace Ui {
class frmStress;
}

class frmStress : public QDialog {
  Q_OBJECT

 public:
  // A new window on the view's stress plot (Form_Load).
  explicit frmStress(view::View& view, QWidget* parent = nullptr);
  ~frmStress() override;

  Ui::frmStress& form() { return *ui_; }

  // The read-outs, filled by the view through the main window, and emptied
  // when what they showed is no longer on the screen.
  void ShowMaxMin(float maxS, float minS);
  void ShowStress(float stressValue);
  void ClearMaxMin();
  void ClearStress();

  void OKButton_Click();  // "Apply"

 signals:
  // The window is going and the plot has ended; the view is repainted next.
  void unloaded();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;  // Esc closes like the close box

 private:
  void Form_Unload();

  view::View& view_;
  std::unique_ptr<Ui::frmStress> ui_;
  bool unloaded_ = false;
};
