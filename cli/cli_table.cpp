#include "cli/cli_table.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "analysis/printout.h"
#include "doc/equation_line.h"
#include "doc/graph_doc.h"
#include "expr/functions.h"
#include "platform/ui.h"
#include "plot/graphing_driver.h"
#include "plot/grid_draw.h"
#include "plot/point_list.h"

namespace qv::cli {

namespace {

const char* const TABLE_USAGE = "usage: quorvex-cli table LINE [--from X] [--to X] [--step S]\n";

// The graph window the table is computed for: the program's default window size.
constexpr int TABLE_WINDOW_WIDTH = 640;
constexpr int TABLE_WINDOW_HEIGHT = 480;
constexpr std::uint16_t TABLES_ON = 1;
constexpr std::uint16_t TABLES_CUSTOM_INCREMENT = 8;


// Messages of the engine go to the error stream, status lines nowhere.
class TableUserInterface final : public UserInterface {
public:
    explicit TableUserInterface(std::FILE* err) : err_(err) {}
    void messageBox(const std::string& text) override { std::fprintf(err_, "quorvex-cli table: %s\n", text.c_str()); }
    void statusLine(const std::string&, int) override {}
    void beep() override {}

private:
    std::FILE* err_;
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

}  // namespace

int cmdTable(int argc, char** argv, std::FILE* out, std::FILE* err)
{
    std::string line;
    bool haveLine = false, haveFrom = false, haveTo = false, haveStep = false;
    double from = 0, to = 0, step = 0;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--from" || arg == "--to" || arg == "--step") {
            if (i + 1 >= argc) {
                std::fputs(TABLE_USAGE, err);
                return 2;
            }
            double value = 0;
            if (!parseNumber(argv[++i], value)) {
                std::fprintf(err, "quorvex-cli table: %s needs a number: %s\n", arg.c_str(), argv[i]);
                return 1;
            }
            if (arg == "--from")
                from = value, haveFrom = true;
            else if (arg == "--to")
                to = value, haveTo = true;
            else
                step = value, haveStep = true;
        } else if (!haveLine) {
            line = arg;
            haveLine = true;
        } else {
            std::fputs(TABLE_USAGE, err);
            return 2;
        }
    }
    if (!haveLine) {
        std::fputs(TABLE_USAGE, err);
        return 2;
    }
    if (haveStep && !(step > 0)) {
        std::fprintf(err, "quorvex-cli table: the step must be greater than 0\n");
        return 1;
    }

    TableUserInterface ui(err);
    UserInterface* previousUi = &userInterface();
    installUserInterface(&ui);
    LinesPrintout lines;
    Printout& log = printout();
    const Printout previousLog = log;
    DocumentProgram& program = documentProgram();
    struct Restore {
        UserInterface* ui;
        Printout& log;
        Printout previous;
        DocumentProgram& program;
        ~Restore()
        {
            installUserInterface(ui);
            log = previous;
            program.current = nullptr;
            program.driver = nullptr;
        }
    } restore{previousUi, log, previousLog, program};

    resetVariables();
    program.options = ProgramOptions{};
    program.options.tables = TABLES_ON | (haveStep ? TABLES_CUSTOM_INCREMENT : program.options.tables);
    if (haveStep)
        program.options.tableincr = step;
    program.pixelAspect = 1.0;
    program.smallScreen = true;
    setScreenSymbolSize(TABLE_WINDOW_WIDTH, program.pixelAspect);
    log.list = &lines;
    log.table = TableState{};
    log.tableColumns = program.options.tablecols;
    printoutReset();

    std::unique_ptr<GraphDoc, void (*)(GraphDoc*)> doc(createDocument(), freeDocument);
    program.current = doc.get();
    GridSetup& g = doc->grid;
    g.layoutGraphArea(TABLE_WINDOW_WIDTH, TABLE_WINDOW_HEIGHT, labelSpaceOf(*doc), program.smallScreen);
    g.computeSquareRatio(program.pixelAspect);

    const std::uint16_t flags = classifyText(line);
    const bool ofY = (flags & eqflag::FunctionOfY) != 0;
    double& lo = ofY ? g.yMin : g.xMin;
    double& hi = ofY ? g.yMax : g.xMax;
    if (haveFrom)
        lo = from;
    if (haveTo)
        hi = to;
    if (!(lo < hi)) {
        std::fprintf(err, "quorvex-cli table: the range must run from a smaller to a larger value\n");
        return 1;
    }
    if (ofY && (!std::isfinite(g.xMin) || !std::isfinite(g.xMax) || !(g.xMin < g.xMax)))
        g.xMin = -8, g.xMax = 8;
    g.autoSquare();
    g.normaliseRanges();
    updateLabelDecimals(g);

    GridRanges ranges{g.xMin, g.xMax, g.yMin, g.yMax};
    if (addLine(*doc, line, ranges) != 0)
        return 1;
    Equation* eq = doc->queueHead;
    if (!eq || eq->kind() != GraphKind::Cartesian) {
        std::fprintf(err, "quorvex-cli table: tables are made for functions of x or of y only: %s\n", line.c_str());
        return 1;
    }
    program.driver = &graphingDriver();
    curveOutput().surface = nullptr;
    redrawNewest(*doc, 1);
    for (const std::string& l : lines.lines)
        std::fprintf(out, "%s\n", l.c_str());
    return 0;
}

}  // namespace qv::cli
