// New, Open and Save of project files and the disk error boxes, without a
// window: the commands run against a host that owns its own model objects
// and logs what the main window would have been asked to do.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <clocale>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <algorithm>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/FileErrors.h"
#include "app/ProjectFile.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeError.h"
#include "platform/TextFile.h"
#include "platform/qt/CommonDialog.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/ProjectDump.h"
#include "tests/app/ProjectTestSupport.h"
#include "tests/platform/FileTestSupport.h"

namespace fs = std::filesystem;
using platform::Answer;
using velk_test::BoxScript;
using velk_test::Joined;
using velk_test::Lines;
using velk_test::ReadBytes;
using velk_test::ShortPipeWaits;
using velk_test::WriteBytes;

namespace {

const std::string kMsg62 =
    "This file has a nonstandard end-of-file marker, or an attempt was made \u201Cto read "
    "beyond the end-of-file marker.";

class FakeHost : public app::ProjectFileHost {
 public:
  FakeHost() { RenewModelObjects(); log.clear(); }
  model::Analysis& Analysis() override { return *analysis; }
  model::BeamShape& BeamShape() override { return beam; }
  model::Mesh& Mesh() override { return *mesh; }
  model::Material& Material() override { return *material; }
  void RenewModelObjects() override {
    log.push_back("Renew");
    analysis = std::make_unique<model::Analysis>();
    mesh = std::make_unique<model::Mesh>();
    material = std::make_unique<model::Material>();
  }
  // The options file, kept in memory: the solver options survive a New.
  void Save_Option() override {
    log.push_back("Save_Option");
    savedMaxShift = analysis->MaxShift;
  }
  void Read_Option() override {
    log.push_back("Read_Option");
    analysis->MaxShift = savedMaxShift;
  }
  void RefreshView() override { log.push_back("Refresh"); }
  void InitializeView() override { log.push_back("Initialization"); }
  void Update() override { log.push_back("Update"); }
  void updateToolBar() override { log.push_back("updateToolBar"); }
  void SetCaption(const std::string& c) override {
    log.push_back("Caption");
    caption = c;
  }
  void ShowNewModel() override {
    log.push_back("NewModel");
    caption = "VELK V1.4.0: No Title";
    projectFile.clear();
  }
  std::string ProjectFileName() const override { return projectFile; }
  void SetProjectFileName(const std::string& name) override { projectFile = name; }
  app::ModelChanges* Changes() override { return &changes; }

  std::unique_ptr<model::Analysis> analysis;
  model::BeamShape beam;
  std::unique_ptr<model::Mesh> mesh;
  std::unique_ptr<model::Material> material;
  short savedMaxShift = 3;
  std::string caption = "VELK V1.4.0: No Title";
  std::string projectFile;
  std::vector<std::string> log;
  app::ModelChanges changes;
};

std::string Dump(FakeHost& h) { return velk_test::DumpProject(*h.analysis, &h.beam, *h.mesh, *h.material); }

class ProjectFileTest : public ::testing::Test {
 protected:
  void Generate(FakeHost& h) { velk_test::BuildModel(*h.mesh, *h.analysis, h.beam, *h.material); }

  // Saves a generated model to `name` in the scratch folder and returns the path.
  fs::path SaveGenerated(const std::string& name) {
    FakeHost h;
    Generate(h);
    files.QueueChoice((dir / name).string());
    app::Save_Data(h, cdlFile);
    return dir / name;
  }

  bool OnlyFiles(std::initializer_list<std::string> names) {
    std::vector<std::string> present;
    for (const auto& e : fs::directory_iterator(dir)) present.push_back(e.path().filename().string());
    return present.size() == names.size() &&
           std::all_of(names.begin(), names.end(), [&](const std::string& n) {
             return std::find(present.begin(), present.end(), n) != present.end();
           });
  }

  velk_test::ScratchFolder scratch;
  const fs::path dir = scratch.path();
  BoxScript boxes;
  platform::ScriptedFileDialogBackend files;
  platform::CommonDialog cdlFile;
};

TEST(FileErrorsTest, KnownNumbersShowTheirMessageInADiskErrorBox) {
  const std::vector<std::pair<int, std::string>> table = {
      {68, "That device appears unavailable."},
      {71, "Insert a disk in the drive and close the door."},
      {57, "Internal disk error."},
      {61, "Disk is full. Continue?"},
      {52, "That filename is illegal."},
      {64, "That filename is illegal."},
      {76, "That path doesn't exist."},
      {54, "Can't open your file for that type of access."},
      {55, "This file is already open."},
      {62, kMsg62},
  };
  for (const auto& [number, text] : table) {
    // Trying again cannot make an illegal name legal: OK alone, which gives up.
    const bool retry = number != 52 && number != 64;
    BoxScript boxes;
    boxes.QueueAnswer(retry ? Answer::Retry : Answer::Ok);
    EXPECT_EQ(app::FileErrors(number), retry ? app::kFileErrorRetry : app::kFileErrorGiveUp) << number;
    ASSERT_EQ(boxes.messages().size(), 1u) << number;
    const auto& box = boxes.messages()[0];
    EXPECT_EQ(box.prompt, text) << number;
    EXPECT_EQ(box.title, "Disk Error");
    EXPECT_EQ(box.icon, platform::Icon::Exclamation);
    EXPECT_EQ(box.buttons, retry ? platform::Buttons::RetryCancel : platform::Buttons::Ok) << number;
    EXPECT_EQ(box.detail, "");
    boxes.QueueAnswer(Answer::Cancel);
    EXPECT_EQ(app::FileErrors(number), app::kFileErrorGiveUp) << number;
  }
  // The 62 message opens a quotation it never closes.
  EXPECT_EQ(kMsg62.find("\u201D"), std::string::npos);

  // The file and the system's reason are the detail; the standard
  // description adds nothing to the message.
  BoxScript boxes;
  app::FileErrors(61, "Cannot write /a/b.inp: No space left on device");
  app::FileErrors(61, platform::DescribeError(61));
  ASSERT_EQ(boxes.messages().size(), 2u);
  EXPECT_EQ(boxes.messages()[0].detail, "Cannot write /a/b.inp: No space left on device");
  EXPECT_EQ(boxes.messages()[1].detail, "");
  boxes.Clear();
  // Refusals of rights, of the kind of file and of its size are no disk
  // fault a retry mends: the command's own box gives their reason.
  for (int unknown : {0, 13, 53, 60, 70, 75, 32755})
    EXPECT_EQ(app::FileErrors(unknown), app::kFileErrorUnknown) << unknown;
  EXPECT_TRUE(boxes.messages().empty());
}

TEST_F(ProjectFileTest, SaveNewOpenGivesTheSameModelAndExactBytes) {
  FakeHost h;
  Generate(h);
  h.analysis->MaxShift = 5;
  h.analysis->EigenValueNotConverged = true;  // kept in memory only
  files.QueueChoice((dir / "girder.inp").string(), 2);
  app::Save_Data(h, cdlFile);
  EXPECT_TRUE(boxes.messages().empty());
  EXPECT_EQ(h.caption, "VELK V1.4.0:girder.inp");
  ASSERT_EQ(files.requests().size(), 1u);
  const auto& save = files.requests()[0];
  EXPECT_EQ(save.kind, platform::DialogKind::Save);
  EXPECT_EQ(save.title, "Save As");
  EXPECT_EQ(save.filter, "All Files (*.*)|*.*|VELK Graphic Interface Files(*.inp)|*.inp");
  EXPECT_EQ(save.filterIndex, 2);
  EXPECT_TRUE(save.flags & platform::cdlOFNOverwritePrompt);
  EXPECT_TRUE(save.flags & platform::cdlOFNHideReadOnly);

  const std::string bytes = ReadBytes(dir / "girder.inp");
  EXPECT_EQ(bytes.rfind("VELK Version\r\n 1.4 \r\n", 0), 0u) << bytes.substr(0, 40);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
    }
  }
  EXPECT_TRUE(OnlyFiles({"girder.inp"})) << "the temporary file is gone";

  // New keeps the solver options, resets the run data and leaves the girder.
  app::New_Data(h);
  EXPECT_TRUE(velk_test::IsEmptyMesh(*h.mesh));
  EXPECT_EQ(h.analysis->Title, "No Title");
  EXPECT_EQ(h.analysis->MaxShift, 5);
  EXPECT_EQ(h.beam.Web_H(), 14.0f);
  EXPECT_EQ(h.caption, "VELK V1.4.0: No Title");
  EXPECT_FALSE(h.analysis->EigenValueNotConverged);
  h.beam = model::BeamShape();

  h.log.clear();
  files.QueueChoice((dir / "girder.inp").string());
  app::Open_Data(h, cdlFile);
  EXPECT_TRUE(boxes.messages().empty());
  EXPECT_EQ(files.requests().back().title, "Open Data");
  EXPECT_EQ(files.requests().back().fileName, "") << "Open proposes no name";
  EXPECT_EQ(h.log, (std::vector<std::string>{"Save_Option", "Renew", "NewModel", "Read_Option",
                                             "Refresh", "Update", "updateToolBar", "Caption",
                                             "Initialization", "Refresh"}));
  EXPECT_EQ(h.caption, "VELK V1.4.0:girder.inp");
  EXPECT_TRUE(velk_test::ElementsReferToOwnNodes(*h.mesh));
  EXPECT_EQ(h.mesh->fourNodes().Item(2).Node3().ID(), 6);
  EXPECT_EQ(h.analysis->Discription, "two, three");
  EXPECT_EQ(h.analysis->MaxShift, 5);
  EXPECT_FALSE(h.analysis->EigenValueNotConverged) << "a file's result is shown as the file keeps it";
  EXPECT_EQ(h.beam.Web_HE(), 12.0f);

  // Saving what was read writes the same bytes again; the save dialog
  // proposes the name chosen last.
  files.QueueChoice((dir / "again.inp").string());
  app::Save_Data(h, cdlFile);
  EXPECT_EQ(files.requests().back().fileName, (dir / "girder.inp").string());
  EXPECT_EQ(ReadBytes(dir / "again.inp"), bytes);

  // Reading also takes LF line ends.
  std::string lf;
  for (char c : bytes)
    if (c != '\r') lf += c;
  WriteBytes(dir / "lf.inp", lf);
  FakeHost fromLf;
  files.QueueChoice((dir / "lf.inp").string());
  app::Open_Data(fromLf, cdlFile);
  EXPECT_TRUE(boxes.messages().empty());
  EXPECT_EQ(velk_test::ModelBytes(*fromLf.analysis, fromLf.beam, *fromLf.mesh,
                                  *fromLf.material),
            bytes);
}

