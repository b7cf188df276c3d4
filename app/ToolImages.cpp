#include "app/ToolImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>

namespace app {
namespace {

const QColor kInk(40, 40, 40);
const QColor kSteel(90, 120, 170);
const QColor kPaper(250, 250, 245);

void Page(QPainter& p, QRectF r) {
  p.setPen(kInk);
  p.setBrush(kPaper);
  QPolygonF page;
  page << r.topLeft() << QPointF(r.right() - 3, r.top()) << QPointF(r.right(), r.top() + 3)
       << r.bottomRight() << r.bottomLeft();
  p.drawPolygon(page);
}

void Magnifier(QPainter& p, const char* sign) {
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(QColor(220, 235, 250));
  p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
  p.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
  p.setPen(QPen(kInk, 1.3));
  const std::string s = sign;
  if (s == "+" || s == "-") p.drawLine(QPointF(3.5, 6), QPointF(8.5, 6));
  if (s == "+") p.drawLine(QPointF(6, 3.5), QPointF(6, 8.5));
  if (s == "box") p.drawRect(QRectF(4, 4, 4, 4));
}

void Letter(QPainter& p, const QString& text) {
  QFont f = p.font();
  f.setPixelSize(11);
  f.setBold(true);
  p.setFont(f);
  p.setPen(kInk);
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(0.5, 0.5, 15, 15));
  p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, text);
}

