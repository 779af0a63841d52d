// The rings' colours are checked on screen, look by look, by the window test;
// here what a look at the middle of each side could not tell.
#include <gtest/gtest.h>

#include "button/state_pictures.h"

namespace corvalinth::button {
namespace {

using core::Rgb;
using P = StatePicture;

TEST(StatePictures, OuterCornersAreRoundedOffAndHighLightSelectIsHighLight)
{
    const auto normal = MakeStatePicture(P::Normal);
    ASSERT_EQ(normal.Width(), 64);
    ASSERT_EQ(normal.Height(), 25);
    for (auto [x, y] : {std::pair{0, 0}, {63, 0}, {0, 24}, {63, 24}}) {
        EXPECT_NE(normal.At(x, y), normal.At(32, y)) << x << "," << y;
        EXPECT_NE(normal.At(x, y), Rgb(0, 60, 116));
    }
    EXPECT_EQ(MakeStatePicture(P::HighLightSelect), MakeStatePicture(P::HighLight));
}

}  // namespace
}  // namespace corvalinth::button
