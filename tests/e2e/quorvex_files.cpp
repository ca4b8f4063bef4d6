// Quorvex opens the documents its command line names (with and without ".gr", quoted names with
// blanks), keeps its setup file where "/i:" says and uses it at the next start, and moves the range
// with the scroll bars, the zoom buttons and Undo Grid Range.
#include "driver.h"
#include "quorvex_session.h"

#include <commctrl.h>

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

using namespace e2e;

namespace {

constexpr uint32_t AXES = QUORVEX_AXES;

std::string documentWith(const std::string& equations)
{
    return "[grid]\nleft=-8\nright=8\ntop=auto\nbottom=auto\n\n[equations]\n" + equations;
}

int listCount(const Session& s) { return int(SendMessageA(s.field, CB_GETCOUNT, 0, 0)); }

// Where the y axis stands, as a fraction of the plotting area between the border's columns.
double axisFraction(const Bitmap& shot)
{
    std::vector<int> columns(shot.width);
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.at(x, y) == AXES)
                ++columns[x];
    const RECT border = plotBorder(shot);
    const int left = border.left, right = border.right;
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

void scroll(const Session& s, int code, int position = 0)
{
    PostMessageA(s.graph, WM_HSCROLL, MAKEWPARAM(code, position), 0);
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

void release(const Session& s, POINT at)
{
    PostMessageA(s.graph, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    flush(s.main);
}

// A key pressed with Ctrl held, typed at the keyboard into the program's window.
void controlKey(const Session& s, WORD vk)
{
    // Typed keys go to the active window: wait until it is Quorvex's.
    for (int i = 0; i < 20 && GetForegroundWindow() != s.main; ++i) {
        SetForegroundWindow(s.main);
        Sleep(100);
    }
    flush(s.main);
    INPUT keys[4]{};
    const WORD order[4] = {VK_CONTROL, vk, vk, VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = order[i];
        keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(4, keys, sizeof(INPUT));
    flush(s.main);
}

BOOL CALLBACK appendStaticText(HWND child, LPARAM out)
{
    if (className(child) == "Static")
        *reinterpret_cast<std::string*>(out) += text(child);
    return TRUE;
}

// The point at this fraction of the plotting area's width and height.
POINT within(const RECT& border, double fx, double fy)
{
    return POINT{LONG(border.left + (border.right - border.left) * fx), LONG(border.top + (border.bottom - border.top) * fy)};
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
    {  // A document on semilog paper whose range reaches below zero: the message, then Grid Range; a
       // cancelled dialog leaves the paper rectangular and the program starts.
        check(writeFile(dir + "\\semilog.gr",
                        "[grid]\nleft=-8\nright=8\ntop=5\nbottom=-5\n\n[options]\npaper=slog 10\n\n[equations]\ny=x\n"),
              "semilog.gr written");
        Program p(exe + " semilog.gr", dir);
        HWND box = p.waitForWindow("#32770", "Quorvex", 15000);
        std::string said;
        if (box)
            EnumChildWindows(box, appendStaticText, reinterpret_cast<LPARAM>(&said));
        check(said == "You cannot display values less than or equal to zero on a logarithmic scale. Press OK to modify "
                      "the range of the grid.",
              "the range is refused with the message (\"" + said + "\")");
        if (box)
            click(GetDlgItem(box, IDOK));
        HWND range = p.waitForWindow("#32770", "Grid Range", 10000);
        check(range != nullptr, "then the Grid Range dialog asks for a range");
        if (range)
            click(GetDlgItem(range, IDCANCEL));
        Session s{&p};
        check(attach(s), "the program starts");
        waitIdle(s);
        Bitmap shot = graphShot(s);
        shot.save(artefact("semilog_refused.bmp"));
        check(shot.count(0xFF00FF, 0, 0, shot.width, shot.height) > shot.height / 2, "y=x is drawn on rectangular paper");
        exitProgram(s, "semilog");
    }
    {  // The mouse: a click picks the curve under the pointer, a drag selects a rectangle for the zoom.
        Program p(exe + " line", dir);
        Session s{&p};
        check(attach(s), "start for the mouse");
        waitIdle(s);
        HWND status = findChildById(s.main, 800);
        Bitmap shot = graphShot(s);
        const RECT border = plotBorder(shot);
        check(border.right - border.left > 100 && border.bottom - border.top > 100, "the plotting area's border is found");

        // y=x runs through the middle; find it on a column right of the centre.
        const int column = border.left + (border.right - border.left) * 3 / 4;
        int row = -1;
        for (int y = border.top; y < border.bottom && row < 0; ++y)
            if (shot.at(column, y) == 0xFF00FF)
                row = y;
        check(row > 0, "y=x is drawn at the column of x=4");
        setText(s.field, "y=5");
        PostMessageA(s.graph, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(column, row + 2));
        release(s, POINT{column, row + 2});
        check(text(status).find("ON SCREEN: ") == 0 && text(s.field) == "y=x",
              "a click beside the curve picks it (status \"" + text(status) + "\", field \"" + text(s.field) + "\")");
        const POINT empty = within(border, 0.2, 0.2);
        PostMessageA(s.graph, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(empty.x, empty.y));
        release(s, empty);
        check(text(status).empty(), "a click away from the curves empties the status (\"" + text(status) + "\")");

        // The coordinate cursor: from the toolbar it shows its prompt, snaps to the curve the pointer
        // comes near and reads out the point; ESC ends it.
        HMENU menu = GetMenu(s.main);
        HWND toolbar = findChildById(s.bar, 9000);
        command(s.bar, 809);
        flush(s.main);
        check(GetMenu(s.main) != menu && toolbar && SendMessageA(toolbar, TB_ISBUTTONPRESSED, 809, 0),
              "the coordinate cursor shows its prompt and its button pressed");
        POINT nearCurve{column + 3, row - 3};
        ClientToScreen(s.graph, &nearCurve);
        SetCursorPos(nearCurve.x, nearCurve.y);
        Sleep(300);
        flush(s.main);
        POINT pointer{};
        GetCursorPos(&pointer);
        ScreenToClient(s.graph, &pointer);
        check(std::abs((pointer.x - column) - (row - pointer.y)) <= 2,
              "the pointer is put on the curve (" + std::to_string(pointer.x) + "," + std::to_string(pointer.y) + ")");
        check(text(status).rfind("At point (", 0) == 0 && text(status).find(" on ") != std::string::npos,
              "the status reads out the point on the curve (\"" + text(status) + "\")");
        CURSORINFO shown{};
        shown.cbSize = sizeof shown;
        check(GetCursorInfo(&shown) && shown.hCursor && shown.hCursor != LoadCursor(nullptr, IDC_ARROW),
              "the pointer shows the crosshair");
        captureWindow(s.main).save(artefact("coordinate_cursor.bmp"));
        key(s.graph, VK_ESCAPE);
        flush(s.main);
        check(GetMenu(s.main) == menu && !SendMessageA(toolbar, TB_ISBUTTONPRESSED, 809, 0), "ESC ends it");
        // Held down, the right button shows the coordinates until it is let go.
        const POINT spot = within(border, 0.25, 0.25);
        PostMessageA(s.graph, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(spot.x, spot.y));
        flush(s.main);
        check(text(status).rfind("At point (", 0) == 0, "the right button reads out the point (\"" + text(status) + "\")");
        PostMessageA(s.graph, WM_RBUTTONUP, 0, MAKELPARAM(spot.x, spot.y));
        flush(s.main);
        check(!SendMessageA(toolbar, TB_ISBUTTONPRESSED, 809, 0), "letting it go ends the coordinate cursor");

        // Set Domain: the columns dragged become the domain of the line in the field; a drag to the
        // edge leaves that end open.
        setText(s.field, "y=x");
        command(s.main, 5504);
        flush(s.main);
        check(GetMenu(s.main) != menu, "Set Domain shows its prompt");
        dragInGraph(s, within(border, 0.25, 0.5), within(border, 0.75, 0.5));
        check(text(status).rfind("New domain: ", 0) == 0, "the status shows the domain (\"" + text(status) + "\")");
        release(s, within(border, 0.75, 0.5));
        double low = 0, high = 0;
        check(std::sscanf(text(s.field).c_str(), "y=x {x: %lf, %lf}", &low, &high) == 2 && std::fabs(low + 4) < 0.1 &&
                  std::fabs(high - 4) < 0.1,
              "the domain is written into the line (\"" + text(s.field) + "\")");
        setText(s.field, "y=x {-1, 1}");
        command(s.main, 5504);
        flush(s.main);
        dragInGraph(s, within(border, 0.5, 0.5), within(border, 1.2, 0.5));
        release(s, within(border, 1.0, 0.5));
        check(std::sscanf(text(s.field).c_str(), "y=x {x: %lf, }", &low) == 1 && std::fabs(low) < 0.1 &&
                  text(s.field).find("}") == text(s.field).size() - 1 && text(s.field).find("-1") == std::string::npos,
              "a drag to the right edge leaves the upper end open, replacing the old domain (\"" + text(s.field) + "\")");
        check(GetMenu(s.main) == menu, "the tool has ended");

        // Set Initial Value: one click for a first-order equation, a second for the slope, the dialog
        // for the higher derivatives, and further clicks on the same column for a system.
        auto clickAt = [&](POINT p) {
            PostMessageA(s.graph, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
            release(s, p);
        };
        auto values = [&](const std::string& line) {
            std::vector<double> v;
            const std::string t = text(s.field);
            if (t.rfind(line + " {", 0) != 0)
                return v;
            std::stringstream in(t.substr(line.size() + 2));
            double d;
            char separator;
            while (in >> d) {
                v.push_back(d);
                in >> separator;
            }
            return v;
        };
        const POINT first = within(border, 0.5, 0.25), second = within(border, 0.625, 0.125);
        setText(s.field, "dx=x");
        command(s.main, 5503);
        clickAt(first);
        std::vector<double> got = values("dx=x");
        check(got.size() == 2 && std::fabs(got[0]) < 0.1 && std::fabs(got[1] - 2.5) < 0.3,
              "one click gives a first-order equation its initial values (\"" + text(s.field) + "\")");
        setText(s.field, "d2x=-x");
        command(s.main, 5503);
        clickAt(first);
        dragInGraph(s, second, second);  // the rubber line follows the pointer
        const std::string readout = text(status);
        check(readout.rfind("IV point (", 0) == 0, "the slope is read out (\"" + readout + "\")");
        PostMessageA(s.graph, WM_LBUTTONUP, 0, MAKELPARAM(second.x, second.y));
        flush(s.main);
        got = values("d2x=-x");
        const std::size_t at = readout.find("slope = ");
        check(got.size() == 3 && got[2] > 0 && at != std::string::npos &&
                  std::fabs(got[2] - std::atof(readout.c_str() + at + 8)) < 0.01,
              "a second click gives the slope read out (\"" + text(s.field) + "\")");
        setText(s.field, "d3x=-x");
        command(s.main, 5503);
        clickAt(first);
        PostMessageA(s.graph, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(second.x, second.y));
        PostMessageA(s.graph, WM_LBUTTONUP, 0, MAKELPARAM(second.x, second.y));
        HWND ask = p.waitForWindow("#32770", "Set Initial Values", 5000);
        check(ask != nullptr, "order 3 asks for the second derivative");
        if (ask) {
            captureWindow(ask).save(artefact("initial_values_dialog.bmp"));
            check(!IsWindowEnabled(GetDlgItem(ask, 1203)), "the third derivative is not asked for order 3");
            setText(GetDlgItem(ask, 1201), "2*pi");
            click(GetDlgItem(ask, IDOK));
            Sleep(300);
        }
        got = values("d3x=-x");
        check(got.size() == 4 && std::fabs(got[3] - 6.2832) < 0.01, "with it (\"" + text(s.field) + "\")");
        setText(s.field, "dx=y; dy=-x");
        command(s.main, 5503);
        clickAt(first);
        clickAt(POINT{first.x + 1, within(border, 0.5, 0.75).y});
        got = values("dx=y; dy=-x");
        check(got.size() == 3 && std::fabs(got[1] - 2.5) < 0.3 && std::fabs(got[2] + 2.5) < 0.3,
              "a system takes one value a click at the same t (\"" + text(s.field) + "\")");
        check(GetMenu(s.main) == menu, "the tool has ended");

        const POINT from = within(border, 0.375, 0.3), to = within(border, 0.75, 0.45);
        dragInGraph(s, from, to);
        flush(s.main);
        check(GetMenu(s.main) != menu, "dragging shows its prompt in place of the menu");
        captureWindow(s.main).save(artefact("dragging.bmp"));
        check(text(status).rfind("Selected area: (", 0) == 0, "the status shows the area (\"" + text(status) + "\")");
        release(s, to);
        check(GetMenu(s.main) == menu, "the menu is back after the drag");
        check(text(status) == "Click Zoom in or Zoom out now to set the new range.",
              "the status says what to do next (\"" + text(status) + "\")");
        shot = graphShot(s, false);  // a repaint takes the selection away
        shot.save(artefact("selection.bmp"));
        // The selection is the inverted screen: the white paper turns black inside it.
        const POINT inside = within(border, 0.5, 0.32);
        check(shot.count(0x000000, inside.x - 5, inside.y - 3, inside.x + 5, inside.y + 3) > 40,
              "the selection is shown inverted");
        command(s.bar, 805);
        waitIdle(s);
        // The selection ran from x=-2 to x=4.
        expectAxis(s, 1.0 / 3, "Zoom in with a selection takes its x range", "zoom_selection.bmp");

        // Out from a selection centred on x=1.75: twice the width, about that centre.
        dragInGraph(s, within(border, 0.5, 0.3), within(border, 0.75, 0.4));
        release(s, within(border, 0.75, 0.4));
        command(s.bar, 806);
        waitIdle(s);
        expectAxis(s, 0.5 - 1.75 / 12, "Zoom out with a selection centres on it", "zoom_out_selection.bmp");

        // Ctrl+R with a selection zooms into it; the right button cancels a drag.
        shot = graphShot(s);
        const RECT wide = plotBorder(shot);
        dragInGraph(s, within(wide, 0.25, 0.3), within(wide, 0.5, 0.4));
        PostMessageA(s.graph, WM_RBUTTONUP, 0, 0);
        flush(s.main);
        check(GetMenu(s.main) == menu, "the right button ends the drag");
        command(s.main, 3004);
        // Without a selection it asks for the range: cancelled, the range stays.
        if (HWND range = p.waitForWindow("#32770", "Grid Range", 5000)) {
            click(GetDlgItem(range, IDCANCEL));
            for (int wait = 0; wait < 100 && IsWindow(range); ++wait)
                Sleep(50);
        }
        waitIdle(s);
        expectAxis(s, 0.5 - 1.75 / 12, "Grid Range without a selection leaves the range", "no_selection.bmp");
        dragInGraph(s, within(wide, 0.25, 0.3), within(wide, 0.5, 0.4));
        release(s, within(wide, 0.5, 0.4));
        controlKey(s, 'R');
        waitIdle(s);
        expectAxis(s, (axisFraction(shot) - 0.25) * 4, "Ctrl+R with a selection zooms into it",
                   "grid_range_selection.bmp");
        exitProgram(s, "mouse");
    }
    {  // The calculus commands on y=x: a tangent picked with the mouse, a region integrated by dragging
       // along the curve, and the derivative drawn as a new graph.
        Program p(exe + " line", dir);
        Session s{&p};
        check(attach(s), "start for the calculus tools");
        waitIdle(s);
        HWND status = findChildById(s.main, 800);
        HWND toolbar = findChildById(s.bar, 9000);
        Bitmap shot = graphShot(s);
        const RECT border = plotBorder(shot);
        const POINT origin = within(border, 0.5, 0.5);
        auto onLine = [&](double fx) {  // the point of y=x at this fraction of the width
            const int x = int(border.left + (border.right - border.left) * fx);
            for (int y = border.top; y < border.bottom; ++y)
                if (shot.at(x, y) == 0xFF00FF)
                    return POINT{x, y};
            return POINT{x, -1};
        };
        const POINT two = onLine(0.625);
        check(two.y > 0 && origin.x > 0, "y=x is found on screen");

        command(s.main, 6002);
        flush(s.main);
        check(SendMessageA(toolbar, TB_ISBUTTONPRESSED, 6002, 0), "Draw Tangent presses its button");
        PostMessageA(s.graph, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(two.x, two.y));
        release(s, two);
        const std::string tangent = text(status);
        check(tangent.rfind("x=", 0) == 0 && tangent.find("slope=1.0 ") != std::string::npos &&
                  tangent.find("(tangent of y=x") != std::string::npos,
              "the tangent's point and slope are reported (\"" + tangent + "\")");
        check(!SendMessageA(toolbar, TB_ISBUTTONPRESSED, 6002, 0), "the tool has ended");
        captureWindow(s.main).save(artefact("tangent.bmp"));

        command(s.main, 6003);
        flush(s.main);
        const POINT zero = onLine(0.5), four = onLine(0.75);
        dragInGraph(s, zero, four);
        check(text(status).rfind("Integrate region: ", 0) == 0, "the region is read out while dragging (\"" + text(status) + "\")");
        release(s, four);
        const std::string area = text(status);
        const std::size_t at = area.find("Area: ");
        const double value = at == std::string::npos ? 0 : std::atof(area.c_str() + at + 6);
        check(area.rfind("Interval: ", 0) == 0 && std::fabs(value - 8) < 0.5 &&
                  area.find("(integral of y=x") != std::string::npos,
              "dragging along the curve from 0 to 4 integrates it (\"" + area + "\")");
        Bitmap shaded = graphShot(s);
        shaded.save(artefact("integrated.bmp"));
        const POINT inside = within(border, 0.66, 0.47);
        check(shaded.count(0xFF00FF, inside.x - 8, inside.y - 8, inside.x + 8, inside.y + 8) > 4,
              "the region is hatched in the curve's colour");

        const int before = listCount(s);
        setText(s.field, "y=x");
        command(s.main, 6001);
        waitIdle(s);
        check(listCount(s) == before + 1, "Find Derivative adds a graph (" + std::to_string(listCount(s)) + ")");
        SendMessageA(s.field, CB_SETCURSEL, 0, 0);
        check(text(s.field).find("deriv. of") != std::string::npos, "the new line says what it is (\"" + text(s.field) + "\")");
        captureWindow(s.main).save(artefact("derivative.bmp"));
        exitProgram(s, "calculus");
    }
    {  // With hogCPU a drawing acts only on the command bar: Pause and abort work, a close is dropped.
        const std::string hog = dir + "\\hog.ini";
        check(writeFile(hog, "[options]\nhogcpu=on\n"), "hog.ini written");
        Program p(exe + " /i:" + hog, dir);
        Session s{&p};
        check(attach(s), "start with hogCPU");
        HWND status = findChildById(s.main, 800);
        setText(s.field, "y=a*x^2/100 {a: 1, 400, 0.01}");
        command(s.bar, IDOK);
        Sleep(700);
        check(!IsWindowEnabled(s.field), "the family is being drawn");
        PostMessageA(s.main, WM_CLOSE, 0, 0);
        check(p.waitForWindow("#32770", "Exit Quorvex", 1500) == nullptr, "a close while drawing is not acted on");
        // A drawing that does not yield can leave a busy machine's keys waiting a while: the key is
        // pressed again until it is seen.
        auto pressUntil = [&](HWND button, WPARAM vk, const char* prefix) {
            for (int attempt = 0; attempt < 6; ++attempt) {
                key(button, vk);
                if (waitForText(status, prefix, 5000))
                    return true;
            }
            return false;
        };
        check(pressUntil(GetDlgItem(s.bar, IDCANCEL), VK_RETURN, "PAUSE at "), "Enter pauses (\"" + text(status) + "\")");
        check(pressUntil(GetDlgItem(s.bar, IDOK), VK_ESCAPE, "ABORTED: "), "ESC in the pause aborts (\"" + text(status) + "\")");
        waitIdle(s);
        check(p.running() && IsWindowEnabled(s.field), "the program is idle and still running");
        exitProgram(s, "hogCPU");
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
        // Dragging the thumb shows the grid where it would go and keeps the range; letting go applies it.
        PostMessageA(s.graph, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 60), 0);
        Bitmap tracked = graphShot(s, false);
        tracked.save(artefact("thumb_track.bmp"));
        const double trackedAxis = axisFraction(tracked);
        check(trackedAxis > 0.59 && trackedAxis < 0.61, "the dragged thumb shows the grid 10% on (" + std::to_string(trackedAxis) + ")");
        check(tracked.count(0xFF00FF, 0, 0, tracked.width, tracked.height) == 0, "without the curves");
        expectAxis(s, 0.7, "a repaint while dragging shows the range unchanged", "thumb_repaint.bmp");
        scroll(s, SB_THUMBPOSITION, 60);
        expectAxis(s, 0.6, "letting the thumb go moves the range", "thumb_released.bmp");
        scroll(s, SB_THUMBPOSITION, 40);
        expectAxis(s, 0.7, "and back", "thumb_back.bmp");
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
