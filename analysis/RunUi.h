#pragma once
// What a solver run needs of the user interface, and nothing more. The run
// dialog plugs the real window in; tests script it, so whole analyses run
// headless.
#include <string>

namespace analysis {

class RunUi {
 public:
  virtual ~RunUi() = default;
  // Puts a progress line into the run dialog ("Reading Input Data...").
  virtual void Progress(const std::string& text) = 0;
  // Lets the event loop process what is pending (repaints, the Cancel button).
  virtual void Yield() = 0;
  // True once the run dialog's Cancel has been pressed (ProcessInterrupted).
  virtual bool Cancelled() const = 0;
  // A message box with OK only, titled with the application's title.
  virtual void Message(const std::string& text) = 0;
  // The same with a detail shown below the text: why a run failed. Without
  // a place for the detail, the text alone.
  virtual void DetailedMessage(const std::string& text, const std::string& detail) {
    (void)detail;
    Message(text);
  }
  // The run has stored its stresses in the model, all of them at once: the
  // node means and the stiffeners' stresses. The window shows them from there.
  virtual void StressesStored() = 0;
  // The run has stored its result in the model: the eigenvalue (and whether
  // it converged) and the mode shape. The window shows it from there.
  virtual void ResultStored() = 0;
};

// A RunUi that shows nothing and is never cancelled.
class SilentRunUi : public RunUi {
 public:
  void Progress(const std::string&) override {}
  void Yield() override {}
  bool Cancelled() const override { return false; }
  void Message(const std::string&) override {}
  void StressesStored() override {}
  void ResultStored() override {}
};

}  // namespace analysis
