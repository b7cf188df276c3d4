#include "analysis/RunDriver.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/BandMatrix.h"
#include "analysis/EigenSolver.h"
#include "analysis/MembraneElement.h"
#include "analysis/PlateBendingElement.h"
#include "analysis/PlateStressGeometric.h"
#include "analysis/PrintLineWriter.h"
#include "analysis/RunFailure.h"
#include "analysis/SolverConstants.h"
#include "analysis/SolverInput.h"
#include "analysis/SolverInputFile.h"
#include "analysis/SolverListing.h"
#include "analysis/StiffenerBendingElement.h"
#include "analysis/StiffenerInPlane.h"
#include "analysis/WorkPacer.h"
#include "analysis/Workers.h"
#include "model/RecordIO.h"
#include "model/ValueChecks.h"
#include "platform/RuntimeError.h"
#include "platform/TextFile.h"

namespace analysis {
namespace {

using model::checks::ToSingle;
using platform::Raise;
using Stage = RunPlace::Stage;

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

// Element results computed ahead of the element loop that uses them, a
// batch at a time shared among the workers, and handed out in element
// order. The routines are pure, so what the loop does with each element
// (listing rows, node sums, assembly, the yield and the cancel test) happens
// exactly as when computing one by one; an element whose routine failed
// hands out its failure, so the run fails at the same element.
template <typename Result>
class ElementBatches {
 public:
  ElementBatches(Workers& workers, long count, std::function<Result(long e)> compute)
      : workers_(workers), count_(count), compute_(std::move(compute)) {}

  // The result of element e; e runs 1, 2, ... count.
  const Result& Get(long e) {
    if (e < first_ || e >= first_ + static_cast<long>(results_.size())) Fill(e);
    const std::size_t k = static_cast<std::size_t>(e - first_);
    if (errors_[k]) std::rethrow_exception(errors_[k]);
    return results_[k];
  }

 private:
  static constexpr long kBatch = 256;

  void Fill(long first) {
    first_ = first;
    const long n = std::clamp(count_ - first + 1, 0L, kBatch);
    results_.resize(static_cast<std::size_t>(n));
    errors_.assign(static_cast<std::size_t>(n), nullptr);
    const int members = workers_.Count();
    workers_.Run([&](int m) {
      for (long k = m; k < n; k += members) {
        try {
          results_[static_cast<std::size_t>(k)] = compute_(first + k);
        } catch (...) {
          errors_[static_cast<std::size_t>(k)] = std::current_exception();
        }
      }
    });
  }

  Workers& workers_;
  long count_;
  std::function<Result(long)> compute_;
  long first_ = 1;
  std::vector<Result> results_;
  std::vector<std::exception_ptr> errors_;
};

// The run's interface as the band routines see it: the box of a band store
// overflow gets, as its detail, the element that overflowed and what to do.
class BandUi : public RunUi {
 public:
  BandUi(RunUi& ui, std::function<std::string()> detail) : ui_(ui), detail_(std::move(detail)) {}
  void Progress(const std::string& text) override { ui_.Progress(text); }
  void Yield() override { ui_.Yield(); }
  bool Cancelled() const override { return ui_.Cancelled(); }
  void Message(const std::string& text) override { ui_.DetailedMessage(text, detail_()); }
  void DetailedMessage(const std::string& text, const std::string& detail) override {
    ui_.DetailedMessage(text, detail);
  }
  void StressesStored() override { ui_.StressesStored(); }
  void ResultStored() override { ui_.ResultStored(); }

 private:
  RunUi& ui_;
  std::function<std::string()> detail_;
};

// The run's boxes, held until the run has written the last byte of its files
// and let the folder go: a box waits for the user, and a run in another
// window must not wait with it.
class HeldBoxes : public RunUi {
 public:
  explicit HeldBoxes(RunUi& ui) : ui_(ui) {}
  void Progress(const std::string& text) override { ui_.Progress(text); }
  void Yield() override { ui_.Yield(); }
  bool Cancelled() const override { return ui_.Cancelled(); }
  void Message(const std::string& text) override { held_.push_back({text, std::nullopt}); }
  void DetailedMessage(const std::string& text, const std::string& detail) override {
    held_.push_back({text, detail});
  }
  void StressesStored() override { ui_.StressesStored(); }
  void ResultStored() override { ui_.ResultStored(); }

  // Shows the boxes held so far, in the order the run gave them.
  void Show() {
    for (const auto& [text, detail] : std::exchange(held_, {})) {
      if (detail)
        ui_.DetailedMessage(text, *detail);
      else
        ui_.Message(text);
    }
  }

