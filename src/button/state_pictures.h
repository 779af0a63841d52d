#pragma once
// The six state pictures, 64 x 25 pixels, drawn from the table of their four
// outer rings: only those rings ever reach the screen, as the frame of a face.
#include "button/button_state.h"
#include "core/surface.h"

namespace corvalinth::button {

struct RingColours {
    core::Pixel top, left, bottom, right;
    // Left and right of the ring shade from `top` at the top to `bottom` at the
    // bottom instead of keeping their own colour.
    bool shadeSides = false;
};

// Rings 1 to 4, outside in.
struct StatePictureRings {
    RingColours rings[4];
};

const StatePictureRings& RingsOf(StatePicture picture);

// A 64 x 25 picture; the inside, which never shows, carries the innermost ring's
// top colour.
core::PixelSurface MakeStatePicture(StatePicture picture);

}  // namespace corvalinth::button