TEST_F(ProjectFileTest, BytesDoNotDependOnTheLocale) {
  const std::string plain = ReadBytes(SaveGenerated("c.inp"));
  const char* german = std::setlocale(LC_ALL, "de_DE.UTF-8");
  if (!german) german = std::setlocale(LC_ALL, "de_DE");
  if (!german) GTEST_SKIP() << "no German locale installed";
  std::locale previous = std::locale::global(std::locale(std::setlocale(LC_ALL, nullptr)));
  const std::string inGerman = ReadBytes(SaveGenerated("de.inp"));
  FakeHost h;
  files.QueueChoice((dir / "de.inp").string());
  app::Open_Data(h, cdlFile);
  std::locale::global(previous);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(inGerman, plain);
  EXPECT_TRUE(boxes.messages().empty());
  EXPECT_EQ(h.material->PR(), 0.25f);
}

TEST_F(ProjectFileTest, VersionIsComparedAsASingle) {
  EXPECT_TRUE(app::IsProjectVersion(1.4f, 1.4f));
  EXPECT_TRUE(app::IsProjectVersion(static_cast<float>(1.4), 1.4f));
  EXPECT_FALSE(app::IsProjectVersion(1.35f, 1.4f));
  EXPECT_FALSE(app::IsProjectVersion(1.41f, 1.4f));

  const fs::path saved = SaveGenerated("v.inp");
  std::string bytes = ReadBytes(saved);
  WriteBytes(dir / "v140.inp", "VELK Version\r\n 1.40 \r\n" + bytes.substr(21));
  FakeHost h;
  files.QueueChoice((dir / "v140.inp").string());
  app::Open_Data(h, cdlFile);
  EXPECT_TRUE(boxes.messages().empty());
  EXPECT_EQ(h.mesh->Nodes().Count(), 12);

  // Another version: rejected, and like any failed open it leaves the model,
  // the view and the caption as they were.
  WriteBytes(dir / "v135.inp", "VELK Version\r\n 1.35 \r\n" + bytes.substr(21));
  h.mesh->Nodes().Item(2).set_XLoad(-5);
  const std::string before = Dump(h);
  h.caption = "VELK V1.4.0:before.inp";
  h.log.clear();
  files.QueueChoice((dir / "v135.inp").string());
  app::Open_Data(h, cdlFile);
  ASSERT_EQ(boxes.messages().size(), 1u);
  EXPECT_EQ(boxes.messages()[0].prompt, "Error: Reading Data");
  EXPECT_EQ(boxes.messages()[0].title, "Error!");
  EXPECT_EQ(boxes.messages()[0].detail,
            "Line 2 gives the version 1.35; this program reads project files of versions 1.3 and 1.4.");
  EXPECT_EQ(Dump(h), before);
  EXPECT_EQ(h.caption, "VELK V1.4.0:before.inp");
  EXPECT_TRUE(h.log.empty());

  // An empty version field is no version, not the version 0.
  for (const char* line2 : {"", "   ", ",1.4"}) {
    WriteBytes(dir / "none.inp", "VELK Version\r\n" + std::string(line2) + "\r\n" + bytes.substr(21));
    boxes.Clear();
    files.QueueChoice((dir / "none.inp").string());
    app::Open_Data(h, cdlFile);
    EXPECT_EQ(boxes.prompts(), std::vector<std::string>{"Error: Reading Data"}) << line2;
    EXPECT_EQ(boxes.messages()[0].detail,
              "Line 2 gives no version; this program reads project files of versions 1.3 and 1.4.")
        << line2;
  }
  EXPECT_EQ(Dump(h), before);
}

// A 2 x 2 grid written in the older layout: no girder record, nodes with
// their displacements at the end, plates with nine further values.
std::string File13() {
  std::string s = "VELK Version\r\n 1.3 \r\n";
  s += "\"Old run\"\r\n\"Old text\"\r\n\"3\"\r\n0,2.5\r\n";
  s += "2,2,4\r\n";
  const float xy[4][2] = {{0, 0}, {0, 10}, {50, 0}, {50, 10}};
  for (int i = 0; i < 4; ++i) {
    s += std::to_string(static_cast<int>(xy[i][0])) + "," + std::to_string(static_cast<int>(xy[i][1])) +
         ",0.5,0,0\r\n";
    s += "#TRUE#,#TRUE#,#FALSE#,#FALSE#\r\n";
    s += "#TRUE#,#TRUE#,#TRUE#,#FALSE#,#FALSE#,0,0,#TRUE#\r\n";
    s += "0,0,0,0,0\r\n0,0\r\n";
    s += std::to_string(i + 1) + "," + std::to_string(i + 1) + ",0.25,-0.125\r\n";
  }
  s += "1,0\r\n1,3\r\n25,0\r\n0,0\r\n#FALSE#\r\n0,0\r\n1\r\n";
  s += "0.5,1,1\r\n1,3,4,2\r\n25,5\r\n0.5\r\n#TRUE#\r\n1,1\r\n0,0,0,0,0,0,0,0,0\r\n";
  s += "29500,0.31\r\n";
  return s;
}

