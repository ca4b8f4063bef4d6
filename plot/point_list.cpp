#include "plot/point_list.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/ui.h"
#include "plot/colours.h"

namespace qv {

namespace {

constexpr std::size_t HEADER_BYTES = 2;
constexpr std::size_t ENTRY_BYTES = 4;

PlotSurface* surface() { return curveOutput().surface; }

DevicePoint rawEntry(const PointList& list, int i) { return list.entry(std::size_t(i)); }

// The device offset of a world coordinate along an axis of extent device units, held within
// PLAIN_POINT_LIMIT; NaN counts as the axis origin, as in the grid's own mapping.
int heldOffset(double fraction, int extent)
{
    double d = fraction * extent;
    if (std::isnan(d))
        return 0;
    if (d < -PLAIN_POINT_LIMIT)
        return -PLAIN_POINT_LIMIT;
    if (d > PLAIN_POINT_LIMIT)
        return PLAIN_POINT_LIMIT;
    return int(d + 0.5);
}

int heldCoordinate(int v) { return std::clamp(v, -PLAIN_POINT_LIMIT, PLAIN_POINT_LIMIT); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Memory layout

std::uint16_t PointList::count() const
{
    std::uint16_t n;
    std::memcpy(&n, data, sizeof n);
    return n;
}

void PointList::setCount(std::uint16_t n) { std::memcpy(data, &n, sizeof n); }

DevicePoint PointList::entry(std::size_t i) const
{
    DevicePoint p;
    const std::uint8_t* at = data + HEADER_BYTES + i * ENTRY_BYTES;
    std::memcpy(&p.x, at, 2);
    std::memcpy(&p.y, at + 2, 2);
    return p;
}

void PointList::setEntry(std::size_t i, DevicePoint p)
{
    std::uint8_t* at = data + HEADER_BYTES + i * ENTRY_BYTES;
    std::memcpy(at, &p.x, 2);
    std::memcpy(at + 2, &p.y, 2);
}

PointList& workPointList()
{
    static std::vector<std::uint8_t> storage(blockBytes(WORK_LIST_ENTRIES), 0);
    static PointList list{storage.data(), WORK_LIST_ENTRIES};
    return list;
}

LockedPointList::LockedPointList(PointBlock* block) : block_(block)
{
    if (!block_)
        return;
    std::uint8_t* data = lockBlock(block_);
    if (!data || block_->size < HEADER_BYTES) {
        if (data)
            unlockBlock(block_);
        block_ = nullptr;
        return;
    }
    list.data = data;
    list.capacity = (block_->size - HEADER_BYTES) / ENTRY_BYTES;
    // A count beyond the block's room would read past it.
    if (list.count() > list.capacity)
        list.setCount(std::uint16_t(list.capacity));
}

LockedPointList::~LockedPointList()
{
    if (block_)
        unlockBlock(block_);
}

CurveOutput& curveOutput()
{
    static CurveOutput state;
    return state;
}

void setScreenSymbolSize(int screenWidth, double pixelAspect)
{
    int size = screenWidth <= 1000 ? 18 : 27;
    curveOutput().symbolSizeX = std::int16_t(size);
    curveOutput().symbolSizeY = std::int16_t(std::lround(size * pixelAspect));
}

// ---------------------------------------------------------------------------------------------
// List operations

void resetPointList(PointList& list, int n)
{
    list.setCount(0);
    n = std::clamp(n, 0, int(list.capacity));
    for (int i = 0; i < n; ++i)
        list.setEntry(std::size_t(i), POINT_END);
}

int appendPoint(const GridSetup& g, int x, int y, PointList& list)
{
    const int n = list.count();
    DevicePoint prev = POINT_END;
    int target = 0;
    if (n > 0) {
        prev = rawEntry(list, n - 1);
        target = n >= APPEND_LIMIT ? n - 1 : n;
    }
    target = std::min(target, int(list.capacity) - 1);
    if (target < 0)
        return n;

    const bool marker = x >= POINT_BREAK_X;
    if (marker) {
        const bool breakAfterEnd = x == POINT_BREAK_X && isEnd(prev);
        const bool endAfterBreak = x == POINT_END_X && isBreak(prev);
        if (breakAfterEnd || endAfterBreak) {
            if (n > 0)
                list.setEntry(std::size_t(n - 1), DevicePoint{std::int16_t(x), std::int16_t(y)});
            return n;
        }
    } else {
        x = heldCoordinate(x);
        y = heldCoordinate(y);
        const bool afterPlain = !isMarker(prev);
        const double px = prev.x, py = prev.y;
        const int top = g.areaTop - 1, bottom = g.areaBottom + 1, left = g.areaLeft - 1, right = g.areaRight + 1;
        if (y < top) {
            if (afterPlain && prev.x != x && prev.y != y)
                x = x + int(std::floor((top - y) / ((py - y) / (px - x))));
            y = top;
        } else if (y > bottom) {
            if (afterPlain)
                x = (x == prev.x || y == prev.y) ? prev.x : prev.x + int(std::floor((bottom - py) / ((y - py) / (x - px))));
            y = bottom;
        }
        if (x < left) {
            x = left;
        } else if (x > right) {
            if (afterPlain)
                y = (y == prev.y || x == prev.x) ? prev.y : prev.y + int(std::floor((right - px) / ((x - px) / (y - py))));
            x = right;
        }
        // The row clipping works on the segment, so the column may still be out; hold it at the edge.
        x = std::clamp(x, left, right);
        y = std::clamp(y, top, bottom);
    }

    const DevicePoint p{std::int16_t(x), std::int16_t(y)};
    if (p == prev)
        return n;
    if (!marker && !isMarker(prev)) {
        if (p.y == g.areaBottom + 1 && prev.y == g.areaBottom + 1)
            return n;
        if (p.y == g.areaTop - 1 && prev.y == g.areaTop - 1)
            return n;
    }
    list.setEntry(std::size_t(target), p);
    list.setCount(std::uint16_t(target + 1));
    return target + 1;
}

DevicePoint fetchPoint(const PointList& list, int index)
{
    if (index < 0 || index > list.count() || std::size_t(index) >= list.capacity) {
        userInterface().messageBox(MSG_BAD_FETCH);
        return POINT_END;
    }
    DevicePoint p = rawEntry(list, index);
    if (isMarker(p))
        return p;
    return DevicePoint{std::int16_t(p.x - curveOutput().renderOffsetX), std::int16_t(p.y - curveOutput().renderOffsetY)};
}

void storePoint(PointList& list, int index, int x, int y)
{
    if (index < 0 || std::size_t(index) >= list.capacity)
        return;
    list.setEntry(std::size_t(index), DevicePoint{std::int16_t(x), std::int16_t(y)});
}

bool insertPoint(PointList& list, int index, int x, int y)
{
    const int n = list.count();
    if (index < 0 || index > n || n > APPEND_LIMIT || std::size_t(n) + 1 > list.capacity) {
        userInterface().messageBox(MSG_BAD_SHIFT);
        return false;
    }
    for (int i = n; i > index; --i)
        list.setEntry(std::size_t(i), rawEntry(list, i - 1));
    list.setEntry(std::size_t(index), DevicePoint{std::int16_t(x), std::int16_t(y)});
    list.setCount(std::uint16_t(n + 1));
    return true;
}

PointBlock* copyPointList(const PointList& list, int n)
{
    n = std::clamp(n, 0, int(list.capacity));
    PointBlock* block = allocBlock(std::size_t(n));
    if (!block)
        return nullptr;
    std::uint8_t* data = lockBlock(block);
    PointList copy{data, std::size_t(n)};
    copy.setCount(std::uint16_t(n));
    std::memcpy(data + HEADER_BYTES, list.data + HEADER_BYTES, std::size_t(n) * ENTRY_BYTES);
    unlockBlock(block);
    return block;
}

PointBlock* joinPointLists(PointBlock* a, const PointList& b, int colourByte)
{
    if (!a)
        return nullptr;
    std::size_t aCount;
    {
        LockedPointList locked(a);
        if (!locked.valid())
            return nullptr;
        aCount = locked.list.count();
    }
    const std::size_t bCount = std::min<std::size_t>(b.count(), b.capacity);
    if (aCount == 0 || aCount + bCount > std::size_t(MAX_STORED_ENTRIES))
        return nullptr;
    if (!growBlock(a, aCount + bCount))
        return nullptr;
    std::uint8_t* data = lockBlock(a);
    PointList joined{data, aCount + bCount};
    joined.setEntry(aCount - 1, DevicePoint{POINT_BREAK_X, std::int16_t(std::int8_t(colourByte))});
    std::memcpy(data + HEADER_BYTES + aCount * ENTRY_BYTES, b.data + HEADER_BYTES, bCount * ENTRY_BYTES);
    joined.setCount(std::uint16_t(aCount + bCount));
    unlockBlock(a);
    return a;
}

void reverseRun(PointList& list, bool whole)
{
    int n = list.count();
    if (n <= 1)
        return;
    if (n == 2) {
        DevicePoint first = rawEntry(list, 0);
        list.setEntry(0, rawEntry(list, 1));
        list.setEntry(1, first);
        return;
    }
    if (isBreak(rawEntry(list, n - 1))) {
        if (!whole)
            return;
        --n;
        list.setCount(std::uint16_t(n));
    }
    int start = 0;
    if (!whole) {
        for (int i = n - 2; i >= 0; --i)
            if (isBreak(rawEntry(list, i))) {
                start = i + 1;
                break;
            }
    }
    for (int i = start, j = n - 1; i < j; ++i, --j) {
        DevicePoint t = rawEntry(list, i);
        list.setEntry(std::size_t(i), rawEntry(list, j));
        list.setEntry(std::size_t(j), t);
    }
}

// ---------------------------------------------------------------------------------------------
// Output operations

DevicePoint deviceOf(const GridSetup& g, double x, double y)
{
    double fx = g.logX() ? (g.logOfX(x) - g.logXMin) / g.logXSpan : (x - g.xMin) / (g.xMax - g.xMin);
    double fy = g.logY() ? (g.logOfY(y) - g.logYMin) / g.logYSpan : (y - g.yMin) / (g.yMax - g.yMin);
    int px = heldCoordinate(g.areaLeft + heldOffset(fx, g.areaRight - g.areaLeft));
    int py = heldCoordinate(g.areaBottom - heldOffset(fy, g.areaBottom - g.areaTop));
    return DevicePoint{std::int16_t(px), std::int16_t(py)};
}

int plotDot(const GridSetup& g, double x, double y, PointList& list, bool draw, bool wideLines)
{
    DevicePoint p = deviceOf(g, x, y);
    if (draw && surface()) {
        if (wideLines)
            drawFatDot(p.x, p.y);
        else
            surface()->setPixel(p.x, p.y, curveOutput().curveColour);
    }
    return appendPoint(g, p, list);
}

int moveToPoint(const GridSetup& g, double x, double y, PointList& list, bool draw)
{
    DevicePoint p = deviceOf(g, x, y);
    if (draw && surface())
        surface()->moveTo(p.x, p.y);
    const int n = list.count();
    if (n > 0 && rawEntry(list, n - 1) == p)
        return n;
    appendPoint(g, POINT_BREAK, list);
    return appendPoint(g, p, list);
}

int lineToPoint(const GridSetup& g, double x, double y, PointList& list, bool draw)
{
    DevicePoint p = deviceOf(g, x, y);
    if (draw && surface())
        surface()->lineTo(p.x, p.y);
    return appendPoint(g, p, list);
}

int lineOrMoveToPoint(const GridSetup& g, double x, double y, PointList& list, bool draw)
{
    DevicePoint p = deviceOf(g, x, y);
    const int n = list.count();
    bool near = false;
    if (n > 0) {
        DevicePoint last = rawEntry(list, n - 1);
        near = !isMarker(last) && std::abs(p.x - last.x) + std::abs(p.y - last.y) < JOIN_LINE_LIMIT;
    }
    if (near) {
        if (draw && surface())
            surface()->lineTo(p.x, p.y);
        return appendPoint(g, p, list);
    }
    if (draw && surface())
        surface()->moveTo(p.x, p.y);
    appendPoint(g, POINT_BREAK, list);
    return appendPoint(g, p, list);
}

void moveOnly(const GridSetup& g, double x, double y)
{
    DevicePoint p = deviceOf(g, x, y);
    if (surface())
        surface()->moveTo(p.x, p.y);
}

// ---------------------------------------------------------------------------------------------
// Drawing

bool selectCurvePen(int colourByte, bool wideLines)
{
    CurveOutput& out = curveOutput();
    const int k = std::int8_t(colourByte);
    const bool dotted = k < 0;
    out.curveColour = graphColour(dotted ? -k : k);
    if (out.curvePen)
        return true;
    if (!out.surface)
        return false;
    ObjectId pen = out.surface->createPen(dotted ? PenStyle::Dot : PenStyle::Solid, (!dotted && wideLines) ? 2 : 1,
                                          out.curveColour);
    if (!pen) {
        userInterface().messageBox(MSG_NO_COLOUR);
        return false;
    }
    out.surface->select(pen);
    out.curvePen = pen;
    return true;
}

void releaseCurvePen()
{
    CurveOutput& out = curveOutput();
    if (!out.surface)
        return;
    out.surface->select(out.surface->stockObject(StockObject::BlackPen));
    if (out.curvePen)
        out.surface->deleteObject(out.curvePen);
    out.curvePen = 0;
}

void drawFatDot(int px, int py)
{
    CurveOutput& out = curveOutput();
    if (!out.surface)
        return;
    int a = std::max(1, (out.symbolSizeX + 8) / 16 - 1);
    int b = std::max(1, (out.symbolSizeY + 8) / 16 - 1);
    if (a == 1 && b == 1 && !out.surface->isMetafile()) {
        const Colour c = out.curveColour;
        out.surface->setPixel(px - 1, py, c);
        out.surface->setPixel(px, py, c);
        out.surface->setPixel(px + 1, py, c);
        out.surface->setPixel(px, py + 1, c);
        out.surface->setPixel(px, py - 1, c);
        return;
    }
    const DevicePoint diamond[4] = {{std::int16_t(px - a), std::int16_t(py)},
                                    {std::int16_t(px), std::int16_t(py + b)},
                                    {std::int16_t(px + a), std::int16_t(py)},
                                    {std::int16_t(px), std::int16_t(py - b)}};
    out.surface->polygon(diamond, 4);
}

void drawPointList(const PointList& list, std::uint16_t equationFlags, int colourByte, bool wideLines,
                   Colour background)
{
    CurveOutput& out = curveOutput();
    PlotSurface* s = out.surface;
    if (!s)
        return;
    int colour = std::int8_t(colourByte);
    selectCurvePen(colour, wideLines);
    ObjectId underPen = 0;
    if (colour < 0)
        underPen = s->createPen(PenStyle::Solid, 3, background);

    const bool pointGraph = (equationFlags & 0xFF00) == POINT_GRAPH_KIND;
    const bool dots = (equationFlags & DOTS_FLAG) != 0;
    const bool lines = !pointGraph && !dots;

    std::vector<DevicePoint> buffer;
    buffer.reserve(POLYLINE_CHUNK);
    auto flush = [&](bool carry) {
        if (buffer.size() >= 2) {
            if (underPen) {
                ObjectId old = s->select(underPen);
                s->polyline(buffer.data(), int(buffer.size()));
                s->select(old);
            }
            s->polyline(buffer.data(), int(buffer.size()));
        }
        if (carry && !buffer.empty()) {
            DevicePoint last = buffer.back();
            buffer.clear();
            buffer.push_back(last);
        } else {
            buffer.clear();
        }
    };
    bool havePoint = false;
    DevicePoint runLast{};
    auto endRun = [&](int index) {
        flush(false);
        if (lines && havePoint && index >= 2)
            s->setPixel(runLast.x, runLast.y, out.curveColour);
        havePoint = false;
    };

    const int n = list.count();
    int i = 0;
    for (; i < n && std::size_t(i) < list.capacity; ++i) {
        DevicePoint p = fetchPoint(list, i);
        if (isEnd(p))
            break;
        if (isBreak(p)) {
            endRun(i);
            if (p.y != POINT_BREAK.y && p.y != colour) {
                releaseCurvePen();
                colour = std::int8_t(p.y);
                selectCurvePen(colour, wideLines);
            }
            continue;
        }
        havePoint = true;
        runLast = p;
        if (pointGraph || (dots && wideLines)) {
            drawFatDot(p.x, p.y);
        } else if (dots) {
            s->setPixel(p.x, p.y, out.curveColour);
        } else {
            buffer.push_back(p);
            if (int(buffer.size()) == POLYLINE_CHUNK)
                flush(true);
        }
    }
    endRun(i);
    if (!out.keepCurvePen)
        releaseCurvePen();
    if (underPen)
        s->deleteObject(underPen);
}

void paintRunEnds(const PointList& list, int colourByte)
{
    CurveOutput& out = curveOutput();
    if (!out.surface)
        return;
    out.curveColour = graphColour(std::int8_t(colourByte));
    bool havePoint = false;
    DevicePoint last{};
    const int n = list.count();
    for (int i = 0; i <= n && std::size_t(i) < list.capacity; ++i) {
        DevicePoint p = i < n ? fetchPoint(list, i) : POINT_END;
        if (isMarker(p)) {
            if (havePoint)
                out.surface->setPixel(last.x, last.y, out.curveColour);
            havePoint = false;
            if (isEnd(p))
                break;
            continue;
        }
        havePoint = true;
        last = p;
    }
}

void setAreaClip(const GridSetup& g)
{
    PlotSurface* s = surface();
    if (s && !s->isMetafile())
        s->setClipRect(&g.clipRect);
}

void clearClip()
{
    PlotSurface* s = surface();
    if (s && !s->isMetafile())
        s->setClipRect(nullptr);
}

// ---------------------------------------------------------------------------------------------
// Polygon sets

namespace {
constexpr int POLYGON_POINT_GROWTH = 30;
constexpr int POLYGON_COUNT_GROWTH = 20;
constexpr std::size_t POLYGON_POINT_BYTES = 8;

// The block store counts in 4-byte points; a polygon point takes two.
std::size_t blockPointsFor(int polygonPoints) { return std::size_t(polygonPoints) * 2; }

void writePolygonPoint(PointBlock* block, int index, PolygonPoint p)
{
    std::uint8_t* data = lockBlock(block);
    std::memcpy(data + HEADER_BYTES + std::size_t(index) * POLYGON_POINT_BYTES, &p.x, 4);
    std::memcpy(data + HEADER_BYTES + std::size_t(index) * POLYGON_POINT_BYTES + 4, &p.y, 4);
    unlockBlock(block);
}
}  // namespace

bool newPolygonSet(PolygonSet& set, int n)
{
    freePolygonSet(set);
    set.pointCapacity = std::max(n, 0) + POLYGON_POINT_GROWTH;
    set.points = allocBlock(blockPointsFor(set.pointCapacity));
    if (!set.points) {
        set.pointCapacity = 0;
        return false;
    }
    set.polygonCapacity = POLYGON_COUNT_GROWTH;
    set.polygonSizes.assign(std::size_t(set.polygonCapacity), 0);
    return true;
}

PolygonPoint polygonPoint(const PolygonSet& set, int index)
{
    PolygonPoint p;
    if (!set.points || index < 0 || index >= set.pointCount)
        return p;
    std::uint8_t* data = lockBlock(set.points);
    std::memcpy(&p.x, data + HEADER_BYTES + std::size_t(index) * POLYGON_POINT_BYTES, 4);
    std::memcpy(&p.y, data + HEADER_BYTES + std::size_t(index) * POLYGON_POINT_BYTES + 4, 4);
    unlockBlock(set.points);
    return p;
}

int addPolygonPoint(PolygonSet& set, int x, int y)
{
    if (!set.points)
        return -1;
    if (set.pointCount >= set.pointCapacity) {
        if (!growBlock(set.points, blockPointsFor(set.pointCapacity + POLYGON_POINT_GROWTH)))
            return -1;
        set.pointCapacity += POLYGON_POINT_GROWTH;
    }
    writePolygonPoint(set.points, set.pointCount, PolygonPoint{x, y});
    return ++set.pointCount;
}

PolygonPoint currentPolygonStart(const PolygonSet& set) { return polygonPoint(set, set.currentStart); }

int closePolygon(PolygonSet& set)
{
    if (!set.points || set.pointCount <= set.currentStart)
        return set.polygonCount;
    PolygonPoint first = currentPolygonStart(set);
    if (addPolygonPoint(set, first.x, first.y) < 0)
        return set.polygonCount;
    if (set.polygonCount >= set.polygonCapacity) {
        set.polygonCapacity += POLYGON_COUNT_GROWTH;
        set.polygonSizes.resize(std::size_t(set.polygonCapacity), 0);
    }
    set.polygonSizes[std::size_t(set.polygonCount)] = set.pointCount - set.currentStart;
    set.currentStart = set.pointCount;
    return ++set.polygonCount;
}

void fillPolygonSet(const PolygonSet& set, int mode)
{
    PlotSurface* s = surface();
    if (!s || !set.points || set.polygonCount == 0 || (mode != 2 && mode != 3))
        return;
    const int used = set.currentStart;  // points of the closed polygons
    std::vector<DevicePoint> points(std::size_t(std::max(used, 0)));
    std::uint8_t* data = lockBlock(set.points);
    for (int i = 0; i < used; ++i) {
        std::int32_t x, y;
        std::memcpy(&x, data + HEADER_BYTES + std::size_t(i) * POLYGON_POINT_BYTES, 4);
        std::memcpy(&y, data + HEADER_BYTES + std::size_t(i) * POLYGON_POINT_BYTES + 4, 4);
        points[std::size_t(i)] = DevicePoint{std::int16_t(heldCoordinate(x)), std::int16_t(heldCoordinate(y))};
    }
    unlockBlock(set.points);
    if (mode == 2) {
        ObjectId old = s->select(s->stockObject(StockObject::NullPen));
        s->polyPolygon(points.data(), set.polygonSizes.data(), set.polygonCount);
        s->select(old);
    } else {
        s->polyPolygon(points.data(), set.polygonSizes.data(), set.polygonCount);
    }
}

DeviceRect polygonSetBounds(const PolygonSet& set, const GridSetup& g)
{
    int minX = g.areaRight, maxX = g.areaLeft, minY = g.areaBottom, maxY = g.areaTop;
    for (int i = 0; i < set.pointCount; ++i) {
        PolygonPoint p = polygonPoint(set, i);
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    return DeviceRect{minX, minY, maxX + 1, maxY + 1};
}

void clearPolygonSet(PolygonSet& set)
{
    set.pointCount = 0;
    set.polygonCount = 0;
    set.currentStart = 0;
}

void freePolygonSet(PolygonSet& set)
{
    set.points = freeBlock(set.points);
    set.polygonSizes.clear();
    set = PolygonSet{};
}

}  // namespace qv
