#pragma once
// Plates and stiffeners in the model pass: a plate as its outline with a fill
// whose shade tells its thickness, a stiffener as an upright strip whose
// height is its width, each optionally numbered, and the cross of a selected
// element at its centre. The caller has loaded the view's model-view matrix.
#include <array>
#include <cstddef>
#include <vector>

#include "view/GLHelpers.h"

namespace model {
class fourNode;
class fourNodes;
class twoNode;
class twoNodes;
}  // namespace model

namespace view {

class View;

// The blue component of a plate's fill, 1 - 0.3 * Thickness / MaxThickness.
// A MaxThickness of 0 or less (or not a number) divides by nothing: a plate
// with a thickness above 0 then takes the full shade (0.7), one without
// stays white.
float PlateShade(float Thickness, float MaxThickness);

// The corners A, B, C, D of a stiffener's upright strip: its two nodes at
// heights -width/2 and +width/2. Raises 91 when a node is not set.
std::array<Point3, 4> StiffenerStrip(const model::twoNode& stiffener);

// Outline always; fill and (when NV, numbered and defined) number when PV.
// MaxThickness: the largest plate thickness of the mesh.
void Draw(const model::fourNode& plate, float MaxThickness, bool NV, bool PV);
// Outline, fill and (when NV and numbered) number of the strip; nothing for
// a stiffener without a property.
void Draw(const model::twoNode& stiffener, bool NV);

// The corners of a plate in drawing order Node1, Node4, Node3, Node2, in the
// model plane. Raises 91 when a node is not set.
std::array<Point3, 4> PlateCorners(const model::fourNode& plate);

// ---- the same pixels in batches ----
// The model pass's plates and stiffeners and the stress plots draw what
// their item routines draw in collection order, in far fewer draws:
// - An outline lies in the plane of the fill it borders, and the polygon
//   offsets keep every fill behind every outline of its plane whatever the
//   order. So outlines and fills of items in one plane may be drawn as two
//   batches; fills among themselves keep collection order, and outlines are
//   all black. Plates all lie in the model plane; the strips of consecutive
//   stiffeners on one grid line parallel to an axis lie in one plane.
// - Mesa's software renderer cuts the quadrilaterals of a draw into
//   triangles, and offsets their depth, one way when the draw needs clipping
//   and another when it needs none. So a batch holds only items the renderer
//   clips nowhere. An item it clips in part is drawn alone by its item
//   routine, as before; one it clips away whole draws nothing either way.
// - A number's bitmap can tie in depth with a later item's fill, so items
//   with numbers are drawn item by item.
// itemByItem draws every item by its item routine. A plate or stiffener
// without its nodes fails as its item routine does, after the items before
// it are drawn.
void DrawPlates(const model::fourNodes& plates, bool NV, bool PV, bool itemByItem);
void DrawStiffeners(const model::twoNodes& stiffeners, bool NV, bool itemByItem);

enum class Clipping { None, Part, Whole };

// Where quadrilaterals lie against the volume the renderer clips to: the
// view volume of the current matrices and the clip planes that are on. Near
// a face counts as clipped in part.
class ClipTest {
 public:
  ClipTest();  // reads matrices and clip planes from the current context
  Clipping Of(const std::array<Point3, 4>& corners) const;

 private:
  static constexpr int kMaxPlanes = 8;
  double modelview_[16], projection_[16];
  double planes_[kMaxPlanes][4];  // eye coordinates, scaled to unit normals
  int planeCount_ = 0;
  bool unknown_ = false;  // more clip planes on than it can test
  double margin_ = 0;     // eye units, for the clip planes
};

// Items of some runs, each run in one plane, in drawing order: calls
// batch(items) for every stretch of consecutive items of one run that the
// renderer clips nowhere, alone(item) for an item it clips in part, and
// nothing for one it clips away whole.
template <typename T, typename CornersOf, typename Batch, typename Alone>
void ForEachBatch(const std::vector<const T*>& items, const std::vector<std::size_t>& runEnds,
                  CornersOf cornersOf, Batch batch, Alone alone) {
  const ClipTest clip;
  std::vector<const T*> stretch;
  std::size_t first = 0;
  for (std::size_t last : runEnds) {
    for (std::size_t k = first; k < last; ++k) {
      const Clipping c = clip.Of(cornersOf(*items[k]));
      if (c == Clipping::None) {
        stretch.push_back(items[k]);
      } else if (c == Clipping::Part) {
        if (!stretch.empty()) batch(stretch);
        stretch.clear();
        alone(*items[k]);
      }
    }
    if (!stretch.empty()) batch(stretch);
    stretch.clear();
    first = last;
  }
}

// The stiffeners with a property, in collection order, up to the first one
// whose nodes are not set (`broken`; null when there is none), cut into runs
// of strips in one plane.
struct StripRuns {
  std::vector<const model::twoNode*> strips;
  std::vector<std::size_t> runEnds;  // run i: strips from runEnds[i - 1] to before runEnds[i]
  const model::twoNode* broken = nullptr;
};
StripRuns CollectStripRuns(const model::twoNodes& stiffeners);

// The plates in collection order, only those with a property when
// `withPropertyOnly`, up to the first one whose nodes are not set (`broken`;
// null when there is none).
struct PlateList {
  std::vector<const model::fourNode*> plates;
  const model::fourNode* broken = nullptr;
};
PlateList CollectPlates(const model::fourNodes& plates, bool withPropertyOnly);

void DrawSelected(const model::fourNode& plate, const View& view, float SelectedMarkerSize);
void DrawSelected(const model::twoNode& stiffener, const View& view, float SelectedMarkerSize);

}  // namespace view
