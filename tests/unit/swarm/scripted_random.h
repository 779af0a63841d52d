#pragma once
// A generator that hands out the numbers a test lists, then repeats the last
// one, and counts draws and re-seeds.
#include <cstddef>
#include <vector>

#include "core/random.h"

namespace corvalinth::swarm::testing {

class ScriptedRandom final : public core::Random {
public:
    explicit ScriptedRandom(std::vector<float> values = {0.0f}) : values_(std::move(values)) {}
    float Next() override
    {
        ++draws;
        if (next_ < values_.size()) return values_[next_++];
        return values_.empty() ? 0.0f : values_.back();
    }
    void Reseed(double seed) override
    {
        ++reseeds;
        lastSeed = seed;
    }

    int draws = 0;
    int reseeds = 0;
    double lastSeed = -1;

private:
    std::vector<float> values_;
    std::size_t next_ = 0;
};

// The largest float below 1: what a generator returns at the top of its range.
constexpr float kAlmostOne = 1.0f - 1.0f / 16777216.0f;

}  // namespace corvalinth::swarm::testing
