#include "wayland/shm_format_wayland.h"

#include <wayland-client-protocol.h>

#include <bit>

namespace corvalinth::wayland {

namespace {
struct Masks {
    std::uint32_t format;
    int bitsPerPixel;
    std::uint32_t red, green, blue;
};

// Alpha is ignored: the desktop is opaque.
constexpr Masks kFormats[] = {
    {WL_SHM_FORMAT_XRGB8888, 32, 0x00FF0000, 0x0000FF00, 0x000000FF},
    {WL_SHM_FORMAT_ARGB8888, 32, 0x00FF0000, 0x0000FF00, 0x000000FF},
    {WL_SHM_FORMAT_XBGR8888, 32, 0x000000FF, 0x0000FF00, 0x00FF0000},
    {WL_SHM_FORMAT_ABGR8888, 32, 0x000000FF, 0x0000FF00, 0x00FF0000},
    {WL_SHM_FORMAT_RGBX8888, 32, 0xFF000000, 0x00FF0000, 0x0000FF00},
    {WL_SHM_FORMAT_RGBA8888, 32, 0xFF000000, 0x00FF0000, 0x0000FF00},
    {WL_SHM_FORMAT_BGRX8888, 32, 0x0000FF00, 0x00FF0000, 0xFF000000},
    {WL_SHM_FORMAT_BGRA8888, 32, 0x0000FF00, 0x00FF0000, 0xFF000000},
    {WL_SHM_FORMAT_XRGB2101010, 32, 0x3FF00000, 0x000FFC00, 0x000003FF},
    {WL_SHM_FORMAT_ARGB2101010, 32, 0x3FF00000, 0x000FFC00, 0x000003FF},
    {WL_SHM_FORMAT_XBGR2101010, 32, 0x000003FF, 0x000FFC00, 0x3FF00000},
    {WL_SHM_FORMAT_ABGR2101010, 32, 0x000003FF, 0x000FFC00, 0x3FF00000},
    {WL_SHM_FORMAT_RGB888, 24, 0xFF0000, 0x00FF00, 0x0000FF},
    {WL_SHM_FORMAT_BGR888, 24, 0x0000FF, 0x00FF00, 0xFF0000},
    {WL_SHM_FORMAT_RGB565, 16, 0xF800, 0x07E0, 0x001F},
    {WL_SHM_FORMAT_BGR565, 16, 0x001F, 0x07E0, 0xF800},
};

}  // namespace

std::optional<ShmLayout> LayoutOf(std::uint32_t shmFormat)
{
    for (const Masks& m : kFormats) {
        if (m.format != shmFormat) continue;
        linux_host::VisualFacts facts;
        // Deep enough to hold every channel; what no channel uses is ignored on reading.
        facts.depth = static_cast<int>(std::bit_width(m.red | m.green | m.blue));
        facts.bitsPerPixel = m.bitsPerPixel;
        facts.redMask = m.red;
        facts.greenMask = m.green;
        facts.blueMask = m.blue;
        const auto format = linux_host::PixelFormat::For(facts);
        if (format) return ShmLayout{*format, m.bitsPerPixel / 8};
    }
    return std::nullopt;
}

void ReadPixels(const ShmLayout& layout, const std::byte* source, int stride, bool yInverted,
                const core::SurfaceView& target)
{
    for (int y = 0; y < target.Height(); ++y) {
        const std::byte* row = source + static_cast<std::ptrdiff_t>(yInverted ? target.Height() - 1 - y : y) * stride;
        core::Pixel* out = target.Row(y);
        for (int x = 0; x < target.Width(); ++x, row += layout.bytesPerPixel) {
            std::uint32_t value = 0;
            for (int b = 0; b < layout.bytesPerPixel; ++b) value |= std::to_integer<std::uint32_t>(row[b]) << (8 * b);
            out[x] = layout.format.FromWire(value);
        }
    }
}

}  // namespace corvalinth::wayland
