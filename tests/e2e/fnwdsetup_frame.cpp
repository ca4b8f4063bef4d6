// fnwdsetup shows its main form, centred and at its designed size, and closes with exit code 0.
#include "driver.h"

using namespace e2e;

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("usage: e2e_fnwdsetup_frame FNWDSETUP.EXE ARTEFACT_DIR\n");
        return 2;
    }
    setArtefactDirectory(argv[2]);
    Program setup(std::string("\"") + argv[1] + "\"");
    check(setup.started(), "fnwdsetup.exe starts");
    HWND form = setup.waitForWindow("TFnwdForm", "Fenwold Installation");
    check(form != nullptr, "main form \"Fenwold Installation\" appears");
    if (!form)
        return finish();
    RECT r{};
    GetWindowRect(form, &r);
    check(r.right - r.left == 717 && r.bottom - r.top == 514,
          "form is 717 x 514 (got " + std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top) + ")");
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    check(std::abs((r.left + r.right) / 2 - sw / 2) <= 1 && std::abs((r.top + r.bottom) / 2 - sh / 2) <= 1,
          "form is centred on the screen");
    settle(form);
    check(capture(form).save(artefact("fnwdsetup_frame.bmp")), "screenshot saved");

    // Started without the loading program's switches, the installation reports that it cannot run
    // and the program ends with code 1 once its message boxes are closed with the form.
    PostMessageA(form, WM_CLOSE, 0, 0);
    int code = setup.waitForExit(20000);
    check(code == 1, "closing the form ends the program with code 1 (got " + std::to_string(code) + ")");
    return finish();
}
