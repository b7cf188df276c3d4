#pragma once
// The main window: the OpenGL view as its client area, the menu bar, the
// hidden pop-up menu, the toolbar and the keyed status bar. It hosts the 3D
// view (ViewHost) and runs start-up, resize and close. Menus, toolbar and
// mouse modes are filled in by app/CommandSet.h and app/MouseModes.h.
// frmMenu.cpp holds the window and its indicators, frmMenuFrame.cpp paint,
// resize and the read-back of the frame, frmMenuLoadUnload.cpp start-up and
// close.
#include <QMainWindow>
#include <QPixmap>
#include <QPointer>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/ModelChanges.h"
#include "platform/qt/CommonDialog.h"
#include "view/BitmapExport.h"
#include "view/ViewHost.h"

class QAction;
class QMenu;
class QToolBar;
class QRubberBand;
class frmStress;

namespace platform::qt {
class KeyedStatusBar;
class GLSurface;
}  // namespace platform::qt

class frmMenu : public QMainWindow, public view::ViewHost, public view::FrameSource {
  Q_OBJECT

 public:
  // Builds the window and runs the load handler (the window is still hidden).
  explicit frmMenu(QWidget* parent = nullptr);
  ~frmMenu() override;

  // --- ViewHost: drawing area size in device pixels, synchronous paint,
  // status panels, the stress window, file errors and the busy pointer.
  double ScaleWidth() const override;
  double ScaleHeight() const override;
  void Paint() override;  // a whole frame, drawn and swapped before it returns
  void SetPanelText(const std::string& key, const std::string& text) override;
  bool StressWindowShown() const override;
  void ShowMaxMin(float maxS, float minS) override;
  void ShowStress(float stressValue) override;
  bool RetryAfterFileError(int errorNumber) override;  // app's FileErrors
  void SetBusyPointer(bool busy) override;             // the override cursor

  // The paint handler: draws the frame into the current context; false when
  // it failed, and the frame on the screen stays as it was. Only the surface
  // calls it from its paint; everyone else calls Paint().
  bool Form_Paint();
  // Sets the window's font size (points) and rebuilds the font lists.
  void UpdateFont(short size);
  short FontSize() const { return fontSize_; }

  // Resets the interaction state (and, when visible, the panels, caption and
  // the result check marks).
  void Update();
  // Checks the Elements entry of View.PropertyMode and shows its picture.
  void updateToolBar();
  // Re-fits the viewport (and, in actual view, the limits and projection).
  void Form_Resize();
  void Form_Resize(int width, int height);  // with the client size given

  void SetCaption(const std::string& caption);
  std::string Caption() const;
  // The model was emptied or replaced by one of no file and no result: the
  // eigenvalue panel goes back to its starting text, the caption names no
  // file, and Save proposes no file name.
  void ShowNewModel();
  // A run has stored its stresses: the view and the stress window show them.
  void StressesStored();
  // A run has stored its result: this model is the one it belongs to.
  void ResultStored();
  // A run has ended, however it ended: the view shows what the model holds.
  void RunEnded();
  // Shows whether the result belongs to the model as it stands: the
  // eigenvalue panel, the result windows' captions and read-outs. Every
  // command ends with it, since any of them may have changed the model.
  void ShowResultState();
  // The model holds a result and differs from the one it was found for.
  bool ChangedSinceRun();
  // The model holds stresses a stress plot can show: a run's result, or what
  // a run stored before it was cancelled or failed.
  bool HoldsStresses() const;

  // The project file Save proposes (app/ProjectFile.h); empty for none.
  const std::string& ProjectFileName() const { return projectFileName_; }
  void SetProjectFileName(const std::string& name) { projectFileName_ = name; }

  // The model as last saved, opened or emptied, against which New, Read
  // Data, the girder generation and closing tell unsaved changes.
  app::ModelChanges& Changes() { return changes_; }

