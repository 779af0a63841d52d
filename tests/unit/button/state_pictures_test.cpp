#include <gtest/gtest.h>

#include "button/state_pictures.h"

namespace corvalinth::button {
namespace {

using core::Pixel;
using core::Rgb;
using P = StatePicture;

// The middle of each side of ring r (1 = outermost) of a 64 x 25 picture.
struct Sides {
    Pixel top, left, bottom, right;
};
Sides RingAt(const core::PixelSurface& s, int ring)
{
    const int i = ring - 1;
    return {s.At(32, i), s.At(i, 12), s.At(32, 24 - i), s.At(63 - i, 12)};
}

TEST(StatePictures, RingsMatchTheirTable)
{
    const Pixel blue = Rgb(0, 60, 116);
    struct Want {
        P picture;
        int ring;
        Sides sides;
    };
    const Want wants[] = {
        {P::Normal, 1, {Rgb(220, 214, 194), Rgb(226, 222, 203), Rgb(250, 250, 246), Rgb(240, 238, 224)}},
        {P::Normal, 2, {blue, blue, blue, blue}},
        {P::HighLight, 3, {Rgb(255, 240, 207), Rgb(252, 202, 105), Rgb(229, 151, 0), Rgb(252, 202, 105)}},
        {P::HighLight, 4, {Rgb(253, 216, 137), Rgb(252, 202, 105), Rgb(248, 179, 48), Rgb(252, 202, 105)}},
        {P::Pressed, 1, {Rgb(236, 233, 216), Rgb(236, 233, 216), Rgb(236, 233, 216), Rgb(236, 233, 216)}},
        {P::Pressed, 2, {Rgb(220, 214, 194), Rgb(226, 222, 203), Rgb(250, 250, 246), Rgb(240, 238, 224)}},
        {P::Pressed, 3, {blue, blue, blue, blue}},
        {P::Disable, 1, {Rgb(236, 233, 216), Rgb(236, 233, 216), Rgb(236, 233, 216), Rgb(236, 233, 216)}},
        {P::Disable, 2, {Rgb(201, 199, 186), Rgb(201, 199, 186), Rgb(201, 199, 186), Rgb(201, 199, 186)}},
        {P::Disable, 3, {Rgb(245, 244, 234), Rgb(245, 244, 234), Rgb(245, 244, 234), Rgb(245, 244, 234)}},
        {P::Selected, 2, {blue, blue, blue, blue}},
        {P::Selected, 3, {Rgb(206, 231, 255), Rgb(169, 197, 239), Rgb(105, 130, 238), Rgb(169, 197, 239)}},
    };
    for (const Want& w : wants) {
        SCOPED_TRACE(std::string(PictureName(w.picture)) + " ring " + std::to_string(w.ring));
        const auto s = MakeStatePicture(w.picture);
        ASSERT_EQ(s.Width(), 64);
        ASSERT_EQ(s.Height(), 25);
        const Sides got = RingAt(s, w.ring);
        EXPECT_EQ(got.top, w.sides.top);
        EXPECT_EQ(got.left, w.sides.left);
        EXPECT_EQ(got.bottom, w.sides.bottom);
        EXPECT_EQ(got.right, w.sides.right);
    }
}

TEST(StatePictures, OuterCornersAreRoundedOffAndHighLightSelectIsHighLight)
{
    const auto normal = MakeStatePicture(P::Normal);
    for (auto [x, y] : {std::pair{0, 0}, {63, 0}, {0, 24}, {63, 24}}) {
        const Pixel corner = normal.At(x, y);
        EXPECT_NE(corner, normal.At(32, y)) << x << "," << y;
        EXPECT_NE(corner, Rgb(0, 60, 116));
    }
    EXPECT_EQ(MakeStatePicture(P::HighLightSelect), MakeStatePicture(P::HighLight));
}

}  // namespace
}  // namespace corvalinth::button
