#include "app/OptionsFile.h"

#include <exception>

#include "model/Analysis.h"
#include "platform/FileReplace.h"
#include "platform/MessageBox.h"
#include "platform/TextFile.h"
#include "view/View.h"

namespace app {

void Save_Option(const std::filesystem::path& file, const model::Analysis& analysis,
                 const view::View& view) {
  // Written beside the old file and put in its place only when complete: a
  // full disk never leaves every option back at its default.
  try {
    platform::ReplaceFile(file, [&](platform::TextFile& out) {
      analysis.StoreData1_4Option(out);
      view.StoreData1_4Option(out);
    });
  } catch (const std::exception&) {
    platform::MsgBox("Error: Saving INI file!");
  }
}

void Read_Option(const std::filesystem::path& file, model::Analysis& analysis, view::View& view) {
  platform::FileTable files;
  try {
    const int number = files.FreeFile();
    platform::TextFile& in = files.Open(number, file, platform::FileMode::Input);
    // Each reader takes its fallback values on a short or damaged group.
    analysis.ReadData1_4Option(in);
    view.ReadData1_4Option(in);
    files.Close(number);
  } catch (const std::exception&) {
    files.CloseAll();
    platform::MsgBox("Error: Reading INI file!");
  }
}

}  // namespace app
