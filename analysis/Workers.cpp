#include "analysis/Workers.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

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

Workers::Workers(int count) : count_(std::max(count, 1)) {}

Workers::~Workers() {
  stop_.store(true);
  generation_.fetch_add(1);
  generation_.notify_all();
  for (std::thread& t : threads_) t.join();
}

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
  busy_.store(Count() - 1);
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
