// The girder generator's checks and the grid it lays out, without a window.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "analysis/SolverInput.h"
#include "dialogs/GirderGenerator.h"
#include "dialogs/SectionSketch.h"
#include "model/Nodes.h"
#include "model/fourNodes.h"
#include "model/twoNodes.h"
#include "platform/RuntimeError.h"
#include "tests/dialogs/generator/GirderTestSupport.h"

using namespace dialogs;
using velk_test::DefaultGirderTexts;

namespace {

std::string Check(GirderTexts t) {
  GirderPlan plan;
  return CheckGirder(t, plan);
}

}  // namespace

TEST(GirderChecks, EachRowInOrderWithItsMessage) {
  struct Row {
    std::string GirderTexts::*box;
    std::string text;
    std::string message;
  };
  const Row rows[] = {
      {&GirderTexts::BL, "abc", kMsgNumbers},
      {&GirderTexts::NumYElements, "", kMsgNumbers},
      {&GirderTexts::MOE, "nan", kMsgNumbers},
      {&GirderTexts::PR, "inf", kMsgNumbers},
      {&GirderTexts::BWTE, "x", kMsgNumbers},
      {&GirderTexts::Offset, "1e400", kMsgNumbers},
      {&GirderTexts::NumXElements, "0", kMsgLongitudinal},
      {&GirderTexts::NumXElements, "0.4", kMsgLongitudinal},
      {&GirderTexts::NumYElements, "-3", kMsgTransverse},
      {&GirderTexts::MOE, "0", kMsgMoE},
      {&GirderTexts::PR, "0", kMsgPR},
      {&GirderTexts::PR, "-0.3", kMsgPR},
      {&GirderTexts::PR, "1", kMsgPR},
      {&GirderTexts::PR, "1.5", kMsgPR},
      {&GirderTexts::BTFW, "-12", kMsgPositive},
      {&GirderTexts::BBFT, "-0.5", kMsgPositive},
      {&GirderTexts::BWT, "0", kMsgBeamWeb},
      {&GirderTexts::BWH, "-16", kMsgBeamWeb},
      {&GirderTexts::BTFTE, "-1", kMsgPositive},
      {&GirderTexts::BWHE, "0", kMsgBeamWeb},
      {&GirderTexts::BL, "0", kMsgBeamLength},
      {&GirderTexts::BL, "-120", kMsgBeamLength},
      {&GirderTexts::BL, "1e-50", kMsgBeamLength},  // zero once in single precision
      {&GirderTexts::NumXElements, "40000", kMsgTooManyElements},
      {&GirderTexts::NumXElements, "32767", kMsgTooManyElements},
      {&GirderTexts::NumYElements, "3000", kMsgTooManyElements},
  };
  for (const Row& row : rows) {
    GirderTexts t = DefaultGirderTexts();
    t.*row.box = row.text;
    EXPECT_EQ(Check(t), row.message) << "text " << row.text;
  }
  // Earlier rows win: an End 1 number failure before an End 2 one, a count
  // before the material, the web before the length.
  GirderTexts t = DefaultGirderTexts();
  t.NumXElements = "0";
  t.MOE = "0";
  EXPECT_EQ(Check(t), kMsgLongitudinal);
  t = DefaultGirderTexts();
  t.BWT = "0";
  t.BL = "0";
  EXPECT_EQ(Check(t), kMsgBeamWeb);
  EXPECT_EQ(Check(DefaultGirderTexts()), "");
}

TEST(GirderChecks, PoissonRatiosBelowOneAreAccepted) {
  const std::pair<const char*, float> ratios[] = {
      {"0.01", 0.01f}, {"0.3", 0.3f}, {"0.499", 0.499f}, {"0.5", 0.5f}, {"0.75", 0.75f},
      {"0.999", 0.999f}};
  for (const auto& [text, value] : ratios) {
    GirderTexts t = DefaultGirderTexts();
    t.PR = text;
    GirderPlan plan;
    ASSERT_EQ(CheckGirder(t, plan), "") << text;
    EXPECT_FLOAT_EQ(plan.PR, value);
  }
}

