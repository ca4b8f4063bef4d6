// Starts a program, waits for its main window, saves a picture of the whole window and closes it.
//
//   qv_snapshot PROGRAM.EXE WINDOWCLASS OUT.BMP [PROGRAM ARGUMENTS...]
#include "driver.h"

using namespace e2e;

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::printf("usage: qv_snapshot PROGRAM.EXE WINDOWCLASS OUT.BMP [ARGS...]\n");
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
