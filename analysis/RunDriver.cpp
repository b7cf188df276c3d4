#include "analysis/RunDriver.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <exception>
#include <memory>
#include <new>
#include <vector>

#include "analysis/BandMatrix.h"
#include "analysis/EigenSolver.h"
#include "analysis/MembraneElement.h"
#include "analysis/PlateBendingElement.h"
#include "analysis/PlateStressGeometric.h"
#include "analysis/PrintLineWriter.h"
#include "analysis/SolverConstants.h"
#include "analysis/SolverInput.h"
#include "analysis/SolverInputFile.h"
#include "analysis/SolverListing.h"
#include "analysis/StiffenerBendingElement.h"
#include "analysis/StiffenerInPlane.h"
#include "analysis/Workers.h"
#include "model/RecordIO.h"
#include "platform/RuntimeError.h"
#include "platform/TextFile.h"

namespace analysis {
namespace {

using platform::Raise;

// v as a Single; raises 6 when it is beyond the single-precision range.
float ToSingle(double v) {
  if (!std::isfinite(v) || std::fabs(v) > FLT_MAX) Raise(platform::kErrOverflow);
  return static_cast<float>(v);
}

std::string Masked(double v) { return FormatMask(v, listing::kMask); }

// The error path's message for a run-time error number.
std::string ErrorMessage(int number) {
  if (number == platform::kErrDivideByZero) return "Error: Divide by Zero!";
  if (number == platform::kErrOverflow) return "Error: Overflow!";
  return "Error!";
}

// The progress text of the error path (the other kinds add "...").
std::string ErrorProgress(int number) {
  std::string m = ErrorMessage(number);
  return m == "Error!" ? "Error!..." : m;
}

// One run's state: the model it reports into, its two files and its arrays.
class Run {
 public:
  Run(model::Mesh& mesh, model::Analysis& analysis, const std::filesystem::path& folder, RunUi& ui, int threads)
      : mesh_(mesh), nodes_(mesh.Nodes()), analysis_(analysis), folder_(folder), ui_(ui), workers_(threads) {}

  RunResult Execute();
  // Closes both files without reporting (the error path).
  void CloseQuietly() noexcept {
    try {
      if (in_) in_->Close();
    } catch (...) {
    }
    try {
      if (out_) out_->Close();
    } catch (...) {
    }
  }

 private:
  // A yield and the cancel test after it; true when the run is to stop.
  bool Interrupted() {
    ui_.Yield();
    if (!ui_.Cancelled()) return false;
    ui_.Progress("Ready...");
    interrupted_ = true;
    return true;
  }
  RunResult Finish(RunResult r);
  RunResult DimensionExit();
  bool Echo() const { return constants_.outputOption < 2; }

  // Element maps: (node k - 1) * perNode + d.
  template <std::size_t M, std::size_t Nn>
  std::array<std::int16_t, M> Map(const std::array<short, Nn>& corners, int perNode) const {
    std::array<std::int16_t, M> lm{};
    for (std::size_t k = 0; k < Nn; ++k) {
      CheckNode(corners[k]);
      for (int d = 1; d <= perNode; ++d)
        lm[k * static_cast<std::size_t>(perNode) + static_cast<std::size_t>(d - 1)] =
            Equation(corners[k], perNode, d);
    }
    return lm;
  }
  void CheckNode(long n) const {
    if (n < 1 || n > N_) Raise(platform::kErrSubscript, "node number outside the model");
  }
  double& U(long i) { return Vec(U_, i); }
  static double& Vec(std::vector<double>& v, long i) {
    if (i < 1 || i > static_cast<long>(v.size())) Raise(platform::kErrSubscript);
    return v[static_cast<std::size_t>(i - 1)];
  }
  // The node whose vID is the solver number n.
  model::Nodeb& ModelNode(long n) const { return nodes_.Item(nodes_.Item(n).UvID()); }

  bool ReadInput();
  bool InPlaneStage();
  bool BucklingStage();
  bool OutOfPlaneRestraints();

  model::Mesh& mesh_;
  model::Nodes& nodes_;
  model::Analysis& analysis_;
  std::filesystem::path folder_;
  RunUi& ui_;
  Workers workers_;

