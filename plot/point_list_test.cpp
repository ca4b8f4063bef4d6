#include "plot/point_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "doc/graph_doc.h"
#include "platform/record/recording_surface.h"
#include "platform/record/recording_ui.h"
#include "plot/colours.h"

namespace qv {
namespace {

GridSetup areaGrid()
{
    GridSetup g;
    g.paperFlags = PAPER_DEFAULT;
    g.xMin = -10;
    g.xMax = 10;
    g.yMin = -10;
    g.yMax = 10;
    g.areaLeft = 2;
    g.areaTop = 2;
    g.areaRight = 400;
    g.areaBottom = 400;
    g.clipRect = {2, 2, 401, 401};
    return g;
}

std::vector<DevicePoint> entries(const PointList& list)
{
    std::vector<DevicePoint> out;
    for (int i = 0; i < list.count(); ++i)
        out.push_back(list.entry(std::size_t(i)));
    return out;
}

class PointListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetPointList(list, WORK_LIST_ENTRIES);
        curveOutput() = CurveOutput{};
        programOptions().colourScheme = BUILTIN_SCHEMES[SCHEME_GRAY];
    }
    void TearDown() override { curveOutput() = CurveOutput{}; }
    GridSetup g = areaGrid();
    PointList& list = workPointList();
};

TEST_F(PointListTest, ResetFillsEndMarkers)
{
    appendPoint(g, 10, 10, list);
    resetPointList(list, 5);
    EXPECT_EQ(list.count(), 0);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(list.entry(std::size_t(i)), POINT_END);
}

TEST_F(PointListTest, AppendFiltersAndClips)
{
    struct Case {
        const char* what;
        std::vector<DevicePoint> appended;
        std::vector<DevicePoint> stored;
    };
    const std::vector<Case> cases = {
        {"a repeated point is stored once", {{100, 50}, {100, 50}}, {{100, 50}}},
        {"points above the top collapse to one edge point", {{100, -40}, {101, -80}, {102, -120}}, {{100, 1}}},
        {"leaving through the bottom is cut at the edge row", {{200, 380}, {210, 420}}, {{200, 380}, {205, 401}}},
        {"leaving through the top", {{100, 10}, {110, -10}}, {{100, 10}, {104, 1}}},
        {"left of the area only x moves", {{100, 100}, {-50, 120}}, {{100, 100}, {1, 120}}},
        {"right of the area follows the segment", {{390, 100}, {420, 130}}, {{390, 100}, {401, 111}}},
        {"a stretch below stays two edge points", {{100, 390}, {110, 410}, {120, 430}, {130, 450}}, {{100, 390}, {105, 401}}},
        {"a break after the start is dropped", {POINT_BREAK, {5, 5}}, {{5, 5}}},
        {"an end after a break replaces it", {{5, 5}, POINT_BREAK, POINT_END}, {{5, 5}, POINT_END}},
        {"two breaks are one", {{5, 5}, POINT_BREAK, POINT_BREAK, {6, 6}}, {{5, 5}, POINT_BREAK, {6, 6}}},
        {"after a break only the row moves", {{5, 5}, POINT_BREAK, {50, 900}}, {{5, 5}, POINT_BREAK, {50, 401}}},
    };
    for (const Case& c : cases) {
        resetPointList(list, WORK_LIST_ENTRIES);
        for (DevicePoint p : c.appended)
            appendPoint(g, p, list);
        EXPECT_EQ(entries(list), c.stored) << c.what;
    }
}

TEST_F(PointListTest, AppendBeyondTheLimitOverwritesTheLastEntry)
{
    for (int i = 0; i < APPEND_LIMIT; ++i)
        appendPoint(g, 2 + i % 300, 2 + (i / 300), list);
    ASSERT_EQ(list.count(), APPEND_LIMIT);
    EXPECT_EQ(appendPoint(g, 333, 333, list), APPEND_LIMIT);
    EXPECT_EQ(appendPoint(g, 334, 335, list), APPEND_LIMIT);
    EXPECT_EQ(list.entry(APPEND_LIMIT - 1), (DevicePoint{334, 335}));
    EXPECT_EQ(list.entry(APPEND_LIMIT - 2), (DevicePoint{2 + (APPEND_LIMIT - 2) % 300, 2 + (APPEND_LIMIT - 2) / 300}));
}

