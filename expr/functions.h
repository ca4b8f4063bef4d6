// The built-in functions, their inverses, the variable store and the identifier table.
#pragma once

#include <cstdint>
#include <limits>

#include "expr_node.h"

namespace qv {

using FunctionImpl = double (*)(double);

// Argument test the evaluator applies before calling the function.
enum class DomainCheck : std::uint8_t {
  None,
  NonNegative,      // sqrt, sqr: a < 0 is a negative root
  Positive,         // ln, log, gamma, gammaln: a <= 0 is a logarithm error
  UnitInterval,     // asin, acos: outside [-1, 1] is a domain error
  OutsideUnitOpen,  // asec, acsc: strictly between -1 and 1 is a domain error
};

struct FunctionInfo {
  const char* name;
  FunctionImpl impl;
  int inverseRow;  // -1: none
  DomainCheck check;
};

constexpr int FUNCTION_COUNT = 26;
extern const FunctionInfo FUNCTION_TABLE[FUNCTION_COUNT];

// Rows that other parts of the engine recognise by identity. Call nodes always refer to the first
// row with a given implementation, so "sqr" and "sqrt" calls compare equal.
namespace fn {
extern const FunctionInfo* const abs;
extern const FunctionInfo* const acos;
extern const FunctionInfo* const acsc;
extern const FunctionInfo* const asec;
extern const FunctionInfo* const asin;
extern const FunctionInfo* const sqrt;  // the "sqr" row
extern const FunctionInfo* const ln;
extern const FunctionInfo* const log;
extern const FunctionInfo* const gamma;
extern const FunctionInfo* const gammaln;
extern const FunctionInfo* const intFloor;
}  // namespace fn

double gammaln(double x);

// Exact, case-sensitive lookup of a typed name; returns the row as typed.
const FunctionInfo* findFunctionByName(const char* text);
// First row with the same implementation as `row` (what a Call node stores).
const FunctionInfo* canonicalFunction(const FunctionInfo* row);
const char* nameOfFunction(FunctionImpl impl);  // "?" when not found
const FunctionInfo* inverseOfFunction(FunctionImpl impl);

// Identifier table: the code of a typed (lower-case) name, UnknownVar when it is none.
VarCode varCodeOfName(const char* name);

// The store of current variable values, one slot per lower-case letter.
constexpr double UNDEFINED_VALUE = std::numeric_limits<double>::infinity();
constexpr double DEGREE_FACTOR = 0.01745329252;
constexpr double E_CONSTANT = 2.718281828;
constexpr double PI_CONSTANT = 3.1415926536;

struct VariableStore {
  double slot[26];
  double get(VarCode v) const { return slot[v - 'a']; }
  void set(VarCode v, double x) { slot[v - 'a'] = x; }
  static bool hasSlot(VarCode v) { return v >= 'a' && v <= 'z'; }
};

extern VariableStore g_variables;
void resetVariables();

}  // namespace qv
