// The mouse in the graph window: a click picks the curve under the pointer, a drag selects a
// rectangle for the zoom buttons, and the coordinate cursor (the toolbar button, or the right button
// held down) shows where the pointer is, snapping to the curves and following them. The selection is
// drawn by inverting the screen, so drawing it a second time erases it.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "analysis/integration.h"
#include "analysis/printout.h"
#include "analysis/tangent.h"
#include "doc/equation_line.h"
#include "doc/graph_doc.h"
#include "expr/number_format.h"
#include "platform/ui.h"
#include "plot/colours.h"
#include "plot/curve_snap.h"
#include "plot/grid_setup.h"
#include "dialogs.h"
#include "resource.h"
#include "shell.h"

namespace shell {

namespace {

POINT g_anchor{};  // where the left button went down
POINT g_corner{};  // the free corner, as dragged

// The coordinate cursor: the curve it is attached to, where it was put last, where the pointer was.
// The tangent and integration tools follow the pointer the same way.
qv::CurveSnap g_attached;
qv::Equation* g_integrand = nullptr;  // the curve an integration drag began on
POINT g_position{};
POINT g_lastPointer{};
bool g_positioned = false;
int g_keyStep = 1;  // pixels an arrow key moves the pointer; grows while the key repeats

// Initial values picked with the mouse: the values so far (t, then the state), how many the line
// needs, the first point, and what is drawn on screen meanwhile.
struct InitialValuePick {
    std::vector<double> values;
    int needed = 0;
    POINT first{};
    POINT rubberEnd{};
    bool rubberShown = false;
    std::vector<POINT> markers;
};
InitialValuePick g_pick;
HCURSOR g_cursorBefore = nullptr;
int g_pressedButton = 0;

qv::GraphDoc* currentDoc() { return qv::documentProgram().current; }

bool insidePlottingArea(const qv::GridSetup& g, int x, int y)
{
    return x >= g.areaLeft && x <= g.areaRight && y >= g.areaTop && y <= g.areaBottom;
}

RECT rectOf(const qv::SelectionRect& s) { return RECT{LONG(s.left), LONG(s.top), LONG(s.right), LONG(s.bottom)}; }

qv::SelectionRect normalised(POINT a, POINT b)
{
    return qv::SelectionRect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// Inverts the rectangles of a region. Only the top bit of each colour channel is flipped: a full
// inversion turns the mid-gray paper of the Gray scheme into a gray one step darker, and the
// selection would not show.
void invertRegion(HRGN region)
{
    const DWORD size = GetRegionData(region, 0, nullptr);
    if (size == 0)
        return;
    std::vector<unsigned char> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (GetRegionData(region, size, data) == 0)
        return;
    HDC dc = GetDC(g_shell.graph);
    HBRUSH flip = CreateSolidBrush(RGB(0x80, 0x80, 0x80));
    HGDIOBJ previous = SelectObject(dc, flip);
    const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
    for (DWORD i = 0; i < data->rdh.nCount; ++i)
        PatBlt(dc, rects[i].left, rects[i].top, rects[i].right - rects[i].left, rects[i].bottom - rects[i].top,
               PATINVERT);
    SelectObject(dc, previous);
    DeleteObject(flip);
    ReleaseDC(g_shell.graph, dc);
}

// Inverts the area that differs between two selections: moving a corner touches only the strips
// between the old and the new one.
void invertDifference(const qv::SelectionRect& before, const qv::SelectionRect& after)
{
    if (!g_shell.graph)
        return;
    const RECT a = rectOf(before), b = rectOf(after);
    HRGN first = CreateRectRgnIndirect(&a);
    HRGN second = CreateRectRgnIndirect(&b);
    HRGN difference = CreateRectRgn(0, 0, 0, 0);
    if (first && second && difference && CombineRgn(difference, first, second, RGN_XOR) != ERROR)
        invertRegion(difference);
    for (HRGN r : {first, second, difference})
        if (r)
            DeleteObject(r);
}

// The free corner as the shape allows: with AutoSquare the selection keeps the plotting area's
// aspect, so that the zoomed grid stays square; past the top or bottom edge it stops there and its
// width shrinks to match.
POINT shapedCorner(const qv::GridSetup& g, POINT pointer)
{
    POINT corner{std::clamp<LONG>(pointer.x, g.areaLeft, g.areaRight),
                 std::clamp<LONG>(pointer.y, g.areaTop, g.areaBottom)};
    if (!qv::programOptions().autosquare)
        return corner;
    const double aspect = double(g.areaBottom - g.areaTop + 1) / double(g.areaRight - g.areaLeft + 1);
    const LONG dx = corner.x - g_anchor.x;
    const int down = pointer.y >= g_anchor.y ? 1 : -1;
    LONG height = LONG(std::abs(dx) * aspect + 0.5);
    const LONG room = down > 0 ? g.areaBottom - g_anchor.y : g_anchor.y - g.areaTop;
    LONG width = std::abs(dx);
    if (height > room) {
        height = room;
        width = LONG(room / aspect + 0.5);
    }
    corner.x = g_anchor.x + (dx < 0 ? -width : width);
    corner.y = g_anchor.y + down * height;
    return corner;
}

void showPrompt(UINT id)
{
    ModifyMenuA(g_shell.toolPromptMenu, 0, MF_BYPOSITION | MF_STRING | MF_GRAYED, 0, loadString(id).c_str());
    SetMenu(g_shell.main, g_shell.toolPromptMenu);
    DrawMenuBar(g_shell.main);
}

void pressToolbarButton(int command, bool pressed)
{
    if (!g_shell.toolbar || !command)
        return;
    if (pressed)
        SendMessageA(g_shell.toolbar, TB_ENABLEBUTTON, command, TRUE);
    SendMessageA(g_shell.toolbar, TB_PRESSBUTTON, command, pressed);
}

HCURSOR toolCursor()
{
    if (g_shell.toolMode == TOOL_ANNOTATION)
        return g_shell.cursors[0];
    const bool blackPaper = qv::colourOf(qv::COLOUR_BACK) == 0;
    return g_shell.cursors[blackPaper ? 1 : 2];
}

// A tool takes the pointer: its prompt in place of the menu (when it has one), its cursor, the
// pointer kept inside the plotting area, the keyboard, and its toolbar button pressed.
void startTool(UINT prompt, int mode, int toolbarButton)
{
    if (prompt)
        showPrompt(prompt);
    g_shell.toolMode = mode;
    g_cursorBefore = SetCursor(toolCursor());
    confineToPlottingArea();
    SetCapture(g_shell.graph);
    SetFocus(g_shell.graph);
    g_pressedButton = toolbarButton;
    pressToolbarButton(toolbarButton, true);
    g_attached = qv::CurveSnap{};
    g_positioned = false;
    g_keyStep = 1;
}

void endTool()
{
    const int mode = g_shell.toolMode;
    g_shell.toolMode = 0;  // first: releasing the capture reports back here
    if (GetCapture() == g_shell.graph)
        ReleaseCapture();
    ClipCursor(nullptr);
    if (mode != TOOL_BUTTON_DOWN) {
        SetMenu(g_shell.main, g_shell.menu);
        DrawMenuBar(g_shell.main);
    }
    if (mode & ACTIVE_TOOLS) {
        pressToolbarButton(g_pressedButton, false);
        g_pressedButton = 0;
        SetCursor(g_cursorBefore ? g_cursorBefore : LoadCursor(nullptr, IDC_ARROW));
        g_attached = qv::CurveSnap{};
    }
    returnFocusToEquationField();
}

POINT pointerInGraph()
{
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(g_shell.graph, &p);
    return p;
}

// Puts the pointer on a point of the graph window, unless the user has already moved it again.
void movePointerTo(POINT p)
{
    MSG waiting;
    if (PeekMessageA(&waiting, g_shell.graph, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_NOREMOVE))
        return;
    ClientToScreen(g_shell.graph, &p);
    SetCursorPos(p.x, p.y);
}

// The coordinate cursor at the pointer: it moves along the curve it is attached to, or snaps to a
// curve it comes near in the direction it moves, and reads out where it is.
void followPointer(qv::GraphDoc& doc, POINT pointer, qv::SnapFilter filter = qv::SnapFilter::AnyCurve)
{
    const qv::GridSetup& g = doc.grid;
    if (g_attached.equation &&
        !qv::followCurve(g, g_attached, pointer.x - g_position.x, pointer.y - g_position.y, smallScreen()))
        g_attached = qv::CurveSnap{};
    if (!g_attached.equation) {
        const qv::CurveSnap snap =
            qv::snapToCurve(doc, qv::DevicePoint{std::int16_t(pointer.x), std::int16_t(pointer.y)}, filter);
        const int moveX = pointer.x - g_lastPointer.x, moveY = pointer.y - g_lastPointer.y;
        const int towardX = snap.point.x - g_position.x, towardY = snap.point.y - g_position.y;
        if (snap.equation && (!g_positioned || (towardX == 0 && towardY == 0) ||
                              qv::withinSixtyDegrees(moveX, moveY, towardX, towardY)))
            g_attached = snap;
    }
    const POINT at = g_attached.equation ? POINT{g_attached.point.x, g_attached.point.y} : pointer;
    if (at.x != pointer.x || at.y != pointer.y)
        movePointerTo(at);
    g_position = at;
    g_lastPointer = pointer;
    g_positioned = true;
    setStatusText(qv::pointReadout(doc, at.x, at.y, g_attached.equation), qv::MESSAGE_INFORMATION);
}

// A selection from the top of the plotting area to its bottom, between two columns.
qv::SelectionRect fullHeight(const qv::GridSetup& g, LONG a, LONG b)
{
    const LONG left = std::clamp<LONG>(std::min(a, b), g.areaLeft, g.areaRight);
    const LONG right = std::clamp<LONG>(std::max(a, b), g.areaLeft, g.areaRight);
    return qv::SelectionRect{left, g.areaTop, right, g.areaBottom + 1};
}

void dragFullHeight(qv::GraphDoc& doc, LONG x)
{
    const qv::SelectionRect next = fullHeight(doc.grid, g_anchor.x, x);
    invertDifference(doc.grid.selection, next);
    doc.grid.selection = next;
}

qv::GraphKind kindOf(std::uint16_t flags) { return static_cast<qv::GraphKind>(flags >> 8); }

bool isDifferentialKind(qv::GraphKind k)
{
    return k == qv::GraphKind::Ode || k == qv::GraphKind::OdePhase || k == qv::GraphKind::OdeSystem ||
           k == qv::GraphKind::OdeSystemPhase;
}

qv::GridRanges gridRanges(const qv::GridSetup& g) { return qv::GridRanges{g.xMin, g.xMax, g.yMin, g.yMax}; }

// Writes the dragged columns into the line in the equation field as its domain; an edge of the
// plotting area leaves that end open.
void applyDomain(qv::GraphDoc& doc)
{
    const qv::GridSetup& g = doc.grid;
    const qv::SelectionRect s = doc.grid.selection;
    const std::string text = fieldText();
    const std::uint16_t flags = qv::classifyText(text, gridRanges(g));
    const qv::GraphKind kind = kindOf(flags);
    const bool ofY = (flags & qv::eqflag::FunctionOfY) != 0;
    const bool timeAxis = ((kind == qv::GraphKind::Ode || kind == qv::GraphKind::OdePhase) && !ofY) ||
                          kind == qv::GraphKind::OdeSystem || kind == qv::GraphKind::OdeSystemPhase;
    const char letter = timeAxis ? 't' : 'x';
    std::string clause = std::string("{") + letter + ": ";
    clause += s.left > g.areaLeft ? qv::formatMessage("%*, ", {g.deviceToWorldX(s.left)}) : std::string(", ");
    clause += s.right < g.areaRight ? qv::formatMessage("%*}", {g.deviceToWorldX(s.right)}) : std::string("}");
    // A differential equation's unnamed clause holds its initial values, not its domain.
    const std::string changed = qv::replaceClause(text, letter, !isDifferentialKind(kind), clause);
    SetWindowTextA(g_shell.equationField, changed.c_str());
}

// Rubber lines and markers: drawn with the background's colour (white on black paper) combined by
// exclusive or with the screen, so that drawing them again erases them.
template <typename Draw>
void drawWithToolPen(Draw draw)
{
    if (!g_shell.graph)
        return;
    HDC dc = GetDC(g_shell.graph);
    const int saved = SaveDC(dc);
    const qv::Colour paper = qv::colourOf(qv::COLOUR_BACK);
    HPEN pen = CreatePen(PS_SOLID, 1, paper == 0 ? RGB(255, 255, 255) : COLORREF(paper));
    SelectObject(dc, pen);
    SetROP2(dc, R2_XORPEN);
    draw(dc);
    RestoreDC(dc, saved);
    DeleteObject(pen);
    ReleaseDC(g_shell.graph, dc);
}

void drawRubberLine()
{
    drawWithToolPen([](HDC dc) {
        MoveToEx(dc, g_pick.first.x, g_pick.first.y, nullptr);
        LineTo(dc, g_pick.rubberEnd.x, g_pick.rubberEnd.y);
    });
}

constexpr int MARKER_ARM = 3;

void drawMarker(POINT p)
{
    drawWithToolPen([p](HDC dc) {
        MoveToEx(dc, p.x - MARKER_ARM, p.y, nullptr);
        LineTo(dc, p.x + MARKER_ARM + 1, p.y);
        MoveToEx(dc, p.x, p.y - MARKER_ARM, nullptr);
        LineTo(dc, p.x, p.y);
        MoveToEx(dc, p.x, p.y + 1, nullptr);
        LineTo(dc, p.x, p.y + MARKER_ARM + 1);
    });
}

void eraseInitialValueMarks()
{
    if (g_pick.rubberShown)
        drawRubberLine();
    g_pick.rubberShown = false;
    for (POINT p : g_pick.markers)
        drawMarker(p);
    g_pick.markers.clear();
}

void writeInitialValues()
{
    const std::string text = qv::writeInitialValues(fieldText(), g_pick.values);
    SetWindowTextA(g_shell.equationField, text.c_str());
}

// Keeps the pointer on the column one pixel right of the first point: the further values of a
// system are all taken at its x.
void confineToColumn(const qv::GridSetup& g, LONG x)
{
    POINT corners[2] = {{x + 1, g.areaTop}, {x + 2, g.areaBottom + 1}};
    MapWindowPoints(g_shell.graph, nullptr, corners, 2);
    const RECT column{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    ClipCursor(&column);
}

void pickCurve(qv::GraphDoc& doc, POINT at)
{
    const qv::CurveSnap snap = qv::snapToCurve(doc, qv::DevicePoint{std::int16_t(at.x), std::int16_t(at.y)},
                                               qv::SnapFilter::AnyCurve);
    if (!snap.equation) {
        setStatusText("", qv::MESSAGE_INFORMATION);
        return;
    }
    setStatusText(screenStatusOf(*snap.equation), qv::MESSAGE_INFORMATION);
    int index = 0;
    for (qv::Equation* e = doc.queueHead; e && e != snap.equation; e = e->next)
        ++index;
    SendMessageA(g_shell.equationField, CB_SETCURSEL, index, 0);
}

// A click of the initial-value tool: the first point, the slope point, or a further value of a system.
void initialValueClick(qv::GraphDoc& doc, POINT p)
{
    const qv::GridSetup& g = doc.grid;
    const double x = g.deviceToWorldX(p.x), y = g.deviceToWorldY(p.y);
    switch (g_shell.toolMode) {
    case TOOL_INITIAL_VALUE: {
        const int n = qv::initialValueCount(fieldText());
        g_pick = InitialValuePick{};
        g_pick.values = {x, y};
        g_pick.first = p;
        if (n == 1 || n == -1) {
            writeInitialValues();
            endTool();
        } else if (n >= 2) {
            g_pick.needed = n;
            g_pick.rubberEnd = p;
            g_shell.toolMode = TOOL_INITIAL_SLOPE;
        } else if (n < 0) {
            g_pick.needed = -n;
            confineToColumn(g, p.x);
            drawMarker(p);
            g_pick.markers.push_back(p);
            g_shell.toolMode = TOOL_SYSTEM_VALUES;
        } else {
            endTool();
        }
        return;
    }
    case TOOL_INITIAL_SLOPE: {
        const double x0 = g_pick.values[0], y0 = g_pick.values[1];
        if (x == x0)
            return;  // a vertical slope has no value
        eraseInitialValueMarks();
        g_pick.values.push_back((y - y0) / (x - x0));
        endTool();
        if (g_pick.needed > 2 && !askHigherDerivatives(g_pick.needed, g_pick.values))
            return;
        writeInitialValues();
        return;
    }
    case TOOL_SYSTEM_VALUES:
        g_pick.values.push_back(y);
        drawMarker(p);
        g_pick.markers.push_back(p);
        if (int(g_pick.values.size()) >= g_pick.needed + 1) {
            eraseInitialValueMarks();
            writeInitialValues();
            endTool();
        }
        return;
    }
}

}  // namespace

void restoreToolPointer()
{
    qv::GraphDoc* doc = currentDoc();
    if (!activeTool() || !doc)
        return;
    if (g_shell.toolMode == TOOL_SYSTEM_VALUES)
        confineToColumn(doc->grid, g_pick.first.x);
    else
        confineToPlottingArea();
    setToolCursor();
}

void confineToPlottingArea()
{
    qv::GraphDoc* doc = currentDoc();
    if (!doc || !g_shell.graph)
        return;
    const qv::GridSetup& g = doc->grid;
    POINT corners[2] = {{g.areaLeft, g.areaTop}, {g.areaRight + 1, g.areaBottom + 1}};
    MapWindowPoints(g_shell.graph, nullptr, corners, 2);
    const RECT area{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    ClipCursor(&area);
}

bool hasSelection()
{
    qv::GraphDoc* doc = currentDoc();
    return doc && !doc->grid.selection.empty();
}

void eraseSelection(qv::GraphDoc& doc)
{
    if (!doc.grid.selection.empty())
        invertDifference(doc.grid.selection, qv::SelectionRect{});
    doc.grid.selection = qv::SelectionRect{};
}

void graphButtonDown(int x, int y)
{
    qv::GraphDoc* doc = currentDoc();
    if (!doc || !isIdle())
        return;
    if (!insidePlottingArea(doc->grid, x, y)) {
        MessageBeep(MB_OK);
        return;
    }
    if (g_shell.toolMode == TOOL_INTEGRATE) {
        const qv::CurveSnap snap =
            qv::snapToCurve(*doc, qv::DevicePoint{std::int16_t(x), std::int16_t(y)}, qv::SnapFilter::Integrable);
        if (!snap.equation) {
            endTool();
            return;
        }
        g_integrand = snap.equation;
        g_attached = snap;
        g_position = POINT{snap.point.x, snap.point.y};
        eraseSelection(*doc);
        g_anchor = g_position;
        doc->grid.selection = fullHeight(doc->grid, g_anchor.x, g_anchor.x);
        g_shell.toolMode |= TOOL_DRAGGING;
        return;
    }
    if (g_shell.toolMode == TOOL_DOMAIN) {
        eraseSelection(*doc);
        g_anchor = POINT{x, y};
        doc->grid.selection = fullHeight(doc->grid, x, x);
        g_shell.toolMode |= TOOL_DRAGGING;
        return;
    }
    if (g_shell.toolMode != 0)
        return;
    eraseSelection(*doc);
    g_anchor = g_corner = POINT{x, y};
    doc->grid.selection = normalised(g_anchor, g_corner);
    g_shell.toolMode = TOOL_BUTTON_DOWN;
    SetCapture(g_shell.graph);
}

void graphPointerMove(int x, int y)
{
    qv::GraphDoc* doc = currentDoc();
    if (!doc)
        return;
    if (g_shell.toolMode == TOOL_COORDINATES || g_shell.toolMode == TOOL_TANGENT) {
        followPointer(*doc, POINT{x, y});
        return;
    }
    if (g_shell.toolMode == TOOL_INTEGRATE) {
        followPointer(*doc, POINT{x, y}, qv::SnapFilter::Integrable);
        return;
    }
    if (g_shell.toolMode == (TOOL_INTEGRATE | TOOL_DRAGGING)) {
        // The region follows the curve the drag began on.
        if (!g_attached.equation ||
            !qv::followCurve(doc->grid, g_attached, x - g_position.x, y - g_position.y, smallScreen()))
            g_attached = qv::CurveSnap{};
        const POINT at = g_attached.equation ? POINT{g_attached.point.x, g_attached.point.y} : POINT{x, y};
        if (at.x != x || at.y != y)
            movePointerTo(at);
        g_position = at;
        dragFullHeight(*doc, at.x);
        const qv::GridSetup& g = doc->grid;
        std::string text = qv::formatMessage("Integrate region: %X, %X",
                                             {g.deviceToWorldX(g.selection.left), g.deviceToWorldX(g.selection.right)});
        if (g_integrand) {
            text += " on ";
            qv::describeEquation(text, *g_integrand);
        }
        setStatusText(text, qv::MESSAGE_INFORMATION);
        return;
    }
    if (g_shell.toolMode == TOOL_DOMAIN || g_shell.toolMode == TOOL_INITIAL_VALUE || g_shell.toolMode == TOOL_ANNOTATION ||
        g_shell.toolMode == TOOL_SYSTEM_VALUES) {
        setStatusText(qv::pointReadout(*doc, x, y, nullptr), qv::MESSAGE_INFORMATION);
        return;
    }
    if (g_shell.toolMode == TOOL_INITIAL_SLOPE) {
        if (g_pick.rubberShown)
            drawRubberLine();
        g_pick.rubberEnd = POINT{x, y};
        drawRubberLine();
        g_pick.rubberShown = true;
        const qv::GridSetup& g = doc->grid;
        setStatusText(qv::initialValueReadout(g_pick.values[0], g_pick.values[1], g.deviceToWorldX(x), g.deviceToWorldY(y)),
                      qv::MESSAGE_INFORMATION);
        return;
    }
    if (g_shell.toolMode == (TOOL_DOMAIN | TOOL_DRAGGING)) {
        dragFullHeight(*doc, x);
        const qv::GridSetup& g = doc->grid;
        setStatusText(qv::formatMessage("New domain: %X, %X",
                                        {g.deviceToWorldX(g.selection.left), g.deviceToWorldX(g.selection.right)}),
                      qv::MESSAGE_INFORMATION);
        return;
    }
    if (g_shell.toolMode != TOOL_BUTTON_DOWN && g_shell.toolMode != TOOL_ZOOM_SELECTION)
        return;
    qv::GridSetup& g = doc->grid;
    if (g_shell.toolMode == TOOL_BUTTON_DOWN) {
        if (x == g_anchor.x && y == g_anchor.y)
            return;
        g_shell.toolMode = TOOL_ZOOM_SELECTION;
        showPrompt(IDS_PROMPT_ZOOM);
        confineToPlottingArea();
    }
    g_corner = shapedCorner(g, POINT{x, y});
    const qv::SelectionRect next = normalised(g_anchor, g_corner);
    invertDifference(g.selection, next);
    g.selection = next;
    setStatusText(qv::formatMessage("Selected area: (%X, %Y) - (%X, %Y)",
                                    {g.deviceToWorldX(next.left), g.deviceToWorldY(next.top),
                                     g.deviceToWorldX(next.right), g.deviceToWorldY(next.bottom)}),
                  qv::MESSAGE_INFORMATION);
}

void graphButtonUp(int x, int y)
{
    qv::GraphDoc* doc = currentDoc();
    if (g_shell.toolMode == TOOL_COORDINATES) {
        endTool();
        return;
    }
    if (doc && g_shell.toolMode == (TOOL_DOMAIN | TOOL_DRAGGING)) {
        dragFullHeight(*doc, x);
        if (!doc->grid.selection.empty())
            applyDomain(*doc);
        eraseSelection(*doc);
        endTool();
        return;
    }
    if (doc && g_shell.toolMode == TOOL_ANNOTATION) {
        endTool();
        const int index = doc->currentAnnotation;
        if (index >= 0 && index < int(doc->annotations.size())) {
            doc->annotations[std::size_t(index)].x = doc->grid.deviceToWorldX(x);
            doc->annotations[std::size_t(index)].y = doc->grid.deviceToWorldY(y);
            doc->modified = true;
            doc->pending |= qv::PENDING_REPAINT;
        }
        return;
    }
    if (doc && g_shell.toolMode == TOOL_TANGENT) {
        const qv::CurveSnap snap =
            qv::snapToCurve(*doc, qv::DevicePoint{std::int16_t(x), std::int16_t(y)}, qv::SnapFilter::AnyCurve);
        endTool();
        if (snap.equation) {
            const qv::GridSetup& g = doc->grid;
            const qv::TangentResult result = qv::tangentAt(doc->tangent, *snap.equation, g.deviceToWorldX(snap.point.x),
                                                           g.deviceToWorldY(snap.point.y), snap.segment);
            if (result == qv::TangentResult::RedrawNeeded)
                doc->pending |= qv::PENDING_REPAINT;
        }
        return;
    }
    if (doc && g_shell.toolMode == (TOOL_INTEGRATE | TOOL_DRAGGING)) {
        const qv::GridSetup& g = doc->grid;
        const qv::SelectionRect region = g.selection;
        qv::Equation* first = g_integrand;
        const POINT end = g_attached.equation ? POINT{g_attached.point.x, g_attached.point.y} : POINT{x, y};
        qv::Equation* second =
            qv::snapToCurve(*doc, qv::DevicePoint{std::int16_t(end.x), std::int16_t(end.y)}, qv::SnapFilter::Integrable)
                .equation;
        eraseSelection(*doc);
        endTool();
        g_integrand = nullptr;
        if (first && !region.empty() &&
            qv::integrateRegion(*doc, first, second, g.deviceToWorldX(region.left), g.deviceToWorldX(region.right)) &&
            (qv::programOptions().intflags & qv::INT_SHOW_DIALOG))
            showIntegrateCurveDialog(*doc);
        return;
    }
    if (g_shell.toolMode == TOOL_DOMAIN || g_shell.toolMode == TOOL_INTEGRATE || g_shell.toolMode == TOOL_TANGENT) {
        endTool();
        return;
    }
    if (doc && (g_shell.toolMode == TOOL_INITIAL_VALUE || g_shell.toolMode == TOOL_INITIAL_SLOPE ||
                g_shell.toolMode == TOOL_SYSTEM_VALUES)) {
        initialValueClick(*doc, POINT{x, y});
        return;
    }
    if (!doc || (g_shell.toolMode != TOOL_BUTTON_DOWN && g_shell.toolMode != TOOL_ZOOM_SELECTION))
        return;
    if (g_shell.toolMode == TOOL_ZOOM_SELECTION)
        graphPointerMove(x, y);
    if (doc->grid.selection.empty()) {
        doc->grid.selection = qv::SelectionRect{};
        pickCurve(*doc, g_anchor);
    } else {
        setStatusText(loadString(IDS_ZOOM_NOW), qv::MESSAGE_INFORMATION);
    }
    endTool();
}

// The right button's release, ESC, or the capture taken away: a selection being dragged is dropped,
// a tool ends.
void cancelTool()
{
    if (g_shell.toolMode == TOOL_BUTTON_DOWN || g_shell.toolMode == TOOL_ZOOM_SELECTION) {
        if (qv::GraphDoc* doc = currentDoc())
            eraseSelection(*doc);
        endTool();
    } else if (activeTool()) {
        if (qv::GraphDoc* doc = currentDoc(); doc && (g_shell.toolMode & TOOL_DRAGGING))
            eraseSelection(*doc);
        eraseInitialValueMarks();
        endTool();
    }
}

void startInitialValueTool()
{
    qv::GraphDoc* doc = currentDoc();
    if (!doc || !isIdle() || g_shell.toolMode != 0 || !g_shell.graph || qv::initialValueCount(fieldText()) == 0)
        return;
    g_pick = InitialValuePick{};
    startTool(IDS_PROMPT_INITIALVALUE, TOOL_INITIAL_VALUE, 0);
    const POINT p = pointerInGraph();
    setStatusText(qv::pointReadout(*doc, p.x, p.y, nullptr), qv::MESSAGE_INFORMATION);
}

void startTangentTool()
{
    qv::GraphDoc* doc = currentDoc();
    if (!doc || !isIdle() || g_shell.toolMode != 0 || !g_shell.graph || doc->onScreen == 0 || doc->grid.logX() ||
        doc->grid.logY())
        return;
    startTool(IDS_PROMPT_TANGENT, TOOL_TANGENT, CM_TANGENT);
    followPointer(*doc, pointerInGraph());
}

void startAnnotationPlacement()
{
    qv::GraphDoc* doc = currentDoc();
    if (!doc || !isIdle() || g_shell.toolMode != 0 || !g_shell.graph || doc->currentAnnotation < 0)
        return;
    startTool(IDS_PROMPT_ANNOTATION, TOOL_ANNOTATION, 0);
    const POINT p = pointerInGraph();
    setStatusText(qv::pointReadout(*doc, p.x, p.y, nullptr), qv::MESSAGE_INFORMATION);
}

void startIntegrationTool()
{
    qv::GraphDoc* doc = currentDoc();
    if (!doc || !isIdle() || g_shell.toolMode != 0 || !g_shell.graph || doc->onScreen == 0)
        return;
    g_integrand = nullptr;
    startTool(IDS_PROMPT_INTEGRATE, TOOL_INTEGRATE, CM_INTEGRATE);
    followPointer(*doc, pointerInGraph(), qv::SnapFilter::Integrable);
}

void repaintToolMarks()
{
    qv::GraphDoc* doc = currentDoc();
    if (!activeTool() || !doc)
        return;
    if (!doc->grid.selection.empty())
        invertDifference(qv::SelectionRect{}, doc->grid.selection);
    if (g_pick.rubberShown)
        drawRubberLine();
    for (POINT p : g_pick.markers)
        drawMarker(p);
}

bool domainToolApplies()
{
    qv::GraphDoc* doc = currentDoc();
    if (!doc)
        return false;
    const std::uint16_t flags = qv::classifyText(fieldText(), gridRanges(doc->grid));
    const qv::GraphKind kind = kindOf(flags);
    return (kind == qv::GraphKind::Cartesian && !(flags & qv::eqflag::FunctionOfY)) || isDifferentialKind(kind);
}

void startDomainTool()
{
    qv::GraphDoc* doc = currentDoc();
    if (!doc || !isIdle() || g_shell.toolMode != 0 || !g_shell.graph || !domainToolApplies())
        return;
    startTool(IDS_PROMPT_DOMAIN, TOOL_DOMAIN, 0);
    const POINT p = pointerInGraph();
    setStatusText(qv::pointReadout(*doc, p.x, p.y, nullptr), qv::MESSAGE_INFORMATION);
}

void graphRightButtonDown(int x, int y)
{
    qv::GraphDoc* doc = currentDoc();
    if (!doc || !isIdle())
        return;
    if (!insidePlottingArea(doc->grid, x, y)) {
        MessageBeep(MB_OK);
        return;
    }
    if (g_shell.toolMode == TOOL_COORDINATES) {
        endTool();
    } else if (g_shell.toolMode == 0) {
        startTool(0, TOOL_COORDINATES, TB_COORDCURSOR);
        followPointer(*doc, POINT{x, y});
    }
}

void toggleCoordinateCursor()
{
    if (g_shell.toolMode == TOOL_COORDINATES) {
        endTool();
        return;
    }
    qv::GraphDoc* doc = currentDoc();
    if (!doc || !isIdle() || g_shell.toolMode != 0 || !g_shell.graph)
        return;
    startTool(IDS_PROMPT_COORDINATES, TOOL_COORDINATES, TB_COORDCURSOR);
    followPointer(*doc, pointerInGraph());
}

bool graphKey(UINT message, WPARAM key, LPARAM flags)
{
    if (!activeTool())
        return false;
    POINT p = pointerInGraph();
    const int base = g_shell.toolMode & ~TOOL_DRAGGING;
    const bool dragTool = base == TOOL_DOMAIN || base == TOOL_INTEGRATE;
    if (message == WM_KEYUP) {
        g_keyStep = 1;
        if (key == VK_SHIFT && dragTool && (g_shell.toolMode & TOOL_DRAGGING)) {
            graphButtonUp(p.x, p.y);
            return true;
        }
        return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
    }
    switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: {
        if (flags & (1 << 30))
            g_keyStep += 2;  // the key repeats
        const int step = g_keyStep;
        p.x += key == VK_LEFT ? -step : key == VK_RIGHT ? step : 0;
        p.y += key == VK_UP ? -step : key == VK_DOWN ? step : 0;
        ClientToScreen(g_shell.graph, &p);
        SetCursorPos(p.x, p.y);  // the confinement keeps it inside the plotting area
        return true;
    }
    case VK_SHIFT:
        if (dragTool && !(g_shell.toolMode & TOOL_DRAGGING) && !(flags & (1 << 30)))
            graphButtonDown(p.x, p.y);
        return dragTool;
    case VK_RETURN:
        if (dragTool && !(g_shell.toolMode & TOOL_DRAGGING))
            graphButtonDown(p.x, p.y);
        else
            graphButtonUp(p.x, p.y);
        return true;
    case VK_ESCAPE: cancelTool(); return true;
    default: return false;
    }
}

bool setToolCursor()
{
    if (!activeTool())
        return false;
    SetCursor(toolCursor());
    return true;
}

}  // namespace shell
