#include "doc/equation_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "doc/graph_doc.h"
#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/printer.h"
#include "expr/test_util.h"
#include "platform/ui.h"

namespace qv {
namespace {

struct Parsed {
  Equation* e = nullptr;
  ParseStatus status = 0;
  explicit Parsed(const char* line, const GridRanges& ranges = {}) {
    resetVariables();
    e = newEquation();
    e->text = line;
    status = parseLine(*e, ranges);
  }
  ~Parsed() { freeEquation(e); }
  std::string tree(int i) const { return e->tree[i] ? printExpr(e->tree[i]) : "-"; }
  std::string axes() const { return {static_cast<char>(e->axis[0]), static_cast<char>(e->axis[1])}; }
};

TEST(ParseLine, SolvesAndClassifies) {
  const struct {
    const char* line;
    GraphKind kind;
    std::uint16_t lowFlags;
    const char* axes;
    const char* tree0;
    const char* tree1;
  } cases[] = {
      {"y=x^2-3", GraphKind::Cartesian, 0, "xy", "-", "x^2 - 3"},
      {"2y+1=x", GraphKind::Cartesian, 0, "xy", "-", "(x - 1)/2"},
      {"x=ln y", GraphKind::Cartesian, 0, "xy", "-", "exp x"},
      {"y^2=x", GraphKind::Cartesian, eqflag::TwoBranches, "xy", "-x^(1/2)", "x^(1/2)"},
      {"x=cosh(y)", GraphKind::Cartesian, eqflag::FunctionOfY, "yx", "-", "cosh y"},
      {"y+y=x", GraphKind::Cartesian, eqflag::FunctionOfY, "yx", "-", "y + y"},
      {"x^2+y^2=1", GraphKind::Cartesian, eqflag::TwoBranches, "xy", "-(1 - x^2)^(1/2)", "(1 - x^2)^(1/2)"},
      {"y^2=2", GraphKind::Cartesian, eqflag::TwoBranches, "xy", "-(2^(1/2))", "2^(1/2)"},
      {"x^2+x=2", GraphKind::Cartesian, eqflag::FunctionOfY, "yx", "-", "1"},
      {"y+y^3=2", GraphKind::Cartesian, 0, "xy", "-", "1"},
      {"r=2", GraphKind::Polar, 0, "tr", "-", "2"},
      {"r^2=t", GraphKind::Polar, eqflag::TwoBranches, "tr", "-t^(1/2)", "t^(1/2)"},
      {"x=t^2; y=t {0, 1}", GraphKind::Parametric, 0, "xy", "t^2", "t"},
      {"y=t; x=t^2 {0, 1}", GraphKind::Parametric, 0, "xy", "t^2", "t"},
      {"x=1; y=2", GraphKind::ParametricPoint, 0, "xy", "1", "2"},
      {"dx=x", GraphKind::Ode, 0, "tx", "x", "-"},
      {"y<x^2", GraphKind::Cartesian, eqflag::ShadeBelow | eqflag::Strict, "xy", "-", "x^2"},
      {"y>=x", GraphKind::Cartesian, eqflag::ShadeAbove, "xy", "-", "x"},
  };
  for (const auto& c : cases) {
    Parsed p(c.line);
    ASSERT_EQ(p.status, 0) << c.line;
    EXPECT_EQ(p.e->kind(), c.kind) << c.line;
    EXPECT_EQ(p.e->flags & 0xFF, c.lowFlags) << c.line;
    EXPECT_EQ(p.axes(), c.axes) << c.line;
    EXPECT_EQ(p.tree(0), c.tree0) << c.line;
    EXPECT_EQ(p.tree(1), c.tree1) << c.line;
  }
}

TEST(ParseLine, InequalitiesKeepBothSides) {
  Parsed p("y<x^2");
  ASSERT_EQ(p.status, 0);
  EXPECT_EQ(p.tree(2), "y");
  EXPECT_EQ(p.tree(3), "x^2");
  Parsed q("y=x^2");
  EXPECT_EQ(q.tree(2), "-");
  EXPECT_EQ(q.tree(3), "-");
}

TEST(ParseLine, PowersAreMarkedAgainAfterSolving) {
  Parsed cube("x=y^3");
  ASSERT_EQ(cube.status, 0);
  EXPECT_EQ(cube.e->tree[1]->kind, kind::PowOddRootOdd);
  Parsed oddRoot("x=y^(1/3)");
  ASSERT_EQ(oddRoot.status, 0);
  EXPECT_EQ(oddRoot.e->tree[1]->kind, kind::PowOddRootOdd);
  Parsed evenRoot("x=y^(2/3)");
  ASSERT_EQ(evenRoot.status, 0);
  EXPECT_EQ(evenRoot.e->flags & eqflag::TwoBranches, eqflag::TwoBranches);
  EXPECT_EQ(evenRoot.e->tree[1]->kind, kind::PowEvenRoot);
  Parsed sq("sqrt(y)=x");
  ASSERT_EQ(sq.status, 0);
  EXPECT_EQ(sq.e->tree[1]->kind, kind::PowEvenRoot);
  resetVariables();
  g_variables.set('x', -8);
  EvalStatus st = 0;
  EXPECT_TRUE(testing::nearlyEqual(evaluate(cube.e->tree[1], st), -2.0));
  EXPECT_EQ(st, 0);
  Parsed absInverse("abs(y)=x");
  ASSERT_EQ(absInverse.status, 0);
  g_variables.set('x', -1);
  st = 0;
  evaluate(absInverse.e->tree[1], st);
  EXPECT_EQ(st, evalerr::AbsInverseNegative);
}

TEST(ParseLine, DifferentialEquations) {
  Parsed second("d2x=-x {0, 1, 0}");
  ASSERT_EQ(second.status, 0);
  EXPECT_EQ(second.e->kind(), GraphKind::Ode);
  EXPECT_EQ(second.e->order, 2);
  EXPECT_EQ(second.tree(0), "j");
  EXPECT_EQ(second.tree(1), "-x");
  ASSERT_EQ(second.e->ivs.size(), 3u);
  EXPECT_EQ(second.e->ivs[1], 1.0);

  Parsed dydx("dy=x*y");
  ASSERT_EQ(dydx.status, 0);
  EXPECT_EQ(dydx.e->kind(), GraphKind::Ode);
  EXPECT_EQ(dydx.e->flags & eqflag::FunctionOfY, eqflag::FunctionOfY);
  EXPECT_EQ(dydx.axes(), "tx");
  EXPECT_EQ(dydx.tree(0), "t*x");
  Parsed dydxDomain("dy=x*y {x: 0, 5}");
  ASSERT_EQ(dydxDomain.status, 0);
  EXPECT_EQ(dydxDomain.e->domainHigh, 5.0);

  Parsed system("dx=y; dy=-x {0, 1, 0}");
  ASSERT_EQ(system.status, 0);
  EXPECT_EQ(system.e->kind(), GraphKind::OdeSystem);
  EXPECT_EQ(system.e->order, 2);
  EXPECT_EQ(system.tree(0), "y");
  EXPECT_EQ(system.tree(1), "-x");
  ASSERT_EQ(system.e->ivs.size(), 3u);
  EXPECT_EQ(system.e->ivs[0], 0.0);
  EXPECT_EQ(system.e->ivs[1], 1.0);

  Parsed phase("dx=y; dy=-x {0, 1, 0} {v: x, y}");
  ASSERT_EQ(phase.status, 0);
  EXPECT_EQ(phase.e->kind(), GraphKind::OdeSystemPhase);
  EXPECT_EQ(phase.axes(), "xy");
  Parsed alt("dx1=x2; dx2=-x1 {0,1,0} {v: x1, x2}");
  ASSERT_EQ(alt.status, 0);
  EXPECT_EQ(alt.e->kind(), GraphKind::OdeSystemPhase);
  EXPECT_EQ(alt.axes(), "xy");
  Parsed odePhase("d2x=-x {0, 1, 0} {v: x, dx}");
  ASSERT_EQ(odePhase.status, 0);
  EXPECT_EQ(odePhase.e->kind(), GraphKind::OdePhase);
  EXPECT_EQ(odePhase.axes(), "xj");

  Parsed slopeField("dx=x");
  ASSERT_EQ(slopeField.status, 0);
  ASSERT_EQ(slopeField.e->ivs.size(), 2u);
  EXPECT_EQ(slopeField.e->ivs[0], UNDEFINED_VALUE);
}

TEST(ParseLine, Clauses) {
  Parsed polar("r=2 {t: 0, 3.14}");
  ASSERT_EQ(polar.status, 0);
  EXPECT_EQ(polar.e->domainLow, 0.0);
  EXPECT_EQ(polar.e->domainHigh, 3.14);
  Parsed unnamed("r=2 {0, 3.14}");
  EXPECT_EQ(unnamed.e->domainHigh, 3.14);
  Parsed blankLow("y=x {, 5}");
  ASSERT_EQ(blankLow.status, 0);
  EXPECT_EQ(blankLow.e->domainLow, -INFINITY);
  EXPECT_EQ(blankLow.e->domainHigh, 5.0);
  Parsed blankHigh("y=x {-2,}");
  ASSERT_EQ(blankHigh.status, 0);
  EXPECT_EQ(blankHigh.e->domainLow, -2.0);
  EXPECT_EQ(blankHigh.e->domainHigh, INFINITY);
  Parsed param("x=t; y=t^2 {t: 0, 1, 0.1}");
  ASSERT_EQ(param.status, 0);
  EXPECT_EQ(param.e->domainHigh, 1.0);
  ASSERT_EQ(param.e->ivs.size(), 1u);
  EXPECT_EQ(param.e->ivs[0], 0.1);
  Parsed paramNoStep("x=t; y=t^2 {t: 0, 2p}");
  ASSERT_EQ(paramNoStep.status, 0);
  EXPECT_TRUE(paramNoStep.e->ivs.empty());
  EXPECT_TRUE(testing::nearlyEqual(paramNoStep.e->domainHigh, 2 * PI_CONSTANT));

  Parsed family("y=a*x^2");
  ASSERT_EQ(family.status, 0);
  EXPECT_EQ(family.e->text, "y=a*x^2 {a: 1,3,1}");
  EXPECT_EQ(family.e->aStart, 1.0);
  EXPECT_EQ(family.e->aStop, 3.0);
  EXPECT_EQ(family.e->aStep, 1.0);
  Parsed bc("y=b*x+c 'line");
  ASSERT_EQ(bc.status, 0);
  EXPECT_EQ(bc.e->text, "y=b*x+c {b: 1} {c: 1} 'line");
  Parsed given("y=a*x {a: 2, 4, 0.5}");
  EXPECT_EQ(given.e->aStop, 4.0);
  EXPECT_EQ(given.e->text, "y=a*x {a: 2, 4, 0.5}");
  Parsed upper("Y=X^2 'Keep Case");
  EXPECT_EQ(upper.e->text, "y=x^2 'Keep Case");
}

TEST(ParseLine, FailuresInOrder) {
  const struct {
    const char* line;
    ParseStatus status;
  } cases[] = {
      {"", parse::EmptyText},
      {"   ", parse::EmptyText},
      {"y+x", parse::NoRelation},
      {"=x", parse::BlankSide},
      {"y=x+", parse::MissingOperand},
      {"y=(x+1", parse::BadSyntax},
      {"y=xx", parse::UnknownName},
      {"y=x#", parse::BadCharacter},
      {"x=t; x=2t", parse::UnknownName},
      {"x=t; y=t; x=1", parse::UnknownName},
      {"x=t; y=t^2", parse::DomainMissing},
      {"dx=y; dy=-x", parse::NotEnoughIVs},
      {"d2x=-x", parse::NotEnoughIVs},
      {"d2x=-x {0, 1}", parse::NotEnoughIVs},
      {"y=x {,}", parse::DomainBad},
      {"y=x {1, q}", parse::DomainBad},
      {"y=x {1, 2", parse::DomainBad},
      {"y=a*x {a: 1, 2}", parse::DomainBad},
      {"y<a*x", parse::InequalityNotAllowed},
      {"y<x; y>2", parse::InequalityNotAllowed},
      {"r<2", parse::InequalityNotAllowed},
      {"y=(-2)^x", parse::DiscontinuousPower},
      {"cosh(y)=cosh(x)", parse::NoInverse},
      {"x*x+1=0", parse::BadDependentVar},
      {"y*y=x*x*x", parse::BadDependentVar},
      {"y*y=-1", parse::BadDependentVar},
      {"r+r=t", parse::BadDependentVar},
      {"d2x=-x; dy=x {0,1,0,0}", parse::UnknownName},
      {"dx=y; dy=x; dz=1; dw=2; dx=3", parse::UnknownName},
      {"dx=y; dy=-x {0, 1, 0} {v: x, x}", parse::DomainBad},
      {"dx=y; dy=-x {0, 1, 0} {v: x, q}", parse::DomainBad},
  };
  for (const auto& c : cases) {
    Parsed p(c.line);
    EXPECT_TRUE(p.status & c.status) << c.line << " gave " << p.status;
    // The message is the one of the expected bit: it comes first among those raised.
    EXPECT_EQ(parseFailureMessage(p.status, *p.e), parseFailureMessage(c.status, *p.e)) << c.line;
  }
}

TEST(ParseLine, NumericFallbackNeedsAUsableGrid) {
  GridRanges inverted;
  inverted.yMin = 5;
  inverted.yMax = -5;
  EXPECT_EQ(Parsed("x^2+x=2", inverted).status, parse::BadDependentVar);
  GridRanges empty;
  empty.xMin = empty.xMax = 3;
  EXPECT_EQ(Parsed("x^2+x=2", empty).status, parse::BadDependentVar);
  GridRanges wide;
  wide.xMin = -10;
  wide.xMax = 10;
  Parsed p("x^2+x=2", wide);
  ASSERT_EQ(p.status, 0);
  EXPECT_EQ(p.tree(1), "1");
}

TEST(Messages, FillTheirPlaceholders) {
  Parsed polar("r+r=t");
  EXPECT_EQ(parseFailureMessage(polar.status, *polar.e),
            "No dependent variable or more than one 'r' found. Please edit your equation.");
  Parsed ivs("dx=y; dy=-x");
  EXPECT_EQ(parseFailureMessage(ivs.status, *ivs.e),
            "Not enough initial values supplied to draw graph. Make sure this ODE includes 3 IVs and try again.");
  Parsed inverse("cosh(y)=cosh(x)");
  EXPECT_EQ(parseFailureMessage(inverse.status, *inverse.e),
            "Can't find the inverse of this function of y. Please edit your equation.");
}

TEST(Clauses, ReplaceAndWriteInitialValues) {
  EXPECT_EQ(replaceClause("y=a*x {a: 1,3,1} {b: 2}", 'a', false, "{a: 2,4,1}"), "y=a*x {b: 2} {a: 2,4,1}");
  EXPECT_EQ(replaceClause("y=x 'note", 'x', true, "{0, 1}"), "y=x {0, 1} 'note");
  EXPECT_EQ(replaceClause("r=2 {0, 3}", 't', true, "{t: 1, 2}"), "r=2 {t: 1, 2}");
  EXPECT_EQ(writeInitialValues("d2x=-x {0, 1, 0}", {0.5, 2, 12345}), "d2x=-x {0.5, 2, 1.2*10^4}");
  EXPECT_EQ(writeInitialValues("dx=y; dy=-x", {0, 1, 0}), "dx=y; dy=-x {0, 1, 0}");
  const std::string longText = "y=x" + std::string(245, ' ') + "+1";
  EXPECT_LE(replaceClause(longText, 'x', true, "{0, 1}").size(), 250u);
}

TEST(ClassifyText, FlagsOfALine) {
  EXPECT_EQ(classifyText("y=x"), 0x0100);
  EXPECT_EQ(classifyText("dx=y; dy=-x {0,1,0}"), 0x0D00);
  EXPECT_EQ(classifyText("y="), 0);
  EXPECT_EQ(initialValueCount("d2x=-x"), 2);
  EXPECT_EQ(initialValueCount("dx=y; dy=-x"), -2);
  EXPECT_EQ(initialValueCount("y=x"), 0);
}

std::string derivativeOf(const char* line) {
  Parsed p(line);
  EXPECT_EQ(p.status, 0) << line;
  Equation* d = derivativeEquation(*p.e);
  if (!d) return "<none>";
  std::string text = d->text;
  // The record's text parses again into the derivative's own kind.
  Parsed again(text.c_str());
  EXPECT_EQ(again.status, 0) << text;
  freeEquation(d);
  return text;
}

TEST(DerivativeEquation, TextsAndKinds) {
  EXPECT_EQ(derivativeOf("y=x^3"), "y=3*x^2 ' deriv. of y=x^3");
  EXPECT_EQ(derivativeOf("y=sin(2x)"), "y=2*cos (2*x) ' deriv. of y=sin(2x)");
  EXPECT_EQ(derivativeOf("x=y^2+y"), "x=1 + 2*y ' deriv. of x=y^2+y");
  EXPECT_EQ(derivativeOf("r=t^2 {0, 3}"), "r=2*t ' deriv. of r=t^2 {0, 3}");
  EXPECT_EQ(derivativeOf("x=t^2; y=t {t: 0, 1}"), "x=2*t ; y=1 {0, 1} ' deriv. of x=t^2; y=t {t: 0, 1}");
  EXPECT_EQ(derivativeOf("y=abs(x)"), "<none>");
  EXPECT_EQ(derivativeOf("dx=x"), "<none>");
  EXPECT_EQ(derivativeOf("y<x^2"), "<none>");
  EXPECT_EQ(derivativeOf("x=1; y=2"), "<none>");

  Parsed p("y=x^2 'a comment");
  Equation* d = derivativeEquation(*p.e);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->flags, p.e->flags);
  EXPECT_EQ(d->axis[0], 'x');
  freeEquation(d);

