// The property listing window's eight tables, byte for byte, on an analysed
// girder and on hand-made items that sit on the edges of the row filters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "dialogs/PropertyListing.h"
#include "tests/app/reports/AnalysedModel.h"

using reporttest::Gapped;
using reporttest::Id;
using reporttest::Sci;

namespace {

std::string Flag(short v) { return v != 0 ? "1" : "0"; }

// Each tab as its table lays it out, from the model's own values.
std::string ExpectedTab(int tab, const model::Mesh& mesh) {
  const model::Nodes& nodes = mesh.Nodes();
  std::string t;
  switch (tab) {
    case dialogs::kTabPlate:
      t = "  ID    Thick.     N1     N2     N3     N4   \r\n";
      for (const model::fourNode& p : mesh.fourNodes())
        if (p.Thickness() != 0)
          t += Gapped({Id(p.vID()), Sci(p.Thickness()), Id(p.Node1().vID()), Id(p.Node2().vID()),
                       Id(p.Node3().vID()), Id(p.Node4().vID())},
                      2, false);
      return t;
    case dialogs::kTabStiffener:
      t = "  ID       Width        Thick.   N1        N2      \r\n";
      for (const model::twoNode& s : mesh.twoNodes())
        if (s.Thickness() != 0 || s.width() != 0)
          t += Gapped({Id(s.vID()), Sci(s.width()), Sci(s.Thickness()), Id(s.Node1().vID()), Id(s.Node2().vID())},
                      5, false);
      return t;
    case dialogs::kTabCoordinate:
      t = "  ID       X Coord      Y Coord     \r\n";
      for (const model::Nodeb& n : nodes)
        if (n.vID() != 0) t += Gapped({Id(n.vID()), Sci(n.xcoord()), Sci(n.ycoord())}, 5, true);
      return t;
    case dialogs::kTabBoundary:
      t = "  ID   X  Y  Z  XR YR  X Value  Y Value\r\n";
      for (const model::Nodeb& n : nodes)
        if (n.XTDir() || n.YTDir() || n.ZTDir() || n.XRDir() || n.YRDir())
          t += Gapped({Id(n.vID()), Flag(n.XTDir()), Flag(n.YTDir()), Flag(n.ZTDir()), Flag(n.XRDir()),
                       Flag(n.YRDir()), Sci(std::fabs(n.XTDirValue())), Sci(std::fabs(n.YTDirValue()))},
                      2, true);
      return t;
    case dialogs::kTabBrace:
      t = "  ID   X  Stiff  Y  Stiff  Z  Stiff  XR Stiff  YR Stiff  \r\n";
      for (const model::Nodeb& n : nodes)
        if (n.xtstiff() || n.YTStiff() || n.ZTStiff() || n.XRStiff() || n.YRStiff())
          t += Gapped({Id(n.vID()), Sci(n.xtstiff()), Sci(n.YTStiff()), Sci(n.ZTStiff()), Sci(n.XRStiff()),
                       Sci(n.YRStiff())},
                      2, true);
      return t;
    case dialogs::kTabLoad:
      t = "  ID       X Load       Y Load \r\n";
      for (const model::Nodeb& n : nodes)
        if (n.XLoad() || n.YLoad()) t += Gapped({Id(n.vID()), Sci(n.XLoad()), Sci(n.YLoad())}, 5, true);
      return t;
    case dialogs::kTabStress:
      t = "Nodal Stress ----------\r\n  Node     SX     SY     SXY    Mises\r\n";
      for (const model::Nodeb& n : nodes)
        if (n.vID() != 0) t += Gapped({Id(n.vID()), Sci(n.Sx()), Sci(n.Sy()), Sci(n.SXY()), Sci(n.Mises())}, 2, false);
      t += "\r\n\r\nStiffener Stress-------\r\n   ID   Stress\r\n";
      for (const model::twoNode& s : mesh.twoNodes())
        if (s.vID() != 0) t += Id(s.vID()) + "  " + Sci(s.Stress()) + "\r\n";
      return t;
    case dialogs::kTabBuckledShape:
      t = "  Node    Z Value   X Disp.   Y Disp.  \r\n";
      for (const model::Nodeb& n : nodes)
        if (n.vID() != 0) t += Gapped({Id(n.vID()), Sci(n.zcoord()), Sci(n.InPDispX()), Sci(n.InPDispY())}, 2, false);
      return t;
  }
  return {};
}

}  // namespace

TEST(PropertyListing, EveryTabOfAnAnalysedGirder) {
  reporttest::AnalysedGirder g;
  g.mesh.Nodes().Item(1).set_XTDirValue(-0.01f);
  for (int tab = 0; tab < dialogs::kListingTabCount; ++tab)
    EXPECT_EQ(dialogs::ListTab(tab, g.mesh), ExpectedTab(tab, g.mesh)) << "tab " << tab;
  // The sign of a prescribed displacement does not show.
  EXPECT_NE(dialogs::List_Boundary(g.mesh).find("00001  1  1  1  0  0  1.00E-02  0.00E+00  \r\n"),
            std::string::npos);
  EXPECT_EQ(dialogs::ListTab(8, g.mesh), "");
}

