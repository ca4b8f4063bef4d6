#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doc/equation.h"
#include "doc/relation_parser.h"
#include "expr/functions.h"
#include "expr/parser.h"
#include "expr/test_util.h"

namespace qv {
namespace {

struct Parsed {
  ParseStatus status = 0;
  std::vector<std::uint16_t> flags;  // one per record
  std::vector<std::string> sides;    // "left | right" per record
};

Parsed parseLine(const char* line) {
  resetVariables();
  Parsed p;
  std::string text = line;
  p.status = parserBegin(text);
  if (p.status) return p;
  const int relations = 1 + parserCountTokens(kind::Separator);
  Equation* first = newEquation();
  p.status = parseRelations(*first, relations);
  for (Equation* e = first; e; e = e->next) {
    p.flags.push_back(e->flags);
    p.sides.push_back(testing::shape(e->tree[0]) + " | " + testing::shape(e->tree[1]));
  }
  freeEquationChain(first);
  return p;
}

TEST(Relations, RelationSignsSetTheInequalityFlags) {
  struct Case { const char* line; std::uint16_t flags; };
  const Case cases[] = {
      {"y=x", 0x0100}, {"y<x", 0x0188}, {"y>x", 0x0190}, {"y<=x", 0x0108}, {"y>=x", 0x0110},
      {"y=int(x)", 0x0102}, {"Y = X 'Comment", 0x0100},
  };
  for (const Case& c : cases) {
    const Parsed p = parseLine(c.line);
    EXPECT_EQ(p.status, 0) << c.line;
    ASSERT_EQ(p.flags.size(), 1u) << c.line;
    EXPECT_EQ(p.flags[0], c.flags) << c.line;
  }
}

TEST(Relations, KeepsBothSidesAsTrees) {
  const Parsed p = parseLine("y=2x");
  EXPECT_EQ(p.sides, std::vector<std::string>{"y | (* 2 x)"});
  EXPECT_EQ(parseLine("y**2=x").sides, std::vector<std::string>{"(^ y 2) | x"});
  EXPECT_EQ(parseLine("y=x^(1/3)").sides, std::vector<std::string>{"y | (O x (/ 1 3))"});
  EXPECT_EQ(parseLine("y=xy").sides, std::vector<std::string>{"y | (* x y)"});
}

TEST(Relations, ReportsFailures) {
  struct Case { const char* line; ParseStatus status; };
  const Case cases[] = {
      {"y+x", parse::NoRelation},
      {"y=x=2", parse::NoRelation},
      {"=x", parse::MissingOperand | parse::BlankSide},
      {"y=", parse::MissingOperand | parse::BlankSide},
      {"y=x+", parse::MissingOperand},
      {"y=(x+1", parse::BadSyntax},
      {"y=x)", parse::BadSyntax},
      {"y=x#", parse::BadCharacter},
      {"y=sinx", parse::UnknownName},
      {"y=xx", parse::UnknownName},
      {"y=(-2)^x", parse::DiscontinuousPower},
      {"y=2^x", 0},
      {"r=(-2)^t", parse::DiscontinuousPower},
  };
  for (const Case& c : cases) EXPECT_EQ(parseLine(c.line).status, c.status) << c.line;
}

TEST(Relations, ClassifiesEachRelation) {
  struct Case { const char* line; std::vector<std::uint16_t> flags; };
  const Case cases[] = {
      {"y=x^2", {0x0100}},
      {"x=3", {0x0100}},
      {"r=2t", {0x0200}},
      {"r=2", {0x0200}},
      {"dx=x", {0x0B00}},
      {"d2x=-x+t", {0x0B00}},
      {"dy=x*y", {0x0700}},
      {"y=t", {0x0000}},
      {"x=t^2; y=t", {0x8100, 0x8400}},
      {"y=t; x=t^2", {0x8400, 0x8100}},
      {"x=1; y=2", {0x8100, 0x8400}},
      {"dx=y; dy=-x", {0x4100, 0x4200}},
      {"dx1=x2; dx2=-x1", {0x4120, 0x4220}},
      {"dx=y; dy=z; dz=x", {0x4100, 0x4200, 0x4400}},
      {"dx=y; dy=z; dz=w; dw=x", {0x4100, 0x4200, 0x4400, 0x4800}},
      {"dx=y; dy=-x; x=t", {0x4100, 0x4200, 0x8100}},
  };
  for (const Case& c : cases) {
    const Parsed p = parseLine(c.line);
    EXPECT_EQ(p.status, 0) << c.line;
    EXPECT_EQ(p.flags, c.flags) << c.line;
  }
}

TEST(Classify, FollowsTheRuleTables) {
  using namespace usage;
  struct Case { UsageFlags u; int n; std::uint16_t flags; };
  const Case cases[] = {
      {X, 1, 0x0100},           {Y, 1, 0x0100},          {X | Y, 1, 0x0100},     {T | X, 1, 0x0000},
      {R | T, 1, 0x0200},       {R, 1, 0x0200},          {T, 1, 0x0000},         {DxFamily | T | X, 1, 0x0B00},
      {DxFamily | Y, 1, 0},     {DyFamily | X | Y, 1, 0x0700}, {X | T, 2, 0x8100}, {Y | T, 2, 0x8400},
      {X | Y, 2, 0},            {DxFamily | Y, 2, 0x4100}, {Dx2 | X1, 2, 0x4220}, {Dz | X, 2, 0},
      {Dz | X, 3, 0x4400},      {Dx3 | X1, 3, 0x4420},   {X | T, 3, 0x8100},     {Dw | Z, 4, 0x4800},
      {Dx4 | X2, 4, 0x4820},    {Y, 4, 0x8400},          {X, 5, 0},              {X, 0, 0},
      {0, 1, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(classify(c.u, c.n), c.flags) << std::hex << c.u << " n=" << c.n;
}

TEST(Equation, FreshRecordAndVariableRoles) {
  Equation* e = newEquation();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->flags, 0);
  EXPECT_EQ(e->axis[0], 't');
  EXPECT_EQ(e->axis[1], 'x');
  EXPECT_EQ(e->domainLow, -UNDEFINED_VALUE);
  EXPECT_EQ(e->domainHigh, UNDEFINED_VALUE);
  EXPECT_EQ(e->aStart, UNDEFINED_VALUE);
  EXPECT_TRUE(e->ivs.empty());

  struct Case { GraphKind k; bool ofY; char indep; char dep; };
  const Case cases[] = {
      {GraphKind::Cartesian, false, 'x', 'y'}, {GraphKind::Cartesian, true, 'y', 'x'},
      {GraphKind::Polar, false, 't', 'r'},     {GraphKind::Parametric, false, 't', 'x'},
      {GraphKind::Ode, false, 't', 'x'},       {GraphKind::Ode, true, 'x', 'y'},
      {GraphKind::OdeSystem, false, 't', 'y'}, {GraphKind::ParametricPoint, false, 'x', 'y'},
  };
  for (const Case& c : cases) {
    e->flags = c.ofY ? eqflag::FunctionOfY : 0;
    e->setKind(c.k);
    EXPECT_EQ(independentVariable(*e), c.indep) << static_cast<int>(c.k);
    EXPECT_EQ(dependentVariable(*e), c.dep) << static_cast<int>(c.k);
  }
  freeEquation(e);
}

}  // namespace
}  // namespace qv
