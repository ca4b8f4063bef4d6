#include "platform/record/recording_surface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace qv {

namespace {

// Stock objects have fixed identifiers below the first created one.
constexpr ObjectId kStockBase = 1;  // + StockObject value
constexpr ObjectId kSystemFont = 20;

constexpr int kDotOn = 3;  // a dotted cosmetic pen paints 3 pixels and skips 3
constexpr int kDotPeriod = 6;

// Integer floor and ceiling of a / b for b > 0.
long long floorDiv(long long a, long long b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
long long ceilDiv(long long a, long long b) { return -floorDiv(-a, b); }

std::string colourText(Colour c)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", redOf(c), greenOf(c), blueOf(c));
    return buffer;
}

std::string escapeXml(const std::string& text)
{
    std::string out;
    for (unsigned char ch : text) {
        switch (ch) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default:
            if (ch < 0x20)
                out += ' ';
            else if (ch >= 0x80)  // the program's texts are Windows-1252
                out += "&#" + std::to_string(ch == 0x80 ? 0x20AC : ch) + ";";
            else
                out += char(ch);
        }
    }
    return out;
}

}  // namespace

RecordingSurface::RecordingSurface(int width, int height, Colour background)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(size_t(width_) * height_, background),
      background_(background),
      pen_(kStockBase + ObjectId(StockObject::BlackPen)),
      brush_(kStockBase + ObjectId(StockObject::WhiteBrush)),
      font_(kSystemFont)
{
    auto stockPen = [](PenStyle style, Colour colour) {
        Object o{Object::PenObject, {style, 1, colour}, {}, {}, true};
        return o;
    };
    auto stockBrush = [](Brush::Kind kind, Colour colour) {
        Object o{Object::BrushObject, {}, {kind, HatchStyle::ForwardDiagonal, colour}, {}, true};
        return o;
    };
    objects_[kStockBase + ObjectId(StockObject::BlackPen)] = stockPen(PenStyle::Solid, rgb(0, 0, 0));
    objects_[kStockBase + ObjectId(StockObject::WhitePen)] = stockPen(PenStyle::Solid, rgb(255, 255, 255));
    objects_[kStockBase + ObjectId(StockObject::NullPen)] = stockPen(PenStyle::Null, 0);
    objects_[kStockBase + ObjectId(StockObject::WhiteBrush)] = stockBrush(Brush::Solid, rgb(255, 255, 255));
    objects_[kStockBase + ObjectId(StockObject::BlackBrush)] = stockBrush(Brush::Solid, rgb(0, 0, 0));
    objects_[kStockBase + ObjectId(StockObject::NullBrush)] = stockBrush(Brush::Null, 0);
    Object system{Object::FontObject, {}, {}, FontSpec{"System", 16, 700, false, false, 0}, true};
    objects_[kSystemFont] = system;
}

RecordingSurface::Op& RecordingSurface::record(OpKind kind)
{
    Op op{};
    op.kind = kind;
    if (const Object* p = find(pen_))
        op.pen = p->pen;
    if (const Object* b = find(brush_))
        op.brush = b->brush;
    if (const Object* f = find(font_))
        op.font = f->font;
    ops_.push_back(std::move(op));
    return ops_.back();
}

const RecordingSurface::Object* RecordingSurface::find(ObjectId id) const
{
    auto it = objects_.find(id);
    return it == objects_.end() ? nullptr : &it->second;
}

ObjectId RecordingSurface::addObject(const Object& object)
{
    ObjectId id = nextId_++;
    objects_[id] = object;
    return id;
}

ObjectId RecordingSurface::createPen(PenStyle style, int width, Colour colour)
{
    ObjectId id = addObject(Object{Object::PenObject, {style, std::max(width, 1), colour}, {}, {}, false});
    Op& op = record(OpKind::CreatePen);
    op.object = id;
    op.colour = colour;
    return id;
}

