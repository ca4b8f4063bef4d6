// Starts a program, waits for its main window, saves a picture of the whole window and closes it.
//
//   qv_snapshot [--ready ID] PROGRAM.EXE WINDOWCLASS OUT.BMP [PROGRAM ARGUMENTS...]
//
// With --ready, the picture is taken once the control with that id is enabled and has stayed so for a
// second (a program that draws at start-up disables its input field while it draws).
#include "driver.h"

#include <cstdlib>
#include <string>

using namespace e2e;

namespace {

// Waits until the control is enabled and stays so for a second; false after the time-out.
bool waitUntilReady(HWND window, int id, DWORD timeoutMs)
{
    DWORD start = GetTickCount(), enabledSince = 0;
    while (GetTickCount() - start < timeoutMs) {
        HWND control = findChildById(window, id);
        if (control && IsWindowEnabled(control)) {
            if (!enabledSince)
                enabledSince = GetTickCount();
            else if (GetTickCount() - enabledSince >= 1000)
                return true;
        } else {
            enabledSince = 0;
        }
        Sleep(100);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    int readyId = -1;
    if (argc >= 3 && std::string(argv[1]) == "--ready") {
        readyId = std::atoi(argv[2]);
        argv += 2;
        argc -= 2;
    }
    if (argc < 4) {
        std::printf("usage: qv_snapshot [--ready ID] PROGRAM.EXE WINDOWCLASS OUT.BMP [ARGS...]\n");
        return 2;
    }
    std::string commandLine = std::string("\"") + argv[1] + "\"";
    for (int i = 4; i < argc; ++i)
        commandLine += std::string(" \"") + argv[i] + "\"";
    Program program(commandLine);
    HWND window = program.waitForWindow(argv[2]);
    if (!window) {
        std::printf("qv_snapshot: no window of class %s appeared\n", argv[2]);
        return 1;
    }
    if (readyId >= 0 && !waitUntilReady(window, readyId, 60000))
        std::printf("qv_snapshot: control %d did not become ready; taking the picture anyway\n", readyId);
    settle(window);
    Sleep(500);
    settle(window);
    bool saved = captureWindow(window).save(argv[3]);
    PostMessageA(window, WM_CLOSE, 0, 0);
    int code = program.waitForExit(20000);
    if (!saved) {
        std::printf("qv_snapshot: cannot write %s\n", argv[3]);
        return 1;
    }
    return code == 0 ? 0 : 1;
}
