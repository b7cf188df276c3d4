#pragma once
// A team of threads that share the work of one job at a time: the band
// reduction hands each of them a part of every panel's update. The calling
// thread is member 0; the others wait for the next job, spinning briefly
// (jobs follow each other within microseconds during a reduction) and then
// asleep. A team lives for one run; its threads start with its first job.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace analysis {

// Tells the processor that the calling thread spins waiting for another:
// it saves power and gives a sibling thread of the core its turn.
inline void SpinPause() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__)
  asm volatile("yield");
#endif
}

class Workers {
 public:
  // How long a team of the run's own choice watches the processors before
  // it chooses: a few ticks of the system's clock on each.
  static constexpr std::chrono::milliseconds kChoiceWindow{100};

  // The number of threads a run uses when the processors' times cannot be
  // read: half the processors this process may run on (its affinity mask
  // and CPU quota), at most 4, and no more than the machine's processors
  // that the load of the last minute leaves free.
  static int DefaultCount();

  // A team of the run's own choice: one thread for each processor of the
  // process's mask that other programs leave idle, at most 4 and no more
  // than the CPU quota. The reduction gains little beyond four, and a
  // thread that shares its processor with another holds up every step of
  // it. The team watches the processors from its making; until
  // kChoiceWindow has passed it counts the caller alone (the first stages
  // of a run gain little from threads), then it chooses once.
  Workers();
  // A team of `count` threads including the caller (at least 1).
  explicit Workers(int count);
  ~Workers();
  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;

  // The members of the next job; a team of the run's own choice may grow
  // once, from 1, between two jobs.
  int Count();

  // Calls job(member) once for every member 0 .. Count() - 1 (the count the
  // last call of Count() gave), member 0 on the calling thread, and returns
  // when all have returned. The job must not throw.
  void Run(const std::function<void(int member)>& job);

 private:
  void Serve(int member);

  // The processors watched for the team's choice, until it is made.
  struct Choice;
  void Choose();

  int count_;
  std::unique_ptr<Choice> choice_;
  std::vector<std::thread> threads_;
  const std::function<void(int)>* job_ = nullptr;
  std::atomic<std::uint32_t> generation_{0};  // one more for every job; the workers watch it
  std::atomic<int> busy_{0};                  // members of the current job still at work
  std::atomic<int> sleeping_{0};
  std::atomic<bool> stop_{false};
};

}  // namespace analysis
