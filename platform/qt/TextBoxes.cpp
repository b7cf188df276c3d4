#include "platform/qt/TextBoxes.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>

#include <charconv>

#include "platform/NumberText.h"

namespace platform::qt {
namespace {

bool ComesWithTheWindow(Qt::FocusReason reason) {
  return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

// Selects a box's whole text when the user arrives in it: as its dialog
// opens, by the keyboard or by a click. The focus that only comes back to
// the box because its window is in front again (after a message box, a menu
// or another application) leaves the caret where the user left it, so that
// typing goes on.
class SelectAllFilter : public QObject {
 public:
  explicit SelectAllFilter(QWidget* box) : QObject(box), box_(box) {}

  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::FocusIn: {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool returning = leftWithWindow_ && ComesWithTheWindow(reason);
        leftWithWindow_ = false;
        clickPending_ = reason == Qt::MouseFocusReason;
        if (!returning) SelectWhole();
        break;
      }
      case QEvent::FocusOut:
        // A box whose window goes to the back keeps the focus within it.
        leftWithWindow_ = ComesWithTheWindow(static_cast<QFocusEvent*>(event)->reason());
        clickPending_ = false;
        break;
      case QEvent::MouseButtonRelease:
        // The press that brought the focus has put the caret under the
        // pointer; the text is selected again once the click ends, unless
        // the user dragged over a part of it.
        if (clickPending_ && !HasSelection()) SelectWhole();
        clickPending_ = false;
        break;
      case QEvent::KeyPress:
        clickPending_ = false;
        break;
      default:
        break;
    }
    return false;
  }

 private:
  void SelectWhole() {
    if (auto* line = qobject_cast<QLineEdit*>(box_)) line->selectAll();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(box_)) plain->selectAll();
  }
  bool HasSelection() const {
    if (auto* line = qobject_cast<QLineEdit*>(box_)) return line->hasSelectedText();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(box_)) return plain->textCursor().hasSelection();
    return false;
  }

  QWidget* box_;
  // The box lost the focus because its window went to the back.
  bool leftWithWindow_ = false;
  // A click brought the focus and has not ended yet.
  bool clickPending_ = false;
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

std::string ToStd(const QString& text) { return text.toStdString(); }
QString ToQ(const std::string& text) { return QString::fromStdString(text); }

void SelectAllOnFocus(QWidget* box) {
  if (!box) return;
  auto* filter = new SelectAllFilter(box);
  box->installEventFilter(filter);
  // A multi-line box takes its clicks on its viewport.
  if (auto* area = qobject_cast<QAbstractScrollArea*>(box)) area->viewport()->installEventFilter(filter);
  // A click on a tab takes the focus to the tabs, so that the click into a
  // box of the page shown brings the focus to that box. Otherwise the page
  // would hand its box the focus already, and the click would only move the
  // caret in it.
  for (QWidget* w = box->parentWidget(); w; w = w->parentWidget())
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) tabs->tabBar()->setFocusPolicy(Qt::StrongFocus);
}

void FocusFirstBoxOfPage(QTabWidget* tabs) {
  if (!tabs || !tabs->currentWidget()) return;
  QWidget* page = tabs->currentWidget();
  // The first in the dialog's tab order, as Tab would reach it.
  QWidget* start = tabs->window();
  for (QWidget* w = start->nextInFocusChain(); w && w != start; w = w->nextInFocusChain()) {
    if (page->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() &&
        w->isVisibleTo(page)) {
      w->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

}  // namespace platform::qt
