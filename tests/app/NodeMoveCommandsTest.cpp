// The six node moves called as the Edit Geometry entries call them, on the
// global model, with scripted input boxes and a view host that counts the
// redraws. The grid is 3 x 3 over [0, 20] x [0, 10]; node k of column i and
// row j stands at position 3 (i - 1) + j, at (10 (i - 1), 5 (j - 1)).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Globals.h"
#include "app/NodeMoves.h"
#include "app/Selection.h"
#include "model/Mesh.h"
#include "platform/MessageBox.h"
#include "tests/view/ViewTestSupport.h"
#include "view/View.h"

namespace {

class NodeMoveCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    globals::ReleaseAll();
    viewtest::BuildPlateGrid(globals::Mesh(), 20, 10, 3, 3, 0);
    globals::View().SetHost(&host);
    globals::View().PropertyMode = 3;  // boundary: picking takes nodes
    globals::View().MeshMode = 1;
  }
  void TearDown() override {
    globals::View().SetHost(nullptr);
    globals::ReleaseAll();
  }
  static model::Nodeb& Node(long k) { return globals::Mesh().Nodes().Item(k); }
  static void Select(std::initializer_list<long> positions) {
    globals::Selection().ClearSelectedItem();
    for (long k : positions) globals::Selection().Append(&Node(k));
  }
  static void SelectAll() {
    globals::Selection().ClearSelectedItem();
    for (long k = 1; k <= 9; ++k) globals::Selection().Append(&Node(k));
  }
  void Answer(std::initializer_list<const char*> texts) {
    for (const char* t : texts) prompter.QueueInput(t);
  }
  std::vector<std::string> InputPrompts() const {
    std::vector<std::string> out;
    for (const auto& r : prompter.inputs()) out.push_back(r.prompt);
    return out;
  }
  // The coordinates of all nine nodes, to compare before and after.
  static std::vector<float> Coordinates() {
    std::vector<float> c;
    for (long k = 1; k <= 9; ++k) {
      c.push_back(Node(k).xcoord());
      c.push_back(Node(k).ycoord());
    }
    return c;
  }
  // Marks the plates' centres as stale, to see whether a move recomputed them.
  static void StaleCentres() {
    for (auto& p : globals::Mesh().fourNodes()) p.set_CPX(-1);
  }
  static bool CentresRecomputed() { return globals::Mesh().fourNodes().Item(1).CPX() != -1; }

  platform::ScriptedPrompter prompter;
  viewtest::FakeHost host;
};

using Strings = std::vector<std::string>;

