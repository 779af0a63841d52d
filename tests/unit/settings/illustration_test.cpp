#include "settings/illustration.h"

#include <gtest/gtest.h>

#include <set>

#include "settings/dialog_layout.h"

namespace corvalinth::settings {
namespace {

TEST(Illustration, TheSameSwarmEveryTimeWithinTheVisibleRows)
{
    const core::PixelSurface picture = MakeIllustration();
    ASSERT_EQ(picture.Width(), kIllustrationWidth);
    ASSERT_EQ(picture.Height(), kIllustrationHeight);
    EXPECT_EQ(picture, MakeIllustration());

    // The desktop behind the swarm has a few dozen colours; the particles bring
    // their own, and they must show in the part the dialog's box shows, on both
    // sides of it.
    std::set<core::Pixel> left, right;
    for (int y = 0; y < kIllustrationVisibleRows; ++y)
        for (int x = 0; x < picture.Width(); ++x)
            (x < picture.Width() / 2 ? left : right).insert(picture.At(x, y));
    EXPECT_GT(left.size(), 60u);
    EXPECT_GT(right.size(), 60u);
}

}  // namespace
}  // namespace corvalinth::settings
