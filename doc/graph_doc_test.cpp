#include "doc/graph_doc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/record/recording_ui.h"

namespace qv {
namespace {

class RecordingView : public DocumentView {
public:
    std::vector<std::string> list;  // the equation list mirror, newest first
    int repaints = 0, regridPosts = 0, relayouts = 0, printoutClears = 0;
    void listInsert(int index, const std::string& text) override { list.insert(list.begin() + index, text); }
    void listRemove(int index) override
    {
        if (index >= 0 && index < int(list.size()))
            list.erase(list.begin() + index);
    }
    void listClear() override { list.clear(); }
    void printoutClear() override { ++printoutClears; }
    void repaintGraphArea(GraphDoc&) override { ++repaints; }
    void postRedrawAfterRegrid(GraphDoc&) override { ++regridPosts; }
    void relayoutMainWindow() override { ++relayouts; }
    // The dialog runs a message loop: the windows' tail applies the pending updates meanwhile.
    bool gridRangeDialog(GridSetup& g) override
    {
        ++rangeDialogs;
        if (reenter)
            applyPendingUpdates(*reenter);
        g.yMin = 0.5;
        g.yMax = 50;
        return true;
    }
    int rangeDialogs = 0;
    GraphDoc* reenter = nullptr;
};

class RecordingDriver : public GraphingDriver {
public:
    std::vector<std::string> drawn;
    int abortAfter = -1;  // abort once this many equations were drawn
    int runs = 0, toolRedraws = 0;
    void beginDrawing(GraphDoc&) override { ++runs; }
    void graphEquation(GraphDoc& doc, Equation& e) override
    {
        if (e.flags & eqflag::OnGrid)
            return;
        drawn.push_back(e.text);
        e.flags |= eqflag::OnGrid;
        ++doc.onScreen;
    }
    bool aborted() const override { return abortAfter >= 0 && int(drawn.size()) >= abortAfter; }
    void redrawToolRecords(GraphDoc&) override { ++toolRedraws; }
};

Equation* cartesian(const std::string& text)
{
    Equation* e = newEquation();
    e->text = text;
    e->setKind(GraphKind::Cartesian);
    return e;
}

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DocumentProgram& p = documentProgram();
        p = DocumentProgram{};
        p.view = &view;
        p.driver = &driver;
        doc = createFromSetup();
        p.current = doc;
    }
    void TearDown() override
    {
        freeDocument(doc);
        documentProgram() = DocumentProgram{};
        setBlockMemoryLimit(static_cast<std::size_t>(-1));
    }
    std::vector<std::string> queueTexts() const
    {
        std::vector<std::string> out;
        for (Equation* e = doc->queueHead; e; e = e->next)
            out.push_back(e->text);
        return out;
    }
    RecordingView view;
    RecordingDriver driver;
    GraphDoc* doc = nullptr;
    ScopedRecordingUserInterface ui;
};

TEST_F(DocumentTest, FullQueueDropsItsOldestEquation)
{
    programOptions().maxeqs = 3;
    for (const char* t : {"y=1", "y=2", "y=3"})
        addEquation(*doc, cartesian(t));
    redrawNewest(*doc, 3);
    EXPECT_EQ(doc->onScreen, 3);
    doc->tangent.equation = doc->tail();
    addEquation(*doc, cartesian("y=4"));
    EXPECT_EQ(doc->count, 3);
    EXPECT_EQ(doc->onScreen, 2);
    EXPECT_EQ(queueTexts(), (std::vector<std::string>{"y=4", "y=3", "y=2"}));
    EXPECT_EQ(view.list, (std::vector<std::string>{"y=4", "y=3", "y=2"}));
    EXPECT_EQ(doc->tangent.equation, nullptr) << "the dropped equation leaves the tangent record";
}

TEST_F(DocumentTest, ColourCounterRunsAcrossDocumentsAndSystemsTakeOnePerCurve)
{
    for (const char* t : {"y=1", "y=2", "y=3"})
        addEquation(*doc, cartesian(t));
    GraphDoc* second = createFromSetup();
    Equation* e = cartesian("y=x");
    addEquation(*second, e);
    EXPECT_EQ(e->colour[0], 4);
    Equation* system = newEquation();
    system->text = "dx=y; dy=-x";
    system->setKind(GraphKind::OdeSystem);
    system->order = 2;
    addEquation(*second, system);
    EXPECT_EQ(system->colour[0], 5);
    EXPECT_EQ(system->colour[1], 6);
    Equation* strict = cartesian("y<x");
    strict->flags |= eqflag::ShadeBelow | eqflag::Strict;
    addEquation(*second, strict);
    EXPECT_EQ(strict->colour[0], -7);
    Equation* wrap = cartesian("y=8");
    addEquation(*second, wrap);
    EXPECT_EQ(wrap->colour[0], 1) << "the eighth curve since start-up";
    freeDocument(second);
}

