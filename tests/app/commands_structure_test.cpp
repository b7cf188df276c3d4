// The menu bar, the pop-up menu and the toolbar as the window builds them,
// against the entries users know: names, captions, separators, check marks,
// visibility, help topics and failure texts.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/CommandSet.h"
#include "app/Globals.h"
#include "app/frmMenu.h"
#include "platform/MessageBox.h"
#include "platform/qt/CommonDialog.h"
#include "platform/qt/KeyedStatusBar.h"
#include "tests/app/AppTestSupport.h"
#include "view/View.h"

namespace {

// parent | name | caption | shown | checked | help topic | failure text
std::string Describe(const std::string& parent, const QAction* a) {
  std::ostringstream s;
  s << parent << "|" << a->objectName().toStdString() << "|"
    << (a->isSeparator() ? std::string("-") : a->text().toStdString()) << "|"
    << (a->isVisible() ? "yes" : (a->isEnabled() ? "hidden" : "-")) << "|"
    << (a->isChecked() ? "chk" : "") << "|" << a->property("HelpContextID").toInt() << "|"
    << a->property("failureLabel").toString().toStdString();
  return s.str();
}

void Walk(const QMenu* menu, std::vector<std::string>& out) {
  for (const QAction* a : menu->actions()) {
    out.push_back(Describe(menu->objectName().toStdString(), a));
    if (a->menu()) Walk(a->menu(), out);
  }
}

const std::vector<std::string> kExpectedMenuBar = {
    "|mnuFile|File|yes||20070|",
    "mnuFile|mnuFile_New|New Data|yes||0|Error..[File New]",
    "mnuFile|mnuFile_Sapace_0|-|yes||0|",
    "mnuFile|mnuFile_Open|Read  Data|yes||0|Error..[File Open]",
    "mnuFile|mnuFile_SaveData|Save Data|yes||0|Error..[File Save]",
    "mnuFile|mnuFile_Space_1|-|yes||0|",
    "mnuFile|mnuFile_SavePost|Create Report File|yes||0|",
    "mnuFile_SavePost|mnuFile_ReportAll|Report All|yes||0|Error..[Create Report All]",
    "mnuFile_SavePost|mnuFile_Report_Grid|Displacement Grid|yes||0|Error..[Create Report Grid]",
    "mnuFile|mnuCreate_BMP|Create Bitmap File|yes||0|Error..[Generate BMP]",
    "mnuFile|mnuFile_Space_2|-|yes||0|",
    "mnuFile|mnuFile_Exit|Exit|yes||0|",
    "|mnuBeam|Beam|yes||20040|",
    "mnuBeam|mnuBeam_Beam|Geometry|yes||0|Error..[Beam Beam]",
    "mnuBeam|mnuEditGeometry|Edit Geometry|-||0|",
    "mnuEditGeometry|mnuMoveNodeX|Move Nodes in X Dir. by|yes||0|",
    "mnuEditGeometry|mnuMoveNodeY|Move Nodes in Y Dir. by|yes||0|",
    "mnuEditGeometry|mnuBeam_Space_1|-|yes||0|",
    "mnuEditGeometry|mnuRotateNodeX|Taper in X|yes||0|",
    "mnuEditGeometry|mnuRotateNodeY|Taper in Y|yes||0|",
    "mnuEditGeometry|mnuBeam_Sapce_2|-|yes||0|",
    "mnuEditGeometry|mnuPropX|Proportional Move in X|yes||0|",
    "mnuEditGeometry|mnuPropY|Proportional Move in Y|yes||0|",
    "|mnuElements|Elements|yes||20060|",
    "mnuElements|mnuElements_Plate|Plate|yes||0|Error..[Plate]",
    "mnuElements|mnuElements_Stiffener|Stiffener|yes||0|Error..[Stiffener]",
    "mnuElements|mnuElement_Space_1|-|yes||0|",
    "mnuElements|mnuElements_Boundary|Boundary|yes||0|Error..[Boundary]",
    "mnuElements|mnuElements_Brace|Brace|yes||0|Error..[Brace]",
    "mnuElements|mnuElements_Load|Load|yes||0|Error..[Load]",
    "|mnuRun|Analysis|yes||20010|",
    "mnuRun|mnuRun_Run|Run|yes||0|",
    "mnuRun|mnuRun_Space_1|-|yes||0|",
    "mnuRun|mnuRunOption|Analysis Option|yes||20020|Error..[Run Option]",
    "|mnuProperty|Property|yes||20130|",
    "mnuProperty|mnuProperty_SetProperty|Set Property|yes||0|Error..[Property Set]",
    "mnuProperty|mnuProperty_CopyProperty|Copy Property|yes||0|Error..[Property Copy]",
    "mnuProperty|mnuProperty_PasteProperty|Paste Property|yes||0|Error..[Property Paste]",
    "mnuProperty|mnuProperty_DeleteProperty|Delete Property|yes||0|Error..[Property Delete]",
    "mnuProperty|mnuProperty_Space_1|-|yes||0|",
    "mnuProperty|mnuProperty_ShowProperty|Show Property Window|yes||0|Error..[Property Show]",
    "|mnuView|View|yes||20230|",
    "mnuView|mnuView_Refresh|Refresh|yes||0|Error..[View Refresh]",
    "mnuView|mnuView_Space_11|-|yes||0|",
    "mnuView|mnuView_Selection|Select|yes||0|Error..[Selection Mode]",
    "mnuView|mnuTranslate|Translate|yes||0|",
    "mnuView|mnuRotateXY|Rotate|yes||0|",
    "mnuView|mnuView_ZoomIn|Zoom In/Out|yes||0|Error..[View ZoomIn]",
    "mnuView|mnuView_ZoomAll|Zoom All|yes||0|Error..[View ZoomAll]",
    "mnuView|mnuView_Space_0|-|yes||0|",
    "mnuView|mnuView_Center|Move to Center|yes||0|Error..[View MovetoCenter]",
    "mnuView|mnuView_ZoomInCenter|Zoom In: Center|yes||0|Error..[View ZoomInCenter]",
    "mnuView|mnuView_ZoomOutCenter|Zoom Out: Center|yes||0|Error..[View ZoomOutCenter]",
    "mnuView|mnuView_Space15|-|yes||0|",
    "mnuView|mnuView_Zoom50|Zoom   50%|yes||0|",
    "mnuView|mnuView_Zoom100|Zoom 100%|yes||0|",
    "mnuView|mnuView_Zoom200|Zoom 200%|yes||0|",
    "mnuView|mnuView_Zoom500|Zoom 500%|yes||0|",
    "mnuView|mnuView_Zoom1000|Zoom1000%|yes||0|",
    "mnuView|mnuView_Space14|-|yes||0|",
    "mnuView|mnuView_Window|Actual/Fit View|yes||0|",
    "mnuView|mnuView_Clip|Clipping|yes||0|",
    "mnuView|mnuViewSpace_2|-|yes||0|",
    "mnuView|mnuView_Toolbar|Show/Hide Toolbar|yes|chk|0|",
    "mnuView|mnuOption|View Option|yes||20240|Error..[Option]",
    "|mnuResult|Results|yes||20150|",
    "mnuResult|mnuResult_Show|Show Buckled Shape|yes||0|",
    "mnuResult|mnuStressPlot|Stress Plot|yes||0|",
    "|mnuHelp|Help|yes||20100|",
    "mnuHelp|mnuVELKHelp|Help Topics|yes||0|",
    "mnuHelp|mnuHelp_Space_1|-|yes||0|",
    "mnuHelp|mnuHelp_About|About VELK |yes||0|",
};

const std::vector<std::string> kExpectedPopup = {
    "mnuPopup|mnuPopUp_Select|Selection|yes||0|Error..[Selection Mode]",
    "mnuPopup|mnuPopUp_Property|Property|yes||0|",
    "mnuPopUp_Property|mnuPopUp_SetProperty|Set Property|yes||0|Error..[Property Set]",
    "mnuPopUp_Property|mnuPopUp_CopyProperty|Copy Property|yes||0|Error..[Property Copy]",
    "mnuPopUp_Property|mnuPopUp_PasteProperty|Paste Property|yes||0|Error..[Property Paste]",
    "mnuPopUp_Property|mnuPopUp_DeleteProperty|Delete Property|yes||0|Error..[Property Delete]",
    "mnuPopUp_Property|mnuPopup_Space_3|-|yes||0|",
    "mnuPopUp_Property|mnuPopUp_ShowProperty|Show Proeprty|yes||0|Error..[Property Show]",
    "mnuPopup|mnuPopUp_Space_1|-|yes||0|",
    "mnuPopup|mnuPopUpView|View|yes||0|",
    "mnuPopUpView|mnuPopUp_Translate|Translate|yes||0|",
    "mnuPopUpView|mnupopup_Rotate|Rotate|yes||0|",
    "mnuPopUpView|mnuPopup_Zoom|Zoom In/Out|yes||0|Error..[View ZoomIn]",
    "mnuPopUpView|mnuPopup_ZoomAll|Zoom All|yes||0|Error..[View ZoomAll]",
    "mnuPopUpView|mnuPopUp_Space_4|-|yes||0|",
    "mnuPopUpView|mnuPopup_Clip|Clipping|yes||0|",
    "mnuPopup|mnuPopUp_space_2|-|yes||0|",
    "mnuPopup|mnuPopUp_Refresh|Refresh|yes||0|Error..[View Refresh]",
    "mnuPopup|mnuPopup_Space5|-|yes||0|",
    "mnuPopup|mnuPopup_ViewOption|View Options|yes||0|Error..[Option]",
};

// key | tooltip | picture | two-state; "|" alone is a separator.
const std::vector<std::string> kExpectedToolbar = {
    "new|New Data|new|",
    "open|Read Data|open|",
    "save|Store Data|save|",
    "|",
    "mesh|Generate Mesh|meshgeneration|",
    "|",
    "plate|Set Plate Thickness|plate|",
    "stiffener|Set Stiffener Size|stiffener|",
    "boundary|Set Boundary Condition|boundary|",
    "brace|Set Brace Stiffness|brace|",
    "load|Set Point Loading Condition|load|",
    "|",
    "select|Switch to Selection Mode|select|",
    "set|Set Property|set|",
    "delete|Delete Property|delete|",
    "copy|Copy Property|copy|",
    "paste|Paste Property|paste|",
    "|",
    "property|Show Property|property|check",
    "|",
    "topview|View from the Top|topview|",
    "leftview|View from the Left|leftview|",
    "viewangle|View at an angle|viewangle|",
    "zoomall|Zoom All|zoomall|",
    "zoomin|Switch to Zoom-In-Center Mode|zoomin|",
    "zoomout|Switch to Zoom-Out-Center Mode|zoomout|",
    "center|Switch to Move-to-Center Mode|center|",
    "refresh|Refresh View Screen|refresh|",
    "|",
    "run|Calculate Buckling Strength|run|",
};

class CommandStructureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    globals::ReleaseAll();
    window = std::make_unique<frmMenu>();
  }
  void TearDown() override {
    window.reset();
    globals::ReleaseAll();
  }
  velk_test::ScratchProgramFolder folder;
  platform::ScriptedPrompter prompter;
  platform::ScriptedFileDialogBackend files;
  std::unique_ptr<frmMenu> window;
};

