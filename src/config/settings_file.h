#pragma once
// The three settings as they are read from the settings file at start-up.
#include <functional>
#include <string>
#include <string_view>

#include "core/corvalinth_b.h"

namespace corvalinth {

inline constexpr std::wstring_view kSettingsSection = L"Section";
inline constexpr std::wstring_view kColorKey = L"Color";
inline constexpr std::wstring_view kNumKey = L"Num";
inline constexpr std::wstring_view kPasswordKey = L"Password";
inline constexpr std::wstring_view kSettingsFileName = L"Corvalinth.ini";

struct NumberFormat {
    wchar_t decimalSeparator = L'.';
    wchar_t thousandsSeparator = L'\0';  // none
};

// The settings file beside the program: the program's folder (keeping the
// separator of a drive root, as the folder is always named) followed by
// "\Corvalinth.ini".
std::wstring SettingsPathBeside(std::wstring_view programFile);

// A key's value in the settings section, empty when it is missing.
using SettingsSource = std::function<std::wstring(std::wstring_view key)>;

// Sets gColor, gNum and gPassword. An empty value gives the default (colour,
// 1000 particles, no password); a number that cannot be read or does not fit
// 16 bits leaves the variable as it was.
void ApplySettings(const SettingsSource& read, CorvalinthB& module, NumberFormat format = {});

}  // namespace corvalinth
