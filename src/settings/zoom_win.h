#pragma once
// The settings dialog's window animation: a rectangle grows from the point where
// the pointer was (gZoomX, gZoomY) to the window when it opens, and shrinks back
// there when it closes.
#include <windows.h>

#include <cstdint>

namespace corvalinth {

namespace forms {
class Form;
}

// The zoom point as a rectangle of size zero.
RECT ZoomPointRect();

void ZoomOpen(HWND window);
void ZoomClose(HWND window);

// For every Command button on the form (in panels too): Initialize when doInit
// is True, else set Enabled to enable. Only -1 is True. A button that fails
// does not stop the others.
void InitButtons(const forms::Form& form, std::int16_t doInit, std::int16_t enable);

}  // namespace corvalinth