TEST_F(PointListTest, FarPointsDoNotWrapAround)
{
    // 1e7 world units off a 20-unit range is far beyond 16 bits of device units.
    moveToPoint(g, 0, 0, list, false);
    lineToPoint(g, 0, 1e7, list, false);
    lineToPoint(g, 0, -1e7, list, false);
    EXPECT_EQ(entries(list), (std::vector<DevicePoint>{{201, 201}, {201, 1}, {201, 401}}));
}

TEST_F(PointListTest, FetchAppliesTheRenderOffsetAndRefusesBeyondTheCount)
{
    ScopedRecordingUserInterface ui;
    appendPoint(g, 50, 60, list);
    appendPoint(g, POINT_BREAK, list);
    curveOutput().renderOffsetX = 10;
    curveOutput().renderOffsetY = -5;
    EXPECT_EQ(fetchPoint(list, 0), (DevicePoint{40, 65}));
    EXPECT_EQ(fetchPoint(list, 1), POINT_BREAK);
    EXPECT_TRUE(ui.ui.shown.empty());
    EXPECT_EQ(fetchPoint(list, 3), POINT_END);
    ASSERT_EQ(ui.ui.shown.size(), 1u);
    EXPECT_EQ(ui.ui.shown[0].text, "Bad pointlist fetch");
}

TEST_F(PointListTest, InsertShiftsAndRefusesBadIndices)
{
    ScopedRecordingUserInterface ui;
    appendPoint(g, 10, 10, list);
    appendPoint(g, 30, 30, list);
    EXPECT_TRUE(insertPoint(list, 1, 20, 20));
    EXPECT_EQ(entries(list), (std::vector<DevicePoint>{{10, 10}, {20, 20}, {30, 30}}));
    EXPECT_FALSE(insertPoint(list, 5, 1, 1));
    EXPECT_EQ(list.count(), 3);
    ASSERT_EQ(ui.ui.shown.size(), 1u);
    EXPECT_EQ(ui.ui.shown[0].text, "Bad pointlist shift");
}

TEST_F(PointListTest, ReverseRun)
{
    auto make = [&](std::vector<DevicePoint> pts) {
        resetPointList(list, WORK_LIST_ENTRIES);
        for (std::size_t i = 0; i < pts.size(); ++i)
            list.setEntry(i, pts[i]);
        list.setCount(std::uint16_t(pts.size()));
    };
    make({{1, 1}, {2, 2}});
    reverseRun(list, false);
    EXPECT_EQ(entries(list), (std::vector<DevicePoint>{{2, 2}, {1, 1}}));

    make({{1, 1}, {2, 2}, POINT_BREAK, {3, 3}, {4, 4}, {5, 5}});
    reverseRun(list, false);
    EXPECT_EQ(entries(list), (std::vector<DevicePoint>{{1, 1}, {2, 2}, POINT_BREAK, {5, 5}, {4, 4}, {3, 3}}));

    make({{1, 1}, {2, 2}, {3, 3}, POINT_BREAK});
    reverseRun(list, false);
    EXPECT_EQ(entries(list), (std::vector<DevicePoint>{{1, 1}, {2, 2}, {3, 3}, POINT_BREAK}));
    reverseRun(list, true);
    EXPECT_EQ(entries(list), (std::vector<DevicePoint>{{3, 3}, {2, 2}, {1, 1}}));
}

TEST_F(PointListTest, MoveToTheLastPointAddsNothing)
{
    moveToPoint(g, 0, 0, list, false);
    lineToPoint(g, 1, 1, list, false);
    const int n = list.count();
    EXPECT_EQ(moveToPoint(g, 1, 1, list, false), n);
    EXPECT_EQ(moveToPoint(g, 2, 2, list, false), n + 2);
    EXPECT_EQ(list.entry(std::size_t(n)), POINT_BREAK);
}

