#include "saver/particles.h"

#include <algorithm>
#include <cmath>

#include "core/number_rules.h"

namespace corvalinth::saver {

std::int32_t ClampParticleCount(std::int32_t wanted)
{
    return std::clamp<std::int32_t>(wanted, 0, kParticleTableSize);
}

namespace {
double Radians(float angle)
{
    // pi and 180 are single precision; the quotient and product are formed in
    // extended precision and rounded to double.
    constexpr float kPi = 3.1415927f;
    const long double radians =
        static_cast<long double>(angle) * (static_cast<long double>(kPi) / 180.0L);
    return static_cast<double>(radians);
}

std::int32_t Scaled(double value, std::int32_t length)
{
    return core::NearestInt32(value * static_cast<double>(length));
}

std::int32_t Draw(core::Random& random, double scale)
{
    return core::NearestInt32(static_cast<double>(random.Next()) * scale);
}

std::int32_t FloorDraw(core::Random& random, double scale)
{
    return static_cast<std::int32_t>(std::floor(static_cast<double>(random.Next()) * scale));
}
}  // namespace

std::int32_t GimmeX(float angle, const std::int32_t& length)
{
    return Scaled(std::sin(Radians(angle)), length);
}

std::int32_t GimmeY(float angle, const std::int32_t& length)
{
    return Scaled(std::cos(Radians(angle)), length);
}

double ParticleSeed(const core::Clock& clock)
{
    return std::pow(static_cast<double>(clock.SecondsSinceMidnight()),
                    static_cast<double>(clock.Seconds()));
}

void LoadParticles(Swarm& swarm, float displayWidth, float displayHeight, std::int16_t gColor,
                   core::Random& random, const core::Clock& clock)
{
    random.Reseed(ParticleSeed(clock));
    swarm.ParticleCount = ClampParticleCount(swarm.ParticleCount);
    // The draw order per particle is fixed: X, Y, heading, speed, colour.
    for (std::int32_t i = 0; i < swarm.ParticleCount; ++i) {
        ParticleRecord& p = swarm.Particles[static_cast<std::size_t>(i)];
        p.X = Draw(random, displayWidth);
        p.Y = Draw(random, displayHeight);
        p.Angle = FloorDraw(random, 360);
        p.Speed = Draw(random, 30);
        if (gColor == 0) {
            p.Red = FloorDraw(random, 255);
            p.Green = FloorDraw(random, 255);
            p.Blue = FloorDraw(random, 255);
        } else {
            p.Red = FloorDraw(random, 255);
            p.Green = p.Red;
            p.Blue = p.Red;
        }
        p.Alive = 1;
    }
}

std::int32_t WrapAngle(std::int32_t angle)
{
    if (angle > 359) angle -= 359;
    if (angle < 0) angle += 359;
    return angle;
}

void StepParticle(ParticleRecord& p, float displayWidth, float displayHeight)
{
    // Displacements stay within +-30, so the 16-bit narrowing never overflows.
    const auto dx = static_cast<std::int16_t>(GimmeX(static_cast<float>(p.Angle), p.Speed));
    const auto dy = static_cast<std::int16_t>(GimmeY(static_cast<float>(p.Angle), p.Speed));
    p.X += dx;
    if (p.X < 0) p.X = core::NearestInt32(displayWidth);
    if (static_cast<double>(p.X) > static_cast<double>(displayWidth)) p.X = 0;
    p.Y += dy;
    if (p.Y < 0) p.Y = core::NearestInt32(displayHeight);
    if (static_cast<double>(p.Y) > static_cast<double>(displayHeight)) p.Y = 0;
}

void MoveParticle(ParticleRecord& p, float displayWidth, float displayHeight, core::Random& random)
{
    const float t = static_cast<float>(static_cast<double>(random.Next()) * 1000.0);
    const bool positive = t > 500.0f;
    const std::int32_t amount = FloorDraw(random, 10);
    p.Angle = WrapAngle(positive ? p.Angle + amount : p.Angle - amount);
    StepParticle(p, displayWidth, displayHeight);
}

}  // namespace corvalinth::saver
