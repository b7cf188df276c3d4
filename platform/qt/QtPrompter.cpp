#include "platform/qt/QtPrompter.h"

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

Answer QtPrompter::Message(const MessageRequest& request) {
  QMessageBox box(ToQt(request.icon), QString::fromStdString(request.title),
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
