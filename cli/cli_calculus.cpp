#include "cli/cli_calculus.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "analysis/critical_points.h"
#include "analysis/printout.h"
#include "analysis/tangent.h"
#include "cli/cli_render.h"
#include "doc/equation_line.h"
#include "doc/graph_doc.h"
#include "expr/functions.h"
#include "platform/record/recording_surface.h"
#include "platform/ui.h"
#include "plot/graphing_driver.h"
#include "plot/grid_draw.h"
#include "plot/point_list.h"

namespace qv::cli {

namespace {

const char* const CRITICAL_USAGE = "usage: quorvex-cli critical LINE [--grid L,R,B,T] [--guess G [--extrema]]\n";
const char* const TANGENT_USAGE = "usage: quorvex-cli tangent LINE X Y [--grid L,R,B,T] [-o OUT.svg|OUT.bmp]\n";

// The graph window the tools work on: the program's default window size.
constexpr int WINDOW_WIDTH = 640;
constexpr int WINDOW_HEIGHT = 480;

// Message boxes are printed as they come; status lines are kept for the command to print the one
// that answers it.
class CalculusUserInterface final : public UserInterface {
public:
    explicit CalculusUserInterface(std::FILE* out) : out_(out) {}
    void messageBox(const std::string& text) override { std::fprintf(out_, "messagebox: %s\n", text.c_str()); }
    void statusLine(const std::string& text, int category) override
    {
        lastStatus = text;
        lastCategory = category;
    }
    void beep() override {}
    std::string lastStatus;
    int lastCategory = 0;

private:
    std::FILE* out_;
};

bool parseNumber(const char* text, double& value)
{
    const char* p = text;
    if (*p == '+')
        ++p;
    const char* end = text + std::strlen(text);
    if (p == end)
        return false;
    const auto r = std::from_chars(p, end, value);
    return r.ec == std::errc() && r.ptr == end && std::isfinite(value);
}

// LEFT,RIGHT,BOTTOM,TOP, each range from a smaller to a larger value.
bool parseGrid(const std::string& text, double (&v)[4])
{
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = text.find(',', start);
        if ((i < 3) != (comma != std::string::npos))
            return false;
        const std::string piece = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!parseNumber(piece.c_str(), v[i]))
            return false;
        start = comma + 1;
    }
    return v[0] < v[1] && v[2] < v[3];
}

// Bytes a terminal would not show, such as the status line's colour switches, are written as \xHH.
std::string visible(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += char(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

// The program state of one command: a fresh document on the default window, the graphing driver,
// option defaults; all of it given back when the command ends.
class Session {
public:
    Session(std::FILE* out) : ui(out), previousUi_(&userInterface()), doc_(createDocument(), freeDocument)
    {
        installUserInterface(&ui);
        resetVariables();
        DocumentProgram& program = documentProgram();
        program.options = ProgramOptions{};
        program.pixelAspect = 1.0;
        program.smallScreen = true;
        setScreenSymbolSize(WINDOW_WIDTH, program.pixelAspect);
        program.current = doc_.get();
        program.driver = &graphingDriver();
        previousLog_ = printout();
        printout().list = nullptr;
        installToolRecordsPainter();
    }
    ~Session()
    {
        DocumentProgram& program = documentProgram();
        program.current = nullptr;
        program.driver = nullptr;
        curveOutput() = CurveOutput{};
        printout() = previousLog_;
        registerToolRecordsPainter(nullptr);
        installUserInterface(previousUi_);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    GraphDoc& doc() { return *doc_; }

    // Lays the grid out on the window, with the range given (or the standard one, squared).
    void layout(const double* range)
    {
        GridSetup& g = doc_->grid;
        if (range) {
            g.xMin = range[0];
            g.xMax = range[1];
            g.yMin = range[2];
            g.yMax = range[3];
        }
        g.layoutGraphArea(WINDOW_WIDTH, WINDOW_HEIGHT, labelSpaceOf(*doc_), documentProgram().smallScreen);
        g.computeSquareRatio(documentProgram().pixelAspect);
        g.autoSquare();
        g.normaliseRanges();
        updateLabelDecimals(g);
    }

    // Adds the line and draws it; the drawn equation, or nullptr when it was refused or could not be
    // graphed (the message was shown).
    Equation* graph(const std::string& line)
    {
        const GridSetup& g = doc_->grid;
        if (addLine(*doc_, line, GridRanges{g.xMin, g.xMax, g.yMin, g.yMax}) != 0)
            return nullptr;
        redrawNewest(*doc_, 1);
        return doc_->queueHead;
    }

    CalculusUserInterface ui;

private:
    UserInterface* previousUi_;
    std::unique_ptr<GraphDoc, void (*)(GraphDoc*)> doc_;
    Printout previousLog_;
};

// The stored point of e nearest to the device point p: the point the mouse would have picked.
int nearestStoredPoint(const Equation& e, DevicePoint p)
{
    LockedPointList stored(e.points);
    if (!stored.valid())
        return 0;
    int best = 0;
    long bestDistance = LONG_MAX;
    for (int i = 0; i < stored.list.count(); ++i) {
        const DevicePoint q = stored.list.entry(std::size_t(i));
        if (isMarker(q))
            continue;
        const long dx = q.x - p.x, dy = q.y - p.y;
        if (dx * dx + dy * dy < bestDistance) {
            bestDistance = dx * dx + dy * dy;
            best = i;
        }
    }
    return best;
}

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

}  // namespace

int cmdCritical(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    std::string line, guess;
    bool haveLine = false, haveGrid = false, haveGuess = false, extrema = false;
    double range[4] = {};
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--grid" && i + 1 < argc) {
            if (!parseGrid(argv[++i], range)) {
                std::fprintf(err, "quorvex-cli critical: --grid needs LEFT,RIGHT,BOTTOM,TOP: %s\n", argv[i]);
                return 1;
            }
            haveGrid = true;
        } else if (arg == "--guess" && i + 1 < argc) {
            guess = argv[++i];
            haveGuess = true;
        } else if (arg == "--extrema") {
            extrema = true;
        } else if (!haveLine && arg.rfind("--", 0) != 0) {
            line = arg;
            haveLine = true;
        } else {
            std::fputs(CRITICAL_USAGE, err);
            return 2;
        }
    }
    if (!haveLine || (extrema && !haveGuess)) {
        std::fputs(CRITICAL_USAGE, err);
        return 2;
    }

    Session session(out);
    session.layout(haveGrid ? range : nullptr);
    curveOutput().surface = nullptr;
    Equation* e = session.graph(line);
    if (!e)
        return 1;
    GraphDoc& doc = session.doc();
    const CriticalPointsChoice choice = criticalPointEquations(doc);
    if (choice.equations.empty())
        return 1;
    if (haveGuess) {
        std::string result;
        if (!calculateCriticalPoint(doc, *e, guess, !extrema, result) || result.empty())
            return 1;
        std::fprintf(out, "%s\n", result.c_str());
        return 0;
    }
    for (const std::string& l : listCriticalPoints(doc, *e))
        std::fprintf(out, "%s\n", l.c_str());
    return e->criticalFound > 0 ? 0 : 1;
}

