#include "config/settings_file.h"

#include <optional>

#include "core/number_rules.h"

namespace corvalinth {
namespace {

// Rounded down before narrowing: 12.9 is 12 and -0.5 is -1.
std::optional<std::int16_t> SettingNumber(const std::wstring& text, NumberFormat format)
{
    const auto value = core::ParseNumber(text, format.decimalSeparator, format.thousandsSeparator);
    if (!value) return std::nullopt;
    return core::ToInt16(core::Floor(*value));
}

void ApplyNumber(const std::wstring& text, std::int16_t fallback, std::int16_t& target, NumberFormat format)
{
    if (text.empty()) target = fallback;
    else if (auto v = SettingNumber(text, format)) target = *v;
}

}  // namespace

std::wstring SettingsPathBeside(std::wstring_view programFile)
{
    const std::size_t slash = programFile.find_last_of(L"\\/");
    std::wstring folder(programFile.substr(0, slash == std::wstring_view::npos ? 0 : slash));
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    return folder + L"\\" + std::wstring(kSettingsFileName);
}

void ApplySettings(const SettingsSource& read, CorvalinthB& module, NumberFormat format)
{
    ApplyNumber(read(kColorKey), 0, module.gColor, format);
    ApplyNumber(read(kNumKey), kMaxParticles, module.gNum, format);
    // The password is used exactly as stored, blanks and all.
    module.gPassword = read(kPasswordKey);
}

}  // namespace corvalinth
