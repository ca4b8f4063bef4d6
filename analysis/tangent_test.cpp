#include "analysis/tangent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "plot/graphing_fixture.h"

namespace qv {
namespace {

using namespace testing_bench;

constexpr double kPi = std::numbers::pi;

class TangentTest : public GraphingTest {
protected:
    void SetUp() override
    {
        GraphingTest::SetUp();
        installToolRecordsPainter();
    }
    void TearDown() override
    {
        registerToolRecordsPainter(nullptr);
        GraphingTest::TearDown();
    }

    double slope(Equation* e, double x, double y)
    {
        EvalStatus status = 0;
        const double s = slopeAt(*doc, *e, x, y, status);
        EXPECT_EQ(status, 0) << e->text << " at " << x;
        return s;
    }
    int messageBoxes() const
    {
        int n = 0;
        for (const ShownMessage& m : ui.shown)
            n += m.kind == ShownMessage::MessageBox;
        return n;
    }
    const ShownMessage* lastMessage() const { return ui.shown.empty() ? nullptr : &ui.shown.back(); }

    // Pixels of colour c inside the plotting area, and outside it.
    int colouredInside(Colour c) const { return count(c, true); }
    int colouredOutside(Colour c) const { return count(c, false); }

    // Gives e a stored list of the device points, as its plotter would have left it.
    static void storePoints(Equation& e, const std::vector<DevicePoint>& points)
    {
        std::vector<std::uint8_t> memory(2 + 4 * points.size());
        PointList list{memory.data(), points.size()};
        list.setCount(std::uint16_t(points.size()));
        for (std::size_t i = 0; i < points.size(); ++i)
            list.setEntry(i, points[i]);
        e.points = freeBlock(e.points);
        e.points = copyPointList(list, int(points.size()));
        e.pointCount = std::uint16_t(points.size());
    }

private:
    int count(Colour c, bool inside) const
    {
        const GridSetup& g = doc->grid;
        int n = 0;
        for (int y = 0; y < surface->height(); ++y)
            for (int x = 0; x < surface->width(); ++x) {
                const bool in = x >= g.clipRect.left && x < g.clipRect.right && y >= g.clipRect.top &&
                                y < g.clipRect.bottom;
                n += in == inside && surface->pixel(x, y) == c;
            }
        return n;
    }
};

TEST_F(TangentTest, FindDerivativeAddsAndDrawsTheDerivative)
{
    Equation* e = draw("y=x^3/3-2");
    Equation* d = findDerivative(*doc, *e);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(doc->queueHead, d);
    EXPECT_EQ(doc->count, 2);
    EXPECT_EQ(d->colour[0], 2);
    EXPECT_TRUE(d->flags & eqflag::OnGrid) << "drawn at once";
    EXPECT_NE(d->points, nullptr);
    EXPECT_TRUE(doc->modified);
    expectCurveFollows([](double x) { return x * x; }, 2, -7.5, 7.5);

    // With the dots option the derivative is drawn with dots.
    programOptions().drawdots = true;
    Equation* dots = findDerivative(*doc, *e);
    ASSERT_NE(dots, nullptr);
    EXPECT_TRUE(dots->flags & eqflag::Dots);
}

TEST_F(TangentTest, FindDerivativeRefusesWhatHasNone)
{
    for (const char* line : {"dx=x {0, 1}", "y<x^2", "y=abs(x)"}) {
        SCOPED_TRACE(line);
        Equation* e = add(line);
        const int before = doc->count;
        ui.shown.clear();
        EXPECT_EQ(findDerivative(*doc, *e), nullptr);
        EXPECT_EQ(doc->count, before);
        ASSERT_EQ(messageBoxes(), 1);
        EXPECT_EQ(ui.shown.back().text,
                  "Cannot find the derivative of this function. See the help file for a list of "
                  "non-differentiable functions.");
    }
}

TEST_F(TangentTest, SlopesOfFunctions)
{
    struct Case {
        const char* line;
        double x, pickedY;
        double slope, y;
    };
    const std::vector<Case> cases = {
        {"y=x^2", 1, 0, 2, 1},
        {"y=sin(x)", 0, 0, 1, 0},
        // abs has no derivative: the central difference is taken, and it is 0 at the cusp.
        {"y=abs(x)", 0, 0, 0, 0},
        {"y=abs(x)", 1.5, 0, 1, 1.5},
        {"y=abs(x-1)*2", -2, 0, -2, 6},
        // Two branches: the one nearer the picked value.
        {"y^2=x", 4, 1.7, 0.25, 2},
        {"y^2=x", 4, -1.7, -0.25, -2},
        {"y^2=x", 4, 0.1, 0.25, 2},
        {"y=b*x {b: 3}", 2, 0, 3, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.line) + " at " + std::to_string(c.x));
        Equation* e = add(c.line);
        double y = c.pickedY;
        EvalStatus status = 0;
        EXPECT_NEAR(slopeAt(*doc, *e, c.x, y, status), c.slope, 1e-6);
        EXPECT_EQ(status, 0);
        EXPECT_NEAR(y, c.y, 1e-9);
    }
}

TEST_F(TangentTest, SlopeThatCannotBeFound)
{
    Equation* e = add("y=sqrt(x)");
    double y = 0;
    EvalStatus status = 0;
    slopeAt(*doc, *e, 0, y, status);
    EXPECT_NE(status, 0) << "1/(2*sqrt(0))";
    y = 0;
    slopeAt(*doc, *e, -1, y, status);
    EXPECT_NE(status, 0) << "no point of the curve there";
}

TEST_F(TangentTest, TangentReportsThePointAndSlope)
{
    Equation* e = draw("y=x^2");
    ui.shown.clear();
    EXPECT_EQ(tangentAt(doc->tangent, *e, 1.0, 1.3, 0), TangentResult::Drawn);
    ASSERT_NE(lastMessage(), nullptr);
    EXPECT_EQ(lastMessage()->kind, ShownMessage::StatusLine);
    EXPECT_EQ(lastMessage()->category, MESSAGE_INFORMATION);
    EXPECT_EQ(lastMessage()->text, "x=1.0, y=1.0, slope=2.0 \xFE\x81(tangent of y=x^2)");
    EXPECT_EQ(doc->tangent.equation, e);
    EXPECT_FLOAT_EQ(doc->tangent.x, 1);
    EXPECT_FLOAT_EQ(doc->tangent.y, 1) << "the point moves onto the curve";
    EXPECT_FLOAT_EQ(doc->tangent.slope, 2);

    // A second tangent replaces the first; the caller redraws.
    Equation* f = draw("y=abs(x)");
    EXPECT_EQ(tangentAt(doc->tangent, *f, 0.0, 0.2, 0), TangentResult::RedrawNeeded);
    EXPECT_EQ(lastMessage()->text, "x=0, y=0, slope=0 \xFE\x82(tangent of y=abs(x))");
    EXPECT_EQ(doc->tangent.equation, f);
    EXPECT_FLOAT_EQ(doc->tangent.slope, 0);
}

TEST_F(TangentTest, FunctionOfY)
{
    // y occurs twice: solved as a function of y.
    Equation* e = draw("x=y^2+y");
    ASSERT_TRUE(e->flags & eqflag::FunctionOfY);
    EXPECT_EQ(tangentAt(doc->tangent, *e, 1.5, 1.0, 0), TangentResult::Drawn);
    EXPECT_FLOAT_EQ(doc->tangent.x, 2);
    EXPECT_FLOAT_EQ(doc->tangent.y, 1);
    EXPECT_FLOAT_EQ(doc->tangent.slope, 1.0f / 3);

    // dx/dy = 0 at y = -0.5: no slope.
    Equation* g = e;
    ui.shown.clear();
    EXPECT_EQ(tangentAt(doc->tangent, *g, -0.25, -0.5, 0), TangentResult::Failed);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].kind, ShownMessage::MessageBox);
    EXPECT_EQ(ui.shown[0].text, "Could not determine slope for equation at this point.");
    EXPECT_EQ(doc->tangent.equation, e) << "a failure leaves the record as it was";
    EXPECT_FLOAT_EQ(doc->tangent.slope, 1.0f / 3);
}

