// The plot surface over a real GDI device context: a window's, a memory bitmap's, a printer's or a
// metafile's. The surface does not own the device context; it deletes the objects it created.
#pragma once
#include <windows.h>

#include <map>

#include "platform/plot_surface.h"

namespace qv {

class GdiSurface : public PlotSurface {
public:
    explicit GdiSurface(HDC dc, bool metafile = false);
    ~GdiSurface() override;
    GdiSurface(const GdiSurface&) = delete;
    GdiSurface& operator=(const GdiSurface&) = delete;

    HDC dc() const { return dc_; }

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

    DevicePoint logicalToDevice(DevicePoint p) override;
    bool isMetafile() const override { return metafile_; }

private:
    HGDIOBJ handleOf(ObjectId id) const;
    ObjectId idOf(HGDIOBJ handle);
    ObjectId adopt(HGDIOBJ handle);

    HDC dc_;
    bool metafile_;
    std::map<ObjectId, HGDIOBJ> objects_;  // created by this surface
    std::map<ObjectId, HGDIOBJ> stock_;
    ObjectId nextId_ = 100;
};

}  // namespace qv
