#include "plot/polar_parametric.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <utility>

#include "analysis/printout.h"
#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/number_format.h"
#include "expr/report.h"
#include "plot/cartesian.h"
#include "plot/graphing_driver.h"
#include "plot/grid_draw.h"
#include "plot/point_list.h"

namespace qv {

namespace {

// Polar table rows: the angle written as a multiple of pi, with these products.
constexpr double PI_OVER_SIX = 0.5235987756;
constexpr double ONE_OVER_PI = 0.3183098861827565;
constexpr double TWO_OVER_PI = 0.636619772365513;
constexpr double THREE_OVER_PI = 0.9549296585482696;
constexpr double SIX_OVER_PI = 1.9098593170965392;
// The products above are not exact, so a multiple of pi comes out a few parts in 1e11 off whole.
constexpr double WHOLE_TOLERANCE = 1e-6;

// Band states of a walk.
constexpr int BAND_FIRST = 1;
constexpr int BAND_INSIDE = 0;
constexpr int BAND_RECOVERING = 2;
constexpr int BAND_OUTSIDE = 4;
constexpr int BAND_LAST = 8;

constexpr double MIN_D2_UNITS = 4;  // the smallest accepted distance is two device units
constexpr double CLOSE_STEP_GROWTH = 1.5;

constexpr EvalStatus FATAL_EVAL = evalerr::BadNode | evalerr::LostAccuracy | evalerr::UndefinedVariable;

// A walk that runs far longer than any curve on a screen needs (a huge parameter range, a step below
// the resolution of a double) is ended rather than left spinning; a table over such a range likewise.
constexpr long EVALUATION_LIMIT = 1000000;
constexpr long TABLE_ROW_LIMIT = 10000;

// Room for a row of three numbers written in full, up to the largest double (309 digits each).
constexpr std::size_t ROW_TEXT_SIZE = 1100;

// A point more window spans than this off the window is drawn where its segment from the previous
// point meets that distance: device coordinates are 16 bits, and a far point held at their limit
// would bend the visible part of the segment.
constexpr double FAR_OFF_SPANS = 8;

struct Sample {
    double t = 0, x = 0, y = 0;
    double value = 0;  // r of a polar curve
};

// What a walk plots: the point at a parameter value, and the table rows along the way.
class CurveSource {
public:
    virtual ~CurveSource() = default;
    // Evaluates the curve at t; a number that is no number at all counts as an overflow.
    virtual EvalStatus sample(double t, Sample& s) = 0;
    // Writes the table rows of the positions up to t.
    virtual void rowsUpTo(double t) = 0;
};

EvalStatus evaluateFinite(const ExprNode* tree, double& value)
{
    EvalStatus status = 0;
    value = evaluate(tree, status);
    if (status == 0 && !std::isfinite(value))
        status = evalerr::Overflow;
    return status;
}

class PolarSource final : public CurveSource {
public:
    PolarSource(const ExprNode* tree, bool tables, double start, double end) : tree_(tree), tables_(tables)
    {
        // Indices of the multiples of pi/6 in the range; kept as doubles, since a range may be huge.
        nextRow_ = std::ceil(start * SIX_OVER_PI - WHOLE_TOLERANCE) + 0.0;
        lastRow_ = std::floor(end * SIX_OVER_PI + WHOLE_TOLERANCE);
    }
    EvalStatus sample(double t, Sample& s) override
    {
        s.t = t;
        g_variables.set('t', t);
        EvalStatus status = evaluateFinite(tree_, s.value);
        if (status)
            return status;
        s.x = s.value * std::cos(t);
        s.y = s.value * std::sin(t);
        return std::isfinite(s.x) && std::isfinite(s.y) ? 0 : evalerr::Overflow;
    }
    void rowsUpTo(double t) override
    {
        if (!tables_)
            return;
        const double passed = std::min(lastRow_, std::floor(t * SIX_OVER_PI));
        while (nextRow_ <= passed && rows_ < TABLE_ROW_LIMIT) {
            writeRow(nextRow_ * PI_OVER_SIX);
            nextRow_ += 1;
            ++rows_;
        }
    }

private:
    void writeRow(double theta)
    {
        Sample s;
        if (sample(theta, s) == 0)
            printoutAdd(polarTableRow(theta, s.value, s.x, s.y));
    }

