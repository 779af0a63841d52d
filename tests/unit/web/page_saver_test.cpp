#include "web/page_saver.h"

#include <gtest/gtest.h>

#include "web/reference_run.h"

namespace corvalinth::web {
namespace {

constexpr double kFrame = 1000.0 / 60;

struct PageRun {
    explicit PageRun(int w = 160, int h = 120, PageSettings settings = {}) : saver(w, h, settings, random, clock)
    {
        saver.Start(0);
    }
    // Frames every `frameMs` up to `untilMs`; returns the ticks they took.
    std::int64_t FramesUntil(double untilMs, double frameMs = kFrame)
    {
        const std::int64_t before = saver.Ticks();
        while (now + frameMs <= untilMs) saver.Frame(now += frameMs);
        return saver.Ticks() - before;
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

// Through the swarm's first 1000 ticks and the slide: the puts cover every
// change; outside the slide (which shows parts of the snapshot) the canvas
// holds the display and the puts little more than the dots. The slide takes
// one step a frame while the swarm waits.
TEST(PageSaver, TheCanvasHoldsWhatIsShownThroughTheSlideWhichTakesOneStepAFrame)
{
    constexpr int w = 120, h = 40;
    PageRun run(w, h, {.count = 30});
    ASSERT_EQ(run.saver.Frame(0), (std::vector<core::Rect>{{0, 0, w, h}}));  // the picture, once
    int slide = 0;
    for (bool slid = false; !slid && run.now < 20000;) {
        const bool sliding = run.saver.InTransition();
        const std::vector<std::uint8_t> before(run.saver.Canvas(), run.saver.Canvas() + w * h * 4);
        std::vector<bool> put(w * h);
        const std::vector<core::Rect>& puts = run.saver.Frame(run.now += kFrame);
        for (const core::Rect& r : puts)
            for (int y = r.top; y < r.bottom; ++y) std::fill_n(put.begin() + y * w + r.left, r.Width(), true);
        for (int i = 0; i < w * h; ++i) {
            const std::uint8_t* c = run.saver.Canvas() + i * 4;
            ASSERT_TRUE(sliding || core::Rgb(c[0], c[1], c[2]) == run.saver.Display().At(i % w, i / w)) << i;
            ASSERT_EQ(c[3], 255);
            ASSERT_TRUE(put[i] || std::equal(c, c + 4, before.data() + i * 4)) << "at " << run.now << " pixel " << i;
        }
        EXPECT_TRUE(sliding || std::count(put.begin(), put.end(), true) < w * h / 2) << run.now;
        // The first tick only draws; the 1002nd completes the 1001st move and cracks the screen.
        if (sliding) EXPECT_EQ(run.saver.Ticks(), 1002);
        EXPECT_TRUE(!sliding || !puts.empty());
        slide += sliding;
        slid = sliding && !run.saver.InTransition();
    }
    // The halves travel 60 to 120 pixels: -(2n + 0.05 n (n+1)) passes that
    // after 21 to 36 steps, and one more ends the slide.
    EXPECT_GE(slide, 22);
    EXPECT_LE(slide, 37);
    EXPECT_EQ(run.FramesUntil(run.now + 1000), 100);
}

TEST(PageSaver, SizesAndCountsOutOfRangeAreClamped)
{
    PageRun tiny(0, -5, {.count = 0}), huge(30000, 30000, {.count = 5000});
    EXPECT_EQ(tiny.saver.Width() * tiny.saver.Height(), 1);
    EXPECT_LE(std::int64_t{huge.saver.Width()} * huge.saver.Height(), kMostPixels);
    tiny.saver.Frame(0);
    EXPECT_EQ(tiny.saver.Frame(10).size(), 1u);  // one dot: the count is at least 1
}

}  // namespace
}  // namespace corvalinth::web