TEST_F(ProjectFileTest, Version13FileKeepsTheGirderInMemory) {
  WriteBytes(dir / "old.inp", File13());
  FakeHost h;
  h.beam.set_Web_H(33.0f);
  files.QueueChoice((dir / "old.inp").string());
  app::Open_Data(h, cdlFile);
  ASSERT_TRUE(boxes.messages().empty()) << boxes.prompts().front();
  EXPECT_EQ(h.beam.Web_H(), 33.0f);
  EXPECT_EQ(h.caption, "VELK V1.4.0:old.inp");
  EXPECT_EQ(h.analysis->Title, "Old run");
  EXPECT_EQ(h.analysis->EigenValue, 2.5f);
  ASSERT_EQ(h.mesh->Nodes().Count(), 4);
  EXPECT_EQ(h.mesh->Nodes().Item(4).xcoord(), 50.0f);
  EXPECT_EQ(h.mesh->Nodes().Item(2).InPDispY(), -0.125f);
  ASSERT_EQ(h.mesh->fourNodes().Count(), 1);
  EXPECT_EQ(h.mesh->fourNodes().Item(1).Node3().ID(), 4);
  EXPECT_EQ(h.material->MOE(), 29500.0f);
  EXPECT_TRUE(velk_test::ElementsReferToOwnNodes(*h.mesh));
}

TEST_F(ProjectFileTest, FailedOpenLeavesTheModelCaptionAndPanelsAsTheyWere) {
  const std::string bytes = ReadBytes(SaveGenerated("whole.inp"));

  // An unsaved model of the user's own, and the caption of an earlier file.
  FakeHost h;
  auto makeMine = [&] {
    h.RenewModelObjects();
    Generate(h);
    h.analysis->Title = "Mine";
    h.analysis->MaxShift = 6;
    h.mesh->Nodes().Item(3).set_XLoad(7);
    h.beam.set_Web_H(33.0f);
    h.caption = "VELK V1.4.0:mine.inp";
  };
  makeMine();
  const std::string before = Dump(h);

  // Cut in the middle of the mesh, and a file that stops after its header:
  // past end of file, Retry fails again, Cancel, then the command's message.
  const std::size_t cuts[] = {bytes.find("\r\n", bytes.size() / 2) + 2, 21};
  for (std::size_t cut : cuts) {
    WriteBytes(dir / "cut.inp", bytes.substr(0, cut));
    boxes.Clear();
    boxes.QueueAnswer(Answer::Retry);
    boxes.QueueAnswer(Answer::Cancel);
    h.log.clear();
    files.QueueChoice((dir / "cut.inp").string());
    app::Open_Data(h, cdlFile);
    EXPECT_EQ(boxes.prompts(), (std::vector<std::string>{kMsg62, kMsg62, "File Open Error!"})) << cut;
    // The Disk Error box explains the number and says where, once; the
    // command's box does not repeat it.
    EXPECT_EQ(boxes.messages()[1].detail, boxes.messages()[0].detail);
    EXPECT_EQ(boxes.messages().back().detail, "");
    const std::string detail = boxes.messages()[0].detail;
    if (cut == 21)
      EXPECT_EQ(detail, "Analysis record, line 3, field Title: the file ends before this field.");
    else  // the nodes the header promises do not fit in what is left
      EXPECT_EQ(detail.find("Node header, line 9, field NumberNodesY: a grid of 4 by 3 nodes needs 12 node "
                            "records, but the rest of the file has room for at most "),
                0u)
          << detail;
    EXPECT_EQ(Dump(h), before) << cut;
    EXPECT_EQ(h.analysis->MaxShift, 6);
    EXPECT_EQ(h.caption, "VELK V1.4.0:mine.inp");
    // No New, and nothing of the panels, caption or view is touched.
    EXPECT_TRUE(h.log.empty()) << h.log.front();
  }

  // Every cut point: never a crash, the model either the old one or the one
  // in the file, and the caption only for a complete read.
  FakeHost original;
  Generate(original);
  const std::string saved = Dump(original);
  for (std::size_t at = 0; at < bytes.size(); at += 7) {
    WriteBytes(dir / "cut.inp", bytes.substr(0, at));
    boxes.Clear();
    for (int i = 0; i < 4; ++i) boxes.QueueAnswer(Answer::Cancel);
    files.QueueChoice((dir / "cut.inp").string());
    app::Open_Data(h, cdlFile);
    if (boxes.messages().empty()) {
      ASSERT_EQ(Dump(h), saved) << at;
      EXPECT_EQ(h.caption, "VELK V1.4.0:cut.inp");
      makeMine();  // back to the user's model for the next cut
    } else {
      ASSERT_EQ(Dump(h), before) << at;
      EXPECT_EQ(boxes.prompts().back(), "File Open Error!") << at;
      EXPECT_EQ(h.caption, "VELK V1.4.0:mine.inp") << at;
    }
  }
}

// A project file read from a named pipe (another program's output) reads as
// from a file, and a count the rest of it cannot hold is refused just the same.
TEST_F(ProjectFileTest, AProjectFileOpensFromANamedPipe) {
  const std::string bytes = ReadBytes(SaveGenerated("whole.inp"));
  FakeHost original;
  Generate(original);
  {
    velk_test::PipeWriter pipe(dir / "pipe.inp", bytes);
    FakeHost h;
    files.QueueChoice((dir / "pipe.inp").string());
    app::Open_Data(h, cdlFile);
    EXPECT_TRUE(boxes.messages().empty()) << boxes.prompts().front() << ": " << boxes.messages()[0].detail;
    EXPECT_EQ(Dump(h), Dump(original));
    EXPECT_EQ(h.caption, "VELK V1.4.0:pipe.inp");
  }
  fs::remove(dir / "pipe.inp");
  velk_test::PipeWriter pipe(dir / "pipe.inp", bytes.substr(0, bytes.find("\r\n", bytes.size() / 2) + 2));
  FakeHost h;
  files.QueueChoice((dir / "pipe.inp").string());
  boxes.QueueAnswer(Answer::Cancel);
  app::Open_Data(h, cdlFile);
  EXPECT_EQ(boxes.prompts(), (std::vector<std::string>{kMsg62, "File Open Error!"}));
  EXPECT_EQ(boxes.messages()[0].detail.find("Node header, line 9, field NumberNodesY: a grid of 4 by 3 nodes "
                                            "needs 12 node records, but the rest of the file has room for at most "),
            0u)
      << boxes.messages()[0].detail;
}

// Where the records of the 4 x 3 model stand among the lines of its file:
// the header, run and girder lines, then 12 nodes of 7 lines, 17 stiffeners
// of 6 and 6 plates of 5.
constexpr std::size_t kNodeLine = 9, kStiffenerLine = kNodeLine + 12 * 7 + 1, kPlateLine = kStiffenerLine + 17 * 6 + 2;
std::size_t NodeLine(int node, int line) { return kNodeLine + (node - 1) * 7 + (line - 1); }
std::size_t PlateLine(int plate, int line) { return kPlateLine + (plate - 1) * 5 + (line - 1); }

// The model a project file holds, or nothing for a file Open refuses.
std::optional<app::ProjectContents> Read(const std::string& bytes) {
  try {
    platform::TextFile file(platform::InMemory{}, bytes);
    return app::ReadProject(file);
  } catch (const platform::RuntimeError&) {
    return std::nullopt;
  }
}
std::string Dump(const app::ProjectContents& c) {
  return velk_test::DumpProject(c.analysis, c.beamShape ? &*c.beamShape : nullptr, c.mesh, c.material);
}

