#pragma once
// The commands of the main window's menu bar, pop-up menu and toolbar, as
// tables of rows: what each entry is called, where it stands and what it
// runs. CommandSet builds the menus and the toolbar from them.
#include <span>
#include <string_view>

class frmMenu;

namespace app {

class CommandSet;

// Builds the window's menus and toolbar and connects their commands.
void InstallCommands(frmMenu& window);

using Handler = void (*)(CommandSet&);

enum RowFlags : unsigned {
  kPlain = 0,
  kSubmenu = 1,    // opens its sub-entries, runs nothing
  kCheckable = 2,  // carries a check mark
  kChecked = 4,    // checked when the window is made
  kHidden = 8,     // hidden and disabled for good
};

// One entry of the menu bar. A null parent is a top-level menu; a caption
// "-" is a separator; a null label means the command has no failure text of
// its own.
struct MenuRow {
  const char* name;
  const char* caption;
  const char* parent;
  int helpContext;
  const char* label;
  Handler handler;
  unsigned flags;
};

// One entry of the pop-up menu: the command of its menu bar twin.
struct PopupRow {
  const char* name;
  const char* caption;
  const char* parent;
  const char* twin;  // null: separator or sub-menu
  bool submenu;
};

// One toolbar button: the command of a menu entry, or one of its own.
struct ToolRow {
  const char* key;
  const char* toolTip;
  const char* image;
  const char* twin;
  Handler handler;
  bool groupStart;  // a separator before it
  bool twoState;
};

// The tables, in the order the window shows their entries.
std::span<const MenuRow> MenuRows();
std::span<const PopupRow> PopupRows();
std::span<const ToolRow> ToolRows();
// The menu bar entry of that name; null for none.
const MenuRow* FindMenuRow(std::string_view name);

}  // namespace app
