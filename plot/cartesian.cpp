#include "plot/cartesian.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/printout.h"
#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/report.h"
#include "plot/graphing_driver.h"
#include "plot/grid_draw.h"
#include "plot/point_list.h"

namespace qv {

namespace {

CartesianStats g_stats;
std::vector<double>* g_trace = nullptr;

// Band states of the walk.
constexpr int BAND_FIRST = 1;
constexpr int BAND_INSIDE = 0;
constexpr int BAND_BELOW = 0x20;
constexpr int BAND_ABOVE = 0x40;
constexpr int BAND_RECOVERING = 2;
constexpr int BAND_LAST = 8;

// Zero classes.
constexpr int ZERO_NONE = 1, ZERO_POSITIVE = 2, ZERO_NEGATIVE = 3, ZERO_NEAR = 4;

constexpr EvalStatus FATAL_EVAL = evalerr::BadNode | evalerr::LostAccuracy | evalerr::UndefinedVariable;

// A walk that no longer advances (a step below the resolution of a double) or that has run far longer
// than any curve on a screen needs is ended rather than left spinning.
constexpr long EVALUATION_LIMIT = 1000000;

struct Walk {
    GraphDoc& doc;
    Equation& eq;
    const ExprNode* tree;
    const GridSetup& g;
    bool ofY;
    char vLetter, wLetter;

