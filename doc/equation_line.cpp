#include "equation_line.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "doc/graph_doc.h"
#include "doc/relation_parser.h"
#include "expr/derivative.h"
#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/number_format.h"
#include "expr/parser.h"
#include "expr/printer.h"
#include "expr/solver.h"
#include "platform/ui.h"

namespace qv {

namespace {

constexpr double NEWTON_TOLERANCE_FACTOR = 1e-50;
constexpr int NEWTON_SCAN_STEPS = 10;
constexpr std::size_t DERIVATIVE_TEXT_ROOM = 235;
constexpr std::size_t MAX_AXIS_NAME = 49;

// ---------------------------------------------------------------------------------------------
// Solving one relation

bool isInequality(const Equation& e) { return (e.flags & eqflag::Inequality) != 0; }

void freeSlot(ExprNode*& t) {
  freeTree(t);
  t = nullptr;
}

// The relation in one of x and y that no inversion solves: f = right - left and a root of it,
// searched by Newton's iteration from the top of u's range at each of 11 values of the other axis.
ParseStatus numericFallback(Equation& e, VarCode u, const GridRanges& ranges) {
  resetVariables();
  const VarCode w = u == 'x' ? 'y' : 'x';
  ExprNode* f = bringToOneSide(e.tree[0], e.tree[1]);
  e.tree[0] = nullptr;
  e.tree[1] = f;
  int ds = 0;
  ExprNode* df = simplify(differentiate(copyTree(f), u, ds));
  const double uMin = u == 'x' ? ranges.xMin : ranges.yMin;
  const double uMax = u == 'x' ? ranges.xMax : ranges.yMax;
  const double wMin = w == 'x' ? ranges.xMin : ranges.yMin;
  const double wMax = w == 'x' ? ranges.xMax : ranges.yMax;
  const bool usableRanges = std::isfinite(uMin) && std::isfinite(uMax) && std::isfinite(wMin) &&
                            std::isfinite(wMax) && uMin < uMax && wMin < wMax;
  bool found = false;
  double root = 0.0;
  if (ds == 0 && df && usableRanges) {
    const double tolerance = (uMax - uMin) * NEWTON_TOLERANCE_FACTOR;
    const double step = (wMax - wMin) / NEWTON_SCAN_STEPS;
    for (int i = 0; i <= NEWTON_SCAN_STEPS && !found; ++i) {
      g_variables.set(w, wMin + i * step);
      EvalStatus st = 0;
      const double x = newton(f, df, u, uMax, tolerance, st);
      if (st == 0 && std::isfinite(x)) {
        found = true;
        root = x;
      }
    }
  }
  freeTree(df);
  if (!found) return parse::BadDependentVar;
  freeSlot(e.tree[1]);
  e.tree[1] = makeConstant(root);
  e.axis[0] = w;
  e.axis[1] = u;
  if (w == 'y') e.flags |= eqflag::FunctionOfY;
  return 0;
}

// Chooses the variable a relation of this kind is solved for and sets the axis letters and order.
VarCode chooseVariable(Equation& e, int order) {
  switch (e.kind()) {
    case GraphKind::Cartesian:
      e.axis[0] = 'x';
      e.axis[1] = 'y';
      return 'y';
    case GraphKind::Polar:
      e.axis[0] = 't';
      e.axis[1] = 'r';
      return 'r';
    case GraphKind::OdeDyDx:
      // dy/dx written in x and y: the solver's independent variable is t and the state x.
      e.setKind(GraphKind::Ode);
      e.flags |= eqflag::FunctionOfY;
      for (ExprNode* t : {e.tree[0], e.tree[1]}) {
        replaceVariable(t, 'x', 't');
        replaceVariable(t, 'y', 'x');
        for (int i = 0; i < order && i < 4; ++i) replaceVariable(t, static_cast<VarCode>('J' + i), static_cast<VarCode>('j' + i));
      }
      [[fallthrough]];
    case GraphKind::Ode:
    case GraphKind::SystemX:
      e.axis[0] = 't';
      e.axis[1] = 'x';
      e.order = static_cast<std::int8_t>(order);
      return static_cast<VarCode>('j' + std::clamp(order, 1, 4) - 1);
    case GraphKind::SystemY:
      e.order = static_cast<std::int8_t>(order);
      return static_cast<VarCode>('J' + std::clamp(order, 1, 4) - 1);
    case GraphKind::SystemZ:
      e.order = static_cast<std::int8_t>(order);
      return 'Z';
    case GraphKind::SystemW:
      e.order = static_cast<std::int8_t>(order);
      return 'W';
    case GraphKind::ParamX:
      e.axis[0] = 'x';
      e.axis[1] = 'y';
      return 'x';
    default:
      e.axis[0] = 'x';
      e.axis[1] = 'y';
      return 'y';
  }
}

const GridRanges* g_solveRanges = nullptr;

ParseStatus solveWithCurrentRanges(Equation& e) {
  static const GridRanges defaults;
  return solveRelation(e, parserOrder(), g_solveRanges ? *g_solveRanges : defaults);
}

// ---------------------------------------------------------------------------------------------
// Joining the relations of one line

void takeTrees(Equation& from, ExprNode*& slot) {
  slot = from.tree[1];
  from.tree[1] = nullptr;
}

// A parametric pair (sorted x before y) or a system in the order typed, merged into e.
ParseStatus joinRelations(Equation& e, Equation* chain, int n) {
  std::vector<Equation*> records;
  for (Equation* r = chain; r; r = r->next) records.push_back(r);
  const GraphKind first = records.front()->kind();
  std::uint16_t low = 0;
  if (first == GraphKind::ParamX || first == GraphKind::ParamY) {
    std::stable_sort(records.begin(), records.end(), [](const Equation* a, const Equation* b) { return a->flags < b->flags; });
    if (records.size() != 2 || records[0]->kind() != GraphKind::ParamX || records[1]->kind() != GraphKind::ParamY)
      return parse::UnknownName;
    for (Equation* r : records) low |= r->flags & 0xFF;
    // A negative branch of either half has no place in a parametric record: tree 0 is x(t).
    low &= ~eqflag::TwoBranches;
    takeTrees(*records[0], e.tree[0]);
    takeTrees(*records[1], e.tree[1]);
    const bool usesT = containsVariable(e.tree[0], 't') || containsVariable(e.tree[1], 't');
    e.flags = low;
    e.setKind(usesT ? GraphKind::Parametric : GraphKind::ParametricPoint);
    e.axis[0] = 'x';
    e.axis[1] = 'y';
    return 0;
  }
  static const GraphKind expected[4] = {GraphKind::SystemX, GraphKind::SystemY, GraphKind::SystemZ, GraphKind::SystemW};
  if (n > 4 || records.size() > 4) return parse::UnknownName;
  const std::uint16_t names = records.front()->flags & eqflag::FunctionOfY;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (records[i]->kind() != expected[i] || (records[i]->flags & eqflag::FunctionOfY) != names)
      return parse::UnknownName;
    low |= records[i]->flags & 0xFF;
  }
  if (records[0]->order + records[1]->order > 2) return parse::UnknownName;
  low &= ~eqflag::TwoBranches;
  for (std::size_t i = 0; i < records.size(); ++i) takeTrees(*records[i], e.tree[i]);
  e.flags = low;
  e.setKind(GraphKind::OdeSystem);
  e.order = static_cast<std::int8_t>(records.size());
  e.axis[0] = 't';
  e.axis[1] = 'x';
  return 0;
}

// d2x = -x becomes x' = dx, dx' = -x: the right side goes to tree k-1, the state leaves before it.
void toFirstOrder(Equation& e) {
  const int k = std::clamp<int>(e.order, 1, 4);
  ExprNode* rhs = e.tree[1];
  e.tree[1] = nullptr;
  freeSlot(e.tree[0]);  // a two-branch solution has no meaning for a differential equation
  e.flags &= ~eqflag::TwoBranches;
  for (int i = 0; i < k - 1; ++i) e.tree[i] = makeVariable(static_cast<VarCode>('j' + i));
  e.tree[k - 1] = rhs;
}

// ---------------------------------------------------------------------------------------------
// Brace clauses

std::string trim(const std::string& s) {
  std::size_t a = 0, b = s.size();
  while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
  return s.substr(a, b - a);
}

std::string rtrim(const std::string& s) {
  std::size_t b = s.size();
  while (b > 0 && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
  return s.substr(0, b);
}

struct Clause {
  std::size_t open = 0, close = 0;  // positions of "{" and "}"
  std::string values;               // the text after the name
};

enum class Found { Yes, No, Unclosed };

// Where the comment starts: the first apostrophe outside a clause (npos when there is none).
std::size_t commentStart(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\'') return i;
    if (text[i] == '{') {
      const std::size_t close = text.find('}', i + 1);
      if (close == std::string::npos) return std::string::npos;
      i = close;
    }
  }
  return std::string::npos;
}

