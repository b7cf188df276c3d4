#include "model/RecordIO.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <random>
#include <vector>

#include "model/Analysis.h"
#include "tests/model/TestFiles.h"

using model::RecordReader;
using model::RecordWriter;
using namespace testfiles;

TEST(RecordWriter, LineFormOfEveryType) {
  std::string text = Written([](platform::TextFile& f) {
    RecordWriter(f).String("a, b").String("").Boolean(true).Boolean(false).EndLine();
    RecordWriter(f).Integer(-32768).Long(2147483647).Single(0.8f).Single(-1E-5f).Double(0.1).EndLine();
    RecordWriter(f).String("say \"hi\"").EndLine();
  });
  EXPECT_EQ(text,
            "\"a, b\",\"\",#TRUE#,#FALSE#\r\n"
            "-32768,2147483647,0.8,-1e-05,0.1\r\n"
            "\"say 'hi'\"\r\n");
}

TEST(RecordWriter, NumbersThatCannotBeReadBackAreRefused) {
  auto p = ScratchPath("x.txt");
  platform::TextFile f(p, platform::FileMode::Output);
  EXPECT_EQ(ErrorOf([&] { RecordWriter(f).Single(std::numeric_limits<float>::quiet_NaN()); }), 6);
  EXPECT_EQ(ErrorOf([&] { RecordWriter(f).Double(-std::numeric_limits<double>::infinity()); }), 6);
  f.Close();
  EXPECT_EQ(ReadBytes(p), "");  // nothing half-written
}

TEST(RecordReader, ReadsBackWhatTheWriterWrote) {
  std::string text = Written([](platform::TextFile& f) {
    RecordWriter(f).String("Girder, test 1").String("").String("x\"y").Boolean(false).Boolean(true).EndLine();
    RecordWriter(f).Integer(-7).Long(-123456789).Single(3.4028235e38f).Single(1.17549435e-38f).Double(1.0 / 3).EndLine();
  });
  auto in = InputOf(text);
  RecordReader r(*in);
  EXPECT_EQ(r.String(), "Girder, test 1");
  EXPECT_EQ(r.String(), "");
  EXPECT_EQ(r.String(), "x'y");
  EXPECT_FALSE(r.Boolean());
  EXPECT_TRUE(r.Boolean());
  EXPECT_EQ(r.Integer(), -7);
  EXPECT_EQ(r.Long(), -123456789);
  EXPECT_EQ(r.Single(), 3.4028235e38f);
  EXPECT_EQ(r.Single(), 1.17549435e-38f);
  EXPECT_EQ(r.Double(), 1.0 / 3);
  EXPECT_EQ(ErrorOf([&] { r.Single(); }), 62);
}

TEST(RecordReader, LineEndsAndCommasSeparateAlikeAndCallsMayDivideARecord) {
  // The same five fields on one line, on two lines (CR LF and LF only), read
  // in one call of five or two calls of three and two.
  for (const std::string& text : {std::string("1,2.5,\"a\",#TRUE#,-4\r\n"), std::string("1,2.5,\"a\"\r\n#TRUE#,-4\r\n"),
                                  std::string("1,2.5\n\"a\",#TRUE#\n-4\n"), std::string("1\r2.5\r\"a\"\r#TRUE#\r-4")}) {
    auto in = InputOf(text);
    {
      RecordReader first(*in);
      EXPECT_EQ(first.Long(), 1);
      EXPECT_EQ(first.Single(), 2.5f);
      EXPECT_EQ(first.String(), "a");
    }
    RecordReader second(*in);
    EXPECT_TRUE(second.Boolean());
    EXPECT_EQ(second.Integer(), -4);
    EXPECT_EQ(ErrorOf([&] { second.Integer(); }), 62) << text;
  }
}

TEST(RecordReader, NumberTextAsPrintLinesAndOtherWritersLeaveIt) {
  auto in = InputOf("VELK Version\r\n 1.4 \r\n.5, 1E-05 ,+3,   -2.5e+1\r\n\r\n\r\n  7\r\n");
  RecordReader r(*in);
  EXPECT_EQ(r.String(), "VELK Version");
  EXPECT_EQ(r.Single(), 1.4f);
  EXPECT_EQ(r.Single(), 0.5f);
  EXPECT_EQ(r.Double(), 1E-05);
  EXPECT_EQ(r.Integer(), 3);
  EXPECT_EQ(r.Single(), -25.0f);
  EXPECT_EQ(r.Long(), 7);  // blank lines between fields are skipped
}

