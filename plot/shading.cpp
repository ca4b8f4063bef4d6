#include "plot/shading.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "expr/evaluator.h"
#include "expr/functions.h"
#include "plot/colours.h"
#include "plot/grid_draw.h"

namespace qv {

namespace {

constexpr int HATCH_ALTERNATIONS = 2;
constexpr int FILL_ONLY = 2;  // fillPolygonSet: no outline
constexpr int REFERENCE_PLACES = 2;    // the test beside a run's end is taken at its third point
constexpr int REFERENCE_SEARCH = 64;   // further points tried where the test cannot tell the side
constexpr int BRANCH_SPLIT_OVERLAP = 2;  // rows the second pass of two branches reaches into the first

// One shading of one inequality. The rules are written in terms of the independent position i of a
// point (device x, or device y for x = f(y)) and its dependent position d (device y, or device x), so
// that both orientations share them. T is the dependent limit with the smaller device value, B the
// one with the larger; L and R are where the plotting direction starts and ends.
struct Shading {
    Equation& eq;
    const PointList& list;
    const GridSetup& g;
    PlotSurface& surface;
    PolygonSet& set;
    bool ofY = false;
    bool twoBranches = false;
    int count = 0;
    int firstBranchCount = 0;
    int L = 0, R = 0, T = 0, B = 0;
    int dir = 1;  // +1 when the plotting direction runs toward larger device positions
    int k = SHADE_TEST_OFFSET;
    int pass = 0;

    int ind(DevicePoint p) const { return ofY ? p.y : p.x; }
    int dep(DevicePoint p) const { return ofY ? p.x : p.y; }
    int dep(PolygonPoint p) const { return ofY ? p.x : p.y; }
    bool atOrBefore(int i, int limit) const { return ofY ? i >= limit : i <= limit; }
    bool atOrBeyond(int i, int limit) const { return ofY ? i <= limit : i >= limit; }
    bool inside(int d) const { return T < d && d < B; }
    // The dependent edges of the area itself, whatever the pass's limits.
    int areaLow() const { return ofY ? g.areaLeft : g.areaTop; }
    int areaHigh() const { return ofY ? g.areaRight : g.areaBottom; }
    int areaStart() const { return ofY ? g.areaBottom : g.areaLeft; }
    int areaEnd() const { return ofY ? g.areaTop : g.areaRight; }
    int areaMiddle() const { return (areaLow() + areaHigh()) / 2; }

    DevicePoint at(int index) const { return fetchPoint(list, index); }

    void add(int i, int d)
    {
        if (ofY)
            addPolygonPoint(set, d, i);
        else
            addPolygonPoint(set, i, d);
    }

    RelationTest test(int i, int d) const
    {
        if (ofY)
            return holdsAt(eq, g.deviceToWorldX(d), g.deviceToWorldY(i));
        return holdsAt(eq, g.deviceToWorldX(i), g.deviceToWorldY(d));
    }
    RelationTest testTowardT(DevicePoint p) const { return test(ind(p), dep(p) - SHADE_TEST_OFFSET); }

    double independentWorld(int i) const { return ofY ? g.deviceToWorldY(i) : g.deviceToWorldX(i); }
    double dependentWorld(int d) const { return ofY ? g.deviceToWorldX(d) : g.deviceToWorldY(d); }
    int dependentDevice(double iWorld, double dWorld) const
    {
        return ofY ? deviceOf(g, dWorld, iWorld).x : deviceOf(g, iWorld, dWorld).y;
    }

    // The boundary branch this pass shades from, and the other one.
    const ExprNode* ownBranch() const { return (twoBranches && pass == 1) ? eq.tree[0] : eq.tree[1]; }
    const ExprNode* otherBranch() const { return pass == 1 ? eq.tree[1] : eq.tree[0]; }

