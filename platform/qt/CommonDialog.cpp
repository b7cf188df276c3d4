#include "platform/qt/CommonDialog.h"

#include <filesystem>
#include <system_error>

#include "platform/RuntimeError.h"

namespace platform {
namespace {

FileDialogBackend*& InstalledBackend() {
  static FileDialogBackend* backend = nullptr;
  return backend;
}

// The part of a full name after its last folder separator.
std::string TitleOf(const std::string& name) {
  auto at = name.find_last_of("/\\");
  return at == std::string::npos ? name : name.substr(at + 1);
}

}  // namespace

void SetFileDialogBackend(FileDialogBackend* backend) { InstalledBackend() = backend; }
FileDialogBackend* CurrentFileDialogBackend() { return InstalledBackend(); }

std::vector<std::pair<std::string, std::string>> SplitFilter(const std::string& filter) {
  std::vector<std::string> parts;
  std::string::size_type start = 0;
  while (start <= filter.size() && !filter.empty()) {
    auto bar = filter.find('|', start);
    if (bar == std::string::npos) {
      parts.push_back(filter.substr(start));
      break;
    }
    parts.push_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  std::vector<std::pair<std::string, std::string>> pairs;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) pairs.emplace_back(parts[i], parts[i + 1]);
  if (parts.size() % 2 == 1) pairs.emplace_back(parts.back(), parts.back());
  return pairs;
}

void CommonDialog::set_FileName(const std::string& name) {
  fileName_ = name;
  fileTitle_ = TitleOf(name);
}

void CommonDialog::ShowOpen() { Show(DialogKind::Open); }
void CommonDialog::ShowSave() { Show(DialogKind::Save); }
void CommonDialog::ShowPrinter() { Show(DialogKind::Printer); }

void CommonDialog::Show(DialogKind kind) {
  FileDialogRequest request{kind, DialogTitle, Filter, FilterIndex, Flags, fileName_, DefaultExt};
  FileDialogAnswer answer;
  FileDialogBackend* backend = CurrentFileDialogBackend();
  if (backend) answer = backend->Show(request);
  cancelled_ = !answer.accepted || (kind != DialogKind::Printer && answer.fileName.empty());
  if (cancelled_) {
    if (CancelError) Raise(kErrDialogCancelled, "Cancel was selected.");
    return;
  }
  if (answer.filterIndex > 0) FilterIndex = answer.filterIndex;
  if (kind == DialogKind::Printer) {
    printerDevice_ = backend->PrinterDevice();
    return;
  }
  std::string name = answer.fileName;
  // A name typed without an extension gets the default one, when there is one.
  if (!DefaultExt.empty()) {
    std::string title = TitleOf(name);
    if (title.find('.') == std::string::npos) name += "." + DefaultExt;
  }
  set_FileName(name);
}

ScriptedFileDialogBackend::ScriptedFileDialogBackend() : previous_(CurrentFileDialogBackend()) {
  SetFileDialogBackend(this);
}

ScriptedFileDialogBackend::~ScriptedFileDialogBackend() {
  if (CurrentFileDialogBackend() == this) SetFileDialogBackend(previous_);
}

FileDialogAnswer ScriptedFileDialogBackend::Show(const FileDialogRequest& request) {
  requests_.push_back(request);
  const bool confirm = request.kind == DialogKind::Save && (request.flags & cdlOFNOverwritePrompt);
  while (!answers_.empty()) {
    Scripted s = answers_.front();
    answers_.pop_front();
    std::error_code ec;
    if (!confirm || !s.answer.accepted || !std::filesystem::exists(s.answer.fileName, ec))
      return s.answer;
    overwriteQuestions_.push_back(s.answer.fileName);
    if (s.replaceExisting) return s.answer;
  }
  return {};
}

}  // namespace platform
