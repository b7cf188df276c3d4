// The band routines on the store of the largest model, each beside its
// OpenBLAS counterpart on the same memory (one thread), timed alternately in
// the same iterations: the reduction against dpbtrf, the solve against
// dpbtrs, the product against dsbmv. The reduction also runs on 4 and 8
// threads; the solve and the product use one thread in the program.
//
// Two stores: a dense one (random couplings over the whole band), and the
// geometric stiffness of the largest plate model as the eigenvalue iteration
// multiplies with it (some fifteen set entries a row), where the program's
// product visits only the set stretches of each row.
//
// Every path of the band routines that this processor runs is measured, each
// in a process of its own against OpenBLAS's kernels of the same
// instruction set, which OpenBLAS takes when it loads (OPENBLAS_CORETYPE):
// the AVX-512 path against SkylakeX, the AVX2 path against Haswell, the
// plain path against Prescott (SSE3). A machine with AVX-512 thus measures
// the AVX2 path too, which it never takes by itself. Every line names the
// path and the kernels.
//
//   band_bench [--path=plain|avx2|avx512] [benchmark options]
//     --path: that path alone, against the kernels OPENBLAS_CORETYPE names
//     (its own choice when unset).
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "analysis/BandMatrix.h"
#include "analysis/BandPaths.h"
#include "analysis/Workers.h"

extern "C" {
void dpbtrf_(const char* uplo, const int* n, const int* kd, double* ab, const int* ldab, int* info);
void dpbtrs_(const char* uplo, const int* n, const int* kd, const int* nrhs, const double* ab, const int* ldab,
             double* b, const int* ldb, int* info);
void dsbmv_(const char* uplo, const int* n, const int* k, const double* alpha, const double* a, const int* lda,
            const double* x, const int* incx, const double* beta, double* y, const int* incy);
void openblas_set_num_threads(int);
char* openblas_get_corename(void);
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

using Clock = std::chrono::steady_clock;

// Times our routine and OpenBLAS's alternately in every iteration, each
// after its own preparation (not timed), so that both meet the same load on
// a shared machine. The benchmark's time is ours; the counters give
// OpenBLAS's time and the ratio of the two.
template <typename Prepare, typename Ours, typename Theirs>
void Paired(benchmark::State& state, Prepare prepare, Ours ours, Theirs theirs) {
  openblas_set_num_threads(1);
  double oursTotal = 0, theirsTotal = 0;
  for (auto _ : state) {
    prepare();
    const auto t0 = Clock::now();
    ours();
    const auto t1 = Clock::now();
    prepare();
    const auto t2 = Clock::now();
    theirs();
    const auto t3 = Clock::now();
    const double a = std::chrono::duration<double>(t1 - t0).count();
    const double b = std::chrono::duration<double>(t3 - t2).count();
    state.SetIterationTime(a);
    oursTotal += a;
    theirsTotal += b;
  }
  state.counters["openblas_ms"] = 1e3 * theirsTotal / static_cast<double>(state.iterations());
  state.counters["ratio"] = oursTotal / theirsTotal;
  state.SetLabel(std::string(analysis::BandPathName(analysis::CurrentBandPath())) + " path against OpenBLAS " +
                 openblas_get_corename());
}

// Band_Decompose on range(0) threads beside dpbtrf on one thread. A row of
// the store is a column of LAPACK's lower band layout, so both work on
// identical memory.
void BM_Decompose_vs_dpbtrf(benchmark::State& state) {
  analysis::Workers workers(static_cast<int>(state.range(0)));
  analysis::BandMatrix a = Dense();
  const int n = kEquations, kd = kBand - 1, ld = kBand;
  Paired(
      state, [&] { a = Dense(); }, [&] { analysis::Band_Decompose(a, kEquations, kBand, &workers); },
      [&] {
        int info = 0;
        dpbtrf_("L", &n, &kd, a.Row(1), &ld, &info);
        if (info != 0) state.SkipWithError("dpbtrf failed");
      });
}

// Band_Solve beside dpbtrs, each on its own reduction of the same store.
void BM_Solve_vs_dpbtrs(benchmark::State& state) {
  analysis::BandMatrix ours = Dense(), theirs = Dense();
  analysis::Band_Decompose(ours, kEquations, kBand);
  const int n = kEquations, kd = kBand - 1, ld = kBand, one = 1;
  int info = 0;
  dpbtrf_("L", &n, &kd, theirs.Row(1), &ld, &info);
  const std::vector<double> rhs = Vector();
  std::vector<double> x = rhs;
  Paired(
      state, [&] { x = rhs; }, [&] { analysis::Band_Solve(ours, x, x, kEquations, kBand); },
      [&] { dpbtrs_("L", &n, &kd, &one, theirs.Row(1), &ld, x.data(), &n, &info); });
}

// The product beside dsbmv. range(0): 0 the dense store, 1 the grid
// pattern; range(1): 1 to pass the store's set stretches, as the
// eigenvalue iteration does with the geometric stiffness.
void BM_Product_vs_dsbmv(benchmark::State& state) {
  const analysis::BandMatrix& a = state.range(0) ? GridPattern() : Dense();
  const analysis::BandRuns runs(a, kEquations, kBand, false);
  const analysis::BandRuns* stretches = state.range(1) ? &runs : nullptr;
  const std::vector<double> x = Vector();
  std::vector<double> y(kEquations);
  const int n = kEquations, k = kBand - 1, ld = kBand, one = 1;
  const double minusOne = -1.0, zero = 0.0;
  Paired(
      state, [] {}, [&] { analysis::Band_Multiply_Negative(a, x, y, kEquations, kBand, stretches); },
      [&] { dsbmv_("L", &n, &k, &minusOne, a.Row(1), &ld, x.data(), &one, &zero, y.data(), &one); });
}

// Five repetitions of each; minimum and median reported.
void Settings(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)
      ->Repetitions(5)
      ->ReportAggregatesOnly(true)
      ->ComputeStatistics("min", Min)
      ->UseManualTime();
}

}  // namespace

