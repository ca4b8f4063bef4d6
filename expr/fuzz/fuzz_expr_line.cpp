// Feeds arbitrary lines to the tokenizer, expression and relation parsers, power marking, evaluator
// and number and message formatters.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "doc/equation.h"
#include "doc/relation_parser.h"
#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/number_format.h"
#include "expr/parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 1200) return 0;
  std::string line(reinterpret_cast<const char*>(data), size);
  line = line.c_str();  // the engine reads C strings: stop at an embedded NUL

  qv::resetVariables();
  qv::g_variables.set('x', 1.5);
  qv::g_variables.set('y', -2.25);
  qv::g_variables.set('t', 0.5);

  qv::ParseStatus status = 0;
  std::string text = line;
  qv::ExprNode* tree = qv::parseExpression(text, status);
  if (tree) {
    qv::ExprNode* copy = qv::copyTree(tree);
    qv::EvalStatus es = 0;
    double v = qv::evaluate(tree, es);
    (void)qv::markPowers(copy, 'x');
    qv::EvalStatus es2 = 0;
    double w = qv::evaluate(copy, es2);
    for (unsigned flags : {0x02u, 0x06u, 0x81u, 0x20u, 0x40u, 0x08u})
      (void)qv::formatNumber(v, flags, static_cast<int>(size % 12));
    (void)qv::formatNumber(w, 0x81, 3);
    qv::freeTree(copy);
    qv::freeTree(tree);
  }
  // The same line as an equation: relations, classification, power marking.
  std::string equation = line;
  if (qv::parserBegin(equation) == 0) {
    const int relations = 1 + qv::parserCountTokens(qv::kind::Separator);
    if (qv::Equation* first = qv::newEquation()) {
      (void)qv::parseRelations(*first, relations);
      for (qv::Equation* e = first; e; e = e->next) {
        qv::EvalStatus es = 0;
        (void)qv::evaluate(e->tree[1], es);
      }
      qv::freeEquationChain(first);
    }
  }

  std::uint16_t cs = 0;
  (void)qv::evaluateConstantText(line.c_str(), cs);
  (void)qv::preScan(line.c_str());
  (void)qv::formatMessage(line.c_str(), {1.25, 'x', -3.5e-7, 12345.0});
  return 0;
}
