#include "analysis/integration.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/printout.h"
#include "expr/evaluator.h"
#include "expr/functions.h"
#include "expr/number_format.h"
#include "platform/ui.h"
#include "plot/colours.h"
#include "plot/graphing_driver.h"
#include "plot/point_list.h"

namespace qv {

namespace {

IntegrateDialogRefresh g_refreshDialog = nullptr;

// Looking closer at suspected discontinuities doubles the work at every level; a function that looks
// discontinuous everywhere would take far longer than anyone waits, so the closer looks share this
// many evaluations and a point still unresolved then counts as a discontinuity.
constexpr long REFINE_EVALUATION_LIMIT = 1000000;

constexpr std::uint16_t CURVE_FLAGS_NOT_INTEGRABLE =
    eqflag::TwoBranches | eqflag::ShadeBelow | eqflag::ShadeAbove | eqflag::FunctionOfY;

// The value of one curve at x, with the curve's own b and c.
double curveValue(const Equation& e, double x, EvalStatus& status)
{
    if (e.bValue != UNDEFINED_VALUE)
        g_variables.set('b', e.bValue);
    if (e.cValue != UNDEFINED_VALUE)
        g_variables.set('c', e.cValue);
    g_variables.set('x', x);
    status = 0;
    const double v = evaluate(e.tree[1], status);
    // A result that is no number is a failed point, though no rule flagged it.
    if (status == 0 && !std::isfinite(v))
        status = evalerr::Overflow;
    return v;
}

enum class Method { Trapezoidal, Simpson, RectanglesAbove, RectanglesBelow };

Method methodOf(std::uint8_t flags)
{
    if (flags & INT_TRAPEZOIDAL)
        return Method::Trapezoidal;
    if (flags & INT_SIMPSON)
        return Method::Simpson;
    return (flags & INT_RECTANGLES_ABOVE) ? Method::RectanglesAbove : Method::RectanglesBelow;
}

struct Integration {
    const Equation& first;
    const Equation* second;
    Method method;
    long refineEvaluations = 0;
    bool refining = false;

    double valueAt(double x, EvalStatus& status, double* f = nullptr, double* g = nullptr)
    {
        if (refining)
            ++refineEvaluations;
        const double fv = curveValue(first, x, status);
        double gv = 0;
        if (status == 0 && second)
            gv = curveValue(*second, x, status);
        if (f)
            *f = fv;
        if (g)
            *g = gv;
        return fv - gv;
    }

