#pragma once
// The girder mesh generator "Beam": the section of both girder ends, the
// material constants and the element counts, with a live sketch of each end's
// section; "Create Finite Element Mesh" replaces the model by the new girder.
#include <QDialog>
#include <memory>

#include "dialogs/GirderGenerator.h"
#include "dialogs/SectionSketch.h"

namespace dialogs {
class GirderHost;
}
namespace view {
class View;
}
namespace Ui {
class frmBeamShape;
}
class QLineEdit;

class frmBeamShape : public QDialog {
  Q_OBJECT

 public:
  // host: the model the girder replaces and the program's steps around it;
  // view: reset for the new girder.
  frmBeamShape(dialogs::GirderHost& host, view::View& view, QWidget* parent = nullptr);
  ~frmBeamShape() override;

  // Fillings: End 1, Material and Mesh tabs (and the End 1 sketch), then End 2.
  void Display_End1_Data();
  void Display_End2_Data();
  // Check one end's boxes and draw its sketch.
  dialogs::SketchOutcome Update_Section_End1();
  dialogs::SketchOutcome Update_Section_End2();

  void cmdGenerate_Click();
  void cmdClose2_Click();
  void setEqual_Click();

  // The texts of all boxes, as the generation reads them.
  dialogs::GirderTexts Texts() const;

  Ui::frmBeamShape& form() { return *ui_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void SectionBoxEdited(int end, QLineEdit* box);
  dialogs::SketchOutcome UpdateSection(int end);

  dialogs::GirderHost& host_;
  view::View& view_;
  std::unique_ptr<Ui::frmBeamShape> ui_;
  bool filled_ = false;
};
