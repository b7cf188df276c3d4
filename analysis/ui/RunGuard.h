#pragma once
// Whether an analysis run is under way. While it is, the run's yields let
// the event loop run nested handlers; those that would close a window or edit
// the model ask here first and refuse.
namespace analysis::ui {

bool RunInProgress();

// Marks a run as under way for its lifetime.
class RunInProgressScope {
 public:
  RunInProgressScope();
  ~RunInProgressScope();
  RunInProgressScope(const RunInProgressScope&) = delete;
  RunInProgressScope& operator=(const RunInProgressScope&) = delete;
};

}  // namespace analysis::ui
