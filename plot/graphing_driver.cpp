#include "plot/graphing_driver.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "analysis/printout.h"
#include "expr/functions.h"
#include "expr/number_format.h"
#include "platform/ui.h"
#include "plot/cartesian.h"
#include "plot/colours.h"
#include "plot/ode.h"
#include "plot/polar_parametric.h"
#include "plot/shading.h"

namespace qv {

namespace {

int g_drawState = drawstate::Idle;
bool g_batchAborted = false;
// Equations whose plotter found them impossible to graph; they leave the queue when the batch ends,
// since the queue walk of the batch still holds them.
std::vector<Equation*> g_failed;
// The stored curves of the family being drawn, so that a repaint during the computation shows them.
PointBlock* g_familyBlock = nullptr;
// The list the running curve is drawn into, when it is not the work list (the first curve of a system).
const PointList* g_liveList = nullptr;
InequalityShader g_shader = shadeInequality;
ToolRecordsPainter g_toolPainter = nullptr;

void shadeIfInequality(GraphDoc& doc, Equation& eq, const PointList& boundary)
{
    if ((eq.flags & eqflag::Inequality) && g_shader)
        g_shader(doc, eq, boundary);
}

std::array<Plotter, 256>& plotters()
{
    static std::array<Plotter, 256> table = [] {
        std::array<Plotter, 256> t{};
        t[static_cast<std::uint8_t>(GraphKind::Cartesian)] = plotCartesian;
        t[static_cast<std::uint8_t>(GraphKind::Ode)] = plotOde;
        t[static_cast<std::uint8_t>(GraphKind::OdePhase)] = plotOde;
        t[static_cast<std::uint8_t>(GraphKind::OdeSystem)] = plotOde;
        t[static_cast<std::uint8_t>(GraphKind::OdeSystemPhase)] = plotOde;
        t[static_cast<std::uint8_t>(GraphKind::Polar)] = plotPolar;
        t[static_cast<std::uint8_t>(GraphKind::Parametric)] = plotParametric;
        t[static_cast<std::uint8_t>(GraphKind::ParametricPoint)] = plotPoint;
        return t;
    }();
    return table;
}

bool printingNow() { return documentProgram().printing; }
bool wideLines() { return programOptions().widelines; }
Colour background() { return colourOf(COLOUR_BACK); }
int baseState(int state) { return state & ~drawstate::RepaintPending; }

bool inQueue(const GraphDoc& doc, const Equation* e)
{
    for (const Equation* q = doc.queueHead; q; q = q->next)
        if (q == e)
            return true;
    return false;
}

void drawStored(PointBlock* block, const Equation& eq)
{
    LockedPointList stored(block);
    if (stored.valid())
        drawPointList(stored.list, eq.flags, eq.colour[0], wideLines(), background());
}

// A stored curve of the queue: its region first when it is an inequality, then the curve.
void redrawStored(GraphDoc& doc, Equation& eq)
{
    LockedPointList stored(eq.points);
    if (!stored.valid())
        return;
    shadeIfInequality(doc, eq, stored.list);
    drawPointList(stored.list, eq.flags, eq.colour[0], wideLines(), background());
}

// Removes the points of a run that did not finish from the work list, so that the next curve starts
// empty.
void clearWorkList()
{
    PointList& work = workPointList();
    resetPointList(work, std::max<int>(work.count(), 1));
}

// How many members a family has: its start, and every step up to its end (a step that does not lead
// there gives the start alone); 0 when there are more than a stored list could ever hold.
std::uint32_t familyMembers(const Equation& eq)
{
    const double span = (eq.aStop - eq.aStart) / eq.aStep;
    if (eq.aStep == 0 || !(span >= 0))
        return 1;
    if (!(span < MAX_FAMILY_ENTRIES))
        return 0;
    // The end counts when rounding left the last step a hair short of it.
    return std::uint32_t(std::floor(span + 1e-6)) + 1;
}

void showNotFinished(const Equation& eq)
{
    char text[64];
    std::snprintf(text, sizeof text, "graph type not finished yet: %x", unsigned(eq.flags & 0xFF00));
    userInterface().messageBox(text);
}

// The curves of a system of differential equations, computed together: the first, drawn as it is
// computed, into a stored block of WORK_LIST_ENTRIES; the middle ones into blocks of
// SYSTEM_MIDDLE_ENTRIES; the last into the work list. Afterwards each further curve is drawn in its
// own colour and joined to the first, which becomes the equation's stored list.
constexpr int SYSTEM_MIDDLE_ENTRIES = 2000;

int graphSystem(GraphDoc& doc, Equation& eq, Plotter plotter, bool& outOfMemory)
{
    const GridSetup& grid = doc.grid;
    const int curves = std::clamp<int>(eq.order, 1, ODE_MAX_COMPONENTS);
    PointBlock* blocks[ODE_MAX_COMPONENTS] = {};
    PointList lists[ODE_MAX_COMPONENTS];
    PointList* views[ODE_MAX_COMPONENTS] = {};
    auto freeBlocks = [&] {
        for (PointBlock*& b : blocks) {
            if (b && b->locks > 0)
                unlockBlock(b);
            b = freeBlock(b);
        }
    };
    for (int i = 0; i < curves; ++i) {
        if (i == curves - 1 && i > 0) {
            views[i] = &workPointList();
            continue;
        }
        const int entries = i == 0 ? WORK_LIST_ENTRIES : SYSTEM_MIDDLE_ENTRIES;
        blocks[i] = allocBlock(std::size_t(entries));
        std::uint8_t* data = blocks[i] ? lockBlock(blocks[i]) : nullptr;
        if (!data) {
            freeBlocks();
            outOfMemory = true;
            userInterface().messageBox(MSG_NO_MEMORY);
            return PLOT_DONE;
        }
        lists[i] = PointList{data, std::size_t(entries)};
        resetPointList(lists[i], entries);
        views[i] = &lists[i];
    }

    setOdeCurveLists(views, curves);
    g_liveList = views[0];
    const int result = plotter(doc, eq, eq.tree[1]);
    g_liveList = nullptr;
    setOdeCurveLists(nullptr, 0);
    if (result != PLOT_DONE) {
        freeBlocks();
        return result;
    }

    for (int i = 0; i < curves; ++i) {
        appendPoint(grid, POINT_END, *views[i]);
        // A curve that never entered the window still ends its list, so that the join has a marker to
        // turn into the colour break.
        if (views[i]->count() == 0) {
            views[i]->setEntry(0, POINT_END);
            views[i]->setCount(1);
        }
    }
    releaseCurvePen();
    if (!(eq.flags & eqflag::Dots))
        paintRunEnds(*views[0], eq.colour[0]);
    unlockBlock(blocks[0]);
    for (int i = 1; i < curves; ++i) {
        drawPointList(*views[i], eq.flags, eq.colour[i], wideLines(), background());
        if (!outOfMemory) {
            if (PointBlock* joined = joinPointLists(blocks[0], *views[i], eq.colour[i]))
                blocks[0] = joined;
            else
                outOfMemory = true;
        }
    }
    PointBlock* first = blocks[0];
    blocks[0] = nullptr;
    freeBlocks();
    resetPointList(workPointList(), WORK_LIST_ENTRIES);
    if (outOfMemory) {
        freeBlock(first);
        userInterface().messageBox(MSG_NO_MEMORY);
        return PLOT_DONE;
    }
    std::uint16_t count = 0;
    {
        LockedPointList stored(first);
        count = stored.valid() ? stored.list.count() : 0;
    }
    if (count < 2) {
        freeBlock(first);
        return PLOT_DONE;
    }
    eq.points = first;
    eq.pointCount = count;
    return PLOT_DONE;
}

// Whether the draw state is one of the running ones, repaint bit aside.
bool isPaused() { return baseState(g_drawState) == drawstate::Paused; }
bool abortRequested() { return baseState(g_drawState) == drawstate::AbortRequested; }

}  // namespace

int& drawState() { return g_drawState; }

void registerPlotter(GraphKind kind, Plotter plotter) { plotters()[static_cast<std::uint8_t>(kind)] = plotter; }
void registerInequalityShader(InequalityShader shader) { g_shader = shader; }
void registerToolRecordsPainter(ToolRecordsPainter painter) { g_toolPainter = painter; }
Plotter plotterFor(GraphKind kind) { return plotters()[static_cast<std::uint8_t>(kind)]; }

Driver& graphingDriver()
{
    static Driver driver;
    return driver;
}

bool tablesPrinted() { return (programOptions().tables & 1) && printout().list && !printingNow(); }

void Driver::beginDrawing(GraphDoc& doc)
{
    g_drawState = drawstate::Running;
    g_batchAborted = false;
    setAreaClip(doc.grid);
}

bool Driver::aborted() const { return g_batchAborted || abortRequested(); }

void Driver::redrawToolRecords(GraphDoc& doc)
{
    if (g_toolPainter)
        g_toolPainter(doc);
}

void Driver::endDrawing(GraphDoc& doc)
{
    clearClip();
    std::vector<Equation*> failed;
    failed.swap(g_failed);
    for (Equation* e : failed)
        if (inQueue(doc, e))
            deleteEquation(doc, e->text);
    g_drawState = drawstate::Idle;
}

void Driver::graphEquation(GraphDoc& doc, Equation& eq)
{
    g_drawState = drawstate::Running;
    const bool printing = printingNow();
    const bool graphed = (eq.flags & eqflag::OnGrid) != 0;

    if (!printing && !graphed && eq.points) {
        eq.flags |= eqflag::OnGrid;
        redrawStored(doc, eq);
        doc.onScreen = static_cast<std::int16_t>(std::min<int>(doc.onScreen + 1, doc.count));
        return;
    }
    if (printing != graphed)
        return;

    const Plotter plotter = plotterFor(eq.kind());
    if (!plotter) {
        showNotFinished(eq);
        return;
    }

    std::string status = MSG_GRAPHING;
    describeEquation(status, eq);
    userInterface().statusLine(status, MESSAGE_INFORMATION);
    selectCurvePen(eq.colour[0], wideLines());
    eq.points = freeBlock(eq.points);
    eq.pointCount = 0;
    PointList& work = workPointList();
    resetPointList(work, WORK_LIST_ENTRIES);

    double a = eq.aStart;
    const bool family = a != UNDEFINED_VALUE;
    if (eq.bValue != UNDEFINED_VALUE)
        g_variables.set('b', eq.bValue);
    if (eq.cValue != UNDEFINED_VALUE)
        g_variables.set('c', eq.cValue);
    const bool tables = tablesPrinted();
    const bool dots = (eq.flags & eqflag::Dots) != 0;
    const bool twoBranches = (eq.flags & eqflag::TwoBranches) != 0;
    const bool system = eq.kind() == GraphKind::OdeSystem;
    const GridSetup& grid = doc.grid;
    bool first = true;
    bool outOfMemory = false;
    int result = PLOT_DONE;
    g_familyBlock = nullptr;
    std::uint32_t familyCount = 0;
    const std::uint32_t members = family ? familyMembers(eq) : 1;
    if (members == 0) {
        // More members than a stored list could hold; a step lost in the size of its start would
        // not even reach the end.
        userInterface().messageBox(MSG_TOO_MANY_POINTS);
        result = PLOT_FAILED;
    }

    for (std::uint32_t member = 0; member < members; ++member) {
        if (family) {
            // By index, so that the values do not drift.
            a = eq.aStart + member * eq.aStep;
            g_variables.set('a', a);
        }
        if (tables)
            startTable(eq, family ? (first ? 2 : 1) : 0, a);
        if (system) {
            result = graphSystem(doc, eq, plotter, outOfMemory);
            if (tables && result == PLOT_DONE)
                endTable(eq);
            break;
        }
        result = plotter(doc, eq, eq.tree[1]);
        if (result != PLOT_DONE)
            break;
        if (!(dots && twoBranches))
            appendPoint(grid, POINT_END, work);
        if (twoBranches) {
            const int k = work.count();
            eq.firstBranchCount = static_cast<std::uint16_t>(k);
            if (tables)
                startSecondBranch(eq);
            result = plotter(doc, eq, eq.tree[0]);
            if (result != PLOT_DONE)
                break;
            if (k > 1 && !dots)
                stitchPasses(grid, work, k, work.count());
            appendPoint(grid, POINT_END, work);
        }
        const int n = work.count();
        if (n > 1) {
            shadeIfInequality(doc, eq, work);
            if (!dots)
                paintRunEnds(work, eq.colour[0]);
            if (eq.flags & eqflag::Strict)
                drawPointList(work, eq.flags, eq.colour[0], wideLines(), background());
        }
        if (family) {
            if (n > 2 || (n == 2 && !twoBranches)) {
                if (!g_familyBlock) {
                    g_familyBlock = copyPointList(work, n);
                    outOfMemory = g_familyBlock == nullptr;
                    familyCount = outOfMemory ? 0 : std::uint32_t(n);
                } else if (familyCount + std::uint32_t(n) >= MAX_FAMILY_ENTRIES) {
                    userInterface().messageBox(MSG_TOO_MANY_POINTS);
                    result = PLOT_FAILED;
                } else if (PointBlock* joined = joinPointLists(g_familyBlock, work, eq.colour[0])) {
                    g_familyBlock = joined;
                    familyCount += std::uint32_t(n);
                } else {
                    outOfMemory = true;
                }
            }
            resetPointList(work, n);
        } else {
            if (n > 2 || (n == 2 && !twoBranches)) {
                eq.points = copyPointList(work, n);
                eq.pointCount = eq.points ? static_cast<std::uint16_t>(n) : 0;
            }
            resetPointList(work, n);
        }
        if (tables)
            endTable(eq);
        // Memory ran out in the middle of a family: what is on screen stays, the equation keeps no
        // list and no on-screen mark, so the next redraw computes it again.
        if (outOfMemory) {
            userInterface().messageBox(MSG_NO_MEMORY);
            break;
        }
        if (result != PLOT_DONE || !family)
            break;
        first = false;
    }

    if (result != PLOT_DONE)
        clearWorkList();
    if (family) {
        if (result != PLOT_DONE || outOfMemory) {
            g_familyBlock = freeBlock(g_familyBlock);
        } else {
            eq.points = g_familyBlock;
            eq.pointCount = g_familyBlock ? static_cast<std::uint16_t>(familyCount) : 0;
        }
        g_familyBlock = nullptr;
    }
    if (!printing && result == PLOT_DONE && !outOfMemory) {
        eq.flags |= eqflag::OnGrid;
        doc.onScreen = static_cast<std::int16_t>(std::min<int>(doc.onScreen + 1, doc.count));
    }
    releaseCurvePen();
    if (result == PLOT_ABORTED)
        g_batchAborted = true;
    if (result == PLOT_FAILED)
        g_failed.push_back(&eq);
    if (!g_batchAborted)
        g_drawState = drawstate::Running;
}

void redrawAllCurves(GraphDoc& doc)
{
    setAreaClip(doc.grid);
    for (Equation* e = doc.tail(); e; e = e->previous)
        if ((e->flags & eqflag::OnGrid) && e->points)
            redrawStored(doc, *e);
    if (g_toolPainter)
        g_toolPainter(doc);
    clearClip();
    if (g_drawState != drawstate::Idle)
        g_drawState |= drawstate::RepaintPending;
}

int pumpMessages()
{
    const bool noYield = programOptions().hogCPU || printingNow();
    g_drawState = userInterface().pumpMessages(g_drawState, noYield);
    return g_drawState;
}

void repaintPartialCurve(GraphDoc& doc, Equation& eq)
{
    setAreaClip(doc.grid);
    CurveOutput& out = curveOutput();
    if (g_familyBlock)
        drawStored(g_familyBlock, eq);
    // Stored family curves release the pen; the running curve needs it back.
    selectCurvePen(eq.colour[0], wideLines());
    out.keepCurvePen = true;
    const PointList& work = g_liveList ? *g_liveList : workPointList();
    drawPointList(work, eq.flags, eq.colour[0], wideLines(), background());
    out.keepCurvePen = false;
    const int n = work.count();
    if (n > 0 && out.surface) {
        const DevicePoint last = fetchPoint(work, n - 1);
        if (!isMarker(last))
            out.surface->moveTo(last.x, last.y);
    }
    g_drawState &= ~drawstate::RepaintPending;
}

void pauseAtPoint(GraphDoc& doc, Equation& eq, char vLetter, double v, char wLetter, double w)
{
    userInterface().statusLine(formatMessage(MSG_PAUSE, {vLetter, v, wLetter, w}), MESSAGE_WARNING);
    while (isPaused()) {
        pumpMessages();
        if (g_drawState & drawstate::RepaintPending)
            repaintPartialCurve(doc, eq);
    }
    std::string text = abortRequested() ? MSG_ABORTED : MSG_GRAPHING;
    text += eq.text;
    userInterface().statusLine(text, MESSAGE_INFORMATION);
}

bool plotterPointDone(GraphDoc& doc, Equation& eq, char vLetter, double v, char wLetter, double w,
                      bool errorPending)
{
    pumpMessages();
    if (g_drawState & drawstate::RepaintPending)
        repaintPartialCurve(doc, eq);
    if (isPaused() && !errorPending)
        pauseAtPoint(doc, eq, vLetter, v, wLetter, w);
    return abortRequested();
}

namespace {

// Joins p to q when they are distinct and close: the segment is drawn and p is inserted at index.
bool tryConnect(PointList& list, DevicePoint p, DevicePoint q, int index)
{
    if (isMarker(p) || isMarker(q) || p == q || std::abs(p.x - q.x) + std::abs(p.y - q.y) >= 10)
        return false;
    if (!insertPoint(list, index, p.x, p.y))
        return false;
    if (PlotSurface* s = curveOutput().surface) {
        const CurveOutput& out = curveOutput();
        s->moveTo(p.x - out.renderOffsetX, p.y - out.renderOffsetY);
        s->lineTo(q.x - out.renderOffsetX, q.y - out.renderOffsetY);
        s->setPixel(q.x - out.renderOffsetX, q.y - out.renderOffsetY, out.curveColour);
    }
    return true;
}

}  // namespace

int stitchPasses(const GridSetup& /*grid*/, PointList& list, int k, int total)
{
    if (k <= 0 || k >= total)
        return total;
    auto at = [&](int i) { return list.entry(std::size_t(i)); };
    // The ends of the two branches, then their beginnings.
    int lastPlain1 = k - 2;
    while (lastPlain1 >= 0 && isMarker(at(lastPlain1)))
        --lastPlain1;
    if (lastPlain1 >= 0 && tryConnect(list, at(lastPlain1), at(total - 1), total))
        ++total;
    int firstPlain1 = 0;
    while (firstPlain1 < k - 1 && isMarker(at(firstPlain1)))
        ++firstPlain1;
    if (firstPlain1 < k - 1 && tryConnect(list, at(firstPlain1), at(k), k))
        ++total;
    // The inner run ends, pairwise in order.
    int scan1 = firstPlain1, scan2 = k;
    for (;;) {
        int b1 = scan1;
        while (b1 < k - 1 && !isMarker(at(b1)))
            ++b1;
        if (b1 >= k - 1)
            break;
        int b2 = scan2 + 1;
        while (b2 < total && !isMarker(at(b2)))
            ++b2;
        if (b2 >= total)
            break;
        if (b1 > 0 && tryConnect(list, at(b1 - 1), at(b2 - 1), b2)) {
            ++b2;
            ++total;
        }
        if (b2 + 1 < total && b1 + 1 < k - 1 && tryConnect(list, at(b1 + 1), at(b2 + 1), b2 + 1))
            ++total;
        scan1 = b1 + 1;
        scan2 = b2 + 1;
    }
    return total;
}

}  // namespace qv
