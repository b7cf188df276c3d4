#include "app/Commands.h"

#include <QAction>
#include <QApplication>
#include <QToolBar>

#include <cstdint>
#include <span>
#include <string_view>

#include "analysis/ui/frmAnalysisOption.h"
#include "analysis/ui/RunGuard.h"
#include "analysis/ui/frmEigen.h"
#include "app/CommandSet.h"
#include "app/DialogLinks.h"
#include "app/GlobalGirderHost.h"
#include "app/GlobalProjectHost.h"
#include "app/Globals.h"
#include "app/NodeMoves.h"
#include "app/ProgramPaths.h"
#include "app/Reports.h"
#include "app/ResultWindows.h"
#include "app/Selection.h"
#include "app/SelectionItems.h"
#include "app/frmMenu.h"
#include "dialogs/SetProperty.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmBeamShape.h"
#include "dialogs/frmOption.h"
#include "model/Analysis.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "platform/MessageBox.h"
#include "platform/qt/KeyedStatusBar.h"
#include "view/View.h"
#include "view/frmClip.h"

namespace app {
namespace {

namespace edit_mode = view::edit_mode;
namespace operation = view::operation;
namespace pick = view::pick;

// ------------------------------------------------------------ the commands

view::View& V() { return globals::View(); }

// Sets the mouse operation and its panel text; nothing else changes.
void ModeCommand(CommandSet& c, int32_t viewMode, const char* panelText) {
  c.window().StatusBar1().SetText("operationmode", panelText);
  V().ViewMode = viewMode;
}

void EditModeCommand(CommandSet& c, int32_t propertyMode, int32_t meshMode) {
  globals::Selection().ClearSelectedItem();
  V().PropertyMode = propertyMode;
  V().MeshMode = meshMode;
  V().Refresh();
  c.window().updateToolBar();
}

void ZoomPreset(CommandSet& c, float zoom) {
  V().ViewZoom = zoom;
  c.window().Paint();
}

QAction* ActionOf(CommandSet& c, const char* name) { return c.window().Action(name); }

void SetChecked(CommandSet& c, const char* name, bool checked) {
  if (QAction* a = ActionOf(c, name)) a->setChecked(checked);
}

bool IsChecked(CommandSet& c, const char* name) {
  QAction* a = ActionOf(c, name);
  return a && a->isChecked();
}

// Closes the program's top-level window of that name when it is open.
void CloseWindowNamed(const char* name) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == name && w->isVisible()) w->close();
}

void ShowModal(QDialog& dialog) { dialog.exec(); }

void FileNew(CommandSet& c) {
  GlobalProjectHost host(&c.window());
  if (SaveChangesFirst(host, c.window().cdlFile)) New_Data(host);
}
void FileOpen(CommandSet& c) {
  GlobalProjectHost host(&c.window());
  if (SaveChangesFirst(host, c.window().cdlFile)) Open_Data(host, c.window().cdlFile);
}
void FileSave(CommandSet& c) {
  GlobalProjectHost host(&c.window());
  Save_Data(host, c.window().cdlFile);
}
void FileExit(CommandSet& c) { c.window().close(); }
void ReportAll(CommandSet& c) {
  GlobalProjectHost host(&c.window());
  Create_Report_All(globals::Analysis(), globals::Mesh(), c.window().cdlFile, ChangedSinceRun(host));
}
void ReportGrid(CommandSet& c) {
  GlobalProjectHost host(&c.window());
  Create_Report_Grid(globals::Analysis(), globals::Mesh(), c.window().cdlFile, ChangedSinceRun(host));
}

// An entry that only calls an operation, such as the node moves.
template <void (*Operation)()>
void Call(CommandSet&) {
  Operation();
}

void BeamGeometry(CommandSet& c) {
  GlobalGirderHost host(&c.window());
  frmBeamShape dialog(host, V(), &c.window());
  ShowModal(dialog);
}

