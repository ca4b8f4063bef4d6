// The record of one queued equation line and its graph kind.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "doc/block_store.h"
#include "expr/expr_node.h"
#include "expr/functions.h"
#include "expr/status.h"

namespace qv {

// High byte of Equation::flags.
enum class GraphKind : std::uint8_t {
  None = 0x00,
  Cartesian = 0x01,
  Polar = 0x02,
  Parametric = 0x03,
  ParametricPoint = 0x06,
  OdeDyDx = 0x07,  // transient: becomes Ode with FunctionOfY
  Ode = 0x0B,
  OdePhase = 0x0C,
  OdeSystem = 0x0D,
  OdeSystemPhase = 0x0E,
  SystemX = 0x41,  // transient: one component of a system
  SystemY = 0x42,
  SystemZ = 0x44,
  SystemW = 0x48,
  ParamX = 0x81,  // transient: one half of a parametric pair
  ParamY = 0x84,
};

// A kind with bit 0x40 or 0x80 exists only while a line is being parsed.
inline bool isTransientKind(GraphKind k) { return (static_cast<std::uint8_t>(k) & 0xC0) != 0; }

// Low byte of Equation::flags.
namespace eqflag {
constexpr std::uint16_t Dots = 0x01;
constexpr std::uint16_t UsesInt = 0x02;      // the graph may jump
constexpr std::uint16_t TwoBranches = 0x04;  // tree 0 holds the negative branch
constexpr std::uint16_t ShadeBelow = 0x08;
constexpr std::uint16_t ShadeAbove = 0x10;
constexpr std::uint16_t FunctionOfY = 0x20;  // the two axis variables swap roles
constexpr std::uint16_t OnGrid = 0x40;
constexpr std::uint16_t Strict = 0x80;
constexpr std::uint16_t Inequality = ShadeBelow | ShadeAbove;
}  // namespace eqflag

// A zero or turning point of a Cartesian curve: found as a candidate while plotting, refined later.
struct CriticalPoint {
  double x = 0;
  std::int16_t type = 0;  // 0 discarded, 1 zero, 2 maximum, 4 minimum, 6 turning-point candidate
};

struct Equation {
  ExprNode* tree[4] = {nullptr, nullptr, nullptr, nullptr};
  std::string text;  // at most MAX_EQUATION_TEXT characters
  std::uint16_t flags = 0;
  // Ode kinds: order + 1 values (start of t, then the initial values); Parametric: the step of t.
  std::vector<double> ivs;
  double domainLow = -std::numeric_limits<double>::infinity();
  double domainHigh = std::numeric_limits<double>::infinity();
  double aStart = UNDEFINED_VALUE;
  double aStop = UNDEFINED_VALUE;
  double aStep = UNDEFINED_VALUE;
  double bValue = UNDEFINED_VALUE;
  double cValue = UNDEFINED_VALUE;
  Equation* previous = nullptr;
  Equation* next = nullptr;
  std::int8_t colour[4] = {0, 0, 0, 0};  // negative for a strict inequality
  std::int8_t order = 0;
  VarCode axis[2] = {'t', 'x'};  // independent, dependent letter of the plot
  std::uint16_t firstBranchCount = 0;
  // The device points of the last drawing, cached in the block store, and their count.
  PointBlock* points = nullptr;
  std::uint16_t pointCount = 0;
  // The zeros and turning points of the last drawing, and how many of them were refined (0: none yet).
  std::vector<CriticalPoint> critical;
  std::uint16_t criticalFound = 0;

  GraphKind kind() const { return static_cast<GraphKind>(flags >> 8); }
  void setKind(GraphKind k) { flags = static_cast<std::uint16_t>((flags & 0x00FF) | (static_cast<unsigned>(k) << 8)); }
};

// nullptr when memory is exhausted.
Equation* newEquation();
// Frees the record with its trees and everything it owns.
void freeEquation(Equation* e);
// Frees e and every record after it.
void freeEquationChain(Equation* e);

// The flags word a relation's variables give: the kind in the high byte, and 0x20 in the low byte
// for a system written with the alternative names x1...x4. 0 when no rule matches.
std::uint16_t classify(UsageFlags usage, int relations);

VarCode independentVariable(const Equation& e);
VarCode dependentVariable(const Equation& e);

}  // namespace qv
