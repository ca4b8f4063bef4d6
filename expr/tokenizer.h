// Turns one input line into a chain of ExprNode tokens with implied multiplication inserted.
#pragma once

#include "expr_node.h"
#include "status.h"

namespace qv {

// Returns the first token of the chain (nullptr for a line without tokens) and adds UnknownName,
// BadCharacter, OutOfMemory or BadSyntax (text longer than MAX_PARSED_TEXT before its comment) to
// status. The text is expected in lower case. On memory exhaustion the chain built so far is
// returned.
ExprNode* tokenize(const char* text, ParseStatus& status);

// Reads a number literal at text[pos] (an optional "-" and spaces, digits, an optional "." and
// digits; there is no exponent notation) and advances pos. A "-" that is not followed by a number
// is consumed with its spaces and UNDEFINED_VALUE returned.
double readNumber(const char* text, int& pos);

}  // namespace qv
