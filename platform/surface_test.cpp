// The recording surface paints as GDI does; under Wine the same scenes are drawn on a real GDI memory
// bitmap and compared pixel for pixel.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/record/recording_surface.h"
#ifdef _WIN32
#include "platform/win32/gdi_surface.h"
#endif

namespace qv {
namespace {

constexpr Colour kWhite = rgb(255, 255, 255);
constexpr Colour kBlack = rgb(0, 0, 0);
constexpr Colour kRed = rgb(255, 0, 0);
constexpr Colour kBlue = rgb(0, 0, 255);

// Thin lines in every direction and of every slope from one centre, lines of length 0 and 1, pixels,
// and polygon outlines: the figures whose pixels must agree exactly with GDI.
void drawLineScene(PlotSurface& s)
{
    ObjectId pen = s.createPen(PenStyle::Solid, 1, kBlack);
    ObjectId oldPen = s.select(pen);
    s.select(s.stockObject(StockObject::NullBrush));
    for (int x = 2; x <= 62; x += 3)
        for (int y : {2, 62}) {
            s.moveTo(32, 32);
            s.lineTo(x, y);
            s.moveTo(y, x);
            s.lineTo(32, 32);
        }
    for (int len = 0; len < 4; ++len) {
        s.moveTo(70, 5 + 4 * len);
        s.lineTo(70 + len, 5 + 4 * len);
    }
    s.setPixel(80, 5, kRed);
    s.setPixel(81, 6, kBlue);
    const DevicePoint diamond[] = {{90, 2}, {96, 8}, {90, 14}, {84, 8}};
    s.polygon(diamond, 4);
    const DevicePoint triangle[] = {{70, 30}, {120, 45}, {80, 60}};
    s.polygon(triangle, 3);
    const DevicePoint strip[] = {{2, 70}, {40, 71}, {80, 75}, {118, 90}};
    s.polyline(strip, 4);
    s.select(oldPen);
    s.deleteObject(pen);
}

// Filled shapes: polygon interiors, rectangles with and without pen, hatches over a line, XOR.
void drawFillScene(PlotSurface& s)
{
    ObjectId red = s.createSolidBrush(kRed);
    ObjectId oldBrush = s.select(red);
    const DevicePoint diamond[] = {{10, 2}, {16, 8}, {10, 14}, {4, 8}};
    s.polygon(diamond, 4);
    s.select(s.stockObject(StockObject::NullPen));
    const DevicePoint tri[] = {{20, 2}, {36, 6}, {24, 18}};
    s.polygon(tri, 3);
    s.rectangle(40, 2, 50, 10);
    s.select(s.stockObject(StockObject::BlackPen));
    s.rectangle(52, 2, 62, 10);

    s.moveTo(0, 30);
    s.lineTo(100, 30);
    ObjectId hatchF = s.createHatchBrush(HatchStyle::ForwardDiagonal, kBlue);
    s.select(hatchF);
    s.setBackgroundMode(BackgroundMode::Transparent);
    s.select(s.stockObject(StockObject::NullPen));
    const DevicePoint box[] = {{2, 20}, {60, 20}, {60, 44}, {2, 44}};
    s.polygon(box, 4);
    ObjectId hatchB = s.createHatchBrush(HatchStyle::BackwardDiagonal, kRed);
    s.select(hatchB);
    s.setBackgroundMode(BackgroundMode::Opaque);
    s.setBackgroundColour(rgb(0, 255, 0));
    const int counts[] = {4, 3};
    const DevicePoint shapes[] = {{64, 20}, {100, 20}, {100, 44}, {64, 44}, {70, 50}, {110, 50}, {90, 62}};
    s.polyPolygon(shapes, counts, 2);

    s.select(s.stockObject(StockObject::BlackPen));
    s.setRasterOp(RasterOp::XorPen);
    s.moveTo(0, 50);
    s.lineTo(60, 58);
    s.setRasterOp(RasterOp::CopyPen);
    s.select(oldBrush);
    s.deleteObject(red);
    s.deleteObject(hatchF);
    s.deleteObject(hatchB);
}

uint64_t hashPixels(const RecordingSurface& s)
{
    uint64_t h = 1469598103934665603ull;
    for (Colour c : s.pixels()) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

TEST(RecordingSurface, LineLeavesItsEndPointUnpaintedAndRoundsTiesDown)
{
    RecordingSurface s(20, 20);
    s.moveTo(2, 2);
    s.lineTo(10, 2);
    EXPECT_EQ(s.pixel(2, 2), kBlack);
    EXPECT_EQ(s.pixel(9, 2), kBlack);
    EXPECT_EQ(s.pixel(10, 2), kWhite);
    EXPECT_EQ(s.countPixels(kBlack), 8);

    // A 2:1 slope has exact ties: the minor coordinate rounds toward the smaller value.
    RecordingSurface t(20, 20);
    t.moveTo(0, 0);
    t.lineTo(4, 2);  // minor positions 0, 0.5, 1, 1.5
    EXPECT_EQ(t.pixel(1, 0), kBlack);
    EXPECT_EQ(t.pixel(3, 1), kBlack);
    t.moveTo(4, 12);
    t.lineTo(0, 10);  // going up: 12, 11.5, 11, 10.5
    EXPECT_EQ(t.pixel(3, 11), kBlack);
    EXPECT_EQ(t.pixel(1, 10), kBlack);
}

TEST(RecordingSurface, XorTwiceRestoresThePicture)
{
    RecordingSurface s(40, 40);
    drawLineScene(s);
    std::vector<Colour> before = s.pixels();
    s.setRasterOp(RasterOp::XorPen);
    ObjectId pen = s.createPen(PenStyle::Solid, 1, rgb(255, 255, 255));
    s.select(pen);
    for (int pass = 0; pass < 2; ++pass) {
        s.moveTo(0, 0);
        s.lineTo(39, 25);
        s.rectangle(5, 5, 30, 30);
    }
    EXPECT_EQ(s.pixels(), before);
}

TEST(RecordingSurface, ClipRectKeepsEverythingOutsideUnchanged)
{
    RecordingSurface s(50, 50);
    DeviceRect clip{10, 10, 30, 30};
    s.setClipRect(&clip);
    s.select(s.stockObject(StockObject::BlackBrush));
    s.rectangle(0, 0, 50, 50);
    s.moveTo(0, 0);
    s.lineTo(49, 49);
    s.setPixel(5, 5, kRed);
    EXPECT_EQ(s.countPixels(kBlack), 20 * 20);
    EXPECT_EQ(s.countPixels(kBlack, clip), 20 * 20);
    s.setClipRect(nullptr);
    s.setPixel(5, 5, kRed);
    EXPECT_EQ(s.pixel(5, 5), kRed);
}

TEST(RecordingSurface, TransparentHatchLeavesDrawingUnderneathVisible)
{
    RecordingSurface s(40, 40);
    s.moveTo(0, 20);
    s.lineTo(40, 20);
    s.select(s.createHatchBrush(HatchStyle::ForwardDiagonal, kBlue));
    s.select(s.stockObject(StockObject::NullPen));
    s.setBackgroundMode(BackgroundMode::Transparent);
    s.rectangle(0, 0, 41, 41);
    int black = s.countPixels(kBlack), blue = s.countPixels(kBlue);
    EXPECT_EQ(black, 35);  // every pixel of the line but those the hatch crosses (x-y a multiple of 8)
    EXPECT_EQ(blue, 5 * 40);
    EXPECT_EQ(s.pixel(20, 20), kBlue);
    EXPECT_EQ(s.pixel(21, 20), kBlack);
}

TEST(RecordingSurface, PolygonFillTakesTopLeftPixels)
{
    RecordingSurface s(20, 20);
    s.select(s.stockObject(StockObject::BlackBrush));
    s.select(s.stockObject(StockObject::NullPen));
    const DevicePoint diamond[] = {{10, 2}, {16, 8}, {10, 14}, {4, 8}};
    s.polygon(diamond, 4);
    // Row y spans [10 - d, 10 + d) where d is the distance from the top or bottom vertex.
    int expected = 0;
    for (int y = 0; y < 20; ++y) {
        int d = y < 8 ? y - 2 : 14 - y;
        for (int x = 0; x < 20; ++x) {
            bool inside = d > 0 && x >= 10 - d && x < 10 + d;
            expected += inside;
            EXPECT_EQ(s.pixel(x, y), inside ? kBlack : kWhite) << x << "," << y;
        }
    }
    EXPECT_EQ(s.countPixels(kBlack), expected);
}

TEST(RecordingSurface, RecordsOperationsWithTheirStateAndFreesObjects)
{
    RecordingSurface s(100, 100);
    ObjectId font = s.createFont(FontSpec{"Times New Roman", 20, 700, true, false, 900});
    ObjectId old = s.select(font);
    s.setTextColour(kRed);
    s.setTextAlign(TextAlign::Center | TextAlign::Baseline);
    s.textOut(50, 40, "y=x^2 & <z>");
    s.select(old);
    s.deleteObject(font);
    auto texts = s.opsOfKind(RecordingSurface::OpKind::Text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->text, "y=x^2 & <z>");
    EXPECT_EQ(texts[0]->font.face, "Times New Roman");
    EXPECT_EQ(texts[0]->colour, kRed);
    EXPECT_EQ(texts[0]->flags, TextAlign::Center | TextAlign::Baseline);
    EXPECT_EQ(s.countPixels(kWhite), 100 * 100) << "text is recorded, not painted";
    EXPECT_EQ(s.liveObjects(), 0);
    EXPECT_EQ(s.createPen(PenStyle::Solid, 1, 0) != 0, true);
}

TEST(RecordingSurface, SvgHoldsEveryFigureAndEscapesText)
{
    RecordingSurface s(120, 100);
    drawLineScene(s);
    drawFillScene(s);
    s.textOut(5, 5, "a<b & \"c\"");
    std::string svg = s.svg();
    EXPECT_EQ(svg.rfind("<svg", 0), 0u);
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
    EXPECT_NE(svg.find("<polygon"), std::string::npos);
    EXPECT_NE(svg.find("<polyline"), std::string::npos);
    EXPECT_NE(svg.find("<path fill-rule=\"evenodd\""), std::string::npos);
    EXPECT_NE(svg.find("a&lt;b &amp; &quot;c&quot;"), std::string::npos);
    size_t lines = 0;
    for (size_t at = svg.find("<line"); at != std::string::npos; at = svg.find("<line", at + 1))
        ++lines;
    EXPECT_EQ(lines, s.opsOfKind(RecordingSurface::OpKind::LineTo).size());
}

// The recording surface paints with integer arithmetic only: the same pictures on every platform.
TEST(RecordingSurface, ScenesPaintTheSamePixelsOnEveryPlatform)
{
    RecordingSurface lines(128, 96);
    drawLineScene(lines);
    RecordingSurface fills(128, 96);
    drawFillScene(fills);
    EXPECT_EQ(hashPixels(lines), 0x42f65ec68e558318ull) << std::hex << hashPixels(lines);
    EXPECT_EQ(hashPixels(fills), 0xa633d2daa15a081cull) << std::hex << hashPixels(fills);
}

#ifdef _WIN32
// Draws a scene on a 32-bit memory bitmap through GDI and returns its pixels as colours.
std::vector<Colour> drawWithGdi(void (*scene)(PlotSurface&), int width, int height)
{
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, width, height, WHITENESS);
    {
        GdiSurface surface(dc);
        scene(surface);
    }
    GdiFlush();
    std::vector<Colour> out(size_t(width) * height);
    const auto* p = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < out.size(); ++i)  // DIB pixels are 0x00RRGGBB
        out[i] = rgb((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return out;
}

void expectSamePixels(void (*scene)(PlotSurface&))
{
    const int w = 128, h = 96;
    RecordingSurface recorded(w, h);
    scene(recorded);
    std::vector<Colour> gdi = drawWithGdi(scene, w, h);
    int differing = 0;
    std::ostringstream where;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (gdi[size_t(y) * w + x] != recorded.pixel(x, y) && differing++ < 10)
                where << " (" << x << "," << y << ")";
    EXPECT_EQ(differing, 0) << "first differences at" << where.str();
}

TEST(GdiSurface, LinesPixelsAndPolygonOutlinesMatchTheRecordingSurface) { expectSamePixels(drawLineScene); }

TEST(GdiSurface, FillsHatchesAndXorMatchTheRecordingSurface) { expectSamePixels(drawFillScene); }
#endif

}  // namespace
}  // namespace qv
