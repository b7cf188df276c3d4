#include "analysis/EigenSolver.h"

#include <algorithm>
#include <limits>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/PrintLineWriter.h"
#include "analysis/SolverInput.h"
#include "analysis/SolverListing.h"
#include "analysis/SolverFailure.h"
#include "analysis/WorkPacer.h"
#include "model/ValueChecks.h"
#include "platform/RuntimeError.h"

namespace analysis {
namespace {

using model::checks::ToSingle;

constexpr double kTolerance = 0.0001;

// The largest magnitude of v(1 .. n).
double MaxMagnitude(std::span<const double> v, int n) {
  double m = 0.0;
  for (int i = 0; i < n; ++i) m = std::max(m, std::fabs(v[static_cast<std::size_t>(i)]));
  return m;
}

// K + sigma Kg reduced in place. A zero pivot of a shifted matrix is the
// shift's doing only when K alone has none: then the shift itself is an
// eigenvalue and another estimate helps. When K alone has one too (a model
// that nothing holds, where no shift can help), that failure is raised.
// False when the pacer stopped it.
bool ReduceShifted(BandMatrix& K, const BandRuns& unshiftedK, int n, int B, double sigma, Workers* workers,
                   WorkPacer& pacer) {
  try {
    return Band_Decompose(K, n, B, workers, &pacer);
  } catch (const SolverFailure& f) {
    if (sigma == 0.0 || f.equation() == 0) throw;
    unshiftedK.Restore(K);
    if (!Band_Decompose(K, n, B, workers, &pacer)) return false;
    throw SolverFailure(f.number(), f.description(),
                        "the shift " + FormatMask(sigma, listing::kFineMask) +
                            " (the estimate, or a fraction of a later estimate) is itself an eigenvalue; run "
                            "again with a slightly different estimate",
                        f.equation());
  }
}

std::string Fine(double v) { return FormatMask(v, listing::kFineMask); }
std::string Coarse(double v) { return FormatMask(v, listing::kMask); }

// The header line and a row per node: w and the two rotations, w through
// `first`, the rotations through the coarse mask.
void ListModeShape(platform::TextFile& out, std::span<const double> v, int N, std::string (*first)(double)) {
  listing::Header(out, listing::kModeShapeHeader);
  for (int i = 1; i <= N; ++i) {
    const std::size_t b = static_cast<std::size_t>(3 * (i - 1));
    listing::Row(out, {i, first(v[b]), Coarse(v[b + 1]), Coarse(v[b + 2])});
  }
}

// The end of a finished iteration: the mode shape and the eigenvalue in the
// listing, the message box, Analysis.EigenValue and every numbered node's
// zcoord, then the window is told; a result that did not converge says so.
void Report(const EigenResult& r, std::span<const double> y, int N, model::Analysis& analysis,
            model::Nodes& nodes, platform::TextFile& out, RunUi& ui) {
  const float single = ToSingle(r.lambda);
  listing::Line(out, listing::kOutputModeShape);
  ListModeShape(out, y, N, Fine);
  if (!r.converged) listing::Line(out, kNotConverged);
  listing::EigenValueLine(out, r.lambda);
  const std::string value = EigenvalueText(r.lambda, r.converged);
  ui.Message("Eigenvalue of " + value);
  analysis.EigenValue = single;
  analysis.EigenValueNotConverged = !r.converged;
  for (int i = 1; i <= N; ++i)
    nodes.Item(nodes.Item(i).UvID()).set_zcoord(ToSingle(y[static_cast<std::size_t>(3 * (i - 1))]));
  ui.ResultStored();
}

}  // namespace

std::string EigenvalueNotes(bool converged, bool changedSinceRun) {
  std::string notes;
  if (!converged) notes += kNotConvergedNote;
  if (changedSinceRun) notes += kChangedSinceRunNote;
  return notes;
}

std::string EigenvalueText(double eigenvalue, bool converged) {
  return Fine(eigenvalue) + EigenvalueNotes(converged, false);
}

std::string EigenvaluePanelText(const model::Analysis& analysis, bool changedSinceRun) {
  return "Eigenvalue : " + Fine(analysis.EigenValue) +
         EigenvalueNotes(!analysis.EigenValueNotConverged, changedSinceRun);
}

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
  if (m == 0.0)
    throw SolverFailure(platform::kErrDivideByZero, "Division by zero: zero iterate",
                        "the loads give no stress in the plates and stiffeners (no load, or every loaded "
                        "direction held), so there is nothing to buckle");
  if (!std::isfinite(m)) platform::Raise(platform::kErrOverflow);
  for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] /= m;
  return m;
}

double Eigen_Residual(const BandRuns& unshiftedK, const BandMatrix& Kg, const BandRuns& kgRuns,
                      std::span<const double> y, double lambda, std::span<double> work) {
  const int n = unshiftedK.N();
  if (work.size() < static_cast<std::size_t>(n)) platform::Raise(platform::kErrSubscript);
  std::vector<double> ky(static_cast<std::size_t>(n));
  unshiftedK.Multiply_Negative(y, ky);
  Band_Multiply_Negative(Kg, y, work, n, kgRuns.B(), &kgRuns);
  const double scale = MaxMagnitude(ky, n);
  double r = 0.0;
  for (int i = 0; i < n; ++i)
    r = std::max(r, std::fabs(ky[static_cast<std::size_t>(i)] + lambda * work[static_cast<std::size_t>(i)]));
  return scale > 0.0 ? r / scale : std::numeric_limits<double>::infinity();
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
  ListModeShape(out, x, N, Coarse);

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

  // A reduction, and on a long band a solve, takes longer than the window
  // may wait for a repaint or for Cancel: both yield between blocks of work.
  WorkPacer pacer([&ui] {
    ui.Yield();
    return ui.Cancelled();
  });
  double lambda = 0.0;
  for (int shift = 1; shift <= maxShift && !result.converged; ++shift) {
    if (sigma != 0.0) Band_Add_Multiple(K, Kg, kgRuns, sigma);
    if (!ReduceShifted(K, unshiftedK, n, B, sigma, workers, pacer)) return result;
    double m1 = 0.0;
    for (int cycle = 1; cycle <= maxCycle; ++cycle) {
      ++result.cycles;
      Band_Multiply_Negative(Kg, x, y, n, B, &kgRuns);
      if (!Band_Solve(K, y, y, n, B, &pacer)) return result;
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

  // A result the iteration took for converged may still not satisfy the
  // eigenvalue equation: with an estimate far from every eigenvalue the
  // shifted matrix loses K to round-off and the iteration settles on a
  // meaningless value. Such a result is reported as not converged.
  result.residual = Eigen_Residual(unshiftedK, Kg, kgRuns, y, lambda, x);
  if (!(result.residual <= kResidualTolerance)) result.converged = false;

  result.finished = true;
  result.lambda = lambda;
  Report(result, y, N, analysis, nodes, out, ui);
  return result;
}

}  // namespace analysis