 private:
  RunUi& ui_;
  std::vector<std::pair<std::string, std::optional<std::string>>> held_;
};

// The band stores of the last run, kept for the next one in the process:
// the user runs again after an edit, and fresh memory costs the system a
// cleared page for every 4 KB (some 8 % of a run of the largest model on
// one thread). A pair larger than a quarter of the machine's memory is
// given back.
struct KeptStores {
  std::mutex lock;
  BandMatrix K, Kg;
};

KeptStores& Kept() {
  static KeptStores kept;
  return kept;
}

std::pair<BandMatrix, BandMatrix> TakeKeptStores() {
  KeptStores& kept = Kept();
  std::lock_guard<std::mutex> hold(kept.lock);
  return {std::move(kept.K), std::move(kept.Kg)};
}

void KeepStores(BandMatrix K, BandMatrix Kg) noexcept {
  const std::uint64_t physical = PhysicalMemoryBytes();
  if (physical > 0 && 4 * (K.MemoryBytes() + Kg.MemoryBytes()) > physical) return;
  KeptStores& kept = Kept();
  std::lock_guard<std::mutex> hold(kept.lock);
  // Of two runs at once (tests), the larger pair stays.
  if (kept.K.MemoryBytes() + kept.Kg.MemoryBytes() > K.MemoryBytes() + Kg.MemoryBytes()) return;
  kept.K = std::move(K);
  kept.Kg = std::move(Kg);
}

// What a plate gives the buckling problem.
struct PlateBuckling {
  Mat12 kb;
  PlateStressGeometric sg;
};

// One run's state: the model it reports into, its two files and its arrays.
// The stages follow each other in Execute; each returns false when the run
// is to stop there (cancel or band store overflow).
class Run {
 public:
  Run(model::Mesh& mesh, model::Analysis& analysis, RunFiles& files, RunUi& ui, int threads)
      : mesh_(mesh),
        nodes_(mesh.Nodes()),
        analysis_(analysis),
        files_(files),
        boxes_(ui),
        ui_(boxes_),
        workers_(threads > 0 ? std::make_unique<Workers>(threads) : std::make_unique<Workers>()) {
    place_.folder = files.folder();
  }
  ~Run() { KeepStores(std::move(K_), std::move(Kg_)); }
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  int Threads() { return workers_->Count(); }

  RunResult Execute();
  // Closes both files without reporting (the error path).
  void CloseQuietly() noexcept;
  // Once both files are closed: lets the next run have the folder, then
  // shows the boxes the run gave meanwhile.
  void LetFolderGo();
  // The detail of the error box for an error that ended the run.
  std::string Detail(const platform::RuntimeError& error) const { return Failure_Detail(error, place_, mesh_); }

 private:
  // The run's sizes and arrays, and its end.
  void SizeArrays();
  bool BringInStores();
  RunResult Finish(RunResult r);
  RunResult DimensionExit();
  // Reading the input file back, with its echo.
  bool ReadHeader();
  void EchoNodes();
  void CopyPlateCorners();
  void CopyStiffenerEnds();
  // The in-plane problem.
  bool AssembleInPlane();
  bool ApplyLoads();
  bool ApplyInPlaneRestraints(std::vector<bool>& prescribed);
  bool ApplyInPlaneSprings(const std::vector<bool>& prescribed);
  bool SolveInPlane();
  void StoreDisplacements();
  // The buckling problem.
  bool AssemblePlates();
  void NodeStressMeans();
  bool AssembleStiffeners();
  void StoreStresses();
  bool ApplyOutOfPlaneRestraints();
  bool ApplyOutOfPlaneSprings();
  bool SolveBuckling(RunResult& result);

  // A yield and the cancel test after it; true when the run is to stop.
  bool Interrupted();
  bool Echo() const { return constants_.outputOption < 2; }
  // Element maps: (node k - 1) * perNode + d.
  template <std::size_t M, std::size_t Nn>
  std::array<std::int16_t, M> Map(const std::array<short, Nn>& corners, int perNode) const;
  void CheckNode(long n) const {
    if (n < 1 || n > N_) Raise(platform::kErrSubscript, "node number outside the model");
  }
  double& U(long i) {
    if (i < 1 || i > static_cast<long>(U_.size())) Raise(platform::kErrSubscript);
    return U_[static_cast<std::size_t>(i - 1)];
  }
  // The in-plane displacements u1, v1, u2, v2, ... at an element's nodes.
  template <std::size_t Nn>
  std::array<double, 2 * Nn> Displacements(const std::array<short, Nn>& nodes);
  // The node whose vID is the solver number n.
  model::Nodeb& ModelNode(long n) const { return nodes_.Item(nodes_.Item(n).UvID()); }
  bool Assemble(ElementView E, BandMatrix& K, std::span<const std::int16_t> lm, int m) {
    Band_Assemble(E, K, tracker_, lm, m, *out_, bandUi_, dimensionError_);
    return !dimensionError_;
  }

