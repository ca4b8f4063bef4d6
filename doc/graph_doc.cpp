#include "doc/graph_doc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/ui.h"

namespace qv {

namespace {

DocumentView g_noView;
GraphingDriver g_noDriver;

bool isCurrent(const GraphDoc& doc) { return documentProgram().current == &doc; }

void detachFromTools(GraphDoc& doc, const Equation* e)
{
    doc.tangent.detach(e);
    // The Integrate curve dialog shows the region's curves; it goes with them.
    if (doc.integration.detach(e))
        documentProgram().viewOrNone().closeIntegrateDialog();
}

// The 0-based queue position of e, counted from the newest.
int positionOf(const GraphDoc& doc, const Equation* e)
{
    int i = 0;
    for (const Equation* q = doc.queueHead; q; q = q->next, ++i)
        if (q == e)
            return i;
    return -1;
}

void unlink(GraphDoc& doc, Equation* e)
{
    if (e->previous)
        e->previous->next = e->next;
    else
        doc.queueHead = e->next;
    if (e->next)
        e->next->previous = e->previous;
    e->previous = e->next = nullptr;
}

void linkAtHead(GraphDoc& doc, Equation* e)
{
    e->previous = nullptr;
    e->next = doc.queueHead;
    if (doc.queueHead)
        doc.queueHead->previous = e;
    doc.queueHead = e;
}

int nextColour()
{
    int& counter = documentProgram().colourCounter;
    counter = counter % 7 + 1;
    return counter;
}

bool isPlainCartesianOfX(const Equation& e)
{
    return e.kind() == GraphKind::Cartesian && !(e.flags & eqflag::FunctionOfY) && e.aStart == UNDEFINED_VALUE;
}

void takeOffScreen(GraphDoc& doc, Equation& e)
{
    if (e.flags & eqflag::OnGrid) {
        e.flags &= ~eqflag::OnGrid;
        if (doc.onScreen > 0)
            --doc.onScreen;
    }
}

}  // namespace

std::string_view GraphDoc::name() const
{
    std::string_view p = path;
    size_t slash = p.rfind('\\');
    return slash == std::string_view::npos ? p : p.substr(slash + 1);
}

Equation* GraphDoc::tail() const
{
    Equation* e = queueHead;
    while (e && e->next)
        e = e->next;
    return e;
}

DocumentView& DocumentProgram::viewOrNone() { return view ? *view : g_noView; }
GraphingDriver& DocumentProgram::driverOrNone() { return driver ? *driver : g_noDriver; }

DocumentProgram& documentProgram()
{
    static DocumentProgram program;
    return program;
}

ProgramOptions& programOptions() { return documentProgram().options; }

GraphDoc* createDocument()
{
    auto* doc = new GraphDoc;
    doc->serial = documentProgram().nextSerial++;
    doc->tangent.document = doc;
    doc->integration.document = doc;
    doc->annotations.resize(std::max<int>(programOptions().maxannote, 0));
    return doc;
}

GraphDoc* createFromSetup()
{
    GraphDoc* doc = createDocument();
    if (const GraphDoc* setup = documentProgram().setupDoc) {
        GridSetup& g = doc->grid;
        const GridSetup& s = setup->grid;
        g.legendFlags = s.legendFlags;
        g.xLegendSpacing = s.xLegendSpacing;
        g.yLegendSpacing = s.yLegendSpacing;
        g.paperFlags = s.paperFlags;
        g.logBase = s.logBase;
        g.lnBase = s.lnBase;
        g.logLogChosen = s.logLogChosen;
        g.tstart = s.tstart;
        g.tstop = s.tstop;
        g.xMin = s.xMin;
        g.xMax = s.xMax;
        g.yMin = s.yMin;
        g.yMax = s.yMax;
        for (int i = 0; i < GRID_FONT_COUNT; ++i) {
            doc->fonts[i] = setup->fonts[i];
            doc->fonts[i].handle = 0;  // the drawing layer creates its own
        }
        doc->margins = setup->margins;
        doc->xAxisName = setup->xAxisName;
        doc->yAxisName = setup->yAxisName;
    }
    doc->pending = PENDING_AUTOSCALE;
    return doc;
}

void freeDocument(GraphDoc* doc)
{
    if (!doc)
        return;
    DocumentProgram& program = documentProgram();
    freeEquationChain(doc->queueHead);
    doc->queueHead = nullptr;
    if (program.current == doc)
        program.current = nullptr;
    if (program.setupDoc == doc)
        program.setupDoc = nullptr;
    delete doc;
}

void setPath(GraphDoc& doc, const std::string& path) { doc.path = path; }

bool isUntitled(const GraphDoc& doc) { return doc.name() == UNTITLED; }

int curveCount(const Equation& e)
{
    if (e.kind() == GraphKind::OdeSystem)
        return std::clamp<int>(e.order, 1, 4);
    return 1;
}

void addEquation(GraphDoc& doc, Equation* e)
{
    if (programOptions().drawdots && !(e->flags & eqflag::Inequality))
        e->flags |= eqflag::Dots;
    const int curves = curveCount(*e);
    for (int i = 0; i < curves; ++i) {
        int colour = nextColour();
        e->colour[i] = static_cast<std::int8_t>((e->flags & eqflag::Strict) ? -colour : colour);
    }
    insertNewest(doc, e);
}

void insertNewest(GraphDoc& doc, Equation* e)
{
    const int maxeqs = std::max<int>(programOptions().maxeqs, 1);
    if (isCurrent(doc)) {
        DocumentView& view = documentProgram().viewOrNone();
        view.listInsert(0, e->text);
        if (doc.count >= maxeqs)
            view.listRemove(maxeqs);
    }
    linkAtHead(doc, e);
    if (doc.count < maxeqs) {
        ++doc.count;
    } else {
        // A full queue drops its oldest equation.
        Equation* oldest = doc.tail();
        unlink(doc, oldest);
        detachFromTools(doc, oldest);
        takeOffScreen(doc, *oldest);
        freeEquation(oldest);
    }
    if (isPlainCartesianOfX(*e))
        doc.integrableListStale = true;
}

Equation* findEquation(const GraphDoc& doc, const std::string& text)
{
    for (Equation* e = doc.queueHead; e; e = e->next)
        if (e->text == text)
            return e;
    return nullptr;
}

namespace {

// Moves the equation to the head of the queue; returns its former 1-based position or 0.
int promoteInQueue(GraphDoc& doc, const std::string& text)
{
    Equation* e = findEquation(doc, text);
    if (!e)
        return 0;
    int position = positionOf(doc, e) + 1;
    unlink(doc, e);
    linkAtHead(doc, e);
    return position;
}

}  // namespace

int promoteEquation(GraphDoc& doc, const std::string& text)
{
    int position = promoteInQueue(doc, text);
    if (position > 0 && isCurrent(doc)) {
        DocumentView& view = documentProgram().viewOrNone();
        view.listRemove(position - 1);
        view.listInsert(0, text);
    }
    return position;
}

bool deleteEquation(GraphDoc& doc, const std::string& text)
{
    int position = promoteInQueue(doc, text);
    if (position == 0) {
        userInterface().statusLine(MSG_NOT_IN_QUEUE, MESSAGE_INFORMATION);
        return false;
    }
    Equation* e = doc.queueHead;
    DocumentView& view = documentProgram().viewOrNone();
    if (doc.count <= 1) {
        doc.queueHead = nullptr;
        if (isCurrent(doc))
            view.listClear();
    } else {
        if (isCurrent(doc))
            view.listRemove(position - 1);
        unlink(doc, e);
    }
    if (doc.count > 0)
        --doc.count;
    std::string status = "Deleted: ";
    describeEquation(status, *e);
    userInterface().statusLine(status, MESSAGE_INFORMATION);
    if (e->flags & eqflag::OnGrid) {
        if (doc.onScreen > 0)
            --doc.onScreen;
        doc.pending = PENDING_REPAINT;
    }
    detachFromTools(doc, e);
    freeEquation(e);
    doc.modified = true;
    return true;
}

bool hideEquation(GraphDoc& doc, const std::string& text)
{
    Equation* e = findEquation(doc, text);
    if (!e || !(e->flags & eqflag::OnGrid))
        return false;
    takeOffScreen(doc, *e);
    detachFromTools(doc, e);
    doc.pending = PENDING_REPAINT;
    return true;
}

void clearAll(GraphDoc& doc)
{
    DocumentView& view = documentProgram().viewOrNone();
    view.closeIntegrateDialog();
    for (Annotation& a : doc.annotations)
        a = Annotation{};
    doc.annotationCount = 0;
    doc.title.clear();
    doc.leftLabel.clear();
    doc.rightLabel.clear();
    doc.count = 0;
    doc.onScreen = 0;
    if (isCurrent(doc)) {
        view.listClear();
        view.printoutClear();
    }
    freeEquationChain(doc.queueHead);
    doc.queueHead = nullptr;
    doc.tangent.clear();
    doc.integration.clear();
    doc.pending = PENDING_REPAINT;
    userInterface().statusLine(MSG_QUEUE_CLEARED, MESSAGE_INFORMATION);
}

void clearScreen(GraphDoc& doc)
{
    doc.grid.selection = SelectionRect{};
    DocumentView& view = documentProgram().viewOrNone();
    view.closeIntegrateDialog();
    for (Equation* e = doc.queueHead; e; e = e->next)
        e->flags &= ~eqflag::OnGrid;
    doc.onScreen = 0;
    doc.tangent.clear();
    doc.integration.clear();
    view.repaintGraphArea(doc);
}

void redrawNewest(GraphDoc& doc, int n)
{
    if (n <= 0 || !doc.queueHead)
        return;
    GraphingDriver& driver = documentProgram().driverOrNone();
    driver.beginDrawing(doc);
    Equation* e = doc.queueHead;
    for (int i = 1; i < n && e->next; ++i)
        e = e->next;
    for (; e && !driver.aborted(); e = e->previous)
        driver.graphEquation(doc, *e);
    driver.endDrawing(doc);
}

void redrawAfterRegrid(GraphDoc& doc, int budget)
{
    if (budget <= 0 || doc.onScreen == 0)
        return;
    doc.onScreen = 0;
    GraphingDriver& driver = documentProgram().driverOrNone();
    driver.beginDrawing(doc);
    for (Equation* e = doc.tail(); e; e = e->previous) {
        if (!(e->flags & eqflag::OnGrid))
            continue;
        e->flags &= ~eqflag::OnGrid;
        if (budget > 0 && !driver.aborted()) {
            driver.graphEquation(doc, *e);
            --budget;
        } else {
            detachFromTools(doc, e);
        }
    }
    driver.redrawToolRecords(doc);
    driver.endDrawing(doc);
}

LabelSpace labelSpaceOf(const GraphDoc& doc)
{
    LabelSpace labels;
    labels.shown = doc.showLabels;
    labels.titleFontHeight = doc.fonts[FONT_TITLES].measuredHeight;
    labels.leftFontHeight = doc.fonts[FONT_LEFTLBL].measuredHeight;
    labels.rightFontHeight = doc.fonts[FONT_RIGHTLBL].measuredHeight;
    labels.titleEmpty = doc.title.empty();
    labels.leftEmpty = doc.leftLabel.empty();
    labels.rightEmpty = doc.rightLabel.empty();
    return labels;
}

void applyPendingUpdates(GraphDoc& doc)
{
    // A message box or dialog shown on the way runs its own message loop, whose messages end in the
    // windows' common tail and so here again: that inner call waits for this one.
    static bool applying = false;
    if (applying)
        return;
    struct Guard {
        bool& flag;
        explicit Guard(bool& f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(applying);
    DocumentProgram& program = documentProgram();
    if (doc.pending & PENDING_RESIZE_MAIN) {
        doc.pending &= ~PENDING_RESIZE_MAIN;
        program.viewOrNone().relayoutMainWindow();
        return;
    }
    if (doc.pending & PENDING_RELAYOUT) {
        const double oldRatio = doc.grid.squareRatio;
        doc.pending &= ~PENDING_RELAYOUT;
        // The y range is rescaled only when no automatic range waits to be completed.
        const bool rescale = programOptions().autosquare && !(doc.pending & PENDING_AUTOSCALE);
        doc.grid.adjustForResize(oldRatio, doc.graphArea.right - doc.graphArea.left,
                                 doc.graphArea.bottom - doc.graphArea.top, labelSpaceOf(doc), program.smallScreen,
                                 program.pixelAspect, rescale);
    }
    if (doc.pending & PENDING_REGRID) {
        if (doc.pending & PENDING_AUTOSCALE) {
            doc.pending &= ~PENDING_AUTOSCALE;
            doc.grid.autoSquare();
        }
        doc.grid.checkLogRange([&program](GridSetup& g) { return program.viewOrNone().gridRangeDialog(g); });
        applyNewGrid(doc, true);
        return;
    }
    if (doc.pending & PENDING_REPAINT) {
        doc.pending = 0;
        program.viewOrNone().repaintGraphArea(doc);
    }
}

void applyNewGrid(GraphDoc& doc, bool redraw)
{
    DocumentProgram& program = documentProgram();
    if (!(doc.pending & PENDING_RELAYOUT))
        takeRangeSnapshot(doc);
    doc.pending = 0;
    for (Equation* e = doc.queueHead; e; e = e->next) {
        e->points = freeBlock(e->points);
        e->pointCount = 0;
    }
    DocumentView& view = program.viewOrNone();
    view.printoutClear();
    view.repaintGraphArea(doc);
    if (!redraw)
        return;
    if (programOptions().autoredraw) {
        view.postRedrawAfterRegrid(doc);
    } else {
        for (Equation* e = doc.queueHead; e; e = e->next)
            e->flags &= ~eqflag::OnGrid;
        doc.onScreen = 0;
        doc.tangent.clear();
        doc.integration.clear();
    }
}

void takeRangeSnapshot(const GraphDoc& doc)
{
    DocumentProgram& program = documentProgram();
    program.previous = program.currentSnapshot;
    program.hasPrevious = program.hasCurrent;
    const GridSetup& g = doc.grid;
    program.currentSnapshot = RangeSnapshot{g.xMin, g.xMax, g.yMin, g.yMax, g.squareRatio, g.paperFlags};
    program.hasCurrent = true;
}

void forgetRangeSnapshots()
{
    DocumentProgram& program = documentProgram();
    program.hasPrevious = program.hasCurrent = false;
}

bool canUndo() { return documentProgram().hasPrevious; }

void undoGridRange(GraphDoc& doc)
{
    DocumentProgram& program = documentProgram();
    if (!program.hasPrevious)
        return;
    const RangeSnapshot& s = program.previous;
    GridSetup& g = doc.grid;
    g.xMin = s.left;
    g.xMax = s.right;
    g.yMin = s.bottom;
    g.yMax = s.top;
    g.paperFlags = s.paperFlags;
    if (g.squareRatio != s.squareRatio && s.squareRatio != 0) {
        const double e = g.yMax - g.yMin;
        const double d = (e * (g.squareRatio / s.squareRatio) - e) / 2;
        g.yMin -= d;
        g.yMax += d;
    }
    doc.pending = PENDING_REGRID;
}

void describeEquation(std::string& buffer, const Equation& e, std::size_t limit)
{
    const int curves = curveCount(e);
    auto colourEscape = [&](int i) {
        buffer += COLOUR_ESCAPE;
        buffer += char(128 + std::abs(int(e.colour[i])));
    };
    colourEscape(0);
    const std::string& text = e.text;
    size_t start = 0;
    for (int i = 1; i < curves; ++i) {
        size_t semicolon = text.find(';', start);
        if (semicolon == std::string::npos)
            break;
        buffer.append(text, start, semicolon - start);
        buffer += COLOUR_ESCAPE;
        buffer += COLOUR_NORMAL;
        buffer += ';';
        colourEscape(i);
        start = semicolon + 1;
    }
    std::string last = text.substr(start);
    if (curves > 1) {
        size_t cut = last.find('{');
        if (cut == std::string::npos)
            cut = last.find('\'');
        if (cut != std::string::npos) {
            last.insert(cut, std::string{COLOUR_ESCAPE, COLOUR_NORMAL});
        }
    }
    buffer += last;
    if (buffer.size() > limit)
        buffer.resize(limit);
}

int placeAnnotation(GraphDoc& doc, int selected, const std::string& typed)
{
    if (selected >= 0 && selected < doc.annotationCount &&
        (typed.empty() || typed == doc.annotations[selected].text)) {
        doc.currentAnnotation = static_cast<std::int16_t>(selected);
        return selected;
    }
    std::string text = typed.substr(0, MAX_ANNOTATION_TEXT);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    const int slots = std::min<int>(int(doc.annotations.size()), programOptions().maxannote);
    if (doc.annotationCount >= slots || text.empty()) {
        char message[96];
        std::snprintf(message, sizeof message, MSG_ANNOTATIONS_FULL, int(programOptions().maxannote));
        userInterface().statusLine(message, MESSAGE_INFORMATION);
        return -1;
    }
    const int index = doc.annotationCount++;
    doc.annotations[index] = Annotation{0, 0, text};
    doc.currentAnnotation = static_cast<std::int16_t>(index);
    return index;
}

bool changeAnnotation(GraphDoc& doc, int selected, const std::string& text)
{
    if (selected < 0 || selected >= doc.annotationCount) {
        userInterface().statusLine(MSG_SELECT_ANNOTATION, MESSAGE_INFORMATION);
        return false;
    }
    doc.annotations[selected].text = text.substr(0, MAX_ANNOTATION_TEXT);
    return true;
}

bool deleteAnnotation(GraphDoc& doc, int selected)
{
    if (selected < 0 || selected >= doc.annotationCount)
        return false;
    for (int i = selected; i + 1 < doc.annotationCount; ++i)
        doc.annotations[i] = std::move(doc.annotations[i + 1]);
    doc.annotations[--doc.annotationCount] = Annotation{};
    return true;
}

}  // namespace qv
