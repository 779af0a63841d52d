#include "swarm/paced_run.h"

#include <gtest/gtest.h>

namespace corvalinth::swarm {
namespace {

using core::PixelSurface;

struct HostedRun {
    explicit HostedRun(double frameMs = 0, bool hostLatest = false, int w = 64, int h = 24)
        : startup(w, h), display(w, h), latest(w, h), screen(w, h),
          run(ScreenGeometry(w, h), AnimationSettings{.gNum = 12}, random, clock,
              {display.View(), startup.View(), hostLatest ? latest.View() : core::SurfaceView{}}, frameMs)
    {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) startup.View().Set(x, y, core::Rgb(x * 4, y * 10, 90));
        run.Start(0);
    }
    // A frame, presented as a host does: from the display and the latest picture.
    const FrameChanges& Frame(double at)
    {
        const FrameChanges& changes = run.Frame(now = at);
        for (const core::Rect& r : changes.display)
            core::Copy(screen.View(), r.left, r.top, r.Width(), r.Height(), display.View(), r.left, r.top);
        for (const auto& c : changes.outer)
            core::Copy(screen.View(), c.target.left, c.target.top, c.target.Width(), c.target.Height(), changes.latest,
                       c.target.left - c.offsetX, c.target.top);
        return changes;
    }
    std::int64_t TicksBy(double untilMs, double frameMs)
    {
        const std::int64_t before = run.Ticks();
        while (now + frameMs <= untilMs) Frame(now + frameMs);
        return run.Ticks() - before;
    }
    core::SeededRandom random;
    core::FixedClock clock{1234.5f};
    PixelSurface startup, display, latest, screen;
    PacedRun run;
    double now = 0;
};

TEST(PacedRun, TicksComeAHundredTimesASecondWhateverTheFrameRateAndALateFrameDropsTheRest)
{
    for (const double frameMs : {1000.0 / 30, 1000.0 / 60, 1000.0 / 144}) {
        HostedRun r;
        r.Frame(0);
        // Ticks are due at 0, 10, 20 ... ms: every one by the last frame has run.
        EXPECT_EQ(r.TicksBy(1000, frameMs) + 1, static_cast<std::int64_t>(r.now / kTickMs) + 1) << frameMs;
    }
    // A host that sleeps until the next frame is due gets 60 frames and 100 ticks a second.
    HostedRun sleeper(1000.0 / 60);
    int frames = 0;
    while (sleeper.run.NextDueMs() < 990) {
        EXPECT_FALSE(sleeper.Frame(sleeper.run.NextDueMs()).Empty());
        ++frames;
    }
    EXPECT_EQ(frames, 60);
    EXPECT_EQ(sleeper.run.Ticks(), static_cast<std::int64_t>(sleeper.now / kTickMs) + 1);
    EXPECT_TRUE(sleeper.Frame(sleeper.now + 1).Empty());  // not due yet: nothing

    // Half a second without a frame: the next takes a few ticks, not fifty, and the clock goes on from there.
    HostedRun late;
    late.TicksBy(100, 10);
    const double at = late.now + 500;
    const std::int64_t before = late.run.Ticks();
    late.Frame(at);
    EXPECT_EQ(late.run.Ticks() - before, kMostTicksPerFrame);
    EXPECT_EQ(late.TicksBy(at + 1000, 1000.0 / 60), static_cast<std::int64_t>((late.now - at) / kTickMs));
}

// Through a whole cycle: every frame's changes, presented from where they say,
// make the screen what the run drew, and outside the slide they are about the
// dots alone. The slide takes one step a frame however close the frames come,
// while the swarm waits; after it the swarm goes on from now, owing nothing.
TEST(PacedRun, TheChangesMakeTheScreenAndTheSlideTakesOneStepAFrame)
{
    for (const bool hostLatest : {false, true}) {
        HostedRun r(0, hostLatest);
        EXPECT_EQ(r.Frame(0).display.front(), r.display.View().Bounds());  // the picture, once
        int steps = 0, outerFrames = 0;
        while (!r.run.InTransition() && r.now < 20000) {
            const FrameChanges& changes = r.Frame(r.now + 1000.0 / 60);
            ASSERT_EQ(r.screen, r.display) << r.now;
            std::size_t area = 0;
            for (const core::Rect& d : changes.display) area += static_cast<std::size_t>(d.Width() * d.Height());
            ASSERT_TRUE(r.run.InTransition() || area < 64 * 24 / 4) << r.now;
        }
        const std::int64_t ticks = r.run.Ticks();
        EXPECT_EQ(ticks, 1002);  // the first only draws; the 1002nd completes the 1001st move and cracks the screen
        for (int passes = 0; r.run.InTransition(); ++steps) {
            const FrameChanges& changes = r.Frame(r.now + 1);
            outerFrames += !changes.outer.empty();
            if (!r.run.InTransition()) break;
            EXPECT_EQ(r.run.Model().Transition()->CopyPasses(), ++passes);
            EXPECT_EQ(r.run.Ticks(), ticks);
            r.run.RepairDisplay();
            ASSERT_EQ(r.screen, r.display) << "step " << steps;
        }
        EXPECT_EQ(r.screen, r.startup);
        EXPECT_GT(outerFrames, 0);
        EXPECT_GE(steps, 10);
        r.Frame(r.now + 1);
        EXPECT_EQ(r.run.Ticks(), ticks + 1);
    }
}

TEST(PacedRun, AReshapeMidSlideGivesTheSlideUpAndPresentsTheNewScreenWhole)
{
    HostedRun r;
    while (!r.run.InTransition() && r.now < 20000) r.Frame(r.now + 10);
    ASSERT_TRUE(r.run.InTransition());
    PixelSurface startup(40, 30, core::Rgb(1, 2, 3)), display(40, 30);
    r.run.Reshape(ScreenGeometry(40, 30), {display.View(), startup.View(), {}});
    EXPECT_FALSE(r.run.InTransition());
    const std::int64_t ticks = r.run.Ticks();
    EXPECT_EQ(r.run.Frame(r.now + 10).display.front(), (core::Rect{0, 0, 40, 30}));
    EXPECT_EQ(r.run.Ticks(), ticks + 1);
    EXPECT_EQ(display.At(39, 29), startup.At(39, 29));
}

}  // namespace
}  // namespace corvalinth::swarm
