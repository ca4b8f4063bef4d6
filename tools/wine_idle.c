/* Sleeps until killed: keeps Wine's desktop process alive between tests of one session. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE inst, HINSTANCE prev, LPSTR cmd, int show)
{
    (void)inst; (void)prev; (void)cmd; (void)show;
    Sleep(INFINITE);
    return 0;
}
