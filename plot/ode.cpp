#include "plot/ode.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "analysis/printout.h"
#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/report.h"
#include "platform/ui.h"
#include "plot/graphing_driver.h"
#include "plot/grid_draw.h"

namespace qv {

namespace {

using State = std::array<double, ODE_MAX_COMPONENTS>;

constexpr EvalStatus FATAL_EVAL = evalerr::BadNode | evalerr::UndefinedVariable;

// Band states of a curve against the visible y range.
constexpr int BAND_FIRST = 1;
constexpr int BAND_INSIDE = 0;
constexpr int BAND_BELOW = 0x20;
constexpr int BAND_ABOVE = 0x40;

// Bounds on work that depends on the equation: shrinking a step from the largest to the smallest takes
// about 140 tries; a pass across the window takes a few hundred steps, so the step limit only ends
// curves whose steps stay near the smallest for the whole way.
constexpr int MAX_STEP_TRIES = 400;
constexpr long PASS_STEP_LIMIT = 100000;
constexpr double CARRY_STEP_CAP = 1e6;
constexpr long TABLE_ROW_LIMIT = 100000;
// Fineness values from a settings file can be anything positive; the integrator's constants are
// powers of it, so it is held where they stay numbers.
constexpr double MIN_FINENESS = 0.001;
constexpr double MAX_FINENESS = 1000;
// The end of a range counts as reached within this part of h0 (rounding of t).
constexpr double END_SLACK = 1e-9;
// A slope field draws at most one column (row) of marks per device column (row).
constexpr int FIELD_MARK_ENTRIES = 3;  // break, start, end

PointList* g_lists[ODE_MAX_COMPONENTS] = {};
int g_listCount = 0;

double usableFineness()
{
    const double f = programOptions().fineness;
    if (!(f > 0) || !std::isfinite(f))
        return 1.0;
    return std::clamp(f, MIN_FINENESS, MAX_FINENESS);
}

bool allFinite(const double* y, int n)
{
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(y[i]))
            return false;
    return true;
}

bool withinValueLimit(double v) { return std::fabs(v) <= ODE_VALUE_LIMIT; }  // false for NaN

// How far a mark reaches to each side along x: the whole half-length for gentle slopes, less for steep
// ones, so that a steep mark rises no more than the half-length and stays clear of its neighbours.
double markHalfWidth(double s, double m)
{
    const double steep = std::fabs(m);
    return steep > 1 ? s / steep : s;
}

bool justEntered(const GraphDoc& doc, const Equation& eq) { return doc.queueHead == &eq; }

// ---------------------------------------------------------------------------------------------
// Slope field

int drawFlowField(GraphDoc& doc, Equation& eq)
{
    const GridSetup& g = doc.grid;
    if (g.logY()) {
        eq.flags &= ~eqflag::OnGrid;
        userInterface().messageBox(MSG_FLOW_FIELD_LOG);
        return justEntered(doc, eq) ? PLOT_FAILED : PLOT_DONE;
    }
    const char tLetter = static_cast<char>(independentVariable(eq));
    const char xLetter = static_cast<char>(dependentVariable(eq));
    const double spacing = (g.xMax - g.xMin) / (FLOW_FIELD_COLUMNS * usableFineness());
    const double lo = std::max(g.xMin, eq.domainLow), hi = std::min(g.xMax, eq.domainHigh);
    if (!(spacing > 0) || !std::isfinite(spacing) || !(lo < hi) || !std::isfinite(g.yMin) || !std::isfinite(g.yMax))
        return PLOT_DONE;
    const double s = FLOW_MARK_HALF_LENGTH * spacing;
    const int width = std::max(1, g.areaRight - g.areaLeft), height = std::max(1, g.areaBottom - g.areaTop);
    const double firstColumn = std::ceil(lo / spacing) + 1, lastColumn = std::floor(hi / spacing);
    const double columns = std::min(lastColumn - firstColumn + 1, double(width));
    // Rows keep the column spacing unless that would put more than one row on a device row.
    const double rowSpacing = std::max(spacing, (g.yMax - g.yMin) / height);
    const double firstRow = std::ceil(g.yMin / rowSpacing);
    PointList& work = workPointList();
    PlotSurface* surface = curveOutput().surface;

    for (long c = 0; c < columns; ++c) {
        const double x = (firstColumn + double(c)) * spacing;
        for (long r = 0; r <= height; ++r) {
            const double y = (firstRow + double(r)) * rowSpacing;
            if (!(y <= g.yMax))
                break;
            g_variables.set('t', x);
            g_variables.set('x', y);
            EvalStatus status = 0;
            const double m = evaluate(eq.tree[0], status);
            if (status == 0 && !std::isfinite(m))
                status = evalerr::Overflow;
            if (status) {
                report(status, tLetter, x, REPORT_WARNINGS);
                if (status & FATAL_EVAL)
                    return PLOT_FAILED;
            } else {
                const double half = markHalfWidth(s, m);
                const double x1 = x - half, x2 = x + half;
                const double y1 = y - m * half, y2 = y + m * half;
                if (y1 >= g.yMin && y1 <= g.yMax && y2 >= g.yMin && y2 <= g.yMax) {
                    // A full list would overwrite its last entry with every further mark and so join
                    // marks across the field when it is redrawn; the rest of the field is drawn only.
                    if (work.count() + FIELD_MARK_ENTRIES < APPEND_LIMIT) {
                        moveToPoint(g, x1, y1, work, true);
                        lineToPoint(g, x2, y2, work, true);
                    } else if (surface) {
                        moveOnly(g, x1, y1);
                        const DevicePoint end = deviceOf(g, x2, y2);
                        surface->lineTo(end.x, end.y);
                    }
                }
            }
            if (plotterPointDone(doc, eq, tLetter, x, xLetter, y))
                return PLOT_ABORTED;
        }
    }
    return PLOT_DONE;
}

// ---------------------------------------------------------------------------------------------
// Solution curves

struct Curve {
    PointList* list = nullptr;
    char horizontal = 't', vertical = 'x';
    bool draws = false;
    int band = BAND_FIRST;
    bool hasPending = false;
    DevicePoint pending{};
};

class Solver {
public:
    Solver(GraphDoc& doc, Equation& eq) : doc_(doc), eq_(eq), g_(doc.grid) {}
    int run();

private:
    EvalStatus derivatives(double t, const double* y, double* dydt);
    double valueOf(char letter, double t, const double* y) const;
    bool emit(Curve& c, double t, const double* y);
    bool emitAll(double t, const double* y);
    int endOnError(EvalStatus status, double t);
    int carry(double& t, State& y, double target, int dir, bool& reached);
    int pass(double tStart, State y, int dir, bool rowAtStart);
    void startRows(double tStart, int dir, bool includeStart);
    void writeRows(double tPrev, const State& yPrev, const State& dPrev, double t);
    void writeRow(double p, const double* y);