Found findClause(const std::string& text, char letter, bool acceptUnnamed, Clause& out) {
  const std::size_t end = std::min(commentStart(text), text.size());
  for (std::size_t i = 0; i < end; ++i) {
    if (text[i] != '{') continue;
    const std::size_t close = text.find('}', i + 1);
    if (close == std::string::npos) return Found::Unclosed;
    const std::string body = text.substr(i + 1, close - i - 1);
    const std::size_t colon = body.find(':');
    bool match;
    if (colon == std::string::npos) {
      match = acceptUnnamed;
    } else {
      const std::string name = trim(body.substr(0, colon));
      match = !name.empty() && std::tolower(static_cast<unsigned char>(name[0])) == letter;
    }
    if (match) {
      out.open = i;
      out.close = close;
      out.values = colon == std::string::npos ? body : body.substr(colon + 1);
      return Found::Yes;
    }
    i = close;
  }
  return Found::No;
}

enum class ClauseResult { Ok, NotFound, TooFew, Bad };

struct ClauseOptions {
  bool unnamed = false;
  bool blank = false;
  bool lastOptional = false;
};

std::vector<std::string> splitValues(const std::string& values) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = values.find(',', start);
    parts.push_back(values.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return parts;
}

// Reads count values of the clause named letter into fields (which hold their defaults).
ClauseResult readClause(const std::string& text, char letter, int count, ClauseOptions opt, double* fields) {
  Clause clause;
  const Found found = findClause(text, letter, opt.unnamed, clause);
  if (found == Found::Unclosed) return ClauseResult::Bad;
  if (found == Found::No) return ClauseResult::NotFound;
  const std::vector<std::string> parts = splitValues(clause.values);
  bool firstBlank = false;
  for (int i = 0; i < count; ++i) {
    const bool last = i == count - 1;
    if (i >= static_cast<int>(parts.size())) {
      if (last && opt.lastOptional && !firstBlank) {
        fields[i] = UNDEFINED_VALUE;
        continue;
      }
      return ClauseResult::TooFew;
    }
    if (trim(parts[i]).empty()) {
      if (opt.blank && i == 0) {
        firstBlank = true;
        continue;
      }
      if (opt.blank && i == 1 && !firstBlank) continue;
      if (last && opt.lastOptional && !firstBlank) {
        fields[i] = UNDEFINED_VALUE;
        continue;
      }
      return ClauseResult::Bad;
    }
    std::uint16_t status = 0;
    const double value = evaluateConstantText(parts[i].c_str(), status);
    if (status != 0) return ClauseResult::Bad;
    fields[i] = value;
  }
  return ClauseResult::Ok;
}

