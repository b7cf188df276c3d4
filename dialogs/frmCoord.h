#pragma once
// The node coordinate editor: x and y of the one selected node, with one
// level of Undo. Apply and Undo repaint the view at once and keep the dialog
// open; both recompute the element centres, so that picking measures at the
// elements' new places.
#include <QDialog>

#include <memory>

namespace dialogs {
class SelectedItems;
}
namespace model {
class Mesh;
}
namespace view {
class View;
}
namespace Ui {
class frmCoord;
}

class frmCoord : public QDialog {
  Q_OBJECT

 public:
  // node: the selection, of which the node is entry 1; mesh: its model, whose
  // element centres follow the node; view: repainted after every change.
  frmCoord(dialogs::SelectedItems& node, model::Mesh& mesh, view::View& view, QWidget* parent = nullptr);
  ~frmCoord() override;

  Ui::frmCoord& form() { return *ui_; }

  // Fills the label and the boxes from the selected node and disables Undo.
  // Unless exactly one item is selected, the dialog closes without reading.
  void Form_Activate();
  // Writes both boxes into the node, or neither when one is not a number
  // within single precision.
  void cmdApply_Click();
  // Puts the node back where it was before the last Apply.
  void cmdUndo_Click();
  void cmdClose_Click();

 signals:
  // Apply or Undo has moved the node: whatever shows whether the model is the
  // one its result was found for looks again.
  void nodeMoved();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowMovedNode();

  dialogs::SelectedItems& node_;
  model::Mesh& mesh_;
  view::View& view_;
  std::unique_ptr<Ui::frmCoord> ui_;
  float UndoX = 0, UndoY = 0;
  bool activated_ = false;
};
