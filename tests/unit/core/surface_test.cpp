#include "core/surface.h"

#include <gtest/gtest.h>

namespace corvalinth::core {
namespace {

PixelSurface Numbered(int w, int h)
{
    PixelSurface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s.View().Set(x, y, static_cast<Pixel>(y * 100 + x + 1));
    return s;
}

TEST(Surface, DrawingIsClippedAndLinesIncludeBothEnds)
{
    PixelSurface s(4, 3);
    s.View().Set(-1, 0, 7);
    s.View().Set(4, 2, 7);
    s.View().Dot(3, 2, 3, 9);
    s.View().Line(-5, 0, 10, 0, 5);
    s.View().Line(2, 2, 1, 1, 1);
    PixelSurface expected(4, 3);
    for (int x = 0; x < 4; ++x) expected.View().Set(x, 0, 5);
    expected.View().Set(3, 2, 9);
    expected.View().Set(1, 1, 1);
    expected.View().Set(2, 2, 1);
    EXPECT_EQ(s, expected);
}

TEST(Surface, CopyClipsAgainstBothSurfacesLikeABlockTransfer)
{
    const PixelSurface src = Numbered(4, 4);
    PixelSurface dst(4, 4);
    // Source starts off the left edge: the destination moves with the clip.
    Rect written = Copy(dst.View(), 1, 1, 3, 2, src.View(), -1, 0);
    EXPECT_EQ(written, (Rect{2, 1, 4, 3}));
    EXPECT_EQ(dst.At(2, 1), src.At(0, 0));
    EXPECT_EQ(dst.At(3, 2), src.At(1, 1));
    EXPECT_EQ(dst.At(1, 1), 0u);
    // Destination off the right edge, negative sizes and empty overlaps write nothing.
    EXPECT_EQ(Copy(dst.View(), 5, 0, 2, 2, src.View(), 0, 0), Rect{});
    EXPECT_EQ(Copy(dst.View(), 0, 0, -2, 2, src.View(), 0, 0), Rect{});
    EXPECT_EQ(Copy(dst.View(), -3, 0, 2, 2, src.View(), 0, 0), Rect{});
}

}  // namespace
}  // namespace corvalinth::core
