#pragma once
// Models built in memory and a scripted RunUi, for whole runs without a window.
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/RunDriver.h"
#include "analysis/RunFiles.h"
#include "analysis/RunUi.h"
#include "analysis/SolverInputFile.h"
#include "model/Analysis.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "tests/model/MeshTestSupport.h"

namespace runtest {

// A RunUi that records what the run shows and cancels on request: after the
// given number of yields, or at the first yield after a progress text.
class ScriptedRunUi : public analysis::RunUi {
 public:
  void Progress(const std::string& text) override {
    progress.push_back(text);
    yieldsAtProgress.push_back(yields);
  }
  void Yield() override {
    ++yields;
    if (cancelAfterYields > 0 && yields >= cancelAfterYields) cancelled = true;
    if (!cancelAtProgress.empty() && !progress.empty() && progress.back() == cancelAtProgress) cancelled = true;
  }
  bool Cancelled() const override { return cancelled; }
  void Message(const std::string& text) override { messages.push_back(text); }
  void DetailedMessage(const std::string& text, const std::string& detail) override {
    messages.push_back(text);
    details.push_back(detail);
  }
  void StressesStored() override { ++stressesStored; }
  void ResultStored() override { ++resultsStored; }

  std::vector<std::string> progress;
  std::vector<long> yieldsAtProgress;  // yields before each progress text
  std::vector<std::string> messages;
  std::vector<std::string> details;  // of the messages that had one
  int stressesStored = 0;
  int resultsStored = 0;
  long yields = 0;
  // The yields between a progress text and the next (or the end).
  long YieldsDuring(const std::string& text) const {
    for (std::size_t k = 0; k < progress.size(); ++k) {
      if (progress[k] != text) continue;
      return (k + 1 < progress.size() ? yieldsAtProgress[k + 1] : yields) - yieldsAtProgress[k];
    }
    return -1;
  }
  // The yields before a progress text, -1 when it was not shown.
  long YieldsBefore(const std::string& text) const {
    for (std::size_t k = 0; k < progress.size(); ++k)
      if (progress[k] == text) return yieldsAtProgress[k];
    return -1;
  }
  long cancelAfterYields = 0;
  std::string cancelAtProgress;
  bool cancelled = false;
};

// The node in grid column i (along x) and row j (along y), both from 1.
inline model::Nodeb& NodeAt(const model::Mesh& mesh, long i, long j) {
  const model::Nodes& nodes = mesh.Nodes();
  return nodes.Item(nodes.NumberNodesY() * (i - 1) + j);
}

// An a x b grid of ex x ey cells from the origin, plates on every cell with
// thickness t (0 leaves them without a property), stiffeners on every edge
// without a property.
inline void BuildPanel(model::Mesh& mesh, double a, double b, int ex, int ey, double t) {
  velk_test::GenerateGrid(mesh, 0.0f, 0.0f, 0.0f, static_cast<float>(b), static_cast<float>(a), 0.0f,
                         static_cast<float>(a), static_cast<float>(b), ex + 1, ey + 1);
  for (model::fourNode& p : mesh.fourNodes()) {
    p.set_Thickness(static_cast<float>(t));
    p.UpdatePropertyDefined();
  }
}

// Gives the stiffener between two grid nodes its section.
inline void SetStiffener(model::Mesh& mesh, const model::Nodeb& a, const model::Nodeb& b, double t, double w) {
  for (model::twoNode& s : mesh.twoNodes()) {
    if ((&s.Node1() == &a && &s.Node2() == &b) || (&s.Node1() == &b && &s.Node2() == &a)) {
      s.set_Thickness(static_cast<float>(t));
      s.set_width(static_cast<float>(w));
      s.UpdatePropertyDefined();
      return;
    }
  }
}

// Renumbers the items that take part, as the property dialogs do.
inline void Number(model::Mesh& mesh) {
  mesh.fourNodes().GeneratevID();
  mesh.twoNodes().GeneratevID();
  mesh.Nodes().GeneratevID(mesh.fourNodes(), mesh.twoNodes());
}

// Writes the input file into `folder` as a run does, and lets the folder go.
inline short WriteInputFile(model::Mesh& mesh, const model::Analysis& analysis, const model::Material& material,
                            const std::filesystem::path& folder, std::string& failure) {
  analysis::RunFiles files(folder);
  return analysis::Create_Input_File(mesh, analysis, material, files, failure);
}
inline short WriteInputFile(model::Mesh& mesh, const model::Analysis& analysis, const model::Material& material,
                            const std::filesystem::path& folder) {
  std::string failure;
  return WriteInputFile(mesh, analysis, material, folder, failure);
}

// Writes the input file and runs (`threads` as Run_Calculation takes them);
// a failed write is an Error outcome.
inline analysis::RunResult RunModel(model::Mesh& mesh, model::Analysis& analysis, const model::Material& material,
                                    const std::filesystem::path& folder, analysis::RunUi& ui, int threads = 0) {
  analysis::RunFiles files(folder);
  if (analysis::Create_Input_File(mesh, analysis, material, files) != 1) return {};
  return analysis::Run_Calculation(mesh, analysis, files, ui, threads);
}

}  // namespace runtest
