#pragma once
// The screen facts the forms measure against: size in pixels and twips and the
// twips-per-pixel factors of the primary monitor, where the prompt and the
// settings dialog open, and the layout of every monitor, which the saver covers.
#include <windows.h>

#include "core/monitor_layout.h"
#include "core/surface.h"

namespace corvalinth::forms {

enum class MousePointer { Default, Hourglass };

struct Screen {
    static float TwipsPerPixelX();
    static float TwipsPerPixelY();
    static core::Rect PrimaryPixels();  // the primary monitor, in screen pixels
    // Every monitor as the system lays them out now, and their bounding
    // rectangle (the virtual screen) in screen pixels.
    static core::MonitorLayout Layout();
    static core::Rect VirtualPixels() { return Layout().Bounds(); }
    static int WidthPixels();
    static int HeightPixels();
    static float Width();   // twips
    static float Height();  // twips
    // The pointer shown over every window of the program until set back to Default.
    static void SetMousePointer(MousePointer pointer);
    static MousePointer CurrentMousePointer();
};

}  // namespace corvalinth::forms
