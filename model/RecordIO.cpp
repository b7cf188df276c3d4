#include "model/RecordIO.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>

#include "model/ValueChecks.h"
#include "platform/NumberText.h"
#include "platform/RuntimeError.h"

namespace model {
namespace {

bool IsLineEnd(int c) { return c == '\r' || c == '\n'; }
bool IsBlank(int c) { return c == ' ' || c == '\t'; }

// Consumes the rest of a line end whose first character was c (CR LF is one end).
void FinishLineEnd(platform::TextFile& file, int c) {
  if (c == '\r' && file.Peek() == '\n') file.Get();
}

// A number field's value, or 13 when the text is not a decimal number.
double NumberOf(const std::string& text) {
  double v = 0;
  if (!platform::ParseDouble(text, v)) platform::Raise(platform::kErrTypeMismatch);
  return v;
}

// A number rounded half to even into [lo, hi], or 6 when it lies outside.
long long WholeNumberIn(const std::string& text, long long lo, long long hi) {
  double r = std::nearbyint(NumberOf(text));
  if (r < static_cast<double>(lo) || r > static_cast<double>(hi)) platform::Raise(platform::kErrOverflow);
  return static_cast<long long>(r);
}

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

std::string RecordReader::Field(bool* quoted) {
  int c = file_.Get();
  while (c != EOF && (IsBlank(c) || IsLineEnd(c))) c = file_.Get();
  if (c == EOF) platform::Raise(platform::kErrInputPastEnd);
  std::string text;
  if (c == '"') {
    if (quoted) *quoted = true;
    for (c = file_.Get(); c != '"'; c = file_.Get()) {
      if (c == EOF) platform::Raise(platform::kErrInputPastEnd);
      text.push_back(static_cast<char>(c));
    }
    // Whatever stands between the closing quote and the delimiter is dropped.
    do c = file_.Get();
    while (c != EOF && c != ',' && !IsLineEnd(c));
    FinishLineEnd(file_, c);
    return text;
  }
  if (quoted) *quoted = false;
  while (c != EOF && c != ',' && !IsLineEnd(c)) {
    text.push_back(static_cast<char>(c));
    c = file_.Get();
  }
  FinishLineEnd(file_, c);
  while (!text.empty() && IsBlank(text.back())) text.pop_back();
  return text;
}

std::string RecordReader::String() {
  // Only an unquoted field can hold a double quote; it is read as the single
  // quote the writer would store, so what is read is saved and read back alike.
  std::string text = Field();
  for (char& c : text)
    if (c == '"') c = '\'';
  return text;
}

bool RecordReader::Boolean() {
  std::string t = Field();
  if (t == "#TRUE#") return true;
  if (t == "#FALSE#") return false;
  platform::Raise(platform::kErrTypeMismatch);
}

short RecordReader::Integer() {
  return static_cast<short>(WholeNumberIn(Field(), std::numeric_limits<short>::min(),
                                          std::numeric_limits<short>::max()));
}

int32_t RecordReader::Long() {
  return static_cast<int32_t>(WholeNumberIn(Field(), std::numeric_limits<int32_t>::min(),
                                            std::numeric_limits<int32_t>::max()));
}

float RecordReader::Single() {
  return checks::NearestSingle(NumberOf(Field()));
}

double RecordReader::Double() { return NumberOf(Field()); }

}  // namespace model
