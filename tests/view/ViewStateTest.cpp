// View state without OpenGL: limits and view box, the view commands, the
// stress read-back arithmetic, label texts and the options lines.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "model/Mesh.h"
#include "platform/MessageBox.h"
#include "platform/TextFile.h"
#include "tests/view/ViewTestSupport.h"
#include "view/BuckledShape.h"
#include "view/ElementDrawing.h"
#include "view/NodeDrawing.h"
#include "view/StressPlot.h"
#include "view/View.h"

using viewtest::FakeHost;

namespace {

bool AllFinite(const view::View& v) {
  const double values[] = {v.SLimitX0,   v.SLimitX1,   v.SLimitY0,         v.SLimitY1,
                           v.SLimitMaxX, v.SLimitMaxY, v.ScreenModeFactorX, v.ScreenModeFactorY,
                           v.SLimitZ0,   v.SLimitZ1,   v.SLimitCX,          v.SLimitCY};
  for (double d : values)
    if (!std::isfinite(d)) return false;
  return true;
}

}  // namespace

TEST(ViewLimits, CreationAndSmallModelsGiveTheUnitBox) {
  view::View v;
  EXPECT_DOUBLE_EQ(v.SLimitX0, -0.1);
  EXPECT_DOUBLE_EQ(v.SLimitX1, 1.1);
  EXPECT_FLOAT_EQ(v.SLimitMaxXY, 1.2f);
  EXPECT_DOUBLE_EQ(v.SLimitZ0, 10);
  EXPECT_FLOAT_EQ(v.SLimitZ1, -10);
  EXPECT_FLOAT_EQ(v.HClipFrom, -0.1f);
  EXPECT_FLOAT_EQ(v.VClipTo, 1.1f);

  // Three nodes far away still count as an empty model.
  model::Mesh mesh;
  for (int i = 0; i < 3; ++i) mesh.Nodes().Add(100.0f + i, 50, i + 1);
  FakeHost wide(800, 400);
  v.SetHost(&wide);
  v.Set_Limits(mesh.Nodes());
  EXPECT_DOUBLE_EQ(v.LimitX1, 1);
  // A window twice as wide as high widens the box in x about its centre.
  EXPECT_NEAR(v.SLimitMaxX, 2.4, 1e-6);
  EXPECT_NEAR(v.SLimitX0, 0.5 - 1.2, 1e-6);
  EXPECT_NEAR(v.SLimitY0, -0.1, 1e-6);
  // A tall window heightens it in y.
  FakeHost tall(300, 600);
  v.SetHost(&tall);
  v.Set_Limits(mesh.Nodes());
  EXPECT_NEAR(v.SLimitMaxY, 2.4, 1e-6);
  EXPECT_NEAR(v.SLimitX0, -0.1, 1e-6);
  EXPECT_EQ(wide.paints + tall.paints, 0);
}

TEST(ViewLimits, ModelExtentsAndFitView) {
  model::Mesh mesh;
  viewtest::BuildPlateGrid(mesh, 10, 4, 3, 3, 1);
  FakeHost host(400, 400);
  view::View v;
  v.SetHost(&host);
  v.Set_Limits(mesh.Nodes());
  EXPECT_DOUBLE_EQ(v.LimitMaxX, 10);
  EXPECT_DOUBLE_EQ(v.LimitMaxY, 4);
  EXPECT_DOUBLE_EQ(v.LimitCX, 5);
  EXPECT_FLOAT_EQ(v.LimitCY, 2);
  EXPECT_NEAR(v.SLimitX0, -1, 1e-6);
  EXPECT_NEAR(v.SLimitMaxX, 12, 1e-6);
  EXPECT_NEAR(v.SLimitMaxY, 12, 1e-6);  // fitted to the square window
  EXPECT_FLOAT_EQ(v.SLimitMaxXY, 12);   // before fitting: 12 x 6
  EXPECT_FLOAT_EQ(v.ScreenModeFactorX, 1);

  v.ScreenModeChange(mesh.Nodes());
  EXPECT_EQ(v.ScreenMode, 1);
  EXPECT_NEAR(v.ScreenModeFactorX, 1.2, 1e-6);
  EXPECT_NEAR(v.ScreenModeFactorY, 3.0, 1e-6);
  EXPECT_EQ(host.paints, 1);
  // Set_Limits alone leaves the clip range where it was.
  EXPECT_FLOAT_EQ(v.HClipFrom, -0.1f);

  v.ScreenMode = 2;
  v.ScreenModeChange(mesh.Nodes());
  EXPECT_EQ(v.ScreenMode, 2);
  EXPECT_EQ(host.paints, 2);
}