    double run(double a, double b, int n, std::uint16_t& status);
};

// Whether the point at x passes the discontinuity test: d the newest first difference, p the last
// one that was not zero (a spike sampled evenly on both sides has a zero difference across its top,
// which must not hide the change of sign). A change of sign with a jump larger than the limit is
// looked at again with twice the segments over the last two, as long as fewer than
// REFINE_SEGMENT_LIMIT segments are in use.
bool passesTest(Integration& in, double d, double p, double x, double h, double jumpLimit, int n)
{
    const bool signChange = (d > 0 && p < 0) || (d < 0 && p > 0);
    if (!signChange || std::fabs(d - p) <= jumpLimit)
        return true;
    if (n >= REFINE_SEGMENT_LIMIT || in.refineEvaluations > REFINE_EVALUATION_LIMIT)
        return false;
    const bool wasRefining = in.refining;
    in.refining = true;
    std::uint16_t inner = 0;
    in.run(x - 2 * h, x, 2 * n, inner);
    in.refining = wasRefining;
    return inner == 0 && in.refineEvaluations <= REFINE_EVALUATION_LIMIT;
}

double Integration::run(double a, double b, int n, std::uint16_t& status)
{
    status = 0;
    const double h = (b - a) / n;
    const double jumpLimit = 2 / std::fabs(h);
    auto fail = [&](std::uint16_t bits, double x) {
        status = bits;
        return x;
    };
    double s = 0;
    EvalStatus e = 0;

    if (method == Method::Trapezoidal || method == Method::Simpson) {
        double previous = valueAt(a, e);
        if (e)
            return fail(e, a);
        double p = 0;
        int i = 1;
        if (method == Method::Trapezoidal) {
            s = previous / 2;
        } else {
            const double x1 = a + h;
            const double v1 = valueAt(x1, e);
            if (e)
                return fail(e, x1);
            s = previous + 4 * v1;
            p = v1 - previous;
            previous = v1;
            i = 2;
        }
        // Interior points: every one for the trapezoidal rule, the even and odd ones of each further
        // pair for Simpson's rule; b itself last, tested like the others.
        for (; i <= n; ++i) {
            const double x = i == n ? b : a + i * h;
            const double v = valueAt(x, e);
            if (e)
                return fail(e, x);
            const double d = v - previous;
            if (!passesTest(*this, d, p, x, h, jumpLimit, n))
                return fail(INTEGRATE_DISCONTINUITY, x);
            if (i == n)
                s += method == Method::Trapezoidal ? v / 2 : v;
            else if (method == Method::Trapezoidal)
                s += v;
            else
                s += (i % 2 == 0 ? 2 : 4) * v;
            if (d != 0)
                p = d;
            previous = v;
        }
        s *= method == Method::Trapezoidal ? h : h * 0.3333333333333333;
    } else {
        const bool above = method == Method::RectanglesAbove;
        double fPrev = 0, gPrev = 0;
        valueAt(a, e, &fPrev, &gPrev);
        if (e)
            return fail(e, a);
        double p = 0;
        for (int i = 1; i <= n; ++i) {
            const double x = i == n ? b : a + i * h;
            double f = 0, g = 0;
            valueAt(x, e, &f, &g);
            if (e)
                return fail(e, x);
            const double d = (f - g) - (fPrev - gPrev);
            if (!passesTest(*this, d, p, x, h, jumpLimit, n))
                return fail(INTEGRATE_DISCONTINUITY, x);
            s += above ? std::max(fPrev, f) - std::max(gPrev, g) : std::min(fPrev, f) - std::min(gPrev, g);
            if (d != 0)
                p = d;
            fPrev = f;
            gPrev = g;
        }
        s *= h;
    }
    // Values each within range can still add up beyond it.
    if (!std::isfinite(s))
        return fail(evalerr::Overflow, b);
    return s;
}

void refreshDialog(GraphDoc& doc)
{
    if (g_refreshDialog)
        g_refreshDialog(doc);
}

// The colour escape of a curve in a status text.
void appendColoured(std::string& out, const Equation& e)
{
    out += COLOUR_ESCAPE;
    out += char(128 + std::abs(int(e.colour[0])));
    out += e.text;
}

void appendNormal(std::string& out)
{
    out += COLOUR_ESCAPE;
    out += COLOUR_NORMAL;
}

// ---------------------------------------------------------------------------------------------
// Shading

struct Shader {
    const GridSetup& g;
    const Equation& first;
    const Equation* second;
    std::vector<DevicePoint> points;
    std::vector<int> counts;

    double clampY(double y) const { return std::clamp(y, std::min(g.yMin, g.yMax), std::max(g.yMin, g.yMax)); }
    int deviceX(double x) const { return deviceOf(g, x, g.yMin).x; }
    DevicePoint device(double x, double y) const { return deviceOf(g, x, clampY(y)); }
    // The device row of world y = 0, held inside the area.
    int zeroRow() const { return device(g.xMin, 0).y; }

    bool values(double x, double& f, double& lower) const
    {
        EvalStatus st = 0;
        f = curveValue(first, x, st);
        lower = 0;
        if (st == 0 && second)
            lower = curveValue(*second, x, st);
        return st == 0;
    }