TEST_F(NodeMoveCommands, PlainMoveAsksOnceAndMovesEverySelectedNode) {
  Select({2, 5, 5});
  Answer({"1.5"});
  app::Edit_Mesh_Move_NodeX();
  ASSERT_EQ(prompter.inputs().size(), 1u);
  EXPECT_EQ(prompter.inputs()[0].prompt, "Move in X Dir. by");
  EXPECT_EQ(prompter.inputs()[0].title, "Move Nodes");
  EXPECT_EQ(prompter.inputs()[0].defaultText, "0.00");
  EXPECT_EQ(Node(2).xcoord(), 1.5f);
  EXPECT_EQ(Node(5).xcoord(), 13) << "listed twice, moved twice";
  EXPECT_EQ(Node(4).xcoord(), 10);
  EXPECT_FLOAT_EQ(globals::Mesh().fourNodes().Item(1).CPX(), (0 + 10 + 13 + 1.5f) / 4);
  EXPECT_EQ(host.paints, 1);
  EXPECT_EQ(globals::Selection().SelectedCounter(), 3) << "the selection stays";

  prompter.Clear();
  Answer({"-2"});
  app::Edit_Mesh_Move_NodeY();
  EXPECT_EQ(InputPrompts(), Strings{"Move in Y Dir. by"});
  EXPECT_EQ(Node(2).ycoord(), 3);
  EXPECT_EQ(Node(5).ycoord(), 1);
  EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(NodeMoveCommands, PlainMoveWithoutNodesToMoveOnlyRecomputesAndRedraws) {
  const auto before = Coordinates();
  for (int mode : {1, 2}) {
    Select({5});
    globals::View().PropertyMode = mode;
    StaleCentres();
    app::Edit_Mesh_Move_NodeX();
    EXPECT_TRUE(CentresRecomputed()) << mode;
  }
  globals::View().PropertyMode = 4;
  globals::Selection().ClearSelectedItem();
  StaleCentres();
  app::Edit_Mesh_Move_NodeY();
  EXPECT_TRUE(CentresRecomputed());
  EXPECT_TRUE(prompter.inputs().empty());
  EXPECT_EQ(host.paints, 3);

  // The default answer moves nothing but still recomputes and redraws.
  Select({5});
  StaleCentres();
  Answer({"0.00"});
  app::Edit_Mesh_Move_NodeY();
  EXPECT_TRUE(CentresRecomputed());
  EXPECT_EQ(host.paints, 4);
  EXPECT_EQ(Coordinates(), before);
}

TEST_F(NodeMoveCommands, PlainMoveEndsSilentlyOnAnAnswerThatDoesNotFit) {
  Node(9).set_ycoord(3e38f);
  const auto before = Coordinates();
  Select({1, 5, 9});
  for (const char* answer : {"", "abc", "1e39", "1e38"}) {
    StaleCentres();
    prompter.QueueInput(answer);
    app::Edit_Mesh_Move_NodeY();
    EXPECT_EQ(Coordinates(), before) << answer;  // "1e38" would overflow node 9 only
    EXPECT_FALSE(CentresRecomputed()) << answer;
  }
  EXPECT_EQ(host.paints, 0);
  EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(NodeMoveCommands, ProportionalMoveAsksForTwoNodesAndADistance) {
  SelectAll();
  Answer({"1", "7", "4"});
  app::Edit_Mesh_PMove_NodeX();
  EXPECT_EQ(InputPrompts(),
            (Strings{"Input Ref. Node ID", "Input Target Node ID", "Move in X Direction by"}));
  for (const auto& r : prompter.inputs()) {
    EXPECT_EQ(r.title, platform::ApplicationTitle());
    EXPECT_EQ(r.defaultText, "");
  }
  // Reference and target in the bottom row: the columns stretch.
  EXPECT_EQ(Node(3).xcoord(), 0);
  EXPECT_EQ(Node(5).xcoord(), 12);
  EXPECT_EQ(Node(8).xcoord(), 24);
  EXPECT_FLOAT_EQ(globals::Mesh().fourNodes().Item(1).CPX(), 6);
  EXPECT_EQ(host.paints, 0) << "the X moves leave the redraw to the next paint";

  // In y, with reference 1 and target 3 in one column: the rows shear.
  Select({5, 6});
  Answer({"1", "3", "2"});
  app::Edit_Mesh_PMove_NodeY();
  EXPECT_EQ(Node(5).ycoord(), 6);
  EXPECT_EQ(Node(6).ycoord(), 12);
  EXPECT_EQ(host.paints, 1);
  EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(NodeMoveCommands, TaperMovesOnlyWhereBothWeightsAreNonZero) {
  SelectAll();
  Answer({"1", "9", "8"});
  app::Edit_Mesh_Rotate_NodeX();
  const float expected[10] = {0, 0, 0, 0, 10, 12, 14, 20, 24, 28};
  for (long k = 1; k <= 9; ++k) EXPECT_EQ(Node(k).xcoord(), expected[k]) << k;
  EXPECT_EQ(host.paints, 0);

  // The same node as reference and target: nothing moves, centres recomputed.
  const auto before = Coordinates();
  StaleCentres();
  Answer({"5", "5", "3"});
  app::Edit_Mesh_Rotate_NodeY();
  EXPECT_EQ(Coordinates(), before);
  EXPECT_TRUE(CentresRecomputed());
  EXPECT_EQ(host.paints, 1);
  // Node numbers round half to even: 3.5 and 4.5 both name node 4 (rounding
  // half up or down would name two nodes apart in x and y, and move some).
  Answer({"3.5", "4.5", "3"});
  app::Edit_Mesh_Rotate_NodeY();
  EXPECT_EQ(Coordinates(), before);
  EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(NodeMoveCommands, EachWeightedMoveReportsItsOwnFailure) {
  // Nothing selected: the message comes before any prompt.
  globals::Selection().ClearSelectedItem();
  app::Edit_Mesh_PMove_NodeX();
  app::Edit_Mesh_PMove_NodeY();
  app::Edit_Mesh_Rotate_NodeX();
  app::Edit_Mesh_Rotate_NodeY();
  EXPECT_EQ(prompter.prompts(), (Strings{"Error..[Proportional/X]", "Error..[Proportional/Y]",
                                         "Error..[Rotate/X]", "Error..[Rotate/Y]"}));
  for (const auto& m : prompter.messages()) {
    EXPECT_EQ(m.buttons, platform::Buttons::Ok);
    EXPECT_EQ(m.title, platform::ApplicationTitle());
  }
  EXPECT_TRUE(prompter.inputs().empty());
  EXPECT_EQ(host.paints, 0);
}

TEST_F(NodeMoveCommands, WeightedMoveFailuresAndSilentEndsChangeNothing) {
  const auto before = Coordinates();
  SelectAll();
  struct Case {
    std::vector<const char*> answers;
    size_t promptsAsked;
    bool failure;
  } cases[] = {
      {{""}, 1, true},                 // Cancel in the first prompt
      {{"x"}, 1, true},                // not a number
      {{"1", "40000"}, 2, true},       // beyond 16 bits
      {{"1", "7", ""}, 3, true},       // no distance
      {{"1", "7", "1e39"}, 3, true},   // distance beyond single precision
      {{"0", "7", "4"}, 3, true},      // reference 0: after the distance prompt
      {{"1", "-3", "4"}, 3, true},     // target below 1
      {{"10", "7"}, 2, false},         // reference one above the count: silent
      {{"1", "10"}, 2, false},         // target above the count: silent, after both
  };
  for (const Case& c : cases) {
    prompter.Clear();
    for (const char* a : c.answers) prompter.QueueInput(a);
    StaleCentres();
    app::Edit_Mesh_PMove_NodeX();
    EXPECT_EQ(prompter.inputs().size(), c.promptsAsked) << c.answers.back();
    EXPECT_EQ(prompter.prompts(), c.failure ? Strings{"Error..[Proportional/X]"} : Strings{})
        << c.answers.back();
    EXPECT_EQ(Coordinates(), before) << c.answers.back();
    EXPECT_FALSE(CentresRecomputed()) << c.answers.back();
  }

  // With a pick kind other than nodes the moves end before any prompt.
  prompter.Clear();
  globals::View().MeshMode = 3;
  app::Edit_Mesh_Rotate_NodeY();
  EXPECT_TRUE(prompter.inputs().empty());
  EXPECT_TRUE(prompter.messages().empty());
  globals::View().MeshMode = 1;

  // A selected node numbered beyond 16 bits fails before any prompt.
  Node(9).set_ID(40000);
  app::Edit_Mesh_Rotate_NodeX();
  EXPECT_TRUE(prompter.inputs().empty());
  EXPECT_EQ(prompter.prompts(), Strings{"Error..[Rotate/X]"});
  EXPECT_EQ(host.paints, 0);
}

TEST_F(NodeMoveCommands, AMoveBeyondSinglePrecisionMovesNoNode) {
  // Node 9's new y would overflow; nodes 3 and 6, moved before it in the
  // list, must not move either.
  Node(9).set_ycoord(3e38f);
  const auto before = Coordinates();
  Select({3, 6, 9});
  Answer({"1", "3", "1e38"});
  StaleCentres();
  app::Edit_Mesh_PMove_NodeY();
  EXPECT_EQ(prompter.prompts(), Strings{"Error..[Proportional/Y]"});
  EXPECT_EQ(Coordinates(), before);
  EXPECT_FALSE(CentresRecomputed());
  EXPECT_EQ(host.paints, 0);
}

}  // namespace
