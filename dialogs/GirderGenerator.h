#pragma once
// The girder generator without its window: the texts of the dialog's boxes
// are checked and turned into a complete plan of the new model (section,
// material, grid size, corner lines) before anything is replaced, and the
// plan is then laid out on an empty mesh. No Qt here, so the whole grid can be
// checked headless.
#include <string>

#include "analysis/SolverLimits.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"

namespace dialogs {

// The texts of the generator's boxes, named after them.
struct GirderTexts {
  std::string BTFW, BTFT, BWH, BWT, BBFW, BBFT, BL;          // End 1
  std::string BTFWE, BTFTE, BWHE, BWTE, BBFWE, BBFTE, Offset;  // End 2
  std::string MOE, PR;
  std::string NumXElements, NumYElements;
  bool proportional = false;  // chkProportionalMesh ticked
};

// Everything the generation needs, computed and checked in advance.
struct GirderPlan {
  model::BeamShape shape;
  float MOE = 0, PR = 0;
  short NX = 0, NY = 0;        // node columns and rows
  float y1 = 0, y2 = 0, y3 = 0;  // corner heights B, D and C
  float q = 1;                 // End 2 centre-line depth over End 1's
  bool proportionalGrid = false;  // geometric column spacing
};

// The messages of the checks.
inline constexpr const char* kMsgNumbers = "Input Data Error : Numbers!";
inline constexpr const char* kMsgPositive = "Input Data Error : Positive Numbers!";
inline constexpr const char* kMsgLongitudinal = "Invalid Input Data : Longitudinal!";
inline constexpr const char* kMsgTransverse = "Invalid Input Data : Transverse!";
inline constexpr const char* kMsgMoE = "Invalid Input Data : MoE!";
inline constexpr const char* kMsgPR = "Invalid Input Data : PR!";
inline constexpr const char* kMsgBeamWeb = "Invalid Input Data : Beam Web!";
inline constexpr const char* kMsgBeamLength = "Invalid Input Data : Beam Length!";
inline constexpr const char* kMsgTooManyElements =
    "Invalid Input Data : Too Many Elements (at most 10922 nodes)!";
inline constexpr const char* kMsgProportionalOne =
    "Invalid Input Data : Proportional Size of Elements needs 2 or more Longitudinal Elements!";

// Largest node count of a generated grid: every node of a generated girder
// takes part in the analysis.
inline constexpr long kMaxGridNodes = analysis::kMaxNodes;

// Runs the generator's checks in their order. Returns the message of the
// first that fails, or an empty text with `plan` filled. A zero flange
// (width or thickness exactly 0) has both of its boxes rewritten to "0",
// even when a later check fails.
std::string CheckGirder(GirderTexts& texts, GirderPlan& plan);

// The node limit alone, for the dialog to check before it asks to replace a
// mesh: the limit's message when both element counts are numbers of at least
// 1 (after rounding) whose grid passes the limit, otherwise an empty text.
std::string CheckGridSize(const GirderTexts& texts);

// Lays the plan out on `mesh`, which must be empty: stores the section and the
// constants, generates nodes, stiffeners and plates, gives the flanges and the
// web their tapered sizes and numbers the items for the solver.
void BuildGirder(const GirderPlan& plan, model::BeamShape& beamShape, model::Material& material,
                 model::Mesh& mesh);

// A size tapered linearly from `end1` at x = 0 to `end2` at x = length.
float TaperedSize(float end1, float end2, float length, float x);

}  // namespace dialogs
