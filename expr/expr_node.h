// Expression tree nodes. The same record serves as token of the tokenizer, so a token chain can be
// rewired into a tree without copying: in a chain, left is the previous token and right the next.
#pragma once

#include <cstdint>

namespace qv {

struct FunctionInfo;

// Node and token kinds are character codes.
namespace kind {
constexpr std::uint8_t Value = 127;
constexpr std::uint8_t Add = '+';
constexpr std::uint8_t Sub = '-';
constexpr std::uint8_t Mul = '*';
constexpr std::uint8_t Div = '/';
constexpr std::uint8_t Pow = '^';
constexpr std::uint8_t PowEvenRoot = 'N';
constexpr std::uint8_t PowOddRootEven = 'E';
constexpr std::uint8_t PowOddRootOdd = 'O';
constexpr std::uint8_t PowBadBase = 'e';
constexpr std::uint8_t Call = 'F';
constexpr std::uint8_t Negate = 'M';
constexpr std::uint8_t CheckNonNegative = 'A';
constexpr std::uint8_t PlusMinus = 'P';
// Token-only kinds.
constexpr std::uint8_t OpenBracket = '(';
constexpr std::uint8_t CloseBracket = ')';
constexpr std::uint8_t Equal = '=';
constexpr std::uint8_t Less = '<';
constexpr std::uint8_t Greater = '>';
constexpr std::uint8_t LessEqual = 'L';
constexpr std::uint8_t GreaterEqual = 'G';
constexpr std::uint8_t Separator = ';';
}  // namespace kind

inline bool isPowerKind(std::uint8_t k) {
  return k == kind::Pow || k == kind::PowEvenRoot || k == kind::PowOddRootEven ||
         k == kind::PowOddRootOdd || k == kind::PowBadBase;
}

// Variable codes are plain characters (printable with %c); NoVar marks a node that is not a variable.
using VarCode = std::uint8_t;
constexpr VarCode NoVar = 127;
constexpr VarCode UnknownVar = '!';

struct ExprNode {
  ExprNode* left = nullptr;
  ExprNode* right = nullptr;
  double value = 0.0;
  const FunctionInfo* func = nullptr;
  std::uint8_t kind = kind::Value;
  VarCode var = NoVar;
};

// All return nullptr when memory is exhausted.
ExprNode* makeNode();
ExprNode* makeConstant(double x);
ExprNode* makeVariable(VarCode v);
// An operator node over two operands; when memory is exhausted both operands are freed.
ExprNode* makeOperator(std::uint8_t k, ExprNode* left, ExprNode* right, const FunctionInfo* func = nullptr);
// Returns left unchanged (making nothing) when right is empty; one-operand nodes pass left = nullptr.
ExprNode* combine(ExprNode* left, ExprNode* right, std::uint8_t k, const FunctionInfo* func = nullptr);
ExprNode* copyTree(const ExprNode* tree);
void freeTree(ExprNode* tree);
void freeTokenChain(ExprNode* first);

// Adds the number of leaves of variable `code` to counter (a byte counter, as callers keep it).
void countVariable(const ExprNode* tree, VarCode code, std::uint8_t& counter);
bool containsVariable(const ExprNode* tree, VarCode code);
void replaceVariable(ExprNode* tree, VarCode from, VarCode to);

inline bool isNumberLeaf(const ExprNode* n) { return n && n->kind == kind::Value && n->var == NoVar; }
inline bool isVariableLeaf(const ExprNode* n, VarCode v) {
  return n && n->kind == kind::Value && n->var == v;
}

// Converts like the 16-bit integer store of the original arithmetic: values that do not fit (and
// NaN) become -32768, the "integer indefinite".
std::int16_t toInt16(double x);
bool isNonzeroEvenInteger(double x);

}  // namespace qv
