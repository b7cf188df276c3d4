#include "app/NodeMoves.h"

#include <exception>
#include <limits>
#include <string>
#include <vector>

#include "app/Globals.h"
#include "app/Selection.h"
#include "model/Mesh.h"
#include "model/NodeMoves.h"
#include "model/ValueChecks.h"
#include "platform/MessageBox.h"
#include "platform/NumberText.h"
#include "platform/RuntimeError.h"
#include "view/View.h"

namespace app {
namespace {

using model::MoveAxis;

// A node number typed into a box: a number rounded half to even, within
// 16 bits. Cancel, an empty text and a non-number are failures.
long ReadNodeNumber(const std::string& text) {
  long long v = 0;
  if (!platform::ParseInteger(text, std::numeric_limits<short>::min(),
                              std::numeric_limits<short>::max(), v))
    platform::Raise(platform::kErrTypeMismatch);
  return static_cast<long>(v);
}

// A distance typed into a box, as a Single.
float ReadDistance(const std::string& text) {
  double v = 0;
  if (!platform::ParseDouble(text, v)) platform::Raise(platform::kErrTypeMismatch);
  return model::checks::NearestSingle(v);
}

// The node an entry holds; 438 for any other item.
model::Nodeb& NodeOf(const SelectedItemRef& item) {
  if (model::Nodeb* n = AsNode(item)) return *n;
  model::checks::RaiseNoSuchProperty();
}

struct WeightedMove {
  MoveAxis axis;
  float coincident;  // the weight where reference and target share a coordinate
  bool redraw;
  const char* failure;
};

constexpr WeightedMove kPMoveX{MoveAxis::X, 1, false, "Error..[Proportional/X]"};
constexpr WeightedMove kPMoveY{MoveAxis::Y, 1, true, "Error..[Proportional/Y]"};
constexpr WeightedMove kTaperX{MoveAxis::X, 0, false, "Error..[Rotate/X]"};
constexpr WeightedMove kTaperY{MoveAxis::Y, 0, true, "Error..[Rotate/Y]"};

void RunWeightedMove(const WeightedMove& m) {
  try {
    Selection& selection = globals::Selection();
    view::View& v = globals::View();
    model::Mesh& mesh = globals::Mesh();
    const long n = selection.SelectedCounter();
    if (n == 0) platform::Raise(platform::kErrSubscript);
    if (v.MeshMode != view::pick::kNode) return;
    // The nodes by their numbers, which are their positions in the collection.
    std::vector<short> list;
    for (long i = 1; i <= n; ++i)
      list.push_back(model::checks::ToInteger(GetMember(selection.Item(i), "ID")));
    const long r = ReadNodeNumber(platform::InputBox("Input Ref. Node ID"));
    const long t = ReadNodeNumber(platform::InputBox("Input Target Node ID"));
    model::Nodes& nodes = mesh.Nodes();
    if (r > nodes.Count() || t > nodes.Count()) return;
    const float d = ReadDistance(platform::InputBox(
        m.axis == MoveAxis::X ? "Move in X Direction by" : "Move in Y Direction by"));
    if (r < 1 || t < 1) platform::Raise(platform::kErrSubscript);
    const model::Nodeb& ref = nodes.Item(r);
    const model::Nodeb& target = nodes.Item(t);
    std::vector<model::Nodeb*> moved;
    for (short k : list) moved.push_back(&nodes.Item(k));
    const model::MovePlan plan =
        model::PlanWeightedMove(moved, ref.xcoord(), ref.ycoord(), target.xcoord(),
                                target.ycoord(), d, m.axis, m.coincident);
    model::ApplyMovePlan(plan, mesh);
    if (m.redraw) v.Refresh();
  } catch (const std::exception&) {
    platform::MsgBox(m.failure);
  }
}

void RunPlainMove(MoveAxis axis) {
  try {
    Selection& selection = globals::Selection();
    view::View& v = globals::View();
    model::Mesh& mesh = globals::Mesh();
    model::MovePlan plan;
    // The edit modes in which picking takes nodes.
    const bool nodesPicked =
        v.PropertyMode >= view::edit_mode::kBoundary && v.PropertyMode <= view::edit_mode::kLoad;
    if (nodesPicked && selection.SelectedCounter() > 0) {
      const float d = ReadDistance(platform::InputBox(
          axis == MoveAxis::X ? "Move in X Dir. by" : "Move in Y Dir. by", "Move Nodes", "0.00"));
      std::vector<model::Nodeb*> moved;
      for (long i = 1; i <= selection.SelectedCounter(); ++i)
        moved.push_back(&NodeOf(selection.Item(i)));
      plan = model::PlanPlainMove(moved, d, axis);
    }
    model::ApplyMovePlan(plan, mesh);
    v.Refresh();
  } catch (const std::exception&) {
    // A plain move says nothing of a failure.
  }
}

}  // namespace

void Edit_Mesh_Move_NodeX() { RunPlainMove(MoveAxis::X); }
void Edit_Mesh_Move_NodeY() { RunPlainMove(MoveAxis::Y); }
void Edit_Mesh_PMove_NodeX() { RunWeightedMove(kPMoveX); }
void Edit_Mesh_PMove_NodeY() { RunWeightedMove(kPMoveY); }
void Edit_Mesh_Rotate_NodeX() { RunWeightedMove(kTaperX); }
void Edit_Mesh_Rotate_NodeY() { RunWeightedMove(kTaperY); }

}  // namespace app