TEST(GirderChecks, RefusesAGridTheSolverCannotNumber) {
  // The solver's bending stage numbers three equations a node in 16 bits.
  EXPECT_NO_THROW(analysis::Equation(kMaxGridNodes, 3, 3));
  EXPECT_THROW(analysis::Equation(kMaxGridNodes + 1, 3, 3), platform::RuntimeError);
  EXPECT_NE(std::string(kMsgTooManyElements).find(std::to_string(kMaxGridNodes)),
            std::string::npos);

  GirderTexts t = DefaultGirderTexts();
  t.NumXElements = "108";  // 109 x 101 = 11,009 nodes
  t.NumYElements = "100";
  EXPECT_EQ(Check(t), kMsgTooManyElements);
  t.NumXElements = "107";  // 108 x 101 = 10,908 nodes
  GirderPlan plan;
  ASSERT_EQ(CheckGirder(t, plan), "");
  EXPECT_EQ(long{plan.NX} * plan.NY, 10908);
  // The limit itself: 2 x 5461 nodes pass, 2 x 5462 do not.
  t.NumXElements = "1";
  t.NumYElements = "5460";
  EXPECT_EQ(Check(t), "");
  t.NumYElements = "5461";
  EXPECT_EQ(Check(t), kMsgTooManyElements);
}

TEST(GirderChecks, ZeroFlangeRuleRewritesBoxesEvenWhenALaterCheckFails) {
  GirderTexts t = DefaultGirderTexts();
  t.BTFW = "0";
  t.BBFWE = "0.0";
  t.BWT = "0";
  GirderPlan plan;
  EXPECT_EQ(CheckGirder(t, plan), kMsgBeamWeb);
  EXPECT_EQ(t.BTFW, "0");
  EXPECT_EQ(t.BTFT, "0");
  // End 2 comes after the End 1 web check, so it is not reached.
  EXPECT_EQ(t.BBFWE, "0.0");
  // A zero next to a negative is a missing flange, not a negative one.
  t = DefaultGirderTexts();
  t.BTFW = "0";
  t.BTFT = "-1";
  EXPECT_EQ(CheckGirder(t, plan), "");
}

TEST(GirderChecks, ProportionalGridNeedsTwoElementsAndAPositiveRatio) {
  GirderTexts t = DefaultGirderTexts();
  t.proportional = true;
  t.BWHE = "32.5";
  t.NumXElements = "1";
  EXPECT_EQ(Check(t), kMsgProportionalOne);
  // With equal depths the grid is uniform, so one element is fine.
  t.BWHE = "16";
  EXPECT_EQ(Check(t), "");
  // Counts round half to even: 2.5 gives 2 elements.
  t = DefaultGirderTexts();
  t.NumXElements = "2.5";
  GirderPlan plan;
  ASSERT_EQ(CheckGirder(t, plan), "");
  EXPECT_EQ(plan.NX, 3);
}

