#include "dialogs/PropertyListing.h"

#include <cstdlib>
#include <initializer_list>
#include <string>

#include "analysis/PrintLineWriter.h"
#include "model/Mesh.h"
#include "model/Nodes.h"
#include "model/fourNodes.h"
#include "model/twoNodes.h"

namespace dialogs {
namespace {

std::string Sci(float value) { return analysis::FormatMask(value, "Scientific"); }
std::string Id(int32_t vID) { return analysis::FormatMask(vID, "00000"); }
std::string Flag(short value) { return analysis::FormatMask(std::abs(value), "0"); }

// One line: the items with `gap` blanks between them (and after the last when
// `trailing`), then CR LF.
std::string Line(std::initializer_list<std::string> items, int gap, bool trailing) {
  const std::string blanks(static_cast<std::size_t>(gap), ' ');
  std::string out;
  bool first = true;
  for (const std::string& item : items) {
    if (!first) out += blanks;
    out += item;
    first = false;
  }
  if (trailing) out += blanks;
  return out + "\r\n";
}

}  // namespace

std::string List_Plate(const model::Mesh& mesh) {
  std::string text = Line({"  ID ", " Thick. ", "  N1 ", "  N2 ", "  N3 ", "  N4 "}, 2, true);
  for (const model::fourNode& p : mesh.fourNodes())
    if (p.Thickness() != 0)
      text += Line({Id(p.vID()), Sci(p.Thickness()), Id(p.Node1().vID()), Id(p.Node2().vID()),
                    Id(p.Node3().vID()), Id(p.Node4().vID())},
                   2, false);
  return text;
}

std::string List_Stiffener(const model::Mesh& mesh) {
  std::string text = Line({"  ID ", " Width  ", " Thick. " "  N1 ", "  N2 "}, 5, true);
  for (const model::twoNode& s : mesh.twoNodes())
    if (s.Thickness() != 0 || s.width() != 0)
      text += Line({Id(s.vID()), Sci(s.width()), Sci(s.Thickness()), Id(s.Node1().vID()), Id(s.Node2().vID())},
                   5, false);
  return text;
}

std::string List_Coordinate(const model::Mesh& mesh) {
  std::string text = Line({"  ID ", " X Coord", " Y Coord"}, 5, true);
  for (const model::Nodeb& n : mesh.Nodes())
    if (n.vID() != 0) text += Line({Id(n.vID()), Sci(n.xcoord()), Sci(n.ycoord())}, 5, true);
  return text;
}

std::string List_Boundary(const model::Mesh& mesh) {
  // Gaps of 2, but of 1 after "XR", "YR" and " X Value", and none at the end.
  std::string text = "  ID   X  Y  Z  XR YR  X Value  Y Value\r\n";
  for (const model::Nodeb& n : mesh.Nodes())
    if (n.XTDir() != 0 || n.YTDir() != 0 || n.ZTDir() != 0 || n.XRDir() != 0 || n.YRDir() != 0)
      text += Line({Id(n.vID()), Flag(n.XTDir()), Flag(n.YTDir()), Flag(n.ZTDir()), Flag(n.XRDir()),
                    Flag(n.YRDir()), Sci(std::abs(n.XTDirValue())), Sci(std::abs(n.YTDirValue()))},
                   2, true);
  return text;
}

std::string List_Brace(const model::Mesh& mesh) {
  std::string text = Line({"  ID ", "X  Stiff", "Y  Stiff", "Z  Stiff", "XR Stiff", "YR Stiff"}, 2, true);
  for (const model::Nodeb& n : mesh.Nodes())
    if (n.xtstiff() != 0 || n.YTStiff() != 0 || n.ZTStiff() != 0 || n.XRStiff() != 0 || n.YRStiff() != 0)
      text += Line({Id(n.vID()), Sci(n.xtstiff()), Sci(n.YTStiff()), Sci(n.ZTStiff()), Sci(n.XRStiff()),
                    Sci(n.YRStiff())},
                   2, true);
  return text;
}

std::string List_Load(const model::Mesh& mesh) {
  std::string text = Line({"  ID ", " X Load ", " Y Load "}, 5, false);
  for (const model::Nodeb& n : mesh.Nodes())
    if (n.XLoad() != 0 || n.YLoad() != 0) text += Line({Id(n.vID()), Sci(n.XLoad()), Sci(n.YLoad())}, 5, true);
  return text;
}

std::string List_Stress(const model::Mesh& mesh) {
  std::string text = "Nodal Stress ----------\r\n";
  text += Line({"  Node ", "  SX ", "  SY ", "  SXY ", " Mises"}, 2, false);
  for (const model::Nodeb& n : mesh.Nodes())
    if (n.vID() != 0) text += Line({Id(n.vID()), Sci(n.Sx()), Sci(n.Sy()), Sci(n.SXY()), Sci(n.Mises())}, 2, false);
  text += "\r\n\r\n";
  text += "Stiffener Stress-------\r\n";
  text += "   ID   Stress\r\n";
  for (const model::twoNode& s : mesh.twoNodes())
    if (s.vID() != 0) text += Line({Id(s.vID()), Sci(s.Stress())}, 2, false);
  return text;
}

std::string List_BuckledShape(const model::Mesh& mesh) {
  std::string text = Line({"  Node ", " Z Value", " X Disp.", " Y Disp."}, 2, true);
  for (const model::Nodeb& n : mesh.Nodes())
    if (n.vID() != 0) text += Line({Id(n.vID()), Sci(n.zcoord()), Sci(n.InPDispX()), Sci(n.InPDispY())}, 2, false);
  return text;
}

std::string ListTab(int tab, const model::Mesh& mesh) {
  switch (tab) {
    case kTabPlate: return List_Plate(mesh);
    case kTabStiffener: return List_Stiffener(mesh);
    case kTabCoordinate: return List_Coordinate(mesh);
    case kTabBoundary: return List_Boundary(mesh);
    case kTabBrace: return List_Brace(mesh);
    case kTabLoad: return List_Load(mesh);
    case kTabStress: return List_Stress(mesh);
    case kTabBuckledShape: return List_BuckledShape(mesh);
    default: return {};
  }
}

}  // namespace dialogs
