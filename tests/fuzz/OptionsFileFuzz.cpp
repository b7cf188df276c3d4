// The options file reader on any bytes. It never crashes and never
// complains about the contents (a damaged group takes its fallback set), and
// the options it ends with are saved and read back unchanged.
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/OptionsFile.h"
#include "model/Analysis.h"
#include "platform/MessageBox.h"
#include "tests/fuzz/FuzzSupport.h"
#include "view/View.h"

namespace {

// Every option the file keeps, as text that compares them exactly.
std::string Options(const model::Analysis& a, const view::View& v) {
  std::string s;
  auto add = [&s](double x) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%a,", x);
    s += buf;
  };
  for (double x : {double(a.MaxShift), double(a.MaxCycle), double(a.ShiftFactor), double(a.IGSTF),
                   double(a.ISHEAR), double(a.OptionInitialB)})
    add(x);
  for (bool b : {v.OptionShowNodeNumber, v.OptionShowStiffenerNumber, v.OptionShowPlateNumber,
                 v.OptionShowCoordinate, v.OptionShowStiffener, v.OptionShowBoundary,
                 v.OptionShowBoundaryValue, v.OptionShowLoad, v.OptionShowLoadValue, v.OptionShowBrace,
                 v.OptionShowBraceValue, v.OptionShowModel, v.OptionShowResult,
                 v.OptionHideModelWhenBuckle, v.OptionShowPlate, v.OptionShading})
    add(b);
  for (double x : {double(v.OptionInpMagFactor), double(v.OptionOutpMagFactor),
                   double(v.OptionSelectedMarker_Size), double(v.OptionPropertyMarker_Size),
                   double(v.OptionLayerOffset_Distance), double(v.OptionFontSize),
                   double(v.OptionShowStress), double(v.OptionZoomCenterFactor)})
    add(x);
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const auto ini = fuzz::ScratchFolder() / "velk1_4.ini";
  static const auto again = fuzz::ScratchFolder() / "again.ini";
  platform::ScriptedPrompter boxes;
  fuzz::WriteFile(ini, fuzz::Text(data, size));

  model::Analysis a;
  view::View v;
  app::Read_Option(ini, a, v);
  app::Save_Option(again, a, v);
  model::Analysis b;
  view::View w;
  app::Read_Option(again, b, w);

  if (!boxes.messages().empty()) fuzz::Finding("a message: " + boxes.prompts().front());
  if (Options(a, v) != Options(b, w))
    fuzz::Finding("the options read back differ from the ones saved");
  return 0;
}
