// Draws an arbitrary equation line, then runs the calculus tools on it with values taken from the
// input: the critical points of its list, a guess for Calculate, a tangent at a picked point and at a
// stored point, a redraw with the tangent, and Find Derivative. Every one must end in a result or a
// message, never in a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "analysis/critical_points.h"
#include "analysis/tangent.h"
#include "doc/equation_line.h"
#include "doc/graph_doc.h"
#include "expr/functions.h"
#include "platform/record/recording_surface.h"
#include "plot/graphing_driver.h"
#include "plot/grid_draw.h"
#include "plot/point_list.h"

namespace {

const double RANGES[][4] = {
    {-8, 8, -6, 6}, {-1e-6, 1e-6, -1e-6, 1e-6}, {-1e90, 1e90, -1e90, 1e90}, {0.01, 1000, 0.001, 1e6}, {3, 3.0001, -1, 1},
};

const char* const GUESSES[] = {"0", "1", "-1", "100", "1e300", "p/2", "1/0", "x"};

// Input: one mode byte, two bytes placing the picked point on the grid, then the line.
constexpr std::size_t HEADER = 3;
constexpr double FAMILY_MEMBER_LIMIT = 50;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < HEADER + 1 || size > 300)
        return 0;
    const std::uint8_t mode = data[0];
    std::string line(reinterpret_cast<const char*>(data + HEADER), size - HEADER);
    line = line.c_str();

    qv::resetVariables();
    qv::DocumentProgram& program = qv::documentProgram();
    program.options = qv::ProgramOptions{};
    // A surface of its own each run: a recording surface keeps a log of every operation.
    qv::RecordingSurface surface(200, 150, 0xFFFFFF);
    qv::curveOutput() = qv::CurveOutput{};
    qv::curveOutput().surface = &surface;
    program.driver = &qv::graphingDriver();
    qv::installToolRecordsPainter();

    qv::GraphDoc* doc = qv::createDocument();
    program.current = doc;
    qv::GridSetup& g = doc->grid;
    const double* r = RANGES[(mode & 7) % 5];
    g.xMin = r[0];
    g.xMax = r[1];
    g.yMin = r[2];
    g.yMax = r[3];
    if ((mode & 0x18) == 0x18 && g.xMin > 0 && g.yMin > 0)
        g.paperFlags = (g.paperFlags & ~qv::PAPER_KIND_MASK) | qv::PAPER_LOG_Y | qv::PAPER_LOG_X;
    g.layoutGraphArea(200, 150, qv::labelSpaceOf(*doc), true);
    g.computeSquareRatio(1.0);
    g.normaliseRanges();
    g.checkLogRange([](qv::GridSetup&) { return false; });
    if (g.logX() || g.logY())
        g.refreshLogScale();
    qv::updateLabelDecimals(g);

    // A family of very many members only costs time in the driver (the user can abort it); the tools
    // meet the same curves in a short family.
    const auto longFamily = [](const qv::Equation& e) {
        return e.aStart != qv::UNDEFINED_VALUE && !((e.aStop - e.aStart) / e.aStep <= FAMILY_MEMBER_LIMIT);
    };
    if (qv::addLine(*doc, line, qv::GridRanges{g.xMin, g.xMax, g.yMin, g.yMax}) == 0 && !longFamily(*doc->queueHead)) {
        qv::redrawNewest(*doc, 1);
        if (qv::Equation* e = doc->queueHead) {
            if (qv::hasCriticalPointList(*e)) {
                qv::listCriticalPoints(*doc, *e);
                std::string result;
                qv::calculateCriticalPoint(*doc, *e, GUESSES[(mode >> 5) & 7], (mode & 0x20) != 0, result);
            }
            const double x = g.deviceToWorldX(g.areaLeft + data[1] * (g.areaRight - g.areaLeft) / 255);
            const double y = g.deviceToWorldY(g.areaTop + data[2] * (g.areaBottom - g.areaTop) / 255);
            qv::tangentAt(doc->tangent, *e, x, y, data[1] * 4);
            qv::tangentAt(doc->tangent, *e, x, y, data[2]);
            qv::redrawAllCurves(*doc);
            qv::findDerivative(*doc, *e);
        }
    }
    program.current = nullptr;
    program.driver = nullptr;
    qv::registerToolRecordsPainter(nullptr);
    qv::freeDocument(doc);
    qv::curveOutput() = qv::CurveOutput{};
    return 0;
}
