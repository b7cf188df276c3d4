#pragma once
// The items the user has picked in the 3D view, in the order picked (one kind
// at a time, duplicates allowed), and the property clipboard's item. Entries
// refer to the model's own items, which stay at their addresses until New
// replaces the mesh together with this list.
#include <array>
#include <cstdint>
#include <string_view>
#include <variant>
#include <vector>

namespace model {
class Mesh;
class Nodeb;
class twoNode;
class fourNode;
}  // namespace model
namespace view {
class View;
}

namespace app {

// One entry: a node, a stiffener, a plate, or nothing.
using SelectedItemRef =
    std::variant<std::monostate, model::Nodeb*, model::twoNode*, model::fourNode*>;

inline bool IsEmpty(const SelectedItemRef& item) {
  return std::holds_alternative<std::monostate>(item);
}
inline model::Nodeb* AsNode(const SelectedItemRef& item) {
  auto* p = std::get_if<model::Nodeb*>(&item);
  return p ? *p : nullptr;
}
inline model::twoNode* AsStiffener(const SelectedItemRef& item) {
  auto* p = std::get_if<model::twoNode*>(&item);
  return p ? *p : nullptr;
}
inline model::fourNode* AsPlate(const SelectedItemRef& item) {
  auto* p = std::get_if<model::fourNode*>(&item);
  return p ? *p : nullptr;
}

// Members of whatever item an entry holds, by name (any case), as the
// property dialogs and the clipboard reach them. An empty entry raises 91; a
// member the item lacks raises 438.
double GetMember(const SelectedItemRef& item, std::string_view name);
void SetMember(const SelectedItemRef& item, std::string_view name, double value);
void UpdatePropertyDefined(const SelectedItemRef& item);

// The viewport and matrices of the picture on the screen, in OpenGL's order.
struct PickMatrices {
  std::array<int32_t, 4> viewport{0, 0, 0, 0};
  std::array<double, 16> mvmatrix{};
  std::array<double, 16> projmatrix{};
};

class Selection {
 public:
  Selection();

  // Empties the list; the clipboard keeps its item.
  void ClearSelectedItem();
  int32_t SelectedCounter() const { return static_cast<int32_t>(selected_.size()); }
  // Entry at a position from 1. Position 1 of an empty list is an empty
  // entry; any other position outside the list raises 9.
  SelectedItemRef Item(long vIndex) const;
  // Appends an entry (what the pick operations do for each item taken).
  void Append(const SelectedItemRef& item);

  // The property clipboard: one item itself, not a copy of its values.
  const SelectedItemRef& CopiedItem() const { return copied_; }
  void SetCopiedItem(const SelectedItemRef& item) { copied_ = item; }
  void ClearCopiedItem() { copied_ = std::monostate{}; }

  // The property clipboard acts on one group of members, chosen by entry 1's
  // kind: a stiffener's width and Thickness, a plate's Thickness, and for
  // nodes the group of the edit mode propertyMode (3 restraints with their
  // prescribed values, 4 brace stiffnesses, 5 loads; any other mode has none).
  // Every entry is taken as entry 1's kind and checked for every member before
  // the first is written, so a failure changes nothing. Nothing is repainted.
  //
  // Delete: zeroes the group on every entry, renumbers after stiffener and
  // plate changes (plates also recompute MaxThickness) and empties the list.
  void Delete(model::Mesh& mesh, int32_t propertyMode);
  // Copy: the clipboard becomes entry 1 itself, or nothing when the list is
  // empty.
  void Copy();
  // Paste: when the clipboard item is of entry 1's kind, writes its present
  // values onto every entry and renumbers after stiffener and plate changes
  // (MaxThickness stays). The list is kept for the next Paste.
  void Paste(model::Mesh& mesh, int32_t propertyMode);

  // Picks on the given picture. Points are the mouse's (pixels, y down);
  // meshMode: 1 nodes, 2 stiffeners, 3 plates, anything else nothing.
  void SelectItemOne(const model::Mesh& mesh, int32_t meshMode, const PickMatrices& m,
                     float pstartx, float pstarty);
  void AddItemOne(const model::Mesh& mesh, int32_t meshMode, const PickMatrices& m,
                  float pstartx, float pstarty);
  void SelectItemBox(const model::Mesh& mesh, int32_t meshMode, const PickMatrices& m,
                     float pstartx, float pstarty, float pendx, float pendy);
  void AddItemBox(const model::Mesh& mesh, int32_t meshMode, const PickMatrices& m,
                  float pstartx, float pstarty, float pendx, float pendy);

  // The selection marker of every entry, in list order, with the colour and
  // line settings the caller has made. `size` is in model units.
  void DrawSelected(const view::View& view, float size) const;

 private:
  void PickOne(const model::Mesh& mesh, int32_t meshMode, const PickMatrices& m, float pstartx,
               float pstarty);
  void PickBox(const model::Mesh& mesh, int32_t meshMode, const PickMatrices& m, float pstartx,
               float pstarty, float pendx, float pendy);

  std::vector<SelectedItemRef> selected_;
  SelectedItemRef copied_;
};

// Window coordinates of the model point (x, y, 0) on the picture.
void Project_Point(const PickMatrices& m, double x, double y, float& winx, float& winy);
// True when (px, py) lies strictly inside the box x0 < px < x1, y0 < py < y1.
bool Is_In_Box(float x0, float y0, float x1, float y1, float px, float py);
// The OpenGL window row of a pointer y (pixels from the top): height - y + 1.
float FlipPointerY(float y, int32_t viewportHeight);
// The viewport and matrices the last paint saved into the view.
PickMatrices LastPaintMatrices(const view::View& view);

}  // namespace app