TEST(ViewLimits, DegenerateModelsAndWindowsStayFinite) {
  platform::ScriptedPrompter prompter;
  model::Mesh mesh;
  for (int i = 0; i < 4; ++i) mesh.Nodes().Add(3, 7, i + 1);  // all coincide
  FakeHost host(400, 300);
  view::View v;
  v.SetHost(&host);
  v.ScreenMode = 1;
  v.Set_Limits(mesh.Nodes());
  EXPECT_TRUE(AllFinite(v));
  EXPECT_GT(v.SLimitMaxX, 0);
  EXPECT_GT(v.SLimitMaxY, 0);
  EXPECT_LT(v.SLimitZ1, v.SLimitZ0);
  EXPECT_NEAR(v.SLimitCX, 3, 1e-6);
  EXPECT_NEAR(v.SLimitCY, 7, 1e-6);

  // Nodes on a vertical line: no x span, but the fit view still divides by 1.
  model::Mesh line;
  for (int i = 0; i < 4; ++i) line.Nodes().Add(0, static_cast<float>(i), i + 1);
  v.Set_Limits(line.Nodes());
  EXPECT_TRUE(AllFinite(v));

  // A window without size fits as a square.
  host.Resize(0, 0);
  v.ScreenMode = 0;
  v.Set_Limits(line.Nodes());
  EXPECT_TRUE(AllFinite(v));
  EXPECT_NEAR(v.SLimitMaxX, v.SLimitMaxY, 1e-9);
  host.Resize(500, 0);
  v.Set_Limits(line.Nodes());
  EXPECT_TRUE(AllFinite(v));
  EXPECT_TRUE(prompter.messages().empty());
}

TEST(ViewCommands, FixedAnglesZoomAndCentre) {
  FakeHost host;
  view::View v;
  v.SetHost(&host);
  v.LeftView();
  EXPECT_EQ(v.ViewRX, 89.9);
  EXPECT_EQ(v.ViewRY, 0.01);
  EXPECT_EQ(v.ViewRZ, 0.01);
  v.TopView();
  EXPECT_EQ(v.ViewRX, 0.01);
  EXPECT_EQ(v.ViewRY, 89.9);
  v.ViewAngle();
  EXPECT_EQ(v.ViewRX, 25);
  EXPECT_EQ(v.ViewRZ, 0);
  v.ViewX = 2;
  v.ViewZoom = 3;
  v.Zoom_All();
  EXPECT_EQ(v.ViewX, 0);
  EXPECT_EQ(v.ViewRX, 0);
  EXPECT_EQ(v.ViewZoom, 1);
  EXPECT_EQ(host.paints, 4);

  v.Center(0.25f, 1.0f);
  EXPECT_NEAR(v.ViewX, 0.25, 1e-7);
  EXPECT_NEAR(v.ViewY, -0.5, 1e-7);

  v.ViewZoom = 64;
  v.ZoomInOutCenter(0.5f, 0.5f, 0);
  EXPECT_EQ(v.ViewZoom, 100);
  v.ViewZoom = 3;
  v.ZoomInOutCenter(0.5f, 0.5f, 0);
  EXPECT_EQ(v.ViewZoom, 6);
  v.ViewZoom = 0.015f;
  v.ZoomInOutCenter(0.5f, 0.5f, 1);
  EXPECT_EQ(v.ViewZoom, 0.01f);
  v.ViewZoom = 5;
  v.ViewX = 9;
  v.ZoomInOutCenter(0.5f, 0.5f, 2);
  EXPECT_EQ(v.ViewZoom, 5);
  EXPECT_EQ(v.ViewX, 9);
  EXPECT_EQ(host.paints, 4);  // zooming at a point does not repaint

  v.SetUpClipEq(1, 2, 3, 4);
  EXPECT_EQ(v.HClipTo, 2);
  EXPECT_EQ(v.VClipFrom, 3);
  EXPECT_EQ(host.paints, 5);
}

