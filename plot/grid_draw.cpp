#include "plot/grid_draw.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "expr/number_format.h"
#include "plot/colours.h"
#include "plot/point_list.h"

namespace qv {

namespace {

// More positions than this along one axis cannot be told apart on any screen; a step that would
// make them is widened by tens, so that positions stay on round values.
constexpr int MAX_AXIS_POSITIONS = 2000;
constexpr int MAX_POLAR_CIRCLES = 500;
constexpr int LABEL_SPACING = 6;  // device units kept free between neighbouring numbers
constexpr std::uint8_t GREEK_CHARSET_CODE = 161;
constexpr char GREEK_PI[] = "\xF0";  // pi in code page 1253

bool usable(double v) { return std::isfinite(v) && v > 0; }

bool customSpacing(const GridSetup& g) { return (g.legendFlags & (LEGENDS_CUSTOM | LEGENDS_SCALE)) != 0; }

bool trigPaper(const GridSetup& g) { return (g.paperFlags & PAPER_TRIG) != 0; }

bool polarPaper(const GridSetup& g) { return (g.paperFlags & PAPER_POLAR) != 0; }

bool logAxis(const GridSetup& g, Axis a) { return a == Axis::X ? g.logX() : g.logY(); }

double logSpan(const GridSetup& g, Axis a) { return a == Axis::X ? g.logXSpan : g.logYSpan; }

double logMin(const GridSetup& g, Axis a) { return a == Axis::X ? g.logXMin : g.logYMin; }

double axisMin(const GridSetup& g, Axis a) { return a == Axis::X ? g.xMin : g.yMin; }

double axisMax(const GridSetup& g, Axis a) { return a == Axis::X ? g.xMax : g.yMax; }

int areaExtent(const GridSetup& g, Axis a) { return a == Axis::X ? g.areaRight - g.areaLeft : g.areaBottom - g.areaTop; }

bool baseTen(const GridSetup& g) { return std::fabs(g.logBase - 10) < 1e-9; }

bool baseE(const GridSetup& g) { return std::fabs(g.logBase - E_BASE) < 1e-6; }

int tickTarget(const GridSetup& g) { return std::max<int>(1, g.tickTargetPx); }

// The "nice" interval of the automatic legends for a raw interval b.
double roundInterval(double b)
{
    double e = std::pow(10.0, std::floor(std::log10(b)));
    if (b > 0.005 && b < 1000) {
        if (b >= 7.5 * e)
            return 10 * e;
        if (b >= 3.5 * e)
            return 5 * e;
        if (b >= 1.5 * e)
            return 2 * e;
        return e;
    }
    if (b > 5 * e)
        return 10 * e;
    if (b > 2.7 * e)
        return 5 * e;
    if (b > 1.1 * e)
        return 2 * e;
    return e;
}

// A step along [min, max) that makes at most MAX_AXIS_POSITIONS positions.
double boundedStep(double min, double max, double step)
{
    if (!usable(step))
        return step;
    for (int i = 0; i < 400 && (max - min) / step > MAX_AXIS_POSITIONS; ++i)
        step *= 10;
    return step;
}

}  // namespace

GridMetrics currentGridMetrics()
{
    GridMetrics m;
    m.pixelAspect = documentProgram().pixelAspect;
    m.symbolSizeX = curveOutput().symbolSizeX;
    m.symbolSizeY = curveOutput().symbolSizeY;
    return m;
}

// ---------------------------------------------------------------------------------------------
// Spacing rules

double legendInterval(const GridSetup& g, Axis axis, const GridMetrics& m)
{
    const bool trigX = axis == Axis::X && trigPaper(g);
    if (customSpacing(g)) {
        double custom = axis == Axis::X ? g.xLegendSpacing : g.yLegendSpacing;
        if (custom != 0 && std::isfinite(custom))
            return std::fabs(custom) * (trigX ? PI_LEGEND : 1.0);
    }
    double b;
    if (axis == Axis::X)
        b = (g.xMax - g.xMin) / tickTarget(g);
    else
        b = (g.yMax - g.yMin) / ((g.squareRatio / m.pixelAspect) * tickTarget(g));
    if (trigX)
        b *= TRIG_LEGEND_FACTOR;
    if (!usable(b))
        return b;
    double r = roundInterval(b);
    if (trigX)
        r *= HALF_PI;
    return r;
}

double gridInterval(const GridSetup& g, Axis axis, const GridMetrics& m)
{
    double r = legendInterval(g, axis, m);
    if (!usable(r))
        return r;
    int f = int(std::lround(r / std::pow(10.0, std::floor(std::log10(r) - 0.2))));
    double span = axisMax(g, axis) - axisMin(g, axis);
    double gpx = r * areaExtent(g, axis) / span;
    const double limit = 2.0 * (axis == Axis::X ? m.symbolSizeX : m.symbolSizeY);
    for (int i = 0; i < 200 && gpx > limit; ++i) {
        if (f == 5) {
            if (2.5 * gpx / 5 < limit)
                break;
            r *= 0.2;
            gpx *= 0.2;
            f = 10;
        } else {
            r /= 2;
            gpx /= 2;
            f = f == 10 ? 5 : 10;
        }
    }
    return r;
}

double logLegendDecades(const GridSetup& g, Axis axis)
{
    double a = axis == Axis::X ? g.logXSpan / tickTarget(g) : g.logYSpan / (tickTarget(g) * g.squareRatio);
    if (!std::isfinite(a))
        return 1;
    if (axis == Axis::Y && a >= 3)
        return 2 * std::floor(a / 2);
    if (a >= 1)
        return std::floor(a);
    if (logSpan(g, axis) > 2 || !baseTen(g))
        return 1;
    return axis == Axis::X ? std::floor(g.logXMin + 1) : std::floor(g.logYMin + 0.1);
}

double logGridInterval(const GridSetup& g, Axis axis, const GridMetrics& m)
{
    double r = logLegendDecades(g, axis);
    const double span = logSpan(g, axis);
    if (baseTen(g) && span < (axis == Axis::X ? 1 : 2))
        return r;
    const double perDecade = areaExtent(g, axis) / span;
    const double s = axis == Axis::X ? m.symbolSizeX : m.symbolSizeY;
    if (r == 1 && baseTen(g) && perDecade > 5 * s)
        return 0;
    if (r < 1)
        return r;
    double rd = r * perDecade;
    for (int i = 0; i < 200 && rd > 2 * s; ++i) {
        r /= 2;
        rd /= 2;
    }
    return r;
}

double tableStep(const GridSetup& g, Axis axis, std::uint16_t options, double increment, const GridMetrics& m)
{
    const bool log = logAxis(g, axis);
    if (options & TABLE_LEGEND_SPACING)
        return log ? logLegendDecades(g, axis) : legendInterval(g, axis, m);
    if (options & TABLE_GRID_SPACING)
        return log ? logGridInterval(g, axis, m) : gridInterval(g, axis, m);
    return log ? std::log(increment) / g.lnBase : increment;
}

void updateLabelDecimals(GridSetup& g)
{
    auto decimals = [](double w, int most) {
        if (!usable(w))
            return most;
        return std::clamp(int(-std::floor(std::log10(w))), 0, most);
    };
    double wx = g.logX() ? g.deviceToWorldX(g.areaLeft + 1) / g.xMin - 1
                         : g.deviceToWorldX(g.areaLeft + 1) - g.deviceToWorldX(g.areaLeft);
    double wy = g.logY() ? g.deviceToWorldY(g.areaBottom - 1) / g.yMin - 1
                         : g.deviceToWorldY(g.areaBottom - 1) - g.deviceToWorldY(g.areaBottom);
    g.xLabelDecimals = decimals(wx, 6);
    g.yLabelDecimals = decimals(wy, 9);
    setLabelDecimals(LabelDecimals{g.xLabelDecimals, g.yLabelDecimals});
}

// ---------------------------------------------------------------------------------------------
// Positions

std::vector<double> linearPositions(double min, double max, double step)
{
    std::vector<double> out;
    step = boundedStep(min, max, step);
    if (!usable(step) || !std::isfinite(min) || !std::isfinite(max))
        return out;
    // Multiples of the step, not sums, so that every position is a round value.
    double k = std::floor(min / step) + 1;
    for (int i = 0; i <= MAX_AXIS_POSITIONS; ++i, k += 1) {
        double v = k * step;
        if (v >= max)
            break;
        if (v <= min)
            continue;
        out.push_back(std::fabs(v) < step * 1e-9 ? 0.0 : v);
    }
    return out;
}

std::vector<double> logPositions(const GridSetup& g, Axis axis, double r, bool forLegends)
{
    std::vector<double> out;
    const double min = axisMin(g, axis), max = axisMax(g, axis);
    const double M = logMin(g, axis), span = logSpan(g, axis);
    if (!usable(min) || !std::isfinite(max) || !std::isfinite(r))
        return out;
    const bool skipFirst = forLegends && axis == Axis::Y;
    if ((r > 0 && span >= 2) || !baseTen(g)) {
        if (r <= 0)
            r = 1;
        double factor = std::pow(g.logBase, r);
        if (!(factor > 1.000001))
            return out;
        if (r < 1 && baseTen(g)) {
            // Fractions of a decade in base 10 fall on 1, 2 and 5 of each decade: round values
            // about a third of a decade apart.
            static const double mantissas[3] = {1, 2, 5};
            bool skipped = !skipFirst;
            for (double decade = std::pow(10.0, std::floor(M)); decade < max && out.size() < MAX_AXIS_POSITIONS;
                 decade *= 10) {
                for (double m : mantissas) {
                    double v = m * decade;
                    if (v < min * (1 - 1e-12) || v >= max)
                        continue;
                    if (!skipped) {
                        skipped = true;
                        continue;
                    }
                    out.push_back(v);
                }
            }
            return out;
        }
        double v = std::pow(g.logBase, std::floor(M / r) * r);
        if (skipFirst)
            v *= factor;
        for (int i = 0; i < MAX_AXIS_POSITIONS && v < max; ++i, v *= factor)
            if (v >= min * (1 - 1e-12))
                out.push_back(v);
        return out;
    }
    double e = r;
    if (!forLegends && span >= 1)
        e = std::floor(M);
    double step = std::pow(10.0, e);
    if (!usable(step))
        return out;
    double v = step * std::floor((step + min) / step);
    if (skipFirst)
        v += step;
    for (int i = 0; i < MAX_AXIS_POSITIONS; ++i) {
        if (v > 10.2 * step) {
            step *= 10;
            v = 2 * step;
        }
        if (v >= max)
            break;
        out.push_back(v);
        v += step;
    }
    return out;
}

namespace {

// Narrow logarithmic ranges leave the walks with hardly a position: the positions of a linear axis
// over the same range serve instead, so that the axis still carries round values.
std::vector<double> logAxisPositions(const GridSetup& g, Axis axis, double r, bool forLegends,
                                     const GridMetrics& m)
{
    std::vector<double> out = logPositions(g, axis, r, forLegends);
    if (out.size() >= 3)
        return out;
    const double min = axisMin(g, axis), max = axisMax(g, axis);
    double b = (max - min) / tickTarget(g);
    if (!usable(b))
        return out;
    double step = roundInterval(b);
    if (!forLegends) {
        double px = step * areaExtent(g, axis) / (max - min);
        const double limit = 2.0 * (axis == Axis::X ? m.symbolSizeX : m.symbolSizeY);
        if (px > 2 * limit)
            step /= 2;
    }
    return linearPositions(min, max, step);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Fonts

LogicalFont defaultGridFont(int role, bool small)
{
    LogicalFont f;
    f.weight = 400;
    auto courier = [&] {
        f.faceName = "Courier New";
        f.pitchAndFamily = 17;
        if (small) {
            f.height = -14;
        } else {
            f.height = 18;
            f.width = 10;
        }
    };
    switch (role) {
    case FONT_SYMBOLS:
        f.faceName = "Symbol";
        f.pitchAndFamily = 16;
        f.charSet = 2;  // symbol character set
        f.height = small ? 13 : 18;
        f.width = small ? 7 : 10;
        break;
    case FONT_AXLABEL:
        f.faceName = "Times New Roman";
        f.pitchAndFamily = 18;
        f.height = small ? -14 : -18;
        f.italic = 1;
        break;
    default:
        courier();
        break;
    }
    return f;
}

FontSpec gridFontSpec(const GraphDoc& doc, int role, bool small)
{
    const LogicalFont& stored = doc.fonts[std::size_t(role)].font;
    LogicalFont f = stored.faceName.empty() ? defaultGridFont(role, small) : stored;
    FontSpec wanted;
    wanted.face = f.faceName;
    // A positive height is the cell height, internal leading included; the character is about 7/8 of it.
    wanted.height = f.height < 0 ? -f.height : std::max(1, f.height - f.height / 8);
    if (wanted.height == 0)
        wanted.height = small ? 14 : 16;
    wanted.weight = f.weight > 0 ? f.weight : 400;
    wanted.italic = f.italic != 0;
    wanted.underline = f.underline != 0;
    wanted.escapement = role == FONT_LEFTLBL ? 900 : role == FONT_RIGHTLBL ? 2700 : 0;
    return wanted;
}

void measureGridFonts(GraphDoc& doc, PlotSurface& surface, bool small)
{
    for (int role = 0; role < GRID_FONT_COUNT; ++role) {
        FontSpec wanted = gridFontSpec(doc, role, small);
        wanted.escapement = 0;  // measured upright: the height is the room across the line
        ObjectId font = surface.createFont(wanted);
        ObjectId old = font ? surface.select(font) : 0;
        TextSize all = surface.textExtent("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
        GridFont& slot = doc.fonts[std::size_t(role)];
        slot.measuredHeight = all.cy > 0 ? all.cy : wanted.height;
        slot.averageWidth = std::max(1, (all.cx + 26) / 52);
        if (font) {
            surface.select(old);
            surface.deleteObject(font);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Legend texts

std::string legendText(const GridSetup& g, Axis axis, double value, double interval)
{
    unsigned flags = numfmt::FixedPlain;
    int precision = axis == Axis::X ? g.xLabelDecimals : g.yLabelDecimals;
    if (logAxis(g, axis)) {
        flags |= numfmt::ScientificNearZero;
        if (baseE(g))
            flags |= numfmt::PowerOfE;
        // The grid's precision is relative to 1 on a logarithmic axis; small values need their own.
        if (value > 0 && value < 1)
            precision = std::max(precision, std::min(12, int(-std::floor(std::log10(value) + 1e-9))));
    } else {
        if (axis == Axis::X && trigPaper(g)) {
            flags |= numfmt::MultipleOfPi;
            value /= PI_LEGEND;
            interval /= PI_LEGEND;
        }
        // Enough decimals to tell neighbouring numbers apart, even where the grid's precision stops.
        if (usable(interval)) {
            int needed = 0;
            while (needed < 12) {
                double scaled = interval * std::pow(10.0, needed);
                if (scaled >= 0.999 && std::fabs(scaled - std::round(scaled)) < 1e-6 * scaled)
                    break;
                ++needed;
            }
            precision = std::max(precision, needed);
            if (interval < 1e-7)
                flags |= numfmt::ScientificNearZero;
        }
    }
    return formatNumber(value, flags, precision);
}

// ---------------------------------------------------------------------------------------------
// Drawing

namespace {

struct Fonts {
    std::array<ObjectId, GRID_FONT_COUNT> id{};
    std::array<int, GRID_FONT_COUNT> height{};
    std::array<int, GRID_FONT_COUNT> width{};
};

bool overlaps(const DeviceRect& a, const DeviceRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The state of one drawing of a grid screen.
class GridPainter {
public:
    GridPainter(GraphDoc& doc, PlotSurface& s)
        : doc_(doc), g_(doc.grid), s_(s), m_(currentGridMetrics()), options_(programOptions())
    {
        const bool small = documentProgram().smallScreen;
        for (int role = 0; role < GRID_FONT_COUNT; ++role) {
            fonts_.id[role] = s_.createFont(gridFontSpec(doc_, role, small));
            const GridFont& slot = doc_.fonts[std::size_t(role)];
            FontSpec wanted = gridFontSpec(doc_, role, small);
            fonts_.height[role] = slot.measuredHeight > 0 ? slot.measuredHeight : wanted.height;
            fonts_.width[role] = slot.averageWidth > 0 ? slot.averageWidth : std::max(1, (wanted.height + 1) / 2);
        }
        if (trigPaper(g_)) {
            FontSpec pi = gridFontSpec(doc_, FONT_LEGENDS, small);
            pi.charset = GREEK_CHARSET_CODE;
            piFont_ = s_.createFont(pi);
        }
    }

    ~GridPainter()
    {
        for (ObjectId id : fonts_.id)
            if (id)
                s_.deleteObject(id);
        if (piFont_)
            s_.deleteObject(piFont_);
    }

    void draw();

private:
    void background();
    void grid();
    void rectangularGrid(bool dots);
    void polarGrid(bool dots);
    void axes();
    void border();
    void legends();
    void labels();
    void annotations();
    void reserveAnnotations();
    // A legend number; on trig paper the trailing "p" of a multiple of pi is written as the letter pi,
    // in the legend face with the Greek code page (the symbol face of some systems has no pi).
    TextSize legendExtent(const std::string& text);
    void legendOut(int left, int top, const std::string& text);
    bool piSuffix(const std::string& text) const { return trigPaper(g_) && text.size() > 0 && text.back() == 'p'; }

    DevicePoint dev(double x, double y) const { return deviceOf(g_, x, y); }
    int column(double x) const { return dev(x, g_.logY() ? g_.yMin : 0).x; }
    int row(double y) const { return dev(g_.logX() ? g_.xMin : 0, y).y; }
    void line(int x0, int y0, int x1, int y1)
    {
        s_.moveTo(x0, y0);
        s_.lineTo(x1, y1);
    }
    bool worldLine(double x0, double y0, double x1, double y1);
    void clipToArea() { if (!s_.isMetafile()) s_.setClipRect(&g_.clipRect); }
    void noClip() { if (!s_.isMetafile()) s_.setClipRect(nullptr); }
    ObjectId useFont(int role) { return fonts_.id[role] ? s_.select(fonts_.id[role]) : 0; }
    TextSize extent(int role, const std::string& text)
    {
        if (s_.isMetafile())
            return {int(text.size()) * (fonts_.width[role] + 1), fonts_.height[role]};
        TextSize t = s_.textExtent(text);
        if (t.cy <= 0)
            t.cy = fonts_.height[role];
        return t;
    }
    bool xAxisVisible() const { return !g_.logY() && g_.yMin <= 0 && 0 <= g_.yMax; }
    bool yAxisVisible() const { return !g_.logX() && g_.xMin <= 0 && 0 <= g_.xMax; }
    std::vector<double> axisPositions(Axis axis, double& interval, bool forLegends);

    GraphDoc& doc_;
    GridSetup& g_;
    PlotSurface& s_;
    GridMetrics m_;
    const ProgramOptions& options_;
    Fonts fonts_;
    std::vector<DeviceRect> occupied_;  // boxes of texts already drawn
    ObjectId piFont_ = 0;
};

void GridPainter::draw()
{
    CurveOutput& out = curveOutput();
    PlotSurface* previousSurface = out.surface;
    const Colour previousColour = out.curveColour;
    out.surface = &s_;

    background();
    grid();
    axes();
    if (g_.paperFlags & PAPER_BORDER)
        border();
    updateLabelDecimals(g_);
    // Legend numbers keep clear of the annotations the user placed, which are drawn over them.
    reserveAnnotations();
    if (g_.legendFlags & LEGENDS_ON)
        legends();
    annotations();
    if (doc_.showLabels)
        labels();
    hatchAlternation() = 0;
    s_.select(s_.stockObject(StockObject::BlackPen));
    s_.select(s_.stockObject(StockObject::WhiteBrush));

    out.curveColour = previousColour;
    out.surface = previousSurface;
}

void GridPainter::background()
{
    const Colour back = colourOf(COLOUR_BACK);
    ObjectId pen = s_.createPen(PenStyle::Solid, 1, back);
    ObjectId brush = s_.createSolidBrush(back);
    ObjectId oldPen = s_.select(pen);
    ObjectId oldBrush = s_.select(brush);
    s_.rectangle(g_.areaLeft - 1, g_.areaTop - 1, g_.areaRight + 2, g_.areaBottom + 2);
    s_.select(oldPen);
    s_.select(oldBrush);
    s_.deleteObject(pen);
    s_.deleteObject(brush);
}

void GridPainter::grid()
{
    const std::uint16_t detail = g_.paperFlags & (PAPER_DOTS | PAPER_GRID_LINES | PAPER_SOLID_GRID);
    if (!detail)
        return;
    const bool dots = (detail & PAPER_DOTS) && !(detail & (PAPER_GRID_LINES | PAPER_SOLID_GRID));
    const bool solid = (detail & PAPER_SOLID_GRID) != 0;
    const Colour colour = colourOf(COLOUR_GRID);
    ObjectId pen = s_.createPen(solid || dots ? PenStyle::Solid : PenStyle::Dot, 1, colour);
    ObjectId brush = dots ? s_.createSolidBrush(colour) : s_.stockObject(StockObject::NullBrush);
    ObjectId oldPen = s_.select(pen);
    ObjectId oldBrush = s_.select(brush);
    curveOutput().curveColour = colour;
    // The gaps of dotted lines show the background, not the surface's text background colour.
    s_.setBackgroundMode(BackgroundMode::Transparent);
    clipToArea();
    if (polarPaper(g_))
        polarGrid(dots);
    else
        rectangularGrid(dots);
    noClip();
    s_.select(oldPen);
    s_.select(oldBrush);
    s_.deleteObject(pen);
    if (dots)
        s_.deleteObject(brush);
}

std::vector<double> GridPainter::axisPositions(Axis axis, double& interval, bool forLegends)
{
    if (logAxis(g_, axis)) {
        double r = forLegends ? logLegendDecades(g_, axis) : logGridInterval(g_, axis, m_);
        interval = 0;
        return logAxisPositions(g_, axis, r, forLegends, m_);
    }
    if (forLegends) {
        interval = legendInterval(g_, axis, m_);
    } else if (axis == Axis::Y && g_.isSquare(m_.pixelAspect) && !customSpacing(g_) && !trigPaper(g_)) {
        interval = gridInterval(g_, Axis::X, m_);
    } else {
        interval = gridInterval(g_, axis, m_);
    }
    interval = boundedStep(axisMin(g_, axis), axisMax(g_, axis), interval);
    return linearPositions(axisMin(g_, axis), axisMax(g_, axis), interval);
}

void GridPainter::rectangularGrid(bool dots)
{
    double sx = 0, sy = 0;
    std::vector<double> xs = axisPositions(Axis::X, sx, false);
    std::vector<double> ys = axisPositions(Axis::Y, sy, false);
    const bool axesDrawn = (g_.paperFlags & PAPER_AXES) != 0;
    auto isAxis = [&](Axis axis, double v, double step) {
        return axesDrawn && !logAxis(g_, axis) && std::fabs(v) <= std::fabs(step) * 1e-9;
    };
    // Positions closer than a pixel land on the same column or row: each is drawn once, so that a
    // grid far denser than the screen costs no more than one dot or line per pixel.
    std::vector<int> columns, rows;
    for (double x : xs)
        if (!isAxis(Axis::X, x, sx) && (columns.empty() || columns.back() != column(x)))
            columns.push_back(column(x));
    for (double y : ys)
        if (!isAxis(Axis::Y, y, sy) && (rows.empty() || rows.back() != row(y)))
            rows.push_back(row(y));
    if (dots) {
        for (int px : columns)
            for (int py : rows)
                drawFatDot(px, py);
        return;
    }
    for (int px : columns)
        line(px, g_.areaTop, px, g_.areaBottom + 1);
    for (int py : rows)
        line(g_.areaLeft, py, g_.areaRight + 1, py);
}

// Draws the part of a world segment that lies in the visible range; false when none does.
bool GridPainter::worldLine(double x0, double y0, double x1, double y1)
{
    double t0 = 0, t1 = 1;
    const double dx = x1 - x0, dy = y1 - y0;
    auto clip = [&](double p, double q) {
        if (p == 0)
            return q >= 0;
        double t = q / p;
        if (p < 0) {
            if (t > t1)
                return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0)
                return false;
            t1 = std::min(t1, t);
        }
        return true;
    };
    if (!clip(-dx, x0 - g_.xMin) || !clip(dx, g_.xMax - x0) || !clip(-dy, y0 - g_.yMin) || !clip(dy, g_.yMax - y0))
        return false;
    DevicePoint a = dev(x0 + t0 * dx, y0 + t0 * dy);
    DevicePoint b = dev(x0 + t1 * dx, y0 + t1 * dy);
    line(a.x, a.y, b.x, b.y);
    s_.setPixel(b.x, b.y, curveOutput().curveColour);
    return true;
}

void GridPainter::polarGrid(bool dots)
{
    const double s = legendInterval(g_, Axis::X, m_);
    const double R = std::max({g_.xMax, -g_.xMin, -g_.yMin, g_.yMax});
    if (!usable(s) || !usable(R))
        return;
    // Only the circles that can cross the visible range: from the nearest point of the range to its
    // farthest corner.
    const double nx = std::clamp(0.0, g_.xMin, g_.xMax), ny = std::clamp(0.0, g_.yMin, g_.yMax);
    const double nearest = std::hypot(nx, ny);
    const double farthest = std::hypot(std::max(std::fabs(g_.xMin), std::fabs(g_.xMax)),
                                       std::max(std::fabs(g_.yMin), std::fabs(g_.yMax)));
    double k = std::max(0.0, std::floor(nearest / s));
    const bool axesDrawn = (g_.paperFlags & PAPER_AXES) != 0;
    // Circles closer together than a couple of device units would only fill the area.
    const double apartX = s * (g_.areaRight - g_.areaLeft) / (g_.xMax - g_.xMin);
    const double apartY = s * (g_.areaBottom - g_.areaTop) / (g_.yMax - g_.yMin);
    const bool circles = std::max(apartX, apartY) >= 2;
    if (dots && circles) {
        const double first = axesDrawn ? 0.5235987756 : 0;
        const double last = axesDrawn ? 1.5707963268 : 1.5807963268;
        for (int i = 0; i < MAX_POLAR_CIRCLES; ++i, k += 1) {
            double r = k * s;
            if (r >= R + s || r > farthest + s)
                break;
            for (double t = first; t < last; t += 0.5235987756) {
                const double c = r * std::cos(t), sn = r * std::sin(t);
                const double pts[4][2] = {{c, sn}, {-c, sn}, {c, -sn}, {-c, -sn}};
                for (const auto& p : pts) {
                    if (p[0] < g_.xMin || p[0] > g_.xMax || p[1] < g_.yMin || p[1] > g_.yMax)
                        continue;
                    DevicePoint d = dev(p[0], p[1]);
                    drawFatDot(d.x, d.y);
                }
            }
        }
        return;
    }
    if (dots)
        return;
    // Outlines are drawn point by point on some surfaces: a budget of outline length keeps an
    // extreme range (circles far larger than the area) from taking minutes.
    double outlineBudget = 400.0 * ((g_.areaRight - g_.areaLeft) + (g_.areaBottom - g_.areaTop));
    for (int i = 0; circles && i < MAX_POLAR_CIRCLES && outlineBudget > 0; ++i, k += 1) {
        double r = k * s;
        if (r >= R + s || r > farthest + s)
            break;
        DevicePoint a = dev(-r, r), b = dev(r, -r);
        // A circle whose box leaves the 16-bit device range cannot be drawn by the device.
        auto fits = [](double v) { return std::fabs(v) < PLAIN_POINT_LIMIT; };
        const double fx0 = (-r - g_.xMin) / (g_.xMax - g_.xMin) * (g_.areaRight - g_.areaLeft);
        const double fx1 = (r - g_.xMin) / (g_.xMax - g_.xMin) * (g_.areaRight - g_.areaLeft);
        const double fy0 = (r - g_.yMin) / (g_.yMax - g_.yMin) * (g_.areaBottom - g_.areaTop);
        const double fy1 = (-r - g_.yMin) / (g_.yMax - g_.yMin) * (g_.areaBottom - g_.areaTop);
        if (!fits(fx0) || !fits(fx1) || !fits(fy0) || !fits(fy1))
            continue;
        outlineBudget -= (fx1 - fx0) + (fy0 - fy1);
        s_.ellipse(a.x, a.y, b.x + 1, b.y + 1);
    }
    const double rays[4][4] = {{R, 0.57735 * R, -R, -0.57735 * R},
                               {R, 1.732 * R, -R, -1.732 * R},
                               {-R, 0.57735 * R, R, -0.57735 * R},
                               {-R, 1.732 * R, R, -1.732 * R}};
    for (const auto& ray : rays)
        worldLine(ray[0], ray[1], ray[2], ray[3]);
    if (!axesDrawn) {
        worldLine(-R, 0, R, 0);
        worldLine(0, -R, 0, R);
    }
}

void GridPainter::axes()
{
    if (!(g_.paperFlags & PAPER_AXES))
        return;
    const Colour colour = colourOf(COLOUR_AXES);
    ObjectId pen = s_.createPen(PenStyle::Solid, 1, colour);
    ObjectId brush = s_.createSolidBrush(colour);
    ObjectId oldPen = s_.select(pen);
    ObjectId oldBrush = s_.select(brush);
    const int a = m_.symbolSizeX / 4, b = m_.symbolSizeY / 4;
    s_.setTextColour(colour);
    s_.setBackgroundMode(BackgroundMode::Transparent);
    clipToArea();
    if (!g_.logY() && g_.yMin < 0 && 0 < g_.yMax) {
        const int r = row(0);
        line(g_.areaLeft, r, g_.areaRight + 1, r);
        if (g_.paperFlags & PAPER_AXIS_NAMES) {
            ObjectId old = useFont(FONT_AXLABEL);
            TextSize t = extent(FONT_AXLABEL, doc_.xAxisName);
            const int right = g_.areaRight - 3, top = r - b - fonts_.height[FONT_AXLABEL] - 1;
            s_.setTextAlign(TextAlign::Right | TextAlign::Top);
            s_.textOut(right, top, doc_.xAxisName);
            occupied_.push_back({right - t.cx, top, right, top + t.cy});
            if (old)
                s_.select(old);
        }
        if (g_.paperFlags & PAPER_ARROWS) {
            const DevicePoint tri[3] = {{std::int16_t(g_.areaRight - 1), std::int16_t(r)},
                                        {std::int16_t(g_.areaRight - a - 1), std::int16_t(r - b)},
                                        {std::int16_t(g_.areaRight - a - 1), std::int16_t(r + b)}};
            s_.polygon(tri, 3);
        }
    }
    if (!g_.logX() && g_.xMin < 0 && 0 < g_.xMax) {
        const int c = column(0);
        line(c, g_.areaTop, c, g_.areaBottom + 1);
        if (g_.paperFlags & PAPER_AXIS_NAMES) {
            ObjectId old = useFont(FONT_AXLABEL);
            TextSize t = extent(FONT_AXLABEL, doc_.yAxisName);
            const int left = c + a + 3, top = g_.areaTop - 3;
            s_.setTextAlign(TextAlign::Left | TextAlign::Top);
            s_.textOut(left, top, doc_.yAxisName);
            occupied_.push_back({left, top, left + t.cx, top + t.cy});
            if (old)
                s_.select(old);
        }
        if (g_.paperFlags & PAPER_ARROWS) {
            const DevicePoint tri[3] = {{std::int16_t(c), std::int16_t(g_.areaTop)},
                                        {std::int16_t(c - a), std::int16_t(g_.areaTop + b)},
                                        {std::int16_t(c + a), std::int16_t(g_.areaTop + b)}};
            s_.polygon(tri, 3);
        }
    }
    noClip();
    s_.select(oldPen);
    s_.select(oldBrush);
    s_.deleteObject(pen);
    s_.deleteObject(brush);
}

void GridPainter::border()
{
    ObjectId pen = s_.createPen(PenStyle::Solid, 2, colourOf(COLOUR_BORDER));
    ObjectId oldPen = s_.select(pen);
    ObjectId oldBrush = s_.select(s_.stockObject(StockObject::NullBrush));
    s_.rectangle(g_.areaLeft - 1, g_.areaTop - 1, g_.areaRight + 2, g_.areaBottom + 2);
    s_.select(oldPen);
    s_.select(oldBrush);
    s_.deleteObject(pen);
}

void GridPainter::legends()
{
    const Colour colour = colourOf(COLOUR_LEGEND);
    ObjectId pen = s_.createPen(PenStyle::Solid, 1, colour);
    ObjectId oldPen = s_.select(pen);
    ObjectId oldFont = useFont(FONT_LEGENDS);
    s_.setTextColour(colour);
    // Numbers sit on the background colour, so that the grid lines through their positions do not
    // run through the digits.
    s_.setBackgroundColour(colourOf(COLOUR_BACK));
    s_.setBackgroundMode(BackgroundMode::Opaque);
    clipToArea();
    const int tx = (m_.symbolSizeX - 5) / 10, ty = (m_.symbolSizeY - 5) / 10;
    const int fontHeight = fonts_.height[FONT_LEGENDS];
    const int charWidth = fonts_.width[FONT_LEGENDS];
    const bool metafile = s_.isMetafile();

    struct Number {
        double value;
        int pos;
        std::string text;
        TextSize size;
    };
    auto collect = [&](Axis axis) {
        double interval = 0;
        std::vector<double> values = axisPositions(axis, interval, true);
        std::vector<Number> out;
        for (double v : values) {
            Number n{v, axis == Axis::X ? column(v) : row(v), legendText(g_, axis, v, interval), {}};
            n.size = legendExtent(n.text);
            out.push_back(n);
        }
        return out;
    };
    // Numbers wider than their spacing would run into each other: show every second, fifth or
    // tenth of them (ticks stay at every position), so that the shown ones keep round values.
    auto thinning = [](const std::vector<Number>& numbers, bool horizontal, int fontH) {
        if (numbers.size() < 2)
            return 1;
        int widest = 0;
        for (const Number& n : numbers)
            widest = std::max(widest, horizontal ? n.size.cx : fontH);
        int spacing = 1 << 30;
        for (std::size_t i = 1; i < numbers.size(); ++i)
            spacing = std::min(spacing, std::abs(numbers[i].pos - numbers[i - 1].pos));
        for (int k : {1, 2, 5, 10, 20, 50, 100})
            if (spacing * k >= widest + LABEL_SPACING)
                return k;
        return 1000;
    };
    auto isZero = [](const Number& n, Axis axis, const GridSetup& g) {
        return !logAxis(g, axis) && n.value == 0;
    };
    auto place = [&](const DeviceRect& box) {
        if (box.left < g_.areaLeft || box.right > g_.areaRight + 1 || box.top < g_.areaTop ||
            box.bottom > g_.areaBottom + 1)
            return false;
        for (const DeviceRect& o : occupied_)
            if (overlaps(box, o))
                return false;
        occupied_.push_back(box);
        return true;
    };
    // Linear axes show the numbers at multiples of the thinning step (counting from zero keeps 0
    // among them). Logarithmic axes show the powers of the base first and then whatever fits
    // between them.
    auto shownAt = [](const std::vector<Number>& numbers, std::size_t i, int k, double interval0) {
        if (k == 1 || interval0 <= 0)
            return true;
        double idx = std::round(numbers[i].value / interval0);
        return std::fmod(std::fabs(idx), double(k)) == 0;
    };
    auto drawingOrder = [&](const std::vector<Number>& numbers, Axis axis) {
        std::vector<std::size_t> order;
        for (std::size_t i = 0; i < numbers.size(); ++i)
            order.push_back(i);
        if (logAxis(g_, axis)) {
            auto power = [&](std::size_t i) {
                double e = std::log(numbers[i].value) / g_.lnBase;
                return std::fabs(e - std::round(e)) < 1e-9;
            };
            std::stable_partition(order.begin(), order.end(), power);
        }
        return order;
    };

    // The x axis's 0 labels the origin; a second 0 beside it on the y axis would only repeat it.
    bool originLabelled = false;

    // x numbers
    {
        std::vector<Number> numbers = collect(Axis::X);
        const bool visible = xAxisVisible();
        int r = visible ? row(0) : g_.areaBottom;
        bool above = !visible || g_.areaBottom - r < fontHeight;
        const int k = thinning(numbers, true, fontHeight);
        double interval0 = logAxis(g_, Axis::X) ? 0 : legendInterval(g_, Axis::X, m_);
        for (const Number& n : numbers)
            if (!isZero(n, Axis::X, g_) || logAxis(g_, Axis::X))
                line(n.pos, r - ty, n.pos, r + ty + 1);
        for (std::size_t i : drawingOrder(numbers, Axis::X)) {
            const Number& n = numbers[i];
            if (!shownAt(numbers, i, k, interval0))
                continue;
            int left;
            if (n.text.size() == 1)
                left = n.pos + 1;
            else if (metafile)
                left = n.pos - ((charWidth + 1) * int(n.text.size()) - 1) / 2;
            else
                left = n.pos - n.size.cx / 2;
            int top = above ? r - ty - n.size.cy : r + ty + 1;
            DeviceRect box{left, top, left + n.size.cx, top + n.size.cy};
            if (!place(box))
                continue;
            legendOut(left, top, n.text);
            if (isZero(n, Axis::X, g_) && visible)
                originLabelled = true;
        }
    }
    // y numbers
    {
        std::vector<Number> numbers = collect(Axis::Y);
        const bool visible = yAxisVisible();
        const int c = visible ? column(0) : g_.areaLeft;
        const bool centred = options_.ylegpos == YLEGPOS_CENTER;
        int widest = 0;
        for (const Number& n : numbers)
            widest = std::max(widest, metafile ? int(n.text.size()) * (charWidth + 1) : n.size.cx);
        // Right of the axis when there is no room left of it for the widest number.
        const bool leftAligned = !visible || c < g_.areaLeft + 4 * charWidth + 1 || c - 3 - widest < g_.areaLeft;
        const int k = thinning(numbers, false, fontHeight);
        double interval0 = logAxis(g_, Axis::Y) ? 0 : legendInterval(g_, Axis::Y, m_);
        for (const Number& n : numbers)
            if (!isZero(n, Axis::Y, g_) || logAxis(g_, Axis::Y))
                line(c - tx, n.pos, c + tx + 1, n.pos);
        for (std::size_t i : drawingOrder(numbers, Axis::Y)) {
            const Number& n = numbers[i];
            const bool zero = isZero(n, Axis::Y, g_);
            if ((centred || (originLabelled && visible)) && zero)
                continue;
            if (!shownAt(numbers, i, k, interval0))
                continue;
            const int width = metafile ? int(n.text.size()) * (charWidth + 1) : n.size.cx;
            int left = leftAligned ? c + 4 : (metafile ? c - 1 - int(n.text.size()) * (charWidth + 1) : c - 3 - width);
            int top = centred ? n.pos - 1 - fontHeight / 2 : n.pos + 1;
            DeviceRect box{left, top, left + width, top + n.size.cy};
            if (!place(box))
                continue;
            legendOut(left, top, n.text);
        }
    }
    noClip();
    s_.setBackgroundMode(BackgroundMode::Transparent);
    if (oldFont)
        s_.select(oldFont);
    s_.select(oldPen);
    s_.deleteObject(pen);
}

void GridPainter::labels()
{
    const bool metafile = s_.isMetafile();
    s_.setTextColour(0x000000);
    s_.setBackgroundMode(BackgroundMode::Transparent);
    s_.setTextAlign(TextAlign::Center | TextAlign::Bottom);
    const int midX = (g_.areaLeft + g_.areaRight) / 2, midY = (g_.areaTop + g_.areaBottom) / 2;
    struct Band {
        int role;
        const std::string& text;
        DeviceRect rect;
        int x, y;
    };
    const Band bands[3] = {
        {FONT_TITLES, doc_.title, {0, 0, 32767, g_.areaTop - 1}, midX, g_.areaTop - g_.labelGapV - 1},
        {FONT_LEFTLBL, doc_.leftLabel, {0, g_.areaTop, g_.areaLeft - 1, 32767}, g_.areaLeft - g_.labelGapH, midY},
        {FONT_RIGHTLBL, doc_.rightLabel, {g_.areaRight + 2, g_.areaTop, 32767, 32767}, g_.areaRight + g_.labelGapH + 1, midY},
    };
    for (const Band& band : bands) {
        if (band.text.empty())
            continue;
        if (metafile) {
            ObjectId white = s_.stockObject(StockObject::WhiteBrush);
            s_.fillRect(band.rect, white);
        } else {
            s_.setClipRect(&band.rect);
        }
        ObjectId old = useFont(band.role);
        s_.textOut(band.x, band.y, band.text);
        if (old)
            s_.select(old);
    }
    if (!metafile)
        s_.setClipRect(nullptr);
}

void GridPainter::reserveAnnotations()
{
    const int n = std::min<int>(doc_.annotationCount, int(doc_.annotations.size()));
    for (int i = 0; i < n; ++i) {
        const Annotation& a = doc_.annotations[std::size_t(i)];
        if (a.text.empty() || !std::isfinite(a.x) || !std::isfinite(a.y))
            continue;
        DevicePoint p = dev(a.x, a.y);
        const int width = int(a.text.size()) * fonts_.width[FONT_ANNOTES];
        occupied_.push_back({p.x, p.y, p.x + width, p.y + fonts_.height[FONT_ANNOTES]});
    }
}

TextSize GridPainter::legendExtent(const std::string& text)
{
    if (!piSuffix(text))
        return extent(FONT_LEGENDS, text);
    const std::string number = text.substr(0, text.size() - 1);
    TextSize n = number.empty() ? TextSize{0, 0} : extent(FONT_LEGENDS, number);
    TextSize pi = extent(FONT_LEGENDS, "p");
    if (piFont_ && !s_.isMetafile()) {
        s_.select(piFont_);
        pi = s_.textExtent(GREEK_PI);
        useFont(FONT_LEGENDS);
    }
    return {n.cx + pi.cx, std::max(n.cy, pi.cy)};
}

void GridPainter::legendOut(int left, int top, const std::string& text)
{
    s_.setTextAlign(TextAlign::Left | TextAlign::Top);
    if (!piSuffix(text)) {
        s_.textOut(left, top, text);
        return;
    }
    const std::string number = text.substr(0, text.size() - 1);
    int x = left;
    if (!number.empty()) {
        s_.textOut(x, top, number);
        x += extent(FONT_LEGENDS, number).cx;
    }
    if (piFont_) {
        s_.select(piFont_);
        s_.textOut(x, top, GREEK_PI);
        useFont(FONT_LEGENDS);
    } else {
        s_.textOut(x, top, "p");
    }
}

void GridPainter::annotations()
{
    if (doc_.annotationCount == 0)
        return;
    ObjectId old = useFont(FONT_ANNOTES);
    s_.setTextColour(colourOf(COLOUR_ANNOTE));
    s_.setBackgroundColour(colourOf(COLOUR_BACK));
    s_.setBackgroundMode(BackgroundMode::Opaque);
    s_.setTextAlign(TextAlign::Left | TextAlign::Top);
    clipToArea();
    const int n = std::min<int>(doc_.annotationCount, int(doc_.annotations.size()));
    for (int i = 0; i < n; ++i) {
        const Annotation& a = doc_.annotations[std::size_t(i)];
        if (a.text.empty() || !std::isfinite(a.x) || !std::isfinite(a.y))
            continue;
        DevicePoint p = dev(a.x, a.y);
        s_.textOut(p.x, p.y, a.text);
    }
    noClip();
    s_.setBackgroundMode(BackgroundMode::Transparent);
    if (old)
        s_.select(old);
}

}  // namespace

void drawGridScreen(GraphDoc& doc, PlotSurface& surface)
{
    GridPainter painter(doc, surface);
    painter.draw();
}

int annotationAt(const GraphDoc& doc, int px, int py)
{
    const GridFont& font = doc.fonts[FONT_ANNOTES];
    const int charWidth = font.averageWidth > 0 ? font.averageWidth : 8;
    const int height = font.measuredHeight > 0 ? font.measuredHeight : 16;
    const int n = std::min<int>(doc.annotationCount, int(doc.annotations.size()));
    for (int i = n - 1; i >= 0; --i) {
        const Annotation& a = doc.annotations[std::size_t(i)];
        DevicePoint p = deviceOf(doc.grid, a.x, a.y);
        const int width = int(a.text.size()) * charWidth;
        if (px >= p.x && px < p.x + width && py >= p.y && py < p.y + height)
            return i;
    }
    return -1;
}

ObjectId xorColour(PlotSurface& surface)
{
    Colour back = colourOf(COLOUR_BACK);
    if (back == 0x000000)
        back = 0xFFFFFF;
    surface.setRasterOp(RasterOp::XorPen);
    ObjectId pen = surface.createPen(PenStyle::Solid, 1, back);
    if (pen)
        surface.select(pen);
    return pen;
}

int& hatchAlternation()
{
    static int alternation = 0;
    return alternation;
}

}  // namespace qv
