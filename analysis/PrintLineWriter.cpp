#include "analysis/PrintLineWriter.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "platform/RuntimeError.h"

namespace analysis {
namespace {

// Decimal digits of |value| rounded to a number of significant digits,
// halves away from zero: digits holds exactly `count` digits (the first one
// non-zero unless the value is zero), exponent is the power of ten of the first.
struct Decimal {
  std::string digits;
  int exponent = 0;
};

// Rounds the digit string of an exact or long expansion at `keep` digits,
// halves away from zero; returns true when the carry ran out of the front.
bool RoundDigitsUp(std::string& digits, std::size_t keep) {
  bool up = digits.size() > keep && digits[keep] >= '5';
  digits.resize(keep, '0');
  if (!up) return false;
  for (std::size_t i = keep; i-- > 0;) {
    if (digits[i] == '9') {
      digits[i] = '0';
    } else {
      ++digits[i];
      return false;
    }
  }
  return true;
}

// Splits "d.ddde+XX" as std::to_chars writes it into digits and exponent.
Decimal SplitScientific(std::string_view text) {
  Decimal d;
  std::size_t e = text.find('e');
  for (std::size_t i = 0; i < e; ++i)
    if (text[i] != '.') d.digits.push_back(text[i]);
  std::from_chars(text.data() + e + 1 + (text[e + 1] == '+'), text.data() + text.size(), d.exponent);
  return d;
}

Decimal SignificantDigits(double magnitude, int count) {
  char buf[1024];
  if (magnitude == 0) return {std::string(static_cast<std::size_t>(count), '0'), 0};
  // Rounded to 17 digits first (correctly, by std::to_chars): the digits
  // beyond `count` then show on which side of the half the exact value lies,
  // unless they read exactly 5000...; only that case, a possible exact tie,
  // needs the exact expansion (every double has one of at most 767
  // significant digits). A tie rounds away from zero.
  constexpr int kProbe = 17;
  std::to_chars_result r{};
  bool tie = true;
  Decimal d;
  if (count < kProbe) {
    r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, kProbe - 1);
    d = SplitScientific(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
    const std::string_view tail = std::string_view(d.digits).substr(static_cast<std::size_t>(count));
    tie = tail.front() == '5' && tail.find_first_not_of('0', 1) == std::string_view::npos;
  }
  if (tie) {
    r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 800);
    d = SplitScientific(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
  }
  if (RoundDigitsUp(d.digits, static_cast<std::size_t>(count))) {
    d.digits.insert(d.digits.begin(), '1');
    d.digits.pop_back();
    ++d.exponent;
  }
  return d;
}

// |value| rounded to `decimals` places, halves away from zero, as the digits
// before the point (at least "0") and exactly `decimals` digits after it.
std::pair<std::string, std::string> FixedDigits(double magnitude, int decimals) {
  // 309 integer digits + 1074 fraction digits at most.
  static constexpr int kExact = 1100;
  char buf[1500];
  auto r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::fixed, decimals + 1);
  std::string text(buf, r.ptr);
  if (text.back() == '5') {
    r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::fixed, kExact);
    text.assign(buf, r.ptr);
  }
  std::size_t point = text.find('.');
  std::string digits = text.substr(0, point) + text.substr(point + 1);
  std::size_t keep = point + static_cast<std::size_t>(decimals);
  if (RoundDigitsUp(digits, keep)) {
    digits.insert(digits.begin(), '1');
    ++keep;
  }
  std::size_t intLen = keep - static_cast<std::size_t>(decimals);
  return {digits.substr(0, intLen), digits.substr(intLen)};
}

void RequireFinite(double value) {
  if (!std::isfinite(value)) platform::Raise(platform::kErrOverflow);
}

std::string SignPosition(double value, std::string body) {
  std::string out(1, value < 0 ? '-' : ' ');
  out += body;
  out += ' ';
  return out;
}

void WriteBlanks(platform::TextFile& file, int count) {
  if (count > 0) file.Write(std::string(static_cast<std::size_t>(count), ' '));
}

}  // namespace

std::string GeneralText(double value, int digits) {
  RequireFinite(value);
  if (value == 0) return "0";
  Decimal d = SignificantDigits(std::fabs(value), digits);
  while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
  std::string out = value < 0 ? "-" : "";
  const int n = static_cast<int>(d.digits.size());
  if (d.exponent >= -5 + 1 && d.exponent < digits) {
    if (d.exponent < 0) {
      out += '.';
      out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
      out += d.digits;
    } else if (n <= d.exponent + 1) {
      out += d.digits;
      out.append(static_cast<std::size_t>(d.exponent + 1 - n), '0');
    } else {
      out += d.digits.substr(0, static_cast<std::size_t>(d.exponent + 1));
      out += '.';
      out += d.digits.substr(static_cast<std::size_t>(d.exponent + 1));
    }
    return out;
  }
  out += d.digits[0];
  if (n > 1) {
    out += '.';
    out.append(d.digits, 1);
  }
  out += d.exponent < 0 ? "E-" : "E+";
  std::string exp = std::to_string(std::abs(d.exponent));
  if (exp.size() < 2) exp.insert(exp.begin(), '0');
  return out + exp;
}