TEST(ViewStress, ColoursScaleAndReadBack) {
  view::StressColour c = view::StressToColour(-50, 100);
  EXPECT_FLOAT_EQ(c.r, 0.5f);
  EXPECT_FLOAT_EQ(c.g, 0.5f);
  EXPECT_FLOAT_EQ(c.b, 1);
  c = view::StressToColour(100, 100);
  EXPECT_FLOAT_EQ(c.r, 1);
  EXPECT_FLOAT_EQ(c.g, 0);
  c = view::StressToColour(0, 100);
  EXPECT_FLOAT_EQ(c.g, 1);
  EXPECT_FLOAT_EQ(c.b, 1);

  EXPECT_FLOAT_EQ(view::StressScale(100, -50), 100);
  EXPECT_FLOAT_EQ(view::StressScale(100, -300), 300);
  EXPECT_FLOAT_EQ(view::StressScale(0, 0), 1E-16f);
  EXPECT_FLOAT_EQ(view::StressScale(-1E37f, 1E37f), 1E37f);

  FakeHost host;
  view::View v;
  v.SetHost(&host);
  v.maxStress = 100;
  v.ShowStressValue(1, 0.5f);  // (0.5, 0.5, 1)
  v.ShowStressValue(0.25f, 1);  // (1, 0.25, 0.25)
  v.ShowStressValue(1, 1);      // white: nothing
  v.ShowStressValue(0, 0);      // black: nothing
  ASSERT_EQ(host.stress.size(), 2u);
  EXPECT_FLOAT_EQ(host.stress[0], -50);
  EXPECT_FLOAT_EQ(host.stress[1], 75);
}

TEST(ViewLabels, ValueTextsAndPlateShade) {
  EXPECT_EQ(view::FormatSymbolValue(0), "0.00");
  EXPECT_EQ(view::FormatSymbolValue(1.5), "1.50");
  EXPECT_EQ(view::FormatSymbolValue(0.1234), "0.123");
  EXPECT_EQ(view::FormatSymbolValue(-2), "-2.00");
  EXPECT_EQ(view::FormatSymbolValue(-1), "-1.00");
  EXPECT_EQ(view::FormatSymbolValue(12345.6789), "12345.679");
  EXPECT_EQ(view::FormatSymbolValue(-0.0001), "0.00");
  EXPECT_EQ(view::FormatGeneralNumber(0.5f), "0.5");
  EXPECT_EQ(view::FormatGeneralNumber(250), "250");

  EXPECT_FLOAT_EQ(view::PlateShade(2, 2), 0.7f);
  EXPECT_FLOAT_EQ(view::PlateShade(1, 2), 0.85f);
  EXPECT_FLOAT_EQ(view::PlateShade(0, 2), 1);
  // No largest thickness to divide by: the full shade, white without one.
  EXPECT_FLOAT_EQ(view::PlateShade(1, 0), 0.7f);
  EXPECT_FLOAT_EQ(view::PlateShade(0, 0), 1);
}

