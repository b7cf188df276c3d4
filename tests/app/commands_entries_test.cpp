// The menus, the pop-up menu and the toolbar as a user meets them: what each
// of them reads, what every entry and button does and the failure text it
// gives, that an entry and its twins do the same, that F1 finds each menu's
// help topic, and that the hidden node moves are out of reach.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/CommandSet.h"
#include "app/GlobalProjectHost.h"
#include "app/Globals.h"
#include "app/Selection.h"
#include "app/frmMenu.h"
#include "model/Analysis.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "platform/MessageBox.h"
#include "platform/qt/CommonDialog.h"
#include "platform/qt/KeyedStatusBar.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/ProjectTestSupport.h"
#include "tests/platform/FileTestSupport.h"
#include "view/View.h"

namespace fs = std::filesystem;

namespace {

std::string Num(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

std::string Join(const std::vector<std::string>& parts, const char* between) {
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : between) + p;
  return out;
}

std::string ItemName(const app::SelectedItemRef& item) {
  if (auto* p = app::AsPlate(item)) return "plate " + std::to_string(p->ID());
  if (auto* s = app::AsStiffener(item)) return "stiffener " + std::to_string(s->ID());
  if (auto* n = app::AsNode(item)) return "node " + std::to_string(n->ID());
  return "none";
}

// What a user sees of the program, or what decides what the next click does.
std::map<std::string, std::string> Observe(frmMenu& w) {
  const view::View& v = globals::View();
  const model::Mesh& mesh = globals::Mesh();
  std::map<std::string, std::string> o;
  o["mode"] = std::to_string(v.ViewMode);
  o["edit"] = std::to_string(v.PropertyMode) + "/" + std::to_string(v.MeshMode);
  o["zoom"] = Num(v.ViewZoom);
  o["screen"] = std::to_string(v.ScreenMode);
  o["turn"] = Num(v.ViewRX) + "," + Num(v.ViewRY) + "," + Num(v.ViewRZ);
  o["pan"] = Num(v.ViewX) + "," + Num(v.ViewY) + "," + Num(v.ViewZ);
  o["shape"] = v.OptionShowResult ? "on" : "off";
  o["stress"] = std::to_string(v.OptionShowStress);
  for (const char* key : {"operationmode", "viewscale", "eigenvalue"})
    o[key] = w.StatusBar1().Text(key);
  o["editmode"] = "none";
  for (const char* key : {"plate", "stiffener", "boundary", "brace", "load"})
    if (w.StatusBar1().Picture("editmode").cacheKey() == w.ToolImage(key).cacheKey())
      o["editmode"] = key;
  for (const QAction* a : w.findChildren<QAction*>())
    if (a->isCheckable() && !a->objectName().isEmpty())
      o["check " + a->objectName().toStdString()] = a->isChecked() ? "on" : "off";
  o["toolbar"] = w.Toolbar1()->isHidden() ? "hidden" : "shown";
  o["window"] = w.isVisible() ? "open" : "closed";
  std::vector<std::string> windows;
  for (const QWidget* top : QApplication::topLevelWidgets())
    if (top != &w && top->isVisible() && top->objectName().startsWith("frm"))
      windows.push_back(top->objectName().toStdString());
  std::sort(windows.begin(), windows.end());
  o["windows"] = Join(windows, ",");
  o["selected"] = std::to_string(globals::Selection().SelectedCounter());
  o["copied"] = ItemName(globals::Selection().CopiedItem());
  o["nodes"] = std::to_string(mesh.Nodes().Count());
  o["plate 1"] = mesh.fourNodes().Count() ? Num(mesh.fourNodes().Item(1).Thickness()) : "-";
  o["caption"] = w.Caption();
  return o;
}

// One line per menu: its captions in order, "-" for a separator, ">" behind
// a sub-menu, "[ ]" or "[x]" behind an entry with a check mark. Only what a
// user can reach is read: hidden or disabled entries are left out.
void ReadMenu(const std::string& path, const QList<QAction*>& actions,
              std::vector<std::string>& lines) {
  std::vector<std::string> items;
  std::vector<std::pair<std::string, QMenu*>> submenus;
  for (QAction* a : actions) {
    if (!a->isVisible() || !a->isEnabled()) continue;
    std::string item = a->isSeparator() ? "-" : a->text().toStdString();
    if (!a->isSeparator() && a->text().isEmpty()) item = a->toolTip().toStdString();
    if (a->menu()) {
      item += " >";
      submenus.emplace_back(path.empty() ? item.substr(0, item.size() - 2)
                                         : path + " > " + item.substr(0, item.size() - 2),
                            a->menu());
    }
    if (a->isCheckable()) item += a->isChecked() ? " [x]" : " [ ]";
    items.push_back(item);
  }
  lines.push_back((path.empty() ? std::string("Menu bar") : path) + ": " + Join(items, " | "));
  for (const auto& [sub, menu] : submenus) ReadMenu(sub, menu->actions(), lines);
}

// Every entry and button a user can reach, by name.
void Reachable(const QList<QAction*>& actions, std::set<std::string>& names) {
  for (QAction* a : actions) {
    if (!a->isVisible() || !a->isEnabled() || a->isSeparator()) continue;
    if (a->menu()) {
      Reachable(a->menu()->actions(), names);
    } else {
      names.insert(a->objectName().toStdString());
    }
  }
}

class CommandEntriesTest : public ::testing::Test {
 protected:
  void SetUp() override { Restart(); }
  void TearDown() override {
    window.reset();
    globals::ReleaseAll();
  }

