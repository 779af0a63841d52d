#include <gtest/gtest.h>

#include "button/button_geometry.h"
#include "button/gradient.h"

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
    // Together the slices cover exactly the 4-pixel border of 93 x 29.
    int covered = 0;
    for (const auto& s : slices) {
        const PixelRect r = ToPixels(s.dest, 15, 15);
        covered += r.width * r.height;
    }
    EXPECT_EQ(covered, 93 * 29 - 85 * 21);
}

TEST(FrameGeometry, AFinerDisplayScalesTheFrame)
{
    FrameGeometry g;
    UpdateFrameGeometry(g, 1395, 435);
    const auto slices = FrameSlices(g);
    // 144 dots per inch: 10 twips a pixel, so the corners grow to 6 pixels.
    EXPECT_EQ(ToPixels(slices[4].dest, 10, 10), (PixelRect{134, 38, 6, 6}));
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

TEST(Gradient, ColourTextsAreReadRedGreenBlue)
{
    const auto c = VertexColourFromText(kGradientDark);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->red, 0xC600);
    EXPECT_EQ(c->green, 0xC500);
    EXPECT_EQ(c->blue, 0xD700);
    for (const char* bad : {"", "&HC6C5D", "C6C5D7AA", "&HC6C5DZ", "&HC6C5D7F"})
        EXPECT_FALSE(VertexColourFromText(bad)) << bad;
}

TEST(Gradient, VerticesForBothOrientations)
{
    const TriVertex white{0, 0, 0xFF00, 0xFF00, 0xFF00, 0};
    const TriVertex lavender{0, 0, 0xC600, 0xC500, 0xD700, 0};
    auto at = [](TriVertex v, int x, int y) {
        v.x = x;
        v.y = y;
        return v;
    };
    for (bool highlight : {false, true}) {
        SCOPED_TRACE(highlight);
        std::array<TriVertex, 3> vert{};
        GradientRect rect;
        ASSERT_TRUE(PrepareGradient(vert, rect, highlight, 93, 29));
        EXPECT_EQ(vert[0], at(highlight ? lavender : white, 0, 0));
        EXPECT_EQ(vert[1], at(highlight ? white : lavender, 92, 28));
        EXPECT_EQ(vert[2], TriVertex{});
        EXPECT_EQ(rect, (GradientRect{1, 0}));
    }
}

}  // namespace
}  // namespace corvalinth::button
