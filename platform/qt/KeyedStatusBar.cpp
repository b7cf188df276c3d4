#include "platform/qt/KeyedStatusBar.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>

#include <algorithm>

namespace platform::qt {
namespace {

// A panel's text: its minimum width holds the panel's widest text, measured
// in the font in force when the layout asks, as the label itself measures.
class PanelText : public QLabel {
 public:
  PanelText(const std::string& widestText, QWidget* parent)
      : QLabel(parent), widest_(QString::fromStdString(widestText)) {}
  QSize minimumSizeHint() const override {
    QSize size = QLabel::minimumSizeHint();
    const QMargins m = contentsMargins();
    const int widest = fontMetrics().boundingRect(0, 0, 2000, 2000, Qt::AlignLeft, widest_).width()
                       + m.left() + m.right() + 2 * margin();
    size.setWidth(std::max(size.width(), widest));
    return size;
  }
  QSize sizeHint() const override { return QLabel::sizeHint().expandedTo(minimumSizeHint()); }

 private:
  QString widest_;
};

}  // namespace

KeyedStatusBar::KeyedStatusBar(QWidget* parent) : QStatusBar(parent) {
  setSizeGripEnabled(true);
}

void KeyedStatusBar::AddPanel(const std::string& key, const std::string& toolTip,
                              const std::string& widestText, QSize pictureSize) {
  if (HasPanel(key)) return;
  auto* frame = new QFrame(this);
  frame->setFrameShape(QFrame::StyledPanel);
  frame->setFrameShadow(QFrame::Sunken);
  frame->setToolTip(QString::fromStdString(toolTip));
  auto* layout = new QHBoxLayout(frame);
  layout->setContentsMargins(3, 0, 3, 0);
  layout->setSpacing(3);
  auto* picture = new QLabel(frame);
  picture->setMinimumSize(pictureSize.expandedTo(QSize(0, 0)));
  // The room for a picture stays while there is none, so nothing moves.
  QSizePolicy policy = picture->sizePolicy();
  policy.setRetainSizeWhenHidden(pictureSize.isValid());
  picture->setSizePolicy(policy);
  picture->hide();
  auto* text = new PanelText(widestText, frame);
  layout->addWidget(picture);
  layout->addWidget(text, 1);
  addPermanentWidget(frame, 1);
  panels_.push_back(Panel{key, frame, picture, text, QPixmap()});
}

std::vector<std::string> KeyedStatusBar::Keys() const {
  std::vector<std::string> keys;
  for (const Panel& p : panels_) keys.push_back(p.key);
  return keys;
}

const KeyedStatusBar::Panel* KeyedStatusBar::Find(const std::string& key) const {
  for (const Panel& p : panels_)
    if (p.key == key) return &p;
  return nullptr;
}

KeyedStatusBar::Panel* KeyedStatusBar::Find(const std::string& key) {
  for (Panel& p : panels_)
    if (p.key == key) return &p;
  return nullptr;
}

void KeyedStatusBar::SetText(const std::string& key, const std::string& text) {
  if (Panel* p = Find(key)) p->text->setText(QString::fromStdString(text));
}

std::string KeyedStatusBar::Text(const std::string& key) const {
  const Panel* p = Find(key);
  return p ? p->text->text().toStdString() : std::string();
}

std::string KeyedStatusBar::ToolTip(const std::string& key) const {
  const Panel* p = Find(key);
  return p ? p->frame->toolTip().toStdString() : std::string();
}

void KeyedStatusBar::SetPicture(const std::string& key, const QPixmap& picture) {
  Panel* p = Find(key);
  if (!p) return;
  p->pixmap = picture;
  p->picture->setPixmap(picture);
  p->picture->setVisible(!picture.isNull());
}

QPixmap KeyedStatusBar::Picture(const std::string& key) const {
  const Panel* p = Find(key);
  return p ? p->pixmap : QPixmap();
}

}  // namespace platform::qt
