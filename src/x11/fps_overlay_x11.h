#pragma once
// --fps: the frame rate and the program's CPU load in the bottom-left corner,
// as xscreensaver's hacks show them. Drawn over every frame, after what the
// frame sent, so that dots passing beneath do not wipe it.
#include "x11/xlib_x11.h"

#include <string>

#include "linux/pixel_format.h"

namespace corvalinth::x11 {

class FpsOverlay {
public:
    // `format`: the window's, whose white and black the figures are written in
    // (the default visual's may be another depth, or leave a 32-bit window see-through).
    FpsOverlay(Display* display, Window window, const linux_host::PixelFormat& format);
    ~FpsOverlay();
    FpsOverlay(const FpsOverlay&) = delete;
    FpsOverlay& operator=(const FpsOverlay&) = delete;

    // Counts a frame shown at `nowMs` and draws the figures over the window.
    void Frame(double nowMs, int windowHeight);

private:
    void Measure(double nowMs);

    Display* display_;
    Window window_;
    GC gc_ = nullptr;
    XFontStruct* font_ = nullptr;
    // The figures are worked out about once a second over the frames since.
    double sinceMs_ = -1, cpuSinceMs_ = 0;
    int frames_ = 0;
    std::string lines_[2] = {"FPS:     --", "Load:    --"};
};

}  // namespace corvalinth::x11
