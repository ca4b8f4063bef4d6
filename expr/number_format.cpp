#include "number_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "expr_node.h"

namespace qv {

namespace {

LabelDecimals g_labelDecimals;

constexpr int MAX_PRECISION = 20;

std::string printf1(const char* format, int a, double b) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, a, b);
  return buf;
}

void appendScientific(std::string& out, int digits, double mantissa, char times, int exponent) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%.*f%c10^%d", digits, mantissa, times, exponent);
  out += buf;
}

std::string formatPlain(double v, unsigned flags, int precision) {
  const double a = std::fabs(v);
  int d;
  if (isNearZero(v))
    d = 0;
  else if (flags & (numfmt::FixedDigits | numfmt::FixedPlain))
    d = precision;
  else if (a < 0.001)
    d = 5;
  else if (a < 0.95)
    d = 4;
  else if (isNearInteger(v))
    d = 0;
  else
    d = 2;
  std::string out = printf1("%.*f", d, v);
  while (d > 1 && out.back() == '0') {
    out.pop_back();
    --d;
  }
  if (!(flags & numfmt::FixedDigits) && out.size() >= 2 && out.compare(out.size() - 2, 2, ".0") == 0)
    out.resize(out.size() - 2);
  if (out == "-0" || out == "-0.0") out = "0";
  return out;
}

std::string formatFinite(double v, unsigned flags, int precision) {
  if ((flags & numfmt::PowerOfE) && !(std::fabs(v - 1.0) < NEAR_ZERO)) {
    const int n = toInt16(std::floor(std::log(std::fabs(v)) + 0.05));
    if (n == 1) return "e";
    char buf[16];
    std::snprintf(buf, sizeof buf, "e^%d", n);
    return buf;
  }
  const double a = std::fabs(v);
  const bool tested = v != 0.0 && ((flags & numfmt::ScientificNearZero) || !isNearZero(v));
  if (tested && (a < 0.001 || (a < 0.01 && !isNearInteger(1000.0 * v)) || a > 9999.0)) {
    const int e = toInt16(std::floor(std::log10(a) + 0.03));
    const double m = v / std::pow(10.0, e);
    if (std::fabs(std::fabs(m) - 1.0) < NEAR_ZERO) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%s10^%d", m < 0 ? "-" : "", e);
      return buf;
    }
    if (e >= 0 || e <= -5) {
      int digits;
      if (flags & numfmt::FixedDigits)
        digits = (precision == 0 || e > 0) ? 2 : std::max(precision + e, 1);
      else
        digits = isNearInteger(m) ? 0 : 1;
      std::string out;
      appendScientific(out, digits, m, (flags & numfmt::StarTimes) ? '*' : 'x', e);
      return out;
    }
    // Small exponents read better as plain decimals.
    v = std::pow(10.0, e) * m;
  }
  return formatPlain(v, flags, precision);
}

}  // namespace

bool isNearZero(double v) { return std::fabs(v) < NEAR_ZERO; }

bool isNearInteger(double v) {
  const double a = std::fabs(v);
  return isNearZero(v) || std::fabs(a - std::floor(a + 0.5)) < 0.01;
}

std::string formatNumber(double value, unsigned flags, int precision) {
  precision = std::clamp(precision, 0, MAX_PRECISION);
  std::string out;
  // Infinities and NaN have no numeric form; they are named rather than turned into nonsense digits.
  if (std::isnan(value))
    out = "nan";
  else if (std::isinf(value))
    out = value > 0 ? "inf" : "-inf";
  else
    out = formatFinite(value, flags, precision);
  if (flags & numfmt::MultipleOfPi) {
    if (out == "1")
      out = "p";
    else if (out == "-1")
      out = "-p";
    else if (out != "0")
      out += "p";
  }
  return out;
}

LabelDecimals currentLabelDecimals() { return g_labelDecimals; }
void setLabelDecimals(LabelDecimals decimals) { g_labelDecimals = decimals; }

std::string formatMessage(const char* templ, std::initializer_list<MessageArg> args) {
  return formatMessage(templ, args.begin(), args.size());
}

std::string formatMessage(const char* templ, const MessageArg* args, std::size_t count) {
  const LabelDecimals dec = g_labelDecimals;
  std::string out;
  std::size_t next = 0;
  for (const char* p = templ; *p; ++p) {
    if (*p != '%') {
      out += *p;
      continue;
    }
    const char placeholder = *++p;
    if (placeholder == '\0') break;
    unsigned flags = 0;
    int precision = 0;
    switch (placeholder) {
      case 'X': flags = numfmt::Coordinate; precision = dec.x; break;
      case 'Y': flags = numfmt::Coordinate; precision = dec.y; break;
      case 'x': flags = numfmt::Coordinate; precision = dec.x + 2; break;
      case 'y': flags = numfmt::Coordinate; precision = dec.y + 2; break;
      case 't': flags = numfmt::Auto; break;
      case '*': flags = numfmt::Parseable; break;
      case 'c': {
        if (next >= count) break;
        const MessageArg& arg = args[next++];
        int c = -1;
        if (arg.isCharacter)
          c = arg.character;
        else if (arg.number >= 1.0 && arg.number < 256.0)
          c = static_cast<int>(arg.number);
        if (c > 0 && c < 256) out += static_cast<char>(c);
        continue;
      }
      default:
        out += placeholder;
        continue;
    }
    if (next < count) out += formatNumber(args[next++].number, flags, precision);
  }
  return out;
}

}  // namespace qv
