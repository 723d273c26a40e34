/* Holds the Wine desktop open for a whole test run, so that no test process has to start it. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show)
{
    (void)instance;
    (void)previous;
    (void)command_line;
    (void)show;
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
