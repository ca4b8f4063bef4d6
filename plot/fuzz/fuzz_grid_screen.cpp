// Grid screens of arbitrary ranges, papers, bases and spacings must draw without crashing or running
// away, and point lists of arbitrary points must keep their invariants.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "doc/graph_doc.h"
#include "platform/record/recording_surface.h"
#include "plot/grid_draw.h"
#include "plot/point_list.h"

namespace {

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    template <typename T>
    T take()
    {
        T v{};
        const std::size_t n = std::min(sizeof v, size);
        std::memcpy(&v, data, n);
        data += n;
        size -= n;
        return v;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace qv;
    Input in{data, size};
    GraphDoc doc;
    GridSetup& g = doc.grid;
    g.paperFlags = in.take<std::uint16_t>();
    g.xMin = in.take<double>();
    g.xMax = in.take<double>();
    g.yMin = in.take<double>();
    g.yMax = in.take<double>();
    g.logBase = in.take<double>();
    g.legendFlags = in.take<std::uint8_t>();
    g.xLegendSpacing = in.take<double>();
    g.yLegendSpacing = in.take<double>();
    const int width = 40 + in.take<std::uint8_t>() * 2;
    const int height = 40 + in.take<std::uint8_t>() * 2;
    doc.showLabels = in.take<std::uint8_t>() & 1;
    doc.title = "t";
    doc.annotations.resize(2);
    doc.annotations[0] = {in.take<double>(), in.take<double>(), "a"};
    doc.annotationCount = 1;
    programOptions().ylegpos = in.take<std::uint8_t>() & 1 ? 256 : 2;

    // The range invariants every range operation keeps.
    auto finite = [](double v) { return std::isfinite(v) && std::fabs(v) <= 9.9e99; };
    if (!finite(g.xMin) || !finite(g.xMax) || !finite(g.yMin) || !finite(g.yMax) || !(g.xMin < g.xMax) ||
        !(g.yMin < g.yMax))
        return 0;
    if (g.logX() && g.xMin < 1e-99)
        return 0;
    if (g.logY() && g.yMin < 1e-99)
        return 0;
    if (!(g.logBase > 0) || g.logBase == 1 || !std::isfinite(g.logBase))
        g.logBase = 10;

    RecordingSurface surface(width, height);
    documentProgram().smallScreen = true;
    measureGridFonts(doc, surface, true);
    g.layoutGraphArea(width, height, labelSpaceOf(doc), true);
    if (g.areaRight <= g.areaLeft + 2 || g.areaBottom <= g.areaTop + 2)
        return 0;
    g.computeSquareRatio(1.0);
    g.refreshLogScale();
    curveOutput().surface = &surface;
    drawGridScreen(doc, surface);

    // Point lists: whatever is appended, plain points stay within one unit of the area.
    PointList& list = workPointList();
    resetPointList(list, WORK_LIST_ENTRIES);
    while (in.size >= 4) {
        const std::int16_t x = in.take<std::int16_t>(), y = in.take<std::int16_t>();
        if (appendPoint(g, x, y, list) == 0)
            continue;
        const DevicePoint last = list.entry(list.count() - 1u);
        if (!isMarker(last) && (last.x < g.areaLeft - 1 || last.x > g.areaRight + 1 || last.y < g.areaTop - 1 ||
                                last.y > g.areaBottom + 1))
            __builtin_trap();
    }
    drawPointList(list, 0x0100, 1, false, 0xFFFFFF);
    curveOutput() = CurveOutput{};
    return 0;
}
