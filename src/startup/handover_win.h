#pragma once
// The three windows that Main hands over to. Each call runs its window until it
// is done and then returns, so Main can tidy up before the process ends.
#include <windows.h>

namespace corvalinth {

// The full-screen saver window. The settings are loaded, and for a full-screen
// run the cursor is hidden and the system knows a saver is running. Returns when
// the run ends; Main then clears the saver-running mark and shows the cursor.
int RunSaverWindow();

// The settings dialog, modal, with no owner. Returns when it closes.
int RunSettingsDialog();

// The preview picture as a child of the system's preview box `parent`, which
// Main has checked is a window. The size is the box's, in pixels. Returns when
// the preview window goes away (normally destroyed with its parent).
int RunPreviewWindow(HWND parent, int widthPixels, int heightPixels);

// Turns a freshly created top-level `window` into a child of `parent` filling its
// client area from 0, 0 with the given pixel size. The preview window calls this
// between creating and showing itself; failures are ignored, as a parent that
// vanishes meanwhile simply takes the preview with it.
void AdoptAsPreviewChild(HWND window, HWND parent, int widthPixels, int heightPixels);

}  // namespace corvalinth