int cmdTangent(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    std::string line, outPath;
    std::vector<double> point;
    bool haveLine = false, haveGrid = false;
    double range[4] = {};
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        double value = 0;
        if (arg == "--grid" && i + 1 < argc) {
            if (!parseGrid(argv[++i], range)) {
                std::fprintf(err, "quorvex-cli tangent: --grid needs LEFT,RIGHT,BOTTOM,TOP: %s\n", argv[i]);
                return 1;
            }
            haveGrid = true;
        } else if (arg == "-o" && i + 1 < argc) {
            outPath = argv[++i];
        } else if (!haveLine) {
            line = arg;
            haveLine = true;
        } else if (point.size() < 2 && parseNumber(argv[i], value)) {
            point.push_back(value);
        } else {
            std::fputs(TANGENT_USAGE, err);
            return 2;
        }
    }
    if (!haveLine || point.size() != 2) {
        std::fputs(TANGENT_USAGE, err);
        return 2;
    }
    const bool svg = endsWith(outPath, ".svg");
    const bool bmp = endsWith(outPath, ".bmp");
    if (!outPath.empty() && !svg && !bmp) {
        std::fprintf(err, "quorvex-cli tangent: the output name must end in .bmp or .svg: %s\n", outPath.c_str());
        return 1;
    }
#ifndef _WIN32
    if (bmp) {
        std::fprintf(err, "quorvex-cli tangent: bitmaps are drawn by GDI, in the Windows build only; use .svg\n");
        return 1;
    }
#endif

    Session session(out);
    int rc = 0;
    auto drawAndTouch = [&](PlotSurface& surface) {
        GraphDoc& doc = session.doc();
        measureGridFonts(doc, surface, documentProgram().smallScreen);
        session.layout(haveGrid ? range : nullptr);
        curveOutput().surface = &surface;
        drawGridScreen(doc, surface);
        Equation* e = session.graph(line);
        if (!e) {
            rc = 1;
            return;
        }
        const int index = nearestStoredPoint(*e, doc.grid.worldToDevice(point[0], point[1]));
        switch (tangentAt(doc.tangent, *e, point[0], point[1], index)) {
        case TangentResult::Drawn:
        case TangentResult::RedrawNeeded:
            std::fprintf(out, "status %d: %s\n", session.ui.lastCategory, visible(session.ui.lastStatus).c_str());
            break;
        case TangentResult::Nothing:
            std::fprintf(err, "quorvex-cli tangent: the curve kept no points to read a slope from\n");
            rc = 1;
            break;
        case TangentResult::Failed:
            rc = 1;
            break;
        }
    };

    const std::string partial = outPath + ".partial";
    std::error_code ec;
    if (bmp) {
#ifdef _WIN32
        std::string error;
        if (!renderBitmapWithGdi(WINDOW_WIDTH, WINDOW_HEIGHT, drawAndTouch, partial, error)) {
            std::fprintf(err, "quorvex-cli tangent: cannot write %s%s\n", outPath.c_str(),
                         error.empty() ? "" : (": " + error).c_str());
            std::filesystem::remove(partial, ec);
            return 1;
        }
#endif
    } else {
        RecordingSurface surface(WINDOW_WIDTH, WINDOW_HEIGHT, rgb(255, 255, 255));
        drawAndTouch(surface);
        if (svg && !surface.writeSvg(partial)) {
            std::fprintf(err, "quorvex-cli tangent: cannot write %s\n", outPath.c_str());
            std::filesystem::remove(partial, ec);
            return 1;
        }
    }
    if (!outPath.empty()) {
        std::filesystem::rename(partial, outPath, ec);
        if (ec) {
            std::filesystem::remove(partial, ec);
            std::fprintf(err, "quorvex-cli tangent: cannot write %s\n", outPath.c_str());
            return 1;
        }
    }
    return rc;
}

}  // namespace qv::cli
