// The solver input file: what the writer puts in it, and how the reader
// expands generation records back into the solver's arrays.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "analysis/SolverInput.h"
#include "analysis/SolverInputFile.h"
#include "platform/RuntimeError.h"
#include "tests/analysis/RunTestSupport.h"
#include "tests/platform/FileTestSupport.h"

namespace {

using runtest::NodeAt;

// Two cells side by side; the left plate has no thickness, so its two outer
// nodes (one of them loaded) take no part.
void BuildSmallModel(model::Mesh& mesh) {
  runtest::BuildPanel(mesh, 20, 10, 2, 1, 0.5);
  mesh.fourNodes().Item(1).set_Thickness(0);
  mesh.fourNodes().Item(1).UpdatePropertyDefined();
  runtest::SetStiffener(mesh, NodeAt(mesh, 2, 1), NodeAt(mesh, 3, 1), 0.5, 4);
  runtest::Number(mesh);
  model::Nodes& n = mesh.Nodes();
  n.Item(1).set_XLoad(5);          // vID 0: neither counted nor written
  n.Item(5).set_XLoad(-2e-5f);     // written with its sign
  n.Item(6).set_XLoad(1e-5f);      // exactly 1E-5: not above it
  n.Item(3).set_XTDir(-1);         // x only, both stored values written
  n.Item(3).set_XTDirValue(0.001f);
  n.Item(3).set_YTDirValue(7);
  n.Item(4).set_xtstiff(100);
  n.Item(3).set_ZTDir(-1);
  n.Item(5).set_XRDir(-1);
  n.Item(6).set_ZTStiff(50);
  n.Item(6).set_YRStiff(2.5f);
}

TEST(SolverInputFile, GoldenFileOfASmallModel) {
  model::Mesh mesh;
  BuildSmallModel(mesh);
  model::Analysis a;
  a.Title = "Panel, test";
  a.Discription = "desc";
  a.RunID = "7";
  model::Material m;
  velk_test::ScratchFolder folder;
  ASSERT_EQ(runtest::WriteInputFile(mesh, a, m, folder.path()), 1);
  const std::string expected =
      "\"Panel, test\"\r\n"
      "\"desc\",\"7\"\r\n"
      "1,1,4,1,1,1,2,1\r\n"
      "29000,0.3\r\n"
      "1,1,1,10,0,10,0\r\n"
      "2,2,1,10,10,10,10\r\n"
      "3,3,1,20,0,20,0\r\n"
      "4,4,1,20,10,20,10\r\n"
      "1,1,1,1,1,3,4,2\r\n"
      "1,1,1,1,1,3\r\n"
      "1,1,1,0.5\r\n"
      "1,1,1,0.5,4\r\n"
      "3,3,1,-2e-05,0\r\n"
      "1,1,1,-1,0,0.001,7\r\n"
      "2,2,1,100,0\r\n"
      "1,1,1,-1,0,0\r\n"
      "3,3,1,0,-1,0\r\n"
      "4,4,1,50,0,2.5\r\n";
  EXPECT_EQ(velk_test::ReadBytes(folder.path() / "velktempin.vlk"), expected);
  // UvID was rebuilt: the node whose vID is 1 sits at position 3.
  EXPECT_EQ(mesh.Nodes().Item(1).UvID(), 3);

  // The reader takes the file back record for record.
  platform::TextFile file(folder.path() / "velktempin.vlk", platform::FileMode::Input);
  model::RecordReader in(file);
  analysis::SolverHeader h = analysis::Read_Header(in);
  EXPECT_EQ(h.title, "Panel, test");
  EXPECT_EQ(h.points, 4);
  EXPECT_EQ(h.outOfPlaneRestraints, 2);
  analysis::SolverGeometry g(12, 1, 1);
  analysis::Read_Geometry(in, g, h.plates, h.stiffeners, h.points);
  EXPECT_EQ(g.nodeX(4), 20.0);
  EXPECT_EQ(g.nodeY(4), 10.0);
  EXPECT_EQ(g.plateNodes(1), (std::array<short, 4>{1, 3, 4, 2}));
  EXPECT_EQ(g.stiffenerNodes(1), (std::array<short, 2>{1, 3}));
  EXPECT_EQ(g.stiffenerWidth(1), 4.0);
  analysis::NodeRecord load = analysis::Read_Load_Record(in);
  EXPECT_EQ(load.nodes, std::vector<short>{3});
  EXPECT_FLOAT_EQ(static_cast<float>(load.values[0]), -2e-5f);
  EXPECT_EQ(load.counts, 1);
}

TEST(SolverInputFile, FailsWithoutAFileOnBadNumberingOrAFullDiskAndSaysWhy) {
  model::Analysis a;
  model::Material m;
  std::string why;
  {
    // A node whose vID disagrees with its position among the taking-part nodes.
    model::Mesh mesh;
    BuildSmallModel(mesh);
    mesh.Nodes().Item(3).set_vID(2);
    mesh.Nodes().Item(4).set_vID(1);
    velk_test::ScratchFolder folder;
    EXPECT_EQ(runtest::WriteInputFile(mesh, a, m, folder.path(), why), 0);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "velktempin.vlk"));
    EXPECT_NE(why.find("out of date: Node 3 carries the number 2 where 1 is due. Set the property"),
              std::string::npos)
        << why;
  }
  {
    model::Mesh mesh;
    BuildSmallModel(mesh);
    velk_test::ScratchFolder folder;
    EXPECT_EQ(runtest::WriteInputFile(mesh, a, m, folder.path() / "missing", why), 0);
    EXPECT_NE(why.find("missing cannot be reached"), std::string::npos) << why;
    // A link at the name is not written through, wherever it leads.
    std::filesystem::create_symlink("/dev/full", folder.path() / "velktempin.vlk");
    EXPECT_EQ(runtest::WriteInputFile(mesh, a, m, folder.path(), why), 0);
    EXPECT_NE(why.find("velktempin.vlk is a symbolic link to /dev/full, and a file made anew is never written "
                       "through a link, which leads wherever its maker chose: remove the link. Then run again."),
              std::string::npos)
        << why;
    // A disk that cannot take the contents: the failure shows at close.
    const std::filesystem::path small = folder.path() / "small";
    std::filesystem::create_directory(small);
    const std::string full = velk_test::OnAFullDisk(small, [&] {
      std::string reason;
      runtest::WriteInputFile(mesh, a, m, small, reason);
      return reason;
    });
    if (full.rfind("skip:", 0) != 0) {
      EXPECT_NE(full.find("is full: free space on it"), std::string::npos) << full;
    }
    // A folder where the file should be: access refused, whoever runs.
    std::filesystem::remove(folder.path() / "velktempin.vlk");
    std::filesystem::create_directory(folder.path() / "velktempin.vlk");
    EXPECT_EQ(runtest::WriteInputFile(mesh, a, m, folder.path(), why), 0);
    EXPECT_NE(why.find("velktempin.vlk is a folder, not a file, and no file made anew takes its place: remove it "
                       "or give it another name. Then run again."),
              std::string::npos)
        << why;
    // A folder the user may not create files in: that folder is named, and
    // what to make of it.
    if (::geteuid() == 0) {
      std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_all |
                                                      std::filesystem::perms::group_exec |
                                                      std::filesystem::perms::others_exec);
      const std::filesystem::path closed = folder.path() / "closed";
      std::filesystem::create_directory(closed);
      const std::string said = velk_test::AsPlainUser([&] {
        std::string reason;
        runtest::WriteInputFile(mesh, a, m, closed, reason);
        return reason;
      });
      EXPECT_NE(said.find(": Permission denied. The run makes its input file and listing (velktempin.vlk, "
                          "velktempout.vlk) anew in the folder " +
                          closed.string() + " at every run: make that folder one you may create and remove files "
                                            "in, and run again."),
                std::string::npos)
          << said;
    }
    EXPECT_EQ(runtest::WriteInputFile(mesh, a, m, folder.path() / "ok", why), 0);
    std::filesystem::create_directory(folder.path() / "ok");
    // Another run holds the folder: a writer that has not waited its turn
    // writes nothing, and says why.
    {
      analysis::RunFiles other(folder.path() / "ok");
      ASSERT_TRUE(other.TryTakeTurn());
      EXPECT_EQ(runtest::WriteInputFile(mesh, a, m, folder.path() / "ok", why), 0);
      EXPECT_EQ(why, "Another run is under way in " + (folder.path() / "ok").string() +
                         ", where this run writes its input file and listing: wait until it has ended, and run "
                         "again.");
      EXPECT_FALSE(std::filesystem::exists(folder.path() / "ok" / "velktempin.vlk"));
    }
    EXPECT_EQ(runtest::WriteInputFile(mesh, a, m, folder.path() / "ok", why), 1);
    EXPECT_EQ(why, "");
    // No folder at all: nothing lands in the current one.
    EXPECT_EQ(runtest::WriteInputFile(mesh, a, m, {}, why), 0);
    EXPECT_EQ(why.rfind("The program has no folder of its own for the run's input file and listing", 0), 0u) << why;
  }
}

