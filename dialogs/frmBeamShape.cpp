#include "dialogs/frmBeamShape.h"

#include <QShowEvent>

#include <exception>

#include "dialogs/GirderHost.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "platform/MessageBox.h"
#include "platform/qt/TextBoxes.h"
#include "ui_frmBeamShape.h"
#include "view/View.h"

using platform::qt::FormatSingleQ;
using dialogs::SketchOutcome;

frmBeamShape::frmBeamShape(dialogs::GirderHost& host, view::View& view, QWidget* parent)
    : QDialog(parent), host_(host), view_(view), ui_(std::make_unique<Ui::frmBeamShape>()) {
  ui_->setupUi(this);
  ui_->SSTab1->setCurrentIndex(0);
  ui_->txtNumXElements->setText("14");
  ui_->txtNumYElements->setText("3");
  ui_->chkProportionalMesh->setChecked(false);

  for (QLineEdit* box :
       {ui_->txtBTFW, ui_->txtBTFT, ui_->txtBWH, ui_->txtBWT, ui_->txtBBFW, ui_->txtBBFT,
        ui_->txtBL, ui_->txtBTFWE, ui_->txtBTFTE, ui_->txtBWHE, ui_->txtBWTE, ui_->txtBBFWE,
        ui_->txtBBFTE, ui_->txtOffset, ui_->txtMOE, ui_->txtPR, ui_->txtNumXElements,
        ui_->txtNumYElements})
    platform::qt::SelectAllOnFocus(box);
  platform::qt::FocusFirstBoxOfPage(ui_->SSTab1);

  // The sketch follows what the user types; a text set by the program does
  // not count, nor does the key that closes a message box.
  for (QLineEdit* box :
       {ui_->txtBTFW, ui_->txtBTFT, ui_->txtBWH, ui_->txtBWT, ui_->txtBBFW, ui_->txtBBFT})
    connect(box, &QLineEdit::textEdited, this, [this, box] { SectionBoxEdited(1, box); });
  for (QLineEdit* box : {ui_->txtBTFWE, ui_->txtBTFTE, ui_->txtBWHE, ui_->txtBWTE,
                         ui_->txtBBFWE, ui_->txtBBFTE})
    connect(box, &QLineEdit::textEdited, this, [this, box] { SectionBoxEdited(2, box); });
  connect(ui_->Picture1, &dialogs::PictureBox::clicked, this, [this] { Update_Section_End1(); });
  connect(ui_->Picture2, &dialogs::PictureBox::clicked, this, [this] { Update_Section_End2(); });
  connect(ui_->setEqual, &QPushButton::clicked, this, &frmBeamShape::setEqual_Click);
  connect(ui_->cmdGenerate, &QPushButton::clicked, this, &frmBeamShape::cmdGenerate_Click);
  connect(ui_->cmdClose2, &QPushButton::clicked, this, &frmBeamShape::cmdClose2_Click);
}

frmBeamShape::~frmBeamShape() = default;

void frmBeamShape::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Filled once, when the dialog opens: a message box closing re-activates
  // the dialog and must not wipe what the user typed.
  if (filled_) return;
  filled_ = true;
  try {
    Display_End1_Data();
    Display_End2_Data();
  } catch (const std::exception&) {
    platform::MsgBox("Error...");
  }
}

