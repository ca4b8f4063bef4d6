// The command bar: the toolbar, the equation field and the invisible Graph and Pause buttons; the
// Graph command, and pause, resume and abort of a drawing run.
#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <iterator>

#include "doc/equation_line.h"
#include "doc/graph_doc.h"
#include "expr/number_format.h"
#include "platform/ui.h"
#include "plot/graphing_driver.h"
#include "resource.h"
#include "shell.h"

namespace shell {

namespace {

using namespace qv::drawstate;

constexpr int IMAGE_DRAW = 5;
constexpr int IMAGE_PAUSE = 6;
constexpr int IMAGE_RESTART = 18;
constexpr int IMAGE_PAUSE_PRESSED = 19;
constexpr int IMAGE_ABORT = 20;
constexpr int TOOLBAR_IMAGES = 21;

struct ToolButton {
    int command;
    int image;  // -1: a separator
};
constexpr ToolButton TOOL_BUTTONS[] = {
    {CM_FILENEW, 0},         {CM_FILEOPEN, 1},     {CM_FILESAVE, 2},       {CM_FILEPRINT, 3},
    {TB_COPYGRAPHS, 4},      {0, -1},              {TB_DRAWGRAPH, 5},      {TB_PAUSE, 6},
    {0, -1},                 {TB_REDRAWALL, 7},    {TB_CLEARSCREEN, 8},    {CM_HIDEGRAPH, 9},
    {TB_DELETEGRAPH, 10},    {0, -1},              {TB_ZOOMIN, 11},        {TB_ZOOMOUT, 12},
    {TB_DEFAULTGRID, 13},    {0, -1},              {TB_COORDCURSOR, 14},   {CM_DERIVATIVE, 15},
    {CM_TANGENT, 16},        {CM_INTEGRATE, 17},
};

// Buttons whose commands come with the mouse tools, printing and clipboard pictures: shown, never
// enabled, so that none of them pretends to work.
constexpr int UNBUILT_BUTTONS[] = {CM_FILEPRINT, TB_COPYGRAPHS};

// Disabled while a graph is drawn.
constexpr int DRAWING_DISABLED[] = {TB_DRAWGRAPH,  TB_CLEARSCREEN, TB_ZOOMIN,   TB_ZOOMOUT,    TB_REDRAWALL,
                                    TB_DEFAULTGRID, TB_COORDCURSOR, TB_DELETEGRAPH, TB_COPYGRAPHS, CM_FILENEW,
                                    CM_FILEOPEN,   CM_FILESAVE,    CM_FILEPRINT, CM_HIDEGRAPH,  CM_DERIVATIVE,
                                    CM_TANGENT,    CM_INTEGRATE};

bool unbuilt(int command)
{
    for (int c : UNBUILT_BUTTONS)
        if (c == command)
            return true;
    return false;
}

void enableButton(int command, bool on)
{
    SendMessageA(g_shell.toolbar, TB_ENABLEBUTTON, command, MAKELONG(on && !unbuilt(command), 0));
}

void setButtonImage(int command, int image)
{
    SendMessageA(g_shell.toolbar, TB_CHANGEBITMAP, command, MAKELPARAM(image, 0));
}

void makeDefault(int button)
{
    HWND bar = g_shell.commandBar;
    SendMessageA(bar, DM_SETDEFID, button, 0);
    SendDlgItemMessageA(bar, IDOK, BM_SETSTYLE, button == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    SendDlgItemMessageA(bar, IDCANCEL, BM_SETSTYLE, button == IDCANCEL ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    SetFocus(GetDlgItem(bar, button));
}

int baseState() { return qv::drawState() & ~RepaintPending; }

void pause()
{
    qv::drawState() = Paused | (qv::drawState() & RepaintPending);
    setButtonImage(TB_PAUSE, IMAGE_RESTART);
    setButtonImage(TB_DRAWGRAPH, IMAGE_ABORT);
    SendMessageA(g_shell.toolbar, TB_ENABLEBUTTON, TB_DRAWGRAPH, MAKELONG(TRUE, 0));
    makeDefault(IDOK);
}

void resume()
{
    qv::drawState() = Running | (qv::drawState() & RepaintPending);
    setButtonImage(TB_PAUSE, IMAGE_PAUSE_PRESSED);
    setButtonImage(TB_DRAWGRAPH, IMAGE_DRAW);
    enableButton(TB_DRAWGRAPH, false);
    makeDefault(IDCANCEL);
}

void abortDrawing()
{
    qv::drawState() = AbortRequested;
    setButtonImage(TB_DRAWGRAPH, IMAGE_DRAW);
}

std::string rangeText(const qv::GridSetup& g)
{
    return qv::formatMessage("(%X, %Y) - (%X, %Y)", {g.xMin, g.yMin, g.xMax, g.yMax});
}

void defaultGrid()
{
    qv::DocumentProgram& program = qv::documentProgram();
    qv::GraphDoc* doc = program.current;
    if (!doc || !program.setupDoc)
        return;
    qv::GridSetup& g = doc->grid;
    g.resetToDefaultRange(program.setupDoc->grid);
    if (!std::isfinite(g.yMin) || !std::isfinite(g.yMax))
        g.autoSquare();
    setStatusText("Range reset: " + rangeText(g), qv::MESSAGE_INFORMATION);
    qv::applyNewGrid(*doc, true);
}

// Zooms into the selection, or out from it by the default factor centred on it.
void zoomWithSelection(bool out)
{
    qv::GraphDoc* doc = qv::documentProgram().current;
    if (!doc)
        return;
    qv::GridSetup& g = doc->grid;
    const qv::GridSetup before = g;
    double increment = qv::programOptions().tableincr;
    const bool zoomed = out ? g.zoomOutFromSelection(defaultZoomFactor(), &increment) : g.zoomToSelection();
    eraseSelection(*doc);
    if (!zoomed) {
        // A refused zoom leaves the range the user saw.
        g = before;
        g.selection = qv::SelectionRect{};
        return;
    }
    qv::programOptions().tableincr = increment;
    setStatusText("New range set: " + rangeText(g), qv::MESSAGE_INFORMATION);
    qv::applyNewGrid(*doc, true);
}

// The status help of a button, shown while idle when its tooltip is asked for.
UINT statusHelpOf(int command)
{
    switch (command) {
    case TB_PAUSE: return 0;
    case TB_COPYGRAPHS: return static_cast<UINT>(qv::programOptions().copygraphs);
    case TB_REDRAWALL: return CM_REDRAWALL;
    case TB_CLEARSCREEN: return CM_CLEARSCREEN;
    case TB_DELETEGRAPH: return CM_DELETEEQ;
    case TB_COORDCURSOR: return CM_COORDCURSOR;
    case TB_ZOOMIN: return hasSelection() ? IDS_ZOOM_SELECTION : TB_ZOOMIN;
    case TB_ZOOMOUT: return hasSelection() ? IDS_ZOOM_OUT_SELECTION : TB_ZOOMOUT;
    default: return static_cast<UINT>(command);
    }
}

void tooltipText(NMTTDISPINFOA& info)
{
    const int command = static_cast<int>(info.hdr.idFrom);
    int index = 0;
    for (const ToolButton& b : TOOL_BUTTONS) {
        if (b.image < 0)
            continue;
        if (b.command == command)
            break;
        ++index;
    }
    UINT id = IDS_TOOLTIP_FIRST + index;
    if (baseState() == Paused && command == TB_DRAWGRAPH)
        id = IDS_TOOLTIP_FIRST + 18;
    if (baseState() == Paused && command == TB_PAUSE)
        id = IDS_TOOLTIP_FIRST + 19;
    info.hinst = g_shell.instance;
    info.lpszText = MAKEINTRESOURCEA(id);
    if (isIdle()) {
        const UINT help = statusHelpOf(command);
        setStatusText(help ? loadString(help) : std::string(), qv::MESSAGE_INFORMATION);
    }
}

void postToMain(int command, int high = 0)
{
    PostMessageA(g_shell.main, WM_COMMAND, MAKEWPARAM(command, high), 0);
}

// Returns true when the command was one of the bar's own.
bool barCommand(int id, int notification)
{
    const int state = baseState();
    if (id == IDC_EQUATION) {
        qv::GraphDoc* doc = qv::documentProgram().current;
        if ((notification == CBN_SELCHANGE || notification == CBN_DROPDOWN) && doc) {
            const LRESULT index = SendMessageA(g_shell.equationField, CB_GETCURSEL, 0, 0);
            qv::Equation* e = doc->queueHead;
            for (LRESULT i = 0; e && i < index; ++i)
                e = e->next;
            if (index >= 0 && e)
                setStatusText(screenStatusOf(*e), qv::MESSAGE_INFORMATION);
        } else if (notification == CBN_EDITCHANGE) {
            setStatusText("", qv::MESSAGE_INFORMATION);
        }
        return false;
    }
    switch (id) {
    case IDOK:
        if (state == Paused)
            resume();
        else if (state == Idle)
            graphCommand();
        break;
    case IDCANCEL:
        if (state == Running)
            pause();
        else if (state == Paused)
            abortDrawing();
        break;
    case TB_DRAWGRAPH:
        if (state == Paused)
            abortDrawing();
        else if (state == Idle)
            graphCommand();
        break;
    case TB_PAUSE:
        if (state == Running)
            pause();
        else if (state == Paused)
            resume();
        break;
    default:
        if (state != Idle)
            return true;
        switch (id) {
        case CM_FILENEW:
        case CM_FILEOPEN:
        case CM_FILESAVE:
        case CM_HIDEGRAPH:
        case CM_DERIVATIVE:
        case CM_TANGENT:
        case CM_INTEGRATE: postToMain(id); break;
        case TB_DELETEGRAPH: postToMain(CM_DELETEEQ); break;
        case TB_REDRAWALL: postToMain(CM_REDRAW_ALL_POSTED); break;
        case TB_CLEARSCREEN:
            if (qv::GraphDoc* doc = qv::documentProgram().current)
                qv::clearScreen(*doc);
            break;
        case TB_ZOOMIN:
        case TB_ZOOMOUT:
            if (hasSelection())
                zoomWithSelection(id == TB_ZOOMOUT);
            else
                postToMain(CM_SCALE, id);
            break;
        case TB_DEFAULTGRID: defaultGrid(); break;
        case TB_COORDCURSOR: toggleCoordinateCursor(); break;
        default: return false;
        }
    }
    return true;
}

INT_PTR CALLBACK commandBarProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return FALSE;
    case WM_CTLCOLORDLG:
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == TTN_GETDISPINFOA)
            tooltipText(*reinterpret_cast<NMTTDISPINFOA*>(lParam));
        return FALSE;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const bool handled = barCommand(id, HIWORD(wParam));
        if (id != IDC_EQUATION && !activeTool() && isIdle())
            returnFocusToEquationField();
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
        return handled ? TRUE : FALSE;
    }
    }
    return FALSE;
}

}  // namespace