TEST_F(TangentTest, PolarPointsMatchTheCurve)
{
    Equation* circle = add("r=2");
    // Picked a little off the curve, on either side of the origin.
    PolarMatch m = matchPolarPoint(*doc, *circle, 2.05, 0.04);
    ASSERT_TRUE(m.found);
    EXPECT_NEAR(m.t, std::atan2(0.04, 2.05), 1e-12);
    EXPECT_NEAR(std::hypot(m.x, m.y), 2, 1e-12);
    m = matchPolarPoint(*doc, *circle, -1.98, 0);
    ASSERT_TRUE(m.found);
    EXPECT_NEAR(m.t, kPi, 1e-9);
    EXPECT_NEAR(m.x, -2, 1e-9);
    EXPECT_FALSE(matchPolarPoint(*doc, *circle, 1, 0).found) << "one unit inside the circle";

    // A curve through the same ray more than once: the first turn that passes the point.
    Equation* spiral = add("r=t {t: 0, 20}");
    m = matchPolarPoint(*doc, *spiral, 0.02, 2 * kPi + kPi / 2);
    ASSERT_TRUE(m.found);
    EXPECT_NEAR(m.t, 2 * kPi + kPi / 2, 1e-2);
    EXPECT_FALSE(matchPolarPoint(*doc, *spiral, 0, -5).found) << "r=t never reaches (0,-5) below t=20";

    // Negative radius: r=-2 reaches (2, 0) at t = pi.
    Equation* negative = add("r=-2");
    m = matchPolarPoint(*doc, *negative, 2, 0);
    ASSERT_TRUE(m.found);
    EXPECT_NEAR(m.t, kPi, 1e-9);
}

