#include "doc/graph_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "doc/equation_line.h"
#include "expr/functions.h"
#include "expr/parser.h"
#include "expr/report.h"
#include "platform/ui.h"

namespace qv {

const char* const FONT_ROLE_KEYS[FONT_ROLE_COUNT] = {"edit",    "tables",  "status", "legends",  "symbols",
                                                     "axlabel", "annotes", "titles", "leftlbl", "rightlbl"};

namespace {

GraphFileHost g_defaultHost;
GraphFileHost* g_host = nullptr;

std::string g_programDirectory;
std::string g_setupFilePath = SETUP_FILE_NAME;

// The remembered colour choice numbers the built-in schemes: Monochrome, Gray, White, Black.
constexpr int CHOICE_MONOCHROME = 0;
constexpr int CHOICE_WHITE = 2;
constexpr int CHOICE_BLACK = 3;
constexpr const char* COLOUR_ELEMENT_KEYS[6] = {"back", "border", "axes", "grid", "legend", "annote"};

constexpr std::uint16_t AXES_FLAGS = PAPER_AXES | PAPER_ARROWS | PAPER_AXIS_NAMES | PAPER_BORDER;
constexpr std::uint16_t DETAIL_FLAGS = PAPER_DOTS | PAPER_GRID_LINES | PAPER_SOLID_GRID | PAPER_AXES;

// Print option bits.
constexpr std::uint32_t PRINT_DRAFT = 2;
constexpr std::uint32_t PRINT_NOT_DRAFT = 4;
constexpr std::uint32_t PRINT_WIDE_LINES = 8;
constexpr std::uint32_t PRINT_MONO = 16;
constexpr std::uint32_t PRINT_EQUATION_LIST = 32;
constexpr std::uint32_t PRINT_DEFAULT = 36;

constexpr std::uint16_t TABLES_ON = 1;
constexpr std::uint16_t TABLES_DEFAULT = 20;
constexpr int COPY_GRAPHS_BASE = 1502;
constexpr int COPY_GRAPHS_DEFAULT = 1507;
constexpr std::int16_t YLEGPOS_CENTRED = 256;
constexpr std::int16_t YLEGPOS_NORMAL = 2;
constexpr int MAX_OPTION_COUNT = 999;
constexpr int MAX_DEFSCALE = 7;
constexpr int MAX_ANNOTATION_FILE_TEXT = 40;

enum class Section { None, Labels, Grid, Options, Colors, Annotations, Fonts, Printing, Equations, SavedSetup };

struct SectionName {
    const char* header;
    Section section;
};
constexpr SectionName SECTIONS[] = {
    {"[labels]", Section::Labels},     {"[grid]", Section::Grid},
    {"[options]", Section::Options},   {"[colors]", Section::Colors},
    {"[annotations]", Section::Annotations}, {"[fonts]", Section::Fonts},
    {"[printing]", Section::Printing}, {"[equations]", Section::Equations},
    {"[saved-setup]", Section::SavedSetup},
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string trim(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::string trimRight(const std::string& s)
{
    std::size_t e = s.size();
    while (e > 0 && isBlank(s[e - 1]))
        --e;
    return s.substr(0, e);
}

std::string lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string cut(const std::string& s, std::size_t length) { return s.size() > length ? s.substr(0, length) : s; }

bool readSwitch(const std::string& value)
{
    const std::string v = lower(value);
    return v == "on" || v == "1";
}

std::string printNumber(const char* format, double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, v);
    return buffer;
}

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// Splits the file into its lines: a line ends at "\n" (a "\r" before it is dropped) and is split
// after MAX_FILE_LINE characters; the text of a line stops at a NUL byte, as a C string would.
std::vector<std::string> splitLines(const std::string& data)
{
    std::vector<std::string> lines;
    std::string line;
    std::size_t i = 0;
    const std::size_t n = data.size();
    while (i < n) {
        const char c = data[i];
        if (c == '\n' || (c == '\r' && i + 1 < n && data[i + 1] == '\n')) {
            i += c == '\r' ? 2 : 1;
            lines.push_back(line.c_str());
            line.clear();
            continue;
        }
        line += c;
        ++i;
        if (line.size() == MAX_FILE_LINE) {
            // A line of exactly the maximum length ends here; a longer one goes on as the next line.
            if (i < n && data[i] == '\n')
                ++i;
            else if (i + 1 < n && data[i] == '\r' && data[i + 1] == '\n')
                i += 2;
            lines.push_back(line.c_str());
            line.clear();
        }
    }
    if (!line.empty())
        lines.push_back(line.c_str());
    return lines;
}

// Reads the whole file; false when it cannot be opened or read, or is too large to be a document.
bool readWholeFile(const std::string& path, std::string& data)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    data.clear();
    char chunk[16384];
    bool ok = true;
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, f);
        data.append(chunk, got);
        if (static_cast<long long>(data.size()) > MAX_GRAPH_FILE_BYTES) {
            ok = false;
            break;
        }
        if (got < sizeof chunk) {
            ok = !std::ferror(f);
            break;
        }
    }
    std::fclose(f);
    if (!ok)
        data.clear();
    return ok;
}

