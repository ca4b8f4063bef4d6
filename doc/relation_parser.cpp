#include "relation_parser.h"

#include "expr/parser.h"

namespace qv {

namespace {

// Inequality flags of a relation token; false when the token is no relation.
bool relationFlags(std::uint8_t token, std::uint16_t& flags) {
  switch (token) {
    case kind::Equal: flags = 0; return true;
    case kind::Less: flags = eqflag::ShadeBelow | eqflag::Strict; return true;
    case kind::Greater: flags = eqflag::ShadeAbove | eqflag::Strict; return true;
    case kind::LessEqual: flags = eqflag::ShadeBelow; return true;
    case kind::GreaterEqual: flags = eqflag::ShadeAbove; return true;
    default: return false;
  }
}

ParseStatus parseOneRelation(Equation& e, int relations, RelationSolver solver) {
  parserReset();
  ParseStatus& status = parserStatus();
  e.tree[0] = parserExpression();
  if (!e.tree[0]) status |= parse::BlankSide;
  if (status) return status;

  std::uint16_t inequality = 0;
  if (!relationFlags(parserLookahead(), inequality)) return status |= parse::NoRelation;
  parserConsume();
  e.flags |= inequality;

  e.tree[1] = parserExpression();
  if (!e.tree[1]) status |= parse::BlankSide;
  if (status) return status;

  std::uint16_t unused = 0;
  const std::uint8_t next = parserLookahead();
  if (relationFlags(next, unused)) return status |= parse::NoRelation;
  if (next != 0 && next != kind::Separator) return status |= parse::BadSyntax;

  e.flags |= classify(parserUsage(), relations);
  if (parserUsesInt()) e.flags |= eqflag::UsesInt;

  const VarCode indep = independentVariable(e);
  status |= markPowers(e.tree[0], indep);
  status |= markPowers(e.tree[1], indep);
  if (!status && solver) status |= solver(e);
  return status;
}

}  // namespace

ParseStatus parseRelations(Equation& first, int relations, RelationSolver solver) {
  Equation* current = &first;
  ParseStatus status = 0;
  for (;;) {
    status = parseOneRelation(*current, relations, solver);
    if (status || parserLookahead() != kind::Separator) break;
    parserConsume();
    Equation* e = newEquation();
    if (!e) {
      status = parse::OutOfMemory;
      break;
    }
    e->previous = current;
    current->next = e;
    current = e;
  }
  parserEnd();
  return status;
}

}  // namespace qv
