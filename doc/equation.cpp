#include "equation.h"

#include <new>

namespace qv {

namespace {

struct Rule {
  UsageFlags required;  // the relation uses at least one of these
  UsageFlags allowed;   // and nothing outside allowed and required
  GraphKind kind;
  bool alternativeNames;
};

constexpr UsageFlags T = usage::T, X = usage::X, Y = usage::Y, Z = usage::Z, W = usage::W, R = usage::R;
constexpr UsageFlags ALT2 = usage::X1 | usage::X2;
constexpr UsageFlags ALT3 = ALT2 | usage::X3;
constexpr UsageFlags ALT4 = ALT3 | usage::X4;

const Rule ONE[] = {
    {X | Y, X | Y, GraphKind::Cartesian, false},
    {R, R | T, GraphKind::Polar, false},
    {usage::DxFamily, T | X, GraphKind::Ode, false},
    {usage::DyFamily, X | Y, GraphKind::OdeDyDx, false},
};
const Rule TWO[] = {
    {X, T, GraphKind::ParamX, false},
    {Y, T, GraphKind::ParamY, false},
    {usage::DxFamily, T | X | Y, GraphKind::SystemX, false},
    {usage::DyFamily, T | X | Y, GraphKind::SystemY, false},
    {usage::Dx1, T | ALT2, GraphKind::SystemX, true},
    {usage::Dx2, T | ALT2, GraphKind::SystemY, true},
};
const Rule THREE[] = {
    {usage::DxFamily, T | X | Y | Z, GraphKind::SystemX, false},
    {usage::DyFamily, T | X | Y | Z, GraphKind::SystemY, false},
    {usage::Dz, T | X | Y | Z, GraphKind::SystemZ, false},
    {usage::Dx1, T | ALT3, GraphKind::SystemX, true},
    {usage::Dx2, T | ALT3, GraphKind::SystemY, true},
    {usage::Dx3, T | ALT3, GraphKind::SystemZ, true},
};
const Rule FOUR[] = {
    {usage::DxFamily, T | X | Y | Z | W, GraphKind::SystemX, false},
    {usage::DyFamily, T | X | Y | Z | W, GraphKind::SystemY, false},
    {usage::Dz, T | X | Y | Z | W, GraphKind::SystemZ, false},
    {usage::Dw, T | X | Y | Z | W, GraphKind::SystemW, false},
    {usage::Dx1, T | ALT4, GraphKind::SystemX, true},
    {usage::Dx2, T | ALT4, GraphKind::SystemY, true},
    {usage::Dx3, T | ALT4, GraphKind::SystemZ, true},
    {usage::Dx4, T | ALT4, GraphKind::SystemW, true},
};

template <std::size_t N>
bool match(const Rule (&rules)[N], UsageFlags u, std::uint16_t& flags) {
  for (const Rule& r : rules) {
    if ((u & r.required) && !(u & ~(r.allowed | r.required))) {
      flags = static_cast<std::uint16_t>((static_cast<unsigned>(r.kind) << 8) |
                                         (r.alternativeNames ? eqflag::FunctionOfY : 0));
      return true;
    }
  }
  return false;
}

}  // namespace

Equation* newEquation() { return new (std::nothrow) Equation(); }

void freeEquation(Equation* e) {
  if (!e) return;
  for (ExprNode*& t : e->tree) {
    freeTree(t);
    t = nullptr;
  }
  freeBlock(e->points);
  delete e;
}

void freeEquationChain(Equation* e) {
  while (e) {
    Equation* next = e->next;
    freeEquation(e);
    e = next;
  }
}

std::uint16_t classify(UsageFlags u, int relations) {
  std::uint16_t flags = 0;
  switch (relations) {
    case 1:
      match(ONE, u, flags);
      break;
    case 2:
      match(TWO, u, flags);
      break;
    case 3:
      match(THREE, u, flags) || match(TWO, u, flags);
      break;
    case 4:
      match(FOUR, u, flags) || match(THREE, u, flags) || match(TWO, u, flags);
      break;
    default:
      break;
  }
  return flags;
}

VarCode independentVariable(const Equation& e) {
  const bool ofY = e.flags & eqflag::FunctionOfY;
  switch (e.kind()) {
    case GraphKind::Polar:
    case GraphKind::Parametric:
    case GraphKind::OdeSystem:
    case GraphKind::OdeSystemPhase:
      return 't';
    case GraphKind::Ode:
    case GraphKind::OdePhase:
      return ofY ? 'x' : 't';
    default:
      return ofY ? 'y' : 'x';
  }
}

VarCode dependentVariable(const Equation& e) {
  const bool ofY = e.flags & eqflag::FunctionOfY;
  switch (e.kind()) {
    case GraphKind::Polar:
      return 'r';
    case GraphKind::Parametric:
    case GraphKind::Ode:
    case GraphKind::OdePhase:
      return ofY ? 'y' : 'x';
    default:
      return ofY ? 'x' : 'y';
  }
}

}  // namespace qv
