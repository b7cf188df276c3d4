// The whole largest run the 16-bit equation numbers allow: 105 x 104 nodes
// (10920, 32760 equations), plates on every cell, flange stiffeners along
// both long edges, uniform compression along x, simply supported edges,
// default options. Times Run_Calculation end to end, allocations included,
// and each of its stages (from one progress text to the next), over several
// runs in one process, on 1 and on 8 threads; prints the minimum and the
// median of each, the first run apart (its memory is fresh to the process,
// which costs most on virtual machines), and the peak resident memory.
//
//   run_bench [runs] [threads ...]   (defaults: 7 runs; 1 thread, the run's
//                                     own choice (0), and 8 threads)
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "analysis/RunDriver.h"
#include "analysis/SolverInputFile.h"
#include "analysis/Workers.h"
#include "model/Analysis.h"
#include "model/Material.h"
#include "model/Mesh.h"

namespace {

using Clock = std::chrono::steady_clock;

// Records when each progress text appears, so the gaps are the stage times,
// and the longest time between two yields: how long Cancel and repaints
// could wait at most.
class TimingUi : public analysis::RunUi {
 public:
  void Progress(const std::string& text) override { marks.emplace_back(text, Clock::now()); }
  void Yield() override {
    const auto now = Clock::now();
    if (lastYield != Clock::time_point{}) longestGap = std::max(longestGap, now - lastYield);
    lastYield = now;
  }
  bool Cancelled() const override { return false; }
  void Message(const std::string& text) override { message = text; }
  void SetEigenvaluePanel(const std::string&) override {}
  std::vector<std::pair<std::string, Clock::time_point>> marks;
  std::string message;
  Clock::time_point lastYield{};
  Clock::duration longestGap{};
};

void BuildModel(model::Mesh& mesh, int nx, int ny) {
  const float a = 1000.0f, b = 990.0f;
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
  mesh.fourNodes().GeneratevID();
  mesh.twoNodes().GeneratevID();
  nodes.GeneratevID(mesh.fourNodes(), mesh.twoNodes());
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

Stages TimeOneRun(const std::filesystem::path& folder, int& threads, std::string& outcome) {
  constexpr int nx = 105, ny = 104;
  model::Mesh mesh;
  model::Analysis analysis;
  model::Material material;
  BuildModel(mesh, nx, ny);
  const auto t0 = Clock::now();
  if (analysis::Create_Input_File(mesh, analysis, material, folder) != 1) {
    std::fputs("input file could not be written\n", stderr);
    std::exit(1);
  }
  const auto t1 = Clock::now();
  TimingUi ui;
  // 0: as many as the run takes by default, from the machine and its load.
  if (threads == 0) threads = analysis::Workers::DefaultCount();
  const analysis::RunResult r = analysis::Run_Calculation(mesh, analysis, folder, ui, threads);
  const auto t2 = Clock::now();

  char text[256];
  std::snprintf(text, sizeof text, "%ld nodes, %ld plates, %ld stiffeners, %ld equations: %s, %s, residual %.1e",
                static_cast<long>(mesh.Nodes().MaxvID()), static_cast<long>(mesh.fourNodes().MaxvID()),
                static_cast<long>(mesh.twoNodes().MaxvID()), 3L * mesh.Nodes().MaxvID(), ui.message.c_str(),
                r.converged ? "converged" : "NOT converged", r.residual);
  outcome = text;

  Stages stages;
  stages.emplace_back("Create_Input_File (before the run)", Seconds(t1 - t0));
  if (!ui.marks.empty()) stages.emplace_back("sizes and arrays (before the first text)", Seconds(ui.marks[0].second - t1));
  for (std::size_t k = 0; k < ui.marks.size(); ++k) {
    const auto end = k + 1 < ui.marks.size() ? ui.marks[k + 1].second : t2;
    stages.emplace_back(ui.marks[k].first, Seconds(end - ui.marks[k].second));
  }
  stages.emplace_back("Run_Calculation total", Seconds(t2 - t1));
  stages.emplace_back("(longest time between two yields)", Seconds(ui.longestGap));
  stages.emplace_back("input file and run", Seconds(t2 - t0));
  return stages;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

void Report(const std::string& threads, const std::vector<Stages>& runs) {
  std::printf("\n%s, %zu runs (seconds)\n", threads.c_str(), runs.size());
  std::printf("  %-52s %8s %8s %8s\n", "stage", "min", "median", "first");
  for (std::size_t s = 0; s < runs[0].size(); ++s) {
    std::vector<double> times;
    for (const Stages& r : runs)
      if (s < r.size()) times.push_back(r[s].second);
    std::printf("  %-52s %8.3f %8.3f %8.3f\n", runs[0][s].first.c_str(), *std::min_element(times.begin(), times.end()),
                Median(times), runs[0][s].second);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 7;
  std::vector<int> threadCounts;
  for (int i = 2; i < argc; ++i) threadCounts.push_back(std::max(0, std::atoi(argv[i])));
  if (threadCounts.empty()) threadCounts = {1, 0, 8};
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "velk-run-bench";
  std::filesystem::create_directories(folder);

  std::printf("run_bench: the largest model, 105 x 104 nodes, default options\n");
  for (int threads : threadCounts) {
    std::vector<Stages> times;
    std::string outcome;
    std::string used;
    for (int r = 0; r < runs; ++r) {
      int t = threads;
      times.push_back(TimeOneRun(folder, t, outcome));
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
