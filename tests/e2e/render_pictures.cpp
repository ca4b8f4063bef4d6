// quorvex-cli render under Wine: every example document and every paper kind to BMP (drawn by GDI)
// and SVG, and checks in the bitmaps that axes, grid lines and legend numbers lie where the grid's
// mapping puts them and that nothing is drawn outside the graph area.
//
//   e2e_render_pictures CLI.exe ARTEFACT_DIR EXAMPLES_DIR
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "driver.h"
#include "plot/grid_setup.h"

namespace {

std::string g_cli;

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

int render(const std::string& args)
{
    e2e::Program p(quoted(g_cli) + " render " + args);
    if (!p.started())
        return -1;
    return p.waitForExit(60000);
}

std::string slurp(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream f(path, std::ios::binary);
    f << text;
}

// A 24-bit BMP as written by the render command.
bool loadBmp(const std::string& path, e2e::Bitmap& bmp)
{
    const std::string data = slurp(path);
    if (data.size() < 54 || data[0] != 'B' || data[1] != 'M')
        return false;
    auto u32 = [&](std::size_t at) {
        return std::uint32_t(std::uint8_t(data[at])) | std::uint32_t(std::uint8_t(data[at + 1])) << 8 |
               std::uint32_t(std::uint8_t(data[at + 2])) << 16 | std::uint32_t(std::uint8_t(data[at + 3])) << 24;
    };
    const int w = int(u32(18)), h = int(u32(22));
    const std::size_t row = (std::size_t(w) * 3 + 3) & ~std::size_t(3);
    if (w <= 0 || h <= 0 || data.size() < u32(10) + row * h)
        return false;
    bmp.width = w;
    bmp.height = h;
    bmp.pixels.assign(std::size_t(w) * h, 0);
    for (int y = 0; y < h; ++y) {
        const char* src = data.data() + u32(10) + std::size_t(h - 1 - y) * row;
        for (int x = 0; x < w; ++x)
            bmp.pixels[std::size_t(y) * w + x] = std::uint32_t(std::uint8_t(src[x * 3 + 2])) << 16 |
                                                 std::uint32_t(std::uint8_t(src[x * 3 + 1])) << 8 |
                                                 std::uint32_t(std::uint8_t(src[x * 3]));
    }
    return true;
}

// The grid the render command lays out for a 640 x 480 picture without labels.
qv::GridSetup layout(double xMin, double xMax, double yMin, double yMax, std::uint16_t paper)
{
    qv::GridSetup g;
    g.paperFlags = paper;
    g.xMin = xMin;
    g.xMax = xMax;
    g.yMin = yMin;
    g.yMax = yMax;
    g.layoutGraphArea(640, 480, qv::LabelSpace{}, true);
    g.computeSquareRatio(1.0);
    g.autoSquare();
    if (g.logX() || g.logY())
        g.refreshLogScale();
    return g;
}

int countColumn(const e2e::Bitmap& b, int x, std::uint32_t rgb, int top, int bottom)
{
    return b.count(rgb, x, top, x + 1, bottom);
}

int countRow(const e2e::Bitmap& b, int y, std::uint32_t rgb, int left, int right)
{
    return b.count(rgb, left, y, right, y + 1);
}

// Text is drawn with smoothed edges: its pixels are the legend colour or close to it.
int countDark(const e2e::Bitmap& b, int left, int top, int right, int bottom)
{
    int n = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, b.height); ++y)
        for (int x = std::max(left, 0); x < std::min(right, b.width); ++x) {
            const std::uint32_t c = b.at(x, y);
            n += ((c >> 16) & 0xFF) < 100 && ((c >> 8) & 0xFF) < 100 && (c & 0xFF) < 100;
        }
    return n;
}

// Pixels that are not the white of the window outside the graph area and its border.
int paintedOutside(const e2e::Bitmap& b, const qv::GridSetup& g)
{
    int n = 0;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) {
            const bool inside = x >= g.areaLeft - 2 && x <= g.areaRight + 2 && y >= g.areaTop - 2 && y <= g.areaBottom + 2;
            n += !inside && b.at(x, y) != 0xFFFFFF;
        }
    return n;
}

void examples(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "\\*.gr").c_str(), &found);
    int documents = 0;
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::string file = found.cFileName;
            const std::string name = "example_" + file.substr(0, file.size() - 3);
            const std::string doc = dir + "\\" + file;
            ++documents;
            e2e::check(render(quoted(doc) + " -o " + quoted(e2e::artefact(name + ".bmp"))) == 0, file + " renders to BMP");
            e2e::check(render(quoted(doc) + " -o " + quoted(e2e::artefact(name + ".svg"))) == 0, file + " renders to SVG");
            e2e::Bitmap b;
            e2e::check(loadBmp(e2e::artefact(name + ".bmp"), b) && b.width == 640 && b.height == 480,
                       file + ": a 640 x 480 bitmap");
            e2e::check(slurp(e2e::artefact(name + ".svg")).rfind("<svg", 0) == 0, file + ": an SVG picture");
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    e2e::check(documents >= 3, "example documents found: " + std::to_string(documents));
}

