// Integrates and shades regions of arbitrary lines on grids chosen by the input: every region must
// end in an area, a refusal or a message, never in a crash or a hang, and its shading must stay in
// the plotting area.
//
// Input: a mode byte (method, automatic count, grid), a segment byte, then "LINE|LINE2|FROM|TO" (LINE2
// may be empty: the x-axis).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "analysis/integration.h"
#include "analysis/printout.h"
#include "doc/equation_line.h"
#include "doc/graph_doc.h"
#include "expr/functions.h"
#include "expr/parser.h"
#include "platform/record/recording_surface.h"
#include "plot/graphing_driver.h"
#include "plot/grid_draw.h"
#include "plot/point_list.h"

namespace {

const double RANGES[][4] = {
    {-8, 8, -6, 6}, {-1e-6, 1e-6, -1e-6, 1e-6}, {-1e90, 1e90, -1e90, 1e90}, {0.01, 1000, 0.001, 1e6},
};

std::vector<std::string> fields(const std::string& text)
{
    std::vector<std::string> out(1);
    for (char c : text) {
        if (c == '|')
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3 || size > 300)
        return 0;
    const std::uint8_t mode = data[0];
    const int segments = data[1];
    std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    text = text.c_str();
    const std::vector<std::string> parts = fields(text);
    if (parts.size() != 4 || parts[0].empty())
        return 0;

    qv::resetVariables();
    std::uint16_t status = 0;
    const double a = qv::evaluateConstantText(parts[2].c_str(), status);
    if (status)
        return 0;
    const double b = qv::evaluateConstantText(parts[3].c_str(), status);
    if (status)
        return 0;

    qv::DocumentProgram& program = qv::documentProgram();
    program.options = qv::ProgramOptions{};
    static const std::uint8_t METHODS[] = {qv::INT_TRAPEZOIDAL, qv::INT_SIMPSON, qv::INT_RECTANGLES_ABOVE,
                                           qv::INT_RECTANGLES_BELOW};
    program.options.intflags = std::uint8_t(METHODS[mode & 3] | ((mode & 4) ? qv::INT_AUTO_SEGMENTS : 0));
    program.options.intnumseg = std::uint16_t(segments);
    // A new surface each run: a recording surface keeps every operation it was given.
    qv::RecordingSurface surface(200, 150, 0xFFFFFF);
    qv::curveOutput() = qv::CurveOutput{};
    qv::curveOutput().surface = &surface;
    program.driver = &qv::graphingDriver();

    qv::GraphDoc* doc = qv::createDocument();
    program.current = doc;
    qv::GridSetup& g = doc->grid;
    const double* r = RANGES[(mode >> 3) & 3];
    g.xMin = r[0];
    g.xMax = r[1];
    g.yMin = r[2];
    g.yMax = r[3];
    if ((mode & 0x20) && g.xMin > 0 && g.yMin > 0)
        g.paperFlags = (g.paperFlags & ~qv::PAPER_KIND_MASK) | qv::PAPER_LOG_Y | qv::PAPER_LOG_X;
    g.layoutGraphArea(200, 150, qv::labelSpaceOf(*doc), true);
    g.computeSquareRatio(1.0);
    g.normaliseRanges();
    g.checkLogRange([](qv::GridSetup&) { return false; });
    if (g.logX() || g.logY())
        g.refreshLogScale();
    qv::updateLabelDecimals(g);

    const qv::GridRanges ranges{g.xMin, g.xMax, g.yMin, g.yMax};
    qv::Equation* first = nullptr;
    qv::Equation* second = nullptr;
    if (qv::addLine(*doc, parts[0], ranges) == 0)
        first = doc->queueHead;
    if (first && !parts[1].empty() && qv::addLine(*doc, parts[1], ranges) == 0)
        second = doc->queueHead;
    if (first) {
        qv::redrawNewest(*doc, second ? 2 : 1);
        // A line that cannot be graphed at all has left the queue.
        bool firstQueued = false, secondQueued = false;
        for (qv::Equation* e = doc->queueHead; e; e = e->next) {
            firstQueued = firstQueued || e == first;
            secondQueued = secondQueued || e == second;
        }
        if (!secondQueued)
            second = nullptr;
        if (firstQueued && qv::integrateRegion(*doc, first, second, a, b)) {
            qv::redrawIntegration(*doc);
            const qv::DeviceRect s = doc->integration.shaded;
            const qv::DeviceRect& c = g.clipRect;
            if (s.right > s.left && (s.left < c.left || s.right > c.right || s.top < c.top || s.bottom > c.bottom))
                std::abort();
        }
    }
    program.current = nullptr;
    program.driver = nullptr;
    qv::curveOutput().surface = nullptr;
    qv::freeDocument(doc);
    return 0;
}