  struct Constants {
    SolverConstants element;
    short outputOption = 1;
  } constants_;

  std::unique_ptr<platform::TextFile> in_, out_;
  std::unique_ptr<model::RecordReader> reader_;
  SolverHeader header_;
  std::unique_ptr<SolverGeometry> g_;
  Array1<Corners4> plateX_, plateY_;
  Array1<Ends2> stiffX_, stiffY_;
  std::vector<double> U_, V_;
  BandMatrix K_, Kg_;
  std::int16_t tracker_ = 0;
  bool dimensionError_ = false;
  bool interrupted_ = false;
  short N_ = 0, NEQ_ = 0, BW_ = 0;
  EigenResult eigen_;
};

RunResult Run::Finish(RunResult r) {
  if (in_) in_->Close();
  if (out_) out_->Close();  // a listing that did not reach the disk is an error
  if (interrupted_) {
    ui_.Progress("Process Interrupted...");
    r.outcome = RunOutcome::Interrupted;
  } else if (eigen_.converged) {
    ui_.Progress("Buckling Analysis Completes...");
  } else {
    ui_.Progress("Buckling Analysis Completes: Eigenvalue did not Converge...");
  }
  return r;
}

RunResult Run::DimensionExit() {
  CloseQuietly();
  RunResult r;
  r.outcome = RunOutcome::DimensionError;
  return r;
}

bool Run::ReadInput() {
  in_ = std::make_unique<platform::TextFile>(TempInputFile(folder_), platform::FileMode::Input);
  out_ = std::make_unique<platform::TextFile>(TempOutputFile(folder_), platform::FileMode::Output);
  platform::TextFile& out = *out_;
  reader_ = std::make_unique<model::RecordReader>(*in_);

  listing::Line(out, listing::kOutputStarts);
  header_ = Read_Header(*reader_);
  const SolverHeader& h = header_;
  listing::LabelLine(out, "Title:", h.title);
  listing::LabelLine(out, "Problem Discription:", h.description);
  listing::LabelLine(out, "Run ID:", h.runId);
  const std::array<short, 8> counts = {h.plates,           h.stiffeners,     h.points,
                                       h.loads,            h.inPlaneRestraints, h.inPlaneSprings,
                                       h.outOfPlaneRestraints, h.outOfPlaneSprings};
  for (std::size_t i = 0; i < counts.size(); ++i) listing::CountLine(out, listing::kCountLabels[i], counts[i]);
  if (constants_.element.igstf) listing::Line(out, listing::kOptionIGSTF);
  if (constants_.element.ishear) listing::Line(out, listing::kOptionISHEAR);
  listing::LabelLine(out, "Elastic Modulus", h.MOE);
  listing::LabelLine(out, "Poisson Ratio", h.PR);
  constants_.element.E = h.MOE;
  constants_.element.nu = h.PR;
  if (Interrupted()) return false;

  // The loops of the run go over the file's counts; they must fit the arrays
  // sized from the model.
  if (h.points < 1 || h.points > N_ || h.plates < 0 || h.stiffeners < 0 || h.plates > g_->plateThickness.size() ||
      h.stiffeners > g_->stiffenerThickness.size())
    Raise(platform::kErrSubscript, "counts of the input file do not fit the model");
  Read_Geometry(*reader_, *g_, h.plates, h.stiffeners, h.points);
  if (Interrupted()) return false;
  N_ = h.points;

  if (Echo()) {
    listing::Line(out, listing::kNodalInfo);
    listing::Header(out, listing::kNodalHeader);
    for (long n = 1; n <= N_; ++n) listing::Row(out, {n, g_->nodeX(n), g_->nodeY(n)});
  }
  if (h.plates != 0) {
    if (Echo()) {
      listing::Line(out, listing::kPlateElementInfo);
      listing::Header(out, listing::kPlateHeader);
    }
    for (long e = 1; e <= h.plates; ++e) {
      const auto& c = g_->plateNodes(e);
      if (Echo()) listing::Row(out, {e, c[0], c[1], c[2], c[3], g_->plateThickness(e)});
      for (std::size_t k = 0; k < 4; ++k) {
        CheckNode(c[k]);
        plateX_(e)[k] = g_->nodeX(c[k]);
        plateY_(e)[k] = g_->nodeY(c[k]);
      }
    }
  }
  if (Interrupted()) return false;
  if (h.stiffeners != 0) {
    if (Echo()) {
      listing::Line(out, listing::kBeamElementInfo);
      listing::Header(out, listing::kBeamHeader);
    }
    for (long e = 1; e <= h.stiffeners; ++e) {
      const auto& c = g_->stiffenerNodes(e);
      if (Echo())
        listing::Row(out, {e, c[0], c[1], g_->stiffenerThickness(e), g_->stiffenerWidth(e)});
      for (std::size_t k = 0; k < 2; ++k) {
        CheckNode(c[k]);
        stiffX_(e)[k] = g_->nodeX(c[k]);
        stiffY_(e)[k] = g_->nodeY(c[k]);
      }
    }
  }
  return true;
}

bool Run::InPlaneStage() {
  platform::TextFile& out = *out_;
  const int n2 = To16(2LL * N_);
  std::fill(U_.begin(), U_.begin() + n2, 0.0);
  K_.ClearRows(n2);
  tracker_ = 0;
  ui_.Progress("Creating Stiffness Matrix...");
  if (Interrupted()) return false;

  for (long e = 1; e <= header_.plates; ++e) {
    Mat8 k = Plate_InPlane_Stiffness(static_cast<int>(e), plateX_(e), plateY_(e), g_->plateThickness(e),
                                     constants_.element.E, constants_.element.nu);
    auto lm = Map<8>(g_->plateNodes(e), 2);
    Band_Assemble(View(k), K_, tracker_, lm, 8, out, ui_, dimensionError_);
    if (Interrupted()) return false;
    if (dimensionError_) return false;
  }
  for (long e = 1; e <= header_.stiffeners; ++e) {
    Mat4 k = Beam_InPlane_Stiffness(static_cast<int>(e), stiffX_(e), stiffY_(e), g_->stiffenerThickness(e),
                                    g_->stiffenerWidth(e), constants_.element.E);
    auto lm = Map<4>(g_->stiffenerNodes(e), 2);
    Band_Assemble(View(k), K_, tracker_, lm, 4, out, ui_, dimensionError_);
    if (Interrupted()) return false;
    if (dimensionError_) return false;
  }

  ui_.Progress("Applying Boundary Conditions...");
  model::RecordReader& in = *reader_;
  if (header_.loads != 0) {
    listing::Line(out, listing::kLoads);
    listing::Header(out, listing::kLoadsHeader);
    long count = 0;
    do {
      if (Interrupted()) return false;
      NodeRecord r = Read_Load_Record(in);
      listing::Row(out, {r.first, r.values[0], r.values[1]});
      if (r.counts != 0)
        for (short n : r.nodes) {
          CheckNode(n);
          U(Equation(n, 2, 1)) += r.values[0];
          U(Equation(n, 2, 2)) += r.values[1];
        }
      count += r.counts;
    } while (count < header_.loads);
  }
  // In-plane directions with a prescribed displacement: a spring there would
  // turn the prescribed value v into v / (1 + S).
  std::vector<bool> prescribed(static_cast<std::size_t>(n2) + 1, false);
  if (header_.inPlaneRestraints != 0) {
    listing::Line(out, listing::kBoundaryInPlane);
    listing::Header(out, listing::kBoundaryInPlaneHeader);
    long count = 0;
    do {
      if (Interrupted()) return false;
      NodeRecord r = Read_InPlane_Restraint_Record(in);
      listing::Row(out, {r.first, r.flags[0], r.flags[1], r.values[0], r.values[1]});
      if (r.counts != 0)
        for (short n : r.nodes) {
          CheckNode(n);
          for (int d = 1; d <= 2; ++d) {
            if (r.flags[static_cast<std::size_t>(d - 1)] == 0) continue;
            const short eq = Equation(n, 2, d);
            Band_Boundary_Condition(K_, U_, eq, r.values[static_cast<std::size_t>(d - 1)], tracker_, 2);
            prescribed[static_cast<std::size_t>(eq)] = true;
          }
        }
      count += r.counts;
    } while (count < header_.inPlaneRestraints);
  }
  if (header_.inPlaneSprings != 0) {
    listing::Line(out, listing::kSpringsInPlane);
    listing::Header(out, listing::kSpringsInPlaneHeader);
    long count = 0;
    do {
      if (Interrupted()) return false;
      NodeRecord r = Read_InPlane_Spring_Record(in);
      listing::Row(out, {r.first, r.values[0], r.values[1]});
      if (r.counts != 0)
        for (short n : r.nodes) {
          CheckNode(n);
          for (int d = 1; d <= 2; ++d) {
            const short eq = Equation(n, 2, d);
            if (!prescribed[static_cast<std::size_t>(eq)]) K_(1, eq) += r.values[static_cast<std::size_t>(d - 1)];
          }
        }
      count += r.counts;
    } while (count < header_.inPlaneSprings);
  }

  ui_.Progress("Solving...");
  if (Interrupted()) return false;
  Band_Decompose(K_, n2, tracker_, &workers_);
  Band_Solve(K_, U_, U_, n2, tracker_);
  if (Interrupted()) return false;

  if (Echo()) {
    listing::Line(out, listing::kDisplacementInPlane);
    listing::Header(out, listing::kDisplacementHeader);
  }
  for (long n = 1; n <= N_; ++n) {
    const double u = U(2 * n - 1), v = U(2 * n);
    model::Nodeb& node = ModelNode(n);
    node.set_InPDispX(ToSingle(u));
    node.set_InPDispY(ToSingle(v));
    if (Echo()) listing::DisplacementRow(out, n, u, v);
  }
  return true;
}

bool Run::BucklingStage() {
  platform::TextFile& out = *out_;
  const int n3 = To16(3LL * N_);
  std::fill(V_.begin(), V_.begin() + n3, 0.0);
  K_.ClearRows(n3);
  Kg_.ClearRows(n3);
  tracker_ = 0;

  if (header_.plates != 0) {
    if (Echo()) {
      listing::Line(out, listing::kStressPlate);
      listing::Header(out, listing::kStressPlateHeader);
    }
    // Every node stress is reset, Mises with the others, so that a node no
    // plate touches shows no value of an earlier run.
    for (model::Nodeb& node : nodes_) {
      node.set_Sx(0);
      node.set_Sy(0);
      node.set_SXY(0);
      node.set_NCP(0);
      node.set_Mises(0);
    }
    ui_.Progress("Creating Stiffness Matrix for Buckling Analysis...");
    if (Interrupted()) return false;

    for (long e = 1; e <= header_.plates; ++e) {
      const int ei = static_cast<int>(e);
      const auto& c = g_->plateNodes(e);
      const double t = g_->plateThickness(e);
      Mat12 kb = Plate_Bending_Stiffness(ei, constants_.element.E, constants_.element.nu, t, plateX_(e),
                                         plateY_(e));
      std::array<double, 8> disp{};
      for (std::size_t k = 0; k < 4; ++k) {
        CheckNode(c[k]);
        disp[2 * k] = U(Equation(c[k], 2, 1));
        disp[2 * k + 1] = U(Equation(c[k], 2, 2));
      }
      PlateStressGeometric sg = Plate_Stress_Geometric(ei, plateX_(e), plateY_(e), t, disp, constants_.element);
      for (int k = 1; k <= 4; ++k) {
        const short nk = c[static_cast<std::size_t>(k - 1)];
        const double sx = sg.sx[static_cast<std::size_t>(k)], sy = sg.sy[static_cast<std::size_t>(k)];
        if (Echo()) listing::Row(out, {e, k, nk, Masked(sx), Masked(sy), Masked(sg.sxy)});
        model::Nodeb& node = ModelNode(nk);
        node.set_Sx(ToSingle(static_cast<double>(node.Sx()) + sx));
        node.set_Sy(ToSingle(static_cast<double>(node.Sy()) + sy));
        node.set_SXY(ToSingle(static_cast<double>(node.SXY()) + sg.sxy));
        node.set_NCP(To16(node.NCP() + 1));
      }
      auto lm = Map<12>(c, 3);
      Band_Assemble(View(sg.kg), Kg_, tracker_, lm, 12, out, ui_, dimensionError_);
      if (dimensionError_) return false;
      Band_Assemble(View(kb), K_, tracker_, lm, 12, out, ui_, dimensionError_);
      if (dimensionError_) return false;
      if (Interrupted()) return false;
    }
    for (model::Nodeb& node : nodes_) {
      if (node.NCP() == 0) continue;
      node.set_Sx(node.Sx() / node.NCP());
      node.set_Sy(node.Sy() / node.NCP());
      node.set_SXY(node.SXY() / node.NCP());
    }
    for (model::Nodeb& node : nodes_) {
      if (node.NCP() == 0) continue;
      const double sx = node.Sx(), sy = node.Sy(), sxy = node.SXY();
      node.set_Mises(ToSingle(std::sqrt(sx * sx + sy * sy - sx * sy + 3.0 * sxy * sxy)));
    }
  }

  if (header_.stiffeners != 0) {
    if (Echo()) {
      listing::Line(out, listing::kStressBeam);
      listing::Header(out, listing::kStressBeamHeader);
    }
    model::twoNodes& stiffeners = mesh_.twoNodes();
    for (long e = 1; e <= header_.stiffeners; ++e) {
      const int ei = static_cast<int>(e);
      const auto& c = g_->stiffenerNodes(e);
      const double t = g_->stiffenerThickness(e), w = g_->stiffenerWidth(e);
      Mat6 kb = Beam_Bending_Stiffness(ei, stiffX_(e), stiffY_(e), t, w, constants_.element);
      std::array<double, 4> disp{};
      for (std::size_t k = 0; k < 2; ++k) {
        CheckNode(c[k]);
        disp[2 * k] = U(Equation(c[k], 2, 1));
        disp[2 * k + 1] = U(Equation(c[k], 2, 2));
      }
      BeamStressGeometric sg = Beam_Stress_Geometric(ei, stiffX_(e), stiffY_(e), t, w, disp, constants_.element);
      if (Echo()) listing::Row(out, {e, Masked(sg.stress)});
      stiffeners.Item(stiffeners.Item(e).UvID()).set_Stress(ToSingle(sg.stress));
      auto lm = Map<6>(c, 3);
      Band_Assemble(View(sg.kg), Kg_, tracker_, lm, 6, out, ui_, dimensionError_);
      if (dimensionError_) return false;
      Band_Assemble(View(kb), K_, tracker_, lm, 6, out, ui_, dimensionError_);
      if (dimensionError_) return false;
    }
  }
  return true;
}

bool Run::OutOfPlaneRestraints() {
  platform::TextFile& out = *out_;
  model::RecordReader& in = *reader_;
  ui_.Progress("Boundary Conditions for Out-of-plane Analysis...");
  if (header_.outOfPlaneRestraints != 0) {
    listing::Line(out, listing::kBoundaryOutOfPlane);
    listing::Header(out, listing::kOutOfPlaneHeader);
    long count = 0;
    do {
      NodeRecord r = Read_OutOfPlane_Restraint_Record(in);
      if (r.counts != 0 || r.flags[0] != 0 || r.flags[1] != 0 || r.flags[2] != 0) {
        listing::Row(out, {r.first, r.flags[0], r.flags[1], r.flags[2]});
        for (short n : r.nodes) {
          CheckNode(n);
          for (int d = 1; d <= 3; ++d) {
            if (r.flags[static_cast<std::size_t>(d - 1)] == 0) continue;
            const short eq = Equation(n, 3, d);
            Band_Boundary_Condition(K_, V_, eq, 0.0, tracker_, 2);
            Band_Boundary_Condition(Kg_, V_, eq, 0.0, tracker_, 1);
          }
        }
      }
      count += r.counts;
    } while (count < header_.outOfPlaneRestraints);
  }
  if (header_.outOfPlaneSprings != 0) {
    listing::Line(out, listing::kSpringsOutOfPlane);
    listing::Header(out, listing::kOutOfPlaneHeader);
    long count = 0;
    do {
      if (Interrupted()) return false;
      NodeRecord r = Read_OutOfPlane_Spring_Record(in);
      if (r.values[0] != 0.0 || r.values[1] != 0.0 || r.values[2] != 0.0) {
        listing::Row(out, {r.first, r.values[0], r.values[1], r.values[2]});
        for (short n : r.nodes) {
          CheckNode(n);
          for (int d = 1; d <= 3; ++d) K_(1, Equation(n, 3, d)) += r.values[static_cast<std::size_t>(d - 1)];
        }
      }
      count += r.counts;
    } while (count < header_.outOfPlaneSprings);
  }
  return true;
}

RunResult Run::Execute() {
  RunResult result;
  // Sizes from the model: every count is a 16-bit solver integer.
  const short numberedNodes = To16(nodes_.MaxvID());
  const short nS = To16(std::max<int32_t>(1, mesh_.twoNodes().MaxvID()));
  // A stiffener-only model (a column, a bare frame) has no plate to size the
  // plate arrays by; like the stiffener arrays they then hold one entry.
  const short nP = To16(std::max<int32_t>(1, mesh_.fourNodes().MaxvID()));
  if (numberedNodes < 1) Raise(platform::kErrSubscript, "no numbered nodes");
  NEQ_ = To16(3LL * numberedNodes);
  BW_ = To16(3LL * (nodes_.NumberNodesY() + 2));
  N_ = numberedNodes;
  g_ = std::make_unique<SolverGeometry>(NEQ_, nP, nS);
  plateX_ = Array1<Corners4>(static_cast<std::size_t>(nP));
  plateY_ = Array1<Corners4>(static_cast<std::size_t>(nP));
  stiffX_ = Array1<Ends2>(static_cast<std::size_t>(nS));
  stiffY_ = Array1<Ends2>(static_cast<std::size_t>(nS));
  U_.assign(static_cast<std::size_t>(NEQ_), 0.0);
  V_.assign(static_cast<std::size_t>(NEQ_), 0.0);
  K_ = BandMatrix(NEQ_, BW_);
  Kg_ = BandMatrix(NEQ_, BW_);

  constants_.outputOption = analysis_.OutputOption;
  constants_.element.igstf = analysis_.IGSTF;
  constants_.element.ishear = analysis_.ISHEAR;

  ui_.Progress("Creating Input File...");
  if (Interrupted()) return Finish(result);
  if (!ReadInput()) return Finish(result);
  if (!InPlaneStage()) return dimensionError_ && !interrupted_ ? DimensionExit() : Finish(result);
  if (!BucklingStage()) return dimensionError_ && !interrupted_ ? DimensionExit() : Finish(result);
  if (!OutOfPlaneRestraints()) return Finish(result);

  ui_.Progress("Calculating Eigenvalue...");
  if (Interrupted()) return Finish(result);
  eigen_ = Solve_Eigen(K_, Kg_, V_, U_, tracker_, N_, analysis_, nodes_, *out_, ui_, &workers_);
  if (eigen_.finished) {
    result.converged = eigen_.converged;
    result.eigenvalue = eigen_.lambda;
  }
  if (Interrupted()) return Finish(result);
  listing::Line(*out_, listing::kOutputEnds);
  result.outcome = RunOutcome::Completed;
  return Finish(result);
}

}  // namespace

RunResult Run_Calculation(model::Mesh& mesh, model::Analysis& analysis,
                          const std::filesystem::path& programFolder, RunUi& ui) {
  return Run_Calculation(mesh, analysis, programFolder, ui, Workers::DefaultCount());
}

RunResult Run_Calculation(model::Mesh& mesh, model::Analysis& analysis,
                          const std::filesystem::path& programFolder, RunUi& ui, int threads) {
  Run run(mesh, analysis, programFolder, ui, threads);
  int number = 0;
  std::string text;
  try {
    return run.Execute();
  } catch (const platform::RuntimeError& e) {
    number = e.number();
    text = e.description();
  } catch (const std::bad_alloc&) {
    number = platform::kErrOutOfMemory;
    text = platform::DescribeError(number);
  } catch (const std::exception& e) {
    number = platform::kErrInvalidCall;
    text = e.what();
  }
  run.CloseQuietly();
  ui.Message(ErrorMessage(number));
  ui.Progress(ErrorProgress(number));
  RunResult r;
  r.outcome = RunOutcome::Error;
  r.errorNumber = number;
  r.errorText = text;
  return r;
}

}  // namespace analysis