ObjectId RecordingSurface::createSolidBrush(Colour colour)
{
    ObjectId id = addObject(Object{Object::BrushObject, {}, {Brush::Solid, HatchStyle::ForwardDiagonal, colour}, {}, false});
    record(OpKind::CreateSolidBrush).object = id;
    return id;
}

ObjectId RecordingSurface::createHatchBrush(HatchStyle style, Colour colour)
{
    ObjectId id = addObject(Object{Object::BrushObject, {}, {Brush::Hatch, style, colour}, {}, false});
    record(OpKind::CreateHatchBrush).object = id;
    return id;
}

ObjectId RecordingSurface::createFont(const FontSpec& font)
{
    ObjectId id = addObject(Object{Object::FontObject, {}, {}, font, false});
    Op& op = record(OpKind::CreateFont);
    op.object = id;
    op.font = font;
    return id;
}

ObjectId RecordingSurface::stockObject(StockObject which) { return kStockBase + ObjectId(which); }

ObjectId RecordingSurface::select(ObjectId id)
{
    const Object* object = find(id);
    if (!object)
        return 0;
    ObjectId* slot = object->kind == Object::PenObject ? &pen_ : object->kind == Object::BrushObject ? &brush_ : &font_;
    ObjectId previous = *slot;
    *slot = id;
    record(OpKind::Select).object = id;
    return previous;
}

void RecordingSurface::deleteObject(ObjectId id)
{
    auto it = objects_.find(id);
    if (it == objects_.end() || it->second.stock)
        return;
    // GDI refuses to delete a selected object; so do we, and the test sees it alive.
    if (id == pen_ || id == brush_ || id == font_)
        return;
    objects_.erase(it);
    record(OpKind::DeleteObject).object = id;
}

int RecordingSurface::liveObjects() const
{
    return int(std::count_if(objects_.begin(), objects_.end(), [](const auto& kv) { return !kv.second.stock; }));
}

bool RecordingSurface::inClip(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return false;
    return !clipped_ || (x >= clip_.left && x < clip_.right && y >= clip_.top && y < clip_.bottom);
}

void RecordingSurface::plot(int x, int y, Colour colour, bool withRasterOp)
{
    if (!inClip(x, y))
        return;
    Colour& p = pixels_[size_t(y) * width_ + x];
    p = (withRasterOp && rop_ == RasterOp::XorPen) ? ((p ^ colour) & 0xFFFFFF) : colour;
}

void RecordingSurface::paintWideDot(int x, int y, const Pen& pen)
{
    // Wide pens are round: a disc of the pen's diameter around each point of the thin line.
    const int w = pen.width;
    const int lo = -(w / 2), hi = (w - 1) / 2;
    const double centre = (lo + hi) / 2.0, r2 = (w / 2.0) * (w / 2.0);
    for (int dy = lo; dy <= hi; ++dy)
        for (int dx = lo; dx <= hi; ++dx) {
            double ex = dx - centre, ey = dy - centre;
            if (w <= 2 || ex * ex + ey * ey <= r2 - 0.25)
                plot(x + dx, y + dy, pen.colour, true);
        }
}

// A thin line paints the points of the major axis from the start up to, not including, the end.
// The minor coordinate is rounded to the nearest pixel, ties toward the smaller coordinate: the rule
// GDI's own line drawing follows.
void RecordingSurface::paintLine(int x0, int y0, int x1, int y1, const Pen& pen, int& dashPhase)
{
    if (pen.style == PenStyle::Null)
        return;
    const int dx = x1 - x0, dy = y1 - y0;
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const long long adx = std::llabs(dx), ady = std::llabs(dy);
    const bool xMajor = adx >= ady;
    const long long major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    const int minorSign = xMajor ? sy : sx;
    const bool wide = pen.width > 1;
    if (wide && major == 0) {
        paintWideDot(x0, y0, pen);
        return;
    }
    // Wide lines are geometric and include their end point.
    const long long steps = wide ? major + 1 : major;
    for (long long i = 0; i < steps; ++i) {
        long long q = (i * minor) / (major ? major : 1), r = (i * minor) % (major ? major : 1);
        long long m = q + ((2 * r > major || (2 * r == major && major && minorSign < 0)) ? 1 : 0);
        int x = xMajor ? int(x0 + sx * i) : int(x0 + sx * m);
        int y = xMajor ? int(y0 + sy * m) : int(y0 + sy * i);
        bool on = pen.style != PenStyle::Dot || (dashPhase % kDotPeriod) < kDotOn;
        ++dashPhase;
        if (!on)
            continue;
        if (wide)
            paintWideDot(x, y, pen);
        else
            plot(x, y, pen.colour, true);
    }
}

