#pragma once
// Showing the changed parts of a retained surface on a window.
#include <windows.h>

#include <cstddef>
#include <vector>

#include "core/surface.h"
#include "forms/dib_surface_win.h"

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

}  // namespace corvalinth::saver
