#include "core/digit_font.h"

#include <algorithm>
#include <cstdint>

namespace corvalinth::core {

namespace {
struct Glyph {
    char c;
    // Five rows of three bits, the left pixel the highest bit.
    std::uint8_t rows[5];
};

constexpr Glyph kGlyphs[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 3, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 1, 2, 2}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {'.', {0, 0, 0, 0, 2}}, {':', {0, 2, 0, 2, 0}},
    {'%', {5, 1, 2, 4, 5}}, {'-', {0, 0, 7, 0, 0}}, {'A', {2, 5, 7, 5, 5}}, {'D', {6, 5, 5, 5, 6}},
    {'F', {7, 4, 6, 4, 4}}, {'L', {4, 4, 4, 4, 7}}, {'O', {7, 5, 5, 5, 7}}, {'P', {7, 5, 7, 4, 4}},
    {'S', {7, 4, 7, 1, 7}},
};
constexpr int kGlyphRows = 5;
constexpr Pixel kInk = Rgb(255, 255, 255);
constexpr Pixel kPaper = Rgb(0, 0, 0);

const Glyph* Find(char c)
{
    for (const Glyph& glyph : kGlyphs)
        if (glyph.c == c) return &glyph;
    return nullptr;
}

void DrawGlyph(const SurfaceView& surface, int left, int top, const Glyph& glyph, int scale)
{
    for (int row = 0; row < kGlyphRows; ++row)
        for (int col = 0; col < 3; ++col)
            if (glyph.rows[row] & (4 >> col))
                surface.FillRect({left + col * scale, top + row * scale, left + (col + 1) * scale, top + (row + 1) * scale},
                                 kInk);
}
}  // namespace

Rect DrawLines(const SurfaceView& surface, int left, int bottom, std::span<const std::string> lines, int scale)
{
    scale = std::max(scale, 1);
    std::size_t longest = 0;
    for (const std::string& line : lines) longest = std::max(longest, line.size());
    const int lineCount = static_cast<int>(lines.size());
    const Rect box{left - scale, bottom - lineCount * kLineAdvance * scale,
                   left + static_cast<int>(longest) * kGlyphAdvance * scale, bottom};
    surface.FillRect(box, kPaper);
    int top = box.top + scale;
    for (const std::string& line : lines) {
        int x = left;
        for (const char c : line) {
            if (const Glyph* glyph = Find(c)) DrawGlyph(surface, x, top, *glyph, scale);
            x += kGlyphAdvance * scale;
        }
        top += kLineAdvance * scale;
    }
    return Intersect(box, surface.Bounds());
}

}  // namespace corvalinth::core
