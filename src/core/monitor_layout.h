#pragma once
// The virtual screen made of every monitor: the saver covers all of it, while
// the prompt and the settings dialog belong on the primary monitor.
//
// Desktop coordinates are the platform's: the primary monitor's top-left is
// (0, 0) and a monitor left of or above it has negative coordinates. Surface
// coordinates start at the virtual screen's top-left, as the saver's window,
// its snapshots and its drawing surface do.
#include <cstdint>
#include <span>
#include <vector>

#include "core/surface.h"

namespace corvalinth::core {

struct Monitor {
    Rect bounds;  // desktop coordinates
    bool primary = false;
};

struct Offset {
    int dx = 0, dy = 0;
    friend bool operator==(const Offset&, const Offset&) = default;
};

// The largest side a surface of the saver may have: its screen size is 16-bit.
constexpr int kMaxScreenSide = 32767;

class MonitorLayout {
public:
    // Monitors with an empty rectangle are left out. The primary monitor is the
    // one marked so, else the one holding the desktop origin, else the first.
    // Without any usable monitor the layout is the one `fallback` monitor.
    MonitorLayout(std::span<const Monitor> monitors, const Rect& fallback);

    // The bounding rectangle of all monitors, desktop coordinates; no side is
    // longer than kMaxScreenSide.
    const Rect& Bounds() const { return bounds_; }
    const Rect& Primary() const { return primary_; }
    const std::vector<Rect>& Monitors() const { return monitors_; }

    // ScreenW and ScreenH: the virtual screen in pixels.
    int Width() const { return bounds_.Width(); }
    int Height() const { return bounds_.Height(); }
    // Where the desktop origin lies on the surface: a surface point is the
    // desktop point plus this.
    Offset Origin() const { return {-bounds_.left, -bounds_.top}; }
    Rect ToSurface(const Rect& desktop) const;
    Rect PrimaryOnSurface() const { return ToSurface(primary_); }
    // Where the crack starts, on the surface: the middle of the whole width.
    double CrackMiddle() const { return Width() / 2.0; }
    // Parts of the bounding rectangle that no monitor shows (monitors of
    // different heights, gaps between monitors), surface coordinates.
    std::vector<Rect> Uncovered() const;

private:
    std::vector<Rect> monitors_;
    Rect bounds_;
    Rect primary_;
};

// How far a picture taken on the `before` layout moves on the surface of the
// `after` layout so that it keeps its place on the desktop.
Offset PictureShift(const MonitorLayout& before, const MonitorLayout& after);

// Fills `target` with `picture` at its place on the desktop after a layout
// change; what the picture does not reach is black.
void CarryOver(const SurfaceView& target, const SurfaceView& picture, Offset shift);

}  // namespace corvalinth::core
