// The drawing surface every plotter draws on: the graph window, a printer page, or a bitmap or
// metafile for the clipboard. It offers exactly the drawing operations the plotting code uses, in
// 16-bit device coordinates, with the semantics of GDI device contexts:
//  - lineTo leaves its end point unpainted (callers paint the last point of a run with setPixel);
//  - a selected object stays current until replaced; createPen fails by returning 0;
//  - polygons are filled with the current brush (alternate fill mode) and outlined with the current pen;
//  - hatch brushes paint only their lines when the background mode is transparent;
//  - the XOR raster operation makes drawing a figure twice restore the picture;
//  - with a clip rectangle set, nothing outside it changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qv {

using Colour = std::uint32_t;  // 0x00BBGGRR, the layout of a Windows COLORREF

constexpr Colour rgb(int r, int g, int b)
{
    return Colour(r & 0xFF) | (Colour(g & 0xFF) << 8) | (Colour(b & 0xFF) << 16);
}
constexpr int redOf(Colour c) { return c & 0xFF; }
constexpr int greenOf(Colour c) { return (c >> 8) & 0xFF; }
constexpr int blueOf(Colour c) { return (c >> 16) & 0xFF; }

struct DevicePoint {
    std::int16_t x = 0, y = 0;
    bool operator==(const DevicePoint&) const = default;
};

struct DeviceRect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom are exclusive, as in GDI
    bool operator==(const DeviceRect&) const = default;
};

struct TextSize {
    int cx = 0, cy = 0;
};

enum class PenStyle : std::uint8_t { Solid, Dot, Null };
enum class StockObject : std::uint8_t { BlackPen, WhitePen, NullPen, WhiteBrush, BlackBrush, NullBrush };
enum class HatchStyle : std::uint8_t { ForwardDiagonal, BackwardDiagonal };  // "\\\\" and "////"
enum class BackgroundMode : std::uint8_t { Transparent, Opaque };
enum class RasterOp : std::uint8_t { CopyPen, XorPen };

// Text alignment flags, with the values GDI gives them.
namespace TextAlign {
constexpr unsigned Left = 0, Right = 2, Center = 6, Top = 0, Bottom = 8, Baseline = 24;
}
// DrawText flags used by the program.
namespace DrawTextFlags {
constexpr unsigned Left = 0, Center = 1, Right = 2, VCenter = 4, Bottom = 8, WordBreak = 16, SingleLine = 32,
                   NoClip = 256;
}

struct FontSpec {
    std::string face = "Arial";
    int height = 16;  // character height in device units
    int weight = 400;
    bool italic = false;
    bool underline = false;
    int escapement = 0;  // tenths of a degree, counter-clockwise
    std::uint8_t charset = 0;  // the code page of the text's bytes: 0 ANSI, 161 Greek
    bool operator==(const FontSpec&) const = default;
};

using ObjectId = std::uint32_t;  // 0: no object (a failed creation)

class PlotSurface {
public:
    virtual ~PlotSurface() = default;

    // Drawing objects. select returns the object of the same kind that was current before.
    virtual ObjectId createPen(PenStyle style, int width, Colour colour) = 0;
    virtual ObjectId createSolidBrush(Colour colour) = 0;
    virtual ObjectId createHatchBrush(HatchStyle style, Colour colour) = 0;
    virtual ObjectId createFont(const FontSpec& font) = 0;
    virtual ObjectId stockObject(StockObject which) = 0;
    virtual ObjectId select(ObjectId object) = 0;
    virtual void deleteObject(ObjectId object) = 0;

    // Lines and shapes.
    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;
    virtual void polyline(const DevicePoint* points, int count) = 0;
    virtual void setPixel(int x, int y, Colour colour) = 0;
    virtual void polygon(const DevicePoint* points, int count) = 0;
    virtual void polyPolygon(const DevicePoint* points, const int* counts, int polygons) = 0;
    virtual void rectangle(int left, int top, int right, int bottom) = 0;
    virtual void fillRect(const DeviceRect& rect, ObjectId brush) = 0;
    virtual void ellipse(int left, int top, int right, int bottom) = 0;

    // Modes.
    virtual void setBackgroundMode(BackgroundMode mode) = 0;
    virtual void setBackgroundColour(Colour colour) = 0;
    virtual void setRasterOp(RasterOp op) = 0;
    // Limits all drawing to the rectangle; nullptr removes the limit. Metafile surfaces ignore it.
    virtual void setClipRect(const DeviceRect* rect) = 0;

    // Text.
    virtual void setTextColour(Colour colour) = 0;
    virtual void setTextAlign(unsigned flags) = 0;
    virtual void textOut(int x, int y, const std::string& text) = 0;
    virtual TextSize textExtent(const std::string& text) = 0;
    virtual void drawText(const DeviceRect& rect, const std::string& text, unsigned flags) = 0;

    // Logical to device points, for surfaces with a mapping mode (printing and export).
    virtual DevicePoint logicalToDevice(DevicePoint p) = 0;
    // Old-style metafiles cannot measure text nor clip.
    virtual bool isMetafile() const = 0;
};

}  // namespace qv
