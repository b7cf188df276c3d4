#include "analysis/BandPaths.h"

#include <algorithm>
#include <atomic>

#include "platform/RuntimeError.h"

namespace analysis {
namespace {

// -1 until the first question: then the widest path of the processor.
std::atomic<int> chosen{-1};

}  // namespace

std::vector<BandPath> BandPathsHere() {
  std::vector<BandPath> paths{BandPath::Plain};
#if defined(__x86_64__)
  __builtin_cpu_init();
  const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
                    __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") &&
                    __builtin_cpu_supports("popcnt");
  if (avx2) paths.push_back(BandPath::Avx2);
  if (avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512cd") && __builtin_cpu_supports("avx512dq") &&
      __builtin_cpu_supports("avx512vl"))
    paths.push_back(BandPath::Avx512);
#endif
  return paths;
}

bool ProcessorHasFma() {
#if defined(__x86_64__)
  __builtin_cpu_init();
  return __builtin_cpu_supports("fma");
#elif defined(__aarch64__) || defined(__FP_FAST_FMA)
  return true;
#else
  return false;
#endif
}

BandPath CurrentBandPath() {
  int path = chosen.load(std::memory_order_relaxed);
  if (path < 0) {
    path = static_cast<int>(BandPathsHere().back());
    chosen.store(path, std::memory_order_relaxed);
  }
  return static_cast<BandPath>(path);
}

void ChooseBandPath(BandPath path) {
  const std::vector<BandPath> here = BandPathsHere();
  if (std::find(here.begin(), here.end(), path) == here.end()) platform::Raise(platform::kErrInvalidCall);
  chosen.store(static_cast<int>(path), std::memory_order_relaxed);
}

const char* BandPathName(BandPath path) {
  switch (path) {
    case BandPath::Avx2:
      return "AVX2";
    case BandPath::Avx512:
      return "AVX-512";
    case BandPath::Plain:
      break;
  }
  return "plain";
}

}  // namespace analysis
