#include "dialogs/frmOption.h"

#include <QShowEvent>

#include <array>
#include <exception>

#include "model/ValueChecks.h"
#include "platform/MessageBox.h"
#include "platform/NumberText.h"
#include "platform/RuntimeError.h"
#include "platform/qt/TextBoxes.h"
#include "ui_frmOption.h"
#include "view/View.h"

namespace {

using view::View;

struct CheckField {
  QCheckBox* box;
  bool View::*option;
};

struct SingleField {
  QLineEdit* box;
  float View::*option;
};

// The check boxes in the order of the fill and of Apply.
std::array<CheckField, 14> CheckFields(Ui::frmOption& ui) {
  return {{{ui.chkCoordinate, &View::OptionShowCoordinate},
           {ui.chkShowNodeNumber, &View::OptionShowNodeNumber},
           {ui.chkShowStiffenerNumber, &View::OptionShowStiffenerNumber},
           {ui.chkShowPlateNumber, &View::OptionShowPlateNumber},
           {ui.chkPlate, &View::OptionShowPlate},
           {ui.chkStiffener, &View::OptionShowStiffener},
           {ui.chkBoundary, &View::OptionShowBoundary},
           {ui.chkBoundaryValue, &View::OptionShowBoundaryValue},
           {ui.chkLoad, &View::OptionShowLoad},
           {ui.chkLoadValue, &View::OptionShowLoadValue},
           {ui.chkBrace, &View::OptionShowBrace},
           {ui.chkBraceValue, &View::OptionShowBraceValue},
           {ui.chkHideModelBuckle, &View::OptionHideModelWhenBuckle},
           {ui.chkShade, &View::OptionShading}}};
}

// The number boxes without limits, in the order of the fill and of Apply.
std::array<SingleField, 5> SingleFields(Ui::frmOption& ui) {
  return {{{ui.txtInpMag, &View::OptionInpMagFactor},
           {ui.txtOutpMag, &View::OptionOutpMagFactor},
           {ui.txtSelectedMarker, &View::OptionSelectedMarker_Size},
           {ui.txtPropertyMarker, &View::OptionPropertyMarker_Size},
           {ui.txtLayerOffset, &View::OptionLayerOffset_Distance}}};
}

double NumberOf(const QLineEdit* box) {
  double v = 0;
  if (!platform::ParseDouble(platform::qt::ToStd(box->text()), v))
    platform::Raise(platform::kErrTypeMismatch);
  return v;
}

// A box's number as a Single; 13 when it is not a number, 6 when it does
// not fit.
float SingleOf(const QLineEdit* box) { return model::checks::NearestSingle(NumberOf(box)); }

// A box's number as a 16-bit whole number, rounded half to even; 6 when it
// does not fit.
short IntegerOf(const QLineEdit* box) { return model::checks::ToInteger(NumberOf(box)); }

QString IntegerText(short value) { return platform::qt::ToQ(platform::FormatInteger(value)); }

}  // namespace

frmOption::frmOption(view::View& view, QWidget* parent)
    : QDialog(parent), view_(view), ui_(std::make_unique<Ui::frmOption>()) {
  ui_->setupUi(this);
  ui_->SSTab1->setCurrentIndex(0);
  for (QWidget* box : {ui_->txtInpMag, ui_->txtOutpMag, ui_->txtSelectedMarker,
                       ui_->txtPropertyMarker, ui_->txtLayerOffset, ui_->txtZoomFactor})
    platform::qt::SelectAllOnFocus(box);
  platform::qt::FocusFirstBoxOfPage(ui_->SSTab1);
  connect(ui_->cmdApply, &QPushButton::clicked, this, [this] { cmdApply_Click(); });
  connect(ui_->cmdClose, &QPushButton::clicked, this, &QDialog::accept);
}

frmOption::~frmOption() = default;

void frmOption::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Filled as the dialog comes up, not at every activation: a message box
  // closing over it must leave the texts as the user typed them.
  if (!event->spontaneous()) Display_Options();
}

void frmOption::Display_Options() {
  try {
    const View& v = view_;
    for (const CheckField& f : CheckFields(*ui_)) f.box->setChecked(v.*f.option);
    for (const SingleField& f : SingleFields(*ui_))
      f.box->setText(platform::qt::FormatSingleQ(v.*f.option));
    ui_->txtFontSize->setText(IntegerText(v.OptionFontSize));
    ui_->txtZoomFactor->setText(platform::qt::FormatSingleQ(v.OptionZoomCenterFactor));
  } catch (const std::exception&) {
    platform::MsgBox("Error: Input Data!");
  }
}

bool frmOption::cmdApply_Click() {
  try {
    View& v = view_;
    for (const CheckField& f : CheckFields(*ui_)) v.*f.option = f.box->checkState() == Qt::Checked;
    for (const SingleField& f : SingleFields(*ui_)) v.*f.option = SingleOf(f.box);

    const short fontSize = IntegerOf(ui_->txtFontSize);
    if (fontSize > 5 && fontSize < 20) {
      v.OptionFontSize = fontSize;
      emit fontSizeChanged(v.OptionFontSize);
    } else {
      ui_->txtFontSize->setText(IntegerText(v.OptionFontSize));
    }

    const float zoomFactor = SingleOf(ui_->txtZoomFactor);
    if (zoomFactor >= 1 && zoomFactor <= 10) {
      v.OptionZoomCenterFactor = zoomFactor;
    } else {
      ui_->txtZoomFactor->setText(platform::qt::FormatSingleQ(v.OptionZoomCenterFactor));
    }

    emit optionsChanged();
    return true;
  } catch (const std::exception&) {
    platform::MsgBox("Error: Input Data!");
    return false;
  }
}
