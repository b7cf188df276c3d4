#include "analysis/Workers.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>

#include "analysis/CpuAllowance.h"

namespace analysis {
namespace {

// How long a member waits awake for the next job before it sleeps.
constexpr auto kSpinTime = std::chrono::microseconds(200);

}  // namespace

int Workers::DefaultCount() {
  double load = -1;
  if (::getloadavg(&load, 1) != 1) load = -1;
  return RunThreadCount(AllowedProcessors(), static_cast<int>(std::thread::hardware_concurrency()), load);
}

struct Workers::Choice {
  std::vector<int> mask;
  int limit = 1;
  std::vector<CpuTimes> before;
  std::chrono::steady_clock::time_point start;
  double ownStart = 0;  // this process's processor time, seconds
};

namespace {

double ProcessSeconds() {
  timespec t{};
  if (::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t) != 0) return 0;
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

}  // namespace

Workers::Workers() : count_(1), choice_(std::make_unique<Choice>()) {
  choice_->mask = AffinityCpus();
  const int quota = CgroupQuotaProcessors();
  const int mask = static_cast<int>(choice_->mask.size());
  choice_->limit = std::clamp(quota > 0 ? std::min(quota, mask) : mask, 1, 4);
  choice_->start = std::chrono::steady_clock::now();
  choice_->ownStart = ProcessSeconds();
  choice_->before = ReadProcStat();
}

Workers::Workers(int count) : count_(std::max(count, 1)) {}

int Workers::Count() {
  if (choice_) Choose();
  return count_;
}

void Workers::Choose() {
  const auto now = std::chrono::steady_clock::now();
  const auto window = now - choice_->start;
  if (window < kChoiceWindow) return;
  const double seconds = std::chrono::duration<double>(window).count();
  const double ownBusy = (ProcessSeconds() - choice_->ownStart) / seconds;
  const int idle = IdleProcessorThreads(choice_->mask, choice_->before, ReadProcStat(), ownBusy, choice_->limit);
  count_ = idle > 0 ? idle : DefaultCount();
  choice_.reset();
}

Workers::~Workers() {
  stop_.store(true);
  generation_.fetch_add(1);
  generation_.notify_all();
  for (std::thread& t : threads_) t.join();
}

// The members are those Count() gave last: a caller shares out its job by
// that count, which a choice made inside Run would break.
void Workers::Run(const std::function<void(int)>& job) {
  if (count_ == 1) {
    job(0);
    return;
  }
  // The threads start with the first job: until then a run has no use for
  // them, and threads alive on other processors make every change of the
  // process's memory map dearer (each must drop its stale translations).
  if (threads_.empty()) {
    threads_.reserve(static_cast<std::size_t>(count_ - 1));
    for (int m = 1; m < count_; ++m) threads_.emplace_back([this, m] { Serve(m); });
  }
  job_ = &job;
  busy_.store(count_ - 1);
  // Sequentially consistent with the sleepers' count: a member either sees
  // the new generation before it sleeps, or is counted here and woken.
  generation_.fetch_add(1);
  if (sleeping_.load() > 0) generation_.notify_all();
  job(0);
  for (unsigned spins = 1; busy_.load() != 0; ++spins) {
    SpinPause();
    if (spins % 4096 == 0) std::this_thread::yield();  // a member lost its core
  }
}

void Workers::Serve(int member) {
  std::uint32_t seen = 0;
  for (;;) {
    std::uint32_t now = generation_.load();
    if (now == seen) {
      const auto until = std::chrono::steady_clock::now() + kSpinTime;
      for (unsigned spins = 1; (now = generation_.load()) == seen; ++spins) {
        SpinPause();
        if (spins % 64 == 0 && std::chrono::steady_clock::now() > until) {
          sleeping_.fetch_add(1);
          generation_.wait(seen);
          sleeping_.fetch_sub(1);
        }
      }
    }
    seen = now;
    if (stop_.load()) return;
    (*job_)(member);
    busy_.fetch_sub(1);
  }
}

}  // namespace analysis
