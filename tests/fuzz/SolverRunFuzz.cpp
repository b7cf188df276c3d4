// The solver input file on any bytes, followed by a whole run on the model
// the file names by its counts (the first of the small models whose node,
// plate and stiffener counts it gives, the plate otherwise). The run never
// crashes and always returns, whatever the file holds.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "analysis/RunDriver.h"
#include "analysis/RunUi.h"
#include "analysis/SolverInputFile.h"
#include "model/RecordIO.h"
#include "platform/RuntimeError.h"
#include "platform/TextFile.h"
#include "tests/fuzz/FuzzModels.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// The model whose sizes the file's header gives.
int ModelFor(std::string_view bytes) {
  struct Sizes {
    long plates, stiffeners, points;
  };
  static const auto sizes = [] {
    std::array<Sizes, fuzz::kModels> s{};
    for (int m = 0; m < fuzz::kModels; ++m) {
      model::Mesh mesh;
      model::Analysis analysis;
      model::Material material;
      fuzz::BuildModel(m, 0, mesh, analysis, material);
      s[m] = {mesh.fourNodes().MaxvID(), mesh.twoNodes().MaxvID(), mesh.Nodes().MaxvID()};
    }
    return s;
  }();
  try {
    platform::TextFile file(platform::InMemory{}, bytes);
    model::RecordReader in(file);
    for (int k = 0; k < 3; ++k) in.String();  // title, description, run number
    const long plates = in.Long(), stiffeners = in.Long(), points = in.Long();
    for (int m = 0; m < fuzz::kModels; ++m)
      if (sizes[m].plates == plates && sizes[m].stiffeners == stiffeners && sizes[m].points == points)
        return m;
  } catch (const platform::RuntimeError&) {
  }
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto& folder = fuzz::ScratchFolder();
  const std::string_view bytes = fuzz::Text(data, size);
  model::Mesh mesh;
  model::Analysis analysis;
  model::Material material;
  fuzz::BuildModel(ModelFor(bytes), 0, mesh, analysis, material);
  // Writing the model's own file sets UvID, which tells the run where results
  // go; the fuzzed bytes then take its place as the run's own input file.
  analysis::RunFiles files(folder);
  if (analysis::Create_Input_File(mesh, analysis, material, files) != 1)
    fuzz::Finding("the model's own input file was not written");
  try {
    const std::unique_ptr<platform::TextFile> input = files.MakeInput();
    input->Write(bytes);
    input->Close();
  } catch (const platform::RuntimeError& e) {
    fuzz::Finding("the input file was not written: " + e.description());
  }
  analysis::SilentRunUi ui;
  analysis::Run_Calculation(mesh, analysis, files, ui);
  return 0;
}