void RunRun(CommandSet& c) {
  frmEigen dialog(globals::Analysis(), globals::Mesh(), globals::Material(), ProgramFolder(), &c.window());
  LinkToWindow(dialog, c.window());
  ShowModal(dialog);
}

void RunOption(CommandSet& c) {
  frmAnalysisOption dialog(globals::Analysis(), &c.window());
  ShowModal(dialog);
}

// A run's yields let nested handlers in; none of them may edit the model.
void PropertySet(CommandSet& c) {
  if (analysis::ui::RunInProgress()) return;
  if (globals::Selection().SelectedCounter() == 0) return;
  SelectionItems items(globals::Selection());
  dialogs::OpenPropertyDialog(V().PropertyMode, items, globals::Mesh(), &c.window());
}

// Entry and toolbar button always agree afterwards, whichever was clicked.
void PropertyShow(CommandSet& c) {
  const bool checked = !IsChecked(c, "mnuProperty_ShowProperty");
  SetChecked(c, "mnuProperty_ShowProperty", checked);
  SetChecked(c, "property", checked);
  if (checked) {
    OpenPropertyView(c.window());
  } else {
    CloseWindowNamed("frmPropertyView");
  }
}

void PropertyCopy(CommandSet&) { globals::Selection().Copy(); }
void PropertyPaste(CommandSet&) { globals::Selection().Paste(globals::Mesh(), V().PropertyMode); }
void PropertyDelete(CommandSet&) { globals::Selection().Delete(globals::Mesh(), V().PropertyMode); }

void ViewRefresh(CommandSet&) {
  globals::Selection().ClearSelectedItem();
  V().Refresh();
}

void ViewZoomAll(CommandSet&) {
  V().Zoom_All();
  V().Refresh();
}

void ViewWindow(CommandSet& c) {
  V().ScreenModeChange(globals::Mesh().Nodes());
  platform::qt::KeyedStatusBar& bar = c.window().StatusBar1();
  if (V().ScreenMode == view::screen::kActualView) bar.SetText("viewscale", "ACTUAL VIEW");
  if (V().ScreenMode == view::screen::kFitView) bar.SetText("viewscale", "FIT VIEW");
}

void ViewToolbar(CommandSet& c) {
  QToolBar* t = c.window().Toolbar1();
  t->setVisible(t->isHidden());
  SetChecked(c, "mnuView_Toolbar", !t->isHidden());
}

void ResultShow(CommandSet& c) {
  const bool checked = !IsChecked(c, "mnuResult_Show");
  SetChecked(c, "mnuResult_Show", checked);
  if (checked) {
    V().OptionShowResult = true;
    SetChecked(c, "mnuStressPlot", false);
    V().OptionShowStress = view::stress_plot::kNone;
    if (c.window().StressWindowShown()) CloseWindowNamed("frmStress");
  } else {
    V().OptionShowResult = false;
  }
  c.window().Paint();
}

// Checking it opens the stress plot window, in which the component is
// chosen; unchecking closes it and ends the plot.
void StressPlot(CommandSet& c) {
  const bool checked = !IsChecked(c, "mnuStressPlot");
  SetChecked(c, "mnuStressPlot", checked);
  if (checked) {
    if (IsChecked(c, "mnuResult_Show")) {
      SetChecked(c, "mnuResult_Show", false);
      V().OptionShowResult = false;
    }
    OpenStressWindow(c.window());
  } else {
    CloseWindowNamed("frmStress");
    V().OptionShowStress = view::stress_plot::kNone;
  }
  c.window().Paint();
}

void ViewClip(CommandSet& c) {
  frmClip dialog(V(), &c.window());
  ShowModal(dialog);
}

void ViewOption(CommandSet& c) {
  frmOption dialog(V(), &c.window());
  LinkToWindow(dialog, c.window());
  ShowModal(dialog);
}

void HelpTopics(CommandSet& c) { c.ShowHelp(0); }

void HelpAbout(CommandSet& c) {
  frmAbout dialog(&c.window());
  ShowModal(dialog);
}

void TopView(CommandSet&) { V().TopView(); }
void LeftView(CommandSet&) { V().LeftView(); }
void AngleView(CommandSet&) { V().ViewAngle(); }