  Parsed two("y^2=x");
  d = derivativeEquation(*two.e);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->flags & eqflag::TwoBranches, 0);
  EXPECT_EQ(d->tree[0], nullptr);
  freeEquation(d);

  const std::string longLine = "y=x^2 '" + std::string(240, 'c');
  Parsed big(longLine.c_str());
  ASSERT_EQ(big.status, 0);
  d = derivativeEquation(*big.e);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->text, "y=2*x ' deriv. of " + longLine.substr(0, 230));
  freeEquation(d);
}

class RecordingUi final : public UserInterface {
 public:
  void messageBox(const std::string& text) override { boxes.push_back(text); }
  void statusLine(const std::string&, int) override {}
  void beep() override {}
  std::vector<std::string> boxes;
};

TEST(AddLine, QueuesOrShowsTheMessage) {
  RecordingUi ui;
  installUserInterface(&ui);
  GraphDoc* doc = createDocument();
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(addLine(*doc, "y=x^2"), 0);
  ASSERT_NE(doc->queueHead, nullptr);
  EXPECT_EQ(doc->queueHead->text, "y=x^2");
  EXPECT_GT(doc->queueHead->colour[0], 0);
  EXPECT_EQ(addLine(*doc, "y=x+"), parse::MissingOperand);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0],
            "The parser couldn't find one of the operands of a binary operation like '+' or the argument to a function "
            "you used. Please edit your equation.");
  EXPECT_EQ(doc->count, 1);

  EXPECT_EQ(evaluatePanelText("2p"), 2 * PI_CONSTANT);
  EXPECT_EQ(evaluatePanelText("x+"), UNDEFINED_VALUE);
  EXPECT_EQ(ui.boxes.back(), "This expression does not evaluate to a constant: x+");

  // Find Derivative queues the derivative of the newest equation, or says why there is none.
  Equation* d = addDerivative(*doc, *doc->queueHead);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(doc->queueHead, d);
  EXPECT_EQ(d->text, "y=2*x ' deriv. of y=x^2");
  EXPECT_EQ(doc->count, 2);
  ASSERT_EQ(addLine(*doc, "y=abs(x)"), 0);
  EXPECT_EQ(addDerivative(*doc, *doc->queueHead), nullptr);
  EXPECT_EQ(ui.boxes.back(), MSG_NO_DERIVATIVE);
  EXPECT_EQ(doc->count, 3);

  // The panel: a family with other values is added anew, the old one stays behind it.
  EXPECT_EQ(addLine(*doc, "y=a*x"), 0);
  variablesPanel().aStart = "2";
  variablesPanel().aStop = "4";
  EXPECT_EQ(applyPanel(*doc, panel::A), 1);
  EXPECT_EQ(doc->queueHead->text, "y=a*x {a: 2,4,1}");
  EXPECT_EQ(doc->queueHead->aStart, 2.0);
  EXPECT_EQ(doc->count, 5);
  // Applying the same values again finds it up to date and adds nothing.
  EXPECT_EQ(applyPanel(*doc, panel::A), 1);
  EXPECT_EQ(doc->count, 5);
  variablesPanel() = VariablesPanel();

  freeDocument(doc);
  installUserInterface(nullptr);
}

}  // namespace
}  // namespace qv
