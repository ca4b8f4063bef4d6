// The Printout window: a scrolling log beside the graph that receives the coordinate tables the
// plotters compute while they draw, and the point evaluations. This module owns the table layout:
// headers by graph kind, graphs sharing one table in columns, rows aligned by position. The shell's
// list box implements PrintoutList; tests use a recording one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "doc/equation.h"

namespace qv {

struct GraphDoc;

class PrintoutList {
public:
    virtual ~PrintoutList() = default;
    virtual int count() const = 0;
    virtual std::string line(int index) const = 0;
    // Inserts before index (index -1 or count(): appends). Returns the new line's index, or -1 when
    // the list is out of space.
    virtual int insert(int index, const std::string& text) = 0;
    virtual void remove(int index) = 0;
    virtual void clear() = 0;
    virtual void select(int /*index*/) {}  // scrolls the line into view
};

// A Printout kept in memory, for the command line and for tests; with a capacity, it runs out of
// space as the list box does.
class LinesPrintout final : public PrintoutList {
public:
    explicit LinesPrintout(std::size_t capacity = static_cast<std::size_t>(-1)) : capacity_(capacity) {}
    int count() const override { return int(lines.size()); }
    std::string line(int index) const override { return lines.at(std::size_t(index)); }
    int insert(int index, const std::string& text) override;
    void remove(int index) override { lines.erase(lines.begin() + index); }
    void clear() override { lines.clear(); }
    std::vector<std::string> lines;

private:
    std::size_t capacity_;
};

enum class RowStatus { Value, Error, Skipped };

// The program name and version every table and point evaluation starts with.
constexpr char PRINTOUT_BANNER[] = "Quorvex for Win32 1.60e - coordinate tables";

struct TableState {
    std::uint16_t key = 0xFFFF;  // GraphKind in the high byte, TwoBranches and FunctionOfY in the low
    int graphs = 0;
    int headerIndex = -1;
    int endIndex = -1;
    int insertionIndex = -1;
    int firstGraphSkips = -1;
    int positionCounter = 0;
    bool newTable = true;
};

// Program-wide Printout state; the list is the shell's (or a test's). Without a list nothing is logged.
struct Printout {
    PrintoutList* list = nullptr;
    TableState table;
    int charactersPerLine = 40;  // 210 or 260 pixels over the average character width of the tables font
    int tableColumns = 3;        // "tablecols"
};
Printout& printout();

int printoutAdd(const std::string& line);
void printoutAppendTo(int index, const std::string& text);
void printoutWrapped(const std::string& text);
void printoutReset();
void printoutDetach();

void startTable(const Equation& eq, int family, double familyValue = 0);
void startSecondBranch(const Equation& eq);
void addRow(double x, double value, RowStatus status);
void endTable(const Equation& eq);

// An equation text broken into Printout lines as the expression printer wraps long equations.
std::vector<std::string> wrapForPrintout(const std::string& text, int width);

// Status-bar read-outs of the mouse tools.
std::string pointReadout(const GraphDoc& doc, int px, int py, const Equation* eq);
std::string initialValueReadout(double x, double y, double pointerX, double pointerY);

}  // namespace qv
