#include "core/monitor_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvalinth::core {
namespace {

struct LayoutCase {
    std::string name;
    std::vector<Monitor> monitors;
    Rect bounds;            // the window, desktop coordinates
    Rect primaryOnSurface;  // where the prompt and dialog are centred
    double crackDesktopX;   // the crack's middle, desktop coordinates
    std::vector<Rect> uncovered;
};

// A monitor left of the primary, shorter than it, is the Windows saver test's display change.
TEST(MonitorLayout, WindowScreenSizeCrackAndPrimaryFollowTheMonitors)
{
    const std::vector<LayoutCase> cases = {
        {"a gap between the monitors",
         {{{0, 0, 1000, 700}, true}, {{1100, 0, 2100, 700}, false}},
         {0, 0, 2100, 700}, {0, 0, 1000, 700}, 1050,
         {{1000, 0, 1100, 700}}},
        {"three monitors, the primary in the middle and not listed first",
         {{{1600, 100, 2400, 700}, false}, {{-1600, 0, 0, 900}, false}, {{0, 0, 1600, 900}, true}},
         {-1600, 0, 2400, 900}, {1600, 0, 3200, 900}, 400,
         {{3200, 0, 4000, 100}, {3200, 700, 4000, 900}}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        const MonitorLayout layout(c.monitors, {0, 0, 640, 480});
        EXPECT_EQ(layout.Bounds(), c.bounds);
        EXPECT_EQ(layout.PrimaryOnSurface(), c.primaryOnSurface);
        EXPECT_DOUBLE_EQ(layout.CrackMiddle() - layout.Origin().dx, c.crackDesktopX);
        // The desktop origin is the primary monitor's corner on the surface.
        EXPECT_EQ(layout.Origin(), (Offset{c.primaryOnSurface.left, c.primaryOnSurface.top}));
        EXPECT_EQ(layout.Uncovered(), c.uncovered);
    }
}

TEST(MonitorLayout, UnusableInputFallsBack)
{
    // Nothing usable: the fallback monitor; empty rectangles are no monitors.
    const std::vector<Monitor> empty = {{{0, 0, 0, 768}, true}, {{5, 5, 1, 1}, false}};
    const MonitorLayout fallback(empty, {0, 0, 1024, 768});
    EXPECT_EQ(fallback.Bounds(), (Rect{0, 0, 1024, 768}));
    EXPECT_EQ(fallback.Primary(), (Rect{0, 0, 1024, 768}));
    EXPECT_TRUE(fallback.Uncovered().empty());
    const MonitorLayout nothing(std::span<const Monitor>{}, {});
    EXPECT_EQ(nothing.Width(), 0);
    EXPECT_EQ(nothing.Height(), 0);
    EXPECT_TRUE(nothing.Uncovered().empty());
}

TEST(MonitorLayout, SizeIsBoundedForSixteenBitScreens)
{
    // Far-flung monitors: the surface keeps the primary's side within 16 bits.
    const std::vector<Monitor> wide = {{{0, 0, 1920, 1080}, true}, {{40000, 0, 41920, 1080}, false},
                                       {{-30000, -40000, -28000, -39000}, false}};
    const MonitorLayout layout(wide, {});
    EXPECT_EQ(layout.Width(), kMaxScreenSide);
    EXPECT_EQ(layout.Height(), kMaxScreenSide);
    const Rect surface{0, 0, layout.Width(), layout.Height()};
    EXPECT_EQ(Intersect(layout.PrimaryOnSurface(), surface), layout.PrimaryOnSurface());
    for (const Rect& r : layout.Uncovered()) EXPECT_EQ(Intersect(r, surface), r);
}

}  // namespace
}  // namespace corvalinth::core