    void add(DevicePoint p) { points.push_back(p); }
    void close(std::size_t start)
    {
        if (points.size() - start >= 3)
            counts.push_back(int(points.size() - start));
        else
            points.resize(start);
    }
};

// The visible width in pixels of the narrowest segment, or 0 when none is visible.
int narrowestVisibleSegment(const Shader& sh, double lo, double h, int n)
{
    int narrowest = 0;
    for (int i = 0; i < n; ++i) {
        const double x0 = std::max(lo + i * h, sh.g.xMin), x1 = std::min(lo + (i + 1) * h, sh.g.xMax);
        if (x1 <= x0)
            continue;
        const int w = sh.deviceX(x1) - sh.deviceX(x0);
        if (narrowest == 0 || w < narrowest)
            narrowest = w;
    }
    return narrowest;
}

void shadeSegments(Shader& sh, double lo, double hi, int n, Method method)
{
    const double h = (hi - lo) / n;
    for (int i = 0; i < n; ++i) {
        const double s0 = lo + i * h, s1 = i + 1 == n ? hi : lo + (i + 1) * h;
        const double x0 = std::max(s0, sh.g.xMin), x1 = std::min(s1, sh.g.xMax);
        if (x1 <= x0)
            continue;
        double f0, g0, f1, g1;
        if (!sh.values(s0, f0, g0) || !sh.values(s1, f1, g1))
            continue;
        const std::size_t start = sh.points.size();
        if (method == Method::Trapezoidal) {
            // A segment cut by the edge of the grid keeps the slope of its sides.
            auto along = [&](double v0, double v1, double x) { return v0 + (v1 - v0) * (x - s0) / (s1 - s0); };
            sh.add(sh.device(x0, along(g0, g1, x0)));
            sh.add(sh.device(x0, along(f0, f1, x0)));
            sh.add(sh.device(x1, along(f0, f1, x1)));
            sh.add(sh.device(x1, along(g0, g1, x1)));
        } else {
            const bool above = method == Method::RectanglesAbove;
            const double top = above ? std::max(f0, f1) : std::min(f0, f1);
            const double bottom = above ? std::max(g0, g1) : std::min(g0, g1);
            sh.add(sh.device(x0, bottom));
            sh.add(sh.device(x0, top));
            sh.add(sh.device(x1, top));
            sh.add(sh.device(x1, bottom));
        }
        sh.close(start);
    }
}

// The plain stored points of a curve strictly between the two device columns, in drawing order,
// held inside the plotting area's rows.
std::vector<DevicePoint> storedBetween(const GridSetup& g, const Equation& e, int left, int right)
{
    std::vector<DevicePoint> out;
    LockedPointList stored(e.points);
    if (!stored.valid())
        return out;
    const int n = stored.list.count();
    for (int i = 0; i < n; ++i) {
        DevicePoint p = stored.list.entry(std::size_t(i));
        if (isMarker(p) || p.x <= left || p.x >= right)
            continue;
        p.y = std::int16_t(std::clamp<int>(p.y, g.areaTop, g.areaBottom));
        out.push_back(p);
    }
    return out;
}

void shadeOnePolygon(Shader& sh, double lo, double hi)
{
    const GridSetup& g = sh.g;
    const int left = sh.deviceX(lo), right = sh.deviceX(hi);
    std::vector<DevicePoint> upper = storedBetween(g, sh.first, left, right);
    std::vector<DevicePoint> lower;
    if (sh.second)
        lower = storedBetween(g, *sh.second, left, right);
    const std::int16_t zero = std::int16_t(sh.zeroRow());
    // Each edge goes from the lower boundary to the curve; where a curve cannot be evaluated at the
    // edge, its nearest stored point stands in.
    auto edge = [&](double x, int column, bool atLeft) {
        double f = 0, low = 0;
        DevicePoint top{std::int16_t(column), zero}, bottom{std::int16_t(column), zero};
        if (sh.values(x, f, low)) {
            top.y = sh.device(x, f).y;
            bottom.y = sh.device(x, low).y;
        } else {
            if (!upper.empty())
                top.y = (atLeft ? upper.front() : upper.back()).y;
            if (!lower.empty())
                bottom.y = (atLeft ? lower.front() : lower.back()).y;
        }
        return std::pair{bottom, top};
    };
    const auto [leftBottom, leftTop] = edge(lo, left, true);
    const auto [rightBottom, rightTop] = edge(hi, right, false);
    const std::size_t start = sh.points.size();
    sh.add(leftBottom);
    sh.add(leftTop);
    for (DevicePoint p : upper)
        sh.add(p);
    sh.add(rightTop);
    sh.add(rightBottom);
    for (auto it = lower.rbegin(); it != lower.rend(); ++it)
        sh.add(*it);
    sh.close(start);
}

DeviceRect boundsOf(const std::vector<DevicePoint>& points, const GridSetup& g)
{
    if (points.empty())
        return DeviceRect{};
    DeviceRect r{points[0].x, points[0].y, points[0].x, points[0].y};
    for (DevicePoint p : points) {
        r.left = std::min<int>(r.left, p.x);
        r.top = std::min<int>(r.top, p.y);
        r.right = std::max<int>(r.right, p.x);
        r.bottom = std::max<int>(r.bottom, p.y);
    }
    // The outline's pen covers the last row and column too; nothing shows outside the area.
    r.right += 1;
    r.bottom += 1;
    const DeviceRect& c = g.clipRect;
    r.left = std::max(r.left, c.left);
    r.top = std::max(r.top, c.top);
    r.right = std::min(r.right, c.right);
    r.bottom = std::min(r.bottom, c.bottom);
    if (r.right <= r.left || r.bottom <= r.top)
        return DeviceRect{};
    return r;
}

}  // namespace

bool isIntegrable(const Equation& e)
{
    return e.kind() == GraphKind::Cartesian && !(e.flags & CURVE_FLAGS_NOT_INTEGRABLE) &&
           e.aStart == UNDEFINED_VALUE && e.tree[1] != nullptr;
}

double integrate(const Equation& first, const Equation* second, double a, double b, int n, std::uint16_t& status,
                 std::uint8_t method)
{
    status = 0;
    if (!isIntegrable(first) || (second && !isIntegrable(*second))) {
        status = INTEGRATE_NOT_INTEGRABLE;
        return a;
    }
    // An interval whose width is beyond a double has no points to evaluate at.
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(b - a)) {
        status = evalerr::Overflow;
        return std::isfinite(a) ? a : b;
    }
    Integration in{first, second, methodOf(method)};
    n = std::clamp(n, 1, MAX_INTEGRATION_SEGMENTS);
    // Simpson's rule takes the points in pairs.
    if (in.method == Method::Simpson && n % 2 != 0)
        n = n < MAX_INTEGRATION_SEGMENTS ? n + 1 : n - 1;
    // The curves are evaluated in the middle of whatever else uses x, b and c, such as a curve being
    // drawn when a repaint redoes the region.
    const VariableStore saved = g_variables;
    const double result = in.run(a, b, n, status);
    g_variables = saved;
    return result;
}

