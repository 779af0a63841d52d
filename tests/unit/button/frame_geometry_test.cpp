#include <gtest/gtest.h>

#include "button/button_geometry.h"

namespace corvalinth::button {
namespace {

// A 1395 x 435 twip button is 93 x 29 pixels: a 4-pixel frame all round, the top
// and bottom edges stretched from 56 to 85 pixels, the sides from 17 to 21.
TEST(FrameGeometry, SlicesOfATypicalButtonInPixels)
{
    FrameGeometry g;
    UpdateFrameGeometry(g, 1395, 435);
    EXPECT_EQ(g, (FrameGeometry{1275, 315, 1335, 375}));

    const auto slices = FrameSlices(g);
    const PixelRect wantSource[8] = {{0, 0, 4, 4},  {4, 0, 56, 4},  {60, 0, 4, 4}, {60, 4, 4, 17},
                                     {60, 21, 4, 4}, {4, 21, 56, 4}, {0, 21, 4, 4}, {0, 4, 4, 17}};
    const PixelRect wantDest[8] = {{0, 0, 4, 4},   {4, 0, 85, 4},   {89, 0, 4, 4}, {89, 4, 4, 21},
                                   {89, 25, 4, 4}, {4, 25, 85, 4}, {0, 25, 4, 4}, {0, 4, 4, 21}};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ToPixels(slices[i].source, kPictureTwipsPerPixel, kPictureTwipsPerPixel), wantSource[i]);
        EXPECT_EQ(ToPixels(slices[i].dest, 15, 15), wantDest[i]);
    }
}

TEST(FrameGeometry, OverflowingStepsKeepThePreviousPaintsValues)
{
    FrameGeometry g;
    UpdateFrameGeometry(g, 1395, 435);
    UpdateFrameGeometry(g, 32850, 435);  // W - 120 fits, 60 + (W - 120) does not
    EXPECT_EQ(g, (FrameGeometry{32730, 315, 1335, 375}));
    UpdateFrameGeometry(g, 40000, 33000);  // neither middle fits any more
    EXPECT_EQ(g, (FrameGeometry{32730, 315, 1335, 375}));
    UpdateFrameGeometry(g, 200, 32800);
    EXPECT_EQ(g, (FrameGeometry{80, 32680, 140, 32740}));
}

}  // namespace
}  // namespace corvalinth::button
