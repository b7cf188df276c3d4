#include "dialogs/frmAbout.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

#include "ui_frmAbout.h"

QString VersionText(int major, int minor) {
  return QStringLiteral("Version %1.%2").arg(major).arg(minor);
}

namespace {

// A point of the girder's web (x along the span, y up the depth, both 0 to
// 1, w out of its plane) in the picture, seen obliquely from above.
QPointF Project(double x, double y, double w, int width, int height) {
  const double s = 0.78 * width;
  const double u = 0.08 * width + s * (x + 0.22 * w);
  const double v = 0.80 * height - 0.55 * height * y - 0.12 * height * x + 0.18 * height * w;
  return {u, v};
}

// The first buckling mode of a web panel in shear: tilted half-waves.
double Deflection(double x, double y) {
  constexpr double kPi = std::numbers::pi;
  return 0.12 * std::sin(kPi * y) * std::sin(kPi * (3.0 * x - 0.6 * y));
}

}  // namespace

QPixmap DrawAboutPicture(int width, int height) {
  QPixmap picture(width, height);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, height);
  sky.setColorAt(0, QColor(226, 236, 248));
  sky.setColorAt(1, QColor(255, 255, 255));
  p.fillRect(picture.rect(), sky);

  // The web's grid, bent into the mode shape.
  constexpr int kColumns = 18, kRows = 6, kSteps = 24;
  p.setPen(QPen(QColor(40, 80, 160), 1.0));
  for (int i = 0; i <= kColumns; ++i) {
    const double x = static_cast<double>(i) / kColumns;
    QPainterPath line(Project(x, 0, Deflection(x, 0), width, height));
    for (int k = 1; k <= kSteps; ++k) {
      const double y = static_cast<double>(k) / kSteps;
      line.lineTo(Project(x, y, Deflection(x, y), width, height));
    }
    p.drawPath(line);
  }
  for (int j = 0; j <= kRows; ++j) {
    const double y = static_cast<double>(j) / kRows;
    QPainterPath line(Project(0, y, Deflection(0, y), width, height));
    for (int k = 1; k <= kColumns * 4; ++k) {
      const double x = static_cast<double>(k) / (kColumns * 4);
      line.lineTo(Project(x, y, Deflection(x, y), width, height));
    }
    p.drawPath(line);
  }

  // The two flanges, straight: they hold the web's edges in place.
  p.setPen(QPen(QColor(60, 60, 70), 4.0, Qt::SolidLine, Qt::RoundCap));
  for (double y : {0.0, 1.0}) p.drawLine(Project(0, y, 0, width, height), Project(1, y, 0, width, height));
  // End stiffeners.
  p.setPen(QPen(QColor(60, 60, 70), 2.5, Qt::SolidLine, Qt::RoundCap));
  for (double x : {0.0, 1.0}) p.drawLine(Project(x, 0, 0, width, height), Project(x, 1, 0, width, height));
  return picture;
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::frmAbout>()) {
  ui_->setupUi(this);
  Form_Load();
  connect(ui_->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load() {
  ui_->lblVersion->setText(VersionText(VELK_VERSION_MAJOR, VELK_VERSION_MINOR));
  ui_->lblCredits->setText(
      "Elastic buckling loads and buckled shapes of stiffened plate panels and plate girders "
      "by the finite element method.");
  ui_->lblDisclaimer->setText("For Educational Use");
  ui_->Label1->setText("Results are to be checked by a qualified engineer before use in design.");
  const QSize size = ui_->picLogo->minimumSize();
  ui_->picLogo->setPixmap(DrawAboutPicture(size.width(), size.height()));
}

bool frmAbout::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) wasActive_ = true;
  // Only the box itself losing the focus closes it. The focus is normally on
  // OK, which keeps it when the user goes to another application: the box
  // then stays open behind it.
  if (e->type() == QEvent::FocusOut && wasActive_) reject();
  return QDialog::event(e);
}
