// The band solver against a literal row-by-row elimination and a dense solve.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "analysis/BandMatrix.h"
#include "analysis/RunUi.h"
#include "analysis/SolverFailure.h"
#include "analysis/WorkPacer.h"
#include "analysis/Workers.h"
#include "platform/RuntimeError.h"
#include "platform/TextFile.h"
#include "tests/analysis/BandPathSupport.h"
#include "tests/platform/FileTestSupport.h"

namespace analysis {
namespace {

struct RecordingUi : SilentRunUi {
  std::vector<std::string> messages;
  void Message(const std::string& text) override { messages.push_back(text); }
};

// The reduction exactly as written down: sums over earlier rows, divided by their pivots.
void LiteralDecompose(BandMatrix& A, int N, int B) {
  for (int i = 2; i <= N; ++i)
    for (int j = 1; j <= std::min(B - 1, N - i + 1); ++j) {
      double s = 0;
      for (int k = 1; k <= std::min(i - 1, B - j); ++k) s += A(k + 1, i - k) * A(j + k, i - k) / A(1, i - k);
      A(j, i) = A(j, i) - s;
    }
}

void LiteralSolve(const BandMatrix& A, std::vector<double>& X, std::vector<double>& R, int N, int B) {
  auto r = [&](int i) -> double& { return R[static_cast<std::size_t>(i - 1)]; };
  auto x = [&](int i) -> double& { return X[static_cast<std::size_t>(i - 1)]; };
  for (int i = 2; i <= N; ++i) {
    double s = 0;
    for (int k = 1; k <= std::min(B - 1, i - 1); ++k) s += A(k + 1, i - k) / A(1, i - k) * r(i - k);
    r(i) -= s;
  }
  x(N) = r(N) / A(1, N);
  for (int i = N - 1; i >= 1; --i) {
    double s = 0;
    for (int c = i + 1; c <= std::min(N, i + B - 1); ++c) s += x(c) * A(c - i + 1, i);
    x(i) = (r(i) - s) / A(1, i);
  }
}

// Dense Gaussian elimination with partial pivoting.
std::vector<double> DenseSolve(std::vector<std::vector<double>> a, std::vector<double> b) {
  const std::size_t n = b.size();
  for (std::size_t c = 0; c < n; ++c) {
    std::size_t p = c;
    for (std::size_t r = c + 1; r < n; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[p][c])) p = r;
    std::swap(a[p], a[c]);
    std::swap(b[p], b[c]);
    for (std::size_t r = c + 1; r < n; ++r) {
      double f = a[r][c] / a[c][c];
      for (std::size_t k = c; k < n; ++k) a[r][k] -= f * a[c][k];
      b[r] -= f * b[c];
    }
  }
  std::vector<double> x(n);
  for (std::size_t i = n; i-- > 0;) {
    double s = b[i];
    for (std::size_t k = i + 1; k < n; ++k) s -= a[i][k] * x[k];
    x[i] = s / a[i][i];
  }
  return x;
}

class BandTest : public ::testing::Test {
 public:
  velk_test::ScratchFolder folder;
  std::filesystem::path path = folder.path() / "listing.txt";
  platform::TextFile listing{path, platform::FileMode::Output};
  RecordingUi ui;
  bool dimensionError = false;

