#include "swarm/particles.h"

#include <algorithm>
#include <cmath>

#include "core/number_rules.h"

namespace corvalinth::swarm {

static_assert(sizeof(ParticleRecord) == 16, "a particle's record fills a quarter of a cache line");

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

namespace {
// Both headings and speeds are whole numbers in a small range, so the formula's
// results are worked out once: the run then reads two bytes per step.
class DisplacementTable {
public:
    DisplacementTable()
    {
        for (int speed = 0; speed <= kMaxSpeed; ++speed)
            for (int angle = 0; angle < kHeadings; ++angle) {
                Entry& e = entries_[Index(angle, speed)];
                e.dx = static_cast<std::int8_t>(GimmeX(static_cast<float>(angle), speed));
                e.dy = static_cast<std::int8_t>(GimmeY(static_cast<float>(angle), speed));
            }
    }
    static bool Covers(std::int32_t angle, std::int32_t speed)
    {
        return angle >= 0 && angle < kHeadings && speed >= 0 && speed <= kMaxSpeed;
    }
    Displacement At(std::int32_t angle, std::int32_t speed) const
    {
        const Entry& e = entries_[Index(angle, speed)];
        return {e.dx, e.dy};
    }

private:
    struct Entry {
        std::int8_t dx, dy;
    };
    static std::size_t Index(std::int32_t angle, std::int32_t speed)
    {
        return static_cast<std::size_t>(speed * kHeadings + angle);
    }
    std::array<Entry, kHeadings*(kMaxSpeed + 1)> entries_{};
};

const DisplacementTable& Table()
{
    static const DisplacementTable table;
    return table;
}

// The edges a step wraps at, worked out once per move of the swarm.
struct Edges {
    Edges(float displayWidth, float displayHeight)
        : width(displayWidth), height(displayHeight), right(core::NearestInt32(displayWidth)),
          bottom(core::NearestInt32(displayHeight))
    {
    }
    double width, height;
    std::int32_t right, bottom;
};

void Step(ParticleRecord& p, Displacement d, const Edges& edges)
{
    // Displacements stay within +-30 (+-speed beyond the table), narrowed to 16 bits.
    p.X += static_cast<std::int16_t>(d.dx);
    if (p.X < 0) p.X = edges.right;
    if (static_cast<double>(p.X) > edges.width) p.X = 0;
    p.Y += static_cast<std::int16_t>(d.dy);
    if (p.Y < 0) p.Y = edges.bottom;
    if (static_cast<double>(p.Y) > edges.height) p.Y = 0;
}

std::int16_t Turn(std::int32_t angle, float first, float second)
{
    const float t = static_cast<float>(static_cast<double>(first) * 1000.0);
    const bool positive = t > 500.0f;
    // The draw is in [0, 1): truncation is the floor.
    const auto amount = static_cast<std::int32_t>(static_cast<double>(second) * 10.0);
    return static_cast<std::int16_t>(WrapAngle(positive ? angle + amount : angle - amount));
}

template <class Generator>
void MoveAll(Swarm& swarm, const Edges& edges, Generator& random)
{
    const int count = ClampParticleCount(swarm.ParticleCount);
    for (int i = 0; i < count; ++i) {
        ParticleRecord& p = swarm.Particles[static_cast<std::size_t>(i)];
        const float first = random.Next();
        p.Angle = Turn(p.Angle, first, random.Next());
        Step(p, DisplacementOf(p.Angle, p.Speed), edges);
    }
}
}  // namespace

Displacement DisplacementOf(std::int32_t angle, std::int32_t speed)
{
    if (DisplacementTable::Covers(angle, speed)) return Table().At(angle, speed);
    return {GimmeX(static_cast<float>(angle), speed), GimmeY(static_cast<float>(angle), speed)};
}

void LoadParticles(Swarm& swarm, float displayWidth, float displayHeight, std::int16_t gColor,
                   core::Random& random, const core::Clock& clock)
{
    random.Reseed(ParticleSeed(clock));
    swarm.ParticleCount = ClampParticleCount(swarm.ParticleCount);
    // The draw order per particle is fixed: X, Y, heading, speed, colour.
    // Headings are 0..359, speeds 0..30 and colours 0..254, so the narrow fields hold them.
    for (std::int32_t i = 0; i < swarm.ParticleCount; ++i) {
        ParticleRecord& p = swarm.Particles[static_cast<std::size_t>(i)];
        p.X = Draw(random, displayWidth);
        p.Y = Draw(random, displayHeight);
        p.Angle = static_cast<std::int16_t>(FloorDraw(random, 360));
        p.Speed = static_cast<std::uint8_t>(Draw(random, 30));
        p.Red = static_cast<std::uint8_t>(FloorDraw(random, 255));
        if (gColor == 0) {
            p.Green = static_cast<std::uint8_t>(FloorDraw(random, 255));
            p.Blue = static_cast<std::uint8_t>(FloorDraw(random, 255));
        } else {
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
    Step(p, DisplacementOf(p.Angle, p.Speed), Edges(displayWidth, displayHeight));
}

void MoveParticle(ParticleRecord& p, float displayWidth, float displayHeight, core::Random& random)
{
    const float first = random.Next();
    p.Angle = Turn(p.Angle, first, random.Next());
    StepParticle(p, displayWidth, displayHeight);
}

void MoveParticles(Swarm& swarm, float displayWidth, float displayHeight, core::Random& random)
{
    const Edges edges(displayWidth, displayHeight);
    // The program's own generator is final: its draws inline into the loop.
    if (auto* own = dynamic_cast<core::SeededRandom*>(&random)) MoveAll(swarm, edges, *own);
    else MoveAll(swarm, edges, random);
}

}  // namespace corvalinth::swarm
