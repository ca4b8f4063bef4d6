#include "plot/grid_draw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "expr/number_format.h"
#include "platform/record/recording_surface.h"
#include "plot/colours.h"
#include "plot/point_list.h"

namespace qv {
namespace {

using Op = RecordingSurface::Op;
using OpKind = RecordingSurface::OpKind;
constexpr double kPi = 3.14159265358979323846;

class GridDrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = programOptions();
        programOptions().colourScheme = BUILTIN_SCHEMES[SCHEME_GRAY];
        documentProgram().pixelAspect = 1.0;
        documentProgram().smallScreen = true;
        curveOutput() = CurveOutput{};
        setScreenSymbolSize(640, 1.0);
    }
    void TearDown() override
    {
        programOptions() = saved_;
        curveOutput() = CurveOutput{};
    }

    // A document laid out on a surface of the given size, the y range completed to a square grid.
    void prepare(int width, int height, double xMin, double xMax, double yMin = UNSET_BOUND,
                 double yMax = UNSET_BOUND)
    {
        surface = std::make_unique<RecordingSurface>(width, height, 0x123456);
        measureGridFonts(doc, *surface, true);
        GridSetup& g = doc.grid;
        g.xMin = xMin;
        g.xMax = xMax;
        g.yMin = yMin;
        g.yMax = yMax;
        g.layoutGraphArea(width, height, labelSpaceOf(doc), true);
        g.computeSquareRatio(1.0);
        g.autoSquare();
        if (g.logX() || g.logY())
            g.refreshLogScale();
    }

    std::vector<const Op*> texts() const { return surface->opsOfKind(OpKind::Text); }

    // Boxes of drawn texts as the recording surface measures them (all are left and top aligned).
    static DeviceRect box(const Op& op)
    {
        int h = std::abs(op.font.height);
        int w = int(op.text.size()) * std::max(1, (h + 1) / 2);
        return {op.points[0].x, op.points[0].y, op.points[0].x + w, op.points[0].y + h};
    }

    std::vector<std::string> legendTexts() const
    {
        std::vector<std::string> out;
        for (const Op* op : texts())
            out.push_back(op->text);
        return out;
    }

    GraphDoc doc;
    std::unique_ptr<RecordingSurface> surface;
    ProgramOptions saved_;
};

TEST_F(GridDrawTest, LegendIntervalOfTheSmallScreenExample)
{
    prepare(500, 400, -10, 10);
    ASSERT_EQ(doc.grid.areaRight - doc.grid.areaLeft, 495);
    EXPECT_EQ(doc.grid.tickTargetPx, 6);
    GridMetrics m{1.0, 18, 18};
    EXPECT_DOUBLE_EQ(legendInterval(doc.grid, Axis::X, m), 2);
    // 2 is 49.5 units wide, above 2 x 18: halved to 1 (24.75), then to 0.5 would be below the limit.
    EXPECT_DOUBLE_EQ(gridInterval(doc.grid, Axis::X, m), 1);
}

TEST_F(GridDrawTest, LegendIntervalRoundsAndHonoursCustomSpacing)
{
    GridMetrics m{1.0, 18, 18};
    GridSetup g;
    g.tickTargetPx = 10;
    struct Case {
        double width, interval;
    } cases[] = {{20, 2}, {10, 1}, {40, 5}, {80, 10}, {1e-6, 1e-7}, {2e6, 2e5}, {3.3, 0.2}, {1e5, 1e4}};
    for (const Case& c : cases) {
        g.xMin = -c.width / 2;
        g.xMax = c.width / 2;
        EXPECT_NEAR(legendInterval(g, Axis::X, m), c.interval, c.interval * 1e-9) << c.width;
    }
    g.legendFlags = LEGENDS_ON | LEGENDS_CUSTOM;
    g.xLegendSpacing = 0.75;
    EXPECT_DOUBLE_EQ(legendInterval(g, Axis::X, m), 0.75);
    g.paperFlags = PAPER_TRIG | PAPER_AXES;
    EXPECT_NEAR(legendInterval(g, Axis::X, m), 0.75 * 3.1415926536, 1e-12);
}

