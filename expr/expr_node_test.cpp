#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "expr/expr_node.h"
#include "expr/functions.h"
#include "expr/test_util.h"

namespace qv {
namespace {

TEST(FunctionTable, HoldsTheRowsInLookupOrder) {
  const char* names[FUNCTION_COUNT] = {"abs", "acos", "acot", "acsc", "asec", "asin", "atan", "cos", "cosh",
                                       "cot", "csc", "exp", "ln", "log", "sec", "sin", "sinh", "sqr",
                                       "sqrt", "square", "tan", "tanh", "10^", "int", "gamma", "gammaln"};
  for (int i = 0; i < FUNCTION_COUNT; ++i) {
    EXPECT_STREQ(FUNCTION_TABLE[i].name, names[i]);
    EXPECT_EQ(findFunctionByName(names[i]), &FUNCTION_TABLE[i]);
  }
  EXPECT_EQ(findFunctionByName("Sin"), nullptr);
  EXPECT_EQ(findFunctionByName("sinx"), nullptr);
}

TEST(FunctionTable, SqrAndSqrtShareOneImplementationPrintedAsSqr) {
  const FunctionInfo* sqr = findFunctionByName("sqr");
  const FunctionInfo* sqrtRow = findFunctionByName("sqrt");
  EXPECT_EQ(canonicalFunction(sqr), canonicalFunction(sqrtRow));
  EXPECT_EQ(canonicalFunction(sqrtRow), fn::sqrt);
  EXPECT_STREQ(nameOfFunction(sqrtRow->impl), "sqr");
  EXPECT_STREQ(nameOfFunction(nullptr), "?");
}

TEST(FunctionTable, InversesPairUp) {
  struct Case { const char* f; const char* inverse; };
  const Case cases[] = {{"sin", "asin"}, {"asin", "sin"}, {"cos", "acos"},   {"tan", "atan"},
                        {"cot", "acot"}, {"csc", "acsc"}, {"sec", "asec"},   {"exp", "ln"},
                        {"ln", "exp"},   {"log", "10^"},  {"10^", "log"},    {"sqrt", "square"},
                        {"sqr", "square"}, {"square", "sqr"}};
  for (const Case& c : cases) {
    const FunctionInfo* inv = inverseOfFunction(findFunctionByName(c.f)->impl);
    ASSERT_NE(inv, nullptr) << c.f;
    EXPECT_STREQ(nameOfFunction(inv->impl), c.inverse) << c.f;
  }
  for (const char* none : {"abs", "cosh", "sinh", "tanh", "int", "gamma", "gammaln"})
    EXPECT_EQ(inverseOfFunction(findFunctionByName(none)->impl), nullptr) << none;
}

TEST(FunctionTable, ReciprocalFunctionsGiveInfinityAtExactZeros) {
  auto call = [](const char* name, double x) { return findFunctionByName(name)->impl(x); };
  EXPECT_EQ(call("cot", 0.0), UNDEFINED_VALUE);
  EXPECT_EQ(call("csc", 0.0), UNDEFINED_VALUE);
  EXPECT_EQ(call("acot", 0.0), UNDEFINED_VALUE);
  EXPECT_EQ(call("acsc", 0.5), UNDEFINED_VALUE);
  EXPECT_TRUE(std::isfinite(call("sec", PI_CONSTANT / 2)));
  EXPECT_GT(std::fabs(call("sec", PI_CONSTANT / 2)), 1e9);
  EXPECT_TRUE(testing::nearlyEqual(call("acsc", 1.0), std::asin(1.0)));
  EXPECT_TRUE(testing::nearlyEqual(call("asec", -1.0), std::acos(-1.0)));
  EXPECT_EQ(call("int", -2.5), -3.0);
  EXPECT_EQ(call("10^", 3.0), 1000.0);
  EXPECT_EQ(call("square", -3.0), 9.0);
}

TEST(FunctionTable, TrigonometryStaysAccurateNearItsZeros) {
  // The stored pi is not the real one: these are tiny but well-defined values, and the reciprocal
  // functions built on them must keep their digits.
  auto call = [](const char* name, double x) { return findFunctionByName(name)->impl(x); };
  EXPECT_TRUE(testing::nearlyEqual(call("sin", PI_CONSTANT), -1.0206823934513925e-11, 1e-12));
  EXPECT_TRUE(testing::nearlyEqual(call("cos", PI_CONSTANT / 2), -5.1034119672569625e-12, 1e-12));
  EXPECT_TRUE(testing::nearlyEqual(call("sec", PI_CONSTANT / 2), -195947340017.99405, 1e-12));
  EXPECT_TRUE(testing::nearlyEqual(call("tan", PI_CONSTANT / 2), -195947340017.99405, 1e-12));
  EXPECT_TRUE(testing::nearlyEqual(call("cot", PI_CONSTANT), 97973670008.997025, 1e-12));
  for (double x : {0.1, -0.7, 1.0, 2.5, 4.0, -10.0, 100.0, 12345.678})
    for (const char* f : {"sin", "cos"})
      EXPECT_TRUE(testing::nearlyEqual(call(f, x), f[0] == 's' ? std::sin(x) : std::cos(x), 1e-14)) << f << "(" << x << ")";
  EXPECT_EQ(call("sin", 0.0), 0.0);
  EXPECT_EQ(call("cos", 0.0), 1.0);
}

TEST(Gammaln, MatchesTheLogOfFactorials) {
  const double factorials[] = {1, 1, 2, 6, 24, 120, 720, 5040};
  for (int n = 1; n <= 8; ++n)
    EXPECT_NEAR(gammaln(n), std::log(factorials[n - 1]), 1e-9) << n;
  EXPECT_NEAR(std::exp(gammaln(0.5)), std::sqrt(3.14159265358979), 1e-9);
  EXPECT_NEAR(findFunctionByName("gamma")->impl(5.0), 24.0, 1e-8);
}

TEST(Identifiers, MapToTheirCodes) {
  struct Case { const char* name; char code; };
  const Case cases[] = {{"a", 'a'},   {"d", 'd'},    {"p", 'p'},    {"pi", 'p'},   {"t", 't'},
                        {"theta", 't'}, {"w", 'w'},  {"z", 'z'},    {"dx", 'j'},   {"d2x", 'k'},
                        {"d3x", 'l'}, {"d4x", 'm'},  {"dy", 'J'},   {"d4y", 'M'},  {"dz", 'Z'},
                        {"dw", 'W'},  {"x1", '1'},   {"x4", '4'},   {"dx1", 'A'},  {"dx4", 'D'},
                        {"f", '!'},   {"q", '!'},    {"x5", '!'},   {"dt", '!'},   {"s", '!'},
                        {"thetas", '!'}};
  for (const Case& c : cases) EXPECT_EQ(varCodeOfName(c.name), static_cast<VarCode>(c.code)) << c.name;
}

TEST(Variables, ResetSetsConstantsAndClearsTheRest) {
  g_variables.set('x', 3.0);
  g_variables.set('s', 3.0);
  resetVariables();
  EXPECT_EQ(g_variables.get('d'), 0.01745329252);
  EXPECT_EQ(g_variables.get('e'), 2.718281828);
  EXPECT_EQ(g_variables.get('p'), 3.1415926536);
  for (char c : std::string("abcjklmrstuvwxyz")) EXPECT_EQ(g_variables.get(c), UNDEFINED_VALUE) << c;
}

TEST(NonzeroEvenInteger, ClassifiesExponents) {
  struct Case { double x; bool even; };
  const Case cases[] = {{0, false}, {4, true}, {3, false}, {2.5, false}, {-6, true},
                        {-7, false}, {32766, true}, {1e9, false}, {NAN, false}};
  for (const Case& c : cases) EXPECT_EQ(isNonzeroEvenInteger(c.x), c.even) << c.x;
}

TEST(TreeUtilities, CopyCountReplaceAndCombine) {
  ExprNode* x1 = makeVariable('x');
  ExprNode* x2 = makeVariable('x');
  ExprNode* call = combine(nullptr, x2, kind::Call, fn::sqrt);
  ExprNode* sum = combine(x1, call, kind::Add);
  ExprNode* tree = combine(sum, makeConstant(2), kind::Mul);
  EXPECT_EQ(testing::shape(tree), "(* (+ x (sqr x)) 2)");

  ExprNode* copy = copyTree(tree);
  EXPECT_EQ(testing::shape(copy), testing::shape(tree));
  std::uint8_t count = 0;
  countVariable(copy, 'x', count);
  EXPECT_EQ(count, 2);
  replaceVariable(copy, 'x', 'y');
  EXPECT_EQ(testing::shape(copy), "(* (+ y (sqr y)) 2)");
  EXPECT_EQ(testing::shape(tree), "(* (+ x (sqr x)) 2)");  // the copy shares nothing

  ExprNode* lone = makeConstant(5);
  EXPECT_EQ(combine(lone, nullptr, kind::Add), lone);  // nothing to combine with
  EXPECT_EQ(copyTree(nullptr), nullptr);
  freeTree(lone);
  freeTree(copy);
  freeTree(tree);

  ExprNode* fresh = makeNode();
  EXPECT_EQ(fresh->kind, kind::Value);
  EXPECT_EQ(fresh->var, NoVar);
  EXPECT_EQ(fresh->value, 0.0);
  EXPECT_EQ(fresh->func, nullptr);
  freeTree(fresh);
}

}  // namespace
}  // namespace qv
