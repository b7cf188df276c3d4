#pragma once
// The solver listing "velktempout.vlk": the texts of its sections and the
// line shapes they use, written as print lines. A header line is a row of
// column titles, each starting a print zone; a row is a line of items
// separated by next-zone separators. Nothing reads the listing back.
#include <array>
#include <initializer_list>
#include <string_view>

#include "analysis/PrintLineWriter.h"
#include "platform/TextFile.h"

namespace analysis::listing {

inline constexpr std::string_view kOutputStarts = "[Output Starts]";
inline constexpr std::string_view kOutputEnds = "[Output Ends]";
inline constexpr std::string_view kNodalInfo = "[Nodal Info]";
inline constexpr std::string_view kPlateElementInfo = "[Plate Element Info]";
inline constexpr std::string_view kBeamElementInfo = "[Beam Element Info]";
inline constexpr std::string_view kLoads = "[Loads]";
inline constexpr std::string_view kBoundaryInPlane = "[Boundary Conditions: In-plane]";
inline constexpr std::string_view kSpringsInPlane = "[Elastic Springs: In-Plane]";
inline constexpr std::string_view kDisplacementInPlane = "[Displacement: In-Plane]";
inline constexpr std::string_view kStressPlate = "[Stress: Plate Element]";
inline constexpr std::string_view kStressBeam = "[Stress: Beam Element]";
inline constexpr std::string_view kBoundaryOutOfPlane = "[Boundary conditions: Out-of-Plane]";
inline constexpr std::string_view kSpringsOutOfPlane = "[Elastic Springs: Out-of-Plane]";
inline constexpr std::string_view kInputModeShape = "[Input Mode Shape]";
inline constexpr std::string_view kInputAnalysisOption = "[Input Analysis Option]";
inline constexpr std::string_view kOutputModeShape = "[Output Normalized Mode Shape]";

inline constexpr std::string_view kOptionIGSTF = "Option: Torsional Geometric Stiff Option is Used";
inline constexpr std::string_view kOptionISHEAR = "Option: Approximate Shear Distortion Option is Used";

// The eight count labels of the listing header, in the order of the input file's counts.
inline constexpr std::array<std::string_view, 8> kCountLabels = {
    "Num. of Plate Elements",
    "Num. of Stiffener Elements",
    "Num. of Points",
    "Num. of Loaded Points  ",
    "Num. of In-plane Boundary Points",
    "Num. of Elastic Springs(In-Plane)",
    "Num. of Out-of-plane Boundary Points",
    "Num. of Elastic Springs(Out-of-plane)",
};

// Column titles of each section's header line.
inline constexpr std::array<std::string_view, 3> kNodalHeader = {"Node", "X-Coord.", "Y-Coord."};
inline constexpr std::array<std::string_view, 6> kPlateHeader = {"Number", "Node1", "Node2", " Node3", "Node4",
                                                                 "Thickness"};
inline constexpr std::array<std::string_view, 5> kBeamHeader = {"Number", "Node1", "Node2", "Thickness", "Width"};
inline constexpr std::array<std::string_view, 3> kLoadsHeader = {"Node Number", "X Dir.", "Y Dir."};
inline constexpr std::array<std::string_view, 5> kBoundaryInPlaneHeader = {"Node Number", "X Dir.", "Y Dir.",
                                                                           "X Value", "Y Value"};
inline constexpr std::array<std::string_view, 3> kSpringsInPlaneHeader = {"Node Number", "X Value", "Y Value"};
inline constexpr std::array<std::string_view, 3> kDisplacementHeader = {"Node Number", "X Disp.", "Y Disp."};
inline constexpr std::array<std::string_view, 6> kStressPlateHeader = {"Number", "Location", "Node",
                                                                       "SX",     "SY",       "SXY"};
inline constexpr std::array<std::string_view, 2> kStressBeamHeader = {"Number", "Sx"};
inline constexpr std::array<std::string_view, 4> kOutOfPlaneHeader = {"Node Number", "Z Dir.", "Rot. X", "Rot. Y"};
inline constexpr std::array<std::string_view, 4> kModeShapeHeader = {"Node Number", "Z Dir", "Rot. X", "Rot. Y"};
inline constexpr std::array<std::string_view, 4> kAnalysisOptionHeader = {"Maximum Shift", "Maximum Cycle",
                                                                          "Shift Factor", "Estimation"};

// The mask of the listing's stresses, displacements and start values.
inline constexpr std::string_view kMask = "0.00E+00";
// The mask of the normalised w and of the eigenvalue.
inline constexpr std::string_view kFineMask = "0.0000E+00";

// One text and the line end.
void Line(platform::TextFile& file, std::string_view text);
// A label glued to a value and the line end ("Title:" + title; "Elastic
// Modulus" + E in the number form).
void LabelLine(platform::TextFile& file, std::string_view label, PrintValue value);
// Column titles separated by next-zone separators, the last one ending the line.
void Header(platform::TextFile& file, std::span<const std::string_view> titles);
// A count line: the label, a next-zone separator, Tab(50), the count as a number.
void CountLine(platform::TextFile& file, std::string_view label, long long count);
// Items separated by next-zone separators, the last one ending the line.
void Row(platform::TextFile& file, std::initializer_list<PrintValue> items);
// The displacement row: node number, u and v through the mask, each followed
// by a next-zone separator, then an empty text and the line end.
void DisplacementRow(platform::TextFile& file, long long node, double u, double v);
// "[EigenValue:" glued to the eigenvalue through the fine mask glued to "]".
void EigenValueLine(platform::TextFile& file, double eigenvalue);

}  // namespace analysis::listing
