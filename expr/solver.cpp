#include "solver.h"

#include <cmath>

#include "evaluator.h"
#include "functions.h"

namespace qv {

namespace {

constexpr double TINY_SLOPE = 1e-99;
constexpr double HUGE_SLOPE = 1e20;
constexpr int MAX_NEWTON_STEPS = 100;

ExprNode* op(std::uint8_t k, ExprNode* l, ExprNode* r, const FunctionInfo* func = nullptr) {
  return makeOperator(k, l, r, func);
}

// Occurrences without the byte counter's wrap-around: a long line can hold hundreds of leaves.
int occurrences(const ExprNode* n, VarCode v) {
  if (!n) return 0;
  if (n->kind == kind::Value) return n->var == v ? 1 : 0;
  return occurrences(n->left, v) + occurrences(n->right, v);
}

}  // namespace

IsolateResult isolate(ExprNode*& side0, ExprNode*& side1, VarCode v) {
  IsolateResult result;
  const int left = occurrences(side0, v);
  const int right = occurrences(side1, v);
  result.occurrences = left + right;
  if (result.occurrences != 1) {
    result.status = parse::BadDependentVar;
    return result;
  }
  const bool inLeft = left == 1;
  ExprNode* s = inLeft ? side0 : side1;
  ExprNode* o = inLeft ? side1 : side0;
  while (!isVariableLeaf(s, v) && s) {
    ExprNode* n = s;
    const bool oneOperand = n->kind == kind::Call || n->kind == kind::Negate ||
                            n->kind == kind::CheckNonNegative || n->kind == kind::PlusMinus;
    const bool vLeft = !oneOperand && occurrences(n->left, v) == 1;
    ExprNode* a = vLeft ? n->left : n->right;
    ExprNode* k = oneOperand ? nullptr : (vLeft ? n->right : n->left);
    bool stop = false;
    switch (n->kind) {
      case kind::Add:
        o = op(kind::Sub, o, k);
        break;
      case kind::Sub:
        o = vLeft ? op(kind::Add, o, k) : op(kind::Sub, k, o);
        break;
      case kind::Mul:
        o = op(kind::Div, o, k);
        break;
      case kind::Div:
        o = vLeft ? op(kind::Mul, o, k) : op(kind::Div, k, o);
        break;
      case kind::Pow:
      case kind::PowEvenRoot:
      case kind::PowOddRootEven:
      case kind::PowOddRootOdd:
      case kind::PowBadBase:
        if (vLeft) {
          const bool evenRoot = n->kind == kind::PowOddRootEven;
          const bool evenPower = isNumberLeaf(k) && isNonzeroEvenInteger(k->value);
          o = op(evenRoot ? kind::PowEvenRoot : n->kind, o, op(kind::Div, makeConstant(1), k));
          if (evenPower || evenRoot) {
            o = op(kind::PlusMinus, nullptr, o);
            result.twoBranches = true;
          }
        } else {
          const FunctionInfo* ln = canonicalFunction(findFunctionByName("ln"));
          o = op(kind::Div, op(kind::Call, nullptr, o, ln), op(kind::Call, nullptr, k, ln));
        }
        break;
      case kind::Call:
        if (n->func == fn::abs) {
          o = op(kind::PlusMinus, nullptr, op(kind::CheckNonNegative, nullptr, o));
          result.twoBranches = true;
        } else if (n->func == fn::sqrt) {
          o = op(kind::PowEvenRoot, o, makeConstant(2));
        } else if (const FunctionInfo* inverse = n->func ? inverseOfFunction(n->func->impl) : nullptr) {
          o = op(kind::Call, nullptr, o, canonicalFunction(inverse));
        } else {
          result.status = parse::NoInverse;
          stop = true;
        }
        break;
      case kind::Negate:
        o = op(kind::Negate, nullptr, o);
        break;
      default:
        break;
    }
    if (stop) break;
    n->left = n->right = nullptr;
    freeTree(n);
    s = a;
  }
  if (result.status) {
    // Partly rewritten: each side keeps what it holds, so that freeing the record frees all.
    (inLeft ? side0 : side1) = s;
    (inLeft ? side1 : side0) = o;
    return result;
  }
  side0 = s;
  side1 = o;
  return result;
}

ExprNode* bringToOneSide(ExprNode* left, ExprNode* right) {
  while (left) {
    if (left->kind == kind::Add || left->kind == kind::Sub) {
      right = op(left->kind == kind::Add ? kind::Sub : kind::Add, right, left->right);
      ExprNode* rest = left->left;
      left->left = left->right = nullptr;
      freeTree(left);
      left = rest;
    } else if (left->kind == kind::Negate) {
      right = op(kind::Add, right, left->right);
      left->right = nullptr;
      freeTree(left);
      left = nullptr;
    } else {
      right = op(kind::Sub, right, left);
      left = nullptr;
    }
  }
  return right;
}

double newton(const ExprNode* g, const ExprNode* dg, VarCode v, double x0, double tol, EvalStatus& status) {
  status = 0;
  double x = x0;
  double previous = 0.0;
  for (int count = 1;; ++count) {
    g_variables.set(v, x);
    const double gx = evaluate(g, status);
    if (status) return x;
    const double slope = evaluate(dg, status);
    if (status) return x;
    if (std::fabs(slope) < TINY_SLOPE) status |= evalerr::DivideByZero;
    if (std::fabs(slope) > HUGE_SLOPE) status |= evalerr::Overflow;
    if (status) return x;
    const double next = x - gx / slope;
    const double d = std::fabs(next - x);
    x = next;
    // A NaN step can never shrink below the tolerance: it counts as lost accuracy too.
    if (count > MAX_NEWTON_STEPS || (count > 2 && d > previous) || std::isnan(d)) {
      status |= evalerr::LostAccuracy;
      return x;
    }
    if (d <= tol) return x;
    previous = d;
  }
}

ExprNode* resolvePlusMinus(ExprNode* tree, bool negativeBranch) {
  if (!tree) return nullptr;
  tree->left = resolvePlusMinus(tree->left, negativeBranch);
  tree->right = resolvePlusMinus(tree->right, negativeBranch);
  if (tree->kind != kind::PlusMinus) return tree;
  if (negativeBranch) {
    tree->kind = kind::Negate;
    return tree;
  }
  ExprNode* operand = tree->right;
  tree->right = nullptr;
  freeTree(tree);
  return operand;
}

}  // namespace qv