HWND createCommandBar(HWND main)
{
    HWND bar = CreateDialogA(g_shell.instance, "ID_GRAPHBOX", main, commandBarProc);
    if (!bar)
        return nullptr;
    g_shell.equationField = GetDlgItem(bar, IDC_EQUATION);
    SendMessageA(g_shell.equationField, CB_LIMITTEXT, EQUATION_TEXT_LIMIT, 0);
    return bar;
}

void createToolbar()
{
    HWND tb = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                              WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT | CCS_NODIVIDER | CCS_TOP, 0, 0,
                              0, 0, g_shell.commandBar, reinterpret_cast<HMENU>(IDC_TOOLBAR), g_shell.instance, nullptr);
    if (!tb)
        return;
    g_shell.toolbar = tb;
    SendMessageA(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(tb, TB_SETBITMAPSIZE, 0, MAKELONG(16, 16));
    HBITMAP images = static_cast<HBITMAP>(
        LoadImageA(g_shell.instance, MAKEINTRESOURCEA(IDB_TOOLBAR), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    TBADDBITMAP add{nullptr, reinterpret_cast<UINT_PTR>(images)};
    SendMessageA(tb, TB_ADDBITMAP, TOOLBAR_IMAGES, reinterpret_cast<LPARAM>(&add));
    TBBUTTON buttons[std::size(TOOL_BUTTONS)]{};
    int n = 0;
    for (const ToolButton& b : TOOL_BUTTONS) {
        TBBUTTON& t = buttons[n++];
        if (b.image < 0) {
            t.fsStyle = TBSTYLE_SEP;
            continue;
        }
        t.iBitmap = b.image;
        t.idCommand = b.command;
        t.fsState = (b.command == TB_PAUSE || unbuilt(b.command)) ? 0 : TBSTATE_ENABLED;
        t.fsStyle = TBSTYLE_BUTTON;
    }
    SendMessageA(tb, TB_ADDBUTTONS, n, reinterpret_cast<LPARAM>(buttons));
    SendMessageA(tb, TB_AUTOSIZE, 0, 0);
    RECT r;
    GetWindowRect(tb, &r);
    g_shell.toolbarHeight = r.bottom - r.top;
}

void toolbarBeginDrawing()
{
    HWND bar = g_shell.commandBar;
    if (!bar || !g_shell.toolbar)
        return;
    EnableWindow(GetDlgItem(bar, IDCANCEL), TRUE);
    EnableWindow(g_shell.equationField, FALSE);
    SendMessageA(g_shell.toolbar, TB_ENABLEBUTTON, TB_PAUSE, MAKELONG(TRUE, 0));
    setButtonImage(TB_PAUSE, IMAGE_PAUSE_PRESSED);
    for (int c : DRAWING_DISABLED)
        enableButton(c, false);
    makeDefault(IDCANCEL);
}

void toolbarEndDrawing()
{
    HWND bar = g_shell.commandBar;
    if (!bar || !g_shell.toolbar)
        return;
    SendMessageA(g_shell.toolbar, TB_ENABLEBUTTON, TB_PAUSE, MAKELONG(FALSE, 0));
    setButtonImage(TB_PAUSE, IMAGE_PAUSE);
    setButtonImage(TB_DRAWGRAPH, IMAGE_DRAW);
    for (int c : DRAWING_DISABLED)
        enableButton(c, true);
    EnableWindow(g_shell.equationField, TRUE);
    SendMessageA(bar, DM_SETDEFID, IDOK, 0);
    SendDlgItemMessageA(bar, IDOK, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    SendDlgItemMessageA(bar, IDCANCEL, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
}

void redrawLast()
{
    qv::GraphDoc* doc = qv::documentProgram().current;
    if (!doc || !doc->queueHead)
        return;
    qv::GraphingDriver& driver = qv::documentProgram().driverOrNone();
    driver.beginDrawing(*doc);
    doc->queueHead->flags &= ~qv::eqflag::OnGrid;
    driver.graphEquation(*doc, *doc->queueHead);
    driver.endDrawing(*doc);
}

// Enter, the Graph button and the toolbar's Draw graph: promote a queued line or add a new one, and
// draw it.
void graphCommand()
{
    qv::DocumentProgram& program = qv::documentProgram();
    qv::GraphDoc* doc = program.current;
    if (!doc || !isIdle())
        return;
    const std::string text = fieldText();
    if (text.find_first_not_of(" \t") == std::string::npos)
        return;
    if (qv::findEquation(*doc, text)) {
        qv::promoteEquation(*doc, text);
        qv::Equation* e = doc->queueHead;
        if (e->flags & qv::eqflag::OnGrid)
            return;
        qv::GraphingDriver& driver = program.driverOrNone();
        driver.beginDrawing(*doc);
        driver.graphEquation(*doc, *e);
        driver.endDrawing(*doc);
        return;
    }
    const qv::GridSetup& g = doc->grid;
    qv::GridRanges ranges{g.xMin, g.xMax, g.yMin, g.yMax};
    if (!std::isfinite(ranges.yMin) || !std::isfinite(ranges.yMax)) {
        ranges.yMin = ranges.xMin;
        ranges.yMax = ranges.xMax;
    }
    // A full queue drops its oldest entry, so the count alone does not tell that a line joined.
    const qv::Equation* before = doc->queueHead;
    const qv::ParseStatus status = qv::addLine(*doc, text, ranges);
    if (status != 0 || !doc->queueHead || doc->queueHead == before)
        return;
    qv::Equation* added = doc->queueHead;
    qv::GraphingDriver& driver = program.driverOrNone();
    driver.beginDrawing(*doc);
    driver.graphEquation(*doc, *added);
    driver.endDrawing(*doc);
    doc->modified = true;
    // The field shows the line as the queue keeps it, so that Enter again finds it there; a line that
    // could not be graphed has left the queue and stays as typed.
    if (doc->queueHead == added)
        SetWindowTextA(g_shell.equationField, added->text.c_str());
}

std::string fieldText()
{
    char text[EQUATION_TEXT_LIMIT + 2] = "";
    GetWindowTextA(g_shell.equationField, text, sizeof text);
    return text;
}

std::string screenStatusOf(const qv::Equation& e)
{
    std::string text = (e.flags & qv::eqflag::OnGrid) ? "ON SCREEN: " : "OFF SCREEN: ";
    qv::describeEquation(text, e);
    return text;
}

// Leaves the focus where it is when it is in the equation field (or one of its children) or outside the
// main window; otherwise gives it to the equation field. Reports whether it left the focus alone.
bool returnFocusToEquationField()
{
    HWND focus = GetFocus();
    HWND field = g_shell.equationField;
    if (!field)
        return true;
    if (focus && (focus == field || IsChild(field, focus) || !IsChild(g_shell.main, focus)) && focus != g_shell.main)
        return true;
    SetFocus(field);
    return false;
}

}  // namespace shell
