#pragma once
// Shared set-up of the dialog tests: a fresh model, a default girder laid
// out directly, selections of its items, and the main window as the
// program starts it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "app/GlobalGirderHost.h"
#include "app/Globals.h"
#include "app/Selection.h"
#include "app/SelectionItems.h"
#include "app/frmMenu.h"
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

// What the main window's commands hand the dialogs, on the global objects as
// they are when it is made: make it once the test's model stands, since New
// replaces the selection.
struct Handed {
  app::SelectionItems selected{globals::Selection()};
  app::GlobalGirderHost girder{nullptr};
};

// The main window started as the program starts it, at a size that shows a
// girder's whole length, once it is on the screen.
inline void StartMainWindow(std::unique_ptr<frmMenu>& window) {
  window = std::make_unique<frmMenu>();
  window->resize(900, 700);
  window->StartUp();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  QApplication::processEvents();
}

// Where a model point shows on the window's surface, in pointer pixels (y down).
inline void PointerAt(frmMenu& window, double x, double y, float& px, float& py) {
  window.Paint();
  const app::PickMatrices m = app::LastPaintMatrices(globals::View());
  float wx = 0, wy = 0;
  app::Project_Point(m, x, y, wx, wy);
  px = wx;
  py = static_cast<float>(m.viewport[3]) - wy + 1;
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
