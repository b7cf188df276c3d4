// The main window in a real (virtual) display: start-up, the interface
// state, resize, the font lists, close, and a generated model on the screen.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QRubberBand>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>

#include "app/Globals.h"
#include "app/MouseModes.h"
#include "app/OptionsFile.h"
#include "app/ProgramPaths.h"
#include "app/Selection.h"
#include "app/frmMenu.h"
#include "dialogs/frmStress.h"
#include "model/Analysis.h"
#include "model/Mesh.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeError.h"
#include "platform/qt/CommonDialog.h"
#include "platform/qt/GLSurface.h"
#include "platform/qt/KeyedStatusBar.h"
#include "tests/app/AppTestSupport.h"
#include "tests/model/MeshTestSupport.h"
#include "tests/platform/FileTestSupport.h"
#include "view/View.h"

namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { globals::ReleaseAll(); }
  void TearDown() override {
    window.reset();
    globals::ReleaseAll();
  }

  void Create() { window = std::make_unique<frmMenu>(); }
  void Show() {
    window->StartUp();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QApplication::processEvents();
  }
  std::vector<std::string> Prompts() const { return prompter.prompts(); }

  velk_test::ScratchProgramFolder folder;
  platform::ScriptedPrompter prompter;
  std::unique_ptr<frmMenu> window;
};

// A two-by-one plate panel over [0, 120] x [0, 48] with its stiffeners;
// plate 1 is the thickest.
void GenerateModel(model::Mesh& mesh) {
  velk_test::GenerateGrid(mesh, 0, 0, 0, 48, 120, 0, 120, 48, 3, 2);
  mesh.twoNodes().GenerateCP();
  mesh.fourNodes().GenerateCP();
  mesh.fourNodes().Item(1).set_Thickness(1.0f);
  mesh.fourNodes().Item(2).set_Thickness(0.5f);
  for (auto& p : mesh.fourNodes()) p.UpdatePropertyDefined();
  mesh.fourNodes().UpdateMaxThickness();
  mesh.fourNodes().GeneratevID();
  mesh.Nodes().GeneratevID(mesh.fourNodes(), mesh.twoNodes());
}

// The colour of the framebuffer pixel under a window point (y from the bottom).
QColor PixelAt(const QImage& image, float winx, float winy) {
  const int col = static_cast<int>(winx);
  const int row = image.height() - 1 - static_cast<int>(winy);
  return image.pixelColor(col, row);
}

TEST_F(MainWindowTest, StartsWithTheCaptionEmptyPanelsAndTheStartModes) {
  Create();
  // The first start has no options file yet.
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Error: Reading INI file!"});
  EXPECT_EQ(window->HelpFile(), folder.path() / "velk1_4help.chm");
  const auto& bar = window->StatusBar1();
  EXPECT_EQ(bar.Keys(), (std::vector<std::string>{"x", "y", "eigenvalue", "editmode",
                                                  "operationmode", "viewscale"}));
  EXPECT_EQ(bar.ToolTip("eigenvalue"), "Eigenvalue");
  EXPECT_EQ(bar.ToolTip("operationmode"), "Operation Mode");
  EXPECT_EQ(globals::View().MeshMode, 3);
  EXPECT_EQ(globals::View().PropertyMode, 1);

  Show();
  EXPECT_EQ(window->Caption(), "VELK V1.4.0: No Title");
  // The view paints through the window.
  const unsigned long frames = window->FramesDrawn();
  globals::View().Refresh();
  EXPECT_EQ(window->FramesDrawn(), frames + 1);
  for (const std::string& key : bar.Keys()) EXPECT_EQ(bar.Text(key), "") << key;
  EXPECT_TRUE(bar.Picture("editmode").isNull());
  EXPECT_TRUE(window->HasContext());
  EXPECT_EQ(Prompts().size(), 1u);
}

// A panel's text is shown whole when its label is at least as wide as the
// text needs and lies wholly inside the status bar.
void ExpectWholeText(const platform::qt::KeyedStatusBar& bar, const std::string& text) {
  const QLabel* shown = nullptr;
  for (const QLabel* label : bar.findChildren<QLabel*>())
    if (label->text() == QString::fromStdString(text)) shown = label;
  ASSERT_NE(shown, nullptr) << text;
  EXPECT_TRUE(shown->isVisibleTo(&bar)) << text;
  EXPECT_GE(shown->width(), shown->sizeHint().width()) << text;
  const QRect inBar(shown->mapTo(&bar, QPoint(0, 0)), shown->size());
  EXPECT_TRUE(bar.rect().contains(inBar)) << text;
}

