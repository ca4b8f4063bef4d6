// The main window: class registration, layout, the command table, menu state and help, size
// handling, activation and closing.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "analysis/integration.h"
#include "analysis/printout.h"
#include "analysis/tangent.h"
#include "doc/equation_line.h"
#include "doc/graph_doc.h"
#include "expr/report.h"
#include "doc/graph_file.h"
#include "platform/ui.h"
#include "plot/graphing_driver.h"
#include "plot/point_list.h"
#include "resource.h"
#include "dialogs.h"
#include "shell.h"

namespace shell {

namespace {

constexpr char kHelpFile[] = "quorplot.hlp";
constexpr char kHomePage[] = "http://www.talvane.example/quorvex/";
constexpr char kFeedback[] = "mailto:quorvex@talvane.example";
constexpr char kShortcutFile[] = "\\Quorvex.url";
constexpr UINT kHelpContextOperators = 2;

qv::GraphDoc* currentDoc() { return qv::documentProgram().current; }

int fontHeight(HWND window)
{
    HDC dc = GetDC(window);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    if (old)
        SelectObject(dc, old);
    ReleaseDC(window, dc);
    return tm.tmHeight;
}

// The status-bar help of a highlighted menu item: the string with the item's identifier; for a popup,
// the one before its first item's (1500 when that first item opens a popup itself).
void showMenuHelp(WPARAM wParam, LPARAM lParam)
{
    UINT item = LOWORD(wParam);
    UINT flags = HIWORD(wParam);
    HMENU menu = reinterpret_cast<HMENU>(lParam);
    if (flags == 0xFFFF && !menu) {
        setStatusText("");
        return;
    }
    UINT id = item;
    if (flags & MF_POPUP) {
        HMENU popup = GetSubMenu(menu, item);
        UINT first = popup ? GetMenuItemID(popup, 0) : 0;
        id = (first == static_cast<UINT>(-1)) ? 1500 : first - 1;
    }
    if (flags & MF_SEPARATOR)
        id = 0;
    setStatusText(id ? loadString(id) : std::string());
}

bool tablesOn() { return (qv::programOptions().tables & 1) != 0; }

void check(UINT id, bool on)
{
    CheckMenuItem(g_shell.menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void enable(UINT id, bool on)
{
    EnableMenuItem(g_shell.menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

// The equation Find Derivative works on: the one named in the field when it is queued, else the
// newest.
qv::Equation* derivativeSource(qv::GraphDoc& doc)
{
    const std::string text = fieldText();
    for (qv::Equation* e = doc.queueHead; e; e = e->next)
        if (e->text == text)
            return e;
    return doc.queueHead;
}

bool derivativeApplies(qv::GraphDoc& doc)
{
    const qv::Equation* e = derivativeSource(doc);
    if (!e)
        return false;
    const qv::GraphKind k = e->kind();
    const bool differential = k == qv::GraphKind::Ode || k == qv::GraphKind::OdePhase ||
                              k == qv::GraphKind::OdeSystem || k == qv::GraphKind::OdeSystemPhase;
    return !differential && !(e->flags & qv::eqflag::Inequality);
}

void findDerivativeCommand(qv::GraphDoc& doc)
{
    if (doc.count == 0)
        return;
    qv::promoteEquation(doc, fieldText());
    if (doc.queueHead)
        qv::findDerivative(doc, *doc.queueHead);
}

void updateMenuState()
{
    qv::GraphDoc* doc = currentDoc();
    const bool queue = doc && doc->count > 0;
    enable(CM_COPYEQUATIONS, queue);
    enable(CM_COPYTABLES, tablesOn());
    enable(CM_EDITUNDO, qv::canUndo());
    for (UINT id : {CM_GRAPHPAPER, CM_SCALE, CM_THETARANGE, CM_COLORS, CM_FONTS, CM_FINENESS, CM_HELPABOUT})
        enable(id, settingsDialogAvailable(id));
    for (UINT id : {CM_LEGENDS, CM_TITLE, CM_ANNOTATE, CM_SETTINGS, CM_TABLEOPTIONS, CM_VARIABLES, CM_INTOPTIONS})
        enable(id, toolDialogAvailable(id));
    enable(CM_EVALUATE, queue && toolDialogAvailable(CM_EVALUATE));
    enable(CM_GRIDRANGE, hasSelection() || settingsDialogAvailable(CM_GRIDRANGE));
    enable(CM_SETDOMAIN, domainToolApplies());
    enable(CM_INITIALVALUE, qv::initialValueCount(fieldText()) != 0);
    const bool onScreen = doc && doc->onScreen > 0;
    enable(CM_DERIVATIVE, doc && derivativeApplies(*doc));
    enable(CM_TANGENT, onScreen && !doc->grid.logX() && !doc->grid.logY());
    enable(CM_INTEGRATE, onScreen && ((qv::programOptions().intflags & qv::INT_MOUSE) || toolDialogAvailable(CM_INTEGRATE)));
    enable(CM_CRITICAL, onScreen && toolDialogAvailable(CM_CRITICAL));
}

std::string windowsLineText(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += "\r\n";
        text += lines[i];
    }
    return text;
}

bool putTextOnClipboard(const std::string& text)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
    if (!block) {
        qv::userInterface().messageBox(qv::MSG_NO_MEMORY);
        return false;
    }
    char* p = static_cast<char*>(GlobalLock(block));
    std::memcpy(p, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    if (!OpenClipboard(g_shell.main)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
    return true;
}

void copyTables()
{
    constexpr std::size_t kLimit = 65535;
    qv::PrintoutList* list = qv::printout().list;
    if (!list)
        return;
    std::string text;
    for (int i = 0; i < list->count(); ++i) {
        const std::string line = list->line(i) + "\r\n";
        if (text.size() + line.size() >= kLimit)
            break;
        text += line;
    }
    putTextOnClipboard(text);
}

void copyEquations()
{
    qv::GraphDoc* doc = currentDoc();
    if (!doc || !doc->queueHead)
        return;
    std::vector<std::string> lines;
    const LRESULT selected = SendMessageA(g_shell.equationField, CB_GETCURSEL, 0, 0);
    int index = 0;
    for (qv::Equation* e = doc->queueHead; e; e = e->next, ++index)
        if (selected < 0 || selected == index)
            lines.push_back(e->text);
    putTextOnClipboard(windowsLineText(lines));
}

void openShortcut(const char* address)
{
    char folder[MAX_PATH] = "";
    GetTempPathA(sizeof folder, folder);
    std::string path = folder;
    while (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    path += kShortcutFile;
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f)
        return;
    std::fprintf(f, "[InternetShortcut]\nURL=%s\n", address);
    std::fclose(f);
    ShellExecuteA(g_shell.main, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::string helpPath() { return qv::programDirectory() + kHelpFile; }

// Open: the file replaces the document, or, ticked Merge file, joins it.
void openCommand()
{
    std::string path;
    const OpenChoice choice = openDialog(path);
    if (choice == OpenChoice::Cancelled)
        return;
    qv::GraphDoc* doc = currentDoc();
    if (choice == OpenChoice::Merge && doc) {
        const int added = qv::readGraphFile(*doc, path, qv::READ_MERGE);
        if (added == qv::READ_FAILED)
            return;
        if (added > 0)
            qv::forgetRangeSnapshots();
        refreshCheckMarks();
        if (doc->pending & ~qv::PENDING_REPAINT) {
            // The regrid the file asks for redraws what was read.
            int n = 0;
            for (qv::Equation* e = doc->queueHead; e && n < added; e = e->next, ++n) {
                if (!(e->flags & qv::eqflag::OnGrid)) {
                    e->flags |= qv::eqflag::OnGrid;
                    ++doc->onScreen;
                }
            }
            qv::applyPendingUpdates(*doc);
        } else {
            doc->pending = qv::PENDING_REPAINT;
            qv::applyPendingUpdates(*doc);
            qv::redrawNewest(*doc, added);
        }
        return;
    }
    if (!askToSave("Save %s before closing?", "Quorvex"))
        return;
    openDocumentFile(path, true);
}

void saveAs(qv::GraphDoc& doc)
{
    std::string path = doc.path;
    const int kind = saveDialog(path);
    if (!kind)
        return;
    const std::string previous = doc.path;
    qv::setPath(doc, path);
    if (!qv::writeGraphFile(doc, path, kind))
        qv::setPath(doc, previous);
    updateTitle();
}

void save(qv::GraphDoc& doc)
{
    if (qv::isUntitled(doc)) {
        saveAs(doc);
        return;
    }
    qv::writeGraphFile(doc, doc.path,
                       doc.savedSetup ? qv::FILE_DOCUMENT_WITH_SETTINGS : qv::FILE_PLAIN_DOCUMENT);
}

void saveSetupInfo(qv::GraphDoc& doc)
{
    qv::DocumentProgram& program = qv::documentProgram();
    if (!qv::writeGraphFile(doc, qv::setupFilePath(), qv::FILE_SETUP))
        return;
    qv::GraphDoc* setup = qv::createDocument();
    if (qv::readGraphFile(*setup, qv::setupFilePath(), qv::READ_QUIET) == qv::READ_FAILED) {
        qv::freeDocument(setup);
        return;
    }
    setup->annotations.clear();
    qv::freeDocument(program.setupDoc);
    program.setupDoc = setup;
}

void zoomByDefault(qv::GraphDoc& doc, bool out)
{
    const double factor = defaultZoomFactor();
    doc.pending |= qv::PENDING_REGRID;
    double increment = qv::programOptions().tableincr;
    if (!doc.grid.scaleGrid(out ? -factor : factor, &increment))
        doc.pending &= ~qv::PENDING_REGRID;
    else
        qv::programOptions().tableincr = increment;
}

void toggle(bool& option, UINT id)
{
    option = !option;
    check(id, option);
}

void handleCommand(int id, int high)
{
    qv::GraphDoc* doc = currentDoc();
    if (!isIdle() || !doc)
        return;
    qv::ProgramOptions& options = qv::programOptions();
    switch (id) {
    case CM_FILENEW:
        if (askToSave("Save %s before closing?", "Quorvex"))
            replaceDocument(qv::createFromSetup());
        break;
    case CM_FILEOPEN: openCommand(); break;
    case CM_FILESAVE: save(*doc); break;
    case CM_FILESAVEAS: saveAs(*doc); break;
    case CM_FILESAVESETUP: saveSetupInfo(*doc); break;
    case CM_FILEEXIT: PostMessageA(g_shell.main, WM_CLOSE, 0, 0); break;
    case CM_EDITUNDO:
        if (qv::canUndo())
            qv::undoGridRange(*doc);
        break;
    case CM_COPYTABLES: copyTables(); break;
    case CM_COPYEQUATIONS: copyEquations(); break;
    case CM_REDRAWLAST: redrawLast(); break;
    case CM_REDRAWALL: qv::redrawNewest(*doc, doc->count); break;
    case CM_HIDEGRAPH: qv::hideEquation(*doc, fieldText()); break;
    case CM_DELETEEQ: qv::deleteEquation(*doc, fieldText()); break;
    case CM_CLEARALL: qv::clearAll(*doc); break;
    case CM_CLEARSCREEN: qv::clearScreen(*doc); break;
    case CM_COORDCURSOR: SendMessageA(g_shell.commandBar, WM_COMMAND, TB_COORDCURSOR, 0); break;
    case CM_SETDOMAIN: startDomainTool(); break;
    case CM_INITIALVALUE: startInitialValueTool(); break;
    case CM_DERIVATIVE: findDerivativeCommand(*doc); break;
    case CM_TANGENT: startTangentTool(); break;
    case CM_INTEGRATE:
        if (options.intflags & qv::INT_MOUSE)
            startIntegrationTool();
        else
            toolDialogCommand(*doc, id);
        break;
    case CM_GRIDRANGE:
        if (hasSelection())
            PostMessageA(g_shell.commandBar, WM_COMMAND, TB_ZOOMIN, 0);
        else
            settingsDialogCommand(*doc, id);
        break;
    case CM_SCALE:
        if (high == TB_ZOOMIN || high == TB_ZOOMOUT)
            zoomByDefault(*doc, high == TB_ZOOMOUT);
        else
            settingsDialogCommand(*doc, id);
        break;
    case CM_SHOWLABELS:
        doc->showLabels = !doc->showLabels;
        check(CM_SHOWLABELS, doc->showLabels);
        doc->pending |= qv::PENDING_REGRID | qv::PENDING_RELAYOUT;
        break;
    case CM_PRINTTABLES:
        options.tables ^= 1;
        check(CM_PRINTTABLES, tablesOn());
        layoutMainWindow();
        break;
    case CM_AUTOREDRAW: toggle(options.autoredraw, CM_AUTOREDRAW); break;
    case CM_WARNINGS:
        toggle(options.warnings, CM_WARNINGS);
        qv::reportSettings().warnings = options.warnings;  // what the evaluator's messages consult
        break;
    case CM_AUTOSQUARE: toggle(options.autosquare, CM_AUTOSQUARE); break;
    case CM_SCROLLBARS:
        toggle(options.scrollbars, CM_SCROLLBARS);
        setScrollbars(options.scrollbars);
        doc->pending |= qv::PENDING_RESIZE_MAIN;
        break;
    case CM_HELPCONTENTS: WinHelpA(g_shell.main, helpPath().c_str(), HELP_CONTENTS, 0); break;
    case CM_HELPOPERATORS:
    case CM_HELPKEY: WinHelpA(g_shell.main, helpPath().c_str(), HELP_CONTEXT, kHelpContextOperators); break;
    case CM_HELPSEARCH:
        WinHelpA(g_shell.main, helpPath().c_str(), HELP_PARTIALKEY, reinterpret_cast<ULONG_PTR>(""));
        break;
    case CM_HELPHOMEPAGE: openShortcut(kHomePage); break;
    case CM_HELPFEEDBACK: openShortcut(kFeedback); break;
    case CM_REDRAW_ALL_POSTED:
        if (g_shell.graph)
            UpdateWindow(g_shell.graph);
        qv::redrawNewest(*doc, doc->count);
        break;
    default:
        if (!settingsDialogCommand(*doc, id))
            toolDialogCommand(*doc, id);
    }
}

void handleSize(WPARAM type, LPARAM lParam)
{
    if (type == SIZE_MINIMIZED) {
        g_shell.layoutState = isIdle() ? LAYOUT_MINIMIZED_IDLE : LAYOUT_MINIMIZED_DRAWING;
        g_shell.wasMinimized = true;
        return;
    }
    const SIZE size{LOWORD(lParam), HIWORD(lParam)};
    const bool restoring = g_shell.wasMinimized;
    g_shell.wasMinimized = false;
    const bool sameSize = size.cx == g_shell.rememberedSize.cx && size.cy == g_shell.rememberedSize.cy;
    if (!restoring || !sameSize) {
        if (isIdle()) {
            g_shell.rememberedSize = size;
            g_shell.layoutState = LAYOUT_NEEDED;
        }
        return;
    }
    const bool drewWhileMinimized = g_shell.layoutState == LAYOUT_MINIMIZED_DRAWING;
    g_shell.layoutState = LAYOUT_NONE;
    if (drewWhileMinimized || !isIdle()) {
        InvalidateRect(g_shell.main, nullptr, TRUE);
        UpdateWindow(g_shell.main);
    }
}

void closeMainWindow(HWND window)
{
    if (!isIdle()) {
        // Once confirmed, the close waits for the drawing to stop: the end of the run posts it again.
        if (g_shell.closeAfterDrawing)
            return;
        const int answer = MessageBoxA(window, loadString(IDS_EXITWHILEDRAWING).c_str(), "Exit Quorvex",
                                       MB_YESNO | MB_DEFBUTTON2 | MB_ICONHAND);
        if (answer == IDYES && !isIdle()) {
            qv::drawState() = qv::drawstate::AbortRequested;
            g_shell.closeAfterDrawing = true;
        } else if (answer == IDYES) {
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        return;
    }
    if (!askToSave("Save %s before exiting?", "Exit Quorvex"))
        return;
    DestroyWindow(window);
}

void commonTail(UINT message)
{
    if (g_shell.layoutState == LAYOUT_NEEDED) {
        g_shell.layoutState = LAYOUT_NONE;
        layoutMainWindow();
    }
    if (qv::GraphDoc* doc = currentDoc(); doc && doc->pending && isIdle())
        qv::applyPendingUpdates(*doc);
    const bool keepFocus = message == WM_INITMENUPOPUP || message == WM_MENUSELECT || message == WM_DRAWITEM;
    if (g_shell.commandBar && isIdle() && !activeTool() && !keepFocus)
        returnFocusToEquationField();
}

}  // namespace

bool isIdle() { return qv::drawState() == qv::drawstate::Idle; }

double defaultZoomFactor()
{
    const double factor = std::atof(qv::programOptions().defscale.c_str());
    return factor > 1 ? factor : 2;
}

bool askToSave(const char* format, const char* caption)
{
    qv::GraphDoc* doc = currentDoc();
    if (!doc || doc->count == 0 || !doc->modified)
        return true;
    char text[400];
    std::snprintf(text, sizeof text, format, std::string(doc->name()).c_str());
    const int answer = MessageBoxA(g_shell.main, text, caption, MB_YESNOCANCEL | MB_ICONEXCLAMATION);
    if (answer == IDCANCEL)
        return false;
    if (answer == IDYES) {
        std::string path = doc->path;
        if (const int kind = saveDialog(path)) {
            qv::setPath(*doc, path);
            qv::writeGraphFile(*doc, path, kind);
            updateTitle();
        }
    }
    return true;
}

// Reads the file into a new document that then replaces the current one; the first file of a command
// line or an Open. A file that cannot be read leaves the current document as it was.
bool openDocumentFile(const std::string& path, bool first)
{
    qv::DocumentProgram& program = qv::documentProgram();
    if (!first && program.current) {
        const bool read = qv::readGraphFile(*program.current, path, qv::READ_NORMAL) != qv::READ_FAILED;
        updateTitle();
        return read;
    }
    qv::GraphDoc* doc = qv::createFromSetup();
    if (qv::readGraphFile(*doc, path, qv::READ_NORMAL) == qv::READ_FAILED) {
        qv::freeDocument(doc);
        return false;
    }
    replaceDocument(doc);
    doc->grid.checkLogRange(gridRangeDialog);
    if (doc->count > 0 && qv::programOptions().autoredraw)
        PostMessageA(g_shell.main, WM_COMMAND, CM_REDRAW_ALL_POSTED, 0);
    return true;
}

bool registerClasses(HINSTANCE instance)
{
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS | CS_OWNDC | CS_BYTEALIGNWINDOW;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "QUORPLOT");
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);

    wc.lpfnWndProc = mainWindowProc;
    wc.lpszMenuName = "QUORPLOT";
    wc.lpszClassName = kMainClass;
    if (!RegisterClassA(&wc))
        return false;

    wc.lpfnWndProc = graphWindowProc;
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = kGraphClass;
    if (!RegisterClassA(&wc)) {
        UnregisterClassA(kMainClass, instance);
        return false;
    }
    return true;
}

void unregisterClasses(HINSTANCE instance)
{
    UnregisterClassA(kMainClass, instance);
    UnregisterClassA(kGraphClass, instance);
}

void updateTitle()
{
    qv::GraphDoc* doc = currentDoc();
    std::string title = kProgramTitle;
    if (doc && !qv::isUntitled(*doc)) {
        title += " - ";
        title += doc->name();
    }
    if (title.size() > kMaxTitle)
        title.resize(kMaxTitle);
    SetWindowTextA(g_shell.main, title.c_str());
}

void refreshCheckMarks()
{
    const qv::ProgramOptions& o = qv::programOptions();
    qv::GraphDoc* doc = currentDoc();
    check(CM_AUTOREDRAW, o.autoredraw);
    check(CM_WARNINGS, o.warnings);
    check(CM_PRINTTABLES, tablesOn());
    check(CM_SHOWLABELS, doc && doc->showLabels);
    check(CM_AUTOSQUARE, o.autosquare);
    check(CM_SCROLLBARS, o.scrollbars);
}

void layoutMainWindow()
{
    if (!g_shell.main || !g_shell.commandBar)
        return;
    RECT client;
    GetClientRect(g_shell.main, &client);
    const int W = client.right, H = client.bottom;
    const int E = fontHeight(g_shell.equationField);
    const int S = g_shell.statusBar ? fontHeight(g_shell.statusBar) : 0;
    const int T = g_shell.toolbarHeight;
    const bool small = smallScreen();
    const bool tables = tablesOn();

    MoveWindow(g_shell.equationField, 0, T + 1, W - 8, 8 * E, TRUE);
    SetWindowPos(g_shell.commandBar, HWND_BOTTOM, 4, 1, W - 8, E + T + 10, 0);

    int graphWidth = W - 8;
    if (tables)
        graphWidth = small ? W - 221 : W - 271;
    MoveWindow(g_shell.graph, 4, E + T + 13, std::max(graphWidth, 0), std::max(H - (E + T + 13) - S - 8, 0), TRUE);
    if (tables) {
        MoveWindow(g_shell.printout, small ? W - 215 : W - 265, E + T + 12, small ? 210 : 260,
                   H - (E + T + 12) - S - 7, TRUE);
        ShowWindow(g_shell.printout, SW_SHOW);
    } else {
        MoveWindow(g_shell.printout, 0, 0, 0, 0, TRUE);
        ShowWindow(g_shell.printout, SW_HIDE);
    }
    if (g_shell.statusBar)
        SendMessageA(g_shell.statusBar, WM_SIZE, 0, 0);
    if (g_shell.toolbar)
        SendMessageA(g_shell.toolbar, TB_AUTOSIZE, 0, 0);
    InvalidateRect(g_shell.main, nullptr, TRUE);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    switch (message) {
    case WM_COMMAND:
        handleCommand(LOWORD(wParam), HIWORD(wParam));
        break;
    case WM_CLOSE:
        closeMainWindow(window);
        return 0;
    case WM_QUERYENDSESSION:
        return askToSave("Save %s before exiting?", "Exit Quorvex") ? TRUE : FALSE;
    case WM_INITMENUPOPUP:
        updateMenuState();
        break;
    case WM_MENUSELECT:
        showMenuHelp(wParam, lParam);
        break;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item->hwndItem == g_shell.statusBar)
            drawStatusItem(*item);
        result = TRUE;
        break;
    }
    case WM_SIZE:
        handleSize(wParam, lParam);
        break;
    case WM_TIMER:
        if (wParam == IDT_TYPEHINT) {
            KillTimer(window, IDT_TYPEHINT);
            if (isIdle())
                setStatusText(loadString(IDS_TYPEHINT));
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam) && activeTool() && g_shell.graph)
            SetFocus(g_shell.graph);
        break;
    case WM_ACTIVATEAPP:
        if (wParam && !isIdle()) {
            qv::clearClip();
            InvalidateRect(window, nullptr, TRUE);
            qv::releaseCurvePen();
            SetFocus(window);
        } else if (wParam && activeTool()) {
            restoreToolPointer();
        } else if (wParam) {
            SetFocus(window);
        } else if (activeTool()) {
            ClipCursor(nullptr);
        }
        break;
    case WM_DESTROY:
        SendMessageA(g_shell.equationField, CB_RESETCONTENT, 0, 0);
        WinHelpA(window, helpPath().c_str(), HELP_QUIT, 0);
        g_shell.main = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        result = DefWindowProcA(window, message, wParam, lParam);
    }
    if (g_shell.main)
        commonTail(message);
    return result;
}

}  // namespace shell
