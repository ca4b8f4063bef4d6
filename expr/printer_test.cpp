#include "expr/printer.h"

#include <gtest/gtest.h>

#include <string>

#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/parser.h"
#include "expr/test_util.h"

namespace qv {
namespace {

ExprNode* parse(const char* text) {
  ParseStatus st = 0;
  ExprNode* t = parseExpression(text, st);
  EXPECT_EQ(st, 0) << text;
  return t;
}

ExprNode* leaf(VarCode v) { return makeVariable(v); }
ExprNode* num(double v) { return makeConstant(v); }
ExprNode* node(std::uint8_t k, ExprNode* l, ExprNode* r) {
  ExprNode* n = makeNode();
  n->kind = k;
  n->left = l;
  n->right = r;
  return n;
}
ExprNode* call(const char* name, ExprNode* arg) {
  ExprNode* n = node(kind::Call, nullptr, arg);
  n->func = canonicalFunction(findFunctionByName(name));
  return n;
}

TEST(Printer, WritesTheFewestBracketsThatKeepTheMeaning) {
  const struct {
    const char* input;
    const char* printed;
  } cases[] = {
      {"2x", "2*x"},
      {"(x+1)/(x-1)", "(x + 1)/(x - 1)"},
      {"sin(x+1)", "sin (x + 1)"},
      {"sec(x)^2", "(sec x)^2"},
      {"2^sin(x)", "2^sin x"},
      {"-(x+1)", "-(x + 1)"},
      {"e^(-x)", "e^-x"},
      {"x-(y-1)", "x - (y - 1)"},
      {"(x-y)-1", "x - y - 1"},
      {"x/(2*y)", "x/(2*y)"},
      {"x/y/2", "x/y/2"},
      {"x/sqrt(y)", "x/sqr y"},
      {"sqrt(x)", "sqr x"},
      {"x^(1/2)", "x^(1/2)"},
      {"(x^2)^3", "(x^2)^3"},
      {"x^2^3", "x^2^3"},
      {"12345x", "1.2*10^4*x"},
      {"0.5*x", "0.5*x"},
      {"sin(x)*cos(x)", "(sin x)*cos x"},
      {"abs(x)", "abs x"},
  };
  for (const auto& c : cases) {
    ExprNode* t = parse(c.input);
    EXPECT_EQ(printExpr(t), c.printed) << c.input;
    freeTree(t);
  }
}

TEST(Printer, SmallNumbersUseTheParseableForm) {
  ExprNode* t = num(0.000000001);
  EXPECT_EQ(printExpr(t), "10^-9");
  freeTree(t);
}

// Trees the program builds itself (derivatives, solved relations) take shapes the parser never
// makes; their text must still read back as the same function.
TEST(Printer, GeneratedShapesReadBackToTheSameValue) {
  ExprNode* trees[] = {
      node(kind::Mul, node(kind::Mul, num(2), call("sin", leaf('x'))), call("cos", leaf('x'))),
      node(kind::Mul, node(kind::Negate, nullptr, call("sin", leaf('x'))), num(3)),
      node(kind::Mul, node(kind::Pow, num(2), call("sin", leaf('x'))), num(3)),
      node(kind::Negate, nullptr, node(kind::Pow, num(2), leaf('x'))),
      node(kind::Negate, nullptr, num(0.000001)),
      node(kind::Pow, node(kind::Negate, nullptr, leaf('x')), num(2)),
      node(kind::Pow, node(kind::Pow, leaf('x'), num(3)), node(kind::Div, num(1), num(2))),
      node(kind::Div, leaf('x'), num(20000)),
      node(kind::Pow, leaf('x'), num(20000)),
      node(kind::Pow, num(0.000001), leaf('x')),
      node(kind::Div, node(kind::Mul, leaf('x'), call("ln", leaf('x'))), num(2)),
  };
  for (ExprNode* t : trees) {
    const std::string text = printExpr(t);
    ExprNode* back = parse(text.c_str());
    ASSERT_NE(back, nullptr) << text;
    for (double x : {0.7, 1.3, 2.9}) {
      resetVariables();
      g_variables.set('x', x);
      EvalStatus s1 = 0, s2 = 0;
      const double want = evaluate(t, s1);
      const double got = evaluate(back, s2);
      EXPECT_EQ(s1, s2) << text;
      EXPECT_TRUE(testing::nearlyEqual(want, got, 1e-9)) << text << " at " << x << ": " << want << " vs " << got;
    }
    freeTree(back);
    freeTree(t);
  }
}

TEST(Printer, MarksWithoutInputSyntaxPrintNothing) {
  ExprNode* t = node(kind::Add, leaf('x'), node(kind::CheckNonNegative, nullptr, leaf('y')));
  EXPECT_EQ(printExpr(t), "x + ");
  freeTree(t);
}

TEST(Printer, LongTextEndsInDotsAtTheFirstNodePastTheGuard) {
  ExprNode* t = leaf('x');
  for (int i = 0; i < 200; ++i) t = node(kind::Add, t, leaf('y'));
  const std::string text = printExpr(t);
  ASSERT_GE(text.size(), PRINT_LENGTH_GUARD + 3);
  EXPECT_LE(text.size(), PRINT_LENGTH_GUARD + 10);
  EXPECT_EQ(text.substr(text.size() - 3), "...");
  EXPECT_EQ(text.find("..."), text.size() - 3);
  freeTree(t);

  // A prefix before the start counts towards the guard.
  ExprNode* shortTree = leaf('x');
  for (int i = 0; i < 10; ++i) shortTree = node(kind::Add, shortTree, leaf('y'));
  std::string buffer(320, 'a');
  printExpr(buffer, shortTree, 0);
  EXPECT_EQ(buffer.substr(buffer.size() - 3), "...");
  std::string other(320, 'a');
  printExpr(other, shortTree, 320);
  EXPECT_EQ(other.find("..."), std::string::npos);
  freeTree(shortTree);
}

}  // namespace
}  // namespace qv
