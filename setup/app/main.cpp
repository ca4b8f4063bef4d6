// fnwdsetup: creates the main form and runs the application.
#include <windows.h>

#include <commctrl.h>

#include "main_form.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    auto& app = fnwd::ui::TApplication::Instance();
    app.hInstance = instance;
    fnwd::TForm1 form;
    app.MainForm = &form;
    return app.Run();
}
