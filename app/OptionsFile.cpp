#include "app/OptionsFile.h"

#include <exception>
#include <system_error>

#include "model/Analysis.h"
#include "platform/FileReplace.h"
#include "platform/MessageBox.h"
#include "platform/TextFile.h"
#include "view/View.h"

namespace app {

bool Save_Option(const std::filesystem::path& file, const model::Analysis& analysis,
                 const view::View& view) {
  // Written beside the old file and put in its place only when complete: a
  // full disk never leaves every option back at its default.
  try {
    platform::ReplaceFile(file, [&](platform::TextFile& out) {
      analysis.StoreData1_4Option(out);
      view.StoreData1_4Option(out);
    });
    return true;
  } catch (const std::exception&) {
    platform::MsgBox("Error: Saving INI file!");
    return false;
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

bool Place_Default_Option(const std::filesystem::path& file) {
  std::error_code ec;
  const std::filesystem::file_type type = std::filesystem::symlink_status(file, ec).type();
  if (type != std::filesystem::file_type::not_found) return !ec;  // there: kept as it is
  if (Save_Option(file, model::Analysis(), view::View())) return true;
  std::filesystem::remove(file, ec);  // it was not there before
  return false;
}

}  // namespace app