  std::string ListingText() {
    listing.Close();
    return velk_test::ReadBytes(path);
  }
};

// A random symmetric band system of n equations and half band b, built from
// overlapping 2x2..4x4 element blocks through Band_Assemble; the dense copy
// gets the same entries.
struct RandomSystem {
  BandMatrix K;
  std::vector<std::vector<double>> dense;
  std::int16_t bmax = 0;
};

RandomSystem MakeSystem(int n, int b, bool definite, std::mt19937& rng, BandTest& t) {
  RandomSystem s{BandMatrix(n, b + 2), std::vector<std::vector<double>>(n, std::vector<double>(n, 0.0)), 0};
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int i = 1; i <= n; ++i) {
    // One "element" coupling equation i with i + b - 1 and two random others in between.
    Matrix<4, 4> e;
    std::vector<std::int16_t> lm = {static_cast<std::int16_t>(i)};
    int far = std::min(n, i + b - 1);
    if (far != i) lm.push_back(static_cast<std::int16_t>(far));
    std::uniform_int_distribution<int> mid(i, far);
    for (int extra = 0; extra < 2; ++extra) {
      int c = mid(rng);
      if (std::find(lm.begin(), lm.end(), c) == lm.end()) lm.push_back(static_cast<std::int16_t>(c));
    }
    const int m = static_cast<int>(lm.size());
    for (int r = 1; r <= m; ++r)
      for (int c = r; c <= m; ++c) {
        double v = u(rng);
        if (r == c) v = definite ? 2.0 * b + std::fabs(v) : 3.0 * v;
        e(r, c) = e(c, r) = v;
      }
    EXPECT_TRUE(Band_Assemble(View(e), s.K, s.bmax, lm, m, t.listing, t.ui, t.dimensionError));
    for (int r = 0; r < m; ++r)
      for (int c = 0; c < m; ++c) s.dense[lm[r] - 1][lm[c] - 1] += e(r + 1, c + 1);
  }
  return s;
}

TEST_F(BandTest, ReductionAndSolveMatchLiteralAndDense) {
  std::mt19937 rng(12345);
  for (bool definite : {true, false})
    for (int n : {1, 2, 7, 40, 150, 333})
      for (int b : {1, 2, 3, 5, 17, 33, 64, 200}) {
        if (b > n + 1) continue;
        SCOPED_TRACE(::testing::Message() << "n=" << n << " b=" << b << " definite=" << definite);
        RandomSystem s = MakeSystem(n, b, definite, rng, *this);
        const int B = s.bmax;
        ASSERT_LE(B, std::max(b, 1));
        std::vector<double> rhs(n);
        for (double& v : rhs) v = std::uniform_real_distribution<double>(-5, 5)(rng);

        std::vector<double> expected = DenseSolve(s.dense, rhs);
        BandMatrix literal = s.K;
        BandMatrix fast = s.K;
        bool singular = false;
        try {
          Band_Decompose(fast, n, B);
        } catch (const platform::RuntimeError& e) {
          // An indefinite draw may meet a (near) zero pivot; then the literal one must be tiny too.
          EXPECT_EQ(e.number(), platform::kErrDivideByZero);
          singular = true;
        }
        LiteralDecompose(literal, n, B);
        if (singular) continue;
        double scale = 0;
        for (int i = 1; i <= n; ++i)
          for (int j = 1; j <= B; ++j) scale = std::max(scale, std::fabs(literal(j, i)));
        for (int i = 1; i <= n; ++i)
          for (int j = 1; j <= s.K.BW(); ++j) ASSERT_NEAR(fast(j, i), literal(j, i), 1e-9 * scale) << j << "," << i;

        std::vector<double> xl(n), rl = rhs;
        LiteralSolve(literal, xl, rl, n, B);
        std::vector<double> same = rhs;  // X and R the same vector
        Band_Solve(fast, same, same, n, B);
        double xs = 0;
        for (double v : expected) xs = std::max(xs, std::fabs(v));
        for (int i = 0; i < n; ++i) {
          ASSERT_NEAR(same[i], xl[i], 1e-8 * (1 + xs));
          if (definite) {
            ASSERT_NEAR(same[i], expected[i], 1e-9 * (1 + xs));
          }
        }
        // The product with the unreduced store gives -A x, the dense product.
        std::vector<double> y(n);
        Band_Multiply_Negative(s.K, expected, y, n, B);
        for (int i = 0; i < n; ++i) ASSERT_NEAR(y[i], -rhs[i], 1e-7 * (1 + xs) * b);
      }
}