  // --- Containers the commands fill.
  platform::qt::KeyedStatusBar& StatusBar1() { return *statusBar_; }
  QMenu* mnuPopup() { return popup_; }
  QToolBar* Toolbar1() { return toolbar_; }
  // Menu entries by their names ("mnuElements_Plate"), for the code that
  // checks and unchecks them. Action() is null for a name not registered.
  void RegisterAction(const std::string& name, QAction* action);
  QAction* Action(const std::string& name) const;
  // The image list iglTool, by key.
  void SetToolImage(const std::string& key, const QPixmap& image);
  QPixmap ToolImage(const std::string& key) const;
  // Opens the pop-up menu at a point of the drawing area (device pixels).
  void ShowPopupMenu(float x, float y);

  // --- Modeless windows while they are open (app/ResultWindows.h), closed
  // by the close handler before the view's context goes.
  void SetPropertyViewWindow(QWidget* window) { propertyView_ = window; }
  QWidget* PropertyViewWindow() const { return propertyView_; }
  void SetStressWindow(frmStress* window);
  frmStress* StressWindow() const;

  // --- Mouse-gesture flags of the mouse modes.
  int ButtonReleased = 1;
  int MouseMoved = 0;

  // The rubber box, drawn and erased like an inverting rectangle: drawing
  // the same rectangle twice removes it. Device pixels of the drawing area.
  void DrawFocusRect(int left, int top, int right, int bottom);

  // --- FrameSource: the frame on the screen, for the bitmap export.
  int FrameWidth() const override;
  int FrameHeight() const override;
  bool ReadRGB(int x, int y, int w, int h, unsigned char* out) override;
  // The save dialog of the bitmap export; it keeps the name chosen last.
  platform::CommonDialog cdlBitmap;
  // The file dialog of project files and reports; it keeps the name chosen
  // last, but Save proposes the project's own (ProjectFileName).
  platform::CommonDialog cdlFile;

  // Pixel reads of the frame on the screen. Rows are OpenGL window rows (from
  // the bottom). Where there is no frame they read the cleared background.
  float ReadPixelDepth(int column, int row);
  void ReadPixelBlueRed(int column, int row, float& blue, float& red);

  // The help file in the program's folder.
  const std::filesystem::path& HelpFile() const { return helpFile_; }

  // The OpenGL view, for tests and for reading back what it shows.
  platform::qt::GLSurface* Surface() const { return surface_; }
  // True once OGL_Load has set up the context and until OGL_Unload.
  bool HasContext() const;
  // Frames drawn so far (every run of the paint handler).
  unsigned long FramesDrawn() const { return framesDrawn_; }

  // The start-up procedure: the caption "VELK V1.4.0: No Title", then show.
  void StartUp();

  // Steps of start-up and close, public for the tests that follow them.
  void Form_Load();
  void OGL_Load();    // the context-independent part; the rest runs at first show
  void OGL_Unload();  // font lists and the context
  void Form_Unload();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void InitialiseContext();  // first time the surface has its context
  // The surface calls this window no more (its callbacks capture it).
  void DetachSurface();
  bool ReadShownPixel(int column, int row, unsigned int format, float* value);
  void ShowQueuedPaintErrors();
  // What a run stored is shown: the result's state, then the frame drawn
  // again from the model, the stress window's extremes with it.
  void ShowStoredResults();
  // The stress under the pointer again, for the frame just drawn; a
  // read-out of another plot or scale is not left standing.
  void RefreshStressReadout();

  platform::qt::GLSurface* surface_ = nullptr;
  platform::qt::KeyedStatusBar* statusBar_ = nullptr;
  QMenu* popup_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  QRubberBand* rubberBand_ = nullptr;
  std::map<std::string, QPointer<QAction>> actions_;
  std::map<std::string, QPixmap> iglTool_;
  QPointer<QWidget> propertyView_;
  QPointer<frmStress> stressWindow_;
  std::filesystem::path helpFile_;
  short fontSize_ = 10;
  bool loading_ = false;
  bool unloaded_ = false;
  int pixelFormat_ = 0;
  bool errorShowPending_ = false;
  std::vector<std::string> queuedErrors_;
  bool contextReady_ = false;
  bool inResizeGL_ = false;
  bool inPaint_ = false;
  unsigned long framesDrawn_ = 0;
  app::ModelChanges changes_;
  std::string projectFileName_;
  // The stress plot and scale the stress window's read-out was taken from.
  std::pair<int32_t, double> readoutFor_{0, 0.0};
  bool readoutPending_ = false;
};
