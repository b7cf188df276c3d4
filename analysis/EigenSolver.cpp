#include "analysis/EigenSolver.h"

#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/PrintLineWriter.h"
#include "analysis/SolverInput.h"
#include "analysis/SolverListing.h"
#include "platform/RuntimeError.h"

namespace analysis {
namespace {

constexpr double kTolerance = 0.0001;

// v as a Single; raises 6 when it is beyond the single-precision range.
float ToSingle(double v) {
  if (!std::isfinite(v) || std::fabs(v) > FLT_MAX) platform::Raise(platform::kErrOverflow);
  return static_cast<float>(v);
}

std::string Fine(double v) { return FormatMask(v, listing::kFineMask); }
std::string Coarse(double v) { return FormatMask(v, listing::kMask); }

}  // namespace

void Set_Start_Vector(std::span<double> w, int N, short optionInitialB) {
  if (w.size() < static_cast<std::size_t>(3) * static_cast<std::size_t>(N < 0 ? 0 : N))
    platform::Raise(platform::kErrSubscript);
  const int split = N / 3;
  for (int i = 1; i <= N; ++i) {
    const std::size_t b = static_cast<std::size_t>(3 * (i - 1));
    w[b] = (optionInitialB != 0 || i <= split) ? 1.0 : -0.5;
    w[b + 1] = 0.0;
    w[b + 2] = 0.0;
  }
}

double Normalize_Max(std::span<double> v, int n) {
  if (n < 1 || v.size() < static_cast<std::size_t>(n)) platform::Raise(platform::kErrSubscript);
  double m = v[0];
  for (int i = 1; i < n; ++i)
    if (std::fabs(v[static_cast<std::size_t>(i)]) - std::fabs(m) > 0) m = v[static_cast<std::size_t>(i)];
  if (m == 0.0) platform::Raise(platform::kErrDivideByZero, "zero iterate");
  if (!std::isfinite(m)) platform::Raise(platform::kErrOverflow);
  for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] /= m;
  return m;
}

double Max_Difference(std::span<const double> x, std::span<const double> y, int n) {
  double d = 0.0;
  for (int i = 0; i < n; ++i) {
    const double e = std::fabs(x[static_cast<std::size_t>(i)] - y[static_cast<std::size_t>(i)]);
    if (e > d) d = e;
  }
  return d;
}

EigenResult Solve_Eigen(BandMatrix& K, const BandMatrix& Kg, std::span<double> x, std::span<double> y,
                        int B, int N, model::Analysis& analysis, model::Nodes& nodes,
                        platform::TextFile& out, RunUi& ui, Workers* workers) {
  EigenResult result;
  const int n = To16(3LL * N);
  if (x.size() < static_cast<std::size_t>(n) || y.size() < static_cast<std::size_t>(n))
    platform::Raise(platform::kErrSubscript);

  listing::Line(out, listing::kInputModeShape);
  Set_Start_Vector(x, N, analysis.OptionInitialB);
  listing::Header(out, listing::kModeShapeHeader);
  for (int i = 1; i <= N; ++i) {
    const std::size_t b = static_cast<std::size_t>(3 * (i - 1));
    listing::Row(out, {i, Coarse(x[b]), Coarse(x[b + 1]), Coarse(x[b + 2])});
  }

  // Settings below 1 (possible from an options file) would report an
  // eigenvalue that was never computed: at least one shift of one cycle runs.
  const int maxShift = analysis.MaxShift < 1 ? 1 : analysis.MaxShift;
  const int maxCycle = analysis.MaxCycle < 1 ? 1 : analysis.MaxCycle;
  const double shiftFactor = analysis.ShiftFactor;
  double sigma = analysis.EigenValueEstimation;
  listing::Line(out, listing::kInputAnalysisOption);
  listing::Header(out, listing::kAnalysisOptionHeader);
  listing::Row(out, {maxShift, maxCycle, Coarse(shiftFactor), Coarse(sigma)});

  // The unshifted K and Kg are both sparse within the band until K is
  // reduced: the copy keeps, and the products and shifts visit, only their
  // set stretches.
  const BandRuns unshiftedK(K, n, B, true);
  const BandRuns kgRuns(Kg, n, B, false);

  double lambda = 0.0;
  for (int shift = 1; shift <= maxShift && !result.converged; ++shift) {
    if (sigma != 0.0) Band_Add_Multiple(K, Kg, kgRuns, sigma);
    Band_Decompose(K, n, B, workers);
    double m1 = 0.0;
    for (int cycle = 1; cycle <= maxCycle; ++cycle) {
      ++result.cycles;
      Band_Multiply_Negative(Kg, x, y, n, B, &kgRuns);
      Band_Solve(K, y, y, n, B);
      m1 = Normalize_Max(y, n);
      lambda = 1.0 / m1 + sigma;
      if (!std::isfinite(lambda)) platform::Raise(platform::kErrOverflow);
      // The largest change between two normalised iterates; measured
      // directly, since normalising x - y divides 0 by 0 when an iterate
      // repeats exactly.
      if (Max_Difference(x, y, n) < kTolerance) {
        result.converged = true;
        break;
      }
      std::copy(y.begin(), y.begin() + n, x.begin());
      ui.Yield();
      if (ui.Cancelled()) return result;
    }
    if (!result.converged) {
      sigma = (1.0 / m1 + sigma) * shiftFactor;
      unshiftedK.Restore(K);
    }
  }

  const float single = ToSingle(lambda);
  listing::Line(out, listing::kOutputModeShape);
  listing::Header(out, listing::kModeShapeHeader);
  for (int i = 1; i <= N; ++i) {
    const std::size_t b = static_cast<std::size_t>(3 * (i - 1));
    listing::Row(out, {i, Fine(y[b]), Coarse(y[b + 1]), Coarse(y[b + 2])});
  }
  if (!result.converged) listing::Line(out, kNotConverged);
  listing::EigenValueLine(out, lambda);
  ui.Message("Eigenvalue of " + Fine(lambda));
  analysis.EigenValue = single;
  ui.SetEigenvaluePanel("Eigenvalue : " + Fine(lambda));
  for (int i = 1; i <= N; ++i)
    nodes.Item(nodes.Item(i).UvID()).set_zcoord(ToSingle(y[static_cast<std::size_t>(3 * (i - 1))]));

  result.finished = true;
  result.lambda = lambda;
  return result;
}

}  // namespace analysis
