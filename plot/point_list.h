// Point lists: the device points of a curve in drawing order, with pen-lift and end markers, kept so
// that a repaint, a print or a copy redraws a curve without evaluating it again and so that the mouse
// tools can follow it. The output operations the plotters call draw on the current surface and record
// into a list at the same time; drawPointList redraws a recorded list. PolygonSet collects the closed
// polygons of a shading operation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "doc/block_store.h"
#include "platform/plot_surface.h"
#include "plot/grid_setup.h"

namespace qv {

constexpr std::int16_t POINT_BREAK_X = 32766;
constexpr std::int16_t POINT_END_X = 32767;
constexpr DevicePoint POINT_BREAK{POINT_BREAK_X, 32766};
constexpr DevicePoint POINT_END{POINT_END_X, 32767};
constexpr int WORK_LIST_ENTRIES = 4000;
constexpr int APPEND_LIMIT = 3998;          // appends beyond this overwrite the last entry
constexpr int POLYLINE_CHUNK = 100;         // points per Polyline call
constexpr int JOIN_LINE_LIMIT = 25;         // lineOrMoveToPoint joins closer points with a line
constexpr int MAX_STORED_ENTRIES = 65535;   // the count is 16 bits
constexpr std::uint16_t POINT_GRAPH_KIND = 0x0600;  // graph kind of a point graph, in Equation::flags
constexpr std::uint16_t DOTS_FLAG = 0x01;
constexpr int PLAIN_POINT_LIMIT = 30000;    // device coordinates further out are held here, away from the markers

constexpr char MSG_BAD_FETCH[] = "Bad pointlist fetch";
constexpr char MSG_BAD_SHIFT[] = "Bad pointlist shift";
constexpr char MSG_NO_COLOUR[] = "Can't get color";

inline bool isMarker(DevicePoint p) { return p.x >= POINT_BREAK_X; }
inline bool isBreak(DevicePoint p) { return p.x == POINT_BREAK_X; }
inline bool isEnd(DevicePoint p) { return p.x == POINT_END_X; }

// A view over the memory of a list, laid out as stored blocks are: a 16-bit count, then 4 bytes an
// entry (x, y as signed 16-bit values).
struct PointList {
    std::uint8_t* data = nullptr;
    std::size_t capacity = 0;  // entries the memory holds

    std::uint16_t count() const;
    void setCount(std::uint16_t n);
    DevicePoint entry(std::size_t i) const;  // as stored, no render offset
    void setEntry(std::size_t i, DevicePoint p);
};

// The program's work list of WORK_LIST_ENTRIES entries, alive for the whole program.
PointList& workPointList();

// A stored list, locked for as long as the view lives.
class LockedPointList {
public:
    explicit LockedPointList(PointBlock* block);
    ~LockedPointList();
    LockedPointList(const LockedPointList&) = delete;
    LockedPointList& operator=(const LockedPointList&) = delete;
    bool valid() const { return list.data != nullptr; }
    PointList list;

private:
    PointBlock* block_;
};

// State the output operations share: the current surface, the render offset of printing and export,
// the curve pen and its colour, and the symbol size.
struct CurveOutput {
    PlotSurface* surface = nullptr;
    std::int16_t renderOffsetX = 0, renderOffsetY = 0;
    ObjectId curvePen = 0;
    Colour curveColour = 0;
    std::int16_t symbolSizeX = 18, symbolSizeY = 18;
    // Set while the partial curve of a running graph is repainted: the pen stays for the plotter.
    bool keepCurvePen = false;
};
CurveOutput& curveOutput();
// Symbol size for a screen of this width: 18 up to 1000 pixels, 27 above (y scaled by the aspect).
void setScreenSymbolSize(int screenWidth, double pixelAspect);

// List operations.
void resetPointList(PointList& list, int n);
int appendPoint(const GridSetup& grid, int x, int y, PointList& list);
inline int appendPoint(const GridSetup& grid, DevicePoint p, PointList& list) { return appendPoint(grid, p.x, p.y, list); }
DevicePoint fetchPoint(const PointList& list, int index);
void storePoint(PointList& list, int index, int x, int y);
bool insertPoint(PointList& list, int index, int x, int y);
// A new block of exactly n entries with the count n; nullptr when memory is short.
PointBlock* copyPointList(const PointList& list, int n);
// Grows A by B's entries; A's end marker becomes a break carrying B's colour byte. nullptr when
// memory is short or the count would not fit (A is then unchanged).
PointBlock* joinPointLists(PointBlock* a, const PointList& b, int colourByte);
void reverseRun(PointList& list, bool whole);

// World to device as worldToDevice does, with points far off the area held at PLAIN_POINT_LIMIT
// instead of wrapping around in 16 bits.
DevicePoint deviceOf(const GridSetup& grid, double x, double y);

// Output operations: map, draw when draw is set, record. They return the new count.
int plotDot(const GridSetup& grid, double x, double y, PointList& list, bool draw, bool wideLines);
int moveToPoint(const GridSetup& grid, double x, double y, PointList& list, bool draw);
int lineToPoint(const GridSetup& grid, double x, double y, PointList& list, bool draw);
int lineOrMoveToPoint(const GridSetup& grid, double x, double y, PointList& list, bool draw);
void moveOnly(const GridSetup& grid, double x, double y);

// Drawing.
void drawPointList(const PointList& list, std::uint16_t equationFlags, int colourByte, bool wideLines,
                   Colour background);
void paintRunEnds(const PointList& list, int colourByte);
void drawFatDot(int px, int py);
bool selectCurvePen(int colourByte, bool wideLines);
void releaseCurvePen();
void setAreaClip(const GridSetup& grid);
void clearClip();

// Closed polygons for PolyPolygon; the points live in a block of the block store.
struct PolygonSet {
    std::int32_t pointCount = 0;
    std::int32_t pointCapacity = 0;
    std::int32_t polygonCount = 0;
    std::int32_t polygonCapacity = 0;
    std::int32_t currentStart = 0;
    std::vector<std::int32_t> polygonSizes;
    PointBlock* points = nullptr;  // 8 bytes a point: x, y as signed 32-bit values
};
struct PolygonPoint {
    std::int32_t x = 0, y = 0;
    bool operator==(const PolygonPoint&) const = default;
};

bool newPolygonSet(PolygonSet& set, int n);
// The new point count, or -1 when the points cannot grow (the point is not added).
int addPolygonPoint(PolygonSet& set, int x, int y);
PolygonPoint polygonPoint(const PolygonSet& set, int index);
PolygonPoint currentPolygonStart(const PolygonSet& set);
int closePolygon(PolygonSet& set);
void fillPolygonSet(const PolygonSet& set, int mode);
DeviceRect polygonSetBounds(const PolygonSet& set, const GridSetup& grid);
void clearPolygonSet(PolygonSet& set);
void freePolygonSet(PolygonSet& set);

}  // namespace qv
