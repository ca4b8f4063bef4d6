#include "derivative.h"

#include "evaluator.h"
#include "functions.h"

namespace qv {

namespace {

constexpr double LOG10_E = 0.4342944819033;

const FunctionInfo* row(const char* name) { return canonicalFunction(findFunctionByName(name)); }

ExprNode* num(double v) { return makeConstant(v); }
ExprNode* op(std::uint8_t k, ExprNode* l, ExprNode* r) { return makeOperator(k, l, r); }
ExprNode* call(const char* name, ExprNode* arg) {
  ExprNode* n = op(kind::Call, nullptr, arg);
  if (n) n->func = row(name);
  return n;
}
ExprNode* negate(ExprNode* x) { return op(kind::Negate, nullptr, x); }
ExprNode* square(ExprNode* x) { return op(kind::Pow, x, num(2)); }

bool isOne(const ExprNode* n) { return isNumberLeaf(n) && n->value == 1.0; }

// factor × g′, where a derivative that is the constant 1 multiplies nothing.
ExprNode* times(ExprNode* factor, ExprNode* derivative) {
  if (isOne(derivative)) {
    freeTree(derivative);
    return factor;
  }
  return op(kind::Mul, factor, derivative);
}

bool isFunction(const ExprNode* n, const char* name) { return n->func && n->func == row(name); }

ExprNode* diff(ExprNode* n, VarCode v, int& status);

ExprNode* diffCopy(const ExprNode* n, VarCode v, int& status) { return diff(copyTree(n), v, status); }

// Lowers the exponent of a power whose base holds the variable; may replace the power by its base.
ExprNode* lowerPower(ExprNode* p) {
  ExprNode* e = p->right;
  if (isNumberLeaf(e) && e->value != 0.0) {
    e->value -= 1.0;
    if (e->value == 1.0) {
      ExprNode* base = p->left;
      p->left = nullptr;
      freeTree(p);
      return base;
    }
    return p;
  }
  if (p->kind == kind::PowOddRootEven)
    p->kind = kind::PowOddRootOdd;
  else if (p->kind == kind::PowOddRootOdd)
    p->kind = kind::PowOddRootEven;
  if (e && e->kind == kind::Div && isNumberLeaf(e->left)) {
    EvalStatus st = 0;
    const double q = evaluate(e->right, st);
    if (st == 0) {
      e->left->value -= q;
      return p;
    }
  }
  p->right = op(kind::Sub, e, num(1));
  return p;
}

ExprNode* diffPower(ExprNode* n, VarCode v, int& status);

ExprNode* diffCall(ExprNode* n, VarCode v, int& status) {
  ExprNode* w = n->right;
  if (!w) {
    status = NOT_DIFFERENTIABLE;
    return n;
  }
  ExprNode* inner = diffCopy(w, v, status);
  ExprNode* outer = nullptr;
  if (isFunction(n, "exp")) {
    outer = n;
  } else if (isFunction(n, "ln")) {
    n->right = nullptr;
    freeTree(n);
    outer = op(kind::Div, num(1), w);
  } else if (isFunction(n, "log")) {
    n->right = nullptr;
    freeTree(n);
    outer = op(kind::Div, num(LOG10_E), w);
  } else if (isFunction(n, "sqrt")) {
    outer = op(kind::Div, num(0.5), n);
  } else if (isFunction(n, "sin")) {
    n->func = row("cos");
    outer = n;
  } else if (isFunction(n, "cos")) {
    n->func = row("sin");
    outer = negate(n);
  } else if (isFunction(n, "tan")) {
    n->func = row("sec");
    outer = square(n);
  } else if (isFunction(n, "cot")) {
    n->func = row("csc");
    outer = negate(square(n));
  } else if (isFunction(n, "sec")) {
    outer = op(kind::Mul, n, call("tan", copyTree(w)));
  } else if (isFunction(n, "csc")) {
    outer = negate(op(kind::Mul, n, call("cot", copyTree(w))));
  } else if (isFunction(n, "asin") || isFunction(n, "acos")) {
    const double sign = isFunction(n, "acos") ? -1.0 : 1.0;
    n->right = nullptr;
    freeTree(n);
    outer = op(kind::Div, num(sign), call("sqrt", op(kind::Sub, num(1), square(w))));
  } else if (isFunction(n, "atan") || isFunction(n, "acot")) {
    const double sign = isFunction(n, "acot") ? -1.0 : 1.0;
    n->right = nullptr;
    freeTree(n);
    outer = op(kind::Div, num(sign), op(kind::Add, num(1), square(w)));
  } else if (isFunction(n, "asec") || isFunction(n, "acsc")) {
    const double sign = isFunction(n, "acsc") ? -1.0 : 1.0;
    n->right = nullptr;
    freeTree(n);
    ExprNode* root = call("sqrt", op(kind::Sub, square(copyTree(w)), num(1)));
    outer = op(kind::Div, num(sign), op(kind::Mul, call("abs", w), root));
  } else if (isFunction(n, "sinh")) {
    n->func = row("cosh");
    outer = n;
  } else if (isFunction(n, "cosh")) {
    n->func = row("sinh");
    outer = n;
  } else {
    // abs, square, tanh, 10^, int, gamma, gammaln
    status = NOT_DIFFERENTIABLE;
    freeTree(inner);
    return n;
  }
  return times(outer, inner);
}

ExprNode* diff(ExprNode* n, VarCode v, int& status) {
  if (!n) return num(0);
  if (!containsVariable(n->left, v) && !containsVariable(n->right, v)) {
    const bool self = isVariableLeaf(n, v);
    freeTree(n);
    return num(self ? 1 : 0);
  }
  ExprNode* u = n->left;
  ExprNode* w = n->right;
  const bool inU = containsVariable(u, v);
  const bool inW = containsVariable(w, v);
  switch (n->kind) {
    case kind::Add:
    case kind::Sub:
      if (!inU) {
        const bool sub = n->kind == kind::Sub;
        n->right = nullptr;
        freeTree(n);
        ExprNode* d = diff(w, v, status);
        return sub ? negate(d) : d;
      }
      if (!inW) {
        n->left = nullptr;
        freeTree(n);
        return diff(u, v, status);
      }
      n->left = diff(u, v, status);
      n->right = diff(w, v, status);
      return n;
    case kind::Mul:
      n->left = n->right = nullptr;
      freeTree(n);
      if (!inU) return times(u, diff(w, v, status));
      if (!inW) return times(diff(u, v, status), w);
      {
        ExprNode* du = diffCopy(u, v, status);
        ExprNode* dw = diffCopy(w, v, status);
        return op(kind::Add, times(u, dw), times(w, du));
      }
    case kind::Div:
      if (!inW) {
        n->left = diff(u, v, status);
        return n;
      }
      {
        n->left = n->right = nullptr;
        freeTree(n);
        ExprNode* numerator;
        if (!inU) {
          numerator = times(negate(u), diffCopy(w, v, status));
        } else {
          ExprNode* du = diffCopy(u, v, status);
          ExprNode* dw = diffCopy(w, v, status);
          numerator = op(kind::Sub, times(copyTree(w), du), times(u, dw));
        }
        ExprNode* denominator;
        if (isPowerKind(w->kind)) {
          w->right = op(kind::Mul, num(2), w->right);
          // The square of an odd root is an even power: its sign no longer follows the base.
          if (w->kind == kind::PowOddRootOdd) w->kind = kind::PowOddRootEven;
          denominator = w;
        } else {
          denominator = square(w);
        }
        return op(kind::Div, numerator, denominator);
      }
    case kind::Negate:
      n->right = diff(w, v, status);
      return n;
    case kind::CheckNonNegative:
      status = NOT_DIFFERENTIABLE;
      return n;
    case kind::Pow:
    case kind::PowEvenRoot:
    case kind::PowOddRootEven:
    case kind::PowOddRootOdd:
    case kind::PowBadBase:
      return diffPower(n, v, status);
    case kind::Call:
      return diffCall(n, v, status);
    default:
      return n;  // PlusMinus and other marks pass through
  }
}

ExprNode* diffPower(ExprNode* n, VarCode v, int& status) {
  ExprNode* u = n->left;
  ExprNode* w = n->right;
  const bool inU = containsVariable(u, v);
  const bool inW = containsVariable(w, v);
  if (inU && !inW) {
    ExprNode* coefficient = copyTree(w);
    ExprNode* du = diffCopy(u, v, status);
    return times(op(kind::Mul, coefficient, lowerPower(n)), du);
  }
  if (!inU) {
    ExprNode* dw = isVariableLeaf(w, v) ? num(1) : diffCopy(w, v, status);
    return times(op(kind::Mul, n, call("ln", copyTree(u))), dw);
  }
  ExprNode* inner = op(kind::Mul, copyTree(w), call("ln", copyTree(u)));
  return times(n, diff(inner, v, status));
}

// Removes the numeric constants from the `op` chain starting at slot and returns their sum or
// product; variable leaves are no numbers.
double foldConstants(ExprNode*& slot, std::uint8_t opKind) {
  const double identity = opKind == kind::Add ? 0.0 : 1.0;
  ExprNode* n = slot;
  if (!n) return identity;
  if (isNumberLeaf(n)) {
    const double value = n->value;
    freeTree(n);
    slot = nullptr;
    return value;
  }
  if (n->kind == kind::Negate) {
    const double c = foldConstants(n->right, opKind);
    if (opKind == kind::Mul || !n->right) {
      slot = n->right;
      n->right = nullptr;
      freeTree(n);
    }
    return -c;
  }
  if (n->kind != opKind) return identity;
  const double a = foldConstants(n->left, opKind);
  const double b = foldConstants(n->right, opKind);
  if (!n->left || !n->right) {
    slot = n->left ? n->left : n->right;
    n->left = n->right = nullptr;
    freeTree(n);
  }
  return opKind == kind::Add ? a + b : a * b;
}

ExprNode* simplifyIn(ExprNode* n, std::uint8_t k) {
  if (!n || n->kind == kind::Value) return n;
  const bool chainKind = n->kind == kind::Add || n->kind == kind::Mul;
  if (n->kind != k && (k != kind::Value || !chainKind)) {
    n->left = simplifyIn(n->left, k);
    n->right = simplifyIn(n->right, k);
    return n;
  }
  const std::uint8_t opKind = n->kind;
  const std::uint8_t other = opKind == kind::Add ? kind::Mul : kind::Add;
  n->left = simplifyIn(n->left, other);
  n->right = simplifyIn(n->right, other);
  ExprNode* rest = n;
  const double c = foldConstants(rest, opKind);
  if (!rest) return num(c);
  if (opKind == kind::Add) return c == 0.0 ? rest : op(kind::Add, num(c), rest);
  if (c == 1.0) return rest;
  if (rest->kind == kind::Negate) {
    if (c == -1.0) {
      ExprNode* operand = rest->right;
      rest->right = nullptr;
      freeTree(rest);
      return operand;
    }
    ExprNode* operand = rest->right;
    rest->right = nullptr;
    freeTree(rest);
    return op(kind::Mul, num(-c), operand);
  }
  if (c == -1.0) return negate(rest);
  return op(kind::Mul, num(c), rest);
}

}  // namespace

ExprNode* simplify(ExprNode* tree) { return simplifyIn(tree, kind::Value); }

ExprNode* differentiate(ExprNode* tree, VarCode v, int& status) { return diff(tree, v, status); }

}  // namespace qv