// Normals of any model size reach unit length; one without a direction
// never hands OpenGL a zero or a NaN to light with.
TEST(ShadedNormals, UnitLengthAtAnySizeAndUpAlongZWithoutDirection) {
  auto expectUnit = [](view::Point3 n, float x, float y, float z) {
    const view::Point3 u = view::UnitNormal(n);
    EXPECT_NEAR(u.x, x, 1e-6f);
    EXPECT_NEAR(u.y, y, 1e-6f);
    EXPECT_NEAR(u.z, z, 1e-6f);
  };
  expectUnit({3e30f, 0, 4e30f}, 0.6f, 0, 0.8f);  // squares beyond a float
  expectUnit({0, -3e-30f, 4e-30f}, 0, -0.6f, 0.8f);  // squares below a float
  expectUnit({1e-45f, 0, 0}, 1, 0, 0);
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  for (view::Point3 n : {view::Point3{0, 0, 0}, {nan, 1, 0}, {inf, 0, 0}, {inf, -inf, 0}})
    expectUnit(n, 0, 0, 1);
}

class ViewOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = std::filesystem::temp_directory_path() /
            ("velk_view_options_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini");
  }
  void TearDown() override { std::filesystem::remove(path_); }
  void WriteText(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  void ReadInto(view::View& v) {
    platform::TextFile in(path_, platform::FileMode::Input);
    v.ReadData1_4Option(in);
  }
  static void ExpectFallback(const view::View& v) {
    EXPECT_TRUE(v.OptionShading);
    EXPECT_FLOAT_EQ(v.OptionInpMagFactor, 10);
    EXPECT_FLOAT_EQ(v.OptionOutpMagFactor, 10);
    EXPECT_FLOAT_EQ(v.OptionSelectedMarker_Size, 10);
    EXPECT_FLOAT_EQ(v.OptionPropertyMarker_Size, 10);
    EXPECT_FLOAT_EQ(v.OptionLayerOffset_Distance, 10);
    EXPECT_EQ(v.OptionFontSize, 10);
    EXPECT_EQ(v.OptionShowStress, 0);
    EXPECT_FLOAT_EQ(v.OptionZoomCenterFactor, 2);
    EXPECT_TRUE(v.OptionShowPlate);
    EXPECT_TRUE(v.OptionShowModel);
    EXPECT_FALSE(v.OptionShowNodeNumber);
    EXPECT_FALSE(v.OptionShowResult);
  }
  static std::string GoodLines(const std::string& line7, const std::string& line8) {
    return "#TRUE#,#FALSE#,#TRUE#\r\n#FALSE#,#TRUE#\r\n#TRUE#,#TRUE#,#FALSE#,#TRUE#\r\n"
           "#FALSE#,#TRUE#\r\n#TRUE#,#TRUE#,#FALSE#\r\n2.5,-3\r\n" +
           line7 + "\r\n" + line8 + "\r\n";
  }
  std::filesystem::path path_;
};