TEST(RecordReader, QuotedFieldsKeepCommasAndDropWhatFollowsTheQuote) {
  auto in = InputOf("\"a,b\" junk,\"multi\r\nline\",\"\"\r\n\"unterminated");
  RecordReader r(*in);
  EXPECT_EQ(r.String(), "a,b");
  EXPECT_EQ(r.String(), "multi\r\nline");
  EXPECT_EQ(r.String(), "");
  EXPECT_EQ(ErrorOf([&] { r.String(); }), 62);
}

TEST(RecordReader, TextThatDoesNotFitItsTargetIsAnError) {
  struct Case {
    const char* text;
    std::function<void(RecordReader&)> read;
    int error;
  };
  const Case cases[] = {
      {"abc", [](RecordReader& r) { r.Single(); }, 13},
      {"#TRUE#", [](RecordReader& r) { r.Long(); }, 13},
      {"1", [](RecordReader& r) { r.Boolean(); }, 13},
      {"nan", [](RecordReader& r) { r.Double(); }, 13},
      {"inf", [](RecordReader& r) { r.Single(); }, 13},
      {"0x1A", [](RecordReader& r) { r.Long(); }, 13},
      {",5", [](RecordReader& r) { r.Integer(); }, 13},  // an empty field is no number
      {"32768", [](RecordReader& r) { r.Integer(); }, 6},
      {"-32769", [](RecordReader& r) { r.Integer(); }, 6},
      {"2147483648", [](RecordReader& r) { r.Long(); }, 6},
      {"1e39", [](RecordReader& r) { r.Single(); }, 6},
      {"1e400", [](RecordReader& r) { r.Single(); }, 6},
      {"0.001e99999999999999999999", [](RecordReader& r) { r.Single(); }, 6},
      {"1e400", [](RecordReader& r) { r.Double(); }, 13},
      {"", [](RecordReader& r) { r.String(); }, 62},
      {" \r\n \r\n", [](RecordReader& r) { r.Boolean(); }, 62},
  };
  for (const Case& c : cases) {
    auto in = InputOf(c.text);
    RecordReader r(*in);
    EXPECT_EQ(ErrorOf([&] { c.read(r); }), c.error) << "'" << c.text << "'";
  }
}

TEST(RecordReader, IntegersTakeTheNearestWholeNumber) {
  auto in = InputOf("2.5,3.5,-0.4,1E3\r\n");
  RecordReader r(*in);
  EXPECT_EQ(r.Integer(), 2);
  EXPECT_EQ(r.Integer(), 4);
  EXPECT_EQ(r.Long(), 0);
  EXPECT_EQ(r.Long(), 1000);
}

// Every finite Single the writer writes reads back bit for bit: the edges of
// every decade, the subnormals and extremes, two values that once came back
// one unit off, and a few million random bit patterns.
TEST(RecordReader, EverySingleTheWriterWritesReadsBackBitForBit) {
  std::vector<float> values = {7.03853069E-26f, 0.0f, FLT_MIN, FLT_MAX, FLT_TRUE_MIN, 0.3f, 29000.0f};
  for (int k = -45; k <= 38; ++k) {
    const float decade = static_cast<float>(std::pow(10.0L, k));
    float up = decade, down = decade;
    for (int step = 0; step < 4; ++step) {
      values.push_back(up);
      values.push_back(down);
      up = std::nextafter(up, FLT_MAX);
      down = std::nextafter(down, 0.0f);
    }
  }
  for (float v : {FLT_MIN, FLT_MAX})
    for (int step = 0; step < 4; ++step, v = std::nextafter(v, 0.0f)) values.push_back(v);
  const std::size_t fixed = values.size();
  for (std::size_t i = 0; i < fixed; ++i) values.push_back(-values[i]);
  // Fewer under the sanitizers, whose checks make each field many times slower.
#if defined(__SANITIZE_ADDRESS__)
  constexpr int kRandom = 200'000;
#else
  constexpr int kRandom = 3'000'000;
#endif
  std::mt19937 random(20240611);
  while (values.size() < fixed * 2 + kRandom) {
    const float v = std::bit_cast<float>(static_cast<uint32_t>(random()));
    if (std::isfinite(v)) values.push_back(v);
  }

  constexpr std::size_t kBatch = 200'000;  // values to a file in memory
  for (std::size_t from = 0; from < values.size(); from += kBatch) {
    const std::size_t to = std::min(values.size(), from + kBatch);
    platform::TextFile out{platform::InMemory{}};
    for (std::size_t i = from; i < to; i += 8) {
      RecordWriter w(out);
      for (std::size_t j = i; j < std::min(to, i + 8); ++j) w.Single(values[j]);
      w.EndLine();
    }
    out.Close();
    platform::TextFile in(platform::InMemory{}, out.Text());
    RecordReader r(in);
    for (std::size_t i = from; i < to; ++i) {
      const float back = r.Single();
      ASSERT_EQ(std::bit_cast<uint32_t>(back), std::bit_cast<uint32_t>(values[i]))
          << std::setprecision(9) << values[i] << " came back as " << back;
    }
  }

  // Below the smallest subnormal a number reads as a zero of its sign, also
  // below the smallest double.
  auto in = InputOf("1e-50,-1e-50,1e-400,-1e-400,12345e-330,1000e-99999999999999999999,0.00e99999\r\n");
  RecordReader r(*in);
  for (uint32_t zero : {0u, 0x80000000u, 0u, 0x80000000u, 0u, 0u, 0u})
    EXPECT_EQ(std::bit_cast<uint32_t>(r.Single()), zero);
}