// Resizes a top-level window and waits until the window system has carried
// the size out, so that no late notice of an earlier size follows.
void ResizeWindow(QWidget& window, QSize size) {
  window.resize(size);
  const QSize granted = window.size();  // within the window's minimum size
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.windowHandle()->geometry().size() == granted; }));
  QApplication::processEvents();
}

// Where the six panels lie in the status bar, left to right.
std::vector<QRect> PanelPlaces(const platform::qt::KeyedStatusBar& bar) {
  std::vector<QRect> places;
  for (const QFrame* frame : bar.findChildren<QFrame*>(Qt::FindDirectChildrenOnly))
    places.push_back(frame->geometry());
  return places;
}

TEST_F(MainWindowTest, StatusPanelsHoldTheirLongestTextsWholeAtAnySize) {
  Create();
  Show();
  auto& bar = window->StatusBar1();
  ASSERT_EQ(PanelPlaces(bar).size(), 6u);
  // The longest text of each panel, and every mode name.
  const std::vector<std::pair<std::string, std::vector<std::string>>> texts = {
      {"x", {"X: -99999.99"}},
      {"y", {"Y: -99999.99"}},
      {"eigenvalue", {"Eigenvalue : -9.9999E+99", "Eigenvalue : -12345.67"}},
      {"operationmode",
       {"SELECT", "TRANSLATE", "ROTATE:X/Y", "ZOOM:IN/OUT", "Move to Center", "ZOOM IN/Center",
        "ZOOM OUT/Center", "Create BMP"}},
      {"viewscale", {"ACTUAL VIEW", "FIT VIEW"}},
  };
  const QSize startSize = window->size();
  for (const QSize size : {startSize, QSize(320, 240), QSize(1600, 900), startSize}) {
    for (const auto& [key, list] : texts) bar.SetText(key, "");
    bar.SetPicture("editmode", QPixmap());
    ResizeWindow(*window, size);
    SCOPED_TRACE(std::to_string(window->width()) + " x " + std::to_string(window->height()));
    EXPECT_LE(bar.width(), window->width());
    const std::vector<QRect> empty = PanelPlaces(bar);
    // The panels keep their places whatever they show: each is already as
    // wide as its longest text.
    for (size_t i = 0; i < 8; ++i) {  // the longest list has eight texts
      for (const auto& [key, list] : texts) bar.SetText(key, list[std::min(i, list.size() - 1)]);
      bar.SetPicture("editmode", window->ToolImage("stiffener"));
      QApplication::processEvents();
      for (const auto& [key, list] : texts) ExpectWholeText(bar, bar.Text(key));
      EXPECT_EQ(PanelPlaces(bar), empty);
    }
  }
}

TEST_F(MainWindowTest, StartUpReadsTheOptionsFile) {
  {
    model::Analysis a;
    view::View v;
    a.MaxShift = 6;
    v.OptionFontSize = 14;
    app::Save_Option(folder.ini(), a, v);
  }
  Create();
  EXPECT_TRUE(Prompts().empty());
  EXPECT_EQ(globals::Analysis().MaxShift, 6);
  EXPECT_EQ(window->FontSize(), 14);
}

TEST_F(MainWindowTest, UpdateOnAHiddenWindowLeavesThePanelsAlone) {
  Create();
  model::Mesh& mesh = globals::Mesh();
  GenerateModel(mesh);
  auto& bar = window->StatusBar1();
  bar.SetText("operationmode", "ROTATE:X/Y");
  window->SetCaption("kept");
  globals::Selection().Append(&mesh.Nodes().Item(1));
  globals::View().MeshMode = 1;
  globals::View().PropertyMode = 4;
  window->ButtonReleased = 0;
  window->MouseMoved = 1;

  window->Update();
  EXPECT_EQ(globals::View().MeshMode, 3);
  EXPECT_EQ(globals::View().PropertyMode, 1);
  EXPECT_EQ(globals::Selection().SelectedCounter(), 0);
  EXPECT_EQ(window->ButtonReleased, 1);
  EXPECT_EQ(window->MouseMoved, 0);
  EXPECT_EQ(bar.Text("operationmode"), "ROTATE:X/Y");
  EXPECT_EQ(window->Caption(), "kept");
}

