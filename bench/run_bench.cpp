// The whole largest run the 16-bit equation numbers allow: 105 x 104 nodes
// (10920, 32760 equations), plates on every cell, flange stiffeners along
// both long edges, uniform compression along x, simply supported edges,
// default options. Times Run_Calculation end to end, allocations included,
// and each of its stages (from one progress text to the next), over several
// runs in one process, on 1 and on 8 threads; prints the minimum and the
// median of each, the first run apart (its memory is fresh to the process,
// which costs most on virtual machines), and the peak resident memory.
// Also what the window adds to every command while the model has a result:
// the model's project text and its hash, to see whether it is still the
// model the result was found for.
//
//   run_bench [--nodes=NXxNY] [--path=plain|avx2|avx512] [runs] [threads ...]
//     defaults: 105x104 nodes; the widest path of the band routines this
//     processor runs; 7 runs; 1 thread, the run's own choice (0), and 8
//     threads. --nodes=3x1500 gives the model of long columns (band 4506)
//     whose reductions take seconds: how long the window waits for a yield
//     there. --path runs the band routines on another path, as on a
//     processor that has no wider one (the AVX2 path of an AVX2-only
//     processor on one with AVX-512).
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "analysis/BandPaths.h"
#include "analysis/RunDriver.h"
#include "analysis/SolverInputFile.h"
#include "app/ProjectFile.h"
#include "model/Analysis.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"

