#pragma once
// The swarm: one record per particle, a fixed table of 1001 records, its seeding
// and the per-tick turn and step of one particle.
#include <array>
#include <cstdint>

#include "core/random.h"

namespace corvalinth::swarm {

// 16 bytes: the table of 1001 takes 16 KB, which the move and draw loops of a
// tick walk in order from the first-level cache.
struct ParticleRecord {
    std::int32_t X = 0;      // screen twips, 0..Display width
    std::int32_t Y = 0;      // screen twips, 0..Display height, growing downwards
    std::int16_t Angle = 0;  // whole degrees 0..359; 0 is straight down, 90 to the right
    std::uint8_t Speed = 0;  // twips per tick, 0..30
    std::uint8_t Alive = 0;  // 1 once seeded
    std::uint8_t Red = 0;    // 0..254
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
};

constexpr int kParticleTableSize = 1001;

struct Swarm {
    std::array<ParticleRecord, kParticleTableSize> Particles{};
    // Records 0..ParticleCount-1 are live; 0 means not seeded yet.
    std::int32_t ParticleCount = 0;
};

// The stored count may have been edited by hand; the table holds 1001 at most.
std::int32_t ClampParticleCount(std::int32_t wanted);

// sin / cos of the heading times the length, to the nearest whole number. The
// angle is turned into radians with the single-precision pi, so GimmeY(90, 30)
// is 0, not -0.0000013 rounded the other way.
std::int32_t GimmeX(float angle, const std::int32_t& length);
std::int32_t GimmeY(float angle, const std::int32_t& length);

constexpr int kMaxSpeed = 30;
constexpr int kHeadings = 360;

// A step of GimmeX / GimmeY for one heading and speed.
struct Displacement {
    std::int32_t dx = 0, dy = 0;
    friend bool operator==(const Displacement&, const Displacement&) = default;
};

// The step for a heading and speed: read from a table made once with GimmeX /
// GimmeY for headings 0..359 and speeds 0..kMaxSpeed (every step a run takes),
// from the formula itself for anything else.
Displacement DisplacementOf(std::int32_t angle, std::int32_t speed);

// The seed LoadParticles restarts the generator with: T ^ S, T the clock's
// seconds since midnight and S the seconds of the current time.
double ParticleSeed(const core::Clock& clock);

// Re-seeds the generator from the clock and fills records 0..ParticleCount-1
// (ParticleCount is clamped to the table first). gColor 0 gives colours, any
// other value grey levels.
void LoadParticles(Swarm& swarm, float displayWidth, float displayHeight, std::int16_t gColor,
                   core::Random& random, const core::Clock& clock);

// Headings wrap by 359, not 360: 364 -> 5, -7 -> 352.
std::int32_t WrapAngle(std::int32_t angle);

// One tick's turn (0..9 degrees either way, two draws) and step with the edge
// wrap: leaving left or top re-enters on the right or bottom edge itself,
// passing beyond the right or bottom edge re-enters at 0.
void MoveParticle(ParticleRecord& p, float displayWidth, float displayHeight, core::Random& random);

// The step alone, after the heading is set; exposed for the wrap rules.
void StepParticle(ParticleRecord& p, float displayWidth, float displayHeight);

// MoveParticle for records 0..count-1 in order: the same draws and results,
// with the generator's calls made directly when it is the program's own.
void MoveParticles(Swarm& swarm, float displayWidth, float displayHeight, core::Random& random);

}  // namespace corvalinth::swarm
