// Curves drawn by GDI: quorvex-cli renders equations to bitmaps exactly as the graph window draws them,
// and the scenario samples the pixels where the grid's mapping puts the true curve, and where no curve
// may be (across poles, on the risers of steps).
#include "driver.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "plot/colours.h"
#include "plot/grid_setup.h"

using namespace e2e;

namespace {

constexpr int WIDTH = 640, HEIGHT = 480;
std::string g_cli;

// A 24-bit bottom-up BMP as the render writes it.
bool readBmp(const std::string& path, Bitmap& out)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::vector<unsigned char> b;
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        b.insert(b.end(), buf, buf + n);
    std::fclose(f);
    auto u32 = [&](size_t at) { return unsigned(b[at]) | unsigned(b[at + 1]) << 8 | unsigned(b[at + 2]) << 16 | unsigned(b[at + 3]) << 24; };
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || b[28] != 24)
        return false;
    const unsigned offset = u32(10);
    const int w = int(u32(18)), h = int(u32(22));
    const size_t row = (size_t(w) * 3 + 3) & ~size_t(3);
    if (w <= 0 || h <= 0 || b.size() < offset + row * size_t(h))
        return false;
    out.width = w;
    out.height = h;
    out.pixels.assign(size_t(w) * h, 0);
    for (int y = 0; y < h; ++y) {
        const unsigned char* p = &b[offset + row * size_t(h - 1 - y)];
        for (int x = 0; x < w; ++x)
            out.pixels[size_t(y) * w + x] = uint32_t(p[3 * x]) | uint32_t(p[3 * x + 1]) << 8 | uint32_t(p[3 * x + 2]) << 16;
    }
    return true;
}

// The grid the render lays out for a default document on a 640x480 picture.
qv::GridSetup defaultGrid()
{
    qv::GridSetup g;
    g.layoutGraphArea(WIDTH, HEIGHT, qv::LabelSpace{}, true);
    g.computeSquareRatio(1.0);
    g.autoSquare();
    g.normaliseRanges();
    return g;
}

// Graph colour k of the default scheme, as a bitmap pixel (0x00RRGGBB).
uint32_t curvePixel(int k)
{
    const qv::Colour c = qv::colourOf(qv::BUILTIN_SCHEMES[qv::SCHEME_GRAY], k + qv::COLOUR_GRAPH_BASE);
    return uint32_t(qv::redOf(c)) << 16 | uint32_t(qv::greenOf(c)) << 8 | uint32_t(qv::blueOf(c));
}

bool render(const std::vector<std::string>& lines, const std::string& name, Bitmap& shot)
{
    std::string cmd = "\"" + g_cli + "\" render";
    for (const std::string& l : lines)
        cmd += " --eq \"" + l + "\"";
    const std::string out = artefact(name + ".bmp");
    cmd += " -o \"" + out + "\"";
    Program cli(cmd);
    const int code = cli.waitForExit(60000);
    check(code == 0, name + ": render exits with 0 (got " + std::to_string(code) + ")");
    const bool read = code == 0 && readBmp(out, shot);
    check(read && shot.width == WIDTH && shot.height == HEIGHT, name + ": a 640x480 bitmap");
    return read;
}

bool colouredNear(const Bitmap& shot, int px, int py, uint32_t colour, int reach)
{
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const int x = px + dx, y = py + dy;
            if (x >= 0 && y >= 0 && x < shot.width && y < shot.height && shot.at(x, y) == colour)
                return true;
        }
    return false;
}

// Samples the true curve y = f(x) where it is inside the window and not steeper than the tolerance.
void expectCurve(const Bitmap& shot, const qv::GridSetup& g, const std::string& name,
                 const std::function<double(double)>& f, int k, double from, double to)
{
    int sampled = 0, found = 0;
    std::string missing;
    for (double x = from; x <= to + 1e-9; x += (to - from) / 40) {
        const double y = f(x);
        if (!std::isfinite(y) || y < g.yMin + 0.2 || y > g.yMax - 0.2)
            continue;
        const qv::DevicePoint p = g.worldToDevice(x, y);
        ++sampled;
        if (colouredNear(shot, p.x, p.y, curvePixel(k), 2))
            ++found;
        else
            missing += " (" + std::to_string(x) + "," + std::to_string(y) + ")";
    }
    check(sampled > 5 && found == sampled,
          name + ": curve at " + std::to_string(found) + " of " + std::to_string(sampled) + " sampled points" + missing);
}

