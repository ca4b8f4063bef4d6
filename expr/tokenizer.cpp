#include "tokenizer.h"

#include <cstring>

#include "functions.h"

namespace qv {

namespace {

// Plain ASCII classes: bytes above 127 are never letters, whatever the C locale says.
inline bool isAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool isAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }
inline bool isBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
inline bool isOperatorChar(unsigned char c) { return c != 0 && std::strchr(".+-*/()[]^=<>;", c) != nullptr; }

constexpr int MAX_IDENTIFIER = 20;

// Characters and previous-token kinds between which no multiplication is implied.
inline bool startsWithoutImpliedProduct(unsigned char c) { return c != 0 && std::strchr("+-*/)^=<>;", c) != nullptr; }
inline bool previousTakesOperand(std::uint8_t k) {
  return k == kind::Call || (k != 0 && std::strchr("+-*/(^=<>;MLG", k) != nullptr);
}

}  // namespace

double readNumber(const char* text, int& pos) {
  bool negative = false;
  if (text[pos] == '-') {
    negative = true;
    ++pos;
    while (isBlank(static_cast<unsigned char>(text[pos]))) ++pos;
    const unsigned char c = static_cast<unsigned char>(text[pos]);
    if (!isAsciiDigit(c) && c != '.') return UNDEFINED_VALUE;
  }
  double value = 0.0;
  while (isAsciiDigit(static_cast<unsigned char>(text[pos]))) value = value * 10.0 + (text[pos++] - '0');
  if (text[pos] == '.') {
    ++pos;
    double factor = 0.1;
    while (isAsciiDigit(static_cast<unsigned char>(text[pos]))) {
      value += (text[pos++] - '0') * factor;
      factor *= 0.1;
    }
  }
  return negative ? -value : value;
}

ExprNode* tokenize(const char* text, ParseStatus& status) {
  ExprNode* first = nullptr;
  ExprNode* last = nullptr;
  auto append = [&](ExprNode* tok) {
    tok->left = last;
    if (last)
      last->right = tok;
    else
      first = tok;
    last = tok;
  };

  int pos = 0;
  for (;;) {
    const unsigned char c = static_cast<unsigned char>(text[pos]);
    if (c == 0 || c == '\'') break;
    if (pos >= MAX_PARSED_TEXT) {
      status |= parse::BadSyntax;
      break;
    }
    if (c == '{') {
      const char* close = std::strchr(text + pos, '}');
      if (!close) break;
      pos = static_cast<int>(close - text) + 1;
      continue;
    }
    if (isBlank(c)) {
      ++pos;
      continue;
    }
    if (!isAsciiLetter(c) && !isAsciiDigit(c) && !isOperatorChar(c)) {
      status |= parse::BadCharacter;
      ++pos;
      continue;
    }

    ExprNode* tok = makeNode();
    if (!tok) {
      status |= parse::OutOfMemory;
      break;
    }
    unsigned char start = c;  // the token's character as the implied-product rule sees it
    if (isAsciiDigit(c) || c == '.') {
      tok->value = readNumber(text, pos);
    } else if (c == '-') {
      if (last && (last->kind == kind::Value || last->kind == kind::CloseBracket)) {
        tok->kind = kind::Sub;
        ++pos;
      } else {
        const double v = readNumber(text, pos);
        if (v == UNDEFINED_VALUE)
          tok->kind = kind::Negate;
        else
          tok->value = v;
      }
    } else if (isAsciiLetter(c)) {
      char name[MAX_IDENTIFIER + 1];
      int len = 0;
      const int begin = pos;
      while (isAsciiLetter(static_cast<unsigned char>(text[pos])) ||
             isAsciiDigit(static_cast<unsigned char>(text[pos])) || text[pos] == '_') {
        if (len < MAX_IDENTIFIER) name[len++] = text[pos];
        ++pos;
      }
      name[len] = '\0';
      if (std::strcmp(name, "xy") == 0 || std::strcmp(name, "yx") == 0) {
        // x·y written without a sign: only the first letter is this token.
        name[1] = '\0';
        pos = begin + 1;
      }
      // There is no exponent notation: a number written "2e3" reads as 2·e·3. The identifier "e3"
      // is split only when it is glued to a number, so a typed "e3" alone stays an unknown name.
      const bool gluedToNumber = begin > 0 && (isAsciiDigit(static_cast<unsigned char>(text[begin - 1])) || text[begin - 1] == '.');
      if (gluedToNumber && name[0] == 'e' && len > 1 && isAsciiDigit(static_cast<unsigned char>(name[1]))) {
        bool digitsOnly = true;
        for (int i = 1; i < len; ++i) digitsOnly = digitsOnly && isAsciiDigit(static_cast<unsigned char>(name[i]));
        if (digitsOnly) {
          name[1] = '\0';
          pos = begin + 1;
        }
      }
      if (const FunctionInfo* f = findFunctionByName(name)) {
        tok->kind = kind::Call;
        tok->func = canonicalFunction(f);
      } else {
        tok->var = varCodeOfName(name);
        if (tok->var == UnknownVar) status |= parse::UnknownName;
      }
    } else {
      ++pos;
      switch (c) {
        case '[':
          tok->kind = kind::OpenBracket;
          start = '(';
          break;
        case ']':
          tok->kind = kind::CloseBracket;
          start = ')';
          break;
        case '<':
        case '>':
          if (text[pos] == '=') {
            ++pos;
            tok->kind = c == '<' ? kind::LessEqual : kind::GreaterEqual;
          } else {
            tok->kind = c;
          }
          break;
        case '*':
          if (text[pos] == '*') {
            ++pos;
            tok->kind = kind::Pow;
          } else {
            tok->kind = kind::Mul;
          }
          break;
        default:
          tok->kind = c;
          break;
      }
    }

    if (!startsWithoutImpliedProduct(start) && last && !previousTakesOperand(last->kind)) {
      ExprNode* times = makeNode();
      if (!times) {
        delete tok;
        status |= parse::OutOfMemory;
        break;
      }
      times->kind = kind::Mul;
      append(times);
    }
    append(tok);
  }
  return first;
}

}  // namespace qv
