#pragma once
// The rich text box of the listings: a read-only text box that keeps its text
// exactly as it was given, CR LF line ends included, so that saving writes
// those bytes rather than the widget's own line ends. The user can select
// text (to print only that part) but not change it.
#include <QPlainTextEdit>
#include <QString>

#include <string>

class QPagedPaintDevice;

namespace platform::qt {

class RichTextBox : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit RichTextBox(QWidget* parent = nullptr);

  // The box's whole text, replacing what it held; no selection afterwards.
  void SetText(const std::string& text);
  const std::string& Text() const { return text_; }
  // The length of the selection in characters (0: nothing selected).
  int SelLength() const;
  // What printing prints: the selection, or the whole text without one.
  QString PrintedText() const;
  // Prints PrintedText in the box's font, page after page, on the device.
  void SelPrint(QPagedPaintDevice& device) const;

 private:
  std::string text_;
};

}  // namespace platform::qt