std::string withPath(const char* format, const std::string& path)
{
    std::string out;
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            out += path;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

// A line of [equations] joins the queue as a typed line does; the solver searches the document's
// range as far as it is known yet.
bool addFileLine(GraphDoc& doc, const std::string& text)
{
    GridRanges ranges;
    const GridSetup& g = doc.grid;
    if (std::isfinite(g.xMin) && std::isfinite(g.xMax) && g.xMin < g.xMax) {
        ranges.xMin = g.xMin;
        ranges.xMax = g.xMax;
    }
    if (std::isfinite(g.yMin) && std::isfinite(g.yMax) && g.yMin < g.yMax) {
        ranges.yMin = g.yMin;
        ranges.yMax = g.yMax;
    }
    return addLine(doc, cut(text, MAX_EQUATION_TEXT), ranges) == 0;
}

class Reader {
public:
    Reader(GraphDoc& doc, std::set<std::string>* programKeys) : doc_(doc), keys_(programKeys) {}

    // Hands one line to the section machine; returns true once [equations] has been read.
    bool line(const std::string& text)
    {
        const std::size_t eq = text.find('=');
        if (eq == std::string::npos) {
            header(lower(trim(text)));
            return section_ == Section::Equations;
        }
        const std::string key = lower(trim(text.substr(0, eq)));
        const std::string value = trim(text.substr(eq + 1));
        switch (section_) {
        case Section::Labels: labelKey(key, value); break;
        case Section::Grid: gridKey(key, value); break;
        case Section::Options: optionKey(key, value); break;
        case Section::Colors: colourKey(key, value); break;
        case Section::Annotations: annotationKey(key, value); break;
        case Section::Fonts: fontKey(key, value); break;
        case Section::Printing: printingKey(key, value); break;
        default: break;
        }
        return false;
    }

private:
    void touched(const std::string& key)
    {
        if (keys_)
            keys_->insert(key);
    }

    void header(const std::string& h)
    {
        section_ = Section::None;
        for (const SectionName& s : SECTIONS)
            if (h == s.header)
                section_ = s.section;
        switch (section_) {
        case Section::Annotations:
            for (Annotation& a : doc_.annotations)
                a = Annotation{};
            doc_.annotationCount = 0;
            break;
        case Section::Grid: doc_.pending |= PENDING_REGRID; break;
        case Section::SavedSetup:
            doc_.savedSetup = true;
            if (doc_.showLabels)
                doc_.pending |= PENDING_RELAYOUT;
            programOptions().defscale = "2";
            programOptions().fineness = 1.0;
            break;
        default: break;
        }
    }

    void labelKey(const std::string& key, const std::string& value)
    {
        if (key == "title")
            doc_.title = cut(value, MAX_TITLE_TEXT);
        else if (key == "left")
            doc_.leftLabel = cut(value, MAX_LABEL_TEXT);
        else if (key == "right")
            doc_.rightLabel = cut(value, MAX_LABEL_TEXT);
        else if (key == "xaxis")
            doc_.xAxisName = cut(value, MAX_AXIS_NAME);
        else if (key == "yaxis")
            doc_.yAxisName = cut(value, MAX_AXIS_NAME);
    }

    void gridKey(const std::string& key, const std::string& value)
    {
        double* target = nullptr;
        GridSetup& g = doc_.grid;
        if (key == "left")
            target = &g.xMin;
        else if (key == "right")
            target = &g.xMax;
        else if (key == "top")
            target = &g.yMax;
        else if (key == "bottom")
            target = &g.yMin;
        if (!target)
            return;
        *target = readFileNumber(value);
        if (*target == UNSET_BOUND)
            doc_.pending |= PENDING_AUTOSCALE;
    }

    void paper(const std::string& value)
    {
        GridSetup& g = doc_.grid;
        doc_.pending |= PENDING_REGRID;
        const std::string v = lower(value);
        std::uint16_t kind = 0;
        if (v == "polar") {
            kind = PAPER_POLAR;
        } else if (v == "trig") {
            kind = PAPER_TRIG;
        } else if (v.size() >= 4 && v.compare(1, 3, "log") == 0) {
            const bool semilog = v[0] == 's';
            kind = semilog ? PAPER_LOG_Y : static_cast<std::uint16_t>(PAPER_LOG_Y | PAPER_LOG_X);
            g.logLogChosen = semilog ? 0 : 1;
            std::uint16_t status = 0;
            double base = evaluateConstantText(value.c_str() + 4, status);
            // A base of 1 has no logarithm scale at all: the grid would divide by ln 1 = 0.
            if (status != 0 || !std::isfinite(base) || !(base > 0) || base == 1)
                base = 10;
            g.logBase = base;
            g.lnBase = std::log(base);
        } else {
            return;
        }
        g.paperFlags = static_cast<std::uint16_t>((g.paperFlags & ~PAPER_KIND_MASK) | kind);
    }

    void detail(const std::string& value)
    {
        std::uint16_t set;
        const std::string v = lower(value);
        if (v == "none")
            set = 0;
        else if (v == "dots")
            set = PAPER_DOTS | PAPER_AXES;
        else if (v == "axes")
            set = PAPER_AXES;
        else if (v == "grid")
            set = PAPER_GRID_LINES | PAPER_AXES;
        else if (v == "solid")
            set = PAPER_SOLID_GRID | PAPER_AXES;
        else
            return;
        GridSetup& g = doc_.grid;
        g.paperFlags = static_cast<std::uint16_t>((g.paperFlags & ~DETAIL_FLAGS) | set);
    }

    void legends(const std::string& value)
    {
        std::uint16_t& flags = doc_.grid.legendFlags;
        const std::string v = lower(value);
        if (v == "on")
            flags |= LEGENDS_ON;
        else if (v == "off")
            flags &= static_cast<std::uint16_t>(~LEGENDS_ON);
        else if (v == "custom")
            flags |= LEGENDS_ON | LEGENDS_CUSTOM;
        else if (v == "scale")
            flags |= LEGENDS_ON | LEGENDS_CUSTOM | LEGENDS_SCALE;
    }

    void optionKey(const std::string& key, const std::string& value)
    {
        ProgramOptions& o = programOptions();
        GridSetup& g = doc_.grid;
        // Document keys.
        if (key == "paper") {
            paper(value);
        } else if (key == "detail") {
            detail(value);
        } else if (key == "axes") {
            // Only the four decoration flags: other bits would change the paper kind.
            g.paperFlags = static_cast<std::uint16_t>((g.paperFlags & ~AXES_FLAGS) | (readFileInteger(value) & AXES_FLAGS));
        } else if (key == "legends") {
            legends(value);
        } else if (key == "xlegspace") {
            g.xLegendSpacing = readFileNumber(value);
        } else if (key == "ylegspace") {
            g.yLegendSpacing = readFileNumber(value);
        } else if (key == "fineness") {
            const double f = readFileNumber(value);
            if (f > 0 && f != UNSET_BOUND)
                o.fineness = f;
        } else if (key == "defscale") {
            if (value.size() <= MAX_DEFSCALE && readFileNumber(value) != UNSET_BOUND)
                o.defscale = value;
        } else if (key == "tstart" || key == "tstop") {
            const double t = readFileNumber(value);
            if (t != UNSET_BOUND)
                (key == "tstart" ? g.tstart : g.tstop) = t;
        } else if (key == "labels") {
            const bool on = readSwitch(value);
            if (on != doc_.showLabels)
                doc_.pending |= PENDING_RELAYOUT;
            doc_.showLabels = on;
        } else {
            programKey(key, value);
        }
    }

    void programKey(const std::string& key, const std::string& value)
    {
        ProgramOptions& o = programOptions();
        if (key == "autoredraw") {
            o.autoredraw = readSwitch(value);
        } else if (key == "maxeqs") {
            o.maxeqs = static_cast<std::int16_t>(std::clamp(readFileInteger(value), 1, MAX_OPTION_COUNT));
        } else if (key == "maxannote") {
            o.maxannote = static_cast<std::int16_t>(std::clamp(readFileInteger(value), 1, MAX_OPTION_COUNT));
        } else if (key == "autonum") {
            const int n = readFileInteger(value);
            o.autonum = static_cast<std::int16_t>(n > o.maxeqs ? o.maxeqs : n < 1 ? 0 : n);
        } else if (key == "autosquare") {
            o.autosquare = readSwitch(value);
        } else if (key == "tables") {
            o.tables = static_cast<std::uint16_t>(readSwitch(value) ? (o.tables | TABLES_ON) : (o.tables & ~TABLES_ON));
            doc_.pending |= PENDING_RELAYOUT;
        } else if (key == "tableopts") {
            o.tables = static_cast<std::uint16_t>((o.tables & TABLES_ON) | (readFileInteger(value) & ~TABLES_ON & 0xFFFF));
        } else if (key == "tableincr") {
            o.tableincr = readFileNumber(value);
        } else if (key == "warnings") {
            o.warnings = readSwitch(value);
            reportSettings().warnings = o.warnings;
        } else if (key == "drawdots") {
            o.drawdots = readSwitch(value);
        } else if (key == "intflags") {
            o.intflags = static_cast<std::uint8_t>(readFileInteger(value) & 0xFF);
        } else if (key == "intnumseg") {
            // No segments at all would leave the integration nothing to divide the interval into.
            o.intnumseg = static_cast<std::uint16_t>(std::clamp(readFileInteger(value), 1, 0xFFFF));
        } else if (key == "color") {
            const std::string v = lower(value);
            const int choice = v == "mono" ? CHOICE_MONOCHROME : v == "2" ? CHOICE_WHITE : v == "3" ? CHOICE_BLACK : -1;
            if (choice < 0)
                return;
            o.colourScheme = BUILTIN_SCHEMES[choice];
            o.colourChoice = static_cast<std::int8_t>(choice);
        } else if (key == "ylegpos") {
            o.ylegpos = lower(value) == "center" ? YLEGPOS_CENTRED : YLEGPOS_NORMAL;
        } else if (key == "hogcpu") {
            o.hogCPU = readSwitch(value);
        } else if (key == "winpos") {
            if (!windowPosition(value))
                return;
        } else if (key == "mono") {
            if (readSwitch(value))
                o.colourChoice = CHOICE_MONOCHROME;
            else if (o.colourChoice == CHOICE_MONOCHROME)
                o.colourChoice = -1;
        } else if (key == "widelines") {
            o.widelines = readSwitch(value);
        } else if (key == "scrollbars") {
            const bool on = readSwitch(value);
            if (on != o.scrollbars) {
                o.scrollbars = on;
                doc_.pending |= PENDING_RESIZE_MAIN;
                graphFileHost().scrollbarsChanged(on);
            }
        } else if (key == "copygraphs") {
            o.copygraphs = COPY_GRAPHS_BASE + readFileInteger(value);
        } else if (key == "tablecols") {
            const int n = readFileInteger(value);
            if (n < 1 || n > 4)
                return;
            o.tablecols = static_cast<std::int16_t>(n);
        } else {
            return;
        }
        touched(key == "hogcpu" ? "hogCPU" : key);
    }

    // "left,top,right,bottom": all four integers or nothing.
    bool windowPosition(const std::string& value)
    {
        int v[4];
        std::size_t start = 0;
        for (int i = 0; i < 4; ++i) {
            const std::size_t comma = value.find(',', start);
            if (i < 3 && comma == std::string::npos)
                return false;
            const std::string field = value.substr(start, i < 3 ? comma - start : std::string::npos);
            if (trim(field).empty())
                return false;
            v[i] = readFileInteger(field);
            start = comma + 1;
        }
        doc_.grid.selection = SelectionRect{v[0], v[1], v[2], v[3]};
        doc_.pending |= PENDING_RELAYOUT;
        return true;
    }

    void colourKey(const std::string& key, const std::string& value)
    {
        int slot = -1;
        for (int i = 0; i < 6; ++i)
            if (key == COLOUR_ELEMENT_KEYS[i])
                slot = i;
        if (slot < 0 && startsWith(key, "graph")) {
            const std::string rest = key.substr(5);
            const std::size_t digit = rest.find_first_of("0123456789");
            if (digit == std::string::npos)
                return;
            const int n = readFileInteger(rest);
            if (n < -5 || n > 6)  // graph0 to graph6 are scheme slots 6 to 12; compared before adding
                return;
            slot = n + 6;
        }
        if (slot < 0)
            return;
        programOptions().colourScheme[slot] = static_cast<std::uint8_t>(readFileInteger(value));
        touched("colors");
    }

    void annotationKey(const std::string& key, const std::string& value)
    {
        const int limit = std::min<int>(static_cast<int>(doc_.annotations.size()), programOptions().maxannote);
        if (doc_.annotationCount >= limit)
            return;
        Annotation& a = doc_.annotations[doc_.annotationCount];
        if (startsWith(key, "text")) {
            a.text = cut(value, MAX_ANNOTATION_FILE_TEXT);
            ++doc_.annotationCount;
        } else if (startsWith(key, "x")) {
            a.x = readFileNumber(value);
        } else if (startsWith(key, "y")) {
            a.y = readFileNumber(value);
        }
    }

    void fontKey(const std::string& key, const std::string& value)
    {
        int role = -1;
        for (int i = 0; i < FONT_ROLE_COUNT; ++i)
            if (key == FONT_ROLE_KEYS[i])
                role = i;
        if (role < 0)
            return;
        int fields[13];
        std::size_t start = 0;
        for (int i = 0; i < 13; ++i) {
            const std::size_t comma = value.find(',', start);
            if (comma == std::string::npos)
                return;  // fewer than fourteen fields
            fields[i] = readFileInteger(value.substr(start, comma - start));
            start = comma + 1;
        }
        LogicalFont f;
        f.height = fields[0];
        f.width = fields[1];
        f.escapement = fields[2];
        f.orientation = fields[3];
        f.weight = fields[4];
        f.italic = static_cast<std::uint8_t>(fields[5]);
        f.underline = static_cast<std::uint8_t>(fields[6]);
        f.strikeOut = static_cast<std::uint8_t>(fields[7]);
        f.charSet = static_cast<std::uint8_t>(fields[8]);
        f.outPrecision = static_cast<std::uint8_t>(fields[9]);
        f.clipPrecision = static_cast<std::uint8_t>(fields[10]);
        f.quality = static_cast<std::uint8_t>(fields[11]);
        f.pitchAndFamily = static_cast<std::uint8_t>(fields[12]);
        f.faceName = cut(value.substr(value.rfind(',') + 1), MAX_FONT_FACE);
        GridFont* slot;
        GraphDoc* owner = nullptr;
        if (role < WINDOW_FONT_COUNT) {
            slot = &programOptions().windowFonts[role];
            touched(std::string("font.") + FONT_ROLE_KEYS[role]);
        } else {
            slot = &doc_.fonts[role - WINDOW_FONT_COUNT];
            owner = &doc_;
        }
        if (role == WINDOW_FONT_COUNT + FONT_LEFTLBL || role == WINDOW_FONT_COUNT + FONT_RIGHTLBL)
            f.escapement = f.orientation = 0;  // the rotation is applied when the font is created
        slot->font = f;
        slot->customized = 'y';
        graphFileHost().fontRead(owner, role);
    }

    void printingKey(const std::string& key, const std::string& value)
    {
        std::uint32_t& p = programOptions().printOptions;
        const bool on = readSwitch(value);
        auto setBit = [&](std::uint32_t bit) { p = on ? (p | bit) : (p & ~bit); };
        if (key == "mono") {
            setBit(PRINT_MONO);
        } else if (key == "draft") {
            p = on ? ((p | PRINT_DRAFT) & ~PRINT_NOT_DRAFT) : ((p | PRINT_NOT_DRAFT) & ~PRINT_DRAFT);
        } else if (key == "widelines") {
            setBit(PRINT_WIDE_LINES);
        } else if (key == "eqlist") {
            setBit(PRINT_EQUATION_LIST);
        } else {
            static const char* const MARGINS[4] = {"lmargin", "tmargin", "rmargin", "bmargin"};
            for (int i = 0; i < 4; ++i)
                if (key == MARGINS[i])
                    doc_.margins[i] = readFileInteger(value);
            return;
        }
        touched("printing");
    }

    GraphDoc& doc_;
    std::set<std::string>* keys_;
    Section section_ = Section::None;
};

// ---- writing ----

class Writer {
public:
    void line(const std::string& s) { out += s + "\n"; }
    void key(const char* k, const std::string& v)
    {
        if (!v.empty())
            line(std::string(k) + "=" + v);
    }
    void integer(const char* k, long long v) { line(std::string(k) + "=" + std::to_string(v)); }
    void number(const char* k, double v) { key(k, numberText(v)); }
    void onOff(const char* k, bool on) { key(k, on ? "on" : "off"); }

    // An unset value reads back as unset from "auto" (a printed infinity would too, less plainly).
    static std::string numberText(double v)
    {
        if (!std::isfinite(v))
            return "auto";
        return printNumber("%.8g", v);
    }

    std::string out;
};

std::string fontText(const LogicalFont& f)
{
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%s", f.height, f.width, f.escapement,
                  f.orientation, f.weight, f.italic, f.underline, f.strikeOut, f.charSet, f.outPrecision,
                  f.clipPrecision, f.quality, f.pitchAndFamily, cut(f.faceName, MAX_FONT_FACE).c_str());
    return buffer;
}