TEST_F(ViewOptions, RoundTripKeepsEveryValue) {
  view::View a;
  a.OptionShowNodeNumber = true;
  a.OptionShowPlateNumber = true;
  a.OptionShowCoordinate = false;
  a.OptionShowBoundaryValue = true;
  a.OptionShowLoad = false;
  a.OptionShowBraceValue = true;
  a.OptionShowModel = false;
  a.OptionShowResult = true;
  a.OptionHideModelWhenBuckle = true;
  a.OptionInpMagFactor = 0.5f;
  a.OptionOutpMagFactor = -2;
  a.OptionSelectedMarker_Size = 7.25f;
  a.OptionPropertyMarker_Size = 0;
  a.OptionLayerOffset_Distance = 1e-3f;
  a.OptionFontSize = 14;
  a.OptionShowStress = 3;
  a.OptionZoomCenterFactor = 1.5f;
  a.OptionShowPlate = false;
  a.OptionShading = true;
  {
    platform::TextFile out(path_, platform::FileMode::Output);
    a.StoreData1_4Option(out);
    out.Close();
  }
  view::View b;
  ReadInto(b);
  EXPECT_EQ(b.OptionShowNodeNumber, true);
  EXPECT_EQ(b.OptionShowStiffenerNumber, false);
  EXPECT_EQ(b.OptionShowPlateNumber, true);
  EXPECT_EQ(b.OptionShowCoordinate, false);
  EXPECT_EQ(b.OptionShowStiffener, true);
  EXPECT_EQ(b.OptionShowBoundaryValue, true);
  EXPECT_EQ(b.OptionShowLoad, false);
  EXPECT_EQ(b.OptionShowBraceValue, true);
  EXPECT_EQ(b.OptionShowModel, false);
  EXPECT_EQ(b.OptionShowResult, true);
  EXPECT_EQ(b.OptionHideModelWhenBuckle, true);
  EXPECT_EQ(b.OptionInpMagFactor, 0.5f);
  EXPECT_EQ(b.OptionOutpMagFactor, -2);
  EXPECT_EQ(b.OptionSelectedMarker_Size, 7.25f);
  EXPECT_EQ(b.OptionPropertyMarker_Size, 0);
  EXPECT_EQ(b.OptionLayerOffset_Distance, 1e-3f);
  EXPECT_EQ(b.OptionFontSize, 14);
  EXPECT_EQ(b.OptionShowStress, 3);
  EXPECT_EQ(b.OptionZoomCenterFactor, 1.5f);
  EXPECT_EQ(b.OptionShowPlate, false);
  EXPECT_EQ(b.OptionShading, true);

  // Eight lines, OptionShowPlate on the last.
  std::ifstream in(path_, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[7], "3,1.5,#FALSE#,#TRUE#\r");
  EXPECT_EQ(lines[0], "#TRUE#,#FALSE#,#TRUE#\r");
}

TEST_F(ViewOptions, AcceptsAWellFormedGroup) {
  WriteText(GoodLines("4,5,6,12", "2,3,#FALSE#,#FALSE#"));
  view::View v;
  ReadInto(v);
  EXPECT_EQ(v.OptionFontSize, 12);
  EXPECT_EQ(v.OptionShowStress, 2);
  EXPECT_FLOAT_EQ(v.OptionOutpMagFactor, -3);
  EXPECT_FALSE(v.OptionShading);
}

TEST_F(ViewOptions, MissingOrDamagedGroupTakesTheFallbackSet) {
  platform::ScriptedPrompter prompter;
  const std::string cases[] = {
      "",                                              // no view lines at all
      "#TRUE#,#FALSE#,#TRUE#\r\n#FALSE#,#TRUE#\r\n",   // cut short
      GoodLines("4,5,6,12", "2,3,#FALSE#"),            // last item missing
      GoodLines("4,5,6,\"big\"", "2,3,#FALSE#,#FALSE#"),  // not a number
      GoodLines("4,5,6,25", "2,3,#FALSE#,#FALSE#"),    // font size no dialog takes
      GoodLines("4,5,6,5", "2,3,#FALSE#,#FALSE#"),
      GoodLines("4,5,6,12", "2,0,#FALSE#,#FALSE#"),    // zoom factor 0
      GoodLines("4,5,6,12", "2,-2,#FALSE#,#FALSE#"),   // negative zoom factor
      GoodLines("4,5,6,12", "7,3,#FALSE#,#FALSE#"),    // no such stress plot
      GoodLines("4,5,6,12", "-1,3,#FALSE#,#FALSE#"),
      GoodLines("NaN,5,6,12", "2,3,#FALSE#,#FALSE#"),
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    WriteText(text);
    view::View v;
    v.OptionShowResult = true;
    v.OptionFontSize = 15;
    ReadInto(v);
    ExpectFallback(v);
  }
  EXPECT_TRUE(prompter.messages().empty());
}
