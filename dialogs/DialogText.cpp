#include "dialogs/DialogText.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>

#include <charconv>

#include "platform/NumberText.h"

namespace dialogs {
namespace {

class SelectAllFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::FocusIn) return false;
    // Focus that comes back to the box when its window is active again (a
    // message box or a menu has closed) is not the user moving to the box:
    // the caret stays where it was, so that typing goes on.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
    // A mouse click places the cursor after the focus event; select once
    // the click is done.
    QPointer<QObject> target(watched);
    QTimer::singleShot(0, this, [target] {
      if (auto* line = qobject_cast<QLineEdit*>(target.data())) line->selectAll();
      if (auto* plain = qobject_cast<QPlainTextEdit*>(target.data())) plain->selectAll();
    });
    return false;
  }
};

}  // namespace

std::string FormatSingle(float value) {
  char buf[48];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
  std::string text(buf, r.ptr);
  for (char& c : text)
    if (c == 'e') c = 'E';
  return text;
}

QString FormatSingleQ(float value) { return ToQ(FormatSingle(value)); }

bool IsNumberText(const QString& text) {
  double v = 0;
  return platform::ParseDouble(ToStd(text), v);
}

double NumberValue(const QString& text) {
  double v = 0;
  platform::ParseDouble(ToStd(text), v);
  return v;
}

std::string ToStd(const QString& text) { return text.toStdString(); }
QString ToQ(const std::string& text) { return QString::fromStdString(text); }

void SelectAllOnFocus(QWidget* box) {
  if (!box) return;
  box->installEventFilter(new SelectAllFilter(box));
}

}  // namespace dialogs
