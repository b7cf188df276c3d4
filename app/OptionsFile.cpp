#include "app/OptionsFile.h"

#include <exception>

#include "app/Globals.h"
#include "app/ProgramPaths.h"
#include "model/Analysis.h"
#include "platform/MessageBox.h"
#include "platform/TextFile.h"
#include "view/View.h"

namespace app {

void Save_Option(const std::filesystem::path& file, const model::Analysis& analysis,
                 const view::View& view) {
  platform::FileTable files;
  try {
    const int number = files.FreeFile();
    platform::TextFile& out = files.Open(number, file, platform::FileMode::Output);
    analysis.StoreData1_4Option(out);
    view.StoreData1_4Option(out);
    files.Close(number);  // reports a full disk
  } catch (const std::exception&) {
    files.CloseAll();
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

void Save_Option() { Save_Option(OptionsFilePath(), globals::Analysis(), globals::View()); }

void Read_Option() { Read_Option(OptionsFilePath(), globals::Analysis(), globals::View()); }

}  // namespace app