TEST_F(TangentTest, PolarSlopes)
{
    // The circle at theta 0: dr/dt = 0, the tangent is (nearly) vertical.
    Equation* circle = add("r=2");
    EXPECT_EQ(tangentAt(doc->tangent, *circle, 2.03, 0, 0), TangentResult::Drawn);
    EXPECT_GT(std::fabs(doc->tangent.slope), 1e12);
    EXPECT_NEAR(doc->tangent.x, 2, 1e-6);
    EXPECT_NEAR(doc->tangent.y, 0, 1e-6);

    // The spiral r = t at t = pi/2: x = t cos t, y = t sin t give dy/dx = -2/pi.
    Equation* spiral = add("r=t");
    EXPECT_EQ(tangentAt(doc->tangent, *spiral, 0, kPi / 2 + 0.03, 0), TangentResult::RedrawNeeded);
    EXPECT_NEAR(doc->tangent.slope, -2 / kPi, 1e-6);
    EXPECT_NEAR(doc->tangent.x, 0, 1e-6);

    // Nothing of the curve near the point.
    ui.shown.clear();
    EXPECT_EQ(tangentAt(doc->tangent, *circle, 0.5, 0.5, 0), TangentResult::Failed);
    ASSERT_EQ(messageBoxes(), 1);
    EXPECT_EQ(ui.shown.back().text, "Could not determine slope for equation at this point.");
    EXPECT_EQ(doc->tangent.equation, spiral);
}

