// The reduction of a band store: Band_Decompose and its kernels.
#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__aarch64__)
#include <arm_neon.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "analysis/BandArithmetic.h"
#include "analysis/BandMatrix.h"
#include "analysis/BandPaths.h"
#include "analysis/WorkPacer.h"
#include "analysis/Workers.h"
#include "platform/RuntimeError.h"

namespace analysis {

using namespace band;

namespace {

// Rows reduced together before their combined update reaches the rows below.
// It fixes how the sums of the reduction are grouped: another size gives
// other round-off.
constexpr int kPanel = 32;
// Zeros after every packed panel row, so that tiles may read past the window.
constexpr int kPad = 32;

// The error of the pivot of a row about to reduce the rows below it, or 0.
__attribute__((always_inline)) inline int PivotError(double pivot, double diagonalBefore) {
  if (!std::isfinite(pivot)) return platform::kErrOverflow;
  if (pivot == 0 || std::fabs(pivot) < 1e-10 * std::fabs(diagonalBefore)) return platform::kErrDivideByZero;
  return 0;
}

// A panel's rows p0 .. pe are reduced among themselves by rank-1 updates,
// in blocks of columns so that the panel's part of a block stays in the
// first-level cache. The first block holds the panel's own columns: it gives
// the factors and meets the pivot tests; the other blocks reuse the factors
// and are independent of each other. Every entry still receives the pivots'
// updates in pivot order, and the tests see each row's final values, in row
// order, as when reducing row by row.
constexpr int kColumns = 64;  // columns of a block, at least kPanel

// What the first block gives the others.
struct PanelFactors {
  double F[kPanel][kPanel];  // F[p - p0][q - p0], the factor of pivot p on row q
  int passed = 0;            // the last row whose pivot passed its test
  int pivotError = 0;        // the error of row passed + 1, or 0
};

// The first block: columns p0 .. p0 + kColumns - 1.
template <int L>
VELK_BAND_INLINE void ReduceFirstBlockBody(double* base, std::size_t rs, int p0, int pe, int N, int B,
                                           const double* before, PanelFactors& out) {
  auto row = [&](int n) { return base + static_cast<std::size_t>(n - 1) * rs; };
  out.pivotError = 0;
  out.passed = pe;
  const int c1 = p0 + kColumns;
  for (int p = p0; p <= pe; ++p) {
    double* rp = row(p);
    const int width = std::min(B, N - p + 1);  // band positions of row p inside the matrix
    if (const int error = PivotError(rp[0], before[p - 1])) {
      out.pivotError = error;
      out.passed = p - 1;
      return;
    }
    const double inv = 1.0 / rp[0];
    const int last = std::min(pe, p + width - 1);
    const int end = std::min(c1, p + width);  // row p's columns in this block end here
    for (int q = p + 1; q <= pe; ++q) {
      const int d = q - p;
      const double f = q <= last ? rp[d] * inv : 0.0;
      out.F[p - p0][q - p0] = f;
      if (f != 0 && end > q) SubtractMultiple<L>(row(q), rp + d, f, end - q);
    }
  }
}
VELK_BAND_KERNEL(ReduceFirstBlock)

// Another block: columns c0 .. c0 + kColumns - 1, after the first. It is
// reduced in a copy of its own: rows of neighbouring blocks share cache
// lines at the block edges, and threads reducing them side by side would
// pass those lines to and fro at every pivot.
template <int L>
VELK_BAND_INLINE void ReduceBlockBody(double* base, std::size_t rs, int p0, int pe, int N, int B, const PanelFactors& f,
                                      int c0) {
  auto row = [&](int n) { return base + static_cast<std::size_t>(n - 1) * rs; };
  alignas(64) double block[kPanel][kColumns];
  int inBand[kPanel];  // columns of row q from c0 inside its band
  for (int q = p0; q <= pe; ++q) {
    const int n = std::clamp(q + std::min(B, N - q + 1) - c0, 0, kColumns);
    inBand[q - p0] = n;
    if (n > 0) std::memcpy(block[q - p0], row(q) + (c0 - q), static_cast<std::size_t>(n) * sizeof(double));
    std::fill(block[q - p0] + n, block[q - p0] + kColumns, 0.0);
  }
  // Row by row, each row's columns held in registers while every earlier
  // pivot's update reaches them in pivot order: one load for each product
  // instead of two loads and a store. Row p is final when row q meets it,
  // as when each pivot updates the rows below it in turn.
  constexpr int kGroup = 8 * L;  // columns of a row at a time: eight registers
  static_assert(kColumns % kGroup == 0);
#define VELK_EACH8(X) X(0) X(1) X(2) X(3) X(4) X(5) X(6) X(7)
  for (int q = p0 + 1; q <= pe; ++q) {
    const int last = std::min(q - 1, f.passed);
    double* y = block[q - p0];
    for (int g = 0; g < kColumns; g += kGroup) {
#define VELK_LOAD(i) Vec<L> a##i = VELK_CVEC(L, y + g + (i) * L);
#define VELK_STORE(i) VELK_VEC(L, y + g + (i) * L) = a##i;
#define VELK_UPDATE(i) a##i -= factor * VELK_CVEC(L, x + (i) * L);
      VELK_EACH8(VELK_LOAD)
      for (int p = p0; p <= last; ++p) {
        const double factor = f.F[p - p0][q - p0];
        const int reach = inBand[p - p0];  // pivot p reaches no further than its own band
        if (factor == 0 || reach <= g) continue;
        const double* x = block[p - p0] + g;
        if (reach >= g + kGroup) {
          VELK_EACH8(VELK_UPDATE)
        } else {
          // Pivot p ends inside these columns (rare): its update goes
          // through memory, entry by entry.
          VELK_EACH8(VELK_STORE)
          for (int j = 0; j < reach - g; ++j) y[g + j] -= factor * x[j];
#define VELK_RELOAD(i) a##i = VELK_CVEC(L, y + g + (i) * L);
          VELK_EACH8(VELK_RELOAD)
        }
      }
      VELK_EACH8(VELK_STORE)
#undef VELK_LOAD
#undef VELK_STORE
#undef VELK_UPDATE
#undef VELK_RELOAD
    }
  }
#undef VELK_EACH8
  for (int q = p0; q <= pe; ++q)
    if (inBand[q - p0] > 0)
      std::memcpy(row(q) + (c0 - q), block[q - p0], static_cast<std::size_t>(inBand[q - p0]) * sizeof(double));
}
VELK_BAND_KERNEL(ReduceBlock)

// The error of the reduced panel, with its row in `failed`: the first row
// that is not finite, else the pivot test that failed, else 0.
int PanelError(const double* base, std::size_t rs, int p0, int N, int B, const PanelFactors& f, int* failed) {
  for (int p = p0; p <= f.passed; ++p)
    if (!AllFinite(base + static_cast<std::size_t>(p - 1) * rs + 1, std::min(B, N - p + 1) - 1)) {
      *failed = p;
      return platform::kErrOverflow;
    }
  *failed = f.passed + 1;
  return f.pivotError;
}

// Packs columns t0 .. t1-1 (of the window of W rows from `first`) of the
// panel rows p0 .. p0+k-1: Pu(q, t) is the entry of panel row q in column
// first + t (zero beyond its band), Pw(q, t) the same divided by the row's
// pivot (times its inverse). t1 is at most W.
template <int L>
VELK_BAND_INLINE void PackPanelBody(const double* base, std::size_t rs, int p0, int k, int first, int t0, int t1, int B,
                                    double* Pu, double* Pw, std::size_t stride) {
  for (int q = 0; q < k; ++q) {
    const int p = p0 + q;
    const double* rp = base + static_cast<std::size_t>(p - 1) * rs;
    const double inv = 1.0 / rp[0];
    double* u = Pu + static_cast<std::size_t>(q) * stride;
    double* w = Pw + static_cast<std::size_t>(q) * stride;
    const int in = std::min(t1, B - (first - p));  // window columns inside row p's band
    const double* src = rp + (first - p);
    int t = t0;
    for (; t + L <= in; t += L) {
      const Vec<L> v = VELK_CVEC(L, src + t);
      VELK_VEC(L, u + t) = v;
      VELK_VEC(L, w + t) = v * inv;
    }
    for (; t < in; ++t) {
      u[t] = src[t];
      w[t] = src[t] * inv;
    }
    for (; t < t1; ++t) {
      u[t] = 0.0;
      w[t] = 0.0 * inv;
    }
  }
}
VELK_BAND_KERNEL(PackPanel)

// The panel update of window rows a0 .. a1-1: for a <= t < W,
//   A(t - a + 1, first + a) -= sum over q of Pu(q, a) Pw(q, t),
// the sum accumulated from 0 in the order of q by fused multiply-adds.
// base is row 1 of the store, rs its row length.
struct Window {
  double* base;
  std::size_t rs;
  int first, W, k;
  const double* Pu;
  const double* Pw;
  std::size_t stride;
  double* Row(int a) const { return base + static_cast<std::size_t>(first + a - 1) * rs; }
};

using WindowKernel = void (*)(const Window&, int, int);

#if VELK_BAND_X86

// Subtracts one tile row's three accumulators from the store: lanes
// t0 + l with lo <= t0 + l < hi of dst.
VELK_TARGET_AVX512 __attribute__((always_inline)) inline void SubtractRowAvx512(double* dst, int t0, int lo, int hi,
                                                                                __m512d c0, __m512d c1, __m512d c2) {
  if (lo <= t0 && t0 + 24 <= hi) {
    _mm512_storeu_pd(dst + t0, _mm512_sub_pd(_mm512_loadu_pd(dst + t0), c0));
    _mm512_storeu_pd(dst + t0 + 8, _mm512_sub_pd(_mm512_loadu_pd(dst + t0 + 8), c1));
    _mm512_storeu_pd(dst + t0 + 16, _mm512_sub_pd(_mm512_loadu_pd(dst + t0 + 16), c2));
    return;
  }
  const __m512d c[3] = {c0, c1, c2};
  for (int b = 0; b < 3; ++b) {
    const int t = t0 + 8 * b;
    const int from = std::clamp(lo - t, 0, 8), to = std::clamp(hi - t, 0, 8);
    if (from >= to) continue;
    const __mmask8 m = static_cast<__mmask8>((0xFFu >> (8 - (to - from))) << from);
    const __m512d old = _mm512_maskz_loadu_pd(m, dst + t);
    _mm512_mask_storeu_pd(dst + t, m, _mm512_sub_pd(old, c[b]));
  }
}

// Tiles of 8 rows by 24 columns: 24 accumulators in named registers, three
// loads and eight broadcasts for every 24 multiply-adds.
VELK_TARGET_AVX512 void UpdateWindowAvx512(const Window& w, int a0, int a1) {
  for (int a = a0; a < a1; a += 8) {
    const int rows = std::min(8, a1 - a);
    for (int t0 = a; t0 < w.W; t0 += 24) {
#define VELK_ROW(r) __m512d c##r##0 = _mm512_setzero_pd(), c##r##1 = c##r##0, c##r##2 = c##r##0;
      VELK_ROW(0) VELK_ROW(1) VELK_ROW(2) VELK_ROW(3) VELK_ROW(4) VELK_ROW(5) VELK_ROW(6) VELK_ROW(7)
#undef VELK_ROW
      const double* pu = w.Pu + a;
      const double* pw = w.Pw + t0;
      for (int q = 0; q < w.k; ++q, pu += w.stride, pw += w.stride) {
        const __m512d w0 = _mm512_loadu_pd(pw), w1 = _mm512_loadu_pd(pw + 8), w2 = _mm512_loadu_pd(pw + 16);
#define VELK_ROW(r)                             \
  {                                             \
    const __m512d u = _mm512_set1_pd(pu[r]);    \
    c##r##0 = _mm512_fmadd_pd(u, w0, c##r##0);  \
    c##r##1 = _mm512_fmadd_pd(u, w1, c##r##1);  \
    c##r##2 = _mm512_fmadd_pd(u, w2, c##r##2);  \
  }
        VELK_ROW(0) VELK_ROW(1) VELK_ROW(2) VELK_ROW(3) VELK_ROW(4) VELK_ROW(5) VELK_ROW(6) VELK_ROW(7)
#undef VELK_ROW
      }
      // dst[t] is the entry of column first + t of row a + r; lanes a + r <= t < W.
#define VELK_ROW(r) \
  if (rows > r) SubtractRowAvx512(w.Row(a + r) - (a + r), t0, a + r, w.W, c##r##0, c##r##1, c##r##2);
      VELK_ROW(0) VELK_ROW(1) VELK_ROW(2) VELK_ROW(3) VELK_ROW(4) VELK_ROW(5) VELK_ROW(6) VELK_ROW(7)
#undef VELK_ROW
    }
  }
}

// Subtracts one tile row's three accumulators from the store: lanes
// t0 + l with lo <= t0 + l < hi of dst.
VELK_TARGET_AVX2 __attribute__((always_inline)) inline void SubtractRowAvx2(double* dst, int t0, int lo, int hi,
                                                                            __m256d c0, __m256d c1, __m256d c2) {
  if (lo <= t0 && t0 + 12 <= hi) {
    _mm256_storeu_pd(dst + t0, _mm256_sub_pd(_mm256_loadu_pd(dst + t0), c0));
    _mm256_storeu_pd(dst + t0 + 4, _mm256_sub_pd(_mm256_loadu_pd(dst + t0 + 4), c1));
    _mm256_storeu_pd(dst + t0 + 8, _mm256_sub_pd(_mm256_loadu_pd(dst + t0 + 8), c2));
    return;
  }
  alignas(32) double acc[12];
  _mm256_store_pd(acc, c0);
  _mm256_store_pd(acc + 4, c1);
  _mm256_store_pd(acc + 8, c2);
  for (int t = std::max(lo, t0); t < std::min(hi, t0 + 12); ++t) dst[t] -= acc[t - t0];
}

// Tiles of 4 rows by 12 columns: twelve accumulators, named so that they
// stay in registers through the loop over the panel's rows (as an array
// indexed by row they were stored at every pass).
VELK_TARGET_AVX2 void UpdateWindowAvx2(const Window& w, int a0, int a1) {
  for (int a = a0; a < a1; a += 4) {
    const int rows = std::min(4, a1 - a);
    for (int t0 = a; t0 < w.W; t0 += 12) {
      __m256d c00 = _mm256_setzero_pd(), c01 = c00, c02 = c00, c10 = c00, c11 = c00, c12 = c00;
      __m256d c20 = c00, c21 = c00, c22 = c00, c30 = c00, c31 = c00, c32 = c00;
      const double* pu = w.Pu + a;
      const double* pw = w.Pw + t0;
      for (int q = 0; q < w.k; ++q, pu += w.stride, pw += w.stride) {
        const __m256d w0 = _mm256_loadu_pd(pw), w1 = _mm256_loadu_pd(pw + 4), w2 = _mm256_loadu_pd(pw + 8);
        __m256d u = _mm256_broadcast_sd(pu);
        c00 = _mm256_fmadd_pd(u, w0, c00);
        c01 = _mm256_fmadd_pd(u, w1, c01);
        c02 = _mm256_fmadd_pd(u, w2, c02);
        u = _mm256_broadcast_sd(pu + 1);
        c10 = _mm256_fmadd_pd(u, w0, c10);
        c11 = _mm256_fmadd_pd(u, w1, c11);
        c12 = _mm256_fmadd_pd(u, w2, c12);
        u = _mm256_broadcast_sd(pu + 2);
        c20 = _mm256_fmadd_pd(u, w0, c20);
        c21 = _mm256_fmadd_pd(u, w1, c21);
        c22 = _mm256_fmadd_pd(u, w2, c22);
        u = _mm256_broadcast_sd(pu + 3);
        c30 = _mm256_fmadd_pd(u, w0, c30);
        c31 = _mm256_fmadd_pd(u, w1, c31);
        c32 = _mm256_fmadd_pd(u, w2, c32);
      }
      // dst[t] is the entry of column first + t of row a + r; lanes a + r <= t < W.
      SubtractRowAvx2(w.Row(a) - a, t0, a, w.W, c00, c01, c02);
      if (rows > 1) SubtractRowAvx2(w.Row(a + 1) - (a + 1), t0, a + 1, w.W, c10, c11, c12);
      if (rows > 2) SubtractRowAvx2(w.Row(a + 2) - (a + 2), t0, a + 2, w.W, c20, c21, c22);
      if (rows > 3) SubtractRowAvx2(w.Row(a + 3) - (a + 3), t0, a + 3, w.W, c30, c31, c32);
    }
  }
}

#endif  // VELK_BAND_X86

// The same in portable code, tiles of 4 rows by 8 columns that the compiler
// may lay on any vector unit. Fused: the sums as the vector paths form them,
// for processors that have the instruction; otherwise each product rounded.
template <bool Fused>
VELK_BAND_INLINE void UpdateWindowPortableBody(const Window& w, int a0, int a1) {
  constexpr int kRows = 4, kCols = 8;
  for (int a = a0; a < a1; a += kRows) {
    const int rows = std::min(kRows, a1 - a);
    for (int t0 = a; t0 < w.W; t0 += kCols) {
      double c[kRows][kCols] = {};
      const double* pu = w.Pu + a;
      const double* pw = w.Pw + t0;
      for (int q = 0; q < w.k; ++q, pu += w.stride, pw += w.stride)
        for (int r = 0; r < kRows; ++r)
          for (int l = 0; l < kCols; ++l) {
            if constexpr (Fused)
              c[r][l] = __builtin_fma(pu[r], pw[l], c[r][l]);
            else
              c[r][l] += pu[r] * pw[l];
          }
      for (int r = 0; r < rows; ++r) {
        double* dst = w.Row(a + r) - (a + r);
        for (int t = std::max(a + r, t0); t < std::min(w.W, t0 + kCols); ++t) dst[t] -= c[r][t - t0];
      }
    }
  }
}

void UpdateWindowUnfused(const Window& w, int a0, int a1) { UpdateWindowPortableBody<false>(w, a0, a1); }

#if VELK_BAND_X86
__attribute__((target("fma"))) void UpdateWindowFused(const Window& w, int a0, int a1) {
  UpdateWindowPortableBody<true>(w, a0, a1);
}
#elif defined(__aarch64__)
// On arm64, tiles of 4 rows by 8 columns in NEON registers: sixteen
// accumulators of two lanes, fused as the x86-64 paths fuse them.
// Subtracts one tile row's four accumulators: lanes lo <= t < hi of dst.
__attribute__((always_inline)) inline void SubtractRowNeon(double* dst, int t0, int lo, int hi, float64x2_t c0,
                                                            float64x2_t c1, float64x2_t c2, float64x2_t c3) {
  double acc[8];
  vst1q_f64(acc, c0);
  vst1q_f64(acc + 2, c1);
  vst1q_f64(acc + 4, c2);
  vst1q_f64(acc + 6, c3);
  for (int t = std::max(lo, t0); t < std::min(hi, t0 + 8); ++t) dst[t] -= acc[t - t0];
}

void UpdateWindowFused(const Window& w, int a0, int a1) {
  for (int a = a0; a < a1; a += 4) {
    const int rows = std::min(4, a1 - a);
    for (int t0 = a; t0 < w.W; t0 += 8) {
#define VELK_ROW(r)                                                                   \
  float64x2_t c##r##0 = vdupq_n_f64(0.0), c##r##1 = c##r##0, c##r##2 = c##r##0, \
              c##r##3 = c##r##0;
      VELK_ROW(0) VELK_ROW(1) VELK_ROW(2) VELK_ROW(3)
#undef VELK_ROW
      const double* pu = w.Pu + a;
      const double* pw = w.Pw + t0;
      for (int q = 0; q < w.k; ++q, pu += w.stride, pw += w.stride) {
        const float64x2_t w0 = vld1q_f64(pw), w1 = vld1q_f64(pw + 2), w2 = vld1q_f64(pw + 4), w3 = vld1q_f64(pw + 6);
#define VELK_ROW(r)                              \
  {                                              \
    const float64x2_t u = vdupq_n_f64(pu[r]);    \
    c##r##0 = vfmaq_f64(c##r##0, u, w0);         \
    c##r##1 = vfmaq_f64(c##r##1, u, w1);         \
    c##r##2 = vfmaq_f64(c##r##2, u, w2);         \
    c##r##3 = vfmaq_f64(c##r##3, u, w3);         \
  }
        VELK_ROW(0) VELK_ROW(1) VELK_ROW(2) VELK_ROW(3)
#undef VELK_ROW
      }
#define VELK_ROW(r) \
  if (rows > r) SubtractRowNeon(w.Row(a + r) - (a + r), t0, a + r, w.W, c##r##0, c##r##1, c##r##2, c##r##3);
      VELK_ROW(0) VELK_ROW(1) VELK_ROW(2) VELK_ROW(3)
#undef VELK_ROW
    }
  }
}
#else
void UpdateWindowFused(const Window& w, int a0, int a1) { UpdateWindowPortableBody<true>(w, a0, a1); }
#endif

WindowKernel WindowKernelOf(BandPath path) {
#if VELK_BAND_X86
  if (path == BandPath::Avx512) return UpdateWindowAvx512;
  if (path == BandPath::Avx2) return UpdateWindowAvx2;
#endif
  (void)path;
  static const bool fma = ProcessorHasFma();
  return fma ? UpdateWindowFused : UpdateWindowUnfused;
}

}  // namespace

std::size_t band::ReductionWorkSize(int neq, int bw) {
  return static_cast<std::size_t>(neq) + 4 * kPanel * (static_cast<std::size_t>(bw) + kPad);
}

namespace {

// One panel of the reduction: rows p0 .. pe, reduced among themselves and
// packed (into Pu and Pw) for the window of W rows from `first` that their
// update reaches.
struct Panel {
  int p0 = 0, pe = 0, first = 0, W = 0;
  double* Pu = nullptr;
  double* Pw = nullptr;
  PanelFactors factors;
};

// The reduction's state: the store, its tests' diagonal and the two packing
// buffers, the current panel's and the next one's.
class Reduction {
 public:
  Reduction(double* base, std::size_t rs, int N, int B, const double* before, double* packs, std::size_t stride)
      : base_(base), rs_(rs), N_(N), B_(B), before_(before), packs_(packs), stride_(stride) {}

  // Sets out the panel from row p0 in buffer `buffer` (0 or 1).
  void Begin(Panel& panel, int p0, int buffer) const {
    panel.p0 = p0;
    panel.pe = std::min(p0 + kPanel - 1, N_);
    panel.first = panel.pe + 1;
    panel.W = std::min(panel.pe + B_ - 1, N_) - panel.pe;
    panel.Pu = packs_ + static_cast<std::size_t>(buffer) * 2 * kPanel * stride_;
    panel.Pw = panel.Pu + kPanel * stride_;
  }
  void FirstBlock(Panel& panel) const {
    VELK_BAND_CALL(ReduceFirstBlock, base_, rs_, panel.p0, panel.pe, N_, B_, before_, panel.factors);
    if (panel.W > 0) Pack(panel, 0);
    // Zeros after the window, so that tiles may read past it.
    const int W = std::max(panel.W, 0);
    for (int q = 0; q < kPanel; ++q) {
      const std::size_t row = static_cast<std::size_t>(q) * stride_;
      std::fill(panel.Pu + row + W, panel.Pu + row + W + kPad, 0.0);
      std::fill(panel.Pw + row + W, panel.Pw + row + W + kPad, 0.0);
    }
  }
  // Block b >= 1 of the panel, and its columns of the packing.
  void Block(Panel& panel, int b) const {
    VELK_BAND_CALL(ReduceBlock, base_, rs_, panel.p0, panel.pe, N_, B_, panel.factors, panel.p0 + b * kColumns);
    if (panel.W > 0) Pack(panel, b);
  }
  // The panel's column blocks: its rows reach column pe + B - 1.
  int Blocks(const Panel& panel) const { return (panel.pe + B_ - panel.p0 + kColumns - 1) / kColumns; }
  // Raises the panel's error, if any.
  void Check(const Panel& panel) const {
    int failed = 0;
    if (const int error = PanelError(base_, rs_, panel.p0, N_, B_, panel.factors, &failed)) RaisePivot(error, failed);
  }
  Window WindowOf(const Panel& panel) const {
    return {base_, rs_, panel.first, panel.W, panel.pe - panel.p0 + 1, panel.Pu, panel.Pw, stride_};
  }

 private:
  // The packing of block b's columns that fall in the window.
  void Pack(const Panel& panel, int b) const {
    const int c0 = panel.p0 + b * kColumns;
    const int t0 = std::max(c0 - panel.first, 0), t1 = std::min(c0 + kColumns - panel.first, panel.W);
    if (t0 < t1)
      VELK_BAND_CALL(PackPanel, base_, rs_, panel.p0, panel.pe - panel.p0 + 1, panel.first, t0, t1, B_, panel.Pu,
                     panel.Pw, stride_);
  }

  double* base_;
  std::size_t rs_;
  int N_, B_;
  const double* before_;
  double* packs_;
  std::size_t stride_;
};

// Waits for another member; gives the processor away now and then, in case
// that member has lost its own.
template <typename Done>
void WaitFor(Done done) {
  for (unsigned spins = 1; !done(); ++spins) {
    SpinPause();
    if (spins % 1024 == 0) std::this_thread::yield();
  }
}

// Reads the packed panel once from end to end: it was written on another
// processor, and read in the update's order, line by line, it would cost a
// wait for each line.
void Fetch(const Window& w) {
  double sum = 0;
  for (int q = 0; q < w.k; ++q) {
    const std::size_t row = static_cast<std::size_t>(q) * w.stride;
    for (int t = 0; t < w.W; t += 8) sum += w.Pu[row + t] + w.Pw[row + t];
  }
  volatile double sink = sum;  // the reads are the point, not the sum
  (void)sink;
}

// How the members of a team share one step of the reduction: the update of
// the current panel's window, and the reduction of the next panel.
//
// Window rows go to members by groups of eight, group g of the matrix to
// member g mod members, so that a row stays with one member (in its cache)
// for all the panels that update it. Each member does its groups in order;
// the first 32 rows of the window are the next panel, which member 0
// reduces (its first block) once every member has done its part of them.
// Meanwhile the others finish the window; then the next panel's other
// blocks, independent of each other, go to whoever is free.
class Step {
 public:
  static constexpr int kGroupRows = 8;  // the panel's 32 rows are four groups

  Step(const Reduction& reduction, WindowKernel update, const Panel& current, Panel& next, int members)
      : reduction_(reduction), update_(update), current_(current), next_(next), members_(members) {}

  void Run(int m) {
    const Window window = reduction_.WindowOf(current_);
    if (members_ > 1) Fetch(window);
    const int lead = std::min(kPanel, window.W);
    const int firstGroup = (current_.first - 1) / kGroupRows;
    auto owned = [&](int a) { return (firstGroup + a / kGroupRows) % members_ == m; };
    // The member's rows from a to `to`, each of its groups whole.
    auto update = [&](int a, int to) {
      if (members_ == 1) {
        if (a < to) update_(window, a, to);
        return;
      }
      for (; a < to; a += kGroupRows)
        if (owned(a)) update_(window, a, std::min(a + kGroupRows, to));
    };
    update(0, lead);
    leadDone_.fetch_add(1);
    if (m == 0) {
      WaitFor([&] { return leadDone_.load() == members_; });
      reduction_.FirstBlock(next_);
      factorsReady_.store(true);
    }
    update(lead, window.W);
    WaitFor([&] { return factorsReady_.load(); });
    for (int b; (b = nextBlock_.fetch_add(1)) < reduction_.Blocks(next_);) reduction_.Block(next_, b);
  }

 private:
  const Reduction& reduction_;
  WindowKernel update_;
  const Panel& current_;
  Panel& next_;
  int members_;
  std::atomic<int> leadDone_{0};
  std::atomic<bool> factorsReady_{false};
  std::atomic<int> nextBlock_{1};
};

// The multiply-adds of one step, about: each of the panel's rows updates
// the triangle of its window, and the next panel's rows reduce each other.
std::int64_t StepWork(const Panel& current, int B) {
  const std::int64_t k = current.pe - current.p0 + 1, W = std::max(current.W, 0);
  return k * W * (W + 1) / 2 + k * k * B / 2;
}

}  // namespace

// Right-looking and blocked: each panel of rows is reduced among itself,
// then its combined update is subtracted from the triangle of rows it
// reaches (the window). The sums are those of the row-by-row elimination,
// taken in another order; with workers, the same sums share out (Step).
// The pacer pauses only between steps, when the workers are idle.
bool Band_Decompose(BandMatrix& A, int N, int B, Workers* workers, WorkPacer* pacer) {
  const WindowKernel update = WindowKernelOf(CurrentBandPath());
  CheckWorkingSize(A, N, B);
  if (N == 0) return true;
  B = std::max(B, 1);
  const std::size_t rs = static_cast<std::size_t>(A.BW());
  double* base = A.Row(1);
  double* before = A.work_.data();
  for (int n = 1; n <= N; ++n) before[n - 1] = base[static_cast<std::size_t>(n - 1) * rs];
  const Reduction reduction(base, rs, N, B, before, before + A.NEQ(), static_cast<std::size_t>(A.BW()) + kPad);

  Panel panels[2];
  int current = 0;
  reduction.Begin(panels[0], 1, 0);
  reduction.FirstBlock(panels[0]);
  for (int b = 1; b < reduction.Blocks(panels[0]); ++b) reduction.Block(panels[0], b);
  reduction.Check(panels[0]);
  while (panels[current].pe < N) {
    Panel& next = panels[1 - current];
    reduction.Begin(next, panels[current].pe + 1, 1 - current);
    // A small window is not worth waking the others for.
    const int members = workers && panels[current].W >= 64 ? workers->Count() : 1;
    Step step(reduction, update, panels[current], next, members);
    if (members > 1)
      workers->Run([&](int m) { step.Run(m); });
    else
      step.Run(0);
    reduction.Check(next);
    if (pacer && next.pe < N && pacer->Done(StepWork(panels[current], B))) return false;
    current = 1 - current;
  }
  return true;
}

}  // namespace analysis
