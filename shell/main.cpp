// Start-up, the command line, the message loop and shutdown of Quorvex.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "analysis/printout.h"
#include "command_line.h"
#include "doc/block_store.h"
#include "analysis/tangent.h"
#include "doc/graph_doc.h"
#include "expr/report.h"
#include "doc/graph_file.h"
#include "expr/functions.h"
#include "platform/win32/fp_traps.h"
#include "plot/colours.h"
#include "plot/graphing_driver.h"
#include "plot/point_list.h"
#include "resource.h"
#include "dialogs.h"
#include "shell.h"

namespace shell {
Shell g_shell;

bool smallScreen() { return g_shell.screenWidth <= 1000; }

std::string loadString(UINT id)
{
    char buffer[512];
    int n = LoadStringA(g_shell.instance, id, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? n : 0);
}
}  // namespace shell

using namespace shell;

namespace {

constexpr UINT kTypeHintDelayMs = 3000;
HFONT g_windowFonts[qv::WINDOW_FONT_COUNT]{};

void warningBox(HWND owner, UINT id)
{
    MessageBoxA(owner, loadString(id).c_str(), kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
}

HWND createPrintoutWindow(HWND main)
{
    return CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "Printout",
                           WS_CHILD | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL | LBS_USETABSTOPS, 0,
                           0, 0, 0, main, nullptr, g_shell.instance, nullptr);
}

// The three window fonts: the equation field's, the Printout window's and the status bar's, from the
// setup file or, when it names none, the defaults for the screen's size.
qv::LogicalFont defaultWindowFont(int role)
{
    qv::LogicalFont f;
    f.weight = 400;
    if (role == 1) {
        f.pitchAndFamily = 34;
        if (smallScreen()) {
            f.faceName = "Helv";
            f.height = 8;
            f.width = 6;
        } else {
            f.height = 15;
            f.width = 6;
        }
        return f;
    }
    f.pitchAndFamily = 17;
    if (smallScreen()) {
        f.faceName = "Courier";
        f.height = 13;
        f.width = 9;
    } else {
        f.faceName = "Courier New";
        f.height = 18;
        f.width = 10;
    }
    return f;
}

void applyWindowFonts()
{
    qv::ProgramOptions& options = qv::programOptions();
    HWND targets[qv::WINDOW_FONT_COUNT] = {g_shell.equationField, g_shell.printout, g_shell.statusBar};
    HDC dc = GetDC(g_shell.main);
    for (int role = 0; role < qv::WINDOW_FONT_COUNT; ++role) {
        qv::GridFont& slot = options.windowFonts[role];
        if (slot.font.faceName.empty() && slot.font.height == 0)
            slot.font = defaultWindowFont(role);
        HFONT font = createFontOf(slot.font);
        if (!font)
            continue;
        HGDIOBJ old = SelectObject(dc, font);
        TEXTMETRICA tm{};
        GetTextMetricsA(dc, &tm);
        SelectObject(dc, old);
        slot.measuredHeight = tm.tmHeight;
        slot.averageWidth = tm.tmAveCharWidth;
        if (targets[role])
            SendMessageA(targets[role], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        if (g_windowFonts[role])
            DeleteObject(g_windowFonts[role]);
        g_windowFonts[role] = font;
    }
    ReleaseDC(g_shell.main, dc);
    const int tablesWidth = smallScreen() ? 210 : 260;
    if (options.windowFonts[1].averageWidth > 0)
        qv::printout().charactersPerLine = tablesWidth / options.windowFonts[1].averageWidth;
}

bool fileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string programPath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

// Opens what the command line names: the whole text as one name when such a file exists (names with
// blanks need no quotes then), else each name in turn into one document.
bool openCommandLine(const std::string& raw)
{
    const std::string text = trimmed(raw);
    if (!text.empty()) {
        const std::string whole = withDocumentExtension(text);
        if (fileExists(whole))
            return openDocumentFile(whole, true);
    }
    bool opened = false;
    for (const std::string& name : documentNames(text)) {
        if (openDocumentFile(name, !opened))
            opened = true;
    }
    return opened;
}

int messageLoop()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (g_shell.main && TranslateAcceleratorA(g_shell.main, g_shell.accelerators, &msg))
            continue;
        if (g_shell.commandBar && IsDialogMessageA(g_shell.commandBar, &msg))
            continue;
        if (g_shell.variablesPanel && IsDialogMessageA(g_shell.variablesPanel, &msg))
            continue;
        if (g_shell.integrateDialog && IsDialogMessageA(g_shell.integrateDialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void showBanner()
{
    std::string banner = kProgramTitle;
    banner += ' ';
    banner += qv::COLOUR_ESCAPE;
    banner += char(128 + 7);
    banner += std::string("Version ") + kProgramVersion + ", " + __DATE__;
    banner += qv::COLOUR_ESCAPE;
    banner += qv::COLOUR_NORMAL;
    banner += ". Written by the Quorvex team; (c) Talvane.";
    setStatusText(banner);
}

}  // namespace

namespace shell {
void refreshWindowFonts() { applyWindowFonts(); }
}  // namespace shell

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show)
{
    g_shell.instance = instance;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    // 1. Classes.
    if (!registerClasses(instance)) {
        warningBox(nullptr, IDS_REGISTERCLASS);
        return -1;
    }
    // 2. The setup file: "/i:" or the program's folder.
    const std::string raw = commandLine ? commandLine : "";
    std::vector<std::string> arguments = splitCommandLine(raw);
    qv::initFilePaths(programPath(), arguments);

    // 3. The main window, hidden, and the screen's ratio.
    g_shell.main = CreateWindowExA(0, kMainClass, kProgramTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                   instance, nullptr);
    if (!g_shell.main) {
        warningBox(nullptr, IDS_CREATEWINDOW);
        unregisterClasses(instance);
        return 0;
    }
    HDC dc = GetDC(g_shell.main);
    g_shell.screenRatio = double(GetDeviceCaps(dc, LOGPIXELSY)) / GetDeviceCaps(dc, LOGPIXELSX);
    g_shell.screenWidth = GetDeviceCaps(dc, HORZRES);
    ReleaseDC(g_shell.main, dc);
    qv::DocumentProgram& program = qv::documentProgram();
    program.pixelAspect = g_shell.screenRatio;
    program.smallScreen = smallScreen();
    qv::setScreenSymbolSize(g_shell.screenWidth, g_shell.screenRatio);

    // 4. Command bar, menus, cursors, accelerators, Printout window, status bar, toolbar.
    g_shell.commandBar = createCommandBar(g_shell.main);
    if (!g_shell.commandBar) {
        DestroyWindow(g_shell.main);
        unregisterClasses(instance);
        return 0;
    }
    g_shell.menu = GetMenu(g_shell.main);
    g_shell.toolPromptMenu = CreateMenu();
    AppendMenuA(g_shell.toolPromptMenu, MF_STRING | MF_GRAYED, 0, "");
    for (int i = 0; i < 3; ++i)
        g_shell.cursors[i] = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_CURSOR_PLACE + i));
    g_shell.accelerators = LoadAcceleratorsA(instance, "QUORPACCEL");
    g_shell.printout = createPrintoutWindow(g_shell.main);
    g_shell.statusBar = createStatusBar(g_shell.main);
    createToolbar();
    installEngineLinks();
    qv::installToolRecordsPainter();

