// Quorvex draws what is typed where the grid's mapping puts it, reports a line it cannot graph,
// pauses, resumes and aborts a long drawing, saves and reopens a document through the file dialogs,
// and asks to save before it closes.
#include "driver.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

using namespace e2e;

namespace {

constexpr uint32_t CURVE_1 = 0xFF00FF;  // graph colour 1 of the Gray scheme: magenta
constexpr uint32_t AXES = 0x800000;     // dark red axes and border

HWND g_main, g_bar, g_field, g_graph, g_status;
Program* g_program;

bool idle() { return IsWindowEnabled(g_field) != FALSE; }

void waitIdle(DWORD timeoutMs = 20000)
{
    DWORD start = GetTickCount();
    Sleep(150);
    while (!idle() && GetTickCount() - start < timeoutMs)
        Sleep(50);
    settle(g_main);
}

void graph(const std::string& line)
{
    setText(g_field, line);
    command(g_bar, IDOK);
}

struct DialogText {
    std::string longest;
};

BOOL CALLBACK collectStatic(HWND child, LPARAM lParam)
{
    auto* d = reinterpret_cast<DialogText*>(lParam);
    if (className(child) == "Static") {
        std::string t = text(child);
        if (t.size() > d->longest.size())
            d->longest = t;
    }
    return TRUE;
}

std::string messageText(HWND box)
{
    DialogText d;
    EnumChildWindows(box, collectStatic, reinterpret_cast<LPARAM>(&d));
    return d.longest;
}

// Answers the file dialog with the given name.
bool answerFileDialog(const std::string& title, const std::string& name)
{
    HWND dialog = g_program->waitForWindow("#32770", title, 15000);
    if (!dialog)
        return false;
    HWND field = findChildById(dialog, 0x47c);
    if (!field)
        field = findChildById(dialog, 0x480);
    if (!field)
        return false;
    settle(dialog);
    captureWindow(dialog).save(artefact(title == "Save Graph Document" ? "save_dialog.bmp" : "open_dialog.bmp"));
    setText(field, name);
    click(GetDlgItem(dialog, IDOK));
    return true;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Mapping {
    int left = -1, right = -1, axisColumn = -1, axisRow = -1;
    double pixelsPerUnit = 0;
};

// The border's columns give the width of the range -8..8; the axes are the middle lines in their
// colour.
Mapping findMapping(const Bitmap& shot)
{
    Mapping m;
    std::vector<int> columns(shot.width), rows(shot.height);
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.at(x, y) == AXES) {
                ++columns[x];
                ++rows[y];
            }
    for (int x = 0; x < shot.width; ++x)
        if (columns[x] > shot.height / 2) {
            if (m.left < 0)
                m.left = x;
            m.right = x;
        }
    int best = 0;
    for (int x = shot.width / 5; x < shot.width * 4 / 5; ++x)
        if (columns[x] > best) {
            best = columns[x];
            m.axisColumn = x;
        }
    best = 0;
    for (int y = shot.height / 5; y < shot.height * 4 / 5; ++y)
        if (rows[y] > best) {
            best = rows[y];
            m.axisRow = y;
        }
    if (m.right > m.left)
        m.pixelsPerUnit = (m.right - m.left) / 16.0;
    return m;
}

bool curveNear(const Bitmap& shot, int x, int y, int radius = 3)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            int px = x + dx, py = y + dy;
            if (px >= 0 && py >= 0 && px < shot.width && py < shot.height && shot.at(px, py) == CURVE_1)
                return true;
        }
    return false;
}

// The graph window as the screen shows it, cut from the main window's picture.
Bitmap graphShot()
{
    settle(g_main);
    Bitmap whole = capture(g_main);
    RECT g = clientRectOnScreen(g_graph), m = clientRectOnScreen(g_main);
    Bitmap part;
    part.width = g.right - g.left;
    part.height = g.bottom - g.top;
    if (whole.width <= 0 || part.width <= 0 || part.height <= 0)
        return part;
    const int left = g.left - m.left, top = g.top - m.top;
    for (int y = 0; y < part.height; ++y)
        for (int x = 0; x < part.width; ++x) {
            const int wx = left + x, wy = top + y;
            part.pixels.push_back(wx < whole.width && wy < whole.height ? whole.at(wx, wy) : 0);
        }
    return part;
}

