#include "cli.h"
#include "cli_calculus.h"
#include "cli_doc.h"
#include "cli_equation.h"
#include "cli_integrate.h"
#include "cli_render.h"
#include "cli_table.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/number_format.h"
#include "expr/parser.h"
#include "expr/report.h"
#include "platform/ui.h"

namespace qv::cli {

namespace {

const char* const USAGE =
    "usage: quorvex-cli eval EXPR [NAME=VALUE]... | format VALUE FLAGS PRECISION | "
    "print EXPR | diff EXPR VAR | parse LINE [--grid L,R,B,T] | derive LINE [--grid L,R,B,T] | "
    "message [--xdec N] [--ydec N] TEMPLATE [ARG]... | report STATUS LETTER VALUE [--warnings] [--mode N] | "
    "doc FILE [--setup INI] [--write OUT --kind 1|2|4] | "
    "render [--size WIDTHxHEIGHT] [--setup INI] [--eq LINE]... [--integrate FROM,TO[,LOWER]] [DOC.gr] -o OUT | "
    "table LINE [--from X] [--to X] [--step S] | "
    "integrate LINE [LINE2] --from A --to B [--method trapezoid|simpson|above|below] [--segments N] | "
    "critical LINE [--grid L,R,B,T] [--guess G [--extrema]] | "
    "tangent LINE X Y [--grid L,R,B,T] [-o OUT.svg|OUT.bmp]\n";

// Prints what the engine shows, one line per message, in the forms scripts rely on.
class ConsoleUserInterface final : public UserInterface {
 public:
  explicit ConsoleUserInterface(std::FILE* out) : out_(out) {}
  void messageBox(const std::string& text) override { std::fprintf(out_, "messagebox: %s\n", text.c_str()); }
  void statusLine(const std::string& text, int category) override {
    std::fprintf(out_, "status %d: %s\n", category, text.c_str());
  }
  void beep() override {}

 private:
  std::FILE* out_;
};

// A C number: decimal or exponent notation, "inf", "nan". The same conversion on every build, so
// the host and the Windows build read the same bits.
bool parseDouble(const char* text, double& value) {
  const char* p = text;
  if (*p == '+') ++p;
  if (*p == '\0') return false;
  const char* end = text + std::strlen(text);
  const auto result = std::from_chars(p, end, value);
  return result.ec == std::errc() && result.ptr == end;
}

// Hexadecimal with 0x, otherwise decimal.
bool parseUnsigned(const char* text, unsigned long& value) {
  int base = 10;
  const char* p = text;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    base = 16;
    p += 2;
  }
  if (*p == '\0') return false;
  const char* end = text + std::strlen(text);
  const auto result = std::from_chars(p, end, value, base);
  return result.ec == std::errc() && result.ptr == end;
}

bool parseInt(const char* text, int& value) {
  const char* end = text + std::strlen(text);
  if (text == end) return false;
  const auto result = std::from_chars(text, end, value);
  return result.ec == std::errc() && result.ptr == end;
}

std::string printValue(double v) {
  if (std::isnan(v)) return "nan";  // the sign of a NaN is not meaningful and printers disagree on it
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

int usage(std::FILE* err) {
  std::fputs(USAGE, err);
  return 2;
}

int cmdEval(int argc, char** argv, std::FILE* out, std::FILE* err) {
  if (argc < 1) return usage(err);
  resetVariables();
  for (int i = 1; i < argc; ++i) {
    const char* assignment = argv[i];
    double value = 0;
    if (!(assignment[0] >= 'a' && assignment[0] <= 'z') || assignment[1] != '=' ||
        !parseDouble(assignment + 2, value))
      return usage(err);
    g_variables.set(static_cast<VarCode>(assignment[0]), value);
  }
  ParseStatus ps = 0;
  std::string text = argv[0];
  ExprNode* tree = parseExpression(text, ps);
  if (!tree) {
    std::fprintf(out, "parse-error status=0x%04X\n", ps);
    return 1;
  }
  EvalStatus st = 0;
  const double value = evaluate(tree, st);
  freeTree(tree);
  std::fprintf(out, "value=%s status=0x%04X\n", printValue(value).c_str(), st);
  return 0;
}

int cmdFormat(int argc, char** argv, std::FILE* out, std::FILE* err) {
  double value = 0;
  unsigned long flags = 0;
  int precision = 0;
  if (argc != 3 || !parseDouble(argv[0], value) || !parseUnsigned(argv[1], flags) || flags > 0xFF ||
      !parseInt(argv[2], precision))
    return usage(err);
  std::fprintf(out, "%s\n", formatNumber(value, static_cast<unsigned>(flags), precision).c_str());
  return 0;
}

int cmdMessage(int argc, char** argv, std::FILE* out, std::FILE* err) {
  LabelDecimals decimals;
  int i = 0;
  while (i < argc && (std::strcmp(argv[i], "--xdec") == 0 || std::strcmp(argv[i], "--ydec") == 0)) {
    int n = 0;
    if (i + 1 >= argc || !parseInt(argv[i + 1], n) || n < 0 || n > 20) return usage(err);
    (argv[i][2] == 'x' ? decimals.x : decimals.y) = n;
    i += 2;
  }
  if (i >= argc) return usage(err);
  const char* templ = argv[i++];
  std::vector<MessageArg> args;
  for (const char* p = templ; *p; ++p) {
    if (*p != '%' || p[1] == '\0') continue;
    const char placeholder = *++p;
    if (std::strchr("XYxyt*", placeholder)) {
      double v = 0;
      if (i >= argc || !parseDouble(argv[i], v)) return usage(err);
      args.emplace_back(v);
      ++i;
    } else if (placeholder == 'c') {
      if (i >= argc || std::strlen(argv[i]) != 1) return usage(err);
      args.emplace_back(static_cast<int>(static_cast<unsigned char>(argv[i][0])));
      ++i;
    }
  }
  if (i != argc) return usage(err);
  const LabelDecimals previous = currentLabelDecimals();
  setLabelDecimals(decimals);
  const std::string text = formatMessage(templ, args.data(), args.size());
  setLabelDecimals(previous);
  std::fprintf(out, "%s\n", text.c_str());
  return 0;
}

int cmdReport(int argc, char** argv, std::FILE* err) {
  std::vector<const char*> positional;
  bool warnings = false;
  int mode = REPORT_WARNINGS;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--warnings") == 0) {
      warnings = true;
    } else if (std::strcmp(argv[i], "--mode") == 0) {
      if (i + 1 >= argc || !parseInt(argv[i + 1], mode)) return usage(err);
      ++i;
    } else {
      positional.push_back(argv[i]);
    }
  }
  unsigned long status = 0;
  double value = 0;
  if (positional.size() != 3 || !parseUnsigned(positional[0], status) || status > 0xFFFF ||
      std::strlen(positional[1]) != 1 || !parseDouble(positional[2], value))
    return usage(err);
  const ReportSettings saved = reportSettings();
  reportSettings() = {warnings, false};
  report(static_cast<EvalStatus>(status), positional[1][0], value, mode);
  reportSettings() = saved;
  return 0;
}

