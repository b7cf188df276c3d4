// The displacement grid report and the full report: their bytes on an
// analysed girder and on small hand-made models, and what the commands do
// with the file dialog, an existing file and a failing disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Reports.h"
#include "platform/MessageBox.h"
#include "platform/TextFile.h"
#include "platform/qt/CommonDialog.h"
#include "tests/app/reports/AnalysedModel.h"
#include "tests/platform/FileTestSupport.h"

namespace fs = std::filesystem;
using platform::Answer;
using reporttest::Id;
using reporttest::Sci;
using reporttest::Single;
using reporttest::Whole;
using reporttest::Zoned;
using velk_test::BoxScript;
using velk_test::ReadBytes;
using velk_test::WriteBytes;

namespace {

// The grid report as its table lays it out, from the model's own values.
std::string ExpectedGrid(const model::Analysis& a, const model::Mesh& mesh) {
  std::string text = Zoned({"[VELK 1.4 Grid Out File]"}) + Zoned({"Title: ", a.Title}) +
                     Zoned({"Note:  ", a.Discription}) + Zoned({"Run_ID:", a.RunID}) +
                     Zoned({"Estimated_Eigenvalue: ", Single(a.EigenValueEstimation)}) +
                     Zoned({"Eigenvalue: ", Single(a.EigenValue)}) + Zoned({"[Node-DisplacementGrid]"}) +
                     Zoned({"UP"});
  const model::Nodes& nodes = mesh.Nodes();
  const long nx = nodes.NumberNodesX(), ny = nodes.NumberNodesY();
  for (long j = ny; j >= 1; --j) {
    std::vector<std::string> row;
    for (long i = 1; i <= nx; ++i) {
      const model::Nodeb& n = nodes.Item(ny * (i - 1) + j);
      row.push_back(Sci(n.vID() != 0 ? n.zcoord() : 0.0f));
    }
    row.push_back("\r");
    text += Zoned(row);
  }
  return text + Zoned({"DOWN"});
}

std::string Flag(short v) { return v != 0 ? "1" : "0"; }

// The full report as its header block and section table lay it out.
std::string ExpectedFull(const model::Analysis& a, const model::Mesh& mesh) {
  std::string t = Zoned({"[VELK 1.4 Report File]"}) + Zoned({"Title: ", a.Title}) +
                  Zoned({"Note:  ", a.Discription}) + Zoned({"Run_ID:", a.RunID}) +
                  Zoned({"Estimated_Eigenvalue: ", Single(a.EigenValueEstimation)}) +
                  Zoned({"Eigenvalue          : ", Single(a.EigenValue)});
  if (a.IGSTF) t += "Torsional Geometric Stiffness Option is Used\r\n";
  if (a.ISHEAR) t += "Approximate Shear Distortion Option is Used\r\n";
  const model::Nodes& nodes = mesh.Nodes();

  t += Zoned({"[Nodes]"}) + Zoned({"Node#", "X Coord", "Y Coord"});
  for (const model::Nodeb& n : nodes)
    if (n.vID()) t += Zoned({Whole(n.vID()), Sci(n.xcoord()), Sci(n.ycoord())});
  t += Zoned({"[Plates]"}) + Zoned({"Plate#", "Thickness", "Node1", "Node2", "Node3", "Node4"});
  for (const model::fourNode& p : mesh.fourNodes())
    if (p.vID())
      t += Zoned({Whole(p.vID()), Sci(p.Thickness()), Whole(p.Node1().vID()), Whole(p.Node2().vID()),
                  Whole(p.Node3().vID()), Whole(p.Node4().vID())});
  t += Zoned({"[Stiffeners]"}) + Zoned({"Stiffener#", "Width", "Thickness", "Node1", "Node2"});
  for (const model::twoNode& s : mesh.twoNodes())
    if (s.vID())
      t += Zoned({Whole(s.vID()), Sci(s.width()), Sci(s.Thickness()), Whole(s.Node1().vID()),
                  Whole(s.Node2().vID())});
  t += Zoned({"[Boundaries]"}) + Zoned({"Node#", "X", "Y", "Z", "XR", "YR", " X_Value", " Y_Value"});
  for (const model::Nodeb& n : nodes)
    if (n.XTDir() || n.YTDir() || n.ZTDir() || n.XRDir() || n.YRDir())
      t += Zoned({Whole(n.vID()), Flag(n.XTDir()), Flag(n.YTDir()), Flag(n.ZTDir()), Flag(n.XRDir()),
                  Flag(n.YRDir()), Sci(std::fabs(n.XTDirValue())), Sci(std::fabs(n.YTDirValue()))});
  t += Zoned({"[Braces]"}) + Zoned({"Node#", "X_Stiff", "Y_Stiff", "Z_Stiff", "XR_Stiff", "YR_Stiff"});
  for (const model::Nodeb& n : nodes)
    if (n.xtstiff() || n.YTStiff() || n.ZTStiff() || n.XRStiff() || n.YRStiff())
      t += Zoned({Whole(n.vID()), Sci(n.xtstiff()), Sci(n.YTStiff()), Sci(n.ZTStiff()), Sci(n.XRStiff()),
                  Sci(n.YRStiff())});
  t += Zoned({"[Loads]"}) + Zoned({"Node#", "X_Load", "Y_Load"});
  for (const model::Nodeb& n : nodes)
    if (n.XLoad() || n.YLoad()) t += Zoned({Whole(n.vID()), Sci(n.XLoad()), Sci(n.YLoad())});
  t += Zoned({"[Stress_Nodes]"}) + Zoned({"Node#", "Sx", "Sy", "Sxy"});
  for (const model::Nodeb& n : nodes)
    if (n.vID()) t += Zoned({Whole(n.vID()), Sci(n.Sx()), Sci(n.Sy()), Sci(n.SXY())});
  t += Zoned({"[Stress_Stiffeners]"}) + Zoned({"Stiffener#", "Stress"});
  for (const model::twoNode& s : mesh.twoNodes())
    if (s.vID()) t += Zoned({Whole(s.vID()), Sci(s.Stress())});
  t += Zoned({"[Displacements]"}) + Zoned({"Node#", "InpDispX", "InpDispY", "Normalized Z Disp."});
  for (const model::Nodeb& n : nodes)
    if (n.vID()) t += Zoned({Whole(n.vID()), Sci(n.InPDispX()), Sci(n.InPDispY()), Sci(n.zcoord())});
  return t;
}

class ReportTest : public ::testing::Test {
 protected:
  std::string Grid(const model::Analysis& a, const model::Mesh& m, const std::string& name = "grid.txt",
                   bool changedSinceRun = false) {
    files.QueueChoice((dir / name).string());
    app::Create_Report_Grid(a, m, cdlFile, changedSinceRun);
    return ReadBytes(dir / name);
  }
  std::string Full(const model::Analysis& a, const model::Mesh& m, const std::string& name = "all.vkr",
                   bool changedSinceRun = false) {
    files.QueueChoice((dir / name).string());
    app::Create_Report_All(a, m, cdlFile, changedSinceRun);
    return ReadBytes(dir / name);
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  velk_test::ScratchFolder scratch;
  const fs::path dir = scratch.path();
  BoxScript boxes;
  platform::ScriptedFileDialogBackend files;
  platform::CommonDialog cdlFile;
};

// A 3 by 2 grid whose nodes take part, with a mode shape of known values.
void SmallGrid(model::Mesh& mesh) {
  runtest::BuildPanel(mesh, 20, 10, 2, 1, 0.5);
  runtest::Number(mesh);
  const float z[6] = {0.0f, -0.5f, 1.0f, 0.25f, 1234.5f, -1.0e-5f};
  for (long k = 1; k <= 6; ++k) mesh.Nodes().Item(k).set_zcoord(z[k - 1]);
}

}  // namespace

TEST_F(ReportTest, GridReportOfAnAnalysedGirderIsLaidOutAsTheGrid) {
  reporttest::AnalysedGirder g;
  const std::string bytes = Grid(g.analysis, g.mesh);
  EXPECT_EQ(bytes, ExpectedGrid(g.analysis, g.mesh));
  EXPECT_TRUE(boxes.messages().empty());
  // Top row first: its first value is the node of column 1, row NumberNodesY.
  const model::Nodes& nodes = g.mesh.Nodes();
  const std::string firstRow = bytes.substr(bytes.find("UP\r\n") + 4, 14);
  EXPECT_EQ(firstRow, Sci(nodes.Item(nodes.NumberNodesY()).zcoord()) + std::string(6, ' '))
      << "values are non-zero after a run";

  ASSERT_EQ(files.requests().size(), 1u);
  const platform::FileDialogRequest& r = files.requests()[0];
  EXPECT_EQ(r.kind, platform::DialogKind::Save);
  EXPECT_EQ(r.title, "Save Grid File As");
  EXPECT_EQ(r.filter, "All Files (*.*)|*.*|VELK Grid Out Files(*.txt)|*.txt");
  EXPECT_EQ(r.filterIndex, 2);
  EXPECT_EQ(r.fileName, "");
  EXPECT_TRUE(r.flags & platform::cdlOFNOverwritePrompt);
  EXPECT_EQ(r.defaultExt, "");
}

// A result that did not converge is no answer, and one found for the model
// before a change belongs to another model: both reports say so after the
// eigenvalue and are otherwise as they were.
TEST_F(ReportTest, TheEigenvalueLineSaysWhenTheResultIsNoAnswerForThisModel) {
  reporttest::AnalysedGirder g;
  auto noted = [&](std::string expected, const std::string& label, const std::string& notes) {
    const std::string line = Zoned({label, Single(g.analysis.EigenValue)});
    const std::size_t at = expected.find(line);
    EXPECT_NE(at, std::string::npos) << label;
    if (at == std::string::npos) return expected;
    // The number's trailing blank stands before the notes.
    return expected.replace(at, line.size(), line.substr(0, line.size() - 2) + notes + "\r\n");
  };
  auto expectNotes = [&](const std::string& notes) {
    SCOPED_TRACE(notes);
    const bool changed = notes.find("changed") != std::string::npos;
    EXPECT_EQ(Grid(g.analysis, g.mesh, "grid.txt", changed),
              noted(ExpectedGrid(g.analysis, g.mesh), "Eigenvalue: ", notes));
    EXPECT_EQ(Full(g.analysis, g.mesh, "all.vkr", changed),
              noted(ExpectedFull(g.analysis, g.mesh), "Eigenvalue          : ", notes));
  };
  expectNotes("(model changed since the run)");

  g.analysis.MaxShift = 1;
  g.analysis.MaxCycle = 1;
  runtest::ScriptedRunUi ui;
  const analysis::RunResult r = runtest::RunModel(g.mesh, g.analysis, g.material, g.folder.path(), ui);
  ASSERT_EQ(r.outcome, analysis::RunOutcome::Completed);
  ASSERT_FALSE(r.converged);
  expectNotes("(did not converge)");
  expectNotes("(did not converge) (model changed since the run)");
}

TEST_F(ReportTest, GridReportBytesOfASmallGrid) {
  model::Mesh mesh;
  SmallGrid(mesh);
  model::Analysis a;
  a.EigenValueEstimation = 0.25f;
  a.EigenValue = -12.5f;
  const std::string blanks5(5, ' '), blanks6(6, ' ');
  // Row 2 holds nodes 2, 4, 6; row 1 nodes 1, 3, 5; each value fills a zone
  // of 14, then a lone CR, then CR LF.
  const std::string expected =
      "[VELK 1.4 Grid Out File]\r\n"
      "Title:        No Title\r\n"
      "Note:         No Discription\r\n"
      "Run_ID:       0\r\n"
      "Estimated_Eigenvalue:        .25 \r\n"
      "Eigenvalue:   -12.5 \r\n"
      "[Node-DisplacementGrid]\r\n"
      "UP\r\n"
      "-5.00E-01" + blanks5 + "2.50E-01" + blanks6 + "-1.00E-05" + blanks5 + "\r\r\n"
      "0.00E+00" + blanks6 + "1.00E+00" + blanks6 + "1.23E+03" + blanks6 + "\r\r\n"
      "DOWN\r\n";
  EXPECT_EQ(Grid(a, mesh), expected);

  // A node of no element with a property is written as 0 whatever its z.
  for (model::fourNode& p : mesh.fourNodes()) {
    p.set_Thickness(0);
    p.UpdatePropertyDefined();
  }
  runtest::Number(mesh);
  const std::string zeros = std::string("0.00E+00") + blanks6;
  const std::string all0 = zeros + zeros + zeros + "\r\r\n";
  const std::string bytes = Grid(a, mesh, "grid0.txt");
  EXPECT_NE(bytes.find("UP\r\n" + all0 + all0 + "DOWN\r\n"), std::string::npos) << bytes;

  // No grid at all: the header, "UP" and "DOWN".
  EXPECT_EQ(Grid(model::Analysis(), model::Mesh(), "empty.txt"),
            ExpectedGrid(model::Analysis(), model::Mesh()));
  EXPECT_TRUE(ReadBytes(dir / "empty.txt").ends_with("[Node-DisplacementGrid]\r\nUP\r\nDOWN\r\n"));
}

TEST_F(ReportTest, GridOfADamagedModelFailsWithoutTouchingTheFile) {
  model::Mesh mesh;
  SmallGrid(mesh);
  WriteBytes(dir / "grid.txt", "earlier report");
  mesh.Nodes().set_NumberNodesX(4);  // 8 grid places for 6 nodes
  files.QueueChoice((dir / "grid.txt").string());
  app::Create_Report_Grid(model::Analysis(), mesh, cdlFile);
  EXPECT_EQ(boxes.prompts(), std::vector<std::string>{"File Error!"});
  EXPECT_EQ(ReadBytes(dir / "grid.txt"), "earlier report");
  EXPECT_EQ(Files(), std::vector<std::string>{"grid.txt"});

  boxes.Clear();
  mesh.Nodes().set_NumberNodesX(2);  // 4 grid places: two nodes would be left out
  Grid(model::Analysis(), mesh, "other.txt");
  EXPECT_EQ(boxes.prompts(), std::vector<std::string>{"File Error!"});
  EXPECT_FALSE(fs::exists(dir / "other.txt"));
}

TEST_F(ReportTest, FullReportOfAnAnalysedGirderListsEveryResult) {
  reporttest::AnalysedGirder g;
  // A prescribed displacement shows without its sign.
  g.mesh.Nodes().Item(1).set_XTDirValue(-0.01f);
  std::string bytes = Full(g.analysis, g.mesh);
  EXPECT_EQ(bytes, ExpectedFull(g.analysis, g.mesh));
  EXPECT_TRUE(boxes.messages().empty());
  EXPECT_NE(bytes.find(Zoned({" 1 ", "1", "1", "1", "0", "0", "1.00E-02", "0.00E+00"})), std::string::npos);
  // Six header lines with both options off, eight with both on.
  EXPECT_NE(bytes.find(Single(g.analysis.EigenValue) + "\r\n[Nodes]\r\n"), std::string::npos);
  g.analysis.IGSTF = true;
  g.analysis.ISHEAR = true;
  bytes = Full(g.analysis, g.mesh, "options.vkr");
  EXPECT_EQ(bytes, ExpectedFull(g.analysis, g.mesh));
  EXPECT_NE(bytes.find("\r\nTorsional Geometric Stiffness Option is Used\r\n"
                       "Approximate Shear Distortion Option is Used\r\n[Nodes]\r\n"),
            std::string::npos);

  ASSERT_EQ(files.requests().size(), 2u);
  const platform::FileDialogRequest& r = files.requests()[0];
  EXPECT_EQ(r.title, "Save Report File As");
  EXPECT_EQ(r.filter, "All Files (*.*)|*.*|VELK Report Files(*.vkr)|*.vkr");
  EXPECT_EQ(r.filterIndex, 2);
  EXPECT_EQ(r.fileName, "");
  EXPECT_TRUE(r.flags & platform::cdlOFNOverwritePrompt);
}

TEST_F(ReportTest, FullReportLinesOfHandMadeItems) {
  model::Mesh mesh;
  model::Nodeb& n = mesh.Nodes().Add(12, -0.5f, 1);
  n.set_vID(7);
  model::Analysis a;
  a.EigenValue = 0.25f;
  const std::string bytes = Full(a, mesh);
  // The worked example: vID 7 at (12, -0.5).
  EXPECT_NE(bytes.find("[Nodes]\r\nNode#         X Coord       Y Coord\r\n"
                       " 7            1.20E+01      -5.00E-01\r\n[Plates]"),
            std::string::npos)
      << bytes;
  EXPECT_NE(bytes.find("\r\nEigenvalue          :        .25 \r\n"), std::string::npos);

  // Elements without properties: only boundaries, braces and loads have
  // rows, each with vID 0.
  model::Mesh unnumbered;
  runtest::BuildPanel(unnumbered, 20, 10, 2, 1, 0);
  model::Nodeb& m = unnumbered.Nodes().Item(3);
  m.set_YRDir(1);
  m.set_YTStiff(1e-30f);  // any value that is not 0
  m.set_XLoad(-2.5f);
  const std::string none = Full(model::Analysis(), unnumbered, "none.vkr");
  EXPECT_EQ(none, ExpectedFull(model::Analysis(), unnumbered));
  for (const char* section : {"[Nodes]", "[Plates]", "[Stiffeners]", "[Stress_Nodes]", "[Stress_Stiffeners]"}) {
    const std::size_t at = none.find(section);
    ASSERT_NE(at, std::string::npos) << section;
    const std::size_t header = none.find("\r\n", at) + 2;
    const std::size_t end = none.find("\r\n", header) + 2;
    EXPECT_EQ(none[end], '[') << section << " has rows";
  }
  EXPECT_NE(none.find(Zoned({" 0 ", "0", "0", "0", "0", "1", "0.00E+00", "0.00E+00"})), std::string::npos);
  EXPECT_NE(none.find(Zoned({" 0 ", "0.00E+00", "1.00E-30", "0.00E+00", "0.00E+00", "0.00E+00"})),
            std::string::npos);
  EXPECT_NE(none.find(Zoned({" 0 ", "-2.50E+00", "0.00E+00"})), std::string::npos);

  // No nodes: the header block and the nine titles with their headers.
  const std::string empty = Full(model::Analysis(), model::Mesh(), "empty.vkr");
  EXPECT_EQ(empty, ExpectedFull(model::Analysis(), model::Mesh()));
  EXPECT_TRUE(empty.ends_with("[Displacements]\r\nNode#         InpDispX      InpDispY      Normalized Z Disp.\r\n"));
}

TEST_F(ReportTest, CancelWritesNothingAndSaysNothing) {
  model::Mesh mesh;
  SmallGrid(mesh);
  files.QueueCancel();
  app::Create_Report_Grid(model::Analysis(), mesh, cdlFile);
  files.QueueCancel();
  app::Create_Report_All(model::Analysis(), mesh, cdlFile);
  EXPECT_TRUE(boxes.messages().empty());
  EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(ReportTest, AnExistingFileIsReplacedOnlyWhenTheUserAgrees) {
  model::Mesh mesh;
  SmallGrid(mesh);
  const fs::path target = dir / "keep.vkr";
  WriteBytes(target, "earlier report");
  // After an Open the shared dialog holds no overwrite prompt; the report
  // asks all the same.
  cdlFile.Flags = platform::cdlOFNHideReadOnly;
  files.QueueChoice(target.string(), 0, false);
  app::Create_Report_All(model::Analysis(), mesh, cdlFile);
  EXPECT_EQ(files.overwriteQuestions(), std::vector<std::string>{target.string()});
  EXPECT_EQ(ReadBytes(target), "earlier report");
  EXPECT_TRUE(boxes.messages().empty());

  cdlFile.Flags = 0;
  files.QueueChoice(target.string(), 0, true);
  app::Create_Report_Grid(model::Analysis(), mesh, cdlFile);
  EXPECT_EQ(ReadBytes(target), ExpectedGrid(model::Analysis(), mesh));
  EXPECT_EQ(files.overwriteQuestions().size(), 2u);
  // A name without an extension is used as typed.
  Grid(model::Analysis(), mesh, "plain");
  EXPECT_EQ(Files(), (std::vector<std::string>{"keep.vkr", "plain"}));
}

TEST_F(ReportTest, AFailingDiskLeavesTheEarlierReportAsItWas) {
  reporttest::AnalysedGirder g;
  const fs::path target = dir / "keep.vkr";
  WriteBytes(target, "earlier report");

  // Disk full: a file size limit below the report's size makes the write fail.
  {
    velk_test::FullDisk disk(256);
    ASSERT_TRUE(disk.on());
    boxes.QueueAnswer(Answer::Retry);
    boxes.QueueAnswer(Answer::Cancel);
    files.QueueChoice(target.string());
    app::Create_Report_All(g.analysis, g.mesh, cdlFile);
    boxes.QueueAnswer(Answer::Cancel);
    files.QueueChoice(target.string());
    app::Create_Report_Grid(g.analysis, g.mesh, cdlFile);
  }
  EXPECT_EQ(boxes.prompts(),
            (std::vector<std::string>{"Disk is full. Continue?", "Disk is full. Continue?", "File Error!",
                                      "Disk is full. Continue?", "File Error!"}));
  EXPECT_EQ(ReadBytes(target), "earlier report");
  EXPECT_EQ(Files(), std::vector<std::string>{"keep.vkr"});

  // A folder that is gone.
  boxes.Clear();
  boxes.QueueAnswer(Answer::Cancel);
  files.QueueChoice((dir / "gone" / "all.vkr").string());
  app::Create_Report_All(g.analysis, g.mesh, cdlFile);
  EXPECT_EQ(boxes.prompts(), (std::vector<std::string>{"That path doesn't exist.", "File Error!"}));
}

TEST_F(ReportTest, ANameThatIsNoFileIsRefusedInOneBoxWithItsReason) {
  model::Mesh mesh;
  SmallGrid(mesh);
  const fs::path pipe = dir / "pipe.vkr";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  files.QueueChoice(pipe.string());
  app::Create_Report_All(model::Analysis(), mesh, cdlFile);
  ASSERT_EQ(boxes.prompts(), std::vector<std::string>{"File Error!"});
  EXPECT_EQ(boxes.messages()[0].detail, pipe.string() + " is a named pipe (FIFO), not a regular file");
  EXPECT_TRUE(fs::is_fifo(pipe));
}