TEST_F(GridDrawTest, TrigPaperMarksMultiplesOfPi)
{
    doc.grid.paperFlags = PAPER_TRIG | PAPER_AXES | PAPER_GRID_LINES;
    prepare(640, 480, -2 * kPi, 2 * kPi);
    GridMetrics m = currentGridMetrics();
    const double s = legendInterval(doc.grid, Axis::X, m);
    const double multiple = s / (kPi / 2);
    EXPECT_NEAR(multiple, std::round(multiple), 1e-9);
    drawGridScreen(doc, *surface);
    // The number, then the letter pi (Greek code page) right after it.
    std::set<std::string> numbers;
    int pis = 0;
    const Op* previous = nullptr;
    for (const Op* op : texts()) {
        if (op->font.charset == 161) {
            EXPECT_EQ(op->text, "\xF0");
            ++pis;
            if (previous && previous->font.charset == 0 && previous->text != "-" &&
                op->points[0].y == previous->points[0].y) {
                EXPECT_EQ(op->points[0].x, box(*previous).right) << previous->text;
            }
        } else {
            numbers.insert(op->text);
        }
        previous = op;
    }
    EXPECT_GE(pis, 4);
    EXPECT_TRUE(numbers.count("0.5") || numbers.count("1.5") || numbers.count("2")) << ::testing::PrintToString(legendTexts());
    EXPECT_TRUE(numbers.count("-")) << "the minus of -pi";
}

TEST_F(GridDrawTest, LogPaperWalks)
{
    doc.grid.paperFlags = PAPER_LOG_Y | PAPER_AXES | PAPER_GRID_LINES;
    prepare(640, 480, -10, 10, 1, 100);
    GridMetrics m = currentGridMetrics();
    const GridSetup& g = doc.grid;
    std::vector<double> lines = logPositions(g, Axis::Y, logGridInterval(g, Axis::Y, m), false);
    std::vector<double> expected = {2, 3, 4, 5, 6, 7, 8, 9, 10, 20, 30, 40, 50, 60, 70, 80, 90};
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_NEAR(lines[i], expected[i], 1e-9);
    std::vector<double> legends = logPositions(g, Axis::Y, logLegendDecades(g, Axis::Y), true);
    expected.erase(expected.begin());
    ASSERT_EQ(legends.size(), expected.size());
    for (std::size_t i = 0; i < legends.size(); ++i)
        EXPECT_NEAR(legends[i], expected[i], 1e-9);
}

TEST_F(GridDrawTest, LogLegendsInBasesTwoAndE)
{
    doc.grid.paperFlags = PAPER_LOG_Y | PAPER_LOG_X | PAPER_AXES | PAPER_GRID_LINES;
    doc.grid.logBase = 2.718281828;
    prepare(640, 480, 1, std::exp(8.0), 1, std::exp(6.0));
    drawGridScreen(doc, *surface);
    const std::vector<std::string> all = legendTexts();
    std::set<std::string> shown(all.begin(), all.end());
    EXPECT_TRUE(shown.count("e^2") || shown.count("e^4")) << ::testing::PrintToString(legendTexts());

    doc.grid.logBase = 2;
    prepare(640, 480, 1, 1024, 1, 1024);
    std::vector<double> xs = logPositions(doc.grid, Axis::X, logLegendDecades(doc.grid, Axis::X), true);
    ASSERT_FALSE(xs.empty());
    for (double v : xs)
        EXPECT_NEAR(std::log2(v), std::round(std::log2(v)), 1e-9) << v;
}

TEST_F(GridDrawTest, LegendTexts)
{
    GridSetup g;
    g.xLabelDecimals = 2;
    g.yLabelDecimals = 2;
    g.paperFlags = PAPER_TRIG;
    EXPECT_EQ(legendText(g, Axis::X, kPi, kPi / 2), "p");
    EXPECT_EQ(legendText(g, Axis::X, -kPi / 2, kPi / 2), "-0.5p");
    EXPECT_EQ(legendText(g, Axis::Y, 0.5, 0.5), "0.5");
    g.paperFlags = PAPER_RECTANGULAR;
    EXPECT_EQ(legendText(g, Axis::X, 2e5, 2e5), "2x10^5");
    EXPECT_EQ(legendText(g, Axis::X, 3e-7, 1e-7), "3x10^-7");
    // Beyond the six decimals of the grid's precision, neighbours stay apart.
    EXPECT_EQ(legendText(g, Axis::X, 1.0000002, 1e-7), "1.0000002");
    g.paperFlags = PAPER_LOG_Y;
    EXPECT_EQ(legendText(g, Axis::Y, 0.003, 0), "0.003");
    EXPECT_EQ(legendText(g, Axis::Y, 1e-5, 0), "10^-5");
}

