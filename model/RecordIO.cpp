#include "model/RecordIO.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>

#include "platform/NumberText.h"
#include "platform/RuntimeError.h"

namespace model {
namespace {

bool IsLineEnd(int c) { return c == '\r' || c == '\n'; }
bool IsBlank(int c) { return c == ' ' || c == '\t'; }

}  // namespace

void RecordWriter::Item(std::string_view text) {
  if (!first_) line_.push_back(',');
  first_ = false;
  line_.append(text);
}

RecordWriter& RecordWriter::String(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted.push_back('"');
  for (char c : text) quoted.push_back(c == '"' ? '\'' : c);
  quoted.push_back('"');
  Item(quoted);
  return *this;
}

RecordWriter& RecordWriter::Boolean(bool value) {
  Item(value ? "#TRUE#" : "#FALSE#");
  return *this;
}

RecordWriter& RecordWriter::Integer(short value) {
  Item(platform::FormatInteger(value));
  return *this;
}

RecordWriter& RecordWriter::Long(int32_t value) {
  Item(platform::FormatInteger(value));
  return *this;
}

RecordWriter& RecordWriter::Single(float value) {
  if (!std::isfinite(value)) platform::Raise(platform::kErrOverflow);
  Item(platform::FormatShortest(value));
  return *this;
}

RecordWriter& RecordWriter::Double(double value) {
  if (!std::isfinite(value)) platform::Raise(platform::kErrOverflow);
  Item(platform::FormatShortest(value));
  return *this;
}

void RecordWriter::EndLine() {
  std::string line;
  line.swap(line_);
  first_ = true;
  file_.WriteLine(line);
}

std::string RecordReader::Field(bool* quoted) { return Next({}, quoted); }

int RecordReader::Take(std::string_view field) {
  try {
    return file_.Get();
  } catch (const platform::RuntimeError& e) {
    RefuseAt(e.number(), file_.line(), field, e.description());
  }
}

void RecordReader::FinishLineEnd(int c, std::string_view field) {
  if (c != '\r') return;
  int next = EOF;
  try {
    next = file_.Peek();
  } catch (const platform::RuntimeError& e) {
    RefuseAt(e.number(), file_.line(), field, e.description());
  }
  if (next == '\n') Take(field);
}

void RecordReader::Keep(std::string& text, int c, std::string_view field) const {
  if (static_cast<std::int64_t>(text.size()) >= kLongestField)
    Refuse(platform::kErrBadFileFormat, field,
           "the field is longer than " + std::to_string(kLongestField) +
               " bytes, more than any field the program writes");
  text.push_back(static_cast<char>(c));
}

std::string RecordReader::Next(std::string_view field, bool* quoted) {
  int c = Take(field);
  while (c != EOF && (IsBlank(c) || IsLineEnd(c))) c = Take(field);
  lastLine_ = file_.line();
  if (!field.empty() && placeCount_ < std::size(places_))
    places_[placeCount_++] = {field.data(), field.size(), lastLine_};
  if (c == EOF) Refuse(platform::kErrInputPastEnd, field, "the file ends before this field");
  std::string text;
  if (c == '"') {
    if (quoted) *quoted = true;
    for (c = Take(field); c != '"'; c = Take(field)) {
      if (c == EOF) Refuse(platform::kErrInputPastEnd, field, "the file ends inside this quoted field");
      Keep(text, c, field);
    }
    // Whatever stands between the closing quote and the delimiter is dropped.
    do c = Take(field);
    while (c != EOF && c != ',' && !IsLineEnd(c));
    FinishLineEnd(c, field);
    return text;
  }
  if (quoted) *quoted = false;
  while (c != EOF && c != ',' && !IsLineEnd(c)) {
    Keep(text, c, field);
    c = Take(field);
  }
  FinishLineEnd(c, field);
  while (!text.empty() && IsBlank(text.back())) text.pop_back();
  return text;
}

std::int64_t RecordReader::LineOf(std::string_view field) const {
  for (std::size_t i = placeCount_; i-- > 0;)
    if (std::string_view(places_[i].name, places_[i].size) == field) return places_[i].line;
  return lastLine_;
}

void RecordReader::Refuse(int number, std::string_view field, const std::string& rule) const {
  RefuseAt(number, LineOf(field), field, rule);
}

void RefuseAt(int number, std::int64_t line, std::string_view field, const std::string& rule) {
  std::string where = "line " + std::to_string(line);
  if (!field.empty()) where.append(", field ").append(field);
  platform::Raise(number, where + ": " + rule + ".");
}

std::int64_t RecordReader::RoomFor(std::int64_t recordBytes, std::int64_t wanted) {
  // The last field of the file needs no separator after it.
  return (file_.RemainingBytes(std::max<std::int64_t>(wanted * recordBytes - 1, 0)) + 1) / recordBytes;
}

std::string RecordReader::String(std::string_view field) {
  // Only an unquoted field can hold a double quote; it is read as the single
  // quote the writer would store, so what is read is saved and read back alike.
  std::string text = Next(field, nullptr);
  for (char& c : text)
    if (c == '"') c = '\'';
  return text;
}

bool RecordReader::Boolean(std::string_view field) {
  std::string t = Next(field, nullptr);
  if (t == "#TRUE#") return true;
  if (t == "#FALSE#") return false;
  Refuse(platform::kErrTypeMismatch, field, QuotedField(t) + " is neither #TRUE# nor #FALSE#");
}

// A number rounded half to even into [lo, hi]: 13 when the text is not a
// number, 6 when it lies outside.
long long RecordReader::WholeNumber(std::string_view field, long long lo, long long hi) {
  const std::string text = Next(field, nullptr);
  double v = 0;
  if (!platform::ParseDouble(text, v))
    Refuse(platform::kErrTypeMismatch, field, QuotedField(text) + " is not a number");
  const double r = std::nearbyint(v);
  if (r < static_cast<double>(lo) || r > static_cast<double>(hi))
    Refuse(platform::kErrOverflow, field,
           QuotedField(text) + " lies outside the whole numbers this field holds, " + std::to_string(lo) + " to " +
               std::to_string(hi));
  return static_cast<long long>(r);
}

short RecordReader::Integer(std::string_view field) {
  return static_cast<short>(
      WholeNumber(field, std::numeric_limits<short>::min(), std::numeric_limits<short>::max()));
}

int32_t RecordReader::Long(std::string_view field) {
  return static_cast<int32_t>(
      WholeNumber(field, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

float RecordReader::Single(std::string_view field) {
  const std::string text = Next(field, nullptr);
  float v = 0;
  switch (platform::ParseSingle(text, v)) {
    case platform::ParsedNumber::Ok: return v;
    case platform::ParsedNumber::OutOfRange:
      Refuse(platform::kErrOverflow, field,
             QuotedField(text) + " lies beyond the largest single-precision number, 3.402823E+38");
    case platform::ParsedNumber::NotANumber: break;
  }
  Refuse(platform::kErrTypeMismatch, field, QuotedField(text) + " is not a number");
}

double RecordReader::Double(std::string_view field) {
  const std::string text = Next(field, nullptr);
  double v = 0;
  if (!platform::ParseDouble(text, v))
    Refuse(platform::kErrTypeMismatch, field, QuotedField(text) + " is not a number");
  return v;
}

std::string QuotedField(std::string_view text) {
  constexpr std::size_t kShown = 40;
  std::string shown(text.substr(0, kShown));
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return "\"" + shown + (text.size() > kShown ? "...\"" : "\"");
}

void RaiseInRecord(std::string_view record, int64_t number, const platform::RuntimeError& error) {
  std::string where(record);
  if (number > 0) where += " " + std::to_string(number);
  // The reader's reasons begin with their line; anything else follows a colon.
  const std::string& reason = error.description();
  where += reason.rfind("line ", 0) == 0 ? ", " : ": ";
  platform::Raise(error.number(), where + reason);
}

}  // namespace model
