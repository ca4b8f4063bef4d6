// The left button in the graph window: a click picks the curve under the pointer, a drag selects a
// rectangle for the zoom buttons. The selection is drawn by inverting the screen, so drawing it a
// second time erases it.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "doc/graph_doc.h"
#include "expr/number_format.h"
#include "platform/ui.h"
#include "plot/curve_snap.h"
#include "plot/grid_setup.h"
#include "resource.h"
#include "shell.h"

namespace shell {

namespace {

POINT g_anchor{};  // where the left button went down
POINT g_corner{};  // the free corner, as dragged

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
    returnFocusToEquationField();
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

}  // namespace

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
    if (!doc || !isIdle() || g_shell.toolMode != 0)
        return;
    if (!insidePlottingArea(doc->grid, x, y)) {
        MessageBeep(MB_OK);
        return;
    }
    eraseSelection(*doc);
    g_anchor = g_corner = POINT{x, y};
    doc->grid.selection = normalised(g_anchor, g_corner);
    g_shell.toolMode = TOOL_BUTTON_DOWN;
    SetCapture(g_shell.graph);
}

void graphPointerMove(int x, int y)
{
    qv::GraphDoc* doc = currentDoc();
    if (!doc || (g_shell.toolMode != TOOL_BUTTON_DOWN && g_shell.toolMode != TOOL_ZOOM_SELECTION))
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

// The right button, or a capture taken away, cancels a selection being dragged.
void cancelSelectionDrag()
{
    qv::GraphDoc* doc = currentDoc();
    if (g_shell.toolMode != TOOL_BUTTON_DOWN && g_shell.toolMode != TOOL_ZOOM_SELECTION)
        return;
    if (doc)
        eraseSelection(*doc);
    endTool();
}

}  // namespace shell
