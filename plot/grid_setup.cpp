#include "plot/grid_setup.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "platform/ui.h"

namespace qv {

namespace {

constexpr double kDeviceOffsetLimit = 2147483647.0;

// Device offset of a fraction of the area's extent: clamped to 32 bits, rounded half up, truncated.
std::int64_t deviceOffset(double fraction, int extent)
{
    double d = fraction * extent;
    if (std::isnan(d))
        return 0;  // not representable; callers keep such points out of drawing
    if (d < -kDeviceOffsetLimit)
        d = -kDeviceOffsetLimit;
    else if (d > kDeviceOffsetLimit)
        d = kDeviceOffsetLimit;
    else
        d += 0.5;
    return static_cast<std::int64_t>(d);
}

std::int16_t low16(std::int64_t v) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFF)); }

bool isUnset(double v) { return v == UNSET_BOUND; }

}  // namespace

double GridSetup::logOfX(double v) const { return v > 0 ? std::log(v) / lnBase : logXMin; }

double GridSetup::logOfY(double v) const { return v > 0 ? std::log(v) / lnBase : logYMin; }

DevicePoint GridSetup::worldToDevice(double x, double y) const
{
    double fx = logX() ? (logOfX(x) - logXMin) / logXSpan : (x - xMin) / (xMax - xMin);
    double fy = logY() ? (logOfY(y) - logYMin) / logYSpan : (y - yMin) / (yMax - yMin);
    std::int64_t dx = deviceOffset(fx, areaRight - areaLeft);
    std::int64_t dy = deviceOffset(fy, areaBottom - areaTop);
    return DevicePoint{low16(areaLeft + dx), low16(areaBottom - dy)};
}

double GridSetup::deviceToWorldX(int p) const
{
    const double span = areaRight - areaLeft;
    if (logX())
        return std::exp(((p - areaLeft) * logXSpan / span + logXMin) * lnBase);
    return xMin + (p - areaLeft) * (xMax - xMin) / span;
}

double GridSetup::deviceToWorldY(int p) const
{
    const double span = areaBottom - areaTop;
    if (logY())
        return std::exp(((areaBottom - p) * logYSpan / span + logYMin) * lnBase);
    return yMin + (areaBottom - p) * (yMax - yMin) / span;
}

void GridSetup::refreshLogScale()
{
    lnBase = std::log(logBase);
    if (yMin > 0) {
        logYMin = std::log(yMin) / lnBase;
        logYSpan = std::log(yMax) / lnBase - std::log(yMin) / lnBase;
    }
    if (logX() && xMin > 0) {
        logXMin = std::log(xMin) / lnBase;
        logXSpan = std::log(xMax) / lnBase - std::log(xMin) / lnBase;
    }
}

void GridSetup::checkLogRange(const GridRangeDialog& dialog)
{
    if ((logY() && !(yMin > LOG_MINIMUM)) || (logX() && !(xMin > LOG_MINIMUM))) {
        userInterface().messageBox(MSG_LOG_RANGE);
        bool accepted = dialog && dialog(*this);
        // A dialog that returns with the minimum still out of range counts as a cancel: the paper
        // must not stay logarithmic over values it cannot show.
        if (!accepted || (logY() && !(yMin > LOG_MINIMUM)) || (logX() && !(xMin > LOG_MINIMUM)))
            paperFlags = static_cast<std::uint16_t>((paperFlags & ~PAPER_KIND_MASK) | PAPER_RECTANGULAR);
    }
    if (logX() || logY())
        refreshLogScale();
}

void GridSetup::normaliseRanges()
{
    if (xMin > xMax)
        std::swap(xMin, xMax);
    if (yMin > yMax)
        std::swap(yMin, yMax);
    if (tstart > tstop)
        std::swap(tstart, tstop);
}

void GridSetup::computeSquareRatio(double pixelAspect)
{
    squareRatio = double(areaBottom - areaTop + 1) / double(areaRight - areaLeft + 1) * pixelAspect;
}

bool GridSetup::isSquare(double pixelAspect) const
{
    double r = double(areaRight - areaLeft + 1) * (yMax - yMin) / (double(areaBottom - areaTop + 1) * (xMax - xMin));
    return !(std::fabs(r - pixelAspect) > 0.01);
}

