#include "core/number_rules.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace corvalinth::core {

double RoundHalfEven(double value)
{
    // nearbyint honours the current rounding mode, which could have been changed
    // by a library; rint-style ties-to-even is computed explicitly instead.
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5) return floor;
    if (diff > 0.5) return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

double Floor(double value) { return std::floor(value); }

std::optional<std::int64_t> DivideTowardZero(std::int64_t dividend, std::int64_t divisor)
{
    if (divisor == 0) return std::nullopt;
    if (dividend == std::numeric_limits<std::int64_t>::min() && divisor == -1) return std::nullopt;
    return dividend / divisor;  // C++ division truncates toward zero
}

namespace {
template <class Int>
std::optional<Int> Narrow(double value)
{
    if (std::isnan(value)) return std::nullopt;
    const double rounded = RoundHalfEven(value);
    // Compare in double: the bounds of 16 and 32 bits are exact there, and for
    // 64 bits the upper bound 2^63 itself is excluded.
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded >= -static_cast<double>(std::numeric_limits<Int>::min()))
        return std::nullopt;
    return static_cast<Int>(rounded);
}
}  // namespace

std::optional<std::int16_t> ToInt16(double value) { return Narrow<std::int16_t>(value); }
std::optional<std::int32_t> ToInt32(double value) { return Narrow<std::int32_t>(value); }
std::optional<std::int64_t> ToInt64(double value) { return Narrow<std::int64_t>(value); }

std::int32_t NearestInt32(double value)
{
    if (std::isnan(value)) return 0;
    if (auto v = ToInt32(value)) return *v;
    return value < 0 ? std::numeric_limits<std::int32_t>::min()
                     : std::numeric_limits<std::int32_t>::max();
}

}  // namespace corvalinth::core
