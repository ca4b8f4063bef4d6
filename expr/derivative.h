// Symbolic differentiation of expression trees and folding of numeric constants.
#pragma once

#include "expr_node.h"

namespace qv {

// Status set when a tree holds something that cannot be differentiated.
constexpr int NOT_DIFFERENTIABLE = 4;

// Differentiates tree with respect to v. Consumes tree (its nodes are reused or freed): pass a copy
// when the tree is still needed. Sets status to NOT_DIFFERENTIABLE when the tree holds something
// without a derivative; the returned tree is then not usable (but still owned by the caller).
ExprNode* differentiate(ExprNode* tree, VarCode v, int& status);

// Folds the numeric constants of sum and product chains. Consumes tree and returns the result.
ExprNode* simplify(ExprNode* tree);

}  // namespace qv
