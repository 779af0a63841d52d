#include "swarm/particles.h"

#include <gtest/gtest.h>

#include <cmath>

#include "swarm/scripted_random.h"

namespace corvalinth::swarm {
namespace {

using testing::kAlmostOne;
using testing::ScriptedRandom;

TEST(Gimme, TheTableHoldsTheFormulaForEveryHeadingAndSpeed)
{
    for (std::int32_t speed = 0; speed <= kMaxSpeed; ++speed)
        for (std::int32_t angle = 0; angle < kHeadings; ++angle)
            ASSERT_EQ(DisplacementOf(angle, speed),
                      (Displacement{GimmeX(static_cast<float>(angle), speed), GimmeY(static_cast<float>(angle), speed)}))
                << angle << " " << speed;
    // Beyond the table the formula answers.
    EXPECT_EQ(DisplacementOf(360, 31), (Displacement{GimmeX(360, 31), GimmeY(360, 31)}));
    EXPECT_EQ(DisplacementOf(-90, 100), (Displacement{-100, 0}));
}

TEST(LoadParticles, DrawsEachParticleInOrderAndReachesTheEdges)
{
    Swarm swarm;
    swarm.ParticleCount = 2;
    // Particle 0 takes the top of every range, particle 1 the bottom.
    ScriptedRandom random({kAlmostOne, kAlmostOne, kAlmostOne, kAlmostOne, kAlmostOne, kAlmostOne,
                           kAlmostOne, 0, 0, 0, 0, 0, 0, 0.5f});
    LoadParticles(swarm, 15360, 11520, 0, random, core::FixedClock(10.0f));

    EXPECT_EQ(random.reseeds, 1);
    EXPECT_DOUBLE_EQ(random.lastSeed, std::pow(10.0, 10));  // time to the power of its seconds
    EXPECT_DOUBLE_EQ(ParticleSeed(core::FixedClock(86340.25f)), 1.0);  // 23:59:00: S = 0
    EXPECT_EQ(random.draws, 14);
    const ParticleRecord& top = swarm.Particles[0];
    EXPECT_EQ(top.X, 15360);  // on the right edge: the position is rounded, not truncated
    EXPECT_EQ(top.Y, 11520);  // on the bottom edge
    EXPECT_EQ(top.Angle, 359);
    EXPECT_EQ(top.Speed, 30);
    EXPECT_EQ(top.Red + top.Green + top.Blue, 3 * 254);
    EXPECT_EQ(top.Alive, 1);
    const ParticleRecord& bottom = swarm.Particles[1];
    EXPECT_EQ(bottom.X, 0);
    EXPECT_EQ(bottom.Blue, 127);  // the blue draw is the seventh
    EXPECT_EQ(bottom.Red, 0);
    EXPECT_EQ(swarm.Particles[2].Alive, 0);
}

TEST(LoadParticles, CountsOutsideTheTable)
{
    Swarm swarm;
    ScriptedRandom random({0.25f});
    swarm.ParticleCount = 0;
    LoadParticles(swarm, 100, 100, 0, random, core::FixedClock(0));
    EXPECT_EQ(random.reseeds, 1);  // a count of 0 only re-seeds
    EXPECT_EQ(random.draws, 0);
    EXPECT_EQ(swarm.Particles[0].Alive, 0);

    swarm.ParticleCount = 1001;
    LoadParticles(swarm, 100, 100, 0, random, core::FixedClock(0));
    for (const ParticleRecord& p : swarm.Particles) EXPECT_EQ(p.Alive, 1);

    swarm.ParticleCount = 32767;  // a hand-edited settings file
    LoadParticles(swarm, 100, 100, 0, random, core::FixedClock(0));
    EXPECT_EQ(swarm.ParticleCount, 1001);
    swarm.ParticleCount = -5;
    LoadParticles(swarm, 100, 100, 0, random, core::FixedClock(0));
    EXPECT_EQ(swarm.ParticleCount, 0);
}

TEST(Move, EdgesWrap)
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
        {0, 0, 15360, 11520, 15360, 11520},     // speed 0 stays on its spot
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