BENCHMARK(BM_Decompose_vs_dpbtrf)->Apply(Settings)->Arg(1)->Arg(4)->Arg(8)->MinTime(1.0);
BENCHMARK(BM_Solve_vs_dpbtrs)->Apply(Settings);
BENCHMARK(BM_Product_vs_dsbmv)->Apply(Settings)->Args({0, 0})->Args({1, 0})->Args({1, 1});

namespace {

struct PathKernels {
  analysis::BandPath path;
  const char* option;   // --path=
  const char* kernels;  // OPENBLAS_CORETYPE of the same instruction set
};

constexpr PathKernels kPaths[] = {
    {analysis::BandPath::Plain, "plain", "Prescott"},
    {analysis::BandPath::Avx2, "avx2", "Haswell"},
    {analysis::BandPath::Avx512, "avx512", "SkylakeX"},
};

// Runs this program again for one path, against its kernels; its exit status.
int RunForPath(const PathKernels& p, const std::vector<char*>& args) {
  std::printf("\n== %s path against OpenBLAS %s (OPENBLAS_CORETYPE=%s)\n", analysis::BandPathName(p.path),
              p.kernels, p.kernels);
  std::fflush(stdout);
  const std::string option = std::string("--path=") + p.option;
  std::vector<char*> argv{args[0], const_cast<char*>(option.c_str())};
  argv.insert(argv.end(), args.begin() + 1, args.end());
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child < 0) return 1;
  if (child == 0) {
    ::setenv("OPENBLAS_CORETYPE", p.kernels, 1);
    ::execv("/proc/self/exe", argv.data());
    std::perror("band_bench: could not start again for a path");
    ::_exit(127);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child) return 1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args(argv, argv + argc);
  const PathKernels* chosen = nullptr;
  if (argc > 1 && std::string(argv[1]).rfind("--path=", 0) == 0) {
    const std::string name = std::string(argv[1]).substr(7);
    for (const PathKernels& p : kPaths)
      if (name == p.option) chosen = &p;
    const std::vector<analysis::BandPath> here = analysis::BandPathsHere();
    if (!chosen || std::find(here.begin(), here.end(), chosen->path) == here.end()) {
      std::fprintf(stderr, "band_bench: no path %s on this processor\n", name.c_str());
      return 2;
    }
    args.erase(args.begin() + 1);
  }
  if (!chosen) {
    // Every path this processor runs, the widest first, each in a process
    // of its own: OpenBLAS takes its kernels once, when it loads.
    if (const char* set = std::getenv("OPENBLAS_CORETYPE"))
      std::printf("OPENBLAS_CORETYPE=%s in the environment: each path sets its own instead\n", set);
    const std::vector<analysis::BandPath> here = analysis::BandPathsHere();
    int status = 0;
    for (auto p = here.rbegin(); p != here.rend(); ++p)
      for (const PathKernels& k : kPaths)
        if (k.path == *p && RunForPath(k, args) != 0) status = 1;
    return status;
  }
  analysis::ChooseBandPath(chosen->path);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  const std::string core = openblas_get_corename();
  std::printf("%s path; OpenBLAS %s kernels%s\n", analysis::BandPathName(chosen->path), core.c_str(),
              std::getenv("OPENBLAS_CORETYPE") ? "" : " (its own choice for this processor)");
  std::fflush(stdout);
  benchmark::AddCustomContext("band_path", analysis::BandPathName(chosen->path));
  benchmark::AddCustomContext("openblas_kernels", core);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
