/* Stand-in for a product program: a window-less program that ends at once. It exists to be
   installed, and to carry a version resource. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    (void)instance; (void)previous; (void)command_line; (void)show;
    return 0;
}
