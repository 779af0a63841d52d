#pragma once
// The arithmetic of cutting a window down to its controls: where the client area
// sits inside the window, and which rectangles the window region is made of.
#include <optional>
#include <vector>

#include "core/surface.h"

namespace corvalinth::password {

// What a form reports about its size, in the units the form measures it in.
struct FormMeasure {
    double widthTwips = 0;         // outer size, frame and caption included
    double heightTwips = 0;
    double twipsPerPixelX = 15;
    double twipsPerPixelY = 15;
    double scaleWidthPixels = 0;   // client size
    double scaleHeightPixels = 0;
};

// Pixels from the window's top-left corner to the client area's: bx is the left
// frame, by the caption plus the top frame.
struct ClientOffsets {
    int bx = 0;
    int by = 0;
    friend bool operator==(const ClientOffsets&, const ClientOffsets&) = default;
};

// Assumes a frame of equal width on the left and right, so that half the width
// difference is the left frame and the rest of the height difference is the top.
// A measure that cannot be computed (no twips factor) gives no offset.
ClientOffsets OffsetsOf(const FormMeasure& form);

// A control's box in client pixels; empty for a control that has no position or
// size (a timer).
using ControlBox = std::optional<core::Rect>;

// The rectangles, in window pixels and in control order, whose union becomes the
// window region. An empty result means no region: the window stays whole.
std::vector<core::Rect> RegionRects(const ClientOffsets& offsets, const std::vector<ControlBox>& controls);

// The origin, in twips, that centres a form on the screen along one axis: the
// difference rounded to a whole number, then halved toward zero.
int CentredOrigin(double screenTwips, double formTwips);

}  // namespace corvalinth::password