// ------------------------------------------------------------ the tables

#define MODE(mode, text) [](CommandSet& c) { ModeCommand(c, mode, text); }
#define EDIT(p, m) [](CommandSet& c) { EditModeCommand(c, p, m); }
#define ZOOM(z) [](CommandSet& c) { ZoomPreset(c, z); }

const MenuRow kMenu[] = {
    {"mnuFile", "File", nullptr, 20070, nullptr, nullptr, kSubmenu},
    {"mnuFile_New", "New Data", "mnuFile", 0, "Error..[File New]", FileNew, kPlain},
    {"mnuFile_Sapace_0", "-", "mnuFile", 0, nullptr, nullptr, kPlain},
    {"mnuFile_Open", "Read  Data", "mnuFile", 0, "Error..[File Open]", FileOpen, kPlain},
    {"mnuFile_SaveData", "Save Data", "mnuFile", 0, "Error..[File Save]", FileSave, kPlain},
    {"mnuFile_Space_1", "-", "mnuFile", 0, nullptr, nullptr, kPlain},
    {"mnuFile_SavePost", "Create Report File", "mnuFile", 0, nullptr, nullptr, kSubmenu},
    {"mnuFile_ReportAll", "Report All", "mnuFile_SavePost", 0, "Error..[Create Report All]",
     ReportAll, kPlain},
    {"mnuFile_Report_Grid", "Displacement Grid", "mnuFile_SavePost", 0,
     "Error..[Create Report Grid]", ReportGrid, kPlain},
    {"mnuCreate_BMP", "Create Bitmap File", "mnuFile", 0, "Error..[Generate BMP]",
     MODE(operation::kBitmapBox, "Create BMP"), kPlain},
    {"mnuFile_Space_2", "-", "mnuFile", 0, nullptr, nullptr, kPlain},
    {"mnuFile_Exit", "Exit", "mnuFile", 0, nullptr, FileExit, kPlain},

    {"mnuBeam", "Beam", nullptr, 20040, nullptr, nullptr, kSubmenu},
    {"mnuBeam_Beam", "Geometry", "mnuBeam", 0, "Error..[Beam Beam]", BeamGeometry, kPlain},
    {"mnuEditGeometry", "Edit Geometry", "mnuBeam", 0, nullptr, nullptr, kSubmenu | kHidden},
    {"mnuMoveNodeX", "Move Nodes in X Dir. by", "mnuEditGeometry", 0, nullptr,
     Call<Edit_Mesh_Move_NodeX>, kPlain},
    {"mnuMoveNodeY", "Move Nodes in Y Dir. by", "mnuEditGeometry", 0, nullptr,
     Call<Edit_Mesh_Move_NodeY>, kPlain},
    {"mnuBeam_Space_1", "-", "mnuEditGeometry", 0, nullptr, nullptr, kPlain},
    {"mnuRotateNodeX", "Taper in X", "mnuEditGeometry", 0, nullptr,
     Call<Edit_Mesh_Rotate_NodeX>, kPlain},
    {"mnuRotateNodeY", "Taper in Y", "mnuEditGeometry", 0, nullptr,
     Call<Edit_Mesh_Rotate_NodeY>, kPlain},
    {"mnuBeam_Sapce_2", "-", "mnuEditGeometry", 0, nullptr, nullptr, kPlain},
    {"mnuPropX", "Proportional Move in X", "mnuEditGeometry", 0, nullptr,
     Call<Edit_Mesh_PMove_NodeX>, kPlain},
    {"mnuPropY", "Proportional Move in Y", "mnuEditGeometry", 0, nullptr,
     Call<Edit_Mesh_PMove_NodeY>, kPlain},

    {"mnuElements", "Elements", nullptr, 20060, nullptr, nullptr, kSubmenu},
    {"mnuElements_Plate", "Plate", "mnuElements", 0, "Error..[Plate]",
     EDIT(edit_mode::kPlate, pick::kPlate), kCheckable},
    {"mnuElements_Stiffener", "Stiffener", "mnuElements", 0, "Error..[Stiffener]",
     EDIT(edit_mode::kStiffener, pick::kStiffener), kCheckable},
    {"mnuElement_Space_1", "-", "mnuElements", 0, nullptr, nullptr, kPlain},
    {"mnuElements_Boundary", "Boundary", "mnuElements", 0, "Error..[Boundary]",
     EDIT(edit_mode::kBoundary, pick::kNode), kCheckable},
    {"mnuElements_Brace", "Brace", "mnuElements", 0, "Error..[Brace]",
     EDIT(edit_mode::kBrace, pick::kNode), kCheckable},
    {"mnuElements_Load", "Load", "mnuElements", 0, "Error..[Load]",
     EDIT(edit_mode::kLoad, pick::kNode), kCheckable},

    {"mnuRun", "Analysis", nullptr, 20010, nullptr, nullptr, kSubmenu},
    {"mnuRun_Run", "Run", "mnuRun", 0, nullptr, RunRun, kPlain},
    {"mnuRun_Space_1", "-", "mnuRun", 0, nullptr, nullptr, kPlain},
    {"mnuRunOption", "Analysis Option", "mnuRun", 20020, "Error..[Run Option]", RunOption, kPlain},

    {"mnuProperty", "Property", nullptr, 20130, nullptr, nullptr, kSubmenu},
    {"mnuProperty_SetProperty", "Set Property", "mnuProperty", 0, "Error..[Property Set]",
     PropertySet, kPlain},
    {"mnuProperty_CopyProperty", "Copy Property", "mnuProperty", 0, "Error..[Property Copy]",
     PropertyCopy, kPlain},
    {"mnuProperty_PasteProperty", "Paste Property", "mnuProperty", 0,
     "Error..[Property Paste]", PropertyPaste, kPlain},
    {"mnuProperty_DeleteProperty", "Delete Property", "mnuProperty", 0,
     "Error..[Property Delete]", PropertyDelete, kPlain},
    {"mnuProperty_Space_1", "-", "mnuProperty", 0, nullptr, nullptr, kPlain},
    {"mnuProperty_ShowProperty", "Show Property Window", "mnuProperty", 0,
     "Error..[Property Show]", PropertyShow, kCheckable},

    {"mnuView", "View", nullptr, 20230, nullptr, nullptr, kSubmenu},
    {"mnuView_Refresh", "Refresh", "mnuView", 0, "Error..[View Refresh]", ViewRefresh, kPlain},
    {"mnuView_Space_11", "-", "mnuView", 0, nullptr, nullptr, kPlain},
    {"mnuView_Selection", "Select", "mnuView", 0, "Error..[Selection Mode]",
     MODE(operation::kSelect, "SELECT"), kPlain},
    {"mnuTranslate", "Translate", "mnuView", 0, nullptr, MODE(operation::kTranslate, "TRANSLATE"),
     kPlain},
    {"mnuRotateXY", "Rotate", "mnuView", 0, nullptr, MODE(operation::kRotate, "ROTATE:X/Y"), kPlain},
    {"mnuView_ZoomIn", "Zoom In/Out", "mnuView", 0, "Error..[View ZoomIn]",
     MODE(operation::kDragZoom, "ZOOM:IN/OUT"), kPlain},
    {"mnuView_ZoomAll", "Zoom All", "mnuView", 0, "Error..[View ZoomAll]", ViewZoomAll, kPlain},
    {"mnuView_Space_0", "-", "mnuView", 0, nullptr, nullptr, kPlain},
    {"mnuView_Center", "Move to Center", "mnuView", 0, "Error..[View MovetoCenter]",
     MODE(operation::kMoveToCentre, "Move to Center"), kPlain},
    {"mnuView_ZoomInCenter", "Zoom In: Center", "mnuView", 0, "Error..[View ZoomInCenter]",
     MODE(operation::kZoomInAtPoint, "ZOOM IN/Center"), kPlain},
    {"mnuView_ZoomOutCenter", "Zoom Out: Center", "mnuView", 0,
     "Error..[View ZoomOutCenter]", MODE(operation::kZoomOutAtPoint, "ZOOM OUT/Center"), kPlain},
    {"mnuView_Space15", "-", "mnuView", 0, nullptr, nullptr, kPlain},
    {"mnuView_Zoom50", "Zoom   50%", "mnuView", 0, nullptr, ZOOM(0.5f), kPlain},
    {"mnuView_Zoom100", "Zoom 100%", "mnuView", 0, nullptr, ZOOM(1.0f), kPlain},
    {"mnuView_Zoom200", "Zoom 200%", "mnuView", 0, nullptr, ZOOM(2.0f), kPlain},
    {"mnuView_Zoom500", "Zoom 500%", "mnuView", 0, nullptr, ZOOM(5.0f), kPlain},
    {"mnuView_Zoom1000", "Zoom1000%", "mnuView", 0, nullptr, ZOOM(10.0f), kPlain},
    {"mnuView_Space14", "-", "mnuView", 0, nullptr, nullptr, kPlain},
    {"mnuView_Window", "Actual/Fit View", "mnuView", 0, nullptr, ViewWindow, kPlain},
    {"mnuView_Clip", "Clipping", "mnuView", 0, nullptr, ViewClip, kPlain},
    {"mnuViewSpace_2", "-", "mnuView", 0, nullptr, nullptr, kPlain},
    {"mnuView_Toolbar", "Show/Hide Toolbar", "mnuView", 0, nullptr, ViewToolbar,
     kCheckable | kChecked},
    {"mnuOption", "View Option", "mnuView", 20240, "Error..[Option]", ViewOption, kPlain},

    {"mnuResult", "Results", nullptr, 20150, nullptr, nullptr, kSubmenu},
    {"mnuResult_Show", "Show Buckled Shape", "mnuResult", 0, nullptr, ResultShow, kCheckable},
    {"mnuStressPlot", "Stress Plot", "mnuResult", 0, nullptr, StressPlot, kCheckable},

    {"mnuHelp", "Help", nullptr, 20100, nullptr, nullptr, kSubmenu},
    {"mnuVELKHelp", "Help Topics", "mnuHelp", 0, nullptr, HelpTopics, kPlain},
    {"mnuHelp_Space_1", "-", "mnuHelp", 0, nullptr, nullptr, kPlain},
    {"mnuHelp_About", "About VELK ", "mnuHelp", 0, nullptr, HelpAbout, kPlain},
};

