#pragma once
// Where the program draws and the picture it crawls over: the daemon's window
// and its screenshot, another program's window, the root window or a window of
// its own, each with its visual checked and its desktop picture read before
// anything is shown.
#include "x11/xlib_x11.h"

#include <optional>
#include <string>

#include "core/surface.h"
#include "linux/options.h"
#include "linux/pixel_format.h"

namespace corvalinth::x11 {

using linux_host::Options;
using linux_host::PixelFormat;
using linux_host::Target;
using linux_host::VisualFacts;
using linux_host::VisualKind;

struct DrawTarget {
    Window window = 0;
    bool own = false;  // made here: destroyed here, and takes the click or key that ends the run
    Colormap colormap = 0;  // an own window's, made here
    Visual* visual = nullptr;
    int depth = 0;
    int width = 0, height = 0;
    PixelFormat format;
    core::PixelSurface picture;  // the desktop as it was, any size; empty for black
};

struct OpenedTarget {
    std::optional<DrawTarget> target;  // with `idle`, the window to watch, if any
    std::string error;
    // Nothing can be drawn here (a colour-mapped or grey visual, an input-only
    // window): the program says so and waits to be ended instead of failing,
    // which would only make the daemon start it again and again.
    bool idle = false;
};

OpenedTarget OpenTarget(Display* display, const Options& options);
// Destroys an own window and frees its colormap.
void CloseTarget(Display* display, const DrawTarget& target);

}  // namespace corvalinth::x11
