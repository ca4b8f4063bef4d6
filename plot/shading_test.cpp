#include "plot/shading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "plot/graphing_fixture.h"

namespace qv {
namespace {

using namespace testing_bench;
using Op = RecordingSurface::Op;
using OpKind = RecordingSurface::OpKind;

// The truth of a relation at a world point: 1 holds, 0 does not, -1 undefined.
using Oracle = std::function<int(double x, double y)>;

constexpr int HOLDS = 1, FAILS = 0, UNDEFINED = -1;
constexpr int kJumpWidth = 40;  // device columns between the runs on either side of a jump
int truth(bool b) { return b ? HOLDS : FAILS; }

double distanceToSegment(int px, int py, const Segment& s)
{
    const double ax = s.a.x, ay = s.a.y, dx = s.b.x - ax, dy = s.b.y - ay;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

class ShadingTest : public GraphingTest {
protected:
    void SetUp() override
    {
        GraphingTest::SetUp();
        // Other tests install their own shaders; these test the program's.
        registerInequalityShader(shadeInequality);
        hatchAlternation() = 0;
    }
    void TearDown() override
    {
        registerInequalityShader(shadeInequality);
        GraphingTest::TearDown();
    }

    // An empty document on a new surface.
    void startAgain()
    {
        clearAll(*doc);
        documentProgram().colourCounter = 0;
        hatchAlternation() = 0;
        surface = std::make_unique<RecordingSurface>(640, 480, kBackground);
        curveOutput().surface = surface.get();
    }

    std::vector<const Op*> fills() const { return surface->opsOfKind(OpKind::PolyPolygon); }

    // The columns of the full-height lines drawn through poles.
    std::vector<int> poleLines() const
    {
        std::vector<int> columns;
        const GridSetup& g = doc->grid;
        for (const Op* op : surface->opsOfKind(OpKind::LineTo)) {
            const DevicePoint a = op->points[0], b = op->points[1];
            if (a.x == b.x && a.y <= g.areaTop && b.y > g.areaBottom)
                columns.push_back(a.x);
        }
        return columns;
    }

    // Whether the hatch of colour c covers the device point: every run of eight pixels of a row
    // inside a hatched region holds one hatch pixel, whichever the direction.
    bool hatchedAt(int px, int py, Colour c) const
    {
        // Two rows, so that a single column where two polygons meet does not hide the hatch.
        for (int y = py; y <= py + 1; ++y)
            for (int x = px - 4; x < px + 4; ++x)
                if (surface->pixel(x, y) == c)
                    return true;
        return false;
    }

    // Samples the area on a lattice and checks that the hatch of colour c lies exactly where the
    // relation holds, at points clear of the boundary, of poles and of where the relation is undefined.
    struct Coverage {
        int inside = 0, outside = 0;
    };
    Coverage expectHatchFollows(const Oracle& f, Colour c, int clearance = 7)
    {
        const GridSetup& g = doc->grid;
        const std::vector<int> poles = poleLines();
        std::vector<Segment> boundary;
        for (const Equation* e = doc->queueHead; e; e = e->next) {
            for (const Segment& s : segments(*e))
                boundary.push_back(s);
            // Where the boundary jumps, the jump lies somewhere between the samples on either side.
            const std::vector<DevicePoint> list = entries(*e);
            for (std::size_t i = 1; i + 1 < list.size(); ++i)
                if (isBreak(list[i]) && !isMarker(list[i - 1]) && !isMarker(list[i + 1]) &&
                    std::abs(list[i - 1].x - list[i + 1].x) < kJumpWidth)
                    boundary.push_back({list[i - 1], list[i + 1]});
        }
        Coverage seen;
        int wrong = 0;
        for (int py = g.areaTop + 10; py < g.areaBottom - 10; py += 9)
            for (int px = g.areaLeft + 10; px < g.areaRight - 10; px += 7) {
                bool nearPole = false;
                for (int c0 : poles)
                    nearPole = nearPole || std::abs(px - c0) <= clearance + 4;
                for (const Segment& s : boundary)
                    nearPole = nearPole || distanceToSegment(px, py, s) < clearance;
                if (nearPole)
                    continue;
                const int v = f(g.deviceToWorldX(px), g.deviceToWorldY(py));
                bool uniform = true;
                for (int dy = -1; dy <= 1 && uniform; ++dy)
                    for (int dx = -1; dx <= 1 && uniform; ++dx)
                        uniform = f(g.deviceToWorldX(px + dx * clearance), g.deviceToWorldY(py + dy * clearance)) == v;
                if (!uniform)
                    continue;
                const bool expected = v == HOLDS;
                if (hatchedAt(px, py, c) != expected && ++wrong <= 10)
                    ADD_FAILURE() << "at device (" << px << "," << py << ") world (" << g.deviceToWorldX(px) << ","
                                  << g.deviceToWorldY(py) << "): " << (expected ? "not hatched" : "hatched");
                ++(expected ? seen.inside : seen.outside);
            }
        EXPECT_EQ(wrong, 0);
        return seen;
    }
};

// ---------------------------------------------------------------------------------------------
// Regions against the relation, pixel by pixel

struct RegionCase {
    const char* line;
    Oracle relation;
};

void PrintTo(const RegionCase& c, std::ostream* os) { *os << c.line; }

class ShadedRegion : public ShadingTest, public ::testing::WithParamInterface<RegionCase> {};

TEST_P(ShadedRegion, HatchLiesWhereTheRelationHolds)
{
    const RegionCase& c = GetParam();
    Equation* e = draw(c.line);
    ASSERT_TRUE(e->flags & eqflag::Inequality);
    ASSERT_FALSE(fills().empty());
    const Coverage seen = expectHatchFollows(c.relation, graphColour(1));
    EXPECT_GT(seen.inside, 20);
    EXPECT_GT(seen.outside, 20);
}

const double kPi = 3.14159265358979;

INSTANTIATE_TEST_SUITE_P(
    Relations, ShadedRegion,
    ::testing::Values(
        RegionCase{"y<x", [](double x, double y) { return truth(y < x); }},
        RegionCase{"y<x^2-3", [](double x, double y) { return truth(y < x * x - 3); }},
        RegionCase{"y>sin(x)", [](double x, double y) { return truth(y > std::sin(x)); }},
        RegionCase{"y>=x/2", [](double x, double y) { return truth(y >= x / 2); }},
        // Boundaries that leave the window through the top and come back.
        RegionCase{"y>x^2-3", [](double x, double y) { return truth(y > x * x - 3); }},
        RegionCase{"y<(x^3)/8", [](double x, double y) { return truth(y < x * x * x / 8); }},
        // Poles: one-sided, both sides the same way, and a sign that flips with the pole.
        RegionCase{"y>1/x", [](double x, double y) { return truth(y > 1 / x); }},
        RegionCase{"y<1/x", [](double x, double y) { return truth(y < 1 / x); }},
        RegionCase{"y<-1/x", [](double x, double y) { return truth(y < -1 / x); }},
        RegionCase{"y>1/x^2", [](double x, double y) { return truth(y > 1 / (x * x)); }},
        RegionCase{"y<1/x^2", [](double x, double y) { return truth(y < 1 / (x * x)); }},
        RegionCase{"y<tan(x)", [](double x, double y) { return truth(y < std::tan(x)); }},
        RegionCase{"y*cos(x)<sin(x)", [](double x, double y) { return truth(y * std::cos(x) < std::sin(x)); }},
        // Where the boundary is undefined.
        RegionCase{"y>ln(x)", [](double x, double y) { return x > 0 ? truth(y > std::log(x)) : UNDEFINED; }},
        RegionCase{"y<ln(x)", [](double x, double y) { return x > 0 ? truth(y < std::log(x)) : UNDEFINED; }},
        RegionCase{"y<sqrt(4-x^2)",
                   [](double x, double y) { return x * x <= 4 ? truth(y < std::sqrt(4 - x * x)) : UNDEFINED; }},
        RegionCase{"y>sqrt(x^2-4)",
                   [](double x, double y) { return x * x >= 4 ? truth(y > std::sqrt(x * x - 4)) : UNDEFINED; }},
        // Jumps.
        RegionCase{"y<int(x)", [](double x, double y) { return truth(y < std::floor(x)); }},
        // Two branches.
        RegionCase{"x^2+y^2<4", [](double x, double y) { return truth(x * x + y * y < 4); }},
        RegionCase{"x^2+y^2>4", [](double x, double y) { return truth(x * x + y * y > 4); }},
        RegionCase{"x^2/9+y^2/4>1", [](double x, double y) { return truth(x * x / 9 + y * y / 4 > 1); }},
        RegionCase{"y^2<x+1", [](double x, double y) { return truth(y * y < x + 1); }},
        RegionCase{"y^2>x+1", [](double x, double y) { return truth(y * y > x + 1); }},
        RegionCase{"x^2-y^2>1", [](double x, double y) { return truth(x * x - y * y > 1); }},
        RegionCase{"x^2+y^2<50", [](double x, double y) { return truth(x * x + y * y < 50); }},
        // x as a function of y, with one and with two branches.
        RegionCase{"x<y^3+y", [](double x, double y) { return truth(x < y * y * y + y); }},
        RegionCase{"x>sin(y)+y", [](double x, double y) { return truth(x > std::sin(y) + y); }},
        RegionCase{"x>y^3/10-y", [](double x, double y) { return truth(x > y * y * y / 10 - y); }},
        RegionCase{"x^2<y^3+y", [](double x, double y) { return truth(x * x < y * y * y + y); }},
        RegionCase{"x^2>y^3+y", [](double x, double y) { return truth(x * x > y * y * y + y); }},
        // A domain: nothing outside it.
        RegionCase{"y<x {-2,3}",
                   [](double x, double y) { return x >= -2 && x <= 3 ? truth(y < x) : FAILS; }},
        RegionCase{"y>sin(x)*3 {-6,3}",
                   [](double x, double y) { return x >= -6 && x <= 3 ? truth(y > 3 * std::sin(x)) : FAILS; }}));

// ---------------------------------------------------------------------------------------------
// The polygons and how they are filled

TEST_F(ShadingTest, LineOnAFreshGridIsOnePolygonDownToTheBottom)
{
    layout(-8, 8, -10, 10);
    Equation* e = draw("y<x");
    const GridSetup& g = doc->grid;
    ASSERT_EQ(fills().size(), 1u);
    const Op& fill = *fills()[0];
    ASSERT_EQ(fill.counts.size(), 1u);
    EXPECT_EQ(fill.brush.kind, RecordingSurface::Brush::Hatch);
    EXPECT_EQ(fill.brush.hatch, HatchStyle::BackwardDiagonal);
    EXPECT_EQ(fill.brush.colour, graphColour(1));
    EXPECT_EQ(fill.pen.style, PenStyle::Null);  // filled, not outlined

    // (L, B), the line's points, (R, B), and back to the start.
    std::vector<DevicePoint> line;
    for (DevicePoint p : entries(*e))
        if (!isMarker(p))
            line.push_back(p);
    std::vector<DevicePoint> expected;
    expected.push_back({g.areaLeft, g.areaBottom});
    expected.insert(expected.end(), line.begin(), line.end());
    expected.push_back({g.areaRight, g.areaBottom});
    expected.push_back({g.areaLeft, g.areaBottom});
    EXPECT_EQ(fill.points, expected);

    // The next inequality hatches the other way; a new grid screen starts the alternation again.
    draw("y>x^2");
    ASSERT_EQ(fills().size(), 2u);
    EXPECT_EQ(fills()[1]->brush.hatch, HatchStyle::ForwardDiagonal);
    draw("y>x^3");
    EXPECT_EQ(fills()[2]->brush.hatch, HatchStyle::BackwardDiagonal);
    drawGridScreen(*doc, *surface);
    draw("y>-x");
    EXPECT_EQ(fills()[3]->brush.hatch, HatchStyle::BackwardDiagonal);
    shadeInequality(*doc);
    draw("y<-x^2");
    EXPECT_EQ(fills()[4]->brush.hatch, HatchStyle::BackwardDiagonal);
}

TEST_F(ShadingTest, HatchTakesTheColourOfItsCurveAndLeavesNothingBehind)
{
    draw("y=x");  // colour 1
    const int objectsBefore = surface->liveObjects();
    g_variables.set('b', 0);
    Equation* e = draw("y<sin(x)*b {b:2}");
    ASSERT_EQ(e->colour[0], -2);
    ASSERT_EQ(fills().size(), 1u);
    EXPECT_EQ(fills()[0]->brush.colour, graphColour(2));
    expectHatchFollows([](double x, double y) { return truth(y < 2 * std::sin(x)); }, graphColour(2));
    // No brush or pen is left alive, and the drawing modes are back.
    EXPECT_EQ(surface->liveObjects(), objectsBefore);
    const std::vector<const Op*> modes = surface->opsOfKind(OpKind::SetBackgroundMode);
    ASSERT_GE(modes.size(), 2u);
    EXPECT_EQ(BackgroundMode(modes[modes.size() - 2]->flags), BackgroundMode::Transparent);
    EXPECT_EQ(BackgroundMode(modes.back()->flags), BackgroundMode::Opaque);
    // The last test point is gone from the variables.
    EXPECT_EQ(g_variables.get('x'), HUGE_VAL);
    EXPECT_EQ(g_variables.get('y'), HUGE_VAL);
}

TEST_F(ShadingTest, TwoBranchesArePassesOfTheirOwn)
{
    draw("x^2+y^2<4");
    ASSERT_EQ(fills().size(), 2u);
    EXPECT_EQ(fills()[0]->brush.hatch, fills()[1]->brush.hatch);
    const GridSetup& g = doc->grid;
    const int chord = g.worldToDevice(0, 0).y;
    // The upper pass keeps above the chord, the lower one below it, with a little overlap.
    for (DevicePoint p : fills()[0]->points)
        EXPECT_LE(p.y, chord + 1);
    for (DevicePoint p : fills()[1]->points)
        EXPECT_GE(p.y, chord - 1);
    for (double a = 0; a < 2 * kPi; a += kPi / 8) {
        const DevicePoint p = g.worldToDevice(1.6 * std::cos(a), 1.6 * std::sin(a));
        EXPECT_TRUE(hatchedAt(p.x, p.y, graphColour(1))) << a;
        const DevicePoint q = g.worldToDevice(2.4 * std::cos(a), 2.4 * std::sin(a));
        EXPECT_FALSE(hatchedAt(q.x, q.y, graphColour(1))) << a;
    }
}

// ---------------------------------------------------------------------------------------------
// Poles

TEST_F(ShadingTest, LineThroughAPoleBordersAOneSidedRegion)
{
    struct Case {
        const char* line;
        double pole;
        bool drawn;
    };
    const std::vector<Case> cases = {
        {"y>1/x", 0, true},
        {"y<1/x", 0, true},
        {"y<1/(x-2)", 2, true},
        {"y<tan(x)", kPi / 2, true},
        {"y*cos(x)<sin(x)", kPi / 2, false},  // the region lies on both sides of the pole
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        startAgain();
        draw(c.line);
        const GridSetup& g = doc->grid;
        const int column = g.worldToDevice(c.pole, 0).x;
        bool found = false;
        for (const Op* op : surface->opsOfKind(OpKind::LineTo)) {
            const DevicePoint a = op->points[0], b = op->points[1];
            if (a.x == b.x && std::abs(a.x - column) <= 1 && a.y == g.areaTop && b.y == g.areaBottom + 1) {
                found = true;
                // In the curve's pen: dotted for a strict inequality.
                EXPECT_EQ(op->pen.style, PenStyle::Dot);
                EXPECT_EQ(op->pen.colour, graphColour(1));
            }
        }
        EXPECT_EQ(found, c.drawn);
    }
}

TEST_F(ShadingTest, PolygonsOnEitherSideOfAPole)
{
    const GridSetup& g = doc->grid;
    const int column = g.worldToDevice(0, 0).x;
    auto near = [](DevicePoint p, int x, int y) { return std::abs(p.x - x) <= 1 && p.y == y; };
    auto contains = [&](const std::vector<DevicePoint>& v, int x, int y) {
        return std::any_of(v.begin(), v.end(), [&](DevicePoint p) { return near(p, x, y); });
    };

    // Above 1/x: the left polygon runs down the pole line and back up to the top; the right one is
    // closed along the top edge.
    draw("y>1/x");
    ASSERT_EQ(fills().size(), 1u);
    const Op& above = *fills()[0];
    ASSERT_EQ(above.counts.size(), 2u);
    const std::vector<DevicePoint> left(above.points.begin(), above.points.begin() + above.counts[0]);
    const std::vector<DevicePoint> right(above.points.begin() + above.counts[0], above.points.end());
    EXPECT_EQ(left.front(), (DevicePoint{g.areaLeft, g.areaTop}));
    EXPECT_TRUE(contains(left, column, g.areaBottom + 1));
    EXPECT_TRUE(contains(left, column, g.areaTop));
    EXPECT_EQ(right[right.size() - 2], (DevicePoint{g.areaRight, g.areaTop}));

    // Below 1/x: the left polygon closes on itself, the right one starts down the pole line.
    startAgain();
    draw("y<1/x");
    ASSERT_EQ(fills().size(), 1u);
    const Op& below = *fills()[0];
    ASSERT_EQ(below.counts.size(), 2u);
    EXPECT_EQ(below.points.front(), (DevicePoint{g.areaLeft, g.areaBottom}));
    const DevicePoint secondStart = below.points[std::size_t(below.counts[0])];
    const DevicePoint secondNext = below.points[std::size_t(below.counts[0]) + 1];
    EXPECT_TRUE(near(secondStart, column, g.areaBottom + 1));
    EXPECT_TRUE(near(secondNext, column, g.areaTop - 1));
}

TEST_F(ShadingTest, PoleIsFoundWhereverTheWindowLies)
{
    // The window holds none of the values around zero: the pole search must still find x = 1.
    layout(-4, 4, 10, 20);
    draw("y>1/(x-1)+15");
    const GridSetup& g = doc->grid;
    const std::vector<int> poles = poleLines();
    ASSERT_EQ(poles.size(), 1u);
    EXPECT_LE(std::abs(poles[0] - g.worldToDevice(1, 15).x), 1);
    expectHatchFollows([](double x, double y) { return truth(y > 1 / (x - 1) + 15); }, graphColour(1));
}

TEST_F(ShadingTest, RegionsOnLogarithmicPaper)
{
    struct Case {
        const char* line;
        std::uint16_t paper;
        double xMin, xMax, yMin, yMax;
        Oracle relation;
    };
    const std::vector<Case> cases = {
        {"y<2^x", PAPER_LOG_Y, 0, 10, 1, 100000, [](double x, double y) { return truth(y < std::pow(2, x)); }},
        {"y>x^2", PAPER_LOG_Y | PAPER_LOG_X, 0.1, 100, 0.001, 10000, [](double x, double y) { return truth(y > x * x); }},
        {"y<10/x", PAPER_LOG_Y | PAPER_LOG_X, 0.1, 100, 0.001, 10000, [](double x, double y) { return truth(y < 10 / x); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        startAgain();
        GridSetup& g = doc->grid;
        g.paperFlags = static_cast<std::uint16_t>((g.paperFlags & ~PAPER_KIND_MASK) | c.paper);
        layout(c.xMin, c.xMax, c.yMin, c.yMax);
        g.refreshLogScale();
        draw(c.line);
        ASSERT_EQ(fills().size(), 1u);
        const Coverage seen = expectHatchFollows(c.relation, graphColour(1));
        EXPECT_GT(seen.inside, 20);
        EXPECT_GT(seen.outside, 20);
    }
}

TEST_F(ShadingTest, DomainOfAFunctionOfYLimitsItsRows)
{
    draw("x<y^3/4+y {-3,2}");
    const GridSetup& g = doc->grid;
    const Coverage seen = expectHatchFollows(
        [](double x, double y) { return y >= -3 && y <= 2 ? truth(x < y * y * y / 4 + y) : FAILS; }, graphColour(1));
    EXPECT_GT(seen.inside, 20);
    // Rows beyond the domain stay clear even where the relation holds.
    for (const Op* fill : fills())
        for (DevicePoint p : fill->points) {
            EXPECT_GE(p.y, g.worldToDevice(0, 2).y - 1);
            EXPECT_LE(p.y, g.worldToDevice(0, -3).y + 1);
        }
}

// ---------------------------------------------------------------------------------------------
// Stored curves, families and odd lists

TEST_F(ShadingTest, RedrawFromTheStoredListHatchesTheSameRegion)
{
    draw("y>1/x");
    ASSERT_EQ(fills().size(), 1u);
    const Op first = *fills()[0];
    surface = std::make_unique<RecordingSurface>(640, 480, kBackground);
    curveOutput().surface = surface.get();
    hatchAlternation() = 0;
    redrawAllCurves(*doc);
    ASSERT_EQ(fills().size(), 1u);
    EXPECT_EQ(fills()[0]->points, first.points);
    EXPECT_EQ(fills()[0]->counts, first.counts);
    expectHatchFollows([](double x, double y) { return truth(y > 1 / x); }, graphColour(1));
}

TEST_F(ShadingTest, ListsWithoutPointsOrWithGarbageFillNothingOrStayBounded)
{
    Equation* e = add("y<x");
    std::vector<std::uint8_t> memory(blockBytes(64), 0);
    PointList list{memory.data(), 64};
    const GridSetup& g = doc->grid;

    // Only markers: nothing is filled.
    resetPointList(list, 64);
    appendPoint(g, POINT_END, list);
    shadeInequality(*doc, *e, list);
    EXPECT_TRUE(fills().empty());

    // Points anywhere, far off the area, repeated and broken: it ends, and leaves things as they were.
    const int objectsBefore = surface->liveObjects();
    const std::vector<DevicePoint> odd = {{-30000, 30000}, POINT_BREAK, {30000, -30000}, {5, 5}, POINT_BREAK,
                                          POINT_BREAK, {600, 20}, {600, 20}, {3, 470}, POINT_END, {100, 100}};
    for (int twoBranches = 0; twoBranches < 2; ++twoBranches) {
        list.setCount(0);
        for (std::size_t i = 0; i < odd.size(); ++i)
            list.setEntry(i, odd[i]);
        list.setCount(std::uint16_t(odd.size()));
        if (twoBranches) {
            e->flags |= eqflag::TwoBranches;
            e->firstBranchCount = 5;
        }
        shadeInequality(*doc, *e, list);
        e->firstBranchCount = 200;  // beyond the list
        shadeInequality(*doc, *e, list);
    }
    EXPECT_EQ(surface->liveObjects(), objectsBefore);
    EXPECT_TRUE(ui.shown.empty());

    // Not an inequality: nothing at all.
    Equation* plain = add("y=x");
    const std::size_t opsBefore = surface->ops().size();
    shadeInequality(*doc, *plain, list);
    EXPECT_EQ(surface->ops().size(), opsBefore);
}

TEST_F(ShadingTest, RelationIsTestedStrictlyAndFailsWhereUndefined)
{
    Equation* below = add("y<=x^2");
    Equation* above = add("y>ln(x)");
    struct Case {
        Equation* eq;
        double x, y;
        bool failed, holds;
    };
    const std::vector<Case> cases = {
        {below, 2, 3, false, true},  {below, 2, 4, false, false},  // equality does not hold
        {below, 2, 5, false, false}, {above, 1, 1, false, true},
        {above, 1, 0, false, false}, {above, -1, 0, true, false},
    };
    for (const Case& c : cases) {
        const RelationTest t = holdsAt(*c.eq, c.x, c.y);
        EXPECT_EQ(t.failed, c.failed) << c.eq->text << " at " << c.x << "," << c.y;
        if (!c.failed) {
            EXPECT_EQ(t.holds, c.holds) << c.eq->text << " at " << c.x << "," << c.y;
        }
    }
}

}  // namespace
}  // namespace qv
