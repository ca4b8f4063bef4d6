// Evaluation speed: our parser and evaluator against muparser and hand-written C++ over 1,000,000
// values of x, for five expressions. Every value of the three is checked to agree before timing
// counts. Prints nanoseconds per evaluation (median of several runs) and our ratios.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <muParser.h>

#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/parser.h"

namespace {

constexpr int VALUES = 1000000;
constexpr int RUNS = 9;
constexpr double X_FROM = -5.0;
constexpr double X_STEP = 10.0 / VALUES;

double gammaNative(double x) { return std::exp(qv::gammaln(x)); }

struct Case {
  const char* ours;
  const char* muparser;
  double (*native)(double);
};

const Case CASES[] = {
    {"x^2-3", "x^2-3", [](double x) { return x * x - 3; }},
    {"sin(x)*cos(x)+x/3", "sin(x)*cos(x)+x/3", [](double x) { return std::sin(x) * std::cos(x) + x / 3; }},
    {"sqrt(abs(x))*exp(-x^2/10)", "sqrt(abs(x))*exp(-(x^2)/10)",
     [](double x) { return std::sqrt(std::fabs(x)) * std::exp(-(x * x) / 10); }},
    {"ln(x^2+1)/(1+x^4)", "ln(x^2+1)/(1+x^4)", [](double x) { return std::log(x * x + 1) / (1 + x * x * x * x); }},
    {"gamma(abs(x)+1)", "gamma(abs(x)+1)", [](double x) { return gammaNative(std::fabs(x) + 1); }},
};

double xAt(int i) { return X_FROM + i * X_STEP; }

// Times the three in turn, run after run, so that a busy machine slows them alike; the median of
// each is reported.
template <class A, class B, class C>
void timeInTurn(A&& a, B&& b, C&& c, double ns[3]) {
  std::vector<double> times[3];
  auto timeOne = [](auto&& run) {
    const auto t0 = std::chrono::steady_clock::now();
    run();
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::nano>(t1 - t0).count() / VALUES;
  };
  for (int r = 0; r < RUNS; ++r) {
    times[0].push_back(timeOne(a));
    times[1].push_back(timeOne(b));
    times[2].push_back(timeOne(c));
  }
  for (int i = 0; i < 3; ++i) {
    std::sort(times[i].begin(), times[i].end());
    ns[i] = times[i][times[i].size() / 2];
  }
}

bool agree(double a, double b) {
  if (a == b) return true;
  return std::fabs(a - b) <= 1e-12 * std::max(std::fabs(a), std::fabs(b));
}

}  // namespace

int main() {
  volatile double sink = 0;
  bool allAgree = true;
  std::printf("%-28s %10s %10s %10s %12s %12s\n", "expression", "ours ns", "muparser", "native", "ours/mup", "ours/native");
  for (const Case& c : CASES) {
    qv::resetVariables();
    qv::ParseStatus ps = 0;
    qv::ExprNode* tree = qv::parseExpression(c.ours, ps);
    if (!tree) {
      std::printf("%s: parse error 0x%04X\n", c.ours, ps);
      return 1;
    }
    double mx = 0;
    mu::Parser mup;
    mup.DefineVar("x", &mx);
    mup.DefineFun("gamma", gammaNative);
    mup.SetExpr(c.muparser);

    // The three must compute the same values, with no error word from ours.
    int mismatches = 0;
    for (int i = 0; i < VALUES; ++i) {
      const double x = xAt(i);
      qv::g_variables.set('x', x);
      qv::EvalStatus st = 0;
      const double ours = qv::evaluate(tree, st);
      mx = x;
      const double theirs = mup.Eval();
      const double native = c.native(x);
      if (st != 0 || !agree(ours, native) || !agree(theirs, native)) {
        if (mismatches++ < 3)
          std::printf("  mismatch at x=%.17g: ours=%.17g (status 0x%04X) muparser=%.17g native=%.17g\n", x, ours, st,
                      theirs, native);
      }
    }
    if (mismatches) {
      std::printf("%s: %d values disagree\n", c.ours, mismatches);
      allAgree = false;
    }

    double ns[3];
    timeInTurn(
        [&] {
          double sum = 0;
          for (int i = 0; i < VALUES; ++i) {
            qv::g_variables.set('x', xAt(i));
            qv::EvalStatus st = 0;
            sum += qv::evaluate(tree, st);
          }
          sink = sink + sum;
        },
        [&] {
          double sum = 0;
          for (int i = 0; i < VALUES; ++i) {
            mx = xAt(i);
            sum += mup.Eval();
          }
          sink = sink + sum;
        },
        [&] {
          double sum = 0;
          for (int i = 0; i < VALUES; ++i) sum += c.native(xAt(i));
          sink = sink + sum;
        },
        ns);
    const double oursNs = ns[0], mupNs = ns[1], nativeNs = ns[2];
    std::printf("%-28s %10.2f %10.2f %10.2f %12.2f %12.2f\n", c.ours, oursNs, mupNs, nativeNs, oursNs / mupNs,
                oursNs / nativeNs);
    qv::freeTree(tree);
  }
  std::printf("values agree: %s\n", allAgree ? "yes" : "NO");
  return allAgree ? 0 : 1;
}
