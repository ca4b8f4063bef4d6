// Floating-point traps and math-library errors under Windows: inside an evaluation they become bits
// of its word and the program carries on; outside any evaluation a trap ends the program.
#include <gtest/gtest.h>

#include <math.h>
#include <xmmintrin.h>

#include <cstdio>
#include <limits>

#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/parser.h"
#include "platform/ui.h"
#include "platform/win32/fp_traps.h"

namespace qv {
namespace {

struct EvalResult {
  double value;
  EvalStatus status;
};

EvalResult evaluateText(const char* text) {
  ParseStatus ps = 0;
  ExprNode* tree = parseExpression(text, ps);
  EXPECT_EQ(ps, 0) << text;
  EvalStatus st = 0;
  const double v = evaluate(tree, st);
  freeTree(tree);
  return {v, st};
}

class UnmaskedTraps : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(installFloatingPointTraps(true));
    resetVariables();
  }
  void TearDown() override { installFloatingPointTraps(false); }
};

TEST_F(UnmaskedTraps, AreUnmaskedAfterInstalling) {
  const unsigned mxcsr = _mm_getcsr();
  EXPECT_EQ(mxcsr & (0x01 << 7), 0u);  // invalid operation
  EXPECT_EQ(mxcsr & (0x04 << 7), 0u);  // zero divide
  EXPECT_EQ(mxcsr & (0x08 << 7), 0u);  // overflow
}

TEST_F(UnmaskedTraps, OverflowInsideAnEvaluationBecomesItsBit) {
  // A product has no overflow test of its own: only the trap can report it.
  g_variables.set('x', 1e200);
  const EvalResult r = evaluateText("x*x+1");
  EXPECT_EQ(r.status, evalerr::Overflow);

  // The program carries on: the next evaluation is unaffected and the traps are armed again.
  g_variables.set('x', 3);
  const EvalResult next = evaluateText("x*2");
  EXPECT_EQ(next.status, 0);
  EXPECT_EQ(next.value, 6);
  EXPECT_EQ(_mm_getcsr() & (0x08 << 7), 0u);
}

TEST_F(UnmaskedTraps, InvalidOperationAndRepeatedTraps) {
  g_variables.set('x', 0);
  g_variables.set('y', -std::numeric_limits<double>::infinity());
  for (int round = 0; round < 3; ++round) {
    const EvalResult r = evaluateText("x*y");  // 0 times infinity
    EXPECT_EQ(r.status, evalerr::InvalidOperation) << round;
    g_variables.set('z', 1e300);
    EXPECT_EQ(evaluateText("z*z*z").status, evalerr::Overflow) << round;
    EXPECT_EQ(evaluateText("2+2").value, 4) << round;
  }
}

TEST_F(UnmaskedTraps, TrapInAnEnclosingScopeFeedsItsWord) {
  // The differential-equation solver keeps one scope around many evaluations.
  EvalStatus outer = 0;
  {
    EvalScope scope(outer);
    volatile double big = 1e308;
    volatile double product = big * 10.0;
    (void)product;
  }
  EXPECT_EQ(outer, evalerr::Overflow);
  volatile double a = 1.5, b = 2.0;
  EXPECT_EQ(a * b, 3.0);
}

TEST(MaskedTraps, ArithmeticKeepsItsDefaultResults) {
  ASSERT_TRUE(installFloatingPointTraps(false));
  resetVariables();
  g_variables.set('x', 1e200);
  const EvalResult r = evaluateText("x*x");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.value, std::numeric_limits<double>::infinity());
}

TEST(MathLibraryErrors, FeedTheWordInProgress) {
  ASSERT_TRUE(installFloatingPointTraps(false));
  struct Case { double (*call)(double); double arg; EvalStatus bit; const char* what; };
  const Case cases[] = {
      {[](double a) { return log10(a); }, -1, evalerr::LogDomain, "log10(-1)"},
      {[](double a) { return acos(a); }, 2, evalerr::DomainError, "acos(2)"},
      {[](double a) { return asin(a); }, 2, evalerr::DomainError, "asin(2)"},
      {[](double a) { return sqrt(a); }, -1, evalerr::NegativeRoot, "sqrt(-1)"},
      {[](double a) { return exp(a); }, 1000, evalerr::Overflow, "exp(1000)"},
  };
  for (const Case& c : cases) {
    EvalStatus st = 0;
    {
      EvalScope scope(st);
      volatile double r = c.call(c.arg);
      (void)r;
    }
    EXPECT_EQ(st & c.bit, c.bit) << c.what;
    // Outside an evaluation the library's default handling stays: no crash, no word to feed.
    volatile double r = c.call(c.arg);
    (void)r;
  }
}

class StderrUserInterface final : public UserInterface {
 public:
  void messageBox(const std::string& text) override { std::fprintf(stderr, "messagebox: %s\n", text.c_str()); }
  void statusLine(const std::string&, int) override {}
  void beep() override {}
};

void trapOutsideAnyEvaluation() {
  static StderrUserInterface ui;
  installUserInterface(&ui);
  installFloatingPointTraps(true);
  volatile double big = 1e308;
  volatile double product = big * 10.0;
  std::fprintf(stderr, "carried on with %g\n", product);
  std::exit(0);
}

TEST(FatalTrap, OutsideAnEvaluationEndsTheProgramWithCodeThree) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(trapOutsideAnyEvaluation(), ::testing::ExitedWithCode(3),
              "Unhandled floating-point exception! Press OK to exit program.");
}

}  // namespace
}  // namespace qv
