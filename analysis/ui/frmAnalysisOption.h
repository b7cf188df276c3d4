#pragma once
// The analysis option dialog: shifts and cycles of the eigenvalue iteration,
// the shift factor, the two stiffener switches and the initial buckled shape.
// Apply checks every value before it stores any.
#include <QDialog>
#include <memory>

namespace model {
class Analysis;
}
namespace Ui {
class frmAnalysisOption;
}

class frmAnalysisOption : public QDialog {
  Q_OBJECT

 public:
  // analysis: the solver options it edits.
  explicit frmAnalysisOption(model::Analysis& analysis, QWidget* parent = nullptr);
  ~frmAnalysisOption() override;

  void Display_Analysis();
  // Apply: true when the options were stored and the dialog closed.
  bool cmdApply_Click();

  Ui::frmAnalysisOption& form() { return *ui_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  model::Analysis& analysis_;
  std::unique_ptr<Ui::frmAnalysisOption> ui_;
  bool filled_ = false;
};

// A count box's number rounded to the nearest 16-bit whole number, halves to
// the even one; false when it is not a number or does not fit 16 bits.
bool RoundToInteger16(double value, short& result);