TEST_F(TangentTest, OtherKindsReadTheSlopeOffTheStoredPoints)
{
    Equation* e = add("x=t; y=t^2 {t: 0, 1}");
    ASSERT_EQ(e->kind(), GraphKind::Parametric);
    ui.shown.clear();
    EXPECT_EQ(tangentAt(doc->tangent, *e, 1, 1, 1), TangentResult::Nothing) << "not drawn yet";
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(doc->tangent.equation, nullptr);

    const GridSetup& g = doc->grid;
    const double square = (g.yMax - g.yMin) / (g.areaBottom - g.areaTop) / ((g.xMax - g.xMin) / (g.areaRight - g.areaLeft));
    storePoints(*e, {{300, 200}, {310, 190}, {320, 170}, POINT_BREAK, {400, 100}, {400, 120}, {410, 100}, POINT_END});
    struct Case {
        int index;
        double slope;
    };
    const std::vector<Case> cases = {
        {1, 1 * square},
        {2, 2 * square},
        {3, 2 * square},   // the break: the point before it
        {0, 1 * square},   // the first point of a run: the segment after it
        {4, -HUGE_VAL},    // equal columns, the later point lower on the screen
        {5, -HUGE_VAL},
        {6, 2 * square},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        doc->tangent.clear();
        ASSERT_EQ(tangentAt(doc->tangent, *e, 1.5, 2.5, c.index), TangentResult::Drawn);
        EXPECT_EQ(doc->tangent.slope, float(c.slope));
        EXPECT_FLOAT_EQ(doc->tangent.x, 1.5);
        EXPECT_FLOAT_EQ(doc->tangent.y, 2.5);
    }
    // Equal columns with the earlier point higher on the screen.
    storePoints(*e, {{400, 120}, {400, 100}, POINT_END});
    EXPECT_EQ(tangentAt(doc->tangent, *e, 0, 0, 1), TangentResult::RedrawNeeded);
    EXPECT_EQ(doc->tangent.slope, float(HUGE_VAL));

    // An index outside the list, or a lone point, gives no slope.
    ui.shown.clear();
    EXPECT_EQ(tangentAt(doc->tangent, *e, 0, 0, 7), TangentResult::Failed);
    storePoints(*e, {{400, 120}, POINT_END});
    EXPECT_EQ(tangentAt(doc->tangent, *e, 0, 0, 0), TangentResult::Failed);
    EXPECT_EQ(messageBoxes(), 2);
}

TEST_F(TangentTest, TheLineLiesAlongTheTangentAndStaysInTheGrid)
{
    Equation* e = draw("y=x^2");
    const Colour c = graphColour(e->colour[0]);
    const int curvePixels = colouredInside(c);
    ASSERT_EQ(tangentAt(doc->tangent, *e, 1, 1, 0), TangentResult::Drawn);
    EXPECT_GT(colouredInside(c), curvePixels + 100) << "a dotted line across the grid";
    EXPECT_EQ(colouredOutside(c), 0);
    const GridSetup& g = doc->grid;
    // Along y = 2x - 1, away from the parabola.
    int checked = 0;
    for (double x = -2.5; x <= 4.5; x += 0.25) {
        const double y = 2 * x - 1;
        if (y < g.yMin + 0.1 || y > g.yMax - 0.1 || std::fabs(x - 1) < 1.0)
            continue;
        EXPECT_TRUE(colouredNear(g.worldToDevice(x, y), c, 2)) << "x=" << x;
        ++checked;
    }
    EXPECT_GT(checked, 10);
    // Nothing of the line on the parallel one unit below.
    for (double x = -2.5; x <= 4.5; x += 0.25) {
        const double y = 2 * x - 2.5;
        if (y < g.yMin + 0.1 || y > g.yMax - 0.1 || std::fabs(y - x * x) < 1.0)
            continue;
        EXPECT_FALSE(colouredNear(g.worldToDevice(x, y), c, 2)) << "x=" << x;
    }
}

TEST_F(TangentTest, CircleAsTwoBranches)
{
    Equation* e = draw("x^2+y^2=4");
    ASSERT_NE(e->points, nullptr);
    const Colour c = graphColour(e->colour[0]);
    ASSERT_EQ(tangentAt(doc->tangent, *e, 2.0, 0.1, 0), TangentResult::Failed)
        << "the top branch at x=2 has an infinite derivative";
    // The circle's top at x=0: a horizontal tangent along y = 2.
    ASSERT_EQ(tangentAt(doc->tangent, *e, 0.0, 1.9, 0), TangentResult::Drawn);
    const GridSetup& g = doc->grid;
    int on = 0;
    for (double x = -7; x <= 7; x += 0.5)
        on += colouredNear(g.worldToDevice(x, 2), c, 2);
    EXPECT_GE(on, 27);
}