TEST_F(PointListTest, LineOrMoveJoinsOnlyNearPoints)
{
    RecordingSurface s(420, 420);
    curveOutput().surface = &s;
    moveToPoint(g, 0, 0, list, true);             // (201, 201)
    lineOrMoveToPoint(g, 0.2, 0.2, list, true);   // 4 + 4 units away: a line
    lineOrMoveToPoint(g, 5, 5, list, true);       // far: a move after a break
    EXPECT_EQ(entries(list), (std::vector<DevicePoint>{{201, 201}, {205, 197}, POINT_BREAK, {301, 101}}));
    EXPECT_EQ(s.opsOfKind(RecordingSurface::OpKind::LineTo).size(), 1u);
    EXPECT_EQ(s.opsOfKind(RecordingSurface::OpKind::MoveTo).size(), 2u);
}

TEST_F(PointListTest, CopyAndJoinThroughTheBlockStore)
{
    for (DevicePoint p : std::vector<DevicePoint>{{10, 10}, {20, 20}, POINT_END})
        appendPoint(g, p, list);
    PointBlock* a = copyPointList(list, list.count());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->size, blockBytes(3));
    resetPointList(list, WORK_LIST_ENTRIES);
    for (DevicePoint p : std::vector<DevicePoint>{{30, 30}, {40, 40}, POINT_END})
        appendPoint(g, p, list);
    ASSERT_EQ(joinPointLists(a, list, 5), a);
    {
        LockedPointList stored(a);
        ASSERT_TRUE(stored.valid());
        EXPECT_EQ(entries(stored.list), (std::vector<DevicePoint>{{10, 10}, {20, 20}, {POINT_BREAK_X, 5}, {30, 30},
                                                                  {40, 40}, POINT_END}));
    }
    EXPECT_EQ(freeBlock(a), nullptr);
}

TEST_F(PointListTest, CopyFailsWhenMemoryIsShort)
{
    const std::size_t limit = blockMemoryLimit();
    setBlockMemoryLimit(blockMemoryInUse() + 10);
    appendPoint(g, 10, 10, list);
    EXPECT_EQ(copyPointList(list, 100), nullptr);
    setBlockMemoryLimit(limit);
}

TEST_F(PointListTest, DrawPointListChangesPenAtAJoinAndPaintsRunEnds)
{
    RecordingSurface s(420, 420, 0xFFFFFF);
    curveOutput().surface = &s;
    std::vector<DevicePoint> pts = {{10, 10}, {50, 10}, {POINT_BREAK_X, 5}, {10, 30}, {50, 30}, POINT_END};
    for (std::size_t i = 0; i < pts.size(); ++i)
        list.setEntry(i, pts[i]);
    list.setCount(std::uint16_t(pts.size()));
    drawPointList(list, 0x0100, 3, false, 0xFFFFFF);

    const auto pens = s.opsOfKind(RecordingSurface::OpKind::CreatePen);
    ASSERT_EQ(pens.size(), 2u);
    EXPECT_EQ(pens[0]->colour, graphColour(3));
    EXPECT_EQ(pens[1]->colour, graphColour(5));
    const auto polylines = s.opsOfKind(RecordingSurface::OpKind::Polyline);
    ASSERT_EQ(polylines.size(), 2u);
    EXPECT_EQ(polylines[0]->pen.colour, graphColour(3));
    EXPECT_EQ(polylines[1]->pen.colour, graphColour(5));
    // Polyline leaves each run's end point; it is painted afterwards.
    EXPECT_EQ(s.pixel(50, 10), graphColour(3));
    EXPECT_EQ(s.pixel(50, 30), graphColour(5));
    EXPECT_EQ(s.liveObjects(), 0);
    EXPECT_EQ(curveOutput().curvePen, 0u);
}

TEST_F(PointListTest, DrawPointListChunksLongRunsThatShareTheirJoints)
{
    RecordingSurface s(420, 420);
    curveOutput().surface = &s;
    for (int i = 0; i < 250; ++i)
        appendPoint(g, 10 + i, 100 + (i % 2), list);
    appendPoint(g, POINT_END, list);
    drawPointList(list, 0x0100, 1, false, 0xFFFFFF);
    const auto polylines = s.opsOfKind(RecordingSurface::OpKind::Polyline);
    ASSERT_EQ(polylines.size(), 3u);
    EXPECT_EQ(polylines[0]->points.size(), 100u);
    EXPECT_EQ(polylines[1]->points.front(), polylines[0]->points.back());
    EXPECT_EQ(polylines[2]->points.back(), (DevicePoint{259, 101}));
}

