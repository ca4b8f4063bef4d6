#include "cli/cli_integrate.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "analysis/integration.h"
#include "doc/equation_line.h"
#include "doc/graph_doc.h"
#include "expr/functions.h"
#include "expr/parser.h"
#include "platform/ui.h"
#include "plot/graphing_driver.h"
#include "plot/grid_draw.h"
#include "plot/point_list.h"

namespace qv::cli {

namespace {

const char* const INTEGRATE_USAGE =
    "usage: quorvex-cli integrate LINE [LINE2] --from A --to B [--method trapezoid|simpson|above|below] "
    "[--segments N]\n";

// The graph window the region is measured on: the program's default window size.
constexpr int INTEGRATE_WINDOW_WIDTH = 640;
constexpr int INTEGRATE_WINDOW_HEIGHT = 480;

// Bytes a terminal would not show, such as the status line's colour escapes, are written as \xHH.
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

// Message boxes are printed, and the status lines of the integration; the drawing's are kept quiet.
class IntegrateUserInterface final : public UserInterface {
public:
    explicit IntegrateUserInterface(std::FILE* out) : out_(out) {}
    void messageBox(const std::string& text) override
    {
        std::fprintf(out_, "messagebox: %s\n", visible(text).c_str());
    }
    void statusLine(const std::string& text, int category) override
    {
        if (printing)
            std::fprintf(out_, "status %d: %s\n", category, visible(text).c_str());
    }
    void beep() override {}
    bool printing = false;

private:
    std::FILE* out_;
};

bool parseCount(const char* text, int& value)
{
    const char* end = text + std::strlen(text);
    const auto r = std::from_chars(text, end, value);
    return text != end && r.ec == std::errc() && r.ptr == end;
}

}  // namespace

int cmdIntegrate(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    std::string lines[2];
    int lineCount = 0;
    const char* fromText = nullptr;
    const char* toText = nullptr;
    std::uint8_t method = INT_TRAPEZOIDAL;
    int segments = 0;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--from" || arg == "--to" || arg == "--method" || arg == "--segments") {
            if (i + 1 >= argc) {
                std::fputs(INTEGRATE_USAGE, err);
                return 2;
            }
            const char* value = argv[++i];
            if (arg == "--from") {
                fromText = value;
            } else if (arg == "--to") {
                toText = value;
            } else if (arg == "--method") {
                const std::string m = value;
                if (m == "trapezoid")
                    method = INT_TRAPEZOIDAL;
                else if (m == "simpson")
                    method = INT_SIMPSON;
                else if (m == "above")
                    method = INT_RECTANGLES_ABOVE;
                else if (m == "below")
                    method = INT_RECTANGLES_BELOW;
                else {
                    std::fprintf(err, "quorvex-cli integrate: unknown method \"%s\"\n", value);
                    return 2;
                }
            } else if (!parseCount(value, segments) || segments < 1 || segments > MAX_INTEGRATION_SEGMENTS) {
                std::fprintf(err, "quorvex-cli integrate: the segment count must be a whole number from 1 to %d: %s\n",
                             MAX_INTEGRATION_SEGMENTS, value);
                return 1;
            }
        } else if (lineCount < 2 && !(arg.size() > 1 && arg[0] == '-' && arg[1] == '-')) {
            lines[lineCount++] = arg;
        } else {
            std::fputs(INTEGRATE_USAGE, err);
            return 2;
        }
    }
    if (lineCount == 0 || !fromText || !toText) {
        std::fputs(INTEGRATE_USAGE, err);
        return 2;
    }

    IntegrateUserInterface ui(out);
    UserInterface* previousUi = &userInterface();
    installUserInterface(&ui);
    DocumentProgram& program = documentProgram();
    struct Restore {
        UserInterface* ui;
        DocumentProgram& program;
        ~Restore()
        {
            installUserInterface(ui);
            program.current = nullptr;
            program.driver = nullptr;
        }
    } restore{previousUi, program};

    // The interval is read as the Integrate curve dialog reads it: constants, after a reset.
    resetVariables();
    double bounds[2] = {0, 0};
    const char* texts[2] = {fromText, toText};
    for (int k = 0; k < 2; ++k) {
        std::uint16_t status = 0;
        bounds[k] = evaluateConstantText(texts[k], status);
        if (status || !std::isfinite(bounds[k])) {
            std::fprintf(err, "quorvex-cli integrate: %s needs a number: %s\n", k == 0 ? "--from" : "--to", texts[k]);
            return 1;
        }
    }

    program.options = ProgramOptions{};
    program.options.intflags = std::uint8_t(method | (segments ? 0 : INT_AUTO_SEGMENTS) | INT_MOUSE);
    if (segments)
        program.options.intnumseg = std::uint16_t(segments);
    program.pixelAspect = 1.0;
    program.smallScreen = true;
    setScreenSymbolSize(INTEGRATE_WINDOW_WIDTH, program.pixelAspect);
    std::unique_ptr<GraphDoc, void (*)(GraphDoc*)> doc(createDocument(), freeDocument);
    program.current = doc.get();
    GridSetup& g = doc->grid;
    g.layoutGraphArea(INTEGRATE_WINDOW_WIDTH, INTEGRATE_WINDOW_HEIGHT, labelSpaceOf(*doc), program.smallScreen);
    g.computeSquareRatio(program.pixelAspect);
    g.autoSquare();
    g.normaliseRanges();
    updateLabelDecimals(g);

    Equation* curves[2] = {nullptr, nullptr};
    for (int k = 0; k < lineCount; ++k) {
        if (addLine(*doc, lines[k], GridRanges{g.xMin, g.xMax, g.yMin, g.yMax}) != 0) {
            std::fprintf(err, "quorvex-cli integrate: cannot graph \"%s\"\n", lines[k].c_str());
            return 1;
        }
        curves[k] = doc->queueHead;
    }
    // The curves are drawn (on no surface) so that they have their points, as on the screen.
    program.driver = &graphingDriver();
    curveOutput().surface = nullptr;
    redrawNewest(*doc, lineCount);
    // A curve that cannot be graphed at all has left the queue.
    for (int k = 0; k < lineCount; ++k) {
        bool queued = false;
        for (const Equation* e = doc->queueHead; e; e = e->next)
            queued = queued || e == curves[k];
        if (!queued) {
            std::fprintf(err, "quorvex-cli integrate: cannot graph \"%s\"\n", lines[k].c_str());
            return 1;
        }
    }
    ui.printing = true;
    const bool ok = integrateRegion(*doc, curves[0], lineCount > 1 ? curves[1] : nullptr, bounds[0], bounds[1]);
    return ok ? 0 : 1;
}

}  // namespace qv::cli
