#include "plot/ode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "expr/report.h"
#include "plot/graphing_fixture.h"

namespace qv {
namespace {

using namespace testing_bench;

constexpr double kPi = 3.14159265358979323846;

// y' = y, and the harmonic oscillator x' = y, y' = -x.
EvalStatus growth(double, const double* y, double* d)
{
    d[0] = y[0];
    return 0;
}
EvalStatus oscillator(double, const double* y, double* d)
{
    d[0] = y[1];
    d[1] = -y[0];
    return 0;
}

// Integrates with rkAdaptive from t0 to t1 the way the plotter does (error scales, proposed steps,
// the last step cut at the end); returns the number of steps.
int integrate(const OdeDerivatives& f, int n, double t0, double t1, double* y, const RkControl& control, double h0)
{
    double t = t0, h = h0;
    int steps = 0;
    while (t < t1 && steps < 100000) {
        h = std::min(h, t1 - t);
        double d[ODE_MAX_COMPONENTS], scale[ODE_MAX_COMPONENTS];
        EXPECT_EQ(f(t, y, d), 0);
        for (int i = 0; i < n; ++i)
            scale[i] = std::fabs(y[i]) + std::fabs(h * d[i]) + ODE_SCALE_FLOOR;
        const RkOutcome o = rkAdaptive(f, n, t, y, d, scale, h, control);
        EXPECT_EQ(o.status, 0);
        EXPECT_FALSE(o.stopped);
        if (o.stopped)
            break;
        EXPECT_LE(std::fabs(o.hNext), control.maxStep * (1 + 1e-12));
        h = o.hNext;
        ++steps;
    }
    return steps;
}

TEST(RungeKutta, OneClassicStepIsFourthOrder)
{
    // The local error of one step is of order h^5: halving h divides it by about 32.
    auto errorOf = [](double h) {
        const double y0 = 1, d0 = 1;
        double out = 0;
        EXPECT_EQ(rkStep(growth, 1, 0, &y0, &d0, h, &out), 0);
        return std::fabs(out - std::exp(h));
    };
    EXPECT_LT(errorOf(0.1), 1e-7);
    EXPECT_NEAR(errorOf(0.2) / errorOf(0.1), 32, 3);

    // The oscillator over a quarter turn in small steps lands on (cos, -sin).
    double y[2] = {1, 0};
    const double h = kPi / 2 / 200;
    for (int i = 0; i < 200; ++i) {
        double d[2], out[2];
        oscillator(0, y, d);
        ASSERT_EQ(rkStep(oscillator, 2, i * h, y, d, h, out), 0);
        y[0] = out[0];
        y[1] = out[1];
    }
    EXPECT_NEAR(y[0], 0, 1e-9);
    EXPECT_NEAR(y[1], -1, 1e-9);
}

TEST(RungeKutta, AdaptiveStepsMeetTheTolerance)
{
    const double h0 = 0.01;
    const RkControl control{ODE_TOLERANCE, ODE_DRAW_MIN_STEP * h0, ODE_MAX_STEP * h0};
    double y = 1;
    const int steps = integrate(growth, 1, 0, 3, &y, control, h0);
    EXPECT_NEAR(y, std::exp(3.0), std::exp(3.0) * 1e-5);
    // Steps grow to the largest: the run takes about range / largest step, not range / h0.
    EXPECT_LT(steps, 40);
    EXPECT_GE(steps, 20);

    double xy[2] = {1, 0};
    integrate(oscillator, 2, 0, 2 * kPi, xy, control, h0);
    EXPECT_NEAR(xy[0], 1, 1e-5);
    EXPECT_NEAR(xy[1], 0, 1e-5);

    // A tighter tolerance (fineness 2: eight times) gives a more accurate result.
    const RkControl tight{ODE_TOLERANCE / 8, ODE_DRAW_MIN_STEP * h0, 1.0};
    const RkControl loose{ODE_TOLERANCE, ODE_DRAW_MIN_STEP * h0, 1.0};
    double a[2] = {1, 0}, b[2] = {1, 0};
    integrate(oscillator, 2, 0, 20 * kPi, a, tight, h0);
    integrate(oscillator, 2, 0, 20 * kPi, b, loose, h0);
    EXPECT_LT(std::fabs(a[0] - 1), std::fabs(b[0] - 1));
}

TEST(RungeKutta, StepThatCannotMeetTheToleranceStops)
{
    // y' = y^2 from y(0) = 1 blows up at t = 1; a step of 0.9 that may not shrink fails by far.
    OdeDerivatives square = [](double, const double* y, double* d) {
        d[0] = y[0] * y[0];
        return EvalStatus(0);
    };
    double t = 0, y = 1, d = 1, scale = 1 + 0.9;
    RkOutcome o = rkAdaptive(square, 1, t, &y, &d, &scale, 0.9, RkControl{ODE_TOLERANCE, 0.9, 10});
    EXPECT_TRUE(o.stopped);
    EXPECT_EQ(o.status, ODE_STEP_TOO_SMALL);
    EXPECT_EQ(t, 0);
    EXPECT_EQ(y, 1);

    // Allowed to shrink, the same step is retried smaller and taken.
    o = rkAdaptive(square, 1, t, &y, &d, &scale, 0.9, RkControl{ODE_TOLERANCE, 1e-6, 10});
    EXPECT_FALSE(o.stopped);
    EXPECT_GT(t, 0);
    EXPECT_LT(t, 0.9);
    EXPECT_NEAR(y, 1 / (1 - t), 1e-6 / (1 - t));

    // An evaluation error inside the step ends it with that error, the state unchanged.
    OdeDerivatives failing = [](double tt, const double*, double* dd) {
        dd[0] = 1;
        return tt > 0.05 ? evalerr::DivideByZero : EvalStatus(0);
    };
    t = 0;
    y = 1;
    o = rkAdaptive(failing, 1, t, &y, &d, &scale, 0.2, RkControl{ODE_TOLERANCE, 1e-6, 10});
    EXPECT_EQ(o.status, evalerr::DivideByZero);
    EXPECT_EQ(t, 0);
    EXPECT_EQ(y, 1);
}

class OdeTest : public GraphingTest {
protected:
    static std::vector<DevicePoint> plain(const std::vector<DevicePoint>& list)
    {
        std::vector<DevicePoint> out;
        for (DevicePoint p : list)
            if (!isMarker(p))
                out.push_back(p);
        return out;
    }
    // The t values of the PAUSE messages, in the order shown.
    std::vector<double> pausedAt() const
    {
        std::vector<double> ts;
        for (const ShownMessage& m : ui.shown)
            if (m.text.rfind("PAUSE at t=", 0) == 0)
                ts.push_back(std::atof(m.text.c_str() + 11));
        return ts;
    }
    // Pauses at every call and resumes at the next: every computed point shows in a PAUSE message.
    void pauseEverywhere()
    {
        ui.script = [](int call, int) { return call % 2 ? int(drawstate::Paused) : int(drawstate::Running); };
    }
    std::vector<std::string> tableRows(const LinesPrintout& lines) const
    {
        std::vector<std::string> rows;
        for (const std::string& l : lines.lines)
            if (l.find('\t') != std::string::npos && l.rfind("---", 0) != 0 && l.rfind("t\t", 0) != 0 &&
                l.rfind("x\t", 0) != 0)
                rows.push_back(l);
        return rows;
    }
    // Every stored point of the equation lies within reach pixels of the curve (x(t), y(t)).
    void expectPointsOn(const Equation& e, const std::function<double(double)>& x,
                        const std::function<double(double)>& y, double t0, double t1, int reach = 2)
    {
        const GridSetup& g = doc->grid;
        std::vector<DevicePoint> truth;
        for (int i = 0; i <= 4000; ++i) {
            const double t = t0 + (t1 - t0) * i / 4000;
            truth.push_back(g.worldToDevice(x(t), y(t)));
        }
        const std::vector<DevicePoint> points = plain(entries(e));
        ASSERT_GT(points.size(), 10u);
        for (DevicePoint p : points) {
            int best = 1 << 30;
            for (DevicePoint q : truth)
                best = std::min(best, std::max(std::abs(p.x - q.x), std::abs(p.y - q.y)));
            EXPECT_LE(best, reach) << p.x << "," << p.y;
        }
    }
};

TEST_F(OdeTest, ExponentialIsTracedLeftThenRightFromItsInitialValue)
{
    layout(-5, 5);
    pauseEverywhere();
    Equation* e = draw("dx=x {0, 1}");
    ASSERT_EQ(e->kind(), GraphKind::Ode);
    ASSERT_NE(e->points, nullptr);
    EXPECT_TRUE(e->flags & eqflag::OnGrid);
    expectCurveFollows([](double t) { return std::exp(t); }, 1, -4.9, 4.9);

    // The points were computed from t = 0 down to -5, then from 0 up to 5.
    const std::vector<double> ts = pausedAt();
    ASSERT_GT(ts.size(), 20u);
    const auto turn = std::min_element(ts.begin(), ts.end());
    EXPECT_NEAR(*turn, -5, 0.01);
    EXPECT_TRUE(std::is_sorted(ts.begin(), turn, std::greater<double>()));
    EXPECT_TRUE(std::is_sorted(turn + 1, ts.end()));
    EXPECT_LE(ts.front(), 0);
    EXPECT_GT(ts.front(), -0.2);
    EXPECT_NEAR(ts.back(), 5, 0.01);

    // Stored as one run from left to right, through the initial point.
    EXPECT_EQ(runs(*e), 1);
    const std::vector<DevicePoint> points = plain(entries(*e));
    for (std::size_t i = 1; i < points.size(); ++i)
        EXPECT_GE(points[i].x, points[i - 1].x);
    const DevicePoint start = deviceOf(doc->grid, 0, 1);
    EXPECT_NE(std::find(points.begin(), points.end(), start), points.end());
    EXPECT_TRUE(isEnd(entries(*e).back()));
}

TEST_F(OdeTest, InitialValuesOutsideTheWindowAreCarriedToItsEdge)
{
    const GridSetup& g = doc->grid;
    // Left of the window: drawn from the left edge to the right.
    Equation* left = draw("dx=-x/4 {-20, 50}");
    auto fromLeft = [](double t) { return 50 * std::exp(-(t + 20) / 4); };
    expectCurveFollows(fromLeft, left->colour[0], -7.9, 7.9);
    std::vector<DevicePoint> points = plain(entries(*left));
    ASSERT_FALSE(points.empty());
    EXPECT_LE(std::abs(points.front().x - g.areaLeft), 1);
    EXPECT_GE(points.back().x, g.areaRight - 1);
    EXPECT_EQ(runs(*left), 1);

    // Right of it: drawn from the right edge leftward.
    Equation* right = draw("dx=x/5 {30, 100}");
    expectCurveFollows([](double t) { return 100 * std::exp((t - 30) / 5); }, right->colour[0], -7.9, 7.9);
    points = plain(entries(*right));
    ASSERT_FALSE(points.empty());
    EXPECT_GE(points.front().x, g.areaRight - 1);
    EXPECT_LE(std::abs(points.back().x - g.areaLeft), 1);

    // A domain keeps the curve within it, also when carried to it.
    Equation* domain = draw("dx=1 {t: 2, 5} {-3, -3}");
    points = plain(entries(*domain));
    ASSERT_FALSE(points.empty());
    EXPECT_EQ(points.front(), deviceOf(g, 2, 2));
    EXPECT_EQ(points.back(), deviceOf(g, 5, 5));
}

TEST_F(OdeTest, HigherOrderEquationsFollowTheirSolutions)
{
    struct Case {
        const char* line;
        std::function<double(double)> x;
    };
    const std::vector<Case> cases = {
        {"d2x=-x {0, 0, 1}", [](double t) { return std::sin(t); }},
        {"d2x=-x-0.2*dx {0, 2, 0}",
         [](double t) {
             const double w = std::sqrt(0.99);
             return 2 * std::exp(-0.1 * t) * (std::cos(w * t) + 0.1 / w * std::sin(w * t));
         }},
        {"d3x=-dx {0, 1, 0, -1}", [](double t) { return std::cos(t); }},
        {"dy=y*x/8 {0, 1}", [](double x) { return std::exp(x * x / 16); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Equation* e = draw(c.line);
        ASSERT_NE(e->points, nullptr);
        expectCurveFollows(c.x, e->colour[0], -7.9, 7.9);
    }
}

TEST_F(OdeTest, SystemDrawsOneCurvePerComponentInItsOwnColour)
{
    Equation* e = draw("dx=y; dy=-x {0, 1, 0}");
    ASSERT_EQ(e->kind(), GraphKind::OdeSystem);
    ASSERT_NE(e->points, nullptr);
    EXPECT_NE(e->colour[0], e->colour[1]);
    expectCurveFollows([](double t) { return std::cos(t); }, e->colour[0], -7.9, 7.9);
    expectCurveFollows([](double t) { return -std::sin(t); }, e->colour[1], -7.9, 7.9);
    // One stored list: the first curve, a break carrying the second colour, the second curve.
    const std::vector<DevicePoint> list = entries(*e);
    EXPECT_EQ(e->pointCount, list.size());
    EXPECT_TRUE(isEnd(list.back()));
    int colourBreaks = 0;
    for (DevicePoint p : list)
        colourBreaks += isBreak(p) && p.y == e->colour[1];
    EXPECT_EQ(colourBreaks, 1);
    EXPECT_TRUE(e->flags & eqflag::OnGrid);
    EXPECT_EQ(workPointList().count(), 0);

    // Three components: the middle one has a list of its own.
    Equation* three = draw("dx=y; dy=-x; dz=x {0, 2, 0, 1}");
    ASSERT_EQ(three->order, 3);
    ASSERT_NE(three->points, nullptr);
    expectCurveFollows([](double t) { return 2 * std::cos(t); }, three->colour[0], -7.9, 7.9);
    expectCurveFollows([](double t) { return -2 * std::sin(t); }, three->colour[1], -7.9, 7.9);
    expectCurveFollows([](double t) { return 1 + 2 * std::sin(t); }, three->colour[2], -7.9, 7.9);

    // Redrawn from the stored list, each curve keeps its colour.
    clearScreen(*doc);
    surface = std::make_unique<RecordingSurface>(640, 480, kBackground);
    curveOutput().surface = surface.get();
    redrawNewest(*doc, 2);
    expectCurveFollows([](double t) { return -std::sin(t); }, e->colour[1], -7.9, 7.9);
    expectCurveFollows([](double t) { return 1 + 2 * std::sin(t); }, three->colour[2], -7.9, 7.9);
}

TEST_F(OdeTest, SystemWithoutMemoryForItsListsStaysQueuedUndrawn)
{
    const std::size_t limit = blockMemoryLimit();
    setBlockMemoryLimit(blockMemoryInUse() + blockBytes(100));
    Equation* e = draw("dx=y; dy=-x {0, 1, 0}");
    setBlockMemoryLimit(limit);
    EXPECT_TRUE(ui.showed(MSG_NO_MEMORY, 0));
    EXPECT_EQ(e->points, nullptr);
    EXPECT_FALSE(e->flags & eqflag::OnGrid);
    EXPECT_EQ(doc->count, 1);
    EXPECT_EQ(doc->onScreen, 0);

    // With memory again it is drawn.
    redrawNewest(*doc, 1);
    EXPECT_NE(e->points, nullptr);
    expectCurveFollows([](double t) { return -std::sin(t); }, e->colour[1], -7.9, 7.9);
}

TEST_F(OdeTest, PhasePlotsDrawTheOrbit)
{
    Equation* system = draw("dx=y; dy=-x {0, 1, 0} {v: x, y}");
    ASSERT_EQ(system->kind(), GraphKind::OdeSystemPhase);
    expectPointsOn(
        *system, [](double t) { return std::cos(t); }, [](double t) { return -std::sin(t); }, 0, 2 * kPi);

    Equation* single = draw("d2x=-x {0, 0, 2} {v: x, dx}");
    ASSERT_EQ(single->kind(), GraphKind::OdePhase);
    expectPointsOn(
        *single, [](double t) { return 2 * std::sin(t); }, [](double t) { return 2 * std::cos(t); }, 0, 2 * kPi);
    for (double a : {0.0, 1.0, 2.0, 4.0})
        EXPECT_TRUE(colouredNear(doc->grid.worldToDevice(2 * std::sin(a), 2 * std::cos(a)),
                                 graphColour(single->colour[0]), 2))
            << a;

    // Half an orbit: the domain of t limits it, and the state is carried there from t = -10.
    Equation* half = draw("d2x=-x {t: 0, 3.14159} {-10, 0, 2} {v: x, dx}");
    auto x = [](double t) { return 2 * std::sin(t + 10); };
    auto dx = [](double t) { return 2 * std::cos(t + 10); };
    expectPointsOn(*half, x, dx, 0, kPi);
    for (double t : {0.2, kPi / 2, 3.0})
        EXPECT_TRUE(colouredNear(doc->grid.worldToDevice(x(t), dx(t)), graphColour(half->colour[0]), 2)) << t;
    EXPECT_FALSE(colouredNear(doc->grid.worldToDevice(x(4.7), dx(4.7)), graphColour(half->colour[0]), 3));
}

TEST_F(OdeTest, CurveLeavingAndReenteringTheWindowReachesBothEdges)
{
    layout(-8, 8, -2, 2);
    Equation* e = draw("d2x=-x {0, 0, 3}");
    const GridSetup& g = doc->grid;
    expectCurveFollows([](double t) { return 3 * std::sin(t); }, e->colour[0], -7.9, 7.9);
    // Each visit inside the window is its own run, from edge to edge: 3 sin t is inside near its zeros
    // -2pi, -pi, 0, pi and 2pi.
    std::vector<std::vector<DevicePoint>> visits;
    bool inRun = false;
    for (DevicePoint p : entries(*e)) {
        if (!isMarker(p) && !inRun)
            visits.emplace_back();
        if (!isMarker(p))
            visits.back().push_back(p);
        inRun = !isMarker(p);
    }
    ASSERT_EQ(visits.size(), 5u);
    auto onEdgeRow = [&](DevicePoint p) {
        return std::abs(p.y - (g.areaTop - 1)) <= 1 || std::abs(p.y - (g.areaBottom + 1)) <= 1;
    };
    for (const std::vector<DevicePoint>& run : visits) {
        EXPECT_TRUE(onEdgeRow(run.front())) << run.front().x << "," << run.front().y;
        EXPECT_TRUE(onEdgeRow(run.back())) << run.back().x << "," << run.back().y;
        EXPECT_NE(run.front().y, run.back().y);
    }
}

TEST_F(OdeTest, FlowFieldMarksFollowTheSlope)
{
    struct Case {
        double fineness;
        int columns;
    };
    // A low window, so that the marks of every column fit the stored list.
    layout(-8, 8, -1.5, 1.5);
    for (const Case& c : {Case{1, 30}, Case{2, 60}}) {
        SCOPED_TRACE(c.fineness);
        programOptions().fineness = c.fineness;
        Equation* e = draw("dx=t/2");
        ASSERT_NE(e->points, nullptr);
        const GridSetup& g = doc->grid;
        const double spacing = 16 / (30 * c.fineness);
        const double pixelsPerUnit = (g.areaRight - g.areaLeft) / 16.0;
        std::set<int> columns;
        int horizontal = 0;
        for (const Segment& s : segments(*e)) {
            const double mx = g.deviceToWorldX((s.a.x + s.b.x) / 2);
            columns.insert(int(std::lround(mx / spacing)));
            if (std::fabs(mx) < spacing / 2) {
                // Where the slope is 0 the mark is level, 0.4 spacings each side.
                ++horizontal;
                EXPECT_EQ(s.a.y, s.b.y);
                EXPECT_NEAR(s.b.x - s.a.x, 0.8 * spacing * pixelsPerUnit, 1.5);
            } else {
                // Elsewhere it climbs at the slope of its column, within the rounding to pixels.
                const double unitX = 16.0 / (g.areaRight - g.areaLeft), unitY = 3.0 / (g.areaBottom - g.areaTop);
                const double dx = (s.b.x - s.a.x) * unitX, dy = (s.a.y - s.b.y) * unitY;
                const double m = std::lround(mx / spacing) * spacing / 2;
                EXPECT_NEAR(dy, m * dx, 1.5 * unitY + 1.5 * std::fabs(m) * unitX) << mx;
            }
        }
        EXPECT_NEAR(double(columns.size()), c.columns, 1);
        EXPECT_GE(horizontal, 4);
        clearAll(*doc);
    }
}

TEST_F(OdeTest, FlowFieldTooLargeForTheListIsDrawnWholeAndStoredInPart)
{
    // 90 columns of about 70 rows: more marks than a list holds.
    programOptions().fineness = 3;
    Equation* e = draw("dx=0");
    ASSERT_NE(e->points, nullptr);
    const GridSetup& g = doc->grid;
    EXPECT_LT(e->pointCount, APPEND_LIMIT);
    // Every stored segment is one short level mark: no mark is joined to another.
    const double markPixels = 0.8 * 16 / 90 * (g.areaRight - g.areaLeft) / 16;
    for (const Segment& s : segments(*e)) {
        EXPECT_EQ(s.a.y, s.b.y);
        EXPECT_NEAR(s.b.x - s.a.x, markPixels, 1.5);
    }
    // The screen shows the marks of the last column too.
    const double lastColumn = std::floor(8 / (16.0 / 90)) * (16.0 / 90);
    int marked = 0;
    for (double y = -5; y <= 5; y += 16.0 / 90)
        marked += colouredNear(g.worldToDevice(lastColumn, y), graphColour(e->colour[0]), 1);
    EXPECT_GT(marked, 30);
}

TEST_F(OdeTest, FlowFieldIsRefusedOnLogarithmicPaper)
{
    GridSetup& g = doc->grid;
    g.paperFlags = static_cast<std::uint16_t>((g.paperFlags & ~PAPER_KIND_MASK) | PAPER_LOG_Y);
    layout(-8, 8, 0.01, 100);
    g.refreshLogScale();
    // Just entered: the message, and the equation leaves the queue.
    draw("dx=x");
    EXPECT_TRUE(ui.showed(MSG_FLOW_FIELD_LOG, 0));
    EXPECT_EQ(doc->count, 0);

    // Drawn again after other lines: the message, and it stays.
    ui.shown.clear();
    add("dx=x*t");
    add("y=x");
    redrawNewest(*doc, 2);
    EXPECT_TRUE(ui.showed(MSG_FLOW_FIELD_LOG, 0));
    EXPECT_EQ(doc->count, 2);
    EXPECT_EQ(doc->queueHead->next->points, nullptr);
}

TEST_F(OdeTest, TableRowsShowTheValuesAtTheirPositions)
{
    struct Case {
        const char* line;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        {"dx=x {0, 1}",
         {"0.0\t1.0000\t1.0000", "-1.0\t0.3679\t0.3679", "-2.0\t0.1353\t0.1353", "1.0\t2.7183\t2.7183",
          "2.0\t7.3891\t7.3891"}},
        {"d2x=-x {0, 0, 1}",
         {"0.0\t0.0000\t1.0000", "-1.0\t-0.8415\t0.5403", "-2.0\t-0.9093\t-0.4161", "1.0\t0.8415\t0.5403",
          "2.0\t0.9093\t-0.4161"}},
        {"dx=y; dy=-x {0, 1, 0}",
         {"0.0\t1.0000\t0.0000", "-1.0\t0.5403\t0.8415", "-2.0\t-0.4161\t0.9093", "1.0\t0.5403\t-0.8415",
          "2.0\t-0.4161\t-0.9093"}},
        {"dx=y; dy=z; dz=-y {0, 1, 0, 1}",
         {"0.0\t1.0000\t0.0000\t1.0000", "-1.0\t1.4597\t-0.8415\t0.5403", "-2.0\t2.4161\t-0.9093\t-0.4161",
          "1.0\t1.4597\t0.8415\t0.5403", "2.0\t2.4161\t0.9093\t-0.4161"}},
        // Carried from the right: one pass toward smaller t from the right end of the range.
        {"dx=1 {5, 0}", {"2.0\t-3.0000\t1.0000", "1.0\t-4.0000\t1.0000", "0.0\t-5.0000\t1.0000",
                         "-1.0\t-6.0000\t1.0000", "-2.0\t-7.0000\t1.0000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        LinesPrintout lines;
        printout().list = &lines;
        printoutReset();
        programOptions().tables = 1 | 8;
        programOptions().tableincr = 1;
        layout(-2, 2);
        draw(c.line);
        EXPECT_EQ(tableRows(lines), c.rows);
        printout().list = nullptr;
    }
}

TEST_F(OdeTest, BlowUpEndsThePassQuietly)
{
    // x' = x^2 from x(0) = 1 is 1/(1 - t): it blows up at t = 1, where the steps cannot meet the
    // tolerance however small they get. Nothing is said, even with warnings on.
    reportSettings().warnings = true;
    Equation* e = draw("dx=x^2 {0, 1}");
    reportSettings().warnings = false;
    for (const ShownMessage& m : ui.shown)
        EXPECT_TRUE(m.kind == ShownMessage::StatusLine && m.text.rfind("Graphing: ", 0) == 0) << m.text;
    EXPECT_TRUE(e->flags & eqflag::OnGrid);
    expectCurveFollows([](double t) { return t < 0.95 ? 1 / (1 - t) : NAN; }, e->colour[0], -7.9, 0.9);
    // Nothing is drawn beyond the pole.
    for (DevicePoint p : plain(entries(*e)))
        EXPECT_LE(p.x, doc->grid.worldToDevice(1, 0).x + 1);
}

TEST_F(OdeTest, ValuesBeyondTheLimitStopThePass)
{
    layout(-20, 20);
    pauseEverywhere();
    draw("dx=10^99 {0, 0}");
    const std::vector<double> ts = pausedAt();
    ASSERT_FALSE(ts.empty());
    const auto [low, high] = std::minmax_element(ts.begin(), ts.end());
    // 10^99 t passes 9.9 x 10^99 at |t| = 9.9, well inside the range of t; the point beyond is not
    // shown, and the steps are at most 15 x 0.4 pixels (0.4 here) long.
    EXPECT_GT(*high, 9.4);
    EXPECT_LE(*high, 9.9);
    EXPECT_LT(*low, -9.4);
    EXPECT_GE(*low, -9.9);
}

TEST_F(OdeTest, EvaluationErrorsEndThePassAndAreReported)
{
    reportSettings().warnings = true;
    // sqrt of a negative number left of t = 2: the left pass ends there, the right pass goes on.
    Equation* e = draw("dx=sqrt(t-2) {4, 1}");
    reportSettings().warnings = false;
    EXPECT_TRUE(ui.showed("Can't raise a negative number to a fractional power.", MESSAGE_WARNING));
    EXPECT_TRUE(e->flags & eqflag::OnGrid);
    auto solution = [](double t) { return t >= 2 ? 1 + 2.0 / 3 * (std::pow(t - 2, 1.5) - std::pow(2, 1.5)) : NAN; };
    expectCurveFollows(solution, e->colour[0], 2.5, 7.9);
    const std::vector<DevicePoint> points = plain(entries(*e));
    ASSERT_FALSE(points.empty());
    EXPECT_GE(points.front().x, doc->grid.worldToDevice(2, 0).x - 1);

    // A tree the evaluator cannot interpret: the equation cannot be graphed and leaves the queue.
    Equation* bad = add("dx=y; dy=-x {0, 1, 0}");
    ExprNode* node = makeNode();
    ASSERT_NE(node, nullptr);
    node->kind = 200;
    freeTree(bad->tree[1]);
    bad->tree[1] = node;
    const int before = doc->count;
    redrawNewest(*doc, 1);
    EXPECT_EQ(doc->count, before - 1);
    EXPECT_EQ(workPointList().count(), 0);
}

TEST_F(OdeTest, PauseAndAbortWhileSolving)
{
    ui.script = [](int call, int state) {
        if (call == 30)
            return int(drawstate::Paused);
        if (call == 33)
            return int(drawstate::Running);
        return state;
    };
    Equation* e = draw("dx=y; dy=-x {0, 1, 0}");
    EXPECT_TRUE(ui.showed("PAUSE at t=", MESSAGE_WARNING));
    EXPECT_TRUE(ui.showed("Graphing: ", MESSAGE_INFORMATION));
    EXPECT_NE(e->points, nullptr);

    // Aborted in the middle: what was drawn stays, nothing is stored, the equation stays queued.
    ui.calls = 0;
    ui.script = [](int call, int state) { return call == 40 ? int(drawstate::AbortRequested) : state; };
    Equation* f = draw("dx=y; dy=-x/2 {0, 2, 0}");
    EXPECT_EQ(f->points, nullptr);
    EXPECT_FALSE(f->flags & eqflag::OnGrid);
    EXPECT_EQ(doc->count, 2);
    EXPECT_GT(surface->countPixels(graphColour(f->colour[0])), 10);
    EXPECT_EQ(workPointList().count(), 0);

    // The slope field, too.
    ui.calls = 0;
    Equation* field = draw("dx=x+t");
    EXPECT_EQ(field->points, nullptr);
    EXPECT_EQ(doc->count, 3);
}

TEST_F(OdeTest, RepaintDuringASystemRedrawsItsFirstCurve)
{
    ui.script = [this](int call, int state) {
        if (call == 60) {
            surface->fillRect(DeviceRect{0, 0, 640, 480}, surface->stockObject(StockObject::WhiteBrush));
            return state | drawstate::RepaintPending;
        }
        return state;
    };
    Equation* e = draw("dx=y; dy=-x {0, 1, 0}");
    expectCurveFollows([](double t) { return std::cos(t); }, e->colour[0], -7.9, 7.9);
    expectCurveFollows([](double t) { return -std::sin(t); }, e->colour[1], -7.9, 7.9);
}

TEST_F(OdeTest, FamilyOfSolutions)
{
    Equation* e = draw("dx=a*x {0, 1} {a: 1, 2, 1}");
    ASSERT_NE(e->points, nullptr);
    expectCurveFollows([](double t) { return std::exp(t); }, e->colour[0], -7.9, 7.9);
    expectCurveFollows([](double t) { return std::exp(2 * t); }, e->colour[0], -7.9, 7.9);
}

}  // namespace
}  // namespace qv
