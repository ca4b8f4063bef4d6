// The main window: class registration, layout, menu help and closing.
#include "resource.h"
#include "shell.h"

#include <commctrl.h>

namespace shell {

namespace {

constexpr int kSmallScreenWidth = 1000;

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
    char text[256] = "";
    if (id)
        LoadStringA(g_shell.instance, id, text, sizeof text);
    setStatusText(text);
}

void closeMainWindow(HWND window)
{
    // Nothing can be unsaved yet: there is no document to ask about.
    DestroyWindow(window);
}

void handleSize(WPARAM type)
{
    if (type == SIZE_MINIMIZED) {
        g_shell.layoutState = 4;
        return;
    }
    g_shell.layoutState = 2;
}

void commonTail()
{
    if (g_shell.layoutState == 2) {
        g_shell.layoutState = 0;
        layoutMainWindow();
    }
}

}  // namespace

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

void setStatusText(const char* text)
{
    if (g_shell.statusBar)
        SendMessageA(g_shell.statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
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
    const int T = 0;  // no toolbar in the command bar yet
    const bool small = g_shell.screenWidth <= kSmallScreenWidth;

    MoveWindow(g_shell.equationField, 0, T + 1, W - 8, 8 * E, TRUE);
    SetWindowPos(g_shell.commandBar, HWND_BOTTOM, 4, 1, W - 8, E + T + 10, 0);

    int graphWidth = W - 8;
    if (g_shell.printTables)
        graphWidth = small ? W - 221 : W - 271;
    MoveWindow(g_shell.graph, 4, E + T + 13, graphWidth, H - (E + T + 13) - S - 8, TRUE);
    if (g_shell.printTables)
        MoveWindow(g_shell.printout, small ? W - 215 : W - 265, E + T + 12, small ? 210 : 260,
                   H - (E + T + 12) - S - 7, TRUE);
    else
        MoveWindow(g_shell.printout, 0, 0, 0, 0, TRUE);
    if (g_shell.statusBar)
        SendMessageA(g_shell.statusBar, WM_SIZE, 0, 0);
    InvalidateRect(g_shell.main, nullptr, TRUE);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == CM_FILEEXIT)
            closeMainWindow(window);
        break;
    case WM_CLOSE:
        closeMainWindow(window);
        return 0;
    case WM_MENUSELECT:
        showMenuHelp(wParam, lParam);
        break;
    case WM_SIZE:
        handleSize(wParam);
        break;
    case WM_DESTROY:
        g_shell.main = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        result = DefWindowProcA(window, message, wParam, lParam);
    }
    if (g_shell.main)
        commonTail();
    return result;
}

}  // namespace shell
