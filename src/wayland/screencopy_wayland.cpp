#include "wayland/screencopy_wayland.h"

#include <cstring>
#include <memory>
#include <vector>

#include "wayland/shm_buffer_wayland.h"
#include "wayland/shm_format_wayland.h"

namespace corvalinth::wayland {

namespace {
struct Offer {
    std::uint32_t format = 0;
    int width = 0, height = 0, stride = 0;
};

struct Capture {
    std::vector<Offer> offers;
    bool offersDone = false;
    bool yInverted = false;
    bool ready = false, failed = false;
};

const zwlr_screencopy_frame_v1_listener kFrameListener = {
    .buffer = [](void* data, zwlr_screencopy_frame_v1*, std::uint32_t format, std::uint32_t width,
                 std::uint32_t height, std::uint32_t stride) {
        static_cast<Capture*>(data)->offers.push_back(
            {format, static_cast<int>(width), static_cast<int>(height), static_cast<int>(stride)});
    },
    .flags = [](void* data, zwlr_screencopy_frame_v1*, std::uint32_t flags) {
        static_cast<Capture*>(data)->yInverted = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
    },
    .ready = [](void* data, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {
        static_cast<Capture*>(data)->ready = true;
    },
    .failed = [](void* data, zwlr_screencopy_frame_v1*) { static_cast<Capture*>(data)->failed = true; },
    .damage = [](void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
    .linux_dmabuf = [](void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {},
    .buffer_done = [](void* data, zwlr_screencopy_frame_v1*) { static_cast<Capture*>(data)->offersDone = true; },
};

struct FrameDeleter {
    void operator()(zwlr_screencopy_frame_v1* frame) const { zwlr_screencopy_frame_v1_destroy(frame); }
};

// Dispatches until `done` or the connection fails.
template <typename Done>
bool DispatchUntil(wl_display* display, const Done& done)
{
    while (!done())
        if (wl_display_dispatch(display) < 0) return false;
    return true;
}
}  // namespace

std::optional<core::PixelSurface> CaptureOutput(wl_display* display, zwlr_screencopy_manager_v1* manager,
                                                wl_shm* shm, wl_output* output, std::string& why)
{
    Capture capture;
    const std::unique_ptr<zwlr_screencopy_frame_v1, FrameDeleter> frame(
        zwlr_screencopy_manager_v1_capture_output(manager, 0, output));
    zwlr_screencopy_frame_v1_add_listener(frame.get(), &kFrameListener, &capture);
    // Version 3 ends its offers with buffer_done; earlier ones offer one shm buffer at once.
    const bool listsOffers = zwlr_screencopy_frame_v1_get_version(frame.get()) >= 3;
    if (!DispatchUntil(display, [&] { return capture.failed || (listsOffers ? capture.offersDone : !capture.offers.empty()); }))
        return why = "the connection broke", std::nullopt;
    std::optional<ShmLayout> layout;
    const Offer* chosen = nullptr;
    for (const Offer& offer : capture.offers)
        if (!chosen && (layout = LayoutOf(offer.format))) chosen = &offer;
    if (capture.failed || !chosen) return why = capture.failed ? "the compositor refused the capture" : "no shm format offered that this program reads", std::nullopt;
    const auto buffer = ShmBuffer::Create(shm, chosen->width, chosen->height, chosen->stride, chosen->format);
    if (!buffer) return why = "no memory for the picture", std::nullopt;
    zwlr_screencopy_frame_v1_copy(frame.get(), buffer->Handle());
    if (!DispatchUntil(display, [&] { return capture.ready || capture.failed; }))
        return why = "the connection broke", std::nullopt;
    if (capture.failed) return why = "the compositor failed the capture", std::nullopt;
    core::PixelSurface picture(chosen->width, chosen->height);
    ReadPixels(*layout, buffer->Bytes(), chosen->stride, capture.yInverted, picture.View());
    return picture;
}

}  // namespace corvalinth::wayland
