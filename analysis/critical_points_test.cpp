#include "analysis/critical_points.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "plot/graphing_fixture.h"

namespace qv {
namespace {

using namespace testing_bench;
using Lines = std::vector<std::string>;

class CriticalPointsTest : public GraphingTest {
protected:
    std::vector<std::string> messageBoxes() const
    {
        std::vector<std::string> out;
        for (const ShownMessage& m : ui.shown)
            if (m.kind == ShownMessage::MessageBox)
                out.push_back(m.text);
        return out;
    }
    void tablesOn()
    {
        printout().list = &table;
        programOptions().tables |= 1;
        printoutReset();
    }
    LinesPrintout table;
};

TEST_F(CriticalPointsTest, ZerosAndMinimumOfAParabola)
{
    layout(-10, 10);
    Equation* e = draw("y=x^2-4");
    EXPECT_EQ(listCriticalPoints(*doc, *e), (Lines{"Zero\t-2.0", "Min\t0\t-4.0", "Zero\t2.0"}));
    EXPECT_EQ(e->criticalFound, 3);
    EXPECT_TRUE(messageBoxes().empty());

    // Listed again without refining again: the same lines.
    const std::vector<CriticalPoint> refined = e->critical;
    EXPECT_EQ(listCriticalPoints(*doc, *e), (Lines{"Zero\t-2.0", "Min\t0\t-4.0", "Zero\t2.0"}));
    ASSERT_EQ(e->critical.size(), refined.size());
    for (std::size_t i = 0; i < refined.size(); ++i)
        EXPECT_EQ(e->critical[i].x, refined[i].x);
}

TEST_F(CriticalPointsTest, ResultsGoToThePointTable)
{
    layout(-10, 10);
    Equation* e = draw("y=x^2-4");
    tablesOn();
    announceCriticalPoints(*doc, *e);
    ASSERT_FALSE(ui.shown.empty());
    EXPECT_EQ(ui.shown.back().kind, ShownMessage::StatusLine);
    EXPECT_EQ(ui.shown.back().text, "Find Critical Points: \xFE\x81y=x^2-4");
    EXPECT_EQ(ui.shown.back().category, MESSAGE_INFORMATION);
    listCriticalPoints(*doc, *e);
    EXPECT_EQ(table.lines, (Lines{PRINTOUT_BANNER, "Find Critical Points: ", "y=x^2-4", "Type\tx\ty",
                                  "---------\t------------\t------------", "Zero\t-2.0", "Min\t0\t-4.0", "Zero\t2.0"}));
}

TEST_F(CriticalPointsTest, FunctionOfYListsItsOwnLetters)
{
    layout(-10, 10);
    Equation* e = draw("x=y^2+y");
    ASSERT_TRUE(e->flags & eqflag::FunctionOfY);
    tablesOn();
    EXPECT_EQ(listCriticalPoints(*doc, *e), (Lines{"Zero\t-1.0", "Min\t-0.5\t-0.25", "Zero\t0"}));
    EXPECT_EQ(table.lines.at(0), "Type\ty\tx");
}

TEST_F(CriticalPointsTest, MaximaAndMinimaOfASine)
{
    layout(-4, 4);
    Equation* e = draw("y=sin(x)");
    const Lines lines = listCriticalPoints(*doc, *e);
    EXPECT_EQ(lines, (Lines{"Zero\t-3.1416", "Min\t-1.5708\t-1.0", "Zero\t0", "Max\t1.5708\t1.0", "Zero\t3.1416"}));
}

TEST_F(CriticalPointsTest, NotDifferentiable)
{
    layout(-10, 10);
    Equation* e = draw("y=abs(x)");
    ASSERT_FALSE(e->critical.empty()) << "the turn at 0 is a candidate";
    ui.shown.clear();
    EXPECT_EQ(listCriticalPoints(*doc, *e), (Lines{"No critical points or zeros found for this equation."}));
    EXPECT_EQ(messageBoxes(),
              (Lines{"Cannot solve this equation using Newton's method; it doesn't appear to be differentiable."}));
}

TEST_F(CriticalPointsTest, NothingFound)
{
    Equation* e = draw("y=x+20");  // no zero on the grid, no turn
    EXPECT_TRUE(e->critical.empty());
    tablesOn();
    EXPECT_EQ(listCriticalPoints(*doc, *e), (Lines{"No critical points or zeros found for this equation."}));
    EXPECT_EQ(table.lines, (Lines{"No critical points or zeros found for this equation."}));
    EXPECT_TRUE(messageBoxes().empty());
}

TEST_F(CriticalPointsTest, DuplicatesAndFailuresAreDiscarded)
{
    layout(-10, 10);
    Equation* e = add("y=x^2-4");
    std::vector<CriticalPoint> list = {{1.9, 1}, {2.1, 1}, {-1.5, 1}, {-2.5, 1}, {3, 6}, {0.5, 0}};
    EXPECT_EQ(refineCriticalPoints(*doc, *e, list, critical::Both), 3);
    EXPECT_NEAR(list[0].x, 2, 1e-12);
    EXPECT_EQ(list[0].type, critical::Zero);
    EXPECT_EQ(list[1].type, critical::Discarded) << "the same root as the one before";
    EXPECT_NEAR(list[2].x, -2, 1e-12);
    EXPECT_EQ(list[3].type, critical::Discarded);
    EXPECT_NEAR(list[4].x, 0, 1e-12);
    EXPECT_EQ(list[4].type, critical::Minimum);
    EXPECT_EQ(list[5].type, critical::Discarded);

    // Only the entries of the mask are touched.
    std::vector<CriticalPoint> mixed = {{1.9, 1}, {3, 6}};
    EXPECT_EQ(refineCriticalPoints(*doc, *e, mixed, critical::Zero), 1);
    EXPECT_EQ(mixed[1].type, critical::Extremum);
    EXPECT_EQ(mixed[1].x, 3);

    // A slope of 0 where Newton starts: the evaluation's failure is reported and the entry dropped.
    std::vector<CriticalPoint> flat = {{0, 1}};
    ui.shown.clear();
    EXPECT_EQ(refineCriticalPoints(*doc, *e, flat, critical::Zero), 0);
    EXPECT_EQ(flat[0].type, critical::Discarded);

    std::vector<CriticalPoint> none;
    EXPECT_EQ(refineCriticalPoints(*doc, *e, none, critical::Both), 0);
}

TEST_F(CriticalPointsTest, MaximumOfACubic)
{
    layout(-5, 5);
    Equation* e = draw("y=x^3-3*x");
    EXPECT_EQ(listCriticalPoints(*doc, *e),
              (Lines{"Zero\t-1.7321", "Max\t-1.0\t2.0", "Zero\t0", "Min\t1.0\t-2.0", "Zero\t1.7321"}));
}

TEST_F(CriticalPointsTest, GuessFromTheUser)
{
    layout(-10, 10);
    Equation* e = draw("y=sin(x)");
    std::string line;
    EXPECT_TRUE(calculateCriticalPoint(*doc, *e, "100", true, line));
    EXPECT_EQ(line, "Zero\t100.531");
    EXPECT_TRUE(calculateCriticalPoint(*doc, *e, "p/3", false, line));
    EXPECT_EQ(line, "Max\t1.5708\t1.0");
    EXPECT_TRUE(calculateCriticalPoint(*doc, *e, "-2", false, line));
    EXPECT_EQ(line, "Min\t-1.5708\t-1.0");

    ui.shown.clear();
    EXPECT_FALSE(calculateCriticalPoint(*doc, *e, "x+1", true, line));
    EXPECT_EQ(line, "");
    EXPECT_EQ(messageBoxes(), (Lines{"This expression does not evaluate to a constant: x+1"}));
    ui.shown.clear();
    EXPECT_FALSE(calculateCriticalPoint(*doc, *e, "", true, line));
    EXPECT_EQ(messageBoxes(), (Lines{"This expression does not evaluate to a constant: "}));
}

TEST_F(CriticalPointsTest, GuessOnAFamilyUsesItsFirstMember)
{
    layout(-10, 10);
    Equation* e = draw("y=x^2-a {a: 4, 9, 5}");
    std::string line;
    EXPECT_TRUE(calculateCriticalPoint(*doc, *e, "5", true, line));
    EXPECT_EQ(line, "Zero\t2.0");
}

TEST_F(CriticalPointsTest, OnlyCartesianFunctionsAreOffered)
{
    CriticalPointsChoice choice = criticalPointEquations(*doc);
    EXPECT_TRUE(choice.equations.empty());
    EXPECT_EQ(messageBoxes(), (Lines{"Can't find critical points for any equations on screen. This feature only "
                                     "works for Cartesian functions."}));

    Equation* parabola = draw("y=x^2");
    draw("y^2=x+1");
    draw("y<x");
    add("r=2");
    Equation* ofY = draw("x=y^3");
    add("y=x^3");  // not drawn: no list yet
    ui.shown.clear();
    choice = criticalPointEquations(*doc);
    EXPECT_TRUE(messageBoxes().empty());
    EXPECT_EQ(choice.equations, (std::vector<Equation*>{ofY, parabola}));
    EXPECT_EQ(choice.selected, 0);
}

TEST(CriticalTypeNames, EveryType)
{
    EXPECT_STREQ(criticalTypeName(0), "None");
    EXPECT_STREQ(criticalTypeName(1), "Zero");
    EXPECT_STREQ(criticalTypeName(2), "Max");
    EXPECT_STREQ(criticalTypeName(4), "Min");
    EXPECT_STREQ(criticalTypeName(6), "??");
    EXPECT_STREQ(criticalTypeName(3), "??");
}

}  // namespace
}  // namespace qv
