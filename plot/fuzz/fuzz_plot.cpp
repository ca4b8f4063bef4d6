// Draws arbitrary equation lines through the graphing driver on a recording surface, on grids chosen by
// the input (linear and logarithmic, tiny and huge ranges, domains, families, tables on): every line
// must end in a curve, a refusal or a removal, never in a crash, a hang or a point outside the list's
// rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "analysis/printout.h"
#include "doc/equation_line.h"
#include "doc/graph_doc.h"
#include "expr/functions.h"
#include "platform/record/recording_surface.h"
#include "plot/graphing_driver.h"
#include "plot/grid_draw.h"
#include "plot/point_list.h"

namespace {

class NullPrintout final : public qv::PrintoutList {
public:
    int count() const override { return n; }
    std::string line(int) const override { return {}; }
    int insert(int index, const std::string&) override
    {
        if (n > 2000)
            return -1;
        ++n;
        return index < 0 || index > n - 1 ? n - 1 : index;
    }
    void remove(int) override { --n; }
    void clear() override { n = 0; }
    int n = 0;
};

const double RANGES[][4] = {
    {-8, 8, -6, 6}, {-1e-6, 1e-6, -1e-6, 1e-6}, {-1e90, 1e90, -1e90, 1e90}, {0.01, 1000, 0.001, 1e6}, {3, 3.0001, -1, 1},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > 300)
        return 0;
    const std::uint8_t mode = data[0];
    std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
    line = line.c_str();

    qv::resetVariables();
    qv::DocumentProgram& program = qv::documentProgram();
    program.options = qv::ProgramOptions{};
    program.options.fineness = (mode & 0x40) ? 3 : 1;
    program.options.tables = (mode & 0x80) ? 21 : 20;
    static NullPrintout printoutLines;
    printoutLines.n = 0;
    qv::printout().list = &printoutLines;
    qv::printoutReset();
    // A fresh surface each run: the operations a surface records only grow.
    qv::RecordingSurface surface(200, 150, 0xFFFFFF);
    qv::curveOutput() = qv::CurveOutput{};
    qv::curveOutput().surface = &surface;
    program.driver = &qv::graphingDriver();

    qv::GraphDoc* doc = qv::createDocument();
    program.current = doc;
    qv::GridSetup& g = doc->grid;
    const double* r = RANGES[(mode & 7) % 5];
    g.xMin = r[0];
    g.xMax = r[1];
    g.yMin = r[2];
    g.yMax = r[3];
    if ((mode & 0x18) == 0x08 && g.xMin > 0 && g.yMin > 0)
        g.paperFlags = (g.paperFlags & ~qv::PAPER_KIND_MASK) | qv::PAPER_LOG_Y;
    if ((mode & 0x18) == 0x18 && g.xMin > 0 && g.yMin > 0)
        g.paperFlags = (g.paperFlags & ~qv::PAPER_KIND_MASK) | qv::PAPER_LOG_Y | qv::PAPER_LOG_X;
    g.layoutGraphArea(200, 150, qv::labelSpaceOf(*doc), true);
    g.computeSquareRatio(1.0);
    g.normaliseRanges();
    g.checkLogRange([](qv::GridSetup&) { return false; });
    if (g.logX() || g.logY())
        g.refreshLogScale();
    qv::updateLabelDecimals(g);

    if (qv::addLine(*doc, line, qv::GridRanges{g.xMin, g.xMax, g.yMin, g.yMax}) == 0) {
        qv::redrawNewest(*doc, 1);
        for (qv::Equation* e = doc->queueHead; e; e = e->next) {
            if (!e->points)
                continue;
            qv::LockedPointList stored(e->points);
            const int n = stored.list.count();
            for (int i = 0; i < n; ++i) {
                qv::DevicePoint p = stored.list.entry(std::size_t(i));
                if (qv::isMarker(p))
                    continue;
                if (p.x < g.areaLeft - 1 || p.x > g.areaRight + 1 || p.y < g.areaTop - 1 || p.y > g.areaBottom + 1)
                    std::abort();
            }
        }
    }
    program.current = nullptr;
    program.driver = nullptr;
    qv::printout().list = nullptr;
    qv::freeDocument(doc);
    qv::curveOutput().surface = nullptr;
    return 0;
}
