#pragma once
// The stress plot window "Plot": chooses the stress component the 3D view
// plots (View.OptionShowStress) and shows the plot's largest and smallest
// values and the value under the pointer. Modeless; at most one exists, made
// by the Stress Plot command and destroyed when it closes. However it closes
// (Close, its close box, the Stress Plot or buckled-shape command, the main
// window's close), it ends the stress plot once: OptionShowStress 0, the
// menu entry unticked, the view repainted.
#include <QDialog>

#include <memory>

#include "app/frmMenu.h"

namespace Ui {
class frmStress;
}

class frmStress : public QDialog, public StressWindowLink {
  Q_OBJECT

 public:
  // A new window of `main`, registered as its stress window (Form_Load).
  explicit frmStress(frmMenu& main);
  ~frmStress() override;

  // Shows the window of `main`, making it when there is none.
  static frmStress& Open(frmMenu& main);

  Ui::frmStress& form() { return *ui_; }

  // --- StressWindowLink, called by the view through the main window.
  QWidget* Window() override { return this; }
  void ShowMaxMin(float maxS, float minS) override;
  void ShowStress(float stressValue) override;

  void OKButton_Click();  // "Apply"

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;  // Esc closes like the close box

 private:
  void Form_Unload();
  frmMenu* Main() const;

  std::unique_ptr<Ui::frmStress> ui_;
  bool unloaded_ = false;
};
