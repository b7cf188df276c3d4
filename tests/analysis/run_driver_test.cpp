// Whole runs through the driver: progress texts, cancel, the error path, what
// reaches the model and the listing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>

#include "analysis/EigenSolver.h"
#include "analysis/PrintLineWriter.h"
#include "analysis/SolverFailure.h"
#include "analysis/WorkPacer.h"
#include "platform/RuntimeError.h"
#include "tests/analysis/ValidationModels.h"
#include "tests/platform/FileTestSupport.h"

namespace {

using analysis::RunOutcome;
using runtest::NodeAt;

// A simply supported 100 x 100 plate of n x n cells in compression along x.
// With extraColumn a further column of cells without thickness lies beyond
// x = 100; its outer nodes take no part.
void BuildPlate(model::Mesh& mesh, int n, bool extraColumn = false) {
  const double h = 100.0 / n;
  runtest::BuildPanel(mesh, 100.0 + (extraColumn ? h : 0.0), 100.0, n + (extraColumn ? 1 : 0), n, 1.0);
  if (extraColumn)
    for (long k = 1; k <= n; ++k) {
      model::fourNode& p = mesh.fourNodes().Item(static_cast<long>(n) * n + k);
      p.set_Thickness(0);
      p.UpdatePropertyDefined();
    }
  runtest::Number(mesh);
  const int m = n + 1;
  for (int i = 1; i <= m; ++i)
    for (int j = 1; j <= m; ++j)
      if (i == 1 || i == m || j == 1 || j == m) NodeAt(mesh, i, j).set_ZTDir(-1);
  for (int j = 1; j <= m; ++j) {
    NodeAt(mesh, 1, j).set_XTDir(-1);
    NodeAt(mesh, m, j).set_XLoad(static_cast<float>((j == 1 || j == m) ? -0.5 * h : -h));
  }
  NodeAt(mesh, 1, 1).set_YTDir(-1);
}

struct Fixture {
  model::Mesh mesh;
  model::Analysis analysis;
  model::Material material;
  velk_test::ScratchFolder folder;
  runtest::ScriptedRunUi ui;