// Inserts a clause before the comment part (text after the comment would never be read).
std::string appendClause(const std::string& text, const std::string& clauseText) {
  const std::size_t comment = commentStart(text);
  const std::string main = comment == std::string::npos ? text : text.substr(0, comment);
  const std::string kept = rtrim(main);
  std::string result = kept + " " + clauseText;
  if (comment != std::string::npos) result += main.substr(kept.size()) + text.substr(comment);
  if (result.size() > static_cast<std::size_t>(MAX_EQUATION_TEXT)) result.resize(MAX_EQUATION_TEXT);
  return result;
}

bool usesVariable(const Equation& e, VarCode v) {
  for (const ExprNode* t : e.tree)
    if (containsVariable(t, v)) return true;
  return false;
}

bool isOdeKind(GraphKind k) { return k == GraphKind::Ode || k == GraphKind::OdeSystem; }

ParseStatus readAxesClause(Equation& e) {
  Clause clause;
  const Found found = findClause(e.text, 'v', false, clause);
  if (found == Found::Unclosed) return parse::DomainBad;
  if (found == Found::No) return 0;
  const bool system = e.kind() == GraphKind::OdeSystem;
  const bool alternative = (e.flags & eqflag::FunctionOfY) != 0;
  const char* names = system ? (alternative ? "t1234" : "txyzw") : (alternative ? "xyJKL" : "txjkl");
  const char* internal = system ? "txyzw" : "txjkl";
  const std::size_t usable = std::min<std::size_t>(static_cast<std::size_t>(e.order) + 1, 5);
  const std::vector<std::string> parts = splitValues(clause.values);
  VarCode axis[2] = {0, 0};
  int accepted = 0;
  for (std::size_t i = 0; i < parts.size() && accepted < 2; ++i) {
    const std::string name = trim(parts[i]);
    if (name.empty() || name.size() > MAX_AXIS_NAME) break;
    const VarCode code = varCodeOfName(name.c_str());
    const char* at = std::strchr(names, static_cast<char>(code));
    if (code == 0 || !at || static_cast<std::size_t>(at - names) >= usable) break;
    axis[accepted++] = static_cast<VarCode>(internal[at - names]);
  }
  if (accepted < 2 || axis[0] == axis[1]) return parse::DomainBad;
  e.axis[0] = axis[0];
  e.axis[1] = axis[1];
  e.setKind(system ? GraphKind::OdeSystemPhase : GraphKind::OdePhase);
  return 0;
}

