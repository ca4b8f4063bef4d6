// The program's windows and the state the shell keeps for them.
#pragma once
#include <windows.h>

namespace shell {

constexpr char kMainClass[] = "QUORPLOT";
constexpr char kGraphClass[] = "QUORPWND";
constexpr char kProgramTitle[] = "Quorvex for Win32";
constexpr char kProgramVersion[] = "1.60e";

struct Shell {
    HINSTANCE instance = nullptr;
    HWND main = nullptr;
    HWND commandBar = nullptr;
    HWND equationField = nullptr;
    HWND graph = nullptr;
    HWND printout = nullptr;
    HWND statusBar = nullptr;
    HACCEL accelerators = nullptr;
    int screenWidth = 0;
    double screenRatio = 1.0;  // vertical over horizontal pixels per inch
    int layoutState = 0;       // 0 nothing, 2 re-layout needed, 4/8 minimized idle/drawing
    bool printTables = false;
};

extern Shell g_shell;

bool registerClasses(HINSTANCE instance);
void unregisterClasses(HINSTANCE instance);
LRESULT CALLBACK mainWindowProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK graphWindowProc(HWND, UINT, WPARAM, LPARAM);
HWND createCommandBar(HWND main);
void layoutMainWindow();
void setStatusText(const char* text);
bool returnFocusToEquationField();

}  // namespace shell
