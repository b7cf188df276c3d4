// The listings of the validation models, byte for byte: every printed digit
// of the in-plane results, stresses, mode shape and eigenvalue is pinned, so
// that work on the speed of the solver cannot change what it reports.
//
// After a deliberate change of the listing, rewrite the files with
//   VELK_UPDATE_GOLDEN=1 ctest -R ListingPin
// and review the difference before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "analysis/BandPaths.h"
#include "tests/analysis/BandPathSupport.h"
#include "tests/analysis/ValidationModels.h"
#include "tests/platform/FileTestSupport.h"

namespace {

using namespace validation;

const std::filesystem::path kGoldenDir = VELK_TEST_GOLDEN_DIR;

struct PinCase {
  const char* name;
  std::function<void(model::Mesh&, model::Analysis&)> build;
};

// Runs the case and returns its listing.
std::string ListingOf(const PinCase& c) {
  model::Mesh mesh;
  model::Analysis analysis;
  c.build(mesh, analysis);
  model::Material material;
  velk_test::ScratchFolder folder;
  runtest::ScriptedRunUi ui;
  const analysis::RunResult r = runtest::RunModel(mesh, analysis, material, folder.path(), ui);
  EXPECT_EQ(r.outcome, analysis::RunOutcome::Completed) << c.name << ": " << r.errorText;
  return velk_test::ReadBytes(folder.path() / "velktempout.vlk");
}

// The first line where two listings differ, for the failure message.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  std::size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  const std::size_t from = expected.rfind('\n', at) == std::string::npos ? 0 : expected.rfind('\n', at) + 1;
  auto line = [&](const std::string& s) { return s.substr(from, s.find('\n', from) - from); };
  return "expected: " + line(expected) + "\n  actual: " + line(actual);
}

// Every path of the band routines gives the pinned listing.
void Check(const PinCase& c) {
  // The pinned digits include round-off (stresses of 1E-16 where the exact
  // value is 0): they are those of processors with fused multiply-add, whose
  // reduction fuses its accumulations.
  if (!analysis::ProcessorHasFma()) GTEST_SKIP() << "the pinned round-off is that of processors with FMA";
  const std::filesystem::path golden = kGoldenDir / (std::string(c.name) + ".vlk");
  if (std::getenv("VELK_UPDATE_GOLDEN")) {
    std::ofstream(golden, std::ios::binary) << ListingOf(c);
    return;
  }
  const std::string expected = velk_test::ReadBytes(golden);
  ASSERT_FALSE(expected.empty()) << "missing " << golden;
  for (analysis::BandPath path : analysis::BandPathsHere()) {
    bandtest::ScopedBandPath scoped(path);
    const std::string listing = ListingOf(c);
    EXPECT_TRUE(listing == expected) << c.name << " on the " << analysis::BandPathName(path) << " path\n  "
                                     << FirstDifference(expected, listing);
  }
}

// The validation runs' settings: 30 cycles a shift.
model::Analysis& Validation(model::Analysis& a, double estimate = 0.0) {
  a.MaxCycle = 30;
  a.EigenValueEstimation = static_cast<float>(estimate);
  return a;
}

TEST(ListingPin, PlatesInCompressionAndShear) {
  Check({"plate_ss_compression_8", [](model::Mesh& m, model::Analysis& a) {
           BuildSquarePlate(m, 8, Edges::SimplySupported, Loading::Compression);
           Validation(a);
         }});
  Check({"plate_clamped_compression_8", [](model::Mesh& m, model::Analysis& a) {
           BuildSquarePlate(m, 8, Edges::Clamped, Loading::Compression);
           Validation(a);
         }});
  Check({"plate_ss_shear_8", [](model::Mesh& m, model::Analysis& a) {
           BuildSquarePlate(m, 8, Edges::SimplySupported, Loading::Shear);
           Validation(a, 0.8 * PlateCritical(9.34, 1.0, 100.0));
         }});
}

// The default settings: the first shift (0) spends its 8 cycles, the second
// (0.8 of the latest estimate) converges, so the saved K is restored once.
TEST(ListingPin, DefaultSettingsShiftOnce) {
  Check({"plate_ss_compression_8_defaults", [](model::Mesh& m, model::Analysis&) {
           BuildSquarePlate(m, 8, Edges::SimplySupported, Loading::Compression);
         }});
}

TEST(ListingPin, StiffenersAndGirder) {
  Check({"stiffener_column", [](model::Mesh& m, model::Analysis& a) {
           BuildStiffenerColumn(m);
           Validation(a);
         }});
  // Both stiffener options, with out-of-plane springs and a prescribed
  // in-plane displacement with a spring on the same direction.
  Check({"stiffener_column_options", [](model::Mesh& m, model::Analysis& a) {
           BuildStiffenerColumn(m);
           model::Nodes& nodes = m.Nodes();
           nodes.Item(9).set_ZTStiff(0.5f);
           nodes.Item(5).set_XRStiff(100.0f);
           nodes.Item(1).set_XTDirValue(0.001f);
           nodes.Item(1).set_xtstiff(10.0f);
           Validation(a);
           a.IGSTF = true;
           a.ISHEAR = true;
         }});
  Check({"i_girder", [](model::Mesh& m, model::Analysis& a) { Validation(a, 0.8 * BuildIGirder(m)); }});
}

}  // namespace
