// Frames of the 3D view on the largest model against an empty frame, drawn
// by the render tests' host window (tests/view/RenderHost) with whatever
// OpenGL the display offers: Mesa's software renderer under `make bench`.
//
// The largest model: 105 x 104 nodes (the most the solver's 16-bit equation
// numbers allow) over a 1000 x 990 web, plates of three thicknesses, flanges,
// a longitudinal and nine transverse stiffeners, supports on every edge,
// loads along one, and supports, springs and loads of every other kind on a
// dozen nodes, with the results of a run; the window is 900 x 600 pixels,
// the drawing area of the main window at its first size.
//
// Two times per frame:
// - Show: the window repaints as the program's view does (an update request
//   handled by the event loop): the frame is drawn into the widget's buffer
//   and composed onto the screen. This is what the user waits for.
// - Draw: the frame is drawn into the widget's buffer and read back into an
//   image, as the render tests do; no screen.
// Repetitions of all frames are interleaved, so that a busy spell of the
// machine falls on all of them alike. The end of the output lists minimum
// and median of each and the median over the empty frame's of the same kind.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/Mesh.h"
#include "tests/view/RenderHost.h"
#include "tests/view/ViewTestSupport.h"
#include "view/View.h"

namespace {

constexpr int kWidth = 900, kHeight = 600;

// One window with its own view and model, set up for one kind of frame.
struct Scene {
  model::Mesh mesh;
  view::View view;
  std::unique_ptr<viewtest::RenderHost> host;
};

std::vector<std::unique_ptr<Scene>> g_scenes;

Scene* MakeScene(bool largest) {
  auto scene = std::make_unique<Scene>();
  if (largest) viewtest::BuildEverySymbolModel(scene->mesh, 105, 104, 1000.0f, 990.0f);
  scene->host = std::make_unique<viewtest::RenderHost>(scene->view, scene->mesh, kWidth, kHeight);
  scene->view.Initialization(scene->mesh.Nodes());
  scene->host->hide();
  g_scenes.push_back(std::move(scene));
  return g_scenes.back().get();
}

// Only the scene's window is on the screen (windows on top of each other
// would hide it, and a hidden window is not repainted).
void ShowOnly(Scene* scene) {
  for (const auto& s : g_scenes)
    if (s.get() != scene) s->host->hide();
  scene->host->show();
  (void)QTest::qWaitForWindowExposed(scene->host.get());
}

// The window repaints through the event loop and composes onto the screen.
// False when no frame came within seconds (the window is not on the screen).
bool ShowFrame(Scene* scene) {
  const std::size_t before = scene->host->outcomes.size();
  scene->host->update();
  QElapsedTimer waited;
  waited.start();
  while (scene->host->outcomes.size() == before) {
    if (waited.elapsed() > 5000) return false;
    QApplication::processEvents();
  }
  return true;
}

enum class Kind { Show, Draw };

void Frames(benchmark::State& state, Scene* scene, Kind kind, bool moveNode) {
  ShowOnly(scene);
  if (!ShowFrame(scene)) {
    state.SkipWithError("the window shows no frame");
    return;
  }
  // A node moved before every frame: nothing drawn earlier may be reused.
  model::Nodeb* node = moveNode ? &scene->mesh.Nodes().Item(scene->mesh.Nodes().Count() / 2 + 1) : nullptr;
  const float x = node ? node->xcoord() : 0;
  bool moved = false;
  for (auto _ : state) {
    if (node) {
      moved = !moved;
      node->set_xcoord(moved ? x + 1 : x);
    }
    if (kind == Kind::Show) {
      if (!ShowFrame(scene)) {
        state.SkipWithError("the window shows no frame");
        break;
      }
    } else {
      benchmark::DoNotOptimize(scene->host->Frame());
    }
  }
  if (node) node->set_xcoord(x);
  if (!scene->host->frameFaults.empty()) state.SkipWithError(scene->host->frameFaults.front().c_str());
}

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// The console output plus, at the end, every frame's minimum and median and
// its median over the empty frame's of the same kind.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.run_type != Run::RT_Aggregate) continue;
      const std::string& name = r.run_name.function_name;
      if (r.aggregate_name == "min") min_[name] = r.GetAdjustedRealTime();
      if (r.aggregate_name == "median") median_[name] = r.GetAdjustedRealTime();
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-30s %10s %10s %10s\n", "frame", "min ms", "median ms", "x empty");
    for (const auto& [name, median] : median_) {
      const std::string empty = name.substr(0, name.find('/')) + "/empty";
      const auto e = median_.find(empty);
      const double ratio = e != median_.end() && e->second > 0 ? median / e->second : 0;
      std::printf("%-30s %10.2f %10.2f %10.2f\n", name.c_str(), min_[name], median, ratio);
    }
  }

 private:
  std::map<std::string, double> min_, median_;
};

}  // namespace

int main(int argc, char** argv) {
  viewtest::InstallRenderFormat();
  QApplication app(argc, argv);
  // Interleaved repetitions unless the command line says otherwise.
  std::vector<char*> args(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave.data());
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());

  Scene* empty = MakeScene(false);
  Scene* top = MakeScene(true);
  Scene* turned = MakeScene(true);
  turned->view.ViewAngle();
  Scene* before = MakeScene(true);
  before->view.ViewAngle();
  before->view.DrawItemByItem = true;
  Scene* plates = MakeScene(true);
  plates->view.ViewAngle();
  plates->view.OptionShowBoundary = plates->view.OptionShowBrace = plates->view.OptionShowLoad = false;
  plates->view.OptionShowStiffener = false;
  Scene* buckled = MakeScene(true);
  buckled->view.ViewAngle();
  buckled->view.OptionShowResult = true;
  buckled->view.OptionShading = true;
  buckled->view.OptionOutpMagFactor = 50;
  Scene* stress = MakeScene(true);
  stress->view.ViewAngle();
  stress->view.OptionShowStress = 1;

  struct Case {
    const char* name;
    Scene* scene;
    bool moveNode;
  };
  const Case cases[] = {{"empty", empty, false},
                        {"model_top_view", top, false},
                        {"model_turned", turned, false},
                        {"model_node_moved", turned, true},
                        {"model_turned_item_by_item", before, false},
                        {"model_turned_plates_only", plates, false},
                        {"buckled_shaded", buckled, false},
                        {"stress_plot", stress, false}};
  for (Kind kind : {Kind::Show, Kind::Draw})
    for (const Case& c : cases) {
      const std::string name = std::string(kind == Kind::Show ? "Show/" : "Draw/") + c.name;
      benchmark::RegisterBenchmark(name.c_str(), Frames, c.scene, kind, c.moveNode)
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime()
          ->MinTime(0.2)
          ->Repetitions(9)
          ->ComputeStatistics("min", Min)
          ->ReportAggregatesOnly(true);
    }
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  g_scenes.clear();
  return 0;
}
