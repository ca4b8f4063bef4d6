// Start-up, the message loop and shutdown of Quorvex.
#include <string>

#include "resource.h"
#include "shell.h"

#include <commctrl.h>

namespace shell {
Shell g_shell;
}

using namespace shell;

namespace {

std::string loadString(UINT id)
{
    char buffer[512];
    int n = LoadStringA(g_shell.instance, id, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? n : 0);
}

void warningBox(HWND owner, UINT id)
{
    MessageBoxA(owner, loadString(id).c_str(), kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
}

HWND createStatusBar(HWND main)
{
    return CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, main,
                           reinterpret_cast<HMENU>(IDC_STATUSBAR), g_shell.instance, nullptr);
}

HWND createPrintoutWindow(HWND main)
{
    return CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "Printout",
                           WS_CHILD | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, 0, 0, 0, 0, main, nullptr,
                           g_shell.instance, nullptr);
}

void showBanner()
{
    std::string banner = std::string(kProgramTitle) + " " + kProgramVersion + ", built " + __DATE__ +
                         ". Written by the Quorvex team for Talvane.";
    setStatusText(banner.c_str());
}

int messageLoop()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (g_shell.main && TranslateAcceleratorA(g_shell.main, g_shell.accelerators, &msg))
            continue;
        if (g_shell.commandBar && IsDialogMessageA(g_shell.commandBar, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    g_shell.instance = instance;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);

    if (!registerClasses(instance)) {
        warningBox(nullptr, IDS_REGISTERCLASS);
        return -1;
    }

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

    g_shell.commandBar = createCommandBar(g_shell.main);
    if (!g_shell.commandBar) {
        DestroyWindow(g_shell.main);
        unregisterClasses(instance);
        return 0;
    }
    g_shell.accelerators = LoadAcceleratorsA(instance, "QUORPACCEL");
    g_shell.printout = createPrintoutWindow(g_shell.main);
    g_shell.statusBar = createStatusBar(g_shell.main);

    g_shell.graph = CreateWindowExA(0, kGraphClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, g_shell.main, nullptr,
                                    instance, nullptr);

    layoutMainWindow();
    ShowWindow(g_shell.main, show);
    UpdateWindow(g_shell.main);
    showBanner();
    returnFocusToEquationField();

    int code = messageLoop();
    unregisterClasses(instance);
    return code;
}
