#include "app/ProjectFile.h"

#include <cfloat>
#include <cmath>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>

#include "analysis/PrintLineWriter.h"
#include "app/FileErrors.h"
#include "model/Analysis.h"
#include "model/BeamShape.h"
#include "model/Material.h"
#include "model/Mesh.h"
#include "platform/FileReplace.h"
#include "platform/MessageBox.h"
#include "platform/NumberText.h"
#include "platform/RuntimeError.h"
#include "platform/TextFile.h"
#include "platform/qt/CommonDialog.h"

namespace fs = std::filesystem;

namespace app {
namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

void WriteProjectFile(const fs::path& target, const model::Analysis& analysis,
                      const model::BeamShape& beamShape, const model::Mesh& mesh,
                      const model::Material& material) {
  platform::ReplaceFile(target, [&](platform::TextFile& file) {
    analysis::PrintLine(file, {analysis::End("VELK Version")});
    analysis::PrintLine(file, {analysis::End(1.4)});
    analysis.StoreData1_4(file);
    beamShape.StoreData1_4(file);
    mesh.StoreData1_4(file);
    material.StoreData1_4(file);
  });
}

float ReadProjectHeader(platform::TextFile& file) {
  file.ReadLine();  // "VELK Version": not checked
  const std::string line = file.ReadLine();
  std::string_view field = line;
  if (auto comma = field.find(','); comma != std::string_view::npos) field = field.substr(0, comma);
  field = TrimBlanks(field);
  if (field.empty()) return 0.0f;
  double value = 0;
  if (!platform::ParseDouble(field, value)) platform::Raise(platform::kErrTypeMismatch);
  if (std::fabs(value) > FLT_MAX) platform::Raise(platform::kErrOverflow);
  return static_cast<float>(value);
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
    host.Read_Option();
    host.RefreshView();
  } catch (...) {
    platform::MsgBox("Error...");
  }
}

void Save_Data(ProjectFileHost& host, platform::CommonDialog& cdlFile) {
  std::string fileName, fileTitle;
  const StepEnd chosen = RunStep([&] {
    cdlFile.CancelError = true;
    cdlFile.DialogTitle = "Save As";
    cdlFile.Filter = kProjectFilter;
    cdlFile.FilterIndex = 2;
    cdlFile.Flags = platform::cdlOFNOverwritePrompt | platform::cdlOFNHideReadOnly;
    cdlFile.DefaultExt.clear();
    cdlFile.ShowSave();
    fileName = cdlFile.FileName();
    fileTitle = cdlFile.FileTitle();
  });
  if (chosen == StepEnd::Cancelled) return;
  if (chosen == StepEnd::Done) {
    const StepEnd written = RunStep([&] {
      WriteProjectFile(fileName, host.Analysis(), host.BeamShape(), host.Mesh(), host.Material());
    });
    if (written == StepEnd::Done) {
      if (RunStep([&] { host.SetCaption(kCaptionPrefix + fileTitle); }) == StepEnd::Done) return;
    }
  }
  platform::MsgBox("File Error!");
}

void Open_Data(ProjectFileHost& host, platform::CommonDialog& cdlFile) {
  auto giveUp = [] { platform::MsgBox("File Open Error!"); };

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

  // Until the header has been read the model in memory stays as it is.
  std::unique_ptr<platform::TextFile> file;
  float version = 0;
  end = RunStep([&] {
    file.reset();
    file = std::make_unique<platform::TextFile>(fileName, platform::FileMode::Input);
    version = ReadProjectHeader(*file);
  });
  if (end != StepEnd::Done) {
    file.reset();
    if (end == StepEnd::GaveUp) giveUp();
    return;
  }

  New_Data(host);

  const bool is13 = IsProjectVersion(version, kProjectVersion13);
  const bool is14 = !is13 && IsProjectVersion(version, kProjectVersion);
  if (is13 || is14) {
    // The records are read into scratch objects and a mesh that New left
    // empty; a record that fails puts everything back as New left it, so no
    // half-read model (or element without its nodes) survives.
    const model::Analysis afterNew = host.Analysis();
    bool firstTry = true;
    end = RunStep([&] {
      if (!firstTry) {
        host.RenewModelObjects();
        host.Analysis() = afterNew;
        file.reset();
        file = std::make_unique<platform::TextFile>(fileName, platform::FileMode::Input);
        ReadProjectHeader(*file);
      }
      firstTry = false;
      try {
        model::Analysis analysis = afterNew;
        model::BeamShape beamShape = host.BeamShape();
        model::Material material = host.Material();
        if (host.Mesh().Nodes().Count() || host.Mesh().twoNodes().Count() ||
            host.Mesh().fourNodes().Count()) {
          host.RenewModelObjects();  // New did not get through
          host.Analysis() = afterNew;
        }
        model::Mesh& mesh = host.Mesh();
        if (is14) {
          analysis.ReadData1_4(*file);
          beamShape.ReadData1_4(*file);
          mesh.ReadData1_4(*file);
          material.ReadData1_4(*file);
        } else {
          analysis.ReadData(*file);
          mesh.ReadData(*file);
          material.ReadData(*file);
        }
        file->Close();
        file.reset();
        host.Analysis() = analysis;
        host.BeamShape() = beamShape;
        host.Material() = material;
      } catch (...) {
        host.RenewModelObjects();
        host.Analysis() = afterNew;
        throw;
      }
    });
    file.reset();
    if (end != StepEnd::Done) {
      if (end == StepEnd::GaveUp) giveUp();
      return;
    }
    end = RunStep([&] {
      host.Update();
      host.updateToolBar();
      host.SetCaption(kCaptionPrefix + fileTitle);
    });
    if (end != StepEnd::Done) return giveUp();
  } else {
    file.reset();
    platform::MsgBox("Error: Reading Data", platform::Buttons::Ok, platform::Icon::None, "Error!");
  }

  end = RunStep([&] {
    host.InitializeView();
    host.RefreshView();
  });
  if (end != StepEnd::Done) giveUp();
}

}  // namespace app