double integrate(const Equation& first, const Equation* second, double a, double b, int n, std::uint16_t& status)
{
    return integrate(first, second, a, b, n, status, programOptions().intflags);
}

int integrationSegments(const GraphDoc& doc, double a, double b)
{
    const ProgramOptions& options = programOptions();
    int n = options.intnumseg;
    if (options.intflags & INT_AUTO_SEGMENTS) {
        const GridSetup& g = doc.grid;
        n = std::abs(deviceOf(g, b, g.yMin).x - deviceOf(g, a, g.yMin).x) / 2;
    }
    n = std::max(n, 1);
    if (methodOf(options.intflags) == Method::Simpson && n % 2 != 0)
        n = std::max(n - 1, 2);
    return n;
}

std::string integralStatusText(const Equation& first, const Equation* second, double a, double b, double area)
{
    std::string text = formatMessage(MSG_INTEGRAL_RESULT, {a, b, area});
    if (!second) {
        text += COLOUR_ESCAPE;
        text += char(128 + std::abs(int(first.colour[0])));
        text += "(integral of ";
        text += first.text;
        text += ")";
    } else {
        text += "(area between ";
        appendColoured(text, first);
        appendNormal(text);
        text += ", ";
        appendColoured(text, *second);
        appendNormal(text);
        text += ")";
    }
    return text;
}

DeviceRect shadeRegion(const GraphDoc& doc, const Equation& first, const Equation* second, double a, double b,
                       int n)
{
    const GridSetup& g = doc.grid;
    PlotSurface* surface = curveOutput().surface;
    const double lo = std::min(a, b), hi = std::max(a, b);
    if (!surface || hi < g.xMin || lo > g.xMax || !first.points || (second && !second->points))
        return DeviceRect{};
    if (!(hi > lo) || n < 1)
        return DeviceRect{};
    n = std::min(n, MAX_INTEGRATION_SEGMENTS);
    const VariableStore saved = g_variables;
    struct Restore {
        const VariableStore& saved;
        ~Restore() { g_variables = saved; }
    } restore{saved};

    const std::uint8_t flags = programOptions().intflags;
    const Method method = methodOf(flags);
    Shader sh{g, first, second, {}, {}};
    const double visibleLo = std::max(lo, g.xMin), visibleHi = std::min(hi, g.xMax);
    const bool segmentMode = !(flags & INT_AUTO_SEGMENTS) && method != Method::Simpson &&
                             narrowestVisibleSegment(sh, lo, (hi - lo) / n, n) > SEGMENT_MODE_MIN_WIDTH;
    if (segmentMode)
        shadeSegments(sh, lo, hi, n, method);
    else
        shadeOnePolygon(sh, visibleLo, visibleHi);
    if (sh.counts.empty())
        return DeviceRect{};

    const Colour colour = graphColour(first.colour[0]);
    const ObjectId brush = surface->createHatchBrush(HatchStyle::ForwardDiagonal, colour);
    const ObjectId pen = surface->createPen(PenStyle::Solid, 1, colour);
    const ObjectId oldBrush = brush ? surface->select(brush) : 0;
    const ObjectId oldPen = pen ? surface->select(pen) : 0;
    surface->setBackgroundMode(BackgroundMode::Transparent);
    const std::int16_t ox = curveOutput().renderOffsetX, oy = curveOutput().renderOffsetY;
    std::vector<DevicePoint> drawn = sh.points;
    for (DevicePoint& p : drawn) {
        p.x = std::int16_t(p.x - ox);
        p.y = std::int16_t(p.y - oy);
    }
    surface->polyPolygon(drawn.data(), sh.counts.data(), int(sh.counts.size()));
    if (oldPen)
        surface->select(oldPen);
    if (oldBrush)
        surface->select(oldBrush);
    if (pen)
        surface->deleteObject(pen);
    if (brush)
        surface->deleteObject(brush);
    return boundsOf(sh.points, g);
}

