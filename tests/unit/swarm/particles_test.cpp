#include "swarm/particles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "swarm/scripted_random.h"

namespace corvalinth::swarm {
namespace {

using testing::kAlmostOne;
using testing::ScriptedRandom;

TEST(LoadParticles, DrawsEachParticleInOrderAndReachesTheEdges)
{
    Swarm swarm;
    swarm.ParticleCount = 2;
    // Particle 0 takes the top of every range, particle 1 the bottom.
    ScriptedRandom random({kAlmostOne, kAlmostOne, kAlmostOne, kAlmostOne, kAlmostOne, kAlmostOne,
                           kAlmostOne, 0, 0, 0, 0, 0, 0, 0.5f});
    LoadParticles(swarm, 15360, 11520, 0, random, core::FixedClock(10.0f));

    EXPECT_DOUBLE_EQ(random.lastSeed, std::pow(10.0, 10));  // time to the power of its seconds
    EXPECT_DOUBLE_EQ(ParticleSeed(core::FixedClock(86340.25f)), 1.0);  // 23:59:00: S = 0
    const ParticleRecord& top = swarm.Particles[0];
    EXPECT_EQ(top.X, 15360);  // on the right edge: the position is rounded, not truncated
    EXPECT_EQ(top.Y, 11520);  // on the bottom edge
    EXPECT_EQ(top.Angle, 359);
    EXPECT_EQ(top.Speed, 30);
    EXPECT_EQ(top.Red + top.Green + top.Blue, 3 * 254);
    const ParticleRecord& bottom = swarm.Particles[1];
    EXPECT_EQ(bottom.Blue, 127);  // the blue draw is the seventh
}

TEST(LoadParticles, CountsOutsideTheTable)
{
    // A count of 0 only re-seeds; a hand-edited settings file may hold any count.
    for (const auto& [count, kept] : {std::pair{0, 0}, {1001, 1001}, {32767, 1001}, {-5, 0}}) {
        Swarm swarm;
        swarm.ParticleCount = count;
        ScriptedRandom random({0.25f});
        LoadParticles(swarm, 100, 100, 0, random, core::FixedClock(0));
        EXPECT_EQ(swarm.ParticleCount, kept);
        EXPECT_EQ(random.reseeds, 1);
        EXPECT_EQ(random.draws, 7 * kept);
        const auto alive = [](const ParticleRecord& p) { return p.Alive == 1; };
        EXPECT_EQ(std::count_if(swarm.Particles.begin(), swarm.Particles.end(), alive), kept) << count;
    }
}

// The wrap at the edges; beyond the table of headings and speeds the formula answers.
TEST(Move, EdgesWrapAndSpeedsBeyondTheTable)
{
    constexpr float kWidth = 15360, kHeight = 11520;
    struct Case {
        std::int16_t angle;
        std::uint8_t speed;
        std::int32_t x, y, wantX, wantY;
    } cases[] = {
        {270, 5, 2, 50, 15360, 50},             // X = -3 re-enters on the right edge itself
        {90, 4, 15358, 50, 0, 50},              // width + 2 re-enters at 0
        {90, 4, 15356, 50, 15360, 50},          // exactly the width stays
        {180, 10, 50, 4, 50, 11520},            // up through the top
        {0, 3, 50, 11519, 50, 0},               // down past the bottom
        {-90, 100, 150, 50, 50, 50},
        {360, 31, 50, 50, 50, 81},
    };
    for (const Case& c : cases) {
        ParticleRecord p;
        p.Angle = c.angle;
        p.Speed = c.speed;
        p.X = c.x;
        p.Y = c.y;
        StepParticle(p, kWidth, kHeight);
        EXPECT_EQ(p.X, c.wantX) << c.angle << " from " << c.x << "," << c.y;
        EXPECT_EQ(p.Y, c.wantY) << c.angle << " from " << c.x << "," << c.y;
    }
}

}  // namespace
}  // namespace corvalinth::swarm
