// Helpers shared by the engine's tests.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>

#include "expr/expr_node.h"
#include "expr/functions.h"

namespace qv::testing {

// A compact prefix form of a tree that shows its exact shape: (+ x 1), (sin x), (neg x), kinds of
// marked powers by their code letter.
inline std::string shape(const ExprNode* n) {
  if (!n) return "_";
  if (n->kind == kind::Value) {
    if (n->var != NoVar) return std::string(1, static_cast<char>(n->var));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.10g", n->value);
    return buf;
  }
  if (n->kind == kind::Call) return std::string("(") + (n->func ? n->func->name : "?") + " " + shape(n->right) + ")";
  if (n->kind == kind::Negate) return "(neg " + shape(n->right) + ")";
  return std::string("(") + static_cast<char>(n->kind) + " " + shape(n->left) + " " + shape(n->right) + ")";
}

// Relative comparison for values computed by the platform's math library.
inline bool nearlyEqual(double a, double b, double rel = 1e-12) {
  if (a == b) return true;
  const double scale = std::fabs(a) > std::fabs(b) ? std::fabs(a) : std::fabs(b);
  return std::fabs(a - b) <= rel * scale;
}

}  // namespace qv::testing
