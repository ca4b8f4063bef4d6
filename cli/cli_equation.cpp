#include "cli_equation.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "doc/equation.h"
#include "doc/equation_line.h"
#include "expr/derivative.h"
#include "expr/functions.h"
#include "expr/parser.h"
#include "expr/printer.h"

namespace qv::cli {

namespace {

std::string number(double v) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

bool parseNumber(const std::string& text, double& value) {
  const char* p = text.c_str();
  if (*p == '+') ++p;
  const char* end = text.c_str() + text.size();
  if (p == end) return false;
  const auto r = std::from_chars(p, end, value);
  return r.ec == std::errc() && r.ptr == end;
}

// --grid LEFT,RIGHT,BOTTOM,TOP
bool parseGrid(const char* text, GridRanges& ranges) {
  double v[4];
  std::string rest = text;
  for (int i = 0; i < 4; ++i) {
    const std::size_t comma = rest.find(',');
    if ((i < 3) != (comma != std::string::npos)) return false;
    if (!parseNumber(rest.substr(0, comma), v[i])) return false;
    rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
  }
  ranges = {v[0], v[1], v[2], v[3]};
  return true;
}

// One LINE argument and an optional --grid anywhere around it.
bool lineArguments(int argc, char** argv, const char*& line, GridRanges& ranges) {
  line = nullptr;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--grid") == 0) {
      if (i + 1 >= argc || !parseGrid(argv[i + 1], ranges)) return false;
      ++i;
    } else if (!line) {
      line = argv[i];
    } else {
      return false;
    }
  }
  return line != nullptr;
}

const char* kindName(GraphKind k) {
  switch (k) {
    case GraphKind::Cartesian: return "Cartesian";
    case GraphKind::Polar: return "Polar";
    case GraphKind::Parametric: return "Parametric";
    case GraphKind::ParametricPoint: return "ParametricPoint";
    case GraphKind::OdeDyDx: return "OdeDyDx";
    case GraphKind::Ode: return "Ode";
    case GraphKind::OdePhase: return "OdePhase";
    case GraphKind::OdeSystem: return "OdeSystem";
    case GraphKind::OdeSystemPhase: return "OdeSystemPhase";
    case GraphKind::SystemX: return "SystemX";
    case GraphKind::SystemY: return "SystemY";
    case GraphKind::SystemZ: return "SystemZ";
    case GraphKind::SystemW: return "SystemW";
    case GraphKind::ParamX: return "ParamX";
    case GraphKind::ParamY: return "ParamY";
    default: return "(none)";
  }
}

void printFailure(std::FILE* out, ParseStatus status, const Equation& e) {
  std::fprintf(out, "error=0x%04X\nmessage=%s\n", status, parseFailureMessage(status, e).c_str());
}

// Parses line into a new record; on failure prints why and returns nullptr.
Equation* parseOrReport(const char* line, const GridRanges& ranges, std::FILE* out) {
  resetVariables();
  Equation* e = newEquation();
  if (!e) {
    std::fprintf(out, "error=0x%04X\nmessage=%s\n", parse::OutOfMemory, parseFailureMessage(parse::OutOfMemory, Equation()).c_str());
    return nullptr;
  }
  e->text = line;
  const ParseStatus status = parseLine(*e, ranges);
  if (status) {
    printFailure(out, status, *e);
    freeEquation(e);
    return nullptr;
  }
  return e;
}

}  // namespace

int cmdPrint(int argc, char** argv, std::FILE* out) {
  if (argc != 1) return 2;
  ParseStatus status = 0;
  ExprNode* tree = parseExpression(argv[0], status);
  if (!tree) {
    std::fprintf(out, "parse-error status=0x%04X\n", status);
    return 1;
  }
  std::fprintf(out, "%s\n", printExpr(tree).c_str());
  freeTree(tree);
  return 0;
}

int cmdDiff(int argc, char** argv, std::FILE* out) {
  if (argc != 2) return 2;
  const VarCode v = varCodeOfName(argv[1]);
  if (v == UnknownVar) return 2;
  ParseStatus status = 0;
  ExprNode* tree = parseExpression(argv[0], status);
  if (!tree) {
    std::fprintf(out, "parse-error status=0x%04X\n", status);
    return 1;
  }
  resetVariables();
  int ds = 0;
  ExprNode* d = simplify(differentiate(tree, v, ds));
  if (ds) {
    freeTree(d);
    std::fprintf(out, "error=%d\n", ds);
    return 1;
  }
  std::fprintf(out, "%s\n", printExpr(d).c_str());
  freeTree(d);
  return 0;
}

int cmdParse(int argc, char** argv, std::FILE* out) {
  const char* line = nullptr;
  GridRanges ranges;
  if (!lineArguments(argc, argv, line, ranges)) return 2;
  Equation* e = parseOrReport(line, ranges, out);
  if (!e) return 1;
  std::fprintf(out, "kind=%s flags=0x%04X axes=%c%c order=%d\n", kindName(e->kind()), e->flags, e->axis[0], e->axis[1],
               e->order);
  for (int i = 0; i < 4; ++i)
    std::fprintf(out, "tree%d=%s\n", i, e->tree[i] ? printExpr(e->tree[i]).c_str() : "-");
  std::fprintf(out, "domain=%s,%s\n", number(e->domainLow).c_str(), number(e->domainHigh).c_str());
  if (e->aStart != UNDEFINED_VALUE)
    std::fprintf(out, "a=%s,%s,%s\n", number(e->aStart).c_str(), number(e->aStop).c_str(), number(e->aStep).c_str());
  if (e->bValue != UNDEFINED_VALUE) std::fprintf(out, "b=%s\n", number(e->bValue).c_str());
  if (e->cValue != UNDEFINED_VALUE) std::fprintf(out, "c=%s\n", number(e->cValue).c_str());
  if (!e->ivs.empty()) {
    std::string ivs;
    for (double v : e->ivs) {
      if (!ivs.empty()) ivs += ',';
      ivs += number(v);
    }
    std::fprintf(out, "ivs=%s\n", ivs.c_str());
  }
  std::fprintf(out, "text=%s\n", e->text.c_str());
  freeEquation(e);
  return 0;
}

int cmdDerive(int argc, char** argv, std::FILE* out) {
  const char* line = nullptr;
  GridRanges ranges;
  if (!lineArguments(argc, argv, line, ranges)) return 2;
  Equation* e = parseOrReport(line, ranges, out);
  if (!e) return 1;
  Equation* d = derivativeEquation(*e);
  freeEquation(e);
  if (!d) {
    std::fprintf(out, "%s\n", MSG_NO_DERIVATIVE);
    return 1;
  }
  std::fprintf(out, "%s\n", d->text.c_str());
  freeEquation(d);
  return 0;
}

}  // namespace qv::cli
