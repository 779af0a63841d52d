#pragma once
// UTF-8 for the readable form description that holds the buttons' stored
// properties. Numbers are read with core::ParseNumber.
#include <optional>
#include <string>
#include <string_view>

namespace corvalinth::button {

std::string Utf8FromWide(std::wstring_view text);
// nullopt for malformed UTF-8 (overlong forms, surrogates, truncated sequences).
std::optional<std::wstring> WideFromUtf8(std::string_view text);

}  // namespace corvalinth::button