TEST_F(DocumentTest, PromoteMovesToTheTopWithoutASecondEntry)
{
    for (const char* t : {"y=1", "y=2", "y=3"})
        addEquation(*doc, cartesian(t));
    EXPECT_EQ(promoteEquation(*doc, "y=1"), 3);
    EXPECT_EQ(queueTexts(), (std::vector<std::string>{"y=1", "y=3", "y=2"}));
    EXPECT_EQ(view.list, queueTexts());
    EXPECT_EQ(promoteEquation(*doc, "y=9"), 0);
    EXPECT_EQ(doc->count, 3);
}

TEST_F(DocumentTest, DeleteAndHide)
{
    EXPECT_FALSE(deleteEquation(*doc, "y=1"));
    ASSERT_FALSE(ui.ui.shown.empty());
    EXPECT_EQ(ui.ui.shown.back().text, MSG_NOT_IN_QUEUE);

    addEquation(*doc, cartesian("y=1"));
    redrawNewest(*doc, 1);
    EXPECT_TRUE(deleteEquation(*doc, "y=1"));
    EXPECT_EQ(doc->queueHead, nullptr);
    EXPECT_EQ(doc->count, 0);
    EXPECT_EQ(doc->onScreen, 0);
    EXPECT_TRUE(view.list.empty());
    EXPECT_EQ(doc->pending, PENDING_REPAINT);
    EXPECT_TRUE(doc->modified);
    EXPECT_EQ(ui.ui.shown.back().text, std::string("Deleted: ") + COLOUR_ESCAPE + char(128 + 1) + "y=1");

    for (const char* t : {"y=a", "y=b", "y=c"})
        addEquation(*doc, cartesian(t));
    redrawNewest(*doc, doc->count);
    EXPECT_TRUE(hideEquation(*doc, "y=b"));
    EXPECT_EQ(doc->onScreen, 2);
    EXPECT_TRUE(deleteEquation(*doc, "y=c"));
    EXPECT_EQ(view.list, (std::vector<std::string>{"y=b", "y=a"}));
    driver.drawn.clear();
    redrawNewest(*doc, doc->count);
    EXPECT_EQ(driver.drawn, (std::vector<std::string>{"y=b"})) << "hidden comes back, deleted does not";
}

TEST_F(DocumentTest, RedrawNewestDrawsOldestFirstAndStopsOnAbort)
{
    for (const char* t : {"y=1", "y=2", "y=3", "y=4"})
        addEquation(*doc, cartesian(t));
    driver.abortAfter = 2;
    redrawNewest(*doc, 3);
    EXPECT_EQ(driver.drawn, (std::vector<std::string>{"y=2", "y=3"}));
}

TEST_F(DocumentTest, RedrawAfterRegridSpendsItsBudgetOnTheOldest)
{
    for (const char* t : {"y=1", "y=2", "y=3", "y=4"})
        addEquation(*doc, cartesian(t));
    redrawNewest(*doc, 4);
    driver.drawn.clear();
    redrawAfterRegrid(*doc, 2);
    EXPECT_EQ(driver.drawn, (std::vector<std::string>{"y=1", "y=2"}));
    EXPECT_EQ(doc->onScreen, 2);
    EXPECT_FALSE(findEquation(*doc, "y=4")->flags & eqflag::OnGrid);
    EXPECT_EQ(driver.toolRedraws, 1);
    driver.drawn.clear();
    redrawAfterRegrid(*doc, 0);
    EXPECT_TRUE(driver.drawn.empty());
}

TEST_F(DocumentTest, RegridFreesCachedPointsAndAsksForARedraw)
{
    addEquation(*doc, cartesian("y=1"));
    Equation* e = doc->queueHead;
    e->points = allocBlock(10);
    e->pointCount = 10;
    doc->graphArea = {0, 0, 405, 305};
    doc->pending = PENDING_REGRID | PENDING_RELAYOUT | PENDING_AUTOSCALE;
    applyPendingUpdates(*doc);
    EXPECT_EQ(doc->pending, 0);
    EXPECT_EQ(e->points, nullptr);
    EXPECT_EQ(view.regridPosts, 1);
    EXPECT_TRUE(doc->grid.isSquare(1.0)) << "the automatic y range was completed square";
    EXPECT_EQ(doc->grid.areaRight, 402);

    programOptions().autoredraw = false;
    redrawNewest(*doc, 1);
    applyNewGrid(*doc, true);
    EXPECT_EQ(doc->onScreen, 0);
    EXPECT_FALSE(e->flags & eqflag::OnGrid);

    doc->pending = PENDING_RESIZE_MAIN | PENDING_REPAINT;
    applyPendingUpdates(*doc);
    EXPECT_EQ(view.relayouts, 1);
    EXPECT_EQ(doc->pending, PENDING_REPAINT) << "the other bits wait for the next pass";
}