// Reads blocks 1 to 5 from the given text.
analysis::SolverGeometry ReadGeometry(const std::string& text, short plates, short stiffeners, short points,
                                      long nodeRows = 30, long nP = 16, long nS = 4) {
  velk_test::ScratchFolder folder;
  const auto path = folder.path() / "in.vlk";
  std::ofstream(path, std::ios::binary) << text;
  platform::TextFile file(path, platform::FileMode::Input);
  model::RecordReader in(file);
  analysis::SolverGeometry g(nodeRows, nP, nS);
  analysis::Read_Geometry(in, g, plates, stiffeners, points);
  return g;
}

TEST(SolverInputReader, GenerationRulesOfTheGeometryBlocks) {
  // Nodes 1, 3, 5 evenly from x = 0 to 10; then node 7 alone (last 0);
  // then first 8, last 11, step 2 from 0 to 3: nodes 8 and 10 at 0 and 2.
  analysis::SolverGeometry g = ReadGeometry(
      "1,5,2,0,0,10,0\r\n7,0,0,4,5,9,9\r\n8,11,2,0,0,3,0\r\n", 0, 0, 6);
  EXPECT_EQ(g.nodeX(1), 0.0);
  EXPECT_EQ(g.nodeX(3), 5.0);
  EXPECT_EQ(g.nodeX(5), 10.0);
  EXPECT_EQ(g.nodeX(7), 4.0);
  EXPECT_EQ(g.nodeY(7), 5.0);
  EXPECT_EQ(g.nodeX(8), 0.0);
  EXPECT_EQ(g.nodeX(10), 2.0);

  // Plates: a run of three; a run stepping 2 elements and 4 nodes; a record
  // whose last lies below its first generates nothing, so one more is read.
  // Thickness: first 2, last 6, step 0 sets five plates; a negative step runs
  // down, and the count ends above the declared one.
  g = ReadGeometry(
      "1,1,1,0,0,0,0\r\n"
      "1,3,1,1,1,2,6,5\r\n"
      "9,7,1,1,1,1,1,1\r\n"
      "11,15,4,2,1,2,6,5\r\n"
      "2,6,0,0.5\r\n"
      "9,7,-1,0.25\r\n",
      6, 0, 1);
  EXPECT_EQ(g.plateNodes(2), (std::array<short, 4>{2, 3, 7, 6}));
  EXPECT_EQ(g.plateNodes(3), (std::array<short, 4>{3, 4, 8, 7}));
  EXPECT_EQ(g.plateNodes(13), (std::array<short, 4>{5, 6, 10, 9}));
  EXPECT_EQ(g.plateNodes(15), (std::array<short, 4>{9, 10, 14, 13}));
  EXPECT_EQ(g.plateNodes(8), (std::array<short, 4>{0, 0, 0, 0}));
  for (long e = 2; e <= 6; ++e) EXPECT_EQ(g.plateThickness(e), 0.5);
  for (long e = 7; e <= 9; ++e) EXPECT_EQ(g.plateThickness(e), 0.25);
  EXPECT_EQ(g.plateThickness(1), 0.0);
}