std::string panelClause(char letter) {
  const VariablesPanel& p = variablesPanel();
  if (letter == 'a') return "{a: " + p.aStart + "," + p.aStop + "," + p.aStep + "}";
  return std::string("{") + letter + ": " + (letter == 'b' ? p.b : p.c) + "}";
}

// Reads a parameter clause; a line without one gets the panel's values appended first.
ParseStatus readParameter(Equation& e, char letter, int count, double* fields) {
  ClauseResult r = readClause(e.text, letter, count, {}, fields);
  if (r == ClauseResult::NotFound) {
    e.text = appendClause(e.text, panelClause(letter));
    r = readClause(e.text, letter, count, {}, fields);
  }
  return r == ClauseResult::Ok ? 0 : parse::DomainBad;
}

ParseStatus readClauses(Equation& e) {
  const GraphKind k = e.kind();
  ClauseResult last;
  if (k == GraphKind::Polar) {
    double f[2] = {e.domainLow, e.domainHigh};
    last = readClause(e.text, 't', 2, {true, true, false}, f);
    if (last == ClauseResult::Ok) e.domainLow = f[0], e.domainHigh = f[1];
  } else if (k == GraphKind::Parametric) {
    double f[3] = {e.domainLow, e.domainHigh, UNDEFINED_VALUE};
    last = readClause(e.text, 't', 3, {true, false, true}, f);
    if (last == ClauseResult::Ok) {
      e.domainLow = f[0];
      e.domainHigh = f[1];
      if (f[2] != UNDEFINED_VALUE) e.ivs.assign(1, f[2]);
    }
  } else if (isOdeKind(k)) {
    double f[2] = {e.domainLow, e.domainHigh};
    const char letter = static_cast<char>(independentVariable(e));
    const ClauseResult domain = readClause(e.text, letter, 2, {false, true, false}, f);
    if (domain == ClauseResult::Bad || domain == ClauseResult::TooFew) return parse::DomainBad;
    if (domain == ClauseResult::Ok) e.domainLow = f[0], e.domainHigh = f[1];
    if (const ParseStatus st = readAxesClause(e)) return st;
    if (e.ivs.empty()) e.ivs.assign(static_cast<std::size_t>(e.order) + 1, UNDEFINED_VALUE);
    last = readClause(e.text, 'i', static_cast<int>(e.ivs.size()), {true, false, false}, e.ivs.data());
  } else {
    double f[2] = {e.domainLow, e.domainHigh};
    last = readClause(e.text, 'x', 2, {true, true, false}, f);
    if (last == ClauseResult::Ok) e.domainLow = f[0], e.domainHigh = f[1];
  }
  switch (last) {
    case ClauseResult::Bad:
      return parse::DomainBad;
    case ClauseResult::TooFew:
      return e.order >= 1 ? parse::NotEnoughIVs : parse::DomainBad;
    case ClauseResult::NotFound:
      if (k == GraphKind::Parametric) return parse::DomainMissing;
      if (e.order > 1) return parse::NotEnoughIVs;
      break;
    case ClauseResult::Ok:
      break;
  }

  if (usesVariable(e, 'a')) {
    const GraphKind now = e.kind();
    if (isInequality(e) || now == GraphKind::OdeSystem || now == GraphKind::OdeSystemPhase)
      return parse::InequalityNotAllowed;
    double f[3] = {e.aStart, e.aStop, e.aStep};
    if (readParameter(e, 'a', 3, f)) return parse::DomainBad;
    e.aStart = f[0], e.aStop = f[1], e.aStep = f[2];
  }
  if (usesVariable(e, 'b') && readParameter(e, 'b', 1, &e.bValue)) return parse::DomainBad;
  if (usesVariable(e, 'c') && readParameter(e, 'c', 1, &e.cValue)) return parse::DomainBad;
  return 0;
}

