#include "parser.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "evaluator.h"
#include "functions.h"
#include "tokenizer.h"

namespace qv {

namespace {

struct ParserState {
  ExprNode* current = nullptr;
  std::uint8_t lookahead = 0;
  ParseStatus status = 0;
  UsageFlags usage = 0;
  std::int8_t order = 0;
  bool usesInt = false;
};

ParserState g_parser;

std::uint8_t lookaheadOf(const ExprNode* t) {
  if (!t) return 0;
  if (t->kind == kind::Value) return t->var == NoVar ? 'N' : 'V';
  return t->kind;
}

// Detaches the current token from the chain and hands it to the caller.
ExprNode* takeToken() {
  ExprNode* t = g_parser.current;
  if (!t) return nullptr;
  g_parser.current = t->right;
  if (g_parser.current) g_parser.current->left = nullptr;
  t->left = t->right = nullptr;
  g_parser.lookahead = lookaheadOf(g_parser.current);
  return t;
}

void expect(std::uint8_t k) {
  if (g_parser.lookahead == k) {
    delete takeToken();
    return;
  }
  g_parser.status |= k == kind::CloseBracket ? parse::BadSyntax : parse::MissingOperand;
}

void raiseOrder(int n) { g_parser.order = static_cast<std::int8_t>(std::max<int>(g_parser.order, n)); }

// Rewrites the alternative names and records which variables the equation uses.
void recordVariable(ExprNode* leaf) {
  ParserState& p = g_parser;
  switch (leaf->var) {
    case 'r': p.usage |= usage::R; break;
    case 't': p.usage |= usage::T; break;
    case 'x': p.usage |= usage::X; break;
    case 'y': p.usage |= usage::Y; break;
    case 'z': p.usage |= usage::Z; break;
    case 'w': p.usage |= usage::W; break;
    case 'j': case 'k': case 'l': case 'm':
      p.usage |= usage::DxFamily;
      raiseOrder(leaf->var - 'j' + 1);
      break;
    case 'J': case 'K': case 'L': case 'M':
      p.usage |= usage::DyFamily;
      raiseOrder(leaf->var - 'J' + 1);
      break;
    case 'Z': p.usage |= usage::Dz; p.order = 1; break;
    case 'W': p.usage |= usage::Dw; p.order = 1; break;
    case '1': leaf->var = 'x'; p.usage |= usage::X1; break;
    case '2': leaf->var = 'y'; p.usage |= usage::X2; break;
    case '3': leaf->var = 'z'; p.usage |= usage::X3; break;
    case '4': leaf->var = 'w'; p.usage |= usage::X4; break;
    case 'A': leaf->var = 'j'; p.usage |= usage::Dx1; p.order = 1; break;
    case 'B': leaf->var = 'J'; p.usage |= usage::Dx2; p.order = 1; break;
    case 'C': leaf->var = 'Z'; p.usage |= usage::Dx3; p.order = 1; break;
    case 'D': leaf->var = 'W'; p.usage |= usage::Dx4; p.order = 1; break;
    default: break;  // parameters and constants set no bit
  }
}

ExprNode* expression();

ExprNode* term();

ExprNode* power();

ExprNode* primary() {
  ParserState& p = g_parser;
  switch (p.lookahead) {
    case kind::OpenBracket: {
      delete takeToken();
      ExprNode* e = expression();
      if (!p.status) expect(kind::CloseBracket);
      return e;
    }
    case kind::Call: {
      ExprNode* call = takeToken();
      if (call->func == fn::intFloor) p.usesInt = true;
      if (p.lookahead == kind::OpenBracket) {
        delete takeToken();
        call->right = expression();
        if (!p.status) expect(kind::CloseBracket);
      } else {
        call->right = term();
      }
      return call;
    }
    case kind::Negate: {
      ExprNode* neg = takeToken();
      neg->right = power();
      return neg;
    }
    case 'N':
      return takeToken();
    case 'V': {
      ExprNode* leaf = takeToken();
      recordVariable(leaf);
      return leaf;
    }
    default:
      p.status |= parse::MissingOperand;
      return nullptr;
  }
}

ExprNode* power() {
  ExprNode* base = primary();
  if (!g_parser.status && g_parser.lookahead == kind::Pow) {
    ExprNode* op = takeToken();
    op->left = base;
    op->right = power();  // right-associative
    return op;
  }
  return base;
}

ExprNode* term() {
  ExprNode* tree = power();
  while (!g_parser.status && (g_parser.lookahead == kind::Mul || g_parser.lookahead == kind::Div)) {
    ExprNode* op = takeToken();
    op->left = tree;
    op->right = power();
    tree = op;
  }
  return tree;
}

ExprNode* expression() {
  ExprNode* tree = term();
  while (!g_parser.status && (g_parser.lookahead == kind::Add || g_parser.lookahead == kind::Sub)) {
    ExprNode* op = takeToken();
    op->left = tree;
    op->right = term();
    tree = op;
  }
  return tree;
}

bool isRelationOrSeparator(std::uint8_t k) {
  return k == kind::Equal || k == kind::Less || k == kind::Greater || k == kind::LessEqual ||
         k == kind::GreaterEqual || k == kind::Separator;
}

bool evaluatesToConstant(const ExprNode* tree, double& value) {
  EvalStatus st = 0;
  value = evaluate(tree, st);
  return st == 0;
}

void markPowersIn(ExprNode* n, VarCode indep, ParseStatus& status) {
  if (!n) return;
  markPowersIn(n->left, indep, status);
  markPowersIn(n->right, indep, status);
  if (n->kind != kind::Pow) return;
  const bool exponentHasVar = containsVariable(n->right, indep);
  if (!exponentHasVar && n->right && n->right->kind == kind::Div) {
    double p = 0.0, q = 0.0;
    if (!evaluatesToConstant(n->right->left, p) || !evaluatesToConstant(n->right->right, q) ||
        isNonzeroEvenInteger(q)) {
      n->kind = kind::PowEvenRoot;
    } else if (q == std::floor(q)) {
      if (isNonzeroEvenInteger(p))
        n->kind = kind::PowOddRootEven;
      else if (p == std::floor(p))
        n->kind = kind::PowOddRootOdd;
    }
  } else if (exponentHasVar && !containsVariable(n->left, indep)) {
    double b = 0.0;
    if (!evaluatesToConstant(n->left, b) || b < 0.0) {
      n->kind = kind::PowBadBase;
      status |= parse::DiscontinuousPower;
    }
  }
}

}  // namespace

ParseStatus parserBegin(std::string& text) {
  parserEnd();
  const std::size_t comment = text.find('\'');
  const std::size_t end = comment == std::string::npos ? text.size() : comment;
  for (std::size_t i = 0; i < end; ++i)
    if (text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] - 'A' + 'a');
  ParseStatus status = 0;
  ExprNode* chain = tokenize(text.c_str(), status);
  if (status) {
    freeTokenChain(chain);
    return status;
  }
  g_parser.current = chain;
  g_parser.lookahead = lookaheadOf(chain);
  return 0;
}