    double evaluateAt(double v, EvalStatus& status)
    {
        g_variables.set(vLetter, v);
        status = 0;
        ++g_stats.evaluations;
        if (g_trace)
            g_trace->push_back(v);
        double w = evaluate(tree, status);
        // A result that is no number at all is a failed point, though no rule flagged it.
        if (status == 0 && !std::isfinite(w))
            status = evalerr::Overflow;
        return w;
    }
};

class CandidateBuffer {
public:
    explicit CandidateBuffer(Equation& eq) : eq_(eq) {}
    void add(double v, std::int16_t type)
    {
        buffer_.push_back(CriticalPoint{v, type});
        if (int(buffer_.size()) == CANDIDATE_BATCH)
            flush();
    }
    void flush()
    {
        if (!buffer_.empty() && eq_.critical.size() <= std::size_t(CANDIDATE_LIMIT))
            eq_.critical.insert(eq_.critical.end(), buffer_.begin(), buffer_.end());
        buffer_.clear();
    }

private:
    Equation& eq_;
    std::vector<CriticalPoint> buffer_;
};

// Table positions along the independent axis: additive on a linear axis, multiplicative on a
// logarithmic one. Counted from the first so that long tables do not drift.
struct TablePositions {
    bool on = false;
    bool log = false;
    double first = 0, step = 0;
    long index = 0;
    double at(long i) const { return log ? first * std::pow(step, double(i)) : first + step * double(i); }
    double next() const { return at(index); }
};

// A table position within 0.01 of a whole number is evaluated at its printed value, so that the row
// shows the value of the position it names.
double printedPosition(double t, int decimals)
{
    if (std::fabs(t - std::round(t)) >= 0.01)
        return t;
    const double scale = std::pow(10.0, std::clamp(decimals, 0, 12));
    return std::round(t * scale) / scale;
}

}  // namespace

const CartesianStats& lastCartesianStats() { return g_stats; }
void setCartesianTrace(std::vector<double>* trace) { g_trace = trace; }

int plotCartesian(GraphDoc& doc, Equation& eq, const ExprNode* tree)
{
    g_stats = CartesianStats{};
    const GridSetup& g = doc.grid;
    const ProgramOptions& options = programOptions();
    const bool ofY = (eq.flags & eqflag::FunctionOfY) != 0;
    Walk walk{doc, eq, tree, g, ofY, ofY ? 'y' : 'x', ofY ? 'x' : 'y'};

    const double lo = ofY ? g.yMin : g.xMin, hi = ofY ? g.yMax : g.xMax;
    const double dLo = ofY ? g.xMin : g.yMin, dHi = ofY ? g.xMax : g.yMax;
    const bool logV = ofY ? g.logY() : g.logX();
    const bool logW = ofY ? g.logX() : g.logY();
    const double start = std::max(lo, eq.domainLow);
    const double stop = std::min(hi, eq.domainHigh);
    const int deviceUnits = std::max(1, ofY ? g.areaBottom - g.areaTop : g.areaRight - g.areaLeft);
    const double vLogSpan = ofY ? g.logYSpan : g.logXSpan;
    const double wLogSpan = ofY ? g.logXSpan : g.logYSpan;
    const double base = g.logBase;
    const double lnBase = g.lnBase;
    const double unit = logV ? 2 * vLogSpan / deviceUnits : (hi - lo) / deviceUnits;
    const double fineness = options.fineness > 0 ? options.fineness : 1.0;
    const double step = unit / fineness;
    const double walkEnd = logV ? stop * std::pow(base, unit / 2) : stop + unit / 2;
    // Spans in the units the distances are measured in: world units, or powers of the base on a
    // logarithmic axis.
    const double vSpan = logV ? vLogSpan : hi - lo;
    const double wSpan = logW ? wLogSpan : dHi - dLo;
    const double ratio = ofY ? vSpan / (g.squareRatio * wSpan) : vSpan * g.squareRatio / wSpan;
    const double eps = ratio * unit;
    const double hDefault = logV ? std::pow(base, step) - 1 : 2 * step;
    double minD2 = 4 * step * step;
    const double maxD2 = 200 * step * step;
    const double turnWindow = 5 * step;
    const bool dots = (eq.flags & eqflag::Dots) != 0;
    const bool usesInt = (eq.flags & eqflag::UsesInt) != 0;
    const bool wide = options.widelines;
    PointList& work = workPointList();

    if (!(start < walkEnd) || !std::isfinite(start) || !std::isfinite(walkEnd) || !(step > 0) ||
        (logV && !(start > 0)))
        return PLOT_DONE;

    auto xOf = [&](double v, double w) { return ofY ? w : v; };
    auto yOf = [&](double v, double w) { return ofY ? v : w; };
    auto emitLine = [&](double v, double w) {
        ++g_stats.points;
        if (dots)
            plotDot(g, xOf(v, w), yOf(v, w), work, true, wide);
        else if (usesInt)
            lineOrMoveToPoint(g, xOf(v, w), yOf(v, w), work, true);
        else
            lineToPoint(g, xOf(v, w), yOf(v, w), work, true);
    };
    auto emitMove = [&](double v, double w) {
        ++g_stats.points;
        if (dots)
            plotDot(g, xOf(v, w), yOf(v, w), work, true, wide);
        else
            moveToPoint(g, xOf(v, w), yOf(v, w), work, true);
    };
    auto inBand = [&](double w) { return w >= dLo && w <= dHi; };
    auto defaultStepAt = [&](double v) { return logV ? hDefault * v : hDefault; };

    // Coordinate table.
    TablePositions table;
    if (tablesPrinted()) {
        double s = tableStep(g, ofY ? Axis::Y : Axis::X, options.tables, options.tableincr, currentGridMetrics());
        if (std::isfinite(s) && s > 0) {
            table.on = true;
            table.log = logV;
            if (logV) {
                table.first = std::pow(base, std::floor(std::log(lo) / lnBase / s) * s);
                table.step = std::pow(base, s);
                table.on = table.step > 1;
            } else {
                table.first = s * (std::floor(lo / s) + 1);
                table.step = s;
            }
            // Positions of the visible range before the domain starts keep their rows as placeholders.
            while (table.on && table.next() < start && table.index < 100000) {
                addRow(table.next(), 0, RowStatus::Skipped);
                ++table.index;
            }
        }
    }
    const int decimals = ofY ? g.yLabelDecimals : g.xLabelDecimals;
    const double tableEnd = table.log ? stop * (1 + 1e-9) : stop + std::fabs(table.step) * 1e-9;
    auto writeRow = [&] {
        const double t = printedPosition(table.next(), decimals);
        EvalStatus rowStatus = 0;
        const double value = walk.evaluateAt(t, rowStatus);
        addRow(t, value, rowStatus ? RowStatus::Error : RowStatus::Value);
        ++table.index;
    };

    const bool collecting = (eq.flags & (eqflag::TwoBranches | eqflag::Inequality)) == 0;
    if (collecting) {
        eq.critical.clear();
        eq.criticalFound = 0;
    }
    CandidateBuffer candidates(eq);

    double v = start, w = 0;
    double vPrev = start, wPrev = 0;
    double h = defaultStepAt(start);
    int dir = 1;
    int phase = 1;
    int band = BAND_FIRST;
    int refinements = 0;
    int turns = 0;
    bool manyTurns = false;
    double lastTurn = -HUGE_VAL;
    bool noPole = true;
    double lastInside = -HUGE_VAL;
    int zeroClass = ZERO_NONE;
    double reV = 0, reW = 0;
    bool prevSlope = false;
    int result = PLOT_DONE;

    for (;;) {
        if (g_stats.evaluations > EVALUATION_LIMIT)
            break;
        EvalStatus status = 0;
        w = walk.evaluateAt(v, status);
        if (status) {
            report(status, walk.vLetter, v, REPORT_WARNINGS);
            if (status & FATAL_EVAL) {
                result = PLOT_FAILED;
                break;
            }
            if ((band == BAND_INSIDE || band == BAND_LAST) && refinements < MAX_REFINEMENTS) {
                v = vPrev;
                ++refinements;
                h /= 2;
            } else {
                band = BAND_RECOVERING;
                h = 8 * defaultStepAt(v);
            }
        } else {
            // Zero candidates: the value changes sign between two points clear of zero.
            if (collecting && dir == 1) {
                const int cls = w > eps ? ZERO_POSITIVE : (w < -eps ? ZERO_NEGATIVE : ZERO_NEAR);
                if (cls != zeroClass && zeroClass != ZERO_NONE && cls != ZERO_NEAR)
                    candidates.add(v, 1);
                zeroClass = cls;
            }

            // Distance control.
            if ((!logV || v > 0) && (!logW || w > 0)) {
                if (phase == 1) {
                    vPrev = v;
                    wPrev = w;
                    phase = 2;
                } else {
                    const double dv = logV ? std::log(v / vPrev) / lnBase : v - vPrev;
                    const double dw = (logW ? std::log(w / wPrev) / lnBase : w - wPrev) * ratio;
                    const bool slope = (dw > 0) != (dv > 0);
                    if (phase == 2) {
                        phase = 3;
                    } else if (slope == prevSlope) {
                        phase = 3;
                        if (manyTurns && v - lastTurn > turnWindow) {
                            turns = 0;
                            manyTurns = false;
                        }
                    } else {
                        phase = 4;
                        if (v - lastTurn >= turnWindow) {
                            turns = 0;
                            manyTurns = false;
                        } else if (++turns > MANY_TURNS) {
                            manyTurns = true;
                        }
                        lastTurn = v;
                        if (collecting)
                            candidates.add(vPrev, 6);
                    }
                    prevSlope = slope;
                    if (band == BAND_INSIDE || band == BAND_LAST) {
                        const double d2 = dv * dv + dw * dw;
                        if (d2 < minD2) {
                            v -= dir * h;
                            h *= 1.5;
                        } else if (d2 > maxD2 && !usesInt && refinements < MAX_REFINEMENTS && !manyTurns) {
                            v -= dir * h;
                            h /= 2;
                            ++refinements;
                            w = wPrev;
                        } else {
                            vPrev = v;
                            wPrev = w;
                            refinements = 0;
                            emitLine(v, w);
                        }
                    }
                }
            }

            // Where the point lies against the visible band of the dependent variable.
            if (inBand(w)) {
                lastInside = v;
                if (band == BAND_FIRST) {
                    emitMove(v, w);
                    band = BAND_INSIDE;
                } else if (band != BAND_INSIDE && band != BAND_LAST) {
                    // Re-entry: trace the curve back towards the edge it came in through.
                    emitMove(v, w);
                    refinements = 0;
                    h /= 8;
                    reV = v;
                    reW = w;
                    vPrev = v;
                    wPrev = w;
                    dir = -1;
                    band = BAND_INSIDE;
                }
            } else {
                const int side = w < dLo ? BAND_BELOW : BAND_ABOVE;
                if (band == BAND_BELOW || band == BAND_ABOVE) {
                    const bool jumped = (band == BAND_BELOW && w > dHi) || (band == BAND_ABOVE && w < dLo);
                    if (jumped && (logV || std::fabs(w) < LINEAR_JUMP_LIMIT)) {
                        EvalStatus probeStatus = 0;
                        const double probe = walk.evaluateAt(v - h / 128, probeStatus);
                        vPrev = v;
                        wPrev = w;
                        const bool continuous =
                            probeStatus == 0 && (band == BAND_BELOW ? probe < w : probe > w);
                        // Below the resolution of the variable no finer look can find the crossing.
                        const bool resolvable = h > std::fabs(v) * 1e-14 && h > 1e-300;
                        if (continuous && resolvable) {
                            if (noPole) {
                                v -= h;
                                h /= 2;
                            } else {
                                noPole = true;
                                band = side;
                            }
                        } else if (continuous) {
                            noPole = true;
                            band = side;
                        } else {
                            noPole = false;
                        }
                    } else {
                        noPole = true;
                        band = side;
                        if (logV) {
                            h = 8 * hDefault * v;
                        } else if (phase == 4 && std::fabs(wPrev - (dLo + dHi) / 2) < 4 * (dHi - dLo)) {
                            // The curve turned outside the band: look for a dip into it between the samples.
                            const double u = dir * h / 2;
                            for (double probeAt : {vPrev - u, v - u}) {
                                // Only where the walk has not yet been inside: a dip before the exit
                                // would send the walk back over the curve it has drawn.
                                if (dir * (probeAt - lastInside) <= 0)
                                    continue;
                                EvalStatus probeStatus = 0;
                                const double probe = walk.evaluateAt(probeAt, probeStatus);
                                if (probeStatus == 0 && inBand(probe)) {
                                    h /= 2;
                                    v = probeAt - dir * h;
                                    break;
                                }
                            }
                        }
                        vPrev = v;
                        wPrev = w;
                    }
                } else {
                    if (band != BAND_INSIDE && band != BAND_LAST) {
                        vPrev = v;
                        wPrev = w;
                    }
                    band = side;
                    if (dir == 1)
                        h = std::max(8 * h, defaultStepAt(v));
                }
            }
        }

        // Table rows for the positions the walk has passed.
        while (table.on && dir == 1 && v >= table.next() && table.next() <= tableEnd)
            writeRow();

        if (plotterPointDone(doc, eq, walk.vLetter, v, walk.wLetter, w)) {
            result = PLOT_ABORTED;
            break;
        }

        // The trace back ends at the edge (or where the curve stops): the traced points are turned
        // round so that the run leads forward into the re-entry point, and the walk goes on from there.
        if (dir == -1 && (v < start || (band != BAND_INSIDE && band != BAND_LAST))) {
            v = reV;
            w = reW;
            vPrev = reV;
            wPrev = reW;
            dir = 1;
            band = BAND_INSIDE;
            refinements = 0;
            reverseRun(work, false);
            moveOnly(g, xOf(reV, reW), yOf(reV, reW));
            h = defaultStepAt(v);
        }

        const double before = v;
        v += dir * h;
        // A step below the resolution of v would leave the walk standing still.
        if (v == before && dir == 1) {
            h = std::max(h * 2, std::fabs(v) * 1e-12 + 1e-300);
            v += h;
        }
        if (dir == 1 && v >= walkEnd) {
            if (band == BAND_INSIDE) {
                band = BAND_LAST;
                h = logV ? hDefault * vPrev : hDefault / 2;
                minD2 = logV ? 0 : 0.99 * h * h;
                v = vPrev + h;
            } else {
                break;
            }
        }
    }

    // The last step may stop short of a position at the very end of the range.
    while (result == PLOT_DONE && table.on && table.next() <= tableEnd)
        writeRow();
    if (collecting)
        candidates.flush();
    return result;
}

}  // namespace qv