TEST(GirderBuild, DefaultGirderCountsAndSizes) {
  GirderTexts t = DefaultGirderTexts();
  t.proportional = true;  // q = 1: uniform all the same
  GirderPlan plan;
  ASSERT_EQ(CheckGirder(t, plan), "");
  EXPECT_FLOAT_EQ(plan.y1, 16.5f);
  EXPECT_FLOAT_EQ(plan.y2, 16.5f);
  EXPECT_FLOAT_EQ(plan.y3, 0.0f);
  EXPECT_FALSE(plan.proportionalGrid);

  model::BeamShape shape;
  model::Material material;
  model::Mesh mesh;
  BuildGirder(plan, shape, material, mesh);
  EXPECT_EQ(mesh.Nodes().Count(), 60);
  EXPECT_EQ(mesh.fourNodes().Count(), 42);
  EXPECT_EQ(mesh.twoNodes().Count(), 101);
  EXPECT_EQ(mesh.Nodes().NumberNodesX(), 15);
  EXPECT_EQ(mesh.Nodes().NumberNodesY(), 4);
  int defined = 0;
  for (long i = 1; i <= 101; ++i) {
    const model::twoNode& e = mesh.twoNodes().Item(i);
    const bool flange = i <= 14 || (i >= 43 && i <= 56);
    EXPECT_EQ(e.PropertyDefined(), flange) << i;
    if (flange) {
      EXPECT_FLOAT_EQ(e.width(), 12.0f);
      EXPECT_FLOAT_EQ(e.Thickness(), 0.5f);
      ++defined;
    }
  }
  EXPECT_EQ(defined, 28);
  EXPECT_EQ(mesh.twoNodes().MaxvID(), 28);
  EXPECT_EQ(mesh.fourNodes().MaxvID(), 42);
  EXPECT_EQ(mesh.Nodes().MaxvID(), 60);
  EXPECT_FLOAT_EQ(mesh.fourNodes().MaxThickness(), 0.5f);
  // Column spacing is uniform: 120 / 14.
  EXPECT_NEAR(mesh.Nodes().Item(5).xcoord(), 120.0 / 14, 1e-4);
  EXPECT_FLOAT_EQ(material.MOE(), 29000.0f);
}

TEST(GirderBuild, TaperedFlangesAndWeb) {
  GirderTexts t = DefaultGirderTexts();
  t.BTFW = "0";  // no top flange at End 1, 12 by 0.5 at End 2
  t.BWTE = "1";
  GirderPlan plan;
  ASSERT_EQ(CheckGirder(t, plan), "");
  model::BeamShape shape;
  model::Material material;
  model::Mesh mesh;
  BuildGirder(plan, shape, material, mesh);
  EXPECT_FLOAT_EQ(shape.Top_Flange_W(), 0.0f);
  EXPECT_FLOAT_EQ(shape.Top_Flange_T(), 0.0f);
  const long nx = 15, ny = 4;
  for (long i = (nx - 1) * (ny - 1) + 1; i <= (nx - 1) * ny; ++i) {
    const model::twoNode& e = mesh.twoNodes().Item(i);
    EXPECT_NEAR(e.width(), 12.0 * e.CPX() / 120, 1e-4);
    EXPECT_NEAR(e.Thickness(), 0.5 * e.CPX() / 120, 1e-5);
  }
  for (long i = 1; i <= mesh.fourNodes().Count(); ++i) {
    const model::fourNode& p = mesh.fourNodes().Item(i);
    EXPECT_NEAR(p.Thickness(), 0.5 + 0.5 * p.CPX() / 120, 1e-5);
  }
}

TEST(GirderBuild, ProportionalGridFollowsTheDepthRatio) {
  GirderTexts t = DefaultGirderTexts();
  t.BWHE = "32.5";
  t.proportional = true;
  GirderPlan plan;
  ASSERT_EQ(CheckGirder(t, plan), "");
  EXPECT_FLOAT_EQ(plan.q, 2.0f);
  EXPECT_TRUE(plan.proportionalGrid);
  model::BeamShape shape;
  model::Material material;
  model::Mesh mesh;
  BuildGirder(plan, shape, material, mesh);
  EXPECT_EQ(shape.ProportionalMesh(), 1);
  const long nx = 15, ny = 4;
  // Element lengths along x grow geometrically: the last is twice the first.
  const model::Nodes& n = mesh.Nodes();
  const double first = n.Item(ny + 1).xcoord() - n.Item(1).xcoord();
  const double last = n.Item(nx * ny).xcoord() - n.Item((nx - 1) * ny).xcoord();
  EXPECT_NEAR(last / first, 2.0, 1e-3);
}

TEST(GirderBuild, OffsetLowersEnd2) {
  GirderTexts t = DefaultGirderTexts();
  t.Offset = "2";
  GirderPlan plan;
  ASSERT_EQ(CheckGirder(t, plan), "");
  EXPECT_FLOAT_EQ(plan.y2, 14.5f);
  EXPECT_FLOAT_EQ(plan.y3, -2.0f);
}

