// Parses the relations of one line into Equation records: one tree per side, the graph kind from the
// variables used, the inequality flags and the marking of fractional powers.
#pragma once

#include "doc/equation.h"
#include "expr/status.h"

namespace qv {

// Isolates the plotted variable of a freshly parsed relation (tree 0 = left side, tree 1 = right
// side on entry); returns ParseStatus bits.
using RelationSolver = ParseStatus (*)(Equation& e);

// After parserBegin on the line: parses the first relation into `first` and, for each further ";",
// a new record linked behind it. The relations are solved with `solver` when one is given. Frees
// the rest of the token chain. On failure the caller frees the records.
ParseStatus parseRelations(Equation& first, int relations, RelationSolver solver = nullptr);

}  // namespace qv
