// The view stands on the model and the platform alone: what it needs of the
// program comes through ViewHost or its arguments, so it never includes a
// file of the layers above it nor reaches the program's global objects; and
// what it needs of the window system comes through platform/qt, so only its
// clipping dialog includes Qt.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

namespace fs = std::filesystem;

TEST(ViewLayer, IncludesOnlyTheModelThePlatformAndItself) {
  const std::regex include(R"(#\s*include\s*"([^"]*)\")");
  const std::regex allowed(R"((view|model|platform)/.*|ui_\w+\.h)");
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(VELK_SOURCE_DIR) / "view")) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".cpp" && ext != ".h") continue;
    ++files;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string name = entry.path().filename().string();
    for (std::sregex_iterator it(text.begin(), text.end(), include), end; it != end; ++it)
      EXPECT_TRUE(std::regex_match((*it)[1].str(), allowed)) << name << ": " << it->str();
    EXPECT_EQ(text.find("globals::"), std::string::npos) << name;
    if (name.rfind("frmClip.", 0) != 0) {
      EXPECT_EQ(text.find("#include <Q"), std::string::npos) << name;
    }
  }
  EXPECT_GE(files, 10) << "the view's sources were not found";
}