TEST(SolverInputReader, NodeBlockRecordsAndTheirCounts) {
  velk_test::ScratchFolder folder;
  const auto path = folder.path() / "in.vlk";
  std::ofstream(path, std::ios::binary) << "4,2,0,0,0\r\n"            // load: last below first, both 0
                                        << "1,3,1,-1,0,5,6\r\n"       // restraint of three nodes
                                        << "2,6,2,0,0,0\r\n"          // out-of-plane: all flags 0
                                        << "2,6,2,0,-1,0\r\n"         // three nodes
                                        << "5,5,1,0,0,0\r\n";         // spring of nothing
  platform::TextFile file(path, platform::FileMode::Input);
  model::RecordReader in(file);
  analysis::NodeRecord r = analysis::Read_Load_Record(in);
  EXPECT_EQ(r.nodes, std::vector<short>{4});
  EXPECT_EQ(r.counts, 0);
  r = analysis::Read_InPlane_Restraint_Record(in);
  EXPECT_EQ(r.nodes, (std::vector<short>{1, 2, 3}));
  EXPECT_EQ(r.counts, 1);
  r = analysis::Read_OutOfPlane_Restraint_Record(in);
  EXPECT_EQ(r.counts, 0);
  r = analysis::Read_OutOfPlane_Restraint_Record(in);
  EXPECT_EQ(r.nodes, (std::vector<short>{2, 4, 6}));
  EXPECT_EQ(r.counts, 3);
  r = analysis::Read_OutOfPlane_Spring_Record(in);
  EXPECT_EQ(r.counts, 0);
  EXPECT_THROW(analysis::Read_Load_Record(in), platform::RuntimeError);  // past the end
}

