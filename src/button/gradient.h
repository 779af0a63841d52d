#pragma once
// The button face's vertical two-colour gradient: the vertex records handed to
// the platform's gradient fill, built from two colour texts whose digit pairs
// are read in red, green, blue order.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace corvalinth::button {

inline constexpr std::string_view kGradientLight = "&HFFFFFF";
inline constexpr std::string_view kGradientDark = "&HC6C5D7";  // a pale lavender grey
inline constexpr std::uint32_t kGradientFillRectV = 1;

// Laid out like the platform's TRIVERTEX: each colour component carries its
// 8-bit value in the high byte.
struct TriVertex {
    std::int32_t x = 0, y = 0;
    std::uint16_t red = 0, green = 0, blue = 0, alpha = 0;
    friend bool operator==(const TriVertex&, const TriVertex&) = default;
};
struct GradientRect {
    std::uint32_t upperLeft = 0, lowerRight = 0;
    friend bool operator==(const GradientRect&, const GradientRect&) = default;
};

struct VertexColour {
    std::uint16_t red = 0, green = 0, blue = 0;
};
// nullopt unless the text is "&H" and six hex digits.
std::optional<VertexColour> VertexColourFromText(std::string_view colourText);

// Fills entries 0 (top) and 1 (bottom) of `vert` and the rectangle record for a
// drawable area of the given size in pixels; `highlight` puts the lavender at
// the top. Returns false, leaving the rest untouched, at the first failing step.
bool PrepareGradient(std::array<TriVertex, 3>& vert, GradientRect& rect, bool highlight,
                     double drawableWidthPixels, double drawableHeightPixels);

}  // namespace corvalinth::button