void parserReset() {
  g_parser.status = 0;
  g_parser.usage = 0;
  g_parser.order = 0;
  g_parser.usesInt = false;
}

ExprNode* parserExpression() { return expression(); }
std::uint8_t parserLookahead() { return g_parser.lookahead; }
void parserConsume() { delete takeToken(); }

void parserEnd() {
  freeTokenChain(g_parser.current);
  g_parser.current = nullptr;
  g_parser.lookahead = 0;
}

int parserCountTokens(std::uint8_t tokenKind) {
  int n = 0;
  for (const ExprNode* t = g_parser.current; t; t = t->right)
    if (t->kind == tokenKind) ++n;
  return n;
}

ParseStatus& parserStatus() { return g_parser.status; }
UsageFlags parserUsage() { return g_parser.usage; }
std::int8_t parserOrder() { return g_parser.order; }
bool parserUsesInt() { return g_parser.usesInt; }

ExprNode* parseExpression(std::string& text, ParseStatus& status) {
  status = parserBegin(text);
  if (status) return nullptr;
  parserReset();
  ExprNode* tree = expression();
  if (!g_parser.status && g_parser.lookahead != 0) g_parser.status |= parse::BadSyntax;
  if (!tree) g_parser.status |= parse::BlankSide;
  status = g_parser.status;
  parserEnd();
  if (status) {
    freeTree(tree);
    return nullptr;
  }
  return tree;
}

ExprNode* parseExpression(const char* text, ParseStatus& status) {
  std::string copy(text);
  return parseExpression(copy, status);
}

double evaluateConstantText(const char* text, std::uint16_t& status) {
  std::string copy(text);
  if (parserBegin(copy) == 0 && parserLookahead() == 0) {
    status = CONSTANT_TEXT_BLANK;
    return UNDEFINED_VALUE;
  }
  parserEnd();
  ParseStatus ps = 0;
  ExprNode* tree = parseExpression(copy, ps);
  if (!tree) {
    status = CONSTANT_TEXT_UNPARSED;
    return UNDEFINED_VALUE;
  }
  EvalStatus es = 0;
  const double value = evaluate(tree, es);
  freeTree(tree);
  status = es;
  return es ? UNDEFINED_VALUE : value;
}

PreScanResult preScan(const char* text) {
  std::string copy(text);
  PreScanResult result{0, parserBegin(copy)};
  if (result.status) return result;
  parserReset();
  int equations = 1;
  for (;;) {
    ExprNode* tree = expression();
    if (!tree) g_parser.status |= parse::BlankSide;
    freeTree(tree);
    if (g_parser.status || g_parser.lookahead == 0) break;
    if (!isRelationOrSeparator(g_parser.lookahead)) {
      g_parser.status |= parse::BadSyntax;
      break;
    }
    if (g_parser.lookahead == kind::Separator) equations = std::min(equations + 1, 4);
    parserConsume();
  }
  parserEnd();
  result.status = g_parser.status;
  result.order = g_parser.order;
  if (result.order > 0 && result.order < equations) result.order = -equations;
  return result;
}

ParseStatus markPowers(ExprNode* tree, VarCode indep) {
  ParseStatus status = 0;
  markPowersIn(tree, indep, status);
  return status;
}

}  // namespace qv
