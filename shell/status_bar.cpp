// The status bar: one owner-drawn part that shows the status text with its colour escapes. The text
// is kept by the shell; the status window answers WM_GETTEXT with it, so that other programs (and
// the end-to-end scenarios) can read what it shows.
#include <windows.h>
#include <commctrl.h>

#include "doc/graph_doc.h"
#include "platform/ui.h"
#include "plot/colours.h"
#include "resource.h"
#include "shell.h"

namespace shell {

namespace {

WNDPROC g_statusBarProc = nullptr;

LRESULT CALLBACK statusBarSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const std::string& text = g_shell.statusText;
    switch (message) {
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(text.size());
    case WM_GETTEXT: {
        if (wParam == 0)
            return 0;
        const std::size_t n = std::min<std::size_t>(text.size(), wParam - 1);
        char* out = reinterpret_cast<char*>(lParam);
        text.copy(out, n);
        out[n] = '\0';
        return static_cast<LRESULT>(n);
    }
    }
    return CallWindowProcA(g_statusBarProc, window, message, wParam, lParam);
}

// Colours are kept in the layout of a COLORREF.
COLORREF toColorRef(qv::Colour c) { return static_cast<COLORREF>(c); }

}  // namespace

HWND createStatusBar(HWND main)
{
    HWND bar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, main,
                               reinterpret_cast<HMENU>(IDC_STATUSBAR), g_shell.instance, nullptr);
    if (!bar)
        return nullptr;
    g_statusBarProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(statusBarSubclass)));
    SendMessageA(bar, SB_SETTEXTA, SBT_OWNERDRAW | 0, 0);
    return bar;
}

void setStatusText(const std::string& text, int category)
{
    g_shell.statusText = text.substr(0, kMaxStatusText);
    g_shell.statusCategory = category;
    if (g_shell.statusBar) {
        SendMessageA(g_shell.statusBar, SB_SETTEXTA, SBT_OWNERDRAW | 0, 0);
        InvalidateRect(g_shell.statusBar, nullptr, TRUE);
        UpdateWindow(g_shell.statusBar);
    }
}

// Draws the text run by run: ESCAPE followed by 128 + n switches to graph colour n, ESCAPE followed by
// NORMAL back to the text colour of the message's category (warnings in red).
void drawStatusItem(const DRAWITEMSTRUCT& item)
{
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    const COLORREF normal =
        g_shell.statusCategory == qv::MESSAGE_WARNING ? RGB(128, 0, 0) : GetSysColor(COLOR_BTNTEXT);
    SetTextColor(dc, normal);
    const std::string& text = g_shell.statusText;
    int x = r.left + 2;
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    const int y = r.top + ((r.bottom - r.top) - tm.tmHeight) / 2;
    std::size_t start = 0;
    auto flush = [&](std::size_t end) {
        if (end <= start)
            return;
        const int n = static_cast<int>(end - start);
        SIZE size{};
        GetTextExtentPoint32A(dc, text.data() + start, n, &size);
        ExtTextOutA(dc, x, y, ETO_CLIPPED, &r, text.data() + start, n, nullptr);
        x += size.cx;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != qv::COLOUR_ESCAPE || i + 1 >= text.size())
            continue;
        flush(i);
        const unsigned char code = static_cast<unsigned char>(text[i + 1]);
        if (code >= 128 + 1 && code <= 128 + qv::GRAPH_COLOURS)
            SetTextColor(dc, toColorRef(qv::graphColour(code - 128)));
        else
            SetTextColor(dc, normal);
        ++i;
        start = i + 1;
    }
    flush(text.size());
}

}  // namespace shell
