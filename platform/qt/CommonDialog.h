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

namespace platform {

// Dialog flags; values as the program's callers combine them.
enum CommonDialogFlags : int {
  cdlOFNReadOnly = 0x1,
  cdlOFNOverwritePrompt = 0x2,
  cdlOFNHideReadOnly = 0x4,
  cdlOFNPathMustExist = 0x800,
  cdlOFNFileMustExist = 0x1000,
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
  // For the printer dialog FileName is not touched; PrinterName is the choice.
  void ShowPrinter();
  const std::string& PrinterName() const { return printerName_; }

  bool Cancelled() const { return cancelled_; }

 private:
  void Show(DialogKind kind);
  std::string fileName_;
  std::string fileTitle_;
  std::string printerName_;
  bool cancelled_ = false;
};

// For tests: answers from a queue (a cancel once it runs out) and keeps every
// request. Installs itself while it lives.
class ScriptedFileDialogBackend : public FileDialogBackend {
 public:
  ScriptedFileDialogBackend();
  ~ScriptedFileDialogBackend() override;
  ScriptedFileDialogBackend(const ScriptedFileDialogBackend&) = delete;
  ScriptedFileDialogBackend& operator=(const ScriptedFileDialogBackend&) = delete;

  FileDialogAnswer Show(const FileDialogRequest& request) override;

  void QueueChoice(const std::string& fileName, int filterIndex = 0) {
    answers_.push_back({true, fileName, filterIndex});
  }
  void QueueCancel() { answers_.push_back({}); }
  const std::vector<FileDialogRequest>& requests() const { return requests_; }
  void Clear() { requests_.clear(); }

 private:
  FileDialogBackend* previous_;
  std::deque<FileDialogAnswer> answers_;
  std::vector<FileDialogRequest> requests_;
};

}  // namespace platform
