// Every error number the program raises has a description of its own: the
// numbers of the program's list, and any number the sources raise or name
// outside it, so that the next number added without one fails here.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>

#include "platform/RuntimeError.h"

namespace fs = std::filesystem;

namespace {

std::string Text(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Each number the pattern's first group matches in `text`, with where it was found.
void Collect(const std::string& text, const std::regex& pattern, const std::string& where,
             std::map<int, std::string>& numbers) {
  for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
    numbers.emplace(std::stoi((*it)[1].str()), where + ": " + it->str());
}

}  // namespace

TEST(ErrorNumbers, EveryNumberRaisedHasADescription) {
  const fs::path source = VELK_SOURCE_DIR;
  std::map<int, std::string> numbers;
  const std::string list = Text(source / "platform" / "RuntimeError.h");
  Collect(list, std::regex(R"(\bkErr\w+ = (\d+))"), "the list", numbers);
  ASSERT_GE(numbers.size(), 15u) << "the list was not read";

  // Numbers raised or named in the sources: Raise(75), RuntimeError(457, ...),
  // constexpr int kErrSomething = 91.
  const std::regex raised(R"((?:Raise|RuntimeError|SolverFailure|FileErrors)\(\s*(\d+))");
  const std::regex named(R"(\bkErr\w*\s*=\s*(\d+))");
  for (const char* folder : {"app", "analysis", "dialogs", "model", "platform", "view"}) {
    for (const auto& entry : fs::recursive_directory_iterator(source / folder)) {
      const std::string ext = entry.path().extension().string();
      if (ext != ".cpp" && ext != ".h") continue;
      const std::string text = Text(entry.path());
      const std::string where = fs::relative(entry.path(), source).string();
      Collect(text, raised, where, numbers);
      Collect(text, named, where, numbers);
    }
  }

  const std::string unknown = platform::DescribeError(-1);
  for (const auto& [number, where] : numbers) {
    const std::string text = platform::DescribeError(number);
    EXPECT_FALSE(text.empty()) << number << " (" << where << ")";
    EXPECT_NE(text, unknown) << number << " has no description (" << where << ")";
  }
}