// The reduction's arithmetic written out plainly: panels of 32 rows reduced
// among themselves by rank-1 updates (each product rounded, then
// subtracted), then each panel's combined update of the rows below, its sum
// over the panel accumulated in panel order by fused multiply-adds from 0.
void PlainBlockedDecompose(BandMatrix& A, int N, int B) {
  auto a = [&](int row, int col) -> double& { return A.Row(row)[col - row]; };  // upper triangle
  auto width = [&](int p) { return std::min(B, N - p + 1); };
  for (int p0 = 1; p0 <= N; p0 += 32) {
    const int pe = std::min(p0 + 31, N);
    for (int p = p0; p <= pe; ++p) {
      const double inv = 1.0 / a(p, p);
      for (int q = p + 1; q <= std::min(pe, p + width(p) - 1); ++q) {
        const double f = a(p, q) * inv;
        if (f == 0) continue;
        for (int c = q; c < p + width(p); ++c) a(q, c) -= f * a(p, c);
      }
    }
    for (int r = pe + 1; r <= std::min(pe + B - 1, N); ++r)
      for (int c = r; c <= std::min(pe + B - 1, N); ++c) {
        double s = 0;
        for (int p = p0; p <= pe; ++p) {
          const bool reaches = r < p + width(p) && c < p + width(p);
          const double u = reaches ? a(p, r) : 0.0, w = reaches ? a(p, c) * (1.0 / a(p, p)) : 0.0;
          s = std::fma(u, w, s);
        }
        a(r, c) -= s;
      }
  }
}

// A random positive definite band store with every band position set.
BandMatrix RandomDefinite(int n, int b, unsigned seed) {
  BandMatrix a(n, b);
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int i = 1; i <= n; ++i) {
    a(1, i) = 2.0 * b + u(rng);
    for (int j = 2; j <= b && i + j - 1 <= n; ++j) a(j, i) = u(rng);
  }
  return a;
}

bool SameBits(const BandMatrix& x, const BandMatrix& y) {
  for (int i = 1; i <= x.NEQ(); ++i)
    if (std::memcmp(x.Row(i), y.Row(i), static_cast<std::size_t>(x.BW()) * sizeof(double)) != 0) return false;
  return true;
}

TEST_F(BandTest, ReductionRoundsTheSameOnAnyNumberOfThreads) {
  // Windows of 64 rows and more are shared among the threads.
  for (auto [n, b] : {std::pair{700, 120}, std::pair{1000, 67}, std::pair{333, 200}, std::pair{90, 20}}) {
    SCOPED_TRACE(::testing::Message() << "n=" << n << " b=" << b);
    const BandMatrix start = RandomDefinite(n, b, static_cast<unsigned>(n + b));
    BandMatrix alone = start;
    Band_Decompose(alone, n, b);
    for (int threads : {2, 3, 8}) {
      Workers workers(threads);
      BandMatrix shared = start;
      Band_Decompose(shared, n, b, &workers);
      EXPECT_TRUE(SameBits(alone, shared)) << threads << " threads";
    }
    if (ProcessorHasFma()) {
      BandMatrix plain = start;
      PlainBlockedDecompose(plain, n, b);
      EXPECT_TRUE(SameBits(alone, plain));
    }
  }
}

// What every routine gives on one path, to compare with another path.
struct PathResults {
  BandMatrix reduced;
  std::vector<double> solved, product, stretchProduct, x;
  int stretches = 0;
};

PathResults RunEveryRoutine(const BandMatrix& start, const BandMatrix& sparse, int n, int b, int threads) {
  PathResults r{start, {}, {}, {}, {}};
  Workers workers(threads);
  Band_Decompose(r.reduced, n, b, &workers);
  r.solved.resize(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) r.solved[static_cast<std::size_t>(i)] = std::cos(0.37 * i);
  std::vector<double> x = r.solved;
  r.x = x;
  Band_Solve(r.reduced, r.solved, r.solved, n, b);
  r.product.resize(static_cast<std::size_t>(n));
  Band_Multiply_Negative(start, x, r.product, n, b);
  const BandRuns runs(sparse, n, b, true);
  for (int i = 1; i <= n; ++i) r.stretches += static_cast<int>(runs.RowRuns(i).size());
  r.stretchProduct.resize(static_cast<std::size_t>(n));
  Band_Multiply_Negative(sparse, x, r.stretchProduct, n, b, &runs);
  return r;
}