#undef MODE
#undef EDIT
#undef ZOOM

const PopupRow kPopup[] = {
    {"mnuPopUp_Select", "Selection", "mnuPopup", "mnuView_Selection", false},
    {"mnuPopUp_Property", "Property", "mnuPopup", nullptr, true},
    {"mnuPopUp_SetProperty", "Set Property", "mnuPopUp_Property", "mnuProperty_SetProperty", false},
    {"mnuPopUp_CopyProperty", "Copy Property", "mnuPopUp_Property", "mnuProperty_CopyProperty", false},
    {"mnuPopUp_PasteProperty", "Paste Property", "mnuPopUp_Property", "mnuProperty_PasteProperty",
     false},
    {"mnuPopUp_DeleteProperty", "Delete Property", "mnuPopUp_Property", "mnuProperty_DeleteProperty",
     false},
    {"mnuPopup_Space_3", "-", "mnuPopUp_Property", nullptr, false},
    {"mnuPopUp_ShowProperty", "Show Proeprty", "mnuPopUp_Property", "mnuProperty_ShowProperty", false},
    {"mnuPopUp_Space_1", "-", "mnuPopup", nullptr, false},
    {"mnuPopUpView", "View", "mnuPopup", nullptr, true},
    {"mnuPopUp_Translate", "Translate", "mnuPopUpView", "mnuTranslate", false},
    {"mnupopup_Rotate", "Rotate", "mnuPopUpView", "mnuRotateXY", false},
    {"mnuPopup_Zoom", "Zoom In/Out", "mnuPopUpView", "mnuView_ZoomIn", false},
    {"mnuPopup_ZoomAll", "Zoom All", "mnuPopUpView", "mnuView_ZoomAll", false},
    {"mnuPopUp_Space_4", "-", "mnuPopUpView", nullptr, false},
    {"mnuPopup_Clip", "Clipping", "mnuPopUpView", "mnuView_Clip", false},
    {"mnuPopUp_space_2", "-", "mnuPopup", nullptr, false},
    {"mnuPopUp_Refresh", "Refresh", "mnuPopup", "mnuView_Refresh", false},
    {"mnuPopup_Space5", "-", "mnuPopup", nullptr, false},
    {"mnuPopup_ViewOption", "View Options", "mnuPopup", "mnuOption", false},
};

