// The main window's commands at work: project files through the menus, the
// mode and edit mode commands, the result switches, the toolbar, help, and
// every command on an empty and on a generated model.
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
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandSet.h"
#include "app/GlobalGirderHost.h"
#include "app/GlobalProjectHost.h"
#include "app/Globals.h"
#include "app/Selection.h"
#include "app/frmMenu.h"
#include "dialogs/frmBeamShape.h"
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
using velk_test::BoxScript;

namespace {

// Closes whatever modal dialog a command opens, so no test waits for a person.
class ModalCloser {
 public:
  ModalCloser() {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        ++closed;
        d->reject();
      }
    });
    timer_.start();
  }
  int closed = 0;

 private:
  QTimer timer_;
};

class CommandRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    globals::ReleaseAll();
    window = std::make_unique<frmMenu>();
    commands = app::CommandSet::Of(*window);
    ASSERT_NE(commands, nullptr);
    prompter.Clear();  // the options file a fresh folder does not have
    commands->helpOpener = [this](const fs::path& file, int context) {
      helpRequests.emplace_back(file, context);
      return true;
    };
  }
  void TearDown() override {
    window.reset();
    globals::ReleaseAll();
  }
  void Show() {
    window->StartUp();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QApplication::processEvents();
  }
  void Generate() {
    velk_test::BuildModel(globals::Mesh(), globals::Analysis(), globals::BeamShape(),
                          globals::Material());
  }
  void Trigger(const char* name) {
    QAction* a = window->Action(name);
    ASSERT_NE(a, nullptr) << name;
    a->trigger();
  }
  std::string Panel(const char* key) { return window->StatusBar1().Text(key); }
  bool Checked(const char* name) { return window->Action(name)->isChecked(); }
  bool AnyFailureShown() const {
    for (const auto& p : prompter.prompts())
      if (p.rfind("Error..", 0) == 0) return true;
    return false;
  }

  velk_test::ScratchProgramFolder folder;
  BoxScript prompter;
  platform::ScriptedFileDialogBackend files;
  std::unique_ptr<frmMenu> window;
  app::CommandSet* commands = nullptr;
  std::vector<std::pair<fs::path, int>> helpRequests;
};

TEST_F(CommandRunTest, SaveNewOpenThroughTheMenus) {
  Show();
  Generate();
  globals::Analysis().MaxShift = 5;
  const fs::path file = folder.path() / "girder.inp";
  files.QueueChoice(file.string());
  Trigger("mnuFile_SaveData");
  EXPECT_EQ(window->Caption(), "VELK V1.4.0:girder.inp");
  EXPECT_EQ(velk_test::ReadBytes(file).rfind("VELK Version\r\n 1.4 \r\n", 0), 0u);

  Trigger("mnuFile_New");
  EXPECT_TRUE(velk_test::IsEmptyMesh(globals::Mesh()));
  EXPECT_EQ(globals::Analysis().Title, "No Title");
  EXPECT_EQ(globals::Analysis().MaxShift, 5) << "the solver options pass through the options file";
  EXPECT_EQ(window->Caption(), "VELK V1.4.0: No Title") << "the empty model has no file";

  globals::View().ViewMode = 2;
  globals::View().ViewZoom = 3;
  files.QueueChoice(file.string());
  commands->Toolbar1_ButtonClick("open");
  EXPECT_TRUE(prompter.messages().empty()) << prompter.prompts().front();
  EXPECT_EQ(velk_test::ModelBytes(globals::Analysis(),
                                  globals::BeamShape(), globals::Mesh(), globals::Material()),
            velk_test::ReadBytes(file));
  EXPECT_EQ(window->Caption(), "VELK V1.4.0:girder.inp");
  EXPECT_EQ(Panel("operationmode"), "SELECT");
  EXPECT_EQ(Panel("viewscale"), "ACTUAL VIEW");
  EXPECT_EQ(Panel("eigenvalue"), "Eigenvalue : 1.2346E+01");
  EXPECT_TRUE(Checked("mnuElements_Plate"));
  EXPECT_FALSE(window->StatusBar1().Picture("editmode").isNull());
  EXPECT_EQ(globals::View().ViewMode, 0);
  EXPECT_EQ(globals::View().ViewZoom, 1.0f);
}

