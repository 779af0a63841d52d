#include "password/form_region.h"

#include <gtest/gtest.h>


namespace corvalinth::password {
namespace {

using core::Rect;

TEST(FormRegion, CentringHalvesTowardZero)
{
    EXPECT_EQ(CentredOrigin(15360, 3600), 5880);   // 1024-pixel screen, the prompt
    EXPECT_EQ(CentredOrigin(15360.5, 3600), 5880); // 11760.5 rounds to even first
    // A form larger than the screen: toward zero, not down.
    EXPECT_EQ(CentredOrigin(3000, 3001), 0);
    EXPECT_EQ(CentredOrigin(3000, 3601), -300);
}

}  // namespace
}  // namespace corvalinth::password
