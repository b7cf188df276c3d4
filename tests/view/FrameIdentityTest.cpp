// The batched drawing of plates, stiffeners and stress plots leaves the very
// pixels and depths of the item-by-item drawing (the item routines in
// collection order, as the view drew before batching): each frame is drawn
// both ways by Mesa's software renderer, which draws the same calls the same
// way every time, on a model with every kind of mark, under many options,
// views, zooms, clip ranges and selections, and compared value for value.
#include <gtest/gtest.h>

#include <QImage>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "model/Mesh.h"
#include "tests/view/RenderHost.h"
#include "tests/view/ViewTestSupport.h"
#include "view/ElementDrawing.h"
#include "view/NodeDrawing.h"
#include "view/View.h"

namespace {

using Setting = std::function<void(view::View&, model::Mesh&)>;

void AllLabels(view::View& v) {
  v.OptionShowNodeNumber = v.OptionShowStiffenerNumber = v.OptionShowPlateNumber = true;
  v.OptionShowBoundaryValue = v.OptionShowLoadValue = v.OptionShowBraceValue = true;
}

int CountDiffering(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

int CountNotWhite(const QImage& a) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += (a.pixel(x, y) & 0xffffffu) != 0xffffffu;
  return n;
}

// Draws the model as `set` leaves it, once item by item and once batched,
// and compares the two frames. With `mustDraw`, the frame must show a good
// part of the model (a view zoomed far out or clipped away may show little).
void Compare(const std::string& name, const Setting& set, bool mustDraw = true) {
  SCOPED_TRACE(name);
  model::Mesh mesh;
  viewtest::BuildEverySymbolModel(mesh, 13, 9, 120, 80);
  view::View v;
  viewtest::RenderHost host(v, mesh, 400, 300);
  v.Initialization(mesh.Nodes());
  host.selectionPainter = [&](float s) {
    view::DrawSelected(mesh.Nodes().Item(5), v, s);
    view::DrawSelected(mesh.fourNodes().Item(7), v, s);
    view::DrawSelected(mesh.twoNodes().Item(3), v, s);
  };
  set(v, mesh);

  v.DrawItemByItem = true;
  const QImage expected = host.Frame();
  const std::vector<float> expectedDepth = host.DepthBuffer();
  const std::vector<std::string> expectedMessages = host.outcomes.back().messages;
  v.DrawItemByItem = false;
  const QImage actual = host.Frame();
  const std::vector<float> actualDepth = host.DepthBuffer();

  ASSERT_EQ(actual.size(), expected.size());
  EXPECT_EQ(CountDiffering(actual, expected), 0) << "pixels differ";
  EXPECT_TRUE(actualDepth == expectedDepth) << "depths differ";
  EXPECT_EQ(host.outcomes.back().messages, expectedMessages);
  if (mustDraw) {
    EXPECT_GT(CountNotWhite(expected), 1000) << "too little drawn to compare";
  }
  for (const std::string& f : host.frameFaults) ADD_FAILURE() << f;
}

}  // namespace

