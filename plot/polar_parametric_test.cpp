#include "plot/polar_parametric.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "expr/report.h"
#include "plot/graphing_fixture.h"

namespace qv {
namespace {

using namespace testing_bench;

using Trace = std::function<std::pair<double, double>(double)>;
constexpr double kPi = 3.14159265358979323846;

Trace polar(std::function<double(double)> r)
{
    return [r](double t) { return std::make_pair(r(t) * std::cos(t), r(t) * std::sin(t)); };
}

std::vector<DevicePoint> plainPoints(const std::vector<DevicePoint>& list)
{
    std::vector<DevicePoint> out;
    for (DevicePoint p : list)
        if (!isMarker(p))
            out.push_back(p);
    return out;
}

// The runs of a stored list: the plain points between markers.
std::vector<std::vector<DevicePoint>> runsOf(const std::vector<DevicePoint>& list)
{
    std::vector<std::vector<DevicePoint>> out;
    bool inRun = false;
    for (DevicePoint p : list) {
        if (isMarker(p)) {
            inRun = false;
            continue;
        }
        if (!inRun)
            out.emplace_back();
        out.back().push_back(p);
        inRun = true;
    }
    return out;
}

int distance(DevicePoint a, DevicePoint b) { return std::max(std::abs(a.x - b.x), std::abs(a.y - b.y)); }

class CurvePlotterTest : public GraphingTest {
protected:
    // Every point the plotter stored lies within reach pixels of the true curve over [t0, t1].
    void expectPointsOnCurve(const Equation& e, const Trace& xy, double t0, double t1, int reach = 3)
    {
        const GridSetup& g = doc->grid;
        std::vector<DevicePoint> truth;
        const int samples = 20000;
        for (int i = 0; i <= samples; ++i) {
            const auto [x, y] = xy(t0 + (t1 - t0) * i / samples);
            truth.push_back(deviceOf(g, x, y));
        }
        const std::vector<DevicePoint> plain = plainPoints(entries(e));
        ASSERT_FALSE(plain.empty());
        for (DevicePoint p : plain) {
            int best = 1 << 30;
            for (DevicePoint q : truth)
                best = std::min(best, distance(p, q));
            EXPECT_LE(best, reach) << "stored point (" << p.x << "," << p.y << ") is off the curve";
        }
    }
    // The pixels where the true curve crosses the window carry the curve's colour.
    void expectTraceDrawn(const Trace& xy, int k, double t0, double t1, int minimum = 10)
    {
        const GridSetup& g = doc->grid;
        const double mx = (g.xMax - g.xMin) / 100, my = (g.yMax - g.yMin) / 100;
        int checked = 0;
        for (int i = 0; i <= 400; ++i) {
            const double t = t0 + (t1 - t0) * i / 400;
            const auto [x, y] = xy(t);
            if (!(x > g.xMin + mx && x < g.xMax - mx && y > g.yMin + my && y < g.yMax - my))
                continue;
            EXPECT_TRUE(colouredNear(deviceOf(g, x, y), graphColour(k), 2)) << "t=" << t << " (" << x << "," << y << ")";
            ++checked;
        }
        EXPECT_GE(checked, minimum);
    }
    bool onBoundary(DevicePoint p) const
    {
        const GridSetup& g = doc->grid;
        return std::abs(p.x - g.areaLeft) <= 1 || std::abs(p.x - g.areaRight) <= 1 || std::abs(p.y - g.areaTop) <= 1 ||
               std::abs(p.y - g.areaBottom) <= 1;
    }
    std::vector<std::string> printedLines(const LinesPrintout& lines, std::size_t from = 0) const
    {
        return std::vector<std::string>(lines.lines.begin() + long(from), lines.lines.end());
    }
    void tablesOn(LinesPrintout& lines)
    {
        printout().list = &lines;
        printoutReset();
        programOptions().tables = 1 | 8;
        programOptions().tableincr = 1;
    }
};

TEST_F(CurvePlotterTest, PolarCurvesLieOnTheirTrueCurves)
{
    struct Case {
        const char* line;
        std::function<double(double)> r;
        double t0, t1;
    };
    const std::vector<Case> cases = {
        {"r=5", [](double) { return 5.0; }, 0, 2 * kPi},
        {"r=2sin(3t)", [](double t) { return 2 * std::sin(3 * t); }, 0, 2 * kPi},
        {"r=4cos(2t)+1", [](double t) { return 4 * std::cos(2 * t) + 1; }, 0, 2 * kPi},
        {"r=t/2 {1, 11}", [](double t) { return t / 2; }, 1, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Equation* e = draw(c.line);
        ASSERT_NE(e->points, nullptr);
        EXPECT_TRUE(e->flags & eqflag::OnGrid);
        expectPointsOnCurve(*e, polar(c.r), c.t0, c.t1);
        expectTraceDrawn(polar(c.r), e->colour[0], c.t0, c.t1);
    }
}

TEST_F(CurvePlotterTest, CurveThatJumpsDrawsEveryPieceBetweenItsJumps)
{
    // r stays 0 up to theta = 1, so the step grows while the point stands still; every arc after it
    // is drawn all the same, and no line joins two arcs.
    Equation* e = draw("r=int(t) {0, 6.2}");
    ASSERT_TRUE(e->flags & eqflag::UsesInt);
    const Trace arcs = polar([](double t) { return std::floor(t); });
    expectPointsOnCurve(*e, arcs, 0, 6.2);
    for (int k = 1; k <= 5; ++k)
        expectTraceDrawn(arcs, e->colour[0], k + 0.1, k + 0.9, 5);
    for (const Segment& s : segments(*e)) {
        const GridSetup& g = doc->grid;
        const double ra = std::hypot(g.deviceToWorldX(s.a.x), g.deviceToWorldY(s.a.y));
        const double rb = std::hypot(g.deviceToWorldX(s.b.x), g.deviceToWorldY(s.b.y));
        EXPECT_LT(std::fabs(ra - rb), 0.5) << s.a.x << "," << s.a.y << " - " << s.b.x << "," << s.b.y;
    }
}

TEST_F(CurvePlotterTest, CircleClosesAndHalfATurnDrawsTheUpperHalf)
{
    const GridSetup& g = doc->grid;
    Equation* circle = draw("r=5");
    const std::vector<DevicePoint> plain = plainPoints(entries(*circle));
    ASSERT_GT(plain.size(), 50u);
    EXPECT_EQ(runs(*circle), 1);
    // The walk ends on the end of the theta range, where the circle began.
    EXPECT_LE(distance(plain.front(), plain.back()), 1);
    EXPECT_LE(distance(plain.front(), deviceOf(g, 5, 0)), 1);

    Equation* half = draw("r=3 {0, p}");
    const std::vector<DevicePoint> upper = plainPoints(entries(*half));
    ASSERT_GT(upper.size(), 20u);
    const int axisRow = deviceOf(g, 0, 0).y;
    for (DevicePoint p : upper)
        EXPECT_LE(p.y, axisRow + 1) << p.x << "," << p.y;
    EXPECT_LE(distance(upper.front(), deviceOf(g, 3, 0)), 1);
    EXPECT_LE(distance(upper.back(), deviceOf(g, -3, 0)), 1);
    EXPECT_TRUE(colouredNear(deviceOf(g, 0, 3), graphColour(half->colour[0])));
    EXPECT_FALSE(colouredNear(deviceOf(g, 0, -3), graphColour(half->colour[0]), 3));
}

TEST_F(CurvePlotterTest, DrawnWithDotsEveryPointIsADotAndNothingJoinsThem)
{
    programOptions().drawdots = true;
    for (const char* line : {"r=5", "x=4cos(t); y=4sin(t) {0, 2p}"}) {
        SCOPED_TRACE(line);
        surface = std::make_unique<RecordingSurface>(640, 480, kBackground);
        curveOutput().surface = surface.get();
        Equation* e = draw(line);
        ASSERT_TRUE(e->flags & eqflag::Dots);
        const std::vector<DevicePoint> plain = plainPoints(entries(*e));
        ASSERT_GT(plain.size(), 30u);
        const Colour c = graphColour(e->colour[0]);
        for (DevicePoint p : plain)
            EXPECT_EQ(surface->pixel(p.x, p.y), c) << p.x << "," << p.y;
        // About one pixel a dot; a drawn line would colour every pixel along the circle.
        EXPECT_LT(surface->countPixels(c), int(plain.size()) * 2);
    }
}

TEST_F(CurvePlotterTest, SpiralLeavingAndReenteringStartsEachRunAtTheEdge)
{
    // r = theta/3 leaves the window through its top and bottom and comes back at its sides.
    Equation* e = draw("r=t/3 {0, 30}");
    ASSERT_NE(e->points, nullptr);
    const std::vector<std::vector<DevicePoint>> runList = runsOf(entries(*e));
    ASSERT_GE(runList.size(), 3u);
    for (std::size_t i = 0; i < runList.size(); ++i) {
        SCOPED_TRACE("run " + std::to_string(i));
        ASSERT_GE(runList[i].size(), 2u);
        // Every run that is not the curve's beginning comes in from the edge, and every run leaves
        // through it (30 lies far outside).
        if (i > 0) {
            EXPECT_TRUE(onBoundary(runList[i].front())) << runList[i].front().x << "," << runList[i].front().y;
        }
        EXPECT_TRUE(onBoundary(runList[i].back())) << runList[i].back().x << "," << runList[i].back().y;
        // No chord across the window joins an exit to the next entry.
        for (std::size_t j = 1; j < runList[i].size(); ++j)
            EXPECT_LE(distance(runList[i][j - 1], runList[i][j]), 25);
    }
    const Trace spiral = polar([](double t) { return t / 3; });
    expectPointsOnCurve(*e, spiral, 0, 30);
    expectTraceDrawn(spiral, e->colour[0], 0, 30);
}

TEST_F(CurvePlotterTest, SecondBranchOfAPolarEquationIsDrawnByThePolarPlotter)
{
    static int polarCalls = 0;
    polarCalls = 0;
    registerPlotter(GraphKind::Polar, [](GraphDoc& d, Equation& e, const ExprNode* t) {
        ++polarCalls;
        return plotPolar(d, e, t);
    });
    Equation* e = draw("r^2=4t {0, 2p}");
    registerPlotter(GraphKind::Polar, plotPolar);
    ASSERT_TRUE(e->flags & eqflag::TwoBranches);
    EXPECT_EQ(polarCalls, 2);
    EXPECT_GT(e->firstBranchCount, 1);
    // r = 2 sqrt(t) and its mirror image through the origin, r = -2 sqrt(t).
    expectTraceDrawn(polar([](double t) { return 2 * std::sqrt(t); }), e->colour[0], 0.1, 2 * kPi);
    expectTraceDrawn(polar([](double t) { return -2 * std::sqrt(t); }), e->colour[0], 0.1, 2 * kPi);
}

TEST_F(CurvePlotterTest, ParametricCurvesLieOnTheirTrueCurves)
{
    struct Case {
        const char* line;
        Trace xy;
        double t0, t1;
    };
    const std::vector<Case> cases = {
        {"x=3cos(t); y=2sin(3t) {0, 2p}",
         [](double t) { return std::make_pair(3 * std::cos(t), 2 * std::sin(3 * t)); }, 0, 2 * kPi},
        {"x=t^2-4; y=t^3/4-t {-3, 3}", [](double t) { return std::make_pair(t * t - 4, t * t * t / 4 - t); }, -3, 3},
        {"x=t*cos(t); y=t*sin(t) {0, 40}", [](double t) { return std::make_pair(t * std::cos(t), t * std::sin(t)); }, 0,
         40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Equation* e = draw(c.line);
        ASSERT_EQ(e->kind(), GraphKind::Parametric);
        ASSERT_NE(e->points, nullptr);
        expectPointsOnCurve(*e, c.xy, c.t0, c.t1);
        expectTraceDrawn(c.xy, e->colour[0], c.t0, c.t1);
    }
    // A closed parametric curve ends where it began.
    Equation* circle = draw("x=4cos(t); y=4sin(t) {0, 2p}");
    const std::vector<DevicePoint> plain = plainPoints(entries(*circle));
    ASSERT_GT(plain.size(), 20u);
    EXPECT_EQ(runs(*circle), 1);
    EXPECT_LE(distance(plain.front(), plain.back()), 1);
}

TEST_F(CurvePlotterTest, FirstStepOfTheWalk)
{
    struct Case {
        const char* line;
        double fineness;
        double step;
    };
    const std::vector<Case> cases = {
        {"x=t; y=0 {0, 2p}", 1, std::sqrt(2 * kPi) / 35},  // about 0.0716
        {"x=t; y=0 {0, 2p}", 2, std::sqrt(2 * kPi) / 70},
        {"x=t-5; y=1 {0, 9}", 1, 3.0 / 35},
        {"r=5", 1, kPi / 60},
        {"r=5", 2, kPi / 60},  // the polar step does not follow the fineness
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        programOptions().fineness = c.fineness;
        ui.calls = 0;
        std::vector<double> ts;
        ui.script = [&ts](int, int state) {
            ts.push_back(g_variables.get('t'));
            return state;
        };
        Equation* e = draw(c.line);
        ASSERT_NE(e->points, nullptr);
        ASSERT_GE(ts.size(), 2u);
        EXPECT_NEAR(ts[1] - ts[0], c.step, 1e-9);
    }
}

TEST_F(CurvePlotterTest, ExplicitStepTakesOneSamplePerStep)
{
    const GridSetup& g = doc->grid;
    Equation* e = draw("x=t; y=t^2/2 {t: -2, 2, 0.5}");
    std::vector<DevicePoint> expected;
    for (int i = 0; i <= 8; ++i) {
        const double t = -2 + 0.5 * i;
        expected.push_back(deviceOf(g, t, t * t / 2));
    }
    expected.push_back(POINT_END);
    EXPECT_EQ(entries(*e), expected);
    for (std::size_t i = 1; i + 1 < expected.size(); ++i) {
        const DevicePoint a = expected[i - 1], b = expected[i];
        const DevicePoint mid{std::int16_t((a.x + b.x) / 2), std::int16_t((a.y + b.y) / 2)};
        EXPECT_TRUE(colouredNear(mid, graphColour(e->colour[0]))) << "segment " << i;
    }

    // Leaving the window: the samples inside stay as they are, the run ends on the edge both ways.
    ASSERT_GT(g.yMax, 4.5);
    ASSERT_LT(g.yMax, 6.25);
    Equation* steep = draw("x=t; y=t^2 {t: -3, 3, 0.5}");
    const std::vector<std::vector<DevicePoint>> runList = runsOf(entries(*steep));
    ASSERT_EQ(runList.size(), 1u);
    const std::vector<DevicePoint>& run = runList[0];
    ASSERT_EQ(run.size(), 11u);
    EXPECT_EQ(run.front().y, g.areaTop - 1);
    EXPECT_EQ(run.back().y, g.areaTop - 1);
    for (int i = 0; i <= 8; ++i) {
        const double t = -2 + 0.5 * i;
        EXPECT_EQ(run[std::size_t(i) + 1], deviceOf(g, t, t * t)) << t;
    }
}

TEST_F(CurvePlotterTest, PointInsideIsDrawnAndStoredOutsideNothing)
{
    const GridSetup& g = doc->grid;
    Equation* inside = draw("x=1; y=2");
    ASSERT_EQ(inside->kind(), GraphKind::ParametricPoint);
    const DevicePoint p = deviceOf(g, 1, 2);
    EXPECT_EQ(entries(*inside), (std::vector<DevicePoint>{p, POINT_END}));
    const Colour c = graphColour(inside->colour[0]);
    for (DevicePoint q : {p, DevicePoint{std::int16_t(p.x - 1), p.y}, DevicePoint{std::int16_t(p.x + 1), p.y},
                          DevicePoint{p.x, std::int16_t(p.y - 1)}, DevicePoint{p.x, std::int16_t(p.y + 1)}})
        EXPECT_EQ(surface->pixel(q.x, q.y), c);
    EXPECT_TRUE(inside->flags & eqflag::OnGrid);

    Equation* outside = draw("x=30; y=2");
    EXPECT_EQ(outside->points, nullptr);
    EXPECT_EQ(surface->countPixels(graphColour(outside->colour[0])), 0);
    EXPECT_EQ(doc->count, 2);
}

TEST_F(CurvePlotterTest, PolarTableRowsAtMultiplesOfASixthOfPi)
{
    LinesPrintout lines;
    tablesOn(lines);
    draw("r=2");
    const std::vector<std::string> expected = {
        PRINTOUT_BANNER,
        "Equation(s): ",
        "r=2",
        "theta\tr\tx\t y",
        "---------\t------------\t------------\t------------",
        "0 pi\t2.0000\t2.000\t0.000",
        "1/6 pi\t2.0000\t1.732\t1.000",
        "1/3 pi\t2.0000\t1.000\t1.732",
        "1/2 pi\t2.0000\t-0.000\t2.000",
        "2/3 pi\t2.0000\t-1.000\t1.732",
        "5/6 pi\t2.0000\t-1.732\t1.000",
        "1 pi\t2.0000\t-2.000\t-0.000",
        "7/6 pi\t2.0000\t-1.732\t-1.000",
        "4/3 pi\t2.0000\t-1.000\t-1.732",
        "3/2 pi\t2.0000\t0.000\t-2.000",
        "5/3 pi\t2.0000\t1.000\t-1.732",
        "11/6 pi\t2.0000\t1.732\t-1.000",
        "2 pi\t2.0000\t2.000\t0.000",
        "---------\t------------\t------------\t------------",
        "",
    };
    EXPECT_EQ(lines.lines, expected);

    // Angles where r cannot be evaluated get no row; a range that does not start on a multiple starts
    // its rows at the next one.
    const std::size_t before = lines.lines.size();
    draw("r=sqrt(t-1) {0.2, 2}");
    const std::vector<std::string> more = printedLines(lines, before);
    std::vector<std::string> rows;
    for (const std::string& l : more)
        if (l.find(" pi\t") != std::string::npos)
            rows.push_back(l);
    EXPECT_EQ(rows, (std::vector<std::string>{"1/3 pi\t0.2172\t0.109\t0.188", "1/2 pi\t0.7555\t-0.000\t0.756"}));
}

TEST_F(CurvePlotterTest, PolarRowText)
{
    // Negative angles and ones past a full turn keep the smallest denominator.
    EXPECT_EQ(polarTableRow(-0.5235987756, 1, 0.5, -0.25), "-1/6 pi\t1.0000\t0.500\t-0.250");
    EXPECT_EQ(polarTableRow(15 * 0.5235987756, 1.5, 0, 1), "5/2 pi\t1.5000\t0.000\t1.000");
    EXPECT_EQ(polarTableRow(-12 * 0.5235987756, 0, 0, 0), "-2 pi\t0.0000\t0.000\t0.000");
    // Huge values are written in full, not cut off.
    const std::string huge = polarTableRow(0, 1e300, -1e300, 1e300);
    EXPECT_EQ(huge.rfind("0 pi\t1000000000000000052504760255204420248704", 0), 0u);
    EXPECT_EQ(std::count(huge.begin(), huge.end(), '\t'), 3);
    EXPECT_GT(huge.size(), 900u);
    EXPECT_EQ(huge.substr(huge.size() - 4), ".000");
}

TEST_F(CurvePlotterTest, ParametricTableRowsAtTheStepOfTheXAxis)
{
    LinesPrintout lines;
    tablesOn(lines);
    draw("x=t; y=t^2 {t: 0, 3, 0.1}");
    const std::vector<std::string> expected = {
        PRINTOUT_BANNER,
        "Equation(s): ",
        "x=t; y=t^2 {t: 0, 3, 0.1}",
        "t\tx\ty",
        "---------\t------------\t------------",
        "1.0\t1.0000\t1.0000",
        "2.0\t2.0000\t4.0000",
        "3.0\t3.0000\t9.0000",
        "---------\t------------\t------------",
        "",
    };
    EXPECT_EQ(lines.lines, expected);

    // The adaptive walk writes the same positions; the first lies above the start.
    const std::size_t before = lines.lines.size();
    programOptions().tableincr = 2;
    draw("x=cos(t); y=sin(t) {-1, 2p}");
    std::vector<std::string> rows;
    for (const std::string& l : printedLines(lines, before))
        if (l.find('\t') != std::string::npos && l[0] != '-' && l[0] != 't')
            rows.push_back(l);
    EXPECT_EQ(rows, (std::vector<std::string>{"0.0\t1.0000\t0.0000", "2.0\t-0.4161\t0.9093", "4.0\t-0.6536\t-0.7568",
                                              "6.0\t0.9602\t-0.2794"}));
}

TEST_F(CurvePlotterTest, PointTableRow)
{
    LinesPrintout lines;
    tablesOn(lines);
    draw("x=1; y=2.5");
    // Outside the window the row is written all the same.
    draw("x=-20; y=0");
    int found = 0;
    for (const std::string& l : lines.lines)
        found += (l == "1.0\t2.5") + (l == "-20.0\t0") * 2;
    EXPECT_EQ(found, 3);
}

TEST_F(CurvePlotterTest, EvaluationErrorsAreReportedAndSkipped)
{
    programOptions().warnings = true;
    reportSettings().warnings = true;
    // Undefined where cos(2t) < 0: the petals are drawn, and the errors shown with warnings on.
    Equation* e = draw("r=sqrt(cos(2t))*5");
    reportSettings().warnings = false;
    ASSERT_NE(e->points, nullptr);
    EXPECT_TRUE(e->flags & eqflag::OnGrid);
    EXPECT_TRUE(ui.showed("Can't raise a negative number to a fractional power. [t=", MESSAGE_WARNING));
    const Trace lemniscate = polar([](double t) { return std::cos(2 * t) >= 0 ? 5 * std::sqrt(std::cos(2 * t)) : 0; });
    expectPointsOnCurve(*e, lemniscate, 0, 2 * kPi);
    expectTraceDrawn(lemniscate, e->colour[0], 0, 2 * kPi);
    // Each petal ends at the origin, where r stops being defined: found from both sides.
    const DevicePoint origin = deviceOf(doc->grid, 0, 0);
    const std::vector<std::vector<DevicePoint>> runList = runsOf(entries(*e));
    ASSERT_EQ(runList.size(), 3u);
    EXPECT_LE(distance(runList[0].back(), origin), 2);
    EXPECT_LE(distance(runList[1].front(), origin), 2);
    EXPECT_LE(distance(runList[1].back(), origin), 2);
    EXPECT_LE(distance(runList[2].front(), origin), 2);
}

TEST_F(CurvePlotterTest, FatalErrorsRemoveTheEquation)
{
    struct Case {
        const char* line;
        int tree;
    };
    const std::vector<Case> cases = {
        {"r=2+t", 1}, {"x=t; y=t {0, 1}", 1}, {"x=t; y=t {0, 1}", 0}, {"x=1; y=2", 0}, {"x=1; y=2", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.line) + " tree " + std::to_string(c.tree));
        Equation* e = add(c.line);
        const int before = doc->count;
        ExprNode* bad = makeNode();
        ASSERT_NE(bad, nullptr);
        bad->kind = 200;  // no operator the evaluator knows
        freeTree(e->tree[c.tree]);
        e->tree[c.tree] = bad;
        redrawNewest(*doc, 1);
        EXPECT_EQ(doc->count, before - 1);
        EXPECT_TRUE(ui.showed("The parser couldn't interpret your equation", 0));
        ui.shown.clear();
    }
    // A point that cannot be evaluated is removed as well.
    add("x=1; y=sqrt(-1)");
    const int before = doc->count;
    redrawNewest(*doc, 1);
    EXPECT_EQ(doc->count, before - 1);
}

TEST_F(CurvePlotterTest, PauseResumeAndAbort)
{
    struct Case {
        const char* line;
        const char* pausedAt;
    };
    const std::vector<Case> cases = {
        {"r=4sin(2t)", "PAUSE at t="},
        {"x=3cos(t); y=3sin(t) {0, 2p}", "PAUSE at x="},
        {"x=1; y=2", "PAUSE at x=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        // Paused at the first point, resumed two pumps later: the curve is finished and kept.
        ui.shown.clear();
        ui.calls = 0;
        ui.script = [](int call, int state) {
            if (call == 1)
                return int(drawstate::Paused);
            return call == 3 ? int(drawstate::Running) : state;
        };
        Equation* e = draw(c.line);
        EXPECT_TRUE(ui.showed(c.pausedAt, MESSAGE_WARNING));
        EXPECT_TRUE(ui.showed(std::string("Graphing: ") + c.line, MESSAGE_INFORMATION));
        EXPECT_NE(e->points, nullptr);
        EXPECT_TRUE(e->flags & eqflag::OnGrid);

        // Paused, then Esc: aborted; what was drawn stays on screen, nothing is stored.
        ui.shown.clear();
        ui.calls = 0;
        ui.script = [](int call, int state) {
            if (call == 1)
                return int(drawstate::Paused);
            return call == 2 ? int(drawstate::AbortRequested) : state;
        };
        clearScreen(*doc);
        e->points = freeBlock(e->points);
        e->pointCount = 0;
        redrawNewest(*doc, 1);
        EXPECT_TRUE(ui.showed(std::string("ABORTED: ") + c.line, MESSAGE_INFORMATION));
        EXPECT_EQ(e->points, nullptr);
        EXPECT_FALSE(e->flags & eqflag::OnGrid);
        EXPECT_EQ(drawState(), drawstate::Idle);
        EXPECT_EQ(workPointList().count(), 0);
        EXPECT_EQ(doc->queueHead, e);
    }
    // Aborted in the middle of the walk: the part drawn so far stays.
    ui.calls = 0;
    ui.script = [](int call, int state) { return call == 40 ? int(drawstate::AbortRequested) : state; };
    Equation* f = draw("r=6");
    EXPECT_EQ(f->points, nullptr);
    EXPECT_GT(surface->countPixels(graphColour(f->colour[0])), 20);
    EXPECT_TRUE(graphingDriver().aborted());
}

TEST_F(CurvePlotterTest, RepaintDuringTheWalkRedrawsThePartialCurve)
{
    for (const char* line : {"r=5cos(t)", "x=5cos(t); y=5sin(t)-1 {0, 2p}"}) {
        SCOPED_TRACE(line);
        ui.calls = 0;
        ui.script = [this](int call, int state) {
            if (call == 30) {
                surface->fillRect(DeviceRect{0, 0, 640, 480}, surface->stockObject(StockObject::WhiteBrush));
                return state | drawstate::RepaintPending;
            }
            return state;
        };
        Equation* e = draw(line);
        const Trace xy = line[0] == 'r' ? polar([](double t) { return 5 * std::cos(t); })
                                        : Trace([](double t) { return std::make_pair(5 * std::cos(t), 5 * std::sin(t) - 1); });
        expectTraceDrawn(xy, e->colour[0], 0, 2 * kPi);
    }
}

TEST_F(CurvePlotterTest, DegenerateRangesAndStepsEnd)
{
    // A reversed range walks the same curve; a step of 0 or one pointing backwards means the same
    // as no step or its size.
    const std::vector<std::pair<const char*, const char*>> same = {
        {"x=4cos(t); y=4sin(t) {2p, 0}", "x=4cos(t); y=4sin(t) {0, 2p}"},
        {"x=4cos(t); y=3sin(t) {0, 2p, 0}", "x=4cos(t); y=3sin(t) {0, 2p}"},
        {"x=t; y=t^2/3 {t: -3, 3, -0.25}", "x=t; y=t^2/3 {t: -3, 3, 0.25}"},
        {"r=t/2 {2p, 0}", "r=t/2 {0, 2p}"},
    };
    for (const auto& [line, reference] : same) {
        SCOPED_TRACE(line);
        const std::vector<DevicePoint> drawn = entries(*draw(line));
        EXPECT_GT(drawn.size(), 5u);
        EXPECT_EQ(drawn, entries(*draw(reference)));
    }
    // Every point of r = 0 is too close to the last: the walk still reaches the end of the range.
    Equation* origin = draw("r=0");
    EXPECT_TRUE(origin->flags & eqflag::OnGrid);
    for (DevicePoint p : plainPoints(entries(*origin)))
        EXPECT_EQ(p, deviceOf(doc->grid, 0, 0));
    // A range of one value is one point.
    Equation* single = draw("x=t; y=t {t: 1, 1}");
    EXPECT_TRUE(single->flags & eqflag::OnGrid);
    for (DevicePoint p : plainPoints(entries(*single)))
        EXPECT_EQ(p, deviceOf(doc->grid, 1, 1));
}

TEST_F(CurvePlotterTest, HugeRangesEndPromptly)
{
    // Steps that vanish against the size of t, or ranges no walk could cover step by step: every one
    // ends, and its table stays within bounds.
    LinesPrintout lines;
    tablesOn(lines);
    for (const char* line : {"r=t {-10^300, 10^300}", "r=0 {0, 10^300}", "r=10^300*t", "x=t; y=t {0, 10^300}",
                             "x=sin(t); y=cos(t) {-10^300, 10^300}"}) {
        SCOPED_TRACE(line);
        const std::size_t before = lines.lines.size();
        Equation* e = draw(line);
        EXPECT_TRUE(e->flags & eqflag::OnGrid);
        EXPECT_LT(lines.lines.size() - before, 10100u);
    }
}

TEST_F(CurvePlotterTest, PointsFarOffKeepTheDirectionOfTheirSegment)
{
    // Still at (0, 2) up to t = 0, then off along the direction (1, 2) so fast that the first point
    // after 0 lies far beyond the 16-bit device range, even after every refinement of the step.
    Equation* e = draw("x=t+5*10^7*(t+abs(t)); y=2+10^8*(t+abs(t)) {-1, 1}");
    ASSERT_NE(e->points, nullptr);
    const Trace ray = [](double u) { return u < 0 ? std::make_pair(u, 2.0) : std::make_pair(0.5 * u, 2 + u); };
    expectPointsOnCurve(*e, ray, -1, 10, 2);
    expectTraceDrawn(ray, e->colour[0], 0, 4);
}

}  // namespace
}  // namespace qv