TEST_F(MainWindowTest, UpdateOnTheVisibleWindowResetsPanelsCaptionAndChecks) {
  Create();
  QAction result("Show Buckled Shape", window.get());
  QAction stress("Stress Plot", window.get());
  result.setCheckable(true);
  stress.setCheckable(true);
  result.setChecked(true);
  window->RegisterAction("mnuResult_Show", &result);
  window->RegisterAction("mnuStressPlot", &stress);
  Show();

  auto& bar = window->StatusBar1();
  bar.SetText("x", "X: 1.00");
  bar.SetText("operationmode", "TRANSLATE");
  bar.SetText("viewscale", "FIT VIEW");
  window->SetCaption("VELK V1.4.0:a.inp");
  globals::View().OptionShowResult = false;
  globals::View().OptionShowStress = 2;
  window->Update();
  EXPECT_EQ(bar.Text("x"), "");
  EXPECT_EQ(bar.Text("eigenvalue"), "Eigenvalue : 0.0000E+00");
  EXPECT_EQ(bar.Text("operationmode"), "SELECT");
  EXPECT_EQ(bar.Text("viewscale"), "ACTUAL VIEW");
  EXPECT_EQ(window->Caption(), "VELK V1.4.0: No Title");
  EXPECT_FALSE(result.isChecked());
  EXPECT_TRUE(stress.isChecked());

  // The run's own form, so that a small or large buckling load reads as the
  // run showed it, with the run's note where it did not converge.
  globals::Analysis().EigenValue = 6.19e-6f;
  window->Update();
  EXPECT_EQ(bar.Text("eigenvalue"), "Eigenvalue : 6.1900E-06");
  globals::Analysis().EigenValue = 1.0220339e8f;
  globals::Analysis().EigenValueNotConverged = true;
  window->Update();
  EXPECT_EQ(bar.Text("eigenvalue"), "Eigenvalue : 1.0220E+08 (did not converge)");
}

TEST_F(MainWindowTest, UpdateToolBarChecksTheEditModeAndShowsItsPicture) {
  Create();
  const char* names[] = {"mnuElements_Plate", "mnuElements_Stiffener", "mnuElements_Boundary",
                         "mnuElements_Brace", "mnuElements_Load"};
  std::vector<std::unique_ptr<QAction>> actions;
  for (const char* n : names) {
    actions.push_back(std::make_unique<QAction>(n));
    actions.back()->setCheckable(true);
    actions.back()->setChecked(true);
    window->RegisterAction(n, actions.back().get());
  }
  QPixmap boundary(16, 16);
  boundary.fill(Qt::red);
  window->SetToolImage("boundary", boundary);

  globals::View().PropertyMode = 3;
  window->updateToolBar();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(actions[i]->isChecked(), i == 2) << names[i];
  EXPECT_EQ(window->StatusBar1().Picture("editmode").cacheKey(), boundary.cacheKey());

  globals::View().PropertyMode = 7;
  window->updateToolBar();
  for (auto& a : actions) EXPECT_FALSE(a->isChecked());
  EXPECT_EQ(window->StatusBar1().Picture("editmode").cacheKey(), boundary.cacheKey());
}

TEST_F(MainWindowTest, ResizeFitsTheViewOnlyInActualViewAndNotWhenMinimised) {
  GenerateModel(globals::Mesh());
  Create();
  Show();
  view::View& v = globals::View();
  const int w = static_cast<int>(window->ScaleWidth());
  const int h = static_cast<int>(window->ScaleHeight());
  ASSERT_GT(w, 0);
  ASSERT_GT(h, 0);

  v.ScreenMode = 0;
  v.SLimitX0 = 12345;
  window->Form_Resize(0, h);  // minimised
  window->Form_Resize(w, 0);
  EXPECT_EQ(v.SLimitX0, 12345);
  window->Form_Resize(w, h);
  EXPECT_NE(v.SLimitX0, 12345);  // limits recomputed
  EXPECT_EQ(v.lastViewport[2], w);  // and repainted at once
  EXPECT_EQ(v.lastViewport[3], h);

  v.ScreenMode = 1;
  v.SLimitX0 = 12345;
  window->Form_Resize(w, h);
  EXPECT_EQ(v.SLimitX0, 12345);
}