  // A fresh window on a generated, saved model, the view in a state that no
  // command sets (so that each command shows what it changes), plate 1
  // selected and plate 2 on the clipboard.
  void Restart() {
    window.reset();
    globals::ReleaseAll();
    window = std::make_unique<frmMenu>();
    app::CommandSet::Of(*window)->helpOpener = [this](const fs::path&, int context) {
      helpTopics.push_back(context);
      return true;
    };
    window->StartUp();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QApplication::processEvents();
    velk_test::BuildModel(globals::Mesh(), globals::Analysis(), globals::BeamShape(),
                          globals::Material());
    app::GlobalProjectHost saved(window.get());
    app::MarkUnchanged(saved);
    app::MarkAnalysed(saved);  // as a run or Open leaves it, the result shown
    window->ShowResultState();
    view::View& v = globals::View();
    v.ViewMode = 3;
    v.ViewZoom = 3;
    v.ViewRX = 10;
    v.ViewRY = 20;
    v.ViewRZ = 30;
    window->StatusBar1().SetText("operationmode", "-");
    globals::Selection().Append(&globals::Mesh().fourNodes().Item(1));
    globals::Selection().SetCopiedItem(&globals::Mesh().fourNodes().Item(2));
    velk_test::WriteBytes(window->HelpFile(), "help");
    prompter.Clear();
    helpTopics.clear();
  }

  // What clicking the entry or button of that name does, from the start
  // state: the observed values it changes, then the dialogs, file dialogs,
  // messages and help topics it shows, in words.
  std::string Outcome(const std::string& name) {
    Restart();
    QAction* action = window->Action(name);
    if (!action) return "no entry or button named " + name;
    const auto before = Observe(*window);
    const std::size_t fileRequests = files.requests().size();
    std::vector<std::string> events;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&events] {
      if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        events.push_back("dialog " + d->objectName().toStdString());
        d->reject();
      }
    });
    closer.start();
    action->trigger();
    QApplication::processEvents();
    closer.stop();
    std::vector<std::string> parts;
    for (const auto& [key, value] : Observe(*window)) {
      auto was = before.find(key);
      if (was == before.end() || was->second != value) parts.push_back(key + "=" + value);
    }
    parts.insert(parts.end(), events.begin(), events.end());
    for (std::size_t i = fileRequests; i < files.requests().size(); ++i)
      parts.push_back("file dialog '" + files.requests()[i].title + "'");
    for (const std::string& p : prompter.prompts()) parts.push_back("message '" + p + "'");
    for (int topic : helpTopics) parts.push_back("help " + std::to_string(topic));
    return Join(parts, "; ");
  }

  velk_test::ScratchProgramFolder folder;
  velk_test::BoxScript prompter;
  platform::ScriptedFileDialogBackend files;
  std::unique_ptr<frmMenu> window;
  std::vector<int> helpTopics;
};

// What each command does from the start state, with its failure text, and
// every menu entry, pop-up entry and toolbar button that runs it. An entry
// listed twice runs its twin's command: both must do the same.
struct Command {
  const char* does;
  const char* label;  // the failure text; "" for a command without one
  std::vector<const char*> from;
};

