// Recursive-descent parser over the token chain. The parser state is process-wide and not
// re-entrant: one line is parsed at a time, on the user-interface thread.
#pragma once

#include <cstdint>
#include <string>

#include "expr_node.h"
#include "status.h"

namespace qv {

// --- Whole-text operations ---

// Parses one expression. Leftover tokens give BadSyntax, no tree gives BlankSide; on any error the
// tree is freed and nullptr returned. The text is lower-cased in place up to its comment.
ExprNode* parseExpression(std::string& text, ParseStatus& status);
ExprNode* parseExpression(const char* text, ParseStatus& status);

// Parses and evaluates a constant. status: 0 success, CONSTANT_TEXT_BLANK when the text holds no
// tokens, CONSTANT_TEXT_UNPARSED when it does not parse, otherwise the EvalStatus of the evaluation.
// Failures return UNDEFINED_VALUE.
double evaluateConstantText(const char* text, std::uint16_t& status);

struct PreScanResult {
  int order;  // >0: order of a single differential equation; <0: minus the number of equations
  ParseStatus status;
};
// Reads the expressions of a line, separated by relation signs and ";", without building anything.
PreScanResult preScan(const char* text);

// Marks the fractional and discontinuous powers of tree for the independent variable indep.
// Returns DiscontinuousPower when a PowBadBase was made.
ParseStatus markPowers(ExprNode* tree, VarCode indep);

// --- Step-by-step access for relation parsing ---

// Lower-cases text in place up to its first apostrophe and tokenizes it. A tokenizer status is
// returned after freeing the chain; otherwise the parser is positioned on the first token.
ParseStatus parserBegin(std::string& text);
// Clears status, usage, derivative order and the uses-int flag.
void parserReset();
// Parses one expression at the current token; nullptr when there is none (status then says why).
ExprNode* parserExpression();
// Kind of the current token as the grammar sees it: 'N' number, 'V' variable, 0 at the end.
std::uint8_t parserLookahead();
void parserConsume();
// Frees the rest of the token chain.
void parserEnd();
int parserCountTokens(std::uint8_t tokenKind);

ParseStatus& parserStatus();
UsageFlags parserUsage();
std::int8_t parserOrder();
bool parserUsesInt();

}  // namespace qv
