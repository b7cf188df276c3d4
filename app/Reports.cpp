#include "app/Reports.h"

#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "analysis/EigenSolver.h"
#include "analysis/PrintLineWriter.h"
#include "app/FileErrors.h"
#include "model/Analysis.h"
#include "model/Mesh.h"
#include "model/Nodes.h"
#include "model/fourNodes.h"
#include "model/twoNodes.h"
#include "platform/FileReplace.h"
#include "platform/MessageBox.h"
#include "platform/RuntimeError.h"
#include "platform/TextFile.h"
#include "platform/qt/CommonDialog.h"

namespace app {
namespace {

using analysis::PrintValue;

std::string Sci(float value) { return analysis::FormatMask(value, "Scientific"); }

// A restraint flag as the report shows it: 1 set, 0 free.
std::string Flag(short value) { return analysis::FormatMask(std::abs(value), "0"); }

// One line of items, each starting a print zone.
void ZonedLine(platform::TextFile& file, std::initializer_list<PrintValue> values) {
  std::vector<analysis::PrintItem> items;
  items.reserve(values.size());
  std::size_t k = 0;
  for (const PrintValue& v : values)
    items.push_back(++k < values.size() ? analysis::Zone(v) : analysis::End(v));
  analysis::PrintLine(file, items);
}

// Title, note, run number and the eigenvalue estimate: the lines 2 to 5 that
// both reports begin with.
void RunHeader(platform::TextFile& file, const model::Analysis& a) {
  ZonedLine(file, {"Title: ", a.Title});
  ZonedLine(file, {"Note:  ", a.Discription});
  ZonedLine(file, {"Run_ID:", a.RunID});
  ZonedLine(file, {"Estimated_Eigenvalue: ", a.EigenValueEstimation});
}

// The eigenvalue line: the label, then from the next zone the eigenvalue,
// followed by the notes that the run that left it did not converge and that
// the model changed since (the number's trailing blank stands before them).
void EigenvalueLine(platform::TextFile& file, const char* label, const model::Analysis& a,
                    bool changedSinceRun) {
  const std::string notes = analysis::EigenvalueNotes(!a.EigenValueNotConverged, changedSinceRun);
  if (notes.empty()) {
    ZonedLine(file, {label, a.EigenValue});
    return;
  }
  analysis::PrintLine(file, {analysis::Zone(label), analysis::Glue(a.EigenValue),
                             analysis::End(notes.substr(notes.find_first_not_of(' ')))});
}

bool AnyRestraint(const model::Nodeb& n) {
  return n.XTDir() != 0 || n.YTDir() != 0 || n.ZTDir() != 0 || n.XRDir() != 0 || n.YRDir() != 0;
}

bool AnyBrace(const model::Nodeb& n) {
  return n.xtstiff() != 0 || n.YTStiff() != 0 || n.ZTStiff() != 0 || n.XRStiff() != 0 || n.YRStiff() != 0;
}

// Shows the save dialog and writes the report; the failure handling of
// every file command.
void CreateReport(platform::CommonDialog& cdlFile, const char* title, const char* filter,
                  const std::function<void(platform::TextFile&)>& write) {
  std::string fileName;
  StepEnd end = RunStep([&] {
    cdlFile.CancelError = true;
    cdlFile.DialogTitle = title;
    cdlFile.Filter = filter;
    cdlFile.FilterIndex = 2;
    // Whatever the last project file command left: a report never replaces
    // a file unasked.
    cdlFile.Flags = platform::cdlOFNOverwritePrompt | platform::cdlOFNHideReadOnly;
    cdlFile.DefaultExt.clear();
    cdlFile.set_FileName("");
    cdlFile.ShowSave();
    fileName = cdlFile.FileName();
  });
  if (end == StepEnd::Cancelled) return;
  std::string reason;
  if (end == StepEnd::Done) end = RunStep([&] { platform::ReplaceFile(fileName, write); }, &reason);
  if (end != StepEnd::Done)
    platform::MsgBox("File Error!", platform::Buttons::Ok, platform::Icon::None, {}, reason);
}

}  // namespace

void WriteReportGrid(platform::TextFile& file, const model::Analysis& analysis, const model::Mesh& mesh,
                     bool changedSinceRun) {
  const model::Nodes& nodes = mesh.Nodes();
  const long nx = nodes.NumberNodesX(), ny = nodes.NumberNodesY();
  if ((nx > 0 ? nx : 0) * (ny > 0 ? ny : 0) != nodes.Count()) platform::Raise(platform::kErrSubscript);

  ZonedLine(file, {"[VELK 1.4 Grid Out File]"});
  RunHeader(file, analysis);
  EigenvalueLine(file, "Eigenvalue: ", analysis, changedSinceRun);
  ZonedLine(file, {"[Node-DisplacementGrid]"});
  ZonedLine(file, {"UP"});
  for (long j = ny; j >= 1; --j) {
    for (long i = 1; i <= nx; ++i) {
      const model::Nodeb& n = nodes.Item(ny * (i - 1) + j);
      analysis::PrintLine(file, {analysis::Zone(Sci(n.vID() != 0 ? n.zcoord() : 0.0f))});
    }
    analysis::PrintLine(file, {analysis::End("\r")});
  }
  ZonedLine(file, {"DOWN"});
}

void WriteReportAll(platform::TextFile& file, const model::Analysis& analysis, const model::Mesh& mesh,
                    bool changedSinceRun) {
  ZonedLine(file, {"[VELK 1.4 Report File]"});
  RunHeader(file, analysis);
  EigenvalueLine(file, "Eigenvalue          : ", analysis, changedSinceRun);
  if (analysis.IGSTF) ZonedLine(file, {"Torsional Geometric Stiffness Option is Used"});
  if (analysis.ISHEAR) ZonedLine(file, {"Approximate Shear Distortion Option is Used"});

  const model::Nodes& nodes = mesh.Nodes();
  const model::fourNodes& plates = mesh.fourNodes();
  const model::twoNodes& stiffeners = mesh.twoNodes();

  ZonedLine(file, {"[Nodes]"});
  ZonedLine(file, {"Node#", "X Coord", "Y Coord"});
  for (const model::Nodeb& n : nodes)
    if (n.vID() != 0) ZonedLine(file, {n.vID(), Sci(n.xcoord()), Sci(n.ycoord())});

  ZonedLine(file, {"[Plates]"});
  ZonedLine(file, {"Plate#", "Thickness", "Node1", "Node2", "Node3", "Node4"});
  for (const model::fourNode& p : plates)
    if (p.vID() != 0)
      ZonedLine(file, {p.vID(), Sci(p.Thickness()), p.Node1().vID(), p.Node2().vID(), p.Node3().vID(),
                       p.Node4().vID()});

  ZonedLine(file, {"[Stiffeners]"});
  ZonedLine(file, {"Stiffener#", "Width", "Thickness", "Node1", "Node2"});
  for (const model::twoNode& s : stiffeners)
    if (s.vID() != 0)
      ZonedLine(file, {s.vID(), Sci(s.width()), Sci(s.Thickness()), s.Node1().vID(), s.Node2().vID()});

  ZonedLine(file, {"[Boundaries]"});
  ZonedLine(file, {"Node#", "X", "Y", "Z", "XR", "YR", " X_Value", " Y_Value"});
  for (const model::Nodeb& n : nodes)
    if (AnyRestraint(n))
      ZonedLine(file, {n.vID(), Flag(n.XTDir()), Flag(n.YTDir()), Flag(n.ZTDir()), Flag(n.XRDir()),
                       Flag(n.YRDir()), Sci(std::abs(n.XTDirValue())), Sci(std::abs(n.YTDirValue()))});

  ZonedLine(file, {"[Braces]"});
  ZonedLine(file, {"Node#", "X_Stiff", "Y_Stiff", "Z_Stiff", "XR_Stiff", "YR_Stiff"});
  for (const model::Nodeb& n : nodes)
    if (AnyBrace(n))
      ZonedLine(file, {n.vID(), Sci(n.xtstiff()), Sci(n.YTStiff()), Sci(n.ZTStiff()), Sci(n.XRStiff()),
                       Sci(n.YRStiff())});

  ZonedLine(file, {"[Loads]"});
  ZonedLine(file, {"Node#", "X_Load", "Y_Load"});
  for (const model::Nodeb& n : nodes)
    if (n.XLoad() != 0 || n.YLoad() != 0) ZonedLine(file, {n.vID(), Sci(n.XLoad()), Sci(n.YLoad())});

  ZonedLine(file, {"[Stress_Nodes]"});
  ZonedLine(file, {"Node#", "Sx", "Sy", "Sxy"});
  for (const model::Nodeb& n : nodes)
    if (n.vID() != 0) ZonedLine(file, {n.vID(), Sci(n.Sx()), Sci(n.Sy()), Sci(n.SXY())});

  ZonedLine(file, {"[Stress_Stiffeners]"});
  ZonedLine(file, {"Stiffener#", "Stress"});
  for (const model::twoNode& s : stiffeners)
    if (s.vID() != 0) ZonedLine(file, {s.vID(), Sci(s.Stress())});

  ZonedLine(file, {"[Displacements]"});
  ZonedLine(file, {"Node#", "InpDispX", "InpDispY", "Normalized Z Disp."});
  for (const model::Nodeb& n : nodes)
    if (n.vID() != 0) ZonedLine(file, {n.vID(), Sci(n.InPDispX()), Sci(n.InPDispY()), Sci(n.zcoord())});
}

void Create_Report_Grid(const model::Analysis& analysis, const model::Mesh& mesh,
                        platform::CommonDialog& cdlFile, bool changedSinceRun) {
  CreateReport(cdlFile, "Save Grid File As", kGridReportFilter,
               [&](platform::TextFile& file) { WriteReportGrid(file, analysis, mesh, changedSinceRun); });
}

void Create_Report_All(const model::Analysis& analysis, const model::Mesh& mesh,
                       platform::CommonDialog& cdlFile, bool changedSinceRun) {
  CreateReport(cdlFile, "Save Report File As", kFullReportFilter,
               [&](platform::TextFile& file) { WriteReportAll(file, analysis, mesh, changedSinceRun); });
}

}  // namespace app
