#pragma once
// The real file and printer dialogs, on Qt widgets (Qt's own dialog, the same
// on every desktop).
#include <memory>

#include "platform/qt/CommonDialog.h"

class QFileDialog;
class QWidget;
class QPrinter;

namespace platform {

// Sets up a file dialog for an open or save request: title, mode, overwrite
// prompt, the filters (each shown by its description alone, the request's
// one chosen) and the proposed name.
void SetUpFileDialog(QFileDialog& dialog, const FileDialogRequest& request);
// The 1-based filter pair chosen in a dialog set up for `request`, 0 if none.
int ChosenFilterIndex(const QFileDialog& dialog, const FileDialogRequest& request);

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