TEST_F(GridDrawTest, GridLinesAndLegendsLieWhereTheMappingPutsThem)
{
    programOptions().colourScheme = BUILTIN_SCHEMES[SCHEME_WHITE];
    prepare(640, 480, -10, 10);
    drawGridScreen(doc, *surface);
    const GridSetup& g = doc.grid;
    const Colour grid = colourOf(COLOUR_GRID), axes = colourOf(COLOUR_AXES);
    const DevicePoint origin = g.worldToDevice(0, 0);
    // Axes through the origin, grid lines at every whole number between them.
    EXPECT_EQ(surface->pixel(origin.x, g.areaTop + 40), axes);
    EXPECT_EQ(surface->pixel(g.areaLeft + 40, origin.y), axes);
    int gridColumns = 0;
    for (int x = -9; x <= 9; ++x) {
        if (x == 0)
            continue;
        const int px = g.worldToDevice(x, 0).x;
        int painted = 0;
        for (int y = g.areaTop; y <= g.areaBottom; ++y)
            painted += surface->pixel(px, y) == grid;
        gridColumns += painted > (g.areaBottom - g.areaTop) / 3;
    }
    EXPECT_EQ(gridColumns, 18);
    // Every x number is centred on its tick, below the axis.
    int xNumbers = 0;
    for (const Op* op : texts()) {
        const int ty = (curveOutput().symbolSizeY - 5) / 10;
        if (op->font.face != "Courier New" || op->points[0].y != origin.y + ty + 1)
            continue;  // not an x number
        double value = std::atof(op->text.c_str());
        DeviceRect b = box(*op);
        const int centre = g.worldToDevice(value, 0).x;
        if (op->text.size() == 1)
            EXPECT_EQ(b.left, centre + 1) << op->text;
        else
            EXPECT_LE(std::abs((b.left + b.right) / 2 - centre), 1) << op->text;
        ++xNumbers;
    }
    EXPECT_GE(xNumbers, 8);
}

// What a person would object to: numbers on top of each other, numbers outside the graph, the same
// number twice along an axis, or nothing drawn outside the graph area.
TEST_F(GridDrawTest, PicturesStayLegibleOverManyRangesAndPapers)
{
    struct Paper {
        std::uint16_t flags;
        double base;
    };
    const Paper papers[] = {{PAPER_DEFAULT, 10},
                            {PAPER_TRIG | 0x0750, 10},
                            {PAPER_POLAR | 0x0750, 10},
                            {PAPER_LOG_Y | 0x0750, 10},
                            {PAPER_LOG_Y | PAPER_LOG_X | 0x0750, 10},
                            {PAPER_LOG_Y | PAPER_LOG_X | 0x0750, 2},
                            {PAPER_LOG_Y | 0x0750, 2.718281828},
                            {PAPER_RECTANGULAR | PAPER_AXES | PAPER_DOTS | PAPER_BORDER, 10},
                            {PAPER_RECTANGULAR | PAPER_AXES | PAPER_SOLID_GRID, 10}};
    const double widths[] = {1e-6, 1e-3, 0.37, 1, 20, 750, 1e4, 1e6};
    const double centres[] = {0, 0.3, 1e3};
    for (const Paper& paper : papers) {
        for (double w : widths) {
            for (double c : centres) {
                doc = GraphDoc{};
                doc.grid.paperFlags = paper.flags;
                doc.grid.logBase = paper.base;
                double lo = c - w / 2, hi = c + w / 2;
                if (paper.flags & (PAPER_LOG_Y | PAPER_LOG_X)) {
                    lo = 1 + c;
                    hi = lo + w;
                }
                prepare(640, 480, lo, hi, (paper.flags & PAPER_LOG_Y) ? lo : UNSET_BOUND,
                        (paper.flags & PAPER_LOG_Y) ? hi : UNSET_BOUND);
                drawGridScreen(doc, *surface);
                const GridSetup& g = doc.grid;
                std::string where = "paper " + std::to_string(paper.flags) + " base " + std::to_string(paper.base) +
                                    " range " + std::to_string(lo) + " .. " + std::to_string(hi);
                std::vector<DeviceRect> boxes;
                std::set<std::pair<int, std::string>> seen;
                for (const Op* op : texts()) {
                    DeviceRect b = box(*op);
                    if (op->font.face == "Courier New") {
                        EXPECT_GE(b.left, g.areaLeft) << where << " " << op->text;
                        EXPECT_LE(b.right, g.areaRight + 1) << where << " " << op->text;
                        EXPECT_GE(b.top, g.areaTop) << where << " " << op->text;
                        EXPECT_LE(b.bottom, g.areaBottom + 1) << where << " " << op->text;
                    }
                    for (const DeviceRect& o : boxes)
                        EXPECT_FALSE(b.left < o.right && o.left < b.right && b.top < o.bottom && o.top < b.bottom)
                            << where << " " << op->text;
                    boxes.push_back(b);
                }
                // Nothing but the background outside the border.
                int outside = 0;
                for (int y = 0; y < 480; ++y)
                    for (int x = 0; x < 640; ++x)
                        if ((x < g.areaLeft - 2 || x > g.areaRight + 2 || y < g.areaTop - 2 || y > g.areaBottom + 2) &&
                            surface->pixel(x, y) != 0x123456)
                            ++outside;
                EXPECT_EQ(outside, 0) << where;
                EXPECT_GE(texts().size(), 2u) << where;
            }
        }
    }
}