// y = -A x as the routine states it: row after row, the row's sum in the
// order of its columns subtracted from y(i), then its mirror subtracted from
// the later entries, each product rounded.
std::vector<double> LiteralProduct(const BandMatrix& A, const std::vector<double>& x, int n, int b) {
  std::vector<double> y(static_cast<std::size_t>(n), 0.0);
  for (int i = 1; i <= n; ++i) {
    const int len = std::min(b, n - i + 1);
    double s = 0;
    for (int j = 1; j <= len; ++j) s += A(j, i) * x[static_cast<std::size_t>(i + j - 2)];
    y[static_cast<std::size_t>(i - 1)] -= s;
    for (int j = 2; j <= len; ++j)
      y[static_cast<std::size_t>(i + j - 2)] -= x[static_cast<std::size_t>(i - 1)] * A(j, i);
  }
  return y;
}

bool SameBits(const std::vector<double>& x, const std::vector<double>& y) {
  return x.size() == y.size() && std::memcmp(x.data(), y.data(), x.size() * sizeof(double)) == 0;
}

// The plain path, portable C++, is what runs on arm64; the vector paths are
// what x86-64 runs. Where the processor has fused multiply-adds the plain
// path forms the reduction's sums as the vector paths do: every entry of
// every routine the same to the last bit, on any number of threads. Sizes
// meet every edge of the tiles, blocks and panels.
TEST_F(BandTest, EveryPathGivesThePlainPathsBits) {
  if (!ProcessorHasFma()) GTEST_SKIP() << "without fused multiply-adds the plain path rounds each product";
  const std::vector<BandPath> paths = BandPathsHere();
  ASSERT_EQ(paths.front(), BandPath::Plain);
  for (auto [n, b] : {std::pair{1, 1}, std::pair{37, 5}, std::pair{700, 120}, std::pair{333, 200},
                      std::pair{517, 71}}) {
    SCOPED_TRACE(::testing::Message() << "n=" << n << " b=" << b);
    const BandMatrix start = RandomDefinite(n, b, static_cast<unsigned>(7 * n + b));
    BandMatrix sparse(n, b);
    for (int i = 1; i <= n; ++i)
      for (int j : {1, 2, 3, b - 2, b - 1, b})
        if (j >= 1 && i + j - 1 <= n && (j == 1 || (i * j) % 7 != 0)) sparse(j, i) = start(j, i);
    PathResults plain = [&] {
      bandtest::ScopedBandPath path(BandPath::Plain);
      return RunEveryRoutine(start, sparse, n, b, 1);
    }();
    EXPECT_TRUE(SameBits(plain.product, LiteralProduct(start, plain.x, n, b)));
    EXPECT_TRUE(SameBits(plain.stretchProduct, LiteralProduct(sparse, plain.x, n, b)));
    for (BandPath p : paths)
      for (int threads : {1, 3}) {
        SCOPED_TRACE(::testing::Message() << BandPathName(p) << ", " << threads << " threads");
        bandtest::ScopedBandPath path(p);
        EXPECT_EQ(CurrentBandPath(), p);
        const PathResults r = RunEveryRoutine(start, sparse, n, b, threads);
        EXPECT_TRUE(SameBits(r.reduced, plain.reduced));
        EXPECT_TRUE(SameBits(r.solved, plain.solved));
        EXPECT_TRUE(SameBits(r.product, plain.product));
        EXPECT_TRUE(SameBits(r.stretchProduct, plain.stretchProduct));
        EXPECT_EQ(r.stretches, plain.stretches);
      }
  }
}

TEST(BandPaths, TheWidestRunsUnlessAnotherIsChosen) {
  const std::vector<BandPath> paths = BandPathsHere();
  EXPECT_EQ(CurrentBandPath(), paths.back());
#if defined(__x86_64__)
  __builtin_cpu_init();
  EXPECT_EQ(std::count(paths.begin(), paths.end(), BandPath::Avx512), __builtin_cpu_supports("avx512f") ? 1 : 0);
#else
  EXPECT_EQ(paths, std::vector<BandPath>{BandPath::Plain});
  EXPECT_THROW(ChooseBandPath(BandPath::Avx2), platform::RuntimeError);
#endif
  {
    bandtest::ScopedBandPath plain(BandPath::Plain);
    EXPECT_EQ(CurrentBandPath(), BandPath::Plain);
  }
  EXPECT_EQ(CurrentBandPath(), paths.back());
  EXPECT_STREQ(BandPathName(BandPath::Avx512), "AVX-512");
}

