#pragma once
// The number rules the program relies on, in one place: rounding to the nearest
// whole number with ties to even, floor, integer division toward zero, checked
// narrowing to 16 and 32 bits, and the text forms numbers are read from and
// written to. Nothing else in the program rolls its own rounding.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvalinth::core {

// Nearest whole number, an exact half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

// The largest whole number not above the value.
double Floor(double value);

// Integer division truncating toward zero; nullopt for a zero divisor.
std::optional<std::int64_t> DivideTowardZero(std::int64_t dividend, std::int64_t divisor);

// Rounded half-to-even, then narrowed; nullopt when the result does not fit
// (an overflow) or the value is not a number.
std::optional<std::int16_t> ToInt16(double value);
std::optional<std::int32_t> ToInt32(double value);
std::optional<std::int64_t> ToInt64(double value);

// Rounded half-to-even and narrowed to 32 bits for values known to fit
// (positions, offsets); out-of-range values saturate rather than wrap.
std::int32_t NearestInt32(double value);

}  // namespace corvalinth::core