// The width in pixels that the font lists draw a text with.
int DrawnWidth(frmMenu& window, const char* text) {
  platform::qt::GLSurface* s = window.Surface();
  s->makeCurrent();
  const int w = s->DeviceWidth();
  const int h = s->DeviceHeight();
  glViewport(0, 0, w, h);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, w, 0, h, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glColor3f(0, 0, 0);
  glRasterPos2i(10, 100);
  glCallLists(static_cast<GLsizei>(strlen(text)), GL_UNSIGNED_BYTE, text);
  std::vector<unsigned char> pixels(static_cast<size_t>(w) * 200 * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, w, 200, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glEnable(GL_DEPTH_TEST);
  int left = w, right = -1;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < w; ++x)
      if (pixels[(static_cast<size_t>(y) * w + x) * 4] < 128) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
  s->doneCurrent();
  return right < left ? 0 : right - left + 1;
}

TEST_F(MainWindowTest, FontListsExistAndFollowTheFontSize) {
  Create();
  Show();
  platform::qt::GLSurface* s = window->Surface();
  s->makeCurrent();
  for (GLuint list = 1000; list < 1256; ++list) ASSERT_EQ(glIsList(list), GL_TRUE) << list;
  EXPECT_FALSE(glIsList(1256));
  GLint base = 0;
  glGetIntegerv(GL_LIST_BASE, &base);
  EXPECT_EQ(base, 1000);
  s->doneCurrent();

  window->UpdateFont(10);
  const int small = DrawnWidth(*window, "WWWW");
  window->UpdateFont(20);
  const int large = DrawnWidth(*window, "WWWW");
  EXPECT_EQ(window->FontSize(), 20);
  EXPECT_GT(small, 10);
  EXPECT_GT(large, small * 3 / 2);
}

// A modeless window that repaints the view as it closes, as the stress
// plot window does.
class RepaintingWindow : public QWidget {
 public:
  explicit RepaintingWindow(frmMenu& main) : main_(main) {}
  bool hadContextAtClose = false;
  bool closed = false;

 protected:
  void closeEvent(QCloseEvent* e) override {
    closed = true;
    hadContextAtClose = main_.HasContext();
    globals::View().OptionShowStress = 0;
    globals::View().Refresh();
    e->accept();
  }

 private:
  frmMenu& main_;
};

// The window's stress plot window, and how it closed.
struct WatchedStressWindow {
  explicit WatchedStressWindow(frmMenu& main) : window(new frmStress(globals::View(), &main)) {
    QObject::connect(window, &frmStress::unloaded, [this, &main] {
      closed = true;
      hadContextAtClose = main.HasContext();
    });
    main.SetStressWindow(window);
  }
  frmStress* window;
  bool closed = false;
  bool hadContextAtClose = false;
};

TEST_F(MainWindowTest, CloseWritesTheOptionsAndReleasesTheContextLast) {
  GenerateModel(globals::Mesh());
  Create();
  WatchedStressWindow stress(*window);
  RepaintingWindow listing(*window);
  window->SetPropertyViewWindow(&listing);
  Show();
  stress.window->show();
  listing.show();
  EXPECT_TRUE(window->StressWindowShown());
  globals::View().OptionFontSize = 16;

  window->close();
  EXPECT_TRUE(stress.closed);
  EXPECT_TRUE(listing.closed);
  EXPECT_TRUE(stress.hadContextAtClose);
  EXPECT_TRUE(listing.hadContextAtClose);
  EXPECT_FALSE(window->HasContext());
  EXPECT_EQ(window->Surface(), nullptr);
  window->Paint();  // nothing left to draw with, and no harm
  ASSERT_TRUE(std::filesystem::exists(folder.ini()));
  const auto lines = velk_test::ReadLines(folder.ini());
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(velk_test::ReplaceField(lines[7], 3, "16"), lines[7]);
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Error: Reading INI file!"});
}

