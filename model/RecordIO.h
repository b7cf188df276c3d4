#pragma once
// The comma-separated record lines of the project file, the options file and
// the solver input file. RecordWriter builds and writes one line of typed
// items; RecordReader takes typed fields back one at a time, treating a line
// end exactly as a comma, so a record may be read in several calls or across
// lines.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/RuntimeError.h"
#include "platform/TextFile.h"

namespace model {

// The run's texts (title, description, run number) hold at most this many
// UTF-16 units: the run dialog's boxes take no more.
inline constexpr int kLongestTextUnits = 32767;
// The longest field a file of the program holds, in bytes: such a text in
// UTF-8, at most 3 bytes a unit. RecordReader refuses a longer field.
inline constexpr std::int64_t kLongestField = 3 * std::int64_t{kLongestTextUnits};

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

  // Each reads the next field; `field` names it in the reason of a failure
  // ("line 95, field Sx: the file ends before this field") and must outlive
  // the reader, which keeps it (a literal). 62 when the file
  // ends before it; a field that does not convert raises 13 (type mismatch),
  // a number outside the target's range 6 (overflow), a field longer than
  // kLongestField 321, as soon as it is, and so does a line longer than the
  // file's longest (TextFile::SetLongestLine). A failure of the file itself
  // (a read, a pipe gone silent) names the field too.
  std::string String(std::string_view field = {});  // a double quote in an unquoted field reads as '
  bool Boolean(std::string_view field = {});
  short Integer(std::string_view field = {});
  int32_t Long(std::string_view field = {});
  // Rounded once, straight from the text, so that every value the writer
  // writes reads back bit for bit.
  float Single(std::string_view field = {});
  double Double(std::string_view field = {});

  // The text of the next field and whether it stood in double quotes.
  std::string Field(bool* quoted = nullptr);

  // The line where this reader found the field last read under that name
  // (the last field's line when it read none).
  std::int64_t LineOf(std::string_view field) const;
  // Raises `number` with the reason for refusing the file: the line of the
  // named field, the field, and the rule its value breaks.
  [[noreturn]] void Refuse(int number, std::string_view field, const std::string& rule) const;
  // How many records of at least `recordBytes` the rest of the file can
  // hold at most, counted up to `wanted`, so that a count the file cannot
  // back is refused (62, input past end) before anything is made for it.
  std::int64_t RoomFor(std::int64_t recordBytes, std::int64_t wanted);

 private:
  std::string Next(std::string_view field, bool* quoted);
  // The file's next character or EOF; what the file raises, said where.
  int Take(std::string_view field);
  // Consumes the rest of a line end whose first character was c (CR LF is one end).
  void FinishLineEnd(int c, std::string_view field);
  // Appends c to a field's text, refusing a field longer than kLongestField.
  void Keep(std::string& text, int c, std::string_view field) const;
  long long WholeNumber(std::string_view field, long long lo, long long hi);

  platform::TextFile& file_;
  // Where the named fields read so far began; enough for the longest record.
  // Left uninitialised: a reader is made for every record, and only the
  // first placeCount_ entries are ever read.
  struct Place {
    const char* name;
    std::size_t size;
    std::int64_t line;
  };
  Place places_[32];
  std::size_t placeCount_ = 0;
  std::int64_t lastLine_ = 0;
};

// The fewest bytes a record of that many number and Boolean fields takes:
// a digit a number, "#TRUE#" a Boolean, and a separator after each field.
constexpr int64_t MinRecordBytes(int numbers, int booleans) { return 2 * numbers + 7 * booleans; }

// A field's text as a reason quotes it: in double quotes, cut when long,
// control characters shown as '?'.
std::string QuotedField(std::string_view text);

// Raises `number` with the reason for refusing a file: "line 95, field Sx:
// the rule it breaks." (the field left out when it has no name).
[[noreturn]] void RefuseAt(int number, std::int64_t line, std::string_view field, const std::string& rule);

// A failure raised while reading one record, with the record named before its
// reason: "Node record 12, line 95, field Sx: ...". `number` 0 leaves the
// record unnumbered ("Material record").
[[noreturn]] void RaiseInRecord(std::string_view record, int64_t number, const platform::RuntimeError& error);

template <typename Read>
void InRecord(std::string_view record, int64_t number, Read&& read) {
  try {
    read();
  } catch (const platform::RuntimeError& e) {
    RaiseInRecord(record, number, e);
  }
}

}  // namespace model
