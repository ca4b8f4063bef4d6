// Turns expression trees back into equation text in the input syntax, so that the program can show
// the equations it makes and the parser can read them again.
#pragma once

#include <string>

#include "expr_node.h"

namespace qv {

// Text longer than this (counted from the buffer start) is not extended by further nodes.
constexpr std::size_t PRINT_LENGTH_GUARD = 321;

// Appends the text of tree to out; `start` is the index in out where the guarded text begins
// (the caller may already have written a prefix such as "y=" that counts towards the guard).
void printExpr(std::string& out, const ExprNode* tree, std::size_t start = 0);
std::string printExpr(const ExprNode* tree);

}  // namespace qv
