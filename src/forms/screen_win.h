#pragma once
// The screen facts the forms measure against: the size in pixels of the primary
// monitor, where the prompt and the settings dialog open, and the layout of
// every monitor, which the saver covers.
#include <windows.h>

#include "core/monitor_layout.h"
#include "core/surface.h"

namespace corvalinth::forms {

enum class MousePointer { Default, Hourglass };

// No twips here: the system's DPI is the primary monitor's as it was at sign-in,
// so each form converts with the DPI of its own window (Form::TwipsPerPixelX).
struct Screen {
    static core::Rect PrimaryPixels();  // the primary monitor, in screen pixels
    // Every monitor as the system lays them out now, and their bounding
    // rectangle (the virtual screen) in screen pixels.
    static core::MonitorLayout Layout();
    static core::Rect VirtualPixels() { return Layout().Bounds(); }
    static int WidthPixels();
    static int HeightPixels();
    // The pointer shown over every window of the program until set back to Default.
    static void SetMousePointer(MousePointer pointer);
    static MousePointer CurrentMousePointer();
};

}  // namespace corvalinth::forms
