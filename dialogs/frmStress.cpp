#include "dialogs/frmStress.h"

#include <QCloseEvent>
#include <QPalette>
#include <QPushButton>

#include <cmath>
#include <string>

#include "analysis/PrintLineWriter.h"
#include "platform/MessageBox.h"
#include "platform/NumberText.h"
#include "ui_frmStress.h"
#include "view/View.h"

namespace {

// "Scientific"; a value that is no number (a failed run) is named, not shown
// as a failure from inside the paint that reports it.
QString Scientific(float value) {
  if (!std::isfinite(value)) return QString::fromStdString(platform::NotFiniteText(value));
  return QString::fromStdString(analysis::FormatMask(value, "Scientific"));
}

}  // namespace

frmStress::frmStress(view::View& view, QWidget* parent)
    : QDialog(parent), view_(view), ui_(std::make_unique<Ui::frmStress>()) {
  ui_->setupUi(this);
  setObjectName("frmStress");
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  QPalette orange = ui_->lblMax->palette();
  orange.setColor(QPalette::Window, QColor(255, 224, 192));
  ui_->lblMax->setPalette(orange);
  ui_->lblMin->setPalette(orange);
  connect(ui_->OKButton, &QPushButton::clicked, this, [this] { OKButton_Click(); });
  connect(ui_->CancelButton, &QPushButton::clicked, this, [this] { close(); });

  // Form_Load: the option of the current plot, or none; the labels start empty.
  switch (view_.OptionShowStress) {
    case view::stress_plot::kSx: ui_->optSx->setChecked(true); break;
    case view::stress_plot::kSy: ui_->optSy->setChecked(true); break;
    case view::stress_plot::kSxy: ui_->optSxy->setChecked(true); break;
    case view::stress_plot::kMises: ui_->optMises->setChecked(true); break;
    default: break;
  }
}

frmStress::~frmStress() = default;

void frmStress::ShowMaxMin(float maxS, float minS) {
  ui_->lblMax->setText(Scientific(maxS));
  ui_->lblMin->setText(Scientific(minS));
}

void frmStress::ShowStress(float stressValue) { ui_->lblStress->setText(Scientific(stressValue)); }

void frmStress::ClearMaxMin() {
  ui_->lblMax->clear();
  ui_->lblMin->clear();
}

void frmStress::ClearStress() { ui_->lblStress->clear(); }

void frmStress::OKButton_Click() {
  try {
    int option = view::stress_plot::kNone;
    if (ui_->optSx->isChecked()) {
      option = view::stress_plot::kSx;
    } else if (ui_->optSy->isChecked()) {
      option = view::stress_plot::kSy;
    } else if (ui_->optSxy->isChecked()) {
      option = view::stress_plot::kSxy;
    } else if (ui_->optMises->isChecked()) {
      option = view::stress_plot::kMises;
    }
    view_.OptionShowStress = option;
    view_.Refresh();
  } catch (...) {
    platform::MsgBox("Error...");
  }
}

void frmStress::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  try {
    view_.OptionShowStress = view::stress_plot::kNone;
    emit unloaded();
    view_.Refresh();
  } catch (...) {
    platform::MsgBox("Error...");
  }
}

void frmStress::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

void frmStress::reject() { close(); }
