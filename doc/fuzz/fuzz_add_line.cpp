// Feeds arbitrary lines to Add line's parsing (classification, solving, clauses) and differentiates
// what it accepts: every line must end in a record or a status, never in a crash, a leak or a hang.
#include <cstddef>
#include <cstdint>
#include <string>

#include "doc/equation.h"
#include "doc/equation_line.h"
#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/printer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 400) return 0;
  std::string line(reinterpret_cast<const char*>(data), size);
  line = line.c_str();  // the engine reads C strings

  qv::resetVariables();
  qv::Equation* e = qv::newEquation();
  if (!e) return 0;
  e->text = line;
  qv::GridRanges ranges;
  if (size % 7 == 3) ranges.yMin = 9;  // an inverted range now and then
  const qv::ParseStatus status = qv::parseLine(*e, ranges);
  if (status == 0) {
    if (qv::Equation* d = qv::derivativeEquation(*e)) {
      qv::Equation* again = qv::newEquation();
      again->text = d->text;
      (void)qv::parseLine(*again, ranges);
      qv::freeEquation(again);
      qv::freeEquation(d);
    }
    qv::g_variables.set('x', 0.5);
    qv::g_variables.set('y', -1.5);
    qv::g_variables.set('t', 2.0);
    for (qv::ExprNode* t : e->tree) {
      qv::EvalStatus es = 0;
      (void)qv::evaluate(t, es);
      (void)qv::printExpr(t);
    }
    (void)qv::replaceClause(e->text, 'a', false, "{a: 1,2,3}");
    (void)qv::writeInitialValues(e->text, {1, 2, 3});
  } else {
    (void)qv::parseFailureMessage(status, *e);
  }
  qv::freeEquation(e);
  (void)qv::classifyText(line);
  (void)qv::initialValueCount(line);
  return 0;
}