// What a pacer saw: the work counted at each pause, whether every pause ran
// on the thread that started the routine, and after which pause it stopped.
struct PauseLog {
  std::thread::id caller = std::this_thread::get_id();
  std::vector<std::int64_t> work;
  bool otherThread = false;
  std::size_t stopAt = 0;  // 0: never
  WorkPacer* pacer = nullptr;

  std::function<bool()> Pause() {
    return [this] {
      otherThread |= std::this_thread::get_id() != caller;
      work.push_back(pacer->Work());
      return work.size() == stopAt;
    };
  }
  // The largest work between two pauses, from the start to the first and
  // from the last to the end included.
  std::int64_t LargestGap() const {
    std::int64_t gap = 0, last = 0;
    for (std::int64_t w : work) gap = std::max(gap, w - std::exchange(last, w));
    return std::max(gap, pacer->Work() - last);
  }
};

TEST_F(BandTest, LongReductionsAndSolvesPauseByWorkAndStopWhenTold) {
  // A band of 300 over 1500 rows: some thirty pauses' work for the
  // reduction, some ten for the solve at the smaller rate given it.
  const int n = 1500, b = 300;
  const std::int64_t every = 2000000, everyInSolve = 100000;
  const double work = n * double(b) * b / 2;  // the reduction's multiply-adds, about
  const BandMatrix start = RandomDefinite(n, b, 99);
  BandMatrix plain = start;
  Band_Decompose(plain, n, b);
  std::vector<double> rhs(n);
  for (int i = 0; i < n; ++i) rhs[i] = std::sin(0.1 * i);
  std::vector<double> x = rhs;
  Band_Solve(plain, x, x, n, b);

  for (int threads : {1, 3}) {
    SCOPED_TRACE(::testing::Message() << threads << " threads");
    Workers workers(threads);
    PauseLog log;
    WorkPacer pacer(log.Pause(), every);
    log.pacer = &pacer;
    BandMatrix paced = start;
    EXPECT_TRUE(Band_Decompose(paced, n, b, &workers, &pacer));
    EXPECT_TRUE(SameBits(paced, plain));
    EXPECT_FALSE(log.otherThread);
    // The counted work is the reduction's, and no pause is skipped.
    EXPECT_GT(pacer.Work(), 0.7 * work);
    EXPECT_LT(pacer.Work(), 1.1 * work);
    EXPECT_LT(log.LargestGap(), 2 * every);
  }
  PauseLog log;
  WorkPacer pacer(log.Pause(), everyInSolve);
  log.pacer = &pacer;
  std::vector<double> y = rhs;
  EXPECT_TRUE(Band_Solve(plain, y, y, n, b, &pacer));
  EXPECT_EQ(std::memcmp(y.data(), x.data(), sizeof(double) * n), 0);
  EXPECT_GT(pacer.Work(), n * b);
  EXPECT_LT(log.LargestGap(), 2 * everyInSolve);
  EXPECT_GE(log.work.size(), 5u);

  // Told to stop at the third pause, the reduction returns there: no pause
  // after it, and the last rows still as they were. A stopped pacer stops
  // a solve at its first offer.
  PauseLog stopLog;
  stopLog.stopAt = 3;
  WorkPacer stopping(stopLog.Pause(), every);
  stopLog.pacer = &stopping;
  BandMatrix stopped = start;
  EXPECT_FALSE(Band_Decompose(stopped, n, b, nullptr, &stopping));
  EXPECT_EQ(stopLog.work.size(), 3u);
  EXPECT_EQ(std::memcmp(stopped.Row(n - b), start.Row(n - b), sizeof(double) * b), 0);
  y = rhs;
  EXPECT_FALSE(Band_Solve(plain, y, y, n, b, &stopping));
  EXPECT_EQ(stopLog.work.size(), 3u);
}