TEST_F(MainWindowTest, CloseWritesTheOptionsFileTwice) {
  Create();
  WatchedStressWindow stress(*window);  // neither is open
  RepaintingWindow listing(*window);
  window->SetPropertyViewWindow(&listing);
  Show();
  app::SetProgramFolder(folder.path() / "gone");  // a folder that does not exist
  window->close();
  EXPECT_FALSE(stress.closed);  // a window that is not open stays closed
  EXPECT_FALSE(listing.closed);
  EXPECT_EQ(Prompts(), (std::vector<std::string>{"Error: Reading INI file!",
                                                 "Error: Saving INI file!",
                                                 "Error: Saving INI file!"}));
}

// A window that goes without its close handler (the tests, the end of the
// program after a failed close) leaves its surface nothing to call: the
// surface goes only after the window's members, and its callbacks reach them.
TEST_F(MainWindowTest, TheSurfaceCallsNoWindowThatIsGone) {
  Create();
  Show();
  platform::qt::GLSurface* surface = window->Surface();
  ASSERT_NE(surface, nullptr);
  ASSERT_TRUE(surface->onPaint && surface->onResize && surface->onMouse && surface->onInitialise);
  // Kept past the window, to look at what it holds once the window is gone.
  surface->setParent(nullptr);
  const std::unique_ptr<platform::qt::GLSurface> kept(surface);
  window.reset();
  EXPECT_FALSE(kept->onPaint);
  EXPECT_FALSE(kept->onResize);
  EXPECT_FALSE(kept->onMouse);
  EXPECT_FALSE(kept->onInitialise);
}

TEST_F(MainWindowTest, DrawsAGeneratedModelAndPicksOnIt) {
  model::Mesh& mesh = globals::Mesh();
  GenerateModel(mesh);
  Create();
  view::View& v = globals::View();
  v.Initialization(mesh.Nodes());
  v.OptionShowCoordinate = false;
  Show();
  window->Paint();
  const QImage image = window->Surface()->grabFramebuffer();
  ASSERT_FALSE(image.isNull());
  const app::PickMatrices m = app::LastPaintMatrices(v);
  ASSERT_EQ(m.viewport[2], image.width());
  ASSERT_EQ(m.viewport[3], image.height());

  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  app::Project_Point(m, mesh.fourNodes().Item(1).CPX(), mesh.fourNodes().Item(1).CPY(), x1, y1);
  app::Project_Point(m, mesh.fourNodes().Item(2).CPX(), mesh.fourNodes().Item(2).CPY(), x2, y2);
  const QColor thick = PixelAt(image, x1, y1);
  const QColor thin = PixelAt(image, x2, y2);
  // Fill (1, 1, 1 - 0.3 t / tmax): 0.7 for the thickest plate, 0.85 for half of it.
  EXPECT_EQ(thick.red(), 255);
  EXPECT_EQ(thick.green(), 255);
  EXPECT_NEAR(thick.blue(), 0.7 * 255, 2);
  EXPECT_EQ(thin.red(), 255);
  EXPECT_NEAR(thin.blue(), 0.85 * 255, 2);
  // Outside the model the background stays white.
  const QColor corner = image.pixelColor(2, 2);
  EXPECT_EQ(corner, QColor(Qt::white));

  // Read-backs of the last frame, with the view's context made current.
  const int col = static_cast<int>(x1), row = static_cast<int>(y1);
  const float depth = window->ReadPixelDepth(col, row);
  EXPECT_GT(depth, 0.1f);
  EXPECT_LT(depth, 0.9f);
  EXPECT_FLOAT_EQ(window->ReadPixelDepth(2, 2), 1.0f);  // cleared background
  float blue = 0, red = 0;
  window->ReadPixelBlueRed(col, row, blue, red);
  EXPECT_NEAR(blue, 0.7f, 0.01f);
  EXPECT_FLOAT_EQ(red, 1.0f);

  // The rubber box: drawn, drawn again to take it away, and gone at a paint.
  auto* box = window->Surface()->findChild<QRubberBand*>();
  ASSERT_NE(box, nullptr);
  window->DrawFocusRect(10, 10, 60, 40);
  EXPECT_TRUE(box->isVisible());
  window->DrawFocusRect(10, 10, 60, 40);
  EXPECT_FALSE(box->isVisible());
  window->DrawFocusRect(10, 10, 60, 40);
  window->Paint();
  EXPECT_FALSE(box->isVisible());

  // Every Paint is a finished frame on return, however quickly they follow
  // each other.
  const unsigned long frames = window->FramesDrawn();
  v.ViewZoom = 2;
  window->Paint();
  const double zoomedScale = v.lastModelview[0];
  v.ViewZoom = 1;
  window->Paint();
  EXPECT_EQ(window->FramesDrawn(), frames + 2);
  EXPECT_NEAR(zoomedScale, 2 * v.lastModelview[0], 1e-9 * std::abs(zoomedScale));

  // A click on plate 2's centre, in mouse coordinates, takes plate 2.
  const float mouseY = static_cast<float>(m.viewport[3]) - y2 + 1;
  globals::Selection().SelectItemOne(mesh, v.MeshMode, app::LastPaintMatrices(v), x2, mouseY);
  ASSERT_EQ(globals::Selection().SelectedCounter(), 1);
  EXPECT_EQ(app::AsPlate(globals::Selection().Item(1)), &mesh.fourNodes().Item(2));
  window->Paint();  // the selection cross draws without a failure
  QApplication::processEvents();

  // The same through the mouse: the surface hands its events on in device
  // pixels, and a Shift-click in select mode adds the other plate.
  platform::qt::GLSurface* s = window->Surface();
  const QPointF at1 = s->ToLogical(QPointF(x1, m.viewport[3] - y1 + 1));
  QTest::mouseClick(s, Qt::LeftButton, Qt::ShiftModifier, at1.toPoint());
  ASSERT_EQ(globals::Selection().SelectedCounter(), 2);
  EXPECT_EQ(app::AsPlate(globals::Selection().Item(2)), &mesh.fourNodes().Item(1));
  QApplication::processEvents();
  EXPECT_EQ(Prompts().size(), 1u);  // only the missing options file
}