TEST(FrameIdentity, ModelPassUnderOptionsAndViews) {
  const std::vector<std::pair<std::string, Setting>> settings = {
      {"top view", [](view::View&, model::Mesh&) {}},
      {"turned", [](view::View& v, model::Mesh&) { v.ViewAngle(); }},
      {"values, turned",
       [](view::View& v, model::Mesh&) {
         v.ViewAngle();
         v.OptionShowBoundaryValue = v.OptionShowLoadValue = v.OptionShowBraceValue = true;
       }},
      {"every label, turned",
       [](view::View& v, model::Mesh&) {
         v.ViewAngle();
         AllLabels(v);
       }},
      {"every label, large symbols",
       [](view::View& v, model::Mesh&) {
         AllLabels(v);
         v.OptionPropertyMarker_Size = 40;
         v.OptionLayerOffset_Distance = 20;
       }},
      {"large symbols, turned",
       [](view::View& v, model::Mesh&) {
         v.ViewAngle();
         v.OptionPropertyMarker_Size = 40;
         v.OptionLayerOffset_Distance = 20;
       }},
      {"plates hidden, left view, fit view",
       [](view::View& v, model::Mesh& m) {
         v.OptionShowPlate = false;
         v.OptionShowNodeNumber = v.OptionShowPlateNumber = true;
         v.LeftView();
         v.ScreenModeChange(m.Nodes());
       }},
      {"no stiffeners, top view command",
       [](view::View& v, model::Mesh&) {
         v.OptionShowStiffener = false;
         v.OptionPropertyMarker_Size = 30;
         v.TopView();
       }},
      {"zoomed in past the window's edges",
       [](view::View& v, model::Mesh&) {
         v.ViewRX = 40;
         v.ViewRY = -30;
         v.ViewRZ = 15;
         v.ViewZoom = 4;
         v.ViewX = 20;
         v.ViewY = -10;
         v.OptionPropertyMarker_Size = 20;
       }},
      {"clip range cuts the model",
       [](view::View& v, model::Mesh&) {
         v.ViewAngle();
         v.SetUpClipEq(20, 90, 10, 60);
       }},
      {"from below",
       [](view::View& v, model::Mesh&) {
         v.ViewRX = 10;
         v.ViewRY = 160;
         v.OptionPropertyMarker_Size = 25;
       }},
      {"buckled and shaded",
       [](view::View& v, model::Mesh&) {
         v.ViewAngle();
         v.OptionShowResult = v.OptionShading = true;
         v.OptionOutpMagFactor = 8;
         v.OptionInpMagFactor = 5;
       }},
      {"buckled, model hidden",
       [](view::View& v, model::Mesh&) {
         v.ViewAngle();
         v.OptionShowResult = v.OptionHideModelWhenBuckle = true;
         v.OptionOutpMagFactor = 8;
       }},
      {"moved nodes: a crossed plate and sloped stiffeners",
       [](view::View& v, model::Mesh& m) {
         // Node 15 rises above node 16, crossing the plate between them;
         // node 50 moves off its grid lines, sloping four stiffeners.
         m.Nodes().Item(15).set_ycoord(m.Nodes().Item(16).ycoord() + 3);
         m.Nodes().Item(50).set_xcoord(m.Nodes().Item(50).xcoord() + 4);
         m.Nodes().Item(50).set_ycoord(m.Nodes().Item(50).ycoord() - 3);
         v.ViewRX = 30;
         v.ViewRY = 20;
       }},
      {"thickest plate not brought up to date",
       [](view::View& v, model::Mesh& m) {
         m.fourNodes().Item(1).set_Thickness(5);
         v.ViewAngle();
       }},
  };
  for (const auto& [name, set] : settings) Compare(name, set);
}

TEST(FrameIdentity, StressPlots) {
  for (int option = 1; option <= 4; ++option) {
    Compare("option " + std::to_string(option) + ", turned", [option](view::View& v, model::Mesh&) {
      v.ViewAngle();
      v.OptionShowStress = option;
    });
    Compare("option " + std::to_string(option) + ", zoomed past the window's edges",
            [option](view::View& v, model::Mesh&) {
              v.ViewZoom = 3;
              v.ViewRX = -20;
              v.OptionShowStress = option;
            });
  }
}

// Views a user may turn to: rotations about all three axes, zoom and pan,
// with the options varied, from a fixed seed.
TEST(FrameIdentity, TurnedAtRandom) {
  std::mt19937 random(20240611);
  std::uniform_real_distribution<double> angle(-180, 180), pan(-30, 30);
  std::uniform_real_distribution<float> zoom(0.05f, 12.0f);
  for (int k = 0; k < 40; ++k) {
    const double rx = angle(random), ry = angle(random), rz = angle(random);
    const double px = pan(random), py = pan(random);
    const float z = zoom(random);
    Compare(
        "random view " + std::to_string(k),
        [=](view::View& v, model::Mesh& m) {
          v.ViewRX = rx;
          v.ViewRY = ry;
          v.ViewRZ = rz;
          v.ViewX = px;
          v.ViewY = py;
          v.ViewZoom = z;
          v.OptionPropertyMarker_Size = static_cast<float>(15 + k % 40);
          v.OptionLayerOffset_Distance = static_cast<float>(3 + k % 17);
          v.OptionShowResult = k % 3 == 0;
          v.OptionShading = k % 5 == 0;
          v.OptionShowStress = k % 6 == 5 ? 1 + k % 4 : 0;
          if (k % 4 == 1) v.OptionShowBoundaryValue = v.OptionShowLoadValue = v.OptionShowBraceValue = true;
          if (k % 7 == 3) v.ScreenModeChange(m.Nodes());
          if (k % 11 == 4) v.SetUpClipEq(10 + k % 30, 100 - k % 20, 5 + k % 20, 70 - k % 10);
        },
        false);
  }
}