TEST_F(GridDrawTest, PolarGridWithAxesLeavesOutItsLevelAndUprightRays)
{
    doc.grid.paperFlags = PAPER_POLAR | PAPER_AXES | PAPER_GRID_LINES;
    prepare(640, 480, -10, 10);
    drawGridScreen(doc, *surface);
    const GridSetup& g = doc.grid;
    EXPECT_FALSE(surface->opsOfKind(OpKind::Ellipse).empty());
    const DevicePoint o = g.worldToDevice(0, 0);
    int horizontal = 0, vertical = 0;
    for (const Op* op : surface->opsOfKind(OpKind::LineTo)) {
        if (op->pen.colour != colourOf(COLOUR_GRID))
            continue;
        horizontal += op->points[0].y == o.y && op->points[1].y == o.y;
        vertical += op->points[0].x == o.x && op->points[1].x == o.x;
    }
    EXPECT_EQ(horizontal, 0);
    EXPECT_EQ(vertical, 0);

    doc.grid.paperFlags = PAPER_POLAR | PAPER_GRID_LINES;
    prepare(640, 480, -10, 10);
    drawGridScreen(doc, *surface);
    horizontal = 0;
    for (const Op* op : surface->opsOfKind(OpKind::LineTo))
        horizontal += op->pen.colour == colourOf(COLOUR_GRID) && op->points[0].y == o.y && op->points[1].y == o.y;
    EXPECT_EQ(horizontal, 1);
}

TEST_F(GridDrawTest, MonochromeIsBlackOnWhite)
{
    programOptions().colourScheme = BUILTIN_SCHEMES[SCHEME_MONOCHROME];
    doc.grid.paperFlags = PAPER_DEFAULT;
    prepare(320, 240, -5, 5);
    drawGridScreen(doc, *surface);
    const GridSetup& g = doc.grid;
    int white = 0, black = 0, other = 0;
    for (int y = g.areaTop; y <= g.areaBottom; ++y)
        for (int x = g.areaLeft; x <= g.areaRight; ++x) {
            Colour c = surface->pixel(x, y);
            (c == 0xFFFFFF ? white : c == 0 ? black : other)++;
        }
    EXPECT_EQ(other, 0);
    EXPECT_GT(white, black);
    EXPECT_GT(black, 100);
    for (const Op* op : texts())
        EXPECT_EQ(op->colour, 0u) << op->text;
    EXPECT_EQ(surface->liveObjects(), 0);
}

TEST_F(GridDrawTest, LabelsTitleAndAnnotations)
{
    doc.showLabels = true;
    doc.title = "Damped waves";
    doc.leftLabel = "height";
    doc.rightLabel = "";
    doc.annotations.resize(3);
    doc.annotations[0] = {1, 1, "peak"};
    doc.annotations[1] = {-5, -2, "trough"};
    doc.annotationCount = 2;
    prepare(640, 480, -10, 10);
    drawGridScreen(doc, *surface);
    const GridSetup& g = doc.grid;
    bool title = false, left = false;
    for (const Op* op : texts()) {
        if (op->text == "Damped waves") {
            title = true;
            EXPECT_EQ(op->flags, 14u);
            EXPECT_LT(op->points[0].y, g.areaTop);
        }
        if (op->text == "height") {
            left = true;
            EXPECT_EQ(op->font.escapement, 900);
            EXPECT_LT(op->points[0].x, g.areaLeft);
        }
        if (op->text == "peak") {
            EXPECT_EQ(op->points[0], g.worldToDevice(1, 1));
        }
    }
    EXPECT_TRUE(title);
    EXPECT_TRUE(left);

    const DevicePoint peak = g.worldToDevice(1, 1);
    EXPECT_EQ(annotationAt(doc, peak.x + 2, peak.y + 2), 0);
    const DevicePoint trough = g.worldToDevice(-5, -2);
    EXPECT_EQ(annotationAt(doc, trough.x + 6 * doc.fonts[FONT_ANNOTES].averageWidth - 1, trough.y), 1);
    EXPECT_EQ(annotationAt(doc, trough.x + 6 * doc.fonts[FONT_ANNOTES].averageWidth, trough.y), -1);
    EXPECT_EQ(annotationAt(doc, peak.x - 1, peak.y), -1);
}