TEST_F(PointListTest, DottedCurveGetsAnUnderPenAndPointGraphsGetDots)
{
    RecordingSurface s(420, 420);
    curveOutput().surface = &s;
    for (DevicePoint p : std::vector<DevicePoint>{{10, 10}, {60, 10}, POINT_END})
        appendPoint(g, p, list);
    drawPointList(list, 0x0100, -2, false, 0x808080);
    const auto polylines = s.opsOfKind(RecordingSurface::OpKind::Polyline);
    ASSERT_EQ(polylines.size(), 2u);
    EXPECT_EQ(polylines[0]->pen.width, 3);
    EXPECT_EQ(polylines[0]->pen.colour, 0x808080u);
    EXPECT_EQ(polylines[1]->pen.style, PenStyle::Dot);

    RecordingSurface dots(420, 420);
    curveOutput().surface = &dots;
    drawPointList(list, POINT_GRAPH_KIND, 1, false, 0xFFFFFF);
    EXPECT_TRUE(dots.opsOfKind(RecordingSurface::OpKind::Polyline).empty());
    // A plus of five pixels on a screen-sized symbol.
    EXPECT_EQ(dots.opsOfKind(RecordingSurface::OpKind::SetPixel).size(), 10u);
    EXPECT_EQ(dots.pixel(61, 10), graphColour(1));
}

TEST_F(PointListTest, FatDotIsADiamondForLargeSymbols)
{
    RecordingSurface s(100, 100);
    curveOutput().surface = &s;
    curveOutput().symbolSizeX = 65;  // a = (65 + 8)/16 - 1 = 3
    curveOutput().symbolSizeY = 40;  // b = 2
    drawFatDot(50, 50);
    const auto polys = s.opsOfKind(RecordingSurface::OpKind::Polygon);
    ASSERT_EQ(polys.size(), 1u);
    EXPECT_EQ(polys[0]->points, (std::vector<DevicePoint>{{47, 50}, {50, 52}, {53, 50}, {50, 48}}));
}

TEST_F(PointListTest, PenFailureIsReported)
{
    class NoPens : public RecordingSurface {
    public:
        NoPens() : RecordingSurface(10, 10) {}
        ObjectId createPen(PenStyle, int, Colour) override { return 0; }
    } s;
    ScopedRecordingUserInterface ui;
    curveOutput().surface = &s;
    EXPECT_FALSE(selectCurvePen(1, false));
    ASSERT_EQ(ui.ui.shown.size(), 1u);
    EXPECT_EQ(ui.ui.shown[0].text, "Can't get color");
}

TEST(PolygonSetTest, PolygonsCloseGrowAndBound)
{
    GridSetup g = areaGrid();
    PolygonSet set;
    ASSERT_TRUE(newPolygonSet(set, 2));
    EXPECT_EQ(set.pointCapacity, 32);
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(addPolygonPoint(set, 100 + i, 200 - i), i + 1);
    EXPECT_EQ(closePolygon(set), 1);
    EXPECT_EQ(set.polygonSizes[0], 41);
    EXPECT_EQ(polygonPoint(set, 40), (PolygonPoint{100, 200}));
    addPolygonPoint(set, 10, 20);
    EXPECT_EQ(currentPolygonStart(set), (PolygonPoint{10, 20}));
    addPolygonPoint(set, 30, 20);
    addPolygonPoint(set, 30, 40);
    EXPECT_EQ(closePolygon(set), 2);
    EXPECT_EQ(polygonSetBounds(set, g), (DeviceRect{10, 20, 140, 201}));

    RecordingSurface s(420, 420);
    curveOutput().surface = &s;
    fillPolygonSet(set, 2);
    const auto ops = s.opsOfKind(RecordingSurface::OpKind::PolyPolygon);
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0]->counts, (std::vector<int>{41, 4}));
    EXPECT_EQ(ops[0]->pen.style, PenStyle::Null);
    fillPolygonSet(set, 7);
    EXPECT_EQ(s.opsOfKind(RecordingSurface::OpKind::PolyPolygon).size(), 1u);
    curveOutput() = CurveOutput{};
    freePolygonSet(set);
    EXPECT_EQ(set.points, nullptr);
}

}  // namespace
}  // namespace qv
