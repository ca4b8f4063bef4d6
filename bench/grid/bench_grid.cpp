// How long a grid screen takes to draw for each paper kind, how long a full stored curve takes to
// redraw, and how fast points are recorded. Prints figures; never fails on time.
#include <chrono>
#include <cmath>
#include <cstdio>

#include "doc/graph_doc.h"
#include "platform/record/recording_surface.h"
#include "plot/grid_draw.h"
#include "plot/point_list.h"

using namespace qv;
using Clock = std::chrono::steady_clock;

namespace {

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void gridScreens(int width, int height)
{
    struct Paper {
        const char* name;
        std::uint16_t flags;
        double xMin, xMax, yMin, yMax, base;
    } papers[] = {
        {"rectangular lines", PAPER_DEFAULT, -10, 10, UNSET_BOUND, UNSET_BOUND, 10},
        {"rectangular dots", PAPER_RECTANGULAR | PAPER_AXES | PAPER_DOTS, -10, 10, UNSET_BOUND, UNSET_BOUND, 10},
        {"trig", PAPER_TRIG | 0x0750, -7, 7, UNSET_BOUND, UNSET_BOUND, 10},
        {"polar", PAPER_POLAR | 0x0750, -4, 4, UNSET_BOUND, UNSET_BOUND, 10},
        {"semilog", PAPER_LOG_Y | 0x0750, 0, 10, 0.001, 1000, 10},
        {"log-log base e", PAPER_LOG_Y | PAPER_LOG_X | 0x0F50, 1, 1000, 1, 1000, 2.718281828},
    };
    documentProgram().smallScreen = width <= 1000;
    setScreenSymbolSize(width, 1.0);
    for (const Paper& p : papers) {
        const int runs = 50;
        double total = 0;
        for (int i = 0; i < runs; ++i) {
            GraphDoc doc;
            doc.grid.paperFlags = p.flags;
            doc.grid.xMin = p.xMin;
            doc.grid.xMax = p.xMax;
            doc.grid.yMin = p.yMin;
            doc.grid.yMax = p.yMax;
            doc.grid.logBase = p.base;
            RecordingSurface surface(width, height);
            measureGridFonts(doc, surface, documentProgram().smallScreen);
            doc.grid.layoutGraphArea(width, height, labelSpaceOf(doc), documentProgram().smallScreen);
            doc.grid.computeSquareRatio(1.0);
            doc.grid.autoSquare();
            doc.grid.refreshLogScale();
            curveOutput().surface = &surface;
            const auto start = Clock::now();
            drawGridScreen(doc, surface);
            total += millisecondsSince(start);
        }
        std::printf("grid screen %dx%d %-18s %8.3f ms\n", width, height, p.name, total / runs);
    }
}

void pointLists()
{
    GridSetup g;
    g.xMin = -10;
    g.xMax = 10;
    g.yMin = -10;
    g.yMax = 10;
    g.layoutGraphArea(640, 480, LabelSpace{}, true);
    PointList& list = workPointList();
    const int rounds = 200;
    auto start = Clock::now();
    long appended = 0;
    for (int r = 0; r < rounds; ++r) {
        resetPointList(list, WORK_LIST_ENTRIES);
        for (int i = 0; i < APPEND_LIMIT; ++i, ++appended) {
            double x = -10 + 20.0 * i / APPEND_LIMIT;
            lineToPoint(g, x, 12 * std::sin(3 * x + r), list, false);
        }
    }
    const double appendMs = millisecondsSince(start);
    std::printf("record %ld curve points: %.1f ns a point (mapping, clipping, filtering)\n", appended,
                appendMs * 1e6 / double(appended));

    RecordingSurface surface(640, 480);
    curveOutput().surface = &surface;
    appendPoint(g, POINT_END, list);
    start = Clock::now();
    const int redraws = 200;
    for (int r = 0; r < redraws; ++r)
        drawPointList(list, 0x0100, 1, false, 0xFFFFFF);
    std::printf("redraw a stored curve of %d entries: %.3f ms (recording surface, lines painted)\n", int(list.count()),
                millisecondsSince(start) / redraws);
    curveOutput() = CurveOutput{};
}

}  // namespace

int main()
{
    gridScreens(640, 480);
    gridScreens(1280, 960);
    pointLists();
    return 0;
}