    // Evaluates a branch of the boundary at independent position i; status gathers the failures.
    double branchAt(const ExprNode* tree, double iWorld, EvalStatus& status) const
    {
        if (!tree) {
            status |= evalerr::BadNode;
            return 0;
        }
        g_variables.set(ofY ? 'y' : 'x', iWorld);
        const double v = evaluate(tree, status);
        if (status == 0 && !std::isfinite(v))
            status |= evalerr::Overflow;
        return v;
    }

    // The list index of the plain point up to places entries further into the run from index (step
    // +1) or back into it (step -1).
    int runIndex(int index, int step, int places) const
    {
        int j = index;
        for (int n = 0; n < places; ++n) {
            const int next = j + step;
            if (next < 0 || next >= count || isMarker(at(next)))
                break;
            j = next;
        }
        return j;
    }
    // The test 3 toward T beside the run that starts (step +1) or ends (step -1) at index, taken
    // places entries into the run. Where the boundary is steep, a point rounded to its device column
    // can have the curve above or below it by more than the test's reach, and where the boundary
    // begins at the end of its domain the relation can be undefined there: the test is trusted when
    // the point 3 toward B answers the other way (the curve lies between the two), and moves further
    // along the run until that is so. Without such a point the first test that did not fail stands.
    RelationTest testBesideRun(int index, int step, int places) const
    {
        int j = runIndex(index, step, places);
        RelationTest first;
        first.failed = true;
        for (int n = 0; n <= REFERENCE_SEARCH; ++n) {
            const DevicePoint q = at(j);
            const RelationTest t = testTowardT(q);
            if (!t.failed) {
                const RelationTest other = test(ind(q), dep(q) + SHADE_TEST_OFFSET);
                if (!other.failed && other.holds != t.holds)
                    return t;
                if (first.failed)
                    first = t;
            }
            const int next = runIndex(j, step, 1);
            if (next == j)
                break;
            j = next;
        }
        return first;
    }