// A result, and the file it came from, belong to their model: whatever
// empties or replaces the model takes both off the screen, and Save no
// longer proposes the old file for the new model.
TEST_F(CommandRunTest, NewAndANewGirderShowNoResultAndNoFile) {
  Show();
  const fs::path file = folder.path() / "girder.inp";
  Generate();
  globals::Analysis().EigenValue = 6.19e-6f;
  files.QueueChoice(file.string());
  Trigger("mnuFile_SaveData");
  auto openFile = [&] {
    app::GlobalProjectHost saved(window.get());  // nothing to ask about
    app::MarkUnchanged(saved);
    files.QueueChoice(file.string());
    Trigger("mnuFile_Open");
    ASSERT_EQ(window->Caption(), "VELK V1.4.0:girder.inp");
    ASSERT_EQ(Panel("eigenvalue"), "Eigenvalue : 6.1900E-06") << "a small load is no 0.00";
  };
  auto expectNoFileNoResult = [&](const char* after) {
    EXPECT_EQ(window->Caption(), "VELK V1.4.0: No Title") << after;
    EXPECT_EQ(Panel("eigenvalue"), "") << after;
    files.QueueCancel();
    Trigger("mnuFile_SaveData");
    EXPECT_EQ(files.requests().back().fileName, "") << after;
  };
  openFile();
  Trigger("mnuFile_New");
  expectNoFileNoResult("New");

  // A new girder on the opened model, and on an empty one (no New runs).
  for (bool emptied : {false, true}) {
    openFile();
    if (emptied) {
      globals::Mesh() = model::Mesh();
      app::GlobalProjectHost saved(window.get());
      app::MarkUnchanged(saved);
    }
    if (!emptied) prompter.QueueAnswer(platform::Answer::Ok);  // "Existing Mesh will be destroyed!"
    app::GlobalGirderHost host(window.get());
    frmBeamShape dialog(host, globals::View(), window.get());
    dialog.show();
    dialog.cmdGenerate_Click();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    expectNoFileNoResult(emptied ? "a girder on an empty model" : "a girder");
  }

  // Open still names its file and shows its result, and Save proposes it.
  openFile();
  files.QueueCancel();
  Trigger("mnuFile_SaveData");
  EXPECT_EQ(files.requests().back().fileName, file.string());
}

// Save proposes the file the model was last opened from or saved to: the
// reports choose their names in the same dialog, and a file Open refused
// holds another model; writing the project over either would lose it.
TEST_F(CommandRunTest, SaveProposesTheProjectsFileNeverAReportsOrARefusedOne) {
  Show();
  Generate();
  const fs::path project = folder.path() / "girder.inp";
  files.QueueChoice(project.string());
  Trigger("mnuFile_SaveData");
  auto saveProposes = [&](const std::string& name, const char* after) {
    files.QueueCancel();
    Trigger("mnuFile_SaveData");
    EXPECT_EQ(files.requests().back().title, "Save As") << after;
    EXPECT_EQ(files.requests().back().fileName, name) << after;
  };
  files.QueueChoice((folder.path() / "grid.txt").string());
  Trigger("mnuFile_Report_Grid");
  saveProposes(project.string(), "the grid report");
  files.QueueChoice((folder.path() / "all.vkr").string());
  Trigger("mnuFile_ReportAll");
  EXPECT_EQ(files.requests().back().fileName, "") << "a report proposes no name";
  saveProposes(project.string(), "the full report");

  velk_test::WriteBytes(folder.path() / "bad.inp", "VELK Version\r\n 1.4 \r\n\"t\"\r\n");
  files.QueueChoice((folder.path() / "bad.inp").string());
  prompter.QueueAnswer(platform::Answer::Cancel);
  Trigger("mnuFile_Open");
  ASSERT_EQ(prompter.prompts().back(), "File Open Error!");
  saveProposes(project.string(), "a refused file");

  // A save refused (the name is a folder) leaves the project's name as it was.
  fs::create_directory(folder.path() / "folder.inp");
  files.QueueChoice((folder.path() / "folder.inp").string());
  Trigger("mnuFile_SaveData");
  ASSERT_EQ(prompter.prompts().back(), "File Error!");
  saveProposes(project.string(), "a refused save");
  EXPECT_EQ(window->Caption(), "VELK V1.4.0:girder.inp");
}

