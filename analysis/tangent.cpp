#include "analysis/tangent.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "analysis/integration.h"
#include "doc/equation_line.h"
#include "expr/derivative.h"
#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/number_format.h"
#include "platform/ui.h"
#include "plot/colours.h"
#include "plot/graphing_driver.h"
#include "plot/point_list.h"

namespace qv {

namespace {

void setParameters(const Equation& e)
{
    g_variables.set('b', e.bValue);
    g_variables.set('c', e.cValue);
}

double evaluateAt(const ExprNode* tree, VarCode v, double at, EvalStatus& status)
{
    g_variables.set(v, at);
    status = 0;
    const double value = evaluate(tree, status);
    // A value that is no number at all cannot be a point of the curve, though no rule flagged it.
    if (status == 0 && std::isnan(value))
        status = evalerr::InvalidOperation;
    return value;
}

// World units of one pixel column and one pixel row, in the coordinates the tangent is drawn in:
// logarithms on log-log paper.
double columnWidth(const GridSetup& g)
{
    const double span = g.logX() && g.logY() ? g.logXSpan : g.xMax - g.xMin;
    return span / std::max(1, g.areaRight - g.areaLeft);
}

double rowHeight(const GridSetup& g)
{
    const double span = g.logX() && g.logY() ? g.logYSpan : g.yMax - g.yMin;
    return span / std::max(1, g.areaBottom - g.areaTop);
}

// The slope of the curve read off its stored points around index, converted from screen pixels to
// the grid's units. False when there are not two plain points to read it from.
bool storedSlope(const GridSetup& g, const PointList& list, int index, double& slope)
{
    const int n = list.count();
    if (index < 0 || index >= n)
        return false;
    int ia = index;
    if (isMarker(list.entry(std::size_t(ia))))
        --ia;
    if (ia < 0 || isMarker(list.entry(std::size_t(ia))))
        return false;
    DevicePoint a = list.entry(std::size_t(ia));
    DevicePoint b;
    if (ia > 0 && !isMarker(list.entry(std::size_t(ia - 1)))) {
        b = list.entry(std::size_t(ia - 1));
    } else if (ia + 1 < n && !isMarker(list.entry(std::size_t(ia + 1)))) {
        // The first point of a run has nothing before it: the segment after it gives the direction.
        b = a;
        a = list.entry(std::size_t(ia + 1));
    } else {
        return false;
    }
    const int rise = b.y - a.y;
    const int run = a.x - b.x;
    if (run == 0) {
        slope = b.y < a.y ? -HUGE_VAL : HUGE_VAL;
        return true;
    }
    slope = double(rise) / double(run) * rowHeight(g) / columnWidth(g);
    return true;
}

char colourByte(const Equation& e) { return char(128 + std::abs(int(e.colour[0]))); }

}  // namespace

Equation* findDerivative(GraphDoc& doc, const Equation& e)
{
    Equation* d = addDerivative(doc, e);
    if (!d)
        return nullptr;
    doc.modified = true;
    redrawNewest(doc, 1);
    return d;
}

double slopeAt(const GraphDoc& doc, const Equation& e, double x, double& y, EvalStatus& status)
{
    status = 0;
    const VarCode v = independentVariable(e);
    const ExprNode* used = e.tree[1];
    if (!used || ((e.flags & eqflag::TwoBranches) && !e.tree[0])) {
        status = SLOPE_NOT_DIFFERENTIABLE;
        return UNDEFINED_VALUE;
    }
    setParameters(e);
    if (e.flags & eqflag::TwoBranches) {
        const double positive = evaluateAt(e.tree[1], v, x, status);
        if (status)
            return UNDEFINED_VALUE;
        const double negative = evaluateAt(e.tree[0], v, x, status);
        if (status)
            return UNDEFINED_VALUE;
        if (std::fabs(positive - y) <= std::fabs(negative - y)) {
            y = positive;
        } else {
            y = negative;
            used = e.tree[0];
        }
    } else {
        y = evaluateAt(used, v, x, status);
        if (status)
            return UNDEFINED_VALUE;
    }

    resetVariables();
    int diffStatus = 0;
    ExprNode* derivative = simplify(differentiate(copyTree(used), v, diffStatus));
    setParameters(e);
    double slope = UNDEFINED_VALUE;
    if (diffStatus == 0) {
        slope = evaluateAt(derivative, v, x, status);
    } else if (e.kind() == GraphKind::Cartesian) {
        const GridSetup& g = doc.grid;
        const double h = CENTRAL_DIFFERENCE_FRACTION * (g.xMax - g.xMin) / std::max(1, g.areaRight - g.areaLeft);
        const double ahead = evaluateAt(used, v, x + h, status);
        if (status == 0) {
            const double behind = evaluateAt(used, v, x - h, status);
            if (status == 0)
                slope = (ahead - behind) / (2 * h);
        }
    } else {
        status = SLOPE_NOT_DIFFERENTIABLE;
    }
    freeTree(derivative);
    if (status == 0 && std::isnan(slope))
        status = SLOPE_NOT_DIFFERENTIABLE;
    return status ? UNDEFINED_VALUE : slope;
}

PolarMatch matchPolarPoint(const GraphDoc& doc, const Equation& e, double x, double y)
{
    PolarMatch match;
    if (!e.tree[1])
        return match;
    const GridSetup& g = doc.grid;
    const double tolX = POLAR_MATCH_PIXELS * (g.xMax - g.xMin) / std::max(1, g.areaRight - g.areaLeft);
    const double tolY = POLAR_MATCH_PIXELS * (g.yMax - g.yMin) / std::max(1, g.areaBottom - g.areaTop);
    const double theta0 = std::atan2(y, x);
    const double low = std::isinf(e.domainLow) ? g.tstart : e.domainLow;
    const double high = std::isinf(e.domainHigh) ? g.tstop : e.domainHigh;
    const VarCode v = independentVariable(e);
    const bool twoBranches = (e.flags & eqflag::TwoBranches) && e.tree[0];
    setParameters(e);
    double t = theta0 + std::ceil((low - theta0) / POLAR_CANDIDATE_STEP) * POLAR_CANDIDATE_STEP;
    for (int i = 0; i < POLAR_CANDIDATE_LIMIT && t <= high; ++i, t += POLAR_CANDIDATE_STEP) {
        for (const ExprNode* tree : {e.tree[1], twoBranches ? e.tree[0] : nullptr}) {
            if (!tree)
                continue;
            EvalStatus status = 0;
            const double r = evaluateAt(tree, v, t, status);
            if (status)
                continue;
            const double px = r * std::cos(t), py = r * std::sin(t);
            if (std::fabs(px - x) <= tolX && std::fabs(py - y) <= tolY) {
                match.found = true;
                match.t = t;
                match.r = r;
                match.x = px;
                match.y = py;
                return match;
            }
        }
    }
    return match;
}

std::string tangentStatusText(const Equation& e, double x, double y, double slope)
{
    std::string text = formatMessage(MSG_TANGENT_POINT, {x, y, slope});
    text += COLOUR_ESCAPE;
    text += colourByte(e);
    text += MSG_TANGENT_OF;
    text += e.text;
    text += ')';
    return text;
}

TangentResult tangentAt(TangentRecord& record, Equation& e, double x, double y, int index)
{
    if (!record.document)
        return TangentResult::Nothing;
    const GraphDoc& doc = *record.document;
    EvalStatus status = 0;
    double slope = UNDEFINED_VALUE;
    switch (e.kind()) {
    case GraphKind::Polar: {
        const PolarMatch m = matchPolarPoint(doc, e, x, y);
        if (!m.found) {
            status = SLOPE_NOT_DIFFERENTIABLE;
            break;
        }
        x = m.x;
        y = m.y;
        double r = m.r;
        const double drdt = slopeAt(doc, e, m.t, r, status);
        if (status == 0)
            slope = std::tan(m.t + std::atan2(r, drdt));
        break;
    }
    case GraphKind::Cartesian:
        if (e.flags & eqflag::FunctionOfY) {
            const double dxdy = slopeAt(doc, e, y, x, status);
            if (status == 0 && dxdy == 0)
                status = SLOPE_NOT_DIFFERENTIABLE;
            if (status == 0)
                slope = 1 / dxdy;
        } else {
            slope = slopeAt(doc, e, x, y, status);
        }
        break;
    default: {
        LockedPointList stored(e.points);
        if (!stored.valid())
            return TangentResult::Nothing;
        if (!storedSlope(doc.grid, stored.list, index, slope))
            status = SLOPE_NOT_DIFFERENTIABLE;
        break;
    }
    }
    if (status || std::isnan(slope)) {
        userInterface().messageBox(MSG_NO_SLOPE);
        return TangentResult::Failed;
    }
    userInterface().statusLine(tangentStatusText(e, x, y, slope), MESSAGE_INFORMATION);
    const bool first = record.equation == nullptr;
    record.equation = &e;
    record.x = float(x);
    record.y = float(y);
    record.slope = float(slope);
    if (!first)
        return TangentResult::RedrawNeeded;
    setAreaClip(doc.grid);
    drawTangent(record);
    clearClip();
    return TangentResult::Drawn;
}

bool tangentEndPoints(const GridSetup& g, double x0, double y0, double slope, double& xa, double& ya, double& xb,
                      double& yb)
{
    const bool logLog = g.logX() && g.logY();
    double left = g.xMin, right = g.xMax, bottom = g.yMin, top = g.yMax;
    if (logLog) {
        if (!(x0 > 0) || !(y0 > 0))
            return false;
        left = g.logOfX(left);
        right = g.logOfX(right);
        bottom = g.logOfY(bottom);
        top = g.logOfY(top);
        x0 = g.logOfX(x0);
        y0 = g.logOfY(y0);
    }
    const double tolX = std::fabs(right - left) * 1e-9;
    const double tolY = std::fabs(top - bottom) * 1e-9;
    const double crossings[4][2] = {
        {left, y0 + slope * (left - x0)},
        {right, y0 + slope * (right - x0)},
        {x0 + (top - y0) / slope, top},
        {x0 + (bottom - y0) / slope, bottom},
    };
    double found[2][2];
    int n = 0;
    for (const auto& p : crossings) {
        const double px = p[0], py = p[1];
        if (!std::isfinite(px) || !std::isfinite(py) || px < left - tolX || px > right + tolX || py < bottom - tolY ||
            py > top + tolY)
            continue;
        // A line through a corner meets two edges there; the corner counts once.
        if (n == 1 && std::fabs(px - found[0][0]) <= tolX && std::fabs(py - found[0][1]) <= tolY)
            continue;
        found[n][0] = std::clamp(px, left, right);
        found[n][1] = std::clamp(py, bottom, top);
        if (++n == 2)
            break;
    }
    if (n < 2)
        return false;
    auto world = [&](double v) { return logLog ? std::exp(v * g.lnBase) : v; };
    xa = world(found[0][0]);
    ya = world(found[0][1]);
    xb = world(found[1][0]);
    yb = world(found[1][1]);
    return true;
}

void drawTangent(const TangentRecord& record)
{
    const Equation* e = record.equation;
    if (!e || !e->points || !record.document)
        return;
    CurveOutput& out = curveOutput();
    PlotSurface* s = out.surface;
    if (!s)
        return;
    const GridSetup& g = record.document->grid;
    double xa = 0, ya = 0, xb = 0, yb = 0;
    if (!tangentEndPoints(g, record.x, record.y, record.slope, xa, ya, xb, yb))
        return;
    const DevicePoint a = deviceOf(g, xa, ya);
    const DevicePoint b = deviceOf(g, xb, yb);
    const ObjectId pen = s->createPen(PenStyle::Dot, 1, graphColour(std::abs(int(e->colour[0]))));
    if (!pen)
        return;
    const ObjectId previous = s->select(pen);
    s->moveTo(a.x - out.renderOffsetX, a.y - out.renderOffsetY);
    s->lineTo(b.x - out.renderOffsetX, b.y - out.renderOffsetY);
    s->select(previous);
    s->deleteObject(pen);
}

void forgetEquation(TangentRecord& record, const Equation* e) { record.detach(e); }

void paintToolRecords(GraphDoc& doc)
{
    drawTangent(doc.tangent);
    redrawIntegration(doc);
}

void installToolRecordsPainter() { registerToolRecordsPainter(paintToolRecords); }

}  // namespace qv