  model::Mesh& mesh_;
  model::Nodes& nodes_;
  model::Analysis& analysis_;
  RunFiles& files_;
  HeldBoxes boxes_;
  RunUi& ui_;  // boxes_, through which the run reaches the window
  std::unique_ptr<Workers> workers_;
  RunPlace place_;
  BandUi bandUi_{ui_, [this] { return Band_Overflow_Detail(place_, mesh_, BW_); }};

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

  // The run's stresses, held apart from the model until all of them are
  // known: until then the model keeps the stresses it held before the run,
  // so that a paint, a cancel or a failure in between finds them whole.
  struct NodeStress {
    float sx = 0, sy = 0, sxy = 0, mises = 0;
    short ncp = 0;
  };
  std::vector<NodeStress> nodeStress_;                   // by collection position, when the file has plates
  std::vector<std::pair<long, float>> stiffenerStress_;  // collection position, axial stress
  // The stresses at the node whose vID is the solver number n.
  NodeStress& NodeSum(long n) {
    const long position = nodes_.Item(n).UvID();
    nodes_.Item(position);  // raises for a position outside the collection
    return nodeStress_[static_cast<std::size_t>(position - 1)];
  }
};

void Run::CloseQuietly() noexcept {
  try {
    if (in_) in_->Close();
  } catch (...) {
  }
  try {
    if (out_) out_->Close();
  } catch (...) {
  }
}

void Run::LetFolderGo() {
  files_.EndTurn();
  boxes_.Show();
}

bool Run::Interrupted() {
  ui_.Yield();
  if (!ui_.Cancelled()) return false;
  ui_.Progress("Ready...");
  interrupted_ = true;
  return true;
}

template <std::size_t M, std::size_t Nn>
std::array<std::int16_t, M> Run::Map(const std::array<short, Nn>& corners, int perNode) const {
  std::array<std::int16_t, M> lm{};
  for (std::size_t k = 0; k < Nn; ++k) {
    CheckNode(corners[k]);
    for (int d = 1; d <= perNode; ++d)
      lm[k * static_cast<std::size_t>(perNode) + static_cast<std::size_t>(d - 1)] = Equation(corners[k], perNode, d);
  }
  return lm;
}

template <std::size_t Nn>
std::array<double, 2 * Nn> Run::Displacements(const std::array<short, Nn>& nodes) {
  std::array<double, 2 * Nn> disp{};
  for (std::size_t k = 0; k < Nn; ++k) {
    CheckNode(nodes[k]);
    disp[2 * k] = U(Equation(nodes[k], 2, 1));
    disp[2 * k + 1] = U(Equation(nodes[k], 2, 2));
  }
  return disp;
}

// Sizes from the model (every count a 16-bit solver integer) and the run
// arrays, all zero.
void Run::SizeArrays() {
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
  if (!BandStoresFit(NEQ_, BW_, PhysicalMemoryBytes()))
    Raise(platform::kErrOutOfMemory,
          "The model needs " + std::to_string(2LL * NEQ_ * BW_ * 8 / (1024 * 1024)) +
              " MB for its two band matrices (" + std::to_string(NEQ_) + " equations, band width " +
              std::to_string(BW_) + "), more than this computer's memory holds. The band width grows "
              "with the nodes in a column: use fewer elements across the depth.");
  auto [k, kg] = TakeKeptStores();
  K_ = BandMatrix::Reuse(NEQ_, BW_, std::move(k));
  Kg_ = BandMatrix::Reuse(NEQ_, BW_, std::move(kg));
}

// The band stores come into memory a block at a time (or, kept from the
// last run, are cleared a block at a time), with a yield and the cancel test
// between blocks: the first touch of a large pair takes seconds on a
// virtual machine.
bool Run::BringInStores() {
  WorkPacer pacer([this] { return Interrupted(); });
  return K_.BringIn(pacer) && Kg_.BringIn(pacer);
}

RunResult Run::Finish(RunResult r) {
  if (in_) in_->Close();
  if (out_) out_->Close();  // a listing that did not reach the disk is an error
  LetFolderGo();
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
  LetFolderGo();
  RunResult r;
  r.outcome = RunOutcome::DimensionError;
  return r;
}

// Opens both files and reads the header back, echoing it.
bool Run::ReadHeader() {
  place_.stage = Stage::Input;
  place_.file = files_.InputPath();
  in_ = files_.ReadInputBack();
  place_.file = files_.ListingPath();
  out_ = files_.MakeListing();
  place_.file.clear();
  platform::TextFile& out = *out_;
  reader_ = std::make_unique<model::RecordReader>(*in_);

  listing::Line(out, listing::kOutputStarts);
  header_ = Read_Header(*reader_);
  const SolverHeader& h = header_;
  listing::LabelLine(out, "Title:", h.title);
  listing::LabelLine(out, "Problem Discription:", h.description);
  listing::LabelLine(out, "Run ID:", h.runId);
  const std::array<short, 8> counts = {h.plates,  h.stiffeners,        h.points,         h.loads,
                                       h.inPlaneRestraints, h.inPlaneSprings, h.outOfPlaneRestraints,
                                       h.outOfPlaneSprings};
  for (std::size_t i = 0; i < counts.size(); ++i) listing::CountLine(out, listing::kCountLabels[i], counts[i]);
  if (constants_.element.igstf) listing::Line(out, listing::kOptionIGSTF);
  if (constants_.element.ishear) listing::Line(out, listing::kOptionISHEAR);
  listing::LabelLine(out, "Elastic Modulus", h.MOE);
  listing::LabelLine(out, "Poisson Ratio", h.PR);
  constants_.element.E = h.MOE;
  constants_.element.nu = h.PR;
  place_.inPlaneSupports = h.inPlaneRestraints != 0;
  place_.outOfPlaneSupports = h.outOfPlaneRestraints != 0;
  place_.loads = h.loads != 0;
  if (Interrupted()) return false;

  // The loops of the run go over the file's counts; they must fit the arrays
  // sized from the model.
  if (h.points < 1 || h.points > N_ || h.plates < 0 || h.stiffeners < 0 || h.plates > g_->plateThickness.size() ||
      h.stiffeners > g_->stiffenerThickness.size())
    Raise(platform::kErrSubscript, "counts of the input file do not fit the model");
  Read_Geometry(*reader_, *g_, h.plates, h.stiffeners, h.points);
  if (Interrupted()) return false;
  N_ = h.points;
  return true;
}

void Run::EchoNodes() {
  if (!Echo()) return;
  listing::Line(*out_, listing::kNodalInfo);
  listing::Header(*out_, listing::kNodalHeader);
  for (long n = 1; n <= N_; ++n) listing::Row(*out_, {n, g_->nodeX(n), g_->nodeY(n)});
}

void Run::CopyPlateCorners() {
  if (header_.plates == 0) return;
  if (Echo()) {
    listing::Line(*out_, listing::kPlateElementInfo);
    listing::Header(*out_, listing::kPlateHeader);
  }
  for (long e = 1; e <= header_.plates; ++e) {
    const auto& c = g_->plateNodes(e);
    if (Echo()) listing::Row(*out_, {e, c[0], c[1], c[2], c[3], g_->plateThickness(e)});
    for (std::size_t k = 0; k < 4; ++k) {
      CheckNode(c[k]);
      plateX_(e)[k] = g_->nodeX(c[k]);
      plateY_(e)[k] = g_->nodeY(c[k]);
    }
  }
}

void Run::CopyStiffenerEnds() {
  if (header_.stiffeners == 0) return;
  if (Echo()) {
    listing::Line(*out_, listing::kBeamElementInfo);
    listing::Header(*out_, listing::kBeamHeader);
  }
  for (long e = 1; e <= header_.stiffeners; ++e) {
    const auto& c = g_->stiffenerNodes(e);
    if (Echo()) listing::Row(*out_, {e, c[0], c[1], g_->stiffenerThickness(e), g_->stiffenerWidth(e)});
    for (std::size_t k = 0; k < 2; ++k) {
      CheckNode(c[k]);
      stiffX_(e)[k] = g_->nodeX(c[k]);
      stiffY_(e)[k] = g_->nodeY(c[k]);
    }
  }
}

// The membrane and bar stiffness into K, yielding after every element (an
// overflow of the band store is tested after that yield).
bool Run::AssembleInPlane() {
  place_.stage = Stage::InPlane;
  std::fill(U_.begin(), U_.begin() + To16(2LL * N_), 0.0);
  K_.ClearRows(2 * N_);
  tracker_ = 0;
  ui_.Progress("Creating Stiffness Matrix...");
  if (Interrupted()) return false;

  const SolverConstants& c = constants_.element;
  ElementBatches<Mat8> plates(*workers_, header_.plates, [&](long e) {
    return Plate_InPlane_Stiffness(static_cast<int>(e), plateX_(e), plateY_(e), g_->plateThickness(e), c.E, c.nu);
  });
  place_.element = 'P';
  for (long e = 1; e <= header_.plates; ++e) {
    place_.number = e;
    const Mat8& k = plates.Get(e);
    const bool fits = Assemble(View(k), K_, Map<8>(g_->plateNodes(e), 2), 8);
    if (Interrupted() || !fits) return false;
  }
  place_.element = 'S';
  for (long e = 1; e <= header_.stiffeners; ++e) {
    place_.number = e;
    const Mat4 k = Beam_InPlane_Stiffness(static_cast<int>(e), stiffX_(e), stiffY_(e), g_->stiffenerThickness(e),
                                          g_->stiffenerWidth(e), c.E);
    const bool fits = Assemble(View(k), K_, Map<4>(g_->stiffenerNodes(e), 2), 4);
    if (Interrupted() || !fits) return false;
  }
  place_.element = 0;
  return true;
}

// Reads the records of one node block, yielding before each (unless told
// not to), until the block's count is reached; `apply` takes each record.
template <typename Read, typename Apply>
bool ReadBlock(short count, Read read, Apply apply, const std::function<bool()>& interrupted) {
  long seen = 0;
  do {
    if (interrupted && interrupted()) return false;
    NodeRecord r = read();
    apply(r);
    seen += r.counts;
  } while (seen < count);
  return true;
}

bool Run::ApplyLoads() {
  if (header_.loads == 0) return true;
  listing::Line(*out_, listing::kLoads);
  listing::Header(*out_, listing::kLoadsHeader);
  return ReadBlock(
      header_.loads, [&] { return Read_Load_Record(*reader_); },
      [&](const NodeRecord& r) {
        listing::Row(*out_, {r.first, r.values[0], r.values[1]});
        if (r.counts == 0) return;
        for (short n : r.nodes) {
          CheckNode(n);
          U(Equation(n, 2, 1)) += r.values[0];
          U(Equation(n, 2, 2)) += r.values[1];
        }
      },
      [&] { return Interrupted(); });
}

// In-plane directions with a prescribed displacement are marked: a spring
// there would turn the prescribed value v into v / (1 + S).
bool Run::ApplyInPlaneRestraints(std::vector<bool>& prescribed) {
  if (header_.inPlaneRestraints == 0) return true;
  listing::Line(*out_, listing::kBoundaryInPlane);
  listing::Header(*out_, listing::kBoundaryInPlaneHeader);
  return ReadBlock(
      header_.inPlaneRestraints, [&] { return Read_InPlane_Restraint_Record(*reader_); },
      [&](const NodeRecord& r) {
        listing::Row(*out_, {r.first, r.flags[0], r.flags[1], r.values[0], r.values[1]});
        if (r.counts == 0) return;
        for (short n : r.nodes) {
          CheckNode(n);
          for (std::size_t d = 0; d < 2; ++d) {
            if (r.flags[d] == 0) continue;
            const short eq = Equation(n, 2, static_cast<int>(d) + 1);
            Band_Boundary_Condition(K_, U_, eq, r.values[d], tracker_, 2);
            prescribed[static_cast<std::size_t>(eq)] = true;
          }
        }
      },
      [&] { return Interrupted(); });
}

bool Run::ApplyInPlaneSprings(const std::vector<bool>& prescribed) {
  if (header_.inPlaneSprings == 0) return true;
  listing::Line(*out_, listing::kSpringsInPlane);
  listing::Header(*out_, listing::kSpringsInPlaneHeader);
  return ReadBlock(
      header_.inPlaneSprings, [&] { return Read_InPlane_Spring_Record(*reader_); },
      [&](const NodeRecord& r) {
        listing::Row(*out_, {r.first, r.values[0], r.values[1]});
        if (r.counts == 0) return;
        for (short n : r.nodes) {
          CheckNode(n);
          for (std::size_t d = 0; d < 2; ++d) {
            const short eq = Equation(n, 2, static_cast<int>(d) + 1);
            if (!prescribed[static_cast<std::size_t>(eq)]) K_(1, eq) += r.values[d];
          }
        }
      },
      [&] { return Interrupted(); });
}

// The reduction of a model with long columns takes seconds: it yields and
// tests the cancel flag between blocks of its work as well.
bool Run::SolveInPlane() {
  ui_.Progress("Solving...");
  if (Interrupted()) return false;
  const int n2 = 2 * N_;
  WorkPacer pacer([this] { return Interrupted(); });
  if (!Band_Decompose(K_, n2, tracker_, workers_.get(), &pacer) || !Band_Solve(K_, U_, U_, n2, tracker_, &pacer))
    return false;
  return !Interrupted();
}

void Run::StoreDisplacements() {
  if (Echo()) {
    listing::Line(*out_, listing::kDisplacementInPlane);
    listing::Header(*out_, listing::kDisplacementHeader);
  }
  for (long n = 1; n <= N_; ++n) {
    const double u = U(2 * n - 1), v = U(2 * n);
    model::Nodeb& node = ModelNode(n);
    node.set_InPDispX(ToSingle(u));
    node.set_InPDispY(ToSingle(v));
    if (Echo()) listing::DisplacementRow(*out_, n, u, v);
  }
}

// Plate bending stiffness into K, geometric stiffness into Kg, stresses
// into the listing and summed at the nodes; a yield after every plate.
bool Run::AssemblePlates() {
  place_.stage = Stage::Buckling;
  if (header_.plates == 0) return true;
  if (Echo()) {
    listing::Line(*out_, listing::kStressPlate);
    listing::Header(*out_, listing::kStressPlateHeader);
  }
  // Every node starts from no stress, Mises with the others, so that a node
  // no plate touches shows no value of an earlier run.
  nodeStress_.assign(static_cast<std::size_t>(nodes_.Count()), NodeStress{});
  ui_.Progress("Creating Stiffness Matrix for Buckling Analysis...");
  if (Interrupted()) return false;

  const SolverConstants& c = constants_.element;
  ElementBatches<PlateBuckling> plates(*workers_, header_.plates, [&](long e) {
    const int ei = static_cast<int>(e);
    const double t = g_->plateThickness(e);
    PlateBuckling r;
    r.kb = Plate_Bending_Stiffness(ei, c.E, c.nu, t, plateX_(e), plateY_(e));
    r.sg = Plate_Stress_Geometric(ei, plateX_(e), plateY_(e), t, Displacements(g_->plateNodes(e)), c);
    return r;
  });
  place_.element = 'P';
  for (long e = 1; e <= header_.plates; ++e) {
    place_.number = e;
    const auto& nodes = g_->plateNodes(e);
    const PlateBuckling& r = plates.Get(e);
    for (int k = 1; k <= 4; ++k) {
      const short nk = nodes[static_cast<std::size_t>(k - 1)];
      const double sx = r.sg.sx[static_cast<std::size_t>(k)], sy = r.sg.sy[static_cast<std::size_t>(k)];
      if (Echo()) listing::Row(*out_, {e, k, nk, Masked(sx), Masked(sy), Masked(r.sg.sxy)});
      // Summed in single precision, as the node keeps its stresses.
      NodeStress& sum = NodeSum(nk);
      sum.sx = ToSingle(static_cast<double>(sum.sx) + sx);
      sum.sy = ToSingle(static_cast<double>(sum.sy) + sy);
      sum.sxy = ToSingle(static_cast<double>(sum.sxy) + r.sg.sxy);
      sum.ncp = To16(sum.ncp + 1);
    }
    const auto lm = Map<12>(nodes, 3);
    if (!Assemble(View(r.sg.kg), Kg_, lm, 12) || !Assemble(View(r.kb), K_, lm, 12)) return false;
    if (Interrupted()) return false;
  }
  place_.element = 0;
  NodeStressMeans();
  return true;
}

// Corner means at the nodes that plates touch, then their Mises stress.
void Run::NodeStressMeans() {
  for (NodeStress& s : nodeStress_) {
    if (s.ncp == 0) continue;
    s.sx = s.sx / s.ncp;
    s.sy = s.sy / s.ncp;
    s.sxy = s.sxy / s.ncp;
    const double sx = s.sx, sy = s.sy, sxy = s.sxy;
    s.mises = ToSingle(std::sqrt(sx * sx + sy * sy - sx * sy + 3.0 * sxy * sxy));
  }
}

// Stiffener bending into K and geometric stiffness into Kg; no yield.
bool Run::AssembleStiffeners() {
  if (header_.stiffeners == 0) return true;
  if (Echo()) {
    listing::Line(*out_, listing::kStressBeam);
    listing::Header(*out_, listing::kStressBeamHeader);
  }
  const SolverConstants& c = constants_.element;
  model::twoNodes& stiffeners = mesh_.twoNodes();
  place_.element = 'S';
  for (long e = 1; e <= header_.stiffeners; ++e) {
    place_.number = e;
    const int ei = static_cast<int>(e);
    const double t = g_->stiffenerThickness(e), w = g_->stiffenerWidth(e);
    const Mat6 kb = Beam_Bending_Stiffness(ei, stiffX_(e), stiffY_(e), t, w, c);
    const BeamStressGeometric sg =
        Beam_Stress_Geometric(ei, stiffX_(e), stiffY_(e), t, w, Displacements(g_->stiffenerNodes(e)), c);
    if (Echo()) listing::Row(*out_, {e, Masked(sg.stress)});
    const long position = stiffeners.Item(e).UvID();
    stiffeners.Item(position);  // raises for a position outside the collection
    stiffenerStress_.emplace_back(position, ToSingle(sg.stress));
    const auto lm = Map<6>(g_->stiffenerNodes(e), 3);
    if (!Assemble(View(sg.kg), Kg_, lm, 6) || !Assemble(View(kb), K_, lm, 6)) return false;
  }
  place_.element = 0;
  return true;
}

// The run's stresses become the model's, all at once, and the window shows
// them: between here and the last yield nothing else can look at the model.
void Run::StoreStresses() {
  if (!nodeStress_.empty()) {
    for (long p = 1; p <= nodes_.Count(); ++p) {
      const NodeStress& s = nodeStress_[static_cast<std::size_t>(p - 1)];
      model::Nodeb& node = nodes_.Item(p);
      node.set_Sx(s.sx);
      node.set_Sy(s.sy);
      node.set_SXY(s.sxy);
      node.set_NCP(s.ncp);
      node.set_Mises(s.mises);
    }
  }
  model::twoNodes& stiffeners = mesh_.twoNodes();
  for (const auto& [position, stress] : stiffenerStress_) stiffeners.Item(position).set_Stress(stress);
  if (!nodeStress_.empty() || !stiffenerStress_.empty()) ui_.StressesStored();
}

// Each restrained equation reads 1 x = 0 in K and has no entries in Kg. No
// yield after each record; but each equation clears a column of both stores,
// an entry of another row at every band position, and with a band of some
// thousands the block takes a second: it yields after every so much of
// that, each entry counted as 16 multiply-adds (mostly a memory fetch).
bool Run::ApplyOutOfPlaneRestraints() {
  ui_.Progress("Boundary Conditions for Out-of-plane Analysis...");
  if (header_.outOfPlaneRestraints == 0) return true;
  listing::Line(*out_, listing::kBoundaryOutOfPlane);
  listing::Header(*out_, listing::kOutOfPlaneHeader);
  WorkPacer pacer([this] { return Interrupted(); });
  const bool read = ReadBlock(
      header_.outOfPlaneRestraints, [&] { return Read_OutOfPlane_Restraint_Record(*reader_); },
      [&](const NodeRecord& r) {
        if (r.counts == 0 && r.flags[0] == 0 && r.flags[1] == 0 && r.flags[2] == 0) return;
        listing::Row(*out_, {r.first, r.flags[0], r.flags[1], r.flags[2]});
        for (short n : r.nodes) {
          CheckNode(n);
          for (std::size_t d = 0; d < 3; ++d) {
            if (r.flags[d] == 0 || pacer.Stopped()) continue;
            const short eq = Equation(n, 3, static_cast<int>(d) + 1);
            Band_Boundary_Condition(K_, V_, eq, 0.0, tracker_, 2);
            Band_Boundary_Condition(Kg_, V_, eq, 0.0, tracker_, 1);
            pacer.Done(16 * 4 * std::int64_t{tracker_});
          }
        }
      },
      [&] { return pacer.Stopped(); });
  return read && !pacer.Stopped();
}

bool Run::ApplyOutOfPlaneSprings() {
  if (header_.outOfPlaneSprings == 0) return true;
  listing::Line(*out_, listing::kSpringsOutOfPlane);
  listing::Header(*out_, listing::kOutOfPlaneHeader);
  return ReadBlock(
      header_.outOfPlaneSprings, [&] { return Read_OutOfPlane_Spring_Record(*reader_); },
      [&](const NodeRecord& r) {
        if (r.values[0] == 0.0 && r.values[1] == 0.0 && r.values[2] == 0.0) return;
        listing::Row(*out_, {r.first, r.values[0], r.values[1], r.values[2]});
        for (short n : r.nodes) {
          CheckNode(n);
          for (std::size_t d = 0; d < 3; ++d) K_(1, Equation(n, 3, static_cast<int>(d) + 1)) += r.values[d];
        }
      },
      [&] { return Interrupted(); });
}

bool Run::SolveBuckling(RunResult& result) {
  ui_.Progress("Calculating Eigenvalue...");
  if (Interrupted()) return false;
  place_.stage = Stage::Iteration;
  eigen_ = Solve_Eigen(K_, Kg_, V_, U_, tracker_, N_, analysis_, nodes_, *out_, ui_, workers_.get());
  if (eigen_.finished) {
    result.converged = eigen_.converged;
    result.eigenvalue = eigen_.lambda;
    result.residual = eigen_.residual;
  }
  return !Interrupted();
}

RunResult Run::Execute() {
  RunResult result;
  SizeArrays();
  constants_.outputOption = analysis_.OutputOption;
  constants_.element.igstf = analysis_.IGSTF;
  constants_.element.ishear = analysis_.ISHEAR;

  ui_.Progress("Creating Input File...");
  if (Interrupted() || !BringInStores() || !ReadHeader()) return Finish(result);
  EchoNodes();
  CopyPlateCorners();
  if (Interrupted()) return Finish(result);
  CopyStiffenerEnds();

  if (!AssembleInPlane()) return dimensionError_ && !interrupted_ ? DimensionExit() : Finish(result);
  ui_.Progress("Applying Boundary Conditions...");
  std::vector<bool> prescribed(static_cast<std::size_t>(2 * N_) + 1, false);
  if (!ApplyLoads() || !ApplyInPlaneRestraints(prescribed) || !ApplyInPlaneSprings(prescribed) || !SolveInPlane())
    return Finish(result);
  StoreDisplacements();

  std::fill(V_.begin(), V_.begin() + To16(3LL * N_), 0.0);
  K_.ClearRows(3 * N_);
  Kg_.ClearRows(3 * N_);
  tracker_ = 0;
  if (!AssemblePlates() || !AssembleStiffeners())
    return dimensionError_ && !interrupted_ ? DimensionExit() : Finish(result);
  StoreStresses();
  if (!ApplyOutOfPlaneRestraints() || !ApplyOutOfPlaneSprings() || !SolveBuckling(result)) return Finish(result);
  listing::Line(*out_, listing::kOutputEnds);
  result.outcome = RunOutcome::Completed;
  return Finish(result);
}

}  // namespace

std::uint64_t KeptBandStoreBytes() {
  KeptStores& kept = Kept();
  std::lock_guard<std::mutex> hold(kept.lock);
  return kept.K.MemoryBytes() + kept.Kg.MemoryBytes();
}

RunResult Run_Calculation(model::Mesh& mesh, model::Analysis& analysis, RunFiles& files, RunUi& ui) {
  return Run_Calculation(mesh, analysis, files, ui, 0);
}

RunResult Run_Calculation(model::Mesh& mesh, model::Analysis& analysis, RunFiles& files, RunUi& ui, int threads) {
  Run run(mesh, analysis, files, ui, threads);
  RunResult r;
  r.outcome = RunOutcome::Error;
  try {
    r = run.Execute();
    r.threads = run.Threads();
    return r;
  } catch (const platform::RuntimeError& e) {
    r.errorNumber = e.number();
    r.errorText = e.description();
    r.detail = run.Detail(e);
  } catch (const std::bad_alloc&) {
    r.errorNumber = platform::kErrOutOfMemory;
    r.errorText = platform::DescribeError(r.errorNumber);
    r.detail = "There is not enough memory for the matrices of this model: close other programs, or generate "
               "the mesh with fewer nodes across the depth (the matrices grow with the nodes of a grid column).";
  } catch (const std::exception& e) {
    r.errorNumber = platform::kErrInvalidCall;
    r.errorText = e.what();
    r.detail = r.errorText;
  }
  run.CloseQuietly();
  run.LetFolderGo();
  ui.DetailedMessage(ErrorMessage(r.errorNumber), r.detail);
  ui.Progress(ErrorProgress(r.errorNumber));
  return r;
}

}  // namespace analysis