bool integrateRegion(GraphDoc& doc, Equation* first, Equation* second, double a, double b)
{
    if (!first)
        return false;
    if (second == first)
        second = nullptr;
    const int n = integrationSegments(doc, a, b);
    std::uint16_t status = 0;
    const double area = integrate(*first, second, a, b, n, status);
    if (status == INTEGRATE_NOT_INTEGRABLE) {
        userInterface().messageBox(MSG_CANNOT_INTEGRATE);
        return false;
    }
    if (status) {
        userInterface().messageBox(formatMessage(MSG_DISCONTINUITY, {area}));
        return false;
    }
    userInterface().statusLine(integralStatusText(*first, second, a, b, area), MESSAGE_INFORMATION);
    if (tablesPrinted()) {
        // The lines go after everything else, not into the rows of an open table.
        printoutDetach();
        printoutAdd(MSG_EQUATIONS_HEADING);
        printoutWrapped(first->text);
        if (second)
            printoutWrapped(second->text);
        printoutAdd(formatMessage(MSG_INTEGRAL_RESULT, {a, b, area}));
    }

    // The new region goes into the record before the old shading is erased: a repaint draws the
    // record's region, so one repaint both removes the old region and shows the new one.
    IntegrationRecord& record = doc.integration;
    const bool oldShading = record.shown() && record.shaded.right > record.shaded.left;
    record.document = &doc;
    record.first = first;
    record.second = second;
    record.from = float(a);
    record.to = float(b);
    record.area = float(area);
    record.shaded = DeviceRect{};
    DocumentView& view = documentProgram().viewOrNone();
    bool repainted = false;
    if (oldShading) {
        view.repaintGraphArea(doc);
        repainted = true;
    }
    if (record.shown() && record.shaded == DeviceRect{}) {
        if (curveOutput().surface) {
            setAreaClip(doc.grid);
            record.shaded = shadeRegion(doc, *first, second, a, b, n);
            clearClip();
        } else if (!repainted) {
            // Outside a paint there is nothing to draw on: the window draws the region when it repaints.
            view.repaintGraphArea(doc);
        }
    }
    refreshDialog(doc);
    return true;
}

void redrawIntegration(GraphDoc& doc)
{
    IntegrationRecord& record = doc.integration;
    if (!record.shown())
        return;
    const double a = record.from, b = record.to;
    const int n = integrationSegments(doc, a, b);
    std::uint16_t status = 0;
    const double area = integrate(*record.first, record.second, a, b, n, status);
    // A printed page shows the region as it is on the screen; the record stays the screen's.
    if (documentProgram().printing) {
        if (status == 0)
            shadeRegion(doc, *record.first, record.second, a, b, n);
        return;
    }
    if (status) {
        // A repaint is no moment for a message box; the region simply goes.
        record.clear();
    } else {
        record.area = float(area);
        record.shaded = shadeRegion(doc, *record.first, record.second, a, b, n);
    }
    refreshDialog(doc);
}

void forgetEquation(GraphDoc& doc, const Equation* e)
{
    if (doc.integration.detach(e))
        documentProgram().viewOrNone().closeIntegrateDialog();
}

void registerIntegrateDialogRefresh(IntegrateDialogRefresh refresh) { g_refreshDialog = refresh; }

}  // namespace qv