std::string fillLetter(const char* templ, char letter) {
  std::string s = templ;
  const std::size_t at = s.find("%c");
  if (at != std::string::npos) s.replace(at, 2, 1, letter);
  return s;
}

VariablesPanel g_panel;

}  // namespace

// -------------------------------------------------------------------------------------------------

ParseStatus solveRelation(Equation& e, int derivativeOrder, const GridRanges& ranges) {
  const GraphKind initial = e.kind();
  ParseStatus status = initial == GraphKind::None ? parse::UnknownName : 0;
  if (isInequality(e) && initial != GraphKind::Cartesian) status = parse::InequalityNotAllowed;
  if (status) return status;

  const VarCode v = chooseVariable(e, derivativeOrder);
  const bool cartesian = e.kind() == GraphKind::Cartesian;
  const bool inequality = isInequality(e);
  if (cartesian || inequality) {
    e.tree[2] = copyTree(e.tree[0]);
    e.tree[3] = copyTree(e.tree[1]);
  }

  IsolateResult solved = isolate(e.tree[0], e.tree[1], v);
  const int occurrences = solved.occurrences;
  int xOccurrences = 0;
  if (cartesian) {
    bool viaX = false;
    if (solved.status == parse::BadDependentVar) {
      solved = isolate(e.tree[0], e.tree[1], 'x');
      xOccurrences = solved.occurrences;
      viaX = solved.status == 0;
    } else if (solved.status == parse::NoInverse) {
      freeSlot(e.tree[0]);
      freeSlot(e.tree[1]);
      e.tree[0] = copyTree(e.tree[2]);
      e.tree[1] = copyTree(e.tree[3]);
      solved = isolate(e.tree[0], e.tree[1], 'x');
      if (solved.status) solved.status = parse::NoInverse;
      viaX = solved.status == 0;
    }
    if (solved.status == 0) {
      if (viaX) {
        e.flags |= eqflag::FunctionOfY;
        e.axis[0] = 'y';
        e.axis[1] = 'x';
      }
      solved.status = markPowers(e.tree[1], viaX ? 'y' : 'x');
    }
  }
  status = solved.status;

  if (status == 0) {
    if (solved.twoBranches) {
      e.flags |= eqflag::TwoBranches;
      freeSlot(e.tree[0]);
      e.tree[0] = resolvePlusMinus(copyTree(e.tree[1]), true);
      e.tree[1] = resolvePlusMinus(e.tree[1], false);
    } else {
      freeSlot(e.tree[0]);
    }
  } else if (status == parse::BadDependentVar && (!cartesian || occurrences == 0 || xOccurrences == 0)) {
    // Only a relation in one of x and y has a constant solution; one in both stays rejected.
    status = numericFallback(e, cartesian && xOccurrences >= 2 ? 'x' : 'y', ranges);
  }
  if (cartesian && !inequality) {
    freeSlot(e.tree[2]);
    freeSlot(e.tree[3]);
  }
  return status;
}

