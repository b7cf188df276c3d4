#pragma once
// Scratch program folders for the main-window tests, so that nothing reads
// or writes the options file beside the test executable.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/ProgramPaths.h"
#include "tests/platform/FileTestSupport.h"

namespace velk_test {

// A fresh empty folder that becomes the program's folder; removed again at
// the end of the scope.
class ScratchProgramFolder {
 public:
  ScratchProgramFolder() { app::SetProgramFolder(folder_.path()); }
  ~ScratchProgramFolder() { app::SetProgramFolder({}); }
  ScratchProgramFolder(const ScratchProgramFolder&) = delete;
  ScratchProgramFolder& operator=(const ScratchProgramFolder&) = delete;
  const std::filesystem::path& path() const { return folder_.path(); }
  std::filesystem::path ini() const { return folder_.path() / "velk1_4.ini"; }

 private:
  ScratchFolder folder_;
};

// The lines of a text file without their line ends.
inline std::vector<std::string> ReadLines(const std::filesystem::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

inline void WriteLines(const std::filesystem::path& file, const std::vector<std::string>& lines) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  for (const std::string& l : lines) out << l << "\r\n";
}

// Replaces field `index` (from 0) of a comma-separated line.
inline std::string ReplaceField(const std::string& line, size_t index, const std::string& value) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    size_t comma = line.find(',', start);
    fields.push_back(line.substr(start, comma == std::string::npos ? comma : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (index < fields.size()) fields[index] = value;
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) out += (i ? "," : "") + fields[i];
  return out;
}

}  // namespace velk_test
