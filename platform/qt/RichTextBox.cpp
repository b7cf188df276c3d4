#include "platform/qt/RichTextBox.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace platform::qt {

RichTextBox::RichTextBox(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setLineWrapMode(QPlainTextEdit::NoWrap);  // a table row stays one line
}

void RichTextBox::SetText(const std::string& text) {
  text_ = text;
  QString shown = QString::fromStdString(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  setPlainText(shown);
}

int RichTextBox::SelLength() const {
  const QTextCursor c = textCursor();
  return c.selectionEnd() - c.selectionStart();
}

QString RichTextBox::PrintedText() const {
  if (SelLength() > 0) return textCursor().selection().toPlainText();
  return toPlainText();
}

void RichTextBox::SelPrint(QPagedPaintDevice& device) const {
  QTextDocument doc;
  doc.setDefaultFont(font());
  doc.setPlainText(PrintedText());
  doc.print(&device);
}

}  // namespace platform::qt