TEST_F(CommandRunTest, FailedOpenKeepsTheCaptionAndCancelShowsNothing) {
  Show();
  window->SetCaption("VELK V1.4.0:kept.inp");
  velk_test::WriteBytes(folder.path() / "bad.inp", "VELK Version\r\n 1.4 \r\n\"t\"\r\n");
  files.QueueChoice((folder.path() / "bad.inp").string());
  prompter.QueueAnswer(platform::Answer::Cancel);
  Trigger("mnuFile_Open");
  ASSERT_EQ(prompter.prompts().size(), 2u);
  EXPECT_EQ(prompter.messages()[0].title, "Disk Error");
  EXPECT_EQ(prompter.prompts()[1], "File Open Error!");
  EXPECT_EQ(window->Caption(), "VELK V1.4.0:kept.inp");
  EXPECT_TRUE(velk_test::IsEmptyMesh(globals::Mesh()));

  prompter.Clear();
  Generate();
  app::GlobalProjectHost saved(window.get());  // as if just saved: Open asks nothing
  app::MarkUnchanged(saved);
  files.QueueCancel();
  Trigger("mnuFile_Open");
  files.QueueCancel();
  Trigger("mnuFile_SaveData");
  EXPECT_TRUE(prompter.messages().empty());
  EXPECT_EQ(globals::Mesh().Nodes().Count(), 12);
  EXPECT_EQ(files.requests().back().title, "Save As");
}

TEST_F(CommandRunTest, EditModeCommandsClearTheSelectionAndCheckOneEntry) {
  Show();
  Generate();
  const struct {
    const char* entry;
    const char* key;
    int property, mesh;
  } modes[] = {{"mnuElements_Stiffener", "stiffener", 2, 2},
               {"mnuElements_Boundary", "boundary", 3, 1},
               {"mnuElements_Brace", "brace", 4, 1},
               {"mnuElements_Load", "load", 5, 1},
               {"mnuElements_Plate", "plate", 1, 3}};
  const char* entries[] = {"mnuElements_Plate", "mnuElements_Stiffener", "mnuElements_Boundary",
                           "mnuElements_Brace", "mnuElements_Load"};
  for (const auto& m : modes) {
    globals::Selection().Append(&globals::Mesh().Nodes().Item(1));
    // Clicked in the menu and from the toolbar: the same outcome.
    Trigger(m.entry);
    EXPECT_EQ(globals::Selection().SelectedCounter(), 0);
    EXPECT_EQ(globals::View().PropertyMode, m.property);
    EXPECT_EQ(globals::View().MeshMode, m.mesh);
    for (const char* e : entries) EXPECT_EQ(Checked(e), std::string(e) == m.entry) << e;
    EXPECT_EQ(window->StatusBar1().Picture("editmode").toImage(), window->ToolImage(m.key).toImage());
    commands->Toolbar1_ButtonClick(m.key);
    for (const char* e : entries) EXPECT_EQ(Checked(e), std::string(e) == m.entry) << e;
  }
}

TEST_F(CommandRunTest, BuckledShapeAndStressPlotExcludeEachOther) {
  Show();
  globals::View().OptionShowStress = 2;  // as an options file may bring it back
  window->Update();
  EXPECT_TRUE(Checked("mnuStressPlot"));
  Trigger("mnuResult_Show");
  EXPECT_TRUE(Checked("mnuResult_Show"));
  EXPECT_TRUE(globals::View().OptionShowResult);
  EXPECT_FALSE(Checked("mnuStressPlot"));
  EXPECT_EQ(globals::View().OptionShowStress, 0);
  Trigger("mnuResult_Show");
  EXPECT_FALSE(Checked("mnuResult_Show"));
  EXPECT_FALSE(globals::View().OptionShowResult);

  globals::View().OptionShowStress = 3;
  window->Update();
  Trigger("mnuStressPlot");
  EXPECT_FALSE(Checked("mnuStressPlot"));
  EXPECT_EQ(globals::View().OptionShowStress, 0);
}

