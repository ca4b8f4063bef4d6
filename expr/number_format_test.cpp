#include <gtest/gtest.h>

#include <cmath>

#include "expr/number_format.h"

namespace qv {
namespace {

TEST(NumberFormatter, AutomaticPrecision) {
  struct Case { double v; const char* text; };
  const Case cases[] = {
      {0, "0"},           {3, "3"},          {2.5, "2.5"},         {1.0 / 3, "0.3333"},
      {0.0005, "0.0005"}, {0.000001, "10^-6"}, {12345, "1.2x10^4"}, {99999, "1x10^5"},
      {-3.14159, "-3.14"}, {-0.001, "-0.001"}, {-0.00001, "-10^-5"}, {0.005, "0.005"},
      {0.0055, "0.0055"}, {0.000055, "5.5x10^-5"}, {1e-9, "0"},    {10000, "10^4"},
      {9999, "9999"},     {-2, "-2"},        {1.999, "2"},         {0.96, "0.96"},
      {-0.3, "-0.3"},     {123.456, "123.46"}, {-1e-12, "0"},      {2e6, "2x10^6"},
      {-12345, "-1.2x10^4"}, {0.012, "0.012"},
  };
  for (const Case& c : cases) EXPECT_EQ(formatNumber(c.v, numfmt::Auto, 0), c.text) << c.v;
}

TEST(NumberFormatter, ParseableForm) {
  struct Case { double v; const char* text; };
  const Case cases[] = {{12345, "1.2*10^4"}, {0.000001, "10^-6"}, {1e-9, "10^-9"}, {-1e-9, "-10^-9"},
                        {3.5e-12, "3.5*10^-12"}, {0.25, "0.25"}, {0, "0"}, {1e300, "10^300"}};
  for (const Case& c : cases) EXPECT_EQ(formatNumber(c.v, numfmt::Parseable, 0), c.text) << c.v;
}

TEST(NumberFormatter, FixedDigits) {
  struct Case { double v; unsigned flags; int p; const char* text; };
  const Case cases[] = {
      {2, 0x06, 2, "2.0"},          {12345, 0x06, 2, "1.23x10^4"}, {-0.004, 0x06, 2, "0"},
      {1.25, 0x06, 3, "1.25"},       {1.25, 0x06, 1, "1.2"},        {3, 0x06, 0, "3"},
      {0.5, 0x06, 4, "0.5"},         {2, 0x08, 2, "2"},             {2.345, 0x08, 2, "2.35"},
      {0.000055, 0x06, 2, "5.5x10^-5"}, {0.000055, 0x06, 8, "5.500x10^-5"}, {12345, 0x06, 0, "1.23x10^4"},
      {-0.0, 0x06, 2, "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(formatNumber(c.v, c.flags, c.p), c.text) << c.v << " " << c.flags << " " << c.p;
}

TEST(NumberFormatter, PowersOfEAndMultiplesOfPi) {
  EXPECT_EQ(formatNumber(std::exp(2.0), numfmt::PowerOfE, 2), "e^2");
  EXPECT_EQ(formatNumber(std::exp(1.0), numfmt::PowerOfE, 2), "e");
  EXPECT_EQ(formatNumber(1.0, numfmt::PowerOfE, 2), "1");
  EXPECT_EQ(formatNumber(std::exp(-3.0), numfmt::PowerOfE, 2), "e^-3");
  EXPECT_EQ(formatNumber(0.5, numfmt::MultipleOfPi, 2), "0.5p");
  EXPECT_EQ(formatNumber(1.0, numfmt::MultipleOfPi, 2), "p");
  EXPECT_EQ(formatNumber(-1.0, numfmt::MultipleOfPi, 2), "-p");
  EXPECT_EQ(formatNumber(0.0, numfmt::MultipleOfPi, 2), "0");
  EXPECT_EQ(formatNumber(2.0, numfmt::MultipleOfPi | numfmt::Coordinate, 2), "2.0p");
}

TEST(NumberFormatter, NamesNonFiniteValues) {
  EXPECT_EQ(formatNumber(INFINITY, 0x02, 0), "inf");
  EXPECT_EQ(formatNumber(-INFINITY, 0x81, 0), "-inf");
  EXPECT_EQ(formatNumber(NAN, 0x06, 2), "nan");
  EXPECT_EQ(formatNumber(0.0, numfmt::PowerOfE, 2), "e^-32768");  // ln 0 has no 16-bit exponent
  EXPECT_EQ(formatNumber(1.5, 0x06, 1000), "1.5");                  // precision is clamped
}

TEST(MessageFormatter, Placeholders) {
  setLabelDecimals({2, 3});
  EXPECT_EQ(formatMessage(" %c=%X.", {'x', 0.0}), " x=0.");
  EXPECT_EQ(formatMessage("x=%X, y=%Y, slope=%x ", {1.5, 2.0, 0.123456}), "x=1.5, y=2.0, slope=0.1235 ");
  EXPECT_EQ(formatMessage("%y", {0.123456789}), "0.12346");
  EXPECT_EQ(formatMessage("%t to %t", {1.0 / 3, 12345.0}), "0.3333 to 1.2x10^4");
  EXPECT_EQ(formatMessage(" {%*, %*}", {1e-9, 2.5}), " {10^-9, 2.5}");
  EXPECT_EQ(formatMessage("100%% %q", {}), "100% q");
  EXPECT_EQ(formatMessage("%X and %X", {1.0}), "1.0 and ");  // a missing argument writes nothing
  EXPECT_EQ(formatMessage("%c%c(tangent)", {254, 129}), "\xfe\x81(tangent)");
  EXPECT_EQ(formatMessage("end %", {}), "end ");
  setLabelDecimals({0, 0});
  EXPECT_EQ(formatMessage("(%X, %Y)", {2.0, 3.75}), "(2, 4)");
  setLabelDecimals({2, 2});
}

}  // namespace
}  // namespace qv
