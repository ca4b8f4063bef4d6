// Result words of parsing and evaluation. Each bit has one meaning; callers test bits, never
// compare whole words except where noted.
#pragma once

#include <cstdint>

namespace qv {

using ParseStatus = std::uint16_t;
namespace parse {
constexpr ParseStatus NoRelation = 0x0001;
constexpr ParseStatus BadDependentVar = 0x0002;
constexpr ParseStatus NoInverse = 0x0004;
constexpr ParseStatus MissingOperand = 0x0008;
constexpr ParseStatus OutOfMemory = 0x0010;
constexpr ParseStatus EmptyText = 0x0020;
constexpr ParseStatus BlankSide = 0x0040;
constexpr ParseStatus DiscontinuousPower = 0x0080;
constexpr ParseStatus DomainMissing = 0x0100;
constexpr ParseStatus DomainBad = 0x0200;
constexpr ParseStatus UnknownName = 0x0400;
constexpr ParseStatus InequalityNotAllowed = 0x0800;
constexpr ParseStatus NotEnoughIVs = 0x1000;
constexpr ParseStatus BadCharacter = 0x2000;
constexpr ParseStatus BadSyntax = 0x4000;
}  // namespace parse

using EvalStatus = std::uint16_t;
namespace evalerr {
constexpr EvalStatus BadNode = 0x0001;
constexpr EvalStatus DivideByZero = 0x0002;
constexpr EvalStatus Overflow = 0x0004;
constexpr EvalStatus LostAccuracy = 0x0008;
constexpr EvalStatus UndefinedVariable = 0x0010;
constexpr EvalStatus NegativeRoot = 0x0020;
constexpr EvalStatus LogDomain = 0x0040;
constexpr EvalStatus DomainError = 0x0080;
constexpr EvalStatus AbsInverseNegative = 0x0100;
constexpr EvalStatus PrecisionLoss = 0x0200;
constexpr EvalStatus InvalidOperation = 0x0400;
constexpr EvalStatus Underflow = 0x0800;
}  // namespace evalerr

// Results of evaluating a constant text that are not evaluation words.
constexpr std::uint16_t CONSTANT_TEXT_BLANK = 0x1000;
constexpr std::uint16_t CONSTANT_TEXT_UNPARSED = 0xFF88;

using UsageFlags = std::uint32_t;
namespace usage {
constexpr UsageFlags R = 0x1;
constexpr UsageFlags T = 0x2;
constexpr UsageFlags X = 0x8;
constexpr UsageFlags Y = 0x10;
constexpr UsageFlags Z = 0x20;
constexpr UsageFlags DxFamily = 0x100;
constexpr UsageFlags DyFamily = 0x200;
constexpr UsageFlags Dz = 0x400;
constexpr UsageFlags Dw = 0x800;
constexpr UsageFlags W = 0x1000;
constexpr UsageFlags X1 = 0x2000;
constexpr UsageFlags X2 = 0x4000;
constexpr UsageFlags X3 = 0x8000;
constexpr UsageFlags X4 = 0x10000;
constexpr UsageFlags Dx1 = 0x20000;
constexpr UsageFlags Dx2 = 0x40000;
constexpr UsageFlags Dx3 = 0x80000;
constexpr UsageFlags Dx4 = 0x100000;
}  // namespace usage

// Longest equation line the program keeps.
constexpr int MAX_EQUATION_TEXT = 250;
// Longest text the tokenizer reads (equation lines and whatever scripts pass in): it bounds the
// depth of the parser's and evaluator's recursion.
constexpr int MAX_PARSED_TEXT = 1000;

}  // namespace qv