void writeGrid(Writer& w, const GraphDoc& doc)
{
    const GridSetup& g = doc.grid;
    w.line("");
    w.line("[grid]");
    w.number("left", g.xMin);
    w.number("right", g.xMax);
    const bool known = std::isfinite(g.yMin) && std::isfinite(g.yMax) && std::isfinite(g.xMin) && std::isfinite(g.xMax);
    const bool square = known && g.isSquare(documentProgram().pixelAspect);
    if (programOptions().autosquare && square && g.yMin == -g.yMax) {
        w.key("top", "auto");
        w.key("bottom", "auto");
        return;
    }
    w.number("top", g.yMax);
    if (!square || g.logX() || g.logY())
        w.number("bottom", g.yMin);
    else
        w.key("bottom", "auto");
}

// Two digits hold the usual bases (10, 2, 16, 1.5); a base typed with more digits keeps them, so that
// the paper a document is opened with is the one it was saved with.
std::string baseText(double base)
{
    const std::string shortForm = printNumber("%.2g", base);
    return std::strtod(shortForm.c_str(), nullptr) == base ? shortForm : printNumber("%.8g", base);
}

void writeDocumentOptions(Writer& w, const GraphDoc& doc)
{
    const GridSetup& g = doc.grid;
    const ProgramOptions& o = programOptions();
    if (g.paperFlags & PAPER_POLAR) {
        w.key("paper", "polar");
    } else if (g.paperFlags & PAPER_TRIG) {
        w.key("paper", "trig");
    } else if (g.logY()) {
        const char c = g.logX() ? 'l' : 's';
        if (g.logBase == E_CONSTANT)
            w.line(std::string("paper=") + c + "log e");
        else
            w.line(std::string("paper=") + c + "log " + baseText(g.logBase));
    }
    const char* detail = (g.paperFlags & PAPER_SOLID_GRID)   ? "solid"
                         : (g.paperFlags & PAPER_GRID_LINES) ? "grid"
                         : (g.paperFlags & PAPER_DOTS)       ? "dots"
                                                             : "none";
    w.key("detail", detail);
    w.integer("axes", g.paperFlags & AXES_FLAGS);
    if (!(g.legendFlags & LEGENDS_ON) || (g.legendFlags & (LEGENDS_CUSTOM | LEGENDS_SCALE))) {
        const bool custom = (g.legendFlags & LEGENDS_ON) != 0;
        w.key("legends", !custom ? "off" : (g.legendFlags & LEGENDS_SCALE) ? "scale" : "custom");
        if (custom) {
            w.number("xlegspace", g.xLegendSpacing);
            w.number("ylegspace", g.yLegendSpacing);
        }
    }
    if (o.fineness != 1)
        w.number("fineness", o.fineness);
    if (o.defscale != "2")
        w.key("defscale", o.defscale);
    if (g.tstart != 0)
        w.number("tstart", g.tstart);
    if (g.tstop != DEFAULT_TSTOP)
        w.number("tstop", g.tstop);
}

