#include "x11/pixel_format.h"

#include <bit>
#include <cstring>

namespace corvalinth::x11 {

namespace {
// The shift of an eight-bit channel mask, or -1 for any other mask.
int ChannelShift(std::uint32_t mask)
{
    if (mask == 0) return -1;
    const int shift = std::countr_zero(mask);
    return (mask >> shift) == 0xFF ? shift : -1;
}
}  // namespace

std::optional<PixelFormat> PixelFormat::For(const VisualFacts& visual, std::string* why)
{
    auto refuse = [why](const char* text) -> std::optional<PixelFormat> {
        if (why) *why = text;
        return std::nullopt;
    };
    if (!visual.trueColor) return refuse("the window's visual is not TrueColor");
    if (visual.depth != 24 && visual.depth != 32) return refuse("the window is not 24 or 32 bits deep");
    if (visual.bitsPerPixel != 32) return refuse("the display does not keep 32 bits a pixel at this depth");
    PixelFormat format;
    format.redShift_ = ChannelShift(visual.redMask);
    format.greenShift_ = ChannelShift(visual.greenMask);
    format.blueShift_ = ChannelShift(visual.blueMask);
    const std::uint32_t colour = visual.redMask | visual.greenMask | visual.blueMask;
    if (format.redShift_ < 0 || format.greenShift_ < 0 || format.blueShift_ < 0 || std::popcount(colour) != 24)
        return refuse("the window's visual does not have eight bits a colour channel");
    // The bits no channel uses are alpha on a 32-deep visual: opaque.
    format.alpha_ = visual.depth == 32 ? ~colour : 0;
    format.native_ = format.redShift_ == 16 && format.greenShift_ == 8 && format.blueShift_ == 0;
    return format;
}

void PixelFormat::RowToWire(std::uint32_t* target, const core::Pixel* source, int count) const
{
    if (native_ && alpha_ == 0) {
        std::memcpy(target, source, static_cast<std::size_t>(count) * sizeof(core::Pixel));
        return;
    }
    for (int i = 0; i < count; ++i) target[i] = ToWire(source[i]);
}

}  // namespace corvalinth::x11