void frmBeamShape::Display_End1_Data() {
  const model::BeamShape& s = host_.BeamShape();
  ui_->txtBTFW->setText(FormatSingleQ(s.Top_Flange_W()));
  ui_->txtBTFT->setText(FormatSingleQ(s.Top_Flange_T()));
  ui_->txtBWH->setText(FormatSingleQ(s.Web_H()));
  ui_->txtBWT->setText(FormatSingleQ(s.Web_T()));
  ui_->txtBBFW->setText(FormatSingleQ(s.Bot_Flange_W()));
  ui_->txtBBFT->setText(FormatSingleQ(s.Bot_Flange_T()));
  ui_->txtBL->setText(FormatSingleQ(s.Length()));
  ui_->txtMOE->setText(FormatSingleQ(host_.Material().MOE()));
  ui_->txtPR->setText(FormatSingleQ(host_.Material().PR()));
  const model::Nodes& nodes = host_.Mesh().Nodes();
  if (nodes.NumberNodesX() > 1 && nodes.NumberNodesY() > 1) {
    ui_->txtNumXElements->setText(QString::number(nodes.NumberNodesX() - 1));
    ui_->txtNumYElements->setText(QString::number(nodes.NumberNodesY() - 1));
  }
  ui_->chkProportionalMesh->setChecked(s.ProportionalMesh() == 1);
  Update_Section_End1();
}

void frmBeamShape::Display_End2_Data() {
  const model::BeamShape& s = host_.BeamShape();
  ui_->txtBTFWE->setText(FormatSingleQ(s.Top_Flange_WE()));
  ui_->txtBTFTE->setText(FormatSingleQ(s.Top_Flange_TE()));
  ui_->txtBWHE->setText(FormatSingleQ(s.Web_HE()));
  ui_->txtBWTE->setText(FormatSingleQ(s.Web_TE()));
  ui_->txtBBFWE->setText(FormatSingleQ(s.Bot_Flange_WE()));
  ui_->txtBBFTE->setText(FormatSingleQ(s.Bot_Flange_TE()));
  ui_->txtOffset->setText(FormatSingleQ(s.Offset()));
  Update_Section_End2();
}

SketchOutcome frmBeamShape::Update_Section_End1() { return UpdateSection(1); }
SketchOutcome frmBeamShape::Update_Section_End2() { return UpdateSection(2); }

SketchOutcome frmBeamShape::UpdateSection(int end) {
  dialogs::SectionTexts t;
  dialogs::PictureBox* picture = nullptr;
  auto text = [](QLineEdit* box) { return platform::qt::ToStd(box->text()); };
  if (end == 1) {
    t = {text(ui_->txtBTFW), text(ui_->txtBTFT), text(ui_->txtBWH), text(ui_->txtBWT),
         text(ui_->txtBBFW), text(ui_->txtBBFT), text(ui_->txtBL)};
    picture = ui_->Picture1;
  } else {
    t = {text(ui_->txtBTFWE), text(ui_->txtBTFTE), text(ui_->txtBWHE), text(ui_->txtBWTE),
         text(ui_->txtBBFWE), text(ui_->txtBBFTE), text(ui_->txtOffset)};
    picture = ui_->Picture2;
  }
  const dialogs::SectionSketch sketch = dialogs::ComputeSectionSketch(t, end == 1);
  switch (sketch.outcome) {
    case SketchOutcome::Refused:
      platform::MsgBox(sketch.message);
      break;
    case SketchOutcome::Failed:
      break;
    case SketchOutcome::Blank:
      picture->Cls();
      break;
    case SketchOutcome::Drawn:
      picture->Cls();
      picture->Scale(0, 2.0 * sketch.S, 2.0 * sketch.S, 0);
      for (const dialogs::SketchRect& r : {sketch.top, sketch.web, sketch.bottom})
        picture->DrawBox(r.x, r.y, r.width, r.height);
      break;
  }
  return sketch.outcome;
}

void frmBeamShape::SectionBoxEdited(int end, QLineEdit* box) {
  dialogs::PictureBox* picture = end == 1 ? ui_->Picture1 : ui_->Picture2;
  if (!platform::qt::IsNumberText(box->text())) {
    picture->setHidden(true);
    return;
  }
  picture->setHidden(false);
  if (UpdateSection(end) == SketchOutcome::Failed) picture->setHidden(true);
}

