// quorvex-cli render in-process: what it writes, where it draws, and that a failure leaves no file.
#include "cli/cli_render.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "doc/graph_doc.h"

namespace {

namespace fs = std::filesystem;

struct Result {
    int rc;
    std::string err;
};

Result render(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Result r{qv::cli::cmdRender(int(argv.size()), argv.data(), out, err), {}};
    std::rewind(err);
    char buf[512];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, err)) > 0)
        r.err.append(buf, n);
    std::fclose(out);
    std::fclose(err);
    return r;
}

std::string example(const char* name)
{
    const char* src = std::getenv("QV_SOURCE_DIR");
    return std::string(src ? src : "..") + "/examples/" + name;
}

std::string slurp(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::current_path() / "render_test_out";
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    std::string path(const char* name) const { return (dir / name).string(); }
    fs::path dir;
};

TEST_F(RenderTest, SvgOfAnExampleDocument)
{
    const std::string out = path("polar.svg");
    Result r = render({"--size", "500x400", example("polar_rose.gr"), "-o", out});
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::string svg = slurp(out);
    EXPECT_EQ(svg.rfind("<svg", 0), 0u);
    EXPECT_NE(svg.find("width=\"500\" height=\"400\""), std::string::npos);
    EXPECT_NE(svg.find(">A rose and a spiral</text>"), std::string::npos);
    EXPECT_NE(svg.find(">r=2cos(3t)</text>"), std::string::npos);
    EXPECT_NE(svg.find("<ellipse"), std::string::npos);
    EXPECT_FALSE(fs::exists(out + ".partial"));
}

TEST_F(RenderTest, EmptyDocumentWithSetupDefaults)
{
    const std::string out = path("empty.svg");
    Result r = render({"-o", out});
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::string svg = slurp(out);
    EXPECT_NE(svg.find("width=\"640\" height=\"480\""), std::string::npos);
    // -8 .. 8 with legends every 2.
    for (const char* n : {">-6</text>", ">-2</text>", ">2</text>", ">6</text>"})
        EXPECT_NE(svg.find(n), std::string::npos) << n;
}

TEST_F(RenderTest, FailuresExplainThemselvesAndLeaveNoFile)
{
    struct Case {
        std::vector<std::string> args;
        const char* message;
        const char* output;
    };
    const std::string missingDir = path("no/such/folder/x.svg");
    const std::vector<Case> cases = {
        {{"--size", "0x480", "-o", path("a.svg")}, "bad size \"0x480\"", "a.svg"},
        {{"--size", "640*480", "-o", path("b.svg")}, "bad size", "b.svg"},
        {{"--size", "99999x480", "-o", path("c.svg")}, "bad size", "c.svg"},
        {{path("missing.gr"), "-o", path("d.svg")}, "cannot read the document", "d.svg"},
        {{"--setup", path("missing.ini"), "-o", path("e.svg")}, "cannot read the setup file", "e.svg"},
        {{"-o", path("f.png")}, "must end in .bmp or .svg", "f.png"},
        {{"-o", missingDir}, "cannot write", nullptr},
    };
    for (const Case& c : cases) {
        Result r = render(c.args);
        EXPECT_EQ(r.rc, 1) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        if (c.output) {
            EXPECT_FALSE(fs::exists(dir / c.output)) << c.output;
            EXPECT_FALSE(fs::exists(dir / (std::string(c.output) + ".partial"))) << c.output;
        }
    }
    EXPECT_FALSE(fs::exists(missingDir));
    EXPECT_EQ(render({"--size"}).rc, 2);
    EXPECT_EQ(render({example("functions.gr")}).rc, 2);
    EXPECT_EQ(render({"a.gr", "b.gr", "-o", path("g.svg")}).rc, 2);
}

TEST_F(RenderTest, AFailedRenderKeepsAnEarlierOutput)
{
    const std::string out = path("kept.svg");
    ASSERT_EQ(render({"-o", out}).rc, 0);
    const std::string before = slurp(out);
    EXPECT_EQ(render({path("missing.gr"), "-o", out}).rc, 1);
    EXPECT_EQ(slurp(out), before);
}

TEST_F(RenderTest, IntegratedRegionIsHatched)
{
    const std::string out = path("region.svg");
    Result r = render({"--eq", "y=x^2/4", "--eq", "y=1", "--integrate", "-2,3,2", "-o", out});
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::string svg = slurp(out);
    EXPECT_NE(svg.find("<pattern id=\"hatch"), std::string::npos);
    EXPECT_NE(svg.find("M0,0 L8,8"), std::string::npos);

    // The region is named after lines of the command line that exist, and must integrate.
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{"--eq", "y=x", "--integrate", "1", "-o", path("h.svg")}, "bad region"},
        {{"--eq", "y=x", "--integrate", "1,2,0", "-o", path("h.svg")}, "bad region"},
        {{"--eq", "y=x", "--integrate", "1,2,x", "-o", path("h.svg")}, "bad region"},
        {{"--integrate", "1,2", "-o", path("h.svg")}, "needs the --eq lines"},
        {{"--eq", "y=x", "--integrate", "1,2,2", "-o", path("h.svg")}, "needs the --eq lines"},
        {{"--eq", "y=1/x", "--integrate", "-1,1.3", "-o", path("h.svg")}, "Discontinuity or cusp found"},
        {{"--eq", "y<x", "--integrate", "0,1", "-o", path("h.svg")}, "Cannot integrate over this equation."},
    };
    for (const Case& c : cases) {
        Result failed = render(c.args);
        EXPECT_EQ(failed.rc, 1) << c.message;
        EXPECT_NE(failed.err.find(c.message), std::string::npos) << failed.err;
        EXPECT_FALSE(fs::exists(dir / "h.svg")) << c.message;
        EXPECT_FALSE(fs::exists(dir / "h.svg.partial")) << c.message;
    }
}

