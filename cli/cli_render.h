// quorvex-cli render: the graph screen of a document drawn without a window, to a bitmap (by GDI,
// the drawing code of the program's window) or to SVG (by the recording surface).
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace qv {
class PlotSurface;
}

namespace qv::cli {

// render [--size WIDTHxHEIGHT] [--setup INI] [--eq LINE]... [--integrate FROM,TO[,LOWER]] [DOC.gr] -o OUT;
// argv holds the arguments after "render". --integrate shades the region under the first --eq line
// (down to the LOWER-th one). Returns 0, 1 for a failure (message on err, no output file left) or 2
// for bad usage.
int cmdRender(int argc, char** argv, std::FILE* out, std::FILE* err);

constexpr int RENDER_MIN_SIZE = 32;
constexpr int RENDER_MAX_SIZE = 8000;
constexpr int RENDER_DEFAULT_WIDTH = 640;
constexpr int RENDER_DEFAULT_HEIGHT = 480;

#ifdef _WIN32
// Draws with draw on a GDI memory bitmap of the size, white to begin with, and writes it as a 24-bit
// BMP file at path. False with a message in error when the bitmap or the file cannot be made.
bool renderBitmapWithGdi(int width, int height, const std::function<void(PlotSurface&)>& draw,
                         const std::string& path, std::string& error);
#endif

}  // namespace qv::cli
