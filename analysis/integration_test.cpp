#include "analysis/integration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "expr/number_format.h"
#include "plot/graphing_fixture.h"

namespace qv {
namespace {

using namespace testing_bench;

using Op = RecordingSurface::Op;
using OpKind = RecordingSurface::OpKind;

class IntegrationTest : public GraphingTest {
protected:
    void SetUp() override
    {
        GraphingTest::SetUp();
        programOptions().intflags = INT_TRAPEZOIDAL | INT_MOUSE;
        programOptions().intnumseg = 100;
    }

    double area(const Equation* first, const Equation* second, double a, double b, int n, std::uint8_t method,
                std::uint16_t& status)
    {
        return integrate(*first, second, a, b, n, status, method);
    }

    std::vector<std::string> messageBoxes() const
    {
        std::vector<std::string> out;
        for (const ShownMessage& m : ui.shown)
            if (m.kind == ShownMessage::MessageBox)
                out.push_back(m.text);
        return out;
    }
    std::string lastStatus() const
    {
        for (auto it = ui.shown.rbegin(); it != ui.shown.rend(); ++it)
            if (it->kind == ShownMessage::StatusLine)
                return it->text;
        return {};
    }

    std::vector<const Op*> fills() const
    {
        std::vector<const Op*> out;
        const std::vector<Op>& ops = surface->ops();
        for (std::size_t i = mark; i < ops.size(); ++i)
            if (ops[i].kind == OpKind::PolyPolygon)
                out.push_back(&ops[i]);
        return out;
    }
    // Operations before this index are left out of fills().
    std::size_t mark = 0;

