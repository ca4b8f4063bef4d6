#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "expr/report.h"
#include "expr/status.h"
#include "platform/record/recording_ui.h"

namespace qv {
namespace {

using Shown = std::vector<ShownMessage>;

Shown reportWith(EvalStatus status, char letter, double value, int mode, bool warnings, bool printout = false) {
  ScopedRecordingUserInterface recorder;
  reportSettings() = {warnings, printout};
  report(status, letter, value, mode);
  reportSettings() = {};
  return recorder.ui.shown;
}

ShownMessage box(const char* text) { return {ShownMessage::MessageBox, text, 0}; }
ShownMessage warning(const std::string& text) { return {ShownMessage::StatusLine, text, 14}; }

TEST(Report, SevereErrorsAlwaysShowAMessageBox) {
  const char* badOperator =
      "The parser couldn't interpret your equation because of a bad operator or mismatched parentheses. "
      "Please edit your equation and try again.";
  const char* unsupported =
      "Your equation included a variable or function that Quorvex does not support, or you mis-typed a "
      "function name. Please edit your equation and try again.";
  for (bool warnings : {false, true}) {
    EXPECT_EQ(reportWith(0x0001, 'x', 0, 0, warnings), Shown{box(badOperator)});
    EXPECT_EQ(reportWith(0x0010, 'x', 0, 0, warnings), Shown{box(unsupported)});
    EXPECT_EQ(reportWith(0x0011, 'x', 0, 1, warnings), Shown{box(badOperator)});
    EXPECT_EQ(reportWith(0x0008, 'x', 0, 3, warnings),
              Shown{warning("Lost accuracy in approximation before reaching value. Solution might not exist.")});
  }
}

TEST(Report, WarningsNeedTheOptionModeOneAndNoPrintout) {
  EXPECT_EQ(reportWith(0x0002, 'x', 0, 1, true), Shown{warning("Division by zero at x=0.")});
  EXPECT_TRUE(reportWith(0x0002, 'x', 0, 1, false).empty());
  EXPECT_TRUE(reportWith(0x0002, 'x', 0, 0, true).empty());
  EXPECT_TRUE(reportWith(0x0002, 'x', 0, 1, true, true).empty());
  EXPECT_TRUE(reportWith(0x0000, 'x', 0, 1, true).empty());
}

TEST(Report, WarningTexts) {
  struct Case { EvalStatus status; char letter; double value; const char* text; };
  const Case cases[] = {
      {0x0002, 'x', 1.5, "Division by zero at x=1.5."},
      {0x0004, 't', -2, "Overflow at t=-2.0."},
      {0x0006, 'x', 0, "Overflow at x=0."},
      {0x0020, 'x', -2, "Can't raise a negative number to a fractional power. [x=-2.0]"},
      {0x0040, 'x', -1, "Can't find the logarithm of a negative number. [x=-1.0]"},
      {0x0080, 'x', 0.5,
       "Domain error: asin/acos are defined only on -1<=x<=1, acsc/asec on x < -1 or x > 1. [x=0.5]"},
      {0x0100, 'y', -3, "Inverse of abs() not defined on negative numbers. [y=-3.0]"},
      {0x0060, 'x', 1, "Can't raise a negative number to a fractional power. [x=1.0]"},
      {0x0400, 'x', 0, "Unknown error! [x=0]"},
      {0x0800, 'r', 12345, "Unknown error! [r=1.23x10^4]"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(reportWith(c.status, c.letter, c.value, 1, true), Shown{warning(c.text)}) << c.status;
}

constexpr double kPi = 3.14159265358979323846;

TEST(ToPolar, AnglesLieInOneTurn) {
  struct Case { double x, y, theta, r; };
  const Case cases[] = {{0, 0, 0, 0}, {1e-9, -1e-9, 0, 0}, {1, 0, 0, 1}, {0, 2, kPi / 2, 2},
                        {-1, 0, kPi, 1}, {0, -1, 6.2831853072 - kPi / 2, 1}, {3, -4, 6.2831853072 + std::atan2(-4, 3), 5}};
  for (const Case& c : cases) {
    const PolarPoint p = toPolar(c.x, c.y);
    EXPECT_NEAR(p.theta, c.theta, 1e-12) << c.x << "," << c.y;
    EXPECT_NEAR(p.r, c.r, 1e-12) << c.x << "," << c.y;
  }
}

}  // namespace
}  // namespace qv
