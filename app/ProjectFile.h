#pragma once
// New, Open and Save of project files (*.inp). The commands run against a
// ProjectFileHost, which gives them the model objects and the main window's
// side (options file, view, caption, interface state), so that they work the
// same in the program and in tests without a window.
//
// A project file is two header print lines, "VELK Version" and the version,
// then the Analysis, BeamShape (1.4 only), Mesh and Material records. Files
// are written with CR LF; reading also takes LF.
#include <filesystem>
#include <string>

namespace model {
class Analysis;
class BeamShape;
class Mesh;
class Material;
}  // namespace model
namespace platform {
class CommonDialog;
class TextFile;
}  // namespace platform

class frmMenu;

namespace app {

inline constexpr const char* kProjectFilter =
    "All Files (*.*)|*.*|VELK Graphic Interface Files(*.inp)|*.inp";
inline constexpr const char* kCaptionPrefix = "VELK V1.4.0:";
inline constexpr float kProjectVersion = 1.4f;
inline constexpr float kProjectVersion13 = 1.3f;

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
};

// Empties the model: options file written, the four objects renewed, options
// read back, view refreshed. Shows "Error..." on a failure.
void New_Data(ProjectFileHost& host);
// Asks for a name and writes the whole model there. The old file is replaced
// only once the new one is complete.
void Save_Data(ProjectFileHost& host, platform::CommonDialog& cdlFile);
// Asks for a name and reads the model from it. The model afterwards is either
// the one read completely, or the one it was (the header could not be read),
// or the empty one New left.
void Open_Data(ProjectFileHost& host, platform::CommonDialog& cdlFile);

// Writes a complete 1.4 project file: first into a temporary file beside the
// target, which is renamed over the target once written and closed. Failures
// are RuntimeErrors with file error numbers; the target is then untouched.
void WriteProjectFile(const std::filesystem::path& target, const model::Analysis& analysis,
                      const model::BeamShape& beamShape, const model::Mesh& mesh,
                      const model::Material& material);

// Reads the two header lines and returns the version number (0 for an empty
// version field). 62 when the file ends first, 13 when it is not a number.
float ReadProjectHeader(platform::TextFile& file);
// The version is compared in single precision with room for the last digit.
bool IsProjectVersion(float version, float wanted);

// --- The program's own commands, on the global objects and the main window.
void New_Data();
void Save_Data(frmMenu& window, platform::CommonDialog& cdlFile);
void Open_Data(frmMenu& window, platform::CommonDialog& cdlFile);

}  // namespace app
