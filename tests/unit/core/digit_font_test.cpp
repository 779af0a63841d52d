#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/digit_font.h"

namespace corvalinth::core {
namespace {

constexpr Pixel kWhite = Rgb(255, 255, 255), kBlack = 0, kGreen = Rgb(0, 200, 0);

// Figures on a black box with a one-pixel margin, their glyphs in white; a
// character the font lacks is a blank; at scale 2 each font pixel is 2x2; a box
// reaching past the surface is clipped, not written outside it.
TEST(DigitFont, FiguresOnABlackBoxScaledAndClipped)
{
    PixelSurface surface(40, 30, kGreen);
    const std::vector<std::string> lines = {"8?", "1"};
    const Rect box = DrawLines(surface.View(), 2, 16, lines);
    EXPECT_EQ(box, (Rect{1, 2, 10, 16}));
    EXPECT_EQ(surface.At(2, 3), kWhite);  // the 8's corner
    EXPECT_EQ(surface.At(3, 4), kBlack);  // its upper hole
    EXPECT_EQ(surface.At(7, 5), kBlack);  // "?" is not in the font: a blank
    EXPECT_EQ(surface.At(3, 10), kWhite);  // the 1's stem, one line down
    EXPECT_EQ(surface.At(0, 0), kGreen);
    EXPECT_EQ(surface.At(10, 15), kGreen);

    PixelSurface big(40, 30, kGreen);
    const std::vector<std::string> one = {"8"};
    DrawLines(big.View(), 2, 16, one, 2);
    EXPECT_EQ(big.At(2, 4), kWhite);
    EXPECT_EQ(big.At(3, 5), kWhite);
    EXPECT_EQ(big.At(4, 6), kBlack);  // the upper hole, 2x2

    PixelSurface small(8, 6, kGreen);
    EXPECT_EQ(DrawLines(small.View(), 1, 6, lines, 2), small.View().Bounds());
}

}  // namespace
}  // namespace corvalinth::core