using EquationCommand = int (*)(int, char**, std::FILE*);

EquationCommand equationCommand(const char* name) {
  if (std::strcmp(name, "print") == 0) return cmdPrint;
  if (std::strcmp(name, "diff") == 0) return cmdDiff;
  if (std::strcmp(name, "parse") == 0) return cmdParse;
  if (std::strcmp(name, "derive") == 0) return cmdDerive;
  return nullptr;
}

}  // namespace

int run(int argc, char** argv, std::FILE* out, std::FILE* err) {
  if (argc < 2) return usage(err);
  // Everything the engine shows (including a fatal floating-point trap) goes to the output.
  ConsoleUserInterface console(out);
  UserInterface* previousUi = &userInterface();
  installUserInterface(&console);
  const char* command = argv[1];
  int rc;
  if (std::strcmp(command, "eval") == 0)
    rc = cmdEval(argc - 2, argv + 2, out, err);
  else if (std::strcmp(command, "format") == 0)
    rc = cmdFormat(argc - 2, argv + 2, out, err);
  else if (std::strcmp(command, "message") == 0)
    rc = cmdMessage(argc - 2, argv + 2, out, err);
  else if (std::strcmp(command, "report") == 0)
    rc = cmdReport(argc - 2, argv + 2, err);
  else if (equationCommand(command)) {
    rc = equationCommand(command)(argc - 2, argv + 2, out);
    if (rc == 2) usage(err);
  }
  else if (std::strcmp(command, "doc") == 0) {
    rc = cmdDoc(argc - 2, argv + 2, out, err);
    if (rc == 2) usage(err);
  }
  else if (std::strcmp(command, "render") == 0)
    rc = cmdRender(argc - 2, argv + 2, out, err);
  else if (std::strcmp(command, "table") == 0)
    rc = cmdTable(argc - 2, argv + 2, out, err);
  else if (std::strcmp(command, "critical") == 0)
    rc = cmdCritical(argc - 2, argv + 2, out, err);
  else if (std::strcmp(command, "tangent") == 0)
    rc = cmdTangent(argc - 2, argv + 2, out, err);
  else if (std::strcmp(command, "integrate") == 0)
    rc = cmdIntegrate(argc - 2, argv + 2, out, err);
  else
    rc = usage(err);
  installUserInterface(previousUi);
  std::fflush(out);
  return rc;
}

}  // namespace qv::cli
