#pragma once
// Print lines: the line form of the solver listing, the project file's header
// lines and the text reports. A line is a sequence of items, each followed by
// a separator: glue (the next item follows at once), next zone (blanks up to
// the next 14-column print zone) or line end (CR LF). A call may leave the
// line open; the next call continues at the file's current print column.
//
// Numbers are written in a fixed form: a blank (zero or positive) or a minus
// sign, the number's decimal text, one trailing blank. Nothing here depends
// on the user's locale.
#include <concepts>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "platform/TextFile.h"

namespace analysis {

enum class Separator { Glue, NextZone, LineEnd };

inline constexpr int kPrintZoneWidth = 14;

// The number form of a print line: sign position, decimal text, one blank.
// Single-precision values use up to 7 significant digits, doubles up to 15;
// no zero before the point (" .5 ", "-1E-05 ", " 1.234568E+07 ").
// Non-finite values raise error 6.
std::string NumberText(long long value);
std::string NumberText(float value);
std::string NumberText(double value);

// The decimal text of a value without sign position or trailing blank, as
// the number form uses it ("-.5", "1E-05", "123"): `digits` significant digits.
std::string GeneralText(double value, int digits);

// A value formatted through a number mask: "0.00E+00", "0.0000E+00",
// "Scientific" (= "0.00E+00"), "0", "00000", "###0.00" and the like
// (digits '0' forced, '#' optional, an optional point with decimals, an
// optional "E+"/"E-" exponent with its minimum digits). Rounding is exact
// decimal rounding of the binary value, halves away from zero; a value that
// rounds to zero has no minus sign. An unknown mask raises error 5, a
// non-finite value error 6.
std::string FormatMask(double value, std::string_view mask);

// What an item prints: a text as it is, or a number in the number form.
class PrintValue {
 public:
  PrintValue(const char* text) : text_(text ? text : "") {}
  PrintValue(std::string_view text) : text_(text) {}
  PrintValue(const std::string& text) : text_(text) {}
  PrintValue(std::string&& text) : text_(std::move(text)) {}
  template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>)
  PrintValue(T value) : text_(NumberText(static_cast<long long>(value))) {}
  PrintValue(float value) : text_(NumberText(value)) {}
  PrintValue(double value) : text_(NumberText(value)) {}
  PrintValue(bool) = delete;
  PrintValue(char) = delete;

  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// One item of a print line with the separator that follows it.
struct PrintItem {
  std::string text;
  int tabColumn = 0;  // > 0: a Tab(n) item instead of a text
  Separator separator = Separator::Glue;
};

// The item followed by glue, by a next-zone separator, by a line end.
PrintItem Glue(PrintValue value);
PrintItem Zone(PrintValue value);
PrintItem End(PrintValue value);
// Tab(n): blanks up to column n (nothing when the line is already there or beyond).
PrintItem Tab(int column, Separator separator = Separator::Glue);

// Writes the items in order on the file, continuing at its print column.
// A next zone moves to the first zone start after the current column (columns
// 1, 15, 29, ...), so an item that fills its zone is still followed by a blank
// zone gap. Write failures are the file's RuntimeErrors.
void PrintLine(platform::TextFile& file, std::span<const PrintItem> items);
void PrintLine(platform::TextFile& file, std::initializer_list<PrintItem> items);

}  // namespace analysis