    GraphDoc& doc_;
    Equation& eq_;
    const GridSetup& g_;
    OdeDerivatives f_;
    int n_ = 1;
    const char* stateLetters_ = "xjkl";
    bool system_ = false;
    bool dots_ = false;
    char tLetter_ = 't', xLetter_ = 'x';
    std::array<Curve, ODE_MAX_COMPONENTS> curves_{};
    int curveCount_ = 1;
    double lo_ = 0, hi_ = 0;
    double h0_ = 0;
    RkControl drawing_, carrying_;
    EvalStatus arithmetic_ = 0;  // traps of the solver's own arithmetic land here

    // Coordinate table.
    bool tables_ = false;
    double tableStep_ = 0;
    double nextRow_ = 0;  // index of the next table position, a whole number
    int rowDir_ = 1;
    long rows_ = 0;
};

EvalStatus Solver::derivatives(double t, const double* y, double* dydt)
{
    g_variables.set('t', t);
    for (int i = 0; i < n_; ++i)
        g_variables.set(static_cast<VarCode>(stateLetters_[i]), y[i]);
    for (int i = 0; i < n_; ++i) {
        EvalStatus status = 0;
        dydt[i] = evaluate(eq_.tree[i], status);
        if (status)
            return status;
        if (!std::isfinite(dydt[i]))
            return evalerr::Overflow;
    }
    return 0;
}

double Solver::valueOf(char letter, double t, const double* y) const
{
    if (letter == 't')
        return t;
    for (int i = 0; i < n_; ++i)
        if (stateLetters_[i] == letter)
            return y[i];
    return g_variables.get(static_cast<VarCode>(letter));
}

// Emits the point of one curve and follows it in and out of the visible y range. Outside, only the
// latest point is kept (pending); when the curve comes back, or jumps across the window, the pending
// point starts the new run so that the curve reaches the edge. False when a value is beyond the limit.
bool Solver::emit(Curve& c, double t, const double* y)
{
    const double a = valueOf(c.horizontal, t, y);
    const double b = valueOf(c.vertical, t, y);
    if (!withinValueLimit(a) || !withinValueLimit(b))
        return false;
    const bool inside = b >= g_.yMin && b <= g_.yMax;
    const int side = b < g_.yMin ? BAND_BELOW : BAND_ABOVE;
    PointList& list = *c.list;
    auto keepPending = [&] {
        c.pending = deviceOf(g_, a, b);
        c.hasPending = true;
    };
    auto leave = [&] {
        appendPoint(g_, POINT_BREAK, list);
        c.band = side;
    };

    switch (c.band) {
    case BAND_FIRST:
        if (inside) {
            if (dots_)
                plotDot(g_, a, b, list, c.draws, programOptions().widelines);
            else
                moveToPoint(g_, a, b, list, c.draws);
            c.band = BAND_INSIDE;
        } else {
            keepPending();
            c.band = side;
        }
        break;
    case BAND_INSIDE:
        if (dots_)
            plotDot(g_, a, b, list, c.draws, programOptions().widelines);
        else
            lineToPoint(g_, a, b, list, c.draws);
        if (!inside)
            leave();
        break;
    default:
        if (!inside && side == c.band) {
            keepPending();
            break;
        }
        if (dots_) {
            if (inside)
                plotDot(g_, a, b, list, c.draws, programOptions().widelines);
        } else {
            if (c.hasPending) {
                appendPoint(g_, POINT_BREAK, list);
                appendPoint(g_, c.pending, list);
                PlotSurface* surface = curveOutput().surface;
                if (c.draws && surface)
                    surface->moveTo(c.pending.x, c.pending.y);
                lineToPoint(g_, a, b, list, c.draws);
            } else {
                moveToPoint(g_, a, b, list, c.draws);
            }
        }
        c.hasPending = false;
        if (inside) {
            c.band = BAND_INSIDE;
        } else {
            // Jumped across the window: the new side, and this point starts the run that comes back.
            leave();
            keepPending();
        }
        break;
    }
    return true;
}

bool Solver::emitAll(double t, const double* y)
{
    for (int i = 0; i < curveCount_; ++i)
        if (!emit(curves_[std::size_t(i)], t, y))
            return false;
    return true;
}

// A step that cannot meet the tolerance ends the pass quietly; other failures are reported, and a
// fatal one ends the whole graph.
int Solver::endOnError(EvalStatus status, double t)
{
    if (status == 0 || status == ODE_STEP_TOO_SMALL)
        return PLOT_DONE;
    report(status, tLetter_, t, REPORT_WARNINGS);
    return (status & FATAL_EVAL) ? PLOT_FAILED : PLOT_DONE;
}

// Carries the state from t to target without drawing. reached tells whether it got there.
int Solver::carry(double& t, State& y, double target, int dir, bool& reached)
{
    reached = false;
    const double limit = std::min(CARRY_STEP_CAP, std::max(1.0, ODE_CARRY_STEPS * usableFineness()));
    double h = dir * h0_;
    for (double step = 0; step < limit; ++step) {
        const double remaining = target - t;
        if (!(dir * remaining > END_SLACK * h0_)) {
            t = target;
            reached = true;
            return PLOT_DONE;
        }
        if (std::fabs(h) > std::fabs(remaining))
            h = remaining;
        State d{}, scale{};
        if (EvalStatus status = derivatives(t, y.data(), d.data()))
            return endOnError(status, t);
        for (int i = 0; i < n_; ++i)
            scale[std::size_t(i)] = std::fabs(y[std::size_t(i)]) + std::fabs(h * d[std::size_t(i)]) + ODE_SCALE_FLOOR;
        const RkOutcome o = rkAdaptive(f_, n_, t, y.data(), d.data(), scale.data(), h, carrying_);
        if (arithmetic_) {
            arithmetic_ = 0;
            return endOnError(evalerr::Overflow, t);
        }
        if (o.status || o.stopped)
            return endOnError(o.status, t);
        for (int i = 0; i < n_; ++i)
            if (!withinValueLimit(y[std::size_t(i)]))
                return PLOT_DONE;
        if (plotterPointDone(doc_, eq_, tLetter_, t, xLetter_, y[0]))
            return PLOT_ABORTED;
        h = o.hNext;
    }
    return PLOT_DONE;
}

void Solver::startRows(double tStart, int dir, bool includeStart)
{
    rowDir_ = dir;
    if (!tables_)
        return;
    const double q = tStart / tableStep_;
    nextRow_ = dir > 0 ? std::ceil(q) : std::floor(q);
    // A position the previous pass started from has its row already.
    if (!includeStart && std::fabs(nextRow_ * tableStep_ - tStart) <= END_SLACK * tableStep_)
        nextRow_ += dir;
}

void Solver::writeRow(double p, const double* y)
{
    // Wide enough for any value within the limit in fixed notation.
    char text[160];
    std::string row;
    std::snprintf(text, sizeof text, "%.1f", p);
    row = text;
    auto column = [&](double v) {
        char number[160];
        std::snprintf(number, sizeof number, "\t%.4f", v);
        row += number;
    };
    if (system_) {
        for (int i = 0; i < n_; ++i)
            column(y[i]);
    } else {
        column(y[0]);
        if (n_ >= 2) {
            column(y[1]);
        } else {
            State d{};
            if (derivatives(p, y, d.data()) != 0)
                return;
            column(d[0]);
        }
    }
    printoutAdd(row);
}

// Rows for the table positions the step from tPrev to t passed, with the state carried exactly to each
// position, so that a row shows the values at the position it names.
void Solver::writeRows(double tPrev, const State& yPrev, const State& dPrev, double t)
{
    while (tables_ && rows_ < TABLE_ROW_LIMIT) {
        const double p = nextRow_ * tableStep_;
        if (rowDir_ * (t - p) < 0 || p < lo_ - END_SLACK * h0_ || p > hi_ + END_SLACK * h0_)
            return;
        State y = yPrev;
        bool ok = true;
        if (p != tPrev) {
            ok = rkStep(f_, n_, tPrev, yPrev.data(), dPrev.data(), p - tPrev, y.data()) == 0 && arithmetic_ == 0;
            arithmetic_ = 0;
        }
        if (ok)
            writeRow(p, y.data());
        nextRow_ += rowDir_;
        ++rows_;
    }
}

int Solver::pass(double tStart, State y, int dir, bool rowAtStart)
{
    for (int i = 0; i < curveCount_; ++i) {
        Curve& c = curves_[std::size_t(i)];
        c.band = BAND_FIRST;
        c.hasPending = false;
    }
    double t = tStart;
    if (!emitAll(t, y.data()))
        return PLOT_DONE;
    startRows(tStart, dir, rowAtStart);
    if (tables_) {
        State d{};
        if (derivatives(t, y.data(), d.data()) == 0)
            writeRows(t, y, d, t);
    }
    const double tEnd = dir > 0 ? hi_ : lo_;
    double h = dir * h0_;
    for (long step = 0; step < PASS_STEP_LIMIT; ++step) {
        const double remaining = tEnd - t;
        if (!(dir * remaining > END_SLACK * h0_))
            break;
        if (std::fabs(h) > std::fabs(remaining))
            h = remaining;
        State d{}, scale{};
        if (EvalStatus status = derivatives(t, y.data(), d.data()))
            return endOnError(status, t);
        for (int i = 0; i < n_; ++i)
            scale[std::size_t(i)] = std::fabs(y[std::size_t(i)]) + std::fabs(h * d[std::size_t(i)]) + ODE_SCALE_FLOOR;
        const State yPrev = y;
        const double tPrev = t;
        const RkOutcome o = rkAdaptive(f_, n_, t, y.data(), d.data(), scale.data(), h, drawing_);
        if (arithmetic_) {
            arithmetic_ = 0;
            return endOnError(evalerr::Overflow, tPrev);
        }
        if (o.status || o.stopped)
            return endOnError(o.status, t);
        if (!emitAll(t, y.data()))
            return PLOT_DONE;
        writeRows(tPrev, yPrev, d, t);
        if (plotterPointDone(doc_, eq_, tLetter_, t, xLetter_, y[0]))
            return PLOT_ABORTED;
        if (t == tPrev)
            break;
        h = o.hNext;
    }
    return PLOT_DONE;
}

int Solver::run()
{
    const GraphKind kind = eq_.kind();
    system_ = kind == GraphKind::OdeSystem || kind == GraphKind::OdeSystemPhase;
    const bool phase = kind == GraphKind::OdePhase || kind == GraphKind::OdeSystemPhase;
    n_ = std::clamp<int>(eq_.order, 1, ODE_MAX_COMPONENTS);
    stateLetters_ = system_ ? "xyzw" : "xjkl";
    dots_ = (eq_.flags & eqflag::Dots) != 0;
    tLetter_ = static_cast<char>(independentVariable(eq_));
    xLetter_ = system_ ? 'x' : static_cast<char>(dependentVariable(eq_));
    if (eq_.ivs.size() < std::size_t(n_) + 1)
        return PLOT_DONE;
    for (int i = 0; i < n_; ++i)
        if (!eq_.tree[i])
            return PLOT_FAILED;

    // The curves: one per component for a system drawn against t, else the pair of the axis letters.
    if (kind == GraphKind::OdeSystem && g_listCount > 0) {
        curveCount_ = std::min(n_, g_listCount);
        for (int i = 0; i < curveCount_; ++i)
            curves_[std::size_t(i)] = Curve{g_lists[i], 't', stateLetters_[i], i == 0};
    } else if (kind == GraphKind::OdeSystem) {
        curveCount_ = 1;
        curves_[0] = Curve{&workPointList(), 't', 'x', true};
    } else {
        curveCount_ = 1;
        curves_[0] = Curve{&workPointList(), static_cast<char>(eq_.axis[0]), static_cast<char>(eq_.axis[1]), true};
    }

    if (phase) {
        lo_ = eq_.domainLow == -HUGE_VAL ? g_.xMin : eq_.domainLow;
        hi_ = eq_.domainHigh == HUGE_VAL ? g_.xMax : eq_.domainHigh;
    } else {
        lo_ = std::max(g_.xMin, eq_.domainLow);
        hi_ = std::min(g_.xMax, eq_.domainHigh);
    }
    const double fineness = usableFineness();
    const int width = std::max(1, g_.areaRight - g_.areaLeft);
    h0_ = ODE_FIRST_STEP_PIXELS * (g_.xMax - g_.xMin) / (width * fineness);
    if (!(lo_ < hi_) || !std::isfinite(lo_) || !std::isfinite(hi_) || !(h0_ > 0) || !std::isfinite(h0_))
        return PLOT_DONE;
    const double tolerance = ODE_TOLERANCE / (fineness * fineness * fineness);
    drawing_ = RkControl{tolerance, ODE_DRAW_MIN_STEP * h0_, ODE_MAX_STEP * h0_};
    carrying_ = RkControl{tolerance, ODE_CARRY_MIN_STEP * h0_, ODE_MAX_STEP * h0_};
    f_ = [this](double t, const double* y, double* dydt) { return derivatives(t, y, dydt); };

    if (tablesPrinted() && !g_.logX()) {
        const ProgramOptions& options = programOptions();
        tableStep_ = tableStep(g_, Axis::X, options.tables, options.tableincr, currentGridMetrics());
        tables_ = tableStep_ > 0 && std::isfinite(tableStep_);
    }

    const double t0 = eq_.ivs[0];
    State y0{};
    for (int i = 0; i < n_; ++i)
        y0[std::size_t(i)] = eq_.ivs[std::size_t(i) + 1];
    if (!std::isfinite(t0) || !allFinite(y0.data(), n_))
        return PLOT_DONE;

    // The solver's own sums can overflow where the equation's values are still numbers; with the
    // platform's floating-point traps on, such a trap must land in an evaluation word.
    EvalScope scope(arithmetic_);
    if (t0 > hi_ || t0 < lo_) {
        const int dir = t0 > hi_ ? -1 : 1;
        double t = t0;
        State y = y0;
        bool reached = false;
        const int carried = carry(t, y, dir < 0 ? hi_ : lo_, dir, reached);
        if (carried != PLOT_DONE || !reached)
            return carried;
        return pass(t, y, dir, true);
    }
    const int left = pass(t0, y0, -1, true);
    if (left != PLOT_DONE)
        return left;
    for (int i = 0; i < curveCount_; ++i)
        reverseRun(*curves_[std::size_t(i)].list, true);
    return pass(t0, y0, 1, false);
}

}  // namespace

