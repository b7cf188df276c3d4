#pragma once
// The file and printer dialog of the main window. It keeps its settings and
// the name chosen last between uses, as the program's commands expect, and
// shows itself through a replaceable backend: the Qt program installs the
// real one, tests a ScriptedFileDialogBackend that answers from a queue.
// This part has no Qt in it, so the file commands can be tested without a
// display.
#include <deque>
#include <string>
#include <utility>
#include <vector>

class QPagedPaintDevice;

namespace platform {

// Dialog flags; values as the program's callers combine them.
enum CommonDialogFlags : int {
  cdlOFNReadOnly = 0x1,
  cdlOFNOverwritePrompt = 0x2,
  cdlOFNHideReadOnly = 0x4,
  cdlOFNPathMustExist = 0x800,
  cdlOFNFileMustExist = 0x1000,
};

// Printer dialog flags.
enum PrinterDialogFlags : int {
  cdlPDSelection = 0x1,     // the dialog opens with its Selection choice set
  cdlPDNoPageNums = 0x8,    // no page-range choice
  cdlPDReturnDC = 0x100,    // hand back the chosen printer to print on
};

enum class DialogKind { Open, Save, Printer };

// What one showing of the dialog asks for.
struct FileDialogRequest {
  DialogKind kind = DialogKind::Open;
  std::string title;
  std::string filter;      // "Desc|pattern|Desc|pattern"
  int filterIndex = 1;     // 1-based pair of the filter shown first
  int flags = 0;
  std::string fileName;    // proposed name, may be empty
  std::string defaultExt;  // empty: a name is used as typed
};

// What the user did: a name (with the filter pair in force), or a cancel.
struct FileDialogAnswer {
  bool accepted = false;
  std::string fileName;  // full name; for the printer dialog the printer's name
  int filterIndex = 0;   // 0: unchanged
};

class FileDialogBackend {
 public:
  virtual ~FileDialogBackend() = default;
  virtual FileDialogAnswer Show(const FileDialogRequest& request) = 0;
  // The printer the last accepted printer dialog chose, ready to print on;
  // null where the backend has none.
  virtual QPagedPaintDevice* PrinterDevice() { return nullptr; }
};

// The backend in use; with none installed every dialog counts as cancelled,
// so that nothing ever waits for a person who is not there.
void SetFileDialogBackend(FileDialogBackend* backend);
FileDialogBackend* CurrentFileDialogBackend();

// The pairs of a filter text, as (description, pattern).
std::vector<std::pair<std::string, std::string>> SplitFilter(const std::string& filter);

class CommonDialog {
 public:
  std::string DialogTitle;
  std::string Filter;
  int FilterIndex = 0;
  int Flags = 0;
  std::string DefaultExt;
  // A cancel raises RuntimeError 32755 when set; otherwise it returns with
  // Cancelled() true and the names unchanged.
  bool CancelError = false;

  // The full name chosen last (or set before showing) and that name without
  // its folder.
  const std::string& FileName() const { return fileName_; }
  void set_FileName(const std::string& name);
  const std::string& FileTitle() const { return fileTitle_; }

  void ShowOpen();
  void ShowSave();
  // For the printer dialog FileName is not touched; hDC is the device of the
  // chosen printer (null when the backend has none).
  void ShowPrinter();
  QPagedPaintDevice* hDC() const { return printerDevice_; }

  bool Cancelled() const { return cancelled_; }

 private:
  void Show(DialogKind kind);
  std::string fileName_;
  std::string fileTitle_;
  QPagedPaintDevice* printerDevice_ = nullptr;
  bool cancelled_ = false;
};

// For tests: answers from a queue (a cancel once it runs out) and keeps every
// request. Installs itself while it lives. Like a real save dialog asked to
// prompt before overwriting, it asks before it hands back the name of a file
// that exists: the scripted choice says whether the user agrees; when not,
// the dialog stays open and the next scripted answer is taken.
class ScriptedFileDialogBackend : public FileDialogBackend {
 public:
  ScriptedFileDialogBackend();
  ~ScriptedFileDialogBackend() override;
  ScriptedFileDialogBackend(const ScriptedFileDialogBackend&) = delete;
  ScriptedFileDialogBackend& operator=(const ScriptedFileDialogBackend&) = delete;

  FileDialogAnswer Show(const FileDialogRequest& request) override;
  QPagedPaintDevice* PrinterDevice() override { return printerDevice_; }

  void QueueChoice(const std::string& fileName, int filterIndex = 0, bool replaceExisting = true) {
    answers_.push_back({{true, fileName, filterIndex}, replaceExisting});
  }
  void QueueCancel() { answers_.push_back({}); }
  // What the printer dialog hands back (a PDF writer in tests).
  void SetPrinterDevice(QPagedPaintDevice* device) { printerDevice_ = device; }
  const std::vector<FileDialogRequest>& requests() const { return requests_; }
  // The names it asked about replacing, in order.
  const std::vector<std::string>& overwriteQuestions() const { return overwriteQuestions_; }
  void Clear() {
    requests_.clear();
    overwriteQuestions_.clear();
  }

 private:
  struct Scripted {
    FileDialogAnswer answer;
    bool replaceExisting = true;
  };
  FileDialogBackend* previous_;
  std::deque<Scripted> answers_;
  std::vector<FileDialogRequest> requests_;
  std::vector<std::string> overwriteQuestions_;
  QPagedPaintDevice* printerDevice_ = nullptr;
};

}  // namespace platform
