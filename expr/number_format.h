// The one formatter every shown or written-back number passes through, and the message formatter
// built on it.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace qv {

namespace numfmt {
constexpr unsigned StarTimes = 0x01;      // "*" instead of "x" before 10^ in scientific notation
constexpr unsigned Auto = 0x02;           // no effect inside the formatter (%t)
constexpr unsigned FixedDigits = 0x04;    // given precision, mantissa digits by precision, keep ".0"
constexpr unsigned FixedPlain = 0x08;     // given precision for plain numbers only
constexpr unsigned MultipleOfPi = 0x20;   // append "p"
constexpr unsigned PowerOfE = 0x40;       // write "e" or "e^n"
constexpr unsigned ScientificNearZero = 0x80;  // test for scientific notation even near zero
constexpr unsigned Coordinate = 0x06;     // %X %Y %x %y
constexpr unsigned Parseable = 0x81;      // %*: a form the parser reads back
}  // namespace numfmt

constexpr double NEAR_ZERO = 1e-8;
bool isNearZero(double v);
bool isNearInteger(double v);

std::string formatNumber(double value, unsigned flags, int precision);

// Label decimals of the current grid: the decimals one device unit resolves on each axis.
struct LabelDecimals {
  int x = 2;
  int y = 2;
};
LabelDecimals currentLabelDecimals();
void setLabelDecimals(LabelDecimals decimals);

// One argument of a message template: a number, or a character for %c.
struct MessageArg {
  MessageArg(double v) : number(v) {}
  MessageArg(int c) : number(c), character(c), isCharacter(true) {}
  MessageArg(char c) : MessageArg(static_cast<int>(static_cast<unsigned char>(c))) {}
  double number;
  int character = 0;
  bool isCharacter = false;
};

// Placeholders %X %Y %x %y (coordinates at the grid's precision, lower case two decimals more),
// %t (automatic), %* (parseable) take numbers, %c a character; any other character after "%" is
// written as is. A missing argument writes nothing; a character argument of a number placeholder
// counts as its code, a number argument of %c writes the character of that code when it is one.
std::string formatMessage(const char* templ, std::initializer_list<MessageArg> args);
std::string formatMessage(const char* templ, const MessageArg* args, std::size_t count);

}  // namespace qv