void writeProgramOptions(Writer& w)
{
    const ProgramOptions& o = programOptions();
    if (!o.autoredraw)
        w.onOff("autoredraw", false);
    if (o.maxeqs != 25)
        w.integer("maxeqs", o.maxeqs);
    if (o.maxannote != 10)
        w.integer("maxannote", o.maxannote);
    if (o.autonum != o.maxeqs)
        w.integer("autonum", o.autonum);
    if (!o.autosquare)
        w.onOff("autosquare", false);
    if (o.tables != TABLES_DEFAULT) {
        w.onOff("tables", (o.tables & TABLES_ON) != 0);
        w.integer("tableopts", o.tables & ~TABLES_ON);
        w.number("tableincr", o.tableincr);
    }
    if (o.warnings)
        w.onOff("warnings", true);
    if (o.drawdots)
        w.onOff("drawdots", true);
    if (o.intflags != 25)
        w.integer("intflags", o.intflags);
    if (o.intnumseg != 100)
        w.integer("intnumseg", o.intnumseg);
    if (o.colourChoice == CHOICE_MONOCHROME)
        w.key("color", "mono");
    else if (o.colourChoice == CHOICE_WHITE)
        w.key("color", "2");
    else if (o.colourChoice == CHOICE_BLACK)
        w.key("color", "3");
    if (o.ylegpos == YLEGPOS_CENTRED)
        w.key("ylegpos", "center");
}