TEST_F(CommandRunTest, HelpOpensTheHelpFileAtTheMenusTopic) {
  Show();
  Trigger("mnuVELKHelp");
  ASSERT_EQ(prompter.prompts().size(), 1u);
  EXPECT_NE(prompter.prompts()[0].find("No help file is installed"), std::string::npos);
  EXPECT_TRUE(helpRequests.empty());

  velk_test::WriteBytes(window->HelpFile(), "help");
  prompter.Clear();
  Trigger("mnuVELKHelp");
  ASSERT_EQ(helpRequests.size(), 1u);
  EXPECT_EQ(helpRequests[0].first, window->HelpFile());
  EXPECT_EQ(helpRequests[0].second, 0);

  // F1 in an open menu: the highlighted entry's topic, else the menu's.
  QMenu* view = window->findChild<QMenu*>("mnuView");
  ASSERT_NE(view, nullptr);
  view->popup(QPoint(10, 10));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
  view->setActiveAction(window->Action("mnuOption"));
  QTest::keyClick(view, Qt::Key_F1);
  view->setActiveAction(window->Action("mnuView_Refresh"));
  QTest::keyClick(view, Qt::Key_F1);
  view->hide();
  ASSERT_EQ(helpRequests.size(), 3u);
  EXPECT_EQ(helpRequests[1].second, 20240);
  EXPECT_EQ(helpRequests[2].second, 20230);
  EXPECT_TRUE(prompter.messages().empty());
}

// Copy, Paste and Delete Property from the menu, the pop-up menu and the
// toolbar, each reporting a failure under its command's label.
TEST_F(CommandRunTest, PropertyClipboardFromMenuPopupAndToolbar) {
  Show();
  Generate();  // stiffeners 1 to 3 are 12.5 x 0.75; node 5 has a brace and a load
  model::Mesh& mesh = globals::Mesh();
  app::Selection& s = globals::Selection();
  auto pick = [&s](std::initializer_list<app::SelectedItemRef> items) {
    s.ClearSelectedItem();
    for (const auto& item : items) s.Append(item);
  };

  Trigger("mnuElements_Stiffener");
  pick({&mesh.twoNodes().Item(1)});
  Trigger("mnuProperty_CopyProperty");
  pick({&mesh.twoNodes().Item(7), &mesh.twoNodes().Item(8)});
  Trigger("paste");
  EXPECT_EQ(mesh.twoNodes().Item(8).width(), 12.5f);
  EXPECT_EQ(mesh.twoNodes().Item(8).vID(), 5) << "renumbered";
  EXPECT_EQ(s.SelectedCounter(), 2);
  Trigger("mnuPopUp_DeleteProperty");
  EXPECT_EQ(mesh.twoNodes().Item(7).Thickness(), 0);
  EXPECT_EQ(mesh.twoNodes().MaxvID(), 3);
  EXPECT_EQ(s.SelectedCounter(), 0);

  Trigger("mnuElements_Brace");
  pick({&mesh.Nodes().Item(5)});
  Trigger("copy");
  pick({&mesh.Nodes().Item(6)});
  Trigger("mnuPopUp_PasteProperty");
  EXPECT_EQ(mesh.Nodes().Item(6).ZTStiff(), 1e5f);
  EXPECT_EQ(mesh.Nodes().Item(6).YLoad(), 0) << "only the brace group";
  Trigger("mnuProperty_DeleteProperty");
  EXPECT_EQ(mesh.Nodes().Item(6).ZTStiff(), 0);
  EXPECT_TRUE(prompter.messages().empty());

  // A list whose later entry is not of entry 1's kind fails, and no entry changes.
  Trigger("mnuElements_Boundary");
  pick({&mesh.Nodes().Item(1)});
  Trigger("mnuPopUp_CopyProperty");
  const struct {
    const char* entry;
    const char* label;
  } failing[] = {{"mnuProperty_PasteProperty", "Error..[Property Paste]"},
                 {"mnuPopUp_PasteProperty", "Error..[Property Paste]"},
                 {"paste", "Error..[Property Paste]"},
                 {"mnuProperty_DeleteProperty", "Error..[Property Delete]"},
                 {"mnuPopUp_DeleteProperty", "Error..[Property Delete]"},
                 {"delete", "Error..[Property Delete]"}};
  for (const auto& f : failing) {
    prompter.Clear();
    pick({&mesh.Nodes().Item(2), &mesh.fourNodes().Item(1)});
    Trigger(f.entry);
    EXPECT_EQ(prompter.prompts(), std::vector<std::string>{f.label}) << f.entry;
  }
  EXPECT_EQ(mesh.Nodes().Item(2).XTDir(), 0);
  EXPECT_EQ(mesh.fourNodes().Item(1).Thickness(), 0.3225f);
}