TEST(SolverInputReader, SixteenBitLimitsAndBadNumbers) {
  auto number = [](auto f) {
    try {
      f();
    } catch (const platform::RuntimeError& e) {
      return e.number();
    }
    return 0;
  };
  EXPECT_EQ(analysis::Equation(10922, 3, 3), 32766);
  EXPECT_EQ(analysis::Equation(10923, 3, 1), 32767);
  EXPECT_EQ(number([] { analysis::Equation(10923, 3, 2); }), platform::kErrOverflow);
  EXPECT_EQ(number([] { analysis::To16(32768); }), platform::kErrOverflow);
  // An item number beyond 16 bits in the file, and corners stepped past 32767.
  EXPECT_EQ(number([] { ReadGeometry("1,1,1,0,0,0,0\r\n40000,40000,1,0,0,0,0\r\n", 0, 0, 2); }),
            platform::kErrOverflow);
  EXPECT_EQ(number([] { ReadGeometry("1,1,1,0,0,0,0\r\n1,2,30000,1,32000,1,1,1\r\n", 2, 0, 1); }),
            platform::kErrOverflow);
  // A node outside its array, a declared count the file does not hold, a non-number.
  EXPECT_EQ(number([] { ReadGeometry("31,31,1,0,0,0,0\r\n", 0, 0, 1); }), platform::kErrSubscript);
  EXPECT_EQ(number([] { ReadGeometry("1,1,1,0,0,0,0\r\n", 0, 0, 2); }), platform::kErrInputPastEnd);
  EXPECT_EQ(number([] { ReadGeometry("1,1,x,0,0,0,0\r\n", 0, 0, 1); }), platform::kErrTypeMismatch);
}

}  // namespace