const Command kCommands[] = {
    {"copied=none; eigenvalue=; nodes=0; plate 1=-; selected=0", "Error..[File New]", {"mnuFile_New", "new"}},
    {"file dialog 'Open Data'", "Error..[File Open]", {"mnuFile_Open", "open"}},
    {"file dialog 'Save As'", "Error..[File Save]", {"mnuFile_SaveData", "save"}},
    {"file dialog 'Save Report File As'", "Error..[Create Report All]", {"mnuFile_ReportAll"}},
    {"file dialog 'Save Grid File As'", "Error..[Create Report Grid]", {"mnuFile_Report_Grid"}},
    {"mode=6; operationmode=Create BMP", "Error..[Generate BMP]", {"mnuCreate_BMP"}},
    // Closing releases the model and the view with the window.
    {"copied=none; mode=0; nodes=0; plate 1=-; selected=0; turn=0,0,0; window=closed; zoom=1",
     "", {"mnuFile_Exit"}},
    {"dialog frmBeamShape", "Error..[Beam Beam]", {"mnuBeam_Beam", "mesh"}},
    {"check mnuElements_Plate=on; editmode=plate; selected=0", "Error..[Plate]",
     {"mnuElements_Plate", "plate"}},
    {"check mnuElements_Stiffener=on; edit=2/2; editmode=stiffener; selected=0",
     "Error..[Stiffener]", {"mnuElements_Stiffener", "stiffener"}},
    {"check mnuElements_Boundary=on; edit=3/1; editmode=boundary; selected=0", "Error..[Boundary]",
     {"mnuElements_Boundary", "boundary"}},
    {"check mnuElements_Brace=on; edit=4/1; editmode=brace; selected=0", "Error..[Brace]",
     {"mnuElements_Brace", "brace"}},
    {"check mnuElements_Load=on; edit=5/1; editmode=load; selected=0", "Error..[Load]",
     {"mnuElements_Load", "load"}},
    {"dialog frmEigen", "", {"mnuRun_Run", "run"}},
    {"dialog frmAnalysisOption", "Error..[Run Option]", {"mnuRunOption"}},
    {"dialog frmPlate", "Error..[Property Set]",
     {"mnuProperty_SetProperty", "mnuPopUp_SetProperty", "set"}},
    {"copied=plate 1", "Error..[Property Copy]",
     {"mnuProperty_CopyProperty", "mnuPopUp_CopyProperty", "copy"}},
    {"eigenvalue=Eigenvalue : 1.2346E+01 (model changed since the run); plate 1=0.3325",
     "Error..[Property Paste]",
     {"mnuProperty_PasteProperty", "mnuPopUp_PasteProperty", "paste"}},
    {"eigenvalue=Eigenvalue : 1.2346E+01 (model changed since the run); plate 1=0; selected=0",
     "Error..[Property Delete]",
     {"mnuProperty_DeleteProperty", "mnuPopUp_DeleteProperty", "delete"}},
    {"check mnuProperty_ShowProperty=on; check property=on; windows=frmPropertyView",
     "Error..[Property Show]", {"mnuProperty_ShowProperty", "mnuPopUp_ShowProperty", "property"}},
    {"selected=0", "Error..[View Refresh]", {"mnuView_Refresh", "mnuPopUp_Refresh", "refresh"}},
    {"mode=0; operationmode=SELECT", "Error..[Selection Mode]",
     {"mnuView_Selection", "mnuPopUp_Select", "select"}},
    {"mode=1; operationmode=TRANSLATE", "", {"mnuTranslate", "mnuPopUp_Translate"}},
    {"mode=2; operationmode=ROTATE:X/Y", "", {"mnuRotateXY", "mnupopup_Rotate"}},
    {"mode=4; operationmode=ZOOM:IN/OUT", "Error..[View ZoomIn]",
     {"mnuView_ZoomIn", "mnuPopup_Zoom"}},
    {"turn=0,0,0; zoom=1", "Error..[View ZoomAll]",
     {"mnuView_ZoomAll", "mnuPopup_ZoomAll", "zoomall"}},
    {"mode=9; operationmode=Move to Center", "Error..[View MovetoCenter]",
     {"mnuView_Center", "center"}},
    {"mode=7; operationmode=ZOOM IN/Center", "Error..[View ZoomInCenter]",
     {"mnuView_ZoomInCenter", "zoomin"}},
    {"mode=8; operationmode=ZOOM OUT/Center", "Error..[View ZoomOutCenter]",
     {"mnuView_ZoomOutCenter", "zoomout"}},
    {"zoom=0.5", "", {"mnuView_Zoom50"}},
    {"zoom=1", "", {"mnuView_Zoom100"}},
    {"zoom=2", "", {"mnuView_Zoom200"}},
    {"zoom=5", "", {"mnuView_Zoom500"}},
    {"zoom=10", "", {"mnuView_Zoom1000"}},
    {"screen=1; viewscale=FIT VIEW", "", {"mnuView_Window"}},
    {"dialog frmClip", "", {"mnuView_Clip", "mnuPopup_Clip"}},
    {"check mnuView_Toolbar=off; toolbar=hidden", "", {"mnuView_Toolbar"}},
    {"dialog frmOption", "Error..[Option]", {"mnuOption", "mnuPopup_ViewOption"}},
    {"check mnuResult_Show=on; shape=on", "", {"mnuResult_Show"}},
    {"check mnuStressPlot=on; windows=frmStress", "", {"mnuStressPlot"}},
    {"help 0", "", {"mnuVELKHelp"}},
    {"dialog frmAbout", "", {"mnuHelp_About"}},
    {"turn=0.01,89.9,0.01", "", {"topview"}},
    {"turn=89.9,0.01,0.01", "", {"leftview"}},
    {"turn=25,25,0", "", {"viewangle"}},
};

