#pragma once
// A picture box: a plain area that can be cleared, given a user coordinate
// system by its left, top, right and bottom edges, and have rectangles drawn
// into it; it reports clicks. It keeps what was drawn, so a repaint shows the
// last sketch again and tests can read it back.
#include <QWidget>
#include <vector>

namespace dialogs {

class PictureBox : public QWidget {
  Q_OBJECT

 public:
  struct Box {
    double x, y, width, height;  // user coordinates: a corner and the extent
  };

  explicit PictureBox(QWidget* parent = nullptr);

  void Cls();
  // The user coordinates of the inner area's edges.
  void Scale(double left, double top, double right, double bottom);
  // A rectangle from (x, y) to (x + width, y + height).
  void DrawBox(double x, double y, double width, double height);

  const std::vector<Box>& Boxes() const { return boxes_; }
  double ScaleTop() const { return top_; }
  double ScaleRight() const { return right_; }

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  std::vector<Box> boxes_;
  double left_ = 0, top_ = 0, right_ = 1, bottom_ = 1;
};

}  // namespace dialogs