// Curve pixels in the device column of x between world rows yLow and yHigh.
int columnPixels(const Bitmap& shot, const qv::GridSetup& g, double x, double yLow, double yHigh, int k)
{
    const qv::DevicePoint a = g.worldToDevice(x, yHigh), b = g.worldToDevice(x, yLow);
    return shot.count(curvePixel(k), a.x, a.y, a.x + 1, b.y + 1);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("usage: e2e_curves QUORVEX-CLI.EXE ARTEFACT_DIR\n");
        return 2;
    }
    g_cli = argv[1];
    setArtefactDirectory(argv[2]);
    const qv::GridSetup g = defaultGrid();
    Bitmap shot;

    struct Curve {
        const char* line;
        const char* name;
        std::function<double(double)> f;
    };
    const std::vector<Curve> curves = {
        {"y=x^2-3", "parabola", [](double x) { return x * x - 3; }},
        {"y=sin(x)", "sine", [](double x) { return std::sin(x); }},
        {"y=sqrt(4-x^2)", "half_circle", [](double x) { return std::sqrt(4 - x * x); }},
        {"y=gamma(x)", "gamma", [](double x) { return x > 0.05 ? std::tgamma(x) : NAN; }},
        {"y=x^3/8-x", "cubic", [](double x) { return x * x * x / 8 - x; }},
    };
    for (const Curve& c : curves)
        if (render({c.line}, c.name, shot))
            expectCurve(shot, g, c.name, c.f, 1, g.xMin + 0.1, g.xMax - 0.1);

    // Poles: each branch is drawn, and no line joins +infinity to -infinity.
    if (render({"y=1/(x-1)"}, "pole", shot)) {
        expectCurve(shot, g, "pole", [](double x) { return std::fabs(x - 1) < 0.1 ? NAN : 1 / (x - 1); }, 1, -7.5, 7.5);
        check(columnPixels(shot, g, 1, -4, 4, 1) == 0, "pole: nothing in the column of x=1 between y=-4 and 4");
    }
    if (render({"y=tan(x)"}, "tangent", shot)) {
        expectCurve(shot, g, "tangent", [](double x) { return std::tan(x); }, 1, -7.5, 7.5);
        for (int i : {-3, -1, 1, 3}) {
            const double pole = i * 1.5707963267948966;
            check(columnPixels(shot, g, pole, -4, 4, 1) == 0,
                  "tangent: nothing in the column of the pole at x=" + std::to_string(pole));
        }
    }

    // Steps of int without risers.
    if (render({"y=int(x)"}, "steps", shot)) {
        for (double x : {-3.5, -1.5, 0.5, 2.5, 4.5})
            check(colouredNear(shot, g.worldToDevice(x, std::floor(x)).x, g.worldToDevice(x, std::floor(x)).y, curvePixel(1), 1),
                  "steps: the step at x=" + std::to_string(x));
        for (int k : {-2, 0, 1, 3}) {
            const double x = k + 0.0;
            check(columnPixels(shot, g, x, k - 0.8, k - 0.2, 1) == 0,
                  "steps: no riser at x=" + std::to_string(k));
        }
    }

    // A family: three lines in the equation's colour.
    if (render({"y=a*x {a: 1,3,1}"}, "family", shot)) {
        for (int a = 1; a <= 3; ++a)
            expectCurve(shot, g, "family a=" + std::to_string(a), [a](double x) { return a * x; }, 1, -1.8, 1.8);
        // The members share the equation's colour: the next equation gets colour 2.
        if (render({"y=a*x {a: 1,3,1}", "y=-x"}, "family_and_line", shot)) {
            for (int a = 1; a <= 3; ++a)
                expectCurve(shot, g, "family_and_line a=" + std::to_string(a), [a](double x) { return a * x; }, 1, 0.2,
                            1.8);
            expectCurve(shot, g, "family_and_line y=-x", [](double x) { return -x; }, 2, 0.5, 5);
        }
    }

    // Two equations at once take consecutive colours.
    if (render({"y=x/2", "y=-x/2"}, "two_colours", shot)) {
        expectCurve(shot, g, "two_colours first", [](double x) { return x / 2; }, 1, -7, -1);
        expectCurve(shot, g, "two_colours second", [](double x) { return -x / 2; }, 2, 1, 7);
    }

    // Two branches joined at the origin (the stitch runs through the axis pixel).
    if (render({"y^2=x"}, "two_branches", shot)) {
        for (double y : {-2.2, -1.5, -1.0, -0.5, 0.5, 1.0, 1.5, 2.2}) {
            const qv::DevicePoint p = g.worldToDevice(y * y, y);
            check(colouredNear(shot, p.x, p.y, curvePixel(1), 2), "two_branches: point (" + std::to_string(y * y) + "," + std::to_string(y) + ")");
        }
        const qv::DevicePoint o = g.worldToDevice(0, 0);
        // Joined: the rows just above and just below the origin are both coloured near the axis.
        check(colouredNear(shot, o.x, o.y - 2, curvePixel(1), 1) && colouredNear(shot, o.x, o.y + 2, curvePixel(1), 1) &&
                  shot.at(o.x, o.y) == curvePixel(1),
              "two_branches: the branches meet at the origin");
    }

    // A line that does not parse is refused without a picture.
    {
        const std::string out = artefact("refused.bmp");
        Program cli("\"" + g_cli + "\" render --eq \"y=(\" -o \"" + out + "\"");
        const int code = cli.waitForExit(60000);
        check(code == 1, "a bad line ends the render with 1 (got " + std::to_string(code) + ")");
        check(GetFileAttributesA(out.c_str()) == INVALID_FILE_ATTRIBUTES, "a bad line leaves no bitmap");
    }
    return finish();
}