void RecordingSurface::moveTo(int x, int y)
{
    record(OpKind::MoveTo).points = {DevicePoint{int16_t(x), int16_t(y)}};
    curX_ = x;
    curY_ = y;
    dashPhase_ = 0;
}

void RecordingSurface::lineTo(int x, int y)
{
    Op& op = record(OpKind::LineTo);
    op.points = {DevicePoint{int16_t(curX_), int16_t(curY_)}, DevicePoint{int16_t(x), int16_t(y)}};
    paintLine(curX_, curY_, x, y, op.pen, dashPhase_);
    curX_ = x;
    curY_ = y;
}

void RecordingSurface::polyline(const DevicePoint* points, int count)
{
    if (count <= 0)
        return;
    Op& op = record(OpKind::Polyline);
    op.points.assign(points, points + count);
    int phase = 0;
    for (int i = 1; i < count; ++i)
        paintLine(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, op.pen, phase);
}

void RecordingSurface::setPixel(int x, int y, Colour colour)
{
    Op& op = record(OpKind::SetPixel);
    op.points = {DevicePoint{int16_t(x), int16_t(y)}};
    op.colour = colour;
    plot(x, y, colour, false);
}

void RecordingSurface::paintBrushSpan(int y, int x0, int x1, const Brush& brush)
{
    if (brush.kind == Brush::Null)
        return;
    for (int x = x0; x < x1; ++x) {
        if (brush.kind == Brush::Solid) {
            plot(x, y, brush.colour, true);
            continue;
        }
        // 8x8 hatch pattern aligned to the surface origin.
        bool line = brush.hatch == HatchStyle::ForwardDiagonal ? ((x - y) & 7) == 0 : ((x + y) & 7) == 7;
        if (line)
            plot(x, y, brush.colour, true);
        else if (bkMode_ == BackgroundMode::Opaque)
            plot(x, y, bkColour_, true);
    }
}

// Alternate fill: a pixel row y is sampled at the integer y and the crossings of the edges are rounded
// up, so a pixel is inside when its top-left corner is; right and bottom edges stay unpainted.
void RecordingSurface::fillPolygons(const DevicePoint* points, const int* counts, int polygons, const Brush& brush)
{
    if (brush.kind == Brush::Null)
        return;
    struct Edge {
        long long x0, y0, x1, y1;
    };
    std::vector<Edge> edges;
    int top = 1 << 30, bottom = -(1 << 30);
    const DevicePoint* p = points;
    for (int k = 0; k < polygons; ++k) {
        int n = counts[k];
        for (int i = 0; i < n; ++i) {
            DevicePoint a = p[i], b = p[(i + 1) % n];
            if (a.y == b.y)
                continue;
            if (a.y > b.y)
                std::swap(a, b);
            edges.push_back({a.x, a.y, b.x, b.y});
            top = std::min<int>(top, a.y);
            bottom = std::max<int>(bottom, b.y);
        }
        p += n;
    }
    top = std::max(top, 0);
    bottom = std::min(bottom, height_);
    std::vector<long long> xs;
    for (int y = top; y < bottom; ++y) {
        xs.clear();
        for (const Edge& e : edges)
            if (e.y0 <= y && y < e.y1)
                xs.push_back(ceilDiv(e.x0 * (e.y1 - e.y0) + (y - e.y0) * (e.x1 - e.x0), e.y1 - e.y0));
        std::sort(xs.begin(), xs.end());
        for (size_t i = 0; i + 1 < xs.size(); i += 2) {
            long long a = std::max<long long>(xs[i], -1), b = std::min<long long>(xs[i + 1], width_ + 1);
            if (a < b)
                paintBrushSpan(y, int(a), int(b), brush);
        }
    }
}

