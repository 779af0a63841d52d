#pragma once
// The shm formats a compositor may hand a picture over in, read into surface
// pixels: each format's channels as masks of a little-endian pixel.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/surface.h"
#include "linux/pixel_format.h"

namespace corvalinth::wayland {

struct ShmLayout {
    linux_host::PixelFormat format;
    int bytesPerPixel = 4;
};

// nullopt for a format this program does not read (YUV, 64-bit, palettes).
std::optional<ShmLayout> LayoutOf(std::uint32_t shmFormat);

// Fills `target` from `source` rows `stride` bytes apart; a y-inverted picture's
// first row is the bottom one.
void ReadPixels(const ShmLayout& layout, const std::byte* source, int stride, bool yInverted,
                const core::SurfaceView& target);

}  // namespace corvalinth::wayland