  analysis::RunResult Run() { return runtest::RunModel(mesh, analysis, material, folder.path(), ui); }
  std::string Listing() const { return velk_test::ReadBytes(folder.path() / "velktempout.vlk"); }
  bool Shown(const std::string& progress) const {
    return std::find(ui.progress.begin(), ui.progress.end(), progress) != ui.progress.end();
  }
  // Marks the results that only a finished iteration may overwrite.
  void MarkResults() {
    analysis.EigenValue = 123.0f;
    for (model::Nodeb& n : mesh.Nodes()) n.set_zcoord(7.0f);
  }
  bool ResultsUntouched() const {
    if (analysis.EigenValue != 123.0f) return false;
    for (const model::Nodeb& n : mesh.Nodes())
      if (n.zcoord() != 7.0f) return false;
    return true;
  }
};

TEST(RunDriver, ACompleteRunReportsAndStoresItsResults) {
  Fixture f;
  BuildPlate(f.mesh, 4);
  const mode_t mask = ::umask(022);
  analysis::RunResult r = f.Run();
  ::umask(mask);
  ASSERT_EQ(r.outcome, RunOutcome::Completed);
  // The input file and the listing hold the model: nobody else may read them.
  for (const char* scratch : {"velktempin.vlk", "velktempout.vlk"}) {
    struct stat st {};
    ASSERT_EQ(::stat((f.folder.path() / scratch).c_str(), &st), 0) << scratch;
    EXPECT_EQ(st.st_mode & 07777, 0600u) << scratch;
  }
  const std::vector<std::string> stages = {
      "Creating Input File...",         "Creating Stiffness Matrix...",
      "Applying Boundary Conditions...", "Solving...",
      "Creating Stiffness Matrix for Buckling Analysis...", "Boundary Conditions for Out-of-plane Analysis...",
      "Calculating Eigenvalue...",      "Buckling Analysis Completes..."};
  EXPECT_EQ(f.ui.progress, stages);
  const std::string value = analysis::FormatMask(r.eigenvalue, "0.0000E+00");
  EXPECT_EQ(f.ui.messages, std::vector<std::string>{"Eigenvalue of " + value});
  EXPECT_EQ(f.ui.resultsStored, 1);
  EXPECT_EQ(analysis::EigenvaluePanelText(f.analysis, false), "Eigenvalue : " + value);
  EXPECT_FLOAT_EQ(f.analysis.EigenValue, static_cast<float>(r.eigenvalue));
  // The mode shape: w of every node, its largest value 1 at the centre.
  EXPECT_FLOAT_EQ(NodeAt(f.mesh, 3, 3).zcoord(), 1.0f);
  EXPECT_EQ(NodeAt(f.mesh, 1, 3).zcoord(), 0.0f);

  const std::string listing = f.Listing();
  EXPECT_EQ(listing.rfind("[Output Starts]\r\n", 0), 0u);
  EXPECT_NE(listing.find("[EigenValue:" + value + "]\r\n[Output Ends]\r\n"), std::string::npos);
  for (const char* section : {"[Nodal Info]", "[Plate Element Info]", "[Displacement: In-Plane]",
                              "[Stress: Plate Element]", "[Loads]", "[Boundary conditions: Out-of-Plane]"})
    EXPECT_NE(listing.find(section), std::string::npos) << section;
  EXPECT_EQ(listing.find("[Beam Element Info]"), std::string::npos);

  // OutputOption 2 leaves out the echo tables but not the results.
  Fixture g;
  BuildPlate(g.mesh, 4);
  g.analysis.OutputOption = 2;
  analysis::RunResult r2 = g.Run();
  ASSERT_EQ(r2.outcome, RunOutcome::Completed);
  EXPECT_EQ(r2.eigenvalue, r.eigenvalue);
  EXPECT_EQ(g.Listing().find("[Nodal Info]"), std::string::npos);
  EXPECT_NE(g.Listing().find("[Loads]"), std::string::npos);
}

// A run leaves its band stores to the next run of the process, which clears
// them: a run after a larger one, in memory full of that one's values,
// lists what it listed first, byte for byte; and the runs' own choice of
// threads gives what one thread gives.
TEST(RunDriver, TheNextRunReusesTheBandStoresAndListsTheSame) {
  auto runOn = [](Fixture& f, int threads) {
    return runtest::RunModel(f.mesh, f.analysis, f.material, f.folder.path(), f.ui, threads).outcome;
  };
  Fixture small;
  BuildPlate(small.mesh, 6);
  ASSERT_EQ(runOn(small, 1), RunOutcome::Completed);
  ASSERT_EQ(runtest::RunModel(small.mesh, small.analysis, small.material, small.folder.path(), small.ui).outcome,
            RunOutcome::Completed);
  const std::string first = small.Listing();
  EXPECT_GT(analysis::KeptBandStoreBytes(), 0u);

  Fixture large;
  BuildPlate(large.mesh, 14);
  const analysis::RunResult big = large.Run();
  ASSERT_EQ(big.outcome, RunOutcome::Completed);
  EXPECT_GE(big.threads, 1);
  const std::uint64_t kept = analysis::KeptBandStoreBytes();
  // 15 x 15 nodes: 675 equations, band 51, two stores and their work space.
  EXPECT_GE(kept, 2u * 675u * 51u * sizeof(double));

  Fixture again;
  BuildPlate(again.mesh, 6);
  ASSERT_EQ(runOn(again, 3), RunOutcome::Completed);
  EXPECT_TRUE(again.Listing() == first);
  EXPECT_EQ(analysis::KeptBandStoreBytes(), kept) << "the larger memory stays";
}

TEST(RunDriver, CancelStopsCleanlyAndKeepsEarlierResults) {
  {
    // At the first yield, before either file is opened.
    Fixture f;
    BuildPlate(f.mesh, 4);
    f.MarkResults();
    f.ui.cancelAfterYields = 1;
    EXPECT_EQ(f.Run().outcome, RunOutcome::Interrupted);
    EXPECT_EQ(f.ui.progress,
              (std::vector<std::string>{"Creating Input File...", "Ready...", "Process Interrupted..."}));
    EXPECT_FALSE(std::filesystem::exists(f.folder.path() / "velktempout.vlk"));
    EXPECT_TRUE(f.ResultsUntouched());
  }
  {
    // Before the first load record: the section is open, no row is read.
    Fixture f;
    BuildPlate(f.mesh, 4);
    f.ui.cancelAtProgress = "Applying Boundary Conditions...";
    EXPECT_EQ(f.Run().outcome, RunOutcome::Interrupted);
    const std::string listing = f.Listing();
    const std::string tail = "[Loads]\r\nNode Number   X Dir.        Y Dir.\r\n";
    ASSERT_GE(listing.size(), tail.size());
    EXPECT_EQ(listing.substr(listing.size() - tail.size()), tail);
    EXPECT_EQ(f.ui.progress.back(), "Process Interrupted...");
  }
  {
    // Inside the eigenvalue iteration: displacements and stresses stay,
    // eigenvalue and mode shape keep their previous values.
    Fixture f;
    BuildPlate(f.mesh, 4);
    f.MarkResults();
    // Let the yield right after the text pass, then cancel at the first cycle.
    struct : runtest::ScriptedRunUi {
      long sinceText = -1;
      void Yield() override {
        ++yields;
        if (!progress.empty() && progress.back() == "Calculating Eigenvalue...") ++sinceText;
        if (sinceText >= 1) cancelled = true;
      }
    } ui;
    analysis::RunResult r = runtest::RunModel(f.mesh, f.analysis, f.material, f.folder.path(), ui);
    EXPECT_EQ(r.outcome, RunOutcome::Interrupted);
    EXPECT_TRUE(f.ResultsUntouched());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_NE(NodeAt(f.mesh, 5, 3).InPDispX(), 0.0f);
    EXPECT_NEAR(NodeAt(f.mesh, 3, 3).Sx(), -1.0f, 1e-5);
    EXPECT_EQ(f.Listing().find("[Output Ends]"), std::string::npos);
    EXPECT_EQ(f.Listing().find("[EigenValue:"), std::string::npos);
  }
}

// What a run leaves in the model, each part of which must be whole: the
// node and stiffener stresses, and the eigenvalue with the mode shape.
struct Stored {
  std::vector<float> stresses, shape;
  bool operator==(const Stored&) const = default;
};

Stored StoredIn(const model::Mesh& mesh, const model::Analysis& analysis) {
  Stored s;
  for (const model::Nodeb& n : mesh.Nodes()) {
    s.stresses.insert(s.stresses.end(), {n.Sx(), n.Sy(), n.SXY(), n.Mises(), static_cast<float>(n.NCP())});
    s.shape.push_back(n.zcoord());
  }
  for (const model::twoNode& t : mesh.twoNodes()) s.stresses.push_back(t.Stress());
  s.shape.push_back(analysis.EigenValue);
  return s;
}

// The 4 x 4 plate with stiffeners along one edge.
void BuildStiffenedPlate(model::Mesh& mesh) {
  BuildPlate(mesh, 4);
  for (int i = 1; i <= 4; ++i) runtest::SetStiffener(mesh, NodeAt(mesh, i, 5), NodeAt(mesh, i + 1, 5), 1.0, 4.0);
  runtest::Number(mesh);
}

// Twice the loads: other stresses, the same shape.
void DoubleTheLoads(model::Mesh& mesh) {
  for (int j = 1; j <= 5; ++j) NodeAt(mesh, 5, j).set_XLoad(2.0f * NodeAt(mesh, 5, j).XLoad());
}

// A run cancelled at any yield, or looked at during any yield, leaves each
// part of the model's results whole: what the model held before the run,
// or the run's complete new one, never stresses summed over some plates.
// The window is told once the new stresses are all in.
TEST(RunDriver, AtEveryYieldTheModelHoldsWholeResults) {
  Fixture whole;
  BuildStiffenedPlate(whole.mesh);
  DoubleTheLoads(whole.mesh);
  ASSERT_EQ(whole.Run().outcome, RunOutcome::Completed);
  EXPECT_EQ(whole.ui.stressesStored, 1);
  const Stored after = StoredIn(whole.mesh, whole.analysis);

  // Looks at the model at every yield, and cancels at the given one.
  struct WatchingUi : runtest::ScriptedRunUi {
    const Fixture* f = nullptr;
    std::vector<Stored> seen;
    void Yield() override {
      ScriptedRunUi::Yield();
      seen.push_back(StoredIn(f->mesh, f->analysis));
    }
  };
  for (bool firstRun : {false, true}) {
    Stored before;
    {
      Fixture f;
      BuildStiffenedPlate(f.mesh);
      if (!firstRun) {
        ASSERT_EQ(f.Run().outcome, RunOutcome::Completed);
      }
      before = StoredIn(f.mesh, f.analysis);
    }
    ASSERT_NE(before.stresses, after.stresses);
    for (long k = 1; k <= whole.ui.yields; ++k) {
      SCOPED_TRACE((firstRun ? "first run, cancel at yield " : "second run, cancel at yield ") + std::to_string(k));
      Fixture f;
      BuildStiffenedPlate(f.mesh);
      if (!firstRun) {
        ASSERT_EQ(f.Run().outcome, RunOutcome::Completed);
      }
      DoubleTheLoads(f.mesh);
      WatchingUi ui;
      ui.f = &f;
      ui.cancelAfterYields = k;
      const RunOutcome outcome = runtest::RunModel(f.mesh, f.analysis, f.material, f.folder.path(), ui).outcome;
      ui.seen.push_back(StoredIn(f.mesh, f.analysis));
      EXPECT_EQ(outcome, RunOutcome::Interrupted);
      long halfDone = 0;
      bool stressesNew = false;
      for (const Stored& seen : ui.seen) {
        if (!(seen.stresses == before.stresses || seen.stresses == after.stresses) ||
            !(seen.shape == before.shape || seen.shape == after.shape))
          ++halfDone;
        stressesNew = seen.stresses == after.stresses;
      }
      EXPECT_EQ(halfDone, 0) << "of " << ui.seen.size() << " looks at the model";
      EXPECT_EQ(ui.stressesStored, stressesNew ? 1 : 0);
      // The last yield follows the iteration, which has stored its result.
      if (k == whole.ui.yields) {
        EXPECT_EQ(ui.seen.back(), after);
      }
      if (firstRun) {
        EXPECT_EQ(f.mesh.HoldsStresses(), stressesNew);
      }
    }
  }
}

// A strip two cells wide and `cells` long, numbered along its length, so
// that the band is as long as a column; clamped, compressed across.
void BuildStrip(model::Mesh& mesh, int cells) {
  runtest::BuildPanel(mesh, 2.0, cells, 2, cells, 0.1);
  runtest::Number(mesh);
  const int m = cells + 1;
  for (int j = 1; j <= m; ++j) {
    for (int i = 1; i <= 3; ++i) {
      if (i == 2 && j != 1 && j != m) continue;
      NodeAt(mesh, i, j).set_ZTDir(-1);
      NodeAt(mesh, i, j).set_XRDir(-1);
      NodeAt(mesh, i, j).set_YRDir(-1);
    }
    NodeAt(mesh, 1, j).set_XTDir(-1);
    NodeAt(mesh, 3, j).set_XLoad((j == 1 || j == m) ? -0.5f : -1.0f);
  }
  NodeAt(mesh, 1, 1).set_YTDir(-1);
}

TEST(RunDriver, LongStagesYieldAndACancelThereEndsTheRun) {
  // 3 x 200 nodes: the in-plane reduction (1200 equations, band 404) is
  // some five pauses' work, each buckling reduction (1800, band 606) some
  // fifteen; the two band stores (2 x 8.7 MB) come into memory in two, and
  // the restraints of 1206 equations take three.
  const int cells = 199;
  const double inPlane = 1200.0 * 404 * 404 / 2, buckling = 1800.0 * 606 * 606 / 2;
  const double every = analysis::WorkPacer::kWorkPerPause;
  // One cycle of one shift: the iteration's own yields do not count here.
  auto build = [&](Fixture& f) {
    BuildStrip(f.mesh, cells);
    f.analysis.MaxShift = 1;
    f.analysis.MaxCycle = 1;
  };
  Fixture whole;
  build(whole);
  ASSERT_EQ(whole.Run().outcome, RunOutcome::Completed);
  // Besides the yields after the text and after the solve, one for about
  // every pause's work (at least 0.7 of the estimate is done).
  EXPECT_GE(whole.ui.YieldsDuring("Solving..."), 2 + static_cast<long>(0.7 * inPlane / every));
  EXPECT_GE(whole.ui.YieldsDuring("Calculating Eigenvalue..."), 2 + static_cast<long>(0.7 * buckling / every));

  // A cancel at the first yield inside each long stage: bringing in the
  // stores, the in-plane reduction, the restraints (which yield only inside)
  // and the first buckling reduction.
  const std::string input = "Creating Input File...", solving = "Solving...",
                    restraints = "Boundary Conditions for Out-of-plane Analysis...",
                    eigen = "Calculating Eigenvalue...";
  for (const std::string& stage : {input, solving, restraints, eigen}) {
    SCOPED_TRACE(stage);
    Fixture f;
    build(f);
    f.MarkResults();
    f.ui.cancelAfterYields = whole.ui.YieldsBefore(stage) + (stage == restraints ? 1 : 2);
    EXPECT_EQ(f.Run().outcome, RunOutcome::Interrupted);
    // The run ended there: after the iteration only the driver's own yield follows.
    EXPECT_EQ(f.ui.yields, f.ui.cancelAfterYields + (stage == eigen ? 1 : 0));
    std::vector<std::string> texts(whole.ui.progress.begin(),
                                   std::find(whole.ui.progress.begin(), whole.ui.progress.end(), stage) + 1);
    texts.insert(texts.end(), {"Ready...", "Process Interrupted..."});
    EXPECT_EQ(f.ui.progress, texts);
    EXPECT_TRUE(f.ResultsUntouched());
    // No file is opened before the stores are in; displacements are stored
    // after the in-plane solve.
    const bool listed = std::filesystem::exists(f.folder.path() / "velktempout.vlk");
    EXPECT_EQ(listed, stage != input);
    if (listed) {
      EXPECT_EQ(f.Listing().find("[Output Ends]"), std::string::npos);
    }
    EXPECT_EQ(NodeAt(f.mesh, 3, 100).InPDispX() != 0.0f, stage != input && stage != solving);
  }
}

TEST(RunDriver, TheErrorPathNamesTheErrorsKind) {
  {
    // The input file removed once written: the run reads no other, and
    // says so, naming the file once, then what to do.
    Fixture f;
    BuildPlate(f.mesh, 2);
    f.MarkResults();
    analysis::RunFiles files(f.folder.path());
    ASSERT_EQ(analysis::Create_Input_File(f.mesh, f.analysis, f.material, files), 1);
    std::filesystem::remove(files.InputPath());
    analysis::RunResult r = analysis::Run_Calculation(f.mesh, f.analysis, files, f.ui);
    EXPECT_EQ(r.outcome, RunOutcome::Error);
    EXPECT_EQ(f.ui.messages, std::vector<std::string>{"Error!"});
    EXPECT_EQ(f.ui.progress.back(), "Error!...");
    ASSERT_EQ(f.ui.details.size(), 1u);
    const std::string& detail = f.ui.details[0];
    EXPECT_NE(detail.find("velktempin.vlk is no longer the file this program wrote there"), std::string::npos)
        << detail;
    EXPECT_EQ(detail.substr(detail.size() - 16), " Then run again.") << detail;
    EXPECT_EQ(detail.find("velktempin.vlk"), detail.rfind("velktempin.vlk")) << detail;
    EXPECT_TRUE(f.ResultsUntouched());
    EXPECT_FALSE(files.HasTurn()) << "the turn ends with the run";
  }
  {
    // Nothing holds the plate out of its plane: a zero pivot, not a result.
    Fixture f;
    BuildPlate(f.mesh, 2);
    for (model::Nodeb& n : f.mesh.Nodes()) n.set_ZTDir(0);
    f.MarkResults();
    EXPECT_EQ(f.Run().outcome, RunOutcome::Error);
    EXPECT_EQ(f.ui.messages, std::vector<std::string>{"Error: Divide by Zero!"});
    EXPECT_EQ(f.ui.progress.back(), "Error: Divide by Zero!");
    EXPECT_TRUE(f.ResultsUntouched());
  }
  {
    // No load: Kg is zero and so is every iterate.
    Fixture f;
    BuildPlate(f.mesh, 2);
    for (model::Nodeb& n : f.mesh.Nodes()) n.set_XLoad(0);
    EXPECT_EQ(f.Run().outcome, RunOutcome::Error);
    EXPECT_EQ(f.ui.messages, std::vector<std::string>{"Error: Divide by Zero!"});
  }
  {
    // A cell turned clockwise by a coordinate edit.
    Fixture f;
    BuildPlate(f.mesh, 2);
    NodeAt(f.mesh, 2, 2).set_xcoord(-80.0f);
    analysis::RunResult r = f.Run();
    EXPECT_EQ(r.outcome, RunOutcome::Error);
    EXPECT_FALSE(r.errorText.empty());
    EXPECT_EQ(f.ui.messages.size(), 1u);
  }
  {
    // More than 10922 numbered nodes overflow the 16-bit equation count.
    Fixture f;
    runtest::BuildPanel(f.mesh, 10000.0, 1.0, 5461, 1, 1.0);
    runtest::Number(f.mesh);
    ASSERT_EQ(f.mesh.Nodes().MaxvID(), 10924);
    EXPECT_EQ(f.Run().outcome, RunOutcome::Error);
    EXPECT_EQ(f.ui.messages, std::vector<std::string>{"Error: Overflow!"});
    EXPECT_EQ(f.ui.progress.back(), "Error: Overflow!");
    ASSERT_EQ(f.ui.details.size(), 1u);
    EXPECT_NE(f.ui.details[0].find("too large for the solver: it has 10924 nodes"), std::string::npos)
        << f.ui.details[0];
  }
}

TEST(RunDriver, AnElementBeyondTheBandStoreEndsTheRunAfterTheReport) {
  Fixture f;
  BuildPlate(f.mesh, 4);
  // A grid size that understates the column length: the store is too narrow.
  f.mesh.Nodes().set_NumberNodesY(2);
  f.MarkResults();
  EXPECT_EQ(f.Run().outcome, RunOutcome::DimensionError);
  EXPECT_EQ(f.ui.messages, std::vector<std::string>{"Dimesnison of Stiffness Matrix Exceeded!:"});
  ASSERT_EQ(f.ui.details.size(), 1u);
  EXPECT_NE(f.ui.details[0].find("Plate element 1 (nodes 1, 6, 7, 2) joins nodes whose equations lie farther apart "
                                 "than the band width of 12"),
            std::string::npos)
      << f.ui.details[0];
  EXPECT_EQ(f.ui.progress.back(), "Creating Stiffness Matrix...");
  const std::string listing = f.Listing();
  EXPECT_NE(listing.find("Dimension of Stiffness Matrix EXCEEDED\r\n"), std::string::npos);
  EXPECT_EQ(listing.substr(listing.size() - 2), "\r\n");
  EXPECT_EQ(listing.find("[Loads]"), std::string::npos);
  EXPECT_TRUE(f.ResultsUntouched());
}

TEST(RunDriver, SpringsOnPrescribedDirectionsAndStaleStresses) {
  Fixture f;
  BuildPlate(f.mesh, 4, /*extraColumn=*/true);
  // A prescribed displacement with a spring on the same direction.
  NodeAt(f.mesh, 1, 3).set_XTDirValue(0.001f);
  NodeAt(f.mesh, 1, 3).set_xtstiff(1000.0f);
  // A node that no plate touches shows no value of an earlier run.
  model::Nodeb& outer = NodeAt(f.mesh, 6, 2);
  ASSERT_EQ(outer.vID(), 0);
  outer.set_Mises(99.0f);
  outer.set_Sx(99.0f);
  ASSERT_EQ(f.Run().outcome, RunOutcome::Completed);
  EXPECT_EQ(NodeAt(f.mesh, 1, 3).InPDispX(), 0.001f);
  EXPECT_EQ(outer.Mises(), 0.0f);
  EXPECT_EQ(outer.Sx(), 0.0f);
  EXPECT_EQ(outer.NCP(), 0);
  EXPECT_EQ(NodeAt(f.mesh, 3, 3).NCP(), 4);
  EXPECT_EQ(NodeAt(f.mesh, 1, 1).NCP(), 1);
}

TEST(RunDriver, IterationSettingsAndNonConvergence) {
  {
    // Settings below 1 still run one shift of one cycle, and say so.
    Fixture f;
    BuildPlate(f.mesh, 4);
    f.analysis.MaxShift = 0;
    f.analysis.MaxCycle = -3;
    f.MarkResults();
    analysis::RunResult r = f.Run();
    ASSERT_EQ(r.outcome, RunOutcome::Completed);
    EXPECT_FALSE(r.converged);
    EXPECT_TRUE(std::isfinite(r.eigenvalue) && r.eigenvalue != 0.0);
    EXPECT_FALSE(f.ResultsUntouched());
    EXPECT_NE(f.Listing().find(std::string(analysis::kNotConverged) + "\r\n[EigenValue:"), std::string::npos);
    EXPECT_EQ(f.ui.progress.back(), "Buckling Analysis Completes: Eigenvalue did not Converge...");
  }
  {
    // An estimate near the eigenvalue converges within the first shift.
    Fixture f;
    BuildPlate(f.mesh, 4);
    analysis::RunResult exact = f.Run();
    Fixture g;
    BuildPlate(g.mesh, 4);
    g.analysis.EigenValueEstimation = static_cast<float>(exact.eigenvalue * 0.99);
    g.analysis.MaxShift = 1;
    analysis::RunResult r = g.Run();
    EXPECT_TRUE(r.converged);
    EXPECT_NEAR(r.eigenvalue, exact.eigenvalue, 1e-4 * exact.eigenvalue);
  }
}

TEST(RunDriver, ANonConvergedRunSaysSoAfterTheValue) {
  Fixture f;
  BuildPlate(f.mesh, 4);
  f.analysis.MaxShift = 1;
  f.analysis.MaxCycle = 2;
  const analysis::RunResult r = f.Run();
  ASSERT_EQ(r.outcome, RunOutcome::Completed);
  EXPECT_FALSE(r.converged);
  const std::string value = analysis::FormatMask(r.eigenvalue, "0.0000E+00");
  EXPECT_EQ(f.ui.messages, std::vector<std::string>{"Eigenvalue of " + value + " (did not converge)"});
  EXPECT_EQ(analysis::EigenvaluePanelText(f.analysis, true),
            "Eigenvalue : " + value + " (did not converge) (model changed since the run)");
  EXPECT_NE(f.Listing().find(std::string(analysis::kNotConverged) + "\r\n[EigenValue:" + value + "]"),
            std::string::npos);
}

// With an estimate far from every eigenvalue the shifted matrix loses K to
// round-off, and the iteration settles on a value that is no eigenvalue:
// the residual check reports it as not converged.
TEST(RunDriver, AFarEstimateIsNotReportedAsConverged) {
  auto run = [](double estimate) {
    Fixture f;
    validation::BuildSquarePlate(f.mesh, 4, validation::Edges::SimplySupported, validation::Loading::Compression);
    f.analysis.EigenValueEstimation = static_cast<float>(estimate);
    const analysis::RunResult r = f.Run();
    EXPECT_EQ(r.outcome, RunOutcome::Completed) << estimate;
    return std::pair{r, f.ui.messages.empty() ? std::string() : f.ui.messages.back()};
  };
  for (double estimate : {1e6, 1e20, 1e30, -1e6}) {
    const auto [r, box] = run(estimate);
    EXPECT_FALSE(r.converged) << estimate;
    EXPECT_GT(r.residual, analysis::kResidualTolerance) << estimate;
    EXPECT_EQ(box.substr(box.size() - 18), "(did not converge)") << box;
  }
  // The lowest eigenvalue from 0, and a higher one from an estimate near it,
  // leave residuals far below the tolerance.
  for (double estimate : {0.0, 300.0}) {
    const auto [r, box] = run(estimate);
    EXPECT_TRUE(r.converged) << estimate;
    EXPECT_LT(r.residual, 0.01 * analysis::kResidualTolerance) << estimate;
    EXPECT_EQ(box.find("did not converge"), std::string::npos) << box;
  }
}

TEST(RunDriver, AFailedRunGivesItsReason) {
  auto detailOf = [](Fixture& f) {
    EXPECT_EQ(f.Run().outcome, RunOutcome::Error);
    return f.ui.details.empty() ? std::string() : f.ui.details.back();
  };
  {
    // No out-of-plane support at all: the box keeps its text, the detail
    // names the first free node and the cause.
    Fixture f;
    BuildPlate(f.mesh, 2);
    for (model::Nodeb& n : f.mesh.Nodes()) n.set_ZTDir(0);
    const std::string detail = detailOf(f);
    EXPECT_EQ(f.ui.messages, std::vector<std::string>{"Error: Divide by Zero!"});
    EXPECT_NE(detail.find("can move out of its plane (w) without resistance"), std::string::npos) << detail;
    EXPECT_NE(detail.find("no out-of-plane supports"), std::string::npos) << detail;
  }
  {
    // Supported, but one corner node is free to rotate: a mechanism there.
    Fixture f;
    BuildPlate(f.mesh, 2);
    for (model::Nodeb& n : f.mesh.Nodes()) n.set_ZTDir(0);
    NodeAt(f.mesh, 1, 1).set_ZTDir(-1);
    const std::string detail = detailOf(f);
    EXPECT_NE(detail.find("a missing support"), std::string::npos) << detail;
  }
  {
    // Nothing holds the model in its plane.
    Fixture f;
    BuildPlate(f.mesh, 2);
    for (model::Nodeb& n : f.mesh.Nodes()) {
      n.set_XTDir(0);
      n.set_YTDir(0);
    }
    const std::string detail = detailOf(f);
    EXPECT_NE(detail.find("along x without resistance"), std::string::npos) << detail;
    EXPECT_NE(detail.find("no in-plane supports"), std::string::npos) << detail;
  }
  {
    // A zero elastic modulus. Plate 1 takes no part, so the analysis
    // numbers plate 2 as 1: the detail names the model's number as well.
    Fixture f;
    BuildPlate(f.mesh, 2);
    f.mesh.fourNodes().Item(1).set_Thickness(0);
    f.mesh.fourNodes().Item(1).UpdatePropertyDefined();
    runtest::Number(f.mesh);
    f.material.set_MOE(0);
    const std::string detail = detailOf(f);
    EXPECT_NE(detail.find("Plate element 2 (nodes 2, 5, 6, 3), number 1 in the analysis: its thickness or the "
                          "elastic modulus is zero."),
              std::string::npos)
        << detail;
  }
  {
    // Two corners of plate 4 on each other.
    Fixture f;
    BuildPlate(f.mesh, 2, /*extraColumn=*/true);
    NodeAt(f.mesh, 3, 3).set_xcoord(NodeAt(f.mesh, 2, 3).xcoord());
    NodeAt(f.mesh, 3, 3).set_ycoord(NodeAt(f.mesh, 2, 3).ycoord());
    const std::string detail = detailOf(f);
    EXPECT_NE(detail.find("Plate element 4 (nodes 5, 8, 9, 6): two of its corners lie on each other"),
              std::string::npos)
        << detail;
  }
  {
    // No load: nothing to buckle.
    Fixture f;
    BuildPlate(f.mesh, 2);
    for (model::Nodeb& n : f.mesh.Nodes()) n.set_XLoad(0);
    const std::string detail = detailOf(f);
    EXPECT_NE(detail.find("no stress in the plates and stiffeners (no load,"), std::string::npos) << detail;
  }
  {
    // Loads the input file leaves out, each below 1E-5: said so, with their number.
    Fixture f;
    BuildPlate(f.mesh, 2);
    for (model::Nodeb& n : f.mesh.Nodes()) n.set_XLoad(n.XLoad() * 1e-8f);
    const std::string detail = detailOf(f);
    EXPECT_NE(detail.find("No load reaches the solver, so there is nothing to buckle. The model has 3 point loads "
                          "below 1E-5, which the solver ignores"),
              std::string::npos)
        << detail;
    EXPECT_EQ(detail.find("no load,"), std::string::npos) << detail;
  }
  {
    // No out-of-plane support and an estimate: no other estimate can help, so
    // none is suggested.
    Fixture f;
    BuildPlate(f.mesh, 2);
    for (model::Nodeb& n : f.mesh.Nodes()) n.set_ZTDir(0);
    f.analysis.EigenValueEstimation = 2.0f;
    const std::string detail = detailOf(f);
    EXPECT_NE(detail.find("no out-of-plane supports"), std::string::npos) << detail;
    EXPECT_EQ(detail.find("estimate"), std::string::npos) << detail;
  }
  {
    // No element with a property: no node takes part.
    Fixture f;
    runtest::BuildPanel(f.mesh, 10, 10, 2, 2, 0.0);
    runtest::Number(f.mesh);
    EXPECT_NE(detailOf(f).find("No node takes part in the analysis"), std::string::npos);
  }
}

// K = diag(1, 2, 3) and Kg = -I have the eigenvalues 1, 2 and 3; a shift of
// 2 makes K + 2 Kg singular at equation 2, and another estimate helps. With
// K(1, 1) = Kg(1, 1) = 0 as well, every shift leaves equation 1 singular.
TEST(EigenSolver, TheEstimateIsBlamedOnlyWhenTheStiffnessAloneIsSound) {
  for (const bool mechanism : {false, true}) {
    analysis::BandMatrix K(3, 1), Kg(3, 1);
    for (int i = 1; i <= 3; ++i) {
      K(1, i) = (mechanism && i == 1) ? 0.0 : i;
      Kg(1, i) = (mechanism && i == 1) ? 0.0 : -1.0;
    }
    model::Analysis a;
    a.EigenValueEstimation = 2.0f;
    model::Nodes nodes;
    platform::TextFile listing{platform::InMemory{}};
    analysis::SilentRunUi ui;
    std::vector<double> x(3), y(3);
    try {
      analysis::Solve_Eigen(K, Kg, x, y, 1, 1, a, nodes, listing, ui);
      ADD_FAILURE() << "no error";
    } catch (const analysis::SolverFailure& e) {
      EXPECT_EQ(e.number(), platform::kErrDivideByZero);
      EXPECT_EQ(e.equation(), mechanism ? 1 : 2);
      EXPECT_EQ(e.cause().find("different estimate") != std::string::npos, !mechanism) << e.cause();
    }
  }
}

TEST(EigenSolver, StartVectorAndNormalisation) {
  std::vector<double> w(30, 9.0);
  analysis::Set_Start_Vector(w, 10, 0);
  EXPECT_EQ(w[0], 1.0);
  EXPECT_EQ(w[6], 1.0);
  EXPECT_EQ(w[9], -0.5);
  EXPECT_EQ(w[1], 0.0);
  analysis::Set_Start_Vector(w, 2, 0);
  EXPECT_EQ(w[0], -0.5);
  analysis::Set_Start_Vector(w, 10, 1);
  EXPECT_EQ(w[27], 1.0);

  std::vector<double> v = {0.5, -2.0, 2.0, 1.0};
  EXPECT_EQ(analysis::Normalize_Max(v, 4), -2.0);
  EXPECT_EQ(v, (std::vector<double>{-0.25, 1.0, -1.0, -0.5}));
  std::vector<double> zero(3, 0.0);
  try {
    analysis::Normalize_Max(zero, 3);
    ADD_FAILURE() << "no error";
  } catch (const platform::RuntimeError& e) {
    EXPECT_EQ(e.number(), platform::kErrDivideByZero);
  }
  EXPECT_EQ(analysis::Max_Difference(v, v, 4), 0.0);
}

}  // namespace
