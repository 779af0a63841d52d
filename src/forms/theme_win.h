#pragma once
// The user's theme as drawing needs it.
#include <windows.h>

namespace corvalinth::forms {

// A high-contrast theme is on: every text and face is then drawn in the
// system's colours, whatever the form's own design colours.
bool HighContrastOn();

}  // namespace corvalinth::forms