TEST(PropertyListing, CoordinateTabOfTheWorkedExample) {
  model::Mesh mesh;
  mesh.Nodes().Add(0, 0, 1).set_vID(1);
  mesh.Nodes().Add(1.5f, -0.25f, 2).set_vID(2);
  const std::string five(5, ' ');
  EXPECT_EQ(dialogs::List_Coordinate(mesh),
            "  ID " + five + " X Coord" + five + " Y Coord" + five + "\r\n" +
            "00001" + five + "0.00E+00" + five + "0.00E+00" + five + "\r\n" +
            "00002" + five + "1.50E+00" + five + "-2.50E-01" + five + "\r\n");
}

TEST(PropertyListing, AnEmptyModelGivesTheHeadersAlone) {
  const model::Mesh mesh;
  for (int tab = 0; tab < dialogs::kListingTabCount; ++tab)
    EXPECT_EQ(dialogs::ListTab(tab, mesh), ExpectedTab(tab, mesh)) << "tab " << tab;
  EXPECT_EQ(dialogs::List_Stress(mesh),
            "Nodal Stress ----------\r\n  Node     SX     SY     SXY    Mises\r\n\r\n\r\n"
            "Stiffener Stress-------\r\n   ID   Stress\r\n");
}

TEST(PropertyListing, RowFiltersAtTheirEdges) {
  model::Mesh mesh;
  runtest::BuildPanel(mesh, 20, 10, 2, 1, 0);  // 3 by 2 nodes, 2 plates, 7 stiffeners
  mesh.fourNodes().Item(1).set_Thickness(-0.5f);  // listed, though it takes no part
  mesh.fourNodes().Item(2).set_Thickness(0);      // not listed
  model::twoNode& widthOnly = mesh.twoNodes().Item(1);
  widthOnly.set_width(3);
  widthOnly.UpdatePropertyDefined();
  model::twoNode& sized = mesh.twoNodes().Item(2);
  sized.set_width(3);
  sized.set_Thickness(0.25f);
  sized.set_Stress(-125);
  sized.UpdatePropertyDefined();
  for (model::fourNode& p : mesh.fourNodes()) p.UpdatePropertyDefined();
  runtest::Number(mesh);
  // A node outside every numbered element that carries a load, a brace and
  // a restraint.
  model::Nodeb& loose = mesh.Nodes().Item(1);
  ASSERT_EQ(loose.vID(), 0);
  loose.set_XLoad(1e-20f);
  loose.set_XRStiff(-4);
  loose.set_XRDir(1);
  mesh.Nodes().Item(4).set_vID(123456);  // all its digits, one character more

  const std::string plates = dialogs::List_Plate(mesh);
  EXPECT_EQ(plates, ExpectedTab(dialogs::kTabPlate, mesh));
  EXPECT_NE(plates.find("\r\n00000  -5.00E-01  00000  00001  123456  00000\r\n"), std::string::npos) << plates;
  EXPECT_EQ(std::count(plates.begin(), plates.end(), '\n'), 2);

  const std::string stiffeners = dialogs::List_Stiffener(mesh);
  EXPECT_EQ(stiffeners, ExpectedTab(dialogs::kTabStiffener, mesh));
  EXPECT_NE(stiffeners.find("\r\n00000     3.00E+00     0.00E+00     00000     00001\r\n"), std::string::npos)
      << stiffeners;
  const std::string stress = dialogs::List_Stress(mesh);
  EXPECT_EQ(stress, ExpectedTab(dialogs::kTabStress, mesh));
  EXPECT_TRUE(stress.ends_with("   ID   Stress\r\n00001  -1.25E+02\r\n")) << stress;

  EXPECT_EQ(dialogs::List_Load(mesh), "  ID       X Load       Y Load \r\n00000     1.00E-20     0.00E+00     \r\n");
  EXPECT_EQ(dialogs::List_Brace(mesh), ExpectedTab(dialogs::kTabBrace, mesh));
  EXPECT_NE(dialogs::List_Brace(mesh).find("00000  0.00E+00  0.00E+00  0.00E+00  -4.00E+00  0.00E+00  \r\n"),
            std::string::npos);
  EXPECT_EQ(dialogs::List_Boundary(mesh), ExpectedTab(dialogs::kTabBoundary, mesh));
  EXPECT_NE(dialogs::List_Boundary(mesh).find("00000  0  0  0  1  0  0.00E+00  0.00E+00  \r\n"), std::string::npos);

  // Coordinates, stresses and the buckled shape leave the loose node out.
  const std::string coordinates = dialogs::List_Coordinate(mesh);
  EXPECT_EQ(coordinates, ExpectedTab(dialogs::kTabCoordinate, mesh));
  EXPECT_EQ(coordinates.find("\r\n00000"), std::string::npos);
  EXPECT_NE(coordinates.find("\r\n123456     "), std::string::npos);
  EXPECT_EQ(dialogs::List_BuckledShape(mesh), ExpectedTab(dialogs::kTabBuckledShape, mesh));
}