// Legend numbers, axes and grid lines of a -10 .. 10 grid in the White scheme.
void rectangularMapping()
{
    const std::string doc = e2e::artefact("rect_white.gr");
    writeText(doc, "[saved-setup]\n[grid]\nleft=-10\nright=10\ntop=auto\nbottom=auto\n\n[options]\ndetail=grid\n"
                   "color=2\n");
    const std::string out = e2e::artefact("rect_white.bmp");
    e2e::check(render(quoted(doc) + " -o " + quoted(out)) == 0, "rect_white renders");
    e2e::Bitmap b;
    if (!loadBmp(out, b))
        return e2e::check(false, "rect_white.bmp loads");
    const qv::GridSetup g = layout(-10, 10, qv::UNSET_BOUND, qv::UNSET_BOUND, qv::PAPER_DEFAULT);
    const std::uint32_t white = 0xFFFFFF, axes = 0x800000, grid = 0x008000;
    const int top = g.areaTop, bottom = g.areaBottom, left = g.areaLeft, right = g.areaRight;
    const qv::DevicePoint o = g.worldToDevice(0, 0);
    e2e::check(countColumn(b, o.x, axes, top, bottom) > (bottom - top) * 9 / 10, "y axis on the column of x = 0");
    e2e::check(countRow(b, o.y, axes, left, right) > (right - left) * 9 / 10, "x axis on the row of y = 0");
    for (int k : {-9, -5, -1, 3, 7}) {
        const int px = g.worldToDevice(k, 0).x;
        e2e::check(countColumn(b, px, grid, top, bottom) > (bottom - top) / 3,
                   "dotted grid line at x = " + std::to_string(k) + " (column " + std::to_string(px) + ")");
        const int between = (px + g.worldToDevice(k + 1, 0).x) / 2;
        e2e::check(countColumn(b, between, grid, top, bottom) < (bottom - top) / 10,
                   "no grid line between x = " + std::to_string(k) + " and " + std::to_string(k + 1));
    }
    for (int k : {-6, -2, 2, 6}) {
        const int py = g.worldToDevice(0, k).y;
        e2e::check(countRow(b, py, grid, left, right) > (right - left) / 3, "grid line at y = " + std::to_string(k));
    }
    // x numbers every 2 units, hanging below the axis, centred on their positions; none at odd ones.
    for (int k : {-8, -4, 2, 6}) {
        const int px = g.worldToDevice(k, 0).x;
        e2e::check(countDark(b, px - 10, o.y + 2, px + 11, o.y + 20) > 8, "legend number at x = " + std::to_string(k));
        const int odd = g.worldToDevice(k + 1, 0).x;
        e2e::check(countDark(b, odd - 6, o.y + 2, odd + 7, o.y + 20) == 0, "no number at x = " + std::to_string(k + 1));
    }
    // y numbers right-aligned left of the axis, just below their rows.
    for (int k : {-6, -4, 4, 6}) {
        const int py = g.worldToDevice(0, k).y;
        e2e::check(countDark(b, o.x - 40, py + 1, o.x - 2, py + 18) > 8, "legend number at y = " + std::to_string(k));
    }
    e2e::check(b.at(g.worldToDevice(-4.5, 3.5).x, g.worldToDevice(-4.5, 3.5).y) == white, "white background");
    e2e::check(paintedOutside(b, g) == 0, "nothing drawn outside the graph area");
}

// Semilog paper from 1 to 100: grid rows at 2 .. 9, 10, 20 .. 90.
void logMapping()
{
    const std::string doc = e2e::artefact("semilog_white.gr");
    writeText(doc, "[saved-setup]\n[grid]\nleft=-5\nright=5\ntop=100\nbottom=1\n\n[options]\npaper=slog 10\n"
                   "detail=solid\ncolor=2\n");
    const std::string out = e2e::artefact("semilog_white.bmp");
    e2e::check(render(quoted(doc) + " -o " + quoted(out)) == 0, "semilog_white renders");
    e2e::Bitmap b;
    if (!loadBmp(out, b))
        return e2e::check(false, "semilog_white.bmp loads");
    const qv::GridSetup g = layout(-5, 5, 1, 100, qv::PAPER_LOG_Y | qv::PAPER_AXES | qv::PAPER_SOLID_GRID);
    const std::uint32_t grid = 0x008000;
    for (double v : {2.0, 3.0, 5.0, 9.0, 10.0, 20.0, 50.0, 90.0}) {
        const int py = g.worldToDevice(1, v).y;
        e2e::check(countRow(b, py, grid, g.areaLeft, g.areaRight) > (g.areaRight - g.areaLeft) / 2,
                   "solid grid row at y = " + std::to_string(int(v)) + " (row " + std::to_string(py) + ")");
    }
    const int p15 = g.worldToDevice(1, 15).y;
    e2e::check(countRow(b, p15, grid, g.areaLeft, g.areaRight) < (g.areaRight - g.areaLeft) / 5, "no grid row at y = 15");
    // y numbers right-aligned left of the y axis, the decade first.
    const int axis = g.worldToDevice(0, 1).x;
    const int p10 = g.worldToDevice(1, 10).y;
    e2e::check(countDark(b, axis - 30, p10 + 1, axis - 2, p10 + 18) > 8, "legend 10 beside its row");
}

