// The command bar: the equation field and the invisible Graph and Pause buttons.
#include "resource.h"
#include "shell.h"

namespace shell {

namespace {

INT_PTR CALLBACK commandBarProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return FALSE;
    case WM_CTLCOLORDLG:
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_COMMAND:
        // Enter and ESC press the invisible buttons; graphing is not part of the program yet.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

HWND createCommandBar(HWND main)
{
    HWND bar = CreateDialogA(g_shell.instance, "ID_GRAPHBOX", main, commandBarProc);
    if (!bar)
        return nullptr;
    g_shell.equationField = GetDlgItem(bar, IDC_EQUATION);
    SendMessageA(g_shell.equationField, CB_LIMITTEXT, EQUATION_TEXT_LIMIT, 0);
    return bar;
}

// Leaves the focus where it is when it is in the equation field (or one of its children) or outside the
// main window; otherwise gives it to the equation field. Reports whether it left the focus alone.
bool returnFocusToEquationField()
{
    HWND focus = GetFocus();
    HWND field = g_shell.equationField;
    if (!field)
        return true;
    if (focus && (focus == field || IsChild(field, focus) || !IsChild(g_shell.main, focus)) && focus != g_shell.main)
        return true;
    SetFocus(field);
    return false;
}

}  // namespace shell
