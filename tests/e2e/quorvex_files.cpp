// Quorvex opens the documents its command line names (with and without ".gr", quoted names with
// blanks), keeps its setup file where "/i:" says and uses it at the next start, and moves the range
// with the scroll bars, the zoom buttons and Undo Grid Range.
#include "driver.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>

using namespace e2e;

namespace {

constexpr uint32_t AXES = 0x800000;

struct Session {
    Program* program = nullptr;
    HWND main = nullptr, bar = nullptr, field = nullptr, graph = nullptr;
};

bool writeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    return bool(out);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string documentWith(const std::string& equations)
{
    return "[grid]\nleft=-8\nright=8\ntop=auto\nbottom=auto\n\n[equations]\n" + equations;
}

bool attach(Session& s)
{
    s.main = s.program->waitForWindow("QUORPLOT");
    if (!s.main)
        return false;
    s.field = findChild(s.main, "ComboBox", 803);
    s.bar = s.field ? GetParent(s.field) : nullptr;
    s.graph = findChild(s.main, "QUORPWND");
    settle(s.main);
    return s.field && s.graph;
}

void waitIdle(const Session& s)
{
    DWORD start = GetTickCount();
    Sleep(200);
    while (!IsWindowEnabled(s.field) && GetTickCount() - start < 20000)
        Sleep(50);
    settle(s.main);
}

int listCount(const Session& s) { return int(SendMessageA(s.field, CB_GETCOUNT, 0, 0)); }

void exitProgram(Session& s, const std::string& what)
{
    command(s.main, 1008);
    // A modified document asks first; these scenarios keep nothing.
    HWND ask = s.program->waitForWindow("#32770", "Exit Quorvex", 1500);
    if (ask)
        click(GetDlgItem(ask, IDNO));
    const int code = s.program->waitForExit(20000);
    check(code == 0, what + ": ends with code 0 (got " + std::to_string(code) + ")");
}

Bitmap graphShot(const Session& s)
{
    settle(s.main);
    Bitmap whole = capture(s.main);
    RECT g = clientRectOnScreen(s.graph), m = clientRectOnScreen(s.main);
    Bitmap part;
    part.width = g.right - g.left;
    part.height = g.bottom - g.top;
    const int left = g.left - m.left, top = g.top - m.top;
    for (int y = 0; y < part.height; ++y)
        for (int x = 0; x < part.width; ++x) {
            const int wx = left + x, wy = top + y;
            part.pixels.push_back(wx < whole.width && wy < whole.height ? whole.at(wx, wy) : 0);
        }
    return part;
}

// Where the y axis stands, as a fraction of the plotting area between the border's columns.
double axisFraction(const Bitmap& shot)
{
    std::vector<int> columns(shot.width);
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.at(x, y) == AXES)
                ++columns[x];
    int left = -1, right = -1;
    for (int x = 0; x < shot.width; ++x)
        if (columns[x] > shot.height * 9 / 10) {
            if (left < 0)
                left = x;
            right = x;
        }
    int axis = -1, best = shot.height / 2;
    for (int x = left + 6; x < right - 6; ++x)
        if (columns[x] > best) {
            best = columns[x];
            axis = x;
        }
    if (axis < 0 || right <= left)
        return -1;
    return double(axis - left) / (right - left);
}