TEST_F(CommandEntriesTest, EveryEntryAndButtonDoesWhatItsCommandSays) {
  std::set<std::string> listed;
  for (const Command& c : kCommands) {
    for (const char* name : c.from) {
      listed.insert(name);
      EXPECT_EQ(Outcome(name), c.does) << name;
      // A button has no failure text of its own: a failing button shows its entry's.
      QAction* a = window->Action(name);
      if (a && !window->Toolbar1()->actions().contains(a)) {
        EXPECT_EQ(a->property("failureLabel").toString().toStdString(), c.label) << name;
      }
    }
  }
  // Nothing a user can reach is left out of the list.
  Restart();
  std::set<std::string> reachable;
  Reachable(window->menuBar()->actions(), reachable);
  Reachable(window->mnuPopup()->actions(), reachable);
  Reachable(window->Toolbar1()->actions(), reachable);
  EXPECT_EQ(reachable, listed);
}

TEST_F(CommandEntriesTest, MenusAndToolbarReadAsTheUserSeesThem) {
  std::vector<std::string> lines;
  ReadMenu("", window->menuBar()->actions(), lines);
  ReadMenu("PopUp", window->mnuPopup()->actions(), lines);
  ReadMenu("Toolbar", window->Toolbar1()->actions(), lines);
  const std::vector<std::string> expected = {
      "Menu bar: File > | Beam > | Elements > | Analysis > | Property > | View > | Results > "
      "| Help >",
      "File: New Data | - | Read  Data | Save Data | - | Create Report File > "
      "| Create Bitmap File | - | Exit",
      "File > Create Report File: Report All | Displacement Grid",
      "Beam: Geometry",
      "Elements: Plate [ ] | Stiffener [ ] | - | Boundary [ ] | Brace [ ] | Load [ ]",
      "Analysis: Run | - | Analysis Option",
      "Property: Set Property | Copy Property | Paste Property | Delete Property | - "
      "| Show Property Window [ ]",
      "View: Refresh | - | Select | Translate | Rotate | Zoom In/Out | Zoom All | - "
      "| Move to Center | Zoom In: Center | Zoom Out: Center | - | Zoom   50% | Zoom 100% "
      "| Zoom 200% | Zoom 500% | Zoom1000% | - | Actual/Fit View | Clipping | - "
      "| Show/Hide Toolbar [x] | View Option",
      "Results: Show Buckled Shape [ ] | Stress Plot [ ]",
      "Help: Help Topics | - | About VELK ",
      "PopUp: Selection | Property > | - | View > | - | Refresh | - | View Options",
      "PopUp > Property: Set Property | Copy Property | Paste Property | Delete Property | - "
      "| Show Proeprty",
      "PopUp > View: Translate | Rotate | Zoom In/Out | Zoom All | - | Clipping",
      "Toolbar: New Data | Read Data | Store Data | - | Generate Mesh | - "
      "| Set Plate Thickness | Set Stiffener Size | Set Boundary Condition "
      "| Set Brace Stiffness | Set Point Loading Condition | - "
      "| Switch to Selection Mode | Set Property | Delete Property | Copy Property "
      "| Paste Property | - | Show Property [ ] | - "
      "| View from the Top | View from the Left | View at an angle | Zoom All "
      "| Switch to Zoom-In-Center Mode | Switch to Zoom-Out-Center Mode "
      "| Switch to Move-to-Center Mode | Refresh View Screen | - "
      "| Calculate Buckling Strength",
  };
  EXPECT_EQ(lines, expected);
  // The pop-up menu is a menu of the bar that the bar never shows.
  EXPECT_EQ(window->mnuPopup()->title(), "PopUp");
  EXPECT_TRUE(window->menuBar()->actions().contains(window->mnuPopup()->menuAction()));

  // Every entry, separators too, has a name of its own; no key reaches one.
  std::set<QString> names;
  std::vector<std::string> separators;
  for (const QMenu* menu : window->findChildren<QMenu*>()) {
    for (const QAction* a : menu->actions()) {
      EXPECT_TRUE(a->objectName().startsWith("mnu")) << a->text().toStdString();
      EXPECT_TRUE(names.insert(a->objectName()).second) << a->objectName().toStdString();
      if (a->isSeparator()) separators.push_back(a->objectName().toStdString());
    }
  }
  std::sort(separators.begin(), separators.end());
  EXPECT_EQ(Join(separators, " "),
            "mnuBeam_Sapce_2 mnuBeam_Space_1 mnuElement_Space_1 mnuFile_Sapace_0 mnuFile_Space_1 "
            "mnuFile_Space_2 mnuHelp_Space_1 mnuPopUp_Space_1 mnuPopUp_Space_4 mnuPopUp_space_2 "
            "mnuPopup_Space5 mnuPopup_Space_3 mnuProperty_Space_1 mnuRun_Space_1 mnuViewSpace_2 "
            "mnuView_Space14 mnuView_Space15 mnuView_Space_0 mnuView_Space_11");
  for (const QAction* a : window->findChildren<QAction*>())
    EXPECT_TRUE(a->shortcut().isEmpty()) << a->objectName().toStdString();
}

