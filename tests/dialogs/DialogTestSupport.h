#pragma once
// Shared set-up of the dialog tests: a fresh model, a default girder laid
// out directly, and selections of its items.
#include <string>
#include <vector>

#include "app/Globals.h"
#include "app/Selection.h"
#include "dialogs/GirderGenerator.h"
#include "model/Analysis.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "model/Nodes.h"
#include "platform/MessageBox.h"

namespace testsupport {

// An empty model and the default girder section.
inline void FreshModel() {
  globals::RenewModelObjects();
  globals::BeamShape() = model::BeamShape();
}

// The default girder (14 by 3 elements) in the global model.
inline void DefaultGirder() {
  FreshModel();
  dialogs::GirderTexts t{"12", "0.5", "16", "0.5", "12", "0.5", "120", "12", "0.5", "16",
                         "0.5", "12",  "0.5", "0",  "29000", "0.3", "14", "3", false};
  dialogs::GirderPlan plan;
  dialogs::CheckGirder(t, plan);
  dialogs::BuildGirder(plan, globals::BeamShape(), globals::Material(), globals::Mesh());
}

inline void SelectNodes(const std::vector<long>& positions) {
  globals::Selection().ClearSelectedItem();
  for (long p : positions) globals::Selection().Append(&globals::Mesh().Nodes().Item(p));
}
inline void SelectPlates(const std::vector<long>& positions) {
  globals::Selection().ClearSelectedItem();
  for (long p : positions) globals::Selection().Append(&globals::Mesh().fourNodes().Item(p));
}
inline void SelectStiffeners(const std::vector<long>& positions) {
  globals::Selection().ClearSelectedItem();
  for (long p : positions) globals::Selection().Append(&globals::Mesh().twoNodes().Item(p));
}

}  // namespace testsupport

namespace testsupport {

// The default girder on fork supports: out-of-plane deflection held at both
// end columns, pinned at the bottom of End 1, on a roller at the bottom of
// End 2, and a downward unit load on every node of the top flange.
inline void SupportedGirder() {
  DefaultGirder();
  model::Nodes& nodes = globals::Mesh().Nodes();
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

}  // namespace testsupport
