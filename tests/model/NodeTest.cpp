#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/Nodeb.h"
#include "model/fourNode.h"
#include "model/twoNode.h"
#include "tests/model/TestFiles.h"

using namespace testfiles;

TEST(Nodeb, RestraintFlagsReadAsMinusOne) {
  model::Nodeb n;
  n.set_XTDir(1);
  EXPECT_EQ(n.XTDir(), -1);
  n.set_XTDir(5);
  EXPECT_EQ(n.XTDir(), -1);
  n.set_XTDir(0);
  EXPECT_EQ(n.XTDir(), 0);
  n.SetByName("yrdir", 1);
  EXPECT_EQ(n.GetByName("YRDir"), -1.0);
}

TEST(Nodeb, DerivedFlags) {
  model::Nodeb n;
  n.set_ZTDir(1);
  n.UpdatePropertyDefined();
  EXPECT_TRUE(n.BoundaryDefined());
  EXPECT_TRUE(n.PropertyDefined());
  EXPECT_FALSE(n.BraceDefined());
  EXPECT_FALSE(n.LoadDefined());

  n.set_ZTDir(0);
  n.set_xtstiff(1);
  n.set_YTStiff(-1);  // opposing springs cancel in the test
  n.UpdatePropertyDefined();
  EXPECT_FALSE(n.BraceDefined());
  EXPECT_FALSE(n.PropertyDefined());
  n.set_YTStiff(0);
  n.UpdatePropertyDefined();
  EXPECT_TRUE(n.BraceDefined());
  n.set_xtstiff(1E-5f);
  n.UpdatePropertyDefined();
  EXPECT_FALSE(n.BraceDefined());

  n.set_xtstiff(0);
  n.set_XLoad(-2);
  n.UpdatePropertyDefined();
  EXPECT_TRUE(n.LoadDefined());
  EXPECT_TRUE(n.PropertyDefined());
  EXPECT_FALSE(n.BoundaryDefined());
  n.set_XLoad(0);
  n.UpdatePropertyDefined();
  EXPECT_FALSE(n.PropertyDefined());
}

TEST(ByName, EveryPropertyTheEditorsUseAndNothingElse) {
  model::Nodeb n;
  const char* nodeNames[] = {"ID", "vID", "xcoord", "ycoord", "zcoord", "InPDispX", "InPDispY", "XTDir", "YTDir",
                             "ZTDir", "XRDir", "YRDir", "XTDirValue", "YTDirValue", "xtstiff", "YTStiff", "ZTStiff",
                             "XRStiff", "YRStiff", "XLoad", "YLoad", "Sx", "Sy", "SXY", "Mises"};
  for (const char* name : nodeNames) {
    n.SetByName(name, 1);
    EXPECT_NE(n.GetByName(name), 0.0) << name;
  }
  n.SetByName("XTStiff", 2.5);  // the editors' spelling differs in case
  EXPECT_EQ(n.xtstiff(), 2.5f);
  EXPECT_EQ(ErrorOf([&] { n.GetByName("Thickness"); }), 438);
  EXPECT_EQ(ErrorOf([&] { n.SetByName("", 1); }), 438);

  model::twoNode s;
  s.SetByName("width", 0.5);
  s.SetByName("Thickness", 0.25);
  s.UpdatePropertyDefined();
  EXPECT_EQ(s.GetByName("PropertyDefined"), -1.0);
  EXPECT_EQ(s.GetByName("Stress"), 0.0);
  EXPECT_EQ(ErrorOf([&] { s.GetByName("Node1"); }), 438);

  model::fourNode p;
  p.SetByName("thickness", 0.001);
  p.UpdatePropertyDefined();
  EXPECT_TRUE(p.PropertyDefined());
  EXPECT_EQ(ErrorOf([&] { p.GetByName("width"); }), 438);
}

