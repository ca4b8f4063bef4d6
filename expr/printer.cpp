#include "printer.h"

#include "functions.h"
#include "number_format.h"

namespace qv {

namespace {

std::string numberText(double v) { return formatNumber(v, numfmt::Parseable, 0); }

// A number whose parseable form is itself an operation ("1.2*10^4", "10^-9"): around it the
// parser would regroup, so it needs brackets wherever an operation would.
bool isCompoundNumber(const ExprNode* n) {
  if (!isNumberLeaf(n)) return false;
  const std::string s = numberText(n->value);
  return s.find_first_of("*^") != std::string::npos;
}

bool isAddSub(const ExprNode* n) { return n && (n->kind == kind::Add || n->kind == kind::Sub); }
bool isMulDiv(const ExprNode* n) { return n && (n->kind == kind::Mul || n->kind == kind::Div); }
bool isLeaf(const ExprNode* n) { return n && n->kind == kind::Value; }

bool mulLeftNeedsBrackets(const ExprNode* l) { return isAddSub(l) || (l && l->kind == kind::Call); }

// The base of a power: besides sums, products and calls (which the parser would regroup), a
// power (the parser's "^" is right-associative), a negation ("-x^2" reads as -(x^2)) and a
// compound number need brackets too.
bool powBaseNeedsBrackets(const ExprNode* l) {
  if (!l) return false;
  return isAddSub(l) || isMulDiv(l) || l->kind == kind::Call || isPowerKind(l->kind) ||
         l->kind == kind::Negate || isCompoundNumber(l);
}

bool powExponentNeedsBrackets(const ExprNode* r) { return isAddSub(r) || isMulDiv(r) || isCompoundNumber(r); }

// "-" directly before a number is read back as a negative literal, which binds tighter than "^":
// "-2^x" means (-2)^x. A negated operand whose text starts with such a number (as the base of a
// power, or a number written with "10^") is therefore bracketed.
bool negateNeedsBrackets(const ExprNode* operand) {
  if (isAddSub(operand)) return true;
  const ExprNode* n = operand;
  bool powBase = false;
  while (n && (isMulDiv(n) || isPowerKind(n->kind))) {
    if (isMulDiv(n) ? mulLeftNeedsBrackets(n->left) : powBaseNeedsBrackets(n->left)) return false;
    powBase = isPowerKind(n->kind);
    n = n->left;
  }
  if (!isNumberLeaf(n)) return false;
  if (powBase) return true;
  return numberText(n->value).find('^') != std::string::npos;
}

class Printer {
 public:
  Printer(std::string& out, std::size_t start) : out_(out), start_(start) {}

  // followed: the text of this node is directly followed by "*", "/" or "^", which would extend
  // the argument of a call written without brackets ("sin x*2" is sin(x*2)).
  void node(const ExprNode* n, bool followed) {
    if (stopped_) return;
    if (out_.size() - start_ > PRINT_LENGTH_GUARD) {
      out_ += "...";
      stopped_ = true;
      return;
    }
    if (!n) return;
    switch (n->kind) {
      case kind::Value:
        if (n->var == NoVar)
          out_ += numberText(n->value);
        else
          out_ += static_cast<char>(n->var);
        return;
      case kind::Add:
      case kind::Sub:
        node(n->left, false);
        text(n->kind == kind::Add ? " + " : " - ");
        operand(n->right, isAddSub(n->right), false);
        return;
      case kind::Mul:
      case kind::Div: {
        operand(n->left, mulLeftNeedsBrackets(n->left), true);
        text(n->kind == kind::Mul ? "*" : "/");
        bool brackets = isAddSub(n->right);
        if (n->kind == kind::Div)
          brackets = !(isLeaf(n->right) || (n->right && n->right->kind == kind::Call)) || isCompoundNumber(n->right);
        operand(n->right, brackets, followed);
        return;
      }
      case kind::Pow:
      case kind::PowEvenRoot:
      case kind::PowOddRootEven:
      case kind::PowOddRootOdd:
      case kind::PowBadBase:
        operand(n->left, powBaseNeedsBrackets(n->left), true);
        text("^");
        operand(n->right, powExponentNeedsBrackets(n->right), followed);
        return;
      case kind::Negate:
        text("-");
        operand(n->right, negateNeedsBrackets(n->right), followed);
        return;
      case kind::Call:
        if (followed) text("(");
        text(n->func ? nameOfFunction(n->func->impl) : "?");
        text(" ");
        operand(n->right, !isLeaf(n->right), false);
        if (followed) text(")");
        return;
      default:
        return;  // solver marks (CheckNonNegative, PlusMinus) have no input syntax
    }
  }

 private:
  void text(const char* s) {
    if (!stopped_) out_ += s;
  }
  void operand(const ExprNode* n, bool brackets, bool followed) {
    if (brackets) {
      text("(");
      node(n, false);
      text(")");
    } else {
      node(n, followed);
    }
  }

  std::string& out_;
  std::size_t start_;
  bool stopped_ = false;
};

}  // namespace

void printExpr(std::string& out, const ExprNode* tree, std::size_t start) {
  Printer(out, start).node(tree, false);
}

std::string printExpr(const ExprNode* tree) {
  std::string out;
  printExpr(out, tree, 0);
  return out;
}

}  // namespace qv
