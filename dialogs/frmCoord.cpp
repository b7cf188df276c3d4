#include "dialogs/frmCoord.h"

#include <QMetaObject>
#include <QPushButton>
#include <QShowEvent>

#include <exception>

#include "dialogs/PropertyDialog.h"
#include "dialogs/SelectedItems.h"
#include "model/NodeMoves.h"
#include "platform/MessageBox.h"
#include "platform/NumberText.h"
#include "platform/qt/TextBoxes.h"
#include "ui_frmCoord.h"
#include "view/View.h"

frmCoord::frmCoord(dialogs::SelectedItems& node, model::Mesh& mesh, view::View& view, QWidget* parent)
    : QDialog(parent), node_(node), mesh_(mesh), view_(view), ui_(std::make_unique<Ui::frmCoord>()) {
  ui_->setupUi(this);
  setModal(true);
  platform::qt::SelectAllOnFocus(ui_->txtX);
  platform::qt::SelectAllOnFocus(ui_->txtY);
  connect(ui_->cmdApply, &QPushButton::clicked, this, [this] { cmdApply_Click(); });
  connect(ui_->cmdUndo, &QPushButton::clicked, this, [this] { cmdUndo_Click(); });
  connect(ui_->cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
}

frmCoord::~frmCoord() = default;

void frmCoord::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Once per opening: a message box closing over the dialog must not refill
  // the boxes.
  if (activated_) return;
  activated_ = true;
  Form_Activate();
}

void frmCoord::Form_Activate() {
  bool ok = false;
  try {
    if (node_.SelectedCounter() == 1) {
      const auto vID = static_cast<long long>(node_.GetMember(1, "vID"));
      const auto x = static_cast<float>(node_.GetMember(1, "xcoord"));
      const auto y = static_cast<float>(node_.GetMember(1, "ycoord"));
      ui_->lblNode->setText(platform::qt::ToQ("Node: " + platform::FormatInteger(vID)));
      ui_->txtX->setText(platform::qt::FormatSingleQ(x));
      ui_->txtY->setText(platform::qt::FormatSingleQ(y));
      ui_->cmdUndo->setEnabled(false);
      ok = true;
    }
  } catch (const std::exception&) {
    platform::MsgBox("Error...");
  }
  // Closed from the dialog's own event loop: closing while it is being shown
  // would leave a modal run waiting for a window that is already gone.
  if (!ok) QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

void frmCoord::cmdApply_Click() {
  float x = 0, y = 0;
  if (!dialogs::ReadSingle(ui_->txtX, x) || !dialogs::ReadSingle(ui_->txtY, y)) {
    platform::MsgBox("Input Data Error : Numbers!");
    return;
  }
  try {
    const auto oldX = static_cast<float>(node_.GetMember(1, "xcoord"));
    const auto oldY = static_cast<float>(node_.GetMember(1, "ycoord"));
    node_.SetMember(1, "xcoord", x);
    node_.SetMember(1, "ycoord", y);
    UndoX = oldX;
    UndoY = oldY;
    ui_->cmdUndo->setEnabled(true);
    ShowMovedNode();
  } catch (const std::exception&) {
    platform::MsgBox("Input Data Error : Numbers!");
  }
}

void frmCoord::cmdUndo_Click() {
  try {
    node_.SetMember(1, "xcoord", UndoX);
    node_.SetMember(1, "ycoord", UndoY);
    ui_->cmdUndo->setEnabled(false);
    ShowMovedNode();
  } catch (const std::exception&) {
    platform::MsgBox("Error...");
  }
}

void frmCoord::cmdClose_Click() { close(); }

// The node's new place is drawn and, through the recomputed centres, picked.
void frmCoord::ShowMovedNode() {
  model::RecomputeElementCentres(mesh_);
  view_.Refresh();
  emit nodeMoved();
}