namespace {

using Clock = std::chrono::steady_clock;

// Records when each progress text appears, so the gaps are the stage times,
// and the longest time between two yields, from the run's start (the Cancel
// button is on from there): how long Cancel and repaints could wait at most.
class TimingUi : public analysis::RunUi {
 public:
  explicit TimingUi(Clock::time_point start) : lastYield(start) {}
  void Progress(const std::string& text) override { marks.emplace_back(text, Clock::now()); }
  void Yield() override {
    const auto now = Clock::now();
    longestGap = std::max(longestGap, now - lastYield);
    lastYield = now;
    ++yields;
  }
  bool Cancelled() const override { return false; }
  void Message(const std::string& text) override { message = text; }
  void StressesStored() override {}
  void ResultStored() override {}
  std::vector<std::pair<std::string, Clock::time_point>> marks;
  std::string message;
  Clock::time_point lastYield;
  Clock::duration longestGap{};
  long yields = 0;
};

// Cells of the largest model's size: 1000 x 990 over 105 x 104 nodes.
void BuildModel(model::Mesh& mesh, int nx, int ny) {
  const float a = 1000.0f * static_cast<float>(nx - 1) / 104.0f, b = 990.0f * static_cast<float>(ny - 1) / 103.0f;
  mesh.Nodes().Generate(0, 0, 0, b, a, 0, a, b, nx, ny);
  mesh.Nodes().set_NumberNodesX(static_cast<short>(nx));
  mesh.Nodes().set_NumberNodesY(static_cast<short>(ny));
  mesh.fourNodes().Generate(mesh.Nodes());
  mesh.twoNodes().Generate(mesh.Nodes());
  for (model::fourNode& p : mesh.fourNodes()) {
    p.set_Thickness(1.0f);
    p.UpdatePropertyDefined();
  }
  model::Nodes& nodes = mesh.Nodes();
  auto at = [&](int i, int j) -> model::Nodeb& { return nodes.Item(static_cast<long>(ny) * (i - 1) + j); };
  for (model::twoNode& s : mesh.twoNodes()) {
    const bool bottom = s.Node1().ycoord() == 0.0f && s.Node2().ycoord() == 0.0f;
    const bool top = s.Node1().ycoord() == b && s.Node2().ycoord() == b;
    if (!bottom && !top) continue;
    s.set_Thickness(2.0f);
    s.set_width(10.0f);
    s.UpdatePropertyDefined();
  }
  mesh.GeneratevID();
  const float h = b / static_cast<float>(ny - 1);
  for (int i = 1; i <= nx; ++i)
    for (int j = 1; j <= ny; ++j)
      if (i == 1 || i == nx || j == 1 || j == ny) at(i, j).set_ZTDir(-1);
  for (int j = 1; j <= ny; ++j) {
    at(1, j).set_XTDir(-1);
    at(nx, j).set_XLoad((j == 1 || j == ny) ? -0.5f * h : -h);
  }
  at(1, 1).set_YTDir(-1);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Stage times of one run, in the order the stages came.
using Stages = std::vector<std::pair<std::string, double>>;

Stages TimeOneRun(const std::filesystem::path& folder, int nx, int ny, int& threads, std::string& outcome) {
  model::Mesh mesh;
  model::Analysis analysis;
  model::Material material;
  BuildModel(mesh, nx, ny);
  const auto t0 = Clock::now();
  analysis::RunFiles files(folder);
  if (analysis::Create_Input_File(mesh, analysis, material, files) != 1) {
    std::fputs("input file could not be written\n", stderr);
    std::exit(1);
  }
  const auto t1 = Clock::now();
  TimingUi ui(t1);
  // 0: as many as the run takes by itself, from how busy its processors are.
  const analysis::RunResult r = analysis::Run_Calculation(mesh, analysis, files, ui, threads);
  const auto t2 = Clock::now();
  threads = r.threads;

  char text[320];
  std::snprintf(text, sizeof text,
                "%ld nodes, %ld plates, %ld stiffeners, %ld equations, band %d: %s, %s, residual %.1e; %ld yields",
                static_cast<long>(mesh.Nodes().MaxvID()), static_cast<long>(mesh.fourNodes().MaxvID()),
                static_cast<long>(mesh.twoNodes().MaxvID()), 3L * mesh.Nodes().MaxvID(), 3 * (ny + 2),
                ui.message.c_str(), r.converged ? "converged" : "NOT converged", r.residual, ui.yields);
  outcome = text;
  if (r.outcome == analysis::RunOutcome::Error)
    outcome += "\n  error " + std::to_string(r.errorNumber) + ": " + r.errorText + " (" + r.detail + ")";

  Stages stages;
  stages.emplace_back("Create_Input_File (before the run)", Seconds(t1 - t0));
  if (!ui.marks.empty()) stages.emplace_back("sizes and arrays (before the first text)", Seconds(ui.marks[0].second - t1));
  for (std::size_t k = 0; k < ui.marks.size(); ++k) {
    const auto end = k + 1 < ui.marks.size() ? ui.marks[k + 1].second : t2;
    stages.emplace_back(ui.marks[k].first, Seconds(end - ui.marks[k].second));
  }
  stages.emplace_back("Run_Calculation total", Seconds(t2 - t1));
  stages.emplace_back("(longest time between two yields, from the start)", Seconds(ui.longestGap));
  stages.emplace_back("input file and run", Seconds(t2 - t0));
  const auto t3 = Clock::now();
  const std::string project = app::ProjectText(analysis, model::BeamShape{}, mesh, material);
  volatile std::size_t hash = std::hash<std::string_view>{}(project);
  (void)hash;
  stages.emplace_back("check after a command (project text, hash)", Seconds(Clock::now() - t3));
  return stages;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// Minimum and median over all runs, and the first run; for the whole run
// also what the first takes more than the median of the others.
void Report(const std::string& threads, const std::vector<Stages>& runs) {
  std::printf("\n%s, %zu runs (seconds)\n", threads.c_str(), runs.size());
  std::printf("  %-52s %8s %8s %8s\n", "stage", "min", "median", "first");
  for (std::size_t s = 0; s < runs[0].size(); ++s) {
    std::vector<double> times, later;
    for (const Stages& r : runs)
      if (s < r.size()) times.push_back(r[s].second);
    later.assign(times.begin() + 1, times.end());
    std::printf("  %-52s %8.3f %8.3f %8.3f\n", runs[0][s].first.c_str(), *std::min_element(times.begin(), times.end()),
                Median(times), runs[0][s].second);
    if (runs[0][s].first == "Run_Calculation total")
      std::printf("  %-52s %8s %8s %8.3f\n", "(first run over the median of the later ones)", "", "",
                  runs[0][s].second - Median(later));
  }
}

}  // namespace

int main(int argc, char** argv) {
  int nx = 105, ny = 104;
  std::vector<std::string> args(argv + 1, argv + argc);
  const char* help = "usage: run_bench [--nodes=NXxNY] [--path=plain|avx2|avx512] [runs] [threads ...]\n";
  while (!args.empty() && args[0].rfind("--", 0) == 0) {
    if (args[0].rfind("--nodes=", 0) == 0) {
      if (std::sscanf(args[0].c_str(), "--nodes=%dx%d", &nx, &ny) != 2 || nx < 2 || ny < 2) {
        std::fputs(help, stderr);
        return 2;
      }
    } else if (args[0].rfind("--path=", 0) == 0) {
      const std::string name = args[0].substr(7);
      const analysis::BandPath path = name == "plain"  ? analysis::BandPath::Plain
                                      : name == "avx2" ? analysis::BandPath::Avx2
                                                       : analysis::BandPath::Avx512;
      const std::vector<analysis::BandPath> here = analysis::BandPathsHere();
      if ((name != "plain" && name != "avx2" && name != "avx512") ||
          std::find(here.begin(), here.end(), path) == here.end()) {
        std::fprintf(stderr, "run_bench: no path %s on this processor\n", name.c_str());
        return 2;
      }
      analysis::ChooseBandPath(path);
    } else {
      std::fputs(help, stderr);
      return 2;
    }
    args.erase(args.begin());
  }
  const int runs = !args.empty() ? std::max(5, std::atoi(args[0].c_str())) : 7;
  std::vector<int> threadCounts;
  for (std::size_t i = 1; i < args.size(); ++i) threadCounts.push_back(std::max(0, std::atoi(args[i].c_str())));
  if (threadCounts.empty()) threadCounts = {1, 0, 8};
  // A folder of this process's own: two benchmarks at once would otherwise
  // read each other's input files.
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("velk-run-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);

  std::printf("run_bench: %d x %d nodes, default options, %s path of the band routines\n", nx, ny,
              analysis::BandPathName(analysis::CurrentBandPath()));
  for (int threads : threadCounts) {
    std::vector<Stages> times;
    std::string outcome;
    std::string used;
    for (int r = 0; r < runs; ++r) {
      int t = threads;
      times.push_back(TimeOneRun(folder, nx, ny, t, outcome));
      if (!used.empty()) used += ',';
      used += std::to_string(t);
    }
    std::printf("  %s\n", outcome.c_str());
    Report(threads == 0   ? "the run's own choice of threads (" + used + ")"
           : threads == 1 ? std::string("1 thread")
                          : std::to_string(threads) + " threads",
           times);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("\npeak resident memory: %ld MB\n", usage.ru_maxrss / 1024);
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return 0;
}