    const ExprNode* tree_;
    bool tables_;
    double nextRow_ = 0, lastRow_ = 0;
    long rows_ = 0;
};

class ParametricSource final : public CurveSource {
public:
    ParametricSource(const ExprNode* xTree, const ExprNode* yTree, double tableStep, double end)
        : xTree_(xTree), yTree_(yTree), step_(tableStep), end_(end)
    {
    }
    void startTable(double start)
    {
        if (std::isfinite(step_) && step_ > 0)
            first_ = step_ * (std::floor(start / step_) + 1);
        else
            step_ = 0;
    }
    EvalStatus sample(double t, Sample& s) override
    {
        s.t = t;
        g_variables.set('t', t);
        if (EvalStatus status = evaluateFinite(xTree_, s.x))
            return status;
        return evaluateFinite(yTree_, s.y);
    }
    void rowsUpTo(double t) override
    {
        if (step_ <= 0)
            return;
        const double tolerance = step_ * 1e-9;
        while (rows_ < TABLE_ROW_LIMIT) {
            const double at = first_ + step_ * double(rows_);
            if (at > t + tolerance || at > end_ + tolerance)
                break;
            ++rows_;
            Sample s;
            if (sample(at, s) == 0) {
                char text[ROW_TEXT_SIZE];
                std::snprintf(text, sizeof text, PARAMETRIC_ROW_FORMAT, at, s.x, s.y);
                printoutAdd(text);
            }
        }
    }

private:
    const ExprNode* xTree_;
    const ExprNode* yTree_;
    double step_;
    double end_;
    double first_ = 0;
    long rows_ = 0;
};

struct WalkRules {
    double maxD2Factor;
    double edgeFactor;   // re-entry and the last step divide the step by it, leaving multiplies
    bool fixedStep;      // every sample is accepted and the step never changes
    bool pauseAtXY;      // the pause shows x and y; otherwise t and r
};

// Where the segment from a point near the window towards (x, y) leaves the area FAR_OFF_SPANS spans
// around the window; (x, y) itself when it lies within.
std::pair<double, double> pulledIn(const GridSetup& g, double fromX, double fromY, double x, double y)
{
    const double spanX = g.xMax - g.xMin, spanY = g.yMax - g.yMin;
    const double left = g.xMin - FAR_OFF_SPANS * spanX, right = g.xMax + FAR_OFF_SPANS * spanX;
    const double bottom = g.yMin - FAR_OFF_SPANS * spanY, top = g.yMax + FAR_OFF_SPANS * spanY;
    auto within = [&](double px, double py) { return px >= left && px <= right && py >= bottom && py <= top; };
    if (within(x, y) || !within(fromX, fromY))
        return {x, y};
    double s = 1;
    if (x > right)
        s = std::min(s, (right - fromX) / (x - fromX));
    else if (x < left)
        s = std::min(s, (left - fromX) / (x - fromX));
    if (y > top)
        s = std::min(s, (top - fromY) / (y - fromY));
    else if (y < bottom)
        s = std::min(s, (bottom - fromY) / (y - fromY));
    return {fromX + s * (x - fromX), fromY + s * (y - fromY)};
}

// The adaptive walk of t from start to end shared by the polar and parametric plotters: steps are
// measured on the screen in x units, a point leaving the window ends its run there, a point entering
// it starts a new run traced back to the edge, and the last step lands on the end of the range.
int walkCurve(GraphDoc& doc, Equation& eq, CurveSource& source, const WalkRules& rules, double start, double end,
              double firstStep)
{
    const GridSetup& g = doc.grid;
    const ProgramOptions& options = programOptions();
    const double fineness = options.fineness > 0 ? options.fineness : 1.0;
    const int columns = std::max(1, g.areaRight - g.areaLeft);
    const double unit = (g.xMax - g.xMin) / (columns * fineness);
    const double ratio = (g.xMax - g.xMin) * g.squareRatio / (g.yMax - g.yMin);
    const double minD2 = MIN_D2_UNITS * unit * unit;
    const double maxD2 = rules.maxD2Factor * minD2;
    const bool dots = (eq.flags & eqflag::Dots) != 0;
    const bool usesInt = (eq.flags & eqflag::UsesInt) != 0;
    const bool wide = options.widelines;
    PointList& work = workPointList();

    if (!std::isfinite(start) || !std::isfinite(end) || !(firstStep > 0) || !std::isfinite(firstStep))
        return PLOT_DONE;

    auto emitMove = [&](double x, double y) {
        if (dots)
            plotDot(g, x, y, work, true, wide);
        else
            moveToPoint(g, x, y, work, true);
    };
    auto emitLine = [&](double x, double y, double fromX, double fromY) {
        const auto [px, py] = pulledIn(g, fromX, fromY, x, y);
        if (dots)
            plotDot(g, px, py, work, true, wide);
        else if (usesInt)
            lineOrMoveToPoint(g, px, py, work, true);
        else
            lineToPoint(g, px, py, work, true);
    };
    auto visible = [&](double x, double y) { return x >= g.xMin && x <= g.xMax && y >= g.yMin && y <= g.yMax; };

    double t = start;
    double h = firstStep;
    long index = 0;  // with a fixed step t is start + index * h, so that long walks do not drift
    int dir = 1;
    int band = BAND_FIRST;
    int refinements = 0;
    Sample prev, reentry;
    long reentryIndex = 0;
    bool finalSample = false;  // the sample at the end of the range: taken whatever its distance
    int result = PLOT_DONE;

    for (long evaluations = 0; evaluations < EVALUATION_LIMIT; ++evaluations) {
        const double at = t;
        Sample s;
        const EvalStatus status = source.sample(t, s);
        bool retaken = false;  // dropped as too far: the walk takes it again with a shorter step
        if (status) {
            report(status, 't', t, REPORT_WARNINGS);
            if (status & FATAL_EVAL) {
                result = PLOT_FAILED;
                break;
            }
            // Where the curve stops being defined, a few halvings of the step find its end; after
            // them the walk goes on over the undefined stretch.
            if ((band == BAND_INSIDE || band == BAND_LAST) && refinements < MAX_REFINEMENTS && !rules.fixedStep) {
                t = prev.t;
                h /= 2;
                ++refinements;
                retaken = true;
            } else {
                band = BAND_RECOVERING;
            }
        } else {
            double x = s.x, y = s.y;
            if (band == BAND_INSIDE || band == BAND_LAST) {
                const double dx = x - prev.x, dy = (y - prev.y) * ratio;
                const double d2 = rules.fixedStep ? (minD2 + maxD2) / 2 : dx * dx + dy * dy;
                if (d2 < minD2 && !finalSample) {
                    t -= dir * h;
                    h *= CLOSE_STEP_GROWTH;
                } else if (d2 > maxD2 && refinements < MAX_REFINEMENTS) {
                    // Curves that may jump are refined too: where the point stood still for a while
                    // (r = int(t) near 0) the step has grown far beyond the curve's pace, and only
                    // a shorter one finds the arc that follows. A true jump costs a few halvings.
                    t -= dir * h;
                    h /= 2;
                    ++refinements;
                    x = prev.x;
                    y = prev.y;
                    retaken = true;
                } else {
                    emitLine(x, y, prev.x, prev.y);
                    prev = s;
                    refinements = 0;
                }
            }
            if (visible(x, y)) {
                if (band == BAND_FIRST) {
                    emitMove(x, y);
                    prev = s;
                    band = BAND_INSIDE;
                } else if (band == BAND_RECOVERING || band == BAND_OUTSIDE) {
                    // Re-entry: trace the curve back towards the edge it came in through.
                    emitMove(x, y);
                    prev = s;
                    reentry = s;
                    reentryIndex = index;
                    dir = -1;
                    refinements = 0;
                    finalSample = false;
                    if (!rules.fixedStep)
                        h /= rules.edgeFactor;
                    band = BAND_INSIDE;
                }
            } else {
                if (band != BAND_OUTSIDE && dir == 1 && !rules.fixedStep)
                    h *= rules.edgeFactor;
                band = BAND_OUTSIDE;
            }
        }

        if (dir == 1)
            source.rowsUpTo(at);

        const bool xy = rules.pauseAtXY;
        if (plotterPointDone(doc, eq, xy ? 'x' : 't', xy ? s.x : at, xy ? 'y' : 'r', xy ? s.y : s.value)) {
            result = PLOT_ABORTED;
            break;
        }
        if (finalSample && !retaken && dir == 1)
            break;

        // The trace back ends at the edge, at an error or at the start of the range: the traced points
        // are turned round so that the run leads forward into the re-entry point.
        if (dir == -1 && (band != BAND_INSIDE || at <= start)) {
            t = reentry.t;
            index = reentryIndex;
            prev = reentry;
            dir = 1;
            band = BAND_INSIDE;
            refinements = 0;
            reverseRun(work, false);
            moveOnly(g, reentry.x, reentry.y);
        }

        const double before = t;
        if (rules.fixedStep) {
            index += dir;
            t = start + double(index) * h;
        } else {
            t += dir * h;
            // A step below the resolution of t would leave the walk standing still.
            if (dir == 1 && !(t > before)) {
                h = std::max(2 * h, std::fabs(before) * 1e-12 + std::numeric_limits<double>::min());
                t = before + h;
            }
        }
        if (dir == -1 && t < start)
            t = start;
        if (dir == 1 && t > end) {
            if (rules.fixedStep) {
                if (t > end + h * 1e-9)
                    break;
            } else {
                if (band == BAND_INSIDE) {
                    band = BAND_LAST;
                    h /= rules.edgeFactor;
                    t = before + h;
                }
                if (band != BAND_LAST)
                    break;
                if (t >= end) {
                    t = end;
                    finalSample = true;
                }
            }
        }
    }

    if (result == PLOT_DONE)
        source.rowsUpTo(end);
    return result;
}

}  // namespace

std::string polarTableRow(double theta, double r, double x, double y)
{
    struct Form {
        double factor;
        const char* format;
    };
    // The last form takes whatever is left; table rows only fall on multiples of pi/6.
    static const Form forms[] = {
        {ONE_OVER_PI, "%.0f"}, {TWO_OVER_PI, "%.0f/2"}, {THREE_OVER_PI, "%.0f/3"}, {SIX_OVER_PI, "%.0f/6"}};
    char text[ROW_TEXT_SIZE];
    for (const Form& f : forms) {
        const double multiple = theta * f.factor;
        const double whole = std::round(multiple) + 0.0;  // + 0.0: no "-0"
        const bool isWhole = std::fabs(multiple - whole) < WHOLE_TOLERANCE;
        if (isWhole || &f == &forms[3]) {
            std::snprintf(text, sizeof text, f.format, isWhole ? whole : multiple);
            break;
        }
    }
    std::string row = text;
    std::snprintf(text, sizeof text, POLAR_ROW_FORMAT, r, x, y);
    return row + text;
}

int plotPolar(GraphDoc& doc, Equation& eq, const ExprNode* tree)
{
    const GridSetup& g = doc.grid;
    double start = eq.domainLow != -HUGE_VAL ? eq.domainLow : g.tstart;
    double end = eq.domainHigh != HUGE_VAL ? eq.domainHigh : g.tstop;
    if (start > end)
        std::swap(start, end);
    PolarSource source(tree, tablesPrinted(), start, end);
    const WalkRules rules{POLAR_MAX_D2_FACTOR, POLAR_EDGE_FACTOR, false, false};
    return walkCurve(doc, eq, source, rules, start, end, POLAR_FIRST_STEP);
}

int plotParametric(GraphDoc& doc, Equation& eq, const ExprNode* tree)
{
    const GridSetup& g = doc.grid;
    const ProgramOptions& options = programOptions();
    double start = eq.domainLow, end = eq.domainHigh;
    if (start > end)
        std::swap(start, end);
    // A step of 0 would never reach the end, and one against the direction of the walk neither.
    double fixed = eq.ivs.size() == 1 ? std::fabs(eq.ivs[0]) : 0;
    if (eq.ivs.size() == 1 && (eq.ivs[0] == UNDEFINED_VALUE || !std::isfinite(fixed)))
        fixed = 0;
    const double fineness = options.fineness > 0 ? options.fineness : 1.0;
    double h = fixed > 0 ? fixed : std::sqrt(end - start) / (PARAMETRIC_STEP_DIVISOR * fineness);
    // A range of a single value is one point.
    if (h == 0)
        h = 1;

    double step = 0;
    if (tablesPrinted())
        step = tableStep(g, Axis::X, options.tables, options.tableincr, currentGridMetrics());
    ParametricSource source(eq.tree[0], tree, step, end);
    source.startTable(start);
    const WalkRules rules{PARAMETRIC_MAX_D2_FACTOR, PARAMETRIC_EDGE_FACTOR, fixed > 0, true};
    return walkCurve(doc, eq, source, rules, start, end, h);
}

int plotPoint(GraphDoc& doc, Equation& eq, const ExprNode* tree)
{
    const GridSetup& g = doc.grid;
    double x = 0, y = 0;
    if (EvalStatus status = evaluateFinite(eq.tree[0], x)) {
        report(status, 'x', 0, REPORT_WARNINGS);
        return PLOT_FAILED;
    }
    // y failed: the message names the x where it happened.
    if (EvalStatus status = evaluateFinite(tree, y)) {
        report(status, 'x', x, REPORT_WARNINGS);
        return PLOT_FAILED;
    }
    if (x >= g.xMin && x <= g.xMax && y >= g.yMin && y <= g.yMax) {
        plotDot(g, x, y, workPointList(), false, programOptions().widelines);
        const DevicePoint p = deviceOf(g, x, y);
        drawFatDot(p.x, p.y);
    }
    if (tablesPrinted())
        printoutAdd(formatMessage(POINT_ROW_FORMAT, {MessageArg(x), MessageArg(y)}));
    if (plotterPointDone(doc, eq, 'x', x, 'y', y))
        return PLOT_ABORTED;
    return PLOT_DONE;
}

}  // namespace qv
