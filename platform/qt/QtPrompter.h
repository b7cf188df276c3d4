#pragma once
// The real message and input boxes, on Qt widgets.
#include "platform/MessageBox.h"

class QString;
class QWidget;

namespace platform {

// The least width of a window (a message box, a small dialog) whose title
// bar shows `title` whole beside the window's icon and buttons.
int WindowWidthForTitle(const QString& title);

class QtPrompter : public Prompter {
 public:
  // Boxes are shown modal to the given window (may be null).
  explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  Answer Message(const MessageRequest& request) override;
  std::string Input(const InputRequest& request) override;

 private:
  QWidget* parent_;
};

}  // namespace platform
