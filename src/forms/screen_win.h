#pragma once
// The screen facts the forms measure against: size in pixels and twips and the
// twips-per-pixel factors of the primary monitor.
#include <windows.h>

#include "core/surface.h"

namespace corvalinth::forms {

enum class MousePointer { Default, Hourglass };

struct Screen {
    static float TwipsPerPixelX();
    static float TwipsPerPixelY();
    static core::Rect PrimaryPixels();  // the primary monitor, in screen pixels
    static int WidthPixels();
    static int HeightPixels();
    static float Width();   // twips
    static float Height();  // twips
    // The pointer shown over every window of the program until set back to Default.
    static void SetMousePointer(MousePointer pointer);
    static MousePointer CurrentMousePointer();
};

}  // namespace corvalinth::forms
