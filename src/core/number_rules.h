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

// NearestInt32 for values well inside 32 bits (|value| < 2^30), inline for the
// loops that place every particle on every tick; same results.
inline std::int32_t NearestSmallInt32(double value)
{
    auto whole = static_cast<std::int32_t>(value);  // toward zero
    if (static_cast<double>(whole) > value) --whole;  // now the floor
    const double diff = value - whole;               // exact
    return whole + ((diff > 0.5 || (diff == 0.5 && (whole & 1) != 0)) ? 1 : 0);
}

// The general string-to-number rule: blanks around the number, an optional sign,
// digits with an optional fraction and an exponent (E or D), or a &H / &O
// prefix with hexadecimal or octal digits. The decimal separator is the
// locale's; a thousands separator, when given, may group the whole-number
// digits. nullopt when the text is not a number (a type mismatch) or the
// value overflows a double.
// &H and &O values are two's complement: up to 16 bits they read as a 16-bit
// number (&HFFFF is -1), up to 32 bits as a 32-bit one; more is an overflow.
std::optional<double> ParseNumber(std::wstring_view text, wchar_t decimalSeparator = L'.',
                                  wchar_t thousandsSeparator = L'\0');

// The numeric-prefix rule: blanks, tabs and line feeds are skipped wherever they
// are, the number is read up to the first character that cannot continue it
// (the decimal separator is always '.'), &H and &O as above, and a text
// without a number gives 0. An overflow gives an infinity, which every
// narrowing above rejects.
double ParseNumericPrefix(std::wstring_view text);

// Plain number-to-text: one leading blank for zero and positive values
// (" 0", " 1000"), a leading '-' for negative ones.
std::wstring NumberToText(std::int64_t value);

}  // namespace corvalinth::core
