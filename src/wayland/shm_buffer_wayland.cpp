#include "wayland/shm_buffer_wayland.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace corvalinth::wayland {

namespace {
// Three at most: one shown, one on its way, one being written.
constexpr std::size_t kMaxBuffers = 3;
// Dots are tiny: thousands of them are repaired far cheaper than their bounds
// (the whole screen). Beyond this many, the bounds it is.
constexpr std::size_t kMaxStale = 16384;

}  // namespace

std::unique_ptr<ShmBuffer> ShmBuffer::Create(wl_shm* shm, int width, int height, int stride, std::uint32_t format)
{
    if (width <= 0 || height <= 0 || stride < width) return nullptr;
    std::unique_ptr<ShmBuffer> made(new ShmBuffer);
    made->width_ = width;
    made->height_ = height;
    made->stride_ = stride;
    made->size_ = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
    const int fd = ::memfd_create("corvalinth", MFD_CLOEXEC);
    if (fd < 0) return nullptr;
    if (::ftruncate(fd, static_cast<off_t>(made->size_)) != 0) {
        ::close(fd);
        return nullptr;
    }
    void* data = ::mmap(nullptr, made->size_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) {
        ::close(fd);
        return nullptr;
    }
    made->data_ = data;
    made->pool_ = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(made->size_));
    // The compositor holds its own reference to the memory now.
    ::close(fd);
    made->buffer_ = wl_shm_pool_create_buffer(made->pool_, 0, width, height, stride, format);
    static const wl_buffer_listener listener = {.release = &ShmBuffer::Released};
    wl_buffer_add_listener(made->buffer_, &listener, made.get());
    return made;
}

ShmBuffer::~ShmBuffer()
{
    if (buffer_) wl_buffer_destroy(buffer_);
    if (pool_) wl_shm_pool_destroy(pool_);
    if (data_) ::munmap(data_, size_);
}

void ShmBuffer::Released(void* data, wl_buffer*)
{
    static_cast<ShmBuffer*>(data)->busy_ = false;
}

void ShmBuffer::Attach(wl_surface* surface)
{
    wl_surface_attach(surface, buffer_, 0, 0);
    busy_ = true;
}

void CopyInto(const core::SurfaceView& target, const core::Rect& r, const core::SurfaceView& source, int offsetX)
{
    // Clipped here rather than through core::Intersect: a call per dot was a sixth of the run's time.
    const core::Rect clipped{std::max({r.left, 0, offsetX}), std::max(r.top, 0),
                             std::min({r.right, target.Width(), source.Width() + offsetX}),
                             std::min({r.bottom, target.Height(), source.Height()})};
    const int width = clipped.Width();
    if (width <= 0 || clipped.Height() <= 0) return;
    for (int y = clipped.top; y < clipped.bottom; ++y) {
        core::Pixel* to = target.Row(y) + clipped.left;
        const core::Pixel* from = source.Row(y) + clipped.left - offsetX;
        // Most parts are dots a few pixels wide: a call to memcpy per row would cost more than they do.
        if (width <= 4)
            for (int x = 0; x < width; ++x) to[x] = from[x];
        else
            std::memcpy(to, from, static_cast<std::size_t>(width) * sizeof(core::Pixel));
    }
}

ShmBuffer* BufferSet::Free(wl_shm* shm, int width, int height, const core::SurfaceView& shown)
{
    for (auto& buffer : buffers_) {
        if (!buffer->Busy()) return buffer.get();
    }
    if (buffers_.size() >= kMaxBuffers) return nullptr;
    auto made = ShmBuffer::Create(shm, width, height, width * 4, WL_SHM_FORMAT_XRGB8888);
    if (!made) return nullptr;
    CopyInto(made->Pixels(), made->Pixels().Bounds(), shown);
    buffers_.push_back(std::move(made));
    return buffers_.back().get();
}

namespace {
// What of `r` lies outside the parts that span all its rows from one side of it.
core::Rect Outside(core::Rect r, std::span<const core::Rect> rewritten)
{
    for (const core::Rect& c : rewritten) {
        if (c.top > r.top || c.bottom < r.bottom || c.right <= r.left || c.left >= r.right) continue;
        if (c.left <= r.left) r.left = std::min(r.right, c.right);
        if (c.right >= r.right) r.right = std::max(r.left, c.left);
    }
    return r;
}
}  // namespace

// A slide step rewrites most of the screen, which the last one's parts cover too:
// repairing them first would copy the screen twice.
void BufferSet::Repair(ShmBuffer& buffer, const core::SurfaceView& shown, std::span<const core::Rect> rewritten)
{
    for (const core::Rect& r : buffer.stale)
        if (const core::Rect left = Outside(r, rewritten); !left.Empty()) CopyInto(buffer.Pixels(), left, shown);
    buffer.stale.clear();
}

bool BufferSet::Available() const
{
    return buffers_.size() < kMaxBuffers ||
           std::any_of(buffers_.begin(), buffers_.end(), [](const auto& buffer) { return !buffer->Busy(); });
}

void BufferSet::Written(const ShmBuffer* buffer, std::span<const core::Rect> written)
{
    for (auto& other : buffers_) {
        if (other.get() == buffer) continue;
        other->stale.insert(other->stale.end(), written.begin(), written.end());
        if (other->stale.size() > kMaxStale) other->stale = {core::ExtentOf(other->stale).bounds};
    }
}

}  // namespace corvalinth::wayland
