#include "swarm/animation.h"

#include <gtest/gtest.h>

#include "swarm/scripted_random.h"

namespace corvalinth::swarm {
namespace {

using core::PixelSurface;

PixelSurface Desktop(int w, int h)
{
    PixelSurface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s.View().Set(x, y, core::Rgb(x * 3, y * 5, 200));
    return s;
}

struct Harness {
    explicit Harness(int w, int h, std::int16_t count = 50, std::int16_t color = 0)
        : startup(Desktop(w, h)), display(startup), latest(w, h),
          animation(ScreenGeometry(w, h), AnimationSettings{.gNum = count, .gColor = color}, random, clock)
    {
        animation.Attach(display.View(), startup.View());
        animation.SetSnapshotSource([this] {
            ++snapshots;
            latest = display;  // the screen as shown
            return latest.View();
        });
    }
    void Advance(double at = 0) { animation.Advance(at, changed); }
    // Runs the transition to its end, one frame per 17 ms.
    int FinishTransition()
    {
        int frames = 0;
        while (animation.InTransition()) {
            now += 17;
            Advance(now);
            ++frames;
        }
        return frames;
    }

    core::SeededRandom random;
    core::FixedClock clock{1234.5f};
    PixelSurface startup, display, latest;
    Animation animation;
    std::vector<core::Rect> changed;
    int snapshots = 0;
    double now = 0;
};

TEST(Animation, TransitionHoldsTheSwarmAndEndsOnTheStartupPicture)
{
    Harness run(256, 64, 40);
    for (int tick = 0; tick <= kTransitionAfter; ++tick) run.Advance();
    ASSERT_FALSE(run.animation.InTransition());
    EXPECT_NE(run.display, run.startup);  // trails
    run.Advance(run.now);  // the next tick starts it
    ASSERT_TRUE(run.animation.InTransition());
    EXPECT_EQ(run.snapshots, 1);
    const PixelSurface withCrack = run.display;
    const Swarm held = run.animation.Particles();

    // Steps wait for the frame's time: an early event changes nothing.
    run.Advance(run.now + 5);
    EXPECT_TRUE(run.changed.empty());
    EXPECT_EQ(run.display, withCrack);

    const int frames = run.FinishTransition();
    // MaxTravel >= 128 needs at least 30 copy frames, plus the one that stops.
    EXPECT_GE(frames, 31);
    EXPECT_EQ(run.display, run.startup);
    EXPECT_EQ(run.animation.FrameCount(), 0);
    for (std::size_t i = 0; i < 40; ++i) EXPECT_EQ(run.animation.Particles().Particles[i].X, held.Particles[i].X);
    run.Advance(run.now);  // the swarm draws anew
    EXPECT_FALSE(run.changed.empty());
    EXPECT_EQ(run.animation.FrameCount(), 0);
}

}  // namespace
}  // namespace corvalinth::swarm
