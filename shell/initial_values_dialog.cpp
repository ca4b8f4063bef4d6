// The Set Initial Values dialog: the second and third derivatives of an equation of order 3 or 4,
// which the two points picked with the mouse cannot give.
#include <windows.h>

#include <string>

#include "dialogs_tools_common.h"
#include "resource.h"
#include "shell.h"

namespace shell {

namespace {

constexpr int FIELD_LIMIT = 11;

struct Request {
    int order = 3;
    std::vector<double>* values = nullptr;
};

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const auto* request = reinterpret_cast<const Request*>(lParam);
        for (int id : {IDC_IV_SECOND, IDC_IV_THIRD})
            limitField(dialog, id, FIELD_LIMIT);
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
            if (!readConstant(dialog, IDC_IV_SECOND, second, false))
                return TRUE;
            if (request->order > 3 && !readConstant(dialog, IDC_IV_THIRD, third, false))
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
