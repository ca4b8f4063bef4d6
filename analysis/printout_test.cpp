#include "analysis/printout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "doc/graph_doc.h"
#include "expr/number_format.h"

namespace qv {
namespace {


Equation cartesian(const std::string& text, GraphKind kind = GraphKind::Cartesian, std::uint16_t flags = 0)
{
    Equation e;
    e.text = text;
    e.flags = flags;
    e.setKind(kind);
    return e;
}

class PrintoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        printout() = Printout{};
        printout().list = &list;
        printout().charactersPerLine = 60;
        setLabelDecimals({1, 2});
        printoutReset();
    }
    void TearDown() override { printout() = Printout{}; }
    void drawCartesian(const Equation& e, int firstPosition, int lastPosition, double (*f)(double))
    {
        startTable(e, 0);
        for (int p = 0; p <= 4; ++p) {
            if (p < firstPosition || p > lastPosition)
                addRow(p, 0, RowStatus::Skipped);
            else
                addRow(p, f(p), RowStatus::Value);
        }
        endTable(e);
    }
    LinesPrintout list;
};

TEST_F(PrintoutTest, OneCartesianGraphMakesAClosedTable)
{
    Equation e = cartesian("y=x^2");
    drawCartesian(e, 0, 2, [](double x) { return x * x; });
    EXPECT_EQ(list.lines, (std::vector<std::string>{PRINTOUT_BANNER, "Equation(s): ", "y=x^2", "x\ty",
                                                    "---------\t------------", "0\t0", "1.0\t1.0", "2.0\t4.0",
                                                    "---------\t------------", ""}));
}

TEST_F(PrintoutTest, TwoFunctionsShareATableAndAlignTheirRows)
{
    Equation first = cartesian("y=x");
    Equation second = cartesian("y=2x");
    drawCartesian(first, 2, 4, [](double x) { return x; });
    drawCartesian(second, 0, 3, [](double x) { return 2 * x; });
    EXPECT_EQ(list.lines, (std::vector<std::string>{PRINTOUT_BANNER, "Equation(s): ", "y=x (1)", "y=2x (2)",
                                                    "x\ty1\ty2", "---------\t------------\t------------",
                                                    "0\t-\t0", "1.0\t-\t2.0", "2.0\t2.0\t4.0",
                                                    "3.0\t3.0\t6.0", "4.0\t4.0\t-",
                                                    "---------\t------------\t------------", ""}));
}

TEST_F(PrintoutTest, ColumnLimitAndOtherKindsStartNewTables)
{
    printout().tableColumns = 2;
    Equation a = cartesian("y=1"), b = cartesian("y=2"), c = cartesian("y=3");
    for (Equation* e : {&a, &b, &c})
        drawCartesian(*e, 0, 1, [](double) { return 1.0; });
    int banners = 0;
    for (const std::string& l : list.lines)
        banners += l == PRINTOUT_BANNER;
    EXPECT_EQ(banners, 2);

    Equation polar = cartesian("r=2", GraphKind::Polar);
    startTable(polar, 0);
    printoutAdd("0.0\t2.00\t2.00\t 0.00");  // the polar plotter writes its own rows
    endTable(polar);
    EXPECT_EQ(list.lines[list.lines.size() - 5], "theta\tr\tx\t y");
    Equation after = cartesian("y=4");
    startTable(after, 0);
    EXPECT_EQ(list.lines[list.lines.size() - 5], PRINTOUT_BANNER) << "a Cartesian graph after a polar one";
}

TEST_F(PrintoutTest, SecondBranchAddsAColumn)
{
    Equation circle = cartesian("y^2=4-x^2", GraphKind::Cartesian, eqflag::TwoBranches);
    startTable(circle, 0);
    addRow(0, -2, RowStatus::Value);
    addRow(1, -1.7320508, RowStatus::Value);
    startSecondBranch(circle);
    addRow(0, 2, RowStatus::Value);
    addRow(1, 1.7320508, RowStatus::Value);
    endTable(circle);
    EXPECT_EQ(list.lines[3], "x\ty1\ty2");
    EXPECT_EQ(list.lines[4], "---------\t------------\t------------");
    EXPECT_EQ(list.lines[5], "0\t-2.0\t2.0");
    EXPECT_EQ(list.lines[6], "1.0\t-1.7321\t1.7321");
    Equation next = cartesian("y=x");
    startTable(next, 0);
    EXPECT_EQ(list.lines[list.lines.size() - 2], "x\ty") << "two-branch tables take no further graphs";
}

TEST_F(PrintoutTest, FamiliesAndErrors)
{
    Equation e = cartesian("y=a*x");
    startTable(e, 2, 1);
    addRow(0, 0, RowStatus::Error);
    endTable(e);
    startTable(e, 1, 2);
    addRow(0, 0, RowStatus::Value);
    endTable(e);
    EXPECT_EQ(list.lines[3], "   a = 1.0 (1)");
    EXPECT_EQ(list.lines[4], "   a = 2.0 (2)");
    EXPECT_EQ(list.lines[7], "0\tError\t0");
}

TEST_F(PrintoutTest, OutOfSpaceDropsTheOldestLinesAndKeepsTheTable)
{
    LinesPrintout small(12);
    printout().list = &small;
    Equation first = cartesian("y=x"), second = cartesian("y=-x");
    drawCartesian(first, 0, 4, [](double x) { return x; });
    drawCartesian(second, 0, 4, [](double x) { return -x; });
    ASSERT_EQ(small.lines.size(), 12u);
    EXPECT_EQ(small.lines.back(), "");
    EXPECT_EQ(small.lines[small.lines.size() - 3], "4.0\t4.0\t-4.0");
    EXPECT_EQ(small.lines[small.lines.size() - 7], "0\t0\t0");
}

TEST_F(PrintoutTest, LongEquationsAreWrappedAndMarkedOnTheirLastLine)
{
    printout().charactersPerLine = 12;
    Equation first = cartesian("y=x+x+x+sin(x)"), second = cartesian("y=1");
    drawCartesian(first, 0, 0, [](double x) { return x; });
    drawCartesian(second, 0, 0, [](double) { return 1.0; });
    EXPECT_EQ(list.lines[2], "y=x+x+x+sin");
    EXPECT_EQ(list.lines[3], "     (x) (1)");
    EXPECT_EQ(list.lines[4], "y=1 (2)");
}

TEST_F(PrintoutTest, Readouts)
{
    GraphDoc doc;
    doc.grid.layoutGraphArea(405, 405, LabelSpace{}, false);
    doc.grid.xMin = doc.grid.yMin = -10;
    doc.grid.xMax = doc.grid.yMax = 10;
    const int cx = (doc.grid.areaLeft + doc.grid.areaRight) / 2;
    EXPECT_EQ(pointReadout(doc, cx, cx, nullptr), "At point (0, 0)");
    doc.grid.paperFlags = (doc.grid.paperFlags & ~PAPER_KIND_MASK) | PAPER_POLAR;
    EXPECT_EQ(pointReadout(doc, doc.grid.areaLeft, cx, nullptr), "At point (t=1.0pi, r=10.0)");
    EXPECT_EQ(initialValueReadout(1, 2, 3, 6), "IV point (1.0, 2.0) slope = 2.0");
}

}  // namespace
}  // namespace qv