void RecordingSurface::outlineClosed(const DevicePoint* points, int count, const Pen& pen)
{
    int phase = 0;
    for (int i = 0; i < count; ++i) {
        const DevicePoint& a = points[i];
        const DevicePoint& b = points[(i + 1) % count];
        paintLine(a.x, a.y, b.x, b.y, pen, phase);
    }
}

void RecordingSurface::polygon(const DevicePoint* points, int count)
{
    if (count < 2)
        return;
    Op& op = record(OpKind::Polygon);
    op.points.assign(points, points + count);
    fillPolygons(points, &count, 1, op.brush);
    outlineClosed(points, count, op.pen);
}

void RecordingSurface::polyPolygon(const DevicePoint* points, const int* counts, int polygons)
{
    if (polygons <= 0)
        return;
    Op& op = record(OpKind::PolyPolygon);
    int total = 0;
    for (int k = 0; k < polygons; ++k)
        total += std::max(counts[k], 0);
    op.points.assign(points, points + total);
    op.counts.assign(counts, counts + polygons);
    fillPolygons(points, counts, polygons, op.brush);
    const DevicePoint* p = points;
    for (int k = 0; k < polygons; ++k) {
        if (counts[k] >= 2)
            outlineClosed(p, counts[k], op.pen);
        p += counts[k];
    }
}

void RecordingSurface::rectangle(int left, int top, int right, int bottom)
{
    Op& op = record(OpKind::Rectangle);
    op.rect = {left, top, right, bottom};
    op.hasRect = true;
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    if (op.pen.style == PenStyle::Null) {
        // Without a pen the filled area loses its last row and column, as in GDI.
        for (int y = top; y < bottom - 1; ++y)
            paintBrushSpan(y, left, right - 1, op.brush);
        return;
    }
    for (int y = top + 1; y < bottom - 1; ++y)
        paintBrushSpan(y, left + 1, right - 1, op.brush);
    DevicePoint corners[4] = {{int16_t(left), int16_t(top)}, {int16_t(right - 1), int16_t(top)},
                              {int16_t(right - 1), int16_t(bottom - 1)}, {int16_t(left), int16_t(bottom - 1)}};
    outlineClosed(corners, 4, op.pen);
}

void RecordingSurface::fillRect(const DeviceRect& rect, ObjectId brushId)
{
    Op& op = record(OpKind::FillRect);
    op.rect = rect;
    op.hasRect = true;
    op.object = brushId;
    const Object* object = find(brushId);
    if (!object || object->kind != Object::BrushObject)
        return;
    op.brush = object->brush;
    RasterOp saved = rop_;
    rop_ = RasterOp::CopyPen;  // FillRect ignores the drawing mode
    for (int y = rect.top; y < rect.bottom; ++y)
        paintBrushSpan(y, rect.left, rect.right, op.brush);
    rop_ = saved;
}

void RecordingSurface::ellipse(int left, int top, int right, int bottom)
{
    Op& op = record(OpKind::Ellipse);
    op.rect = {left, top, right, bottom};
    op.hasRect = true;
    const double cx = (left + right - 1) / 2.0, cy = (top + bottom - 1) / 2.0;
    const double a = (right - left - 1) / 2.0, b = (bottom - top - 1) / 2.0;
    if (a < 0 || b < 0)
        return;
    const int samples = std::max(16, int(4 * (a + b)));
    std::vector<DevicePoint> outline;
    for (int i = 0; i < samples; ++i) {
        double t = 2 * 3.14159265358979323846 * i / samples;
        DevicePoint p{int16_t(std::lround(cx + a * std::cos(t))), int16_t(std::lround(cy + b * std::sin(t)))};
        if (outline.empty() || !(outline.back() == p))
            outline.push_back(p);
    }
    if (op.brush.kind != Brush::Null)
        for (int y = top + 1; y < bottom - 1; ++y) {
            double v = (y - cy) / (b > 0 ? b : 1);
            if (std::fabs(v) >= 1)
                continue;
            double h = a * std::sqrt(1 - v * v);
            paintBrushSpan(y, int(std::ceil(cx - h + 0.5)), int(std::floor(cx + h - 0.5)) + 1, op.brush);
        }
    outlineClosed(outline.data(), int(outline.size()), op.pen);
}