// A regrid that finds logarithmic paper over values it cannot show asks for a range once, even when
// the dialog's message loop comes back to the pending updates, and keeps the paper with the range given.
TEST_F(DocumentTest, LogarithmicRangeIsAskedForOnceDuringARegrid)
{
    doc->graphArea = {0, 0, 405, 305};
    doc->grid.paperFlags = (doc->grid.paperFlags & ~PAPER_KIND_MASK) | PAPER_LOG_Y;
    doc->grid.yMin = -5;
    doc->grid.yMax = 5;
    doc->pending = PENDING_REGRID;
    view.reenter = doc;
    applyPendingUpdates(*doc);
    EXPECT_EQ(view.rangeDialogs, 1);
    EXPECT_TRUE(doc->grid.logY()) << "the range given keeps the paper";
    EXPECT_GT(doc->grid.yMin, 0);
    EXPECT_EQ(doc->pending, 0);
}

TEST_F(DocumentTest, TwoUndosReturnToTheRangeBeforeTheFirst)
{
    doc->grid.yMin = -6;
    doc->grid.yMax = 6;
    takeRangeSnapshot(*doc);
    EXPECT_FALSE(canUndo());
    doc->grid.xMin = -2;
    doc->grid.xMax = 2;
    applyNewGrid(*doc, false);  // the zoom's regrid
    ASSERT_TRUE(canUndo());
    undoGridRange(*doc);
    EXPECT_EQ(doc->grid.xMin, -8);
    EXPECT_EQ(doc->pending, PENDING_REGRID);
    applyPendingUpdates(*doc);
    undoGridRange(*doc);
    EXPECT_EQ(doc->grid.xMin, -2);
    EXPECT_EQ(doc->grid.xMax, 2);
}

TEST_F(DocumentTest, DescribeEquationColoursEachCurveOfASystem)
{
    Equation* e = newEquation();
    e->text = "dx=y; dy=-x {0, 1, 0}";
    e->setKind(GraphKind::OdeSystem);
    e->order = 2;
    e->colour[0] = 3;
    e->colour[1] = -4;
    std::string s = "ON SCREEN: ";
    describeEquation(s, *e);
    const std::string esc(1, COLOUR_ESCAPE), normal = esc + COLOUR_NORMAL;
    EXPECT_EQ(s, "ON SCREEN: " + esc + char(131) + "dx=y" + normal + ";" + esc + char(132) + " dy=-x " + normal +
                     "{0, 1, 0}");
    std::string cut;
    describeEquation(cut, *e, 5);
    EXPECT_EQ(cut.size(), 5u);
    freeEquation(e);
}

TEST_F(DocumentTest, Annotations)
{
    programOptions().maxannote = 2;
    GraphDoc* small = createFromSetup();
    EXPECT_EQ(placeAnnotation(*small, -1, std::string(40, 'a')), 0);
    EXPECT_EQ(small->annotations[0].text.size(), 39u);
    EXPECT_EQ(placeAnnotation(*small, -1, "   "), -1);
    EXPECT_EQ(placeAnnotation(*small, -1, "second"), 1);
    EXPECT_EQ(placeAnnotation(*small, -1, "third"), -1);
    EXPECT_EQ(ui.ui.shown.back().text, "Sorry, only 2 annotations are supported at a time.");
    EXPECT_EQ(placeAnnotation(*small, 1, ""), 1) << "an empty text moves the selected one";
    EXPECT_FALSE(changeAnnotation(*small, 5, "x"));
    EXPECT_EQ(ui.ui.shown.back().text, MSG_SELECT_ANNOTATION);
    EXPECT_TRUE(deleteAnnotation(*small, 0));
    EXPECT_EQ(small->annotationCount, 1);
    EXPECT_EQ(small->annotations[0].text, "second");
    freeDocument(small);
}

