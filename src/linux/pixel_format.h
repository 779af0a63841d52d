#pragma once
// Pixels as an X visual wants them. The surfaces hold 0x00RRGGBB; a TrueColor
// or DirectColor visual takes each channel scaled to its own mask (5-6-5,
// 10-10-10, 8-8-8 in either order), in 8, 16, 24 or 32 bits a pixel stored in
// the image's byte order, and a 32-deep one with its alpha opaque. Other kinds
// of visual (colour maps, grey scales) are refused with a reason.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/surface.h"

namespace corvalinth::linux_host {

// X's visual classes (its macros take their names).
enum class VisualKind { TrueColour, DirectColour, PseudoColour, StaticColour, GreyScale, StaticGrey };

struct VisualFacts {
    VisualKind kind = VisualKind::TrueColour;
    int depth = 0;
    int bitsPerPixel = 0;
    std::uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    bool msbFirst = false;  // the image's byte order
};

// "8-bit PseudoColor", for messages.
std::string Describe(const VisualFacts& visual);

// The visual a window of its own is made with: one without alpha bits first
// (the server composites such a window, a copy of every frame), then the most
// colour bits, then `preferred` (the screen's own). nullopt when none can be
// drawn with.
std::optional<std::size_t> BestVisual(std::span<const VisualFacts> visuals, std::size_t preferred);

class PixelFormat {
public:
    // nullopt, with `why` set, for a visual this program cannot draw with.
    static std::optional<PixelFormat> For(const VisualFacts& visual, std::string* why = nullptr);

    // The pixel value of a surface colour, each channel rounded to its width.
    std::uint32_t ToWire(core::Pixel p) const
    {
        return red_.toWire[core::RedOf(p)] | green_.toWire[core::GreenOf(p)] | blue_.toWire[core::BlueOf(p)] | alpha_;
    }
    core::Pixel FromWire(std::uint32_t v) const
    {
        return core::Rgb(red_.FromWire(v), green_.FromWire(v), blue_.FromWire(v));
    }

    // Wire pixels are surface pixels: the window's image can be the surface.
    bool SameAsSurface() const { return same_; }
    int BytesPerPixel() const { return bytes_; }
    // Bits of the coarsest channel: a colour read back is within one step of it.
    int CoarsestChannel() const;

    // Writes `count` surface pixels as wire pixels in the image's byte order.
    void RowToWire(std::byte* target, const core::Pixel* source, int count) const;

private:
    struct Channel {
        int shift = 0, bits = 8;
        std::array<std::uint32_t, 256> toWire{};
        bool Set(std::uint32_t mask);
        int FromWire(std::uint32_t v) const;
    };
    Channel red_, green_, blue_;
    std::uint32_t alpha_ = 0;
    int bytes_ = 4;
    bool swap_ = false;  // the image's byte order is not this machine's
    bool same_ = false;
};

}  // namespace corvalinth::linux_host
