#pragma once
// The state of the 3D view and of the interface around it (mouse operation,
// edit mode, picking kind, pan, rotation, zoom, model extents, view box, clip
// range, display options), the two OpenGL matrices derived from it, the view
// commands and the view's lines of the options file.
//
// The operations that need the model are handed the nodes or the mesh, and
// the model pass the selection's drawing: the view keeps no model of its own.
// Operations that load a matrix do nothing to OpenGL while no context is
// current; the frame drawing loads both matrices again at the start of every
// frame, so the picture never depends on a matrix loaded without a context.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/TextFile.h"
#include "view/InterfaceModes.h"

namespace model {
class Mesh;
class Nodes;
}  // namespace model

namespace view {

class ViewHost;

// Draws the selection markers of every selected item with the given marker
// size (model units); the main window hands in the selection's DrawSelected.
using SelectionPainter = std::function<void(float selectedMarkerSize)>;

class View {
 public:
  View();
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  void SetHost(ViewHost* host) { host_ = host; }
  // A host that goes leaves the view, unless a newer one has taken its place.
  void ReleaseHost(const ViewHost* host) {
    if (host_ == host) host_ = nullptr;
  }

  // ---- interface state ----
  int32_t ViewMode = operation::kSelect;
  int32_t PropertyMode = edit_mode::kPlate;
  int32_t MeshMode = pick::kPlate;
  int32_t ScreenMode = screen::kActualView;
  int32_t OutputViewMode = 1;

  // ---- pan, rotation (degrees), zoom ----
  double ViewX = 0, ViewY = 0, ViewZ = 0;
  double ViewRX = 0, ViewRY = 0, ViewRZ = 0;
  float ViewZoom = 1;
  float ScreenModeFactorX = 1, ScreenModeFactorY = 1;

  // ---- model extents ----
  double LimitX0 = 0, LimitX1 = 1, LimitY0 = 0;
  float LimitY1 = 1;
  double LimitMaxX = 1, LimitMaxY = 1;
  float LimitMaxXY = 1;
  double LimitCX = 0.5;
  float LimitCY = 0.5f;

  // ---- view box ----
  double SLimitX0 = -0.1, SLimitX1 = 1.1, SLimitY0 = -0.1, SLimitY1 = 1.1;
  double SLimitZ0 = 10;
  float SLimitZ1 = -10;
  double SLimitMaxX = 1.2, SLimitMaxY = 1.2;
  float SLimitMaxXY = 1.2f;
  double SLimitCX = 0.5;
  float SLimitCY = 0.5f;

  // ---- clip range, model units ----
  float HClipFrom = -0.1f, HClipTo = 1.1f, VClipFrom = -0.1f, VClipTo = 1.1f;

  // Largest absolute stress of the last stress plot; 0 until one is drawn
  // (an empty value reads as 0 in arithmetic).
  double maxStress = 0;

  // ---- display options ----
  bool OptionShowNodeNumber = false;
  bool OptionShowStiffenerNumber = false;
  bool OptionShowPlateNumber = false;
  bool OptionShowCoordinate = true;
  bool OptionShowPlate = true;
  bool OptionShowStiffener = true;
  bool OptionShowBoundary = true;
  bool OptionShowBoundaryValue = false;
  bool OptionShowLoad = true;
  bool OptionShowLoadValue = false;
  bool OptionShowBrace = true;
  bool OptionShowBraceValue = false;
  bool OptionShowModel = true;
  bool OptionShowResult = false;
  bool OptionHideModelWhenBuckle = false;
  float OptionInpMagFactor = 1;
  float OptionOutpMagFactor = 1;
  float OptionSelectedMarker_Size = 3;
  float OptionPropertyMarker_Size = 3;
  float OptionLayerOffset_Distance = 3;
  short OptionFontSize = 10;
  int32_t OptionShowStress = stress_plot::kNone;
  float OptionZoomCenterFactor = 2;
  bool OptionShading = false;

  // Draws plates, stiffeners and stress plots item by item, with the calls
  // and state changes of the item routines, instead of in batches that give
  // the same pixels faster; the view's tests compare the two.
  bool DrawItemByItem = false;

  // ---- what the last paint left, for picking and read-backs ----
  int lastViewport[4] = {0, 0, 0, 0};
  double lastModelview[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  double lastProjection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  // The stress plot the frame on the screen shows; kNone when it shows the
  // model, whatever OptionShowStress asks for.
  int32_t lastStressPlot = stress_plot::kNone;
  // Reads viewport and both matrices from the current context into the above.
  void SaveMatrices();

  // ---- operations ----
  // The model pass: plates, stiffeners, node symbols and the selection marks;
  // none when the buckled shape is drawn and is to hide the model.
  void Draw_Model(const model::Mesh& mesh, const SelectionPainter& drawSelected, bool buckledShapeDrawn);
  // Extents, view box and stretch factors from the nodes and the host's size.
  void Set_Limits(const model::Nodes& nodes);
  // Runs the host's paint at once (nothing without a host).
  void Refresh();
  void Draw_Coordinate();
  void Draw_ModelView();
  void Draw_Projection();
  void Draw_Result_Shade(const model::Mesh& mesh);
  void Setup_Lighting();
  void Remove_Lighting();
  void Draw_Result(const model::Mesh& mesh);
  // The stress plot alone; clears the buffers itself.
  void Draw_Stress(const model::Mesh& mesh);
  // CB, CR: blue and red of a pixel of the stress plot, 0 to 1.
  void ShowStressValue(float CB, float CR);
  void ScreenModeChange(const model::Nodes& nodes);
  void Zoom_All();
  void SetUpClipEq(double hFrom, double hTo, double vFrom, double vTo);
  void StoreData1_4Option(platform::TextFile& file) const;
  // Never fails: a missing or damaged group sets the fallback options.
  void ReadData1_4Option(platform::TextFile& file);
  void Initialization(const model::Nodes& nodes);
  void ViewAngle();
  void LeftView();
  void TopView();
  void Center(float pxcoord, float pycoord);
  void ZoomInOutCenter(float pxcoord, float pycoord, short InOut);

  // ---- failures inside a frame ----
  // A drawing operation that fails inside a paint records its message here
  // instead of showing it, since a box shown from paint would paint again.
  void RecordPaintError(const std::string& text) { paintErrors_.push_back(text); }
  // Messages recorded since the last call, cleared.
  std::vector<std::string> TakePaintErrors();
  // Whether the messages of a failed frame were handed out for display and
  // no frame has drawn cleanly since; the frame drawing keeps it.
  bool paintErrorShown = false;

 private:
  void SetFallbackOptions();
  ViewHost* host_ = nullptr;
  std::vector<std::string> paintErrors_;
};

}  // namespace view