TEST_F(TangentTest, DrawnPolarAndParametricCurves)
{
    if (!plotterFor(GraphKind::Polar) || !plotterFor(GraphKind::Parametric))
        GTEST_SKIP() << "no polar or parametric plotter in this build";
    const GridSetup& g = doc->grid;
    // The circle r=2 at theta 0: a vertical line through (2, 0).
    Equation* circle = draw("r=2");
    ASSERT_NE(circle->points, nullptr);
    const Colour c = graphColour(circle->colour[0]);
    ASSERT_EQ(tangentAt(doc->tangent, *circle, 2.02, 0, 0), TangentResult::Drawn);
    int on = 0, beside = 0;
    for (double y = -5; y <= 5; y += 0.5) {
        on += colouredNear(g.worldToDevice(2, y), c, 2);
        beside += colouredNear(g.worldToDevice(2.5, y), c, 2);
    }
    EXPECT_GE(on, 20);
    EXPECT_EQ(beside, 0);

    // A parabola drawn parametrically: the slope at (1, 1) is read off the stored segment ending there,
    // a few pixels long, so it is 2 only as nearly as whole pixels give it.
    Equation* parabola = draw("x=t; y=t^2 {t: -3, 3}");
    ASSERT_NE(parabola->points, nullptr);
    const DevicePoint p = g.worldToDevice(1, 1);
    int index = -1, best = 1 << 30;
    const std::vector<DevicePoint> list = entries(*parabola);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const int d = (list[i].x - p.x) * (list[i].x - p.x) + (list[i].y - p.y) * (list[i].y - p.y);
        if (!isMarker(list[i]) && d < best) {
            best = d;
            index = int(i);
        }
    }
    ASSERT_GE(index, 0);
    EXPECT_EQ(tangentAt(doc->tangent, *parabola, 1, 1, index), TangentResult::RedrawNeeded);
    EXPECT_NEAR(doc->tangent.slope, 2, 0.5);
}

TEST_F(TangentTest, EndPointsOnTheGridEdges)
{
    const GridSetup& g = doc->grid;
    double xa, ya, xb, yb;
    ASSERT_TRUE(tangentEndPoints(g, 0, 0, 0.5, xa, ya, xb, yb));
    EXPECT_DOUBLE_EQ(xa, g.xMin);
    EXPECT_DOUBLE_EQ(ya, g.xMin / 2);
    EXPECT_DOUBLE_EQ(xb, g.xMax);
    EXPECT_DOUBLE_EQ(yb, g.xMax / 2);
    // Steep: the top and bottom edges.
    ASSERT_TRUE(tangentEndPoints(g, 1, 0, HUGE_VAL, xa, ya, xb, yb));
    EXPECT_DOUBLE_EQ(xa, 1);
    EXPECT_DOUBLE_EQ(ya, g.yMax);
    EXPECT_DOUBLE_EQ(xb, 1);
    EXPECT_DOUBLE_EQ(yb, g.yMin);
    // Through a corner: the corner once, then the opposite corner.
    const double diagonal = (g.yMax - g.yMin) / (g.xMax - g.xMin);
    ASSERT_TRUE(tangentEndPoints(g, g.xMin, g.yMin, diagonal, xa, ya, xb, yb));
    EXPECT_DOUBLE_EQ(xa, g.xMin);
    EXPECT_DOUBLE_EQ(xb, g.xMax);
    EXPECT_NEAR(yb, g.yMax, 1e-9);
    // A line that misses the grid, and no slope at all.
    EXPECT_FALSE(tangentEndPoints(g, 0, 100, 0, xa, ya, xb, yb));
    EXPECT_FALSE(tangentEndPoints(g, 0, 0, NAN, xa, ya, xb, yb));
}

