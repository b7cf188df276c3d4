// One whole run on the largest model the 16-bit equation numbers allow:
// 105 x 104 nodes (10920, 32760 equations), plates on every cell, flange
// stiffeners along both long edges, uniform compression along x, simply
// supported edges. Reports wall time, time per stage and peak memory.
//
//   run_bench [repetitions]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "analysis/RunDriver.h"
#include "analysis/SolverInputFile.h"
#include "model/Analysis.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "platform/NumberText.h"

namespace {

using Clock = std::chrono::steady_clock;

// Records when each progress text appears, so the gaps are the stage times.
class TimingUi : public analysis::RunUi {
 public:
  void Progress(const std::string& text) override { marks.emplace_back(text, Clock::now()); }
  void Yield() override {
    if (!marks.empty() && marks.back().first == "Calculating Eigenvalue...") ++eigenYields;
  }
  bool Cancelled() const override { return false; }
  void Message(const std::string& text) override { message = text; }
  void SetEigenvaluePanel(const std::string&) override {}
  std::vector<std::pair<std::string, Clock::time_point>> marks;
  std::string message;
  long eigenYields = 0;  // one before the iteration, one per cycle that did not converge, one after
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

std::string Fixed(double v) {
  // Locale-free, 3 decimals.
  long long ms = static_cast<long long>(v * 1000.0 + 0.5);
  std::string s = platform::FormatInteger(ms / 1000) + ".";
  std::string frac = platform::FormatInteger(ms % 1000);
  return s + std::string(3 - frac.size(), '0') + frac;
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
  const int threads = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
  const int nx = 105, ny = 104;
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "velk-run-bench";
  std::filesystem::create_directories(folder);

  for (int rep = 1; rep <= repetitions; ++rep) {
    model::Mesh mesh;
    model::Analysis analysis;
    model::Material material;
    const auto t0 = Clock::now();
    BuildModel(mesh, nx, ny);
    const auto t1 = Clock::now();
    if (analysis::Create_Input_File(mesh, analysis, material, folder) != 1) {
      std::fputs("input file could not be written\n", stderr);
      return 1;
    }
    const auto t2 = Clock::now();
    TimingUi ui;
    analysis::RunResult r = analysis::Run_Calculation(mesh, analysis, folder, ui, threads);
    const auto t3 = Clock::now();

    std::printf("run %d: %ld nodes, %ld plates, %ld stiffeners, %ld equations\n", rep,
                static_cast<long>(mesh.Nodes().MaxvID()), static_cast<long>(mesh.fourNodes().MaxvID()),
                static_cast<long>(mesh.twoNodes().MaxvID()), 3L * mesh.Nodes().MaxvID());
    std::printf("  outcome %d, converged %d, residual %.1e, %s\n", static_cast<int>(r.outcome), r.converged ? 1 : 0,
                r.residual, ui.message.c_str());
    std::printf("  eigenvalue cycles that did not converge: %ld\n", ui.eigenYields - 2);
    std::printf("  %-52s %s s\n", "build model (not part of a run)", Fixed(Seconds(t1 - t0)).c_str());
    std::printf("  %-52s %s s\n", "Create_Input_File", Fixed(Seconds(t2 - t1)).c_str());
    if (!ui.marks.empty())
      std::printf("  %-52s %s s\n", "(sizes and arrays, before the first text)", Fixed(Seconds(ui.marks[0].second - t2)).c_str());
    for (std::size_t k = 0; k < ui.marks.size(); ++k) {
      const auto end = k + 1 < ui.marks.size() ? ui.marks[k + 1].second : t3;
      std::printf("  %-52s %s s\n", ui.marks[k].first.c_str(), Fixed(Seconds(end - ui.marks[k].second)).c_str());
    }
    std::printf("  %-52s %s s\n", "Run_Calculation total", Fixed(Seconds(t3 - t2)).c_str());
    std::printf("  %-52s %s s\n", "input file + run", Fixed(Seconds(t3 - t1)).c_str());
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident memory: %ld MB\n", usage.ru_maxrss / 1024);
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return 0;
}
