#pragma once
// The comma-separated record lines of the project file, the options file and
// the solver input file. RecordWriter builds and writes one line of typed
// items; RecordReader takes typed fields back one at a time, treating a line
// end exactly as a comma, so a record may be read in several calls or across
// lines.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/TextFile.h"

namespace model {

class RecordWriter {
 public:
  explicit RecordWriter(platform::TextFile& file) : file_(file) {}

  // A double quote inside the text would end the field early on reading, so it
  // is written as a single quote.
  RecordWriter& String(std::string_view text);
  RecordWriter& Boolean(bool value);  // #TRUE# / #FALSE#
  RecordWriter& Integer(short value);
  RecordWriter& Long(int32_t value);
  // NaN and infinities cannot be read back; writing one raises 6 (overflow).
  RecordWriter& Single(float value);
  RecordWriter& Double(double value);

  // Writes the items gathered so far, separated by commas, and CR LF.
  void EndLine();

 private:
  void Item(std::string_view text);
  platform::TextFile& file_;
  std::string line_;
  bool first_ = true;
};

class RecordReader {
 public:
  explicit RecordReader(platform::TextFile& file) : file_(file) {}

  // Each reads the next field; 62 when the file ends before it. A field that
  // does not convert raises 13 (type mismatch), a number outside the target's
  // range 6 (overflow).
  std::string String();  // a double quote in an unquoted field reads as '
  bool Boolean();
  short Integer();
  int32_t Long();
  float Single();
  double Double();

  // The text of the next field and whether it stood in double quotes.
  std::string Field(bool* quoted = nullptr);

 private:
  platform::TextFile& file_;
};

}  // namespace model
