// quorvex-cli: see cli.h.
#include <cstdio>

#include "cli/cli.h"

#ifdef _WIN32
#include "platform/win32/fp_traps.h"

// Arguments such as "x*y" are expressions, not file patterns: no wildcard expansion.
extern "C" {
int _dowildcard = 0;
}
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // As the graphing program does at start-up: math-library errors and floating-point traps feed the
  // evaluation in progress.
  qv::installFloatingPointTrapsOrAbort(false);
#endif
  return qv::cli::run(argc, argv, stdout, stderr);
}
