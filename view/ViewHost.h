#pragma once
// What the 3D view needs of the window that hosts it. The main window
// implements it; view tests use a small fake. Keeping View behind this
// interface lets its state and transforms be tested without a window.
#include <string>

namespace view {

class ViewHost {
 public:
  virtual ~ViewHost() = default;

  // The drawing area's size in device pixels (ScaleWidth, ScaleHeight).
  virtual double ScaleWidth() const = 0;
  virtual double ScaleHeight() const = 0;

  // Runs the window's paint handler at once: the whole frame is drawn and the
  // buffers swapped before this returns (Paint).
  virtual void Paint() = 0;

  // The status bar panel with the given key ("x", "y", "eigenvalue", ...).
  virtual void SetPanelText(const std::string& key, const std::string& text) = 0;

  // The modeless stress plot window: whether it is shown, and its read-outs.
  virtual bool StressWindowShown() const = 0;
  virtual void ShowMaxMin(float maxS, float minS) = 0;
  virtual void ShowStress(float stressValue) = 0;

  // The program's file error routine, for a file step of the view that
  // failed with the given error number: explains it to the user ("Disk
  // Error") and says whether the step is to run again; false gives up.
  virtual bool RetryAfterFileError(int errorNumber) = 0;

  // The hourglass pointer while the user waits for the view (true), and the
  // default pointer again (false); calls come in pairs.
  virtual void SetBusyPointer(bool busy) = 0;
};

}  // namespace view
