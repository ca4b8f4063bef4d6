#include "quorvex_session.h"

#include <fstream>
#include <sstream>
#include <vector>

namespace e2e {

bool attach(Session& s)
{
    s.main = s.program->waitForWindow("QUORPLOT");
    if (!s.main)
        return false;
    s.field = findChild(s.main, "ComboBox", 803);
    s.bar = s.field ? GetParent(s.field) : nullptr;
    s.graph = findChild(s.main, "QUORPWND");
    s.status = findChildById(s.main, 800);
    settle(s.main);
    return s.field && s.graph && s.status;
}

void waitIdle(const Session& s)
{
    const DWORD start = GetTickCount();
    Sleep(200);
    while (!IsWindowEnabled(s.field) && GetTickCount() - start < 20000)
        Sleep(50);
    settle(s.main);
}

void graph(const Session& s, const std::string& line)
{
    setText(s.field, line);
    command(s.bar, IDOK);
    waitIdle(s);
}

void exitProgram(Session& s, const std::string& what)
{
    command(s.main, 1008);
    // A modified document asks first; the scenarios keep nothing.
    HWND ask = s.program->waitForWindow("#32770", "Exit Quorvex", 1500);
    if (ask)
        click(GetDlgItem(ask, IDNO));
    const int code = s.program->waitForExit(20000);
    check(code == 0, what + ": ends with code 0 (got " + std::to_string(code) + ")");
}

Bitmap graphShot(const Session& s, bool repaint)
{
    if (repaint)
        settle(s.main);
    else
        flush(s.main);
    const Bitmap whole = capture(s.main);
    const RECT g = clientRectOnScreen(s.graph), m = clientRectOnScreen(s.main);
    Bitmap part;
    part.width = g.right - g.left;
    part.height = g.bottom - g.top;
    const int left = g.left - m.left, top = g.top - m.top;
    for (int y = 0; y < part.height; ++y)
        for (int x = 0; x < part.width; ++x) {
            const int wx = left + x, wy = top + y;
            part.pixels.push_back(wx >= 0 && wy >= 0 && wx < whole.width && wy < whole.height ? whole.at(wx, wy) : 0);
        }
    return part;
}

void dragInGraph(const Session& s, POINT from, POINT to)
{
    POINT screen = from;
    ClientToScreen(s.graph, &screen);
    SetCursorPos(screen.x, screen.y);
    Sleep(100);
    PostMessageA(s.graph, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    Sleep(100);
    for (int step = 1; step <= 4; ++step) {
        POINT p{from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4};
        ClientToScreen(s.graph, &p);
        SetCursorPos(p.x, p.y);
        Sleep(60);
    }
}

RECT plotBorder(const Bitmap& shot)
{
    std::vector<int> columns(shot.width), rows(shot.height);
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.at(x, y) == QUORVEX_AXES) {
                ++columns[x];
                ++rows[y];
            }
    RECT r{-1, -1, -1, -1};
    for (int x = 0; x < shot.width; ++x)
        if (columns[x] > shot.height * 9 / 10) {
            if (r.left < 0)
                r.left = x;
            r.right = x;
        }
    for (int y = 0; y < shot.height; ++y)
        if (rows[y] > shot.width * 8 / 10) {
            if (r.top < 0)
                r.top = y;
            r.bottom = y;
        }
    return r;
}

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
    std::string text;
    for (char c : s.str())
        if (c != '\r')
            text += c;
    return text;
}

}  // namespace e2e
