#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>

#include "core/surface.h"
#include "settings/dialog_gradient.h"
#include "settings/dialog_layout.h"
#include "settings/illustration.h"

namespace corvalinth::settings {
namespace {

int Distance(core::Pixel a, core::Pixel b)
{
    return std::max({std::abs(core::RedOf(a) - core::RedOf(b)), std::abs(core::GreenOf(a) - core::GreenOf(b)),
                     std::abs(core::BlueOf(a) - core::BlueOf(b))});
}

TEST(DialogGradient, DarkAtBothEndsLightestInTheMiddleAtEveryScale)
{
    const core::Pixel dark = core::Rgb(0, 0, 30);
    for (const double tpp : {15.0, 12.0, 1440.0 / 168, 7.5}) {
        SCOPED_TRACE(tpp);
        const int height = static_cast<int>(std::lround(kClientHeightTwips / tpp));
        const auto rows = GradientRows(height, tpp);
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(height));
        EXPECT_LE(Distance(rows.front(), dark), 3);
        EXPECT_LE(Distance(rows.back(), dark), 3);
        const std::size_t middle = rows.size() / 2;
        EXPECT_GE(core::RedOf(rows[middle]), 219);
        // Grey levels with the blue lifted by 30, rising to the middle row, falling
        // after it, and mirrored within the rounding.
        for (std::size_t y = 1; y < rows.size(); ++y) {
            ASSERT_EQ(core::GreenOf(rows[y]), core::RedOf(rows[y]));
            ASSERT_EQ(core::BlueOf(rows[y]), core::RedOf(rows[y]) + 30);
            if (y <= middle) ASSERT_GE(core::RedOf(rows[y]), core::RedOf(rows[y - 1])) << y;
            else ASSERT_LE(core::RedOf(rows[y]), core::RedOf(rows[y - 1])) << y;
            ASSERT_LE(Distance(rows[y], rows[rows.size() - 1 - y]), 2) << y;
        }
    }
}

TEST(DialogLayout, PositionIsCentredAcrossAndAThirdDown)
{
    struct Case {
        double screenW, screenH;
        int windowW, windowH;
        TwipsPoint expected;
    };
    const Case cases[] = {
        {8070.5, 4576.5, 8070, 4575, {0, 0}},      // halves go to the even neighbour: 0.5 -> 0, 1.5 -> 2
        {7000, 4000, 8070, 4575, {-535, -191}},    // too big: toward zero, not down
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.screenW << " x " << c.screenH);
        EXPECT_EQ(DialogPosition(c.screenW, c.screenH, c.windowW, c.windowH), c.expected);
    }
    EXPECT_EQ(DialogPosition(std::nan(""), INFINITY, 8070, 4575), (TwipsPoint{0, 0}));
}

TEST(Illustration, TheSameSwarmEveryTimeWithinTheVisibleRows)
{
    const core::PixelSurface picture = MakeIllustration();
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
