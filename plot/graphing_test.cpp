#include "plot/graphing_driver.h"

#include <gtest/gtest.h>

#include "plot/graphing_fixture.h"

#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "analysis/printout.h"
#include "doc/equation_line.h"
#include "expr/functions.h"
#include "platform/record/recording_surface.h"
#include "platform/record/recording_ui.h"
#include "plot/cartesian.h"
#include "plot/colours.h"
#include "plot/curve_snap.h"
#include "plot/grid_draw.h"
#include "plot/point_list.h"
#include "plot/shading.h"

namespace qv {
namespace {

using namespace testing_bench;

TEST_F(GraphingTest, CurvesLieWhereTheMappingPutsThem)
{
    struct Case {
        const char* line;
        std::function<double(double)> f;
    };
    const std::vector<Case> cases = {
        {"y=x^2-3", [](double x) { return x * x - 3; }},
        {"y=sin(x)", [](double x) { return std::sin(x); }},
        {"y=sqrt(4-x^2)", [](double x) { return std::sqrt(4 - x * x); }},
        {"y=1/(x-1)", [](double x) { return std::fabs(x - 1) < 0.05 ? NAN : 1 / (x - 1); }},
        {"y=exp(x/3)", [](double x) { return std::exp(x / 3); }},
    };
    int k = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Equation* e = draw(c.line);
        ++k;
        ASSERT_NE(e->points, nullptr);
        EXPECT_TRUE(e->flags & eqflag::OnGrid);
        EXPECT_EQ(e->colour[0], k);
        expectCurveFollows(c.f, k, -7.9, 7.9);
    }
    EXPECT_EQ(doc->onScreen, int(cases.size()));
}

TEST_F(GraphingTest, PolesLeaveNoLineAcrossThem)
{
    struct Case {
        const char* line;
        std::vector<double> poles;
        int visibleBranches;
    };
    const double hp = 1.5707963267948966;
    const std::vector<Case> cases = {
        {"y=1/(x-1)", {1}, 2},
        {"y=tan(x)", {-5 * hp, -3 * hp, -hp, hp, 3 * hp, 5 * hp}, 5},  // beyond +-5pi/2 tan stays off the window
        {"y=1/x", {0}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Equation* e = draw(c.line);
        ASSERT_NE(e->points, nullptr);
        const GridSetup& g = doc->grid;
        for (double pole : c.poles) {
            const int column = g.worldToDevice(pole, 0).x;
            for (const Segment& s : segments(*e))
                EXPECT_FALSE(std::min(s.a.x, s.b.x) < column && std::max(s.a.x, s.b.x) > column)
                    << "segment (" << s.a.x << "," << s.a.y << ")-(" << s.b.x << "," << s.b.y << ") crosses x=" << pole;
        }
        EXPECT_EQ(runs(*e), c.visibleBranches);
    }
}

TEST_F(GraphingTest, TanBranchesAreTracedBackToTheEdge)
{
    Equation* e = draw("y=tan(x)");
    const GridSetup& g = doc->grid;
    // Every branch of tan reaches both the bottom and the top edge rows.
    int bottomEnds = 0, topEnds = 0;
    for (DevicePoint p : entries(*e)) {
        if (isMarker(p))
            continue;
        bottomEnds += p.y >= g.areaBottom;
        topEnds += p.y <= g.areaTop;
    }
    EXPECT_GE(bottomEnds, 5);
    EXPECT_GE(topEnds, 5);
}

TEST_F(GraphingTest, StepsOfIntHaveNoRisers)
{
    Equation* e = draw("y=int(x)");
    ASSERT_NE(e->points, nullptr);
    EXPECT_TRUE(e->flags & eqflag::UsesInt);
    for (const Segment& s : segments(*e))
        EXPECT_LE(std::abs(s.a.y - s.b.y), 1) << s.a.x << "," << s.a.y << " - " << s.b.x << "," << s.b.y;
    const GridSetup& g = doc->grid;
    for (double x : {-3.5, -0.5, 0.5, 2.5, 4.5})
        EXPECT_TRUE(colouredNear(g.worldToDevice(x, std::floor(x)), graphColour(1))) << x;
    // Halfway up a step there is nothing.
    EXPECT_FALSE(colouredNear(g.worldToDevice(2, 1.5), graphColour(1), 0));
}

TEST_F(GraphingTest, FamilyDrawsEveryMemberIntoOneStoredList)
{
    Equation* e = draw("y=a*x {a: 1,3,1}");
    ASSERT_NE(e->points, nullptr);
    std::vector<DevicePoint> list = entries(*e);
    int joins = 0;
    for (DevicePoint p : list)
        if (isBreak(p) && p.y == e->colour[0])
            ++joins;
    EXPECT_EQ(joins, 2);
    EXPECT_TRUE(isEnd(list.back()));
    EXPECT_EQ(e->pointCount, list.size());
    for (int a = 1; a <= 3; ++a)
        expectCurveFollows([a](double x) { return a * x; }, 1, -7, 7);
    EXPECT_EQ(documentProgram().colourCounter, 1);

    // A step of 0 draws the first member alone.
    Equation* one = draw("y=a*x+1 {a: 2,5,0}");
    int breaks = 0;
    for (DevicePoint p : entries(*one))
        breaks += isBreak(p) && p.y != 32766;
    EXPECT_EQ(breaks, 0);
    expectCurveFollows([](double x) { return 2 * x + 1; }, 2, -3, 3);
}

TEST_F(GraphingTest, FamilyThatWouldOverflowTheStoredCountLeavesTheQueue)
{
    // Each member of a steep sine family stores hundreds of points; hundreds of members pass 65535.
    add("y=sin(a*x)*5 {a: 1,400,1}");
    const int before = doc->count;
    redrawNewest(*doc, 1);
    EXPECT_TRUE(ui.showed(MSG_TOO_MANY_POINTS, 0));
    EXPECT_EQ(doc->count, before - 1);
    EXPECT_EQ(doc->onScreen, 0);
}

TEST_F(GraphingTest, TwoBranchesAreJoinedWhereTheyMeet)
{
    Equation* e = draw("y^2=x");
    ASSERT_TRUE(e->flags & eqflag::TwoBranches);
    ASSERT_NE(e->points, nullptr);
    const GridSetup& g = doc->grid;
    const DevicePoint origin = g.worldToDevice(0, 0);
    // One run crosses the x axis near the origin: the branches are stitched there.
    bool joined = false;
    for (const Segment& s : segments(*e))
        if ((s.a.y - origin.y) * (s.b.y - origin.y) <= 0 && std::abs(s.a.x - origin.x) < 10 &&
            std::abs(s.b.x - origin.x) < 10)
            joined = true;
    EXPECT_TRUE(joined);
    for (double y : {-2.0, -1.0, 1.0, 2.0})
        EXPECT_TRUE(colouredNear(g.worldToDevice(y * y, y), graphColour(1), 2)) << y;
    EXPECT_GT(e->firstBranchCount, 1);
}

TEST_F(GraphingTest, StitchingJoinsRunEndsOfBothBranches)
{
    std::vector<std::uint8_t> memory(4 + 4 * 100);
    PointList list{memory.data(), 100};
    resetPointList(list, 100);
    const GridSetup& g = doc->grid;
    // Branch 1: one run from (100,100) to (200,100), its end marker at index 2. Branch 2 follows.
    std::vector<DevicePoint> points = {{100, 100}, {200, 100}, POINT_BREAK, {103, 104}, {198, 103}};
    for (DevicePoint p : points)
        appendPoint(g, p, list);
    ASSERT_EQ(list.count(), 5);
    const int total = stitchPasses(g, list, 3, 5);
    EXPECT_EQ(total, 7);
    ASSERT_EQ(list.count(), 7);
    EXPECT_EQ(list.entry(3), (DevicePoint{100, 100}));  // the first point of branch 1 leads into branch 2
    EXPECT_EQ(list.entry(6), (DevicePoint{200, 100}));  // branch 2 ends at the last point of branch 1

    // Ends too far apart stay as they are.
    resetPointList(list, 100);
    for (DevicePoint p : std::vector<DevicePoint>{{100, 100}, {200, 100}, POINT_BREAK, {150, 150}, {300, 300}})
        appendPoint(g, p, list);
    EXPECT_EQ(stitchPasses(g, list, 3, 5), 5);
}

TEST_F(GraphingTest, RedrawFromTheStoredListEvaluatesNothing)
{
    static int plotterCalls = 0;
    plotterCalls = 0;
    registerPlotter(GraphKind::Cartesian, [](GraphDoc& d, Equation& e, const ExprNode* t) {
        ++plotterCalls;
        return plotCartesian(d, e, t);
    });
    Equation* e = draw("y=x^3/10");
    ASSERT_EQ(plotterCalls, 1);
    const std::vector<DevicePoint> first = entries(*e);
    clearScreen(*doc);
    surface = std::make_unique<RecordingSurface>(640, 480, kBackground);
    curveOutput().surface = surface.get();
    redrawNewest(*doc, 1);
    EXPECT_EQ(plotterCalls, 1);
    EXPECT_EQ(entries(*e), first);
    EXPECT_TRUE(e->flags & eqflag::OnGrid);
    expectCurveFollows([](double x) { return x * x * x / 10; }, 1, -4, 4);

    // Already on screen: nothing again.
    redrawNewest(*doc, 1);
    EXPECT_EQ(plotterCalls, 1);

    // redrawAllCurves paints what is stored.
    surface = std::make_unique<RecordingSurface>(640, 480, kBackground);
    curveOutput().surface = surface.get();
    redrawAllCurves(*doc);
    EXPECT_EQ(plotterCalls, 1);
    expectCurveFollows([](double x) { return x * x * x / 10; }, 1, -4, 4);
}

TEST_F(GraphingTest, AbortKeepsThePartialCurveButNoStoredList)
{
    ui.script = [](int call, int state) { return call == 40 ? drawstate::AbortRequested : state; };
    Equation* e = draw("y=sin(x)");
    EXPECT_EQ(e->points, nullptr);
    EXPECT_FALSE(e->flags & eqflag::OnGrid);
    EXPECT_EQ(doc->onScreen, 0);
    EXPECT_EQ(doc->count, 1);  // it stays in the queue
    EXPECT_EQ(drawState(), drawstate::Idle);
    EXPECT_GT(surface->countPixels(graphColour(1)), 10);  // what was drawn stays
    EXPECT_EQ(workPointList().count(), 0);

    // An aborted batch stops: the older equation is not drawn either.
    ui.calls = 0;
    add("y=x");
    add("y=2*x");
    redrawNewest(*doc, 2);
    EXPECT_TRUE(graphingDriver().aborted());
    EXPECT_EQ(doc->queueHead->points, nullptr);
}

TEST_F(GraphingTest, PauseShowsThePointAndResumesOrAborts)
{
    // Paused at the 10th point, resumed two pumps later.
    ui.script = [](int call, int state) {
        if (call == 10)
            return int(drawstate::Paused);
        if (call == 12)
            return int(drawstate::Running);
        return state;
    };
    Equation* e = draw("y=x/2");
    EXPECT_TRUE(ui.showed("PAUSE at x=", MESSAGE_WARNING));
    EXPECT_TRUE(ui.showed("Graphing: y=x/2", MESSAGE_INFORMATION));
    EXPECT_NE(e->points, nullptr);
    EXPECT_TRUE(e->flags & eqflag::OnGrid);

    // Paused, then Esc again: aborted.
    ui.shown.clear();
    ui.calls = 0;
    ui.script = [](int call, int state) {
        if (call == 10)
            return int(drawstate::Paused);
        if (call == 12)
            return int(drawstate::AbortRequested);
        return state;
    };
    Equation* f = draw("y=x/3");
    EXPECT_TRUE(ui.showed("ABORTED: y=x/3", MESSAGE_INFORMATION));
    EXPECT_EQ(f->points, nullptr);
    bool pauseText = false;
    for (const ShownMessage& m : ui.shown)
        pauseText |= m.text.find(". Press ESC to quit, enter to restart...") != std::string::npos;
    EXPECT_TRUE(pauseText);
}

TEST_F(GraphingTest, RepaintDuringDrawingRedrawsThePartialCurve)
{
    // The window is repainted (cleared) in the middle of the curve; the partial curve comes back.
    ui.script = [this](int call, int state) {
        if (call == 100) {
            surface->fillRect(DeviceRect{0, 0, 640, 480}, surface->stockObject(StockObject::WhiteBrush));
            return state | drawstate::RepaintPending;
        }
        return state;
    };
    draw("y=x^2/4-4");
    expectCurveFollows([](double x) { return x * x / 4 - 4; }, 1, -7.5, 7.5);
}

TEST_F(GraphingTest, PlotterResultsDecideTheQueue)
{
    // Cannot be graphed: the equation leaves the queue when the batch ends.
    registerPlotter(GraphKind::Cartesian, [](GraphDoc&, Equation&, const ExprNode*) { return PLOT_FAILED; });
    draw("y=x+1");
    EXPECT_EQ(doc->count, 0);
    EXPECT_EQ(doc->queueHead, nullptr);

    // A kind without a plotter: the message, and the equation stays unmarked.
    registerPlotter(GraphKind::Cartesian, plotCartesian);
    Equation* e = add("r=2");
    ASSERT_EQ(e->kind(), GraphKind::Polar);
    const Plotter polar = plotterFor(GraphKind::Polar);
    registerPlotter(GraphKind::Polar, nullptr);
    redrawNewest(*doc, 1);
    registerPlotter(GraphKind::Polar, polar);
    EXPECT_TRUE(ui.showed("graph type not finished yet: 200", 0));
    EXPECT_EQ(doc->count, 1);
    EXPECT_FALSE(e->flags & eqflag::OnGrid);
}

TEST_F(GraphingTest, FatalEvaluationErrorRemovesTheEquation)
{
    Equation* e = add("y=x");
    // A tree the evaluator cannot interpret.
    ExprNode* bad = makeNode();
    ASSERT_NE(bad, nullptr);
    bad->kind = 200;
    freeTree(e->tree[1]);
    e->tree[1] = bad;
    redrawNewest(*doc, 1);
    EXPECT_EQ(doc->count, 0);
}

TEST_F(GraphingTest, FunctionOfYWalksAlongY)
{
    // y cannot be isolated here, so x is plotted as a function of y.
    Equation* e = draw("x=y^3/4+y-2");
    ASSERT_TRUE(e->flags & eqflag::FunctionOfY);
    const GridSetup& g = doc->grid;
    for (double y = -2.0; y <= 2.5; y += 0.25)
        EXPECT_TRUE(colouredNear(g.worldToDevice(y * y * y / 4 + y - 2, y), graphColour(1), 2)) << y;
    // Walked from bottom to top: the list runs upwards.
    std::vector<DevicePoint> plain;
    for (DevicePoint p : entries(*e))
        if (!isMarker(p))
            plain.push_back(p);
    ASSERT_GT(plain.size(), 10u);
    EXPECT_GT(plain.front().y, plain.back().y) << plain.front().x << "," << plain.front().y << " " << plain.back().x << "," << plain.back().y << " n=" << plain.size();
}

TEST_F(GraphingTest, FinenessScalesThePointCount)
{
    auto pointsAt = [&](double fineness) {
        programOptions().fineness = fineness;
        Equation* e = draw("y=sin(x)*2");
        return int(entries(*e).size());
    };
    const int one = pointsAt(1), two = pointsAt(2), half = pointsAt(0.5);
    EXPECT_NEAR(double(two) / one, 2.0, 0.4);
    EXPECT_NEAR(double(half) / one, 0.5, 0.15);
}

TEST_F(GraphingTest, DomainLimitsTheCurve)
{
    Equation* e = draw("y=x {0,5}");
    const GridSetup& g = doc->grid;
    const int left = g.worldToDevice(0, 0).x, right = g.worldToDevice(5, 0).x;
    for (DevicePoint p : entries(*e))
        if (!isMarker(p)) {
            EXPECT_GE(p.x, left - 1);
            EXPECT_LE(p.x, right + 3);
        }
    EXPECT_TRUE(colouredNear(g.worldToDevice(2.5, 2.5), graphColour(1)));
    EXPECT_FALSE(colouredNear(g.worldToDevice(-2.5, -2.5), graphColour(1), 2));
}

TEST_F(GraphingTest, VertexBetweenTwoOutsideSamplesIsFound)
{
    // The vertex pokes into the window over a stretch narrower than the step outside it, so for some
    // of these shifts both samples around it lie outside; every one must be found.
    layout(-8, 8, -6, 6);
    for (int i = 0; i < 10; ++i) {
        const double shift = 0.04 * i;
        const std::string line = "y=-2.2*(x-" + std::to_string(shift) + ")^2-5.95";
        SCOPED_TRACE(line);
        Equation* e = draw(line);
        int plain = 0;
        for (DevicePoint p : entries(*e))
            plain += !isMarker(p);
        EXPECT_GT(plain, 0);
        EXPECT_TRUE(colouredNear(doc->grid.worldToDevice(shift, -5.95), graphColour(e->colour[0]), 2));
    }
}

TEST_F(GraphingTest, CandidatesForCriticalPoints)
{
    Equation* e = draw("y=x^2-3");
    int zeros = 0, turns = 0;
    for (const CriticalPoint& c : e->critical) {
        if (c.type == 1) {
            ++zeros;
            EXPECT_NEAR(std::fabs(c.x), std::sqrt(3.0), 0.1);
        } else if (c.type == 6) {
            ++turns;
            EXPECT_NEAR(c.x, 0, 0.1);
        }
    }
    EXPECT_EQ(zeros, 2);
    EXPECT_EQ(turns, 1);

    // Inequalities and second branches collect nothing.
    Equation* two = draw("y^2=x+1");
    EXPECT_TRUE(two->critical.empty());

    // The list takes no more batches once it holds more than 100.
    Equation* many = draw("y=sin(20*x)");
    EXPECT_LE(many->critical.size(), std::size_t(CANDIDATE_LIMIT + CANDIDATE_BATCH));
    EXPECT_GT(many->critical.size(), std::size_t(CANDIDATE_LIMIT));
}

TEST_F(GraphingTest, TablesFollowTheCurve)
{
    LinesPrintout lines;
    printout().list = &lines;
    printout().tableColumns = 3;
    printoutReset();
    programOptions().tables = 1 | 8;  // custom increment
    programOptions().tableincr = 2;
    draw("y=x^2");
    draw("y=x {0,5}");
    // Rows -6 ... 8; the second graph has values from 0 to 5 only.
    const std::vector<std::string> expected = {
        "-6.0\t36.0\t-", "-4.0\t16.0\t-", "-2.0\t4.0\t-", "0\t0\t0", "2.0\t4.0\t2.0", "4.0\t16.0\t4.0",
        "6.0\t36.0\t-", "8.0\t64.0\t-",
    };
    std::vector<std::string> dataRows;
    for (const std::string& l : lines.lines)
        if (l.find('\t') != std::string::npos && l.rfind("---", 0) != 0 && l.rfind("x\t", 0) != 0)
            dataRows.push_back(l);
    EXPECT_EQ(dataRows, expected);
}

TEST_F(GraphingTest, TableOfASecondBranch)
{
    LinesPrintout lines;
    printout().list = &lines;
    printoutReset();
    programOptions().tables = 1 | 8;
    programOptions().tableincr = 2;
    draw("y^2=x");
    std::vector<std::string> dataRows;
    for (const std::string& l : lines.lines)
        if (l.find('\t') != std::string::npos && l.rfind("---", 0) != 0 && l.rfind("x\t", 0) != 0)
            dataRows.push_back(l);
    ASSERT_FALSE(dataRows.empty());
    // Left of 0 both branches fail; right of it the second branch is the negative root.
    bool sawRoot = false;
    for (const std::string& row : dataRows)
        if (row.rfind("4.0\t", 0) == 0) {
            EXPECT_EQ(row, "4.0\t2.0\t-2.0");
            sawRoot = true;
        }
    EXPECT_TRUE(sawRoot);
}

TEST_F(GraphingTest, InequalitiesAreShadedFromTheirBoundary)
{
    static int shaded = 0;
    static int boundaryPoints = 0;
    shaded = boundaryPoints = 0;
    registerInequalityShader([](GraphDoc&, Equation&, const PointList& boundary) {
        ++shaded;
        boundaryPoints = boundary.count();
    });
    Equation* e = draw("y<x^2");
    ASSERT_TRUE(e->flags & eqflag::Inequality);
    EXPECT_EQ(shaded, 1);
    EXPECT_GT(boundaryPoints, 10);
    EXPECT_TRUE(e->critical.empty());
    // A strict inequality's boundary is drawn again, dotted.
    EXPECT_LT(e->colour[0], 0);
    // From the stored list, and on every repaint.
    clearScreen(*doc);
    redrawNewest(*doc, 1);
    EXPECT_EQ(shaded, 2);
    redrawAllCurves(*doc);
    EXPECT_EQ(shaded, 3);
    draw("y=x");
    EXPECT_EQ(shaded, 3);
    registerInequalityShader(shadeInequality);
}

TEST_F(GraphingTest, CurveStartsWhereItsDomainOfDefinitionBegins)
{
    // Errors left of 0 are skipped; the curve is traced back to 0 and starts a run there.
    Equation* e = draw("y=sqrt(x)*2");
    const GridSetup& g = doc->grid;
    const int origin = g.worldToDevice(0, 0).x;
    std::vector<DevicePoint> plain;
    for (DevicePoint p : entries(*e))
        if (!isMarker(p))
            plain.push_back(p);
    ASSERT_FALSE(plain.empty());
    EXPECT_LE(std::abs(plain.front().x - origin), 1);
    EXPECT_EQ(runs(*e), 1);
    expectCurveFollows([](double x) { return x > 0.05 ? 2 * std::sqrt(x) : NAN; }, 1, 0.1, 7.9);
}

TEST_F(GraphingTest, PrintingComputesOnlyWhatIsOnScreen)
{
    static int plotterCalls = 0;
    plotterCalls = 0;
    registerPlotter(GraphKind::Cartesian, [](GraphDoc& d, Equation& e, const ExprNode* t) {
        ++plotterCalls;
        return plotCartesian(d, e, t);
    });
    Equation* shown = draw("y=x/4");
    Equation* hidden = add("y=-x/4");
    ASSERT_EQ(plotterCalls, 1);
    documentProgram().printing = true;
    const std::int16_t onScreen = doc->onScreen;
    redrawNewest(*doc, 2);
    documentProgram().printing = false;
    EXPECT_EQ(plotterCalls, 2);  // the graphed one again, at the printer's resolution; not the hidden one
    EXPECT_NE(shown->points, nullptr);
    EXPECT_EQ(hidden->points, nullptr);
    EXPECT_EQ(doc->onScreen, onScreen);
}

TEST_F(GraphingTest, HogCpuPumpsWithoutYielding)
{
    struct Seen : UserInterface {
        void messageBox(const std::string&) override {}
        void statusLine(const std::string&, int) override {}
        void beep() override {}
        int pumpMessages(int state, bool noYield) override
        {
            (noYield ? yielding[0] : yielding[1])++;
            return state;
        }
        int yielding[2] = {0, 0};
    } seen;
    installUserInterface(&seen);
    draw("y=x");
    EXPECT_GT(seen.yielding[1], 0);
    EXPECT_EQ(seen.yielding[0], 0);
    programOptions().hogCPU = true;
    draw("y=2*x");
    EXPECT_GT(seen.yielding[0], 0);
    installUserInterface(&ui);
}

TEST_F(GraphingTest, CurvesOnLogarithmicPaper)
{
    struct Case {
        const char* line;
        std::uint16_t paper;
        double xMin, xMax, yMin, yMax;
        std::function<double(double)> f;
    };
    const std::vector<Case> cases = {
        {"y=2^x", PAPER_LOG_Y, 0, 10, 1, 100000, [](double x) { return std::pow(2, x); }},
        {"y=x^2", PAPER_LOG_Y | PAPER_LOG_X, 0.1, 100, 0.001, 10000, [](double x) { return x * x; }},
        {"y=sqrt(x)", PAPER_LOG_Y | PAPER_LOG_X, 0.1, 100, 0.001, 10000, [](double x) { return std::sqrt(x); }},
        {"y=x-1", PAPER_LOG_Y | PAPER_LOG_X, 0.1, 100, 0.001, 10000, [](double x) { return x - 1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        surface = std::make_unique<RecordingSurface>(640, 480, kBackground);
        curveOutput().surface = surface.get();
        GridSetup& g = doc->grid;
        g.paperFlags = static_cast<std::uint16_t>((g.paperFlags & ~PAPER_KIND_MASK) | c.paper);
        layout(c.xMin, c.xMax, c.yMin, c.yMax);
        g.refreshLogScale();
        Equation* e = draw(c.line);
        ASSERT_NE(e->points, nullptr);
        int checked = 0;
        for (double x = c.xMin + 0.05; x < c.xMax; x *= 1.3) {
            const double y = c.f(x);
            if (!(y > c.yMin * 1.5 && y < c.yMax / 1.5))
                continue;
            const DevicePoint p = g.worldToDevice(x, y);
            if (p.x <= g.areaLeft + 1 || p.x >= g.areaRight - 1)
                continue;
            EXPECT_TRUE(colouredNear(p, graphColour(e->colour[0]), 2)) << "x=" << x << " y=" << y;
            ++checked;
        }
        EXPECT_GT(checked, 5);
    }
}

TEST_F(GraphingTest, TableOnLogarithmicAxisStepsByAFactor)
{
    LinesPrintout lines;
    printout().list = &lines;
    printoutReset();
    programOptions().tables = 1 | 8;
    programOptions().tableincr = 10;  // one decade
    GridSetup& g = doc->grid;
    g.paperFlags = static_cast<std::uint16_t>((g.paperFlags & ~PAPER_KIND_MASK) | PAPER_LOG_Y | PAPER_LOG_X);
    layout(0.1, 50, 0.001, 5000);
    g.refreshLogScale();
    updateLabelDecimals(g);
    draw("y=x^2");
    std::vector<double> xs, ys;
    for (const std::string& l : lines.lines) {
        const std::size_t tab = l.find('\t');
        if (tab == std::string::npos || l.rfind("---", 0) == 0 || l.rfind("x\t", 0) == 0)
            continue;
        xs.push_back(std::atof(l.substr(0, tab).c_str()));
        ys.push_back(std::atof(l.substr(tab + 1).c_str()));
    }
    ASSERT_EQ(xs.size(), 3u);  // 0.1, 1 and 10
    EXPECT_NEAR(xs[0], 0.1, 1e-9);
    for (std::size_t i = 0; i < xs.size(); ++i) {
        EXPECT_NEAR(ys[i], xs[i] * xs[i], 1e-6 * xs[i] * xs[i] + 1e-3) << xs[i];
        if (i > 0) {
            EXPECT_NEAR(xs[i] / xs[i - 1], 10, 1e-6);
        }
    }
}

// A pointer within 5 pixels of a drawn curve snaps onto it; further away, or off screen, it does not.
TEST_F(GraphingTest, PointerSnapsToTheNearestCurveOnScreen)
{
    Equation* line = draw("y=x/2");
    Equation* family = draw("y=x+a {a: 0, 1, 1}");
    const GridSetup& g = doc->grid;
    const DevicePoint onLine = deviceOf(g, 4, 2);
    const DevicePoint nearLine{onLine.x, static_cast<std::int16_t>(onLine.y - 3)};
    CurveSnap snap = snapToCurve(*doc, nearLine, SnapFilter::AnyCurve);
    ASSERT_EQ(snap.equation, line);
    // The projection lies on the line y = x/2 within a pixel of rounding.
    const double x = g.deviceToWorldX(snap.point.x), y = g.deviceToWorldY(snap.point.y);
    EXPECT_NEAR(y, x / 2, 2 * (g.xMax - g.xMin) / (g.areaRight - g.areaLeft));
    EXPECT_LE(std::abs(snap.point.y - nearLine.y), 3);

    const DevicePoint onFamily = deviceOf(g, 2, 3);
    EXPECT_EQ(snapToCurve(*doc, onFamily, SnapFilter::AnyCurve).equation, family);
    EXPECT_EQ(snapToCurve(*doc, onFamily, SnapFilter::Integrable).equation, nullptr) << "a family is not integrable";

    const DevicePoint far{onLine.x, static_cast<std::int16_t>(onLine.y - 12)};
    EXPECT_EQ(snapToCurve(*doc, far, SnapFilter::AnyCurve).equation, nullptr);
    hideEquation(*doc, "y=x/2");
    EXPECT_EQ(snapToCurve(*doc, nearLine, SnapFilter::AnyCurve).equation, nullptr) << "a hidden curve";
}

// A point attached to a curve moves along it with the pointer, across the curve's segments, as long
// as the curve runs within 60 degrees of the move; a jump beyond the screen's reach loses the curve.
TEST_F(GraphingTest, PointerFollowsTheCurve)
{
    draw("y=x^2/4");
    const GridSetup& g = doc->grid;
    CurveSnap at = snapToCurve(*doc, deviceOf(g, -1, 0.25), SnapFilter::AnyCurve);
    ASSERT_NE(at.equation, nullptr);
    const int startX = at.point.x;
    for (int step = 0; step < 40; ++step) {
        ASSERT_TRUE(followCurve(g, at, 4, 0, true)) << "step " << step;
        const double x = g.deviceToWorldX(at.point.x), y = g.deviceToWorldY(at.point.y);
        const double pixel = (g.yMax - g.yMin) / (g.areaBottom - g.areaTop);
        EXPECT_NEAR(y, x * x / 4, 2 * pixel + std::abs(x) / 2 * (g.xMax - g.xMin) / (g.areaRight - g.areaLeft))
            << "step " << step;
    }
    EXPECT_GT(at.point.x, startX + 150) << "the point went along";
    // Up the steep side: vertical moves keep following.
    const int row = at.point.y;
    for (int step = 0; step < 10; ++step)
        ASSERT_TRUE(followCurve(g, at, 0, -4, true));
    EXPECT_LT(at.point.y, row - 30);
    EXPECT_NEAR(g.deviceToWorldY(at.point.y), std::pow(g.deviceToWorldX(at.point.x), 2) / 4, 0.1);
    // And back down to the left, over the vertex.
    for (int step = 0; step < 80; ++step)
        ASSERT_TRUE(followCurve(g, at, -4, 2, true)) << "step " << step;
    EXPECT_LT(at.point.x, deviceOf(g, -0.5, 0).x);
    EXPECT_NEAR(g.deviceToWorldY(at.point.y), std::pow(g.deviceToWorldX(at.point.x), 2) / 4, 0.1);
    EXPECT_FALSE(followCurve(g, at, 40, 0, true)) << "a jump of 40 pixels on a small screen";
    EXPECT_TRUE(withinSixtyDegrees(10, 0, 10, 5));
    EXPECT_FALSE(withinSixtyDegrees(10, 0, 0, 10));
}

// A family has its start and every step up to its end, the end included despite rounding; one with
// more members than a stored list could hold is refused at once (a step lost in the size of its start
// would never reach the end).
TEST_F(GraphingTest, FamilyMembersAreCountedUpFront)
{
    Equation* e = draw("y=a {a: 0, 1, 0.1}");
    std::set<int> rows;
    for (DevicePoint p : entries(*e))
        if (!isMarker(p))
            rows.insert(p.y);
    EXPECT_EQ(rows.size(), 11u);
    const int before = doc->count;
    add("y=a+x {a: 10^17, 2*10^17, 1}");
    redrawNewest(*doc, 1);
    bool refused = false;
    for (const ShownMessage& m : ui.shown)
        refused |= m.kind == ShownMessage::MessageBox && m.text == MSG_TOO_MANY_POINTS;
    EXPECT_TRUE(refused);
    EXPECT_EQ(doc->count, before) << "the refused family leaves the queue";
}

}  // namespace
}  // namespace qv
