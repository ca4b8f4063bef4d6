#include "analysis/printout.h"

#include <cstdio>

#include "doc/graph_doc.h"
#include "expr/number_format.h"
#include "expr/report.h"
#include "expr/wrap.h"

namespace qv {

namespace {

constexpr char FIRST_DASHES[] = "---------";
constexpr char COLUMN_DASHES[] = "\t------------";
constexpr double ONE_OVER_PI = 0.3183098861827565;

TableState& state() { return printout().table; }

std::uint16_t tableKey(const Equation& eq)
{
    return static_cast<std::uint16_t>((eq.flags & 0xFF00) | (eq.flags & (eqflag::TwoBranches | eqflag::FunctionOfY)));
}

GraphKind keyKind(std::uint16_t key) { return static_cast<GraphKind>(key >> 8); }
bool keyFunctionOfY(std::uint16_t key) { return (key & eqflag::FunctionOfY) != 0; }

// Removes the oldest line; the table's indices follow it.
void removeTopLine()
{
    PrintoutList* list = printout().list;
    list->remove(0);
    TableState& t = state();
    for (int* index : {&t.insertionIndex, &t.headerIndex, &t.endIndex})
        if (*index != -1)
            --*index;
}

// Inserts at index (-1 appends), making room at the top while the list is out of space.
int insertLine(int& index, const std::string& text)
{
    PrintoutList* list = printout().list;
    for (;;) {
        int at = list->insert(index, text);
        if (at >= 0)
            return at;
        if (list->count() == 0)
            return -1;
        const bool appending = index == -1;
        removeTopLine();
        if (!appending && index > 0)
            --index;
        else if (!appending)
            return -1;  // the line that was to follow is gone
    }
}

std::string repeatDashes(int columns)
{
    std::string s = FIRST_DASHES;
    for (int i = 0; i < columns; ++i)
        s += COLUMN_DASHES;
    return s;
}

struct Header {
    std::string columns;  // empty: no header
    int dashes = 0;       // columns after the first in the dashed line; 0: no dashed line
};

Header headerFor(const Equation& eq)
{
    const bool ofY = (eq.flags & eqflag::FunctionOfY) != 0;
    switch (eq.kind()) {
    case GraphKind::Polar:
        return {"theta\tr\tx\t y", 3};
    case GraphKind::Parametric:
        return {"t\tx\ty", 2};
    case GraphKind::Ode:
        if (eq.ivs.empty() || eq.ivs[0] == UNDEFINED_VALUE)
            return {};
        [[fallthrough]];
    case GraphKind::OdePhase:
        return {ofY ? "x\ty\tdy/dx" : "t\tx\tdx/dt", 2};
    case GraphKind::OdeSystem:
    case GraphKind::OdeSystemPhase: {
        const int n = eq.order;
        std::string h = ofY ? "t\tx1\tx2" : "t\tx\ty";
        const char* more[2] = {ofY ? "x3" : "z", ofY ? "x4" : "w"};
        if (n > 2)
            h += std::string("\t") + more[0];
        if (n == 4)
            h += std::string("\t") + more[1];
        return {h, n};
    }
    case GraphKind::Cartesian:
        return {independentVariable(eq) == 'x' ? "x\ty" : "y\tx", 1};
    default:
        return {independentVariable(eq) == 'x' ? "x\ty" : "y\tx", 0};
    }
}

std::string formatOne(const char* templ, double value) { return formatMessage(templ, {MessageArg(value)}); }

// Adds the lines of an equation's text at the insertion point, advancing it; returns the last index.
int addWrappedAt(const std::string& text, bool shiftTable)
{
    TableState& t = state();
    int last = -1;
    for (const std::string& piece : wrapForPrintout(text, printout().charactersPerLine)) {
        last = printoutAdd(piece);
        if (last < 0)
            continue;
        if (t.insertionIndex != -1)
            ++t.insertionIndex;
        if (shiftTable) {
            ++t.headerIndex;
            ++t.endIndex;
        }
    }
    return last;
}

}  // namespace

std::vector<std::string> wrapForPrintout(const std::string& text, int width)
{
    std::string wrapped;
    wrapText(wrapped, text, width);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at; (at = wrapped.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(wrapped.substr(start, at - start));
    lines.push_back(wrapped.substr(start));
    return lines;
}

int LinesPrintout::insert(int index, const std::string& text)
{
    if (lines.size() >= capacity_)
        return -1;
    if (index < 0 || index > count())
        index = count();
    lines.insert(lines.begin() + index, text);
    return index;
}

Printout& printout()
{
    static Printout p;
    return p;
}

int printoutAdd(const std::string& line)
{
    PrintoutList* list = printout().list;
    if (!list)
        return -1;
    int at = insertLine(state().insertionIndex, line);
    if (at >= 0)
        list->select(at);
    return at;
}

void printoutAppendTo(int index, const std::string& text)
{
    PrintoutList* list = printout().list;
    if (!list || index < 0 || index >= list->count())
        return;
    std::string replaced = list->line(index) + text;
    list->remove(index);
    insertLine(index, replaced);
}

void printoutWrapped(const std::string& text)
{
    for (const std::string& piece : wrapForPrintout(text, printout().charactersPerLine))
        printoutAdd(piece);
}

void printoutDetach()
{
    TableState& t = state();
    t.headerIndex = -1;
    t.insertionIndex = -1;
    t.newTable = true;
}

void printoutReset()
{
    if (PrintoutList* list = printout().list)
        list->clear();
    printoutDetach();
}

void startTable(const Equation& eq, int family, double familyValue)
{
    if (!printout().list)
        return;
    TableState& t = state();
    const std::uint16_t key = tableKey(eq);
    const bool isFamily = family != 0;
    if (key != t.key || t.graphs >= printout().tableColumns || t.newTable || family == 2 || t.headerIndex < 0) {
        t.newTable = false;
        t.insertionIndex = -1;
        t.key = key;
        t.graphs = 1;
        printoutAdd(PRINTOUT_BANNER);
        printoutAdd("Equation(s): ");
        printoutWrapped(eq.text);
        if (isFamily)
            printoutAdd(formatOne("   a = %X", familyValue));
        const Header h = headerFor(eq);
        t.headerIndex = -1;
        if (!h.columns.empty()) {
            t.headerIndex = printoutAdd(h.columns);
            if (h.dashes > 0)
                t.headerIndex = printoutAdd(repeatDashes(h.dashes));
        }
        if (eq.kind() == GraphKind::Cartesian) {
            t.firstGraphSkips = -1;
            t.endIndex = t.insertionIndex = t.headerIndex + 1;
        }
    } else {
        const int g = ++t.graphs;
        if (g == 2) {
            printoutAppendTo(t.headerIndex - 2, " (1)");
            printoutAppendTo(t.headerIndex - 1, "1");
        }
        // The new equation's lines go above the column header.
        t.insertionIndex = t.headerIndex - 1;
        int last;
        if (isFamily) {
            last = printoutAdd(formatOne("   a = %X", familyValue));
            if (last >= 0) {
                ++t.insertionIndex;
                ++t.headerIndex;
                ++t.endIndex;
            }
        } else {
            last = addWrappedAt(eq.text, true);
        }
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, " (%d)", g);
        printoutAppendTo(last, buffer);
        std::snprintf(buffer, sizeof buffer, "\t%c%d", keyFunctionOfY(key) ? 'x' : 'y', g);
        printoutAppendTo(t.headerIndex - 1, buffer);
        printoutAppendTo(t.headerIndex, COLUMN_DASHES);
        printoutAppendTo(t.endIndex, COLUMN_DASHES);
        t.insertionIndex = t.headerIndex + 1;
    }
    t.positionCounter = 0;
}

void startSecondBranch(const Equation& eq)
{
    if (!printout().list || eq.kind() != GraphKind::Cartesian || state().headerIndex < 0)
        return;
    TableState& t = state();
    t.insertionIndex = -1;
    printoutAdd(printout().list->line(t.headerIndex));
    printoutAdd("");
    ++t.graphs;
    t.firstGraphSkips = t.positionCounter;
    t.positionCounter = 0;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "1\t%c2", keyFunctionOfY(t.key) ? 'x' : 'y');
    printoutAppendTo(t.headerIndex - 1, buffer);
    printoutAppendTo(t.headerIndex, COLUMN_DASHES);
    printoutAppendTo(t.endIndex, COLUMN_DASHES);
    t.insertionIndex = t.headerIndex + 1;
}

