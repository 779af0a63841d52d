#include "core/number_rules.h"

#include <cerrno>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

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

namespace corvalinth::core {
namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

int DigitValue(wchar_t c, int radix)
{
    int v = -1;
    if (c >= L'0' && c <= L'9') v = c - L'0';
    else if (c >= L'a' && c <= L'f') v = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F') v = c - L'A' + 10;
    return v < radix ? v : -1;
}

// The libc++ of the WebAssembly toolchain (before 17) reads no floating-point
// numbers with from_chars; there strtod stands in (musl's: correctly rounded,
// and its only locale is "C", so '.' is the separator the digits carry).
std::from_chars_result ReadDouble(const char* first, const char* last, double& value)
{
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 170000
    const std::string text(first, last);
    char* end = nullptr;
    errno = 0;
    const double read = std::strtod(text.c_str(), &end);
    const char* stop = first + (end - text.c_str());
    if (end == text.c_str()) return {first, std::errc::invalid_argument};
    if (errno == ERANGE) return {stop, std::errc::result_out_of_range};
    value = read;
    return {stop, std::errc{}};
#else
    return std::from_chars(first, last, value);
#endif
}

struct Scanned {
    std::size_t length = 0;  // characters taken; 0 = no number at the start
    double value = 0;
    bool overflow = false;
};

// &H / &O digits after the prefix; the prefix itself is at text[0..1].
Scanned ScanRadix(std::wstring_view text, int radix)
{
    Scanned out;
    std::size_t i = 2;
    std::uint64_t bits = 0;
    bool any = false;
    for (int d; i < text.size() && (d = DigitValue(text[i], radix)) >= 0; ++i) {
        any = true;
        if (bits > 0xFFFFFFFFull) continue;  // already too big; keep consuming digits
        bits = bits * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(d);
    }
    if (!any) return out;
    out.length = i;
    if (bits > 0xFFFFFFFFull) out.overflow = true;
    else if (bits > 0xFFFFull) out.value = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
    else out.value = static_cast<std::int16_t>(static_cast<std::uint16_t>(bits));
    return out;
}

// The decimal digits of a number gathered as plain ASCII for from_chars, which
// ignores the locale, with what an out-of-range result needs to tell tiny from huge.
struct Decimal {
    std::string ascii;
    std::size_t end = 0;          // index after the last character taken
    bool anyDigit = false;
    int wholeDigits = 0;          // significant digits before the separator
    int leadingFractionZeros = 0;
};

Decimal ScanDigits(std::wstring_view text, std::size_t i, wchar_t decimalSeparator, wchar_t thousandsSeparator)
{
    Decimal d;
    bool anyNonZero = false;
    for (; i < text.size(); ++i) {
        if (IsDigit(text[i])) {
            d.anyDigit = true;
            if (text[i] != L'0') anyNonZero = true;
            if (anyNonZero) ++d.wholeDigits;
            d.ascii += static_cast<char>(text[i]);
        } else if (thousandsSeparator != L'\0' && text[i] == thousandsSeparator && d.anyDigit &&
                   i + 1 < text.size() && IsDigit(text[i + 1])) {
            continue;
        } else {
            break;
        }
    }
    if (i < text.size() && text[i] == decimalSeparator) {
        std::size_t j = i + 1;
        std::string fraction;
        for (; j < text.size() && IsDigit(text[j]); ++j) {
            if (text[j] != L'0') anyNonZero = true;
            else if (!anyNonZero) ++d.leadingFractionZeros;
            fraction += static_cast<char>(text[j]);
        }
        if (!fraction.empty()) {
            if (!d.anyDigit) d.ascii += '0';
            d.ascii += '.';
            d.ascii += fraction;
        }
        if (d.anyDigit || !fraction.empty()) {
            d.anyDigit = true;
            i = j;
        }
    }
    d.end = i;
    return d;
}

// An exponent (E or D, as the runtime reads them) after the digits, if any.
long long ScanExponent(std::wstring_view text, Decimal& d)
{
    std::size_t i = d.end;
    long long exponent = 0;
    if (i >= text.size() || !(text[i] == L'E' || text[i] == L'e' || text[i] == L'D' || text[i] == L'd')) return 0;
    std::size_t j = i + 1;
    bool negative = false;
    if (j < text.size() && (text[j] == L'+' || text[j] == L'-')) negative = text[j++] == L'-';
    if (j >= text.size() || !IsDigit(text[j])) return 0;
    for (; j < text.size() && IsDigit(text[j]); ++j)
        if (exponent < 100000000) exponent = exponent * 10 + (text[j] - L'0');  // clamp: far beyond any double
    if (negative) exponent = -exponent;
    d.end = j;
    d.ascii += 'e';
    d.ascii += std::to_string(exponent);
    return exponent;
}

// The longest number at the start of the text (no leading blanks).
Scanned ScanNumber(std::wstring_view text, wchar_t decimalSeparator, wchar_t thousandsSeparator)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';

    if (i + 1 < text.size() && text[i] == L'&') {
        const wchar_t kind = text[i + 1];
        const int radix = (kind == L'H' || kind == L'h') ? 16 : (kind == L'O' || kind == L'o') ? 8 : 0;
        if (radix == 0) return {};
        Scanned r = ScanRadix(text.substr(i), radix);
        if (r.length == 0) return {};
        r.length += i;
        if (negative) r.value = -r.value;
        return r;
    }

    Decimal d = ScanDigits(text, i, decimalSeparator, thousandsSeparator);
    if (!d.anyDigit) return {};
    if (negative) d.ascii.insert(d.ascii.begin(), '-');
    const long long exponent = ScanExponent(text, d);

    Scanned out;
    out.length = d.end;
    double value = 0;
    const auto [end, error] = ReadDouble(d.ascii.data(), d.ascii.data() + d.ascii.size(), value);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        // Too small rounds to zero; too large is an overflow.
        const long long magnitude = (d.wholeDigits > 0 ? d.wholeDigits : -d.leadingFractionZeros) + exponent;
        if (magnitude > 0) out.overflow = true;
        else value = negative ? -0.0 : 0.0;
    } else if (error != std::errc{}) {
        return Scanned{};
    }
    out.value = value;
    return out;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

std::optional<double> ParseNumber(std::wstring_view text, wchar_t decimalSeparator,
                                  wchar_t thousandsSeparator)
{
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    const Scanned s = ScanNumber(text, decimalSeparator, thousandsSeparator);
    if (s.length == 0 || s.length != text.size() || s.overflow) return std::nullopt;
    return s.value;
}

double ParseNumericPrefix(std::wstring_view text)
{
    std::wstring compact;
    compact.reserve(text.size());
    for (wchar_t c : text)
        if (c != L' ' && c != L'\t' && c != L'\n') compact += c;
    const Scanned s = ScanNumber(compact, L'.', L'\0');
    if (s.overflow) {
        const bool negative = !compact.empty() && compact.front() == L'-';
        return negative ? -std::numeric_limits<double>::infinity()
                        : std::numeric_limits<double>::infinity();
    }
    return s.value;
}

std::wstring NumberToText(std::int64_t value)
{
    std::wstring text = std::to_wstring(value);
    if (value >= 0) text.insert(text.begin(), L' ');
    return text;
}

}  // namespace corvalinth::core
