// Golden print lines: zones, tabs, the number form and the masks.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "analysis/PrintLineWriter.h"
#include "analysis/SolverListing.h"
#include "platform/RuntimeError.h"
#include "tests/platform/FileTestSupport.h"

namespace analysis {
namespace {

class PrintLineTest : public ::testing::Test {
 protected:
  velk_test::ScratchFolder folder;
  std::filesystem::path path = folder.path() / "print.txt";
  platform::TextFile file{path, platform::FileMode::Output};

  std::string Text() {
    file.Close();
    return velk_test::ReadBytes(path);
  }
};

TEST_F(PrintLineTest, ZonesGlueTabsAndOpenLines) {
  PrintLine(file, {Zone("ab"), Zone("1234567890123456789012"), End("x")});
  // A text that fills its zone exactly still gets a zone gap after it.
  PrintLine(file, {Zone("12345678901234"), End("y")});
  // An open line continues where the last call stopped.
  PrintLine(file, {Zone(1), Zone(-2)});
  PrintLine(file, {Glue("z"), End(std::string_view{})});
  PrintLine(file, {Zone(""), Glue("q"), Tab(5), End("t")});
  listing::CountLine(file, "Num. of Loaded Points  ", 12);
  listing::CountLine(file, "Num. of Points", -3);
  // The count's sign position is column 50.
  EXPECT_EQ(Text(),
            "ab            1234567890123456789012      x\r\n"
            "12345678901234              y\r\n"
            " 1            -2            z\r\n"
            "              qt\r\n"
            "Num. of Loaded Points                             12 \r\n"
            "Num. of Points                                   -3 \r\n");
}

TEST_F(PrintLineTest, NumberForm) {
  EXPECT_EQ(NumberText(5LL), " 5 ");
  EXPECT_EQ(NumberText(-5LL), "-5 ");
  EXPECT_EQ(NumberText(std::numeric_limits<long long>::min()), "-9223372036854775808 ");
  EXPECT_EQ(NumberText(0.5f), " .5 ");
  EXPECT_EQ(NumberText(-0.5f), "-.5 ");
  EXPECT_EQ(NumberText(1e-5f), " 1E-05 ");
  EXPECT_EQ(NumberText(0.0001f), " .0001 ");
  EXPECT_EQ(NumberText(12345678.0f), " 1.234568E+07 ");
  EXPECT_EQ(NumberText(1234567.0f), " 1234567 ");
  EXPECT_EQ(NumberText(0.1f), " .1 ");
  EXPECT_EQ(NumberText(-0.0f), " 0 ");
  EXPECT_EQ(NumberText(210000.0), " 210000 ");
  EXPECT_EQ(NumberText(0.3), " .3 ");
  EXPECT_EQ(NumberText(1.0 / 3.0), " .333333333333333 ");
  EXPECT_EQ(NumberText(2e20), " 2E+20 ");
  EXPECT_EQ(NumberText(-1.5e-200), "-1.5E-200 ");
  EXPECT_THROW(NumberText(std::numeric_limits<double>::infinity()), platform::RuntimeError);
}

TEST_F(PrintLineTest, Masks) {
  EXPECT_EQ(FormatMask(250, "0.00E+00"), "2.50E+02");
  EXPECT_EQ(FormatMask(-0.0125, "0.00E+00"), "-1.25E-02");
  EXPECT_EQ(FormatMask(0, "0.00E+00"), "0.00E+00");
  EXPECT_EQ(FormatMask(-0.0, "0.00E+00"), "0.00E+00");
  EXPECT_EQ(FormatMask(250, "0.0000E+00"), "2.5000E+02");
  EXPECT_EQ(FormatMask(2.71828, "0.0000E+00"), "2.7183E+00");
  EXPECT_EQ(FormatMask(12.5, "0.0000E+00"), "1.2500E+01");
  EXPECT_EQ(FormatMask(1234.5, "Scientific"), "1.23E+03");
  EXPECT_EQ(FormatMask(-0.5, "Scientific"), "-5.00E-01");
  EXPECT_EQ(FormatMask(9.996, "Scientific"), "1.00E+01");  // the carry moves the exponent
  EXPECT_EQ(FormatMask(1e-300, "Scientific"), "1.00E-300");
  EXPECT_EQ(FormatMask(0.125, "Scientific"), "1.25E-01");
  EXPECT_EQ(FormatMask(1.125, "0.00E+00"), "1.13E+00");  // an exact half goes away from zero
  EXPECT_EQ(FormatMask(-1.125, "0.00E+00"), "-1.13E+00");
  EXPECT_EQ(FormatMask(1.005, "0.00E+00"), "1.00E+00");  // 1.005 is stored a little below
  EXPECT_EQ(FormatMask(12, "00000"), "00012");
  EXPECT_EQ(FormatMask(123456, "00000"), "123456");
  EXPECT_EQ(FormatMask(2.5, "0"), "3");
  EXPECT_EQ(FormatMask(-2.5, "0"), "-3");
  EXPECT_EQ(FormatMask(-0.4, "0"), "0");
  EXPECT_EQ(FormatMask(12.346, "###0.00"), "12.35");
  EXPECT_EQ(FormatMask(0, "###0.00"), "0.00");
  EXPECT_EQ(FormatMask(-0.5, "###0.00"), "-0.50");
  EXPECT_EQ(FormatMask(-0.001, "###0.00"), "0.00");
  EXPECT_EQ(FormatMask(0.125, "###0.00"), "0.13");
  EXPECT_EQ(FormatMask(99.995, "###0.00"), "100.00");  // stored as 99.99500000000000454...
  EXPECT_EQ(FormatMask(0.285, "###0.00"), "0.28");     // stored as 0.28499999999999998...
  EXPECT_EQ(FormatMask(1e20, "###0.00"), "100000000000000000000.00");
  EXPECT_THROW(FormatMask(1, "0.0X"), platform::RuntimeError);
  EXPECT_THROW(FormatMask(std::nan(""), "0.00E+00"), platform::RuntimeError);
}

TEST_F(PrintLineTest, ListingLines) {
  listing::LabelLine(file, "Elastic Modulus", 210000.0);
  listing::DisplacementRow(file, 3, 0.5, -0.0125);
  listing::EigenValueLine(file, -12.5);
  listing::Header(file, listing::kModeShapeHeader);
  EXPECT_EQ(Text(),
            "Elastic Modulus 210000 \r\n"
            " 3            5.00E-01      -1.25E-02     \r\n"
            "[EigenValue:-1.2500E+01]\r\n"
            "Node Number   Z Dir         Rot. X        Rot. Y\r\n");
}

}  // namespace
}  // namespace analysis
