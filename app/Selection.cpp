#include "app/Selection.h"

#include <GL/glu.h>

#include <algorithm>
#include <span>
#include <utility>

#include "model/Mesh.h"
#include "platform/RuntimeError.h"
#include "view/ElementDrawing.h"
#include "view/NodeDrawing.h"
#include "view/View.h"

namespace app {

namespace {

// The reference point of item k of the collection picking searches.
template <typename Collection>
void ReferencePoint(const Collection& items, long k, double& x, double& y) {
  const auto& item = items.Item(k);
  x = item.CPX();
  y = item.CPY();
}

void ReferencePoint(const model::Nodes& nodes, long k, double& x, double& y) {
  const auto& node = nodes.Item(k);
  x = node.xcoord();
  y = node.ycoord();
}

// Calls f(collection) with the collection that the pick kind searches;
// returns false for a kind that searches nothing.
template <typename F>
bool WithPickCollection(const model::Mesh& mesh, int32_t meshMode, F&& f) {
  switch (meshMode) {
    case view::pick::kNode: f(mesh.Nodes()); return true;
    case view::pick::kStiffener: f(mesh.twoNodes()); return true;
    case view::pick::kPlate: f(mesh.fourNodes()); return true;
    default: return false;
  }
}

SelectedItemRef RefTo(model::Nodeb& n) { return &n; }
SelectedItemRef RefTo(model::twoNode& s) { return &s; }
SelectedItemRef RefTo(model::fourNode& p) { return &p; }

// The clipboard's groups, members in the order they are written. The
// prescribed displacements travel with their restraint flags: a value left
// behind on a node would come into force, unseen, when a later Paste sets the
// flag.
constexpr const char* kBoundaryGroup[] = {"XTDir", "YTDir", "ZTDir", "XRDir", "YRDir",
                                          "XTDirValue", "YTDirValue"};
constexpr const char* kBraceGroup[] = {"xtstiff", "YTStiff", "ZTStiff", "XRStiff", "YRStiff"};
constexpr const char* kLoadGroup[] = {"XLoad", "YLoad"};
constexpr const char* kStiffenerGroup[] = {"width", "Thickness"};
constexpr const char* kPlateGroup[] = {"Thickness"};

using Group = std::span<const char* const>;

Group GroupOf(const SelectedItemRef& first, int32_t propertyMode) {
  if (AsNode(first)) {
    switch (propertyMode) {
      case view::edit_mode::kBoundary: return kBoundaryGroup;
      case view::edit_mode::kBrace: return kBraceGroup;
      case view::edit_mode::kLoad: return kLoadGroup;
      default: return {};
    }
  }
  if (AsStiffener(first)) return kStiffenerGroup;
  if (AsPlate(first)) return kPlateGroup;
  return {};
}

// Writes values[k] into member k of the group on every entry, then lets each
// entry recompute whether its property is defined.
void WriteGroup(const std::vector<SelectedItemRef>& entries, Group group,
                const std::vector<double>& values) {
  if (group.empty()) return;
  for (const SelectedItemRef& e : entries)
    for (const char* member : group) GetMember(e, member);
  for (const SelectedItemRef& e : entries) {
    for (std::size_t k = 0; k < group.size(); ++k) SetMember(e, group[k], values[k]);
    UpdatePropertyDefined(e);
  }
}

// Takes the changed elements in or out of the analysis numbering.
void Renumber(const SelectedItemRef& first, model::Mesh& mesh) {
  if (AsStiffener(first) || AsPlate(first)) mesh.GeneratevID();
}

}  // namespace

double GetMember(const SelectedItemRef& item, std::string_view name) {
  if (auto* n = AsNode(item)) return n->GetByName(name);
  if (auto* s = AsStiffener(item)) return s->GetByName(name);
  if (auto* p = AsPlate(item)) return p->GetByName(name);
  platform::Raise(platform::kErrObjectNotSet);
}

void SetMember(const SelectedItemRef& item, std::string_view name, double value) {
  if (auto* n = AsNode(item)) return n->SetByName(name, value);
  if (auto* s = AsStiffener(item)) return s->SetByName(name, value);
  if (auto* p = AsPlate(item)) return p->SetByName(name, value);
  platform::Raise(platform::kErrObjectNotSet);
}

void UpdatePropertyDefined(const SelectedItemRef& item) {
  if (auto* n = AsNode(item)) return n->UpdatePropertyDefined();
  if (auto* s = AsStiffener(item)) return s->UpdatePropertyDefined();
  if (auto* p = AsPlate(item)) return p->UpdatePropertyDefined();
  platform::Raise(platform::kErrObjectNotSet);
}

void Project_Point(const PickMatrices& m, double x, double y, float& winx, float& winy) {
  GLdouble wx = 0, wy = 0, wz = 0;
  const GLint viewport[4] = {m.viewport[0], m.viewport[1], m.viewport[2], m.viewport[3]};
  gluProject(x, y, 0.0, m.mvmatrix.data(), m.projmatrix.data(), viewport, &wx, &wy, &wz);
  winx = static_cast<float>(wx);
  winy = static_cast<float>(wy);
}

bool Is_In_Box(float x0, float y0, float x1, float y1, float px, float py) {
  return x0 < px && px < x1 && y0 < py && py < y1;
}

float FlipPointerY(float y, int32_t viewportHeight) {
  return static_cast<float>(viewportHeight) - y + 1.0f;
}

PickMatrices LastPaintMatrices(const view::View& v) {
  PickMatrices m;
  std::copy(std::begin(v.lastViewport), std::end(v.lastViewport), m.viewport.begin());
  std::copy(std::begin(v.lastModelview), std::end(v.lastModelview), m.mvmatrix.begin());
  std::copy(std::begin(v.lastProjection), std::end(v.lastProjection), m.projmatrix.begin());
  return m;
}

Selection::Selection() = default;

void Selection::ClearSelectedItem() { selected_.clear(); }

SelectedItemRef Selection::Item(long vIndex) const {
  if (vIndex == 1 && selected_.empty()) return std::monostate{};
  if (vIndex < 1 || vIndex > static_cast<long>(selected_.size())) platform::Raise(platform::kErrSubscript);
  return selected_[static_cast<size_t>(vIndex - 1)];
}

void Selection::Append(const SelectedItemRef& item) { selected_.push_back(item); }

void Selection::Delete(model::Mesh& mesh, int32_t propertyMode) {
  if (selected_.empty()) return;
  const SelectedItemRef first = selected_.front();
  const Group group = GroupOf(first, propertyMode);
  WriteGroup(selected_, group, std::vector<double>(group.size(), 0.0));
  if (AsPlate(first)) mesh.fourNodes().UpdateMaxThickness();
  Renumber(first, mesh);
  ClearSelectedItem();
}

void Selection::Copy() {
  ClearCopiedItem();
  if (!selected_.empty()) copied_ = selected_.front();
}

void Selection::Paste(model::Mesh& mesh, int32_t propertyMode) {
  if (IsEmpty(copied_) || selected_.empty()) return;
  const SelectedItemRef first = selected_.front();
  if (first.index() != copied_.index()) return;  // another kind of item
  const Group group = GroupOf(first, propertyMode);
  // Writing the clipboard item's values onto itself changes nothing, so they
  // can be read once.
  std::vector<double> values;
  for (const char* member : group) values.push_back(GetMember(copied_, member));
  WriteGroup(selected_, group, values);
  Renumber(first, mesh);
}

void Selection::PickOne(const model::Mesh& mesh, int32_t meshMode, const PickMatrices& m,
                        float pstartx, float pstarty) {
  // A click takes nothing until the model has all three kinds of item.
  if (mesh.Nodes().Count() < 1 || mesh.fourNodes().Count() < 1 || mesh.twoNodes().Count() < 1)
    return;
  const float px = pstartx;
  const float py = FlipPointerY(pstarty, m.viewport[3]);
  WithPickCollection(mesh, meshMode, [&](auto& items) {
    float best = 1E7f;
    long bestK = 1;
    for (long k = 1; k <= items.Count(); ++k) {
      double x = 0, y = 0;
      ReferencePoint(items, k, x, y);
      float sx = 0, sy = 0;
      Project_Point(m, x, y, sx, sy);
      const double dx = static_cast<double>(sx) - px;
      const double dy = static_cast<double>(sy) - py;
      const double d = dx * dx + dy * dy;
      if (d < best) {
        best = static_cast<float>(d);
        bestK = k;
      }
    }
    Append(RefTo(items.Item(bestK)));
  });
}

void Selection::PickBox(const model::Mesh& mesh, int32_t meshMode, const PickMatrices& m,
                        float pstartx, float pstarty, float pendx, float pendy) {
  float x0 = pstartx, x1 = pendx;
  float y0 = FlipPointerY(pstarty, m.viewport[3]);
  float y1 = FlipPointerY(pendy, m.viewport[3]);
  if (x0 > x1) std::swap(x0, x1);
  if (y0 > y1) std::swap(y0, y1);
  WithPickCollection(mesh, meshMode, [&](auto& items) {
    for (long k = 1; k <= items.Count(); ++k) {
      double x = 0, y = 0;
      ReferencePoint(items, k, x, y);
      float sx = 0, sy = 0;
      Project_Point(m, x, y, sx, sy);
      if (Is_In_Box(x0, y0, x1, y1, sx, sy)) Append(RefTo(items.Item(k)));
    }
  });
}

void Selection::SelectItemOne(const model::Mesh& mesh, int32_t meshMode, const PickMatrices& m,
                              float pstartx, float pstarty) {
  ClearSelectedItem();
  PickOne(mesh, meshMode, m, pstartx, pstarty);
}

void Selection::AddItemOne(const model::Mesh& mesh, int32_t meshMode, const PickMatrices& m,
                           float pstartx, float pstarty) {
  PickOne(mesh, meshMode, m, pstartx, pstarty);
}

void Selection::SelectItemBox(const model::Mesh& mesh, int32_t meshMode, const PickMatrices& m,
                              float pstartx, float pstarty, float pendx, float pendy) {
  ClearSelectedItem();
  PickBox(mesh, meshMode, m, pstartx, pstarty, pendx, pendy);
}

void Selection::AddItemBox(const model::Mesh& mesh, int32_t meshMode, const PickMatrices& m,
                           float pstartx, float pstarty, float pendx, float pendy) {
  PickBox(mesh, meshMode, m, pstartx, pstarty, pendx, pendy);
}

void Selection::DrawSelected(const view::View& view, float size) const {
  for (const SelectedItemRef& item : selected_) {
    if (auto* n = AsNode(item)) view::DrawSelected(*n, view, size);
    else if (auto* s = AsStiffener(item)) view::DrawSelected(*s, view, size);
    else if (auto* p = AsPlate(item)) view::DrawSelected(*p, view, size);
  }
}

}  // namespace app
