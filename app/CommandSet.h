#pragma once
// The main window's menu bar, pop-up menu and toolbar, built from the tables
// of app/Commands.h, and the help key. One CommandSet lives as a child of the
// window; InstallCommands makes it.
#include <QObject>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class frmMenu;
class QEvent;

namespace platform {
class QtFileDialogBackend;
}

namespace app {

class CommandSet : public QObject {
 public:
  explicit CommandSet(frmMenu& window);
  ~CommandSet() override;
  CommandSet(const CommandSet&) = delete;
  CommandSet& operator=(const CommandSet&) = delete;

  // The window's command set, or null before InstallCommands.
  static CommandSet* Of(const frmMenu& window);

  frmMenu& window() { return window_; }

  // Runs the command of a menu entry by its name, failure handling included,
  // as a click on it does (an unknown name does nothing).
  void Run(const std::string& menuName);
  // The toolbar's click handler, by the button's key.
  void Toolbar1_ButtonClick(const std::string& key);

  // Opens the help file at the topic of a context number (0: its start), or
  // says that no help file is installed.
  void ShowHelp(int context);
  // How the help file is opened (the desktop's handler unless replaced);
  // false when it could not be.
  std::function<bool(const std::filesystem::path& file, int context)> helpOpener;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Build();
  frmMenu& window_;
  std::unique_ptr<platform::QtFileDialogBackend> fileDialogs_;
};

}  // namespace app
