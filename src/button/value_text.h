#pragma once
// Text conversions the button's stored properties and gradient colours rely on:
// the runtime's string-to-number rule (with the &H and &O prefixes, whose short
// forms are 16-bit bit patterns) and UTF-8 for the readable form description.
#include <optional>
#include <string>
#include <string_view>

namespace corvalinth::button {

// The number a text stands for: surrounding blanks ignored, an optional sign,
// digits with an optional fraction and exponent, or &H / &O followed by hex or
// octal digits. A prefixed number of up to 16 bits is read as a signed 16-bit
// pattern (&HFF00 is -256), up to 32 bits as a signed 32-bit pattern; longer
// ones, empty texts and anything else give nullopt.
std::optional<double> NumberFromText(std::wstring_view text);

// Decimal text of a whole number, without the leading blank of the settings file.
std::wstring TextFromInteger(long long value);

std::string Utf8FromWide(std::wstring_view text);
// nullopt for malformed UTF-8 (overlong forms, surrogates, truncated sequences).
std::optional<std::wstring> WideFromUtf8(std::string_view text);

}  // namespace corvalinth::button
