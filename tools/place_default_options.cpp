// Places the options file beside the program as an installer would, with the
// values the program starts with, written by its own options writer. The
// build runs it after every build; a file already there is kept as it is.
#include <cstdio>
#include <string>

#include "app/OptionsFile.h"
#include "platform/MessageBox.h"

namespace {

// The writer's message boxes go to the build's output.
class ConsolePrompter : public platform::Prompter {
 public:
  platform::Answer Message(const platform::MessageRequest& request) override {
    std::fprintf(stderr, "%s\n", request.prompt.c_str());
    return platform::Answer::Ok;
  }
  std::string Input(const platform::InputRequest&) override { return {}; }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OPTIONS-FILE\n", argv[0]);
    return 2;
  }
  ConsolePrompter prompter;
  platform::SetPrompter(&prompter);
  const bool placed = app::Place_Default_Option(argv[1]);
  platform::SetPrompter(nullptr);
  if (!placed) std::fprintf(stderr, "%s: could not place %s\n", argv[0], argv[1]);
  return placed ? 0 : 1;
}
