#include "platform/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

using platform::FormatInteger;
using platform::FormatShortest;
using platform::FormatTwoDecimals;
using platform::ParseDouble;

namespace {

double Parsed(const char* text) {
  double v = -12345;
  EXPECT_TRUE(ParseDouble(text, v)) << text;
  return v;
}

bool Rejected(const char* text) {
  double v = 7;
  bool ok = ParseDouble(text, v);
  return !ok && v == 7;  // a failed parse leaves the target alone
}

}  // namespace

TEST(NumberText, ReadsTheNumberFormsFilesHold) {
  EXPECT_EQ(Parsed(".5"), 0.5);
  EXPECT_EQ(Parsed("5."), 5.0);
  EXPECT_EQ(Parsed("-.25"), -0.25);
  EXPECT_EQ(Parsed("1E-05"), 1E-05);
  EXPECT_EQ(Parsed("1e+37"), 1e37);
  EXPECT_EQ(Parsed(" 1.4 "), 1.4);
  EXPECT_EQ(Parsed("+3"), 3.0);
  EXPECT_EQ(Parsed("0"), 0.0);
  EXPECT_EQ(Parsed("2.5E3"), 2500.0);
}

TEST(NumberText, RejectsWhatIsNotAPlainDecimal) {
  for (const char* bad : {"", " ", "nan", "NaN", "inf", "-inf", "infinity", "0x10", "1e", "1e+", "e5",
                          ".", "-", "+-1", "1.2.3", "1,5", "12abc", "#TRUE#", "1 2", "1e400", "--1"})
    EXPECT_TRUE(Rejected(bad)) << "'" << bad << "'";
}

TEST(NumberText, ShortestTextReadsBackExactly) {
  for (float f : {0.3f, 0.8f, 29000.0f, 1E-5f, -1E37f, 1E37f, 3.4028235e38f, 1.17549435e-38f, 123.456f}) {
    double back = 0;
    ASSERT_TRUE(ParseDouble(FormatShortest(f), back)) << FormatShortest(f);
    EXPECT_EQ(static_cast<float>(back), f);
  }
  for (double d : {0.1, 1.0 / 3.0, -2.5e-300, 1.7976931348623157e308}) {
    double back = 0;
    ASSERT_TRUE(ParseDouble(FormatShortest(d), back));
    EXPECT_EQ(back, d);
  }
  EXPECT_EQ(FormatShortest(0.5f), "0.5");
  EXPECT_EQ(FormatInteger(-42), "-42");
}

TEST(NumberText, AGermanLocaleChangesNothing) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  std::string saved = old ? old : "C";
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE"))
    GTEST_SKIP() << "no German locale installed";
  std::string half = FormatShortest(0.5f);
  std::string big = FormatShortest(1234567.0);
  double v = 0;
  bool ok = ParseDouble("1.25", v);
  bool comma = ParseDouble("1,25", v);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(half, "0.5");
  EXPECT_EQ(big, "1234567");
  EXPECT_TRUE(ok);
  EXPECT_FALSE(comma);
}

TEST(NumberText, TwoDecimals) {
  EXPECT_EQ(FormatTwoDecimals(12.5), "12.50");
  EXPECT_EQ(FormatTwoDecimals(-3.25), "-3.25");
  EXPECT_EQ(FormatTwoDecimals(1234567.891), "1234567.89");
  EXPECT_EQ(FormatTwoDecimals(0.004), "0.00");
  // Not finite: named as the stress window names it, never "nan" or "inf".
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(FormatTwoDecimals(std::nan("")), "NaN");
  EXPECT_EQ(FormatTwoDecimals(-std::nan("")), "NaN");
  EXPECT_EQ(FormatTwoDecimals(inf), "Inf");
  EXPECT_EQ(FormatTwoDecimals(-inf), "-Inf");
}