TEST_F(BandTest, StretchesOfASparseStoreGiveTheSameProductAndCopy) {
  // Couplings of a grid numbered column by column: a stretch at the start
  // of each row and one near its end, a zero here and there in between.
  const int n = 300, b = 40;
  BandMatrix a(n, b);
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int i = 1; i <= n; ++i)
    for (int j : {1, 2, 3, 5, 34, 35, 36, 37, 40})
      if (i + j - 1 <= n && (j == 1 || rng() % 5 != 0)) a(j, i) = j == 1 ? 10.0 : u(rng);
  a(3, 7) = -0.0;  // a set sign bit is kept like any other entry
  const BandRuns runs(a, n, b, true);
  EXPECT_LE(runs.RowRuns(1).size(), 2u);

  std::vector<double> x(n), full(n), stretches(n), kept(n);
  for (int i = 0; i < n; ++i) x[i] = std::sin(0.3 * i);
  Band_Multiply_Negative(a, x, full, n, b);
  Band_Multiply_Negative(a, x, stretches, n, b, &runs);
  EXPECT_EQ(std::memcmp(full.data(), stretches.data(), n * sizeof(double)), 0);
  runs.Multiply_Negative(x, kept);
  for (int i = 0; i < n; ++i) EXPECT_NEAR(kept[i], full[i], 1e-12);

  // The copy puts back every bit, after the store was reduced.
  BandMatrix work = a;
  for (int i = 1; i <= n; ++i) work(1, i) += 100.0;
  Band_Decompose(work, n, b);
  runs.Restore(work);
  EXPECT_TRUE(SameBits(work, a));

  // The shift over the stretches equals the shift over every position.
  BandMatrix shifted = a, everywhere = a;
  Band_Add_Multiple(shifted, a, runs, 0.37);
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= b; ++j) everywhere(j, i) += 0.37 * a(j, i);
  EXPECT_TRUE(SameBits(shifted, everywhere));

  // Stretches made for other sizes are refused.
  EXPECT_THROW(Band_Multiply_Negative(a, x, full, n - 1, b, &runs), platform::RuntimeError);
}

// The largest grid model needs 2 x 83 MB; a girder one element long and
// thousands deep (within the node limit) would need 2 x 4.3 GB, which is
// refused before any of it is brought into memory.
TEST(BandStores, PairsLargerThanTheMachineAreRefused) {
  constexpr std::uint64_t GiB = 1ull << 30;
  EXPECT_TRUE(BandStoresFit(32760, 318, 8 * GiB));
  EXPECT_FALSE(BandStoresFit(32766, 16389, 8 * GiB));
  EXPECT_TRUE(BandStoresFit(32766, 16389, 16 * GiB));
  EXPECT_TRUE(BandStoresFit(32766, 16389, 0)) << "unknown memory refuses nothing";
  EXPECT_GT(PhysicalMemoryBytes(), 0u);
}

// A store made in the memory of another keeps that memory and its old
// values until it is brought in, which clears it; a store too small for the
// sizes asked for is not used.
TEST(BandStores, AReusedStoreIsClearedWhenBroughtIn) {
  BandMatrix old = RandomDefinite(60, 12, 1);
  const double* memory = old.Row(1);
  const std::uint64_t bytes = old.MemoryBytes();
  BandMatrix reused = BandMatrix::Reuse(40, 15, std::move(old));
  EXPECT_EQ(reused.Row(1), memory);
  EXPECT_GE(reused.MemoryBytes(), bytes);  // the reduction's work space grows with the band
  EXPECT_EQ(old.MemoryBytes(), 0u);
  EXPECT_EQ(reused.NEQ(), 40);
  EXPECT_EQ(reused.BW(), 15);
  std::vector<std::int64_t> pauses;
  WorkPacer pacer([&] {
    pauses.push_back(0);
    return false;
  }, 1);
  ASSERT_TRUE(reused.BringIn(pacer));
  EXPECT_FALSE(pauses.empty());
  for (int n = 1; n <= 40; ++n)
    for (int j = 1; j <= 15; ++j) ASSERT_EQ(std::bit_cast<std::uint64_t>(reused(j, n)), 0u);
  // Reduced afterwards exactly as a fresh store.
  BandMatrix fresh(40, 15);
  for (int n = 1; n <= 40; ++n) {
    fresh(1, n) = reused(1, n) = 30.0 + n;
    if (n < 40) fresh(2, n) = reused(2, n) = -1.0;
  }
  Band_Decompose(fresh, 40, 15);
  Band_Decompose(reused, 40, 15);
  EXPECT_TRUE(SameBits(fresh, reused));

  BandMatrix big = BandMatrix::Reuse(100, 15, std::move(reused));
  EXPECT_NE(big.Row(1), memory);
  EXPECT_EQ(big(15, 100), 0.0);
}

