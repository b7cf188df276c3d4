#include "analysis/ui/frmAnalysisOption.h"

#include <QShowEvent>

#include <cfloat>
#include <cmath>
#include <exception>

#include "model/Analysis.h"
#include "platform/MessageBox.h"
#include "platform/NumberText.h"
#include "platform/qt/TextBoxes.h"
#include "ui_frmAnalysisOption.h"

bool RoundToInteger16(double value, short& result) {
  if (!std::isfinite(value)) return false;
  const double r = std::nearbyint(value);  // the default rounding: half to even
  if (r < -32768.0 || r > 32767.0) return false;
  result = static_cast<short>(r);
  return true;
}

frmAnalysisOption::frmAnalysisOption(model::Analysis& analysis, QWidget* parent)
    : QDialog(parent), analysis_(analysis), ui_(std::make_unique<Ui::frmAnalysisOption>()) {
  ui_->setupUi(this);
  ui_->SSTab1->setCurrentIndex(0);
  for (QWidget* box : {ui_->txtShift, ui_->txtCycle, ui_->txtFactor}) platform::qt::SelectAllOnFocus(box);
  platform::qt::FocusFirstBoxOfPage(ui_->SSTab1);
  connect(ui_->cmdApply, &QPushButton::clicked, this, [this] { cmdApply_Click(); });
  connect(ui_->cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

frmAnalysisOption::~frmAnalysisOption() = default;

void frmAnalysisOption::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Filled once, when the dialog opens, so a closing message box keeps what
  // the user typed.
  if (filled_) return;
  filled_ = true;
  Display_Analysis();
}

void frmAnalysisOption::Display_Analysis() {
  try {
    const model::Analysis& a = analysis_;
    ui_->txtShift->setText(QString::fromStdString(platform::FormatInteger(a.MaxShift)));
    ui_->txtCycle->setText(QString::fromStdString(platform::FormatInteger(a.MaxCycle)));
    ui_->txtFactor->setText(QString::fromStdString(platform::FormatShortest(a.ShiftFactor)));
    ui_->chktorsion->setChecked(a.IGSTF);
    ui_->chkshear->setChecked(a.ISHEAR);
    if (a.OptionInitialB == 0) {
      ui_->optOneThird->setChecked(true);
    } else if (a.OptionInitialB == 1) {
      ui_->optAll->setChecked(true);
    }
  } catch (const std::exception&) {
    platform::MsgBox("Error...");
  }
}

bool frmAnalysisOption::cmdApply_Click() {
  double shift = 0, cycle = 0, factor = 0;
  const bool numbers = platform::ParseDouble(ui_->txtShift->text().toStdString(), shift) &
                       platform::ParseDouble(ui_->txtCycle->text().toStdString(), cycle) &
                       platform::ParseDouble(ui_->txtFactor->text().toStdString(), factor);
  if (!numbers) {
    platform::MsgBox("Input Data Error : Numbers!");
    return false;
  }
  short maxShift = 0, maxCycle = 0;
  // Every value is checked before any is stored.
  if (!RoundToInteger16(shift, maxShift) || maxShift < 1 || !RoundToInteger16(cycle, maxCycle) ||
      maxCycle < 1 || std::fabs(factor) > FLT_MAX) {
    platform::MsgBox("Error...");
    return false;
  }
  try {
    model::Analysis& a = analysis_;
    a.MaxShift = maxShift;
    a.MaxCycle = maxCycle;
    a.ShiftFactor = static_cast<float>(factor);
    a.IGSTF = ui_->chktorsion->isChecked();
    a.ISHEAR = ui_->chkshear->isChecked();
    a.OptionInitialB = ui_->optOneThird->isChecked() ? 0 : 1;
  } catch (const std::exception&) {
    platform::MsgBox("Error...");
    return false;
  }
  accept();
  return true;
}
