#include "swarm/screen_geometry.h"

#include <gtest/gtest.h>

#include "core/number_rules.h"

namespace corvalinth::swarm {
namespace {

TEST(ScreenGeometry, PixelSizeComesFromTheScreenAtEveryScale)
{
    for (int dpi : {96, 144, 192}) {
        SCOPED_TRACE(dpi);
        const ScreenGeometry g(3840, 2160, dpi, dpi);
        // Twips divided by a rounded factor would give 3600 x 2025 at 192 DPI.
        EXPECT_EQ(g.WidthPixels(), 3840);
        EXPECT_EQ(g.HeightPixels(), 2160);
        // The edges map to the last pixel boundaries.
        EXPECT_EQ(g.PixelX(static_cast<std::int32_t>(g.DisplayWidth())), 3840);
        EXPECT_EQ(g.PixelY(static_cast<std::int32_t>(g.DisplayHeight())), 2160);
        // Every pixel's own position maps back to that pixel (nearest of a quotient:
        // the positions between land between).
        for (int px = 0; px <= 3840; ++px) {
            const auto x = core::NearestInt32(px * g.TwipsPerPixelX());
            ASSERT_EQ(g.PixelX(x), px) << "pixel " << px;
        }
    }
}

}  // namespace
}  // namespace corvalinth::swarm