TEST_F(ProjectFileTest, FilesThatBreakTheModelsRulesAreRefusedAndChangeNothing) {
  const std::string bytes = ReadBytes(SaveGenerated("good.inp"));
  const auto good = Lines(bytes);
  ASSERT_EQ(good[kStiffenerLine - 1], "17,3");
  ASSERT_EQ(good[kPlateLine - 1], "6,6");
  ASSERT_EQ(good[NodeLine(5, 6)], "5,5,#TRUE#");
  struct Change {
    std::size_t line;
    std::size_t field;
    const char* value;
  };
  struct Edit {
    const char* what;
    std::vector<Change> changes;
    const char* detail;  // why the file is refused, below the box's text
  };
  const Edit edits[] = {
      {"node 1 carries the ID 2", {{NodeLine(1, 6), 0, "2"}},
       "Node record 1, line 15, field ID: a node's ID must be its position in the file, 1, not 2."},
      {"node 4 carries the ID 0", {{NodeLine(4, 6), 0, "0"}},
       "Node record 4, line 36, field ID: a node's ID must be its position in the file, 4, not 0."},
      {"a plate of negative thickness in the analysis", {{PlateLine(2, 3), 0, "-1"}},
       "Plate record 2, line 207, field PropertyDefined: #TRUE#, but with thickness -1 the plate has no "
       "property (a size counts when it is above 1E-05)."},
      {"a plate of zero thickness in the analysis", {{PlateLine(2, 3), 0, "0"}},
       "Plate record 2, line 207, field PropertyDefined: #TRUE#, but with thickness 0 the plate has no "
       "property (a size counts when it is above 1E-05)."},
      {"a plate without its property keeps a vID", {{PlateLine(2, 4), 0, "#FALSE#"}},
       "Plate record 2, line 207, field PropertyDefined: #FALSE#, but with thickness 0.3325 the plate has "
       "its property (a size counts when it is above 1E-05)."},
      {"a plate numbered out of order", {{PlateLine(2, 5), 1, "3"}},
       "Plate record 2, line 208, field vID: the plates with their property are numbered 1, 2, ... in file "
       "order, which makes this plate 2, not 3."},
      {"a stiffener without its property keeps a vID", {{kStiffenerLine + 3, 0, "#FALSE#"}},
       "Stiffener record 1, line 98, field PropertyDefined: #FALSE#, but with width 12.5 and thickness 0.75 "
       "the stiffener has its property (a size counts when it is above 1E-05)."},
      {"a node on a plate is not numbered", {{NodeLine(6, 6), 1, "0"}},
       "Node record 6, line 50, field vID: the connected nodes are numbered 1, 2, ... in file order, which "
       "makes this node 6, not 0."},
      {"a node on a plate is not connected",
       {{NodeLine(12, 6), 1, "0"}, {NodeLine(12, 6), 2, "#FALSE#"}, {kNodeLine - 1, 2, "11"}},
       "Node record 12, line 92, field Connected: #FALSE#, but a plate or stiffener with its property uses "
       "the node."},
      {"the plates' count of numbered items", {{kPlateLine - 1, 1, "5"}},
       "Plate header, line 198, field MaxvID: the file says 5 plates take part in the analysis, but 6 have "
       "their property."},
      {"an element corner outside the nodes", {{PlateLine(1, 1), 2, "13"}},
       "Plate record 1, line 199, field Node3: 13 is not a node of the file, which has nodes 1 to 12."},
      {"a modulus of 0", {{good.size() - 1, 0, "0"}},
       "Material record, line 229, field MOE: the elastic modulus must be above 0, not 0."},
      {"a negative modulus", {{good.size() - 1, 0, "-29000"}},
       "Material record, line 229, field MOE: the elastic modulus must be above 0, not -29000."},
      {"a Poisson ratio of 0", {{good.size() - 1, 1, "0"}},
       "Material record, line 229, field PR: Poisson's ratio must lie strictly between 0 and 1, not 0."},
      {"a Poisson ratio of 1", {{good.size() - 1, 1, "1"}},
       "Material record, line 229, field PR: Poisson's ratio must lie strictly between 0 and 1, not 1."},
      {"a coordinate that is not a number", {{NodeLine(3, 1), 1, "1O.5"}},
       "Node record 3, line 24, field ycoord: \"1O.5\" is not a number."},
      {"a flag that is not a Boolean", {{NodeLine(2, 3), 4, "1"}},
       "Node record 2, line 19, field YRDir: \"1\" is neither #TRUE# nor #FALSE#."},
      {"a number beyond a Single", {{PlateLine(6, 2), 0, "1e39"}},
       "Plate record 6, line 225, field CPX: \"1e39\" lies beyond the largest single-precision number, "
       "3.402823E+38."},
      {"a count beyond a Long", {{kStiffenerLine - 1, 0, "3000000000"}},
       "Stiffener header, line 94, field Count: \"3000000000\" lies outside the whole numbers this field "
       "holds, -2147483648 to 2147483647."},
  };
  FakeHost h;
  Generate(h);
  h.mesh->Nodes().Item(7).set_YLoad(12);
  h.caption = "VELK V1.4.0:mine.inp";
  const std::string before = Dump(h);
  for (const Edit& e : edits) {
    auto lines = good;
    for (const Change& c : e.changes) lines[c.line] = velk_test::ReplaceField(lines[c.line], c.field, c.value);
    WriteBytes(dir / "bad.inp", Joined(lines));
    boxes.Clear();
    h.log.clear();
    files.QueueChoice((dir / "bad.inp").string());
    app::Open_Data(h, cdlFile);
    EXPECT_EQ(boxes.prompts(), (std::vector<std::string>{"File Open Error!"})) << e.what;
    EXPECT_EQ(boxes.messages().back().detail, e.detail) << e.what;
    EXPECT_EQ(Dump(h), before) << e.what;
    EXPECT_EQ(h.caption, "VELK V1.4.0:mine.inp") << e.what;
    EXPECT_TRUE(h.log.empty()) << e.what;
  }

  // An edit that keeps to the rules opens.
  auto lines = good;
  lines[NodeLine(2, 1)] = velk_test::ReplaceField(lines[NodeLine(2, 1)], 0, "0.25");
  lines[good.size() - 1] = "30000,0.5";
  WriteBytes(dir / "fine.inp", Joined(lines));
  boxes.Clear();
  files.QueueChoice((dir / "fine.inp").string());
  app::Open_Data(h, cdlFile);
  EXPECT_TRUE(boxes.messages().empty());
  EXPECT_EQ(h.mesh->Nodes().Item(2).xcoord(), 0.25f);
  EXPECT_EQ(h.material->PR(), 0.5f);
}

// Whatever Open accepts, Save writes so that Open reads the same model back.
TEST_F(ProjectFileTest, EveryAcceptedFileSavesAndReopensToTheSameModel) {
  const std::string bytes = ReadBytes(SaveGenerated("base.inp"));
  const auto base = Lines(bytes);
  std::vector<std::string> candidates = {bytes, File13()};
  // Single fields of every line replaced by values of every kind.
  const char* values[] = {"0", "-0", "1", "2", "-1", "1E-45", "3.4028235E+38", "0.30000001", "1.5",
                          "#TRUE#", "#FALSE#", "\"a,b\"", "x\"y", "  7  ", "\"q\"junk", ""};
  std::mt19937 random(99);
  for (std::size_t line = 2; line < base.size(); ++line)
    for (int k = 0; k < 3; ++k) {
      auto lines = base;
      const std::size_t fields = std::count(lines[line].begin(), lines[line].end(), ',') + 1;
      lines[line] = velk_test::ReplaceField(lines[line], random() % fields,
                                                   values[random() % std::size(values)]);
      candidates.push_back(Joined(lines));
    }
  int accepted = 0;
  for (const std::string& file : candidates) {
    const auto first = Read(file);
    if (!first) continue;
    ++accepted;
    const model::BeamShape beam = first->beamShape ? *first->beamShape : model::BeamShape();
    const auto again = Read(app::ProjectText(first->analysis, beam, first->mesh, first->material));
    ASSERT_TRUE(again) << file;
    EXPECT_EQ(Dump(*again), velk_test::DumpProject(first->analysis, &beam, first->mesh, first->material))
        << file;
  }
  EXPECT_GT(accepted, 100);
}

