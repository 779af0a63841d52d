#include "linux/pixel_format.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace corvalinth::linux_host {

namespace {
const char* KindName(VisualKind kind)
{
    switch (kind) {
    case VisualKind::TrueColour: return "TrueColor";
    case VisualKind::DirectColour: return "DirectColor";
    case VisualKind::PseudoColour: return "PseudoColor";
    case VisualKind::StaticColour: return "StaticColor";
    case VisualKind::GreyScale: return "GrayScale";
    case VisualKind::StaticGrey: return "StaticGray";
    }
    return "unknown";
}

template <int Bytes, bool Swap>
void StoreRow(const PixelFormat& format, std::byte* target, const core::Pixel* source, int count)
{
    for (int i = 0; i < count; ++i, target += Bytes) {
        std::uint32_t v = format.ToWire(source[i]);
        if constexpr (Bytes == 4) {
            if constexpr (Swap) v = __builtin_bswap32(v);
            std::memcpy(target, &v, 4);
        } else if constexpr (Bytes == 2) {
            auto half = static_cast<std::uint16_t>(v);
            if constexpr (Swap) half = __builtin_bswap16(half);
            std::memcpy(target, &half, 2);
        } else if constexpr (Bytes == 1) {
            *target = static_cast<std::byte>(v);
        } else {
            // Three bytes, in the image's order whatever this machine's.
            for (int b = 0; b < 3; ++b)
                target[b] = static_cast<std::byte>(v >> (8 * (Swap == (std::endian::native == std::endian::little) ? 2 - b : b)));
        }
    }
}
}  // namespace

std::string Describe(const VisualFacts& visual)
{
    return std::to_string(visual.depth) + "-bit " + KindName(visual.kind);
}

std::optional<std::size_t> BestVisual(std::span<const VisualFacts> visuals, std::size_t preferred)
{
    std::optional<std::size_t> best;
    int bestRank = -1;
    for (std::size_t i = 0; i < visuals.size(); ++i) {
        const VisualFacts& v = visuals[i];
        if (!PixelFormat::For(v)) continue;
        const int colourBits = std::popcount(v.redMask | v.greenMask | v.blueMask);
        const int rank = (colourBits == v.depth ? 1000 : 0) + colourBits * 2 + (i == preferred ? 1 : 0);
        if (rank > bestRank) best = i, bestRank = rank;
    }
    return best;
}

bool PixelFormat::Channel::Set(std::uint32_t mask)
{
    if (mask == 0) return false;
    shift = std::countr_zero(mask);
    const std::uint32_t bare = mask >> shift;
    bits = std::popcount(bare);
    // One run of bits, at most 16 wide.
    if ((bare & (bare + 1)) != 0 || bits > 16) return false;
    const std::uint32_t most = bare;
    for (std::uint32_t c = 0; c < 256; ++c) toWire[c] = ((c * most + 127) / 255) << shift;
    return true;
}

int PixelFormat::Channel::FromWire(std::uint32_t v) const
{
    const std::uint32_t most = (1u << bits) - 1;
    return static_cast<int>((((v >> shift) & most) * 255 + most / 2) / most);
}

std::optional<PixelFormat> PixelFormat::For(const VisualFacts& visual, std::string* why)
{
    auto refuse = [why](std::string text) -> std::optional<PixelFormat> {
        if (why) *why = std::move(text);
        return std::nullopt;
    };
    if (visual.kind != VisualKind::TrueColour && visual.kind != VisualKind::DirectColour)
        return refuse("its visual is " + Describe(visual) + "; only TrueColor and DirectColor are drawn on");
    const int bits = visual.bitsPerPixel;
    if ((bits != 8 && bits != 16 && bits != 24 && bits != 32) || visual.depth < 1 || visual.depth > bits)
        return refuse("its visual is " + Describe(visual) + " at " + std::to_string(bits) + " bits a pixel");
    PixelFormat format;
    const std::uint32_t colour = visual.redMask | visual.greenMask | visual.blueMask;
    const std::uint32_t depthBits = visual.depth >= 32 ? ~0u : (1u << visual.depth) - 1;
    const bool apart = (visual.redMask & visual.greenMask) == 0 && (visual.redMask & visual.blueMask) == 0 &&
                       (visual.greenMask & visual.blueMask) == 0;
    if (!format.red_.Set(visual.redMask) || !format.green_.Set(visual.greenMask) ||
        !format.blue_.Set(visual.blueMask) || !apart || (colour & ~depthBits) != 0)
        return refuse("its visual is " + Describe(visual) + " with channel masks this program cannot read");
    // The bits of the depth that no channel uses are alpha: opaque.
    format.alpha_ = depthBits & ~colour;
    format.bytes_ = bits / 8;
    format.swap_ = visual.msbFirst != (std::endian::native == std::endian::big) && format.bytes_ > 1;
    format.same_ = format.bytes_ == 4 && !format.swap_ && format.alpha_ == 0 && visual.redMask == 0xFF0000 &&
                   visual.greenMask == 0xFF00 && visual.blueMask == 0xFF;
    return format;
}

int PixelFormat::CoarsestChannel() const { return std::min({red_.bits, green_.bits, blue_.bits}); }

void PixelFormat::RowToWire(std::byte* target, const core::Pixel* source, int count) const
{
    if (same_) {
        std::memcpy(target, source, static_cast<std::size_t>(count) * sizeof(core::Pixel));
        return;
    }
    switch (bytes_ * 2 + (swap_ ? 1 : 0)) {
    case 2: case 3: StoreRow<1, false>(*this, target, source, count); break;
    case 4: StoreRow<2, false>(*this, target, source, count); break;
    case 5: StoreRow<2, true>(*this, target, source, count); break;
    case 6: StoreRow<3, false>(*this, target, source, count); break;
    case 7: StoreRow<3, true>(*this, target, source, count); break;
    case 8: StoreRow<4, false>(*this, target, source, count); break;
    default: StoreRow<4, true>(*this, target, source, count); break;
    }
}

}  // namespace corvalinth::linux_host
