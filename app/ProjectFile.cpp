#include "app/ProjectFile.h"

#include <cfloat>
#include <cmath>
#include <functional>
#include <new>
#include <optional>
#include <string_view>

#include "analysis/PrintLineWriter.h"
#include "app/FileErrors.h"
#include "model/Analysis.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "model/RecordIO.h"
#include "platform/FileReplace.h"
#include "platform/MessageBox.h"
#include "platform/NumberText.h"
#include "platform/RuntimeError.h"
#include "platform/TextFile.h"
#include "platform/qt/CommonDialog.h"

namespace app {
namespace {

// The host's model as Save would write it; nothing when Save could not.
std::optional<std::string> TextOf(ProjectFileHost& host) noexcept {
  try {
    return ProjectText(host.Analysis(), host.BeamShape(), host.Mesh(), host.Material());
  } catch (...) {
    return std::nullopt;
  }
}

// What the host's result depends on: the model as Save would write it, and
// the solver options, which the options file keeps instead; nothing when
// Save could not write the model.
std::optional<std::string> ResultInputsOf(ProjectFileHost& host) noexcept {
  try {
    platform::TextFile options{platform::InMemory{}};
    host.Analysis().StoreData1_4Option(options);
    options.Close();
    return ProjectText(host.Analysis(), host.BeamShape(), host.Mesh(), host.Material()) + options.Text();
  } catch (...) {
    return std::nullopt;
  }
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

[[noreturn]] void RefuseHeader(int number, const std::string& rule) {
  platform::Raise(number, "Header, line " + rule + ".");
}

// The next header line; `atEnd` says what is missing when the file ends
// first. A failure of the file names the line it came on.
std::string HeaderLine(platform::TextFile& file, const std::string& atEnd) {
  const std::string line = std::to_string(file.line());
  try {
    if (!file.AtEnd()) return file.ReadLine();
  } catch (const platform::RuntimeError& e) {
    RefuseHeader(e.number(), line + ": " + e.description());
  }
  RefuseHeader(platform::kErrInputPastEnd, line + ": " + atEnd);
}

// The host's side of a wait for a named pipe's writer while Open reads: its
// window kept painting between the slices, and told once when Open waits no
// more, before any box shows.
class PipeWait {
 public:
  explicit PipeWait(ProjectFileHost& host) : host_(host) {}
  ~PipeWait() {
    if (waited_) host_.DoneWaitingForFile();
  }
  PipeWait(const PipeWait&) = delete;
  PipeWait& operator=(const PipeWait&) = delete;
  std::function<void()> Slice() {
    return [this] {
      waited_ = true;
      host_.WaitingForFile();
    };
  }

 private:
  ProjectFileHost& host_;
  bool waited_ = false;
};

}  // namespace

void StoreProject(platform::TextFile& file, const model::Analysis& analysis,
                  const model::BeamShape& beamShape, const model::Mesh& mesh,
                  const model::Material& material) {
  analysis::PrintLine(file, {analysis::End("VELK Version")});
  analysis::PrintLine(file, {analysis::End(1.4)});
  analysis.StoreData1_4(file);
  beamShape.StoreData1_4(file);
  mesh.StoreData1_4(file);
  material.StoreData1_4(file);
}

std::string ProjectText(const model::Analysis& analysis, const model::BeamShape& beamShape,
                        const model::Mesh& mesh, const model::Material& material) {
  platform::TextFile text{platform::InMemory{}};
  StoreProject(text, analysis, beamShape, mesh, material);
  text.Close();
  return text.Text();
}

std::optional<ProjectContents> ReadProject(platform::TextFile& file, std::optional<float>* versionRead) {
  file.SetLongestLine(kLongestProjectLine);
  const std::optional<float> version = ReadProjectHeader(file);
  if (versionRead) *versionRead = version;
  // An empty version field reads as the number 0, which is no version either.
  const bool is13 = version && IsProjectVersion(*version, kProjectVersion13);
  if (!is13 && !(version && IsProjectVersion(*version, kProjectVersion))) return std::nullopt;
  ProjectContents read;
  if (is13) {
    read.analysis.ReadData(file);
    read.mesh.ReadData(file);
    read.material.ReadData(file);
  } else {
    read.analysis.ReadData1_4(file);
    read.beamShape.emplace().ReadData1_4(file);
    read.mesh.ReadData1_4(file);
    read.material.ReadData1_4(file);
  }
  return read;
}

std::string UnknownVersionReason(std::optional<float> version) {
  const std::string given =
      version ? "Line 2 gives the version " + platform::FormatShortest(*version) : "Line 2 gives no version";
  return given + "; this program reads project files of versions 1.3 and 1.4.";
}

std::optional<float> ReadProjectHeader(platform::TextFile& file) {
  HeaderLine(file, "the file is empty");  // "VELK Version": not checked
  const std::string line = HeaderLine(file, "the file ends before its version line");
  std::string_view field = line;
  if (auto comma = field.find(','); comma != std::string_view::npos) field = field.substr(0, comma);
  field = TrimBlanks(field);
  if (field.empty()) return std::nullopt;
  float value = 0;
  switch (platform::ParseSingle(field, value)) {
    case platform::ParsedNumber::Ok: return value;
    case platform::ParsedNumber::OutOfRange:
      RefuseHeader(platform::kErrOverflow, "2: the version " + model::QuotedField(field) +
                                               " lies beyond the largest single-precision number");
    case platform::ParsedNumber::NotANumber: break;
  }
  RefuseHeader(platform::kErrTypeMismatch, "2: the version " + model::QuotedField(field) + " is not a number");
}

bool IsProjectVersion(float version, float wanted) {
  // A few units in the last place of a Single around 1.4: "1.40" matches,
  // "1.35" and "1.41" do not.
  return std::fabs(version - wanted) <= 1e-5f;
}

void New_Data(ProjectFileHost& host) {
  try {
    host.Save_Option();
    host.RenewModelObjects();
    host.ShowNewModel();
    host.Read_Option();
    host.RefreshView();
  } catch (...) {
    platform::MsgBox("Error...");
    return;
  }
  MarkUnchanged(host);
}

bool Save_Data(ProjectFileHost& host, platform::CommonDialog& cdlFile) {
  std::string fileName, fileTitle, reason;
  const StepEnd chosen = RunStep([&] {
    cdlFile.CancelError = true;
    cdlFile.DialogTitle = "Save As";
    cdlFile.Filter = kProjectFilter;
    cdlFile.FilterIndex = 2;
    cdlFile.Flags = platform::cdlOFNOverwritePrompt | platform::cdlOFNHideReadOnly;
    cdlFile.DefaultExt.clear();
    cdlFile.set_FileName(host.ProjectFileName());
    cdlFile.ShowSave();
    fileName = cdlFile.FileName();
    fileTitle = cdlFile.FileTitle();
  });
  if (chosen == StepEnd::Cancelled) return false;
  bool damaged = false;
  if (chosen == StepEnd::Done) {
    std::string text;
    const StepEnd written = RunStep(
        [&] {
          text = ProjectText(host.Analysis(), host.BeamShape(), host.Mesh(), host.Material());
          try {
            platform::ReplaceFile(fileName, [&](platform::TextFile& file) { file.Write(text); });
          } catch (const platform::FileDamaged&) {
            damaged = true;  // until a later try writes it whole
            throw;
          }
        },
        &reason);
    // Only a name the model was written under becomes the project's: Save
    // proposes it next time, never one that was refused.
    if (written == StepEnd::Done) host.SetProjectFileName(fileName);
    if (written == StepEnd::Done &&
        RunStep([&] { host.SetCaption(kCaptionPrefix + fileTitle); }, &reason) == StepEnd::Done) {
      if (ModelChanges* changes = host.Changes()) changes->MarkSaved(text);
      return true;
    }
  }
  // No file on disk holds the model any more for certain.
  if (ModelChanges* changes = host.Changes(); changes && damaged) changes->Forget();
  platform::MsgBox("File Error!", platform::Buttons::Ok, platform::Icon::None, {}, reason);
  return false;
}

void Open_Data(ProjectFileHost& host, platform::CommonDialog& cdlFile) {
  // Why the file was refused, shown below the box's text.
  auto giveUp = [](const std::string& reason = {}) {
    platform::MsgBox("File Open Error!", platform::Buttons::Ok, platform::Icon::None, {}, reason);
  };

  std::string fileName, fileTitle;
  StepEnd end = RunStep([&] {
    cdlFile.CancelError = true;
    cdlFile.DialogTitle = "Open Data";
    cdlFile.Filter = kProjectFilter;
    cdlFile.FilterIndex = 2;
    cdlFile.Flags = platform::cdlOFNHideReadOnly;
    cdlFile.DefaultExt.clear();
    cdlFile.set_FileName("");
    cdlFile.ShowOpen();
    fileName = cdlFile.FileName();
    fileTitle = cdlFile.FileTitle();
  });
  if (end == StepEnd::Cancelled) return;
  if (end != StepEnd::Done) return giveUp();

  // The whole file is read into objects of its own; until it has been read
  // completely, nothing of the model in memory changes.
  std::optional<ProjectContents> read;
  std::optional<float> version;
  std::string reason;
  end = RunStep(
      [&] {
        PipeWait wait(host);
        try {
          platform::TextFile file(fileName, platform::FileMode::Input, wait.Slice());
          read = ReadProject(file, &version);
        } catch (const std::bad_alloc&) {
          platform::Raise(platform::kErrOutOfMemory, "There is not enough memory to read this file.");
        }
      },
      &reason);
  if (end == StepEnd::Cancelled) return;
  if (end != StepEnd::Done) return giveUp(reason);
  if (!read) {
    platform::MsgBox("Error: Reading Data", platform::Buttons::Ok, platform::Icon::None, "Error!",
                     UnknownVersionReason(version));
    return;
  }

  New_Data(host);
  model::Analysis& analysis = host.Analysis();  // New kept its solver options
  analysis.Title = read->analysis.Title;
  analysis.Discription = read->analysis.Discription;
  analysis.RunID = read->analysis.RunID;
  analysis.EigenValueEstimation = read->analysis.EigenValueEstimation;
  analysis.EigenValue = read->analysis.EigenValue;
  if (read->beamShape) host.BeamShape() = *read->beamShape;
  host.Mesh() = std::move(read->mesh);
  host.Material() = read->material;
  MarkUnchanged(host);
  MarkAnalysed(host);  // the file's result, if it holds one, counts as this model's

  end = RunStep([&] {
    host.Update();
    host.updateToolBar();
    host.SetCaption(kCaptionPrefix + fileTitle);
    host.SetProjectFileName(fileName);  // New forgot it; Save proposes it again
  });
  if (end != StepEnd::Done) return giveUp();
  end = RunStep([&] {
    host.InitializeView();
    host.RefreshView();
  });
  if (end != StepEnd::Done) giveUp();
}

void MarkUnchanged(ProjectFileHost& host) {
  ModelChanges* changes = host.Changes();
  if (!changes) return;
  // A model that Save cannot write is never taken for a saved one.
  if (const auto text = TextOf(host))
    changes->MarkSaved(*text);
  else
    changes->Forget();
}

void MarkAnalysed(ProjectFileHost& host) {
  ModelChanges* changes = host.Changes();
  if (!changes) return;
  if (const auto inputs = ResultInputsOf(host)) changes->MarkAnalysed(*inputs);
}

bool ChangedSinceRun(ProjectFileHost& host) {
  ModelChanges* changes = host.Changes();
  if (!changes || !host.Analysis().HasResult()) return false;
  const auto inputs = ResultInputsOf(host);
  return inputs && changes->ChangedSinceRun(*inputs);
}

bool SaveChangesFirst(ProjectFileHost& host, platform::CommonDialog& cdlFile) {
  ModelChanges* changes = host.Changes();
  if (!changes) return true;
  if (const auto text = TextOf(host); text && !changes->Changed(*text)) return true;
  switch (platform::MsgBox(kSaveChangesPrompt, platform::Buttons::YesNoCancel, platform::Icon::Exclamation)) {
    case platform::Answer::Yes: return Save_Data(host, cdlFile);
    case platform::Answer::No: return true;
    default: return false;
  }
}

}  // namespace app