// The model counts as changed when Save would write another file than the
// last one saved, opened or emptied, whatever changed it.
TEST_F(ProjectFileTest, UnsavedChangesAreToldAndSavedOnRequest) {
  FakeHost h;
  app::MarkUnchanged(h);  // start-up
  EXPECT_TRUE(app::SaveChangesFirst(h, cdlFile));
  EXPECT_TRUE(boxes.messages().empty()) << "an untouched model asks nothing";

  Generate(h);
  boxes.QueueAnswer(Answer::Cancel);
  EXPECT_FALSE(app::SaveChangesFirst(h, cdlFile));
  ASSERT_EQ(boxes.messages().size(), 1u);
  EXPECT_EQ(boxes.messages()[0].prompt, app::kSaveChangesPrompt);
  EXPECT_EQ(boxes.messages()[0].buttons, platform::Buttons::YesNoCancel);
  boxes.QueueAnswer(Answer::No);
  EXPECT_TRUE(app::SaveChangesFirst(h, cdlFile));
  EXPECT_TRUE(files.requests().empty());

  // Yes saves first; a cancelled or failed save cancels the command.
  boxes.QueueAnswer(Answer::Yes);
  files.QueueCancel();
  EXPECT_FALSE(app::SaveChangesFirst(h, cdlFile));
  boxes.QueueAnswer(Answer::Yes);
  boxes.QueueAnswer(Answer::Cancel);  // "That path doesn't exist."
  files.QueueChoice((dir / "missing" / "m.inp").string());
  EXPECT_FALSE(app::SaveChangesFirst(h, cdlFile));
  boxes.QueueAnswer(Answer::Yes);
  files.QueueChoice((dir / "m.inp").string());
  EXPECT_TRUE(app::SaveChangesFirst(h, cdlFile));
  EXPECT_EQ(ReadBytes(dir / "m.inp"), velk_test::ModelBytes(*h.analysis, h.beam, *h.mesh, *h.material));
  boxes.Clear();
  EXPECT_TRUE(app::SaveChangesFirst(h, cdlFile));
  EXPECT_TRUE(boxes.messages().empty()) << "saved";

  // Any change is seen, by whatever command, and undoing it is no change.
  auto changed = [&] {
    return h.changes.Changed(velk_test::ModelBytes(*h.analysis, h.beam, *h.mesh, *h.material));
  };
  const float x4 = h.mesh->Nodes().Item(4).xcoord();
  h.mesh->Nodes().Item(4).set_xcoord(1.5f);
  EXPECT_TRUE(changed());
  h.mesh->Nodes().Item(4).set_xcoord(x4);
  EXPECT_FALSE(changed());
  h.analysis->EigenValue = 3.5f;  // a run's result is kept in the file
  EXPECT_TRUE(changed());
  h.analysis->EigenValue = 12.34567f;
  h.analysis->MaxShift = 9;  // the options file keeps the solver options
  h.beam.set_Offset(2.0f);
  EXPECT_TRUE(changed());
  h.beam.set_Offset(0.0f);
  EXPECT_FALSE(changed());

  // New and a successful Open make the model the saved one.
  h.mesh->fourNodes().Item(1).set_Thickness(2.0f);
  app::New_Data(h);
  EXPECT_FALSE(changed());
  h.analysis->Title = "Changed";
  files.QueueChoice((dir / "m.inp").string());
  app::Open_Data(h, cdlFile);
  EXPECT_FALSE(changed());

  // A model Save cannot write is always a change, even just after a mark.
  h.mesh->Nodes().Item(1).set_Sx(std::numeric_limits<float>::infinity());
  app::MarkUnchanged(h);
  boxes.Clear();
  boxes.QueueAnswer(Answer::Cancel);
  EXPECT_FALSE(app::SaveChangesFirst(h, cdlFile));
  EXPECT_EQ(boxes.prompts(), (std::vector<std::string>{app::kSaveChangesPrompt}));
}

// A result belongs to the model it was found for. A file keeps no sign of
// the run, so a model opened with an eigenvalue counts as that model; any
// change since shows until it is taken back, and saving does not end it.
TEST_F(ProjectFileTest, AResultIsOutOfDateWhileTheModelDiffersFromTheOneItWasFoundFor) {
  const fs::path analysed = SaveGenerated("analysed.inp");
  FakeHost h;
  files.QueueChoice(analysed.string());
  app::Open_Data(h, cdlFile);
  ASSERT_TRUE(h.analysis->HasResult());
  EXPECT_FALSE(app::ChangedSinceRun(h));

  model::Nodeb& node = h.mesh->Nodes().Item(5);
  const float load = node.YLoad();
  node.set_YLoad(-1.0f);
  EXPECT_TRUE(app::ChangedSinceRun(h));
  files.QueueChoice((dir / "changed.inp").string());
  ASSERT_TRUE(app::Save_Data(h, cdlFile));
  EXPECT_TRUE(app::ChangedSinceRun(h)) << "saved, but still not the model the result was found for";
  h.analysis->Title = "Renamed";  // the run data count as well
  node.set_YLoad(load);
  EXPECT_TRUE(app::ChangedSinceRun(h));
  h.analysis->Title = "Girder \u00e4 test";
  EXPECT_FALSE(app::ChangedSinceRun(h)) << "the change taken back";

  // The solver options the result depends on count as well, although the
  // options file keeps them, not the project file; the listing's echo level
  // changes no result.
  const model::Analysis defaults;
  const std::vector<std::pair<const char*, std::function<void(model::Analysis&, bool)>>> options{
      {"MaxShift", [&](model::Analysis& a, bool on) { a.MaxShift = on ? 5 : defaults.MaxShift; }},
      {"MaxCycle", [&](model::Analysis& a, bool on) { a.MaxCycle = on ? 20 : defaults.MaxCycle; }},
      {"ShiftFactor", [&](model::Analysis& a, bool on) { a.ShiftFactor = on ? 0.5f : defaults.ShiftFactor; }},
      {"IGSTF", [&](model::Analysis& a, bool on) { a.IGSTF = on; }},
      {"ISHEAR", [&](model::Analysis& a, bool on) { a.ISHEAR = on; }},
      {"OptionInitialB", [&](model::Analysis& a, bool on) { a.OptionInitialB = on ? 1 : 0; }},
  };
  for (const auto& [name, set] : options) {
    set(*h.analysis, true);
    EXPECT_TRUE(app::ChangedSinceRun(h)) << name;
    set(*h.analysis, false);
    EXPECT_FALSE(app::ChangedSinceRun(h)) << name << " set back";
  }
  h.analysis->OutputOption = 2;
  EXPECT_FALSE(app::ChangedSinceRun(h)) << "OutputOption";
  h.analysis->OutputOption = 1;
  h.analysis->IGSTF = true;
  app::MarkAnalysed(h);  // a run with the option
  EXPECT_FALSE(app::ChangedSinceRun(h));
  h.analysis->IGSTF = false;
  EXPECT_TRUE(app::ChangedSinceRun(h)) << "the result was found with the option";

  // The saved file of the changed model shows its eigenvalue unmarked.
  files.QueueChoice((dir / "changed.inp").string());
  app::Open_Data(h, cdlFile);
  EXPECT_FALSE(app::ChangedSinceRun(h));
  app::MarkAnalysed(h);  // as a run that found the result leaves it
  EXPECT_FALSE(app::ChangedSinceRun(h));

  // Without an eigenvalue the model holds no result, and nothing is marked.
  app::New_Data(h);
  EXPECT_FALSE(h.analysis->HasResult());
  Generate(h);
  h.analysis->EigenValue = 0;
  EXPECT_FALSE(app::ChangedSinceRun(h));
}

