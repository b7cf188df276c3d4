#include "platform/qt/QtFileDialogBackend.h"

#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringList>

namespace platform {
namespace {

// "*.*" means every file to the program's users; Qt reads it as names with a dot.
QString QtPatterns(const std::string& pattern) {
  QStringList patterns = QString::fromStdString(pattern).split(';', Qt::SkipEmptyParts);
  for (QString& p : patterns) {
    p = p.trimmed();
    if (p == "*.*") p = "*";
  }
  return patterns.join(' ');
}

}  // namespace

void SetUpFileDialog(QFileDialog& dialog, const FileDialogRequest& request) {
  dialog.setWindowTitle(QString::fromStdString(request.title));
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  const bool save = request.kind == DialogKind::Save;
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !(request.flags & cdlOFNOverwritePrompt));
  // Qt takes a filter's patterns from its last bracket. Each description is
  // shown as the program writes it, the bracket Qt reads kept out of sight.
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  QStringList filters;
  for (const auto& [description, pattern] : SplitFilter(request.filter))
    filters << QString::fromStdString(description) + " (" + QtPatterns(pattern) + ")";
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int index = request.filterIndex >= 1 && request.filterIndex <= filters.size()
                          ? request.filterIndex - 1
                          : 0;
    dialog.selectNameFilter(filters.at(index));
  }
  if (!request.fileName.empty()) dialog.selectFile(QString::fromStdString(request.fileName));
}

int ChosenFilterIndex(const QFileDialog& dialog, const FileDialogRequest& request) {
  // Depending on the Qt version the chosen filter comes back whole or as
  // the description shown (with its blanks simplified).
  const QString chosen = dialog.selectedNameFilter();
  const QStringList filters = dialog.nameFilters();
  const auto pairs = SplitFilter(request.filter);
  for (int i = 0; i < filters.size() && i < static_cast<int>(pairs.size()); ++i) {
    const QString shown = QString::fromStdString(pairs[static_cast<size_t>(i)].first).simplified();
    if (chosen == filters.at(i) || chosen == shown) return i + 1;
  }
  return 0;
}

QtFileDialogBackend::QtFileDialogBackend(QWidget* parent) : parent_(parent) {}
QtFileDialogBackend::~QtFileDialogBackend() = default;

QPrinter& QtFileDialogBackend::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>();
  return *printer_;
}

QPagedPaintDevice* QtFileDialogBackend::PrinterDevice() { return &printer(); }

FileDialogAnswer QtFileDialogBackend::Show(const FileDialogRequest& request) {
  FileDialogAnswer answer;
  if (request.kind == DialogKind::Printer) {
    const bool selection = request.flags & cdlPDSelection;
    printer().setPrintRange(selection ? QPrinter::Selection : QPrinter::AllPages);
    QPrintDialog dialog(&printer(), parent_);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, selection);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, !(request.flags & cdlPDNoPageNums));
    if (!request.title.empty()) dialog.setWindowTitle(QString::fromStdString(request.title));
    if (dialog.exec() != QDialog::Accepted) return answer;
    answer.accepted = true;
    answer.fileName = printer().printerName().toStdString();
    if (answer.fileName.empty()) answer.fileName = "printer";
    return answer;
  }

  QFileDialog dialog(parent_);
  SetUpFileDialog(dialog, request);
  if (dialog.exec() != QDialog::Accepted) return answer;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return answer;
  answer.accepted = true;
  answer.fileName = chosen.first().toStdString();
  answer.filterIndex = ChosenFilterIndex(dialog, request);
  return answer;
}

}  // namespace platform
