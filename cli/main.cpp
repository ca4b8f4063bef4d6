// quorvex-cli: see cli.h.
#include <cstdio>

#include "cli/cli.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

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
  // Lines end in "\n" alone, as on every other build: scripts compare this output byte for byte.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  return qv::cli::run(argc, argv, stdout, stderr);
}