TEST_F(ProjectFileTest, GarbageNeverCrashes) {
  std::mt19937 random(1234);
  const std::string valid = ReadBytes(SaveGenerated("valid.inp"));
  for (int round = 0; round < 60; ++round) {
    std::string bytes;
    if (round % 3 == 0) {
      for (int i = 0; i < 400; ++i) bytes += static_cast<char>(random() & 0xff);
    } else {
      // A valid file with some bytes overwritten: numbers that are not
      // numbers, counts and node numbers out of range.
      bytes = valid;
      for (int i = 0; i < 1 + round % 5; ++i)
        bytes[21 + random() % (bytes.size() - 21)] = "x-9,\"\r\n#."[random() % 9];
    }
    WriteBytes(dir / "g.inp", bytes);
    FakeHost h;
    boxes.Clear();
    for (int i = 0; i < 4; ++i) boxes.QueueAnswer(Answer::Cancel);
    files.QueueChoice((dir / "g.inp").string());
    app::Open_Data(h, cdlFile);
    ASSERT_TRUE(velk_test::ElementsReferToOwnNodes(*h.mesh)) << round;
    if (!boxes.messages().empty()) {
      const std::string last = boxes.prompts().back();
      EXPECT_TRUE(last == "File Open Error!" || last == "Error: Reading Data") << last;
      // Every refusal says why, once, whatever error number it carries.
      EXPECT_EQ(std::count_if(boxes.messages().begin(), boxes.messages().end(),
                              [](const platform::MessageRequest& m) { return !m.detail.empty(); }),
                1)
          << round;
    }
  }
  // Plain text without a version: a type mismatch, which FileErrors does not
  // explain, so only the command's message.
  WriteBytes(dir / "text.inp", "hello\r\nworld\r\n");
  FakeHost h;
  Generate(h);
  boxes.Clear();
  files.QueueChoice((dir / "text.inp").string());
  app::Open_Data(h, cdlFile);
  EXPECT_EQ(boxes.prompts(), (std::vector<std::string>{"File Open Error!"}));
  EXPECT_EQ(boxes.messages()[0].detail, "Header, line 2: the version \"world\" is not a number.");
  EXPECT_EQ(h.mesh->Nodes().Count(), 12);
}

TEST_F(ProjectFileTest, FailedSaveLeavesTheOldFileAsItWas) {
  const fs::path target = SaveGenerated("keep.inp");
  const std::string old = ReadBytes(target);

  // A disk that is full after 512 bytes of the file: every write fails.
  FakeHost h;
  Generate(h);
  h.analysis->Title = std::string(200, 'x');
  {
    velk_test::FullDisk disk(512);
    ASSERT_TRUE(disk.on());
    boxes.QueueAnswer(Answer::Retry);
    boxes.QueueAnswer(Answer::Cancel);
    files.QueueChoice(target.string());
    h.caption = "VELK V1.4.0:keep.inp";
    app::Save_Data(h, cdlFile);
  }
  EXPECT_EQ(boxes.prompts(), (std::vector<std::string>{"Disk is full. Continue?",
                                                       "Disk is full. Continue?", "File Error!"}));
  EXPECT_EQ(ReadBytes(target), old);
  EXPECT_TRUE(OnlyFiles({"keep.inp"}));

  // A folder that does not exist.
  boxes.Clear();
  boxes.QueueAnswer(Answer::Cancel);
  files.QueueChoice((dir / "missing" / "x.inp").string());
  app::Save_Data(h, cdlFile);
  EXPECT_EQ(boxes.prompts(), (std::vector<std::string>{"That path doesn't exist.", "File Error!"}));
  EXPECT_EQ(h.caption, "VELK V1.4.0:keep.inp");
}

// A save that has to write over the file in place (here a file with a
// second name) and fails half way gives the old file back whole; only when
// the write had changed the file and putting it back fails too is the file
// damaged, which the box says, and the model then counts as not saved.
TEST_F(ProjectFileTest, AFailedSaveInPlaceKeepsTheOldFileOrSaysItIsDamaged) {
  const fs::path target = SaveGenerated("opened.inp");
  fs::create_hard_link(target, dir / "second-name.inp");
  const std::string old = ReadBytes(target);
  FakeHost h;
  files.QueueChoice(target.string());
  app::Open_Data(h, cdlFile);
  const std::string title = h.analysis->Title;
  h.analysis->Title = std::string(300, 't');  // a longer file than the old one
  using platform::DiskCall;
  auto failAt = [](std::int64_t at, bool restoreFails) {
    auto failed = std::make_shared<bool>(false);
    return [=](DiskCall call, std::int64_t offset, std::size_t& length) {
      if (call == DiskCall::Flush && at < 0 && !*failed) return *failed = true, EIO;
      if (call != DiskCall::Write) return 0;
      if (*failed) return restoreFails ? ENOSPC : 0;
      if (at < 0 || offset + static_cast<std::int64_t>(length) <= at) return 0;
      if (offset < at) length = static_cast<std::size_t>(at - offset);
      *failed = offset >= at;
      return *failed ? EIO : 0;
    };
  };
  // Save under the same name with the disk failing so; the box's answer is
  // Cancel, since a Disk Error box would otherwise retry.
  auto saveWith = [&](const platform::DiskFault& fault) {
    boxes.Clear();
    boxes.QueueAnswer(Answer::Cancel);
    files.QueueChoice(target.string());
    platform::SetDiskFaultForTests(fault);
    app::Save_Data(h, cdlFile);
    platform::SetDiskFaultForTests({});
  };
  // At many bytes and at the flush (-1): the old file, and the model still
  // counts as the one on disk.
  for (std::int64_t at : {-1, 0, 1, 97, 500, 1999}) {
    saveWith(failAt(at, false));
    EXPECT_EQ(boxes.prompts(), (std::vector<std::string>{"Internal disk error.", "File Error!"})) << at;
    EXPECT_EQ(boxes.messages()[0].detail, "Cannot write " + target.string() + ": Input/output error") << at;
    ASSERT_EQ(ReadBytes(target), old) << at;
    h.analysis->Title = title;  // what the file holds
    boxes.Clear();
    EXPECT_TRUE(app::SaveChangesFirst(h, cdlFile)) << at;
    EXPECT_TRUE(boxes.messages().empty()) << at;
    h.analysis->Title = std::string(300, 't');
  }

  // Putting the old contents back would fail too, but the model is the one
  // on disk, so the failed write changed nothing: the box is the disk's,
  // the old file stands, and the model still counts as saved.
  h.analysis->Title = title;
  saveWith(failAt(100, true));
  EXPECT_EQ(boxes.prompts(), (std::vector<std::string>{"Internal disk error.", "File Error!"}));
  EXPECT_EQ(boxes.messages()[0].detail, "Cannot write " + target.string() + ": Input/output error");
  EXPECT_EQ(ReadBytes(target), old);
  boxes.Clear();
  EXPECT_TRUE(app::SaveChangesFirst(h, cdlFile));
  EXPECT_TRUE(boxes.messages().empty());

  // A changed model whose write changed the file before it failed, and
  // putting the old contents back fails: the box says the file is damaged
  // and names it, and New, Open, a new girder and quitting ask to save the
  // model.
  h.analysis->Title = std::string(300, 't');
  saveWith(failAt(100, true));
  EXPECT_EQ(boxes.prompts(), (std::vector<std::string>{"Internal disk error.", "File Error!"}));
  EXPECT_EQ(boxes.messages()[0].detail,
            "The file " + target.string() +
                " on disk is damaged: writing it failed (Input/output error), and so did putting its old "
                "contents back (No space left on device). Save it again, or under another name.");
  EXPECT_EQ(boxes.messages()[1].detail, "");
  boxes.Clear();
  boxes.QueueAnswer(Answer::Cancel);
  EXPECT_FALSE(app::SaveChangesFirst(h, cdlFile));
  EXPECT_EQ(boxes.prompts(), std::vector<std::string>{app::kSaveChangesPrompt});

  // Saving again mends it.
  boxes.Clear();
  files.QueueChoice(target.string());
  EXPECT_TRUE(app::Save_Data(h, cdlFile));
  EXPECT_NE(ReadBytes(target).find(std::string(300, 't')), std::string::npos);
  EXPECT_EQ(ReadBytes(dir / "second-name.inp"), ReadBytes(target));
  EXPECT_TRUE(app::SaveChangesFirst(h, cdlFile));
  EXPECT_TRUE(boxes.messages().empty());
}