void addRow(double x, double value, RowStatus status)
{
    PrintoutList* list = printout().list;
    TableState& t = state();
    if (!list || t.headerIndex < 0 || t.insertionIndex < 0)
        return;
    if (status == RowStatus::Skipped && (t.firstGraphSkips == -1 || t.positionCounter < t.firstGraphSkips)) {
        ++t.positionCounter;
        return;
    }
    const bool ofY = keyFunctionOfY(t.key);
    const int current = t.positionCounter + (t.insertionIndex - t.headerIndex);
    std::string row;
    if (t.insertionIndex < t.endIndex && current > t.firstGraphSkips) {
        row = list->line(t.insertionIndex) + "\t";
        list->remove(t.insertionIndex);
    } else {
        ++t.endIndex;
        row = formatOne(ofY ? "%Y" : "%X", x) + "\t";
        for (int i = 1; i < t.graphs; ++i)
            row += "-\t";
    }
    if (status == RowStatus::Skipped)
        row += "-";
    else if (status == RowStatus::Error)
        row += "Error";
    else
        row += formatOne(ofY ? "%x" : "%y", value);
    if (printoutAdd(row) >= 0)
        ++t.insertionIndex;
}

void endTable(const Equation& /*eq*/)
{
    PrintoutList* list = printout().list;
    TableState& t = state();
    if (!list)
        return;
    t.firstGraphSkips = t.positionCounter;
    if (t.headerIndex >= 0) {
        if (t.graphs > 1) {
            while (t.insertionIndex >= 0 && t.insertionIndex < t.endIndex) {
                printoutAppendTo(t.insertionIndex, "\t-");
                ++t.insertionIndex;
            }
        } else {
            t.insertionIndex = -1;
            printoutAdd(list->line(t.headerIndex));
            printoutAdd("");
        }
    }
    t.insertionIndex = -1;
    if (keyKind(t.key) != GraphKind::Cartesian || (t.key & eqflag::TwoBranches))
        t.newTable = true;
}

std::string pointReadout(const GraphDoc& doc, int px, int py, const Equation* eq)
{
    const double x = doc.grid.deviceToWorldX(px), y = doc.grid.deviceToWorldY(py);
    std::string text;
    if (doc.grid.paperFlags & PAPER_POLAR) {
        PolarPoint p = toPolar(x, y);
        text = formatMessage("At point (t=%Xpi, r=%Y)", {MessageArg(p.theta * ONE_OVER_PI), MessageArg(p.r)});
    } else {
        text = formatMessage("At point (%X, %Y)", {MessageArg(x), MessageArg(y)});
    }
    if (eq) {
        text += " on ";
        describeEquation(text, *eq);
    }
    return text;
}

std::string initialValueReadout(double x, double y, double pointerX, double pointerY)
{
    double slope;
    if (pointerX == x)
        slope = pointerY > y ? UNDEFINED_VALUE : -UNDEFINED_VALUE;
    else
        slope = (pointerY - y) / (pointerX - x);
    return formatMessage("IV point (%X, %Y) slope = %x", {MessageArg(x), MessageArg(y), MessageArg(slope)});
}

}  // namespace qv
