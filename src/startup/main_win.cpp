#include "startup/main_win.h"

#include <windows.h>

namespace corvalinth {
int Main()
{
    return 0;
}
}