// A refusal of rights, of the kind of file or of its size shows one box, the
// command's own, with its reason.
TEST_F(ProjectFileTest, ARefusalShowsOneBoxWithItsReason) {
  FakeHost h;
  Generate(h);
  auto save = [&](const fs::path& file) {
    boxes.Clear();
    files.QueueChoice(file.string());
    app::Save_Data(h, cdlFile);
    std::string said;
    for (const auto& box : boxes.messages()) said += box.prompt + " | " + box.detail + "\n";
    return said;
  };
  fs::create_directory(dir / "folder.inp");
  EXPECT_EQ(save(dir / "folder.inp"), "File Error! | " + (dir / "folder.inp").string() +
                                          " is a folder, not a regular file\n");
  {
    velk_test::FileSizeLimit small(100);
    ASSERT_TRUE(small.on());
    EXPECT_EQ(save(dir / "big.inp"), "File Error! | Cannot write " + (dir / "big.inp").string() +
                                         ": File too large (larger than the file size limit set for this "
                                         "program, or than the disk allows)\n");
  }
  // A file the user may only read, saved by a user whom permissions bind.
  const fs::path readOnly = dir / "read-only.inp";
  WriteBytes(readOnly, "kept");
  ASSERT_EQ(::chown(readOnly.c_str(), velk_test::PlainUid(), velk_test::PlainGid()), 0);
  fs::permissions(readOnly, fs::perms::owner_read);
  fs::permissions(dir, fs::perms::owner_all | fs::perms::others_exec);
  EXPECT_EQ(velk_test::AsPlainUser([&] { return save(readOnly); }),
            "File Error! | Cannot write " + readOnly.string() + ": Permission denied\n");
  EXPECT_EQ(ReadBytes(readOnly), "kept");
  EXPECT_EQ(h.caption, "VELK V1.4.0: No Title");
}

TEST_F(ProjectFileTest, NameWithoutExtensionIsUsedAsTyped) {
  FakeHost h;
  Generate(h);
  files.QueueChoice((dir / "plain").string());
  app::Save_Data(h, cdlFile);
  EXPECT_TRUE(OnlyFiles({"plain"}));
  EXPECT_EQ(h.caption, "VELK V1.4.0:plain");
}

TEST_F(ProjectFileTest, CancelledDialogsShowAndChangeNothing) {
  FakeHost h;
  Generate(h);
  files.QueueCancel();
  app::Save_Data(h, cdlFile);
  files.QueueCancel();
  app::Open_Data(h, cdlFile);
  EXPECT_TRUE(boxes.messages().empty());
  EXPECT_TRUE(h.log.empty());
  EXPECT_EQ(h.mesh->Nodes().Count(), 12);
  EXPECT_EQ(h.caption, "VELK V1.4.0: No Title");
  EXPECT_TRUE(fs::is_empty(dir));
  // A file that is not there is not a cancel: "File Open Error!".
  files.QueueChoice((dir / "none.inp").string());
  app::Open_Data(h, cdlFile);
  EXPECT_EQ(boxes.prompts(), (std::vector<std::string>{"File Open Error!"}));
  EXPECT_EQ(h.mesh->Nodes().Count(), 12);
}

TEST(CommonDialogTest, CancelIsAFailureOnlyWhenAskedFor) {
  platform::ScriptedFileDialogBackend files;
  platform::CommonDialog dialog;
  dialog.set_FileName("/a/b.inp");
  files.QueueCancel();
  dialog.ShowOpen();
  EXPECT_TRUE(dialog.Cancelled());
  EXPECT_EQ(dialog.FileName(), "/a/b.inp");
  dialog.CancelError = true;
  try {
    dialog.ShowSave();
    FAIL() << "no failure";
  } catch (const platform::RuntimeError& e) {
    EXPECT_EQ(e.number(), 32755);
  }
  files.QueueChoice("/x/y/girder", 1);
  dialog.DefaultExt = "inp";
  dialog.ShowSave();
  EXPECT_EQ(dialog.FileName(), "/x/y/girder.inp");
  EXPECT_EQ(dialog.FileTitle(), "girder.inp");
  EXPECT_EQ(dialog.FilterIndex, 1);
  auto pairs = platform::SplitFilter(app::kProjectFilter);
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[1].first, "VELK Graphic Interface Files(*.inp)");
  EXPECT_EQ(pairs[1].second, "*.inp");
}

// A save that meets a limit of the system says why in the command's own box
// and ends nothing but the command: past the file size limit, also where
// its signal would end the program, and over a file written in place whose
// old contents do not fit in memory. Saved by a user whom permissions bind.
class SaveLimitsTest : public ProjectFileTest {
 protected:
  SaveLimitsTest() { fs::permissions(dir, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec); }

  // A folder of the plain user's in the scratch folder.
  fs::path PlainUsersFolder(const std::string& name) {
    const fs::path folder = dir / name;
    fs::create_directory(folder);
    EXPECT_EQ(::chown(folder.c_str(), velk_test::PlainUid(), velk_test::PlainGid()), 0);
    return folder;
  }

  // The boxes a save of a generated model to `file` showed: "text | detail" each.
  std::string Save(const fs::path& file) {
    FakeHost h;
    Generate(h);
    boxes.Clear();
    files.QueueChoice(file.string());
    const bool saved = app::Save_Data(h, cdlFile);
    std::string said = saved ? "saved\n" : "";
    for (const auto& box : boxes.messages()) said += box.prompt + " | " + box.detail + "\n";
    return said;
  }
};

TEST_F(SaveLimitsTest, PastTheSizeLimitTheBoxSaysSoAndTheProgramGoesOn) {
  const fs::path folder = PlainUsersFolder("limited"), old = folder / "old.inp", fresh = folder / "new.inp";
  WriteBytes(old, "the old file\r\n");
  ASSERT_EQ(::chown(old.c_str(), velk_test::PlainUid(), velk_test::PlainGid()), 0);
  const std::string said = velk_test::AsPlainUser([&] {
    if (!velk_test::LimitFileSizeAsAtStart(100)) return std::string("no size limit");
    return Save(old) + Save(fresh);
  });
  const std::string reason =
      ": File too large (larger than the file size limit set for this program, or than the disk allows)\n";
  EXPECT_EQ(said, "File Error! | Cannot write " + old.string() + reason + "File Error! | Cannot write " +
                      fresh.string() + reason);
  EXPECT_EQ(ReadBytes(old), "the old file\r\n");
  int left = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++left;
  EXPECT_EQ(left, 1) << "no temporary file is left";
}

TEST_F(SaveLimitsTest, OldContentsTooLargeToHoldAreNamedInTheCommandsBox) {
  if (velk_test::kAddressSanitizer) GTEST_SKIP() << "AddressSanitizer ends the process on an allocation it cannot make";
  const fs::path folder = PlainUsersFolder("closed"), big = folder / "big.inp";
  WriteBytes(big, "");
  ASSERT_EQ(::chown(big.c_str(), velk_test::PlainUid(), velk_test::PlainGid()), 0);
  if (::truncate(big.c_str(), off_t{16} << 30) != 0) GTEST_SKIP() << "no sparse file of 16 GiB here";
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);  // so it is written in place
  const std::string said = velk_test::AsPlainUser([&] {
    if (!velk_test::LimitAddressSpace(std::uint64_t{256} << 20)) return std::string("skip: no address space limit");
    return Save(big);
  });
  if (said.rfind("skip:", 0) == 0) GTEST_SKIP() << said;
  EXPECT_EQ(said, "File Error! | Cannot write " + big.string() +
                      " safely: it has to be written over in place, since the folder allows no new file beside "
                      "it, and its old contents (17179869184 bytes) could not be held in memory to put them back "
                      "if the write failed\n");
  EXPECT_EQ(fs::file_size(big), std::uintmax_t{16} << 30);
}

}  // namespace

