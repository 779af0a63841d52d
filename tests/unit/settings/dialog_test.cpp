#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/surface.h"
#include "settings/dialog_gradient.h"
#include "settings/dialog_layout.h"
#include "settings/dialog_values.h"

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

TEST(DialogGradient, EachPixelRowTakesTheLastTwipsRowOnIt)
{
    // At 15 twips per pixel, pixel row 1 holds twips rows 8..22 (to the nearest
    // pixel) and shows row 22.
    const auto rows = GradientRows(273, 15.0);
    EXPECT_EQ(rows[1], GradientColorAt(22, 4095));
    EXPECT_NE(rows[1], GradientColorAt(8, 4095));
    EXPECT_EQ(rows[0], GradientColorAt(7, 4095));
    // The bottom row shows a colour, not the form's background.
    EXPECT_EQ(rows[272], GradientColorAt(4087, 4095));
}

TEST(DialogGradient, UnusableSizesAreSafe)
{
    EXPECT_TRUE(GradientRows(-3, 15).empty());
    EXPECT_EQ(GradientRows(5, 0).size(), 5u);
    EXPECT_EQ(GradientRows(5, std::nan("")).size(), 5u);
    // Finer than a twip per pixel: rows between two twips rows repeat the one above.
    const auto fine = GradientRows(40, 0.25);
    ASSERT_EQ(fine.size(), 40u);
    EXPECT_EQ(fine[1], fine[0]);

    core::PixelSurface surface(4, 3, 0x123456);
    PaintRows(surface.View(), {core::Rgb(1, 1, 31), core::Rgb(2, 2, 32)});
    EXPECT_EQ(surface.At(3, 0), core::Rgb(1, 1, 31));
    EXPECT_EQ(surface.At(0, 1), core::Rgb(2, 2, 32));
    EXPECT_EQ(surface.At(2, 2), core::Rgb(2, 2, 32));
    PaintRows(surface.View(), {});
    EXPECT_EQ(surface.At(0, 0), core::Rgb(1, 1, 31));
}

TEST(DialogLayout, PositionIsCentredAcrossAndAThirdDown)
{
    struct Case {
        double screenW, screenH;
        int windowW, windowH;
        TwipsPoint expected;
    };
    const Case cases[] = {
        {15360, 11520, 8160, 4665, {3600, 2285}},  // 1024 x 768 at 96 DPI
        {16457.14, 9257.14, 8070, 4575, {4193, 1560}},
        {8070.5, 4576.5, 8070, 4575, {0, 0}},      // halves go to the even neighbour: 0.5 -> 0, 1.5 -> 2
        {7000, 4000, 8070, 4575, {-535, -191}},    // too big: toward zero, not down
        {6999, 3998, 8070, 4575, {-535, -192}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.screenW << " x " << c.screenH);
        EXPECT_EQ(DialogPosition(c.screenW, c.screenH, c.windowW, c.windowH), c.expected);
    }
    EXPECT_EQ(DialogPosition(std::nan(""), INFINITY, 8070, 4575), (TwipsPoint{0, 0}));
}

TEST(DialogValues, StoredValuesOutsideTheControlsShowTheirNearestMeaning)
{
    for (const std::int16_t color : {std::int16_t{1}, std::int16_t{-1}, std::int16_t{32767}, std::int16_t{-32768}})
        EXPECT_EQ(OptionIndexForColor(color), 1) << color;
    EXPECT_EQ(OptionIndexForColor(0), 0);

    const std::pair<std::int16_t, std::int16_t> counts[] = {
        {1, 1}, {1000, 1000}, {0, 1}, {-32768, 1}, {1001, 1000}, {32767, 1000}};
    for (const auto& [stored, shown] : counts) EXPECT_EQ(ScrollValueForCount(stored), shown) << stored;
}

}  // namespace
}  // namespace corvalinth::settings