ParseStatus parseLine(Equation& e, const GridRanges& ranges) {
  if (e.text.size() > static_cast<std::size_t>(MAX_EQUATION_TEXT)) e.text.resize(MAX_EQUATION_TEXT);
  e.text = trim(e.text);
  if (e.text.empty()) return parse::EmptyText;
  ParseStatus status = parserBegin(e.text);
  if (status) return status;
  const int relations = 1 + parserCountTokens(kind::Separator);
  g_solveRanges = &ranges;
  if (relations == 1) {
    status = parseRelations(e, 1, solveWithCurrentRanges);
    g_solveRanges = nullptr;
    if (status) return status;
    if (isTransientKind(e.kind())) return parse::UnknownName;
    if (e.kind() == GraphKind::Ode) toFirstOrder(e);
  } else {
    Equation* chain = newEquation();
    if (!chain) {
      parserEnd();
      g_solveRanges = nullptr;
      return parse::OutOfMemory;
    }
    status = parseRelations(*chain, relations, solveWithCurrentRanges);
    g_solveRanges = nullptr;
    if (!status) status = joinRelations(e, chain, relations);
    freeEquationChain(chain);
    if (status) return status;
  }
  return readClauses(e);
}

std::string parseFailureMessage(ParseStatus status, const Equation& e) {
  const char letter = e.kind() == GraphKind::Polar ? 'r' : 'y';
  if (status & parse::OutOfMemory) return MSG_NO_MEMORY;
  if (status & parse::EmptyText)
    return "Please type an equation in the edit field (or select one from the listbox) first; then press enter or "
           "click the Graph button.";
  if (status & parse::NoRelation) return "No equals sign or more than one found. Please edit your equation.";
  if (status & parse::BlankSide)
    return "One or both sides of the equation seems to be blank. Please check that there is an expression on both "
           "sides of the equals sign.";
  if (status & parse::BadDependentVar)
    return fillLetter("No dependent variable or more than one '%c' found. Please edit your equation.", letter);
  if (status & (parse::UnknownName | parse::BadCharacter))
    return "Your equation included a variable or function that Quorvex does not support, or you mis-typed a "
           "function name. Please edit your equation and try again.";
  if (status & parse::MissingOperand)
    return "The parser couldn't find one of the operands of a binary operation like '+' or the argument to a "
           "function you used. Please edit your equation.";
  if (status & parse::BadSyntax)
    return "The parser couldn't interpret your equation because of a bad operator or mismatched parentheses. Please "
           "edit your equation and try again.";
  if (status & parse::NoInverse)
    return fillLetter("Can't find the inverse of this function of %c. Please edit your equation.", letter);
  if (status & parse::NotEnoughIVs) {
    char buf[160];
    std::snprintf(buf, sizeof buf,
                  "Not enough initial values supplied to draw graph. Make sure this ODE includes %d IVs and try again.",
                  e.order + 1);
    return buf;
  }
  if (status & parse::DomainMissing)
    return "Parametric equation requires that you specify a domain! See Parametric Graphing in help file for "
           "details.";
  if (status & parse::DomainBad)
    return "The domain you entered could not be parsed or did not evaluate to one or more constant values. Please "
           "edit your equation and try again.";
  if (status & parse::InequalityNotAllowed)
    return "Quorvex only supports inequalities for single rectangular equations. Please replace the < or > with = "
           "and try again.";
  if (status & parse::DiscontinuousPower)
    return "Cannot accurately draw the graph of a discontinuous function (like y=w^x, w < 0).";
  return "";
}

