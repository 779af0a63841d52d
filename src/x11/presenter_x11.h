#pragma once
// Sends what changed in the window image to the window. The image holds the
// truth, so any rectangles that cover every changed pixel show the same
// picture; what differs is the X server's work. Scattered dots go as one clip
// list and one put of the image (two requests a present); the way of before,
// one put request for every changed rectangle, stays for comparison.
#include "x11/xlib_x11.h"

#include <span>
#include <vector>

#include "core/surface.h"
#include "linux/banded_cover.h"
#include "x11/window_image_x11.h"

namespace corvalinth::x11 {

using linux_host::BandedCover;

enum class PresentWay {
    Banded,    // a banded cover: one clipped put (shared memory) or a put per band span
    EachRect,  // a put per changed rectangle
};

// CORVALINTH_PRESENT=each (for the bench's comparison) asks for EachRect.
PresentWay PresentWayFromEnvironment();

class Presenter {
public:
    Presenter(Display* display, Drawable drawable, PresentWay way);
    ~Presenter();
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;

    // Shows the parts `changed` of `image` in the drawable; `gc` has no clip.
    void Present(const WindowImage& image, GC gc, std::span<const core::Rect> changed);

private:
    Display* display_;
    Drawable drawable_;
    PresentWay way_;
    GC clipped_ = nullptr;
    // Two-row bands: the server's time goes into copying rows, so the cover
    // adds as few rows as it can to the dots' own.
    BandedCover cover_;
    std::vector<XRectangle> clip_;
};

}  // namespace corvalinth::x11
