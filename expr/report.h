// Turns the word of a failed evaluation into what the user sees.
#pragma once

#include "status.h"

namespace qv {

// Report mode that asks for warnings; other modes show only the severe cases.
constexpr int REPORT_WARNINGS = 1;

// Program state Report consults: the "warnings" option and whether a printout is being made.
struct ReportSettings {
  bool warnings = false;
  bool printoutInProgress = false;
};
ReportSettings& reportSettings();

// Shows the message for status (a failed evaluation of variable `letter` at `value`) through the
// installed user interface: a message box, a status-line warning, or nothing.
void report(EvalStatus status, char letter, double value, int mode);

struct PolarPoint {
  double theta;
  double r;
};
// theta in [0, 2*pi); the origin (both coordinates near zero) gives (0, 0).
PolarPoint toPolar(double x, double y);

}  // namespace qv
