#pragma once
// Shared set-up of the dialog tests: a fresh model, a default girder laid
// out directly, and selections of its items.
#include <string>
#include <vector>

#include "app/Globals.h"
#include "app/Selection.h"
#include "model/Analysis.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "model/Nodes.h"
#include "platform/MessageBox.h"
#include "tests/dialogs/generator/GirderTestSupport.h"

namespace testsupport {

// An empty model and the default girder section.
inline void FreshModel() {
  globals::RenewModelObjects();
  globals::BeamShape() = model::BeamShape();
}

// The default girder (14 by 3 elements) in the global model.
inline void DefaultGirder() {
  FreshModel();
  velk_test::BuildDefaultGirder("14", "3", globals::BeamShape(), globals::Material(), globals::Mesh());
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
  velk_test::SupportOnForksAndLoadTopFlange(globals::Mesh().Nodes());
}

}  // namespace testsupport
