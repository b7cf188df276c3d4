#pragma once
// New, Open and Save of project files (*.inp). The commands run against a
// ProjectFileHost, which gives them the model objects and the main window's
// side (options file, view, caption, interface state), so that they work the
// same in the program (app/GlobalProjectHost.h) and in tests without a window.
//
// A project file is two header print lines, "VELK Version" and the version,
// then the Analysis, BeamShape (1.4 only), Mesh and Material records. Files
// are written with CR LF; reading also takes LF.
#include <cstdint>
#include <optional>
#include <string>

#include "app/ModelChanges.h"
#include "model/Analysis.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "model/RecordIO.h"
namespace platform {
class CommonDialog;
class TextFile;
}  // namespace platform

namespace app {

inline constexpr const char* kProjectFilter =
    "All Files (*.*)|*.*|VELK Graphic Interface Files(*.inp)|*.inp";
inline constexpr const char* kCaptionPrefix = "VELK V1.4.0:";
inline constexpr float kProjectVersion = 1.4f;
inline constexpr float kProjectVersion13 = 1.3f;
// The longest line a project file holds: one of the run's texts in its
// quotes, each alone on its line; every numeric line is far shorter.
inline constexpr std::int64_t kLongestProjectLine = model::kLongestField + 2;

class ProjectFileHost {
 public:
  virtual ~ProjectFileHost() = default;
  virtual model::Analysis& Analysis() = 0;
  virtual model::BeamShape& BeamShape() = 0;
  virtual model::Mesh& Mesh() = 0;
  virtual model::Material& Material() = 0;
  // Fresh Analysis, Mesh, Material and Selection, in that order.
  virtual void RenewModelObjects() = 0;
  // The options file; neither passes a failure on.
  virtual void Save_Option() = 0;
  virtual void Read_Option() = 0;
  virtual void RefreshView() = 0;     // View.Refresh
  virtual void InitializeView() = 0;  // View.Initialization
  virtual void Update() = 0;
  virtual void updateToolBar() = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // The model now belongs to no file and has no result: the eigenvalue panel,
  // the caption and the name Save proposes say so.
  virtual void ShowNewModel() = 0;
  // The name Save proposes: the project file last opened, or last chosen in
  // Save; empty for a new model. The reports choose their names in the same
  // dialog, but never propose them for the project.
  virtual std::string ProjectFileName() const = 0;
  virtual void SetProjectFileName(const std::string& name) = 0;
  // The record of the model last saved, opened or emptied; null when the
  // host keeps none (its model then never counts as changed).
  virtual ModelChanges* Changes() { return nullptr; }
  // Between the short slices in which Open waits for the program writing
  // into a named pipe: the window paints, but takes no input, so that no
  // other command starts meanwhile, and the pointer shows that Open is busy.
  virtual void WaitingForFile() {}
  // Open waits no more; called once after any WaitingForFile, before a box.
  virtual void DoneWaitingForFile() {}
};

// Everything a project file holds, read into objects of its own.
struct ProjectContents {
  model::Analysis analysis;                   // only its run data is from the file
  std::optional<model::BeamShape> beamShape;  // a 1.3 file has none
  model::Mesh mesh;
  model::Material material;
};

inline constexpr const char* kSaveChangesPrompt = "Save the changes to the current model?";

// Empties the model: options file written, the four objects renewed (the
// eigenvalue panel, the caption and Save's proposed name reset with them),
// options read back, view refreshed. Shows "Error..." on a failure.
void New_Data(ProjectFileHost& host);
// Asks for a name and writes the whole model there. The old file is replaced
// only once the new one is complete. True when the file was written.
bool Save_Data(ProjectFileHost& host, platform::CommonDialog& cdlFile);
// Asks for a name and reads the model from it. The model in memory is
// replaced (New, then what was read) only once the whole file has been read;
// after any failure, a refused file or a version it does not know, the
// model, the caption and the panels are as they were. A folder, device or
// socket is refused before it is read; a named pipe is read as its writer
// sends it, the host's window painting while Open waits, and refused when
// nothing comes through in time (platform::PipeWaits).
void Open_Data(ProjectFileHost& host, platform::CommonDialog& cdlFile);

// Before a command that replaces the model: when it has changed since it was
// last saved, opened or emptied, asks whether to save it. Yes runs Save. True
// when the command may go on: No, or Yes and the model saved.
bool SaveChangesFirst(ProjectFileHost& host, platform::CommonDialog& cdlFile);
// The host's model counts as saved from now on.
void MarkUnchanged(ProjectFileHost& host);
// The host's model as it stands, with the solver options in force, is the
// one its result was found for.
void MarkAnalysed(ProjectFileHost& host);
// The model holds a result and differs, or the solver options differ, from
// those that result was found with: whatever shows the result says it is out
// of date. A model Save cannot write cannot be compared and shows no mark.
bool ChangedSinceRun(ProjectFileHost& host);

// The whole 1.4 project file of a model, as Save writes it. Raises 6 for a
// value that cannot be written (not finite) and 5 for nodes that do not form
// their grid.
void StoreProject(platform::TextFile& file, const model::Analysis& analysis,
                  const model::BeamShape& beamShape, const model::Mesh& mesh,
                  const model::Material& material);
std::string ProjectText(const model::Analysis& analysis, const model::BeamShape& beamShape,
                        const model::Mesh& mesh, const model::Material& material);

// Reads a whole project file of version 1.3 or 1.4; nothing for another
// version, whose number (nothing for none) goes to `version` when given.
// Failures are RuntimeErrors whose description is the reason, naming the
// record, line and field ("Node record 1, line 15, field ID: ..."): 62 when
// the file ends early or its counts promise more records than it can hold,
// 13 or 6 for a field that is not a number of its type, 9 for an element
// corner outside the nodes, 321 for records that break the model's rules (a
// node ID that is not its position, a numbering that does not follow the
// properties, a modulus or Poisson ratio the girder dialog refuses, a line
// longer than kLongestProjectLine or a field longer than model::kLongestField,
// refused as soon as it is so long).
std::optional<ProjectContents> ReadProject(platform::TextFile& file, std::optional<float>* version = nullptr);
// Why a file of that version (or of none) is not read: the detail of
// "Error: Reading Data".
std::string UnknownVersionReason(std::optional<float> version);

// Reads the two header lines and returns the version number, nothing for an
// empty version field. 62 when the file ends first, 13 when it is not a number;
// a failure of the file (a line too long, a read) names its header line.
std::optional<float> ReadProjectHeader(platform::TextFile& file);
// The version is compared in single precision with room for the last digit.
bool IsProjectVersion(float version, float wanted);

}  // namespace app
