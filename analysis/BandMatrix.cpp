#include "analysis/BandMatrix.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>

#include "analysis/BandArithmetic.h"
#include "analysis/BandPaths.h"
#include "analysis/PrintLineWriter.h"
#include "analysis/RunUi.h"
#include "analysis/SolverFailure.h"
#include "analysis/WorkPacer.h"
#include "platform/RuntimeError.h"
#include "platform/TextFile.h"

namespace analysis {

using namespace band;
using platform::Raise;

namespace band {

// A zero pivot, or a row whose figures left the arithmetic's range, at equation p.
[[noreturn]] void RaisePivot(int number, int p) {
  const std::string where = "equation " + std::to_string(p);
  if (number == platform::kErrDivideByZero)
    throw SolverFailure(number, "Division by zero: the pivot of " + where + " is zero", "", p);
  throw SolverFailure(number, "Overflow in " + where, "", p);
}

}  // namespace band

namespace {

// The forward reduction of R(1 .. N) by the pivot rows from .. to-1. Returns
// 0, or the pivot row where it stopped: negative for a zero pivot, positive
// for a factor not finite.
template <int L>
VELK_BAND_INLINE int ForwardReduceBody(const double* base, std::size_t rs, double* R, int from, int to, int N, int B) {
  for (int p = from; p < to; ++p) {
    const double* rp = base + static_cast<std::size_t>(p - 1) * rs;
    if (rp[0] == 0) return -p;
    const double f = R[p - 1] / rp[0];
    if (!std::isfinite(f)) return p;
    // Each row is read once, and the prefetcher alone starts late on each:
    // ask for the row six ahead, a cache line per 8 columns.
    if (p + 6 <= N)
      for (int c = 0; c < B; c += 8) __builtin_prefetch(rp + 6 * rs + c);
    if (f == 0) continue;
    SubtractMultiple<L>(R + p, rp + 1, f, std::min(B - 1, N - p));
  }
  return 0;
}
VELK_BAND_KERNEL(ForwardReduce)

// The back substitution into X(from) down to X(to), X(from + 1 .. N) known;
// each sum runs in the order of its columns, so the rows are a chain that no
// vector width shortens. Returns false at a result that is not finite.
template <int L>
VELK_BAND_INLINE bool BackSubstituteBody(const double* base, std::size_t rs, double* X, const double* R, int from,
                                         int to, int N, int B) {
  for (int i = from; i >= to; --i) {
    const double* ri = base + static_cast<std::size_t>(i - 1) * rs;
    const int len = std::min(N, i + B - 1) - i;
    const double* x = X + i;  // X(i + 1)
    // The rows run backwards, which the processor's prefetcher follows
    // poorly: ask for a row some rows ahead, a cache line per 8 columns.
    const double* ahead = ri - 4 * rs;
    const bool fetch = i > 4;
    double s = 0;
    int c = 0;
    for (; c + 8 <= len; c += 8) {
      if (fetch) __builtin_prefetch(ahead + c);
      s += x[c] * ri[c + 1];
      s += x[c + 1] * ri[c + 2];
      s += x[c + 2] * ri[c + 3];
      s += x[c + 3] * ri[c + 4];
      s += x[c + 4] * ri[c + 5];
      s += x[c + 5] * ri[c + 6];
      s += x[c + 6] * ri[c + 7];
      s += x[c + 7] * ri[c + 8];
    }
    if (fetch) __builtin_prefetch(ahead + c);
    for (; c < len; ++c) s += x[c] * ri[c + 1];
    const double xi = (R[i - 1] - s) / ri[0];
    if (!std::isfinite(xi)) return false;
    X[i - 1] = xi;  // after R(i) was read: X and R may be one vector
  }
  return true;
}
VELK_BAND_KERNEL(BackSubstitute)

// y(i) -= A(row i) . x(i ..) and the row's mirror into y(i + 1 ..), for rows
// from .. to-1 of a store read in full. The sums of four rows at a time run
// side by side, each in the order of its columns.
template <int L>
VELK_BAND_INLINE void MultiplyRowsBody(const double* base, std::size_t rs, const double* x, double* y, int from, int to,
                                       int N, int B) {
  int i = from;
  for (; i + 3 < to && i + 3 + B - 1 <= N; i += 4) {
    const double* r0 = base + static_cast<std::size_t>(i - 1) * rs;
    const double* r1 = r0 + rs;
    const double* r2 = r1 + rs;
    const double* r3 = r2 + rs;
    const double* xi = x + (i - 1);
    // The four rows after the next four, a cache line per 8 columns (as in
    // the forward reduction).
    const double* ahead = r0 + 8 * rs;
    const bool fetch = i + 11 <= N;
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    for (int j = 0; j < B; ++j) {
      if (fetch && j % 8 == 0)
        for (int r = 0; r < 4; ++r) __builtin_prefetch(ahead + static_cast<std::size_t>(r) * rs + j);
      s0 += r0[j] * xi[j];
      s1 += r1[j] * xi[j + 1];
      s2 += r2[j] * xi[j + 2];
      s3 += r3[j] * xi[j + 3];
    }
    const double* rows[4] = {r0, r1, r2, r3};
    const double sums[4] = {s0, s1, s2, s3};
    // Each row's mirror overlaps the last one's a place further on: in
    // vectors of eight, every load would straddle two stores just made,
    // which the processor serves late; four at most.
    for (int r = 0; r < 4; ++r) {
      y[i - 1 + r] -= sums[r];
      SubtractMultiple<std::min(L, 4)>(y + i + r, rows[r] + 1, x[i - 1 + r], B - 1);
    }
  }
  for (; i < to; ++i) {
    const double* ri = base + static_cast<std::size_t>(i - 1) * rs;
    const int len = std::min(B, N - i + 1);
    double s = 0;
    for (int j = 0; j < len; ++j) s += ri[j] * x[i - 1 + j];
    y[i - 1] -= s;
    SubtractMultiple<L>(y + i, ri + 1, x[i - 1], len - 1);
  }
}
VELK_BAND_KERNEL(MultiplyRows)

// The same over the stretches of each row only.
template <int L>
VELK_BAND_INLINE void MultiplyRunsBody(const double* base, std::size_t rs, const BandRuns& runs, const double* x,
                                       double* y, int N) {
  for (int i = 1; i <= N; ++i) {
    const double* ri = base + static_cast<std::size_t>(i - 1) * rs;
    const int len = std::min(runs.B(), N - i + 1);
    const double* xi = x + (i - 1);
    double s = 0;
    for (const BandRuns::Run& r : runs.RowRuns(i)) {
      const int end = std::min(r.first + r.length, len);
      for (int j = r.first; j < end; ++j) s += ri[j] * xi[j];
    }
    y[i - 1] -= s;
    for (const BandRuns::Run& r : runs.RowRuns(i)) {
      const int from = std::max(r.first, 1), end = std::min(r.first + r.length, len);
      // Stretches are a few entries long, and the next row's overlap this
      // one's a place further on: in eights, most go entry by entry, which
      // the processor serves at once (vectors of four that overlap the last
      // row's in part wait for them to reach the cache).
      if (from < end) SubtractMultiple<8>(y + (i - 1) + from, ri + from, xi[0], end - from);
    }
  }
}
VELK_BAND_KERNEL(MultiplyRuns)

// The stretches of row `row` (len band positions): appends them to `out` and
// returns how many; with `kept`, appends their values there too.
template <int L>
VELK_BAND_INLINE int FindRunsBody(const double* row, int len, BandRuns::Run* out, double*& kept) {
  // A gap of this many zeros or fewer does not end a stretch.
  constexpr int kJoin = 3;
  int count = 0;
  int open = -1, lastSet = -2 * kJoin;
  auto close = [&] {
    if (open < 0) return;
    out[count++] = {open, lastSet - open + 1};
    if (kept) {
      std::memcpy(kept, row + open, static_cast<std::size_t>(lastSet - open + 1) * sizeof(double));
      kept += lastSet - open + 1;
    }
    open = -1;
  };
  auto bits = [row](int j) { return std::bit_cast<std::int64_t>(row[j]); };
  for (int j = 0; j < len;) {
    if (j + 8 <= len) {
      std::int64_t any = 0;
      for (int l = 0; l < 8; ++l) any |= bits(j + l);
      if (any == 0) {
        j += 8;
        continue;
      }
    }
    const int end = std::min(len, j + 8);
    for (; j < end; ++j) {
      if (bits(j) == 0) continue;
      if (open >= 0 && j - lastSet > kJoin + 1) close();
      if (open < 0) open = j;
      lastSet = j;
    }
  }
  close();
  return count;
}
VELK_BAND_KERNEL(FindRuns)

// Rows of a solve between two offers to pause: a quarter of the work
// between two pauses, so that a pause comes soon after it is due.
int SolveBlockRows(const WorkPacer& pacer, int B) {
  const std::int64_t rows = pacer.WorkPerPause() / (4 * std::int64_t{B});
  return static_cast<int>(std::clamp<std::int64_t>(rows, 1, BandMatrix::kMaxSize));
}

}  // namespace

BandMatrix::BandMatrix(int neq, int bw, bool populate) : neq_(neq), bw_(bw) {
  if (neq > kMaxSize || bw > kMaxSize) Raise(platform::kErrOverflow);
  if (neq < 1 || bw < 1) Raise(platform::kErrSubscript);
  a_ = PageArray<double>(static_cast<std::size_t>(neq) * static_cast<std::size_t>(bw), populate);
  work_ = PageArray<double>(ReductionWorkSize(neq, bw));
}

// A block of 8 MB counts as 16 multiply-adds a double, one pause's work:
// about what it costs to bring in memory that the virtual machine's host
// already backs. Memory the host has not backed yet costs twenty to a
// hundred times that, 20 to 100 ms a block.
bool BandMatrix::BringIn(WorkPacer& pacer) {
  constexpr std::size_t kBlock = std::size_t{1} << 20;
  const std::size_t size = static_cast<std::size_t>(neq_) * static_cast<std::size_t>(bw_);
  if (stale_) std::fill(work_.data(), work_.data() + ReductionWorkSize(neq_, bw_), 0.0);
  for (std::size_t from = 0; from < size; from += kBlock) {
    const std::size_t to = std::min(from + kBlock, size);
    if (stale_)
      std::memset(a_.data() + from, 0, (to - from) * sizeof(double));
    else
      a_.BringIn(from, to);
    if (pacer.Done(16 * static_cast<std::int64_t>(to - from))) return false;
  }
  stale_ = false;
  return true;
}

BandMatrix BandMatrix::Reuse(int neq, int bw, BandMatrix&& old) {
  if (neq > kMaxSize || bw > kMaxSize) Raise(platform::kErrOverflow);
  if (neq < 1 || bw < 1) Raise(platform::kErrSubscript);
  const std::size_t size = static_cast<std::size_t>(neq) * static_cast<std::size_t>(bw);
  if (old.a_.size() < size) return BandMatrix(neq, bw, false);
  BandMatrix m;
  m.neq_ = neq;
  m.bw_ = bw;
  m.stale_ = true;
  m.a_ = std::move(old.a_);
  // The work space is small beside the store: made afresh when it is short.
  m.work_ = old.work_.size() >= ReductionWorkSize(neq, bw) ? std::move(old.work_)
                                                             : PageArray<double>(ReductionWorkSize(neq, bw));
  old = BandMatrix();
  return m;
}

bool BandStoresFit(int neq, int bw, std::uint64_t physicalBytes) {
  if (physicalBytes == 0 || neq < 1 || bw < 1) return true;
  const std::uint64_t storeBytes =
      static_cast<std::uint64_t>(neq) * static_cast<std::uint64_t>(bw) * sizeof(double);
  return 2 * storeBytes <= physicalBytes / 4 * 3;
}

std::uint64_t PhysicalMemoryBytes() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return 0;
  return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

std::size_t BandMatrix::Index(int j, int n) const {
  if (j < 1 || j > bw_ || n < 1 || n > neq_) Raise(platform::kErrSubscript);
  return static_cast<std::size_t>(n - 1) * static_cast<std::size_t>(bw_) + static_cast<std::size_t>(j - 1);
}

void BandMatrix::ClearRows(int rows) {
  rows = std::clamp(rows, 0, neq_);
  std::memset(a_.data(), 0, static_cast<std::size_t>(rows) * static_cast<std::size_t>(bw_) * sizeof(double));
}

BandRuns::BandRuns(const BandMatrix& A, int N, int B, bool keepValues) : n_(N), b_(B), values_(keepValues) {
  CheckWorkingSize(A, N, B);
  // At most one stretch for every two band positions; pages past what is
  // filled are never touched.
  const std::size_t rows = static_cast<std::size_t>(N);
  const std::size_t width = static_cast<std::size_t>(B);
  start_ = PageArray<std::int32_t>(rows + 1, false);
  runs_ = PageArray<Run>(rows * (width / 2 + 1) + 1, false);
  if (keepValues) kept_ = PageArray<double>(rows * width + 1, false);
  double* kept = keepValues ? kept_.data() : nullptr;
  std::int32_t count = 0;
  for (int n = 1; n <= N; ++n) {
    start_[static_cast<std::size_t>(n - 1)] = count;
    count += VELK_BAND_CALL(FindRuns, A.Row(n), B, runs_.data() + count, kept);
  }
  start_[rows] = count;
}

void BandRuns::Restore(BandMatrix& A) const {
  if (!values_ || A.NEQ() < n_ || A.BW() < b_) Raise(platform::kErrInvalidCall);
  const double* kept = kept_.data();
  for (int n = 1; n <= n_; ++n) {
    double* row = A.Row(n);
    std::memset(row, 0, static_cast<std::size_t>(b_) * sizeof(double));
    for (const Run& r : RowRuns(n)) {
      std::memcpy(row + r.first, kept, static_cast<std::size_t>(r.length) * sizeof(double));
      kept += r.length;
    }
  }
}

void BandRuns::Multiply_Negative(std::span<const double> x, std::span<double> y) const {
  if (!values_) Raise(platform::kErrInvalidCall);
  CheckVector(x, n_);
  CheckVector(y, n_);
  std::fill(y.begin(), y.begin() + n_, 0.0);
  const double* kept = kept_.data();
  for (int i = 1; i <= n_; ++i) {
    const int len = std::min(b_, n_ - i + 1);
    const double xi = x[static_cast<std::size_t>(i - 1)];
    double s = 0;
    for (const Run& r : RowRuns(i)) {
      for (int j = r.first; j < std::min(r.first + r.length, len); ++j) {
        const double a = kept[j - r.first];
        s += a * x[static_cast<std::size_t>(i - 1 + j)];
        if (j > 0) y[static_cast<std::size_t>(i - 1 + j)] -= a * xi;
      }
      kept += r.length;
    }
    y[static_cast<std::size_t>(i - 1)] -= s;
  }
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

bool Band_Solve(const BandMatrix& A, std::span<double> X, std::span<double> R, int N, int B, WorkPacer* pacer) {
  CheckWorkingSize(A, N, B);
  CheckVector(X, N);
  CheckVector(R, N);
  if (N == 0) return true;
  B = std::max(B, 1);
  const std::size_t rs = static_cast<std::size_t>(A.BW());
  const int block = pacer ? SolveBlockRows(*pacer, B) : N;
  const std::int64_t blockWork = static_cast<std::int64_t>(block) * B;
  // A zero pivot anywhere is reported before an overflow anywhere.
  int stop = 0;
  for (int p = 1; p < N && stop == 0; p += block) {
    stop = VELK_BAND_CALL(ForwardReduce, A.Row(1), rs, R.data(), p, std::min(p + block, N), N, B);
    if (stop == 0 && pacer && pacer->Done(blockWork)) return false;
  }
  if (stop < 0) RaisePivot(platform::kErrDivideByZero, -stop);
  if (stop > 0) {
    for (int i = stop + 1; i <= N; ++i)
      if (A.Row(i)[0] == 0) RaisePivot(platform::kErrDivideByZero, i);
    Raise(platform::kErrOverflow);
  }
  if (A.Row(N)[0] == 0) RaisePivot(platform::kErrDivideByZero, N);
  for (int i = N; i >= 1; i -= block) {
    if (!VELK_BAND_CALL(BackSubstitute, A.Row(1), rs, X.data(), R.data(), i, std::max(i - block + 1, 1), N, B))
      Raise(platform::kErrOverflow);
    if (i - block >= 1 && pacer && pacer->Done(blockWork)) return false;
  }
  return true;
}

void Band_Multiply_Negative(const BandMatrix& A, std::span<const double> x, std::span<double> y, int N, int B,
                            const BandRuns* runs) {
  CheckWorkingSize(A, N, B);
  CheckVector(x, N);
  CheckVector(y, N);
  if (N == 0) return;
  const double* xb = x.data();
  double* yb = y.data();
  if (xb < yb + N && yb < xb + N) Raise(platform::kErrInvalidCall);
  if (runs && (runs->N() != N || runs->B() != B)) Raise(platform::kErrInvalidCall);
  // A product with an infinite or undefined x is not finite; tested first,
  // so that the entries left out below (all exactly zero, whose products
  // add nothing to a finite sum) could not have made it so.
  if (B >= 1 && !AllFinite(xb, N)) Raise(platform::kErrOverflow);
  std::fill(yb, yb + N, 0.0);
  const std::size_t rs = static_cast<std::size_t>(A.BW());
  if (runs)
    VELK_BAND_CALL(MultiplyRuns, A.Row(1), rs, *runs, xb, yb, N);
  else
    VELK_BAND_CALL(MultiplyRows, A.Row(1), rs, xb, yb, 1, N + 1, N, B);
  if (!AllFinite(yb, N)) Raise(platform::kErrOverflow);
}

void Band_Add_Multiple(BandMatrix& K, const BandMatrix& Kg, const BandRuns& kgRuns, double s) {
  if (K.NEQ() < kgRuns.N() || K.BW() < kgRuns.B() || Kg.NEQ() < kgRuns.N() || Kg.BW() < kgRuns.B())
    Raise(platform::kErrInvalidCall);
  for (int r = 1; r <= kgRuns.N(); ++r) {
    double* k = K.Row(r);
    const double* g = Kg.Row(r);
    for (const BandRuns::Run& run : kgRuns.RowRuns(r))
      for (int j = run.first; j < run.first + run.length; ++j) k[j] += s * g[j];
  }
}

}  // namespace analysis