    // Pixels of the colour strictly inside the device rectangle.
    int colouredInside(int left, int top, int right, int bottom, Colour c) const
    {
        int n = 0;
        for (int y = top + 1; y < bottom; ++y)
            for (int x = left + 1; x < right; ++x)
                if (surface->pixel(x, y) == c)
                    ++n;
        return n;
    }
};

std::string escape(int colour) { return std::string{COLOUR_ESCAPE, char(128 + colour)}; }
std::string normal() { return std::string{COLOUR_ESCAPE, COLOUR_NORMAL}; }

TEST_F(IntegrationTest, MethodsGiveTheirKnownValues)
{
    Equation* square = add("y=x^2");
    struct Case {
        const char* name;
        std::uint8_t method;
        double a, b;
        int n;
        double expected;
        double tolerance;
    };
    const std::vector<Case> cases = {
        {"Simpson", INT_SIMPSON, 0, 3, 100, 9, 1e-9},
        {"trapezoidal", INT_TRAPEZOIDAL, 0, 3, 100, 9.00045, 1e-9},
        // Each rectangle takes the smaller or the larger end value: h * sum of (i h)^2 over i < n or i <= n.
        {"rectangles below", INT_RECTANGLES_BELOW, 0, 3, 100, 0.03 * 0.03 * 0.03 * 99 * 100 * 199 / 6, 1e-9},
        {"rectangles above", INT_RECTANGLES_ABOVE, 0, 3, 100, 0.03 * 0.03 * 0.03 * 100 * 101 * 201 / 6, 1e-9},
        {"no method bit: rectangles below", 0, 0, 3, 100, 0.03 * 0.03 * 0.03 * 99 * 100 * 199 / 6, 1e-9},
        {"reversed interval", INT_SIMPSON, 3, 0, 100, -9, 1e-9},
        {"reversed trapezoidal", INT_TRAPEZOIDAL, 3, 0, 100, -9.00045, 1e-9},
        {"empty interval", INT_TRAPEZOIDAL, 2, 2, 10, 0, 0},
        {"odd count for Simpson's rule", INT_SIMPSON, 0, 3, 7, 9, 1e-9},
        {"one segment", INT_TRAPEZOIDAL, 0, 2, 1, 4, 1e-12},
        {"no segments at all", INT_TRAPEZOIDAL, 0, 2, 0, 4, 1e-12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint16_t status = 0xFFFF;
        const double result = area(square, nullptr, c.a, c.b, c.n, c.method, status);
        EXPECT_EQ(status, 0);
        EXPECT_NEAR(result, c.expected, c.tolerance);
    }

    // Intervals without a finite width stop at once.
    for (const auto& [a, b] : {std::pair{-1e308, 1e308}, std::pair{0.0, HUGE_VAL}, std::pair{double(NAN), 1.0}}) {
        std::uint16_t status = 0;
        area(square, nullptr, a, b, 10, INT_TRAPEZOIDAL, status);
        EXPECT_EQ(status, evalerr::Overflow) << a << " to " << b;
    }

    std::uint16_t status = 0;
    const double below = area(square, nullptr, 0, 3, 100, INT_RECTANGLES_BELOW, status);
    const double above = area(square, nullptr, 0, 3, 100, INT_RECTANGLES_ABOVE, status);
    EXPECT_LT(below, 9);
    EXPECT_GT(above, 9);
}

TEST_F(IntegrationTest, DifferenceOfTwoCurvesUsesEachCurvesOwnConstants)
{
    Equation* top = add("y=x+b {b: 3}");
    Equation* bottom = add("y=x-b {b: 1}");
    std::uint16_t status = 0;
    // (x + 3) - (x - 1) = 4 over an interval of 2.5.
    EXPECT_NEAR(area(top, bottom, -1, 1.5, 10, INT_SIMPSON, status), 10, 1e-9);
    EXPECT_EQ(status, 0);
    // Rectangles take the smaller end value of each curve on its own.
    Equation* v = add("y=abs(x)");
    EXPECT_NEAR(area(v, v, -1, 1, 2, INT_RECTANGLES_ABOVE, status), 0, 1e-12);
    EXPECT_NEAR(area(v, nullptr, -1, 1, 2, INT_RECTANGLES_ABOVE, status), 2, 1e-12);
    EXPECT_NEAR(area(v, nullptr, -1, 1, 2, INT_RECTANGLES_BELOW, status), 0, 1e-12);
}

TEST_F(IntegrationTest, PolesStopTheIntegrationWhereTheyAre)
{
    Equation* reciprocal = add("y=1/x");
    Equation* inverseSquare = add("y=1/x^2");
    std::uint16_t status = 0;

    // A point on the pole: the division fails there.
    double x = area(reciprocal, nullptr, -1, 1, 100, INT_TRAPEZOIDAL, status);
    EXPECT_EQ(status, evalerr::DivideByZero);
    EXPECT_NEAR(x, 0, 1e-12);

    // Points either side of it: the jump is seen, and looking closer does not make it go away.
    for (std::uint8_t method : {INT_TRAPEZOIDAL, INT_SIMPSON, INT_RECTANGLES_ABOVE, INT_RECTANGLES_BELOW}) {
        SCOPED_TRACE(int(method));
        for (const Equation* e : {reciprocal, inverseSquare}) {
            x = area(e, nullptr, -1, 1.3, 11, method, status);
            EXPECT_EQ(status, INTEGRATE_DISCONTINUITY) << e->text;
            EXPECT_NEAR(x, 0, 0.4) << e->text;
        }
        // Points placed evenly about the pole: the two nearest have the same value.
        x = area(inverseSquare, nullptr, -1, 1, 11, method & INT_SIMPSON ? INT_TRAPEZOIDAL : method, status);
        EXPECT_TRUE(status == INTEGRATE_DISCONTINUITY || status == evalerr::DivideByZero) << status;
        EXPECT_NEAR(x, 0, 0.4);
    }
}

TEST_F(IntegrationTest, ASteepButContinuousPeakPassesAfterACloserLook)
{
    // Coarse points see a jump up and down at the peak; twice the segments over the last two show a
    // smooth top, so the integration goes on.
    Equation* peak = add("y=1/(x^2+0.01)");
    std::uint16_t status = 0;
    const double exact = 20 * std::atan(10.0);
    const double coarse = area(peak, nullptr, -1, 1, 10, INT_TRAPEZOIDAL, status);
    EXPECT_EQ(status, 0);
    EXPECT_GT(coarse, 0.5 * exact);
    EXPECT_NEAR(area(peak, nullptr, -1, 1, 2000, INT_SIMPSON, status), exact, 1e-6);
    EXPECT_EQ(status, 0);
}

TEST_F(IntegrationTest, OnlySingleGraphFunctionsOfXIntegrate)
{
    Equation* plain = add("y=x");
    for (const char* line :
         {"y<x^2", "y>=x", "x=y^3/4+y-2", "y^2=x", "y=a*x {a: 1,3,1}", "x=t; y=t^2 {t: 0, 1, 0.1}"}) {
        SCOPED_TRACE(line);
        Equation* e = add(line);
        std::uint16_t status = 0;
        EXPECT_DOUBLE_EQ(area(e, nullptr, 2, 3, 10, INT_TRAPEZOIDAL, status), 2);
        EXPECT_EQ(status, INTEGRATE_NOT_INTEGRABLE);
        // Either curve of a pair.
        area(plain, e, 2, 3, 10, INT_TRAPEZOIDAL, status);
        EXPECT_EQ(status, INTEGRATE_NOT_INTEGRABLE);
        EXPECT_FALSE(isIntegrable(*e));

        ui.shown.clear();
        EXPECT_FALSE(integrateRegion(*doc, e, nullptr, 2, 3));
        EXPECT_EQ(messageBoxes(), std::vector<std::string>{"Cannot integrate over this equation. Quorvex can only "
                                                           "integrate single-graph Cartesian functions of x."});
        EXPECT_FALSE(doc->integration.shown());
    }
    EXPECT_TRUE(isIntegrable(*plain));
}

TEST_F(IntegrationTest, SegmentCountFollowsTheOptions)
{
    const GridSetup& g = doc->grid;
    const int columns = std::abs(g.worldToDevice(3, 0).x - g.worldToDevice(-1, 0).x);
    ASSERT_GT(columns, 20);
    struct Case {
        std::uint8_t flags;
        int intnumseg;
        double a, b;
        int expected;
    };
    const int half = columns / 2;
    const std::vector<Case> cases = {
        {INT_TRAPEZOIDAL, 100, -1, 3, 100},
        {INT_SIMPSON, 100, -1, 3, 100},
        {INT_SIMPSON, 37, -1, 3, 36},
        {INT_SIMPSON, 1, -1, 3, 2},
        {INT_TRAPEZOIDAL, 0, -1, 3, 1},
        {INT_TRAPEZOIDAL | INT_AUTO_SEGMENTS, 100, -1, 3, half},
        {INT_TRAPEZOIDAL | INT_AUTO_SEGMENTS, 100, 3, -1, half},
        {INT_SIMPSON | INT_AUTO_SEGMENTS, 100, -1, 3, half % 2 ? half - 1 : half},
        {INT_RECTANGLES_ABOVE | INT_AUTO_SEGMENTS, 100, 1, 1, 1},
        {INT_SIMPSON | INT_AUTO_SEGMENTS, 100, 1, 1, 2},
    };
    for (const Case& c : cases) {
        programOptions().intflags = c.flags;
        programOptions().intnumseg = std::uint16_t(c.intnumseg);
        EXPECT_EQ(integrationSegments(*doc, c.a, c.b), c.expected)
            << "flags " << int(c.flags) << " intnumseg " << c.intnumseg << " from " << c.a << " to " << c.b;
    }
}

TEST_F(IntegrationTest, StatusLineNamesTheCurvesInTheirColours)
{
    programOptions().intflags = INT_SIMPSON;
    Equation* square = draw("y=x^2");
    Equation* line = draw("y=x");
    ASSERT_EQ(square->colour[0], 1);
    ASSERT_EQ(line->colour[0], 2);
    const std::string interval = formatMessage("Interval: %X to %X, Area: %x ", {0.0, 3.0, 9.0});

    ASSERT_TRUE(integrateRegion(*doc, square, nullptr, 0, 3));
    EXPECT_EQ(lastStatus(), interval + escape(1) + "(integral of y=x^2)");
    EXPECT_EQ(ui.shown.back().category, MESSAGE_INFORMATION);
    EXPECT_TRUE(messageBoxes().empty());

    // The same curve twice is the curve alone.
    ASSERT_TRUE(integrateRegion(*doc, square, square, 0, 3));
    EXPECT_EQ(lastStatus(), interval + escape(1) + "(integral of y=x^2)");
    EXPECT_EQ(doc->integration.second, nullptr);

    ASSERT_TRUE(integrateRegion(*doc, line, square, 0, 1));
    const std::string between = formatMessage("Interval: %X to %X, Area: %x ", {0.0, 1.0, 1.0 / 6});
    EXPECT_EQ(lastStatus(), between + "(area between " + escape(2) + "y=x" + normal() + ", " + escape(1) + "y=x^2" +
                                normal() + ")");
    EXPECT_NEAR(doc->integration.area, 1.0 / 6, 1e-6);
}

TEST_F(IntegrationTest, StatusTextIsExactForAKnownGrid)
{
    programOptions().intflags = INT_SIMPSON;
    Equation* square = draw("y=x^2");
    ASSERT_TRUE(integrateRegion(*doc, square, nullptr, 0, 3));
    EXPECT_EQ(lastStatus(), "Interval: 0 to 3.0, Area: 9.0 \xFE\x81(integral of y=x^2)");
    Equation* line = draw("y=x");
    ASSERT_TRUE(integrateRegion(*doc, line, square, -1, 2));
    EXPECT_EQ(lastStatus(), "Interval: -1.0 to 2.0, Area: -1.5 (area between \xFE\x82y=x\xFE\x0F, "
                            "\xFE\x81y=x^2\xFE\x0F)");
}

TEST_F(IntegrationTest, FailedRegionShowsTheMessageAndKeepsThePreviousOne)
{
    Equation* square = draw("y=x^2");
    Equation* pole = draw("y=1/x");
    ASSERT_TRUE(integrateRegion(*doc, square, nullptr, 0, 3));
    const IntegrationRecord before = doc->integration;

    ui.shown.clear();
    programOptions().intnumseg = 11;
    EXPECT_FALSE(integrateRegion(*doc, pole, nullptr, -1, 1));
    const std::vector<std::string> boxes = messageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    const std::string prefix = "Discontinuity or cusp found in curve near x=";
    const std::string suffix = ". Cannot integrate function in this region.";
    ASSERT_EQ(boxes[0].compare(0, prefix.size(), prefix), 0) << boxes[0];
    ASSERT_GT(boxes[0].size(), prefix.size() + suffix.size());
    EXPECT_EQ(boxes[0].substr(boxes[0].size() - suffix.size()), suffix);
    const double near = std::stod(boxes[0].substr(prefix.size()));
    EXPECT_LT(std::fabs(near), 0.4);

    // A division by zero at a point is reported the same way.
    ui.shown.clear();
    programOptions().intnumseg = 100;
    EXPECT_FALSE(integrateRegion(*doc, pole, nullptr, -1, 1));
    EXPECT_EQ(messageBoxes(), std::vector<std::string>{formatMessage(MSG_DISCONTINUITY, {0.0})});

    EXPECT_EQ(doc->integration.first, before.first);
    EXPECT_EQ(doc->integration.from, before.from);
    EXPECT_EQ(doc->integration.to, before.to);
    EXPECT_EQ(doc->integration.area, before.area);
}

TEST_F(IntegrationTest, TablesGetTheCurvesAndTheResult)
{
    LinesPrintout lines;
    printout().list = &lines;
    programOptions().tables = 0;
    programOptions().intflags = INT_SIMPSON;
    Equation* square = draw("y=x^2");
    Equation* line = draw("y=x");
    programOptions().tables = 1;
    ASSERT_TRUE(integrateRegion(*doc, line, square, 0, 1));
    const std::vector<std::string> expected = {"Equation(s): ", "y=x", "y=x^2",
                                               formatMessage("Interval: %X to %X, Area: %x ", {0.0, 1.0, 1.0 / 6})};
    EXPECT_EQ(lines.lines, expected);

    // Not while printing.
    documentProgram().printing = true;
    ASSERT_TRUE(integrateRegion(*doc, line, nullptr, 0, 1));
    documentProgram().printing = false;
    EXPECT_EQ(lines.lines.size(), expected.size());
}

TEST_F(IntegrationTest, RegionIsHatchedBetweenTheCurvesInTheFirstCurvesColour)
{
    layout(-8, 8, -6, 6);
    programOptions().intflags = INT_TRAPEZOIDAL | INT_AUTO_SEGMENTS;
    Equation* upper = draw("y=3");
    Equation* lower = draw("y=1");
    ASSERT_TRUE(integrateRegion(*doc, upper, lower, -2, 2));
    EXPECT_NEAR(doc->integration.area, 8, 1e-9);

    const std::vector<const Op*> ops = fills();
    ASSERT_EQ(ops.size(), 1u);
    const Op& fill = *ops[0];
    EXPECT_EQ(fill.brush.kind, RecordingSurface::Brush::Hatch);
    EXPECT_EQ(fill.brush.hatch, HatchStyle::ForwardDiagonal);
    EXPECT_EQ(fill.brush.colour, graphColour(1));
    EXPECT_EQ(fill.pen.colour, graphColour(1));

    const GridSetup& g = doc->grid;
    const DevicePoint topLeft = g.worldToDevice(-2, 3), bottomRight = g.worldToDevice(2, 1);
    const Colour c = graphColour(1);
    // Hatch lines fill the band between the curves...
    EXPECT_GT(colouredInside(topLeft.x + 1, topLeft.y + 1, bottomRight.x - 1, bottomRight.y - 1, c), 100);
    // ...and nothing of that colour lies between the lower curve and the axis, nor beside the interval.
    const DevicePoint axis = g.worldToDevice(2, 0);
    EXPECT_EQ(colouredInside(topLeft.x, bottomRight.y + 1, bottomRight.x, axis.y, c), 0);
    const DevicePoint beyond = g.worldToDevice(5, 1);
    EXPECT_EQ(colouredInside(bottomRight.x + 2, topLeft.y + 2, beyond.x, beyond.y - 2, c), 0);
    EXPECT_EQ(colouredInside(topLeft.x, topLeft.y - 40, bottomRight.x, topLeft.y - 2, c), 0);

    // The stored rectangle bounds what was drawn.
    const DeviceRect r = doc->integration.shaded;
    EXPECT_NEAR(r.left, topLeft.x, 1);
    EXPECT_NEAR(r.top, topLeft.y, 1);
    EXPECT_NEAR(r.right, bottomRight.x + 1, 1);
    EXPECT_NEAR(r.bottom, bottomRight.y + 1, 1);
}

TEST_F(IntegrationTest, SingleCurveIsShadedDownToTheAxisOnBothSides)
{
    layout(-8, 8, -6, 6);
    programOptions().intflags = INT_SIMPSON;
    Equation* cubic = draw("y=x^3/4");
    ASSERT_TRUE(integrateRegion(*doc, cubic, nullptr, -2, 2));
    EXPECT_NEAR(doc->integration.area, 0, 1e-9);
    const GridSetup& g = doc->grid;
    const Colour c = graphColour(1);
    // Shaded between the curve and the axis: below the axis on the left, above it on the right.
    const DevicePoint l = g.worldToDevice(-1.8, -0.6), r = g.worldToDevice(1.8, 0.6), o = g.worldToDevice(0, 0);
    EXPECT_GT(colouredInside(l.x - 6, o.y + 1, l.x + 6, l.y, c), 3);
    EXPECT_GT(colouredInside(r.x - 6, r.y, r.x + 6, o.y - 1, c), 3);
    // Not on the far side of the axis.
    EXPECT_EQ(colouredInside(l.x - 6, o.y - 30, l.x + 6, o.y - 2, c), 0);
    EXPECT_EQ(colouredInside(r.x - 6, o.y + 2, r.x + 6, o.y + 30, c), 0);
}

TEST_F(IntegrationTest, FixedWideSegmentsAreShadedOneByOne)
{
    layout(-8, 8, -6, 6);
    programOptions().intnumseg = 4;
    const GridSetup& g = doc->grid;
    Equation* square = draw("y=x^2/4");
    struct Case {
        std::uint8_t flags;
        std::vector<double> tops;  // the world y of each segment's top corners, left and right
    };
    const std::vector<Case> cases = {
        {INT_TRAPEZOIDAL, {0, 0.25, 0.25, 1, 1, 2.25, 2.25, 4}},
        {INT_RECTANGLES_BELOW, {0, 0, 0.25, 0.25, 1, 1, 2.25, 2.25}},
        {INT_RECTANGLES_ABOVE, {0.25, 0.25, 1, 1, 2.25, 2.25, 4, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.flags));
        programOptions().intflags = c.flags;
        mark = surface->ops().size();
        ASSERT_TRUE(integrateRegion(*doc, square, nullptr, 0, 4));
        const std::vector<const Op*> ops = fills();
        ASSERT_EQ(ops.size(), 1u);
        ASSERT_EQ(ops[0]->counts, (std::vector<int>{4, 4, 4, 4}));
        const std::vector<DevicePoint>& p = ops[0]->points;
        for (int s = 0; s < 4; ++s) {
            const DevicePoint bottomLeft = p[4 * s], topLeft = p[4 * s + 1], topRight = p[4 * s + 2],
                              bottomRight = p[4 * s + 3];
            EXPECT_EQ(bottomLeft, g.worldToDevice(s, 0));
            EXPECT_EQ(bottomRight, g.worldToDevice(s + 1, 0));
            EXPECT_EQ(topLeft, g.worldToDevice(s, c.tops[2 * s]));
            EXPECT_EQ(topRight, g.worldToDevice(s + 1, c.tops[2 * s + 1]));
        }
    }
    // Simpson's rule, or a count from the width, shades one polygon along the curve.
    for (std::uint8_t flags : {std::uint8_t(INT_SIMPSON), std::uint8_t(INT_TRAPEZOIDAL | INT_AUTO_SEGMENTS)}) {
        programOptions().intflags = flags;
        mark = surface->ops().size();
        ASSERT_TRUE(integrateRegion(*doc, square, nullptr, 0, 4));
        const std::vector<const Op*> ops = fills();
        ASSERT_EQ(ops.size(), 1u);
        ASSERT_EQ(ops[0]->counts.size(), 1u);
        EXPECT_GT(ops[0]->counts[0], 10);
    }
}

TEST_F(IntegrationTest, ShadingIsClampedToTheGrid)
{
    layout(-8, 8, -6, 6);
    const GridSetup& g = doc->grid;
    Equation* steep = draw("y=x^2");
    Equation* far = draw("y=-5");
    for (std::uint8_t flags : {std::uint8_t(INT_TRAPEZOIDAL), std::uint8_t(INT_RECTANGLES_ABOVE),
                               std::uint8_t(INT_TRAPEZOIDAL | INT_AUTO_SEGMENTS)}) {
        SCOPED_TRACE(int(flags));
        programOptions().intflags = flags;
        programOptions().intnumseg = 10;
        mark = surface->ops().size();
        ASSERT_TRUE(integrateRegion(*doc, steep, far, -12, 12));
        const std::vector<const Op*> ops = fills();
        ASSERT_EQ(ops.size(), 1u);
        for (DevicePoint p : ops[0]->points) {
            EXPECT_GE(p.x, g.areaLeft);
            EXPECT_LE(p.x, g.areaRight);
            EXPECT_GE(p.y, g.areaTop);
            EXPECT_LE(p.y, g.areaBottom);
        }
        const DeviceRect r = doc->integration.shaded;
        EXPECT_GE(r.left, g.clipRect.left);
        EXPECT_LE(r.right, g.clipRect.right);
        EXPECT_GE(r.top, g.clipRect.top);
        EXPECT_LE(r.bottom, g.clipRect.bottom);
        EXPECT_GT(r.right - r.left, (g.areaRight - g.areaLeft) * 9 / 10);
    }

    // Outside the grid's x range, or with a curve that left no points on the grid, nothing is drawn,
    // but the region is kept.
    Equation* offGrid = draw("y=-20");
    ASSERT_EQ(offGrid->points, nullptr);
    struct Case {
        Equation* first;
        Equation* second;
        double a, b;
    };
    for (const Case& c : {Case{steep, nullptr, 10, 12}, Case{steep, offGrid, -1, 1}, Case{offGrid, nullptr, -1, 1}}) {
        mark = surface->ops().size();
        ASSERT_TRUE(integrateRegion(*doc, c.first, c.second, c.a, c.b));
        EXPECT_TRUE(fills().empty());
        EXPECT_TRUE(doc->integration.shown());
        EXPECT_EQ(doc->integration.shaded, DeviceRect{});
    }
}

class CountingView final : public DocumentView {
public:
    void closeIntegrateDialog() override { ++closed; }
    void repaintGraphArea(GraphDoc&) override { ++repaints; }
    int closed = 0;
    int repaints = 0;
};

TEST_F(IntegrationTest, RemovingACurveOfTheRegionClearsIt)
{
    CountingView view;
    documentProgram().view = &view;
    Equation* square = draw("y=x^2");
    Equation* line = draw("y=x");
    Equation* other = draw("y=5");
    ASSERT_TRUE(integrateRegion(*doc, square, line, 0, 1));

    // Another curve leaving changes nothing.
    deleteEquation(*doc, other->text);
    EXPECT_TRUE(doc->integration.shown());
    EXPECT_EQ(view.closed, 0);

    hideEquation(*doc, line->text);
    EXPECT_FALSE(doc->integration.shown());
    EXPECT_EQ(view.closed, 1);

    ASSERT_TRUE(integrateRegion(*doc, square, nullptr, 0, 1));
    deleteEquation(*doc, square->text);
    EXPECT_FALSE(doc->integration.shown());
    EXPECT_EQ(doc->integration.shaded, DeviceRect{});
    EXPECT_EQ(view.closed, 2);

    // A full queue drops its oldest equation, and the region on it with it.
    programOptions().maxeqs = 2;
    Equation* oldest = doc->tail();
    ASSERT_NE(oldest, nullptr);
    ASSERT_TRUE(integrateRegion(*doc, oldest, nullptr, 0, 1));
    draw("y=7");
    draw("y=8");
    EXPECT_FALSE(doc->integration.shown());
    EXPECT_EQ(view.closed, 3);
    documentProgram().view = nullptr;
}

TEST_F(IntegrationTest, ForgetEquationClearsOnlyItsOwnRegion)
{
    CountingView view;
    documentProgram().view = &view;
    Equation* square = draw("y=x^2");
    Equation* line = draw("y=x");
    ASSERT_TRUE(integrateRegion(*doc, square, nullptr, 0, 1));
    forgetEquation(*doc, line);
    EXPECT_TRUE(doc->integration.shown());
    forgetEquation(*doc, square);
    EXPECT_FALSE(doc->integration.shown());
    EXPECT_EQ(view.closed, 1);
    documentProgram().view = nullptr;
}

TEST_F(IntegrationTest, NewRegionErasesThePreviousOne)
{
    CountingView view;
    documentProgram().view = &view;
    Equation* square = draw("y=x^2");
    ASSERT_TRUE(integrateRegion(*doc, square, nullptr, 0, 1));
    EXPECT_EQ(view.repaints, 0);
    ASSERT_TRUE(integrateRegion(*doc, square, nullptr, 1, 2));
    EXPECT_EQ(view.repaints, 1);
    EXPECT_FLOAT_EQ(doc->integration.from, 1);
    EXPECT_FLOAT_EQ(doc->integration.to, 2);
    EXPECT_NEAR(doc->integration.area, 7.0 / 3, 1e-3);
    documentProgram().view = nullptr;
}

// The graph window as the shell has it: a surface only while it paints, and a paint that ends with
// the tool records.
class PaintingView final : public DocumentView {
public:
    explicit PaintingView(PlotSurface* s) : surface(s) {}
    void repaintGraphArea(GraphDoc& doc) override
    {
        ++repaints;
        curveOutput().surface = surface;
        setAreaClip(doc.grid);
        redrawIntegration(doc);
        clearClip();
        curveOutput().surface = nullptr;
    }
    PlotSurface* surface;
    int repaints = 0;
};

TEST_F(IntegrationTest, OutsideAPaintTheWindowDrawsTheRegion)
{
    PaintingView view(surface.get());
    documentProgram().view = &view;
    Equation* line = draw("y=2");
    curveOutput().surface = nullptr;

    mark = surface->ops().size();
    ASSERT_TRUE(integrateRegion(*doc, line, nullptr, 1, 3));
    EXPECT_EQ(view.repaints, 1);
    EXPECT_EQ(fills().size(), 1u);
    const DeviceRect first = doc->integration.shaded;
    EXPECT_NEAR(first.left, doc->grid.worldToDevice(1, 0).x, 1);

    // A new region: one repaint takes the old one away and draws the new one.
    mark = surface->ops().size();
    ASSERT_TRUE(integrateRegion(*doc, line, nullptr, -3, -1));
    EXPECT_EQ(view.repaints, 2);
    ASSERT_EQ(fills().size(), 1u);
    EXPECT_NEAR(doc->integration.shaded.left, doc->grid.worldToDevice(-3, 0).x, 1);
    documentProgram().view = nullptr;
}

TEST_F(IntegrationTest, RedrawShadesTheRegionAgainOnTheNewGrid)
{
    layout(-8, 8, -6, 6);
    programOptions().intflags = INT_TRAPEZOIDAL | INT_AUTO_SEGMENTS;
    Equation* line = draw("y=2");
    ASSERT_TRUE(integrateRegion(*doc, line, nullptr, 1, 3));
    const DeviceRect before = doc->integration.shaded;

    // Zoom out: the curves are drawn again on the new grid, then the region.
    layout(-16, 16, -12, 12);
    applyNewGrid(*doc, false);
    mark = surface->ops().size();
    redrawAfterRegrid(*doc, programOptions().autonum);
    redrawIntegration(*doc);
    const DeviceRect after = doc->integration.shaded;
    const GridSetup& g = doc->grid;
    EXPECT_NEAR(after.left, g.worldToDevice(1, 0).x, 1);
    EXPECT_NEAR(after.right, g.worldToDevice(3, 0).x + 1, 1);
    EXPECT_NEAR(after.top, g.worldToDevice(1, 2).y, 1);
    EXPECT_NEAR(after.bottom, g.worldToDevice(1, 0).y + 1, 1);
    EXPECT_LT(after.right - after.left, before.right - before.left);
    EXPECT_EQ(fills().size(), 1u);
    EXPECT_FLOAT_EQ(doc->integration.area, 4);

    // Without a region there is nothing to do.
    doc->integration.clear();
    mark = surface->ops().size();
    redrawIntegration(*doc);
    EXPECT_TRUE(fills().empty());
}

int g_dialogRefreshes = 0;
void countRefresh(GraphDoc&) { ++g_dialogRefreshes; }

TEST_F(IntegrationTest, DialogIsRefreshedWhenTheRegionChanges)
{
    g_dialogRefreshes = 0;
    registerIntegrateDialogRefresh(countRefresh);
    Equation* square = draw("y=x^2");
    Equation* pole = draw("y=1/x");
    ASSERT_TRUE(integrateRegion(*doc, square, nullptr, 0, 1));
    EXPECT_EQ(g_dialogRefreshes, 1);
    EXPECT_FALSE(integrateRegion(*doc, pole, nullptr, -1, 1));
    EXPECT_EQ(g_dialogRefreshes, 1);
    redrawIntegration(*doc);
    EXPECT_EQ(g_dialogRefreshes, 2);
    registerIntegrateDialogRefresh(nullptr);
}

TEST_F(IntegrationTest, PrintingDrawsTheRegionButKeepsTheScreensRecord)
{
    layout(-8, 8, -6, 6);
    Equation* line = draw("y=2");
    ASSERT_TRUE(integrateRegion(*doc, line, nullptr, 1, 3));
    const IntegrationRecord screen = doc->integration;
    // The page has a grid of its own.
    layout(-16, 16, -12, 12);
    documentProgram().printing = true;
    mark = surface->ops().size();
    redrawIntegration(*doc);
    documentProgram().printing = false;
    EXPECT_EQ(fills().size(), 1u);
    EXPECT_EQ(doc->integration.shaded, screen.shaded);
    EXPECT_EQ(doc->integration.first, line);
}

TEST_F(IntegrationTest, IntegratingLeavesTheVariablesAsTheyWere)
{
    Equation* e = add("y=x*b {b: 7}");
    g_variables.set('x', 1.5);
    g_variables.set('b', -2);
    std::uint16_t status = 0;
    EXPECT_NEAR(area(e, nullptr, 0, 1, 10, INT_SIMPSON, status), 3.5, 1e-9);
    EXPECT_EQ(g_variables.get('x'), 1.5);
    EXPECT_EQ(g_variables.get('b'), -2);
}

}  // namespace
}  // namespace qv