TEST_F(TangentTest, LogLogPaperDrawsTheLineStraightInLogarithms)
{
    doc->grid.paperFlags = (doc->grid.paperFlags & ~PAPER_KIND_MASK) | PAPER_LOG_X | PAPER_LOG_Y;
    layout(1, 1000, 1, 1000);
    doc->grid.refreshLogScale();
    const GridSetup& g = doc->grid;
    double xa, ya, xb, yb;
    // Slope 1 through (10, 10): y = x in logarithms.
    ASSERT_TRUE(tangentEndPoints(g, 10, 10, 1, xa, ya, xb, yb));
    EXPECT_NEAR(xa, 1, 1e-9);
    EXPECT_NEAR(ya, 1, 1e-9);
    EXPECT_NEAR(xb, 1000, 1e-6);
    EXPECT_NEAR(yb, 1000, 1e-6);
    // Slope 2 through (10, 10): log y = 2 log x - 1 meets the top at 100 and the bottom at sqrt(10).
    ASSERT_TRUE(tangentEndPoints(g, 10, 10, 2, xa, ya, xb, yb));
    EXPECT_NEAR(xa, 100, 1e-9);
    EXPECT_NEAR(ya, 1000, 1e-6);
    EXPECT_NEAR(xb, std::sqrt(10.0), 1e-9);
    EXPECT_NEAR(yb, 1, 1e-9);
    EXPECT_FALSE(tangentEndPoints(g, -1, 10, 2, xa, ya, xb, yb));
}

TEST_F(TangentTest, RedrawsKeepTheTangentAndDeletingTheEquationDropsIt)
{
    Equation* e = draw("y=x^2");
    const Colour c = graphColour(e->colour[0]);
    ASSERT_EQ(tangentAt(doc->tangent, *e, -1, 1, 0), TangentResult::Drawn);
    const GridSetup& g = doc->grid;
    const DevicePoint onLine = g.worldToDevice(2, -5);  // y = -2x - 1
    EXPECT_TRUE(colouredNear(onLine, c, 2));

    // A repaint from the stored curves draws the tangent again.
    surface->fillRect(DeviceRect{0, 0, surface->width(), surface->height()}, surface->createSolidBrush(kBackground));
    redrawAllCurves(*doc);
    EXPECT_TRUE(colouredNear(onLine, c, 2));

    // Hidden or deleted, the equation takes the tangent with it.
    EXPECT_TRUE(deleteEquation(*doc, "y=x^2"));
    EXPECT_EQ(doc->tangent.equation, nullptr);
    surface->fillRect(DeviceRect{0, 0, surface->width(), surface->height()}, surface->createSolidBrush(kBackground));
    redrawAllCurves(*doc);
    EXPECT_EQ(colouredInside(c), 0);

    Equation* f = draw("y=x^3");
    ASSERT_EQ(tangentAt(doc->tangent, *f, 1, 1, 0), TangentResult::Drawn);
    EXPECT_TRUE(hideEquation(*doc, "y=x^3"));
    EXPECT_EQ(doc->tangent.equation, nullptr);

    Equation* h = draw("y=2*x");
    ASSERT_EQ(tangentAt(doc->tangent, *h, 1, 2, 0), TangentResult::Drawn);
    forgetEquation(doc->tangent, f);
    EXPECT_EQ(doc->tangent.equation, h) << "another equation leaves it";
    forgetEquation(doc->tangent, h);
    EXPECT_EQ(doc->tangent.equation, nullptr);
}

TEST_F(TangentTest, TangentRedrawnAfterARegrid)
{
    Equation* e = draw("y=x^2");
    ASSERT_EQ(tangentAt(doc->tangent, *e, 1, 1, 0), TangentResult::Drawn);
    layout(-4, 4);
    surface->fillRect(DeviceRect{0, 0, surface->width(), surface->height()}, surface->createSolidBrush(kBackground));
    for (Equation* q = doc->queueHead; q; q = q->next)
        q->points = freeBlock(q->points);
    redrawAfterRegrid(*doc, programOptions().autonum);
    const Colour c = graphColour(e->colour[0]);
    const GridSetup& g = doc->grid;
    EXPECT_TRUE(colouredNear(g.worldToDevice(-0.5, -2), c, 2)) << "y = 2x - 1 on the new grid";
    EXPECT_TRUE(colouredNear(g.worldToDevice(1.75, 2.5), c, 2));
}

}  // namespace
}  // namespace qv
