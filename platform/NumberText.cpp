#include "platform/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace platform {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string FormatShortest(double value) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, r.ptr);
}

std::string FormatShortest(float value) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, r.ptr);
}

std::string FormatInteger(long long value) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, r.ptr);
}

std::string NotFiniteText(double value) {
  if (std::isnan(value)) return "NaN";
  return value > 0 ? "Inf" : "-Inf";
}

std::string FormatTwoDecimals(double value) {
  if (!std::isfinite(value)) return NotFiniteText(value);
  char buf[512];  // the largest double has 309 digits before the point
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
  if (r.ec != std::errc()) return FormatShortest(value);
  return std::string(buf, r.ptr);
}

namespace {

// The unsigned body of a plain decimal number (optional sign, digits with an
// optional point, optional exponent; blanks around it), or false. from_chars
// alone would also take "inf", "nan" and hex floats.
bool DecimalBody(std::string_view text, std::string_view& body, bool& negative) {
  std::string_view s = Trim(text);
  negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return false;
  bool digits = false, point = false, exponent = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if (c == '.' && !point && !exponent) {
      point = true;
    } else if ((c == 'e' || c == 'E') && digits && !exponent) {
      exponent = true;
      if (i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) ++i;
      if (i + 1 >= s.size()) return false;
    } else {
      return false;
    }
  }
  if (!digits) return false;
  body = s;
  return true;
}

// from_chars on a body that DecimalBody accepted: Ok, or out of range for T.
template <typename T>
std::errc FromDecimal(std::string_view s, T& v) {
  auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (r.ptr == s.data() + s.size() && r.ec != std::errc::invalid_argument) return r.ec;
  // from_chars wants a digit before the point and rejects "5."; take them apart.
  // (Built by appending: GCC 12 warns falsely about std::string::insert here.)
  std::size_t e = s.find_first_of("eE");
  std::size_t mant = e == std::string_view::npos ? s.size() : e;
  std::string fixed;
  if (s.front() == '.') fixed.push_back('0');
  fixed.append(s.substr(0, mant));
  if (mant > 0 && s[mant - 1] == '.') fixed.push_back('0');
  fixed.append(s.substr(mant));
  r = std::from_chars(fixed.data(), fixed.data() + fixed.size(), v, std::chars_format::general);
  if (r.ptr != fixed.data() + fixed.size()) return std::errc::invalid_argument;
  return r.ec;
}

// Whether a body that lies outside a double's range lies below its smallest
// number rather than beyond its largest: the power of ten of its first
// significant digit is negative.
bool BelowEveryDouble(std::string_view body) {
  const std::size_t e = body.find_first_of("eE");
  const std::string_view mantissa = body.substr(0, e);
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t first = mantissa.find_first_not_of("0.");
  if (first == std::string_view::npos) return true;
  long long power = first < point ? static_cast<long long>(point - first) - 1
                                  : -static_cast<long long>(first - point);
  if (e != std::string_view::npos) {
    std::string_view digits = body.substr(e + 1);
    const bool negative = digits.front() == '-';
    if (digits.front() == '+' || negative) digits.remove_prefix(1);
    long long exponent = 0;
    for (char c : digits) exponent = std::min(exponent * 10 + (c - '0'), 1'000'000'000'000LL);
    power += negative ? -exponent : exponent;
  }
  return power < 0;
}

}  // namespace

bool ParseDouble(std::string_view text, double& value) {
  std::string_view body;
  bool negative = false;
  double v = 0;
  if (!DecimalBody(text, body, negative) || FromDecimal(body, v) != std::errc() || !std::isfinite(v))
    return false;
  value = negative ? -v : v;
  return true;
}

ParsedNumber ParseSingle(std::string_view text, float& value) {
  std::string_view body;
  bool negative = false;
  if (!DecimalBody(text, body, negative)) return ParsedNumber::NotANumber;
  float v = 0;
  const std::errc ec = FromDecimal(body, v);
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small for a float; a double tells which, and the
    // digits where a double cannot hold it either.
    double d = 0;
    const bool inDouble = FromDecimal(body, d) == std::errc();
    if (inDouble ? d >= 1.0 : !BelowEveryDouble(body)) return ParsedNumber::OutOfRange;
    v = 0.0f;
  } else if (ec != std::errc() || !std::isfinite(v)) {
    return ParsedNumber::NotANumber;
  }
  value = negative ? -v : v;
  return ParsedNumber::Ok;
}

bool ParseInteger(std::string_view text, long long min, long long max, long long& value) {
  double d = 0;
  if (!ParseDouble(text, d)) return false;
  double r = std::nearbyint(d);  // the default rounding mode is half to even
  if (r < static_cast<double>(min) || r > static_cast<double>(max)) return false;
  value = static_cast<long long>(r);
  return true;
}

}  // namespace platform
