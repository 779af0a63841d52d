#pragma once
// The uniform random source and the clock the animation draws from. Both are
// interfaces so that tests, the preview still and the dialog's illustration can
// run the model from a fixed seed and a fixed time.
#include <cstdint>

namespace corvalinth::core {

class Random {
public:
    virtual ~Random() = default;
    // The next number in [0, 1), single precision.
    virtual float Next() = 0;
    // Restarts the sequence; equal seeds give equal sequences.
    virtual void Reseed(double seed) = 0;
};

// A small, fast generator (xoshiro128+-style state, splitmix64 seeding). Its
// results carry 24 random bits, so each is exactly a float below 1.
class SeededRandom final : public Random {
public:
    explicit SeededRandom(double seed = 0.0) { Reseed(seed); }
    // Inline, so that a loop over a whole swarm calls it without a jump.
    float Next() override
    {
        // xoroshiro128+: the high bits are the good ones.
        const std::uint64_t s0 = state_[0];
        std::uint64_t s1 = state_[1];
        const std::uint64_t result = s0 + s1;
        s1 ^= s0;
        state_[0] = Rotl(s0, 24) ^ s1 ^ (s1 << 16);
        state_[1] = Rotl(s1, 37);
        return static_cast<float>(result >> 40) * (1.0f / 16777216.0f);
    }
    void Reseed(double seed) override;

private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t state_[2] = {};
};

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since local midnight, with a fraction.
    virtual float SecondsSinceMidnight() const = 0;
    // The seconds of the current local time, 0..59.
    virtual int Seconds() const = 0;
};

class SystemClock final : public Clock {
public:
    float SecondsSinceMidnight() const override;
    int Seconds() const override;
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(float secondsSinceMidnight) : seconds_(secondsSinceMidnight) {}
    float SecondsSinceMidnight() const override { return seconds_; }
    int Seconds() const override;
    void Set(float secondsSinceMidnight) { seconds_ = secondsSinceMidnight; }

private:
    float seconds_;
};

}  // namespace corvalinth::core