// "Edit Geometry" and its node moves stay hidden and disabled: no click, key
// or button reaches them.
TEST_F(CommandEntriesTest, TheNodeMovesAreOutOfReach) {
  QAction* editGeometry = window->Action("mnuEditGeometry");
  ASSERT_TRUE(editGeometry && editGeometry->menu());
  EXPECT_TRUE(window->findChild<QMenu*>("mnuBeam")->actions().contains(editGeometry));
  EXPECT_FALSE(editGeometry->isVisible() || editGeometry->isEnabled());
  std::vector<std::string> lines;
  ReadMenu(editGeometry->text().toStdString(), editGeometry->menu()->actions(), lines);
  EXPECT_EQ(lines, std::vector<std::string>{
                       "Edit Geometry: Move Nodes in X Dir. by | Move Nodes in Y Dir. by | - "
                       "| Taper in X | Taper in Y | - | Proportional Move in X "
                       "| Proportional Move in Y"});
  std::set<std::string> reachable;
  Reachable(window->menuBar()->actions(), reachable);
  Reachable(window->mnuPopup()->actions(), reachable);
  for (const char* move : {"mnuMoveNodeX", "mnuMoveNodeY", "mnuRotateNodeX", "mnuRotateNodeY",
                           "mnuPropX", "mnuPropY"}) {
    EXPECT_TRUE(editGeometry->menu()->actions().contains(window->Action(move))) << move;
    EXPECT_EQ(reachable.count(move), 0u) << move;
  }
  EXPECT_EQ(Outcome("mnuEditGeometry"), "");
}

// F1 in an open menu opens the help file at the highlighted entry's topic,
// else at its menu's.
TEST_F(CommandEntriesTest, F1InEachMenuOpensItsTopic) {
  const struct {
    const char* menu;
    const char* highlighted;
    int topic;
  } cases[] = {{"mnuFile", nullptr, 20070},       {"mnuBeam", nullptr, 20040},
               {"mnuElements", nullptr, 20060},   {"mnuRun", nullptr, 20010},
               {"mnuRun", "mnuRunOption", 20020}, {"mnuRun", "mnuRun_Run", 20010},
               {"mnuProperty", nullptr, 20130},   {"mnuView", nullptr, 20230},
               {"mnuView", "mnuOption", 20240},   {"mnuResult", nullptr, 20150},
               {"mnuHelp", nullptr, 20100},       {"mnuPopup", "mnuPopUp_Select", 0}};
  for (const auto& c : cases) {
    QMenu* menu =
        c.menu == std::string("mnuPopup") ? window->mnuPopup() : window->findChild<QMenu*>(c.menu);
    ASSERT_NE(menu, nullptr) << c.menu;
    menu->popup(QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    menu->setActiveAction(c.highlighted ? window->Action(c.highlighted) : nullptr);
    helpTopics.clear();
    QTest::keyClick(menu, Qt::Key_F1);
    menu->hide();
    EXPECT_EQ(helpTopics, std::vector<int>{c.topic})
        << c.menu << " " << (c.highlighted ? c.highlighted : "");
  }
  EXPECT_TRUE(prompter.messages().empty());
}

}  // namespace
