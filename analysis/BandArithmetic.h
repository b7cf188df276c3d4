#pragma once
// What the band routines' two files share: the vector type and the clone
// attribute of their kernels, the size checks, and the two element-wise
// operations whose roundings every kernel repeats. Included by
// BandMatrix.cpp and BandReduction.cpp only, both compiled without
// contraction of products and sums (-ffp-contract=off): every rounding is
// the one the code spells out, at any optimisation level and on any vector
// width.
#include <cmath>
#include <span>

#include "analysis/BandMatrix.h"
#include "platform/RuntimeError.h"

namespace analysis::band {

// Eight doubles; unaligned access allowed. The compiler lays it on one
// AVX-512 register, two AVX ones or four SSE ones, whatever the clone.
typedef double Vec8 __attribute__((vector_size(64), aligned(8), may_alias));

// Compiled three times, chosen by the processor at load time. An exception
// does not pass through such a function (its unwinding information is lost
// to the dispatch): these report failures by their result.
#define VELK_CLONES __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))

inline void RequireFiniteValue(double v) {
  if (!std::isfinite(v)) platform::Raise(platform::kErrOverflow);
}

inline void CheckWorkingSize(const BandMatrix& A, int N, int B) {
  if (N < 0 || B < 0) platform::Raise(platform::kErrSubscript);
  if (N > BandMatrix::kMaxSize || B > BandMatrix::kMaxSize) platform::Raise(platform::kErrOverflow);
  if (N > A.NEQ() || B > A.BW()) platform::Raise(platform::kErrSubscript);
}

inline void CheckVector(std::span<const double> v, int n) {
  if (v.size() < static_cast<std::size_t>(n)) platform::Raise(platform::kErrSubscript);
}

// y(j) -= f x(j) for j = 0 .. len-1, a product and a subtraction each.
__attribute__((always_inline)) inline void SubtractMultiple(double* y, const double* x, double f, int len) {
  int j = 0;
  for (; j + 8 <= len; j += 8) *reinterpret_cast<Vec8*>(y + j) -= f * *reinterpret_cast<const Vec8*>(x + j);
  for (; j < len; ++j) y[j] -= f * x[j];
}

// True when all of x(0 .. len-1) are finite.
__attribute__((always_inline)) inline bool AllFinite(const double* x, int len) {
  int j = 0;
  for (; j + 8 <= len; j += 8) {
    bool finite = true;
    for (int l = 0; l < 8; ++l) finite &= std::isfinite(x[j + l]);
    if (!finite) return false;
  }
  for (; j < len; ++j)
    if (!std::isfinite(x[j])) return false;
  return true;
}

// The doubles of work space the reduction of a store of neq rows and bw
// band positions needs: the diagonal before reduction and two packed panels.
std::size_t ReductionWorkSize(int neq, int bw);

// Raises the failure of the pivot of equation p: error 11 for a zero pivot,
// 6 for one whose figures left the arithmetic's range (a SolverFailure that
// names the equation).
[[noreturn]] void RaisePivot(int number, int p);

}  // namespace analysis::band
