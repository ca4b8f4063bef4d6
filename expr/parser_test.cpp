#include <gtest/gtest.h>

#include <string>

#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/parser.h"
#include "expr/test_util.h"
#include "expr/tokenizer.h"

namespace qv {
namespace {

using testing::shape;

std::string parsedShape(const char* text) {
  ParseStatus st = 0;
  ExprNode* tree = parseExpression(text, st);
  std::string s = st ? "status " + std::to_string(st) : shape(tree);
  freeTree(tree);
  return s;
}

ParseStatus parseStatusOf(const char* text) {
  ParseStatus st = 0;
  freeTree(parseExpression(text, st));
  return st;
}

TEST(Parser, BuildsTheTreeShapes) {
  struct Case { const char* text; const char* shape; };
  const Case cases[] = {
      {"2x", "(* 2 x)"},
      {"x(x+1)", "(* x (+ x 1))"},
      {"(x)(x)", "(* x x)"},
      {"sin(x)cos(x)", "(* (sin x) (cos x))"},
      {"2 3", "(* 2 3)"},
      {"-2^2", "(^ -2 2)"},
      {"-x^2", "(neg (^ x 2))"},
      {"2^-x", "(^ 2 (neg x))"},
      {"2^-3", "(^ 2 -3)"},
      {"--x", "(neg (neg x))"},
      {"-[x+1]", "(neg (+ x 1))"},
      {"-(x+1)", "(neg (+ x 1))"},
      {"[x+1]^2", "(^ (+ x 1) 2)"},
      {"y**2", "(^ y 2)"},
      {"xy", "(* x y)"},
      {"yx", "(* y x)"},
      {"sin x*y", "(sin (* x y))"},
      {"sin x+1", "(+ (sin x) 1)"},
      {"sin 2x", "(sin (* 2 x))"},
      {"sin(x)^2", "(^ (sin x) 2)"},
      {"2^3^2", "(^ 2 (^ 3 2))"},
      {"8/2/2", "(/ (/ 8 2) 2)"},
      {"1-2-3", "(- (- 1 2) 3)"},
      {"1e5", "(* (* 1 e) 5)"},
      {"2.5e10", "(* (* 2.5 e) 10)"},
      {"2sin(x)", "(* 2 (sin x))"},
      {"x -3", "(- x 3)"},
      {"3*-2", "(* 3 -2)"},
      {"- 5", "-5"},
      {"1.25", "1.25"},
      {".5x", "(* 0.5 x)"},
      {"SQRT(X)", "(sqr x)"},
      {"sqr(x)+sqrt(x)", "(+ (sqr x) (sqr x))"},
      {"theta+pi", "(+ t p)"},
      {"sin(30d)", "(sin (* 30 d))"},
      {"x1+x2+x3+x4", "(+ (+ (+ x y) z) w)"},
      {"dx1*dx2*dx3*dx4", "(* (* (* j J) Z) W)"},
      {"x {a: 1,2,3}", "x"},
      {"x 'Comment With (Brackets", "x"},
      {"x\t+\t1", "(+ x 1)"},
      {"10^x", "(^ 10 x)"},
  };
  for (const Case& c : cases) EXPECT_EQ(parsedShape(c.text), c.shape) << c.text;
}

TEST(Parser, ReportsEachErrorBit) {
  struct Case { const char* text; ParseStatus status; };
  const Case cases[] = {
      {"x+", parse::MissingOperand},
      {"(x+1", parse::BadSyntax},
      {"x)", parse::BadSyntax},
      {"sinx", parse::UnknownName},
      {"xx", parse::UnknownName},
      {"f(x)", parse::UnknownName},
      {"x#", parse::BadCharacter},
      {"x\xe9", parse::BadCharacter},
      {"x_1", parse::UnknownName},
      {"x5", parse::UnknownName},
      {"e5", parse::UnknownName},
      {"2 e5", parse::UnknownName},
      {"2e5x", parse::UnknownName},
      {"sin", parse::MissingOperand | 0},
      {"()", parse::MissingOperand | parse::BlankSide},
      {"", parse::MissingOperand | parse::BlankSide},
      {"   'only a comment", parse::MissingOperand | parse::BlankSide},
      {"x=1", parse::BadSyntax},
      {"x;y", parse::BadSyntax},
      {"*x", parse::MissingOperand | parse::BlankSide},
      {"f#", parse::UnknownName | parse::BadCharacter},
  };
  for (const Case& c : cases) EXPECT_EQ(parseStatusOf(c.text), c.status) << c.text;
}

TEST(Parser, LowerCasesTheLineUpToItsComment) {
  std::string text = "Y=SIN(X) 'My Curve";
  std::string copy = text;
  ParseStatus st = parserBegin(copy);
  EXPECT_EQ(st, 0);
  parserEnd();
  EXPECT_EQ(copy, "y=sin(x) 'My Curve");
}

TEST(Parser, SurvivesHostileLines) {
  // Long chains, deep nesting, hundreds of operators and high bytes give a status, never a crash.
  std::string deep(125, '(');
  deep += "x";
  deep += std::string(125, ')');
  EXPECT_EQ(parsedShape(deep.c_str()), "x");
  std::string deeper(499, '[');
  deeper += "x";
  deeper += std::string(499, ']');
  EXPECT_EQ(parsedShape(deeper.c_str()), "x");
  EXPECT_EQ(parseStatusOf(std::string(250, '(').c_str()), parse::MissingOperand | parse::BlankSide);
  EXPECT_NE(parseStatusOf(std::string(250, '+').c_str()), 0);
  EXPECT_NE(parseStatusOf(std::string(250, '^').c_str()), 0);
  EXPECT_EQ(parseStatusOf((std::string(249, '-') + "x").c_str()), 0);
  EXPECT_EQ(parseStatusOf(std::string(250, '\xff').c_str()), parse::BadCharacter);
  std::string longLine;
  while (longLine.size() < 1000) longLine += "x+";
  longLine += "x";
  EXPECT_EQ(parseStatusOf(longLine.c_str()), parse::BadSyntax);  // longer than the parser reads
  EXPECT_EQ(parseStatusOf((std::string(999, '-') + "x").c_str()), 0);
  EXPECT_EQ(parseStatusOf((std::string(1000, ' ') + "x").c_str()), parse::BadSyntax);
  EXPECT_EQ(parseStatusOf("{x: 1, 2"), parse::MissingOperand | parse::BlankSide);
}

TEST(Tokenizer, ReadsNumbersWithoutExponents) {
  struct Case { const char* text; double value; int end; };
  const Case cases[] = {{"12.5", 12.5, 4}, {"- 3", -3, 3}, {"-.5", -0.5, 3}, {".", 0, 1}, {"007", 7, 3}, {"2e3", 2, 1}};
  for (const Case& c : cases) {
    int pos = 0;
    EXPECT_DOUBLE_EQ(readNumber(c.text, pos), c.value) << c.text;
    EXPECT_EQ(pos, c.end) << c.text;
  }
  int pos = 0;
  EXPECT_EQ(readNumber("-  x", pos), UNDEFINED_VALUE);
  EXPECT_EQ(pos, 3);  // the "-" and its spaces are consumed
}

TEST(Tokenizer, TranslatesOperatorsAndSkipsClauses) {
  ParseStatus st = 0;
  ExprNode* chain = tokenize("y<=x {x: 0, 1} >= [2] ; z<w", st);
  std::string kinds;
  for (ExprNode* t = chain; t; t = t->right) kinds += t->kind == kind::Value ? (t->var == NoVar ? '#' : static_cast<char>(t->var)) : static_cast<char>(t->kind);
  EXPECT_EQ(st, 0);
  EXPECT_EQ(kinds, "yLxG(#);z<w");
  freeTokenChain(chain);
}

TEST(PreScan, CountsEquationsAndDerivativeOrder) {
  struct Case { const char* text; int order; ParseStatus status; };
  const Case cases[] = {
      {"y=x", 0, 0},
      {"dx=x", 1, 0},
      {"d2x=-x", 2, 0},
      {"dx=y; dy=-x {0, 1, 0}", -2, 0},
      {"dx=y; dy=z; dz=x", -3, 0},
      {"dx1=x2; dx2=-x1", -2, 0},
      {"d3y=y", 3, 0},
      {"y<=x", 0, 0},
      {"y=x)", 0, parse::BadSyntax},
      {"y=q", 0, parse::UnknownName},
  };
  for (const Case& c : cases) {
    const PreScanResult r = preScan(c.text);
    EXPECT_EQ(r.order, c.order) << c.text;
    EXPECT_EQ(r.status, c.status) << c.text;
  }
}

TEST(ConstantText, SeparatesBlankUnparsedAndEvaluationErrors) {
  resetVariables();
  struct Case { const char* text; double value; std::uint16_t status; };
  const Case cases[] = {
      {"1+2", 3, 0},
      {"2pi", 2 * 3.1415926536, 0},
      {"  ", UNDEFINED_VALUE, CONSTANT_TEXT_BLANK},
      {"", UNDEFINED_VALUE, CONSTANT_TEXT_BLANK},
      {"'note", UNDEFINED_VALUE, CONSTANT_TEXT_BLANK},
      {"1+", UNDEFINED_VALUE, CONSTANT_TEXT_UNPARSED},
      {"q", UNDEFINED_VALUE, CONSTANT_TEXT_UNPARSED},
      {"1/0", UNDEFINED_VALUE, evalerr::DivideByZero},
      {"x", UNDEFINED_VALUE, evalerr::UndefinedVariable},
      {"-3.5", -3.5, 0},
  };
  for (const Case& c : cases) {
    std::uint16_t st = 1;
    const double v = evaluateConstantText(c.text, st);
    EXPECT_EQ(st, c.status) << c.text;
    EXPECT_TRUE(testing::nearlyEqual(v, c.value)) << c.text << " gave " << v;
  }
}

std::string markedShape(const char* text, VarCode indep, ParseStatus* status = nullptr) {
  ParseStatus st = 0;
  ExprNode* tree = parseExpression(text, st);
  EXPECT_EQ(st, 0) << text;
  const ParseStatus marked = markPowers(tree, indep);
  if (status) *status = marked;
  std::string s = shape(tree);
  freeTree(tree);
  return s;
}

TEST(PowerMarking, ClassifiesFractionalExponents) {
  resetVariables();
  struct Case { const char* text; const char* shape; ParseStatus status; };
  const Case cases[] = {
      {"x^(1/3)", "(O x (/ 1 3))", 0},
      {"x^(2/3)", "(E x (/ 2 3))", 0},
      {"x^(1/2)", "(N x (/ 1 2))", 0},
      {"x^(3/4)", "(N x (/ 3 4))", 0},
      {"x^(1.5/3)", "(^ x (/ 1.5 3))", 0},
      {"x^(1/2.5)", "(^ x (/ 1 2.5))", 0},
      {"x^(a/3)", "(N x (/ a 3))", 0},  // an exponent that does not evaluate
      {"x^2", "(^ x 2)", 0},
      {"2^x", "(^ 2 x)", 0},
      {"(-2)^x", "(e -2 x)", parse::DiscontinuousPower},
      {"a^x", "(e a x)", parse::DiscontinuousPower},
      {"x^x", "(^ x x)", 0},
      {"t^(x/3)", "(e t (/ x 3))", parse::DiscontinuousPower},  // t has no value here
  };
  for (const Case& c : cases) {
    ParseStatus st = 0;
    EXPECT_EQ(markedShape(c.text, 'x', &st), c.shape) << c.text;
    EXPECT_EQ(st, c.status) << c.text;
  }
}

TEST(PowerMarking, MarkedRootsOfNegativeBases) {
  resetVariables();
  struct Case { const char* text; double x; double value; EvalStatus status; };
  const Case cases[] = {
      {"x^(1/3)", -8, -2, 0},
      {"x^(2/3)", -8, 4, 0},
      {"x^(1/2)", -4, 0, evalerr::NegativeRoot},
      {"x^(1/2)", 4, 2, 0},
      {"x^(2/3)", 8, 4, 0},
  };
  for (const Case& c : cases) {
    ParseStatus st = 0;
    ExprNode* tree = parseExpression(c.text, st);
    ASSERT_EQ(st, 0);
    markPowers(tree, 'x');
    g_variables.set('x', c.x);
    EvalStatus es = 0;
    const double v = evaluate(tree, es);
    EXPECT_EQ(es, c.status) << c.text << " at " << c.x;
    if (!es) {
      EXPECT_TRUE(testing::nearlyEqual(v, c.value, 1e-12)) << c.text << " at " << c.x << " gave " << v;
    }
    freeTree(tree);
  }
}

}  // namespace
}  // namespace qv
