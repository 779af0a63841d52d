#include "core/random.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>

namespace corvalinth::core {

namespace {
std::uint64_t SplitMix64(std::uint64_t& x)
{
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}
}  // namespace

void SeededRandom::Reseed(double seed)
{
    // Every bit of the seed counts: nearby seeds (the clock a second apart) must
    // start unrelated sequences.
    if (seed == 0.0) seed = 0.0;  // -0 and +0 are the same seed
    std::uint64_t bits = 0;
    std::memcpy(&bits, &seed, sizeof bits);
    state_[0] = SplitMix64(bits);
    state_[1] = SplitMix64(bits);
    if (state_[0] == 0 && state_[1] == 0) state_[1] = 1;
}

namespace {
struct LocalNow {
    std::tm tm{};
    double fraction = 0;
};

LocalNow Now()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    LocalNow result;
    // The program has one user-interface thread; the shared buffer is not contended.
    if (const std::tm* local = std::localtime(&t)) result.tm = *local;
    const auto sinceSecond = now - std::chrono::system_clock::from_time_t(t);
    result.fraction = std::chrono::duration<double>(sinceSecond).count();
    if (result.fraction < 0 || result.fraction >= 1) result.fraction = 0;
    return result;
}
}  // namespace

float SystemClock::SecondsSinceMidnight() const
{
    const LocalNow now = Now();
    return static_cast<float>(now.tm.tm_hour * 3600 + now.tm.tm_min * 60 + now.tm.tm_sec +
                              now.fraction);
}

int SystemClock::Seconds() const
{
    const int s = Now().tm.tm_sec;
    return s >= 0 && s <= 59 ? s : 59;  // a leap second reads as 59
}

int FixedClock::Seconds() const
{
    const double whole = std::floor(static_cast<double>(seconds_));
    return static_cast<int>(std::fmod(whole < 0 ? 0.0 : whole, 60.0));
}

}  // namespace corvalinth::core