void writeProgramWindowOptions(Writer& w)
{
    const ProgramOptions& o = programOptions();
    const SelectionRect r = graphFileHost().mainWindowRect();
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "winpos=%d,%d,%d,%d", r.left, r.top, r.right, r.bottom);
    w.line(buffer);
    if (o.hogCPU)
        w.onOff("hogCPU", true);
    if (o.widelines)
        w.onOff("widelines", true);
    if (o.scrollbars)
        w.onOff("scrollbars", true);
    if (o.copygraphs != COPY_GRAPHS_DEFAULT)
        w.integer("copygraphs", static_cast<long long>(o.copygraphs) - COPY_GRAPHS_BASE);
    if (o.tablecols != 3)
        w.integer("tablecols", o.tablecols);
}

void writeFonts(Writer& w, const GraphDoc& doc, int kind)
{
    std::vector<std::string> lines;
    const int first = kind == FILE_SETUP ? 0 : WINDOW_FONT_COUNT;
    for (int role = first; role < FONT_ROLE_COUNT; ++role) {
        const GridFont& f = role < WINDOW_FONT_COUNT ? programOptions().windowFonts[role]
                                                     : doc.fonts[role - WINDOW_FONT_COUNT];
        if (f.customized == 'y')
            lines.push_back(std::string(FONT_ROLE_KEYS[role]) + "=" + fontText(f.font));
    }
    if (lines.empty())
        return;
    w.line("");
    w.line("[fonts]");
    for (const std::string& l : lines)
        w.line(l);
}

