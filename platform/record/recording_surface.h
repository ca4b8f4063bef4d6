// A plot surface that records every operation in order and paints lines, pixels, polygons, hatches
// and ellipse outlines into a pixel buffer with the rules GDI paints by, so that portable tests can
// look at both what was drawn and how it came out. Text is recorded with its position, font and
// colour, not painted. The recorded picture can be written as SVG.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/plot_surface.h"

namespace qv {

class RecordingSurface : public PlotSurface {
public:
    enum class OpKind {
        CreatePen, CreateSolidBrush, CreateHatchBrush, CreateFont, Select, DeleteObject,
        MoveTo, LineTo, Polyline, SetPixel, Polygon, PolyPolygon, Rectangle, FillRect, Ellipse,
        SetBackgroundMode, SetBackgroundColour, SetRasterOp, SetClipRect, SetTextColour, SetTextAlign,
        Text, TextInRect,
    };

    // The state a drawing operation was made with, so that tests need not replay the sequence.
    struct Pen {
        PenStyle style = PenStyle::Solid;
        int width = 1;
        Colour colour = 0;
    };
    struct Brush {
        enum Kind { Null, Solid, Hatch } kind = Solid;
        HatchStyle hatch = HatchStyle::ForwardDiagonal;
        Colour colour = 0;
    };

    struct Op {
        OpKind kind;
        std::vector<DevicePoint> points;  // vertices, or the position of moveTo/lineTo/setPixel/textOut
        std::vector<int> counts;          // polyPolygon
        DeviceRect rect{};                // rectangle, fillRect, ellipse, drawText, clip
        bool hasRect = false;
        Colour colour = 0;                // setPixel, text and background colours
        ObjectId object = 0;              // created, selected or deleted object; fillRect's brush
        unsigned flags = 0;               // text alignment, drawText flags, modes
        std::string text;
        Pen pen;                          // current pen of a drawing operation
        Brush brush;                      // current brush of a filling operation
        FontSpec font;                    // current font of a text operation
    };

    RecordingSurface(int width, int height, Colour background = rgb(255, 255, 255));

    ObjectId createPen(PenStyle style, int width, Colour colour) override;
    ObjectId createSolidBrush(Colour colour) override;
    ObjectId createHatchBrush(HatchStyle style, Colour colour) override;
    ObjectId createFont(const FontSpec& font) override;
    ObjectId stockObject(StockObject which) override;
    ObjectId select(ObjectId object) override;
    void deleteObject(ObjectId object) override;

    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void polyline(const DevicePoint* points, int count) override;
    void setPixel(int x, int y, Colour colour) override;
    void polygon(const DevicePoint* points, int count) override;
    void polyPolygon(const DevicePoint* points, const int* counts, int polygons) override;
    void rectangle(int left, int top, int right, int bottom) override;
    void fillRect(const DeviceRect& rect, ObjectId brush) override;
    void ellipse(int left, int top, int right, int bottom) override;

    void setBackgroundMode(BackgroundMode mode) override;
    void setBackgroundColour(Colour colour) override;
    void setRasterOp(RasterOp op) override;
    void setClipRect(const DeviceRect* rect) override;

    void setTextColour(Colour colour) override;
    void setTextAlign(unsigned flags) override;
    void textOut(int x, int y, const std::string& text) override;
    TextSize textExtent(const std::string& text) override;
    void drawText(const DeviceRect& rect, const std::string& text, unsigned flags) override;

    DevicePoint logicalToDevice(DevicePoint p) override { return p; }
    bool isMetafile() const override { return false; }

    int width() const { return width_; }
    int height() const { return height_; }
    Colour pixel(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }
    const std::vector<Colour>& pixels() const { return pixels_; }
    const std::vector<Op>& ops() const { return ops_; }
    std::vector<const Op*> opsOfKind(OpKind kind) const;
    // Number of pixels of exactly this colour inside the rectangle (the whole surface by default).
    int countPixels(Colour colour, DeviceRect area = {0, 0, 1 << 30, 1 << 30}) const;
    // How many objects created on this surface are still alive (stock objects do not count).
    int liveObjects() const;

    std::string svg() const;
    bool writeSvg(const std::string& path) const;

private:
    struct Object {
        enum Kind { PenObject, BrushObject, FontObject } kind;
        Pen pen;
        Brush brush;
        FontSpec font;
        bool stock = false;
    };

    Op& record(OpKind kind);
    const Object* find(ObjectId id) const;
    ObjectId addObject(const Object& object);

    bool inClip(int x, int y) const;
    void plot(int x, int y, Colour colour, bool withRasterOp);
    void paintLine(int x0, int y0, int x1, int y1, const Pen& pen, int& dashPhase);
    void paintWideDot(int x, int y, const Pen& pen);
    void paintBrushSpan(int y, int x0, int x1, const Brush& brush);
    void fillPolygons(const DevicePoint* points, const int* counts, int polygons, const Brush& brush);
    void outlineClosed(const DevicePoint* points, int count, const Pen& pen);

    int width_, height_;
    std::vector<Colour> pixels_;
    Colour background_;
    std::vector<Op> ops_;
    std::map<ObjectId, Object> objects_;
    ObjectId nextId_ = 100;
    ObjectId pen_, brush_, font_;
    int curX_ = 0, curY_ = 0;
    int dashPhase_ = 0;
    BackgroundMode bkMode_ = BackgroundMode::Opaque;
    Colour bkColour_ = rgb(255, 255, 255);
    Colour textColour_ = 0;
    unsigned textAlign_ = 0;
    RasterOp rop_ = RasterOp::CopyPen;
    bool clipped_ = false;
    DeviceRect clip_{};
};

}  // namespace qv