TEST_F(GridDrawTest, LabelDecimalsFollowTheRange)
{
    prepare(640, 480, -10, 10);
    updateLabelDecimals(doc.grid);
    EXPECT_EQ(doc.grid.xLabelDecimals, 2);  // 20/635 = 0.0315 per unit
    EXPECT_EQ(currentLabelDecimals().x, 2);
    prepare(640, 480, -1e-7, 1e-7);
    updateLabelDecimals(doc.grid);
    EXPECT_EQ(doc.grid.xLabelDecimals, 6);
    EXPECT_EQ(doc.grid.yLabelDecimals, 9);
    prepare(640, 480, -1e6, 1e6);
    updateLabelDecimals(doc.grid);
    EXPECT_EQ(doc.grid.xLabelDecimals, 0);
}

TEST_F(GridDrawTest, TableStepFollowsTheChosenSpacing)
{
    prepare(640, 480, -10, 10);
    GridMetrics m = currentGridMetrics();
    EXPECT_DOUBLE_EQ(tableStep(doc.grid, Axis::X, TABLE_LEGEND_SPACING, 0.3, m), legendInterval(doc.grid, Axis::X, m));
    EXPECT_DOUBLE_EQ(tableStep(doc.grid, Axis::X, TABLE_GRID_SPACING, 0.3, m), gridInterval(doc.grid, Axis::X, m));
    EXPECT_DOUBLE_EQ(tableStep(doc.grid, Axis::X, 0, 0.3, m), 0.3);
    doc.grid.paperFlags = PAPER_LOG_Y | PAPER_DEFAULT;
    prepare(640, 480, -10, 10, 1, 1000);
    EXPECT_NEAR(tableStep(doc.grid, Axis::Y, 0, 100, m), 2, 1e-12);
}

TEST(ColourTest, SchemesAndColourOf)
{
    ColourScheme scheme = BUILTIN_SCHEMES[SCHEME_GRAY];
    EXPECT_EQ(colourOf(scheme, COLOUR_BACK), 0x808080u);
    EXPECT_EQ(colourOf(scheme, COLOUR_GRID), 0x00FF00u);
    EXPECT_EQ(colourOf(scheme, 1 + COLOUR_GRAPH_BASE), 0xFF00FFu);
    EXPECT_EQ(colourOf(scheme, 19), 0x0000FFu);
    EXPECT_EQ(colourOf(scheme, 20), 0x000000u);
    EXPECT_EQ(builtinSchemeOf(scheme), SCHEME_GRAY);
    scheme[12] = 9;
    EXPECT_EQ(builtinSchemeOf(scheme), -1);
    selectBuiltinScheme(scheme, SCHEME_BLACK);
    EXPECT_EQ(builtinSchemeOf(scheme), SCHEME_BLACK);
    scheme[0] = 200;  // a damaged index draws black, never reads beyond the palette
    EXPECT_EQ(colourOf(scheme, COLOUR_BACK), 0u);
}

TEST(ColourTest, XorColourIsWhiteOnBlack)
{
    ProgramOptions saved = programOptions();
    RecordingSurface s(10, 10);
    programOptions().colourScheme = BUILTIN_SCHEMES[SCHEME_BLACK];
    ObjectId pen = xorColour(s);
    EXPECT_EQ(s.opsOfKind(OpKind::CreatePen).back()->colour, 0xFFFFFFu);
    s.setRasterOp(RasterOp::CopyPen);
    s.deleteObject(pen);
    programOptions().colourScheme = BUILTIN_SCHEMES[SCHEME_GRAY];
    xorColour(s);
    EXPECT_EQ(s.opsOfKind(OpKind::CreatePen).back()->colour, 0x808080u);
    programOptions() = saved;
}

}  // namespace
}  // namespace qv
