#pragma once
// The texts of the property listing window's eight tabs: fixed-layout tables
// of the model's properties and results, one row per item that passes the
// tab's filter, columns separated by a fixed gap of blanks (not padded), every
// line ended by CR LF. Item IDs are analysis numbers ("00000"), values in the
// "Scientific" format. No window here, so the tables are tested headless.
#include <string>

namespace model {
class Mesh;
}

namespace dialogs {

// The tabs, in the order of the window's tab strip.
enum ListingTab : int {
  kTabPlate = 0,
  kTabStiffener = 1,
  kTabCoordinate = 2,
  kTabBoundary = 3,
  kTabBrace = 4,
  kTabLoad = 5,
  kTabStress = 6,
  kTabBuckledShape = 7,
};
inline constexpr int kListingTabCount = 8;

std::string List_Plate(const model::Mesh& mesh);
std::string List_Stiffener(const model::Mesh& mesh);
std::string List_Coordinate(const model::Mesh& mesh);
std::string List_Boundary(const model::Mesh& mesh);
std::string List_Brace(const model::Mesh& mesh);
std::string List_Load(const model::Mesh& mesh);
std::string List_Stress(const model::Mesh& mesh);
std::string List_BuckledShape(const model::Mesh& mesh);

// The listing of a tab by its index; an empty text for an index out of range.
std::string ListTab(int tab, const model::Mesh& mesh);

}  // namespace dialogs