// ---------------------------------------------------------------------------
// Hostile files: lines and fields longer than any valid file holds, named
// pipes that no program writes into, devices, failed reads. Each is refused
// with its reason, once, before it can freeze the window or eat memory, and
// the model stays as it was.
namespace {

// A host that tells when Open waits for a pipe, how many boxes had shown
// when it stopped waiting, and can do something during the wait.
class WaitingHost : public FakeHost {
 public:
  explicit WaitingHost(const BoxScript& boxes) : boxes_(boxes) {}
  void WaitingForFile() override {
    ++slices;
    if (duringWait) duringWait();
  }
  void DoneWaitingForFile() override {
    ++done;
    boxesWhenDone = boxes_.messages().size();
  }
  int slices = 0;
  int done = 0;
  std::size_t boxesWhenDone = 0;
  std::function<void()> duringWait;

 private:
  const BoxScript& boxes_;
};

class HostileFileTest : public ProjectFileTest {
 protected:
  void SetUp() override {
    valid = ReadBytes(SaveGenerated("valid.inp"));
    Generate(h);
    h.analysis->Title = "Mine";
    h.mesh->Nodes().Item(3).set_XLoad(7);
    h.caption = "VELK V1.4.0:mine.inp";
    before = Dump(h);
  }

  // Opens the file and says what the boxes said: prompt | detail, a line each.
  std::string Open(const fs::path& file) {
    boxes.Clear();
    h.log.clear();
    files.QueueChoice(file.string());
    app::Open_Data(h, cdlFile);
    std::string said;
    for (const auto& box : boxes.messages()) said += box.prompt + " | " + box.detail + "\n";
    return said;
  }
  // The model, the caption and the panels as they were before.
  void ExpectUnchanged(const std::string& what) {
    EXPECT_EQ(Dump(h), before) << what;
    EXPECT_EQ(h.caption, "VELK V1.4.0:mine.inp") << what;
    EXPECT_TRUE(h.log.empty()) << what;
  }

  std::string valid;
  WaitingHost h{boxes};
  std::string before;
};

std::string WithLine(const std::string& bytes, std::size_t line, const std::string& text) {
  auto lines = Lines(bytes);
  lines[line] = text;
  return Joined(lines);
}

}  // namespace

// One line of megabytes (of one character, of NULs as a sparse file gives,
// of blanks after a quoted text, as the first line), and a quoted field
// running over many lines: each is refused at its first byte past the
// longest a valid file holds, naming the record, line and field.
TEST_F(HostileFileTest, LinesAndFieldsLongerThanAnyValidFileHoldsAreRefused) {
  const std::string big(4 << 20, 'x');
  const std::string tooLongField = "the field is longer than 98301 bytes, more than any field the program writes.";
  const std::string tooLongLine = "the line is longer than 98303 bytes, more than a line of this file can hold.";
  std::string overLines = "\"";
  for (int i = 0; i < 2000; ++i) overLines += std::string(60, 'd') + "\r\n";
  overLines += "\"";
  const std::pair<std::string, std::string> files[] = {
      {WithLine(valid, 2, big), "Analysis record, line 3, field Title: " + tooLongField},
      {WithLine(valid, 2, std::string(big.size(), '\0')), "Analysis record, line 3, field Title: " + tooLongField},
      {WithLine(valid, 2, "\"Title\"" + std::string(big.size(), ' ')),
       "Analysis record, line 3, field Title: " + tooLongLine},
      {WithLine(valid, 3, overLines), "Analysis record, line 4, field Discription: " + tooLongField},
      {WithLine(valid, 0, big), "Header, line 1: " + tooLongLine},
  };
  for (const auto& [bytes, reason] : files) {
    WriteBytes(dir / "long.inp", bytes);
    EXPECT_EQ(Open(dir / "long.inp"), "File Open Error! | " + reason + "\n");
    ExpectUnchanged(reason);

    // The reader stopped there: it took no more than the file up to the bound.
    platform::TextFile file(dir / "long.inp", platform::FileMode::Input);
    EXPECT_THROW(app::ReadProject(file), platform::RuntimeError);
    EXPECT_LE(file.taken(), 21 + 2 * 60 + app::kLongestProjectLine + 1) << reason;
  }
}

// The longest texts the run dialog takes, 32767 characters of three bytes
// each, make the longest lines; such a model saves and reopens byte for
// byte, and one byte more is refused.
TEST_F(HostileFileTest, TheLongestTextsTheDialogTakesSaveAndReopen) {
  std::string longest;
  for (int i = 0; i < model::kLongestTextUnits; ++i) longest += "\u20ac";
  h.analysis->Title = longest;
  h.analysis->Discription = longest;
  h.analysis->RunID = longest;
  files.QueueChoice((dir / "longest.inp").string());
  ASSERT_TRUE(app::Save_Data(h, cdlFile));
  const std::string bytes = ReadBytes(dir / "longest.inp");
  ASSERT_EQ(Lines(bytes)[3].size(), static_cast<std::size_t>(app::kLongestProjectLine));

  WaitingHost again(boxes);
  files.QueueChoice((dir / "longest.inp").string());
  app::Open_Data(again, cdlFile);
  EXPECT_TRUE(boxes.messages().empty());
  EXPECT_EQ(again.analysis->Discription, longest);
  EXPECT_EQ(velk_test::ModelBytes(*again.analysis, again.beam, *again.mesh, *again.material), bytes);

  before = Dump(h);
  WriteBytes(dir / "longer.inp", WithLine(bytes, 3, "\"" + longest + "x\""));
  EXPECT_EQ(Open(dir / "longer.inp"),
            "File Open Error! | Analysis record, line 4, field Discription: the field is longer than 98301 bytes, "
            "more than any field the program writes.\n");
  EXPECT_EQ(Dump(h), before);
}

// A named pipe that no program opens to write into is refused after the
// wait, the host asked to keep its window going meanwhile and told before
// the box that the wait is over.
TEST_F(HostileFileTest, APipeNoProgramWritesIntoIsRefusedAfterTheWait) {
  ShortPipeWaits waits;
  const fs::path pipe = dir / "pipe.inp";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(Open(pipe), "File Open Error! | No program opened the named pipe " + pipe.string() +
                            " to write into it within 0.1 seconds\n");
  ExpectUnchanged("no writer");
  EXPECT_EQ(h.slices, 1);
  EXPECT_EQ(h.done, 1);
  EXPECT_EQ(h.boxesWhenDone, 0u);

  // A program that comes during the wait and writes the file: it opens.
  h.duringWait = [&] {
    const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::write(fd, valid.data(), valid.size()), static_cast<ssize_t>(valid.size()));
    ::close(fd);
  };
  EXPECT_EQ(Open(pipe), "");
  EXPECT_EQ(velk_test::ModelBytes(*h.analysis, h.beam, *h.mesh, *h.material), valid);
  EXPECT_EQ(h.caption, "VELK V1.4.0:pipe.inp");
  EXPECT_EQ(h.done, 2);
}

// A device is refused before it is read, and a read that fails is refused
// with its reason (a disk error, which may be tried again), not taken for
// the end of the file.
TEST_F(HostileFileTest, DevicesAndFailedReadsAreRefusedWithTheirReason) {
  if (fs::exists("/dev/zero")) {
    EXPECT_EQ(Open("/dev/zero"), "File Open Error! | /dev/zero is a character device, not a file\n");
    ExpectUnchanged("/dev/zero");
  }
  if (fs::exists("/proc/self/mem")) {
    boxes.QueueAnswer(Answer::Retry);
    boxes.QueueAnswer(Answer::Cancel);
    const std::string disk = "Internal disk error. | Header, line 1: Cannot read /proc/self/mem: Input/output error.\n";
    EXPECT_EQ(Open("/proc/self/mem"), disk + disk + "File Open Error! | \n");
    ExpectUnchanged("/proc/self/mem");
  }
  EXPECT_EQ(h.slices, 0);
}