ParseStatus addLine(GraphDoc& doc, const std::string& text, const GridRanges& ranges) {
  Equation* e = newEquation();
  if (!e) {
    userInterface().messageBox(MSG_NO_MEMORY);
    return parse::OutOfMemory;
  }
  e->text = text;
  const ParseStatus status = parseLine(*e, ranges);
  if (status == 0) {
    addEquation(doc, e);
    return 0;
  }
  userInterface().messageBox(parseFailureMessage(status, *e));
  freeEquation(e);
  return status;
}

std::uint16_t classifyText(const std::string& text, const GridRanges& ranges) {
  Equation* e = newEquation();
  if (!e) return 0;
  e->text = text;
  const std::uint16_t flags = parseLine(*e, ranges) == 0 ? e->flags : 0;
  freeEquation(e);
  return flags;
}

int initialValueCount(const std::string& text) {
  const PreScanResult r = preScan(text.c_str());
  return r.status ? 0 : r.order;
}

std::string replaceClause(const std::string& text, char letter, bool acceptUnnamed, const std::string& clauseText) {
  std::string joined = text;
  Clause clause;
  if (findClause(text, letter, acceptUnnamed, clause) == Found::Yes)
    joined = rtrim(text.substr(0, clause.open)) + text.substr(clause.close + 1);
  return appendClause(joined, clauseText);
}

std::string writeInitialValues(const std::string& text, const std::vector<double>& values) {
  if (values.size() < 2) return text;
  std::string clause = formatMessage("{%*, %*", {values[0], values[1]});
  for (std::size_t i = 2; i < values.size() && i < 5; ++i) clause += formatMessage(", %*", {values[i]});
  clause += "}";
  return replaceClause(text, 'i', true, clause);
}

Equation* derivativeEquation(const Equation& e) {
  const GraphKind k = e.kind();
  if (k == GraphKind::Ode || k == GraphKind::OdePhase || k == GraphKind::OdeSystem ||
      k == GraphKind::OdeSystemPhase || isInequality(e))
    return nullptr;
  // A point has nothing to differentiate; an incomplete record neither.
  if (k == GraphKind::ParametricPoint || !e.tree[1] || (k == GraphKind::Parametric && !e.tree[0])) return nullptr;
  Equation* d = newEquation();
  if (!d) return nullptr;
  d->flags = e.flags & ~(eqflag::TwoBranches | eqflag::OnGrid);
  d->domainLow = e.domainLow;
  d->domainHigh = e.domainHigh;
  d->aStart = e.aStart;
  d->aStop = e.aStop;
  d->aStep = e.aStep;
  d->bValue = e.bValue;
  d->cValue = e.cValue;
  d->axis[0] = e.axis[0];
  d->axis[1] = e.axis[1];
  resetVariables();
  const VarCode v = independentVariable(e);
  int status = 0;
  d->tree[1] = simplify(differentiate(copyTree(e.tree[1]), v, status));
  if (k == GraphKind::Parametric && status == 0) d->tree[0] = simplify(differentiate(copyTree(e.tree[0]), v, status));
  if (status) {
    freeEquation(d);
    return nullptr;
  }
  std::string text;
  if (k == GraphKind::Parametric) {
    text = "x=";
    printExpr(text, d->tree[0], 0);
    text += " ; y=";
    printExpr(text, d->tree[1], 0);
    text += formatMessage(" {%*, %*}", {d->domainLow, d->domainHigh});
  } else {
    text += static_cast<char>(dependentVariable(e));
    text += "=";
    printExpr(text, d->tree[1], 0);
  }
  if (text.size() < DERIVATIVE_TEXT_ROOM) {
    text += " ' deriv. of ";
    const std::size_t room = DERIVATIVE_TEXT_ROOM - (text.size() - std::strlen(" ' deriv. of "));
    text += e.text.substr(0, room);
  }
  d->text = text;
  return d;
}

