#include "x11/presenter_x11.h"

#include <cstdlib>
#include <cstring>

namespace corvalinth::x11 {

PresentWay PresentWayFromEnvironment()
{
    const char* way = std::getenv("CORVALINTH_PRESENT");
    return way && std::strcmp(way, "each") == 0 ? PresentWay::EachRect : PresentWay::Banded;
}

Presenter::Presenter(Display* display, Drawable drawable, PresentWay way) : display_(display), drawable_(drawable), way_(way)
{
    clipped_ = XCreateGC(display_, drawable, 0, nullptr);
}

Presenter::~Presenter()
{
    if (clipped_) XFreeGC(display_, clipped_);
}

void Presenter::Present(const WindowImage& image, GC gc, std::span<const core::Rect> changed)
{
    const auto [bounds, mostlyFilled] = core::ExtentOf(changed);
    if (bounds.Empty()) return;
    // A slide's large parts, or one repaint: a single put of their bounds.
    if (mostlyFilled) {
        image.Put(drawable_, gc, bounds);
        return;
    }
    if (way_ == PresentWay::EachRect) {
        for (const core::Rect& r : changed) image.Put(drawable_, gc, r);
        return;
    }
    const core::Rect whole{0, 0, image.Width(), image.Height()};
    const std::vector<core::Rect>& cover = cover_.Cover(changed, whole);
    if (!image.Shared()) {
        // Each span's pixels travel over the connection: no more of them than needed.
        for (const core::Rect& r : cover) image.Put(drawable_, gc, r);
        return;
    }
    clip_.resize(cover.size());
    for (std::size_t i = 0; i < cover.size(); ++i)
        clip_[i] = {static_cast<short>(cover[i].left), static_cast<short>(cover[i].top),
                    static_cast<unsigned short>(cover[i].Width()), static_cast<unsigned short>(cover[i].Height())};
    XSetClipRectangles(display_, clipped_, 0, 0, clip_.data(), static_cast<int>(clip_.size()), YXBanded);
    // Whole rows: the server then writes straight from the segment, box by
    // box, instead of going through a pixmap of it and a copy.
    image.Put(drawable_, clipped_, {0, bounds.top, whole.right, bounds.bottom});
}

}  // namespace corvalinth::x11