    // 5. Traps, variables, options, working block, colours, the setup document.
    qv::installFloatingPointTrapsOrAbort(false);
    qv::resetVariables();
    program.options = qv::ProgramOptions{};
    qv::selectBuiltinScheme(program.options.colourScheme, qv::SCHEME_GRAY);
    program.setupDoc = qv::createDocument();
    qv::readGraphFile(*program.setupDoc, qv::setupFilePath(), qv::READ_QUIET);
    program.setupDoc->annotations.clear();
    // Options that take effect elsewhere than where they are kept.
    qv::reportSettings().warnings = program.options.warnings;
    qv::printout().tableColumns = program.options.tablecols;
    applyWindowFonts();

    // 6. The documents of the command line, or an empty one.
    qv::GraphDoc* first = qv::createFromSetup();
    program.current = first;
    createGraphWindow(first);
    if (!openCommandLine(raw) || !program.current)
        replaceDocument(program.current ? program.current : qv::createFromSetup());
    if (program.current)
        program.current->grid.checkLogRange(gridRangeDialog);
    updateTitle();
    refreshCheckMarks();

    // 7. The first range snapshot, once the layout has completed the range.
    layoutMainWindow();
    if (program.current && program.current->pending)
        qv::applyPendingUpdates(*program.current);
    qv::takeRangeSnapshot(*program.current);

    // 8-10. Show, banner, the typing hint.
    ShowWindow(g_shell.main, show);
    UpdateWindow(g_shell.main);
    showBanner();
    SetTimer(g_shell.main, IDT_TYPEHINT, kTypeHintDelayMs, nullptr);
    returnFocusToEquationField();

    // 11. The loop.
    int code = messageLoop();
    for (HWND modeless : {g_shell.variablesPanel, g_shell.integrateDialog})
        if (modeless)
            DestroyWindow(modeless);
    qv::forgetRangeSnapshots();
    qv::freeDocument(program.current);
    qv::freeDocument(program.setupDoc);
    qv::printoutDetach();
    for (HFONT font : g_windowFonts)
        if (font)
            DeleteObject(font);
    unregisterClasses(instance);
    return code;
}
