#include <windows.h>

#include "startup/main_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    return corvalinth::Main();
}
