#include "cli/cli_render.h"

#include <cctype>
#include <cmath>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "analysis/integration.h"
#include "doc/equation_line.h"
#include "doc/graph_doc.h"
#include "doc/graph_file.h"
#include "expr/functions.h"
#include "platform/record/recording_surface.h"
#include "platform/ui.h"
#include "plot/graphing_driver.h"
#include "plot/grid_draw.h"
#include "plot/point_list.h"

namespace qv::cli {

namespace {

const char* const RENDER_USAGE =
    "usage: quorvex-cli render [--size WIDTHxHEIGHT] [--setup INI] [--eq LINE]... [--integrate FROM,TO[,LOWER]] "
    "[DOC.gr] -o OUT\n";

bool endsWith(const std::string& s, const char* suffix)
{
    const std::size_t n = std::strlen(suffix);
    if (s.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != suffix[i])
            return false;
    return true;
}

bool parseSize(const std::string& text, int& width, int& height)
{
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos)
        return false;
    const char* begin = text.data();
    const char* mid = begin + x;
    const char* end = begin + text.size();
    auto a = std::from_chars(begin, mid, width);
    auto b = std::from_chars(mid + 1, end, height);
    return a.ec == std::errc() && a.ptr == mid && b.ec == std::errc() && b.ptr == end && x > 0;
}

// What the engine shows while a document is read goes to the error stream: a render has no window
// to show it in.
class RenderUserInterface final : public UserInterface {
public:
    explicit RenderUserInterface(std::FILE* err) : err_(err) {}
    void messageBox(const std::string& text) override { std::fprintf(err_, "quorvex-cli render: %s\n", text.c_str()); }
    void statusLine(const std::string&, int) override {}
    void beep() override {}

private:
    std::FILE* err_;
};

// A region to integrate and shade once the curves are drawn: from the first line of the command
// line, down to another of its lines or to the x-axis.
struct RegionRequest {
    bool wanted = false;
    double from = 0, to = 0;
    int lower = 0;  // 1-based number of the --eq line of the lower curve; 0 for the x-axis
    Equation* first = nullptr;
    Equation* second = nullptr;
    bool failed = false;
};

// FROM,TO or FROM,TO,LOWER.
bool parseRegion(const std::string& text, RegionRequest& region)
{
    const char* p = text.data();
    const char* end = p + text.size();
    double values[2];
    for (double& v : values) {
        const char* start = p;
        if (p < end && *p == '+')
            ++p;
        const auto r = std::from_chars(p, end, v);
        if (r.ec != std::errc() || r.ptr == start || !std::isfinite(v))
            return false;
        p = r.ptr;
        if (&v == &values[0]) {
            if (p == end || *p != ',')
                return false;
            ++p;
        }
    }
    region.from = values[0];
    region.to = values[1];
    region.lower = 0;
    if (p != end) {
        if (*p != ',')
            return false;
        const auto r = std::from_chars(p + 1, end, region.lower);
        if (r.ec != std::errc() || r.ptr != end || region.lower < 1)
            return false;
    }
    region.wanted = true;
    return true;
}

// Lays the document out on a window of the surface's size, as the graph window does, and draws it.
void drawDocument(GraphDoc& doc, PlotSurface& surface, int width, int height, RegionRequest& region)
{
    DocumentProgram& program = documentProgram();
    measureGridFonts(doc, surface, program.smallScreen);
    GridSetup& g = doc.grid;
    g.layoutGraphArea(width, height, labelSpaceOf(doc), program.smallScreen);
    g.computeSquareRatio(program.pixelAspect);
    g.autoSquare();
    g.normaliseRanges();
    // No Grid Range dialog to offer: a logarithmic range that cannot be shown falls back to
    // rectangular paper, as a cancelled dialog does.
    g.checkLogRange([](GridSetup&) { return false; });
    if (g.logX() || g.logY())
        g.refreshLogScale();
    doc.pending = 0;
    CurveOutput& out = curveOutput();
    PlotSurface* previous = out.surface;
    out.surface = &surface;
    drawGridScreen(doc, surface);
    // Every equation of the queue, the oldest first so that the newest lies on top.
    for (Equation* e = doc.queueHead; e; e = e->next)
        e->flags &= ~eqflag::OnGrid;
    doc.onScreen = 0;
    GraphingDriver* previousDriver = program.driver;
    program.driver = &graphingDriver();
    redrawNewest(doc, doc.count);
    if (region.wanted) {
        // A curve that could not be graphed at all has left the queue.
        auto queued = [&](const Equation* wanted) {
            for (const Equation* e = doc.queueHead; e; e = e->next)
                if (e == wanted)
                    return true;
            return false;
        };
        region.failed = !queued(region.first) || (region.second && !queued(region.second)) ||
                        !integrateRegion(doc, region.first, region.second, region.from, region.to);
    }
    program.driver = previousDriver;
    out.surface = previous;
}

// The output is written beside its destination and renamed over it when complete, so that a failure
// never leaves a partial file.
std::string partialPathOf(const std::string& path) { return path + ".partial"; }

bool moveIntoPlace(const std::string& partial, const std::string& path, std::string& error)
{
    std::error_code ec;
    std::filesystem::rename(partial, path, ec);
    if (ec) {
        std::filesystem::remove(partial, ec);
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace

int cmdRender(int argc, char** argv, std::FILE* /*out*/, std::FILE* err)
{
    int width = RENDER_DEFAULT_WIDTH, height = RENDER_DEFAULT_HEIGHT;
    std::string setupPath, docPath, outPath;
    std::vector<std::string> equations;
    RegionRequest region;
    bool haveOut = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--size") {
            if (!hasValue) {
                std::fputs(RENDER_USAGE, err);
                return 2;
            }
            const std::string size = argv[++i];
            if (!parseSize(size, width, height) || width < RENDER_MIN_SIZE || height < RENDER_MIN_SIZE ||
                width > RENDER_MAX_SIZE || height > RENDER_MAX_SIZE) {
                std::fprintf(err, "quorvex-cli render: bad size \"%s\": expected WIDTHxHEIGHT, each from %d to %d\n",
                             size.c_str(), RENDER_MIN_SIZE, RENDER_MAX_SIZE);
                return 1;
            }
        } else if (arg == "--setup") {
            if (!hasValue) {
                std::fputs(RENDER_USAGE, err);
                return 2;
            }
            setupPath = argv[++i];
        } else if (arg == "--eq") {
            if (!hasValue) {
                std::fputs(RENDER_USAGE, err);
                return 2;
            }
            equations.push_back(argv[++i]);
        } else if (arg == "--integrate") {
            if (!hasValue) {
                std::fputs(RENDER_USAGE, err);
                return 2;
            }
            const std::string text = argv[++i];
            if (!parseRegion(text, region)) {
                std::fprintf(err, "quorvex-cli render: bad region \"%s\": expected FROM,TO or FROM,TO,LOWER\n",
                             text.c_str());
                return 1;
            }
        } else if (arg == "-o") {
            if (!hasValue) {
                std::fputs(RENDER_USAGE, err);
                return 2;
            }
            outPath = argv[++i];
            haveOut = true;
        } else if (!arg.empty() && arg[0] == '-') {
            std::fputs(RENDER_USAGE, err);
            return 2;
        } else if (docPath.empty()) {
            docPath = arg;
        } else {
            std::fputs(RENDER_USAGE, err);
            return 2;
        }
    }
    if (!haveOut || outPath.empty()) {
        std::fputs(RENDER_USAGE, err);
        return 2;
    }
    const bool svg = endsWith(outPath, ".svg");
    const bool bmp = endsWith(outPath, ".bmp");
    if (!svg && !bmp) {
        std::fprintf(err, "quorvex-cli render: the output name must end in .bmp or .svg: %s\n", outPath.c_str());
        return 1;
    }
#ifndef _WIN32
    if (bmp) {
        std::fprintf(err, "quorvex-cli render: bitmaps are drawn by GDI, in the Windows build only; use .svg\n");
        return 1;
    }
#endif

    RenderUserInterface ui(err);
    UserInterface* previousUi = &userInterface();
    installUserInterface(&ui);
    struct Restore {
        UserInterface* ui;
        ~Restore() { installUserInterface(ui); }
    } restore{previousUi};

    // Start-up as the program does it: constants in the variable store, option defaults.
    resetVariables();
    DocumentProgram& program = documentProgram();
    program.options = ProgramOptions{};
    program.pixelAspect = 1.0;
    program.smallScreen = width <= 1000;
    setScreenSymbolSize(width, program.pixelAspect);

    std::unique_ptr<GraphDoc, void (*)(GraphDoc*)> setup(createDocument(), freeDocument);
    if (!setupPath.empty() && readGraphFile(*setup, setupPath, READ_QUIET) == READ_FAILED) {
        std::fprintf(err, "quorvex-cli render: cannot read the setup file %s\n", setupPath.c_str());
        return 1;
    }
    setup->annotations.clear();
    program.setupDoc = setup.get();
    std::unique_ptr<GraphDoc, void (*)(GraphDoc*)> doc(createFromSetup(), freeDocument);
    program.current = doc.get();
    struct Detach {
        DocumentProgram& p;
        ~Detach()
        {
            p.current = nullptr;
            p.setupDoc = nullptr;
        }
    } detach{program};
    if (!docPath.empty() && readGraphFile(*doc, docPath, READ_QUIET) == READ_FAILED) {
        std::fprintf(err, "quorvex-cli render: cannot read the document %s\n", docPath.c_str());
        return 1;
    }
    // Lines given on the command line join the queue after the document's, as typed lines do; one
    // that does not parse has shown its message and stops the render.
    if (region.wanted && (equations.empty() || region.lower > int(equations.size()))) {
        std::fprintf(err, "quorvex-cli render: --integrate needs the --eq lines it names\n");
        return 1;
    }
    for (const std::string& line : equations) {
        const GridSetup& g = doc->grid;
        GridRanges ranges{g.xMin, g.xMax, g.yMin, g.yMax};
        if (!std::isfinite(ranges.yMin) || !std::isfinite(ranges.yMax)) {
            ranges.yMin = ranges.xMin;
            ranges.yMax = ranges.xMax;
        }
        if (addLine(*doc, line, ranges) != 0) {
            std::fprintf(err, "quorvex-cli render: cannot graph \"%s\"\n", line.c_str());
            return 1;
        }
        const int number = int(&line - equations.data()) + 1;
        if (number == 1)
            region.first = doc->queueHead;
        if (number == region.lower)
            region.second = doc->queueHead;
    }

    const std::string partial = partialPathOf(outPath);
    std::string error;
    bool ok;
    if (svg) {
        RecordingSurface surface(width, height, rgb(255, 255, 255));
        drawDocument(*doc, surface, width, height, region);
        ok = surface.writeSvg(partial);
        if (!ok) {
            std::error_code ec;
            std::filesystem::remove(partial, ec);
            error = "cannot write " + outPath;
        }
    } else {
#ifdef _WIN32
        ok = renderBitmapWithGdi(
            width, height, [&](PlotSurface& surface) { drawDocument(*doc, surface, width, height, region); }, partial,
            error);
        if (!ok)
            error = "cannot write " + outPath + (error.empty() ? "" : ": " + error);
#else
        ok = false;
#endif
    }
    // The integration has shown its message; no picture without the region asked for.
    if (ok && region.failed) {
        std::error_code ec;
        std::filesystem::remove(partial, ec);
        return 1;
    }
    if (ok)
        ok = moveIntoPlace(partial, outPath, error);
    if (!ok) {
        std::fprintf(err, "quorvex-cli render: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace qv::cli
