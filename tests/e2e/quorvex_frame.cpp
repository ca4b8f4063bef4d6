// Quorvex starts, shows its window tree, takes typed text and ends through File > Exit.
#include "driver.h"

#include <commctrl.h>

#include <fstream>
#include <sstream>

using namespace e2e;

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The Internet shortcut the home-page and feedback commands leave for the shell.
std::string shortcutAfter(HWND main, int id)
{
    char folder[MAX_PATH] = "";
    GetTempPathA(sizeof folder, folder);
    std::string path = folder;
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    path += "Quorvex.url";
    DeleteFileA(path.c_str());
    command(main, id);
    for (int i = 0; i < 50 && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    Sleep(200);
    return readFile(path);
}

struct FoundDialog {
    HWND window = nullptr;
};

BOOL CALLBACK findForeignDialog(HWND window, LPARAM lParam)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != GetCurrentProcessId() && IsWindowVisible(window) && className(window) == "#32770") {
        reinterpret_cast<FoundDialog*>(lParam)->window = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK collectTexts(HWND child, LPARAM lParam)
{
    if (className(child) == "Static")
        *reinterpret_cast<std::string*>(lParam) += text(child) + " ";
    return TRUE;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("usage: e2e_quorvex_frame QUORVEX.EXE ARTEFACT_DIR\n");
        return 2;
    }
    setArtefactDirectory(argv[2]);
    Program quorvex(std::string("\"") + argv[1] + "\"");
    check(quorvex.started(), "quorvex.exe starts");
    HWND main = quorvex.waitForWindow("QUORPLOT");
    check(main != nullptr, "main window of class QUORPLOT appears");
    if (!main)
        return finish();
    check(text(main) == "Quorvex for Win32", "main window title is \"Quorvex for Win32\" (got \"" + text(main) + "\")");

    HWND field = findChild(main, "ComboBox", 803);
    check(field != nullptr, "equation field: combo box 803");
    HWND bar = field ? GetParent(field) : nullptr;
    check(bar && className(bar) == "#32770" && GetParent(bar) == main, "command bar is a child dialog of the main window");
    HWND graphButton = findChildById(bar, 1);
    HWND pauseButton = findChildById(bar, 2);
    check(graphButton && text(graphButton) == "&Graph" && !IsWindowVisible(graphButton), "invisible button 1 \"&Graph\"");
    check(pauseButton && text(pauseButton) == "Pause" && !IsWindowVisible(pauseButton), "invisible button 2 \"Pause\"");
    HWND edit = findChild(field, "Edit");
    DWORD_PTR limit = 0;
    if (edit)
        SendMessageTimeoutA(edit, EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, 5000, &limit);
    check(limit == 250, "equation field takes at most 250 characters (limit " + std::to_string(limit) + ")");

    HWND graph = findChild(main, "QUORPWND");
    check(graph && GetParent(graph) == main && IsWindowVisible(graph), "graph window of class QUORPWND");
    HWND status = findChild(main, STATUSCLASSNAMEA, 800);
    check(status && (GetWindowLongA(status, GWL_STYLE) & SBARS_SIZEGRIP), "status bar 800 with a size grip");
    check(text(status).rfind("Quorvex for Win32", 0) == 0, "status bar shows the banner (\"" + text(status) + "\")");
    check(waitForText(status, "Type an equation in the edit field and press Draw graph or enter to graph it.", 8000),
          "after three seconds the status bar says what to do (\"" + text(status) + "\")");

    setText(field, "y=x^2-3");
    check(text(field) == "y=x^2-3", "typed text stands in the equation field");

    settle(main);
    Bitmap shot = capture(main);
    check(shot.save(artefact("quorvex_frame.bmp")), "screenshot saved");
    if (graph && shot.width > 0) {
        RECT g = clientRectOnScreen(graph), m = clientRectOnScreen(main);
        int left = g.left - m.left, top = g.top - m.top;
        int w = g.right - g.left, h = g.bottom - g.top;
        // The Gray colour scheme: a dark gray background inside a dark red border.
        int background = shot.count(0x808080, left + 4, top + 4, left + w - 4, top + h - 4);
        check(background > (w - 8) * (h - 8) / 2, "graph window shows the grid on its dark gray background");
        int border = shot.count(0x800000, left, top, left + 5, top + h);
        check(border > h / 2, "graph window's border is dark red");
    }

    // The home page and the feedback address: an Internet shortcut handed to the shell.
    const std::string home = shortcutAfter(main, 6505);
    check(home.rfind("[InternetShortcut]", 0) == 0 && home.find("URL=http://") != std::string::npos,
          "Homepage writes an Internet shortcut (\"" + home + "\")");
    const std::string mail = shortcutAfter(main, 6506);
    check(mail.find("URL=mailto:") != std::string::npos, "the feedback command writes a mailto: shortcut (\"" + mail + "\")");

    // Help > Contents asks the platform's help viewer for quorplot.hlp, which is not installed here:
    // the viewer says so, and Quorvex goes on once that is answered.
    command(main, 6502);
    FoundDialog viewer;
    for (int i = 0; i < 100 && !viewer.window; ++i) {
        Sleep(100);
        EnumWindows(findForeignDialog, reinterpret_cast<LPARAM>(&viewer));
    }
    check(viewer.window != nullptr, "the help viewer answers Help > Contents");
    if (viewer.window) {
        std::string said;
        EnumChildWindows(viewer.window, collectTexts, reinterpret_cast<LPARAM>(&said));
        check(said.find("quorplot.hlp") != std::string::npos || said.find("QUORPLOT.HLP") != std::string::npos,
              "it was asked for quorplot.hlp (\"" + said + "\")");
        captureWindow(viewer.window).save(artefact("help_viewer.bmp"));
        for (int id : {IDNO, IDCANCEL, IDOK})
            if (HWND button = GetDlgItem(viewer.window, id)) {
                click(button);
                break;
            }
    }
    DWORD_PTR alive = 0;
    check(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &alive) != 0,
          "Quorvex answers after the help viewer");

    // A graph drawn and the queue cleared: the document was modified but holds nothing to save.
    command(bar, IDOK);
    Sleep(1500);
    command(main, 2005);
    Sleep(300);
    check(SendMessageA(field, CB_GETCOUNT, 0, 0) == 0, "Clear All empties the queue");
    command(main, 1008);
    check(quorvex.waitForWindow("#32770", "Exit Quorvex", 1500) == nullptr, "Exit with an empty queue asks nothing");
    int code = quorvex.waitForExit(20000);
    check(code == 0, "File > Exit ends the program with code 0 (got " + std::to_string(code) + ")");
    return finish();
}
