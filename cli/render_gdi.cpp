// The bitmap side of quorvex-cli render: GDI draws into a memory bitmap exactly as into the graph
// window, and the pixels are written as a BMP file.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "cli/cli_render.h"
#include "platform/win32/gdi_surface.h"

namespace qv::cli {

namespace {

void put16(std::vector<unsigned char>& b, unsigned v)
{
    b.push_back(static_cast<unsigned char>(v));
    b.push_back(static_cast<unsigned char>(v >> 8));
}

void put32(std::vector<unsigned char>& b, unsigned long v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

}  // namespace

bool renderBitmapWithGdi(int width, int height, const std::function<void(PlotSurface&)>& draw,
                         const std::string& path, std::string& error)
{
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
        error = "no device context";
        return false;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        DeleteDC(dc);
        error = "no memory for the bitmap";
        return false;
    }
    HGDIOBJ previous = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, width, height, WHITENESS);
    {
        GdiSurface surface(dc);
        draw(surface);
    }
    GdiFlush();

    const unsigned rowBytes = (static_cast<unsigned>(width) * 3 + 3) & ~3u;
    const unsigned long imageBytes = static_cast<unsigned long>(rowBytes) * static_cast<unsigned>(height);
    std::vector<unsigned char> file;
    file.reserve(54 + imageBytes);
    file.push_back('B');
    file.push_back('M');
    put32(file, 54 + imageBytes);
    put32(file, 0);
    put32(file, 54);
    put32(file, 40);
    put32(file, static_cast<unsigned long>(width));
    put32(file, static_cast<unsigned long>(height));  // bottom row first
    put16(file, 1);
    put16(file, 24);
    put32(file, 0);
    put32(file, imageBytes);
    put32(file, 2835);
    put32(file, 2835);
    put32(file, 0);
    put32(file, 0);
    const auto* pixels = static_cast<const unsigned char*>(bits);
    for (int y = height - 1; y >= 0; --y) {
        const unsigned char* row = pixels + static_cast<std::size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x) {
            file.push_back(row[x * 4]);
            file.push_back(row[x * 4 + 1]);
            file.push_back(row[x * 4 + 2]);
        }
        for (unsigned pad = static_cast<unsigned>(width) * 3; pad < rowBytes; ++pad)
            file.push_back(0);
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);

    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        std::remove(path.c_str());
        return false;
    }
    return true;
}

}  // namespace qv::cli
