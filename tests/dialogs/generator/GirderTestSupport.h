#pragma once
// The default girder of the generator dialog, and the fork supports and top
// flange loads that the run, report and result tests put on it. Plain C++
// without Qt or GoogleTest.
#include <string>

#include "dialogs/GirderGenerator.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "model/Nodes.h"

namespace velk_test {

// The boxes as a fresh generator dialog fills them from the default section,
// with nx by ny elements.
inline dialogs::GirderTexts DefaultGirderTexts(const std::string& nx = "14", const std::string& ny = "3") {
  dialogs::GirderTexts t;
  t.BTFW = "12"; t.BTFT = "0.5"; t.BWH = "16"; t.BWT = "0.5"; t.BBFW = "12"; t.BBFT = "0.5";
  t.BL = "120";
  t.BTFWE = "12"; t.BTFTE = "0.5"; t.BWHE = "16"; t.BWTE = "0.5"; t.BBFWE = "12";
  t.BBFTE = "0.5"; t.Offset = "0";
  t.MOE = "29000"; t.PR = "0.3";
  t.NumXElements = nx; t.NumYElements = ny;
  return t;
}

// Lays out the default girder of nx by ny elements on an empty mesh, as the
// generator's Generate does; returns the checks' message, empty when they pass.
inline std::string BuildDefaultGirder(const std::string& nx, const std::string& ny, model::BeamShape& beam,
                                      model::Material& material, model::Mesh& mesh) {
  dialogs::GirderTexts t = DefaultGirderTexts(nx, ny);
  dialogs::GirderPlan plan;
  const std::string message = dialogs::CheckGirder(t, plan);
  dialogs::BuildGirder(plan, beam, material, mesh);
  return message;
}

// Fork supports on a generated girder: out-of-plane deflection held at both
// end columns, pinned at the bottom of End 1, on a roller at the bottom of
// End 2; and a downward unit load on every node of the top flange.
inline void SupportOnForksAndLoadTopFlange(model::Nodes& nodes) {
  const long nx = nodes.NumberNodesX(), ny = nodes.NumberNodesY();
  for (long j = 1; j <= ny; ++j) {
    for (long p : {j, (nx - 1) * ny + j}) {
      nodes.Item(p).set_ZTDir(1);
      nodes.Item(p).UpdatePropertyDefined();
    }
  }
  nodes.Item(1).set_XTDir(1);
  nodes.Item(1).set_YTDir(1);
  nodes.Item((nx - 1) * ny + 1).set_YTDir(1);
  for (long i = 1; i <= nx; ++i) {
    model::Nodeb& top = nodes.Item(i * ny);
    top.set_YLoad(-1);
    top.UpdatePropertyDefined();
  }
}

}  // namespace velk_test
