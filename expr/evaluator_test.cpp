#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/parser.h"
#include "expr/test_util.h"

namespace qv {
namespace {

struct EvalCase {
  const char* text;
  double x;
  double expected;  // ignored when status is nonzero
  EvalStatus status;
};

void checkCases(const EvalCase* cases, std::size_t n, bool mark) {
  for (std::size_t i = 0; i < n; ++i) {
    const EvalCase& c = cases[i];
    resetVariables();
    g_variables.set('x', c.x);
    ParseStatus ps = 0;
    ExprNode* tree = parseExpression(c.text, ps);
    ASSERT_EQ(ps, 0) << c.text;
    if (mark) markPowers(tree, 'x');
    EvalStatus st = 0;
    const double v = evaluate(tree, st);
    EXPECT_EQ(st, c.status) << c.text << " at x=" << c.x;
    if (c.status == 0) {
      EXPECT_TRUE(testing::nearlyEqual(v, c.expected)) << c.text << " at x=" << c.x << " gave " << v;
    }
    freeTree(tree);
  }
}

TEST(Evaluator, ComputesValues) {
  const EvalCase cases[] = {
      {"x^2-3", 2, 1, 0},
      {"-2^2", 0, 4, 0},
      {"-x^2", 3, -9, 0},
      {"2^3^2", 0, 512, 0},
      {"(-2)^3", 0, -8, 0},
      {"1e5", 0, 2.718281828 * 5, 0},
      {"sin(30d)", 0, std::sin(30 * 0.01745329252), 0},
      {"theta", 0, 0, evalerr::UndefinedVariable},
      {"pi", 0, 3.1415926536, 0},
      {"sqrt(x)+sqr(x)", 4, 4, 0},
      {"square(x)", -3, 9, 0},
      {"int(x)", -2.5, -3, 0},
      {"10^x", 2, 100, 0},
      {"gamma(x)", 5, 24, 0},
      {"gammaln(x)", 3, std::log(2.0), 0},
      {"acsc(x)", 1, std::asin(1.0), 0},
      {"asec(x)", -1, std::acos(-1.0), 0},
      {"tan(x)", 1, std::sin(1.0) / std::cos(1.0), 0},
      {"abs(x)", -2, 2, 0},
      {"cosh(x)+sinh(x)", 1, std::exp(1.0), 0},
      {"atan(x)+acot(x)", 2, std::atan(2.0) + std::atan(0.5), 0},
      {"x/4", 2, 0.5, 0},
  };
  checkCases(cases, std::size(cases), false);
}

TEST(Evaluator, RaisesEachErrorBit) {
  const EvalCase cases[] = {
      {"1/x", 0, 0, evalerr::DivideByZero},
      {"1/(x-x)", 5, 0, evalerr::DivideByZero},
      {"exp(x)", 1000, 0, evalerr::Overflow},
      {"10^x", 400, 0, evalerr::Overflow},
      {"x^x", 400, 0, evalerr::Overflow},
      {"cot(x)", 0, 0, evalerr::Overflow},
      {"csc(x)", 0, 0, evalerr::Overflow},
      {"acot(x)", 0, 0, evalerr::Overflow},
      {"gamma(x)", 200, 0, evalerr::Overflow},
      {"cosh(x)", 1000, 0, evalerr::Overflow},
      {"sqrt(x)", -1, 0, evalerr::NegativeRoot},
      {"x^0.5", -4, 0, evalerr::NegativeRoot},
      {"x^(1/3)", -8, 0, evalerr::NegativeRoot},  // plain power, not marked
      {"ln(x)", 0, 0, evalerr::LogDomain},
      {"log(x)", -1, 0, evalerr::LogDomain},
      {"gamma(x)", -0.5, 0, evalerr::LogDomain},
      {"gammaln(x)", 0, 0, evalerr::LogDomain},
      {"asin(x)", 1.5, 0, evalerr::DomainError},
      {"acos(x)", -1.0001, 0, evalerr::DomainError},
      {"acsc(x)", 0.5, 0, evalerr::DomainError},
      {"asec(x)", -0.5, 0, evalerr::DomainError},
      {"a*x", 1, 0, evalerr::UndefinedVariable},
      {"dy", 1, 0, evalerr::UndefinedVariable},
  };
  checkCases(cases, std::size(cases), false);
}

TEST(Evaluator, FirstFailureStopsTheWalk) {
  const EvalCase cases[] = {
      {"1/0+a", 0, 0, evalerr::DivideByZero},
      {"a+1/0", 0, 0, evalerr::UndefinedVariable},
      {"ln(0)*sqrt(-1)", 0, 0, evalerr::LogDomain},
      {"ln(1/x)", 0, 0, evalerr::DivideByZero},
      {"1/sqrt(x)", -1, 0, evalerr::NegativeRoot},
      {"sqrt(x)/0", -1, 0, evalerr::DivideByZero},  // the divisor is evaluated first
  };
  checkCases(cases, std::size(cases), false);
}

TEST(Evaluator, PowerKindsTreatNegativeBases) {
  struct Case { std::uint8_t k; double b; double x; double expected; EvalStatus status; };
  const Case cases[] = {
      {kind::Pow, -8, 1.0 / 3, 0, evalerr::NegativeRoot},
      {kind::PowOddRootOdd, -8, 1.0 / 3, -2, 0},
      {kind::PowOddRootEven, -8, 2.0 / 3, 4, 0},
      {kind::PowEvenRoot, -8, 2, 0, evalerr::NegativeRoot},
      {kind::Pow, -2, 3, -8, 0},
      {kind::PowOddRootEven, -2, 3, -8, 0},
      {kind::PowOddRootOdd, -2, 3, -8, 0},
      {kind::PowOddRootOdd, -10, 400.5, 0, evalerr::Overflow},
      {kind::PowEvenRoot, 4, 0.5, 2, 0},
  };
  resetVariables();
  for (const Case& c : cases) {
    ExprNode* tree = combine(makeConstant(c.b), makeConstant(c.x), c.k);
    EvalStatus st = 0;
    const double v = evaluate(tree, st);
    EXPECT_EQ(st, c.status) << c.k << " " << c.b << "^" << c.x;
    if (!c.status) {
      EXPECT_TRUE(testing::nearlyEqual(v, c.expected)) << c.k << " " << c.b << "^" << c.x << " gave " << v;
    }
    freeTree(tree);
  }
}

TEST(Evaluator, SpecialNodes) {
  resetVariables();
  // A solved abs() inverse still yields its (negative) value but flags it.
  ExprNode* check = combine(nullptr, makeConstant(-2), kind::CheckNonNegative);
  EvalStatus st = 0;
  EXPECT_EQ(evaluate(check, st), -2);
  EXPECT_EQ(st, evalerr::AbsInverseNegative);
  freeTree(check);

  // A PlusMinus left in a tree, a Call without argument and the transient bad-base mark are bad nodes.
  ExprNode* plusMinus = combine(nullptr, makeConstant(1), kind::PlusMinus);
  st = evalerr::DivideByZero;
  evaluate(plusMinus, st);
  EXPECT_EQ(st, evalerr::DivideByZero);  // a failed word stops at once
  st = 0;
  evaluate(plusMinus, st);
  EXPECT_EQ(st, evalerr::BadNode);
  freeTree(plusMinus);

  ExprNode* call = makeNode();
  call->kind = kind::Call;
  call->func = fn::sqrt;
  st = 0;
  evaluate(call, st);
  EXPECT_EQ(st, evalerr::BadNode);
  freeTree(call);

  ExprNode* badBase = combine(makeConstant(-2), makeVariable('x'), kind::PowBadBase);
  g_variables.set('x', 2);
  st = 0;
  evaluate(badBase, st);
  EXPECT_EQ(st, evalerr::BadNode);
  freeTree(badBase);
}

TEST(Evaluator, TrapsFeedTheWordInProgressOnly) {
  EXPECT_EQ(evalStatusInProgress(), nullptr);
  raiseTrapInEvaluation(evalerr::Overflow);  // outside any evaluation: nothing to feed
  EvalStatus st = 0;
  {
    EvalScope scope(st);
    EXPECT_EQ(evalStatusInProgress(), &st);
    raiseTrapInEvaluation(evalerr::InvalidOperation);
  }
  EXPECT_EQ(st, evalerr::InvalidOperation);
  EXPECT_EQ(evalStatusInProgress(), nullptr);
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

TEST(Evaluator, DeepTreesOfTheLongestText) {
  resetVariables();
  g_variables.set('x', 1.5);
  std::string negations = std::string(998, '-') + "x";
  std::string powers = "x";
  while (powers.size() < 990) powers += "^1";
  std::string sums = "x";
  while (sums.size() < 990) sums += "+x";
  std::string brackets = std::string(499, '(') + "x" + std::string(499, ')');
  struct Case { const std::string* text; double value; };
  const Case cases[] = {{&negations, 1.5}, {&powers, 1.5}, {&sums, 1.5 * 496}, {&brackets, 1.5}};
  for (const Case& c : cases) {
    ParseStatus ps = 0;
    ExprNode* tree = parseExpression(c.text->c_str(), ps);
    ASSERT_EQ(ps, 0) << c.text->substr(0, 20);
    ExprNode* copy = copyTree(tree);
    EvalStatus st = 0;
    EXPECT_EQ(evaluate(copy, st), c.value) << c.text->substr(0, 20);
    EXPECT_EQ(st, 0);
    freeTree(copy);
    freeTree(tree);
  }
}

}  // namespace
}  // namespace qv
