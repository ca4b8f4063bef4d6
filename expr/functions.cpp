#include "functions.h"

#include <cmath>
#include <cstring>

namespace qv {

namespace {

// Sine and cosine with the argument reduced by multiples of pi/2 here, in plain double arithmetic,
// before the library is called on the remainder: some platform libraries reduce with a short pi
// and lose most digits near the zeros (cos at the computed pi/2, sin(p)); reducing first makes
// those values accurate and the same on every build.
constexpr double INV_PIO2 = 6.36619772367581382433e-01;
constexpr double PIO2_1 = 1.57079632673412561417e+00;   // first 33 bits of pi/2
constexpr double PIO2_2 = 6.07710050630396597660e-11;   // next 33 bits
constexpr double PIO2_3 = 2.02226624871116645580e-21;   // next 33 bits
constexpr double PIO2_3T = 8.47842766036889956997e-32;  // pi/2 - (PIO2_1 + PIO2_2 + PIO2_3)
constexpr double MAX_REDUCED = 823549.6;                // 2^19 * pi/2: the products above stay exact

struct Reduced {
  double r;
  int quadrant;
};

bool reduce(double x, Reduced& out) {
  if (!(std::fabs(x) <= MAX_REDUCED)) return false;
  const double n = std::floor(x * INV_PIO2 + 0.5);
  double r = x - n * PIO2_1;
  r -= n * PIO2_2;
  r -= n * PIO2_3;
  r -= n * PIO2_3T;
  out.r = r;
  out.quadrant = static_cast<int>(n) & 3;
  return true;
}

double reducedSin(double x) {
  Reduced a;
  if (!reduce(x, a)) return std::sin(x);
  switch (a.quadrant) {
    case 0: return std::sin(a.r);
    case 1: return std::cos(a.r);
    case 2: return -std::sin(a.r);
    default: return -std::cos(a.r);
  }
}

double reducedCos(double x) {
  Reduced a;
  if (!reduce(x, a)) return std::cos(x);
  switch (a.quadrant) {
    case 0: return std::cos(a.r);
    case 1: return -std::sin(a.r);
    case 2: return -std::cos(a.r);
    default: return std::sin(a.r);
  }
}

double fAbs(double x) { return std::fabs(x); }
double fAcos(double x) { return std::acos(x); }
double fAcot(double x) { return x == 0.0 ? UNDEFINED_VALUE : std::atan(1.0 / x); }
double fAcsc(double x) {
  if (x == 0.0) return UNDEFINED_VALUE;
  const double r = 1.0 / x;
  return (r >= -1.0 && r <= 1.0) ? std::asin(r) : UNDEFINED_VALUE;
}
double fAsec(double x) {
  if (x == 0.0) return UNDEFINED_VALUE;
  const double r = 1.0 / x;
  return (r >= -1.0 && r <= 1.0) ? std::acos(r) : UNDEFINED_VALUE;
}
double fAsin(double x) { return std::asin(x); }
double fAtan(double x) { return std::atan(x); }
double fCos(double x) { return reducedCos(x); }
double fCosh(double x) { return std::cosh(x); }
double fCot(double x) {
  const double t = reducedSin(x) / reducedCos(x);
  return t == 0.0 ? UNDEFINED_VALUE : 1.0 / t;
}
double fCsc(double x) {
  const double s = reducedSin(x);
  return s == 0.0 ? UNDEFINED_VALUE : 1.0 / s;
}
double fExp(double x) { return std::exp(x); }
double fLn(double x) { return std::log(x); }
double fLog(double x) { return std::log10(x); }
double fSec(double x) {
  const double c = reducedCos(x);
  return c == 0.0 ? UNDEFINED_VALUE : 1.0 / c;
}
double fSin(double x) { return reducedSin(x); }
double fSinh(double x) { return std::sinh(x); }
double fSqrt(double x) { return std::sqrt(x); }
double fSquare(double x) { return x * x; }
// Plain quotient: a zero cosine is left to the floating-point traps.
double fTan(double x) { return reducedSin(x) / reducedCos(x); }
double fTanh(double x) { return std::tanh(x); }
double fTenTo(double x) { return std::pow(10.0, x); }
double fInt(double x) { return std::floor(x); }
double fGamma(double x) { return std::exp(gammaln(x)); }
double fGammaln(double x) { return gammaln(x); }

}  // namespace

// The order matters: name lookup and printing scan from the top.
const FunctionInfo FUNCTION_TABLE[FUNCTION_COUNT] = {
    {"abs", fAbs, -1, DomainCheck::None},
    {"acos", fAcos, 7, DomainCheck::UnitInterval},
    {"acot", fAcot, 9, DomainCheck::None},
    {"acsc", fAcsc, 10, DomainCheck::OutsideUnitOpen},
    {"asec", fAsec, 14, DomainCheck::OutsideUnitOpen},
    {"asin", fAsin, 15, DomainCheck::UnitInterval},
    {"atan", fAtan, 20, DomainCheck::None},
    {"cos", fCos, 1, DomainCheck::None},
    {"cosh", fCosh, -1, DomainCheck::None},
    {"cot", fCot, 2, DomainCheck::None},
    {"csc", fCsc, 3, DomainCheck::None},
    {"exp", fExp, 12, DomainCheck::None},
    {"ln", fLn, 11, DomainCheck::Positive},
    {"log", fLog, 22, DomainCheck::Positive},
    {"sec", fSec, 4, DomainCheck::None},
    {"sin", fSin, 5, DomainCheck::None},
    {"sinh", fSinh, -1, DomainCheck::None},
    {"sqr", fSqrt, 19, DomainCheck::NonNegative},
    {"sqrt", fSqrt, 19, DomainCheck::NonNegative},
    {"square", fSquare, 17, DomainCheck::None},
    {"tan", fTan, 6, DomainCheck::None},
    {"tanh", fTanh, -1, DomainCheck::None},
    {"10^", fTenTo, 13, DomainCheck::None},
    {"int", fInt, -1, DomainCheck::None},
    {"gamma", fGamma, -1, DomainCheck::Positive},
    {"gammaln", fGammaln, -1, DomainCheck::Positive},
};

namespace fn {
const FunctionInfo* const abs = &FUNCTION_TABLE[0];
const FunctionInfo* const acos = &FUNCTION_TABLE[1];
const FunctionInfo* const acsc = &FUNCTION_TABLE[3];
const FunctionInfo* const asec = &FUNCTION_TABLE[4];
const FunctionInfo* const asin = &FUNCTION_TABLE[5];
const FunctionInfo* const sqrt = &FUNCTION_TABLE[17];
const FunctionInfo* const ln = &FUNCTION_TABLE[12];
const FunctionInfo* const log = &FUNCTION_TABLE[13];
const FunctionInfo* const gamma = &FUNCTION_TABLE[24];
const FunctionInfo* const gammaln = &FUNCTION_TABLE[25];
const FunctionInfo* const intFloor = &FUNCTION_TABLE[23];
}  // namespace fn

double gammaln(double x) {
  static const double coefficients[6] = {76.18009172947146,     -86.50532032941678,
                                         24.01409824083091,     -1.231739572450155,
                                         0.001208650973866179, -0.000005395239384953};
  double tmp = x + 5.5;
  tmp = tmp - (x + 0.5) * std::log(tmp);
  double ser = 1.000000000190015;
  double y = x;
  for (double c : coefficients) {
    y = y + 1.0;
    ser = ser + c / y;
  }
  return std::log(2.5066282746310007 * ser / x) - tmp;
}

const FunctionInfo* findFunctionByName(const char* text) {
  for (const FunctionInfo& row : FUNCTION_TABLE)
    if (std::strcmp(row.name, text) == 0) return &row;
  return nullptr;
}

const FunctionInfo* canonicalFunction(const FunctionInfo* row) {
  if (!row) return nullptr;
  for (const FunctionInfo& r : FUNCTION_TABLE)
    if (r.impl == row->impl) return &r;
  return row;
}

const char* nameOfFunction(FunctionImpl impl) {
  for (const FunctionInfo& row : FUNCTION_TABLE)
    if (row.impl == impl) return row.name;
  return "?";
}

const FunctionInfo* inverseOfFunction(FunctionImpl impl) {
  for (const FunctionInfo& row : FUNCTION_TABLE)
    if (row.impl == impl) return row.inverseRow < 0 ? nullptr : &FUNCTION_TABLE[row.inverseRow];
  return nullptr;
}

VarCode varCodeOfName(const char* name) {
  static const char singleLetters[] = "abcdeprtwxyz";
  static const char* const longNames[20] = {"theta", "pi",  "dx",  "d2x", "d3x", "d4x", "dy",
                                            "d2y",   "d3y", "d4y", "dz",  "dw",  "x1",  "x2",
                                            "x3",    "x4",  "dx1", "dx2", "dx3", "dx4"};
  static const char longCodes[] = "tpjklmJKLMZW1234ABCD";
  if (name[0] != '\0' && name[1] == '\0') {
    if (std::strchr(singleLetters, name[0])) return static_cast<VarCode>(name[0]);
    return UnknownVar;
  }
  for (int i = 0; i < 20; ++i)
    if (std::strcmp(longNames[i], name) == 0) return static_cast<VarCode>(longCodes[i]);
  return UnknownVar;
}

VariableStore g_variables = [] {
  VariableStore s{};
  for (double& v : s.slot) v = UNDEFINED_VALUE;
  return s;
}();

void resetVariables() {
  for (const char* p = "abcjklmrstuvwxyz"; *p; ++p) g_variables.set(static_cast<VarCode>(*p), UNDEFINED_VALUE);
  g_variables.set('d', DEGREE_FACTOR);
  g_variables.set('e', E_CONSTANT);
  g_variables.set('p', PI_CONSTANT);
}

}  // namespace qv
