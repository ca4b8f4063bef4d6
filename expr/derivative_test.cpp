#include "expr/derivative.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/parser.h"
#include "expr/printer.h"
#include "expr/test_util.h"

namespace qv {
namespace {

ExprNode* parse(const std::string& text) {
  ParseStatus st = 0;
  ExprNode* t = parseExpression(text.c_str(), st);
  EXPECT_EQ(st, 0) << text;
  return t;
}

std::string derivativeText(const char* text, VarCode v, bool simplified, int* statusOut = nullptr) {
  int status = 0;
  ExprNode* d = differentiate(parse(text), v, status);
  if (simplified) d = simplify(d);
  if (statusOut) *statusOut = status;
  std::string out = status ? "<fails>" : printExpr(d);
  freeTree(d);
  return out;
}

TEST(Derivative, ExactFormsAfterSimplification) {
  const struct {
    const char* expr;
    const char* derivative;
  } cases[] = {
      {"3x^2", "6*x"},
      {"x^3", "3*x^2"},
      {"x^2", "2*x"},
      {"sin(2x)", "2*cos (2*x)"},
      {"5", "0"},
      {"y", "0"},
      {"x", "1"},
      {"x^x", "x^x*(x*1/x + ln x)"},
      {"2^x", "2^x*ln 2"},
      {"ln(x)", "1/x"},
      {"log(x)", "0.4343/x"},
      {"sqrt(x)", "0.5/sqr x"},
      {"cos(x)", "-sin x"},
      {"tan(x)", "(sec x)^2"},
      {"cot(x)", "-(csc x)^2"},
      {"sec(x)", "(sec x)*tan x"},
      {"csc(x)", "-(csc x)*cot x"},
      {"asin(x)", "1/sqr (1 - x^2)"},
      {"acos(x)", "-1/sqr (1 - x^2)"},
      {"atan(x)", "1/(1 + x^2)"},
      {"acot(x)", "-1/(1 + x^2)"},
      {"asec(x)", "1/((abs x)*sqr (x^2 - 1))"},
      {"acsc(x)", "-1/((abs x)*sqr (x^2 - 1))"},
      {"sinh(x)", "cosh x"},
      {"cosh(x)", "sinh x"},
      {"exp(x)", "exp x"},
      {"exp(3x)", "3*exp (3*x)"},
      {"1/x", "-1/(x^2)"},
      {"x/(x+1)", "(1 + x - x)/((1 + x)^2)"},
      {"1/x^2", "-2*x/(x^4)"},
      {"x+x", "2"},
      {"x*x", "x + x"},
      {"-x", "-1"},
      {"2-x", "-1"},
      {"x^(1/3)", "1/3*x^(-2/3)"},
      {"x^a", "a*x^(a - 1)"},
  };
  for (const auto& c : cases) EXPECT_EQ(derivativeText(c.expr, 'x', true), c.derivative) << c.expr;
}

TEST(Derivative, ChainFactorBeforeSimplification) {
  EXPECT_EQ(derivativeText("sin(2x)", 'x', false), "(cos (2*x))*2");
  EXPECT_EQ(derivativeText("x^3", 'x', false), "3*x^2");
}

TEST(Derivative, NonDifferentiableFunctionsFail) {
  for (const char* text : {"abs(x)", "tanh(x)", "square(x)", "int(x)", "gamma(x)", "gammaln(x)", "x+abs(2x)"}) {
    int status = 0;
    derivativeText(text, 'x', true, &status);
    EXPECT_EQ(status, NOT_DIFFERENTIABLE) << text;
  }
  // Free of the variable: a constant, whatever the function.
  int status = 0;
  EXPECT_EQ(derivativeText("abs(y)", 'x', true, &status), "0");
  EXPECT_EQ(status, 0);

  ExprNode* check = makeNode();
  check->kind = kind::CheckNonNegative;
  check->right = makeVariable('x');
  ExprNode* d = differentiate(check, 'x', status);
  EXPECT_EQ(status, NOT_DIFFERENTIABLE);
  freeTree(d);
}

TEST(Derivative, OddRootKeepsItsDomain) {
  ExprNode* t = parse("x^(1/3)");
  ASSERT_EQ(markPowers(t, 'x'), 0);
  ASSERT_EQ(t->kind, kind::PowOddRootOdd);
  int status = 0;
  ExprNode* d = simplify(differentiate(t, 'x', status));
  ASSERT_EQ(status, 0);
  ASSERT_EQ(d->kind, kind::Mul);
  EXPECT_EQ(d->right->kind, kind::PowOddRootEven);
  resetVariables();
  g_variables.set('x', -8);
  EvalStatus es = 0;
  EXPECT_TRUE(testing::nearlyEqual(evaluate(d, es), 1.0 / 12.0));
  EXPECT_EQ(es, 0);
  freeTree(d);
}

// Every rule, checked against a central difference of the original expression.
TEST(Derivative, AgreesWithCentralDifferences) {
  const char* exprs[] = {
      "3x^2-2x+1", "x^3*sin(x)", "sin(2x)*cos(x^2)", "tan(x)/x", "cot(x)+csc(x)+sec(x)",
      "asin(x/3)", "acos(x/3)", "atan(x^2)", "acot(2x)", "asec(x+2)", "acsc(x+2)",
      "sinh(x)*cosh(x)", "exp(-x^2)", "ln(x^2+1)", "log(x+5)", "sqrt(x^2+1)", "sqr(3+x)",
      "x^x", "2^x", "(x^2+1)^(x/3)", "1/(x+3)", "(x+1)/(x-4)", "x/(x^2+1)^2", "(x^3-x)/x^(1/2)",
      "-(x^2)", "--x*x", "e^(-x)", "x^(2/3)", "x^(1/3)", "x^(-2)", "5/x^3", "sin(x)^2",
      "(sin x)/(cos x)", "x*x*x*x", "2*x/3*x", "a*x^2+b*x+c", "x^(1/2)*ln(x)", "exp(sin(x))",
      "ln(ln(x+3))", "1/sqrt(x+4)", "sqrt(x)/x", "x^2/(x+1)/(x+2)", "-x/(1-x)",
  };
  const double points[] = {0.35, 0.8, 1.7, 2.45};
  for (const char* text : exprs) {
    ExprNode* f = parse(text);
    ASSERT_NE(f, nullptr);
    markPowers(f, 'x');
    int status = 0;
    ExprNode* d = simplify(differentiate(copyTree(f), 'x', status));
    ASSERT_EQ(status, 0) << text;
    // The printed derivative reads back as the same function (its numbers are written with the
    // automatic precision of the parseable form: 0.4342944819033 reads back as 0.4343).
    ExprNode* reread = parse(printExpr(d));
    ASSERT_NE(reread, nullptr) << printExpr(d);
    markPowers(reread, 'x');
    for (double x : points) {
      resetVariables();
      g_variables.set('a', 1.5);
      g_variables.set('b', -2);
      g_variables.set('c', 0.25);
      const double h = 1e-5 * std::max(1.0, std::fabs(x));
      EvalStatus s1 = 0, s2 = 0, s3 = 0, s4 = 0;
      g_variables.set('x', x + h);
      const double up = evaluate(f, s1);
      g_variables.set('x', x - h);
      const double down = evaluate(f, s2);
      g_variables.set('x', x);
      const double exact = evaluate(d, s3);
      const double again = evaluate(reread, s4);
      if (s1 || s2) continue;  // outside the function's domain
      ASSERT_EQ(s3, 0) << text << " at " << x;
      const double numeric = (up - down) / (2 * h);
      EXPECT_NEAR(exact, numeric, 1e-5 * std::max(1.0, std::fabs(numeric))) << text << " at " << x << " d=" << printExpr(d);
      EXPECT_EQ(s4, 0) << printExpr(d);
      EXPECT_TRUE(testing::nearlyEqual(exact, again, 2e-4)) << printExpr(d);
    }
    freeTree(reread);
    freeTree(d);
    freeTree(f);
  }
}

// Generated expressions, as a computer-algebra comparison would make them: every derivative agrees
// with a central difference wherever the function is defined, and its text reads back.
std::string randomExpression(std::mt19937& rng, int depth) {
  auto pick = [&](unsigned n) { return static_cast<unsigned>(rng() % n); };
  if (depth == 0 || pick(4) == 0) {
    static const char* const leaves[] = {"x", "x", "2", "3", "0.5", "a"};
    return leaves[pick(6)];
  }
  const std::string u = randomExpression(rng, depth - 1);
  const std::string w = randomExpression(rng, depth - 1);
  switch (pick(16)) {
    case 0: return "(" + u + ")+(" + w + ")";
    case 1: return "(" + u + ")-(" + w + ")";
    case 2: return "(" + u + ")*(" + w + ")";
    case 3: return "(" + u + ")/((" + w + ")^2+1)";
    case 4: return "(" + u + ")^" + std::to_string(2 + pick(3));
    case 5: return "sin(" + u + ")";
    case 6: return "cos(" + u + ")";
    case 7: return "exp((" + u + ")/4)";
    case 8: return "ln((" + u + ")^2+1)";
    case 9: return "sqrt((" + u + ")^2+2)";
    case 10: return "atan(" + u + ")";
    case 11: return "-(" + u + ")";
    case 12: return "2^(" + u + "/3)";
    case 13: return "((" + u + ")^2+1)^(" + w + "/5)";
    case 14: return "log((" + u + ")^2+3)";
    default: return "cosh((" + u + ")/3)";
  }
}

TEST(Derivative, GeneratedExpressionsAgreeWithCentralDifferences) {
  std::mt19937 rng(20261211);
  int checked = 0;
  for (int i = 0; i < 300; ++i) {
    const std::string text = randomExpression(rng, 3);
    ExprNode* f = parse(text);
    ASSERT_NE(f, nullptr) << text;
    int status = 0;
    ExprNode* d = simplify(differentiate(copyTree(f), 'x', status));
    ASSERT_EQ(status, 0) << text;
    ExprNode* reread = parse(printExpr(d));
    for (double x : {-1.3, 0.4, 1.1}) {
      resetVariables();
      g_variables.set('a', 0.75);
      const double h = 1e-6;
      EvalStatus s1 = 0, s2 = 0, s3 = 0, s4 = 0;
      g_variables.set('x', x + h);
      const double up = evaluate(f, s1);
      g_variables.set('x', x - h);
      const double down = evaluate(f, s2);
      g_variables.set('x', x);
      const double exact = evaluate(d, s3);
      const double again = reread ? evaluate(reread, s4) : 0.0;
      if (s1 || s2 || s3 || !std::isfinite(up) || !std::isfinite(down) || std::fabs(up) > 1e6) continue;
      const double numeric = (up - down) / (2 * h);
      EXPECT_NEAR(exact, numeric, 1e-4 * std::max(1.0, std::fabs(numeric))) << text << " at " << x << ": " << printExpr(d);
      ASSERT_NE(reread, nullptr) << printExpr(d);
      EXPECT_EQ(s4, 0) << printExpr(d);
      EXPECT_TRUE(testing::nearlyEqual(exact, again, 2e-4) || std::fabs(exact - again) < 1e-9) << text << ": " << printExpr(d);
      ++checked;
    }
    freeTree(reread);
    freeTree(d);
    freeTree(f);
  }
  EXPECT_GT(checked, 600);
}

TEST(Simplify, FoldsConstantsOfChains) {
  const struct {
    const char* expr;
    const char* simplified;
  } cases[] = {
      {"2*x*3", "6*x"},
      {"2+x+3", "5 + x"},
      {"1*x", "x"},
      {"x+0", "x"},
      {"-1*x", "-x"},
      {"-2*(-x)", "2*x"},
      {"2*3", "6"},
      {"-(2*x)*3", "-6*x"},
      {"x-2-3", "x - 2 - 3"},
      {"(2+3)/(x*1)", "5/x"},
      {"sin(2*3*x)", "sin (6*x)"},
  };
  for (const auto& c : cases) {
    ExprNode* t = simplify(parse(c.expr));
    EXPECT_EQ(printExpr(t), c.simplified) << c.expr;
    freeTree(t);
  }
}

}  // namespace
}  // namespace qv
