#include "expr/solver.h"

#include <gtest/gtest.h>

#include "expr/derivative.h"
#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/parser.h"
#include "expr/printer.h"
#include "expr/test_util.h"

namespace qv {
namespace {

ExprNode* parse(const char* text) {
  ParseStatus st = 0;
  ExprNode* t = parseExpression(text, st);
  EXPECT_EQ(st, 0) << text;
  return t;
}

struct Solved {
  IsolateResult result;
  std::string side0, side1;
};

Solved solve(const char* left, const char* right, VarCode v) {
  ExprNode* l = parse(left);
  ExprNode* r = parse(right);
  Solved s;
  s.result = isolate(l, r, v);
  s.side0 = testing::shape(l);
  s.side1 = testing::shape(r);
  freeTree(l);
  freeTree(r);
  return s;
}

TEST(Isolate, AppliesTheInverseOfEveryOperator) {
  const struct {
    const char* left;
    const char* right;
    const char* solved;
    bool twoBranches;
  } cases[] = {
      {"2y+1", "x", "(/ (- x 1) 2)", false},
      {"x", "ln y", "(exp x)", false},
      {"y", "1/(x-3)", "(/ 1 (- x 3))", false},
      {"x", "y^2", "(P _ (^ x (/ 1 2)))", true},
      {"abs(y)", "x", "(P _ (A _ x))", true},
      {"sqrt(y)", "x", "(N x 2)", false},
      {"2^y", "x", "(/ (ln x) (ln 2))", false},
      {"y-x", "1", "(+ 1 x)", false},
      {"x-y", "1", "(- x 1)", false},
      {"x/y", "2", "(/ x 2)", false},
      {"-y", "x", "(neg x)", false},
      {"log(y)", "x", "(10^ x)", false},
      {"sin(y)", "x", "(asin x)", false},
      {"acsc(y)", "x", "(csc x)", false},
  };
  for (const auto& c : cases) {
    const Solved s = solve(c.left, c.right, 'y');
    EXPECT_EQ(s.result.status, 0) << c.left << "=" << c.right;
    EXPECT_EQ(s.side0, "y");
    EXPECT_EQ(s.side1, c.solved) << c.left << "=" << c.right;
    EXPECT_EQ(s.result.twoBranches, c.twoBranches) << c.left << "=" << c.right;
  }
}

TEST(Isolate, RootKindsFollowTheMarkedPower) {
  ExprNode* l = parse("x");
  ExprNode* r = parse("y^(1/3)");
  markPowers(r, 'x');
  ASSERT_EQ(r->kind, kind::PowOddRootOdd);
  IsolateResult res = isolate(l, r, 'y');
  EXPECT_EQ(res.status, 0);
  EXPECT_EQ(r->kind, kind::PowOddRootOdd);
  EXPECT_FALSE(res.twoBranches);
  freeTree(l);
  freeTree(r);

  l = parse("x");
  r = parse("y^(2/3)");
  markPowers(r, 'x');
  ASSERT_EQ(r->kind, kind::PowOddRootEven);
  res = isolate(l, r, 'y');
  EXPECT_TRUE(res.twoBranches);
  ASSERT_EQ(r->kind, kind::PlusMinus);
  EXPECT_EQ(r->right->kind, kind::PowEvenRoot);
  freeTree(l);
  freeTree(r);
}

TEST(Isolate, CountsAndMissingInverses) {
  Solved s = solve("y+y", "x", 'y');
  EXPECT_EQ(s.result.status, parse::BadDependentVar);
  EXPECT_EQ(s.result.occurrences, 2);
  EXPECT_EQ(s.side0, "(+ y y)");
  s = solve("x^2", "2", 'y');
  EXPECT_EQ(s.result.status, parse::BadDependentVar);
  EXPECT_EQ(s.result.occurrences, 0);
  s = solve("x", "cosh(y)+1", 'y');
  EXPECT_EQ(s.result.status, parse::NoInverse);
  EXPECT_EQ(s.side0, "(- x 1)");
  EXPECT_EQ(s.side1, "(cosh y)");
}

TEST(Newton, FindsRootsAndReportsFailures) {
  ExprNode* g = parse("2-x-x^2");
  int ds = 0;
  ExprNode* dg = simplify(differentiate(copyTree(g), 'x', ds));
  resetVariables();
  EvalStatus st = 0;
  const double root = newton(g, dg, 'x', 8, 16e-50, st);
  EXPECT_EQ(st, 0);
  EXPECT_TRUE(testing::nearlyEqual(root, 1.0));
  freeTree(g);
  freeTree(dg);

  g = parse("x^2+1");
  dg = parse("2x");
  newton(g, dg, 'x', 8, 1e-12, st);
  EXPECT_TRUE(st & evalerr::LostAccuracy);
  freeTree(g);
  freeTree(dg);

  g = parse("x+3");
  dg = parse("0*x");
  newton(g, dg, 'x', 8, 1e-12, st);
  EXPECT_TRUE(st & evalerr::DivideByZero);
  freeTree(g);
  freeTree(dg);

  g = parse("y+x");
  dg = parse("1");
  resetVariables();
  newton(g, dg, 'x', 8, 1e-12, st);
  EXPECT_EQ(st, evalerr::UndefinedVariable);
  freeTree(g);
  freeTree(dg);
}

TEST(OneSide, PeelsTheLeftChain) {
  ExprNode* f = bringToOneSide(parse("x^2+x-3"), parse("2"));
  EXPECT_EQ(printExpr(f), "2 + 3 - x - x^2");
  freeTree(f);
  f = bringToOneSide(parse("-x"), parse("y"));
  EXPECT_EQ(printExpr(f), "y + x");
  freeTree(f);
}

TEST(PlusMinus, SplitsIntoTwoBranches) {
  ExprNode* t = makeNode();
  t->kind = kind::PlusMinus;
  t->right = parse("x^2");
  ExprNode* neg = resolvePlusMinus(copyTree(t), true);
  ExprNode* pos = resolvePlusMinus(t, false);
  EXPECT_EQ(printExpr(neg), "-x^2");
  EXPECT_EQ(printExpr(pos), "x^2");
  freeTree(neg);
  freeTree(pos);
}

}  // namespace
}  // namespace qv
