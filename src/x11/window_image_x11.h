#pragma once
// The window's pixels on the client side, in the window's own format: a shared
// memory image when the server offers it (a local display), else a plain image
// sent with XPutImage. The host copies what changed into it and sends parts of
// it to the window.
#include "x11/xlib_x11.h"
#include <X11/extensions/XShm.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/surface.h"
#include "linux/pixel_format.h"

namespace corvalinth::x11 {

using linux_host::PixelFormat;

class WindowImage {
public:
    // nullptr when even a plain image cannot be made.
    static std::unique_ptr<WindowImage> Create(Display* display, Visual* visual, int depth, int width, int height);
    ~WindowImage();
    WindowImage(const WindowImage&) = delete;
    WindowImage& operator=(const WindowImage&) = delete;

    bool Shared() const { return shared_; }
    int Width() const { return image_->width; }
    int Height() const { return image_->height; }

    // The image's memory as a surface; its pixels are surface pixels only when
    // the format is the same as the surface's.
    core::SurfaceView Pixels() const
    {
        return {reinterpret_cast<core::Pixel*>(image_->data), Width(), Height(), image_->bytes_per_line / 4};
    }

    // Writes `target` (clipped to the image) with the pixels of `source` that
    // lie `offsetX` to the left of each.
    void Stage(const core::SurfaceView& source, core::Rect target, int offsetX, const PixelFormat& format);
    // Sends the window pixels `r`, taken from the image `offsetX` to the left of each.
    void Put(Drawable drawable, GC gc, core::Rect r, int offsetX = 0) const;

private:
    WindowImage(Display* display, XImage* image) : display_(display), image_(image) {}
    bool AttachShared();

    Display* display_;
    XImage* image_;
    XShmSegmentInfo segment_{};
    bool shared_ = false;
    std::vector<std::uint32_t> plain_;
};

}  // namespace corvalinth::x11