// View Option, Clipping and About VELK open their dialogs modally, from the
// menu bar and from the pop-up menu alike.
TEST_F(CommandRunTest, DisplayEntriesOpenTheirDialogs) {
  Show();
  std::vector<std::string> opened;
  QTimer closer;
  closer.setInterval(10);
  QObject::connect(&closer, &QTimer::timeout, [&opened] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      opened.push_back(d->objectName().toStdString() + "|" + d->windowTitle().toStdString());
      d->reject();
    }
  });
  closer.start();
  for (const char* entry : {"mnuOption", "mnuPopup_ViewOption", "mnuView_Clip", "mnuPopup_Clip",
                            "mnuHelp_About"})
    Trigger(entry);
  EXPECT_EQ(opened, (std::vector<std::string>{"frmOption|View Option", "frmOption|View Option",
                                              "frmClip|Clipping", "frmClip|Clipping",
                                              "frmAbout|About VELK"}));
  EXPECT_TRUE(prompter.messages().empty());
}

// Every entry of the menu bar and the pop-up menu and every toolbar button,
// on an empty model and on a generated one with a selection: nothing fails.
TEST_F(CommandRunTest, EveryCommandRunsOnEmptyAndGeneratedModels) {
  Show();
  ModalCloser closer;
  std::vector<QAction*> all;
  for (QAction* a : window->findChildren<QAction*>()) {
    if (a->isSeparator() || a->menu() || a->objectName().isEmpty()) continue;
    if (a->objectName() == "mnuFile_Exit") continue;
    // The node moves ask for numbers and report what does not fit; their own
    // tests answer them.
    if (a->parent() && a->parent()->objectName() == "mnuEditGeometry") continue;
    all.push_back(a);
  }
  ASSERT_GT(all.size(), 70u);
  for (int round = 0; round < 2; ++round) {
    for (QAction* a : all) {
      if (round == 1) {
        if (velk_test::IsEmptyMesh(globals::Mesh())) Generate();
        // What a click would pick in the current edit mode.
        if (globals::Selection().SelectedCounter() == 0) {
          switch (globals::View().MeshMode) {
            case 1: globals::Selection().Append(&globals::Mesh().Nodes().Item(5)); break;
            case 2: globals::Selection().Append(&globals::Mesh().twoNodes().Item(1)); break;
            default: globals::Selection().Append(&globals::Mesh().fourNodes().Item(1)); break;
          }
        }
      }
      a->trigger();
      QApplication::processEvents();
      ASSERT_FALSE(AnyFailureShown())
          << a->objectName().toStdString() << " round " << round << ": "
          << prompter.prompts().back();
    }
  }
  EXPECT_GT(closer.closed, 0) << "the dialogs of the commands were shown";

  prompter.QueueAnswer(platform::Answer::No);  // the changes are not saved
  Trigger("mnuFile_Exit");
  QApplication::processEvents();
  EXPECT_FALSE(window->isVisible());
}