TEST_F(BandTest, AZeroPivotNamesItsEquation) {
  BandMatrix a = RandomDefinite(80, 10, 5);
  for (int j = 1; j <= 10; ++j) a(j, 37) = 0.0;  // nothing holds equation 37
  for (int j = 2; j <= 10; ++j)
    if (37 - j + 1 >= 1) a(j, 37 - j + 1) = 0.0;
  try {
    Band_Decompose(a, 80, 10);
    FAIL();
  } catch (const SolverFailure& f) {
    EXPECT_EQ(f.number(), platform::kErrDivideByZero);
    EXPECT_EQ(f.equation(), 37);
  }
}

TEST_F(BandTest, AssembleAddsTracksBandAndReportsOverflow) {
  BandMatrix K(6, 3);
  Matrix<19, 19> e;
  for (int i = 1; i <= 19; ++i)
    for (int j = 1; j <= 19; ++j) e(i, j) = 10 * i + j;
  std::int16_t bmax = 0;
  std::vector<std::int16_t> lm = {2, 4};
  ASSERT_TRUE(Band_Assemble(View(e), K, bmax, lm, 2, listing, ui, dimensionError));
  ASSERT_TRUE(Band_Assemble(View(e), K, bmax, lm, 2, listing, ui, dimensionError));
  EXPECT_EQ(bmax, 3);  // exactly BW is stored
  EXPECT_EQ(K(1, 2), 2 * 11.0);
  EXPECT_EQ(K(3, 2), 2 * 21.0);  // pair (row 2, column 4) reads E(2, 1)
  EXPECT_EQ(K(1, 4), 2 * 22.0);
  EXPECT_FALSE(dimensionError);

  // Band position BW + 1 overflows; the first row's pairs before it stay.
  lm = {1, 4};
  EXPECT_FALSE(Band_Assemble(View(e), K, bmax, lm, 2, listing, ui, dimensionError));
  EXPECT_TRUE(dimensionError);
  EXPECT_EQ(K(1, 1), 11.0);
  EXPECT_EQ(bmax, 4);

  // An equation above NEQ on the second row: the band position of the first row's last pair.
  lm = {5, 7};
  EXPECT_FALSE(Band_Assemble(View(e), K, bmax, lm, 2, listing, ui, dimensionError));
  EXPECT_EQ(K(1, 5), 11.0);
  EXPECT_EQ(K(3, 5), 21.0);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0], "Dimesnison of Stiffness Matrix Exceeded!:");
  EXPECT_EQ(ListingText(),
            "Dimension of Stiffness Matrix EXCEEDED\r\n"
            "Degree of Freedom Number  = 1\r\n"
            "Band Width                = 4\r\n"
            "Dimension of Stiffness Matrix EXCEEDED\r\n"
            "Degree of Freedom Number  = 7\r\n"
            "Band Width                = 3\r\n");

  // Map entries below 1 and counts beyond the map are index errors, not memory faults.
  lm = {0, 1};
  EXPECT_THROW(Band_Assemble(View(e), K, bmax, lm, 2, listing, ui, dimensionError), platform::RuntimeError);
  EXPECT_THROW(Band_Assemble(View(e), K, bmax, lm, 3, listing, ui, dimensionError), platform::RuntimeError);
}