TEST(SectionSketch, WorkedExamples) {
  SectionSketch s = ComputeSectionSketch({"12", "0.5", "16", "0.5", "12", "0.5", "120"}, true);
  ASSERT_EQ(s.outcome, SketchOutcome::Drawn);
  EXPECT_FLOAT_EQ(s.D, 17);
  EXPECT_FLOAT_EQ(s.W, 12);
  EXPECT_FLOAT_EQ(s.S, 10.2f);
  EXPECT_FLOAT_EQ(s.d, 0);
  EXPECT_NEAR(s.top.x, 4.2, 1e-5);
  EXPECT_NEAR(s.top.y, 18.2, 1e-5);
  EXPECT_NEAR(s.web.x, 9.95, 1e-5);
  EXPECT_NEAR(s.web.y, 2.2, 1e-5);
  EXPECT_NEAR(s.bottom.x, 4.2, 1e-5);
  EXPECT_NEAR(s.bottom.y, 1.7, 1e-5);
  EXPECT_FLOAT_EQ(s.web.height, 16);

  s = ComputeSectionSketch({"8", "1", "20", "0.375", "10", "0.75", "0"}, false);
  ASSERT_EQ(s.outcome, SketchOutcome::Drawn);
  EXPECT_FLOAT_EQ(s.D, 21.75f);
  EXPECT_FLOAT_EQ(s.S, 13.05f);
  EXPECT_FLOAT_EQ(s.d, 0.125f);
  EXPECT_NEAR(s.top.x, 9.05, 1e-5);
  EXPECT_NEAR(s.top.y, 22.925, 1e-5);
  EXPECT_NEAR(s.web.x, 12.8625, 1e-5);
  EXPECT_NEAR(s.web.y, 2.925, 1e-5);
  EXPECT_NEAR(s.bottom.x, 8.05, 1e-5);
  EXPECT_NEAR(s.bottom.y, 2.175, 1e-5);

  s = ComputeSectionSketch({"30", "1", "10", "0.5", "30", "1", "120"}, true);
  EXPECT_FLOAT_EQ(s.D, 12);
  EXPECT_FLOAT_EQ(s.W, 30);
  EXPECT_FLOAT_EQ(s.S, 18);

  // A zero flange width draws that flange with no size.
  s = ComputeSectionSketch({"0", "0.5", "16", "0.5", "12", "0.5", "120"}, true);
  ASSERT_EQ(s.outcome, SketchOutcome::Drawn);
  EXPECT_FLOAT_EQ(s.D, 16.5f);
  EXPECT_FLOAT_EQ(s.top.width, 0);
  EXPECT_FLOAT_EQ(s.top.height, 0);
}

TEST(SectionSketch, ChecksInOrder) {
  EXPECT_EQ(ComputeSectionSketch({"12", "0.5", "16", "0.", "12", "0.5", "x"}, true).message,
            kMsgNumbers);
  EXPECT_EQ(ComputeSectionSketch({"12", "0.5", "16", "0.", "12", "0.5", "0"}, true).message,
            kMsgBeamWeb);
  EXPECT_EQ(ComputeSectionSketch({"12", "0.5", "16", "0.5", "12", "0.5", "0"}, true).message,
            kMsgBeamLength);
  // The offset at End 2 is only tested for being a number.
  EXPECT_EQ(ComputeSectionSketch({"12", "0.5", "16", "0.5", "12", "0.5", "-5"}, false).outcome,
            SketchOutcome::Drawn);
  EXPECT_EQ(ComputeSectionSketch({"12", "-0.5", "16", "0.5", "12", "0.5", "1"}, false).message,
            kMsgPositive);
  EXPECT_EQ(ComputeSectionSketch({"3e38", "3e38", "3e38", "0.5", "12", "0.5", "1"}, false).outcome,
            SketchOutcome::Failed);
}
