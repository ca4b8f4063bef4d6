// The Set Initial Values dialog: the second and third derivatives of an equation of order 3 or 4,
// which the two points picked with the mouse cannot give.
#include <windows.h>

#include <string>

#include "expr/parser.h"
#include "resource.h"
#include "shell.h"

namespace shell {

namespace {

constexpr int FIELD_LIMIT = 11;

struct Request {
    int order = 3;
    std::vector<double>* values = nullptr;
};

void centreOverMain(HWND dialog)
{
    RECT owner, own;
    GetWindowRect(g_shell.main, &owner);
    GetWindowRect(dialog, &own);
    const int x = owner.left + ((owner.right - owner.left) - (own.right - own.left)) / 2;
    const int y = owner.top + ((owner.bottom - owner.top) - (own.bottom - own.top)) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// Reads a field as a constant; an invalid one is selected and keeps the dialog open.
bool readField(HWND dialog, int id, double& value)
{
    char text[FIELD_LIMIT + 2] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    std::uint16_t status = 0;
    value = qv::evaluateConstantText(text, status);
    if (status == 0 && text[0])
        return true;
    HWND field = GetDlgItem(dialog, id);
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
    return false;
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const auto* request = reinterpret_cast<const Request*>(lParam);
        for (int id : {IDC_IV_SECOND, IDC_IV_THIRD})
            SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, FIELD_LIMIT, 0);
        const bool third = request->order > 3;
        EnableWindow(GetDlgItem(dialog, IDC_IV_THIRD), third);
        EnableWindow(GetDlgItem(dialog, IDC_IV_THIRDLABEL), third);
        centreOverMain(dialog);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            const auto* request = reinterpret_cast<const Request*>(GetWindowLongPtrA(dialog, DWLP_USER));
            double second = 0, third = 0;
            if (!readField(dialog, IDC_IV_SECOND, second))
                return TRUE;
            if (request->order > 3 && !readField(dialog, IDC_IV_THIRD, third))
                return TRUE;
            request->values->push_back(second);
            if (request->order > 3)
                request->values->push_back(third);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

bool askHigherDerivatives(int order, std::vector<double>& values)
{
    Request request{order, &values};
    return DialogBoxParamA(g_shell.instance, MAKEINTRESOURCEA(IDD_INITIALVALUES), g_shell.main, dialogProc,
                           reinterpret_cast<LPARAM>(&request)) == IDOK;
}

}  // namespace shell