TEST_F(CommandStructureTest, MenuBarHoldsEveryEntryInOrder) {
  std::vector<std::string> actual;
  const auto topLevel = window->menuBar()->actions();
  for (const QAction* a : topLevel) {
    if (a->objectName() == "mnuPopup") continue;
    actual.push_back(Describe("", a));
    Walk(a->menu(), actual);
  }
  ASSERT_EQ(actual.size(), kExpectedMenuBar.size());
  for (std::size_t i = 0; i < actual.size(); ++i) EXPECT_EQ(actual[i], kExpectedMenuBar[i]) << i;

  // The pop-up menu is the last top-level menu, never shown in the bar.
  ASSERT_FALSE(topLevel.isEmpty());
  const QAction* popup = topLevel.back();
  EXPECT_EQ(popup->objectName(), "mnuPopup");
  EXPECT_EQ(popup->text(), "PopUp");
  EXPECT_FALSE(popup->isVisible());
  EXPECT_EQ(popup->menu(), window->mnuPopup());

  // Check marks: the Elements and result entries can carry one; the menus
  // define no keyboard shortcuts.
  for (const char* name : {"mnuElements_Plate", "mnuElements_Load", "mnuResult_Show", "mnuStressPlot",
                           "mnuView_Toolbar", "mnuProperty_ShowProperty"})
    EXPECT_TRUE(window->Action(name)->isCheckable()) << name;
  for (const QAction* a : window->findChildren<QAction*>())
    EXPECT_TRUE(a->shortcut().isEmpty()) << a->objectName().toStdString();
}