void writePrinting(Writer& w, const GraphDoc& doc, int kind)
{
    const std::uint32_t p = programOptions().printOptions;
    const bool switches = kind == FILE_SETUP && p != PRINT_DEFAULT;
    const bool margins = std::any_of(doc.margins.begin(), doc.margins.end(), [](std::int32_t m) { return m != 500; });
    if (!switches && !margins)
        return;
    w.line("");
    w.line("[printing]");
    if (switches) {
        w.onOff("mono", (p & PRINT_MONO) != 0);
        w.onOff("draft", (p & PRINT_DRAFT) != 0);
        w.onOff("widelines", (p & PRINT_WIDE_LINES) != 0);
        w.onOff("eqlist", (p & PRINT_EQUATION_LIST) != 0);
    }
    if (margins) {
        w.integer("lmargin", doc.margins[0]);
        w.integer("rmargin", doc.margins[2]);
        w.integer("tmargin", doc.margins[1]);
        w.integer("bmargin", doc.margins[3]);
    }
}

void writeColours(Writer& w)
{
    const auto& scheme = programOptions().colourScheme;
    for (const auto& builtin : BUILTIN_SCHEMES)
        if (builtin == scheme)
            return;
    w.line("");
    w.line("[colors]");
    for (int i = 0; i < 6; ++i)
        w.integer(COLOUR_ELEMENT_KEYS[i], scheme[i]);
    for (int n = 0; n < 7; ++n)
        w.integer(("graph" + std::to_string(n)).c_str(), scheme[n + 6]);
}