void RecordingSurface::setBackgroundMode(BackgroundMode mode)
{
    record(OpKind::SetBackgroundMode).flags = unsigned(mode);
    bkMode_ = mode;
}

void RecordingSurface::setBackgroundColour(Colour colour)
{
    record(OpKind::SetBackgroundColour).colour = colour;
    bkColour_ = colour;
}

void RecordingSurface::setRasterOp(RasterOp op)
{
    record(OpKind::SetRasterOp).flags = unsigned(op);
    rop_ = op;
}

void RecordingSurface::setClipRect(const DeviceRect* rect)
{
    Op& op = record(OpKind::SetClipRect);
    clipped_ = rect != nullptr;
    if (rect) {
        clip_ = *rect;
        op.rect = *rect;
        op.hasRect = true;
    }
}

void RecordingSurface::setTextColour(Colour colour)
{
    record(OpKind::SetTextColour).colour = colour;
    textColour_ = colour;
}

void RecordingSurface::setTextAlign(unsigned flags)
{
    record(OpKind::SetTextAlign).flags = flags;
    textAlign_ = flags;
}

void RecordingSurface::textOut(int x, int y, const std::string& text)
{
    Op& op = record(OpKind::Text);
    op.points = {DevicePoint{int16_t(x), int16_t(y)}};
    op.text = text;
    op.colour = textColour_;
    op.flags = textAlign_;
}

// Without real glyphs, text is measured as an average character of half the font's height.
TextSize RecordingSurface::textExtent(const std::string& text)
{
    const Object* f = find(font_);
    int h = f ? std::abs(f->font.height) : 16;
    return {int(text.size()) * std::max(1, (h + 1) / 2), h};
}

void RecordingSurface::drawText(const DeviceRect& rect, const std::string& text, unsigned flags)
{
    Op& op = record(OpKind::TextInRect);
    op.rect = rect;
    op.hasRect = true;
    op.text = text;
    op.flags = flags;
    op.colour = textColour_;
}

std::vector<const RecordingSurface::Op*> RecordingSurface::opsOfKind(OpKind kind) const
{
    std::vector<const Op*> out;
    for (const Op& op : ops_)
        if (op.kind == kind)
            out.push_back(&op);
    return out;
}

int RecordingSurface::countPixels(Colour colour, DeviceRect area) const
{
    int n = 0;
    for (int y = std::max(area.top, 0); y < std::min(area.bottom, height_); ++y)
        for (int x = std::max(area.left, 0); x < std::min(area.right, width_); ++x)
            if (pixel(x, y) == colour)
                ++n;
    return n;
}