TEST_F(CommandStructureTest, PopupMenuRunsTheTwinsCommands) {
  std::vector<std::string> actual;
  Walk(window->mnuPopup(), actual);
  ASSERT_EQ(actual.size(), kExpectedPopup.size());
  for (std::size_t i = 0; i < actual.size(); ++i) EXPECT_EQ(actual[i], kExpectedPopup[i]) << i;

  globals::View().ViewMode = 0;
  window->Action("mnupopup_Rotate")->trigger();
  EXPECT_EQ(globals::View().ViewMode, 2);
  EXPECT_EQ(window->StatusBar1().Text("operationmode"), "ROTATE:X/Y");
}

TEST_F(CommandStructureTest, ToolbarHoldsTwentyFourButtonsInSevenGroups) {
  std::vector<std::string> actual;
  for (const QAction* a : window->Toolbar1()->actions()) {
    if (a->isSeparator()) {
      actual.push_back("|");
      continue;
    }
    EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();
    actual.push_back(a->objectName().toStdString() + "|" + a->toolTip().toStdString() + "|" +
                     a->property("imageKey").toString().toStdString() + "|" +
                     (a->isCheckable() ? "check" : ""));
  }
  EXPECT_EQ(actual, kExpectedToolbar);

  const char* keys[] = {"copy",     "center",    "zoomall",  "new",     "save",   "open",
                        "boundary", "brace",     "stiffener", "load",   "plate",  "run",
                        "set",      "meshgeneration", "delete", "refresh", "paste", "property",
                        "select",   "viewangle", "leftview", "topview", "zoomin", "zoomout"};
  for (const char* key : keys) {
    const QPixmap image = window->ToolImage(key);
    EXPECT_EQ(image.size(), QSize(16, 16)) << key;
  }
  EXPECT_NE(window->ToolImage("plate").toImage(), window->ToolImage("load").toImage());
}

}  // namespace