TEST_F(BandTest, BoundaryConditionModes) {
  // A tridiagonal 4x4: 4 on the diagonal, -1 beside it.
  BandMatrix K(4, 2);
  for (int n = 1; n <= 4; ++n) {
    K(1, n) = 4;
    if (n < 4) K(2, n) = -1;
  }
  BandMatrix Kg = K;
  std::vector<double> R = {1, 2, 3, 4};
  Band_Boundary_Condition(K, R, 2, 0.5, 2, 2);
  EXPECT_EQ(R, (std::vector<double>{1.5, 0.5, 3.5, 4}));
  EXPECT_EQ(K(1, 2), 1.0);
  EXPECT_EQ(K(2, 1), 0.0);
  EXPECT_EQ(K(2, 2), 0.0);
  std::vector<double> X(4);
  Band_Decompose(K, 4, 2);
  Band_Solve(K, X, R, 4, 2);
  EXPECT_EQ(X[1], 0.5);  // exactly the prescribed value

  std::vector<double> V(4, 0.0);
  Band_Boundary_Condition(Kg, V, 4, 0.25, 2, 1);
  EXPECT_EQ(Kg(1, 4), 0.0);
  EXPECT_EQ(Kg(2, 3), 0.0);
  EXPECT_EQ(V[3], 0.25);
  EXPECT_EQ(V[2], 0.25);  // the coupling -1 * 0.25 moved to the right side

  EXPECT_THROW(Band_Boundary_Condition(Kg, V, 5, 0, 2, 1), platform::RuntimeError);
  std::vector<double> shortR(3);
  EXPECT_THROW(Band_Boundary_Condition(Kg, shortR, 1, 0, 2, 1), platform::RuntimeError);
}

TEST_F(BandTest, SmallStoresAndFailures) {
  BandMatrix one(1, 1);
  one(1, 1) = 4;
  std::vector<double> r = {2};
  Band_Decompose(one, 1, 1);
  Band_Solve(one, r, r, 1, 1);
  EXPECT_EQ(r[0], 0.5);

  BandMatrix diag(3, 2);
  for (int n = 1; n <= 3; ++n) diag(1, n) = n;
  diag(2, 1) = 7;  // beyond the working band width 1: never read
  Band_Decompose(diag, 3, 1);
  EXPECT_EQ(diag(1, 3), 3.0);
  std::vector<double> x(3), rhs = {1, 1, 3};
  Band_Solve(diag, x, rhs, 3, 1);
  EXPECT_EQ(x, (std::vector<double>{1, 0.5, 1}));

  BandMatrix eye(3, 2);
  for (int n = 1; n <= 3; ++n) eye(1, n) = 1;
  std::vector<double> y(3);
  Band_Multiply_Negative(eye, rhs, y, 3, 2);
  EXPECT_EQ(y, (std::vector<double>{-1, -1, -3}));
  EXPECT_THROW(Band_Multiply_Negative(eye, rhs, rhs, 3, 2), platform::RuntimeError);

  // An unrestrained model: a singular matrix whose pivot is only round-off.
  BandMatrix free(3, 2);
  const double k = 1.0 / 3.0;
  double d[3] = {k, 2 * k, k};
  for (int n = 1; n <= 3; ++n) free(1, n) = d[n - 1];
  free(2, 1) = -k;
  free(2, 2) = -k;
  try {
    Band_Decompose(free, 3, 2);
    FAIL() << "a singular matrix was reduced";
  } catch (const platform::RuntimeError& e) {
    EXPECT_EQ(e.number(), platform::kErrDivideByZero);
  }
  BandMatrix zero(2, 1);
  EXPECT_THROW(Band_Decompose(zero, 2, 1), platform::RuntimeError);

  // Sizes: beyond the store is an index error, beyond 16 bits an overflow.
  try {
    Band_Decompose(eye, 4, 2);
    FAIL();
  } catch (const platform::RuntimeError& e) {
    EXPECT_EQ(e.number(), platform::kErrSubscript);
  }
  try {
    BandMatrix big(40000, 2);
    FAIL();
  } catch (const platform::RuntimeError& e) {
    EXPECT_EQ(e.number(), platform::kErrOverflow);
  }
  EXPECT_THROW(eye(3, 1), platform::RuntimeError);

  // A floating-point overflow in the reduction is an overflow error.
  BandMatrix huge(2, 2);
  huge(1, 1) = 1e-300;
  huge(2, 1) = 1e300;
  huge(1, 2) = 1;
  try {
    Band_Decompose(huge, 2, 2);
    FAIL();
  } catch (const platform::RuntimeError& e) {
    EXPECT_EQ(e.number(), platform::kErrOverflow);
  }
}

}  // namespace
}  // namespace analysis
