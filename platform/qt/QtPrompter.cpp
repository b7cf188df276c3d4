#include "platform/qt/QtPrompter.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QInputDialog>
#include <QMessageBox>

namespace platform {
namespace {

QMessageBox::StandardButtons ToQt(Buttons b) {
  switch (b) {
    case Buttons::Ok: return QMessageBox::Ok;
    case Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

QMessageBox::Icon ToQt(Icon i) {
  switch (i) {
    case Icon::None: return QMessageBox::NoIcon;
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Information: return QMessageBox::Information;
  }
  return QMessageBox::NoIcon;
}

// Qt makes a message box about as wide as its text and allows its title
// little more, so a desktop's title bar, with the window's icon and buttons
// beside the title, shows a short box's title as "...". The box is widened
// each time Qt has sized it: on showing, and again after every layout
// request, since Qt sizes the box afresh then (a window manager's first
// configure of the shown box brings one).
class TitledMessageBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    WidenForTitle();
  }
  bool event(QEvent* event) override {
    const bool handled = QMessageBox::event(event);
    if (event->type() == QEvent::LayoutRequest) WidenForTitle();
    return handled;
  }

 private:
  void WidenForTitle() {
    const int wanted = WindowWidthForTitle(windowTitle());
    if (width() < wanted) setFixedWidth(wanted);
  }
};

Answer FromQt(int button) {
  switch (button) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Retry: return Answer::Retry;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
  }
}

}  // namespace

int WindowWidthForTitle(const QString& title) {
  QFont font = QApplication::font("QMdiSubWindowTitleBar");
  font.setBold(true);  // as title bars mostly show it
  const QFontMetrics metrics(font);
  // The icon and three buttons, each about as wide as the bar is high, and
  // the margins between them.
  return metrics.horizontalAdvance(title) + 10 * metrics.height();
}

Answer QtPrompter::Message(const MessageRequest& request) {
  TitledMessageBox box(ToQt(request.icon), QString::fromStdString(request.title),
                       QString::fromStdString(request.prompt), ToQt(request.buttons), parent_);
  if (!request.detail.empty()) box.setInformativeText(QString::fromStdString(request.detail));
  return FromQt(box.exec());
}

std::string QtPrompter::Input(const InputRequest& request) {
  bool ok = false;
  QString text = QInputDialog::getText(parent_, QString::fromStdString(request.title),
                                       QString::fromStdString(request.prompt), QLineEdit::Normal,
                                       QString::fromStdString(request.defaultText), &ok);
  return ok ? text.toStdString() : std::string();
}

}  // namespace platform
