#include "report.h"

#include <cmath>
#include <string>

#include "number_format.h"
#include "platform/ui.h"

namespace qv {

namespace {

ReportSettings g_reportSettings;

constexpr double TWO_PI = 6.2831853072;

const char* const BAD_OPERATOR_TEXT =
    "The parser couldn't interpret your equation because of a bad operator or mismatched parentheses. "
    "Please edit your equation and try again.";
const char* const UNSUPPORTED_NAME_TEXT =
    "Your equation included a variable or function that Quorvex does not support, or you mis-typed a "
    "function name. Please edit your equation and try again.";
const char* const LOST_ACCURACY_TEXT =
    "Lost accuracy in approximation before reaching value. Solution might not exist.";

const char* warningText(EvalStatus status) {
  if (status & evalerr::NegativeRoot) return "Can't raise a negative number to a fractional power.";
  if (status & evalerr::LogDomain) return "Can't find the logarithm of a negative number.";
  if (status & evalerr::DomainError)
    return "Domain error: asin/acos are defined only on -1<=x<=1, acsc/asec on x < -1 or x > 1.";
  if (status & evalerr::AbsInverseNegative) return "Inverse of abs() not defined on negative numbers.";
  return "Unknown error!";
}

}  // namespace

ReportSettings& reportSettings() { return g_reportSettings; }

void report(EvalStatus status, char letter, double value, int mode) {
  UserInterface& ui = userInterface();
  if (status == 0) return;  // nothing failed: nothing to say
  if (status & evalerr::BadNode) {
    ui.messageBox(BAD_OPERATOR_TEXT);
    return;
  }
  if (status & evalerr::UndefinedVariable) {
    ui.messageBox(UNSUPPORTED_NAME_TEXT);
    return;
  }
  if (status & evalerr::LostAccuracy) {
    ui.statusLine(LOST_ACCURACY_TEXT, MESSAGE_WARNING);
    return;
  }
  if (!g_reportSettings.warnings || mode != REPORT_WARNINGS || g_reportSettings.printoutInProgress) return;
  std::string text;
  if (status & (evalerr::DivideByZero | evalerr::Overflow)) {
    text = (status & evalerr::Overflow) ? "Overflow at" : "Division by zero at";
    text += formatMessage(" %c=%X.", {static_cast<int>(static_cast<unsigned char>(letter)), value});
  } else {
    text = warningText(status);
    text += formatMessage(" [%c=%X]", {static_cast<int>(static_cast<unsigned char>(letter)), value});
  }
  ui.statusLine(text, MESSAGE_WARNING);
}

PolarPoint toPolar(double x, double y) {
  if (isNearZero(x) && isNearZero(y)) return {0.0, 0.0};
  double theta = std::atan2(y, x);
  if (theta < 0) theta += TWO_PI;
  return {theta, std::sqrt(x * x + y * y)};
}

}  // namespace qv
