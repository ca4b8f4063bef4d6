// fnwdsetup: creates the main form and runs the application.
#include <windows.h>

#include <commctrl.h>

#include "main_form.h"
#include "shipped_configuration.h"
#include "setup/util/win_environment.h"
#include "install_engine.h"

#include <cstdlib>
#include <string>
#include <vector>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Our own switch, handled before the setup program's switch table sees the command line.
    int exit_code = 0;
    if (fnwd::HandleDumpConfigSwitch(exit_code)) return exit_code;

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    auto& app = fnwd::ui::TApplication::Instance();
    app.hInstance = instance;

    // No installation ever starts from a configuration that did not load completely.
    static fnwd::Win32Environment environment;
    std::unique_ptr<fnwd::TConfigForm> configuration;
    try {
        configuration = fnwd::LoadShippedConfiguration(environment);
    } catch (const std::exception& e) {
        MessageBoxA(nullptr, e.what(), "Fenwold Installation", MB_OK | MB_ICONERROR);
        return 1;
    }

    fnwd::TForm1 form;
    form.ApplyConfiguration(*configuration);
    app.MainForm = &form;

    // The install engine takes over once the configuration is loaded: build, floppy transfer and
    // the after-restart run end the program at once; an installation starts when the form shows.
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);
    fnwd::TInstallEngine engine(*configuration, &form);
    int engine_exit = 0;
    if (engine.Loaded(args, engine_exit)) return engine_exit;
    const int code = app.Run();
    return code != 0 ? code : engine.ExitCode();
}