std::string RecordingSurface::svg() const
{
    std::ostringstream out;
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width_ << "\" height=\"" << height_
        << "\" viewBox=\"0 0 " << width_ << ' ' << height_ << "\" shape-rendering=\"crispEdges\">\n";
    out << "<rect width=\"100%\" height=\"100%\" fill=\"" << colourText(background_) << "\"/>\n";
    int hatchCount = 0;
    auto stroke = [](const Pen& pen) {
        if (pen.style == PenStyle::Null)
            return std::string(" stroke=\"none\"");
        std::string s = " stroke=\"" + colourText(pen.colour) + "\" stroke-width=\"" + std::to_string(pen.width) + "\"";
        if (pen.style == PenStyle::Dot)
            s += " stroke-dasharray=\"3,3\"";
        return s;
    };
    auto fill = [&](const Brush& brush, std::ostringstream& defs) {
        if (brush.kind == Brush::Null)
            return std::string(" fill=\"none\"");
        if (brush.kind == Brush::Solid)
            return " fill=\"" + colourText(brush.colour) + "\"";
        std::string id = "hatch" + std::to_string(++hatchCount);
        defs << "<defs><pattern id=\"" << id << "\" width=\"8\" height=\"8\" patternUnits=\"userSpaceOnUse\">"
             << "<path d=\"" << (brush.hatch == HatchStyle::ForwardDiagonal ? "M0,0 L8,8" : "M0,8 L8,0")
             << "\" stroke=\"" << colourText(brush.colour) << "\"/></pattern></defs>\n";
        return " fill=\"url(#" + id + ")\"";
    };
    bool inGroup = false;
    for (const Op& op : ops_) {
        std::ostringstream defs;
        std::ostringstream el;
        switch (op.kind) {
        case OpKind::SetClipRect: {
            if (inGroup)
                el << "</g>\n";
            inGroup = false;
            if (op.hasRect) {
                std::string id = "clip" + std::to_string(&op - ops_.data());
                el << "<clipPath id=\"" << id << "\"><rect x=\"" << op.rect.left << "\" y=\"" << op.rect.top
                   << "\" width=\"" << op.rect.right - op.rect.left << "\" height=\"" << op.rect.bottom - op.rect.top
                   << "\"/></clipPath>\n<g clip-path=\"url(#" << id << ")\">\n";
                inGroup = true;
            }
            break;
        }
        case OpKind::LineTo:
            if (op.pen.style != PenStyle::Null)
                el << "<line x1=\"" << op.points[0].x + 0.5 << "\" y1=\"" << op.points[0].y + 0.5 << "\" x2=\""
                   << op.points[1].x + 0.5 << "\" y2=\"" << op.points[1].y + 0.5 << "\"" << stroke(op.pen) << "/>\n";
            break;
        case OpKind::Polyline:
        case OpKind::Polygon: {
            bool closed = op.kind == OpKind::Polygon;
            el << (closed ? "<polygon" : "<polyline") << " points=\"";
            for (const DevicePoint& p : op.points)
                el << p.x + 0.5 << ',' << p.y + 0.5 << ' ';
            el << "\"" << stroke(op.pen) << (closed ? fill(op.brush, defs) : std::string(" fill=\"none\"")) << "/>\n";
            break;
        }
        case OpKind::PolyPolygon: {
            el << "<path fill-rule=\"evenodd\" d=\"";
            size_t at = 0;
            for (int n : op.counts) {
                for (int i = 0; i < n && at < op.points.size(); ++i, ++at)
                    el << (i == 0 ? 'M' : 'L') << op.points[at].x + 0.5 << ',' << op.points[at].y + 0.5 << ' ';
                el << "Z ";
            }
            el << "\"" << stroke(op.pen) << fill(op.brush, defs) << "/>\n";
            break;
        }
        case OpKind::SetPixel:
            el << "<rect x=\"" << op.points[0].x << "\" y=\"" << op.points[0].y << "\" width=\"1\" height=\"1\" fill=\""
               << colourText(op.colour) << "\"/>\n";
            break;
        case OpKind::Rectangle:
        case OpKind::FillRect:
            el << "<rect x=\"" << op.rect.left + (op.kind == OpKind::Rectangle ? 0.5 : 0) << "\" y=\""
               << op.rect.top + (op.kind == OpKind::Rectangle ? 0.5 : 0) << "\" width=\""
               << op.rect.right - op.rect.left - (op.kind == OpKind::Rectangle ? 1 : 0) << "\" height=\""
               << op.rect.bottom - op.rect.top - (op.kind == OpKind::Rectangle ? 1 : 0) << "\""
               << (op.kind == OpKind::Rectangle ? stroke(op.pen) : std::string(" stroke=\"none\""))
               << fill(op.brush, defs) << "/>\n";
            break;
        case OpKind::Ellipse:
            el << "<ellipse cx=\"" << (op.rect.left + op.rect.right) / 2.0 << "\" cy=\""
               << (op.rect.top + op.rect.bottom) / 2.0 << "\" rx=\"" << (op.rect.right - op.rect.left - 1) / 2.0
               << "\" ry=\"" << (op.rect.bottom - op.rect.top - 1) / 2.0 << "\"" << stroke(op.pen)
               << fill(op.brush, defs) << "/>\n";
            break;
        case OpKind::Text:
        case OpKind::TextInRect: {
            double x, y;
            unsigned h;
            const char* baseline;
            if (op.kind == OpKind::Text) {
                x = op.points[0].x;
                y = op.points[0].y;
                h = op.flags & 6;
                unsigned v = op.flags & 24;
                baseline = v == TextAlign::Baseline ? "alphabetic" : v == TextAlign::Bottom ? "text-after-edge" : "text-before-edge";
            } else {
                h = op.flags & 3;
                h = h == DrawTextFlags::Center ? TextAlign::Center : h == DrawTextFlags::Right ? TextAlign::Right : 0;
                x = h == TextAlign::Center ? (op.rect.left + op.rect.right) / 2.0 : h == TextAlign::Right ? op.rect.right : op.rect.left;
                y = (op.flags & DrawTextFlags::VCenter) ? (op.rect.top + op.rect.bottom) / 2.0 : op.rect.top;
                baseline = (op.flags & DrawTextFlags::VCenter) ? "central" : "text-before-edge";
            }
            const char* anchor = h == TextAlign::Center ? "middle" : h == TextAlign::Right ? "end" : "start";
            // Not every SVG renderer honours dominant-baseline: the text is placed on its alphabetic
            // baseline instead, with the ascent (0.8 of the size) and descent (0.2) of common faces.
            const double size = std::abs(op.font.height);
            const std::string where = baseline;
            const double baselineY = where == "text-before-edge" ? y + 0.8 * size
                                     : where == "text-after-edge" ? y - 0.2 * size
                                     : where == "central"         ? y + 0.3 * size
                                                                  : y;
            baseline = "alphabetic";
            el << "<text x=\"" << x << "\" y=\"" << baselineY << "\" font-family=\"" << escapeXml(op.font.face)
               << "\" font-size=\"" << std::abs(op.font.height) << "\"" << (op.font.weight >= 600 ? " font-weight=\"bold\"" : "")
               << (op.font.italic ? " font-style=\"italic\"" : "") << " fill=\"" << colourText(op.colour)
               << "\" text-anchor=\"" << anchor << "\" dominant-baseline=\"" << baseline << "\"";
            // Drawn as wide as it was measured, so that what was laid out beside it stays clear.
            if (op.kind == OpKind::Text && !op.text.empty())
                el << " textLength=\"" << int(op.text.size()) * std::max(1, (int(size) + 1) / 2)
                   << "\" lengthAdjust=\"spacingAndGlyphs\"";
            if (op.font.escapement)
                el << " transform=\"rotate(" << -op.font.escapement / 10.0 << ' ' << x << ' ' << y << ")\"";
            // Greek text (code page 1253) uses the letter pi, as the program writes it.
            std::string shown;
            if (op.font.charset == 161) {
                for (char c : op.text)
                    shown += c == '\xF0' ? std::string("&#960;") : escapeXml(std::string(1, c));
            } else {
                shown = escapeXml(op.text);
            }
            el << ">" << shown << "</text>\n";
            break;
        }
        default:
            break;
        }
        out << defs.str() << el.str();
    }
    if (inGroup)
        out << "</g>\n";
    out << "</svg>\n";
    return out.str();
}

bool RecordingSurface::writeSvg(const std::string& path) const
{
    std::ofstream file(path, std::ios::binary);
    if (!file)
        return false;
    file << svg();
    file.close();
    return bool(file);
}

}  // namespace qv
