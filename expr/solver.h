// Isolating one variable of a relation by inverse operations, and Newton's iteration.
#pragma once

#include "expr_node.h"
#include "status.h"

namespace qv {

struct IsolateResult {
  ParseStatus status = 0;    // 0, BadDependentVar or NoInverse
  int occurrences = 0;       // how often the variable occurs in both sides
  bool twoBranches = false;  // a PlusMinus was made (abs() or an even power was inverted)
};

// Solves side0 = side1 for v. On success side0 is the leaf of v and side1 the solved expression
// (possibly holding PlusMinus marks). When v does not occur exactly once, both sides are left
// unchanged (BadDependentVar). On NoInverse the sides hold the partly rewritten relation.
IsolateResult isolate(ExprNode*& side0, ExprNode*& side1, VarCode v);

// Moves every term of the left side to the right: returns right - left, built by peeling the
// top-level sums, differences and negations of the left side off one by one. Consumes both.
ExprNode* bringToOneSide(ExprNode* left, ExprNode* right);

// Newton's iteration on g with derivative dg for variable v from x0, until a step is at most tol.
// status gets the evaluation's error bits, DivideByZero or Overflow for a useless slope, and
// LostAccuracy when the steps stop shrinking or 100 steps were not enough. Returns the last x.
double newton(const ExprNode* g, const ExprNode* dg, VarCode v, double x0, double tol, EvalStatus& status);

// Replaces every PlusMinus mark by a negation (negativeBranch) or by its operand.
ExprNode* resolvePlusMinus(ExprNode* tree, bool negativeBranch);

}  // namespace qv