void Draw(QPainter& p, const std::string& key) {
  if (key == "new") {
    Page(p, QRectF(3.5, 1.5, 9, 13));
  } else if (key == "open") {
    p.setPen(kInk);
    p.setBrush(QColor(230, 200, 90));
    p.drawRect(QRectF(1.5, 4.5, 13, 9));
    p.drawRect(QRectF(1.5, 2.5, 5, 2));
  } else if (key == "save") {
    p.setPen(kInk);
    p.setBrush(kSteel);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.drawRect(QRectF(3.5, 9.5, 9, 5));
  } else if (key == "meshgeneration") {
    p.setPen(kSteel);
    for (int i = 0; i <= 3; ++i) {
      p.drawLine(QPointF(1.5 + 4.3 * i, 3.5), QPointF(1.5 + 4.3 * i, 12.5));
      p.drawLine(QPointF(1.5, 3.5 + 3 * i), QPointF(14.5, 3.5 + 3 * i));
    }
    p.setPen(QPen(kInk, 2));
    p.drawLine(QPointF(1, 2), QPointF(15, 2));
    p.drawLine(QPointF(1, 14), QPointF(15, 14));
  } else if (key == "plate") {
    p.setPen(kInk);
    p.setBrush(QColor(160, 175, 200));
    p.drawRect(QRectF(2.5, 2.5, 11, 11));
  } else if (key == "stiffener") {
    p.setPen(QPen(kSteel, 3, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(2, 8), QPointF(14, 8));
    p.setPen(kInk);
    p.drawPoint(QPointF(2, 8));
  } else if (key == "boundary") {
    p.setPen(kInk);
    p.setBrush(QColor(120, 190, 120));
    QPolygonF tri;
    tri << QPointF(8, 3) << QPointF(13, 11) << QPointF(3, 11);
    p.drawPolygon(tri);
    p.drawLine(QPointF(2, 13.5), QPointF(14, 13.5));
  } else if (key == "brace") {
    p.setPen(QPen(kInk, 1.2));
    QPolygonF spring;
    spring << QPointF(8, 1) << QPointF(8, 4);
    for (int i = 0; i < 4; ++i) spring << QPointF(i % 2 ? 4 : 12, 5 + 2 * i);
    spring << QPointF(8, 12) << QPointF(8, 15);
    p.drawPolyline(spring);
  } else if (key == "load") {
    p.setPen(QPen(QColor(190, 40, 40), 2));
    p.drawLine(QPointF(2, 8), QPointF(12, 8));
    p.setBrush(QColor(190, 40, 40));
    QPolygonF head;
    head << QPointF(15, 8) << QPointF(10, 4) << QPointF(10, 12);
    p.drawPolygon(head);
  } else if (key == "select") {
    p.setPen(kInk);
    p.setBrush(Qt::white);
    QPolygonF arrow;
    arrow << QPointF(4, 1) << QPointF(4, 13) << QPointF(7, 10) << QPointF(10, 15) << QPointF(12, 14)
          << QPointF(9, 9) << QPointF(13, 9);
    p.drawPolygon(arrow);
  } else if (key == "set") {
    p.setPen(kInk);
    p.setBrush(QColor(240, 200, 80));
    QPolygonF pencil;
    pencil << QPointF(11, 1.5) << QPointF(14.5, 5) << QPointF(5, 14.5) << QPointF(1.5, 14.5)
           << QPointF(1.5, 11);
    p.drawPolygon(pencil);
  } else if (key == "delete") {
    p.setPen(QPen(QColor(200, 30, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3, 3), QPointF(13, 13));
    p.drawLine(QPointF(13, 3), QPointF(3, 13));
  } else if (key == "copy") {
    Page(p, QRectF(1.5, 1.5, 8, 10));
    Page(p, QRectF(6.5, 4.5, 8, 10));
  } else if (key == "paste") {
    p.setPen(kInk);
    p.setBrush(QColor(190, 150, 100));
    p.drawRect(QRectF(1.5, 2.5, 10, 12));
    Page(p, QRectF(6.5, 5.5, 8, 9));
  } else if (key == "property") {
    Page(p, QRectF(2.5, 1.5, 11, 13));
    p.setPen(kSteel);
    for (int i = 0; i < 4; ++i) p.drawLine(QPointF(4.5, 4.5 + 2.5 * i), QPointF(11.5, 4.5 + 2.5 * i));
  } else if (key == "topview") {
    Letter(p, "T");
  } else if (key == "leftview") {
    Letter(p, "L");
  } else if (key == "viewangle") {
    p.setPen(kInk);
    p.setBrush(QColor(200, 210, 230));
    QPolygonF top, front, side;
    top << QPointF(2, 5) << QPointF(6, 2) << QPointF(14, 2) << QPointF(10, 5);
    front << QPointF(2, 5) << QPointF(10, 5) << QPointF(10, 14) << QPointF(2, 14);
    side << QPointF(10, 5) << QPointF(14, 2) << QPointF(14, 11) << QPointF(10, 14);
    p.drawPolygon(top);
    p.drawPolygon(front);
    p.drawPolygon(side);
  } else if (key == "zoomall") {
    Magnifier(p, "box");
  } else if (key == "zoomin") {
    Magnifier(p, "+");
  } else if (key == "zoomout") {
    Magnifier(p, "-");
  } else if (key == "center") {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(3, 3, 10, 10));
    p.drawLine(QPointF(8, 0.5), QPointF(8, 15.5));
    p.drawLine(QPointF(0.5, 8), QPointF(15.5, 8));
  } else if (key == "refresh") {
    p.setPen(QPen(QColor(40, 140, 60), 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(2.5, 2.5, 11, 11), 90 * 16, 270 * 16);
    p.setBrush(QColor(40, 140, 60));
    p.setPen(Qt::NoPen);
    QPolygonF head;
    head << QPointF(8, 0) << QPointF(12, 2.5) << QPointF(8, 5.5);
    p.drawPolygon(head);
  } else if (key == "run") {
    p.setPen(kInk);
    p.setBrush(QColor(40, 160, 60));
    QPolygonF play;
    play << QPointF(4, 2) << QPointF(14, 8) << QPointF(4, 14);
    p.drawPolygon(play);
  }
}

}  // namespace

QPixmap DrawToolImage(const std::string& key) {
  QPixmap image(kToolImageSize, kToolImageSize);
  image.fill(Qt::transparent);
  if (std::find(kToolImageKeys.begin(), kToolImageKeys.end(), key) == kToolImageKeys.end())
    return image;
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  Draw(painter, key);
  return image;
}

}  // namespace app
