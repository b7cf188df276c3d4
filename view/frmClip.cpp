#include "view/frmClip.h"

#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>

#include <cmath>
#include <limits>

#include "ui_frmClip.h"
#include "view/View.h"

namespace view {

int32_t SliderPosition(double value) {
  constexpr double kLow = std::numeric_limits<int32_t>::min();
  constexpr double kHigh = std::numeric_limits<int32_t>::max();
  if (std::isnan(value)) return 0;
  const double r = std::nearbyint(value);  // the default rounding: half to even
  if (r <= kLow) return std::numeric_limits<int32_t>::min();
  if (r >= kHigh) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(r);
}

double ClipLimitOf(int32_t position, int32_t min, int32_t max, double boxLow, double boxHigh,
                   bool isStart) {
  if (isStart) {
    if (position <= min) return boxLow;
    if (position >= max) return boxHigh;
  } else {
    if (position >= max) return boxHigh;
    if (position <= min) return boxLow;
  }
  return position;
}

}  // namespace view

frmClip::frmClip(view::View& view, QWidget* parent)
    : QDialog(parent), view_(view), ui_(std::make_unique<Ui::frmClip>()) {
  ui_->setupUi(this);
  h_ = {ui_->sldHStart, ui_->sldHEnd, ui_->lblHS, ui_->lblHE, &HStartValue, &HEndValue};
  v_ = {ui_->sldVStart, ui_->sldVEnd, ui_->lblVS, ui_->lblVE, &VStartValue, &VEndValue};
  Form_Load();
  // Only the user's moves run these; the dialog places sliders with their
  // signals blocked.
  connect(ui_->sldHStart, &QSlider::valueChanged, this, [this] { StartMoved(h_); });
  connect(ui_->sldVStart, &QSlider::valueChanged, this, [this] { StartMoved(v_); });
  connect(ui_->sldHEnd, &QSlider::valueChanged, this, [this] { EndMoved(h_); });
  connect(ui_->sldVEnd, &QSlider::valueChanged, this, [this] { EndMoved(v_); });
  connect(ui_->cmdReset, &QPushButton::clicked, this, [this] { cmdReset_Click(); });
  connect(ui_->cmdClose, &QPushButton::clicked, this, &QDialog::accept);
}

frmClip::~frmClip() = default;

void frmClip::SetRanges() {
  h_.low = view_.SLimitX0;
  h_.high = view_.SLimitX1;
  v_.low = view_.SLimitY0;
  v_.high = view_.SLimitY1;
  for (Pair* p : {&h_, &v_}) {
    for (QSlider* s : {p->start, p->end}) {
      const QSignalBlocker quiet(s);
      s->setRange(view::SliderPosition(p->low), view::SliderPosition(p->high));
    }
  }
}

void frmClip::Place(QSlider* slider, QLabel* label, int32_t position) {
  {
    const QSignalBlocker quiet(slider);
    slider->setValue(position);  // the slider keeps it within its range
  }
  label->setText(QString::number(slider->value()));
}

double frmClip::StartLimit(const Pair& p) const {
  return view::ClipLimitOf(p.start->value(), p.start->minimum(), p.start->maximum(), p.low, p.high,
                           true);
}

double frmClip::EndLimit(const Pair& p) const {
  return view::ClipLimitOf(p.end->value(), p.end->minimum(), p.end->maximum(), p.low, p.high,
                           false);
}

void frmClip::Form_Load() {
  SetRanges();
  Place(h_.start, h_.startLabel, view::SliderPosition(view_.HClipFrom));
  Place(h_.end, h_.endLabel, view::SliderPosition(view_.HClipTo));
  Place(v_.start, v_.startLabel, view::SliderPosition(view_.VClipFrom));
  Place(v_.end, v_.endLabel, view::SliderPosition(view_.VClipTo));
  for (Pair* p : {&h_, &v_}) {
    *p->startValue = StartLimit(*p);
    *p->endValue = EndLimit(*p);
  }
}

void frmClip::StartMoved(Pair& p) {
  if (p.start->value() >= p.end->value()) {
    Place(p.end, p.endLabel, p.start->value());
    *p.endValue = EndLimit(p);
  }
  *p.startValue = StartLimit(p);
  p.startLabel->setText(QString::number(p.start->value()));
  SendClip();
}

void frmClip::EndMoved(Pair& p) {
  if (p.end->value() <= p.start->value()) {
    Place(p.start, p.startLabel, p.end->value());
    *p.startValue = StartLimit(p);
  }
  *p.endValue = EndLimit(p);
  p.endLabel->setText(QString::number(p.end->value()));
  SendClip();
}

void frmClip::Reset_Clip() {
  SetRanges();
  for (Pair* p : {&h_, &v_}) {
    Place(p->start, p->startLabel, p->start->minimum());
    Place(p->end, p->endLabel, p->end->maximum());
    *p->startValue = StartLimit(*p);
    *p->endValue = EndLimit(*p);
  }
  SendClip();
}

void frmClip::SendClip() { view_.SetUpClipEq(HStartValue, HEndValue, VStartValue, VEndValue); }