std::string NumberText(long long value) {
  char buf[32];
  unsigned long long magnitude =
      value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  auto r = std::to_chars(buf, buf + sizeof buf, magnitude);
  std::string out(1, value < 0 ? '-' : ' ');
  out.append(buf, r.ptr);
  out += ' ';
  return out;
}

std::string NumberText(float value) {
  return SignPosition(value, GeneralText(std::fabs(value), 7));
}

std::string NumberText(double value) { return SignPosition(value, GeneralText(std::fabs(value), 15)); }

std::string FormatMask(double value, std::string_view mask) {
  if (mask == "Scientific") mask = "0.00E+00";
  // Parse: integer digits ('#' optional, '0' forced), point and decimals,
  // exponent part.
  std::size_t i = 0;
  int forcedInt = 0, intPlaces = 0;
  while (i < mask.size() && (mask[i] == '#' || mask[i] == '0')) {
    if (mask[i] == '0') ++forcedInt;
    ++intPlaces;
    ++i;
  }
  int decimals = 0;
  bool point = false;
  if (i < mask.size() && mask[i] == '.') {
    point = true;
    ++i;
    while (i < mask.size() && mask[i] == '0') {
      ++decimals;
      ++i;
    }
  }
  bool scientific = false, plusSign = false;
  int expDigits = 0;
  if (i < mask.size() && (mask[i] == 'E' || mask[i] == 'e')) {
    if (i + 1 >= mask.size() || (mask[i + 1] != '+' && mask[i + 1] != '-')) platform::Raise(platform::kErrInvalidCall);
    scientific = true;
    plusSign = mask[i + 1] == '+';
    i += 2;
    while (i < mask.size() && mask[i] == '0') {
      ++expDigits;
      ++i;
    }
    if (expDigits == 0 || intPlaces != 1 || forcedInt != 1) platform::Raise(platform::kErrInvalidCall);
  }
  if (i != mask.size() || intPlaces + decimals == 0) platform::Raise(platform::kErrInvalidCall);
  RequireFinite(value);

  const double magnitude = std::fabs(value);
  std::string out;
  if (scientific) {
    Decimal d = magnitude == 0 ? Decimal{std::string(static_cast<std::size_t>(decimals + 1), '0'), 0}
                               : SignificantDigits(magnitude, decimals + 1);
    if (value < 0 && magnitude != 0) out += '-';
    out += d.digits[0];
    if (point) out += '.';
    out += d.digits.substr(1);
    out += d.exponent < 0 ? "E-" : (plusSign ? "E+" : "E");
    std::string exp = std::to_string(std::abs(d.exponent));
    if (static_cast<int>(exp.size()) < expDigits)
      exp.insert(exp.begin(), static_cast<std::size_t>(expDigits) - exp.size(), '0');
    return out + exp;
  }
  auto [whole, fraction] = FixedDigits(magnitude, decimals);
  // Strip leading zeros down to the forced integer digits.
  std::size_t lead = 0;
  while (lead < whole.size() && whole[lead] == '0' &&
         static_cast<int>(whole.size() - lead) > forcedInt)
    ++lead;
  whole.erase(0, lead);
  if (static_cast<int>(whole.size()) < forcedInt)
    whole.insert(whole.begin(), static_cast<std::size_t>(forcedInt) - whole.size(), '0');
  bool zero = whole.find_first_not_of('0') == std::string::npos &&
              fraction.find_first_not_of('0') == std::string::npos;
  if (value < 0 && !zero) out += '-';
  out += whole;
  if (point) {
    out += '.';
    out += fraction;
  }
  return out;
}

PrintItem Glue(PrintValue value) { return {value.text(), 0, Separator::Glue}; }
PrintItem Zone(PrintValue value) { return {value.text(), 0, Separator::NextZone}; }
PrintItem End(PrintValue value) { return {value.text(), 0, Separator::LineEnd}; }
PrintItem Tab(int column, Separator separator) { return {{}, column < 1 ? 1 : column, separator}; }

void PrintLine(platform::TextFile& file, std::span<const PrintItem> items) {
  for (const PrintItem& item : items) {
    if (item.tabColumn > 0)
      WriteBlanks(file, item.tabColumn - file.column());
    else
      file.Write(item.text);
    switch (item.separator) {
      case Separator::Glue: break;
      case Separator::NextZone: {
        int col = file.column();
        int next = ((col - 1) / kPrintZoneWidth + 1) * kPrintZoneWidth + 1;
        WriteBlanks(file, next - col);
        break;
      }
      case Separator::LineEnd: file.WriteLine(); break;
    }
  }
}

void PrintLine(platform::TextFile& file, std::initializer_list<PrintItem> items) {
  PrintLine(file, std::span<const PrintItem>(items.begin(), items.size()));
}

}  // namespace analysis
