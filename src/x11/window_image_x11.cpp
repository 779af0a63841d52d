#include "x11/window_image_x11.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <X11/Xutil.h>

#include <cstddef>

#include "x11/x_errors_x11.h"

namespace corvalinth::x11 {

std::unique_ptr<WindowImage> WindowImage::Create(Display* display, Visual* visual, int depth, int width,
                                                 int height)
{
    if (XShmQueryExtension(display)) {
        // The image keeps a pointer to its segment's record: it lives in the object.
        std::unique_ptr<WindowImage> result(new WindowImage(display, nullptr));
        result->image_ = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr,
                                         &result->segment_, static_cast<unsigned>(width),
                                         static_cast<unsigned>(height));
        if (result->image_ && result->AttachShared()) return result;
    }
    // No shared memory (a remote display, or the server refused): plain
    // requests. Xlib picks the row length and the server's byte order.
    XImage* image = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                                 static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    if (!image) return nullptr;
    std::unique_ptr<WindowImage> result(new WindowImage(display, image));
    result->plain_.assign((static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(height) + 3) / 4, 0);
    image->data = reinterpret_cast<char*>(result->plain_.data());
    return result;
}

bool WindowImage::AttachShared()
{
    // Above 2^29 pixels the size is more than an int holds.
    const std::size_t bytes =
        static_cast<std::size_t>(image_->bytes_per_line) * static_cast<std::size_t>(image_->height);
    segment_.shmid = ::shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (segment_.shmid < 0) return false;
    void* address = ::shmat(segment_.shmid, nullptr, 0);
    // Marked for removal before the server hears of it (Linux still lets the
    // server attach it): the segment goes with the last detach, also when the
    // program is killed or loses the server on the way.
    ::shmctl(segment_.shmid, IPC_RMID, nullptr);
    if (address == reinterpret_cast<void*>(-1)) return false;
    segment_.shmaddr = image_->data = static_cast<char*>(address);
    segment_.readOnly = True;
    ErrorTrap trap(display_);
    const bool attached = XShmAttach(display_, &segment_) && !trap.Check();
    if (!attached) {
        ::shmdt(address);
        segment_.shmaddr = image_->data = nullptr;
        return false;
    }
    shared_ = true;
    return true;
}

WindowImage::~WindowImage()
{
    if (shared_) {
        XShmDetach(display_, &segment_);
        XSync(display_, False);
        ::shmdt(segment_.shmaddr);
    }
    if (!image_) return;
    // The pixels are not Xlib's to free.
    image_->data = nullptr;
    XDestroyImage(image_);
}

void WindowImage::Stage(const core::SurfaceView& source, core::Rect target, int offsetX, const PixelFormat& format)
{
    target = core::Intersect(target, {0, 0, Width(), Height()});
    target = core::Intersect(target, {offsetX, 0, source.Width() + offsetX, source.Height()});
    if (target.Empty()) return;
    const std::ptrdiff_t rowBytes = image_->bytes_per_line, left = std::ptrdiff_t{target.left} * format.BytesPerPixel();
    auto* base = reinterpret_cast<std::byte*>(image_->data);
    for (int y = target.top; y < target.bottom; ++y)
        format.RowToWire(base + y * rowBytes + left, source.Row(y) + (target.left - offsetX), target.Width());
}

void WindowImage::Put(Drawable drawable, GC gc, core::Rect r, int offsetX) const
{
    r = core::Intersect(r, {offsetX, 0, Width() + offsetX, Height()});
    if (r.Empty()) return;
    const auto w = static_cast<unsigned>(r.Width()), h = static_cast<unsigned>(r.Height());
    const int sourceX = r.left - offsetX;
    if (shared_)
        XShmPutImage(display_, drawable, gc, image_, sourceX, r.top, r.left, r.top, w, h, False);
    else
        XPutImage(display_, drawable, gc, image_, sourceX, r.top, r.left, r.top, w, h);
}

}  // namespace corvalinth::x11

