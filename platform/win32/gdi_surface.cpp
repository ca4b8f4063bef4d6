#include "platform/win32/gdi_surface.h"

#include <vector>

namespace qv {

namespace {

std::vector<POINT> toPoints(const DevicePoint* points, int count)
{
    std::vector<POINT> out(count > 0 ? count : 0);
    for (int i = 0; i < count; ++i)
        out[i] = POINT{points[i].x, points[i].y};
    return out;
}

int stockIndex(StockObject which)
{
    switch (which) {
    case StockObject::BlackPen: return BLACK_PEN;
    case StockObject::WhitePen: return WHITE_PEN;
    case StockObject::NullPen: return NULL_PEN;
    case StockObject::WhiteBrush: return WHITE_BRUSH;
    case StockObject::BlackBrush: return BLACK_BRUSH;
    case StockObject::NullBrush: return NULL_BRUSH;
    }
    return NULL_PEN;
}

}  // namespace

GdiSurface::GdiSurface(HDC dc, bool metafile) : dc_(dc), metafile_(metafile) {}

GdiSurface::~GdiSurface()
{
    // Put stock objects back so that none of ours stays selected into the device context.
    SelectObject(dc_, GetStockObject(BLACK_PEN));
    SelectObject(dc_, GetStockObject(WHITE_BRUSH));
    SelectObject(dc_, GetStockObject(SYSTEM_FONT));
    for (auto& [id, handle] : objects_)
        DeleteObject(handle);
}

ObjectId GdiSurface::adopt(HGDIOBJ handle)
{
    if (!handle)
        return 0;
    ObjectId id = nextId_++;
    objects_[id] = handle;
    return id;
}

HGDIOBJ GdiSurface::handleOf(ObjectId id) const
{
    auto it = objects_.find(id);
    if (it != objects_.end())
        return it->second;
    auto st = stock_.find(id);
    return st == stock_.end() ? nullptr : st->second;
}

ObjectId GdiSurface::idOf(HGDIOBJ handle)
{
    for (auto& [id, h] : objects_)
        if (h == handle)
            return id;
    for (auto& [id, h] : stock_)
        if (h == handle)
            return id;
    // An object selected before this surface existed: remember it as a stock one.
    ObjectId id = nextId_++;
    stock_[id] = handle;
    return id;
}

ObjectId GdiSurface::createPen(PenStyle style, int width, Colour colour)
{
    int gdiStyle = style == PenStyle::Dot ? PS_DOT : style == PenStyle::Null ? PS_NULL : PS_SOLID;
    return adopt(CreatePen(gdiStyle, width, colour));
}

ObjectId GdiSurface::createSolidBrush(Colour colour) { return adopt(CreateSolidBrush(colour)); }

ObjectId GdiSurface::createHatchBrush(HatchStyle style, Colour colour)
{
    return adopt(CreateHatchBrush(style == HatchStyle::ForwardDiagonal ? HS_FDIAGONAL : HS_BDIAGONAL, colour));
}

ObjectId GdiSurface::createFont(const FontSpec& font)
{
    return adopt(CreateFontA(-font.height, 0, font.escapement, font.escapement, font.weight, font.italic,
                             font.underline, FALSE, font.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.face.c_str()));
}

ObjectId GdiSurface::stockObject(StockObject which)
{
    ObjectId id = 1 + ObjectId(which);
    stock_[id] = GetStockObject(stockIndex(which));
    return id;
}

ObjectId GdiSurface::select(ObjectId object)
{
    HGDIOBJ handle = handleOf(object);
    if (!handle)
        return 0;
    HGDIOBJ previous = SelectObject(dc_, handle);
    return previous && previous != HGDI_ERROR ? idOf(previous) : 0;
}

void GdiSurface::deleteObject(ObjectId object)
{
    auto it = objects_.find(object);
    if (it == objects_.end())
        return;
    if (DeleteObject(it->second))
        objects_.erase(it);
}

void GdiSurface::moveTo(int x, int y) { MoveToEx(dc_, x, y, nullptr); }

void GdiSurface::lineTo(int x, int y) { LineTo(dc_, x, y); }

void GdiSurface::polyline(const DevicePoint* points, int count)
{
    auto pts = toPoints(points, count);
    if (count > 0)
        Polyline(dc_, pts.data(), count);
}

void GdiSurface::setPixel(int x, int y, Colour colour) { SetPixel(dc_, x, y, colour); }

void GdiSurface::polygon(const DevicePoint* points, int count)
{
    auto pts = toPoints(points, count);
    if (count > 0)
        Polygon(dc_, pts.data(), count);
}

void GdiSurface::polyPolygon(const DevicePoint* points, const int* counts, int polygons)
{
    int total = 0;
    for (int k = 0; k < polygons; ++k)
        total += counts[k];
    auto pts = toPoints(points, total);
    if (polygons > 0)
        PolyPolygon(dc_, pts.data(), counts, polygons);
}

void GdiSurface::rectangle(int left, int top, int right, int bottom) { Rectangle(dc_, left, top, right, bottom); }

void GdiSurface::fillRect(const DeviceRect& rect, ObjectId brush)
{
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    if (HGDIOBJ handle = handleOf(brush))
        FillRect(dc_, &r, static_cast<HBRUSH>(handle));
}

void GdiSurface::ellipse(int left, int top, int right, int bottom) { Ellipse(dc_, left, top, right, bottom); }

void GdiSurface::setBackgroundMode(BackgroundMode mode)
{
    SetBkMode(dc_, mode == BackgroundMode::Transparent ? TRANSPARENT : OPAQUE);
}

void GdiSurface::setBackgroundColour(Colour colour) { SetBkColor(dc_, colour); }

void GdiSurface::setRasterOp(RasterOp op) { SetROP2(dc_, op == RasterOp::XorPen ? R2_XORPEN : R2_COPYPEN); }

void GdiSurface::setClipRect(const DeviceRect* rect)
{
    if (metafile_)
        return;
    if (!rect) {
        SelectClipRgn(dc_, nullptr);
        return;
    }
    HRGN region = CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
    SelectClipRgn(dc_, region);
    DeleteObject(region);
}

void GdiSurface::setTextColour(Colour colour) { SetTextColor(dc_, colour); }

void GdiSurface::setTextAlign(unsigned flags) { SetTextAlign(dc_, flags); }

void GdiSurface::textOut(int x, int y, const std::string& text) { TextOutA(dc_, x, y, text.data(), int(text.size())); }

TextSize GdiSurface::textExtent(const std::string& text)
{
    SIZE size{};
    GetTextExtentPoint32A(dc_, text.data(), int(text.size()), &size);
    return {size.cx, size.cy};
}

void GdiSurface::drawText(const DeviceRect& rect, const std::string& text, unsigned flags)
{
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    DrawTextA(dc_, text.data(), int(text.size()), &r, flags);
}

DevicePoint GdiSurface::logicalToDevice(DevicePoint p)
{
    POINT pt{p.x, p.y};
    LPtoDP(dc_, &pt, 1);
    return DevicePoint{static_cast<int16_t>(pt.x), static_cast<int16_t>(pt.y)};
}

}  // namespace qv
