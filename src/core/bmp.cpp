#include "core/bmp.h"

#include <cstdlib>
#include <limits>

namespace corvalinth::core {
namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kInfoHeader = 40;

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    Put16(out, at, v & 0xFFFF);
    Put16(out, at + 2, v >> 16);
}
std::uint32_t Get16(std::span<const std::uint8_t> in, std::size_t at)
{
    return static_cast<std::uint32_t>(in[at] | (in[at + 1] << 8));
}
std::uint32_t Get32(std::span<const std::uint8_t> in, std::size_t at)
{
    return Get16(in, at) | (Get16(in, at + 2) << 16);
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp24(const SurfaceView& surface)
{
    const auto width = static_cast<std::size_t>(surface.Width());
    const auto height = static_cast<std::size_t>(surface.Height());
    const std::size_t stride = (width * 3 + 3) & ~std::size_t{3};
    const std::size_t offset = kFileHeader + kInfoHeader;
    std::vector<std::uint8_t> out(offset + stride * height, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<std::uint32_t>(out.size()));
    Put32(out, 10, static_cast<std::uint32_t>(offset));
    Put32(out, 14, kInfoHeader);
    Put32(out, 18, static_cast<std::uint32_t>(width));
    Put32(out, 22, static_cast<std::uint32_t>(height));
    Put16(out, 26, 1);
    Put16(out, 28, 24);
    Put32(out, 34, static_cast<std::uint32_t>(stride * height));
    Put32(out, 38, 2835);  // 72 dots per inch
    Put32(out, 42, 2835);
    for (std::size_t y = 0; y < height; ++y) {
        std::uint8_t* row = out.data() + offset + (height - 1 - y) * stride;
        for (std::size_t x = 0; x < width; ++x) {
            const Pixel p = surface.At(static_cast<int>(x), static_cast<int>(y));
            row[x * 3] = static_cast<std::uint8_t>(BlueOf(p));
            row[x * 3 + 1] = static_cast<std::uint8_t>(GreenOf(p));
            row[x * 3 + 2] = static_cast<std::uint8_t>(RedOf(p));
        }
    }
    return out;
}

std::optional<PixelSurface> DecodeBmp(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kFileHeader + kInfoHeader || bytes[0] != 'B' || bytes[1] != 'M')
        return std::nullopt;
    const std::uint32_t offset = Get32(bytes, 10);
    const std::uint32_t headerSize = Get32(bytes, 14);
    const auto width = static_cast<std::int32_t>(Get32(bytes, 18));
    const auto rawHeight = static_cast<std::int32_t>(Get32(bytes, 22));
    const std::uint32_t bits = Get16(bytes, 28);
    const std::uint32_t compression = Get32(bytes, 30);
    if (headerSize < kInfoHeader || (bits != 24 && bits != 32) || compression != 0) return std::nullopt;
    if (width <= 0 || width > 65535 || rawHeight == 0 || rawHeight < -65535 || rawHeight > 65535)
        return std::nullopt;
    const bool topDown = rawHeight < 0;
    const auto height = static_cast<std::size_t>(std::abs(rawHeight));
    const std::size_t bytesPerPixel = bits / 8;
    const std::size_t stride = (static_cast<std::size_t>(width) * bytesPerPixel + 3) & ~std::size_t{3};
    if (offset > bytes.size() || (bytes.size() - offset) / stride < height) return std::nullopt;
    PixelSurface surface(width, static_cast<int>(height));
    for (std::size_t y = 0; y < height; ++y) {
        const std::size_t fileRow = topDown ? y : height - 1 - y;
        const std::uint8_t* row = bytes.data() + offset + fileRow * stride;
        for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x) {
            const std::uint8_t* px = row + x * bytesPerPixel;
            surface.View().Set(static_cast<int>(x), static_cast<int>(y), Rgb(px[2], px[1], px[0]));
        }
    }
    return surface;
}

}  // namespace corvalinth::core