void frmBeamShape::setEqual_Click() {
  ui_->txtBTFWE->setText(ui_->txtBTFW->text());
  ui_->txtBTFTE->setText(ui_->txtBTFT->text());
  ui_->txtBWHE->setText(ui_->txtBWH->text());
  ui_->txtBWTE->setText(ui_->txtBWT->text());
  ui_->txtBBFWE->setText(ui_->txtBBFW->text());
  ui_->txtBBFTE->setText(ui_->txtBBFT->text());
  Update_Section_End2();
}

void frmBeamShape::cmdClose2_Click() { reject(); }

dialogs::GirderTexts frmBeamShape::Texts() const {
  auto text = [](QLineEdit* box) { return platform::qt::ToStd(box->text()); };
  dialogs::GirderTexts t;
  t.BTFW = text(ui_->txtBTFW);
  t.BTFT = text(ui_->txtBTFT);
  t.BWH = text(ui_->txtBWH);
  t.BWT = text(ui_->txtBWT);
  t.BBFW = text(ui_->txtBBFW);
  t.BBFT = text(ui_->txtBBFT);
  t.BL = text(ui_->txtBL);
  t.BTFWE = text(ui_->txtBTFWE);
  t.BTFTE = text(ui_->txtBTFTE);
  t.BWHE = text(ui_->txtBWHE);
  t.BWTE = text(ui_->txtBWTE);
  t.BBFWE = text(ui_->txtBBFWE);
  t.BBFTE = text(ui_->txtBBFTE);
  t.Offset = text(ui_->txtOffset);
  t.MOE = text(ui_->txtMOE);
  t.PR = text(ui_->txtPR);
  t.NumXElements = text(ui_->txtNumXElements);
  t.NumYElements = text(ui_->txtNumYElements);
  t.proportional = ui_->chkProportionalMesh->isChecked();
  return t;
}

void frmBeamShape::cmdGenerate_Click() {
  try {
    // A grid too large to analyse is refused before the user is asked to
    // give up the mesh for it.
    if (const std::string tooLarge = dialogs::CheckGridSize(Texts()); !tooLarge.empty()) {
      platform::MsgBox(tooLarge);
      return;
    }
    if (host_.Mesh().Nodes().Count() != 0 &&
        platform::MsgBox("Existing Mesh will be destroyed!", platform::Buttons::OkCancel,
                         platform::Icon::None, "Warning") != platform::Answer::Ok)
      return;

    dialogs::GirderTexts texts = Texts();
    dialogs::GirderPlan plan;
    const std::string message = dialogs::CheckGirder(texts, plan);
    // The zero-flange rule shows in the boxes whatever the outcome.
    auto rewrite = [](QLineEdit* box, const std::string& text) {
      if (platform::qt::ToStd(box->text()) != text) box->setText(platform::qt::ToQ(text));
    };
    rewrite(ui_->txtBTFW, texts.BTFW);
    rewrite(ui_->txtBTFT, texts.BTFT);
    rewrite(ui_->txtBBFW, texts.BBFW);
    rewrite(ui_->txtBBFT, texts.BBFT);
    rewrite(ui_->txtBTFWE, texts.BTFWE);
    rewrite(ui_->txtBTFTE, texts.BTFTE);
    rewrite(ui_->txtBBFWE, texts.BBFWE);
    rewrite(ui_->txtBBFTE, texts.BBFTE);
    if (!message.empty()) {
      platform::MsgBox(message);
      return;
    }

    // The model in memory goes: the user may save it first.
    if (!host_.SaveChangesFirst()) return;
    if (host_.Mesh().Nodes().Count() != 0) host_.New_Data();
    model::Mesh& mesh = host_.Mesh();
    dialogs::BuildGirder(plan, host_.BeamShape(), host_.Material(), mesh);
    host_.ClearSelectedItem();
    // The edit-mode indicator shows the plate mode that the reset brings.
    view_.Initialization(mesh.Nodes());
    host_.ShowGeneratedModel();  // whether or not New ran, the girder has no file and no result
    accept();
  } catch (const std::exception&) {
    platform::MsgBox("Error...");
  }
}
