#pragma once
// The about box: the program's version, its credits, the disclaimer and a
// picture of a buckled girder web. It closes on OK, or when the box's own
// window (not its OK button) loses the focus once the box has been active.
#include <QDialog>
#include <QPixmap>
#include <QString>

#include <memory>

namespace Ui {
class frmAbout;
}

// "Version 1.4" for the version numbers 1 and 4.
QString VersionText(int major, int minor);
// The about box's picture: a plate girder whose web has buckled, drawn for
// the box at the given size in pixels.
QPixmap DrawAboutPicture(int width, int height);

class frmAbout : public QDialog {
  Q_OBJECT

 public:
  explicit frmAbout(QWidget* parent = nullptr);
  ~frmAbout() override;

  Ui::frmAbout& form() { return *ui_; }

 protected:
  bool event(QEvent* event) override;

 private:
  void Form_Load();
  std::unique_ptr<Ui::frmAbout> ui_;
  // Set once the box has been the active window: before that a loss of the
  // focus belongs to its being shown, not to the user leaving it.
  bool wasActive_ = false;
};
