#include "plot/grid_setup.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/record/recording_ui.h"

namespace qv {
namespace {

GridSetup gridOf(double xMin, double xMax, double yMin, double yMax, int width = 405, int height = 305)
{
    GridSetup g;
    g.layoutGraphArea(width, height, LabelSpace{}, false);
    g.computeSquareRatio(1.0);
    g.xMin = xMin;
    g.xMax = xMax;
    g.yMin = yMin;
    g.yMax = yMax;
    return g;
}

TEST(GridSetup, LayoutSetsAreaClipTicksAndImageSize)
{
    GridSetup g;
    g.layoutGraphArea(640, 480, LabelSpace{}, false);
    EXPECT_EQ(g.areaLeft, 2);
    EXPECT_EQ(g.areaTop, 2);
    EXPECT_EQ(g.areaRight, 637);
    EXPECT_EQ(g.areaBottom, 477);
    EXPECT_EQ(g.tickTargetPx, (12 * 635) / 1024);
    EXPECT_EQ(g.clipRect, (DeviceRect{2, 2, 638, 478}));
    EXPECT_EQ(g.imageWidth, 639);
    EXPECT_EQ(g.imageHeight, 479);

    LabelSpace labels{true, 20, 14, 12, false, true, false};
    g.layoutGraphArea(640, 480, labels, true);
    EXPECT_EQ(g.areaTop, 2 + 25);
    EXPECT_EQ(g.areaLeft, 2 + 17);
    EXPECT_EQ(g.areaRight, 637 - 15);
    EXPECT_EQ(g.tickTargetPx, (13 * (622 - 19)) / 1024);
    EXPECT_EQ(g.imageWidth, (622 - 19 + 4) + 15);       // the empty left label adds nothing
    EXPECT_EQ(g.imageHeight, (477 - 27 + 4) + 25);
}

TEST(GridSetup, MapsEdgesAndRoundsHalfPixels)
{
    GridSetup g = gridOf(-10, 10, -5, 5);
    EXPECT_EQ(g.worldToDevice(10, 5), (DevicePoint{g.areaRight, g.areaTop}));
    EXPECT_EQ(g.worldToDevice(-10, -5), (DevicePoint{g.areaLeft, g.areaBottom}));
    const double pixel = 20.0 / (g.areaRight - g.areaLeft);
    EXPECT_EQ(g.worldToDevice(-10 + 0.5 * pixel, 0).x, g.areaLeft + 1);
    EXPECT_EQ(g.worldToDevice(-10 + 0.49 * pixel, 0).x, g.areaLeft);
    for (int p : {2, 50, 123, 402}) {
        EXPECT_EQ(g.worldToDevice(g.deviceToWorldX(p), 0).x, p);
        EXPECT_EQ(g.worldToDevice(0, g.deviceToWorldY(p > 302 ? 302 : p)).y, p > 302 ? 302 : p);
    }
    // Far outside: offsets beyond 32 bits are clamped; NaN does not crash.
    (void)g.worldToDevice(1e300, -1e300);
    (void)g.worldToDevice(std::nan(""), 0);
}

TEST(GridSetup, LogarithmicYAxis)
{
    GridSetup g = gridOf(0, 10, 1, 1000, 405, 305);
    g.paperFlags = (g.paperFlags & ~PAPER_KIND_MASK) | PAPER_LOG_Y;
    g.refreshLogScale();
    EXPECT_NEAR(g.logYMin, 0, 1e-12);
    EXPECT_NEAR(g.logYSpan, 3, 1e-12);
    const int height = g.areaBottom - g.areaTop;
    EXPECT_EQ(g.worldToDevice(5, 10).y, g.areaBottom - int(height / 3.0 + 0.5));
    EXPECT_EQ(g.worldToDevice(5, 0).y, g.areaBottom);
    EXPECT_EQ(g.worldToDevice(5, -3).y, g.areaBottom);
    EXPECT_NEAR(g.deviceToWorldY(g.areaTop), 1000, 1e-9);
}

TEST(GridSetup, ScaleZoomsAboutTheCentre)
{
    GridSetup g = gridOf(-8, 8, -6, 6);
    ASSERT_TRUE(g.scaleGrid(2));
    EXPECT_DOUBLE_EQ(g.xMin, -4);
    EXPECT_DOUBLE_EQ(g.xMax, 4);
    EXPECT_DOUBLE_EQ(g.yMin, -3);
    EXPECT_DOUBLE_EQ(g.yMax, 3);
    ASSERT_TRUE(g.scaleGrid(-2));
    EXPECT_DOUBLE_EQ(g.xMin, -8);
    EXPECT_DOUBLE_EQ(g.yMax, 6);

    GridSetup h = gridOf(1, 3, 10, 14);
    ASSERT_TRUE(h.scaleGrid(-2));
    ASSERT_TRUE(h.scaleGrid(2));
    EXPECT_NEAR(h.xMin, 1, 1e-12);
    EXPECT_NEAR(h.xMax, 3, 1e-12);
    EXPECT_NEAR(h.yMin, 10, 1e-12);
    EXPECT_NEAR(h.yMax, 14, 1e-12);
}

TEST(GridSetup, ScaleCarriesCustomLegendSpacingAndTableIncrement)
{
    GridSetup g = gridOf(-8, 8, -6, 6);
    g.legendFlags = LEGENDS_ON | LEGENDS_CUSTOM | LEGENDS_SCALE;
    g.xLegendSpacing = 2;
    g.yLegendSpacing = 1;
    double increment = 0.5;
    ASSERT_TRUE(g.scaleGrid(4, &increment));
    EXPECT_DOUBLE_EQ(g.xLegendSpacing, 0.5);
    EXPECT_DOUBLE_EQ(g.yLegendSpacing, 0.25);
    EXPECT_DOUBLE_EQ(increment, 0.125);
    g.legendFlags = LEGENDS_ON | LEGENDS_CUSTOM;  // locked spacing stays
    ASSERT_TRUE(g.scaleGrid(2));
    EXPECT_DOUBLE_EQ(g.xLegendSpacing, 0.5);
}

TEST(GridSetup, ZoomBeyondTheLimitsLeavesTheRangeAndSaysWhy)
{
    ScopedRecordingUserInterface ui;
    GridSetup g = gridOf(-5e99, 5e99, -1, 1);
    EXPECT_FALSE(g.scaleGrid(-2));
    EXPECT_EQ(g.xMin, -5e99);
    EXPECT_EQ(g.xMax, 5e99);
    EXPECT_EQ(g.yMax, 1);
    ASSERT_EQ(ui.ui.shown.size(), 1u);
    EXPECT_EQ(ui.ui.shown[0].text, MSG_ZOOM_LIMIT);

    GridSetup lg = gridOf(1e-98, 10, 1, 10);
    lg.paperFlags = (lg.paperFlags & ~PAPER_KIND_MASK) | PAPER_LOG_Y | PAPER_LOG_X;
    lg.refreshLogScale();
    EXPECT_FALSE(lg.scaleGrid(-10));
    EXPECT_EQ(lg.xMin, 1e-98);
}

TEST(GridSetup, AutoSquareFillsUnsetBounds)
{
    GridSetup g = gridOf(-8, 8, UNSET_BOUND, UNSET_BOUND);
    g.autoSquare();
    EXPECT_DOUBLE_EQ(g.yMax, -g.yMin);
    EXPECT_TRUE(g.isSquare(1.0));

    GridSetup top = gridOf(-8, 8, -1, UNSET_BOUND);
    top.autoSquare();
    EXPECT_DOUBLE_EQ(top.yMax, -1 + 16 * top.squareRatio);

    GridSetup left = gridOf(UNSET_BOUND, 8, -3, 3);
    left.autoSquare();
    EXPECT_DOUBLE_EQ(left.xMin, 8 - 6 / left.squareRatio);
    EXPECT_TRUE(left.isSquare(1.0));

    GridSetup noRight = gridOf(-2, UNSET_BOUND, UNSET_BOUND, UNSET_BOUND);
    noRight.autoSquare();
    EXPECT_EQ(noRight.xMin, -8);
    EXPECT_EQ(noRight.xMax, 8);
    EXPECT_TRUE(std::isfinite(noRight.yMin) && std::isfinite(noRight.yMax) && noRight.yMin < noRight.yMax);

    GridSetup logPaper = gridOf(-8, 8, UNSET_BOUND, UNSET_BOUND);
    logPaper.paperFlags = (logPaper.paperFlags & ~PAPER_KIND_MASK) | PAPER_LOG_Y;
    logPaper.autoSquare();
    EXPECT_NEAR(std::log10(logPaper.yMax), -std::log10(logPaper.yMin), 1e-9);
}

TEST(GridSetup, CompleteSquareComputesEachBound)
{
    GridSetup g = gridOf(0, 10, 0, 10);
    g.squareRatio = 0.5;
    g.completeSquare(1);
    EXPECT_DOUBLE_EQ(g.yMax, 5);
    g.completeSquare(2);
    EXPECT_DOUBLE_EQ(g.xMin, 0);
    g.yMax = 6;
    g.completeSquare(4);
    EXPECT_DOUBLE_EQ(g.xMax, 12);
    g.completeSquare(3);
    EXPECT_DOUBLE_EQ(g.yMin, 0);
}

TEST(GridSetup, CheckLogRangeFallsBackToRectangularPaperOnCancel)
{
    ScopedRecordingUserInterface ui;
    GridSetup g = gridOf(-8, 8, -2, 100);
    g.paperFlags = (PAPER_DEFAULT & ~PAPER_KIND_MASK) | PAPER_LOG_Y;
    g.checkLogRange();
    EXPECT_EQ(g.paperFlags, PAPER_DEFAULT);
    ASSERT_EQ(ui.ui.shown.size(), 1u);
    EXPECT_EQ(ui.ui.shown[0].text, MSG_LOG_RANGE);

    GridSetup fixed = gridOf(-8, 8, -2, 100);
    fixed.paperFlags = (PAPER_DEFAULT & ~PAPER_KIND_MASK) | PAPER_LOG_Y;
    fixed.checkLogRange([](GridSetup& grid) {
        grid.yMin = 0.1;
        return true;
    });
    EXPECT_TRUE(fixed.logY());
    EXPECT_NEAR(fixed.logYMin, -1, 1e-12);
    EXPECT_NEAR(fixed.logYSpan, 3, 1e-12);
}

TEST(GridSetup, SelectionZooms)
{
    GridSetup g = gridOf(-10, 10, -10, 10, 405, 405);
    g.selection = {g.areaLeft, g.areaTop, (g.areaLeft + g.areaRight) / 2, (g.areaTop + g.areaBottom) / 2};
    ASSERT_TRUE(g.zoomToSelection());
    EXPECT_NEAR(g.xMin, -10, 1e-9);
    EXPECT_NEAR(g.xMax, 0, 1e-9);
    EXPECT_NEAR(g.yMin, 0, 1e-9);
    EXPECT_NEAR(g.yMax, 10, 1e-9);

    GridSetup h = gridOf(-10, 10, -10, 10, 405, 405);
    h.selection = {150, 150, 250, 250};
    const double centreX = h.deviceToWorldX(200), centreY = h.deviceToWorldY(200);
    ASSERT_TRUE(h.zoomOutFromSelection(2));
    EXPECT_NEAR((h.xMin + h.xMax) / 2, centreX, 1e-9);
    EXPECT_NEAR((h.yMin + h.yMax) / 2, centreY, 1e-9);
    EXPECT_NEAR(h.xMax - h.xMin, 40, 1e-9);
    h.selection = {150, 150, 150, 250};
    EXPECT_FALSE(h.zoomOutFromSelection(2));
    h.selection = {150, 150, 250, 150};
    EXPECT_FALSE(h.zoomOutFromSelection(2));
    const double before = h.xMin;
    EXPECT_FALSE(h.zoomToSelection());
    EXPECT_EQ(h.xMin, before);
}

TEST(GridSetup, ResetAndAdoptLogPaper)
{
    GridSetup defaults = gridOf(-1, 2, UNSET_BOUND, UNSET_BOUND);
    GridSetup g = gridOf(0, 1, 0, 1);
    g.paperFlags = (g.paperFlags & ~PAPER_KIND_MASK) | PAPER_LOG_Y | PAPER_LOG_X;
    g.resetToDefaultRange(defaults);
    EXPECT_NEAR(g.xMin, 0.1, 1e-12);  // the default bounds are read as exponents
    EXPECT_NEAR(g.xMax, 100, 1e-9);
    EXPECT_GT(g.yMin, 0);
    EXPECT_NEAR(std::log10(g.yMin), -std::log10(g.yMax), 1e-9);

    GridSetup r = gridOf(-8, 8, -6, 6);
    const std::uint16_t before = r.paperFlags;
    r.paperFlags = (r.paperFlags & ~PAPER_KIND_MASK) | PAPER_LOG_Y | PAPER_LOG_X;
    std::uint16_t pending = r.adoptLogPaper(before);
    EXPECT_TRUE(pending & PENDING_REGRID);
    EXPECT_NEAR(r.xMin, std::pow(10.0, std::log10(8.0) - 4), 1e-15);
    EXPECT_GT(r.yMin, 0);
    EXPECT_TRUE(r.logX() && r.logY());

    ScopedRecordingUserInterface ui;
    GridSetup neg = gridOf(-8, -1, -6, 6);  // no positive x at all: cannot be repaired
    const std::uint16_t negBefore = neg.paperFlags;
    neg.paperFlags = (neg.paperFlags & ~PAPER_KIND_MASK) | PAPER_LOG_Y | PAPER_LOG_X;
    neg.adoptLogPaper(negBefore);
    EXPECT_EQ(neg.paperFlags, negBefore);
    ASSERT_FALSE(ui.ui.shown.empty());
    EXPECT_EQ(ui.ui.shown[0].text, MSG_LOG_RANGE);
}

TEST(GridSetup, ResizeKeepsASquareGridSquare)
{
    GridSetup g = gridOf(-8, 8, -6, 6, 405, 305);
    g.autoSquare();
    const double oldRatio = g.squareRatio;
    g.yMin = -6;
    g.yMax = 6;
    g.adjustForResize(oldRatio, 405, 405, LabelSpace{}, false, 1.0, true);
    EXPECT_NEAR((g.yMin + g.yMax) / 2, 0, 1e-12);
    EXPECT_NEAR(g.yMax - g.yMin, 12 * g.squareRatio / oldRatio, 1e-9);

    GridSetup off = gridOf(-8, 8, -6, 6, 405, 305);
    off.adjustForResize(off.squareRatio, 405, 405, LabelSpace{}, false, 1.0, false);
    EXPECT_EQ(off.yMax, 6);
}

}  // namespace
}  // namespace qv
