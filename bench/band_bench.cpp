// The band reduction and solve on the largest store the 16-bit limits allow,
// beside LAPACK's band Cholesky on the same matrix (one thread).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "analysis/BandMatrix.h"

extern "C" {
void dpbtrf_(const char* uplo, const int* n, const int* kd, double* ab, const int* ldab, int* info);
void dpbtrs_(const char* uplo, const int* n, const int* kd, const int* nrhs, const double* ab, const int* ldab,
             double* b, const int* ldb, int* info);
void openblas_set_num_threads(int);
}

namespace {

// 10922 nodes of three equations; the band of a grid with 104 nodes a column.
constexpr int kEquations = 32766;
constexpr int kBand = 318;

// A positive definite band matrix with random couplings.
const analysis::BandMatrix& Pristine() {
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

std::vector<double> RightHandSide() {
  std::vector<double> r(kEquations);
  for (int i = 0; i < kEquations; ++i) r[static_cast<std::size_t>(i)] = std::sin(i * 0.01);
  return r;
}

void BM_BandDecompose(benchmark::State& state) {
  analysis::BandMatrix a = Pristine();
  for (auto _ : state) {
    state.PauseTiming();
    a = Pristine();
    state.ResumeTiming();
    analysis::Band_Decompose(a, kEquations, kBand);
    benchmark::DoNotOptimize(a.Row(kEquations));
  }
}

void BM_LapackDpbtrf(benchmark::State& state) {
  openblas_set_num_threads(1);
  analysis::BandMatrix a = Pristine();
  const int n = kEquations, kd = kBand - 1, ld = kBand;
  for (auto _ : state) {
    state.PauseTiming();
    a = Pristine();
    state.ResumeTiming();
    int info = 0;
    // A row of the store is a column of LAPACK's lower band layout.
    dpbtrf_("L", &n, &kd, a.Row(1), &ld, &info);
    if (info != 0) state.SkipWithError("dpbtrf failed");
    benchmark::DoNotOptimize(a.Row(kEquations));
  }
}

void BM_BandSolve(benchmark::State& state) {
  analysis::BandMatrix a = Pristine();
  analysis::Band_Decompose(a, kEquations, kBand);
  const std::vector<double> rhs = RightHandSide();
  std::vector<double> x = rhs;
  for (auto _ : state) {
    x = rhs;
    analysis::Band_Solve(a, x, x, kEquations, kBand);
    benchmark::DoNotOptimize(x.data());
  }
}

void BM_LapackDpbtrs(benchmark::State& state) {
  openblas_set_num_threads(1);
  analysis::BandMatrix a = Pristine();
  const int n = kEquations, kd = kBand - 1, ld = kBand, one = 1;
  int info = 0;
  dpbtrf_("L", &n, &kd, a.Row(1), &ld, &info);
  const std::vector<double> rhs = RightHandSide();
  std::vector<double> x = rhs;
  for (auto _ : state) {
    x = rhs;
    dpbtrs_("L", &n, &kd, &one, a.Row(1), &ld, x.data(), &n, &info);
    benchmark::DoNotOptimize(x.data());
  }
}

}  // namespace

BENCHMARK(BM_BandDecompose)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LapackDpbtrf)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BandSolve)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LapackDpbtrs)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
