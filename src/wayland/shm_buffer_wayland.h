#pragma once
// Shared-memory buffers (a memfd mapped by both sides). A buffer handed to the
// compositor is busy until it releases it; the set keeps the few buffers of a
// surface and reuses the released ones, so that no frame allocates.
#include <wayland-client.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/surface.h"

namespace corvalinth::wayland {

class ShmBuffer {
public:
    // nullptr when the memory cannot be had. `format` is a wl_shm format.
    static std::unique_ptr<ShmBuffer> Create(wl_shm* shm, int width, int height, int stride, std::uint32_t format);
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    wl_buffer* Handle() const { return buffer_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Stride() const { return stride_; }
    const std::byte* Bytes() const { return static_cast<const std::byte*>(data_); }
    // For XRGB8888 (0x00RRGGBB in memory, as the surfaces hold it).
    core::SurfaceView Pixels() const
    {
        return {static_cast<core::Pixel*>(data_), width_, height_, stride_ / 4};
    }
    bool Busy() const { return busy_; }
    void Attach(wl_surface* surface);

    // What this buffer lacks of the picture shown: parts written into the others since it was last used.
    std::vector<core::Rect> stale;

private:
    ShmBuffer() = default;
    static void Released(void* data, wl_buffer* buffer);

    int width_ = 0, height_ = 0, stride_ = 0;
    void* data_ = nullptr;
    std::size_t size_ = 0;
    wl_shm_pool* pool_ = nullptr;
    wl_buffer* buffer_ = nullptr;
    bool busy_ = false;
};

// The XRGB8888 buffers of one surface, all of one size.
class BufferSet {
public:
    // A buffer the compositor does not hold (a new one holds `shown`); Repair
    // it before writing the frame. nullptr while all are busy (or memory ran out).
    ShmBuffer* Free(wl_shm* shm, int width, int height, const core::SurfaceView& shown);
    // Brings `buffer` up to `shown` where the others showed more since it was
    // last used, except where the frame's full-height `rewritten` parts will go.
    static void Repair(ShmBuffer& buffer, const core::SurfaceView& shown, std::span<const core::Rect> rewritten);
    // `written` went into `buffer`: every other one now lacks it.
    void Written(const ShmBuffer* buffer, std::span<const core::Rect> written);
    // Whether Free would find or make one (else the compositor holds them all: wait for a release).
    bool Available() const;
    void Clear() { buffers_.clear(); }

private:
    std::vector<std::unique_ptr<ShmBuffer>> buffers_;
};

// Copies `r` of `source` into `target`, reading `offsetX` to the left.
void CopyInto(const core::SurfaceView& target, const core::Rect& r, const core::SurfaceView& source, int offsetX = 0);

}  // namespace corvalinth::wayland
