#pragma once
// A status bar of panels addressed by key, left to right in the order they
// were added; each panel has a text, a tooltip and an optional picture. A
// panel is never narrower than its widest text (nor than the text it shows),
// so a number is never cut short; the window cannot be made narrower than
// the panels need.
#include <QPixmap>
#include <QStatusBar>

#include <string>
#include <vector>

class QLabel;

namespace platform::qt {

class KeyedStatusBar : public QStatusBar {
  Q_OBJECT

 public:
  explicit KeyedStatusBar(QWidget* parent = nullptr);

  // Appends an empty panel, as large as `widestText` and a picture of
  // `pictureSize` need at least; a key already in use is ignored.
  void AddPanel(const std::string& key, const std::string& toolTip,
                const std::string& widestText = {}, QSize pictureSize = {});
  bool HasPanel(const std::string& key) const { return Find(key) != nullptr; }
  std::vector<std::string> Keys() const;

  // A key without a panel is ignored (setting) or reads as empty (getting).
  void SetText(const std::string& key, const std::string& text);
  std::string Text(const std::string& key) const;
  std::string ToolTip(const std::string& key) const;
  void SetPicture(const std::string& key, const QPixmap& picture);
  QPixmap Picture(const std::string& key) const;  // null when it has none

 private:
  struct Panel {
    std::string key;
    QWidget* frame;
    QLabel* picture;
    QLabel* text;
    QPixmap pixmap;
  };
  const Panel* Find(const std::string& key) const;
  Panel* Find(const std::string& key);

  std::vector<Panel> panels_;
};

}  // namespace platform::qt
