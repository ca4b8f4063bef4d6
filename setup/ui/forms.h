// A small form library in the manner of the component frameworks the setup kit was designed for:
// forms with a caption, size, position and font, created on Show and destroyed on Close, and an
// application object that runs the message loop.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace fnwd::ui {

enum TPosition { poDesigned, poScreenCenter };

struct TFontSpec {
    std::string Name = "MS Sans Serif";
    int Height = 13;  // pixels
    bool Bold = false;
    bool Italic = false;
};

class TForm {
public:
    TForm();
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    std::string Caption;
    int Left = 0, Top = 0;
    int Width = 400, Height = 300;  // outer size of the window, as the form designer states it
    TPosition Position = poDesigned;
    TFontSpec Font;

    std::function<void(TForm&)> OnShow;
    std::function<bool(TForm&)> OnCloseQuery;  // false keeps the form open
    std::function<void(TForm&)> OnClose;

    void Show();
    void Close();
    HWND Handle() const { return handle_; }
    HFONT FontHandle() const { return font_; }

protected:
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticWndProc(HWND, UINT, WPARAM, LPARAM);
    HWND handle_ = nullptr;
    HFONT font_ = nullptr;
};

class TApplication {
public:
    static TApplication& Instance();
    HINSTANCE hInstance = nullptr;
    TForm* MainForm = nullptr;  // the loop ends when this form is closed
    int Run();                  // returns the exit code
    void ProcessMessages();     // handles what is pending, without waiting
    void Terminate(int code = 0);
    bool Terminated() const { return terminated_; }

private:
    bool terminated_ = false;
};

HFONT CreateFontFromSpec(const TFontSpec& font);

}  // namespace fnwd::ui
