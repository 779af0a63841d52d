#pragma once
// Pixels as an X visual wants them. The surfaces hold 0x00RRGGBB; a TrueColor
// visual with eight bits a channel, 24 or 32 deep and 32 bits a pixel, takes
// them with its own channel order, and a 32-deep one with its alpha opaque.
#include <cstdint>
#include <optional>
#include <string>

#include "core/surface.h"

namespace corvalinth::x11 {

struct VisualFacts {
    bool trueColor = false;
    int depth = 0;
    int bitsPerPixel = 0;
    std::uint32_t redMask = 0, greenMask = 0, blueMask = 0;
};

class PixelFormat {
public:
    // nullopt, with `why` set, for a visual this program cannot draw with.
    static std::optional<PixelFormat> For(const VisualFacts& visual, std::string* why = nullptr);

    std::uint32_t ToWire(core::Pixel p) const
    {
        if (native_) return p | alpha_;
        return (static_cast<std::uint32_t>(core::RedOf(p)) << redShift_) |
               (static_cast<std::uint32_t>(core::GreenOf(p)) << greenShift_) |
               (static_cast<std::uint32_t>(core::BlueOf(p)) << blueShift_) | alpha_;
    }
    core::Pixel FromWire(std::uint32_t v) const
    {
        return core::Rgb(static_cast<int>(v >> redShift_), static_cast<int>(v >> greenShift_),
                         static_cast<int>(v >> blueShift_));
    }

    // Wire pixels are surface pixels: the window's image can be the surface.
    bool SameAsSurface() const { return native_ && alpha_ == 0; }

    // Copies a row of `count` surface pixels into wire pixels.
    void RowToWire(std::uint32_t* target, const core::Pixel* source, int count) const;

private:
    int redShift_ = 16, greenShift_ = 8, blueShift_ = 0;
    std::uint32_t alpha_ = 0;
    bool native_ = true;
};

}  // namespace corvalinth::x11