TEST(ByName, ValuesThatDoNotFitAreRefusedAndChangeNothing) {
  model::Nodeb n;
  n.set_xcoord(3);
  EXPECT_EQ(ErrorOf([&] { n.SetByName("xcoord", std::numeric_limits<double>::quiet_NaN()); }), 6);
  EXPECT_EQ(ErrorOf([&] { n.SetByName("xcoord", 1e300); }), 6);
  EXPECT_EQ(n.xcoord(), 3.0f);
  EXPECT_EQ(ErrorOf([&] { n.SetByName("XTDir", 40000); }), 6);
  EXPECT_EQ(ErrorOf([&] { n.SetByName("ID", 3e9); }), 6);
  n.SetByName("ID", 2.5);  // whole-number properties round half to even
  EXPECT_EQ(n.ID(), 2);
}

TEST(Elements, PropertyThresholdIsStrict) {
  model::twoNode s;
  s.set_width(0.5f);
  s.UpdatePropertyDefined();
  EXPECT_FALSE(s.PropertyDefined());
  s.set_Thickness(0.5f);
  s.UpdatePropertyDefined();
  EXPECT_TRUE(s.PropertyDefined());
  s.set_width(1E-5f);
  s.UpdatePropertyDefined();
  EXPECT_FALSE(s.PropertyDefined());

  model::fourNode p;
  p.set_Thickness(1E-5f);
  p.UpdatePropertyDefined();
  EXPECT_FALSE(p.PropertyDefined());
  p.set_Thickness(-1);
  p.UpdatePropertyDefined();
  EXPECT_FALSE(p.PropertyDefined());
}

TEST(Elements, UnsetNodesAreAnErrorNotACrash) {
  model::twoNode s;
  EXPECT_EQ(ErrorOf([&] { s.Node1(); }), 91);
  EXPECT_EQ(ErrorOf([&] { s.GenerateCP(); }), 91);
  model::fourNode p;
  EXPECT_EQ(ErrorOf([&] { p.GenerateCP(); }), 91);
}

TEST(Nodeb, RecordsOfBothLayouts) {
  model::Nodeb n;
  n.set_xcoord(1.5f);
  n.set_ycoord(-2);
  n.set_InPDispX(0.125f);
  n.set_XTDir(1);
  n.set_YTDirValue(0.5f);
  n.set_ZTStiff(100);
  n.set_YLoad(-3);
  n.UpdatePropertyDefined();
  n.set_ID(4);
  n.set_vID(2);
  n.set_Connected(true);
  n.set_Sx(1E-5f);
  n.set_Mises(7);
  n.set_UvID(9);
  n.set_NCP(3);
  std::string text = Written([&](platform::TextFile& f) { n.StoreData1_4(f); });
  EXPECT_EQ(text,
            "1.5,-2,0,0.125,0\r\n"
            "#TRUE#,#TRUE#,#TRUE#,#TRUE#\r\n"
            "#TRUE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,0.5,#TRUE#\r\n"
            "0,0,100,0,0\r\n"
            "0,-3\r\n"
            "4,2,#TRUE#\r\n"
            "1e-05,0,0,7\r\n");
  model::Nodeb back;
  auto in = InputOf(text);
  back.ReadData1_4(*in);
  EXPECT_EQ(Written([&](platform::TextFile& f) { back.StoreData1_4(f); }, "again.txt"), text);
  EXPECT_EQ(back.UvID(), 0);
  EXPECT_EQ(back.NCP(), 0);

  // 1.3: line 6 without Connected, line 7 the displacements again, no stresses.
  model::Nodeb old;
  auto in13 = InputOf(
      "1,2,0,0.5,0.5\r\n#FALSE#,#FALSE#,#FALSE#,#FALSE#\r\n#FALSE#,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,0,#TRUE#\r\n"
      "0,0,0,0,0\r\n0,0\r\n3,1\r\n0.75,-0.25\r\n");
  old.ReadData(*in13);
  EXPECT_EQ(old.InPDispX(), 0.75f);
  EXPECT_EQ(old.InPDispY(), -0.25f);
  EXPECT_EQ(old.ID(), 3);
  EXPECT_TRUE(old.Connected());
  EXPECT_EQ(old.Sx(), 0.0f);
}