std::string clipboardText()
{
    std::string text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool waitStatus(const std::string& prefix) { return waitForText(g_status, prefix); }

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("usage: e2e_quorvex_graph QUORVEX.EXE ARTEFACT_DIR\n");
        return 2;
    }
    const std::string dir = argv[2];
    setArtefactDirectory(dir);
    const std::string setup = dir + "\\quorplot.ini";
    DeleteFileA(setup.c_str());
    Program quorvex(std::string("\"") + argv[1] + "\" /i:" + setup, dir);
    g_program = &quorvex;
    g_main = quorvex.waitForWindow("QUORPLOT");
    check(g_main != nullptr, "main window appears");
    if (!g_main)
        return finish();
    g_field = findChild(g_main, "ComboBox", 803);
    g_bar = g_field ? GetParent(g_field) : nullptr;
    g_graph = findChild(g_main, "QUORPWND");
    g_status = findChildById(g_main, 800);
    settle(g_main);

    // The parabola lies where the mapping puts it.
    graph("y=x^2-3");
    waitIdle();
    Bitmap shot = graphShot();
    shot.save(artefact("parabola.bmp"));
    Mapping m = findMapping(shot);
    check(m.pixelsPerUnit > 10, "grid border and axes found (" + std::to_string(m.pixelsPerUnit) + " px per unit)");
    check(curveNear(shot, m.axisColumn, m.axisRow + int(std::lround(3 * m.pixelsPerUnit))),
          "the vertex (0, -3) is drawn");
    const int root = int(std::lround(std::sqrt(3.0) * m.pixelsPerUnit));
    check(curveNear(shot, m.axisColumn - root, m.axisRow) && curveNear(shot, m.axisColumn + root, m.axisRow),
          "the curve crosses the x axis at -1.732 and 1.732");
    check(curveNear(shot, m.axisColumn + int(std::lround(2 * m.pixelsPerUnit)), m.axisRow - int(std::lround(m.pixelsPerUnit))),
          "the point (2, 1) is on the curve");
    check(!curveNear(shot, m.axisColumn, m.axisRow, 2), "nothing is drawn at the origin");
    check(text(g_status).find("Graphing: ") != std::string::npos, "status shows what was graphed (\"" + text(g_status) + "\")");
    check(SendMessageA(g_field, CB_GETCOUNT, 0, 0) == 1, "the equation list holds the line");

    // A line that cannot be graphed says why.
    graph("y=x+");
    HWND box = quorvex.waitForWindow("#32770", "Quorvex", 10000);
    check(box != nullptr, "a message box appears for y=x+");
    if (box) {
        const std::string t = messageText(box);
        check(t == "The parser couldn't find one of the operands of a binary operation like '+' or the argument to a "
                   "function you used. Please edit your equation.",
              "message box text (\"" + t + "\")");
        Bitmap boxShot = captureWindow(box);
        boxShot.save(artefact("message_box.bmp"));
        click(GetDlgItem(box, IDOK));
        Sleep(300);
    }
    check(SendMessageA(g_field, CB_GETCOUNT, 0, 0) == 1, "the failed line did not join the list");

    // Hide, then Redraw All brings it back.
    setText(g_field, "y=x^2-3");
    command(g_main, 2003);
    Sleep(300);
    settle(g_main);
    shot = graphShot();
    check(shot.count(CURVE_1, 0, 0, shot.width, shot.height) == 0, "Hide Graph takes the curve off the screen");
    command(g_main, 2002);
    waitIdle();
    shot = graphShot();
    check(shot.count(CURVE_1, 0, 0, shot.width, shot.height) > 50, "Redraw All draws it again");

    // The list's selection names the entry and whether it is on screen.
    SendMessageA(g_field, CB_SETCURSEL, 0, 0);
    PostMessageA(g_bar, WM_COMMAND, MAKEWPARAM(803, CBN_SELCHANGE), reinterpret_cast<LPARAM>(g_field));
    check(waitStatus("ON SCREEN: "), "selecting the entry tells it is on screen (\"" + text(g_status) + "\")");

    // Print Tables shows the Printout window with the coordinates of the next graph.
    HWND printout = findChild(g_main, "ListBox");
    command(g_main, 5003);
    Sleep(300);
    check(printout && IsWindowVisible(printout), "Print Tables shows the Printout window");
    graph("y=x/2");
    waitIdle();
    const LRESULT rows = printout ? SendMessageA(printout, LB_GETCOUNT, 0, 0) : 0;
    check(rows > 5, "the Printout window holds the table (" + std::to_string(rows) + " lines)");
    captureWindow(g_main).save(artefact("print_tables.bmp"));

    // Copy Tables and Copy Equations put text on the clipboard.
    command(g_main, 1511);
    Sleep(400);
    const std::string tables = clipboardText();
    check(tables.rfind("Quorvex for Win32 1.60e - coordinate table", 0) == 0 &&
              tables.find("\r\n") != std::string::npos,
          "Copy Tables copies the Printout lines (" + std::to_string(tables.size()) + " bytes)");
    SendMessageA(g_field, CB_SETCURSEL, WPARAM(-1), 0);
    command(g_main, 1512);
    Sleep(400);
    check(clipboardText() == "y=x/2\r\ny=x^2-3", "Copy Equations copies the queue, newest first (\"" + clipboardText() + "\")");
    SendMessageA(g_field, CB_SETCURSEL, 1, 0);
    command(g_main, 1512);
    Sleep(400);
    check(clipboardText() == "y=x^2-3", "Copy Equations with a selected entry copies that one");
    command(g_main, 5003);
    Sleep(300);
    check(printout && !IsWindowVisible(printout), "Print Tables off hides it");

    // Delete takes the line out of the queue; Redraw All does not bring it back.
    setText(g_field, "y=x/2");
    command(g_main, 2004);
    Sleep(300);
    check(SendMessageA(g_field, CB_GETCOUNT, 0, 0) == 1, "Delete Equation removes it from the list");
    command(g_main, 2002);
    waitIdle();
    shot = graphShot();
    check(shot.count(CURVE_1, 0, 0, shot.width, shot.height) > 50, "Redraw All after Delete keeps the parabola");

    // A long drawing: Enter pauses, Enter resumes, Enter and ESC abort.
    graph("y=a*x^2/100 {a: 1, 400, 0.01}");
    Sleep(700);
    check(!idle(), "the family is still being drawn");
    HWND pauseButton = GetDlgItem(g_bar, IDCANCEL);
    key(pauseButton, VK_RETURN);
    check(waitStatus("PAUSE at "), "Enter pauses (\"" + text(g_status) + "\")");
    settle(g_main);
    captureWindow(g_main).save(artefact("paused.bmp"));
    key(GetDlgItem(g_bar, IDOK), VK_RETURN);
    check(waitStatus("Graphing: "), "Enter resumes (\"" + text(g_status) + "\")");
    Sleep(300);
    PostMessageA(g_main, WM_CLOSE, 0, 0);
    box = quorvex.waitForWindow("#32770", "Exit Quorvex", 10000);
    check(box != nullptr, "closing while drawing asks");
    if (box) {
        check(messageText(box) == "Quorvex is drawing a graph right now. Are you sure you want to exit?",
              "the question while drawing (\"" + messageText(box) + "\")");
        click(GetDlgItem(box, IDNO));
        Sleep(500);
    }
    check(!idle() && quorvex.running(), "No leaves the drawing running");
    key(pauseButton, VK_RETURN);
    check(waitStatus("PAUSE at "), "paused again");
    key(GetDlgItem(g_bar, IDOK), VK_ESCAPE);
    check(waitStatus("ABORTED: "), "ESC in the pause aborts (\"" + text(g_status) + "\")");
    waitIdle();
    check(idle(), "idle after the abort");

    // The aborted family leaves the queue so that the saved document draws quickly.
    setText(g_field, "y=a*x^2/100 {a: 1, 400, 0.01}");
    command(g_main, 2004);
    Sleep(300);

    // Save As through the dialog, then New and Open.
    const std::string docPath = dir + "\\parabola.gr";
    DeleteFileA(docPath.c_str());
    setText(g_field, "y=x^2-3");
    command(g_main, 1004);
    check(answerFileDialog("Save Graph Document", docPath), "Save dialog answered");
    Sleep(800);
    const std::string saved = readFile(docPath);
    check(saved.find("y=x^2-3") != std::string::npos, "the saved document holds the equation");
    check(text(g_main) == "Quorvex for Win32 - parabola.gr", "title names the document (\"" + text(g_main) + "\")");

    command(g_main, 1001);
    Sleep(500);
    HWND ask = quorvex.waitForWindow("#32770", "Quorvex", 1500);
    if (ask) {  // the family drawn after the save made it modified
        click(GetDlgItem(ask, IDNO));
        Sleep(500);
    }
    check(SendMessageA(g_field, CB_GETCOUNT, 0, 0) == 0, "New empties the equation list");
    command(g_main, 1002);
    check(answerFileDialog("Open Graph Document", docPath), "Open dialog answered");
    waitIdle();
    Sleep(500);
    waitIdle();
    check(SendMessageA(g_field, CB_GETCOUNT, 0, 0) >= 1, "Open brings the equations back");
    shot = graphShot();
    shot.save(artefact("reopened.bmp"));
    // The colour is the next of the program's colour counter.
    int curvePixels = 0;
    for (uint32_t colour : {0xFF00FFu, 0xFF0000u, 0x00FFFFu, 0xFFFF00u, 0x0000FFu})
        curvePixels += shot.count(colour, 0, 0, shot.width, shot.height);
    check(curvePixels > 50, "the reopened document is drawn");

    // Open with Merge file ticked adds the file's equations to the document.
    const std::string morePath = dir + "\\more.gr";
    {
        FILE* f = std::fopen(morePath.c_str(), "wb");
        if (f) {
            std::fputs("[equations]\ny=2*x+1\n", f);
            std::fclose(f);
        }
    }
    const LRESULT before = SendMessageA(g_field, CB_GETCOUNT, 0, 0);
    command(g_main, 1002);
    HWND openDialog = quorvex.waitForWindow("#32770", "Open Graph Document", 15000);
    HWND mergeBox = openDialog ? findChildById(openDialog, 1101) : nullptr;
    check(mergeBox && text(mergeBox) == "&Merge file", "the Open dialog has the Merge file box");
    if (mergeBox)
        SendMessageA(mergeBox, BM_SETCHECK, BST_CHECKED, 0);
    check(answerFileDialog("Open Graph Document", morePath), "Open dialog answered for the merge");
    waitIdle();
    Sleep(300);
    waitIdle();
    check(SendMessageA(g_field, CB_GETCOUNT, 0, 0) == before + 1, "Merge adds the file's equation");
    check(text(g_main) == "Quorvex for Win32 - parabola.gr", "Merge keeps the document's name (\"" + text(g_main) + "\")");
    captureWindow(g_main).save(artefact("two_graphs.bmp"));

    // Closing while drawing, answered Yes, stops the drawing and then asks to save.
    graph("y=a*x^2/100 {a: 1, 400, 0.01}");
    Sleep(500);
    PostMessageA(g_main, WM_CLOSE, 0, 0);
    box = quorvex.waitForWindow("#32770", "Exit Quorvex", 10000);
    check(box && messageText(box) == "Quorvex is drawing a graph right now. Are you sure you want to exit?",
          "closing while drawing asks again");
    if (box)
        click(GetDlgItem(box, IDYES));
    Sleep(800);
    box = quorvex.waitForWindow("#32770", "Exit Quorvex", 10000);
    check(box != nullptr, "closing asks to save");
    if (box) {
        check(messageText(box) == "Save parabola.gr before exiting?", "save question (\"" + messageText(box) + "\")");
        click(GetDlgItem(box, IDNO));
    }
    int code = quorvex.waitForExit(20000);
    check(code == 0, "the program ends with code 0 (got " + std::to_string(code) + ")");
    return finish();
}
