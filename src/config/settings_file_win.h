#pragma once
// The settings file on disk: reading a key, writing keys, and loading the
// settings into the module variables at start-up.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/ini_document.h"

namespace corvalinth {

// The system's ANSI code page. Encoding refuses text that would not come back
// unchanged (no best-fit substitutes, no default character).
class Win32AnsiCodec final : public AnsiCodec {
public:
    std::optional<std::wstring> Decode(std::string_view bytes) const override;
    std::optional<std::string> Encode(std::wstring_view text) const override;
};

// More than this is not a settings file; reading treats the rest as absent.
inline constexpr std::size_t kMaxSettingsFileBytes = 4u << 20;

// The key's value, or empty when the file, section or key is missing or the
// file cannot be read.
std::wstring ReadIni(std::wstring_view section, std::wstring_view key, const std::wstring& file);

struct IniWriteResult {
    std::uint32_t error = 0;  // a Win32 error code; 0 = written
    bool Ok() const { return error == 0; }
};

// Writes the keys into the section, creating the file and the section when
// missing. The file is replaced as a whole, once, so a failure leaves the old
// file and success leaves every key written.
IniWriteResult WriteIni(std::wstring_view section, std::span<const IniKeyValue> keys, const std::wstring& file);

// The system's text for a write failure, in the user's language.
std::wstring IniWriteErrorText(IniWriteResult result);

// Fills gColor, gNum and gPassword from the file. Never fails: whatever cannot
// be read leaves the defaults or the previous values.
void LoadSettingsFrom(const std::wstring& file);

}  // namespace corvalinth
