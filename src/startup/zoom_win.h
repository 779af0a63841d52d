#pragma once
// The settings dialog's window animation: a rectangle grows from the point where
// the pointer was (gZoomX, gZoomY) to the window when it opens, and shrinks back
// there when it closes.
#include <windows.h>

namespace corvalinth {

// The zoom point as a rectangle of size zero.
RECT ZoomPointRect();

void ZoomOpen(HWND window);
void ZoomClose(HWND window);

}  // namespace corvalinth