    // Whether the relation holds 3 beside the level d of a run at position i, on the side of towardD.
    bool holdsBeside(int i, int d, int towardD) const
    {
        if (towardD == d)
            return false;
        const RelationTest t = test(i, d + (towardD < d ? -SHADE_TEST_OFFSET : SHADE_TEST_OFFSET));
        return !t.failed && t.holds;
    }
    // Bisection from a position where holds(from) is true toward to: the first position at which it
    // is false (to when it holds there too), assuming it changes once at most.
    template <class Pred>
    static int firstFailing(int from, int to, const Pred& holds)
    {
        if (holds(to))
            return to;
        int good = from, bad = to;
        while (std::abs(bad - good) > 1) {
            const int mid = (good + bad) / 2;
            if (holds(mid))
                good = mid;
            else
                bad = mid;
        }
        return bad;
    }
    // The same, the last position at which it is still true.
    template <class Pred>
    static int lastHolding(int from, int to, const Pred& holds)
    {
        const int bad = firstFailing(from, to, holds);
        if (bad == to && holds(to))
            return to;
        return bad == from ? from : bad - (bad > from ? 1 : -1);
    }
    int shadeEdge(int i, bool towardT) const;
    int sideOfColumn(int m) const;
    int findDefinedEdge(int failing, int defined) const;
    int findPole(DevicePoint last, DevicePoint next, int& bits) const;
    int edgeRunColumn(DevicePoint p, int limit, int offset, int nearEdge, int farEdge, bool atStart) const;
    void insideRunEnd(int limit, int index, bool atStart);
    int firstBranchExtreme() const;
    void drawPoleLine(int c);
    void startRun(int index);
    void breakBetweenRuns(DevicePoint last, int nextIndex);
    void endPass(int lastIndex);
    void runPass(int& index);
    void run();
};

// Where a polygon meets the area edge, or the other branch when that lies between the curve and the
// edge, at position i.
int Shading::shadeEdge(int i, bool towardT) const
{
    const int edge = towardT ? T : B;
    if (!twoBranches)
        return edge;
    const double iWorld = independentWorld(i);
    EvalStatus status = 0;
    const double own = branchAt(ownBranch(), iWorld, status);
    const double other = branchAt(otherBranch(), iWorld, status);
    if (status)
        return edge;
    const int o = dependentDevice(iWorld, own);
    const int h = dependentDevice(iWorld, other);
    if (towardT)
        return (T < h && h < o) ? h : T;
    return (o < h && h < B) ? h : B;
}

// On which side of position m the relation holds at the middle of the area.
int Shading::sideOfColumn(int m) const
{
    const int mid = areaMiddle();
    int bits = 0;
    const RelationTest nextSide = test(m + dir, mid);
    if (!nextSide.failed && nextSide.holds)
        bits |= SIDE_NEXT_RUN;
    const RelationTest endedSide = test(m - dir, mid);
    if (!endedSide.failed && endedSide.holds)
        bits |= SIDE_ENDED_RUN;
    return bits;
}

// Bisection between a position where the boundary cannot be evaluated and one where it can: the last
// position evaluated (the defined one when they are already adjacent).
int Shading::findDefinedEdge(int failing, int defined) const
{
    int m = defined;
    while (std::abs(failing - defined) > 1) {
        m = (failing + defined) / 2;
        EvalStatus status = 0;
        branchAt(ownBranch(), independentWorld(m), status);
        if (status)
            failing = m;
        else
            defined = m;
    }
    return m;
}

// The position of a pole between the run ending at last and the one starting at next, which lie
// beyond opposite dependent edges; -1 when the relation holds on neither side of it. The bisection
// keeps to the ended run's side while the boundary is still on last's side of the area's middle, so
// that the search works for any visible range, not only for ranges around zero.
int Shading::findPole(DevicePoint last, DevicePoint next, int& bits) const
{
    bits = 0;
    const bool lastHigh = ofY ? dep(last) >= g.areaRight : dep(last) <= g.areaTop;
    const double threshold = dependentWorld(areaMiddle());
    int ended = ind(last), started = ind(next);
    int m = ended;
    bool stopped = false;
    while (std::abs(ended - started) > 1) {
        m = (ended + started) / 2;
        EvalStatus status = 0;
        const double t = branchAt(ownBranch(), independentWorld(m), status);
        if (status) {
            stopped = true;
            break;
        }
        const bool endedSide = lastHigh ? t > threshold : t < threshold;
        if (endedSide)
            ended = m;
        else
            started = m;
    }
    if (!stopped) {
        // The end nearer the pole: the one further from the middle, or the one that cannot be evaluated.
        EvalStatus se = 0, ss = 0;
        const double fe = branchAt(ownBranch(), independentWorld(ended), se);
        const double fs = branchAt(ownBranch(), independentWorld(started), ss);
        if (ss)
            m = started;
        else if (se)
            m = ended;
        else
            m = std::fabs(fs - threshold) >= std::fabs(fe - threshold) ? started : ended;
    }
    bits = sideOfColumn(m);
    return bits ? m : -1;
}

// Whether and where a run that begins (atStart) or ends beyond a dependent edge is joined to the edge.
int Shading::edgeRunColumn(DevicePoint p, int limit, int offset, int nearEdge, int farEdge, bool atStart) const
{
    const RelationTest corner = test(limit, nearEdge);
    if (!corner.failed) {
        const RelationTest beside = test(ind(p) + offset, nearEdge);
        if (!beside.failed)
            return beside.holds ? limit : -1;
    }
    // The relation is undefined near that end: the region starts where the boundary does.
    const int position = findDefinedEdge(atStart ? areaStart() : areaEnd(), ind(p));
    const RelationTest away = test(ind(p) - offset, farEdge);
    return (!away.failed && away.holds) ? position : -1;
}

// Joins a run that begins (atStart) or ends at index, strictly inside the area, to the limit.
void Shading::insideRunEnd(int limit, int index, bool atStart)
{
    const DevicePoint p = at(index);
    const int d = dep(p);
    const RelationTest atLimit = test(limit, d);
    if (atLimit.failed) {
        const RelationTest beside = testBesideRun(index, atStart ? +1 : -1, REFERENCE_PLACES);
        if (!beside.failed)
            add(ind(p), shadeEdge(ind(p), beside.holds));
        return;
    }
    int e;
    if (atLimit.holds) {
        // Toward the edge away from the other branch: T in the first pass of y = f(x), where the
        // first branch lies above the second; B for x = f(y), where it lies to the right.
        e = shadeEdge(limit, (pass == 0) != ofY);
    } else {
        const RelationTest below = test(limit, d + SHADE_TEST_OFFSET);
        if (below.failed || !below.holds)
            return;
        e = shadeEdge(limit, false);
    }
    if (atStart) {
        add(limit, e);
        add(limit, d);
    } else {
        add(limit, d);
        add(limit, e);
    }
}

// The split between the two passes of a two-branch boundary: just beyond the first branch's points on
// the side of the second.
int Shading::firstBranchExtreme() const
{
    int extreme = ofY ? g.areaRight : g.areaTop;
    const int n = std::min(firstBranchCount, count);
    for (int j = 0; j < n; ++j) {
        const DevicePoint e = at(j);
        if (isEnd(e))
            break;
        if (isBreak(e))
            continue;
        extreme = ofY ? std::min<int>(extreme, e.x) : std::max<int>(extreme, e.y);
    }
    return extreme + 1;
}

// The line through a pole is part of the region's border.
void Shading::drawPoleLine(int c)
{
    if (ofY) {
        surface.moveTo(T, c);
        surface.lineTo(B + 1, c);
    } else {
        surface.moveTo(c, T);
        surface.lineTo(c, B + 1);
    }
}

void Shading::startRun(int index)
{
    const DevicePoint p = at(index);
    const int i = ind(p), d = dep(p);
    if (atOrBefore(i, L)) {
        const RelationTest t = testBesideRun(index, +1, 0);
        if (!t.failed)
            add(L, shadeEdge(L, t.holds));
    } else if (inside(d)) {
        insideRunEnd(L, index, true);
    } else if (d <= T) {
        const int c = edgeRunColumn(p, L, -k, T, B, true);
        if (c >= 0) {
            add(c, shadeEdge(c, false));
            add(c, T);
        }
    } else {
        const int c = edgeRunColumn(p, L, -k, B, T, true);
        if (c >= 0) {
            add(c, shadeEdge(c, true));
            add(c, B);
        }
    }
}

void Shading::breakBetweenRuns(DevicePoint last, int nextIndex)
{
    const DevicePoint next = at(nextIndex);
    const int dl = dep(last), dn = dep(next);
    const int low = areaLow(), high = areaHigh();
    const bool hasStart = set.pointCount > set.currentStart;
    const int fd = hasStart ? dep(currentPolygonStart(set)) : dl;
    // A jump: the boundary stops inside the area and goes on at another position.
    const bool jump = inside(dl) && ind(last) != ind(next);
    const int m = (ind(last) + ind(next)) / 2;
    int c = -1, bits = 0;
    if ((dl <= low && dn >= high) || (dl >= high && dn <= low)) {
        c = findPole(last, next, bits);
    } else if (jump) {
        bits = sideOfColumn(m);
        if (bits)
            c = m;
    }

    // The samples on either side of a jump can lie some columns apart: each region reaches the
    // position where the relation stops holding beside its own run, found by bisection, so that the
    // regions of a step function meet without a gap. Where the relation is undefined between the
    // runs, each stops at its own run's end.
    const RelationTest nextSide = testBesideRun(nextIndex, +1, REFERENCE_PLACES);
    int endedReach = ind(last), nextReach = ind(next);
    if (jump) {
        auto endedHolds = [&](int i) { return holdsBeside(i, dl, fd); };
        auto nextHolds = [&](int i) { return !nextSide.failed && holdsBeside(i, dn, nextSide.holds ? T : B); };
        if (endedHolds(ind(last)))
            endedReach = firstFailing(ind(last), ind(next), endedHolds);
        if (nextHolds(ind(next)))
            nextReach = lastHolding(ind(next), endedReach, nextHolds);
    }

    if (c >= 0) {
        if (bits != SIDE_BOTH)
            drawPoleLine(c);
        if (bits & SIDE_ENDED_RUN) {
            add(c, dl);
            add(c, fd);
        } else if (jump && hasStart) {
            // The ended side fails at mid-height only; the run's own region still reaches its end.
            add(endedReach, dl);
            add(endedReach, fd);
        }
        closePolygon(set);
        if (bits & SIDE_NEXT_RUN) {
            if (inside(dl)) {
                if (!nextSide.failed)
                    add(c, shadeEdge(c, nextSide.holds));
            } else {
                add(c, dl);
            }
            add(c, dn);
        }
        return;
    }

    if (hasStart) {
        if ((dl <= low && fd <= low) || (dl >= high && fd >= high)) {
            closePolygon(set);
        } else if (jump) {
            add(endedReach, dl);
            add(endedReach, fd);
            closePolygon(set);
        }
        // Otherwise the boundary left and comes back through the same edge: the polygon goes on.
    }
    if (inside(dn) && !nextSide.failed) {
        add(nextReach, shadeEdge(nextReach, nextSide.holds));
        add(nextReach, dn);
    }
}

void Shading::endPass(int lastIndex)
{
    const DevicePoint p = at(lastIndex);
    const int i = ind(p), d = dep(p);
    if (atOrBeyond(i, R)) {
        const RelationTest t = testBesideRun(lastIndex, -1, 0);
        if (!t.failed)
            add(R, shadeEdge(R, t.holds));
    } else if (d <= T) {
        const int c = edgeRunColumn(p, R, k, T, B, false);
        if (c >= 0) {
            add(c, T);
            add(c, shadeEdge(c, false));
        }
    } else if (d >= B) {
        const int c = edgeRunColumn(p, R, k, B, T, false);
        if (c >= 0) {
            add(c, B);
            add(c, shadeEdge(c, true));
        }
    } else {
        insideRunEnd(R, lastIndex, false);
    }
}

// One pass from the list index on: the runs of the boundary (of one branch, with two branches) become
// polygons, filled with one call.
void Shading::runPass(int& index)
{
    if (index < 0 || index >= count || isMarker(at(index)))
        return;
    const bool firstOfTwo = twoBranches && pass == 0;
    startRun(index);
    int lastIndex = index;
    while (index < count) {
        if (firstOfTwo && index >= firstBranchCount)
            break;
        const DevicePoint e = at(index);
        if (!isMarker(e)) {
            add(ind(e), dep(e));
            lastIndex = index++;
            continue;
        }
        ++index;
        if (isEnd(e) || (twoBranches && index == firstBranchCount) || index >= count)
            break;
        // Markers in a row stand for one break.
        if (isMarker(at(index)))
            continue;
        breakBetweenRuns(at(lastIndex), index);
    }
    endPass(lastIndex);
    closePolygon(set);
    fillPolygonSet(set, FILL_ONLY);
    clearPolygonSet(set);
}

void Shading::run()
{
    int index = 0;
    if (!twoBranches) {
        pass = 0;
        runPass(index);
        return;
    }
    if (firstBranchCount < 2) {
        // Only the second branch has points.
        pass = 1;
        index = std::clamp(firstBranchCount, 0, count);
        runPass(index);
        return;
    }
    const int extreme = firstBranchExtreme();
    if (ofY)
        T = extreme;
    else
        B = extreme;
    pass = 0;
    runPass(index);
    if (ofY) {
        B = extreme + BRANCH_SPLIT_OVERLAP;
        T = g.areaLeft;
    } else {
        T = extreme - BRANCH_SPLIT_OVERLAP;
        B = g.areaBottom;
    }
    pass = 1;
    index = std::max(index, firstBranchCount);
    runPass(index);
}

}  // namespace

RelationTest holdsAt(const Equation& eq, double x, double y)
{
    RelationTest result;
    g_variables.set('x', x);
    g_variables.set('y', y);
    if (!eq.tree[2] || !eq.tree[3]) {
        result.failed = true;
        return result;
    }
    EvalStatus status = 0;
    const double left = evaluate(eq.tree[2], status);
    const double right = evaluate(eq.tree[3], status);
    if (status || std::isnan(left) || std::isnan(right)) {
        result.failed = true;
        return result;
    }
    result.holds = ((eq.flags & eqflag::ShadeBelow) && left < right) || ((eq.flags & eqflag::ShadeAbove) && left > right);
    return result;
}

void shadeInequality(GraphDoc&) { hatchAlternation() = 0; }

void shadeInequality(GraphDoc& doc, Equation& eq, const PointList& boundary)
{
    if (!(eq.flags & eqflag::Inequality))
        return;
    CurveOutput& out = curveOutput();
    PlotSurface* surface = out.surface;
    if (!surface || !boundary.data)
        return;

    int& toggle = hatchAlternation();
    toggle = (toggle + 1) % HATCH_ALTERNATIONS;
    const HatchStyle style = toggle == 1 ? HatchStyle::BackwardDiagonal : HatchStyle::ForwardDiagonal;
    // The region takes the colour of its curve.
    const ObjectId hatch = surface->createHatchBrush(style, graphColour(eq.colour[0]));
    if (!hatch)
        return;
    const ObjectId previousBrush = surface->select(hatch);
    surface->setBackgroundMode(BackgroundMode::Transparent);

    const int count = std::min<int>(boundary.count(), int(boundary.capacity));
    PolygonSet set;
    if (newPolygonSet(set, count)) {
        // While a curve is being computed the driver holds the curve pen; it stays for the driver.
        const bool penHeld = out.curvePen != 0;
        selectCurvePen(eq.colour[0], programOptions().widelines);
        if (eq.bValue != UNDEFINED_VALUE)
            g_variables.set('b', eq.bValue);
        if (eq.cValue != UNDEFINED_VALUE)
            g_variables.set('c', eq.cValue);

        const GridSetup& g = doc.grid;
        Shading sh{eq, boundary, g, *surface, set};
        sh.ofY = (eq.flags & eqflag::FunctionOfY) != 0;
        sh.twoBranches = (eq.flags & eqflag::TwoBranches) != 0;
        sh.count = count;
        sh.firstBranchCount = eq.firstBranchCount;
        if (sh.ofY) {
            sh.L = eq.domainLow > g.yMin ? deviceOf(g, g.xMin, eq.domainLow).y : g.areaBottom;
            sh.R = eq.domainHigh < g.yMax ? deviceOf(g, g.xMin, eq.domainHigh).y : g.areaTop;
            sh.T = g.areaLeft;
            sh.B = g.areaRight;
            sh.dir = -1;
        } else {
            sh.L = eq.domainLow > g.xMin ? deviceOf(g, eq.domainLow, g.yMin).x : g.areaLeft;
            sh.R = eq.domainHigh < g.xMax ? deviceOf(g, eq.domainHigh, g.yMin).x : g.areaRight;
            sh.T = g.areaTop;
            sh.B = g.areaBottom;
            sh.dir = 1;
        }
        sh.k = sh.dir * SHADE_TEST_OFFSET;
        sh.run();

        if (!penHeld)
            releaseCurvePen();
        freePolygonSet(set);
    }

    // No later evaluation may see the last test point.
    g_variables.set('x', HUGE_VAL);
    g_variables.set('y', HUGE_VAL);
    surface->setBackgroundMode(BackgroundMode::Opaque);
    surface->select(previousBrush);
    surface->deleteObject(hatch);
}

}  // namespace qv
