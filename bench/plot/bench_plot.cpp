// How much the Cartesian plotter costs beyond the evaluations it needs: each curve is plotted on the
// default grid of a 640x480 window (drawn on a recording surface), then exactly the same evaluations
// are replayed alone. Prints evaluations per curve, time per curve and the ratio of the two times.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "doc/equation_line.h"
#include "doc/graph_doc.h"
#include "expr/evaluator.h"
#include "expr/functions.h"
#include "platform/record/recording_surface.h"
#include "plot/cartesian.h"
#include "plot/graphing_driver.h"
#include "plot/grid_draw.h"
#include "plot/point_list.h"

using namespace qv;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int WIDTH = 640, HEIGHT = 480;
constexpr int BATCHES = 5;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv)
{
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    const char* lines[] = {"y=x^2-3",    "y=sin(x)",  "y=tan(x)",      "y=sin(10/x)",
                           "y=gamma(x)", "y=1/(x-1)", "y=sqrt(4-x^2)", "y=int(x)"};
    resetVariables();
    DocumentProgram& program = documentProgram();
    program.pixelAspect = 1.0;
    program.smallScreen = true;
    setScreenSymbolSize(WIDTH, 1.0);
    std::unique_ptr<GraphDoc, void (*)(GraphDoc*)> doc(createDocument(), freeDocument);
    program.current = doc.get();
    program.driver = &graphingDriver();
    GridSetup& g = doc->grid;
    g.layoutGraphArea(WIDTH, HEIGHT, labelSpaceOf(*doc), true);
    g.computeSquareRatio(1.0);
    g.autoSquare();
    g.normaliseRanges();
    updateLabelDecimals(g);
    RecordingSurface surface(WIDTH, HEIGHT, rgb(255, 255, 255));

    std::printf("Cartesian plotter, default grid x %.3g..%.3g, y %.3g..%.3g, %dx%d, %d repeats\n", g.xMin, g.xMax,
                g.yMin, g.yMax, WIDTH, HEIGHT, repeats);
    std::printf("%-16s %8s %8s %12s %12s %12s %8s\n", "equation", "evals", "points", "us evals", "us plot",
                "us drawn", "ratio");
    std::printf("(us: microseconds per curve; plot: the plotter without a surface; drawn: also rasterised on the\n"
                " recording surface; ratio: plot time over the time of the same evaluations alone)\n");
    for (const char* line : lines) {
        if (addLine(*doc, line, GridRanges{g.xMin, g.xMax, g.yMin, g.yMax}) != 0) {
            std::printf("%-16s does not parse\n", line);
            continue;
        }
        Equation& eq = *doc->queueHead;
        std::vector<double> trace;
        setCartesianTrace(&trace);
        redrawNewest(*doc, 1);
        setCartesianTrace(nullptr);
        const CartesianStats stats = lastCartesianStats();

        // The best of several batches: the machine is shared, and the minimum is the cost itself.
        auto best = [&](auto&& body) {
            double result = 1e30;
            for (int batch = 0; batch < BATCHES; ++batch) {
                const auto t0 = Clock::now();
                for (int i = 0; i < repeats; ++i)
                    body();
                result = std::min(result, seconds(Clock::now() - t0) / repeats);
            }
            return result;
        };
        // The plotter: each run starts from an unmarked equation without a stored list.
        auto plotOnce = [&] {
            eq.flags &= ~eqflag::OnGrid;
            eq.points = freeBlock(eq.points);
            redrawNewest(*doc, 1);
        };
        curveOutput().surface = nullptr;
        const double plot = best(plotOnce);
        curveOutput().surface = &surface;
        const double drawn = best(plotOnce);
        curveOutput().surface = nullptr;

        // The same evaluations alone.
        const VarCode v = (eq.flags & eqflag::FunctionOfY) ? 'y' : 'x';
        volatile double sink = 0;
        const double evals = best([&] {
            for (double x : trace) {
                g_variables.set(v, x);
                EvalStatus status = 0;
                sink = sink + evaluate(eq.tree[1], status);
            }
        });
        std::printf("%-16s %8ld %8ld %12.1f %12.1f %12.1f %8.2f\n", line, stats.evaluations, stats.points,
                    evals * 1e6, plot * 1e6, drawn * 1e6, evals > 0 ? plot / evals : 0.0);
    }
    return 0;
}