TEST_F(DocumentTest, MemoryPressureReleasesBlocksInOrder)
{
    for (const char* t : {"y=1", "y=2", "y=3", "y=4"})
        addEquation(*doc, cartesian(t));
    // Oldest y=1 drawn, y=2 not drawn, y=3 drawn, y=4 not drawn; each holds a 100-point block.
    for (Equation* e = doc->queueHead; e; e = e->next) {
        e->points = allocBlock(100);
        e->pointCount = 100;
    }
    findEquation(*doc, "y=1")->flags |= eqflag::OnGrid;
    findEquation(*doc, "y=3")->flags |= eqflag::OnGrid;
    doc->onScreen = 2;
    documentProgram().beingFilled = findEquation(*doc, "y=1")->points;
    setBlockMemoryLimit(blockMemoryInUse());

    PointBlock* b = allocBlock(50);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(findEquation(*doc, "y=2")->points, nullptr) << "oldest off-screen block goes first";
    EXPECT_NE(findEquation(*doc, "y=4")->points, nullptr);
    PointBlock* c = allocBlock(150);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(findEquation(*doc, "y=4")->points, nullptr);
    EXPECT_NE(findEquation(*doc, "y=3")->points, nullptr);
    PointBlock* d = allocBlock(100);
    ASSERT_NE(d, nullptr);
    Equation* three = findEquation(*doc, "y=3");
    EXPECT_EQ(three->points, nullptr) << "then on-screen blocks, which leave the screen";
    EXPECT_FALSE(three->flags & eqflag::OnGrid);
    EXPECT_EQ(doc->onScreen, 1);
    EXPECT_NE(findEquation(*doc, "y=1")->points, nullptr) << "the block being filled stays";
    EXPECT_EQ(allocBlock(1000), nullptr);
    const std::size_t before = d->size;
    EXPECT_EQ(growBlock(d, 1000), nullptr);
    EXPECT_EQ(d->size, before) << "a failed grow leaves the block as it was";
    freeBlock(b);
    freeBlock(c);
    freeBlock(d);
}

TEST_F(DocumentTest, PrintingStashesScreenBlocksAndGivesThemBack)
{
    for (const char* t : {"y=1", "y=2"})
        addEquation(*doc, cartesian(t));
    redrawNewest(*doc, 2);
    for (Equation* e = doc->queueHead; e; e = e->next) {
        e->points = allocBlock(20);
        e->pointCount = 20;
    }
    PointBlock* screenBlock = doc->queueHead->points;
    BlockStash stash = stashOnScreenBlocks(*doc);
    ASSERT_EQ(stash.size(), 2u);
    EXPECT_EQ(stash[0].equation, doc->queueHead);
    EXPECT_EQ(doc->queueHead->points, nullptr);
    doc->queueHead->points = allocBlock(5);  // printing computed fresh points
    documentProgram().printing = true;
    documentProgram().printingStash = &stash;
    setBlockMemoryLimit(blockMemoryInUse());
    PointBlock* pressure = allocBlock(20);
    ASSERT_NE(pressure, nullptr);
    EXPECT_EQ(stash[1].block, nullptr) << "the last stash entry is released first";
    restoreOnScreenBlocks(*doc, stash);
    EXPECT_EQ(doc->queueHead->points, screenBlock);
    EXPECT_EQ(doc->queueHead->pointCount, 20);
    EXPECT_EQ(doc->queueHead->next->points, nullptr);
    freeBlock(pressure);
}

TEST_F(DocumentTest, ClearAllEmptiesTheDocumentButKeepsAxisNames)
{
    addEquation(*doc, cartesian("y=1"));
    doc->title = "T";
    placeAnnotation(*doc, -1, "note");
    doc->xAxisName = "u";
    clearAll(*doc);
    EXPECT_EQ(doc->count, 0);
    EXPECT_EQ(doc->queueHead, nullptr);
    EXPECT_TRUE(doc->title.empty());
    EXPECT_EQ(doc->annotationCount, 0);
    EXPECT_EQ(doc->xAxisName, "u");
    EXPECT_TRUE(view.list.empty());
    EXPECT_EQ(doc->pending, PENDING_REPAINT);
    EXPECT_EQ(ui.ui.shown.back().text, MSG_QUEUE_CLEARED);
}

TEST(GraphDocName, IsThePartAfterTheLastBackslash)
{
    GraphDoc d;
    EXPECT_TRUE(isUntitled(d));
    setPath(d, "C:\\graphs\\parabola.gr");
    EXPECT_EQ(d.name(), "parabola.gr");
    EXPECT_FALSE(isUntitled(d));
}

}  // namespace
}  // namespace qv
