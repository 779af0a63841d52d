#include "swarm/animation.h"

#include <gtest/gtest.h>

namespace corvalinth::swarm {
namespace {

using core::PixelSurface;

TEST(Animation, TransitionHoldsTheSwarmAndEndsOnTheStartupPicture)
{
    PixelSurface startup(256, 64), latest(256, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x) startup.View().Set(x, y, core::Rgb(x * 3, y * 5, 200));
    PixelSurface display = startup;
    core::SeededRandom random;
    const core::FixedClock clock(1234.5f);
    Animation animation(ScreenGeometry(256, 64), AnimationSettings{.gNum = 40}, random, clock);
    animation.Attach(display.View(), startup.View());
    int snapshots = 0;
    animation.SetSnapshotSource([&] {
        ++snapshots;
        latest = display;  // the screen as shown
        return latest.View();
    });
    std::vector<core::Rect> changed;
    for (int tick = 0; tick <= kTransitionAfter + 1; ++tick) animation.Advance(0, changed);
    ASSERT_TRUE(animation.InTransition());
    EXPECT_EQ(snapshots, 1);
    const PixelSurface withCrack = display;
    const Swarm held = animation.Particles();

    // Steps wait for the frame's time: an early event changes nothing.
    animation.Advance(5, changed);
    EXPECT_TRUE(changed.empty());
    EXPECT_EQ(display, withCrack);

    // One frame per 17 ms until the halves have left (the page's slide test counts the steps).
    int frames = 0;
    while (animation.InTransition()) animation.Advance(++frames * 17.0, changed);
    EXPECT_EQ(display, startup);
    EXPECT_EQ(animation.FrameCount(), 0);
    for (std::size_t i = 0; i < 40; ++i) EXPECT_EQ(animation.Particles().Particles[i].X, held.Particles[i].X);
    animation.Advance(frames * 17.0, changed);  // the swarm draws anew
    EXPECT_FALSE(changed.empty());
    EXPECT_EQ(animation.FrameCount(), 0);
}

}  // namespace
}  // namespace corvalinth::swarm
