#include "swarm/split_screen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "swarm/scripted_random.h"

namespace corvalinth::swarm {
namespace {

using core::PixelSurface;
using testing::ScriptedRandom;

// Int(r * 5 + 3) for the Jag; Int(r * 2) = 0 moves the crack right.
constexpr float kJag3 = 0.0f, kJag7 = 0.99f, kRight = 0.2f, kLeft = 0.7f;

TEST(SplitScreen, ACrackTouchingAnEdgeSendsTheHalvesTheWholeWidth)
{
    const core::FixedClock clock(100);
    ScriptedRandom random({kJag7, kRight});
    SplitScreen s(40, 20, random, clock);
    EXPECT_EQ(s.CrackX(18), 40);
    EXPECT_EQ(s.MaxTravel(), 40);
    PixelSurface display(40, 20), startup(40, 20), latest(40, 20);
    while (s.Step(display.View(), startup.View(), latest.View())) {}
    EXPECT_GT(std::fabs(s.Shift()), 40);
    EXPECT_LE(std::fabs(s.Shift()) - s.Velocity(), 40);
    EXPECT_EQ(SplitScreen(0, 0, random, clock).MaxTravel(), 0);
}

TEST(SplitScreen, CrackLooksRandomFromOneClockReading)
{
    // One seed for the whole crack: re-seeding per band from a clock that has
    // not moved would give the same turn every band, a straight diagonal.
    core::SeededRandom random;
    const SplitScreen s(1024, 400, random, core::FixedClock(5000.25f));
    int rights = 0, lefts = 0;
    double previous = 512;
    for (int y = 0; y < 400; y += 2) {
        (s.CrackX(y) > previous ? rights : lefts)++;
        EXPECT_EQ(std::fabs(s.CrackX(y) - previous), s.Jag());
        previous = s.CrackX(y);
    }
    EXPECT_GT(rights, 50);
    EXPECT_GT(lefts, 50);
}

TEST(SplitScreen, CrackIsABlackPolylineFromTheTopCentre)
{
    ScriptedRandom random({kJag3, kRight, kRight, kLeft});
    const SplitScreen s(20, 6, random, core::FixedClock(0));
    PixelSurface display(20, 6, 0xFFFFFF);
    EXPECT_EQ(s.DrawCrack(display.View(), 1), (core::Rect{10, 0, 17, 5}));
    // (10,0) -> (13,0) -> (16,2) -> (13,4)
    PixelSurface expected(20, 6, 0xFFFFFF);
    for (auto [x, y] : {std::pair{10, 0}, {11, 0}, {12, 0}, {13, 0}, {14, 1}, {15, 1}, {16, 2},
                        {15, 3}, {14, 3}, {13, 4}})
        expected.View().Set(x, y, 0);
    EXPECT_EQ(display, expected);
}

TEST(SplitScreen, WhatEachStepReportsComposesTheWholeFrame)
{
    for (auto [width, height, seed] : {std::tuple{65, 41, 2.0f}, {7, 30, 5.0f}}) {
        SCOPED_TRACE(::testing::Message() << width << "x" << height);
        core::SeededRandom random;
        SplitScreen s(width, height, random, core::FixedClock(seed));
        PixelSurface startup(width, height), latest(width, height), display(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                startup.View().Set(x, y, core::Rgb(x, y, 1));
                latest.View().Set(x, y, core::Rgb(x, y, 2));
                display.View().Set(x, y, core::Rgb(x, y, 3));
            }
        // `screen` is what a window shows: the changed parts of the display and
        // the outer parts straight from the snapshot; the repaired display is
        // the whole frame.
        PixelSurface screen = display;
        while (s.Step(display.View(), startup.View(), latest.View())) {
            for (const core::Rect& r : s.LastChanged())
                core::Copy(screen.View(), r.left, r.top, r.Width(), r.Height(), display.View(), r.left, r.top);
            for (const SplitScreen::OuterCopy& copy : s.OuterCopies()) {
                const core::Rect& r = copy.target;
                core::Copy(screen.View(), r.left, r.top, r.Width(), r.Height(), latest.View(), r.left - copy.offsetX,
                           r.top);
            }
            s.RepairDisplay(display.View(), latest.View());
            ASSERT_EQ(screen, display) << "step " << s.CopyPasses();
        }
        EXPECT_TRUE(s.LastChanged().empty());
        EXPECT_TRUE(s.OuterCopies().empty());
    }
}

}  // namespace
}  // namespace corvalinth::swarm