EvalStatus rkStep(const OdeDerivatives& f, int n, double t, const double* y, const double* dydt, double h, double* out)
{
    n = std::clamp(n, 1, ODE_MAX_COMPONENTS);
    State k2{}, k3{}, k4{};
    // One stage: the slopes at t + dt, from y moved along slope by dt.
    auto stage = [&](double dt, const double* slope, State& k) -> EvalStatus {
        State probe{};
        for (int i = 0; i < n; ++i)
            probe[std::size_t(i)] = y[i] + dt * slope[i];
        if (!allFinite(probe.data(), n))
            return evalerr::Overflow;
        return f(t + dt, probe.data(), k.data());
    };
    const double half = h / 2;
    if (EvalStatus status = stage(half, dydt, k2))
        return status;
    if (EvalStatus status = stage(half, k2.data(), k3))
        return status;
    if (EvalStatus status = stage(h, k3.data(), k4))
        return status;
    for (int i = 0; i < n; ++i) {
        const std::size_t k = std::size_t(i);
        out[i] = y[i] + h / 6 * (dydt[i] + 2 * k2[k] + 2 * k3[k] + k4[k]);
    }
    return allFinite(out, n) ? 0 : evalerr::Overflow;
}

RkOutcome rkAdaptive(const OdeDerivatives& f, int n, double& t, double* y, const double* dydt, const double* scale,
                     double h, const RkControl& control)
{
    n = std::clamp(n, 1, ODE_MAX_COMPONENTS);
    RkOutcome outcome;
    State halfway{}, halfwaySlope{}, twoHalves{}, whole{};
    for (int tries = 0;; ++tries) {
        const double half = h / 2;
        EvalStatus status = rkStep(f, n, t, y, dydt, half, halfway.data());
        if (!status)
            status = f(t + half, halfway.data(), halfwaySlope.data());
        if (!status)
            status = rkStep(f, n, t + half, halfway.data(), halfwaySlope.data(), half, twoHalves.data());
        if (!status)
            status = rkStep(f, n, t, y, dydt, h, whole.data());
        if (status) {
            outcome.status = status;
            outcome.stopped = true;
            return outcome;
        }
        double err = 0;
        for (int i = 0; i < n; ++i) {
            const std::size_t k = std::size_t(i);
            const double e = std::fabs(twoHalves[k] - whole[k]) / scale[i];
            err = std::isfinite(e) ? std::max(err, e) : HUGE_VAL;
        }
        err /= control.tolerance;
        if (!(err <= 1)) {
            if (std::fabs(h) > control.minStep && tries < MAX_STEP_TRIES) {
                h *= std::isfinite(err) ? ODE_SAFETY * std::pow(err, ODE_SHRINK_EXPONENT) : ODE_SAFETY * 0.1;
                continue;
            }
            outcome.hDid = h;
            outcome.stopped = true;
            if (!(err <= ODE_GIVE_UP_ERROR))
                outcome.status = ODE_STEP_TOO_SMALL;
            return outcome;
        }
        t += h;
        for (int i = 0; i < n; ++i) {
            const std::size_t k = std::size_t(i);
            y[i] = twoHalves[k] + (twoHalves[k] - whole[k]) / 15;
        }
        outcome.hDid = h;
        double next;
        if (std::fabs(h) >= control.maxStep)
            next = std::copysign(control.maxStep, h);
        else if (err > ODE_GROW_THRESHOLD)
            next = ODE_SAFETY * h * std::pow(err, ODE_GROW_EXPONENT);
        else
            next = ODE_GROWTH * h;
        // The largest step is a limit, also for the step proposed after a small one.
        if (control.maxStep > 0 && std::fabs(next) > control.maxStep)
            next = std::copysign(control.maxStep, h);
        outcome.hNext = next;
        return outcome;
    }
}

int plotOde(GraphDoc& doc, Equation& eq, const ExprNode* /*tree*/)
{
    const bool field = eq.kind() == GraphKind::Ode && (eq.ivs.empty() || eq.ivs[0] == UNDEFINED_VALUE);
    if (field)
        return drawFlowField(doc, eq);
    Solver solver(doc, eq);
    return solver.run();
}

void setOdeCurveLists(PointList* const* lists, int count)
{
    g_listCount = lists ? std::clamp(count, 0, ODE_MAX_COMPONENTS) : 0;
    for (int i = 0; i < ODE_MAX_COMPONENTS; ++i)
        g_lists[i] = i < g_listCount ? lists[i] : nullptr;
}

}  // namespace qv
