// The options file of the program's global objects, in its folder.
#include "app/Globals.h"
#include "app/OptionsFile.h"
#include "app/ProgramPaths.h"

namespace app {

void Save_Option() { Save_Option(OptionsFilePath(), globals::Analysis(), globals::View()); }

void Read_Option() { Read_Option(OptionsFilePath(), globals::Analysis(), globals::View()); }

}  // namespace app
