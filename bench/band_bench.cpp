// The band routines on the largest store the 16-bit limits allow, each beside
// its OpenBLAS counterpart on the same memory (one thread), measured in the
// same run: the reduction against dpbtrf, the solve against dpbtrs, the
// product against dsbmv. The reduction also runs on 8 threads; the solve and
// the product use one thread in the program.
//
// Two stores: a dense one (random couplings over the whole band), and the
// geometric stiffness of the largest plate model as the eigenvalue iteration
// multiplies with it (some fifteen set entries a row), where the program's
// product visits only the set stretches of each row.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "analysis/BandMatrix.h"
#include "analysis/Workers.h"

extern "C" {
void dpbtrf_(const char* uplo, const int* n, const int* kd, double* ab, const int* ldab, int* info);
void dpbtrs_(const char* uplo, const int* n, const int* kd, const int* nrhs, const double* ab, const int* ldab,
             double* b, const int* ldb, int* info);
void dsbmv_(const char* uplo, const int* n, const int* k, const double* alpha, const double* a, const int* lda,
            const double* x, const int* incx, const double* beta, double* y, const int* incy);
void openblas_set_num_threads(int);
}

namespace {

// 10920 nodes of three equations (105 x 104 nodes); the band of a grid with
// 104 nodes a column.
constexpr int kEquations = 32760;
constexpr int kBand = 318;
constexpr int kNodesY = 104;

// A positive definite band matrix with random couplings.
const analysis::BandMatrix& Dense() {
  static const analysis::BandMatrix store = [] {
    analysis::BandMatrix a(kEquations, kBand);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int n = 1; n <= kEquations; ++n) {
      a(1, n) = 2.0 * kBand;
      for (int j = 2; j <= kBand && n + j - 1 <= kEquations; ++j) a(j, n) = u(rng);
    }
    return a;
  }();
  return store;
}

// The pattern of a plate grid's stiffness, numbered column by column: node n
// couples with n + 1 and with the three nodes of the next column.
const analysis::BandMatrix& GridPattern() {
  static const analysis::BandMatrix store = [] {
    analysis::BandMatrix a(kEquations, kBand);
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    const int nodes = kEquations / 3;
    for (int n = 1; n <= nodes; ++n)
      for (int other : {n, n + 1, n + kNodesY - 1, n + kNodesY, n + kNodesY + 1}) {
        if (other > nodes) continue;
        for (int d = 1; d <= 3; ++d)
          for (int e = 1; e <= 3; ++e) {
            const int r = 3 * (n - 1) + d, c = 3 * (other - 1) + e;
            if (c >= r) a(c - r + 1, r) = r == c ? 10.0 : u(rng);
          }
      }
    return a;
  }();
  return store;
}

std::vector<double> Vector() {
  std::vector<double> r(kEquations);
  for (int i = 0; i < kEquations; ++i) r[static_cast<std::size_t>(i)] = std::sin(i * 0.01);
  return r;
}

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void BM_BandDecompose(benchmark::State& state) {
  analysis::Workers workers(static_cast<int>(state.range(0)));
  analysis::BandMatrix a = Dense();
  for (auto _ : state) {
    state.PauseTiming();
    a = Dense();
    state.ResumeTiming();
    analysis::Band_Decompose(a, kEquations, kBand, &workers);
    benchmark::DoNotOptimize(a.Row(kEquations));
  }
}

void BM_LapackDpbtrf(benchmark::State& state) {
  openblas_set_num_threads(1);
  analysis::BandMatrix a = Dense();
  const int n = kEquations, kd = kBand - 1, ld = kBand;
  for (auto _ : state) {
    state.PauseTiming();
    a = Dense();
    state.ResumeTiming();
    int info = 0;
    // A row of the store is a column of LAPACK's lower band layout.
    dpbtrf_("L", &n, &kd, a.Row(1), &ld, &info);
    if (info != 0) state.SkipWithError("dpbtrf failed");
    benchmark::DoNotOptimize(a.Row(kEquations));
  }
}

void BM_BandSolve(benchmark::State& state) {
  analysis::BandMatrix a = Dense();
  analysis::Band_Decompose(a, kEquations, kBand);
  const std::vector<double> rhs = Vector();
  std::vector<double> x = rhs;
  for (auto _ : state) {
    x = rhs;
    analysis::Band_Solve(a, x, x, kEquations, kBand);
    benchmark::DoNotOptimize(x.data());
  }
}

void BM_LapackDpbtrs(benchmark::State& state) {
  openblas_set_num_threads(1);
  analysis::BandMatrix a = Dense();
  const int n = kEquations, kd = kBand - 1, ld = kBand, one = 1;
  int info = 0;
  dpbtrf_("L", &n, &kd, a.Row(1), &ld, &info);
  const std::vector<double> rhs = Vector();
  std::vector<double> x = rhs;
  for (auto _ : state) {
    x = rhs;
    dpbtrs_("L", &n, &kd, &one, a.Row(1), &ld, x.data(), &n, &info);
    benchmark::DoNotOptimize(x.data());
  }
}

// range(0): 0 the dense store, 1 the grid pattern; range(1): 1 to pass the
// store's set stretches, as the eigenvalue iteration does.
void BM_BandMultiply(benchmark::State& state) {
  const analysis::BandMatrix& a = state.range(0) ? GridPattern() : Dense();
  const analysis::BandRuns runs(a, kEquations, kBand, false);
  const std::vector<double> x = Vector();
  std::vector<double> y(kEquations);
  for (auto _ : state) {
    analysis::Band_Multiply_Negative(a, x, y, kEquations, kBand, state.range(1) ? &runs : nullptr);
    benchmark::DoNotOptimize(y.data());
  }
}

void BM_BlasDsbmv(benchmark::State& state) {
  openblas_set_num_threads(1);
  const analysis::BandMatrix& a = state.range(0) ? GridPattern() : Dense();
  const std::vector<double> x = Vector();
  std::vector<double> y(kEquations);
  const int n = kEquations, k = kBand - 1, ld = kBand, one = 1;
  const double minusOne = -1.0, zero = 0.0;
  for (auto _ : state) {
    dsbmv_("L", &n, &k, &minusOne, a.Row(1), &ld, x.data(), &one, &zero, y.data(), &one);
    benchmark::DoNotOptimize(y.data());
  }
}

// Five repetitions of each; minimum and median reported.
void Settings(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true)->ComputeStatistics("min", Min);
}

}  // namespace

BENCHMARK(BM_BandDecompose)->Apply(Settings)->Arg(1)->Arg(4)->Arg(8)->MinTime(1.0)->UseRealTime();
BENCHMARK(BM_LapackDpbtrf)->Apply(Settings)->MinTime(1.0);
BENCHMARK(BM_BandSolve)->Apply(Settings);
BENCHMARK(BM_LapackDpbtrs)->Apply(Settings);
BENCHMARK(BM_BandMultiply)->Apply(Settings)->Args({0, 0})->Args({1, 0})->Args({1, 1});
BENCHMARK(BM_BlasDsbmv)->Apply(Settings)->Arg(0)->Arg(1);

BENCHMARK_MAIN();