std::string temporaryPathBeside(const std::string& path)
{
    std::error_code ec;
    for (int i = 0; i < 100; ++i) {
        std::string candidate = path + ".~qv" + std::to_string(i);
        if (!std::filesystem::exists(candidate, ec) && !ec)
            return candidate;
    }
    return {};
}

// Writes data to a new file beside path and renames it over path once it is complete on disk.
bool replaceFile(const std::string& path, const std::string& data)
{
    const std::string temporary = temporaryPathBeside(path);
    if (temporary.empty())
        return false;
    std::FILE* f = std::fopen(temporary.c_str(), "w");  // text: lines end as the platform's do
    if (!f)
        return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    std::error_code ec;
    if (ok) {
        std::filesystem::rename(temporary, path, ec);
        ok = !ec;
    }
    if (!ok)
        std::filesystem::remove(temporary, ec);
    return ok;
}

std::string directoryOf(const std::string& path)
{
    const std::size_t sep = path.find_last_of("\\/");
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

}  // namespace

GraphFileHost& graphFileHost() { return g_host ? *g_host : g_defaultHost; }
void installGraphFileHost(GraphFileHost* host) { g_host = host; }

double readFileNumber(const std::string& text)
{
    bool digit = false;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (!std::strchr("+-.Ee", c) || c == '\0')
            return UNSET_BOUND;
    }
    if (!digit)
        return UNSET_BOUND;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v))
        return UNSET_BOUND;
    return v;
}

