#pragma once
// Number text that never depends on the user's locale: always a point as the
// decimal separator, never digit grouping.
#include <string>
#include <string_view>

namespace platform {

// The shortest text that reads back to exactly the same value ("0.5", "1e-05", "-12").
std::string FormatShortest(double value);
std::string FormatShortest(float value);
std::string FormatInteger(long long value);
// A value that is not finite, as every number shown to the user names it:
// "NaN", "Inf" or "-Inf".
std::string NotFiniteText(double value);
// "###0.00": at least one digit before the point, exactly two after it, no
// grouping, a leading minus for negatives ("12.50", "-3.25"); a value that is
// not finite as NotFiniteText.
std::string FormatTwoDecimals(double value);

// Parses a decimal number: optional sign, digits with an optional point
// (".5" and "5." are numbers), optional exponent (E or e); blanks around it
// are ignored. NaN, infinities, hex and anything else give false.
bool ParseDouble(std::string_view text, double& value);

enum class ParsedNumber { Ok, NotANumber, OutOfRange };
// Parses the same text as ParseDouble, rounded once, straight to the nearest
// float: through a double some values would be rounded twice and come back
// one unit off. A value too small for a float, even one too small for a
// double, reads as a zero of its sign; OutOfRange when it rounds beyond the
// largest float.
ParsedNumber ParseSingle(std::string_view text, float& value);
// Parses a whole number in decimal, or a decimal number that is whole after
// rounding half to even (as "2.5" read into an integer field); false when it
// is not a number or lies outside [min, max].
bool ParseInteger(std::string_view text, long long min, long long max, long long& value);

}  // namespace platform
