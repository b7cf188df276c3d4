#include "dialogs/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace dialogs {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  setPalette(p);
}

void PictureBox::Cls() {
  boxes_.clear();
  update();
}

void PictureBox::Scale(double left, double top, double right, double bottom) {
  left_ = left;
  top_ = top;
  right_ = right;
  bottom_ = bottom;
  update();
}

void PictureBox::DrawBox(double x, double y, double width, double height) {
  boxes_.push_back(Box{x, y, width, height});
  update();
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  const double sx = right_ != left_ ? (width() - 1) / (right_ - left_) : 0;
  const double sy = bottom_ != top_ ? (height() - 1) / (bottom_ - top_) : 0;
  for (const Box& b : boxes_) {
    const double x0 = (b.x - left_) * sx, x1 = (b.x + b.width - left_) * sx;
    const double y0 = (b.y - top_) * sy, y1 = (b.y + b.height - top_) * sy;
    painter.drawRect(QRectF(QPointF(std::min(x0, x1), std::min(y0, y1)),
                            QPointF(std::max(x0, x1), std::max(y0, y1))));
  }
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    emit clicked();
  QWidget::mouseReleaseEvent(event);
}

}  // namespace dialogs