void GridSetup::completeSquare(int mode)
{
    const double w = logX() ? logXSpan : xMax - xMin;
    switch (mode) {
    case 1:
        yMax = logY() ? std::exp((logOfY(yMin) + w * squareRatio) * lnBase) : yMin + (xMax - xMin) * squareRatio;
        break;
    case 2:
        xMin = xMax - (yMax - yMin) / squareRatio;
        break;
    case 3:
        yMin = logY() ? std::exp((logOfY(yMax) - w * squareRatio) * lnBase) : yMax - (xMax - xMin) * squareRatio;
        break;
    case 4:
        xMax = xMin + (yMax - yMin) / squareRatio;
        break;
    default:
        break;
    }
}

void GridSetup::autoSquare()
{
    // Squaring needs a known x range when the whole y range is automatic; without one the x axis
    // takes the standard range first.
    if (isUnset(yMin) && isUnset(yMax) && (isUnset(xMin) || isUnset(xMax))) {
        xMin = logX() ? std::exp(-lnBase) : -8;
        xMax = logX() ? std::exp(2 * lnBase) : 8;
        if (logX())
            refreshLogScale();
    }
    if (isUnset(yMin) && isUnset(yMax)) {
        const double w = logX() ? logXSpan : xMax - xMin;
        const double h = w * squareRatio * 0.5;
        if (logY()) {
            yMin = std::exp(-h * lnBase);
            yMax = std::exp(h * lnBase);
        } else {
            yMax = h;
            yMin = -h;
        }
    } else if (isUnset(yMin)) {
        completeSquare(3);
    } else if (isUnset(yMax)) {
        completeSquare(1);
    } else if (isUnset(xMin)) {
        completeSquare(2);
    } else if (isUnset(xMax)) {
        completeSquare(4);
    }
    normaliseRanges();
}

bool GridSetup::scaleGrid(double f, double* tableIncrement)
{
    const double saved[4] = {xMin, xMax, yMin, yMax};
    if (f < -1)
        f = -1 / f;
    const double b = f - 1;
    if (logX()) {
        const double c = std::exp(lnBase * logXSpan * b * 0.5 / f);
        xMin *= c;
        xMax /= c;
    } else {
        const double c = b * (xMax - xMin) * 0.5 / f;
        xMin += c;
        xMax -= c;
    }
    if (logY()) {
        const double c = std::exp(lnBase * logYSpan * b * 0.5 / f);
        yMin *= c;
        yMax /= c;
    } else {
        const double c = b * (yMax - yMin) * 0.5 / f;
        yMin += c;
        yMax -= c;
    }
    // The negated comparisons also refuse a range that became NaN or collapsed to nothing.
    const bool outOfRange = (logX() && xMin < LOG_MINIMUM) || xMin < -BOUND_LIMIT || xMax > BOUND_LIMIT ||
                            (logY() && yMin < LOG_MINIMUM) || yMin < -BOUND_LIMIT || yMax > BOUND_LIMIT ||
                            !(xMin < xMax) || !(yMin < yMax);
    if (outOfRange) {
        xMin = saved[0];
        xMax = saved[1];
        yMin = saved[2];
        yMax = saved[3];
        userInterface().messageBox(MSG_ZOOM_LIMIT);
        return false;
    }
    if ((legendFlags & LEGENDS_SCALE) != 0) {
        xLegendSpacing /= f;
        yLegendSpacing /= f;
    }
    if (tableIncrement)
        *tableIncrement /= f;
    if (logX() || logY())
        refreshLogScale();
    return true;
}

bool GridSetup::zoomToSelection()
{
    if (selection.degenerate())
        return false;  // a selection without width or height would collapse the range
    const double left = deviceToWorldX(selection.left), right = deviceToWorldX(selection.right);
    const double top = deviceToWorldY(selection.top), bottom = deviceToWorldY(selection.bottom);
    xMin = left;
    xMax = right;
    yMax = top;
    yMin = bottom;
    normaliseRanges();
    if (logX() || logY())
        refreshLogScale();
    return true;
}

bool GridSetup::zoomOutFromSelection(double defaultScale, double* tableIncrement)
{
    if (selection.degenerate())
        return false;  // a selection without width or height gives no aspect to zoom out with
    const int width = selection.right - selection.left;
    const int e = (areaRight - areaLeft) / 2;
    const int cx = (selection.left + selection.right) / 2;
    const int cy = (selection.top + selection.bottom) / 2;
    const int f = std::abs(int((std::int64_t(selection.bottom - selection.top) * e) / width));
    const double newXMin = deviceToWorldX(cx - e), newXMax = deviceToWorldX(cx + e);
    const double newYMin = deviceToWorldY(cy + f), newYMax = deviceToWorldY(cy - f);
    xMin = newXMin;
    xMax = newXMax;
    yMin = newYMin;
    yMax = newYMax;
    if (logX() || logY())
        refreshLogScale();
    return scaleGrid(-defaultScale, tableIncrement);
}