Equation* addDerivative(GraphDoc& doc, const Equation& e) {
  Equation* d = derivativeEquation(e);
  if (!d) {
    userInterface().messageBox(MSG_NO_DERIVATIVE);
    return nullptr;
  }
  addEquation(doc, d);
  return d;
}

VariablesPanel& variablesPanel() { return g_panel; }

double evaluatePanelText(const std::string& text) {
  std::uint16_t status = 0;
  const double value = evaluateConstantText(text.c_str(), status);
  if (status == 0) return value;
  userInterface().messageBox("This expression does not evaluate to a constant: " + text);
  return UNDEFINED_VALUE;
}

int applyPanel(GraphDoc& doc, unsigned entered, const GridRanges& ranges) {
  const VariablesPanel& p = variablesPanel();
  auto value = [](const std::string& t) {
    std::uint16_t st = 0;
    const double v = evaluateConstantText(t.c_str(), st);
    return st ? UNDEFINED_VALUE : v;
  };
  const double a0 = value(p.aStart), a1 = value(p.aStop), a2 = value(p.aStep), b = value(p.b), c = value(p.c);
  if (entered & panel::A) g_variables.set('a', a0);
  if (entered & panel::B) g_variables.set('b', b);
  if (entered & panel::C) g_variables.set('c', c);

  std::vector<Equation*> records;
  for (Equation* e = doc.queueHead; e; e = e->next) records.push_back(e);
  auto usesParameters = [](const Equation* e) {
    return e->aStart != UNDEFINED_VALUE || e->bValue != UNDEFINED_VALUE || e->cValue != UNDEFINED_VALUE;
  };
  std::vector<std::string> upToDate;
  std::vector<Equation*> remaining;
  for (Equation* e : records) {
    if (!usesParameters(e)) continue;
    const bool aSame = e->aStart == UNDEFINED_VALUE || (e->aStart == a0 && e->aStop == a1 && e->aStep == a2);
    const bool bSame = e->bValue == UNDEFINED_VALUE || e->bValue == b;
    const bool cSame = e->cValue == UNDEFINED_VALUE || e->cValue == c;
    if (aSame && bSame && cSame) {
      promoteEquation(doc, e->text);
      upToDate.push_back(e->text);
    } else {
      remaining.push_back(e);
    }
  }
  int count = static_cast<int>(upToDate.size());
  // The old texts are copied first: adding a line may drop the oldest record of a full queue.
  std::vector<std::string> texts;
  std::vector<unsigned> uses;
  for (Equation* e : remaining) {
    texts.push_back(e->text);
    uses.push_back((e->aStart != UNDEFINED_VALUE ? panel::A : 0u) | (e->bValue != UNDEFINED_VALUE ? panel::B : 0u) |
                   (e->cValue != UNDEFINED_VALUE ? panel::C : 0u));
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    std::string text = texts[i];
    const unsigned apply = entered & uses[i];
    if (apply & panel::A) text = replaceClause(text, 'a', false, panelClause('a'));
    if (apply & panel::B) text = replaceClause(text, 'b', false, panelClause('b'));
    if (apply & panel::C) text = replaceClause(text, 'c', false, panelClause('c'));
    if (text == texts[i] || std::find(upToDate.begin(), upToDate.end(), text) != upToDate.end()) continue;
    if (addLine(doc, text, ranges) == 0) {
      ++count;
      upToDate.push_back(doc.queueHead ? doc.queueHead->text : text);
    }
  }
  return count;
}

}  // namespace qv
