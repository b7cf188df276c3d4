#pragma once
// Pauses inside a long computation of a run: the reduction of a band store
// with columns of some thousand nodes takes seconds, and the window can
// neither repaint nor answer Cancel unless the run yields inside it.
//
// The computation counts its work as it goes (in multiply-adds) and offers a
// pause between two blocks of it, on the thread that called it; the pause
// runs once enough work is done since the last one. Pausing by work rather
// than by time keeps the arithmetic and its order the same on every run and
// leaves the pauses too rare to cost anything measurable.
#include <cstdint>
#include <functional>
#include <utility>

namespace analysis {

class WorkPacer {
 public:
  // Work between two pauses: about a millisecond of a reduction on one
  // thread of a current processor, a few on an old one.
  static constexpr std::int64_t kWorkPerPause = std::int64_t{1} << 24;

  // `pause` yields to the event loop and returns true when the computation
  // is to stop (the run was cancelled).
  explicit WorkPacer(std::function<bool()> pause, std::int64_t workPerPause = kWorkPerPause)
      : pause_(std::move(pause)), workPerPause_(workPerPause) {}

  // Counts `work` multiply-adds just done and pauses when one is due. True
  // when the computation is to stop; it stays so.
  bool Done(std::int64_t work) {
    if (stopped_) return true;
    total_ += work;
    sinceLast_ += work;
    if (sinceLast_ < workPerPause_) return false;
    sinceLast_ = 0;
    stopped_ = pause_();
    return stopped_;
  }

  std::int64_t WorkPerPause() const { return workPerPause_; }
  std::int64_t Work() const { return total_; }  // counted so far
  bool Stopped() const { return stopped_; }

 private:
  std::function<bool()> pause_;
  std::int64_t workPerPause_;
  std::int64_t total_ = 0;
  std::int64_t sinceLast_ = 0;
  bool stopped_ = false;
};

}  // namespace analysis
