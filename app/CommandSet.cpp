#include "app/CommandSet.h"

#include <QAction>
#include <QDesktopServices>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QToolBar>
#include <QUrl>

#include <filesystem>
#include <map>
#include <string_view>
#include <system_error>

#include "app/Commands.h"
#include "app/ProgramPaths.h"
#include "app/ToolImages.h"
#include "app/frmMenu.h"
#include "platform/MessageBox.h"
#include "platform/qt/QtFileDialogBackend.h"

namespace app {

namespace {

// Runs a command and shows its failure text; nothing escapes to the event loop.
// Any command may have changed the model, or brought or dropped a result.
void RunGuarded(CommandSet& c, Handler handler, const char* label) {
  if (!handler) return;
  try {
    handler(c);
  } catch (...) {
    try {
      platform::MsgBox(label ? label : "Error...");
    } catch (...) {
    }
  }
  try {
    c.window().ShowResultState();
  } catch (...) {
  }
}

constexpr const char* kHelpContext = "HelpContextID";
constexpr const char* kFailureLabel = "failureLabel";

}  // namespace

// ------------------------------------------------------------ CommandSet

CommandSet::CommandSet(frmMenu& window) : QObject(&window), window_(window) {
  setObjectName("CommandSet");
  if (!platform::CurrentFileDialogBackend()) {
    fileDialogs_ = std::make_unique<platform::QtFileDialogBackend>(&window);
    platform::SetFileDialogBackend(fileDialogs_.get());
  }
  Build();
}

CommandSet::~CommandSet() {
  if (fileDialogs_ && platform::CurrentFileDialogBackend() == fileDialogs_.get())
    platform::SetFileDialogBackend(nullptr);
}

CommandSet* CommandSet::Of(const frmMenu& window) {
  return dynamic_cast<CommandSet*>(window.findChild<QObject*>("CommandSet", Qt::FindDirectChildrenOnly));
}

void CommandSet::Run(const std::string& menuName) {
  if (const MenuRow* row = FindMenuRow(menuName)) RunGuarded(*this, row->handler, row->label);
}

void CommandSet::Toolbar1_ButtonClick(const std::string& key) {
  try {
    for (const ToolRow& row : ToolRows()) {
      if (key != row.key) continue;
      if (row.twin) {
        Run(row.twin);
      } else {
        row.handler(*this);
      }
      return;
    }
  } catch (...) {
    try {
      platform::MsgBox("Error..[Toolbar]");
    } catch (...) {
    }
  }
}

void CommandSet::ShowHelp(int context) {
  try {
    std::filesystem::path file = window_.HelpFile();
    if (file.empty()) file = HelpFilePath();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
      platform::MsgBox("No help file is installed: " + file.string() + " was not found.");
      return;
    }
    const bool opened =
        helpOpener ? helpOpener(file, context)
                   : QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
    if (!opened)
      platform::MsgBox("The help file " + file.string() +
                       " could not be opened: no program on this desktop shows it.");
  } catch (...) {
    try {
      platform::MsgBox("Error...");
    } catch (...) {
    }
  }
}

bool CommandSet::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
    if (auto* menu = qobject_cast<QMenu*>(watched)) {
      // The highlighted entry's topic, else its menu's.
      int context = 0;
      if (QAction* active = menu->activeAction()) context = active->property(kHelpContext).toInt();
      if (context == 0) context = menu->menuAction()->property(kHelpContext).toInt();
      ShowHelp(context);
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

void CommandSet::Build() {
  frmMenu& w = window_;
  for (const char* key : kToolImageKeys) w.SetToolImage(key, LoadToolImage(key));

  std::map<std::string, QMenu*> menus;
  auto describe = [&](QAction* a, const char* name, int help, const char* label) {
    a->setObjectName(name);
    a->setProperty(kHelpContext, help);
    if (label) a->setProperty(kFailureLabel, QString::fromUtf8(label));
    w.RegisterAction(name, a);
  };
  auto newMenu = [&](const char* name, const char* caption, QMenu* parent) {
    QMenu* m = parent ? parent->addMenu(QString::fromUtf8(caption))
                      : w.menuBar()->addMenu(QString::fromUtf8(caption));
    m->setObjectName(name);
    m->installEventFilter(this);
    menus[name] = m;
    return m;
  };

  for (const MenuRow& row : MenuRows()) {
    QMenu* parent = row.parent ? menus.at(row.parent) : nullptr;
    QAction* a = nullptr;
    if (row.flags & kSubmenu) {
      a = newMenu(row.name, row.caption, parent)->menuAction();
    } else if (std::string_view(row.caption) == "-") {
      a = parent->addSeparator();
    } else {
      a = parent->addAction(QString::fromUtf8(row.caption));
      const MenuRow* r = &row;
      connect(a, &QAction::triggered, this, [this, r, a] {
        // The command sets its own check mark; undo the toggle of the click.
        if (a->isCheckable()) a->setChecked(!a->isChecked());
        RunGuarded(*this, r->handler, r->label);
      });
    }
    describe(a, row.name, row.helpContext, row.label);
    a->setCheckable(row.flags & kCheckable);
    a->setChecked(row.flags & kChecked);
    if (row.flags & kHidden) {
      a->setVisible(false);
      a->setEnabled(false);
    }
  }

  // The pop-up menu is a top-level menu that the menu bar never shows.
  QMenu* popup = w.mnuPopup();
  popup->setTitle("PopUp");
  popup->installEventFilter(this);
  w.menuBar()->addMenu(popup);
  popup->menuAction()->setObjectName("mnuPopup");
  popup->menuAction()->setVisible(false);
  w.RegisterAction("mnuPopup", popup->menuAction());
  menus["mnuPopup"] = popup;
  for (const PopupRow& row : PopupRows()) {
    QMenu* parent = menus.at(row.parent);
    QAction* a = nullptr;
    if (row.submenu) {
      a = newMenu(row.name, row.caption, parent)->menuAction();
    } else if (std::string_view(row.caption) == "-") {
      a = parent->addSeparator();
    } else {
      a = parent->addAction(QString::fromUtf8(row.caption));
      const std::string twin = row.twin;
      connect(a, &QAction::triggered, this, [this, twin] { Run(twin); });
    }
    const MenuRow* twin = row.twin ? FindMenuRow(row.twin) : nullptr;
    describe(a, row.name, 0, twin ? twin->label : nullptr);
  }

  QToolBar* bar = w.Toolbar1();
  for (const ToolRow& row : ToolRows()) {
    if (row.groupStart) bar->addSeparator();
    QAction* a = bar->addAction(QIcon(w.ToolImage(row.image)), QString::fromUtf8(row.toolTip));
    a->setObjectName(row.key);
    a->setToolTip(QString::fromUtf8(row.toolTip));
    a->setCheckable(row.twoState);
    w.RegisterAction(row.key, a);
    const std::string key = row.key;
    connect(a, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
  }
  bar->setVisible(true);

  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), &w);
  connect(help, &QShortcut::activated, this, [this] { ShowHelp(0); });
}

}  // namespace app
