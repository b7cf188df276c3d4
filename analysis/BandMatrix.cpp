#include "analysis/BandMatrix.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "analysis/PrintLineWriter.h"
#include "analysis/RunUi.h"
#include "platform/RuntimeError.h"
#include "platform/TextFile.h"

namespace analysis {
namespace {

using platform::Raise;

// Rows reduced together before their combined update reaches the rows below.
constexpr int kPanel = 32;
// Columns of one register tile of the trailing update.
constexpr int kTile = 16;

void RequireFiniteValue(double v) {
  if (!std::isfinite(v)) Raise(platform::kErrOverflow);
}

void CheckWorkingSize(const BandMatrix& A, int N, int B) {
  if (N < 0 || B < 0) Raise(platform::kErrSubscript);
  if (N > BandMatrix::kMaxSize || B > BandMatrix::kMaxSize) Raise(platform::kErrOverflow);
  if (N > A.NEQ() || B > A.BW()) Raise(platform::kErrSubscript);
}

void CheckVector(std::span<const double> v, int n) {
  if (v.size() < static_cast<std::size_t>(n)) Raise(platform::kErrSubscript);
}

// Tests the pivot of a row about to reduce the rows below it.
void CheckPivot(double pivot, double diagonalBefore) {
  if (!std::isfinite(pivot)) Raise(platform::kErrOverflow);
  if (pivot == 0 || std::fabs(pivot) < 1e-10 * std::fabs(diagonalBefore)) Raise(platform::kErrDivideByZero);
}

typedef double Vec4 __attribute__((vector_size(32), aligned(8), may_alias));

// Subtracts the rank-k update of one panel from the window of rows below it:
// A(t - a + 1, first + a) -= sum_k Pu(k, a) * Pw(k, t) for 0 <= a <= t < W.
// Pu and Pw are k-major with stride `stride` and zero beyond each panel
// row's band, so the tile loops run without band tests; only the stores are
// limited to the window. Compiled for AVX2/FMA where the processor has it.
__attribute__((target_clones("arch=x86-64-v3", "default"))) void UpdateWindow(
    double* base, std::size_t rowStride, int first, int W, int k, const double* Pu, const double* Pw,
    std::size_t stride) {
  for (int a = 0; a < W; a += 2) {
    double* row0 = base + static_cast<std::size_t>(first + a - 1) * rowStride;
    {
      double s = 0;
      for (int q = 0; q < k; ++q) s += Pu[q * stride + a] * Pw[q * stride + a];
      row0[0] -= s;
    }
    if (a + 1 >= W) break;
    double* row1 = row0 + rowStride;
    for (int t0 = a + 1; t0 < W; t0 += kTile) {
      Vec4 c00 = {}, c01 = {}, c02 = {}, c03 = {}, c10 = {}, c11 = {}, c12 = {}, c13 = {};
      for (int q = 0; q < k; ++q) {
        const double* w = Pw + q * stride + t0;
        const double u0 = Pu[q * stride + a], u1 = Pu[q * stride + a + 1];
        const Vec4 w0 = *reinterpret_cast<const Vec4*>(w);
        const Vec4 w1 = *reinterpret_cast<const Vec4*>(w + 4);
        const Vec4 w2 = *reinterpret_cast<const Vec4*>(w + 8);
        const Vec4 w3 = *reinterpret_cast<const Vec4*>(w + 12);
        c00 += u0 * w0;
        c01 += u0 * w1;
        c02 += u0 * w2;
        c03 += u0 * w3;
        c10 += u1 * w0;
        c11 += u1 * w1;
        c12 += u1 * w2;
        c13 += u1 * w3;
      }
      double* d0 = row0 + (t0 - a);
      double* d1 = row1 + (t0 - a - 1);
      if (t0 + kTile <= W) {
        *reinterpret_cast<Vec4*>(d0) -= c00;
        *reinterpret_cast<Vec4*>(d0 + 4) -= c01;
        *reinterpret_cast<Vec4*>(d0 + 8) -= c02;
        *reinterpret_cast<Vec4*>(d0 + 12) -= c03;
        *reinterpret_cast<Vec4*>(d1) -= c10;
        *reinterpret_cast<Vec4*>(d1 + 4) -= c11;
        *reinterpret_cast<Vec4*>(d1 + 8) -= c12;
        *reinterpret_cast<Vec4*>(d1 + 12) -= c13;
      } else {
        double r0[kTile], r1[kTile];
        std::memcpy(r0, &c00, sizeof c00);
        std::memcpy(r0 + 4, &c01, sizeof c01);
        std::memcpy(r0 + 8, &c02, sizeof c02);
        std::memcpy(r0 + 12, &c03, sizeof c03);
        std::memcpy(r1, &c10, sizeof c10);
        std::memcpy(r1 + 4, &c11, sizeof c11);
        std::memcpy(r1 + 8, &c12, sizeof c12);
        std::memcpy(r1 + 12, &c13, sizeof c13);
        for (int t = 0; t < W - t0; ++t) {
          d0[t] -= r0[t];
          d1[t] -= r1[t];
        }
      }
    }
  }
}

}  // namespace

BandMatrix::BandMatrix(int neq, int bw) : neq_(neq), bw_(bw) {
  if (neq > kMaxSize || bw > kMaxSize) Raise(platform::kErrOverflow);
  if (neq < 1 || bw < 1) Raise(platform::kErrSubscript);
  a_.assign(static_cast<std::size_t>(neq) * static_cast<std::size_t>(bw), 0.0);
  diagonal_.assign(static_cast<std::size_t>(neq), 0.0);
  panel_.assign(2 * kPanel * (static_cast<std::size_t>(bw) + kTile), 0.0);
}

std::size_t BandMatrix::Index(int j, int n) const {
  if (j < 1 || j > bw_ || n < 1 || n > neq_) Raise(platform::kErrSubscript);
  return static_cast<std::size_t>(n - 1) * static_cast<std::size_t>(bw_) + static_cast<std::size_t>(j - 1);
}

void BandMatrix::ClearRows(int rows) {
  rows = std::clamp(rows, 0, neq_);
  std::fill(a_.begin(), a_.begin() + static_cast<std::ptrdiff_t>(rows) * bw_, 0.0);
}

void WriteBandOverflowReport(platform::TextFile& listing, int r, int c) {
  PrintLine(listing, {End("Dimension of Stiffness Matrix EXCEEDED")});
  PrintLine(listing, {End("Degree of Freedom Number  = " + std::to_string(r))});
  PrintLine(listing, {End("Band Width                = " + std::to_string(c))});
}

bool Band_Assemble(ElementView E, BandMatrix& K, std::int16_t& Bmax, std::span<const std::int16_t> LM, int m,
                   platform::TextFile& listing, RunUi& ui, bool& StiffnessDimensionError) {
  if (m < 0 || static_cast<std::size_t>(m) > LM.size() || m > E.rows || m > E.cols) Raise(platform::kErrSubscript);
  for (int i = 0; i < m; ++i)
    if (LM[static_cast<std::size_t>(i)] < 1) Raise(platform::kErrSubscript);

  int c = 0;  // the band position computed last, for the report
  auto overflow = [&](int r) {
    WriteBandOverflowReport(listing, r, c);
    ui.Message("Dimesnison of Stiffness Matrix Exceeded!:");
    StiffnessDimensionError = true;
    return false;
  };
  for (int i = 1; i <= m; ++i) {
    const int r = LM[static_cast<std::size_t>(i - 1)];
    if (r > K.NEQ()) return overflow(r);
    double* row = K.Row(r);
    for (int j = 1; j <= m; ++j) {
      c = LM[static_cast<std::size_t>(j - 1)] - r + 1;  // within 16 bits: both map entries are in 1 .. 32767
      if (c > Bmax) Bmax = static_cast<std::int16_t>(c);
      if (c < 1) continue;
      if (c > K.BW()) return overflow(r);
      const double sum = row[c - 1] + E(j, i);
      RequireFiniteValue(sum);
      row[c - 1] = sum;
    }
  }
  return true;
}

void Band_Boundary_Condition(BandMatrix& K, std::span<double> R, int d, double v, int B, int mode) {
  const int NEQ = K.NEQ();
  if (B < 0) Raise(platform::kErrSubscript);
  if (B > BandMatrix::kMaxSize) Raise(platform::kErrOverflow);
  if (d < 1 || d > NEQ || B > K.BW()) Raise(platform::kErrSubscript);
  CheckVector(R, NEQ);
  double* rowD = K.Row(d);
  rowD[0] = mode == 1 ? 0.0 : 1.0;
  R[static_cast<std::size_t>(d - 1)] = v;
  for (int j = 2; j <= B; ++j) {
    int r = d - j + 1;
    if (r >= 1) {
      double& k = K.Row(r)[j - 1];
      double& rr = R[static_cast<std::size_t>(r - 1)];
      rr -= k * v;
      RequireFiniteValue(rr);
      k = 0;
    }
    r = d + j - 1;
    if (r <= NEQ) {
      double& rr = R[static_cast<std::size_t>(r - 1)];
      rr -= rowD[j - 1] * v;
      RequireFiniteValue(rr);
      rowD[j - 1] = 0;
    }
  }
}

// Right-looking and blocked: each panel of rows is reduced among itself with
// rank-1 updates, then its combined update is subtracted from the triangle of
// rows it reaches. The sums are those of the row-by-row elimination, taken in
// another order.
void Band_Decompose(BandMatrix& A, int N, int B) {
  CheckWorkingSize(A, N, B);
  if (N == 0) return;
  B = std::max(B, 1);
  const std::size_t rs = static_cast<std::size_t>(A.BW());
  double* base = A.Row(1);
  auto row = [&](int n) { return base + static_cast<std::size_t>(n - 1) * rs; };
  for (int n = 1; n <= N; ++n) A.diagonal_[static_cast<std::size_t>(n - 1)] = row(n)[0];

  const std::size_t stride = static_cast<std::size_t>(A.BW()) + kTile;
  double* Pu = A.panel_.data();
  double* Pw = Pu + kPanel * stride;

  for (int p0 = 1; p0 <= N; p0 += kPanel) {
    const int pe = std::min(p0 + kPanel - 1, N);
    // Reduce the panel rows among themselves.
    for (int p = p0; p <= pe; ++p) {
      double* rp = row(p);
      const int width = std::min(B, N - p + 1);  // band positions of row p inside the matrix
      CheckPivot(rp[0], A.diagonal_[static_cast<std::size_t>(p - 1)]);
      for (int j = 1; j < width; ++j) RequireFiniteValue(rp[j]);
      const double inv = 1.0 / rp[0];
      const int last = std::min(pe, p + width - 1);
      for (int q = p + 1; q <= last; ++q) {
        const int d = q - p;
        const double f = rp[d] * inv;
        if (f == 0) continue;
        double* rq = row(q);
        const int len = width - d;
        for (int j = 0; j < len; ++j) rq[j] -= f * rp[j + d];
      }
    }
    // The window of rows below the panel that the panel reaches.
    const int first = pe + 1;
    const int W = std::min(pe + B - 1, N) - pe;
    if (W <= 0) continue;
    const int k = pe - p0 + 1;
    const int padded = W + kTile;
    for (int q = 0; q < k; ++q) {
      const int p = p0 + q;
      const double* rp = row(p);
      const double inv = 1.0 / rp[0];
      double* u = Pu + static_cast<std::size_t>(q) * stride;
      double* w = Pw + static_cast<std::size_t>(q) * stride;
      for (int t = 0; t < padded; ++t) {
        const int j = first + t - p;  // band position of column first + t in row p, from 0
        const double val = (t < W && j < B) ? rp[j] : 0.0;
        u[t] = val;
        w[t] = val * inv;
      }
    }
    UpdateWindow(base, rs, first, W, k, Pu, Pw, stride);
  }
}

void Band_Solve(const BandMatrix& A, std::span<double> X, std::span<double> R, int N, int B) {
  CheckWorkingSize(A, N, B);
  CheckVector(X, N);
  CheckVector(R, N);
  if (N == 0) return;
  B = std::max(B, 1);
  for (int p = 1; p <= N; ++p)
    if (A.Row(p)[0] == 0) Raise(platform::kErrDivideByZero);
  // Forward reduction, one pivot row at a time.
  for (int p = 1; p < N; ++p) {
    const double* rp = A.Row(p);
    const double f = R[static_cast<std::size_t>(p - 1)] / rp[0];
    RequireFiniteValue(f);
    if (f == 0) continue;
    const int len = std::min(B - 1, N - p);
    double* r = R.data() + p;  // R(p + 1)
    for (int d = 1; d <= len; ++d) r[d - 1] -= rp[d] * f;
  }
  // Back substitution; X(i) is written after R(i) was read.
  for (int i = N; i >= 1; --i) {
    const double* ri = A.Row(i);
    const int len = std::min(N, i + B - 1) - i;
    const double* x = X.data() + i;  // X(i + 1)
    double s = 0;
    for (int c = 0; c < len; ++c) s += x[c] * ri[c + 1];
    const double xi = (R[static_cast<std::size_t>(i - 1)] - s) / ri[0];
    RequireFiniteValue(xi);
    X[static_cast<std::size_t>(i - 1)] = xi;
  }
}

void Band_Multiply_Negative(const BandMatrix& A, std::span<const double> x, std::span<double> y, int N, int B) {
  CheckWorkingSize(A, N, B);
  CheckVector(x, N);
  CheckVector(y, N);
  if (N == 0) return;
  const double* xb = x.data();
  double* yb = y.data();
  if (xb < yb + N && yb < xb + N) Raise(platform::kErrInvalidCall);
  std::fill(yb, yb + N, 0.0);
  for (int i = 1; i <= N; ++i) {
    const double* ri = A.Row(i);
    const int len = std::min(B, N - i + 1);
    const double xi = xb[i - 1];
    double s = 0;
    for (int j = 0; j < len; ++j) s += ri[j] * xb[i - 1 + j];
    yb[i - 1] -= s;
    // The mirrored lower part: row i's band entries also sit in column i of the rows below.
    double* yl = yb + i;
    for (int j = 1; j < len; ++j) yl[j - 1] -= ri[j] * xi;
  }
  for (int i = 0; i < N; ++i) RequireFiniteValue(yb[i]);
}

}  // namespace analysis
