// Floating-point traps and the math-library error hook of the Windows build. Both feed the word of
// the evaluation in progress; a trap outside any evaluation ends the program with exit code 3.
#pragma once

namespace qv {

// Installs the trap handler and the math-library error hook. With unmask, the zero-divide,
// overflow and invalid-operation traps are also enabled (the platform masks them by default, and
// the evaluator's own tests then carry the error reporting). Returns false when the handler could
// not be installed.
bool installFloatingPointTraps(bool unmask);

// As at start-up of the programs: on failure shows "Couldn't set up floating-point error handler!"
// and aborts.
void installFloatingPointTrapsOrAbort(bool unmask);

// Puts the floating-point control words back to what installFloatingPointTraps set up, with no
// exception pending.
void rearmFloatingPointTraps();

}  // namespace qv