// New, Read Data, the girder generation and closing the window put another
// model in place of the current one. When it has changed since it was last
// saved, opened or emptied, each asks first: Cancel stops the command, No
// goes on, Yes saves and goes on, and a save that is cancelled stops it.
TEST_F(CommandRunTest, UnsavedChangesAreAskedForBeforeNewReadGenerateAndClose) {
  const fs::path other = folder.path() / "other.inp";
  const fs::path saved = folder.path() / "saved.inp";
  {
    model::Analysis a;
    model::BeamShape b;
    model::Mesh m;
    model::Material mat;
    velk_test::BuildModel(m, a, b, mat);
    a.Title = "Other";
    velk_test::WriteBytes(other, velk_test::ModelBytes(a, b, m, mat));
  }
  enum class Reply { Cancel, No, Yes, YesButSaveCancelled };
  struct Command {
    const char* name;
    bool warnsFirst;  // the generator's "Existing Mesh will be destroyed!" comes first
    std::function<void()> run;
    std::function<bool()> wentOn;
  };
  // Each round answers its file dialogs from a script of its own.
  platform::ScriptedFileDialogBackend* dialogs = nullptr;
  bool generated = false;
  auto generate = [&] {
    app::GlobalGirderHost host(window.get());
    frmBeamShape dialog(host, globals::View(), window.get());
    dialog.show();
    dialog.cmdGenerate_Click();
    generated = dialog.result() == QDialog::Accepted;
  };
  const Command replacing[] = {
      {"New", false, [this] { Trigger("mnuFile_New"); },
       [] { return velk_test::IsEmptyMesh(globals::Mesh()); }},
      {"Read", false,
       [&] {
         dialogs->QueueChoice(other.string());
         Trigger("mnuFile_Open");
       },
       [] { return globals::Analysis().Title == "Other"; }},
      {"Generate", true, generate, [&] { return generated; }},
      {"Close", false, [this] { window->close(); }, [this] { return !window->isVisible(); }},
  };
  for (const Command& c : replacing) {
    for (Reply reply : {Reply::Cancel, Reply::No, Reply::Yes, Reply::YesButSaveCancelled}) {
      SCOPED_TRACE(std::string(c.name) + " reply " + std::to_string(static_cast<int>(reply)));
      window.reset();
      globals::ReleaseAll();
      window = std::make_unique<frmMenu>();
      commands = app::CommandSet::Of(*window);
      Show();
      std::filesystem::remove(saved);
      Generate();  // a change since start-up
      const std::string mine = velk_test::ModelBytes(globals::Analysis(), globals::BeamShape(),
                                                     globals::Mesh(), globals::Material());
      platform::ScriptedFileDialogBackend roundFiles;
      dialogs = &roundFiles;
      BoxScript boxes;
      if (c.warnsFirst) boxes.QueueAnswer(platform::Answer::Ok);
      if (reply == Reply::Cancel) boxes.QueueAnswer(platform::Answer::Cancel);
      if (reply == Reply::No) boxes.QueueAnswer(platform::Answer::No);
      if (reply == Reply::Yes || reply == Reply::YesButSaveCancelled) {
        boxes.QueueAnswer(platform::Answer::Yes);
        if (reply == Reply::Yes)
          roundFiles.QueueChoice(saved.string());
        else
          roundFiles.QueueCancel();
      }
      generated = false;
      c.run();
      QApplication::processEvents();

      const auto prompts = boxes.prompts();
      EXPECT_EQ(std::count(prompts.begin(), prompts.end(), std::string(app::kSaveChangesPrompt)), 1);
      const bool goesOn = reply == Reply::No || reply == Reply::Yes;
      EXPECT_EQ(c.wentOn(), goesOn);
      if (!goesOn) {
        EXPECT_EQ(velk_test::ModelBytes(globals::Analysis(), globals::BeamShape(), globals::Mesh(),
                                        globals::Material()),
                  mine);
      }
      EXPECT_EQ(std::filesystem::exists(saved), reply == Reply::Yes);
      if (reply == Reply::Yes) {
        EXPECT_EQ(velk_test::ReadBytes(saved), mine);
      }
      for (const auto& p : prompts) EXPECT_NE(p.rfind("Error", 0), 0u) << p;
    }
  }

  // Once saved, or just after start-up, nothing is asked.
  window.reset();
  globals::ReleaseAll();
  window = std::make_unique<frmMenu>();
  commands = app::CommandSet::Of(*window);
  Show();
  prompter.Clear();
  Trigger("mnuFile_New");
  Generate();
  files.QueueChoice(saved.string());
  Trigger("mnuFile_SaveData");
  prompter.QueueAnswer(platform::Answer::Ok);
  generate();
  EXPECT_TRUE(generated);
  EXPECT_EQ(prompter.prompts(), std::vector<std::string>{"Existing Mesh will be destroyed!"});
}

}  // namespace