void scroll(const Session& s, int code)
{
    PostMessageA(s.graph, WM_HSCROLL, MAKEWPARAM(code, 0), 0);
    PostMessageA(s.graph, WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
    waitIdle(s);
    Sleep(200);
    waitIdle(s);
}

void expectAxis(const Session& s, double expected, const std::string& what, const std::string& picture)
{
    Bitmap shot = graphShot(s);
    shot.save(artefact(picture));
    const double f = axisFraction(shot);
    check(f > expected - 0.01 && f < expected + 0.01,
          what + ": y axis at " + std::to_string(f) + " of the width, expected " + std::to_string(expected));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("usage: e2e_quorvex_files QUORVEX.EXE ARTEFACT_DIR\n");
        return 2;
    }
    const std::string exe = std::string("\"") + argv[1] + "\"";
    const std::string dir = argv[2];
    setArtefactDirectory(dir);
    const std::string setup = dir + "\\own setup.ini";
    DeleteFileA(setup.c_str());
    check(writeFile(dir + "\\line.gr", documentWith("y=x\n")), "line.gr written");
    check(writeFile(dir + "\\two words.gr", documentWith("y=-x\ny=x^2\n")), "\"two words.gr\" written");

    {  // A name without ".gr".
        Program p(exe + " line", dir);
        Session s{&p};
        check(attach(s), "start with \"line\"");
        waitIdle(s);
        check(text(s.main) == "Quorvex for Win32 - line.gr", "\"line\" opens line.gr (title \"" + text(s.main) + "\")");
        check(listCount(s) == 1, "line.gr's equation is listed");
        // Resting the pointer on the first toolbar button shows its tooltip and its help in the status bar.
        HWND toolbar = findChildById(s.bar, 9000);
        if (toolbar) {
            RECT r;
            GetWindowRect(toolbar, &r);
            SetCursorPos(r.left + 10, r.top + (r.bottom - r.top) / 2);
            Sleep(100);
            SetCursorPos(r.left + 11, r.top + (r.bottom - r.top) / 2);
            DWORD start = GetTickCount();
            HWND status = findChildById(s.main, 800);
            while (GetTickCount() - start < 4000 &&
                   text(status) != "Create a new set of graphs (closes open file first)")
                Sleep(100);
            check(text(status) == "Create a new set of graphs (closes open file first)",
                  "the New button's help shows in the status bar (\"" + text(status) + "\")");
            captureWindow(s.main).save(artefact("tooltip.bmp"));
            SetCursorPos(0, 0);
        }
        exitProgram(s, "line");
    }
    {  // Two quoted names, one with a blank: both are read into one document named after the last.
        Program p(exe + " \"two words.gr\" \"line\"", dir);
        Session s{&p};
        check(attach(s), "start with two quoted names");
        waitIdle(s);
        check(listCount(s) == 3, "both files are read (" + std::to_string(listCount(s)) + " equations)");
        check(text(s.main) == "Quorvex for Win32 - line.gr", "the last file names the document (\"" + text(s.main) + "\")");
        captureWindow(s.main).save(artefact("two_files.bmp"));
        exitProgram(s, "two names");
    }
    {  // "/i:": options saved with Save Setup Info; the scroll bars; the zoom buttons; Undo.
        Program p(exe + " \"/i:" + setup + "\"", dir);
        Session s{&p};
        check(attach(s), "start with /i:");
        check(!(GetWindowLongA(s.graph, GWL_STYLE) & WS_HSCROLL), "no scroll bars at first");
        command(s.main, 5009);
        Sleep(400);
        check((GetWindowLongA(s.graph, GWL_STYLE) & WS_HSCROLL) != 0, "Show Scrollbars adds them");
        setText(s.field, "y=x^2-3");
        command(s.bar, IDOK);
        waitIdle(s);
        expectAxis(s, 0.5, "at start", "scroll_0.bmp");
        scroll(s, SB_LINEDOWN);
        expectAxis(s, 0.45, "one line right moves the range by 5%", "scroll_line.bmp");
        scroll(s, SB_PAGEUP);
        expectAxis(s, 0.7, "one page left moves it by 25%", "scroll_page.bmp");
        command(s.bar, 806);
        waitIdle(s);
        expectAxis(s, 0.6, "Zoom out doubles the range about its centre", "zoom_out.bmp");
        command(s.bar, 805);
        waitIdle(s);
        expectAxis(s, 0.7, "Zoom in halves it again", "zoom_in.bmp");
        command(s.main, 1501);
        waitIdle(s);
        expectAxis(s, 0.6, "Undo Grid Range returns to the range before", "undo_1.bmp");
        command(s.main, 1501);
        waitIdle(s);
        expectAxis(s, 0.7, "a second Undo undoes the Undo", "undo_2.bmp");
        captureWindow(s.main).save(artefact("scrolled.bmp"));

        // Sizes from tiny to large, and minimizing, leave a working program that lays itself out.
        for (SIZE size : {SIZE{160, 120}, SIZE{60, 40}, SIZE{1000, 740}}) {
            SetWindowPos(s.main, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
            waitIdle(s);
            check(p.running(), "running after resizing to " + std::to_string(size.cx) + "x" + std::to_string(size.cy));
        }
        ShowWindow(s.main, SW_MINIMIZE);
        Sleep(300);
        ShowWindow(s.main, SW_RESTORE);
        waitIdle(s);
        check(p.running(), "running after minimize and restore");
        RECT g{};
        GetWindowRect(s.graph, &g);  // scroll bars included
        RECT m{};
        GetClientRect(s.main, &m);
        check(g.right - g.left == m.right - 8, "the graph window spans the width less 8 pixels (" +
                                                   std::to_string(g.right - g.left) + " of " + std::to_string(m.right) + ")");
        captureWindow(s.main).save(artefact("resized.bmp"));
        Bitmap after = graphShot(s);
        check(after.count(0xFF00FF, 0, 0, after.width, after.height) > after.height,
              "the parabola is still in view after the tiny sizes");
        check(axisFraction(after) > 0.69 && axisFraction(after) < 0.72, "the x range survived the resizing");

        command(s.main, 1005);
        Sleep(800);
        const std::string ini = readFile(setup);
        check(!ini.empty(), "Save Setup Info writes the file named by /i:");
        check(ini.find("\nscrollbars=on") != std::string::npos, "the setup file keeps the scroll bars");
        exitProgram(s, "/i:");
    }
    {  // The next start reads it.
        Program p(exe + " \"/i:" + setup + "\"", dir);
        Session s{&p};
        check(attach(s), "second start with /i:");
        check((GetWindowLongA(s.graph, GWL_STYLE) & WS_HSCROLL) != 0, "the saved setup brings the scroll bars back");
        exitProgram(s, "second /i:");
    }
    {  // A queue of "maxeqs" equations drops its oldest for a new one; the lines are typed and entered.
        const std::string small = dir + "\\three.ini";
        check(writeFile(small, "[options]\nmaxeqs=3\n"), "three.ini written");
        Program p(exe + " /i:" + small, dir);
        Session s{&p};
        check(attach(s), "start with maxeqs=3");
        HWND edit = findChild(s.field, "Edit");
        for (const char* line : {"y=1", "y=2", "y=3", "y=4"}) {
            setText(s.field, line);
            PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
            PostMessageA(edit, WM_KEYUP, VK_RETURN, 0xC0000001);
            waitIdle(s);
        }
        check(listCount(s) == 3, "the queue holds 3 (" + std::to_string(listCount(s)) + ")");
        // Selecting an entry shows its text in the field (list texts do not cross processes whole).
        SendMessageA(s.field, CB_SETCURSEL, 0, 0);
        const std::string first = text(s.field);
        SendMessageA(s.field, CB_SETCURSEL, 2, 0);
        const std::string last = text(s.field);
        check(first == "y=4" && last == "y=2",
              std::string("newest first, the oldest dropped (\"") + first + "\" .. \"" + last + "\")");
        Bitmap shot = graphShot(s);
        shot.save(artefact("maxeqs.bmp"));
        // Graph colours of the Gray scheme given in turn: magenta, white, red, then cyan for the fourth.
        check(shot.count(0x00FFFF, 0, 0, shot.width, shot.height) > shot.width / 2, "the fourth line is drawn");
        exitProgram(s, "maxeqs");
    }
    return finish();
}
