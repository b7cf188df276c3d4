#pragma once
// The two text reports of File > Create Report File: the displacement grid
// (*.txt), the mode shape laid out as the node grid, and the full report
// (*.vkr), the run data, the model and every result in nine sections. Both
// are print lines with CR LF; nothing reads them back. Both note after the
// eigenvalue when the run that left it did not converge, and when the model
// changed since that run (changedSinceRun).
//
// A report is written whole or not at all: into a temporary file beside the
// chosen one, renamed over it once complete. The dialog always asks before
// an existing file is replaced.
namespace model {
class Analysis;
class Mesh;
}  // namespace model
namespace platform {
class CommonDialog;
class TextFile;
}  // namespace platform

namespace app {

inline constexpr const char* kGridReportFilter = "All Files (*.*)|*.*|VELK Grid Out Files(*.txt)|*.txt";
inline constexpr const char* kFullReportFilter = "All Files (*.*)|*.*|VELK Report Files(*.vkr)|*.vkr";

// The grid report's text. Raises 9 before writing anything when the node
// count is not NumberNodesX * NumberNodesY (a damaged model), since the
// grid walk would then miss nodes or reach past the collection.
void WriteReportGrid(platform::TextFile& file, const model::Analysis& analysis, const model::Mesh& mesh,
                     bool changedSinceRun = false);
// The full report's text.
void WriteReportAll(platform::TextFile& file, const model::Analysis& analysis, const model::Mesh& mesh,
                    bool changedSinceRun = false);

// The commands: ask for a name in the shared dialog, then write the report.
// A cancel is silent; a failure goes to the Disk Error box and ends in
// "File Error!", the earlier file (if any) left as it was.
void Create_Report_Grid(const model::Analysis& analysis, const model::Mesh& mesh,
                        platform::CommonDialog& cdlFile, bool changedSinceRun = false);
void Create_Report_All(const model::Analysis& analysis, const model::Mesh& mesh,
                       platform::CommonDialog& cdlFile, bool changedSinceRun = false);

}  // namespace app