void GridSetup::resetToDefaultRange(const GridSetup& d)
{
    if (logX()) {
        xMin = std::exp(d.xMin * lnBase);
        xMax = std::exp(d.xMax * lnBase);
    } else {
        xMin = d.xMin;
        xMax = d.xMax;
    }
    if (logY()) {
        yMin = isUnset(d.yMin) ? UNSET_BOUND : std::exp(d.yMin * lnBase);
        yMax = isUnset(d.yMax) ? UNSET_BOUND : std::exp(d.yMax * lnBase);
    } else {
        yMin = d.yMin;
        yMax = d.yMax;
    }
    if (logX() || logY())
        refreshLogScale();
    autoSquare();
    if (logX() || logY())
        refreshLogScale();
}

std::uint16_t GridSetup::adoptLogPaper(std::uint16_t previousFlags, const GridRangeDialog& dialog)
{
    std::uint16_t pending = 0;
    if (logX() && xMin <= 0 && xMax > 0) {
        const double l = std::log(xMax) / lnBase;
        xMin = xMax > 10 ? std::pow(logBase, -l) : std::pow(logBase, l - 4);
        refreshLogScale();
        pending |= PENDING_REGRID;
    }
    if (logY() && yMin <= 0 && yMax > 0) {
        refreshLogScale();
        completeSquare(3);
        pending |= PENDING_REGRID;
    }
    if ((logY() && yMin <= 0) || (logX() && xMin <= 0)) {
        userInterface().messageBox(MSG_LOG_RANGE);
        bool accepted = dialog && dialog(*this);
        if (!accepted || (logY() && !(yMin > 0)) || (logX() && !(xMin > 0)))
            paperFlags = previousFlags;
    }
    if (logX() || logY())
        refreshLogScale();
    if (paperFlags != previousFlags) {
        const bool logInvolved = ((paperFlags | previousFlags) & PAPER_LOG_Y) != 0;
        pending |= logInvolved ? PENDING_REGRID : PENDING_REPAINT;
    }
    return pending;
}

void GridSetup::layoutGraphArea(int width, int height, const LabelSpace& labels, bool smallScreen)
{
    int left = 2, top = 2, right = width - 3, bottom = height - 3;
    labelGapH = 3;
    labelGapV = 5;
    if (labels.shown) {
        top += labels.titleFontHeight + 5;
        left += labels.leftFontHeight + 3;
        right -= labels.rightFontHeight + 3;
    }
    areaLeft = static_cast<std::int16_t>(left);
    areaTop = static_cast<std::int16_t>(top);
    areaRight = static_cast<std::int16_t>(right);
    areaBottom = static_cast<std::int16_t>(bottom);
    const int k = smallScreen ? 13 : 12;
    tickTargetPx = static_cast<std::int16_t>((k * (areaRight - areaLeft)) / 1024);
    clipRect = DeviceRect{areaLeft, areaTop, areaRight + 1, areaBottom + 1};
    int w = areaRight - areaLeft + 4, h = areaBottom - areaTop + 4;
    if (labels.shown) {
        if (!labels.titleEmpty)
            h += labels.titleFontHeight + 5;
        if (!labels.leftEmpty)
            w += labels.leftFontHeight + 3;
        if (!labels.rightEmpty)
            w += labels.rightFontHeight + 3;
    }
    imageWidth = static_cast<std::int16_t>(w);
    imageHeight = static_cast<std::int16_t>(h);
}

void GridSetup::adjustForResize(double oldRatio, int width, int height, const LabelSpace& labels, bool smallScreen,
                                double pixelAspect, bool autosquare)
{
    layoutGraphArea(width, height, labels, smallScreen);
    computeSquareRatio(pixelAspect);
    if (!autosquare || isUnset(yMin) || isUnset(yMax) || !(oldRatio > 0))
        return;
    const double factor = squareRatio / oldRatio;
    if (logY()) {
        const double lo = logOfY(yMin), hi = logOfY(yMax);
        const double centre = (lo + hi) / 2, half = (hi - lo) / 2 * factor;
        yMin = std::exp((centre - half) * lnBase);
        yMax = std::exp((centre + half) * lnBase);
        refreshLogScale();
    } else {
        const double centre = (yMin + yMax) / 2, half = (yMax - yMin) / 2 * factor;
        yMin = centre - half;
        yMax = centre + half;
    }
}

}  // namespace qv