// Every paper kind and grid detail: drawn, and only inside the graph area.
void papers()
{
    struct Paper {
        const char* name;
        const char* options;
        const char* grid;
    } papers[] = {
        {"paper_rect_lines", "detail=grid\n", "left=-8\nright=8\n"},
        {"paper_rect_dots", "detail=dots\n", "left=-3\nright=3\n"},
        {"paper_rect_solid", "detail=solid\n", "left=-0.000001\nright=0.000001\n"},
        {"paper_trig", "paper=trig\ndetail=grid\n", "left=-7\nright=7\n"},
        {"paper_polar", "paper=polar\ndetail=grid\n", "left=-4\nright=4\n"},
        {"paper_polar_dots", "paper=polar\ndetail=dots\n", "left=-4\nright=4\n"},
        {"paper_semilog", "paper=slog 10\ndetail=grid\n", "left=0\nright=10\nbottom=0.001\ntop=1000\n"},
        {"paper_loglog_2", "paper=llog 2\ndetail=grid\n", "left=1\nright=1024\nbottom=1\ntop=1024\n"},
        {"paper_loglog_e", "paper=llog e\ndetail=solid\n", "left=1\nright=1000\nbottom=1\ntop=1000\n"},
        {"paper_huge", "detail=grid\n", "left=-1000000\nright=1000000\n"},
        {"paper_custom_legends", "detail=grid\nlegends=custom\nxlegspace=3\nylegspace=2.5\n", "left=-10\nright=10\n"},
    };
    for (const Paper& p : papers) {
        const std::string doc = e2e::artefact(std::string(p.name) + ".gr");
        writeText(doc, std::string("[saved-setup]\n[grid]\n") + p.grid + "\n[options]\n" + p.options);
        const std::string bmp = e2e::artefact(std::string(p.name) + ".bmp");
        e2e::check(render("--size 640x480 " + quoted(doc) + " -o " + quoted(bmp)) == 0, std::string(p.name) + " to BMP");
        e2e::check(render(quoted(doc) + " -o " + quoted(e2e::artefact(std::string(p.name) + ".svg"))) == 0,
                   std::string(p.name) + " to SVG");
        e2e::Bitmap b;
        if (!loadBmp(bmp, b)) {
            e2e::check(false, std::string(p.name) + ".bmp loads");
            continue;
        }
        // The area of the Gray scheme is dark gray; its frame is the border.
        int left = 0;
        while (left < b.width && b.at(left, b.height / 2) == 0xFFFFFF)
            ++left;
        qv::GridSetup g = layout(-1, 1, qv::UNSET_BOUND, qv::UNSET_BOUND, qv::PAPER_DEFAULT);
        e2e::check(left >= g.areaLeft - 2 && left <= g.areaLeft, std::string(p.name) + ": graph area starts at its left edge");
        e2e::check(paintedOutside(b, g) == 0, std::string(p.name) + ": nothing drawn outside the graph area");
        e2e::check(b.count(0x00FF00, g.areaLeft, g.areaTop, g.areaRight, g.areaBottom) > 50, std::string(p.name) + ": grid drawn");
        e2e::check(b.count(0xFFFFFF, g.areaLeft, g.areaTop, g.areaRight, g.areaBottom) > 20 || std::string(p.name) == "paper_loglog_e",
                   std::string(p.name) + ": legend numbers drawn");
    }
}

void failures()
{
    const std::string out = e2e::artefact("never.bmp");
    e2e::check(render("--size 0x0 -o " + quoted(out)) == 1, "a bad size is refused");
    e2e::check(render(quoted(e2e::artefact("missing.gr")) + " -o " + quoted(out)) == 1, "a missing document is refused");
    e2e::check(GetFileAttributesA(out.c_str()) == INVALID_FILE_ATTRIBUTES, "no output file after a failure");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::printf("usage: e2e_render_pictures CLI.exe ARTEFACT_DIR EXAMPLES_DIR\n");
        return 2;
    }
    g_cli = argv[1];
    e2e::setArtefactDirectory(argv[2]);
    examples(argv[3]);
    rectangularMapping();
    logMapping();
    papers();
    failures();
    return e2e::finish();
}
