#include "forms.h"

#include <commctrl.h>

namespace fnwd::ui {

namespace {

constexpr char kFormClass[] = "TFnwdForm";

void registerFormClass(HINSTANCE instance)
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hIcon = LoadIconA(instance, "MAINICON");
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    registered = RegisterClassA(&wc) != 0;
}

}  // namespace

HFONT CreateFontFromSpec(const TFontSpec& font)
{
    return CreateFontA(-font.Height, 0, 0, 0, font.Bold ? FW_BOLD : FW_NORMAL, font.Italic, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, font.Name.c_str());
}

TForm::TForm() = default;

TForm::~TForm()
{
    if (handle_) {
        SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
    }
    if (font_)
        DeleteObject(font_);
}

void TForm::Show()
{
    TApplication& app = TApplication::Instance();
    if (!handle_) {
        registerFormClass(app.hInstance);
        if (Position == poScreenCenter) {
            Left = (GetSystemMetrics(SM_CXSCREEN) - Width) / 2;
            Top = (GetSystemMetrics(SM_CYSCREEN) - Height) / 2;
        }
        handle_ = CreateWindowExA(0, kFormClass, Caption.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, Left, Top,
                                  Width, Height, nullptr, nullptr, app.hInstance, nullptr);
        if (!handle_)
            return;
        SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowLongPtrA(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWndProc));
        font_ = CreateFontFromSpec(Font);
    }
    ShowWindow(handle_, SW_SHOW);
    UpdateWindow(handle_);
    if (OnShow)
        OnShow(*this);
}

void TForm::Close()
{
    if (handle_)
        SendMessageA(handle_, WM_CLOSE, 0, 0);
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        if (OnCloseQuery && !OnCloseQuery(*this))
            return 0;
        if (OnClose)
            OnClose(*this);
        ShowWindow(handle_, SW_HIDE);
        if (TApplication::Instance().MainForm == this)
            TApplication::Instance().Terminate(0);
        return 0;
    }
    return DefWindowProcA(handle_, message, wParam, lParam);
}

LRESULT CALLBACK TForm::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!form)
        return DefWindowProcA(window, message, wParam, lParam);
    return form->WndProc(message, wParam, lParam);
}

TApplication& TApplication::Instance()
{
    static TApplication app;
    return app;
}

void TApplication::Terminate(int code)
{
    if (terminated_)
        return;
    terminated_ = true;
    PostQuitMessage(code);
}

void TApplication::ProcessMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int TApplication::Run()
{
    if (MainForm)
        MainForm->Show();
    MSG msg;
    int code = 0;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (msg.message == WM_QUIT)
        code = static_cast<int>(msg.wParam);
    return code;
}

}  // namespace fnwd::ui
