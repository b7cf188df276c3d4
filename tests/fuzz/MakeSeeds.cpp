// Writes the seed corpora of the fuzz targets with the program's own
// writers: project files of the small models (also after a run, with its
// results in them), of an empty model, one in the older 1.3 layout and two
// edited ones that once broke the save-and-reopen round trip, and one with
// the longest description and one with a description a byte longer;
// options files, one of them with a field longer than any the program
// writes; and the solver input file of every model and variant.
//   velk_fuzz_seeds tests/fuzz/corpus
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/RunDriver.h"
#include "analysis/RunUi.h"
#include "analysis/SolverInputFile.h"
#include "app/OptionsFile.h"
#include "app/ProjectFile.h"
#include "model/Analysis.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "model/RecordIO.h"
#include "platform/TextFile.h"
#include "tests/fuzz/FuzzModels.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/platform/FileTestSupport.h"
#include "view/View.h"

namespace fs = std::filesystem;
using velk_test::Joined;
using velk_test::Lines;

namespace {

std::string ReadAll(const fs::path& path) {
  platform::TextFile in(path, platform::FileMode::Input);
  std::string s;
  for (int c; (c = in.Get()) != EOF;) s.push_back(static_cast<char>(c));
  return s;
}

// The same model in the 1.3 layout: no girder lines, each node's stresses
// replaced by its displacements and its line 6 without Connected, nine
// further values after each plate.
std::string As13(const std::string& text14) {
  const auto lines = Lines(text14);
  std::string out = "VELK Version\r\n 1.3 \r\n";
  std::size_t k = 2;
  auto take = [&](std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out += lines[k++] + "\r\n";
  };
  take(4);  // run lines
  k += 2;   // girder lines
  const std::string header = lines[k];
  const long nx = std::stol(header), ny = std::stol(header.substr(header.find(',') + 1));
  take(1);
  for (long n = 0; n < nx * ny; ++n) {
    const std::string first = lines[k];
    take(5);
    const std::string ids = lines[k];
    out += ids.substr(0, ids.rfind(',')) + "\r\n";
    std::size_t c1 = first.find(',', first.find(',', first.find(',') + 1) + 1);
    out += first.substr(c1 + 1) + "\r\n";  // InPDispX, InPDispY
    k += 2;
  }
  const long stiffeners = std::stol(lines[k]);
  take(1 + 6 * stiffeners);
  take(1);
  const long plates = std::stol(lines[k]);
  take(1);
  for (long p = 0; p < plates; ++p) {
    take(5);
    out += "0,0,0,0,0,0,0,0,0\r\n";
  }
  take(lines.size() - k);
  return out;
}

void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  fuzz::WriteFile(path, bytes);
  std::printf("%s (%zu bytes)\n", path.c_str(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS-FOLDER\n", argv[0]);
    return 2;
  }
  const fs::path corpus = argv[1];
  const fs::path& scratch = fuzz::ScratchFolder();

  // Project files.
  {
    model::Analysis analysis;
    model::BeamShape beam;
    model::Mesh mesh;
    model::Material material;
    Write(corpus / "projectfile" / "empty.inp", app::ProjectText(analysis, beam, mesh, material));
  }
  for (int m = 0; m < fuzz::kModels; ++m) {
    model::Analysis analysis;
    model::BeamShape beam;
    model::Mesh mesh;
    model::Material material;
    fuzz::BuildModel(m, 0, mesh, analysis, material);
    const std::string name = fuzz::ModelName(m);
    const std::string text = app::ProjectText(analysis, beam, mesh, material);
    Write(corpus / "projectfile" / (name + ".inp"), text);
    if (m == 0) {
      Write(corpus / "projectfile" / (name + "-1.3.inp"), As13(text));
      // Two files that once broke the round trip: a node whose ID is not its
      // position, and a title read from an unquoted field holding a quote.
      auto lines = Lines(text);
      lines[14] = "2" + lines[14].substr(lines[14].find(','));
      Write(corpus / "projectfile" / (name + "-node-id.inp"), Joined(lines));
      lines = Lines(text);
      lines[2] = "Plate \"A\"";
      Write(corpus / "projectfile" / (name + "-quote.inp"), Joined(lines));
      // A description of the longest the run dialog takes, and one byte more,
      // which is refused.
      std::string longest;
      for (int i = 0; i < model::kLongestTextUnits; ++i) longest += "\u20ac";
      lines = Lines(text);
      lines[3] = "\"" + longest + "\"";
      Write(corpus / "projectfile" / (name + "-longest-text.inp"), Joined(lines));
      lines[3] = "\"" + longest + "x\"";
      Write(corpus / "projectfile" / (name + "-too-long-text.inp"), Joined(lines));
    }
    analysis::SilentRunUi ui;
    analysis::RunFiles files(scratch);
    if (analysis::Create_Input_File(mesh, analysis, material, files) == 1 &&
        analysis::Run_Calculation(mesh, analysis, files, ui).outcome == analysis::RunOutcome::Completed)
      Write(corpus / "projectfile" / (name + "-results.inp"), app::ProjectText(analysis, beam, mesh, material));
    else
      std::fprintf(stderr, "%s did not run to its end\n", name.c_str());
  }

  // Options files: the defaults, other values, only the solver line, empty,
  // a first field longer than any the program writes.
  {
    model::Analysis analysis;
    view::View view;
    app::Save_Option(scratch / "a.ini", analysis, view);
    const std::string defaults = ReadAll(scratch / "a.ini");
    Write(corpus / "options" / "defaults.ini", defaults);
    Write(corpus / "options" / "solver-line.ini", defaults.substr(0, defaults.find("\r\n") + 2));
    Write(corpus / "options" / "empty.ini", "");
    const std::string tooLong(static_cast<std::size_t>(model::kLongestField) + 1, '9');
    Write(corpus / "options" / "too-long-field.ini", tooLong + defaults.substr(defaults.find(',')));
    analysis.MaxShift = 5;
    analysis.MaxCycle = 12;
    analysis.ShiftFactor = 0.65f;
    analysis.IGSTF = true;
    analysis.OptionInitialB = 1;
    view.OptionShowNodeNumber = true;
    view.OptionInpMagFactor = 2.5f;
    view.OptionFontSize = 14;
    view.OptionShowStress = 2;
    view.OptionZoomCenterFactor = 3.5f;
    view.OptionShading = true;
    app::Save_Option(scratch / "b.ini", analysis, view);
    Write(corpus / "options" / "changed.ini", ReadAll(scratch / "b.ini"));
  }

  // Solver input files.
  for (int m = 0; m < fuzz::kModels; ++m)
    for (int v = 0; v < fuzz::kVariants; ++v) {
      model::Analysis analysis;
      model::Mesh mesh;
      model::Material material;
      fuzz::BuildModel(m, v, mesh, analysis, material);
      analysis::RunFiles files(scratch);
      if (analysis::Create_Input_File(mesh, analysis, material, files) != 1) return 1;
      Write(corpus / "solver" / (std::string(fuzz::ModelName(m)) + "-" + std::to_string(v) + ".vlk"),
            ReadAll(analysis::TempInputFile(scratch)));
    }
  return 0;
}
