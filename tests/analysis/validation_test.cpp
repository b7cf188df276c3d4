// Whole runs, from the input file to the eigenvalue, against closed-form
// buckling loads (the models of ValidationModels.h).
#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

#include "tests/analysis/ValidationModels.h"
#include "tests/platform/FileTestSupport.h"

namespace {

using namespace validation;

struct PlateRun {
  analysis::RunResult result;
  std::vector<std::string> messages;
};

PlateRun RunPlate(int n, Edges edges, Loading loading, double estimate, model::Mesh* keep = nullptr) {
  model::Mesh local;
  model::Mesh& mesh = keep ? *keep : local;
  BuildSquarePlate(mesh, n, edges, loading);
  model::Analysis analysis;
  analysis.EigenValueEstimation = static_cast<float>(estimate);
  analysis.MaxCycle = 30;
  model::Material material;
  velk_test::ScratchFolder folder;
  runtest::ScriptedRunUi ui;
  PlateRun r;
  r.result = runtest::RunModel(mesh, analysis, material, folder.path(), ui);
  r.messages = ui.messages;
  if (r.result.outcome == analysis::RunOutcome::Error) std::cout << "[run error] " << r.result.errorNumber << " " << r.result.errorText << "\n";
  return r;
}

void Report(const char* name, double lambda, double exact) {
  std::cout << "[validation] " << name << ": eigenvalue " << lambda << ", closed form " << exact << ", error "
            << 100.0 * (lambda - exact) / exact << " %\n";
}

TEST(Validation, SimplySupportedPlateInCompressionConvergesFromAbove) {
  const double exact = PlateCritical(4.0, 1.0, 100.0);
  PlateRun r8 = RunPlate(8, Edges::SimplySupported, Loading::Compression, 0.0);
  PlateRun r16 = RunPlate(16, Edges::SimplySupported, Loading::Compression, 0.0);
  ASSERT_EQ(r8.result.outcome, analysis::RunOutcome::Completed);
  ASSERT_EQ(r16.result.outcome, analysis::RunOutcome::Completed);
  EXPECT_TRUE(r8.result.converged);
  EXPECT_TRUE(r16.result.converged);
  const double l8 = r8.result.eigenvalue, l16 = r16.result.eigenvalue;
  Report("SS plate, compression, 8x8", l8, exact);
  Report("SS plate, compression, 16x16", l16, exact);
  EXPECT_GE(l8, exact);
  EXPECT_GE(l16, exact);
  EXPECT_LT((l8 - exact) / exact, 0.03);
  EXPECT_LT((l16 - exact) / exact, 0.01);
  EXPECT_LT(l16, l8);
}

TEST(Validation, ClampedPlateInCompression) {
  const double exact = PlateCritical(10.07, 1.0, 100.0);
  PlateRun r = RunPlate(16, Edges::Clamped, Loading::Compression, 0.0);
  ASSERT_EQ(r.result.outcome, analysis::RunOutcome::Completed);
  EXPECT_TRUE(r.result.converged);
  Report("clamped plate, compression, 16x16", r.result.eigenvalue, exact);
  EXPECT_LT(std::fabs(r.result.eigenvalue - exact) / exact, 0.03);
}

TEST(Validation, SimplySupportedPlateInShearFromAnEstimate) {
  const double exact = PlateCritical(9.34, 1.0, 100.0);
  // Shear eigenvalues come in pairs of opposite sign: the estimate picks one.
  PlateRun r = RunPlate(16, Edges::SimplySupported, Loading::Shear, 0.8 * exact);
  ASSERT_EQ(r.result.outcome, analysis::RunOutcome::Completed);
  EXPECT_TRUE(r.result.converged);
  Report("SS plate, shear, 16x16", r.result.eigenvalue, exact);
  EXPECT_LT(std::fabs(r.result.eigenvalue - exact) / exact, 0.06);
}

TEST(Validation, PreBucklingStateOfUniformCompressionIsExact) {
  model::Mesh mesh;
  PlateRun r = RunPlate(8, Edges::SimplySupported, Loading::Compression, 0.0, &mesh);
  ASSERT_EQ(r.result.outcome, analysis::RunOutcome::Completed);
  for (const model::Nodeb& n : mesh.Nodes()) {
    EXPECT_NEAR(n.Sx(), -1.0, 1e-5);
    EXPECT_NEAR(n.Sy(), 0.0, 1e-5);
    EXPECT_NEAR(n.SXY(), 0.0, 1e-5);
    EXPECT_NEAR(n.Mises(), 1.0, 1e-5);
  }
  // u = -sigma x / E, v = nu sigma y / E.
  const model::Nodeb& far = NodeAt(mesh, 9, 9);
  EXPECT_NEAR(far.InPDispX(), -100.0 / kE, 1e-9);
  EXPECT_NEAR(far.InPDispY(), kNu * 100.0 / kE, 1e-9);
}

TEST(Validation, PinEndedStiffenerColumnMeetsEuler) {
  model::Mesh mesh;
  const double exact = BuildStiffenerColumn(mesh);

  model::Analysis analysis;
  analysis.MaxCycle = 30;
  model::Material material;
  velk_test::ScratchFolder folder;
  runtest::ScriptedRunUi ui;
  analysis::RunResult r = runtest::RunModel(mesh, analysis, material, folder.path(), ui);
  ASSERT_EQ(r.outcome, analysis::RunOutcome::Completed);
  EXPECT_TRUE(r.converged);
  Report("pin-ended stiffener column, 16 elements", r.eigenvalue, exact);
  EXPECT_LT(std::fabs(r.eigenvalue - exact) / exact, 0.01);
  // The stiffener stress is the unit force over the area t W = 1 x 2.
  for (const model::twoNode& s : mesh.twoNodes()) EXPECT_NEAR(s.Stress(), -0.5, 1e-6);
}

TEST(Validation, LateralTorsionalBucklingOfAnIGirder) {
  model::Mesh mesh;
  const double exact = BuildIGirder(mesh);

  model::Analysis analysis;
  analysis.MaxCycle = 30;
  analysis.EigenValueEstimation = static_cast<float>(0.8 * exact);
  model::Material material;
  velk_test::ScratchFolder folder;
  runtest::ScriptedRunUi ui;
  analysis::RunResult r = runtest::RunModel(mesh, analysis, material, folder.path(), ui);
  ASSERT_EQ(r.outcome, analysis::RunOutcome::Completed);
  EXPECT_TRUE(r.converged);
  Report("I-girder, lateral-torsional buckling", r.eigenvalue, exact);
  EXPECT_LT(std::fabs(r.eigenvalue - exact) / exact, 0.03);
}

}  // namespace