namespace {

std::string ReasonOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const platform::RuntimeError& e) {
    return std::to_string(e.number()) + ": " + e.description();
  }
  return "no failure";
}

const std::string kTooLongField = "321: line 1, field Title: the field is longer than 98301 bytes, more than any field "
                                  "the program writes.";

}  // namespace

// No field the program writes is longer than kLongestField; a longer one is
// refused on its first byte too many, so that the reader never holds more,
// whatever the file (project, options or solver input) and however the
// field runs: unquoted, of NULs as in a sparse file, or quoted over lines.
TEST(RecordReader, AFieldLongerThanAnyTheProgramWritesIsRefusedAsSoonAsItIsSo) {
  const std::int64_t most = model::kLongestField;
  const std::string lines = [] {
    std::string s = "\"";
    for (int i = 0; i < 1500; ++i) s += std::string(98, 'q') + "\r\n";
    return s + "\"\r\n";
  }();
  for (const std::string& bytes : {std::string(3 << 20, 'x'), std::string(3 << 20, '\0'), lines}) {
    auto in = InputOf(bytes);
    RecordReader r(*in);
    EXPECT_EQ(ReasonOf([&] { r.String("Title"); }), kTooLongField);
    EXPECT_LE(in->taken(), most + most / 50 + 2) << "no more taken than the field and its line ends";
  }
  // At the limit, quoted or not, a field reads whole; two such on a line
  // (the solver input file's description and run number) as well.
  const std::string longest(static_cast<std::size_t>(most), 'z');
  auto in = InputOf(longest + "\r\n\"" + longest + "\",\"" + longest + "\"\r\n");
  RecordReader r(*in);
  EXPECT_EQ(r.String(), longest);
  EXPECT_EQ(r.String(), longest);
  EXPECT_EQ(r.String(), longest);
  EXPECT_EQ(ErrorOf([&] { r.String(); }), 62);
}

// The file's refusals of a line too long, and its failed reads, name the
// field the reader was taking, on the line where they came.
TEST(RecordReader, WhatTheFileRefusesNamesTheField) {
  auto in = InputOf("1,2\r\n3," + std::string(100, '4') + "," + std::string(3 << 20, ' ') + "5\r\n");
  in->SetLongestLine(200);
  RecordReader r(*in);
  EXPECT_EQ(r.Long("A"), 1);
  EXPECT_EQ(r.Long("B"), 2);
  EXPECT_EQ(r.Long("C"), 3);
  EXPECT_EQ(r.String("D"), std::string(100, '4'));
  EXPECT_EQ(ReasonOf([&] { r.Long("E"); }),
            "321: line 2, field E: the line is longer than 200 bytes, more than a line of this file can hold.");
  EXPECT_EQ(in->taken(), 5 + 201);

  if (std::filesystem::exists("/proc/self/mem")) {
    platform::TextFile memory("/proc/self/mem", platform::FileMode::Input);
    EXPECT_EQ(ReasonOf([&] { RecordReader(memory).Long("Count"); }),
              "57: line 1, field Count: Cannot read /proc/self/mem: Input/output error.");
  }
}

// A damaged options line longer than any field takes the fallback options,
// having held no more of it than a field.
TEST(RecordReader, ADamagedOptionsLineTakesItsFallbackWithoutHoldingIt) {
  auto in = InputOf("5," + std::string(3 << 20, '9') + "\r\n");
  model::Analysis a;
  a.MaxShift = 7;
  a.ReadData1_4Option(*in);
  EXPECT_EQ(a.MaxShift, 3);
  EXPECT_LE(in->taken(), 2 + model::kLongestField + 1);
}
