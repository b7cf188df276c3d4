#pragma once
// The options file: one line of solver options (Analysis), then eight lines
// of display options (View). Read at start-up and in New, written in New and
// at close. Neither operation passes a failure on: each shows its own box.
#include <filesystem>

namespace model {
class Analysis;
}
namespace view {
class View;
}

namespace app {

// The program keeps its options in OptionsFilePath() (app/ProgramPaths.h);
// tests hand in files of their own. Save_Option says whether it wrote.
bool Save_Option(const std::filesystem::path& file, const model::Analysis& analysis,
                 const view::View& view);
void Read_Option(const std::filesystem::path& file, model::Analysis& analysis, view::View& view);

// Places the options file as an installer would: the values a new Analysis
// and View start with, written only when no file is there, so that a user's
// options are never overwritten. False when the file could not be written;
// nothing half-written is left.
bool Place_Default_Option(const std::filesystem::path& file);

}  // namespace app
