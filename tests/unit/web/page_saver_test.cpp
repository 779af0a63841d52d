#include "web/page_saver.h"

#include <gtest/gtest.h>

#include "web/reference_run.h"

namespace corvalinth::web {
namespace {

struct PageRun {
    explicit PageRun(int w = 160, int h = 120, PageSettings settings = {}) : saver(w, h, settings, random, clock)
    {
        for (int i = 0; i < saver.Width() * saver.Height() * 4; ++i) saver.Canvas()[i] = static_cast<std::uint8_t>(i % 253);
        saver.Start(0);
    }
    // Frames every `frameMs` up to `untilMs`; returns the ticks they took.
    double FramesUntil(double untilMs, double frameMs)
    {
        const std::int64_t before = saver.Ticks();
        for (; now + frameMs <= untilMs; ) saver.Frame(now += frameMs);
        return static_cast<double>(saver.Ticks() - before);
    }
    core::SeededRandom random;
    core::FixedClock clock{1234.5f};
    PageSaver saver;
    double now = 0;
};

TEST(PageSaver, TheReferenceRunMatchesTheWebAssemblyBuild)
{
    EXPECT_EQ(testing::ReferenceRunChecksum(), testing::kReferenceChecksum);
}

TEST(PageSaver, TicksComeAHundredTimesASecondWhateverTheFrameRateAndLateFramesDropThem)
{
    for (const double frameMs : {1000.0 / 30, 1000.0 / 60, 1000.0 / 144}) {
        PageRun run;
        run.FramesUntil(1000, frameMs);
        // Ticks are due at 0, 10, 20 ... ms: every one by the last frame has run.
        EXPECT_EQ(run.saver.Ticks(), static_cast<std::int64_t>(run.now / kTickMs) + 1) << frameMs;
    }
    PageRun run;
    run.FramesUntil(100, 1000.0 / 60);
    // Half a second without a frame: the next one takes a few ticks, not fifty,
    // and the clock goes on from there at the usual rate.
    const std::int64_t before = run.saver.Ticks();
    const double late = run.now += 500;
    run.saver.Frame(late);
    EXPECT_EQ(run.saver.Ticks() - before, kMostTicksPerFrame);
    EXPECT_EQ(run.FramesUntil(late + 1000, 1000.0 / 60), static_cast<int>((run.now - late) / kTickMs));
}

TEST(PageSaver, TheCanvasHoldsWhatIsShownAndThePutsCoverEveryChange)
{
    PageRun run(200, 100, {.count = 300});
    std::vector<std::uint8_t> before(run.saver.Canvas(), run.saver.Canvas() + 200 * 100 * 4);
    // Starting puts the whole canvas, once.
    ASSERT_EQ(run.saver.Frame(run.now).size(), 1u);
    EXPECT_EQ(run.saver.Puts()[0], (core::Rect{0, 0, 200, 100}));
    for (int frame = 0; frame < 40; ++frame) {
        std::copy(run.saver.Canvas(), run.saver.Canvas() + before.size(), before.begin());
        std::vector<bool> put(200 * 100);
        for (const core::Rect& r : run.saver.Frame(run.now += 1000.0 / 60))
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x) put[y * 200 + x] = true;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x) {
                const std::uint8_t* c = run.saver.Canvas() + (y * 200 + x) * 4;
                const core::Pixel shown = run.saver.Display().At(x, y);
                ASSERT_EQ(core::Rgb(c[0], c[1], c[2]), shown) << x << "," << y;
                ASSERT_EQ(c[3], 255);
                const bool changed = !std::equal(c, c + 4, before.data() + (y * 200 + x) * 4);
                ASSERT_TRUE(put[y * 200 + x] || !changed) << "frame " << frame << " " << x << "," << y;
            }
    }
}

TEST(PageSaver, TheSlideTakesOneStepAFrameWhileTheSwarmWaits)
{
    PageRun run(120, 40, {.count = 5});
    while (!run.saver.InTransition()) run.saver.Frame(run.now += 1000.0 / 60);
    // The first tick only draws; the 1002nd completes the 1001st move and cracks the screen.
    EXPECT_EQ(run.saver.Ticks(), 1002);
    int frames = 0;
    while (run.saver.InTransition()) {
        EXPECT_FALSE(run.saver.Frame(run.now += 1000.0 / 60).empty());
        ++frames;
        ASSERT_LT(frames, 200);
    }
    EXPECT_EQ(run.saver.Ticks(), 1002);
    // The halves travel 60 to 120 pixels: -(2n + 0.05 n (n+1)) passes that
    // after 21 to 36 steps, and one more ends the slide.
    EXPECT_GE(frames, 22);
    EXPECT_LE(frames, 37);
    EXPECT_EQ(run.FramesUntil(run.now + 1000, 1000.0 / 60), 100.0);
}

TEST(PageSaver, SizesAndCountsOutOfRangeAreClamped)
{
    core::SeededRandom random;
    core::FixedClock clock{0};
    EXPECT_EQ(PageSaver(0, -5, {}, random, clock).Width(), 1);
    const PageSaver huge(30000, 30000, {.count = 5000}, random, clock);
    EXPECT_LE(std::int64_t{huge.Width()} * huge.Height(), kMostPixels);
    PageRun none(64, 64, {.count = 0});
    none.saver.Frame(0);
    // One dot (clamped up from none) of two by two pixels.
    EXPECT_EQ(none.saver.Frame(10).size(), 1u);
}

}  // namespace
}  // namespace corvalinth::web
