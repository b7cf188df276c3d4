#pragma once
// The clipping dialog: four sliders cut the model picture down to a window
// in x and y. Slider positions are whole model units over the view box; the
// start of a pair never passes its end, and every move of a slider sends all
// four limits to View.SetUpClipEq, which repaints at once.
#include <QDialog>

#include <cstdint>
#include <memory>

class QLabel;
class QSlider;

namespace Ui {
class frmClip;
}

namespace view {

class View;

// A view value as a slider position: the nearest whole number (halves to the
// even one), held within the 32-bit range.
int32_t SliderPosition(double value);

// The limit a slider position stands for. A slider at an end of its range
// stands for the view box's own limit there, so that a box narrower than a
// unit, or beyond the 32-bit range, is still shown whole; where both ends
// coincide a start slider takes the lower limit and an end slider the upper.
double ClipLimitOf(int32_t position, int32_t min, int32_t max, double boxLow, double boxHigh,
                   bool isStart);

}  // namespace view

class frmClip : public QDialog {
  Q_OBJECT

 public:
  // Loads the dialog (Form_Load) from the view's box and clip range.
  explicit frmClip(view::View& view, QWidget* parent = nullptr);
  ~frmClip() override;

  // The four limits last taken from the sliders, in model units.
  double HStartValue = 0, HEndValue = 0, VStartValue = 0, VEndValue = 0;

  void cmdReset_Click() { Reset_Clip(); }
  Ui::frmClip& form() { return *ui_; }

 private:
  // One direction: its two sliders, their labels and the box they span.
  struct Pair {
    QSlider* start;
    QSlider* end;
    QLabel* startLabel;
    QLabel* endLabel;
    double* startValue;
    double* endValue;
    double low = 0, high = 0;
  };

  void Form_Load();
  void Reset_Clip();
  void SetRanges();
  void StartMoved(Pair& p);
  void EndMoved(Pair& p);
  // Sets a position as the dialog's own doing: no handler runs, the label follows.
  static void Place(QSlider* slider, QLabel* label, int32_t position);
  double StartLimit(const Pair& p) const;
  double EndLimit(const Pair& p) const;
  void SendClip();

  view::View& view_;
  std::unique_ptr<Ui::frmClip> ui_;
  Pair h_{}, v_{};
};