TEST_F(MainWindowTest, APaintFailureIsShownOnceAfterTheFrame) {
  model::Mesh& mesh = globals::Mesh();
  GenerateModel(mesh);
  Create();
  view::View& v = globals::View();
  v.Initialization(mesh.Nodes());
  Show();
  prompter.Clear();
  // The shaded pass cannot place a node whose ID lies outside the collection.
  globals::Analysis().EigenValue = 1;  // a result to shade
  v.OptionShowResult = true;
  v.OptionShading = true;
  model::Nodeb& node = mesh.Nodes().Item(1);
  const int32_t id = node.ID();
  node.set_ID(999);

  window->Paint();
  EXPECT_TRUE(Prompts().empty());  // never from inside the paint
  QApplication::processEvents();
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Error..[Draw Result]"});
  window->Paint();
  window->Paint();
  QApplication::processEvents();
  EXPECT_EQ(Prompts().size(), 1u);  // not again while frames keep failing

  node.set_ID(id);
  window->Paint();
  QApplication::processEvents();
  EXPECT_EQ(Prompts().size(), 1u);
  node.set_ID(999);
  window->Paint();
  QApplication::processEvents();
  EXPECT_EQ(Prompts().size(), 2u);  // a clean frame came in between
}

// A box dragged in the "Create BMP" mode is saved as a bitmap of exactly
// the pixels the window shows there.
TEST_F(MainWindowTest, TheBitmapBoxSavesWhatTheWindowShows) {
  platform::ScriptedFileDialogBackend files;  // before the window's commands
  model::Mesh& mesh = globals::Mesh();
  GenerateModel(mesh);
  Create();
  view::View& v = globals::View();
  v.Initialization(mesh.Nodes());
  Show();
  prompter.Clear();
  window->Paint();
  const QImage shown = window->Surface()->grabFramebuffer();
  const app::PickMatrices m = app::LastPaintMatrices(v);
  const int frameHeight = m.viewport[3];
  ASSERT_EQ(shown.height(), frameHeight);

  // A box around the centre of plate 1, dragged from its lower right corner.
  float cx = 0, cy = 0;
  app::Project_Point(m, mesh.fourNodes().Item(1).CPX(), mesh.fourNodes().Item(1).CPY(), cx, cy);
  const int left = static_cast<int>(cx) - 20, top = frameHeight - static_cast<int>(cy) - 15;
  const int width = 40, height = 30;
  const std::filesystem::path file = folder.path() / "view.bmp";
  files.QueueChoice(file.string());
  v.ViewMode = 6;
  app::Form_MouseDown(*window, 1, 0, left + width, top + height);
  app::Form_MouseMove(*window, 1, 0, left, top);
  app::Form_MouseUp(*window, 1, 0, left, top);
  QApplication::processEvents();
  EXPECT_TRUE(Prompts().empty());
  ASSERT_EQ(files.requests().size(), 1u);
  const platform::FileDialogRequest& r = files.requests()[0];
  EXPECT_EQ(r.kind, platform::DialogKind::Save);
  EXPECT_EQ(r.title, "Save Bitmap");
  EXPECT_EQ(r.filter, "All Files (*.*)|*.*|VELK Graphic Interface Files(*.bmp)|*.bmp");
  EXPECT_EQ(r.filterIndex, 2);
  EXPECT_EQ(r.flags, 6);

  const std::string b = velk_test::ReadBytes(file);
  const int W = width + 1, H = height, R = (3 * W + 3) / 4 * 4;
  ASSERT_EQ(b.size(), static_cast<size_t>(58 + R * H));
  // Row j of the file is window row frameHeight - (top + height) + 1 + j,
  // counted from the bottom.
  const int lowestRow = frameHeight - (top + height) + 1;
  int plateFill = 0;
  for (int j = 0; j < H; ++j)
    for (int i = 0; i < W; ++i) {
      const QColor c = shown.pixelColor(left + i, frameHeight - 1 - (lowestRow + j));
      const size_t p = 58 + static_cast<size_t>(j) * R + 3 * i;
      ASSERT_EQ(QColor(static_cast<unsigned char>(b[p + 2]), static_cast<unsigned char>(b[p + 1]),
                       static_cast<unsigned char>(b[p])),
                c)
          << i << "," << j;
      // The thickest plate's fill.
      if (c.red() == 255 && c.green() == 255 && std::abs(c.blue() - 178) <= 2) ++plateFill;
    }
  EXPECT_GT(plateFill, W * H / 2);

  // A cancelled dialog writes nothing and says nothing; a file that cannot
  // be written says so.
  std::filesystem::remove(file);
  files.QueueCancel();
  app::Form_MouseDown(*window, 1, 0, 10, 10);
  app::Form_MouseUp(*window, 1, 0, 30, 30);
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_TRUE(Prompts().empty());
  files.QueueChoice((folder.path() / "missing" / "view.bmp").string());
  app::Form_MouseDown(*window, 1, 0, 10, 10);
  app::Form_MouseUp(*window, 1, 0, 30, 30);
  EXPECT_EQ(Prompts(), std::vector<std::string>{"Error: Saving Operation Failed!"});
  EXPECT_EQ(files.requests().size(), 3u);
}

// What the view asks of its host about files and waiting, the main window
// answers with the program's "Disk Error" box and the hourglass pointer.
TEST_F(MainWindowTest, TheViewsDiskErrorsAndHourglassAreTheProgramsOwn) {
  Create();
  prompter.Clear();
  prompter.QueueAnswer(platform::Answer::Retry);
  EXPECT_TRUE(window->RetryAfterFileError(platform::kErrDiskFull));
  prompter.QueueAnswer(platform::Answer::Cancel);
  EXPECT_FALSE(window->RetryAfterFileError(platform::kErrDeviceIO));
  EXPECT_FALSE(window->RetryAfterFileError(platform::kErrOverflow));  // not a file error: no box
  EXPECT_FALSE(window->RetryAfterFileError(platform::kErrPermissionDenied));  // no retry mends it: no box
  ASSERT_EQ(prompter.messages().size(), 2u);
  EXPECT_EQ(prompter.messages()[0].title, "Disk Error");
  EXPECT_EQ(prompter.messages()[0].prompt, "Disk is full. Continue?");

  window->SetBusyPointer(true);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  window->SetBusyPointer(false);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
