#pragma once
// Showing the changed parts of a retained surface on a window.
#include <windows.h>

#include <cstddef>
#include <vector>

#include "core/surface.h"
#include "forms/dib_surface_win.h"
#include "swarm/split_screen.h"

namespace corvalinth::saver {

// How scattered small rectangles (a tick's dots) reach the window.
enum class PresentMode {
    SolidDots,   // every rectangle one colour: one fill call for all of them
    ClipRegion,  // one region of the rectangles, one clipped block transfer
    PerRect,     // one block transfer per rectangle
};

// Scratch memory reused between calls so that a tick allocates nothing.
struct PresentScratch {
    std::vector<std::byte> region;
    std::vector<TRIVERTEX> vertices;
    std::vector<GRADIENT_RECT> meshes;
};

// Copies the changed rectangles of `surface` to the same places on `target`.
// With SolidDots, `colours` gives each rectangle's one colour (as the surface
// holds it); without colours the mode falls back to block transfers.
void PresentChanged(HDC target, const forms::DibSurface& surface,
                    const std::vector<core::Rect>& changed, const std::vector<core::Pixel>& colours,
                    PresentMode mode, PresentScratch& scratch);

// The parts of a slide step shown straight from the latest snapshot, selected
// into `latest`.
void PresentOuterCopies(HDC target, HDC latest, const std::vector<swarm::SplitScreen::OuterCopy>& copies);

// What changed on a surface since it was last shown on the window: dots with
// their colours, and other rectangles to copy from the surface.
class PendingPresent {
public:
    // `colours`, when it has one entry per rectangle, gives each its one colour.
    void Add(const std::vector<core::Rect>& changed, const std::vector<core::Pixel>& colours);
    bool Empty() const { return dots_.empty() && rects_.empty(); }
    // Shows everything and empties the queue: dots first, in the order drawn;
    // then the rest straight from the surface, which holds the latest of every
    // pixel in them.
    void Present(HDC target, const forms::DibSurface& surface, PresentMode mode);
    void Clear();

private:
    std::vector<core::Rect> dots_, rects_;
    std::vector<core::Pixel> colours_;
    PresentScratch scratch_;
};

}  // namespace corvalinth::saver
