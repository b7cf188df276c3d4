#pragma once
// A small girder analysed from end to end, for the report and listing tests,
// and the text forms those tests build their expected bytes with. The forms
// are written here from the layout rules alone (print zones of 14 columns,
// "Scientific" as 0.00E+00, the print-line number form), never by calling
// the program's own formatting.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "model/Analysis.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "model/Nodes.h"
#include "model/fourNodes.h"
#include "model/twoNodes.h"
#include "tests/analysis/RunTestSupport.h"
#include "tests/dialogs/generator/GirderTestSupport.h"
#include "tests/platform/FileTestSupport.h"

namespace reporttest {

// A 4 by 2 element girder on fork supports, pinned at the bottom of End 1,
// on a roller at the bottom of End 2, with a downward load on every node of
// the top flange and a lateral brace at mid-span; analysed, so that every
// result column holds the solver's values.
struct AnalysedGirder {
  model::Mesh mesh;
  model::Analysis analysis;
  model::BeamShape beam;
  model::Material material;
  velk_test::ScratchFolder folder;
  analysis::RunResult result;

  AnalysedGirder() {
    EXPECT_EQ(velk_test::BuildDefaultGirder("4", "2", beam, material, mesh), "");
    model::Nodes& nodes = mesh.Nodes();
    velk_test::SupportOnForksAndLoadTopFlange(nodes);
    model::Nodeb& middle = nodes.Item(2 * nodes.NumberNodesY() + 2);
    middle.set_ZTStiff(250);
    middle.UpdatePropertyDefined();
    analysis.Title = "Girder, 4 by 2";
    analysis.Discription = "fork supports";
    analysis.RunID = "12";
    runtest::ScriptedRunUi ui;
    result = runtest::RunModel(mesh, analysis, material, folder.path(), ui);
    EXPECT_EQ(result.outcome, analysis::RunOutcome::Completed);
  }
};

// "Scientific": one digit, a point, two digits, E, sign, at least two
// exponent digits; 0 (of either sign) as 0.00E+00.
inline std::string Sci(double value) {
  if (value == 0) return "0.00E+00";
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 2);
  std::string s(buf, r.ptr);
  s[s.find('e')] = 'E';
  return s;
}

// "00000": at least five digits, padded with zeros.
inline std::string Id(long value) {
  std::string s = std::to_string(value);
  return s.size() < 5 ? std::string(5 - s.size(), '0') + s : s;
}

// A whole number on a print line: sign position, digits, one blank.
inline std::string Whole(long value) {
  return (value < 0 ? "-" : " ") + std::to_string(std::labs(value)) + " ";
}

// A single on a print line: sign position, up to seven significant digits
// with no zero before the point (.25, 1E-05, 1.234568E+07), one blank.
inline std::string Single(float value) {
  if (value == 0) return " 0 ";
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(static_cast<double>(value)),
                         std::chars_format::general, 7);
  std::string s(buf, r.ptr);
  if (s.rfind("0.", 0) == 0) s.erase(0, 1);
  if (auto e = s.find('e'); e != std::string::npos) s[e] = 'E';
  return (value < 0 ? "-" : " ") + s + " ";
}

// A print line whose items each start a zone of 14 columns, ended by CR LF.
inline std::string Zoned(const std::vector<std::string>& items) {
  std::string line;
  for (std::size_t k = 0; k < items.size(); ++k) {
    line += items[k];
    if (k + 1 < items.size()) line.append(14 - line.size() % 14, ' ');
  }
  return line + "\r\n";
}

// Every item of the listings followed by `gap` blanks, the last one only
// when `trailing`, then CR LF.
inline std::string Gapped(const std::vector<std::string>& items, int gap, bool trailing) {
  std::string line;
  for (std::size_t k = 0; k < items.size(); ++k) {
    line += items[k];
    if (k + 1 < items.size() || trailing) line.append(static_cast<std::size_t>(gap), ' ');
  }
  return line + "\r\n";
}

}  // namespace reporttest
