// The graph window: shows the current document, keeps its graph area, repaints the grid and the
// stored curves, and moves the range with its scroll bars.
#include <windowsx.h>

#include <cmath>

#include "doc/graph_doc.h"
#include "platform/win32/gdi_surface.h"
#include "plot/graphing_driver.h"
#include "plot/grid_draw.h"
#include "plot/point_list.h"
#include "dialogs.h"
#include "shell.h"

namespace shell {

namespace {

constexpr int SCROLL_REST = 50;
constexpr int SCROLL_LINE_UP = 45, SCROLL_LINE_DOWN = 55;
constexpr int SCROLL_PAGE_UP = 25, SCROLL_PAGE_DOWN = 75;
constexpr int SCROLL_MAX = 100;
constexpr int MIN_PLOT_SIZE = 32;

bool g_thumbTracking = false;  // the grid alone is shown for a dragged thumb

qv::GraphDoc* currentDoc() { return qv::documentProgram().current; }

bool rangeComplete(const qv::GridSetup& g)
{
    return std::isfinite(g.xMin) && std::isfinite(g.xMax) && std::isfinite(g.yMin) && std::isfinite(g.yMax) &&
           g.xMin != g.xMax && g.yMin != g.yMax;
}

void takeClientArea(HWND window, qv::GraphDoc& doc)
{
    RECT client;
    GetClientRect(window, &client);
    doc.graphArea = qv::DeviceRect{static_cast<std::int16_t>(client.left), static_cast<std::int16_t>(client.top),
                                   static_cast<std::int16_t>(client.right), static_cast<std::int16_t>(client.bottom)};
}

void paint(HWND window)
{
    PAINTSTRUCT ps;
    BeginPaint(window, &ps);
    qv::GraphDoc* doc = currentDoc();
    qv::DocumentProgram& program = qv::documentProgram();
    if (!program.printing && !IsRectEmpty(&ps.rcPaint)) {
        if (doc && g_shell.graphSurface && rangeComplete(doc->grid)) {
            qv::GdiSurface& surface = *g_shell.graphSurface;
            // A curve being computed keeps its pen: the stored curves drawn here make and release their own.
            qv::CurveOutput& out = qv::curveOutput();
            const qv::ObjectId runningPen = out.curvePen;
            const qv::Colour runningColour = out.curveColour;
            out.curvePen = 0;
            const qv::ObjectId previous = surface.select(surface.stockObject(qv::StockObject::WhitePen));
            if (!activeTool())
                doc->grid.selection = qv::SelectionRect{};
            qv::drawGridScreen(*doc, surface);
            if (!g_thumbTracking)
                qv::redrawAllCurves(*doc);
            repaintToolMarks();
            surface.select(previous);
            out.curvePen = runningPen;
            out.curveColour = runningColour;
            if (runningPen)
                surface.select(runningPen);
        } else {
            RECT client;
            GetClientRect(window, &client);
            FillRect(ps.hdc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        }
    }
    EndPaint(window, &ps);
}

// The scroll bar is a joystick resting in the middle: its offset from there moves the range.
void scroll(HWND window, int bar, int code, int thumb)
{
    qv::GraphDoc* doc = currentDoc();
    if (!doc || !isIdle())
        return;
    int p;
    switch (code) {
    case SB_LINEUP: p = SCROLL_LINE_UP; break;
    case SB_LINEDOWN: p = SCROLL_LINE_DOWN; break;
    case SB_PAGEUP: p = SCROLL_PAGE_UP; break;
    case SB_PAGEDOWN: p = SCROLL_PAGE_DOWN; break;
    case SB_TOP: p = 0; break;
    case SB_BOTTOM: p = SCROLL_MAX; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: p = thumb; break;
    case SB_ENDSCROLL:
        SetScrollPos(window, bar, SCROLL_REST, TRUE);
        if (qv::programOptions().autoredraw) {
            PostMessageA(window, WM_COMMAND, CM_REDRAW_AFTER_REGRID, 0);
        } else {
            for (qv::Equation* e = doc->queueHead; e; e = e->next)
                e->flags &= ~qv::eqflag::OnGrid;
            doc->onScreen = 0;
        }
        return;
    default: return;
    }
    qv::GridSetup& g = doc->grid;
    const qv::GridSetup saved = g;
    const double l = (p - SCROLL_REST) * 0.01;
    if (bar == SB_HORZ) {
        if (g.logX() && g.logY()) {
            const double f = std::exp(l * (g.logOfX(g.xMax) - g.logOfX(g.xMin)) * g.lnBase);
            g.xMin *= f;
            g.xMax *= f;
        } else {
            const double d = (g.xMax - g.xMin) * l;
            g.xMin += d;
            g.xMax += d;
        }
    } else {
        if (g.logY()) {
            const double f = std::exp(-l * (g.logOfY(g.yMax) - g.logOfY(g.yMin)) * g.lnBase);
            g.yMin *= f;
            g.yMax *= f;
        } else {
            const double d = (g.yMin - g.yMax) * l;
            g.yMin += d;
            g.yMax += d;
        }
    }
    if (g.logX() || g.logY())
        g.refreshLogScale();
    if (code == SB_THUMBTRACK) {
        g_thumbTracking = true;
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
        g_thumbTracking = false;
        g = saved;
        return;
    }
    SetScrollPos(window, bar, code == SB_THUMBPOSITION ? thumb : p, TRUE);
    qv::applyNewGrid(*doc, false);
}

void adopt(HWND window, qv::GraphDoc* doc)
{
    if (!doc)
        return;
    doc->graphWindow = reinterpret_cast<std::uintptr_t>(window);
    if (g_shell.graphSurface)
        qv::measureGridFonts(*doc, *g_shell.graphSurface, smallScreen());
}

}  // namespace

void createGraphWindow(qv::GraphDoc* doc)
{
    DWORD style = WS_CHILD | WS_VISIBLE;
    if (qv::programOptions().scrollbars)
        style |= WS_HSCROLL | WS_VSCROLL;
    g_shell.graph = CreateWindowExA(0, kGraphClass, "", style, 0, 0, 0, 0, g_shell.main, nullptr, g_shell.instance, doc);
    if (qv::programOptions().scrollbars)
        setScrollbars(true);
}

void setScrollbars(bool on)
{
    if (!g_shell.graph)
        return;
    ShowScrollBar(g_shell.graph, SB_BOTH, on);
    if (on) {
        for (int bar : {SB_HORZ, SB_VERT}) {
            SetScrollRange(g_shell.graph, bar, 0, SCROLL_MAX, FALSE);
            SetScrollPos(g_shell.graph, bar, SCROLL_REST, TRUE);
        }
    }
}

LRESULT CALLBACK graphWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    qv::GraphDoc* doc = currentDoc();
    LRESULT result = 0;
    switch (message) {
    case WM_CREATE: {
        g_shell.graph = window;
        g_shell.graphSurface = new qv::GdiSurface(GetDC(window));
        qv::curveOutput().surface = g_shell.graphSurface;
        auto* created = static_cast<qv::GraphDoc*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        adopt(window, created);
        if (created)
            created->pending |= qv::PENDING_AUTOSCALE;
        return 0;
    }
    case WM_SIZE:
        // A window too small for a plotting area keeps its last layout: rescaling the range by the
        // ratio of a sliver of a window would distort it for good.
        if (doc && LOWORD(lParam) >= MIN_PLOT_SIZE && HIWORD(lParam) >= MIN_PLOT_SIZE) {
            takeClientArea(window, *doc);
            doc->pending |= qv::PENDING_REGRID | qv::PENDING_RELAYOUT;
        }
        break;
    case WM_PAINT:
        paint(window);
        // The focus stays where the user put it while the window repaints.
        if (doc && doc->pending && isIdle())
            qv::applyPendingUpdates(*doc);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_COMMAND:
        if (LOWORD(wParam) == CM_REDRAW_AFTER_REGRID) {
            if (doc && isIdle())
                qv::redrawAfterRegrid(*doc, qv::programOptions().autonum);
        } else if (LOWORD(wParam) == CM_ADOPT_DOCUMENT) {
            doc = reinterpret_cast<qv::GraphDoc*>(lParam);
            adopt(window, doc);
            if (doc) {
                takeClientArea(window, *doc);
                doc->pending |= qv::PENDING_REGRID | qv::PENDING_RELAYOUT | qv::PENDING_AUTOSCALE;
            }
        }
        break;
    case WM_LBUTTONDOWN:
        graphButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_MOUSEMOVE:
        graphPointerMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_LBUTTONUP:
        graphButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_LBUTTONDBLCLK:
        // A double click on an annotation opens the Annotate dialog with it.
        if (doc && isIdle() && g_shell.toolMode == 0) {
            const int index = qv::annotationAt(*doc, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            if (index >= 0)
                openAnnotateDialog(*doc, index);
        }
        break;
    case WM_RBUTTONDOWN:
        graphRightButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_RBUTTONUP:
        cancelTool();
        break;
    case WM_CAPTURECHANGED:
        // Another window took the pointer: a drag or a tool cannot go on without it.
        if (reinterpret_cast<HWND>(lParam) != window)
            cancelTool();
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (!graphKey(message, wParam, lParam))
            return DefWindowProcA(window, message, wParam, lParam);
        break;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && setToolCursor())
            return TRUE;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_HSCROLL:
    case WM_VSCROLL:
        scroll(window, message == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wParam), HIWORD(wParam));
        break;
    case WM_DESTROY:
        qv::curveOutput().surface = nullptr;
        delete g_shell.graphSurface;
        g_shell.graphSurface = nullptr;
        g_shell.graph = nullptr;
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
    // The common tail of the graph window.
    doc = currentDoc();
    if (doc && doc->pending)
        qv::applyPendingUpdates(*doc);
    if (message != WM_LBUTTONDOWN && isIdle() && !activeTool())
        returnFocusToEquationField();
    return result;
}

}  // namespace shell