const ToolRow kToolbar[] = {
    {"new", "New Data", "new", "mnuFile_New", nullptr, false, false},
    {"open", "Read Data", "open", "mnuFile_Open", nullptr, false, false},
    {"save", "Store Data", "save", "mnuFile_SaveData", nullptr, false, false},
    {"mesh", "Generate Mesh", "meshgeneration", "mnuBeam_Beam", nullptr, true, false},
    {"plate", "Set Plate Thickness", "plate", "mnuElements_Plate", nullptr, true, false},
    {"stiffener", "Set Stiffener Size", "stiffener", "mnuElements_Stiffener", nullptr, false, false},
    {"boundary", "Set Boundary Condition", "boundary", "mnuElements_Boundary", nullptr, false, false},
    {"brace", "Set Brace Stiffness", "brace", "mnuElements_Brace", nullptr, false, false},
    {"load", "Set Point Loading Condition", "load", "mnuElements_Load", nullptr, false, false},
    {"select", "Switch to Selection Mode", "select", "mnuView_Selection", nullptr, true, false},
    {"set", "Set Property", "set", "mnuProperty_SetProperty", nullptr, false, false},
    {"delete", "Delete Property", "delete", "mnuProperty_DeleteProperty", nullptr, false, false},
    {"copy", "Copy Property", "copy", "mnuProperty_CopyProperty", nullptr, false, false},
    {"paste", "Paste Property", "paste", "mnuProperty_PasteProperty", nullptr, false, false},
    {"property", "Show Property", "property", "mnuProperty_ShowProperty", nullptr, true, true},
    {"topview", "View from the Top", "topview", nullptr, TopView, true, false},
    {"leftview", "View from the Left", "leftview", nullptr, LeftView, false, false},
    {"viewangle", "View at an angle", "viewangle", nullptr, AngleView, false, false},
    {"zoomall", "Zoom All", "zoomall", "mnuView_ZoomAll", nullptr, false, false},
    {"zoomin", "Switch to Zoom-In-Center Mode", "zoomin", "mnuView_ZoomInCenter", nullptr, false, false},
    {"zoomout", "Switch to Zoom-Out-Center Mode", "zoomout", "mnuView_ZoomOutCenter", nullptr, false,
     false},
    {"center", "Switch to Move-to-Center Mode", "center", "mnuView_Center", nullptr, false, false},
    {"refresh", "Refresh View Screen", "refresh", "mnuView_Refresh", nullptr, false, false},
    {"run", "Calculate Buckling Strength", "run", "mnuRun_Run", nullptr, true, false},
};

}  // namespace

std::span<const MenuRow> MenuRows() { return kMenu; }
std::span<const PopupRow> PopupRows() { return kPopup; }
std::span<const ToolRow> ToolRows() { return kToolbar; }

const MenuRow* FindMenuRow(std::string_view name) {
  for (const MenuRow& row : kMenu)
    if (name == row.name) return &row;
  return nullptr;
}

void InstallCommands(frmMenu& window) {
  try {
    if (!CommandSet::Of(window)) new CommandSet(window);
  } catch (...) {
    platform::MsgBox("Error...");
  }
}

}  // namespace app