#ifdef _WIN32
// The bitmap is drawn by GDI: the axes, grid lines and legend numbers must be where the mapping of a
// -8 .. 8 grid on 640 x 480 puts them: graph area 2 .. 637 by 2 .. 477, y from -5.98 to 5.98, x = 0
// at column 320, y = 0 at row 239, one unit 39.7 device units.
TEST_F(RenderTest, BitmapDrawnByGdi)
{
    const std::string out = path("empty.bmp");
    Result r = render({"-o", out});
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::string bmp = slurp(out);
    ASSERT_GE(bmp.size(), 54u + 640u * 480u * 3u);
    auto u32 = [&](std::size_t at) {
        return unsigned(static_cast<unsigned char>(bmp[at])) | unsigned(static_cast<unsigned char>(bmp[at + 1])) << 8 |
               unsigned(static_cast<unsigned char>(bmp[at + 2])) << 16 | unsigned(static_cast<unsigned char>(bmp[at + 3])) << 24;
    };
    ASSERT_EQ(bmp.substr(0, 2), "BM");
    ASSERT_EQ(u32(18), 640u);
    ASSERT_EQ(u32(22), 480u);
    auto pixel = [&](int x, int y) {  // 0xRRGGBB
        std::size_t at = 54 + std::size_t(479 - y) * 640 * 3 + std::size_t(x) * 3;
        return unsigned(static_cast<unsigned char>(bmp[at + 2])) << 16 |
               unsigned(static_cast<unsigned char>(bmp[at + 1])) << 8 | unsigned(static_cast<unsigned char>(bmp[at]));
    };
    const unsigned axes = 0x800000, grid = 0x00FF00, back = 0x808080, legend = 0xFFFFFF;
    // The y axis is a full column at x = 0; the x axis a full row at y = 0.
    int axisColumn = 0, axisRow = 0;
    for (int y = 20; y < 460; ++y)
        axisColumn += pixel(320, y) == axes;
    for (int x = 10; x < 600; ++x)
        axisRow += pixel(x, 239) == axes;
    EXPECT_GT(axisColumn, 400);
    EXPECT_GT(axisRow, 550);
    // Dotted grid lines every half unit: at x = 1 (column 359) and x = -1 (280); between them only
    // the dots of the horizontal lines crossing.
    auto gridPixels = [&](int x) {
        int n = 0;
        for (int y = 10; y < 470; ++y)
            n += pixel(x, y) == grid;
        return n;
    };
    EXPECT_GT(gridPixels(359), 100);
    EXPECT_GT(gridPixels(280), 100);
    EXPECT_LT(gridPixels(330), 40);
    EXPECT_EQ(pixel(100, 100), back);
    // Legend digits below the axis, centred on x = 2 (column 399) and x = -4 (161).
    auto legendPixels = [&](int cx) {
        int n = 0;
        for (int y = 241; y < 261; ++y)
            for (int x = cx - 12; x <= cx + 12; ++x)
                n += pixel(x, y) == legend;
        return n;
    };
    EXPECT_GT(legendPixels(399), 5);
    EXPECT_GT(legendPixels(161), 5);
    EXPECT_EQ(legendPixels(420), 0);
}

// GDI hatches the integrated region: y = 2 from x = 1 to 3 on the same grid covers columns 359 to 439
// and rows 160 to 239; the hatch lies there in the curve's colour and nowhere beside it.
TEST_F(RenderTest, BitmapOfAnIntegratedRegion)
{
    const std::string out = path("region.bmp");
    // Graph colour 1, whatever the tests before have drawn: no grid or background colour.
    qv::documentProgram().colourCounter = 0;
    Result r = render({"--eq", "y=2", "--integrate", "1,3", "-o", out});
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::string bmp = slurp(out);
    ASSERT_GE(bmp.size(), 54u + 640u * 480u * 3u);
    auto pixel = [&](int x, int y) {  // 0xRRGGBB
        std::size_t at = 54 + std::size_t(479 - y) * 640 * 3 + std::size_t(x) * 3;
        return unsigned(static_cast<unsigned char>(bmp[at + 2])) << 16 |
               unsigned(static_cast<unsigned char>(bmp[at + 1])) << 8 | unsigned(static_cast<unsigned char>(bmp[at]));
    };
    // The colour of the line y = 2, left of the region: what is neither background nor grid there.
    const unsigned back = 0x808080, grid = 0x00FF00;
    unsigned curve = back;
    for (int y = 155; y <= 165 && curve == back; ++y)
        if (pixel(200, y) != back && pixel(200, y) != grid)
            curve = pixel(200, y);
    ASSERT_NE(curve, back);
    auto count = [&](int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x)
                n += pixel(x, y) == curve;
        return n;
    };
    EXPECT_GT(count(362, 164, 436, 235), 300);
    EXPECT_EQ(count(445, 164, 520, 235), 0);
    EXPECT_EQ(count(280, 164, 354, 235), 0);
    EXPECT_EQ(count(362, 244, 436, 300), 0);
}
#else
TEST_F(RenderTest, BitmapsNeedTheWindowsBuild)
{
    Result r = render({"-o", path("x.bmp")});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("Windows build"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "x.bmp"));
}
#endif

}  // namespace