int readFileInteger(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        v = std::min<long long>(v * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
    if (negative)
        v = -v;
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

int readGraphFile(GraphDoc& doc, const std::string& path, int mode, std::set<std::string>* programKeys)
{
    std::string data;
    if (!readWholeFile(path, data)) {
        if (!(mode & READ_QUIET))
            userInterface().messageBox(withPath(MSG_CANNOT_OPEN, path));
        return READ_FAILED;
    }
    if (mode & READ_MERGE)
        doc.modified = true;
    else
        doc.modified = false;
    if (!(mode & (READ_QUIET | READ_MERGE)))
        setPath(doc, path);
    doc.grid.selection = SelectionRect{};

    const std::vector<std::string> lines = splitLines(data);
    data.clear();
    Reader reader(doc, programKeys);
    std::size_t i = 0;
    while (i < lines.size() && !reader.line(lines[i]))
        ++i;
    int count = 0, added = 0;
    for (++i; i < lines.size(); ++i) {
        const std::string text = trimRight(lines[i]);
        if (text.empty())
            continue;
        ++count;
        added += addFileLine(doc, text) ? 1 : 0;
    }
    if ((mode & READ_MERGE) && added > 0)
        forgetRangeSnapshots();

    SelectionRect& r = doc.grid.selection;
    if (r.left != r.right) {
        graphFileHost().moveMainWindow(r);
        documentProgram().viewOrNone().relayoutMainWindow();
        r = SelectionRect{};
    }
    return count;
}

std::string graphFileText(const GraphDoc& doc, int kind)
{
    Writer w;
    if (kind == FILE_DOCUMENT_WITH_SETTINGS)
        w.line("[saved-setup]");
    if (kind != FILE_SETUP) {
        w.line("[labels]");
        w.key("title", doc.title);
        w.key("left", doc.leftLabel);
        w.key("right", doc.rightLabel);
        w.key("xaxis", doc.xAxisName);
        w.key("yaxis", doc.yAxisName);
        if (doc.annotationCount > 0) {
            w.line("[annotations]");
            const int n = std::min<int>(doc.annotationCount, static_cast<int>(doc.annotations.size()));
            for (int i = 0; i < n; ++i) {
                const Annotation& a = doc.annotations[i];
                char position[96];
                std::snprintf(position, sizeof position, "x%d = %.4g", i, a.x);
                w.line(position);
                std::snprintf(position, sizeof position, "y%d = %.4g", i, a.y);
                w.line(position);
                std::snprintf(position, sizeof position, "text%d = ", i);
                w.line(position + a.text);
            }
        }
    }
    if (kind != FILE_PLAIN_DOCUMENT) {
        writeGrid(w, doc);
        w.line("");
        w.line("[options]");
        writeDocumentOptions(w, doc);
        if (kind == FILE_SETUP)
            writeProgramOptions(w);
        if (doc.showLabels)
            w.onOff("labels", true);
        if (kind == FILE_SETUP)
            writeProgramWindowOptions(w);
        writeFonts(w, doc, kind);
        writePrinting(w, doc, kind);
        if (kind == FILE_SETUP)
            writeColours(w);
    }
    if (kind != FILE_SETUP && doc.queueHead) {
        w.line("");
        w.line("[equations]");
        for (const Equation* e = doc.queueHead; e; e = e->next)
            w.line(e->text);
    }
    return w.out;
}

bool writeGraphFile(GraphDoc& doc, const std::string& path, int kind)
{
    if (kind != FILE_PLAIN_DOCUMENT && kind != FILE_DOCUMENT_WITH_SETTINGS && kind != FILE_SETUP)
        return false;
    if (!replaceFile(path, graphFileText(doc, kind))) {
        userInterface().messageBox(withPath(MSG_CANNOT_WRITE, path));
        return false;
    }
    doc.savedSetup = kind == FILE_DOCUMENT_WITH_SETTINGS;
    if (kind != FILE_SETUP)
        doc.modified = false;
    const std::string shown = kind == FILE_SETUP ? path : std::string(doc.name());
    userInterface().statusLine(withPath(MSG_SAVED, shown), MESSAGE_INFORMATION);
    return true;
}

void initFilePaths(const std::string& programPath, const std::vector<std::string>& arguments)
{
    g_programDirectory = directoryOf(programPath);
    std::string setup;
    bool given = false;
    for (const std::string& a : arguments)
        if (startsWith(a, "/i:")) {
            setup = a.substr(3);
            given = true;
        }
    if (!given || setup.empty()) {
        g_setupFilePath = g_programDirectory + SETUP_FILE_NAME;
        return;
    }
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(setup), ec);
    g_setupFilePath = ec ? setup : absolute.string();
}

const std::string& programDirectory() { return g_programDirectory; }
const std::string& setupFilePath() { return g_setupFilePath; }

}  // namespace qv
