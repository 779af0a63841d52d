#include "password/form_region.h"

#include <gtest/gtest.h>


namespace corvalinth::password {
namespace {

using core::Rect;

TEST(FormRegion, FrameAndCaptionShiftEveryControl)
{
    struct Case {
        const char* what;
        FormMeasure form;
        ClientOffsets expected;
    };
    for (const Case& c : {
             // The borderless prompt: outer size equal to the client size.
             Case{"borderless", {3600, 810, 15, 15, 240, 54}, {0, 0}},
             // 4-pixel frame all round, 19-pixel caption: 248 x 81 outer around 240 x 54.
             Case{"sizing frame", {3720, 1215, 15, 15, 240, 54}, {4, 23}},
             // 120 DPI: 12 twips per pixel.
             Case{"larger DPI", {2976, 972, 12, 12, 240, 54}, {4, 23}},
             // 175%: the form's twips were truncated, the offsets still come out whole.
             Case{"fractional factor", {2125, 694, 1440.0 / 168, 1440.0 / 168, 240, 54}, {4, 23}},
             // 5 spare pixels halve to 2.5: even 2, and by = 6 - 2.
             Case{"half pixels", {245 * 15, 60 * 15, 15, 15, 240, 54}, {2, 4}},
         }) {
        const ClientOffsets offsets = OffsetsOf(c.form);
        EXPECT_EQ(offsets, c.expected) << c.what;
        EXPECT_EQ(RegionRects(offsets, {Rect{16, 16, 217, 35}}),
                  (std::vector<Rect>{{16 + c.expected.bx, 16 + c.expected.by, 217 + c.expected.bx,
                                      35 + c.expected.by}}))
            << c.what;
    }
}

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
