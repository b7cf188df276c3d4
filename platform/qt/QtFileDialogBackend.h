#pragma once
// The real file and printer dialogs, on Qt widgets (Qt's own dialog, the same
// on every desktop).
#include <memory>

#include "platform/qt/CommonDialog.h"

class QWidget;
class QPrinter;

namespace platform {

class QtFileDialogBackend : public FileDialogBackend {
 public:
  explicit QtFileDialogBackend(QWidget* parent = nullptr);
  ~QtFileDialogBackend() override;
  void setParent(QWidget* parent) { parent_ = parent; }

  FileDialogAnswer Show(const FileDialogRequest& request) override;
  QPagedPaintDevice* PrinterDevice() override;

  // The printer chosen last in the printer dialog, for the commands that print.
  QPrinter& printer();

 private:
  QWidget* parent_;
  std::unique_ptr<QPrinter> printer_;
};

}  // namespace platform
