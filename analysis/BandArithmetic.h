#pragma once
// What the band routines' two files share: the vector types and the paths
// their kernels are compiled for, the size checks, and the two element-wise
// operations whose roundings every kernel repeats. Included by
// BandMatrix.cpp and BandReduction.cpp only, both compiled without
// contraction of products and sums (-ffp-contract=off): every rounding is
// the one the code spells out, at any optimisation level and on any vector
// width.
#include <cmath>
#include <span>
#include <utility>

#include "analysis/BandMatrix.h"
#include "platform/RuntimeError.h"

namespace analysis::band {

// Two, four or eight doubles, unaligned access allowed: one SSE or NEON
// register, one AVX one, one AVX-512 one. Each path's kernels work in its
// own width; the operations are element by element, so the width changes
// no rounding. (A wider type than the path's registers is laid out through
// memory by the compiler, element by element.)
typedef double Vec2 __attribute__((vector_size(16), aligned(8), may_alias));
typedef double Vec4 __attribute__((vector_size(32), aligned(8), may_alias));
typedef double Vec8 __attribute__((vector_size(64), aligned(8), may_alias));
template <int L>
struct VecOf;
template <>
struct VecOf<2> {
  using type = Vec2;
};
template <>
struct VecOf<4> {
  using type = Vec4;
};
template <>
struct VecOf<8> {
  using type = Vec8;
};
template <int L>
using Vec = typename VecOf<L>::type;

// The L doubles from p on as one vector (a macro: a function returning a
// vector would be called differently on every path).
#define VELK_VEC(L, p) (*reinterpret_cast<::analysis::band::Vec<L>*>(p))
#define VELK_CVEC(L, p) (*reinterpret_cast<const ::analysis::band::Vec<L>*>(p))

// The instruction sets of the two x86-64 vector paths. Named feature lists
// rather than an architecture level, so that a kernel body (always inline)
// compiled for the whole machine may be inlined into each of them.
#if defined(__x86_64__)
#define VELK_BAND_X86 1
#define VELK_TARGET_AVX2 __attribute__((target("avx2,fma,bmi,bmi2,lzcnt,movbe,f16c,popcnt")))
#define VELK_TARGET_AVX512 \
  __attribute__((target("avx2,fma,bmi,bmi2,lzcnt,movbe,f16c,popcnt,avx512f,avx512bw,avx512cd,avx512dq,avx512vl")))
#else
#define VELK_BAND_X86 0
#endif

// Defines name##Plain and, on x86-64, name##Avx2 and name##Avx512: the
// always-inline template name##Body<L> compiled once for each path's
// instruction set and vector width L.
// Every path rounds the same: the bodies spell out each rounding and the
// band files are compiled without contraction.
#define VELK_BAND_KERNEL_ONE(name, suffix, target, L)              \
  template <typename... A>                                          \
  target decltype(auto) name##suffix(A&&... a) {                    \
    return name##Body<L>(std::forward<A>(a)...);                    \
  }
#if VELK_BAND_X86
#define VELK_BAND_KERNEL(name)                           \
  VELK_BAND_KERNEL_ONE(name, Plain, , 2)                 \
  VELK_BAND_KERNEL_ONE(name, Avx2, VELK_TARGET_AVX2, 4)  \
  VELK_BAND_KERNEL_ONE(name, Avx512, VELK_TARGET_AVX512, 8)
// The kernel `name` of the path the band routines take now.
#define VELK_BAND_CALL(name, ...)                                                               \
  (::analysis::CurrentBandPath() == ::analysis::BandPath::Avx512 ? name##Avx512(__VA_ARGS__)     \
   : ::analysis::CurrentBandPath() == ::analysis::BandPath::Avx2 ? name##Avx2(__VA_ARGS__)       \
                                                                 : name##Plain(__VA_ARGS__))
#else
#define VELK_BAND_KERNEL(name) VELK_BAND_KERNEL_ONE(name, Plain, , 2)
#define VELK_BAND_CALL(name, ...) name##Plain(__VA_ARGS__)
#endif

#define VELK_BAND_INLINE __attribute__((always_inline)) inline

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

// y(j) -= f x(j) for j = 0 .. len-1, a product and a subtraction each, L
// at a time.
template <int L>
__attribute__((always_inline)) inline void SubtractMultiple(double* y, const double* x, double f, int len) {
  int j = 0;
  for (; j + L <= len; j += L) VELK_VEC(L, y + j) -= f * VELK_CVEC(L, x + j);
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
