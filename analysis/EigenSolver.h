#pragma once
// Shifted inverse iteration for the buckling problem (K + lambda Kg) phi = 0:
// with a shift sigma, K + sigma Kg is reduced once and each cycle solves
// (K + sigma Kg) y = -Kg x, converging to the eigenvalue nearest the shift.
// A shift that does not converge is replaced by a fraction of the current
// estimate.
#include <span>
#include <string>

#include "analysis/BandMatrix.h"
#include "analysis/RunUi.h"
#include "model/Analysis.h"
#include "model/Nodes.h"
#include "platform/TextFile.h"

namespace analysis {

// The listing line written before the eigenvalue of a result that did not
// converge (every shift spent, or the residual check failed).
inline constexpr const char* kNotConverged = "[Eigenvalue Iteration did not Converge]";
// What the message box and the status panel add after such an eigenvalue.
inline constexpr const char* kNotConvergedNote = " (did not converge)";

// What everything that shows a result adds while the model differs from the
// one the run analysed.
inline constexpr const char* kChangedSinceRunNote = " (model changed since the run)";

// What follows an eigenvalue wherever it is shown (message box, status
// panel, reports): the note that the run did not converge, then the note that
// the model changed since; empty when neither holds.
std::string EigenvalueNotes(bool converged, bool changedSinceRun);
// The eigenvalue as the message box and the status panel show it, after
// their labels: the "0.0000E+00" form, and the note when it did not converge.
std::string EigenvalueText(double eigenvalue, bool converged);
// The status panel "eigenvalue": the label and the stored eigenvalue with
// its notes, that it did not converge and that the model changed since.
std::string EigenvaluePanelText(const model::Analysis& analysis, bool changedSinceRun);

// The largest residual of the eigenvalue equation (K + lambda Kg) y = 0 that
// a result may leave, relative to K y (both in the largest magnitude over
// all equations), far above round-off: the converged results of the
// validation models and of the largest model leave 1E-8 to 4E-4, values
// that are no eigenvalue (from an estimate far from every eigenvalue) 0.7
// and more.
inline constexpr double kResidualTolerance = 1e-2;

// The start vector of N nodes in w(1 .. 3N): w of the first Fix(N/3) nodes 1
// and of the others -0.5 (optionInitialB 0), or every w 1; rotations 0.
void Set_Start_Vector(std::span<double> w, int N, short optionInitialB);

// The component of v(1 .. n) with the largest magnitude, with its sign (the
// first of equal magnitudes); v is divided by it. An all-zero vector raises
// error 11 (a SolverFailure naming the likely cause: no load).
double Normalize_Max(std::span<double> v, int n);

// The largest magnitude of x(i) - y(i) over 1 .. n.
double Max_Difference(std::span<const double> x, std::span<const double> y, int n);

struct EigenResult {
  bool finished = false;   // false when the cancel flag ended the iteration
  bool converged = false;  // false when every shift was spent or the residual is above the tolerance
  double lambda = 0.0;
  double residual = 0.0;   // of the eigenvalue equation, relative to K y
  int cycles = 0;          // cycles run over all shifts
};

// max |K y + lambda Kg y| / max |K y| over the n = unshiftedK.N() equations,
// with K from its kept copy; work holds at least n entries. Infinite when K y
// is zero.
double Eigen_Residual(const BandRuns& unshiftedK, const BandMatrix& Kg, const BandRuns& kgRuns,
                      std::span<const double> y, double lambda, std::span<double> work);

// Runs the iteration on the bending stiffness K and the geometric stiffness
// Kg (both restrained) of N nodes with working band width B; x and y are work
// vectors of at least 3N entries, y holding the normalised mode at the end.
// When the iteration ends (converged or all shifts spent) it checks the
// residual of the result, writes the mode shape and the eigenvalue to the
// listing, shows the eigenvalue (with a note when it did not converge),
// stores it in analysis.EigenValue (and whether it did not converge in
// analysis.EigenValueNotConverged), sets zcoord of every numbered node and
// tells the window (RunUi::ResultStored). It yields after every cycle that does not converge,
// and inside the reductions and solves after every so much work
// (WorkPacer); a cancel seen at any of these yields ends it at once and
// leaves all of that as it was. Workers, when given, share the reductions.
EigenResult Solve_Eigen(BandMatrix& K, const BandMatrix& Kg, std::span<double> x, std::span<double> y,
                        int B, int N, model::Analysis& analysis, model::Nodes& nodes,
                        platform::TextFile& listing, RunUi& ui, Workers* workers = nullptr);

}  // namespace analysis
