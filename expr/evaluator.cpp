#include "evaluator.h"

#include <cmath>

#include "functions.h"

namespace qv {

namespace {

EvalStatus* g_inProgress = nullptr;
bool g_trapped = false;
TrapRecovery g_trapRecovery = nullptr;

inline bool isInfinite(double r) { return std::fabs(r) == UNDEFINED_VALUE; }

double evalNode(const ExprNode* n, EvalStatus& st);

// Leaves are most of every tree: they are read here without a call.
inline double evalOperand(const ExprNode* n, EvalStatus& st) {
  if (st) return 0.0;
  if (n && n->kind == kind::Value) {
    if (n->var == NoVar) return n->value;
    const double v = VariableStore::hasSlot(n->var) ? g_variables.get(n->var) : UNDEFINED_VALUE;
    if (v == UNDEFINED_VALUE) {
      st = evalerr::UndefinedVariable;
      return 0.0;
    }
    return v;
  }
  return evalNode(n, st);
}

// pow for the exponents that occur most, with the library's results: a square is exactly the
// correctly rounded product.
inline double power(double b, double x) {
  if (x == 2.0) return b * b;
  if (x == 1.0) return b;
  return std::pow(b, x);
}

double evalPower(const ExprNode* n, EvalStatus& st) {
  const double b = evalOperand(n->left, st);
  const double x = evalOperand(n->right, st);
  if (st) return 0.0;
  double r;
  if (b >= 0.0) {
    r = power(b, x);
  } else if (n->kind == kind::PowEvenRoot) {
    st |= evalerr::NegativeRoot;
    return 0.0;
  } else if (x == std::floor(x)) {
    r = power(b, x);
  } else if (n->kind == kind::PowOddRootEven || n->kind == kind::PowOddRootOdd) {
    const double q = std::pow(-b, x);
    if (isInfinite(q)) {
      st |= evalerr::Overflow;
      return 0.0;
    }
    return n->kind == kind::PowOddRootEven ? q : -q;
  } else {
    // Plain powers and any other power mark: a negative base needs an integer exponent. (A NaN
    // base or exponent is not "negative" and went through pow above.)
    st |= evalerr::NegativeRoot;
    return 0.0;
  }
  if (isInfinite(r)) {
    st |= evalerr::Overflow;
    return 0.0;
  }
  return r;
}

double evalCall(const ExprNode* n, EvalStatus& st) {
  if (!n->right || !n->func) {
    st = evalerr::BadNode;
    return 0.0;
  }
  const double a = evalOperand(n->right, st);
  if (st) return 0.0;
  switch (n->func->check) {
    case DomainCheck::None:
      break;
    case DomainCheck::NonNegative:
      if (a < 0.0) {
        st |= evalerr::NegativeRoot;
        return 0.0;
      }
      break;
    case DomainCheck::Positive:
      if (a <= 0.0) {
        st |= evalerr::LogDomain;
        return 0.0;
      }
      break;
    case DomainCheck::UnitInterval:
      if (a < -1.0 || a > 1.0) {
        st |= evalerr::DomainError;
        return 0.0;
      }
      break;
    case DomainCheck::OutsideUnitOpen:
      if (a > -1.0 && a < 1.0) {
        st |= evalerr::DomainError;
        return 0.0;
      }
      break;
  }
  const double r = n->func->impl(a);
  if (isInfinite(r)) {
    st |= evalerr::Overflow;
    return 0.0;
  }
  return r;
}

double evalNode(const ExprNode* n, EvalStatus& st) {
  if (st) return 0.0;
  if (!n) {
    st = evalerr::BadNode;
    return 0.0;
  }
  switch (n->kind) {
    case kind::Value: {
      if (n->var == NoVar) return n->value;
      const double v = VariableStore::hasSlot(n->var) ? g_variables.get(n->var) : UNDEFINED_VALUE;
      if (v == UNDEFINED_VALUE) {
        st = evalerr::UndefinedVariable;
        return 0.0;
      }
      return v;
    }
    case kind::Add: {
      const double l = evalOperand(n->left, st);
      return l + evalOperand(n->right, st);
    }
    case kind::Sub: {
      const double l = evalOperand(n->left, st);
      return l - evalOperand(n->right, st);
    }
    case kind::Mul: {
      const double l = evalOperand(n->left, st);
      return l * evalOperand(n->right, st);
    }
    case kind::Div: {
      const double d = evalOperand(n->right, st);
      if (st) return 0.0;
      if (d == 0.0) {
        st |= evalerr::DivideByZero;
        return 0.0;
      }
      return evalOperand(n->left, st) / d;
    }
    case kind::Negate:
      return -evalOperand(n->right, st);
    case kind::CheckNonNegative: {
      const double v = evalOperand(n->right, st);
      if (!st && v < 0.0) st |= evalerr::AbsInverseNegative;
      return v;
    }
    case kind::Pow:
    case kind::PowEvenRoot:
    case kind::PowOddRootEven:
    case kind::PowOddRootOdd:
      return evalPower(n, st);
    case kind::Call:
      return evalCall(n, st);
    default:
      st = evalerr::BadNode;
      return 0.0;
  }
}

}  // namespace

double evaluate(const ExprNode* tree, EvalStatus& status) {
  EvalScope scope(status);
  return evalNode(tree, status);
}

EvalScope::EvalScope(EvalStatus& status) : previous_(g_inProgress) { g_inProgress = &status; }

EvalScope::~EvalScope() {
  g_inProgress = previous_;
  if (g_trapped && !g_inProgress) {
    g_trapped = false;
    if (g_trapRecovery) g_trapRecovery();
  }
}

EvalStatus* evalStatusInProgress() { return g_inProgress; }

void raiseTrapInEvaluation(EvalStatus bits) {
  if (!g_inProgress) return;
  // A word that is still zero after the trap would let the walk carry on as if nothing happened.
  *g_inProgress |= bits ? bits : evalerr::Underflow;
  g_trapped = true;
}

void setTrapRecovery(TrapRecovery recovery) { g_trapRecovery = recovery; }

}  // namespace qv
