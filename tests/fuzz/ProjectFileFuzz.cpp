// Open's reader on any bytes. It never crashes, fails only with the
// program's own errors, each with its reason, and whatever it accepts, Save
// writes so that Open reads the same model back.
#include <cstdint>
#include <optional>
#include <string>

#include "app/ProjectFile.h"
#include "platform/RuntimeError.h"
#include "platform/TextFile.h"
#include "tests/app/ProjectDump.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

std::optional<app::ProjectContents> Read(std::string_view bytes) {
  platform::TextFile file(platform::InMemory{}, bytes);
  return app::ReadProject(file);
}

std::string Dump(const app::ProjectContents& c, const model::BeamShape& beam) {
  return velk_test::DumpProject(c.analysis, &beam, c.mesh, c.material);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::optional<app::ProjectContents> first;
  try {
    first = Read(fuzz::Text(data, size));
  } catch (const platform::RuntimeError& e) {
    // Refused through Open's failure path, which shows the reason.
    if (e.description() == platform::DescribeError(e.number())) fuzz::Finding("refused without a reason");
    return 0;
  }
  if (!first) return 0;  // a version Open does not read

  // A 1.3 file keeps the girder in memory; a fresh one stands in for it.
  const model::BeamShape beam = first->beamShape.value_or(model::BeamShape());
  std::string saved;
  try {
    saved = app::ProjectText(first->analysis, beam, first->mesh, first->material);
  } catch (const platform::RuntimeError& e) {
    fuzz::Finding("an accepted file cannot be saved: " + e.description());
  }
  std::optional<app::ProjectContents> again;
  try {
    again = Read(saved);
  } catch (const platform::RuntimeError& e) {
    fuzz::Finding("a saved file is refused: " + e.description());
  }
  if (!again || !again->beamShape) fuzz::Finding("a saved file is not read as version 1.4");
  if (Dump(*again, *again->beamShape) != Dump(*first, beam))
    fuzz::Finding("the model read back differs from the one saved");
  return 0;
}
